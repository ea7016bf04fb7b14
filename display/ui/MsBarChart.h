// CMsBarChart: a small child window that shows a row of integer values as bars labelled in
// milliseconds, for a measurement window.
//
// Threads: user-interface thread only.
#pragma once

#include <string>
#include <vector>

#include <wx/window.h>

#include "platform/gfx/Canvas.h"

class CMsBarChart : public wxWindow
{
public:
    CMsBarChart(wxWindow* parent, const wxPoint& position, const wxSize& size);

    // Copies the values, updates the maximum and marks the chart for drawing; returns the count.
    int SetValues(const int* values, int count);
    // SetValues from the value source.
    void Refresh(bool eraseBackground = true, const wxRect* rect = nullptr) override;
    // Paints the chart (background, then the bars while it has values) on a canvas of the size.
    void Paint(gfx::Canvas& canvas, int width, int height) const;

    std::vector<int> m_values;
    const int* m_pSource = nullptr;
    int m_nSourceCount = 0;
    std::vector<std::string> m_names;
    int m_nLeftMargin = 10;
    int m_nRightMargin = 10;
    int m_nTopMargin = 10;
    int m_nBottomMargin = 25;
    int m_nScaleMax = 100;
    int m_nLastMax = 0;
    bool m_bDirty = false;

    static constexpr gfx::Color kBackground = 0x80C880;  // red 128, green 200, blue 128
    static constexpr gfx::Color kBar = 0xFF1414;         // red 20, green 20, blue 255

private:
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
};

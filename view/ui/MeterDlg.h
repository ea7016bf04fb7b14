// The meter windows: CMeterDlg, a borderless stay-on-top window that paints an analog meter (its
// owner sets the value and texts), and CParamView, a meter that shows one parameter of a
// measurement window and opens its set-up dialog on a double-click.
// User-interface thread only.
#pragma once

#include <wx/frame.h>

#include <functional>

class wxDialog;

#include "view/MeterPaint.h"
#include "view/ParamViewManager.h"

class CMeterDlg : public wxFrame
{
public:
    static constexpr int kDefaultWidth = 160;
    static constexpr int kDefaultHeight = 60;

    // The meter paints `meter`, which its owner keeps.
    CMeterDlg(wxWindow* parent, MeterState& meter, const wxString& title = "THD+N");

    MeterState& GetMeter() { return m_meter; }
    // The meter's picture at its present size.
    wxImage RenderImage();

protected:
    void OnPaint(wxPaintEvent& event);

    MeterState& m_meter;
};

class CParamView : public CMeterDlg
{
public:
    CParamView(wxWindow* parent, CParamViewState& state);

    // The title from the state, and a repaint.
    void Repaint();

    // Opens "ParamView Setup" on the window's state; true when it was confirmed.
    bool RunSetup();

    // Runs the set-up dialog instead of showing it (tests): gets the dialog, returns its answer.
    static std::function<int(wxDialog&)> s_runSetup;

private:
    void OnDoubleClick(wxMouseEvent& event);

    CParamViewState& m_state;
};

// What the parameter-window manager holds of a CParamView: the window is destroyed the toolkit's
// way when the handle goes.
class CParamViewHandle : public CParamViewWindow
{
public:
    CParamViewHandle(wxWindow* parent, CParamViewState& state);
    ~CParamViewHandle() override;

    void ShowWindow() override;
    bool IsWindowShown() const override;
    void Repaint() override;
    void GetPlacement(int& x, int& y, int& width, int& height) const override;
    void SetPlacement(int x, int y, int width, int height) override;

    CParamView* GetView() const { return m_pView; }

private:
    CParamView* m_pView;
};

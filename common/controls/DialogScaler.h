// CDialogScaler: lays a running dialog out again at another size. A zooming dialog describes its
// layout in dialog units in a DialogTemplate (font, size, each control's id and rectangle); the
// scaler makes the template's font at a chosen number of pixels per inch and places the dialog and
// every control from their dialog units with that font's character size.
// User-interface thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <wx/font.h>
#include <wx/window.h>

class wxDC;

// One control of a dialog layout, in dialog units.
struct DialogTemplateItem
{
    int id = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
};

// A dialog's layout. Without a font of its own (`hasFont` false) the dialog uses 8-point "Tahoma".
// A point size of 0x8000 or more is a negative 16-bit value and stands for its magnitude.
struct DialogTemplate
{
    bool hasFont = true;
    int pointSize = 8;
    int weight = 400;
    bool italic = false;
    std::string face = "MS Sans Serif";
    bool hasMenu = false;
    int cx = 0;
    int cy = 0;
    std::vector<DialogTemplateItem> items;
};

struct DialogFontInfo
{
    int nPointSize = 8;
    bool bHasMenu = false;
    int nWeight = 400;
    bool bItalic = false;
    std::string pszFace = "Tahoma";
};

// The font a layout asks for.
DialogFontInfo ReadDialogTemplateFont(const DialogTemplate& dialogTemplate);
// The LOGFONT-style height (negative: character height in pixels) of a point size at a resolution.
int DialogFontHeight(int pointSize, double pixelsPerInch);
// The average character width and the line height of a font: cx from the 52 letters, cy the
// font's height.
void MeasureDialogBaseUnits(wxDC& dc, const wxFont& font, int& cx, int& cy);
// A rectangle in dialog units in pixels for the base units cx, cy.
wxRect DialogUnitsToPixels(const DialogTemplateItem& item, int cx, int cy);

class CDialogScaler
{
public:
    CDialogScaler() = default;
    ~CDialogScaler();
    CDialogScaler(const CDialogScaler&) = delete;
    CDialogScaler& operator=(const CDialogScaler&) = delete;

    // Lays `dialog` out from `dialogTemplate` with the template's font made for `pixelsPerInch`
    // (96 is the normal size); the template must outlive the scaler's use of it.
    void Apply(wxWindow* dialog, const DialogTemplate& dialogTemplate, double pixelsPerInch);
    // Gives the dialog and its controls their previous font back and frees the scaled font.
    void Release();

    const wxFont& GetFont() const { return m_hFont; }
    // The height the scaled font was made with (negative: character height in pixels).
    int GetFontHeight() const { return m_nFontHeight; }
    // The base units of the last Apply.
    int GetBaseX() const { return m_nBaseX; }
    int GetBaseY() const { return m_nBaseY; }

    const DialogTemplate* m_pTemplate = nullptr;
    wxWindow* m_hDialog = nullptr;
    wxFont m_hFont;
    wxFont m_hOldFont;
    int m_x = 0;
    int m_y = 0;
    bool m_bUsePosition = false;

private:
    // Calls `apply` for each template item's control, in template order, as long as they are found.
    void ForEachControl(const std::function<void(wxWindow&, const DialogTemplateItem&)>& apply);

    int m_nFontHeight = 0;
    int m_nBaseX = 0;
    int m_nBaseY = 0;
};

#include "common/controls/DialogScaler.h"

#include <wx/dcclient.h>

#include <cstdlib>

namespace
{

constexpr int kNegativePointSize = 0x8000;

}  // namespace

DialogFontInfo ReadDialogTemplateFont(const DialogTemplate& dialogTemplate)
{
    DialogFontInfo info;
    info.bHasMenu = dialogTemplate.hasMenu;
    if (!dialogTemplate.hasFont)
        return info;
    info.nPointSize = dialogTemplate.pointSize;
    info.nWeight = dialogTemplate.weight;
    info.bItalic = dialogTemplate.italic;
    info.pszFace = dialogTemplate.face;
    return info;
}

int DialogFontHeight(int pointSize, double pixelsPerInch)
{
    if (pointSize >= kNegativePointSize)
        pointSize = (0x10000 - pointSize) & 0xFFFF;
    return -static_cast<int>(pointSize * pixelsPerInch / 72.0 + 0.5);
}

void MeasureDialogBaseUnits(wxDC& dc, const wxFont& font, int& cx, int& cy)
{
    const wxFont previous = dc.GetFont();
    dc.SetFont(font);
    wxCoord width = 0;
    wxCoord height = 0;
    dc.GetTextExtent("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", &width, &height);
    cx = (width / 26 + 1) / 2;
    cy = dc.GetCharHeight();
    if (previous.IsOk())
        dc.SetFont(previous);
}

wxRect DialogUnitsToPixels(const DialogTemplateItem& item, int cx, int cy)
{
    const auto toX = [cx](int units) { return static_cast<int>(units * cx / 4.0 + 0.5); };
    const auto toY = [cy](int units) { return static_cast<int>(units * cy / 8.0 + 0.5); };
    return wxRect(toX(item.x), toY(item.y), toX(item.cx), toY(item.cy));
}

CDialogScaler::~CDialogScaler()
{
    Release();
}

void CDialogScaler::ForEachControl(const std::function<void(wxWindow&, const DialogTemplateItem&)>& apply)
{
    if (!m_hDialog || !m_pTemplate)
        return;
    const wxWindowList& children = m_hDialog->GetChildren();
    auto next = children.begin();
    for (const DialogTemplateItem& item : m_pTemplate->items)
    {
        // The search goes on from the control after the previous item's; a control that is not
        // found ends the walk.
        auto found = next;
        while (found != children.end() && (*found)->GetId() != item.id)
            ++found;
        if (found == children.end())
            return;
        apply(**found, item);
        next = found;
        ++next;
    }
}

void CDialogScaler::Apply(wxWindow* dialog, const DialogTemplate& dialogTemplate, double pixelsPerInch)
{
    if (m_hDialog)
        Release();
    if (!dialog)
        return;
    m_hDialog = dialog;
    m_pTemplate = &dialogTemplate;

    const DialogFontInfo info = ReadDialogTemplateFont(dialogTemplate);
    m_nFontHeight = DialogFontHeight(info.nPointSize, pixelsPerInch);
    wxFontInfo font(wxSize(0, std::abs(m_nFontHeight)));
    font.FaceName(wxString::FromUTF8(info.pszFace)).Weight(info.nWeight).Italic(info.bItalic);
    m_hFont = wxFont(font);
    m_hOldFont = dialog->GetFont();
    dialog->SetFont(m_hFont);

    {
        wxClientDC dc(dialog);
        MeasureDialogBaseUnits(dc, m_hFont, m_nBaseX, m_nBaseY);
    }

    const wxRect client =
        DialogUnitsToPixels({0, 0, 0, dialogTemplate.cx, dialogTemplate.cy}, m_nBaseX, m_nBaseY);
    dialog->SetClientSize(client.GetWidth(), client.GetHeight());
    if (m_bUsePosition)
        dialog->Move(m_x, m_y);
    dialog->Refresh();

    ForEachControl(
        [this](wxWindow& control, const DialogTemplateItem& item)
        {
            // The font first: a label that fits itself to a new font must not undo the placement.
            control.SetFont(m_hFont);
            control.SetSize(DialogUnitsToPixels(item, m_nBaseX, m_nBaseY));
            control.Refresh();
        });
}

void CDialogScaler::Release()
{
    if (!m_hDialog)
        return;
    if (m_hOldFont.IsOk())
    {
        m_hDialog->SetFont(m_hOldFont);
        ForEachControl([this](wxWindow& control, const DialogTemplateItem&) { control.SetFont(m_hOldFont); });
    }
    m_hFont = wxFont();
    m_hDialog = nullptr;
    m_hOldFont = wxFont();
}

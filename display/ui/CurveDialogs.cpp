#include "display/ui/CurveDialogs.h"

#include "display/ui/LineStylesDlg.h"

#include "platform/NumberFormat.h"
#include "platform/ui/MessageBoxService.h"
#include "texts/TextTable.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace
{
constexpr int kTextProperties = 1000247;
constexpr int kTextCancel = 1000112;
constexpr int kTextActive = 1000248;
constexpr int kTextLabel = 1000249;
constexpr int kTextLineStyle = 1000238;
constexpr int kTextDelete = 1000609;
constexpr int kTextSize = 1000148;
constexpr int kTextZoom = 1000261;
constexpr int kTextTime = 1000031;
constexpr int kTextFullSpan = 1000277;
constexpr int kTextInvert = 1000278;

wxString Text(int id)
{
    return wxString::FromUTF8(GetText(id));
}

// Reads a number within lo..hi from the edit; otherwise the standard message, the edit takes the
// focus and false.
bool ReadNumber(wxTextCtrl* edit, double lo, double hi, bool integer, double& value)
{
    const std::string entered = edit->GetValue().utf8_string();
    char* end = nullptr;
    errno = 0;
    const double number = integer ? static_cast<double>(std::strtol(entered.c_str(), &end, 10))
                                  : std::strtod(entered.c_str(), &end);
    if (entered.empty() || end == entered.c_str() || *end != '\0' || errno != 0 || !(number >= lo) ||
        !(number <= hi))
    {
        platform::ui::ShowMessageBox(platform::FormatC(integer ? "Please enter an integer between %g and %g."
                                                               : "Please enter a number between %g and %g.",
                                                       lo, hi),
                                     "Tessarin", wxOK | wxICON_EXCLAMATION, edit->GetParent());
        edit->SetFocus();
        return false;
    }
    value = number;
    return true;
}

// A float edit without a range.
bool ReadFloat(wxTextCtrl* edit, float& value)
{
    double number = 0.0;
    if (!ReadNumber(edit, -3.4e38, 3.4e38, false, number))
        return false;
    value = static_cast<float>(number);
    return true;
}

wxString Number(double value)
{
    return wxString::FromUTF8(platform::FormatC("%g", value));
}

wxStdDialogButtonSizer* OkCancel(wxDialog* dialog)
{
    auto* buttons = new wxStdDialogButtonSizer;
    buttons->AddButton(new wxButton(dialog, wxID_OK, "OK"));
    buttons->AddButton(new wxButton(dialog, wxID_CANCEL, Text(kTextCancel)));
    buttons->Realize();
    return buttons;
}
}  // namespace

CCurvePropertiesDlg::CCurvePropertiesDlg(wxWindow* parent)
    : wxDialog(parent, 92, wxString::FromUTF8(GetTextCapitalized(kTextProperties)))
{
    m_pActive = new wxCheckBox(this, kIdActive, Text(kTextActive));
    m_pLabel = new wxTextCtrl(this, kIdLabel, wxEmptyString, wxDefaultPosition, wxSize(260, -1));
    m_pLineStyles = new wxButton(this, kIdLineStyles, Text(kTextLineStyle));
    m_pLineStyles->Bind(wxEVT_BUTTON, &CCurvePropertiesDlg::OnLineStyles, this);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(this, kIdLabelText, Text(kTextLabel)), 0, wxLEFT | wxRIGHT | wxTOP, 10);
    sizer->Add(m_pLabel, 0, wxEXPAND | wxALL, 10);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(m_pActive, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 10);
    row->Add(m_pLineStyles, 0);
    sizer->Add(row, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    sizer->Add(OkCancel(this), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CCurvePropertiesDlg::TransferDataToWindow()
{
    m_strLabel = m_style.m_strLabel;
    m_pActive->SetValue(m_bActive != 0);
    m_pLabel->ChangeValue(wxString::FromUTF8(m_strLabel));
    return true;
}

bool CCurvePropertiesDlg::TransferDataFromWindow()
{
    m_bActive = m_pActive->GetValue() ? 1 : 0;
    m_strLabel = m_pLabel->GetValue().utf8_string();
    m_style.m_strLabel = m_strLabel;
    return true;
}

void CCurvePropertiesDlg::OnLineStyles(wxCommandEvent&)
{
    // The line styles edit a copy; only its OK changes the dialog's style.
    CLineStylesDlg dialog(this);
    dialog.m_style = m_style;
    if (dialog.ShowModal() == wxID_OK)
        m_style = dialog.m_style;
}

CTextLabelDlg::CTextLabelDlg(wxWindow* parent) : wxDialog(parent, 634, Text(kTextProperties))
{
    m_pText = new wxTextCtrl(this, kIdText, wxEmptyString, wxDefaultPosition, wxSize(260, -1));
    m_pSize = new wxTextCtrl(this, kIdSize, wxEmptyString, wxDefaultPosition, wxSize(80, -1));
    m_pDelete = new wxCheckBox(this, kIdDelete, Text(kTextDelete));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(this, kIdTextLabel, Text(kTextLabel)), 0, wxLEFT | wxRIGHT | wxTOP, 10);
    sizer->Add(m_pText, 0, wxEXPAND | wxALL, 10);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, kIdSizeLabel, Text(kTextSize)), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 10);
    row->Add(m_pSize, 0, wxRIGHT, 20);
    row->Add(m_pDelete, 0, wxALIGN_CENTER_VERTICAL);
    sizer->Add(row, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    sizer->Add(OkCancel(this), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CTextLabelDlg::TransferDataToWindow()
{
    m_pText->ChangeValue(wxString::FromUTF8(m_strText));
    m_pSize->ChangeValue(wxString::Format("%u", m_nSize));
    m_pDelete->SetValue(m_bDelete != 0);
    return true;
}

bool CTextLabelDlg::TransferDataFromWindow()
{
    double size = 0.0;
    if (!ReadNumber(m_pSize, kMinSize, kMaxSize, true, size))
        return false;
    m_nSize = static_cast<unsigned>(size);
    m_strText = m_pText->GetValue().utf8_string();
    m_bDelete = m_pDelete->GetValue() ? 1 : 0;
    return true;
}

CVectorscopeSettingsDlg::CVectorscopeSettingsDlg(wxWindow* parent)
    : wxDialog(parent, 13, "Vectorscope settings")
{
    const wxString rotations[] = {"off", "+45deg", "-45deg", "free"};
    const wxString styles[] = {"dots", "lines"};
    m_pRotation =
        new wxRadioBox(this, kIdRotation, "rotation", wxDefaultPosition, wxDefaultSize, 4, rotations, 1);
    m_pStyle = new wxRadioBox(this, kIdStyle, "style", wxDefaultPosition, wxDefaultSize, 2, styles, 1);
    m_pFreeAngle = new wxTextCtrl(this, kIdFreeAngle);
    m_pDecay = new wxTextCtrl(this, kIdDecay);
    m_pDepth = new wxTextCtrl(this, kIdDepth);
    m_pActive = new wxCheckBox(this, kIdActive, "activate Vectorscope");
    auto* grid = new wxFlexGridSizer(2, 8, 8);
    grid->Add(new wxStaticText(this, wxID_ANY, "free rotation angle"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pFreeAngle);
    grid->Add(new wxStaticText(this, wxID_ANY, "decay"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pDecay);
    grid->Add(new wxStaticText(this, wxID_ANY, "history depth"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pDepth);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(m_pRotation, 0, wxRIGHT, 10);
    row->Add(m_pStyle, 0, wxRIGHT, 10);
    row->Add(grid);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pActive, 0, wxALL, 10);
    sizer->Add(row, 0, wxLEFT | wxRIGHT, 10);
    sizer->Add(OkCancel(this), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CVectorscopeSettingsDlg::TransferDataToWindow()
{
    m_pFreeAngle->ChangeValue(Number(m_dFreeAngle));
    m_pDecay->ChangeValue(Number(m_dDecay));
    m_pDepth->ChangeValue(wxString::Format("%d", m_nDepth));
    m_pRotation->SetSelection(m_nRotation >= 0 && m_nRotation < 4 ? m_nRotation : 0);
    m_pStyle->SetSelection(m_nStyle == 0 ? 0 : 1);
    m_pActive->SetValue(m_bActive != 0);
    return true;
}

bool CVectorscopeSettingsDlg::TransferDataFromWindow()
{
    double angle = 0.0;
    double decay = 0.0;
    double depth = 0.0;
    if (!ReadNumber(m_pFreeAngle, -1e9, 1e9, false, angle) ||
        !ReadNumber(m_pDecay, -1e9, 1e9, false, decay) || !ReadNumber(m_pDepth, 0, kMaxDepth, true, depth))
        return false;
    m_dFreeAngle = angle;
    m_dDecay = decay;
    m_nDepth = static_cast<int>(depth);
    m_nRotation = m_pRotation->GetSelection();
    m_nStyle = m_pStyle->GetSelection();
    m_bActive = m_pActive->GetValue() ? 1 : 0;
    return true;
}

CWaterfallSettingsDlg::CWaterfallSettingsDlg(wxWindow* parent)
    : wxDialog(parent, 450, wxString::FromUTF8(GetTextCapitalized(kTextProperties)))
{
    m_pXLog = new wxCheckBox(this, kIdXLog, "X-log");
    m_pYLog = new wxCheckBox(this, kIdYLog, "Y-log");
    m_pYMax = new wxTextCtrl(this, kIdYMax);
    m_pYMin = new wxTextCtrl(this, kIdYMin);
    m_pXMax = new wxTextCtrl(this, kIdXMax);
    m_pXMin = new wxTextCtrl(this, kIdXMin);
    m_pStart = new wxTextCtrl(this, kIdStart);
    m_pStop = new wxTextCtrl(this, kIdStop);
    m_pFullSpan = new wxCheckBox(this, kIdFullSpan, Text(kTextFullSpan));
    m_pInvert = new wxCheckBox(this, kIdInvert, Text(kTextInvert));
    auto* zoom = new wxStaticBoxSizer(wxVERTICAL, this, Text(kTextZoom));
    auto* zoomGrid = new wxFlexGridSizer(2, 6, 8);
    for (const auto& [label, edit] : {std::pair{"y-max", m_pYMax}, std::pair{"y-min", m_pYMin},
                                      std::pair{"x-max", m_pXMax}, std::pair{"x-min", m_pXMin}})
    {
        zoomGrid->Add(new wxStaticText(zoom->GetStaticBox(), wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
        zoomGrid->Add(edit);
    }
    zoom->Add(m_pXLog, 0, wxALL, 4);
    zoom->Add(m_pYLog, 0, wxALL, 4);
    zoom->Add(zoomGrid, 0, wxALL, 4);
    auto* time = new wxStaticBoxSizer(wxVERTICAL, this, Text(kTextTime));
    auto* timeGrid = new wxFlexGridSizer(2, 6, 8);
    timeGrid->Add(new wxStaticText(time->GetStaticBox(), wxID_ANY, "start [s]"), 0, wxALIGN_CENTER_VERTICAL);
    timeGrid->Add(m_pStart);
    timeGrid->Add(new wxStaticText(time->GetStaticBox(), wxID_ANY, "stop [s]"), 0, wxALIGN_CENTER_VERTICAL);
    timeGrid->Add(m_pStop);
    time->Add(timeGrid, 0, wxALL, 4);
    time->Add(m_pFullSpan, 0, wxALL, 4);
    time->Add(m_pInvert, 0, wxALL, 4);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(zoom, 0, wxRIGHT, 10);
    row->Add(time);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(row, 0, wxALL, 10);
    sizer->Add(OkCancel(this), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CWaterfallSettingsDlg::TransferDataToWindow()
{
    if (m_dStop < 0.0)
        m_bFullSpan = 1;
    m_pXLog->SetValue(m_bXLog != 0);
    m_pYLog->SetValue(m_bYLog != 0);
    m_pYMax->ChangeValue(Number(m_fYMax));
    m_pYMin->ChangeValue(Number(m_fYMin));
    m_pXMax->ChangeValue(Number(m_fXMax));
    m_pXMin->ChangeValue(Number(m_fXMin));
    m_pStart->ChangeValue(Number(m_dStart));
    m_pStop->ChangeValue(Number(m_dStop));
    m_pFullSpan->SetValue(m_bFullSpan != 0);
    m_pInvert->SetValue(m_bInvert != 0);
    return true;
}

bool CWaterfallSettingsDlg::TransferDataFromWindow()
{
    float yMax = 0.0f;
    float yMin = 0.0f;
    float xMax = 0.0f;
    float xMin = 0.0f;
    double start = 0.0;
    double stop = 0.0;
    if (!ReadFloat(m_pYMax, yMax) || !ReadFloat(m_pYMin, yMin) || !ReadFloat(m_pXMax, xMax) ||
        !ReadFloat(m_pXMin, xMin) || !ReadNumber(m_pStart, 0.0, 100.0, false, start) ||
        !ReadNumber(m_pStop, -1.0, 100.0, false, stop))
        return false;
    m_bXLog = m_pXLog->GetValue() ? 1 : 0;
    m_bYLog = m_pYLog->GetValue() ? 1 : 0;
    m_fYMax = yMax;
    m_fYMin = yMin;
    m_fXMax = xMax;
    m_fXMin = xMin;
    m_dStart = start;
    m_bFullSpan = m_pFullSpan->GetValue() ? 1 : 0;
    m_bInvert = m_pInvert->GetValue() ? 1 : 0;
    m_dStop = m_bFullSpan ? -1.0 : stop;
    return true;
}

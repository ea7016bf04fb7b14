#include "view/ui/DynamicOverlayDlg.h"

#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "display/settings/ViewSettings.h"
#include "display/ui/DialogEntries.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"

namespace
{

constexpr int kTextFrequency = 1000030;
constexpr int kTextChannel = 1000141;
constexpr int kTextActive = 1000248;
constexpr int kTextOverlay = 1000336;
constexpr int kTextDynamicOverlay = 1000352;

void AddLabel(wxWindow* parent, wxSizer* grid, const std::string& text)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, wxString::FromUTF8(text)), 0,
              wxALIGN_CENTER_VERTICAL | wxALL, 4);
}

}  // namespace

CDynamicOverlayDlg::CDynamicOverlayDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(GetText(kTextDynamicOverlay)))
{
    auto* grid = new wxFlexGridSizer(2);
    AddLabel(this, grid, GetText(kTextChannel));
    m_pChannel = new wxSpinCtrl(this, kIdChannel, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                wxSP_ARROW_KEYS, 1, kMaxChannel, 1);
    grid->Add(m_pChannel, 0, wxALL, 4);
    AddLabel(this, grid, GetTextCapitalized(kTextOverlay));
    m_pOverlay = new wxSpinCtrl(this, kIdOverlay, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                wxSP_ARROW_KEYS, 1, CViewSettings::kOverlayCount, 1);
    grid->Add(m_pOverlay, 0, wxALL, 4);
    AddLabel(this, grid, GetText(kTextFrequency) + " (Hz)");
    m_pFrequency = new wxTextCtrl(this, kIdFrequency, wxEmptyString, wxDefaultPosition, wxSize(90, -1));
    grid->Add(m_pFrequency, 0, wxALL, 4);
    AddLabel(this, grid, "Offset (dB)");
    m_pOffset = new wxTextCtrl(this, kIdOffset, wxEmptyString, wxDefaultPosition, wxSize(90, -1));
    grid->Add(m_pOffset, 0, wxALL, 4);
    grid->AddSpacer(1);
    m_pActive = new wxCheckBox(this, kIdActive, wxString::FromUTF8(GetText(kTextActive)));
    grid->Add(m_pActive, 0, wxALL, 4);

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 8);
    AddOkCancelButtons(this, sizer);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CDynamicOverlayDlg::TransferDataToWindow()
{
    m_pChannel->SetValue(m_values.m_nChannel);
    m_pOverlay->SetValue(m_values.m_nOverlay);
    m_pActive->SetValue(m_values.m_bEnable != 0);
    m_pFrequency->ChangeValue(wxString::FromUTF8(platform::FormatC("%g", m_values.m_dFrequency)));
    m_pOffset->ChangeValue(wxString::FromUTF8(platform::FormatC("%g", m_values.m_dOffset)));
    return true;
}

bool CDynamicOverlayDlg::ReadNumbers(double& frequency, double& offset)
{
    if (!ReadDoubleEntry(m_pFrequency, frequency))
        return false;
    if (frequency <= 0)
        return RefuseEntry(m_pFrequency, "Please enter a frequency above 0 Hz.");
    return ReadDoubleEntry(m_pOffset, offset);
}

bool CDynamicOverlayDlg::Validate()
{
    double frequency = 0;
    double offset = 0;
    return ReadNumbers(frequency, offset);
}

bool CDynamicOverlayDlg::TransferDataFromWindow()
{
    double frequency = 0;
    double offset = 0;
    if (!ReadNumbers(frequency, offset))
        return false;
    m_values.m_nChannel = m_pChannel->GetValue();
    m_values.m_nOverlay = m_pOverlay->GetValue();
    m_values.m_bEnable = m_pActive->GetValue() ? 1 : 0;
    m_values.m_dFrequency = frequency;
    m_values.m_dOffset = offset;
    return true;
}

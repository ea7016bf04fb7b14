#include "view/ui/OverlayFileDlg.h"

#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "display/settings/ViewSettings.h"
#include "display/ui/DialogEntries.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"

namespace
{

constexpr int kTextLoad = 1000150;
constexpr int kTextSave = 1000151;
constexpr int kTextLogarithmic = 1000161;
constexpr int kTextLinear = 1000203;
constexpr int kTextOverlay = 1000336;
constexpr int kTextDataFormat = 1000354;
constexpr int kTextLoadTo = 1000355;  // "load to %s"

}  // namespace

COverlayFileDlg::COverlayFileDlg(wxWindow* parent, const std::string& caption,
                                 const std::string& overlayLabel)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(caption))
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8(overlayLabel)), 0,
             wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    m_pOverlay = new wxSpinCtrl(this, kIdOverlay, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                wxSP_ARROW_KEYS, 1, CViewSettings::kOverlayCount, 1);
    row->Add(m_pOverlay, 0);
    sizer->Add(row, 0, wxALL, 10);

    auto* group = new wxStaticBoxSizer(wxVERTICAL, this, wxString::FromUTF8(GetText(kTextDataFormat)));
    const std::array<std::string, 3> formats = {GetText(kTextLogarithmic) + " dB",
                                                GetText(kTextLinear) + " %", GetText(kTextLinear)};
    for (std::size_t i = 0; i < m_pFormats.size(); ++i)
    {
        m_pFormats[i] = new wxRadioButton(group->GetStaticBox(), kIdFirstFormat + static_cast<int>(i),
                                          wxString::FromUTF8(formats[i]), wxDefaultPosition, wxDefaultSize,
                                          i == 0 ? wxRB_GROUP : 0);
        group->Add(m_pFormats[i], 0, wxALL, 4);
    }
    sizer->Add(group, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    AddOkCancelButtons(this, sizer);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool COverlayFileDlg::TransferDataToWindow()
{
    m_pOverlay->SetValue(m_values.m_nOverlay);
    const auto format = static_cast<std::size_t>(m_values.m_nFormat);
    m_pFormats[format < m_pFormats.size() ? format : 0]->SetValue(true);
    return true;
}

bool COverlayFileDlg::TransferDataFromWindow()
{
    m_values.m_nOverlay = m_pOverlay->GetValue();
    for (std::size_t i = 0; i < m_pFormats.size(); ++i)
        if (m_pFormats[i]->GetValue())
            m_values.m_nFormat = static_cast<int>(i);
    return true;
}

CLoadOverlayDlg::CLoadOverlayDlg(wxWindow* parent)
    : COverlayFileDlg(
          parent, GetText(kTextLoad),
          platform::FormatC(GetText(kTextLoadTo).c_str(), (GetText(kTextOverlay) + " #:").c_str()))
{
}

CSaveOverlayDlg::CSaveOverlayDlg(wxWindow* parent)
    : COverlayFileDlg(parent, GetText(kTextSave), GetText(kTextSave) + " " + GetText(kTextOverlay) + " #:")
{
}

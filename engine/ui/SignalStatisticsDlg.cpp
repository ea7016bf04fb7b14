#include "engine/ui/SignalStatisticsDlg.h"

#include "texts/TextTable.h"

#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

CSignalStatisticsDlg::CSignalStatisticsDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(::GetText(1000225)), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxCLOSE_BOX)
{
    // Control ids: lines 280, 282, 312, 320 and 286; bars 292, 298, 316 and 324.
    const int lineIds[5] = {280, 282, 312, 320, 286};
    const int barIds[4] = {292, 298, 316, 324};
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    for (int channel = 0; channel < 2; ++channel)
    {
        auto* group = new wxStaticBoxSizer(
            new wxStaticBox(this, 741 + channel,
                            wxString::FromUTF8(::GetText(1000141)) + wxString::Format("%i", channel + 1)),
            wxVERTICAL);
        for (int row = 0; row < 2; ++row)
        {
            const int k = 2 * channel + row;
            m_pLines[k] =
                new wxStaticText(group->GetStaticBox(), lineIds[k], "", wxDefaultPosition, wxSize(220, -1));
            m_pBars[k] =
                new wxGauge(group->GetStaticBox(), barIds[k], 100, wxDefaultPosition, wxSize(220, 12));
            group->Add(m_pLines[k], 0, wxLEFT | wxRIGHT | wxTOP, 6);
            group->Add(m_pBars[k], 0, wxEXPAND | wxALL, 6);
        }
        sizer->Add(group, 0, wxEXPAND | wxALL, 8);
    }
    m_pLines[4] = new wxStaticText(this, lineIds[4], "", wxDefaultPosition, wxSize(240, -1));
    sizer->Add(m_pLines[4], 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    SetSizerAndFit(sizer);
    Bind(wxEVT_CLOSE_WINDOW,
         [this](wxCloseEvent& e)
         {
             if (e.CanVeto())
                 Hide();
             else
                 e.Skip();
         });
    UpdateValues();
}

void CSignalStatisticsDlg::UpdateValues()
{
    m_text = generator_tools::FormatStatistics(m_dCrest, m_dPeak1, m_dRms1, m_dPeak2, m_dRms2);
    const std::string* lines[5] = {&m_text.peak1, &m_text.rms1, &m_text.peak2, &m_text.rms2, &m_text.crest};
    for (int i = 0; i < 5; ++i)
    {
        std::string shown = *lines[i];
        // The tab between crest and balance reads as a gap.
        for (char& c : shown)
            if (c == '\t')
                c = ' ';
        m_pLines[i]->SetLabel(wxString::FromUTF8(i == 4 ? shown : *lines[i]));
    }
    for (int i = 0; i < 4; ++i)
        m_pBars[i]->SetValue(m_text.bars[static_cast<std::size_t>(i)]);
}

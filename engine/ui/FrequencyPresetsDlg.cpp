#include "engine/ui/FrequencyPresetsDlg.h"

#include "engine/ui/GeneratorFunctionDlgs.h"
#include "texts/TextTable.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/stattext.h>

CFrequencyPresetsDlg::CFrequencyPresetsDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(GetText(1000209)), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxCLOSE_BOX)
{
    const auto defaults = generator_tools::DefaultPresets();
    std::copy(defaults.begin(), defaults.end(), m_presets.begin());
    new wxStaticText(this, 731, wxString::FromUTF8(GetText(1000208)), wxPoint(10, 8));
    wxFont font(wxFontInfo(wxSize(0, 14)).FaceName("Arial"));
    for (int r = 0; r < generator_tools::kPresetRows; ++r)
        for (int c = 0; c < generator_tools::kPresetColumns; ++c)
        {
            const int index = r * generator_tools::kPresetColumns + c;
            auto* button = new wxButton(this, kFirstButtonId + index, "", wxPoint(10 + 55 * c, 30 + 25 * r),
                                        wxSize(50, 20));
            button->SetFont(font);
            m_buttons[static_cast<std::size_t>(index)] = button;
            SetPreset(index, m_presets[static_cast<std::size_t>(index)]);
            button->Bind(wxEVT_BUTTON, [this, index](wxCommandEvent&) { Click(index); });
            button->Bind(wxEVT_LEFT_DCLICK, [this, index](wxMouseEvent&) { DoubleClick(index); });
        }
    SetClientSize(10 + 55 * generator_tools::kPresetColumns, 30 + 25 * generator_tools::kPresetRows + 5);
    Bind(wxEVT_CLOSE_WINDOW,
         [this](wxCloseEvent& e)
         {
             if (e.CanVeto())
                 Hide();
             else
                 e.Skip();
         });
}

void CFrequencyPresetsDlg::SetPreset(int index, double frequency)
{
    if (index < 0 || index >= generator_tools::kPresetCapacity)
        return;
    m_presets[static_cast<std::size_t>(index)] = frequency;
    if (index < generator_tools::kPresetCount)
        m_buttons[static_cast<std::size_t>(index)]->SetLabel(
            wxString::FromUTF8(generator_tools::PresetCaption(frequency)));
}

void CFrequencyPresetsDlg::Click(int index)
{
    if (index < 0 || index >= generator_tools::kPresetCount || !m_target)
        return;
    m_target(kMessageFrequency, generator_tools::MessageWParam(m_presets[static_cast<std::size_t>(index)]),
             generator_tools::kMessageScale);
}

void CFrequencyPresetsDlg::DoubleClick(int index)
{
    if (index < 0 || index >= generator_tools::kPresetCount)
        return;
    double frequency = m_presets[static_cast<std::size_t>(index)];
    bool ok = false;
    if (m_editFrequency)
    {
        ok = m_editFrequency(frequency);
    }
    else
    {
        CSelectFrequencyDlg dialog(this);
        dialog.m_dFrequency = frequency;
        ok = dialog.ShowModal() == wxID_OK;
        frequency = dialog.m_dFrequency;
    }
    if (ok)
        SetPreset(index, frequency);
}

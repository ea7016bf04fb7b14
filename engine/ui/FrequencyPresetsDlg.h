// CFrequencyPresetsDlg: the modeless frequency presets window of a generator panel: 28 buttons in 7
// rows of 4, each captioned with its frequency. A click sends the frequency to the target (message
// 1369); a double click lets the user change the preset with the frequency entry dialog. The
// window holds up to 100 presets, of which the first 28 have buttons; they live only in memory.
//
// Threads: user-interface thread only.
#pragma once

#include "engine/ui/GeneratorToolRules.h"
#include "engine/ui/PianoDlg.h"

#include <array>
#include <functional>

#include <wx/dialog.h>

class wxButton;

class CFrequencyPresetsDlg : public wxDialog
{
public:
    // The layout's ids 5100..5127 lie in the toolkit's range of standard ids (wxID_OK is 5100); the
    // buttons take them 10000 higher.
    static constexpr int kFirstButtonId = 15100;
    static constexpr int kMessageFrequency = 1369;

    explicit CFrequencyPresetsDlg(wxWindow* parent);
    void SetPreset(int index, double frequency);
    // Presets beyond the capacity are not stored; reading one gives 0.
    double GetPreset(int index) const
    {
        return index >= 0 && index < generator_tools::kPresetCapacity
                   ? m_presets[static_cast<std::size_t>(index)]
                   : 0.0;
    }
    wxButton* GetButton(int index) const { return m_buttons[static_cast<std::size_t>(index)]; }
    // As the buttons do.
    void Click(int index);
    void DoubleClick(int index);

    GeneratorMessageTarget m_target;
    // Runs the frequency entry for a double click; returns false when cancelled. Empty: the modal
    // dialog.
    std::function<bool(double& frequency)> m_editFrequency;

private:
    std::array<double, generator_tools::kPresetCapacity> m_presets{};
    std::array<wxButton*, generator_tools::kPresetCount> m_buttons{};
};

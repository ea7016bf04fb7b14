// The handlers of the measurement presets, the user presets and the quick-start panel.
#include "app/AnalyzerApp.h"
#include "app/CommandHandlers.h"
#include "app/MainFrame.h"

#include <array>

namespace
{

struct PresetCommand
{
    int id;
    int type;
    int kind;
};

constexpr std::array<PresetCommand, 8> kPresetCommands = {{
    {33001, 0, 0},  // "LIVE Monitor"
    {33093, 0, 1},  // octave analysis
    {33100, 0, 2},  // impact sound
    {33106, 0, 3},  // long-term sound recording
    {33081, 2, 0},  // ultrasound
    {33088, 2, 1},  // "48kHz"
    {33082, 3, 0},  // "DIN45680"
    {33084, 4, 0},  // "DIN15905-5"
}};

}  // namespace

namespace commands
{

void MeasurementPreset(CMainFrame& frame, int id)
{
    for (const PresetCommand& preset : kPresetCommands)
    {
        if (preset.id == id)
            frame.GetApp().StartPreset(preset.type, preset.kind);
    }
}

void PresetFft(CMainFrame& frame, int)
{
    frame.GetApp().OnPresetFft();
}

void PresetSecondPhase(CMainFrame& frame, int)
{
    frame.GetApp().OnPresetSecondPhase();
}

void PresetFftLayout(CMainFrame& frame, int)
{
    frame.GetApp().OnPresetFftLayout();
}

void UserPreset(CMainFrame& frame, int id)
{
    frame.GetApp().OnUserPreset(id);
}

void PresetsSetup(CMainFrame& frame, int)
{
    frame.GetApp().UpdatePresetsMenu(true);
}

void ShowPanel(CMainFrame& frame, int)
{
    frame.GetApp().OnShowPanel();
}

}  // namespace commands

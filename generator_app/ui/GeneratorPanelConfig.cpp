#include "generator_app/ui/GeneratorPanelConfig.h"

#include "common/IniFile.h"
#include "common/settings/WindowSettings.h"
#include "engine/ui/GeneratorDlg.h"

#include <wx/panel.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <memory>

namespace
{

constexpr const char* kBase = "Generator";

// A window's placement as the configuration stores it: a top-level tool window with its state, or
// the panel inside the program's window with its position.
class PlacedWindow : public CPlacedWindow
{
public:
    explicit PlacedWindow(wxWindow* window) : m_window(window) {}

    ChildFrameState GetFrameState() const override
    {
        ChildFrameState state;
        state.visible = m_window->IsShown();
        auto* top = dynamic_cast<wxTopLevelWindow*>(m_window);
        state.minimised = top != nullptr && top->IsIconized();
        const wxRect r = m_window->GetRect();
        state.normal = {r.x, r.y, r.x + r.width, r.y + r.height};
        state.current = state.normal;
        return state;
    }

    void SetFrameState(const ChildFrameState& state) override
    {
        const WindowRect r = ClampWindowRect(state.normal);
        if (IsUsableWindowRect(r.left, r.top, r.right, r.bottom))
        {
            if (m_window->IsTopLevel())
                m_window->SetSize(r.left, r.top, r.right - r.left, r.bottom - r.top);
            else
                m_window->Move(r.left, r.top);
        }
        m_window->Show(state.visible);
        if (auto* top = dynamic_cast<wxTopLevelWindow*>(m_window); top != nullptr && state.visible)
            top->Iconize(state.minimised);
    }

private:
    wxWindow* m_window;
};

struct ToolWindow
{
    const char* name;
    int command;
    wxWindow* (*get)(const CGeneratorDlg&);
};

// The panel's tool windows in the order of the file.
const ToolWindow kToolWindows[] = {
    {"Volume slider", CGeneratorDlg::kCmdVolumeSlider,
     [](const CGeneratorDlg& p) -> wxWindow* { return p.GetVolumeSlider(); }},
    {"Balance slider", CGeneratorDlg::kCmdBalanceSlider,
     [](const CGeneratorDlg& p) -> wxWindow* { return p.GetBalanceSlider(); }},
    {"Frequency slider", CGeneratorDlg::kCmdFrequencySlider,
     [](const CGeneratorDlg& p) -> wxWindow* { return p.GetFrequencySlider(); }},
    {"Frequency presets", CGeneratorDlg::kCmdFreqPresets,
     [](const CGeneratorDlg& p) -> wxWindow* { return p.GetPresets(); }},
    {"Statistics", CGeneratorDlg::kCmdStatistics,
     [](const CGeneratorDlg& p) -> wxWindow* { return p.GetStatistics(); }},
    {"Piano", CGeneratorDlg::kCmdPiano, [](const CGeneratorDlg& p) -> wxWindow* { return p.GetPiano(); }},
};

std::string Section(const char* name)
{
    return std::string(kBase) + "." + name;
}

}  // namespace

namespace generator_panel_config
{

bool WriteFrequencyPresets(const CIniFile& file, const std::string& section,
                           const CFrequencyPresetsDlg& presets)
{
    bool ok = file.WriteInt(section, "Count", generator_tools::kPresetCapacity);
    for (int i = 0; i < generator_tools::kPresetCapacity; ++i)
        ok = file.WriteDouble(section, "Button #" + std::to_string(i + 1), presets.GetPreset(i)) && ok;
    return ok;
}

int ReadFrequencyPresets(const CIniFile& file, const std::string& section, CFrequencyPresetsDlg& presets)
{
    const int count = std::clamp(file.ReadInt(section, "Count", 0), 0, generator_tools::kPresetCapacity);
    for (int i = 0; i < count; ++i)
        presets.SetPreset(i,
                          file.ReadDouble(section, "Button #" + std::to_string(i + 1), presets.GetPreset(i)));
    return count;
}

bool SaveConfig(CGeneratorDlg& panel, const std::filesystem::path& path)
{
    CIniFile file;
    if (!file.SetFileName(path.string()))
        return false;
    auto save = [&](const char* name, wxWindow* window)
    {
        std::shared_ptr<CPlacedWindow> placed;
        CWindow_settings state;
        if (window != nullptr)
        {
            placed = std::make_shared<PlacedWindow>(window);
            state.m_window = placed;
        }
        return state.WriteProfile(file, Section(name));
    };
    bool ok = save("Dialog", panel.GetPanel());
    for (const ToolWindow& tool : kToolWindows)
        ok = save(tool.name, tool.get(panel)) && ok;
    if (const CFrequencyPresetsDlg* presets = panel.GetPresets())
        ok = WriteFrequencyPresets(file, kPresetsSection, *presets) && ok;
    return ok;
}

void LoadConfig(CGeneratorDlg& panel, const std::filesystem::path& path)
{
    CIniFile file;
    if (!file.SetFileName(path.string()))
        return;
    {
        CWindow_settings state;
        state.ReadProfile(file, Section("Dialog"));
        state.Restore(std::make_shared<PlacedWindow>(panel.GetPanel()));
    }
    for (const ToolWindow& tool : kToolWindows)
    {
        CWindow_settings state;
        state.ReadProfile(file, Section(tool.name));
        if (tool.get(panel) == nullptr && state.m_bLoaded != 0 && state.m_bValid != 0)
            panel.RunCommand(tool.command);
        if (wxWindow* window = tool.get(panel))
            state.Restore(std::make_shared<PlacedWindow>(window));
    }
    if (panel.GetPresets() == nullptr)
    {
        panel.RunCommand(CGeneratorDlg::kCmdFreqPresets);
        if (panel.GetPresets() != nullptr)
            panel.GetPresets()->Hide();
    }
    if (CFrequencyPresetsDlg* presets = panel.GetPresets())
        ReadFrequencyPresets(file, kPresetsSection, *presets);
    // The loaded delay goes into the delay controls first, so that applying them takes it to the
    // generator (the controls still show the previous delay until they are refreshed).
    panel.UpdateControls();
    panel.ApplyDelayStep();
    panel.UpdateControls();
    panel.GetPanel()->Refresh();
}

}  // namespace generator_panel_config

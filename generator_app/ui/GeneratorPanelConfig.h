// The generator panel's part of Pulvera's INI configuration: the placement of the panel ("Dialog")
// and of its six tool windows, and the frequency presets. Loading reopens each tool window that was
// open, where it was, and always leaves a presets window (hidden when it was closed).
//
// Threads: user-interface thread only.
#pragma once

#include <filesystem>
#include <string>

class CFrequencyPresetsDlg;
class CGeneratorDlg;
class CIniFile;

namespace generator_panel_config
{

// The section of the presets and of the presets window's placement.
inline constexpr const char* kPresetsSection = "Generator.Frequency presets";

// False when the file cannot be written.
bool SaveConfig(CGeneratorDlg& panel, const std::filesystem::path& path);
void LoadConfig(CGeneratorDlg& panel, const std::filesystem::path& path);

// "Count" and "Button #1".. "Button #Count"; reading sets at most as many presets as the window has
// and never more than "Count".
bool WriteFrequencyPresets(const CIniFile& file, const std::string& section,
                           const CFrequencyPresetsDlg& presets);
int ReadFrequencyPresets(const CIniFile& file, const std::string& section, CFrequencyPresetsDlg& presets);

}  // namespace generator_panel_config

// The "Config Presets" dialog: the names and files of the ten user presets, kept in the registry
// under "SOFTWARE\Halvek\Tessarin\config\Preset1".."Preset10" ("name", "Filename"). Opening it
// creates the keys that are missing; OK writes every row back, Cancel writes nothing.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

#include <array>
#include <string>

class wxTextCtrl;

class CConfigPresetsDlg : public wxDialog
{
public:
    static constexpr int kPresetCount = 10;
    static constexpr int kIdResetAll = 3;
    // Row i (1..10): number 5099 + i, name 5199 + i, file 5299 + i, browse button 5399 + i.
    static constexpr int kIdNumberBase = 5099;
    static constexpr int kIdNameBase = 5199;
    static constexpr int kIdFileBase = 5299;
    static constexpr int kIdBrowseBase = 5399;

    explicit CConfigPresetsDlg(wxWindow* parent);

    // The registry key of preset i (1..10).
    static std::string PresetKey(int preset);
    // A stored value of preset i ("name" or "Filename"), or the default; the key is created when
    // it is missing.
    static std::string ReadPresetValue(int preset, const char* valueName, const std::string& defaultText);

    // Every name "Empty %i" and every file empty (the "Reset all" button).
    void ResetAll();

    bool TransferDataFromWindow() override;

    std::array<std::string, kPresetCount> m_names;
    std::array<std::string, kPresetCount> m_files;

private:
    void OnBrowse(int row);
    void WriteRegistry() const;

    std::array<wxTextCtrl*, kPresetCount> m_pNames{};
    std::array<wxTextCtrl*, kPresetCount> m_pFiles{};
};

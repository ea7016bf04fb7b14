// The generator program's INI configuration: the generator's keys and the frame's placement.
#include "common/IniFile.h"
#include "generator_app/GeneratorWnd.h"
#include "platform/Text.h"

namespace
{

// The accessor refuses such paths; the user is told instead of the file going elsewhere.
bool TakePath(CIniFile& ini, const std::filesystem::path& path, CEngineNotifications& notes)
{
    if (ini.SetFileName(path.string()))
        return true;
    notes.ShowMessage("The path of the configuration file is too long (" +
                      std::to_string(platform::CountCharacters(path.string())) + " characters; at most " +
                      std::to_string(CIniFile::kMaxPathCharacters - 1) + ").");
    return false;
}

}  // namespace

bool CGeneratorWnd::SaveConfig(const std::filesystem::path& path, CWindow_settings& mainframe)
{
    CIniFile ini;
    if (path.empty() || !TakePath(ini, path, *m_pNotifications))
        return false;
    const CSigGen_settings record = CurrentRecord();
    bool ok = record.WriteProfile(path.string(), kConfigSection);
    ok = mainframe.WriteProfile(ini, kMainframeSection) && ok;
    if (!ok)
        Tell("The configuration cannot be written to \"" + path.string() + "\".");
    return ok;
}

bool CGeneratorWnd::LoadConfig(const std::filesystem::path& path, CWindow_settings& mainframe)
{
    CIniFile ini;
    if (path.empty() || !TakePath(ini, path, *m_pNotifications))
        return false;
    CSigGen_settings record = CurrentRecord();
    record.ReadProfile(path.string(), kConfigSection);
    ApplyLoadedRecord(record);
    mainframe.ReadProfile(ini, kMainframeSection);
    mainframe.Restore(mainframe.m_window);
    return true;
}

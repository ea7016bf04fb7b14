// One input plug-in library loaded at run time ("Ninvaro.so" or the generic "dll_input.so") with the
// exports the engine resolves by name. A missing export stays null and is skipped by its caller.
//
// Threads: the user-interface thread (the engine's lifecycle operations).
#pragma once

#include "engine/InputDllConfig.h"
#include "platform/SharedLibrary.h"

#include <string>

class CInputPluginLibrary
{
public:
    // Opens the library (closing what was open) and resolves the nine exports, and
    // "DLL_input_init" when withInit. False when the library cannot be opened.
    bool Load(const std::string& path, bool withInit);
    void Unload();
    bool IsLoaded() const { return m_library.IsOpen(); }
    const std::string& GetPath() const { return m_path; }
    const std::string& GetError() const { return m_library.GetError(); }

    // The major and minor version words (0 when an export is missing).
    void GetVersion(int& major, int& minor) const;

    DllInputFunction open = nullptr;
    DllInputFunction start = nullptr;
    DllInputFunction close = nullptr;
    DllInputFunction stop = nullptr;
    DllInputFunction init = nullptr;
    DllInputGetConfigFunction getConfig = nullptr;
    DllInputFunction configDlg = nullptr;
    DllInputSetConfigFunction setConfig = nullptr;
    DllInputVersionFunction getVersionMajor = nullptr;
    DllInputVersionFunction getVersionMinor = nullptr;

private:
    platform::SharedLibrary m_library;
    std::string m_path;
};

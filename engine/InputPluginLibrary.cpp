#include "engine/InputPluginLibrary.h"

namespace
{
template <class F>
F Resolve(const platform::SharedLibrary& library, const char* name)
{
    return reinterpret_cast<F>(library.GetSymbol(name));
}
}  // namespace

bool CInputPluginLibrary::Load(const std::string& path, bool withInit)
{
    Unload();
    if (!m_library.Open(path))
        return false;
    m_path = path;
    open = Resolve<DllInputFunction>(m_library, "DLL_input_open");
    start = Resolve<DllInputFunction>(m_library, "DLL_input_start");
    close = Resolve<DllInputFunction>(m_library, "DLL_input_close");
    stop = Resolve<DllInputFunction>(m_library, "DLL_input_stop");
    getConfig = Resolve<DllInputGetConfigFunction>(m_library, "DLL_input_getConfig");
    configDlg = Resolve<DllInputFunction>(m_library, "DLL_input_configDLG");
    setConfig = Resolve<DllInputSetConfigFunction>(m_library, "DLL_input_setConfig");
    getVersionMajor = Resolve<DllInputVersionFunction>(m_library, "DLL_input_getVersion_Maj");
    getVersionMinor = Resolve<DllInputVersionFunction>(m_library, "DLL_input_getVersion_Min");
    init = withInit ? Resolve<DllInputFunction>(m_library, "DLL_input_init") : nullptr;
    return true;
}

void CInputPluginLibrary::Unload()
{
    open = start = close = stop = init = configDlg = nullptr;
    getConfig = nullptr;
    setConfig = nullptr;
    getVersionMajor = getVersionMinor = nullptr;
    m_library.Close();
    m_path.clear();
}

void CInputPluginLibrary::GetVersion(int& major, int& minor) const
{
    major = 0;
    minor = 0;
    if (getVersionMajor)
        getVersionMajor(&major);
    if (getVersionMinor)
        getVersionMinor(&minor);
}

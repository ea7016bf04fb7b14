// The engine's binding of input plug-in libraries: the ASIO plug-in of input mode 5 with the output
// callback that plays the engine's generators, and the generic input library of input mode 4.
#include "engine/SoundIn.h"

#include "platform/NumberFormat.h"
#include "platform/Places.h"

#include <algorithm>
#include <cstring>

namespace
{

// Old settings name the generic library with the other platform's extension.
std::string LibraryFileName(const std::string& name)
{
    if (name.size() > 4)
    {
        std::string tail = name.substr(name.size() - 4);
        std::transform(tail.begin(), tail.end(), tail.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (tail == ".dll")
            return name.substr(0, name.size() - 4) + ".so";
    }
    return name;
}

}  // namespace

std::string CSoundIn::PluginPath(const std::string& file) const
{
    const std::filesystem::path folder = m_pluginFolder.empty() ? platform::ProgramFolder() : m_pluginFolder;
    return (folder / file).string();
}

int CSoundIn::BindAsioPlugin()
{
    m_strPluginFailure.clear();
    for (int i = 0; i < kGeneratorCount; ++i)
    {
        CGenerator& generator = *m_generators[static_cast<std::size_t>(i)];
        generator.m_settings.m_sample_rate = m_nSampleRate;
        generator.ApplySettings();
        generator.m_32bitOutput = 1;
        generator.m_significantBits = 32;
    }
    try
    {
        m_pluginRenders.assign(static_cast<std::size_t>(kGeneratorCount) * kPluginRenderChannels *
                                   static_cast<std::size_t>(kPluginRenderFrames),
                               0);
    }
    catch (const std::bad_alloc&)
    {
        m_strPluginFailure = "Failed to allocate memory for the generator output.";
        m_pNotifications->ShowMessage(m_strPluginFailure);
        return -1;
    }
    m_inputDllConfig.outputCallback = &CSoundIn::AsioOutputCallback;
    m_inputDllConfig.outputContext = this;

    const std::string path = PluginPath(kAsioPluginFile);
    if (!m_asioPlugin.IsLoaded() && !m_asioPlugin.Load(path, false))
    {
        m_strPluginFailure = "Failed to load driver DLL\n";
        m_pNotifications->ShowMessage(m_strPluginFailure);
        return -1;
    }
    if (m_asioPlugin.setConfig)
        m_asioPlugin.setConfig(&m_inputDllConfig);
    int major = 0;
    int minor = 0;
    m_asioPlugin.GetVersion(major, minor);
    if (major > kPluginMinMajor || (major == kPluginMinMajor && minor >= kPluginMinMinor))
    {
        int opened = 1;
        if (m_asioPlugin.open)
        {
            m_asioPlugin.open();
            if (m_asioPlugin.close)
                m_asioPlugin.close();
            opened = m_asioPlugin.open();
        }
        if (opened == 1)
            return 1;
        // The device did not open: the plug-in says why in its block.
        InputDllConfig block;
        if (m_asioPlugin.getConfig)
            m_asioPlugin.getConfig(&block);
        block.openFailure[sizeof block.openFailure - 1] = '\0';
        m_strPluginFailure =
            block.openFailure[0] != '\0' ? block.openFailure : "the ASIO device could not be opened";
        if (m_asioPlugin.close)
            m_asioPlugin.close();
        m_pNotifications->ShowMessage("Failed to open the ASIO device.\n" + m_strPluginFailure);
        return 0;
    }
    m_strPluginFailure = platform::FormatC("%s: '%s'  V%i.%i\n%s min. V%i.%i", "File", path.c_str(), major,
                                           minor, "outdated", kPluginMinMajor, kPluginMinMinor);
    m_pNotifications->ShowMessage(m_strPluginFailure);
    m_asioPlugin.open = nullptr;
    if (m_asioPlugin.close)
        m_asioPlugin.close();
    m_asioPlugin.Unload();
    return 0;
}

int CSoundIn::StartAsioPlugin()
{
    return m_asioPlugin.start ? m_asioPlugin.start() : 0;
}

int CSoundIn::StopAsioPlugin()
{
    return m_asioPlugin.stop ? m_asioPlugin.stop() : 0;
}

int CSoundIn::CloseAsioPlugin()
{
    return m_asioPlugin.close ? m_asioPlugin.close() : 0;
}

int CSoundIn::OnConfigureAsio(std::uint64_t /*argument*/)
{
    PauseInput();
    StopInput();
    if (BindAsioPlugin() < 0)
        return 0;
    // The dialog works with the plug-in's settings, whether or not a device opened.
    if (!m_asioPlugin.IsLoaded())
        return 0;
    const int result = m_asioPlugin.configDlg ? m_asioPlugin.configDlg() : 0;
    CloseAsioPlugin();
    return result;
}

int CSoundIn::BindInputDll()
{
    if (m_inputLibrary.IsLoaded())
        return 0;
    return m_inputLibrary.Load(PluginPath(LibraryFileName(m_strInputLibrary)), true) ? 0 : -1;
}

int CSoundIn::StartInputDll()
{
    if (BindInputDll() < 0)
    {
        m_pNotifications->ShowMessage("Failed to load driver DLL\n");
        return 0;
    }
    if (m_inputLibrary.init)
        m_inputLibrary.init();
    if (m_inputLibrary.setConfig)
        m_inputLibrary.setConfig(&m_inputDllConfig);
    if (m_inputLibrary.open)
        m_inputLibrary.open();
    return 1;
}

void CSoundIn::CloseInputDll()
{
    if (m_inputLibrary.close)
        m_inputLibrary.close();
}

void CSoundIn::ResumeInputDll()
{
    if (m_inputLibrary.start)
        m_inputLibrary.start();
}

void CSoundIn::PauseInputDll()
{
    if (m_inputLibrary.stop)
        m_inputLibrary.stop();
}

int CSoundIn::ConfigureInputDll(std::uint64_t /*argument*/)
{
    if (BindInputDll() < 0 || !m_inputLibrary.configDlg)
        return 0;
    return m_inputLibrary.configDlg();
}

int CSoundIn::AsioOutputCallback(std::int32_t* out, int frames, void* context)
{
    auto* engine = static_cast<CSoundIn*>(context);
    if (!engine || !out || frames <= 0)
        return 0;
    const int outputs = std::clamp(engine->m_nPluginOutputChannels, 0, kMaxChannels);
    const auto total = static_cast<std::size_t>(outputs) * static_cast<std::size_t>(frames);
    // A period longer than the render area plays silence rather than overrunning it.
    if (frames > kPluginRenderFrames || engine->m_pluginRenders.empty())
    {
        std::fill_n(out, total, 0);
        return frames;
    }
    const int c = std::clamp(engine->m_generators[0]->m_channels, 1, kPluginRenderChannels);
    const auto slice = static_cast<std::size_t>(c) * static_cast<std::size_t>(frames);
    std::array<const std::int32_t*, kPanelGenerators> renders{};
    for (int g = 0; g < kPanelGenerators; ++g)
    {
        CGenerator* generator = engine->m_generators[static_cast<std::size_t>(g)].get();
        if (!generator || generator->m_settings.m_output_on == 0)
            continue;
        std::int32_t* target =
            engine->m_pluginRenders.data() + static_cast<std::size_t>(g) * c * kPluginRenderFrames;
        generator->Render(target, static_cast<int>(slice * sizeof(std::int32_t)));
        renders[static_cast<std::size_t>(g)] = target;
    }
    engine->m_generatorMatrix.MixGenerators(std::span<std::int32_t>(out, total), outputs, frames, renders, c);
    return frames;
}

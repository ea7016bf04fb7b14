// The engine's binding of input plug-in libraries (input modes 5 and 4) against the test plug-in:
// the version check, a missing library, the order of the plug-in calls, the format the plug-in
// reports, blocks arriving, and the output callback that mixes the generators.
#include "engine/PluginInput.h"
#include "engine/SoundIn.h"
#include "platform/Places.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace
{

class MessageRecorder : public CEngineNotifications
{
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

std::filesystem::path TestPluginFolder()
{
    return platform::ProgramFolder() / "test_input_plugins";
}

std::string PluginLog(const char* file)
{
    void* handle = dlopen((TestPluginFolder() / file).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return "(not loaded)";
    auto log = reinterpret_cast<const char* (*)()>(dlsym(handle, "TestPlugin_Log"));
    std::string text = log ? log() : "";
    dlclose(handle);
    return text;
}

class InputPluginTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        m_engine.SetNotifications(&m_messages);
        m_engine.m_pluginFolder = TestPluginFolder();
        m_engine.SetInputDevice(CSoundIn::kInputAsio, std::make_unique<CAsioPluginInput>(m_engine));
        m_engine.SetInputDevice(CSoundIn::kInputLibrary, std::make_unique<CLibraryInput>(m_engine));
    }
    void TearDown() override
    {
        m_engine.StopInput();
        m_engine.SetNotifications(nullptr);
        unsetenv("TESSARIN_TEST_PLUGIN_VERSION");
    }
    CSoundIn m_engine;
    MessageRecorder m_messages;
};

TEST_F(InputPluginTest, OnlyVersion128AndLaterAreBound)
{
    struct Case
    {
        const char* version;
        int result;
    };
    const Case cases[] = {{"1.27", 0}, {"1.28", 1}, {"2.0", 1}, {"0.99", 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.version);
        setenv("TESSARIN_TEST_PLUGIN_VERSION", c.version, 1);
        m_messages.messages.clear();
        EXPECT_EQ(m_engine.BindAsioPlugin(), c.result);
        if (c.result == 1)
        {
            EXPECT_TRUE(m_messages.messages.empty());
            EXPECT_TRUE(m_engine.m_asioPlugin.IsLoaded());
            m_engine.CloseAsioPlugin();
            m_engine.m_asioPlugin.Unload();
            continue;
        }
        ASSERT_EQ(m_messages.messages.size(), 1u);
        int major = 0, minor = 0;
        std::sscanf(c.version, "%d.%d", &major, &minor);
        char expected[512];
        std::snprintf(expected, sizeof expected, "File: '%s'  V%i.%i\noutdated min. V1.28",
                      (TestPluginFolder() / "Ninvaro.so").c_str(), major, minor);
        EXPECT_EQ(m_messages.messages[0], expected);
        EXPECT_FALSE(m_engine.m_asioPlugin.IsLoaded()) << "an outdated plug-in is unloaded";
    }
}

TEST_F(InputPluginTest, AMissingLibraryIsReportedAndTheInputStaysStopped)
{
    m_engine.m_pluginFolder = m_home.Root();
    EXPECT_EQ(m_engine.BindAsioPlugin(), -1);
    ASSERT_EQ(m_messages.messages.size(), 1u);
    EXPECT_EQ(m_messages.messages[0], "Failed to load driver DLL\n");
    m_engine.m_nInputMode = CSoundIn::kInputAsio;
    EXPECT_EQ(m_engine.OpenInput(), -1);
    EXPECT_EQ(m_engine.GetState(), CSoundIn::kStateStopped);
}

TEST_F(InputPluginTest, Mode5TakesThePluginsFormatAndDeliversBlocks)
{
    m_engine.m_nInputMode = CSoundIn::kInputAsio;
    m_engine.m_nSampleRate = 44100;
    ASSERT_EQ(m_engine.OpenInput(), 0) << (m_messages.messages.empty() ? "" : m_messages.messages[0]);
    EXPECT_EQ(m_engine.m_nSampleRate, 32000);
    EXPECT_EQ(m_engine.m_nAnalysisChannels, 2);
    EXPECT_EQ(m_engine.m_nPluginOutputChannels, 4);
    // The format query binds (open, close, open), reads the format, hands back the matrices and
    // closes; the open binds again.
    EXPECT_EQ(PluginLog("Ninvaro.so"),
              "setConfig open close stop open getConfig setConfig close stop "
              "setConfig open close stop open ");
    m_engine.RestartInput();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (m_engine.m_nAnalysisCounter.load() < 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GE(m_engine.m_nAnalysisCounter.load(), 3);
    m_engine.StopInput();
    const std::string log = PluginLog("Ninvaro.so");
    EXPECT_EQ(log.substr(log.size() - 17), "start close stop ") << log;
}

TEST_F(InputPluginTest, Mode4LoadsTheSoOfAnOldDllNameAndTakesItsRate)
{
    m_engine.m_nInputMode = CSoundIn::kInputLibrary;
    m_engine.m_strInputLibrary = "dll_input.dll";
    ASSERT_EQ(m_engine.OpenInput(), 0) << (m_messages.messages.empty() ? "" : m_messages.messages[0]);
    EXPECT_EQ(m_engine.m_nSampleRate, 32000);
    const std::string log = PluginLog("dll_input.so");
    EXPECT_NE(log.find("init setConfig open"), std::string::npos) << log;
    EXPECT_EQ(m_engine.ConfigureInputDll(0), 7);
    m_engine.StopInput();
    m_engine.m_strInputLibrary = "no_such_input.dll";
    m_engine.m_inputLibrary.Unload();
    m_engine.SetInputDevice(CSoundIn::kInputLibrary, std::make_unique<CLibraryInput>(m_engine));
    EXPECT_EQ(m_engine.OpenInput(), -1);
}

TEST_F(InputPluginTest, OutputCallbackMixesTheGeneratorsThroughTheMatrix)
{
    m_engine.m_nPluginOutputChannels = 3;
    ASSERT_EQ(m_engine.BindAsioPlugin(), 1);
    CGenerator& g0 = *m_engine.GetGenerator(0);
    g0.m_settings.m_output_on = 1;
    g0.ApplySettings();
    CGenerator& test = *m_engine.GetGenerator(10);
    test.m_settings.m_output_on = 1;
    test.ApplySettings();
    auto& channels = m_engine.m_generatorMatrix.m_settings.m_channel;
    channels[0] = {};
    channels[0].m_active = 1;
    channels[0].m_count_a = 2;
    channels[0].m_generators_a[0] = 0;
    channels[0].m_generators_a[1] = 0;  // listed twice: added twice
    channels[1] = {};
    channels[1].m_active = 1;
    channels[1].m_test_generator = 1;
    channels[2] = {};
    channels[2].m_active = 0;
    const int frames = 64;
    std::vector<std::int32_t> out(3 * frames, 77);
    EXPECT_EQ(CSoundIn::AsioOutputCallback(out.data(), frames, &m_engine), frames);
    double energy0 = 0.0;
    for (int n = 0; n < frames; ++n)
    {
        energy0 += std::abs(static_cast<double>(out[static_cast<std::size_t>(n)]));
        EXPECT_EQ(out[static_cast<std::size_t>(2 * frames + n)], 0) << "a silent channel";
    }
    EXPECT_GT(energy0, 0.0);
    // A period longer than the render area gives silence, not an overrun.
    const int tooLong = CSoundIn::kPluginRenderFrames + 1;
    std::vector<std::int32_t> big(3 * static_cast<std::size_t>(tooLong), 5);
    EXPECT_EQ(CSoundIn::AsioOutputCallback(big.data(), tooLong, &m_engine), tooLong);
    for (std::int32_t v : big)
        ASSERT_EQ(v, 0);
    m_engine.CloseAsioPlugin();
}

}  // namespace

// The real program: Tessarin's link starts Pulvera (temporary home, ALSA's default device a `file`
// device), sends a 1 kHz sine at -6 dB with the output on, and after three seconds SIGTERM closes
// it. The played file must hold, after its leading silence, exactly what a CGenerator renders at
// Pulvera's rate, and "saved.sgs" must hold what was sent.
#include "engine/Generator.h"
#include "engine/GeneratorLink.h"
#include "platform/Archive.h"
#include "tests/support/AlsaTestConfig.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace
{

constexpr int kRate = 44100;  // Pulvera's rate after its defaults
constexpr int kChannels = 2;

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::int16_t> ReadSamples(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// What Pulvera's generator renders for the record, started as the program starts it.
std::vector<std::int16_t> ReferenceRender(const CSigGen_settings& sent, int frames)
{
    CGenerator generator;
    generator.Init();
    generator.m_settings.OutputDeviceMode() = 0;
    generator.SetSettings(generator.m_settings);
    generator.ApplySettings();
    CSigGen_settings record = sent;
    record.m_sample_rate = kRate;
    generator.ApplySettingsCommand(record);
    record.m_flags = kGenCommandStart;
    generator.ApplySettingsCommand(record);
    std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * kChannels);
    constexpr int kBlock = 1323;  // any block size renders the same samples
    for (int done = 0; done < frames; done += kBlock)
    {
        const int n = std::min(kBlock, frames - done);
        generator.Render(out.data() + static_cast<std::size_t>(done) * kChannels, n * kChannels * 2);
    }
    return out;
}

class PulveraRunTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no display (run under xvfb-run)";
        if (!testsupport::AlsaTestConfig::Available())
            GTEST_SKIP() << "no ALSA configuration on this machine";
    }

    void SetVariable(const char* name, const std::string& value)
    {
        ::setenv(name, value.c_str(), 1);
        m_variables.push_back(name);
    }

    void TearDown() override
    {
        for (const char* name : m_variables)
            ::unsetenv(name);
    }

    // Waits for the started program to end; -1000 when it did not within the bound.
    static int WaitForExit(pid_t pid, std::chrono::seconds bound)
    {
        const auto limit = std::chrono::steady_clock::now() + bound;
        int status = 0;
        while (::waitpid(pid, &status, WNOHANG) == 0)
        {
            if (std::chrono::steady_clock::now() > limit)
            {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                return -1000;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }

    std::vector<const char*> m_variables;
};

TEST_F(PulveraRunTest, PlaysTheSineTheLinkSendsBitForBitAndSavesItOnSigterm)
{
    const std::filesystem::path played = m_home.Root() / "played.raw";
    const std::filesystem::path trace = m_home.Root() / "trace.txt";
    const std::filesystem::path messages = m_home.Root() / "messages.txt";
    const std::filesystem::path shot = std::filesystem::path(TESSARIN_TEST_OUTPUT_DIR) / "pulvera-frame.png";
    std::filesystem::remove(shot);
    testsupport::AlsaTestConfig alsa(m_home.Root());
    alsa.SetDefaultPlaybackFile(played);
    alsa.Apply();
    SetVariable("TESSARIN_TEST_TRACE", trace.string());
    SetVariable("TESSARIN_TEST_MESSAGES", messages.string());
    SetVariable("TESSARIN_TEST_SCREENSHOT", shot.string());

    CGeneratorLink link;
    link.m_programFolder = PULVERA_FOLDER;
    ASSERT_TRUE(link.FindOrStartGeneratorProgram(true));
    ASSERT_GT(link.m_startedPid, 0);

    CSigGen_settings record;
    record.SetDefaults();
    record.m_mode = kGenModeSine;
    record.m_frequency = 1000.0;
    record.SetLevel(std::pow(10.0, -6.0 / 20.0));  // output on
    record.m_sample_rate = 96000;                  // Pulvera keeps its own
    record.m_flags = 0;
    const CSigGen_settings sent = record;
    link.SendGeneratorSettings(record, 0);

    std::this_thread::sleep_for(std::chrono::seconds(3));
    const pid_t pid = link.m_startedPid;
    link.m_startedPid = 0;  // this test collects the exit status
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    EXPECT_EQ(WaitForExit(pid, std::chrono::seconds(30)), 0);

    const std::string traced = ReadText(trace);
    EXPECT_NE(traced.find("listening"), std::string::npos) << traced;
    EXPECT_NE(traced.find("screenshot saved"), std::string::npos) << traced;
    EXPECT_NE(traced.find("saved\n"), std::string::npos) << traced;
    EXPECT_NE(traced.find("underruns 0"), std::string::npos) << "underruns: " << traced;
    EXPECT_EQ(ReadText(messages), "") << "no message box";

    // "saved.sgs" holds what was sent, at Pulvera's own rate.
    const std::filesystem::path saved = m_home.ConfigHome() / "Tessarin" / "saved.sgs";
    ASSERT_TRUE(std::filesystem::exists(saved));
    CSigGen_settings loaded;
    {
        const std::string bytes = ReadText(saved);
        CArchive ar(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
        loaded.Serialize(ar);
    }
    EXPECT_EQ(loaded.m_frequency, 1000.0);
    EXPECT_EQ(loaded.m_level, sent.m_level);
    EXPECT_EQ(loaded.m_output_on, 1);
    EXPECT_EQ(loaded.m_sample_rate, kRate);

    // After the leading silence, the played samples are the generator's, bit for bit.
    const std::vector<std::int16_t> samples = ReadSamples(played);
    const int playedFrames = static_cast<int>(samples.size() / kChannels);
    const std::vector<std::int16_t> reference = ReferenceRender(sent, 4 * kRate);
    auto frameEquals = [&](int played, int rendered)
    {
        return std::memcmp(&samples[static_cast<std::size_t>(played) * kChannels],
                           &reference[static_cast<std::size_t>(rendered) * kChannels], kChannels * 2) == 0;
    };
    // The first place where the render begins (64 frames in a row), then how far it goes on.
    constexpr int kProbe = 64;
    int start = -1;
    for (int offset = 0; offset + kProbe < playedFrames && offset < 2 * kRate && start < 0; ++offset)
    {
        int n = 0;
        while (n < kProbe && frameEquals(offset + n, n))
            ++n;
        if (n == kProbe)
            start = offset;
    }
    ASSERT_GE(start, 0) << "the render is nowhere in the first two seconds of " << playedFrames << " frames";
    for (int i = 0; i < start; ++i)
        ASSERT_TRUE(samples[static_cast<std::size_t>(i) * 2] == 0 &&
                    samples[static_cast<std::size_t>(i) * 2 + 1] == 0)
            << "silence before the render, frame " << i;
    int matching = 0;
    while (start + matching < playedFrames && matching < 4 * kRate && frameEquals(start + matching, matching))
        ++matching;
    std::printf(
        "played %d frames; leading silence %d frames (%.1f ms); %d frames (%.2f s) equal the render\n",
        playedFrames, start, 1000.0 * start / kRate, matching, static_cast<double>(matching) / kRate);
    EXPECT_GE(matching, 2 * kRate) << "at least two seconds bit for bit";
    EXPECT_GE(start, kRate / 10) << "the ring's silence goes first";
    EXPECT_TRUE(std::filesystem::exists(shot));
}

}  // namespace

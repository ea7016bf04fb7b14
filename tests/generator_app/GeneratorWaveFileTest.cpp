// Write Wave file and the five-speaker stream of the generator program's core: the headers against
// sox, the samples against a second generator set up the same way, the speaker layout through a
// real ALSA `file` device.
#include "generator_app/GeneratorWnd.h"

#include "tests/support/AlsaTestConfig.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace
{

class RecordingNotifications : public CEngineNotifications
{
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

std::uint32_t Le32(const std::string& bytes, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    return v;
}

std::uint16_t Le16(const std::string& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
}

std::string RunCommand(const std::string& command)
{
    std::string out;
    if (std::FILE* pipe = popen(command.c_str(), "r"))
    {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            out += buffer;
        pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

// A generator window as the program makes it, playing a sine with its own setting of rate, bits and
// high resolution.
void Prepare(CGeneratorWnd& wnd, int rate, int bits, bool highResolution)
{
    wnd.Create();
    wnd.OnFirstPaint();
    wnd.m_generator.m_settings.m_output_on = 1;
    wnd.m_generator.m_settings.SetBalanceDb(-6.0);  // left and right differ
    wnd.ApplySoundCardChoice(rate, bits, highResolution);
}

class GeneratorWaveFileTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override { std::filesystem::create_directories(m_home.File("").parent_path()); }
    RecordingNotifications m_notes;
};

struct WaveCase
{
    int rate;
    int bits;
    bool highResolution;
    double seconds;
    int blocks;
    int blockAlign;
    int headerBits;
};

TEST_F(GeneratorWaveFileTest, HeaderAgreesWithSoxAndSamplesAreTheGeneratorsRender)
{
    const WaveCase cases[] = {
        {44100, 16, false, 30.0, 646, 4, 16},  // 1323000 frames: 646 whole blocks, 8 frames more
        {44100, 24, true, 2.9, 44, 6, 24},     // packed: the upper three bytes of each sample
        {48000, 16, false, 1.0, 24, 4, 16},    // 192000 bytes per second
        {48000, 32, true, 1.0, 24, 8, 32},
        {44100, 20, true, 1.0, 22, 6, 24},  // other depths: in whole bytes, as the header says
        {44100, 16, true, 1.0, 22, 4, 16},
    };
    for (const WaveCase& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.bits) + " bits");
        CGeneratorWnd wnd;
        wnd.SetNotifications(&m_notes);
        Prepare(wnd, c.rate, c.bits, c.highResolution);
        const std::filesystem::path file = m_home.File("out-" + std::to_string(c.bits) + ".wav");
        ASSERT_TRUE(wnd.WriteWaveFile(file, c.seconds));
        EXPECT_FALSE(wnd.IsRunning());

        const std::string bytes = testsupport::ReadBytes(file);
        ASSERT_GE(bytes.size(), 46u);
        const std::uint32_t frames = static_cast<std::uint32_t>(c.blocks) * CGeneratorWnd::kWaveBlockFrames;
        EXPECT_EQ(Le32(bytes, 16), 18u);
        EXPECT_EQ(Le16(bytes, 20), 1);
        EXPECT_EQ(Le16(bytes, 22), 2);
        EXPECT_EQ(Le32(bytes, 24), static_cast<std::uint32_t>(c.rate));
        EXPECT_EQ(Le32(bytes, 28), static_cast<std::uint32_t>(c.rate * c.blockAlign));
        EXPECT_EQ(Le16(bytes, 32), c.blockAlign);
        EXPECT_EQ(Le16(bytes, 34), c.headerBits);
        EXPECT_EQ(Le32(bytes, 42), frames * static_cast<std::uint32_t>(c.blockAlign));
        EXPECT_EQ(bytes.size(), 46u + frames * static_cast<std::uint32_t>(c.blockAlign));
        EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);

        const std::string sox = "sox --i ";
        const std::string path = "'" + file.string() + "'";
        EXPECT_EQ(RunCommand(sox + "-r " + path), std::to_string(c.rate));
        EXPECT_EQ(RunCommand(sox + "-c " + path), "2");
        EXPECT_EQ(RunCommand(sox + "-s " + path), std::to_string(frames));
        EXPECT_EQ(RunCommand(sox + "-b " + path), std::to_string(c.headerBits));

        // The same generator, rendered straight: the file holds its upper bytes.
        CGeneratorWnd reference;
        Prepare(reference, c.rate, c.bits, c.highResolution);
        const int sampleBytes = c.highResolution ? 4 : 2;
        std::vector<std::uint8_t> render(static_cast<std::size_t>(frames) * 2 * sampleBytes);
        for (std::size_t at = 0; at < render.size(); at += CGeneratorWnd::kWaveBlockFrames * 2 * sampleBytes)
            CGeneratorWnd::FillFromGenerator(render.data() + at,
                                             CGeneratorWnd::kWaveBlockFrames * 2 * sampleBytes,
                                             &reference.m_generator);
        const int fileBytes = c.blockAlign / 2;
        std::size_t mismatches = 0;
        bool nonZero = false;
        for (std::size_t i = 0; i < static_cast<std::size_t>(frames) * 2; ++i)
            for (int b = 0; b < fileBytes; ++b)
            {
                const auto got = static_cast<std::uint8_t>(bytes[46 + i * fileBytes + b]);
                const std::uint8_t want = render[i * sampleBytes + sampleBytes - fileBytes + b];
                mismatches += got != want;
                nonZero = nonZero || got != 0;
            }
        EXPECT_EQ(mismatches, 0u);
        EXPECT_TRUE(nonZero);
    }
    EXPECT_TRUE(m_notes.messages.empty());
}

TEST_F(GeneratorWaveFileTest, AFileThatCannotBeCreatedIsReported)
{
    CGeneratorWnd wnd;
    wnd.SetNotifications(&m_notes);
    Prepare(wnd, 44100, 16, false);
    EXPECT_FALSE(wnd.WriteWaveFile(m_home.File("no-such-folder/out.wav"), 1.0));
    ASSERT_EQ(m_notes.messages.size(), 1u);
    EXPECT_NE(m_notes.messages[0].find("cannot be created"), std::string::npos);
    // A disk that fills up: the file may grow to 64 KB only (the write then fails instead of the
    // signal ending the process).
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 65536;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = wnd.WriteWaveFile(m_home.File("full.wav"), 1.0);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    ASSERT_EQ(m_notes.messages.size(), 2u);
    EXPECT_NE(m_notes.messages[1].find("cannot be written"), std::string::npos);
}

TEST_F(GeneratorWaveFileTest, FiveSpeakersCarryLeftRightTheirMeanAndSilenceWhereSwitchedOff)
{
    if (!testsupport::AlsaTestConfig::Available())
        GTEST_SKIP() << "no ALSA configuration on this machine";
    testsupport::AlsaTestConfig alsa(m_home.Root());
    const std::filesystem::path raw = m_home.File("five.raw");
    alsa.SetDefaultPlaybackFile(raw);
    alsa.Apply();
    CGeneratorWnd wnd;
    wnd.SetNotifications(&m_notes);
    Prepare(wnd, 44100, 16, false);

    // Cancel-free choice: surround right off, five channels.
    std::array<bool, CGeneratorWnd::kSpeakers> switches{true, true, true, true, true};
    switches[CGeneratorWnd::kSurroundRight] = false;
    wnd.ApplySpeakerChoice(switches, true);
    wnd.OnStart();
    ASSERT_TRUE(wnd.IsRunning()) << (m_notes.messages.empty() ? "" : m_notes.messages[0]);
    // A change of layout stops the output; the same layout again leaves it running.
    wnd.ApplySpeakerChoice(switches, true);
    EXPECT_TRUE(wnd.IsRunning());
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    wnd.ApplySpeakerChoice(switches, false);
    EXPECT_FALSE(wnd.IsRunning());

    const std::string bytes = testsupport::ReadBytes(raw);
    const std::size_t frames = bytes.size() / 10;
    ASSERT_GT(frames, 4410u);
    std::size_t differ = 0;
    std::size_t loud = 0;
    for (std::size_t f = 0; f < frames; ++f)
    {
        std::int16_t s[5];
        std::memcpy(s, bytes.data() + 10 * f, 10);
        ASSERT_EQ(s[3], s[0]) << f;
        ASSERT_EQ(s[4], 0) << f;
        ASSERT_EQ(s[2], static_cast<std::int16_t>((s[0] + s[1]) / 2)) << f;
        differ += s[0] != s[1];
        loud += s[0] != 0;
    }
    EXPECT_GT(differ, frames / 2);
    EXPECT_GT(loud, frames / 2);
    EXPECT_TRUE(m_notes.messages.empty());
}

}  // namespace

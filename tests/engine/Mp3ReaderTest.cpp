// MP3 through LAME's hip decoder: a file encoded here by the `lame` program from a known signal
// decodes back to that signal within the codec's tolerance; files that are no MP3 are refused.
#include "engine/AudioFileReader.h"
#include "engine/WaveRecorder.h"

#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <cmath>

extern char** environ;

namespace
{
constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// Runs a program with an argument vector; its exit code, or -1 when it could not run.
int RunProgram(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double Signal(int channel, int i)
{
    const double t = static_cast<double>(i) / kRate;
    return channel == 0 ? 0.4 * std::sin(2 * kPi * 440 * t) + 0.2 * std::sin(2 * kPi * 2500 * t)
                        : 0.3 * std::sin(2 * kPi * 1000 * t) + 0.25 * std::sin(2 * kPi * 5100 * t + 1.0);
}

class Mp3ReaderTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        if (RunProgram({"lame", "--version"}) != 0)
            GTEST_FAIL() << "the lame program is not installed (scripts/install-deps.sh installs it)";
    }

    // Encodes `seconds` of the known signal with `channels` channels; the MP3's path.
    std::string Encode(int channels, double seconds)
    {
        const std::string wave = m_home.File("signal.wav").string();
        CWaveRecorder recorder;
        recorder.m_nFileChannels = channels;
        recorder.m_nSampleRate = kRate;
        recorder.m_nBits = 16;
        EXPECT_EQ(recorder.Open(wave), 1);
        const int frames = static_cast<int>(seconds * kRate);
        std::vector<float> block(static_cast<std::size_t>(frames * channels));
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < channels; ++c)
                block[static_cast<std::size_t>(i * channels + c)] = static_cast<float>(Signal(c, i));
        recorder.WriteFloatBlock(block.data(), frames, 0);
        recorder.Close();
        const std::string mp3 = m_home.File("signal.mp3").string();
        EXPECT_EQ(RunProgram({"lame", "--quiet", "-b", "192", wave, mp3}), 0);
        return mp3;
    }
};

struct Comparison
{
    double correlation = 0.0;
    double levelDb = 0.0;
    int delay = 0;
};

// The delay that correlates best (encoder and decoder delay), and at it the correlation and the
// level difference of the decoded signal against the original over one second.
Comparison Compare(const std::vector<float>& decoded, int channels, int channel)
{
    Comparison best;
    const int window = kRate / 2;
    const int start = 2000;
    for (int delay = 0; delay < 4000; ++delay)
    {
        double xy = 0, xx = 0, yy = 0;
        for (int i = start; i < start + window; ++i)
        {
            const double x = Signal(channel, i);
            const double y = decoded[static_cast<std::size_t>((i + delay) * channels + channel)];
            xy += x * y;
            xx += x * x;
            yy += y * y;
        }
        const double r = xy / std::sqrt(xx * yy + 1e-30);
        if (r > best.correlation)
            best = {r, 10.0 * std::log10((yy + 1e-30) / xx), delay};
    }
    return best;
}

TEST_F(Mp3ReaderTest, DecodesTheKnownSignalWithinTheCodecsTolerance)
{
    for (int channels : {1, 2})
    {
        SCOPED_TRACE(std::to_string(channels) + " channels");
        const std::string mp3 = Encode(channels, 1.0);
        CAudioFileReader reader;
        reader.Open(mp3);
        ASSERT_TRUE(reader.IsOpen()) << reader.GetLastError();
        EXPECT_EQ(reader.m_bMp3, 1);
        EXPECT_EQ(reader.m_nChannels, channels);
        EXPECT_EQ(reader.m_nSampleRate, kRate);
        EXPECT_EQ(reader.m_nBits, 16);
        std::vector<float> decoded(static_cast<std::size_t>(2 * kRate * channels));
        int total = 0;
        // Read in odd pieces, so that decoded frames split across reads.
        while (total < 2 * kRate)
        {
            const int got = reader.Read(decoded.data() + static_cast<std::size_t>(total * channels),
                                        std::min(1000, 2 * kRate - total), 0);
            if (got == 0)
                break;
            total += got;
        }
        EXPECT_GE(total, kRate) << "the whole signal and the codec's delay";
        EXPECT_LT(total, 2 * kRate) << "the stream ends";
        EXPECT_EQ(reader.Read(decoded.data(), 10, 0), 0) << "an MP3 does not loop";
        EXPECT_GT(reader.m_dLength, 0.9 * kRate);
        for (int c = 0; c < channels; ++c)
        {
            const Comparison result = Compare(decoded, channels, c);
            EXPECT_GT(result.correlation, 0.99) << "channel " << c;
            EXPECT_LT(std::fabs(result.levelDb), 0.5) << "channel " << c;
            EXPECT_GT(result.delay, 0) << "the codec delays the signal";
        }
    }
}

TEST_F(Mp3ReaderTest, PlanarReadPutsTheSecondChannelAfterTheFirst)
{
    const std::string mp3 = Encode(2, 0.5);
    CAudioFileReader interleaved;
    interleaved.Open(mp3);
    CAudioFileReader planar;
    planar.Open(mp3);
    std::vector<float> a(2 * 4000);
    std::vector<float> b(2 * 4000);
    ASSERT_EQ(interleaved.Read(a.data(), 4000, 0), 4000);
    ASSERT_EQ(planar.Read(b.data(), 4000, 1), 4000);
    for (int i = 0; i < 4000; ++i)
    {
        ASSERT_EQ(a[static_cast<std::size_t>(2 * i)], b[static_cast<std::size_t>(i)]) << i;
        ASSERT_EQ(a[static_cast<std::size_t>(2 * i + 1)], b[static_cast<std::size_t>(4000 + i)]) << i;
    }
}

TEST_F(Mp3ReaderTest, FilesThatAreNoMp3AreRefused)
{
    std::string noise(20000, '\0');
    std::uint32_t x = 12345;
    for (char& ch : noise)
    {
        x = x * 1103515245u + 12345u;
        ch = static_cast<char>(x >> 24);
    }
    const struct
    {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty.mp3", ""}, {"text.mp3", "this is not audio"}, {"zeros.mp3", std::string(50000, '\0')}};
    for (const auto& c : cases)
    {
        const auto path = m_home.File(c.name);
        ASSERT_TRUE(testsupport::WriteBytes(path, c.bytes));
        CAudioFileReader reader;
        reader.Open(path.string());
        EXPECT_FALSE(reader.IsOpen()) << c.name;
        EXPECT_NE(reader.GetLastError().find(c.name), std::string::npos) << reader.GetLastError();
        float out[4] = {1, 1, 1, 1};
        EXPECT_EQ(reader.Read(out, 2, 0), 0);
    }
    CAudioFileReader missing;
    missing.Open(m_home.File("absent.mp3").string());
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.Read(nullptr, 0, 0), 0);

    // A stream cut in the middle plays what it holds and ends.
    const std::string mp3 = Encode(1, 0.5);
    std::string bytes = testsupport::ReadBytes(mp3);
    bytes.resize(bytes.size() / 2);
    bytes += noise;
    ASSERT_TRUE(testsupport::WriteBytes(m_home.File("cut.mp3"), bytes));
    CAudioFileReader cut;
    cut.Open(m_home.File("cut.mp3").string());
    ASSERT_TRUE(cut.IsOpen());
    std::vector<float> out(4096);
    int total = 0;
    for (int i = 0; i < 100; ++i)
    {
        const int got = cut.Read(out.data(), 4096, 0);
        if (got == 0)
            break;
        total += got;
        for (float v : out)
            ASSERT_TRUE(std::isfinite(v));
    }
    EXPECT_GT(total, 0);
    EXPECT_LT(total, 100 * 4096);
}

}  // namespace

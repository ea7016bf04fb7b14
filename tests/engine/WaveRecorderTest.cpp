// The wave recorder: every format written and read back by our reader and by sox, the header
// bytes, the program's chunks, file changes at the size limit, and the last file of a recording
// finished with all its chunks.
#include "engine/AudioFileReader.h"
#include "engine/WaveRecorder.h"

#include "tests/support/FileBytes.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>

namespace
{
std::uint32_t Le32(const std::string& b, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

double LeDouble(const std::string& b, std::size_t at)
{
    double v = 0.0;
    std::memcpy(&v, b.data() + at, 8);
    return v;
}

// The top-level chunks of a RIFF file in order: id and body.
std::vector<std::pair<std::string, std::string>> Chunks(const std::string& file)
{
    std::vector<std::pair<std::string, std::string>> chunks;
    std::size_t pos = 12;
    while (pos + 8 <= file.size())
    {
        const std::uint32_t size = Le32(file, pos + 4);
        chunks.emplace_back(file.substr(pos, 4), file.substr(pos + 8, size));
        pos += 8 + size + (size & 1);
    }
    return chunks;
}

std::string SoxInfo(const std::string& path)
{
    return testsupport::RunProgram({"sox", "--i", path});
}

bool HaveSox()
{
    return std::system("sox --version > /dev/null 2>&1") == 0;
}

class WaveRecorderTest : public testsupport::TempHomeTest
{
protected:
    std::string Path(const std::string& name) { return m_home.File(name).string(); }
    void SetUp() override { std::filesystem::create_directories(m_home.File("x").parent_path()); }
};

TEST_F(WaveRecorderTest, EveryFormatRoundTripsThroughOurReaderAndSox)
{
    struct Format
    {
        int bits;
        int isFloat;
        const char* encoding;
    };
    const Format formats[] = {{8, 0, "8-bit Unsigned Integer PCM"},
                              {16, 0, "16-bit Signed Integer PCM"},
                              {24, 0, "24-bit Signed Integer PCM"},
                              {32, 0, "32-bit Signed Integer PCM"},
                              {32, 1, "32-bit Floating Point PCM"}};
    const int channelCounts[] = {1, 2, 7, 64};
    const bool sox = HaveSox();
    if (!sox)
        ADD_FAILURE() << "sox is not installed (scripts/install-deps.sh installs it)";
    for (const Format& format : formats)
        for (int channels : channelCounts)
        {
            SCOPED_TRACE(std::to_string(format.bits) + (format.isFloat ? " float " : " bits ") +
                         std::to_string(channels) + " channels");
            const int frames = 300;
            std::vector<float> signal(static_cast<std::size_t>(frames * channels));
            for (int f = 0; f < frames; ++f)
                for (int c = 0; c < channels; ++c)
                    signal[static_cast<std::size_t>(f * channels + c)] =
                        static_cast<float>(0.9 * std::sin(0.05 * f * (c + 1) + c));
            const std::string path = Path("rt.wav");
            CWaveRecorder recorder;
            recorder.m_nFileChannels = channels;
            recorder.m_nSampleRate = 22050;
            recorder.m_nBits = format.bits;
            recorder.m_bFloat = format.isFloat;
            ASSERT_EQ(recorder.Open(path), 1);
            recorder.WriteFloatBlock(signal.data(), 100, 0);
            recorder.WriteFloatBlock(signal.data() + 100 * channels, 200, 0);
            recorder.Close();

            CAudioFileReader reader;
            reader.Open(path);
            ASSERT_TRUE(reader.IsOpen()) << reader.GetLastError();
            EXPECT_EQ(reader.m_nChannels, channels);
            EXPECT_EQ(reader.m_nSampleRate, 22050);
            EXPECT_EQ(reader.m_nBits, format.bits);
            EXPECT_EQ(reader.m_dLength, frames);
            std::vector<float> back(signal.size());
            ASSERT_EQ(reader.Read(back.data(), frames, 0), frames);
            const double step = format.isFloat ? 1e-7 : 1.0 / std::ldexp(1.0, format.bits - 1);
            for (std::size_t i = 0; i < signal.size(); ++i)
                // Truncation toward zero against a full scale of 2^(bits-1) - 1: under two steps.
                ASSERT_NEAR(back[i], signal[i], 2.0 * step) << i;

            if (sox)
            {
                const std::string info = SoxInfo(path);
                EXPECT_NE(info.find("Channels       : " + std::to_string(channels) + "\n"), std::string::npos)
                    << info;
                EXPECT_NE(info.find("Sample Rate    : 22050\n"), std::string::npos) << info;
                EXPECT_NE(info.find("Duration       : 00:00:00.01 = 300 samples"), std::string::npos) << info;
                EXPECT_NE(info.find(std::string("Sample Encoding: ") + format.encoding), std::string::npos)
                    << info;
            }
        }
}

TEST_F(WaveRecorderTest, HeaderAndChunksHaveTheirExactBytes)
{
    const std::string path = Path("gold.wav");
    CWaveRecorder recorder;
    recorder.m_nFileChannels = 2;
    recorder.m_nSampleRate = 44100;
    recorder.m_nBits = 16;
    recorder.m_dOverallFactor = 2.5;
    recorder.m_dChannelFactor[0] = 0.25;
    recorder.m_dChannelFactor[1] = 4.0;
    ASSERT_EQ(recorder.Open(path), 1);
    const std::int16_t samples[4] = {1, -1, 0x1234, -32768};
    recorder.WritePcm16Block(samples, 2);
    std::tm when{};
    when.tm_year = 2024 - 1900;
    when.tm_mon = 1;
    when.tm_mday = 29;
    when.tm_hour = 13;
    when.tm_min = 5;
    when.tm_sec = 7;
    when.tm_isdst = -1;
    recorder.SetStartTime(std::mktime(&when));
    recorder.Close();

    const std::string bytes = testsupport::ReadBytes(path);
    // RIFF, WAVE, an 18-byte "fmt " (PCM, 2 channels, 44100 Hz, 176400 bytes/s, align 4, 16 bits,
    // extra size 0), then "data" with the 8 bytes.
    EXPECT_EQ(testsupport::Hex(bytes.substr(0, 54)),
              testsupport::Hex(std::string("RIFF") + std::string("\x9E\x00\x00\x00", 4) + "WAVEfmt " +
                               std::string("\x12\x00\x00\x00\x01\x00\x02\x00\x44\xAC\x00\x00\x10\xB1\x02\x00"
                                           "\x04\x00\x10\x00\x00\x00",
                                           22) +
                               "data" + std::string("\x08\x00\x00\x00\x01\x00\xFF\xFF\x34\x12\x00\x80", 12)));
    EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
    const auto chunks = Chunks(bytes);
    ASSERT_EQ(chunks.size(), 6u);
    EXPECT_EQ(chunks[2].first, "scal");
    ASSERT_EQ(chunks[2].second.size(), 8u);
    EXPECT_EQ(LeDouble(chunks[2].second, 0), 2.5);
    EXPECT_EQ(chunks[3].first, "scal");
    ASSERT_EQ(chunks[3].second.size(), 16u);
    EXPECT_EQ(LeDouble(chunks[3].second, 0), 0.25);
    EXPECT_EQ(LeDouble(chunks[3].second, 8), 4.0);
    EXPECT_EQ(chunks[4].first, "chai");
    ASSERT_EQ(chunks[4].second.size(), 24u);
    EXPECT_EQ(Le32(chunks[4].second, 4), 0u);
    EXPECT_EQ(Le32(chunks[4].second, 8), 0u);
    EXPECT_EQ(Le32(chunks[4].second, 12), 0u);
    EXPECT_EQ(LeDouble(chunks[4].second, 16), 0.0);
    EXPECT_EQ(chunks[5].first, "star");
    ASSERT_EQ(chunks[5].second.size(), 32u);
    const std::uint32_t star[8] = {2024, 2, 29, 13, 5, 7, 0, 0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Le32(chunks[5].second, static_cast<std::size_t>(4 * i)), star[i]) << i;

    std::array<double, 257> factors{};
    ASSERT_EQ(ReadWaveFileCalibration(path, factors), 1);
    EXPECT_EQ(factors[256], 2.5);
    EXPECT_EQ(factors[0], 0.25);
    EXPECT_EQ(factors[1], 4.0);
    EXPECT_EQ(factors[2], 1.0);
}

TEST_F(WaveRecorderTest, FileChangesAtTheLimitAndEveryFileIsComplete)
{
    // 8000 Hz mono 16 bit, 10 ms per file: 80 frames each; 250 frames make four files.
    const std::string path = Path("long.wav");
    CWaveRecorder recorder;
    recorder.m_nFileChannels = 1;
    recorder.m_nSampleRate = 8000;
    recorder.m_nBits = 16;
    recorder.m_dMaxFileSeconds = 0.01;
    recorder.m_dChannelFactor[0] = 3.0;
    ASSERT_EQ(recorder.Open(path), 1);
    std::vector<std::int16_t> signal(250);
    for (int i = 0; i < 250; ++i)
        signal[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i * 100 - 12000);
    for (int i = 0; i < 250; i += 50)
        recorder.WritePcm16Block(signal.data() + i, 50);
    recorder.Close();
    EXPECT_EQ(recorder.m_dFramesWritten, 250.0);

    ASSERT_EQ(recorder.m_files.size(), 4u);
    EXPECT_EQ(recorder.m_files[0], path);
    std::uint32_t id = 0;
    std::vector<std::int16_t> joined;
    for (std::size_t k = 0; k < recorder.m_files.size(); ++k)
    {
        SCOPED_TRACE(recorder.m_files[k]);
        if (k > 0)
        {
            // base_<k-1>_YYYY_MM_DD_HH_MM_SS.wav
            const std::string name = std::filesystem::path(recorder.m_files[k]).filename().string();
            EXPECT_EQ(name.rfind("long_" + std::to_string(k - 1) + "_", 0), 0u) << name;
            EXPECT_EQ(name.size(), std::string("long_0_2024_01_01_00_00_00.wav").size()) << name;
        }
        const std::string bytes = testsupport::ReadBytes(recorder.m_files[k]);
        EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
        const auto chunks = Chunks(bytes);
        ASSERT_EQ(chunks.size(), 6u);
        EXPECT_EQ(chunks[1].second.size(), k < 3 ? 160u : 20u);
        for (std::size_t i = 0; i + 1 < chunks[1].second.size(); i += 2)
            joined.push_back(
                static_cast<std::int16_t>(Le32(chunks[1].second + std::string(2, '\0'), i) & 0xFFFF));
        // The last file keeps its per-channel calibration like every other.
        ASSERT_EQ(chunks[3].second.size(), 8u);
        EXPECT_EQ(LeDouble(chunks[3].second, 0), 3.0);
        const std::string& chai = chunks[4].second;
        if (k == 0)
            id = Le32(chai, 0);
        EXPECT_EQ(Le32(chai, 0), id) << "one recording id";
        EXPECT_EQ(Le32(chai, 4), k);
        EXPECT_EQ(LeDouble(chai, 16), k == 0 ? 0.0 : (k < 3 ? 80.0 * static_cast<double>(k + 1) : 250.0));
    }
    EXPECT_EQ(joined, signal) << "the files join without a gap";
}

TEST_F(WaveRecorderTest, SampleConversions)
{
    struct Case
    {
        const char* name;
        int bits;
        bool pcm16;
        float value;
        std::string expected;
    };
    const Case cases[] = {
        {"float 0 at 8 bits", 8, false, 0.0f, "80"},
        {"float -1 at 8 bits", 8, false, -1.0f, "01"},
        {"float 1 at 16 bits", 16, false, 1.0f, "ff 7f"},
        {"float beyond full scale saturates", 16, false, 1.5f, "ff 7f"},
        {"float below full scale saturates", 16, false, -3.0f, "00 80"},
        {"float 0.5 at 24 bits", 24, false, 0.5f, "ff ff 3f"},
        {"pcm 0x1234 at 24 bits", 24, true, 0x1234, "00 34 12"},
        {"pcm -1 at 8 bits", 8, true, -1, "80"},
        {"pcm -32768 at 8 bits", 8, true, -32768, "00"},
        {"pcm 0x4000 at 32 bits", 32, true, 0x4000, "00 00 00 40"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string path = Path("c.wav");
        CWaveRecorder recorder;
        recorder.m_nFileChannels = 1;
        recorder.m_nSampleRate = 8000;
        recorder.m_nBits = c.bits;
        ASSERT_EQ(recorder.Open(path), 1);
        if (c.pcm16)
        {
            const auto v = static_cast<std::int16_t>(c.value);
            recorder.WritePcm16Block(&v, 1);
        }
        else
            recorder.WriteFloatBlock(&c.value, 1, 0);
        recorder.Close();
        const auto chunks = Chunks(testsupport::ReadBytes(path));
        ASSERT_GE(chunks.size(), 2u);
        EXPECT_EQ(testsupport::Hex(chunks[1].second), c.expected);
    }
}

TEST_F(WaveRecorderTest, PlanarBlockWritesOnlyEnabledChannels)
{
    const std::string path = Path("p.wav");
    CWaveRecorder recorder;
    recorder.m_nFileChannels = 2;
    recorder.m_nSourceChannels = 3;
    recorder.m_nSampleRate = 8000;
    recorder.m_nBits = 16;
    recorder.m_bChannelEnabled[1] = 0;
    ASSERT_EQ(recorder.Open(path), 1);
    // Channel blocks of 2 frames: channel 0 {0.5, 0.25}, channel 1 {-1, -1}, channel 2 {-0.5, -0.25}.
    const float planar[6] = {0.5f, 0.25f, -1.0f, -1.0f, -0.5f, -0.25f};
    recorder.WriteFloatBlock(planar, 2, 1);
    recorder.Close();
    CAudioFileReader reader;
    reader.Open(path);
    ASSERT_EQ(reader.m_nChannels, 2);
    float out[4];
    reader.Read(out, 2, 0);
    const float expected[4] = {16383 / 32768.0f, -16383 / 32768.0f, 8191 / 32768.0f, -8191 / 32768.0f};
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(out[i], expected[i]) << i;
}

TEST_F(WaveRecorderTest, RefusesWhatItCannotWrite)
{
    CWaveRecorder recorder;
    recorder.m_nSampleRate = 8000;
    recorder.m_nBits = 16;
    recorder.m_nFileChannels = 0;
    EXPECT_EQ(recorder.Open(Path("a.wav")), 0);
    recorder.m_nFileChannels = 65;
    EXPECT_EQ(recorder.Open(Path("a.wav")), 0);
    recorder.m_nFileChannels = 1;
    recorder.m_nBits = 12;
    EXPECT_EQ(recorder.Open(Path("a.wav")), 0);
    recorder.m_nBits = 16;
    EXPECT_EQ(recorder.Open(m_home.Root().string() + "/no/such/folder/a.wav"), 0);
    EXPECT_FALSE(recorder.IsRecording());
    const std::int16_t s = 1;
    EXPECT_EQ(recorder.WritePcm16Block(&s, 1), 0);
    EXPECT_EQ(recorder.Open(Path("a.wav")), 1);
    EXPECT_EQ(recorder.Open(Path("b.wav")), 0) << "already recording";
}

}  // namespace

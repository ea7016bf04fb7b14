// The WAVE side of the audio file reader: sample conversions against hand-made files, looping,
// fades, calibration chunks, and damaged files that must be refused with a reason, never a crash.
#include "engine/AudioFileReader.h"

#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{
std::string U16(int v)
{
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}

std::string U32(std::uint32_t v)
{
    return U16(static_cast<int>(v & 0xFFFF)) + U16(static_cast<int>(v >> 16));
}

std::string Chunk(const std::string& id, const std::string& body)
{
    std::string c = id + U32(static_cast<std::uint32_t>(body.size())) + body;
    if (body.size() & 1)
        c += '\0';
    return c;
}

std::string Fmt(int tag, int channels, int rate, int blockAlign, int bits)
{
    return U16(tag) + U16(channels) + U32(static_cast<std::uint32_t>(rate)) +
           U32(static_cast<std::uint32_t>(rate * blockAlign)) + U16(blockAlign) + U16(bits);
}

std::string Riff(const std::string& chunks)
{
    return "RIFF" + U32(static_cast<std::uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

std::string Double(double v)
{
    std::string s(8, '\0');
    std::memcpy(s.data(), &v, 8);
    return s;
}

class AudioFileReaderTest : public testsupport::TempHomeTest
{
protected:
    std::string Write(const std::string& bytes, const std::string& name = "t.wav")
    {
        const auto path = m_home.File(name);
        EXPECT_TRUE(testsupport::WriteBytes(path, bytes));
        return path.string();
    }
};

TEST_F(AudioFileReaderTest, ConvertsEachSampleFormatToFullScaleFloats)
{
    struct Case
    {
        const char* name;
        int tag;
        int bits;
        std::string sample;
        float expected;
    };
    float quarter = 0.25f;
    std::string floatBytes(4, '\0');
    std::memcpy(floatBytes.data(), &quarter, 4);
    const Case cases[] = {
        {"8-bit zero", 1, 8, "\x80", 0.0f},
        {"8-bit minimum", 1, 8, std::string(1, '\0'), -1.0f},
        {"8-bit maximum", 1, 8, "\xFF", 127.0f / 128.0f},
        {"16-bit minimum", 1, 16, U16(0x8000), -1.0f},
        {"16-bit 0x4000", 1, 16, U16(0x4000), 0.5f},
        {"24-bit maximum", 1, 24, "\xFF\xFF\x7F", static_cast<float>(0x7FFFFF00 / 2147483648.0)},
        {"24-bit minus one", 1, 24, "\xFF\xFF\xFF", static_cast<float>(-256.0 / 2147483648.0)},
        {"32-bit PCM half", 1, 32, U32(0x40000000), 0.5f},
        {"32-bit float", 3, 32, floatBytes, 0.25f},
        {"32-bit unknown tag", 2, 32, U32(0x40000000), 0.0f},
        // G.711: A-law 0xD5 is +8, 0x2A is -32256; mu-law 0xFF is 0, 0x00 is -32124.
        {"A-law +8", 6, 8, "\xD5", 8.0f / 32768.0f},
        {"A-law -32256", 6, 8, "\x2A", -32256.0f / 32768.0f},
        {"mu-law 0", 7, 8, "\xFF", 0.0f},
        {"mu-law -32124", 7, 8, std::string(1, '\0'), -32124.0f / 32768.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const int align = c.bits / 8;
        CAudioFileReader reader;
        reader.Open(Write(Riff(Chunk("fmt ", Fmt(c.tag, 1, 8000, align, c.bits)) + Chunk("data", c.sample))));
        ASSERT_TRUE(reader.IsOpen()) << reader.GetLastError();
        EXPECT_EQ(reader.m_nBits, c.bits);
        float out[2] = {9.0f, 9.0f};
        EXPECT_EQ(reader.Read(out, 2, 0), 2);
        EXPECT_FLOAT_EQ(out[0], c.expected);
        EXPECT_FLOAT_EQ(out[1], c.expected) << "a one-frame file loops";
    }
}

TEST_F(AudioFileReaderTest, LoopsPastTheEndAndSkipsTrailingChunks)
{
    std::string data;
    for (int v : {100, 200, 300})
        data += U16(v) + U16(-v);
    // Trailing chunks as the recorder writes them must never be played as samples.
    const std::string file =
        Riff(Chunk("fmt ", Fmt(1, 2, 8000, 4, 16)) + Chunk("data", data) + Chunk("scal", Double(2.0)) +
             Chunk("scal", Double(3.0) + Double(4.0)) + Chunk("chai", std::string(24, '\x11')) +
             Chunk("star", std::string(32, '\x22')));
    CAudioFileReader reader;
    reader.Open(Write(file));
    ASSERT_TRUE(reader.IsOpen()) << reader.GetLastError();
    EXPECT_EQ(reader.m_dLength, 3.0);
    EXPECT_EQ(reader.m_dOverallFactor, 2.0);
    EXPECT_EQ(reader.m_dChannelFactor[0], 3.0);
    EXPECT_EQ(reader.m_dChannelFactor[1], 4.0);
    EXPECT_EQ(reader.m_dChannelFactor[2], 1.0);
    float out[7 * 2];
    ASSERT_EQ(reader.Read(out, 7, 0), 7);
    const int expected[7] = {100, 200, 300, 100, 200, 300, 100};
    for (int f = 0; f < 7; ++f)
    {
        EXPECT_FLOAT_EQ(out[2 * f], expected[f] / 32768.0f) << f;
        EXPECT_FLOAT_EQ(out[2 * f + 1], -expected[f] / 32768.0f) << f;
    }
    // Planar: channel 1's block follows channel 0's.
    reader.SeekFrame(1);
    float planar[4];
    ASSERT_EQ(reader.Read(planar, 2, 1), 2);
    EXPECT_FLOAT_EQ(planar[0], 200 / 32768.0f);
    EXPECT_FLOAT_EQ(planar[1], 300 / 32768.0f);
    EXPECT_FLOAT_EQ(planar[2], -200 / 32768.0f);
    EXPECT_FLOAT_EQ(planar[3], -300 / 32768.0f);
}

TEST_F(AudioFileReaderTest, OverallScalAloneKeepsChannelFactorsAtOne)
{
    const std::string path = Write(Riff(Chunk("fmt ", Fmt(1, 2, 8000, 4, 16)) +
                                        Chunk("data", std::string(8, '\0')) + Chunk("scal", Double(0.5))));
    std::array<double, 257> factors{};
    ASSERT_EQ(ReadWaveFileCalibration(path, factors), 1);
    EXPECT_EQ(factors[256], 0.5);
    for (int c = 0; c < 256; ++c)
        ASSERT_EQ(factors[static_cast<std::size_t>(c)], 1.0) << c;
}

TEST_F(AudioFileReaderTest, TwentyFourBitsInFourByteContainersReadAsThirtyTwo)
{
    CAudioFileReader reader;
    reader.Open(Write(
        Riff(Chunk("fmt ", Fmt(1, 2, 48000, 8, 24)) + Chunk("data", U32(0x20000000) + U32(0xE0000000)))));
    ASSERT_TRUE(reader.IsOpen());
    EXPECT_EQ(reader.m_nBits, 32);
    float out[2];
    reader.Read(out, 1, 0);
    EXPECT_FLOAT_EQ(out[0], 0.25f);
    EXPECT_FLOAT_EQ(out[1], -0.25f);
}

TEST_F(AudioFileReaderTest, ExtensionDecidesBetweenWaveAndMp3)
{
    const std::string wave = Riff(Chunk("fmt ", Fmt(1, 1, 8000, 2, 16)) + Chunk("data", U16(1)));
    const struct
    {
        const char* name;
        int mp3;
    } cases[] = {{"a.wav", 0},  {"b.WAV", 0}, {"c.Wav", 0}, {"d.WAVE", 0},
                 {"e.aiff", 1}, {"f.mp2", 1}, {"noext", 1}};
    for (const auto& c : cases)
    {
        CAudioFileReader reader;
        reader.Open(Write(wave, c.name));
        EXPECT_EQ(reader.m_bMp3, c.mp3) << c.name;
        EXPECT_EQ(reader.IsOpen(), c.mp3 == 0) << c.name;
    }
}

TEST_F(AudioFileReaderTest, FadesRampNinetyDecibelsAndZeroSecondsLeaveSamplesAlone)
{
    std::string data;
    for (int i = 0; i < 100; ++i)
        data += U16(16384);
    const std::string path = Write(Riff(Chunk("fmt ", Fmt(1, 1, 100, 2, 16)) + Chunk("data", data)));
    CAudioFileReader plain;
    plain.Open(path);
    std::vector<float> out(100);
    plain.Read(out.data(), 100, 0);
    for (float v : out)
        ASSERT_FLOAT_EQ(v, 0.5f);

    CAudioFileReader faded;
    faded.m_dFadeInSeconds = 0.1;  // 10 frames
    faded.m_dFadeOutSeconds = 0.1;
    faded.Open(path);
    faded.Read(out.data(), 100, 0);
    EXPECT_NEAR(out[0], 0.5 * std::pow(10.0, -4.5), 1e-9);
    EXPECT_NEAR(out[5], 0.5 * std::pow(10.0, -4.5 + 4.5 * 5 / 10), 1e-6);
    EXPECT_FLOAT_EQ(out[10], 0.5f);
    EXPECT_FLOAT_EQ(out[89], 0.5f);
    EXPECT_FLOAT_EQ(out[90], 0.5f);  // the fade-out starts at gain 1
    EXPECT_NEAR(out[99], 0.5 * std::pow(10.0, -4.5 * 9 / 10), 1e-6);
}

TEST_F(AudioFileReaderTest, DamagedFilesAreRefusedWithAReason)
{
    const std::string fmt = Chunk("fmt ", Fmt(1, 2, 8000, 4, 16));
    const std::string data = Chunk("data", std::string(16, '\x01'));
    struct Case
    {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"empty file", "", "not a RIFF WAVE"},
        {"short header", "RIFF\x04", "not a RIFF WAVE"},
        {"other form", "RIFF" + U32(4) + "AVI ", "not a RIFF WAVE"},
        {"no fmt", Riff(data), "no \"fmt \""},
        {"short fmt", Riff(Chunk("fmt ", std::string(8, '\x01')) + data), "\"fmt \" chunk is damaged"},
        {"fmt past the end", Riff("fmt " + U32(0x7FFFFFF0) + Fmt(1, 2, 8000, 4, 16)),
         "\"fmt \" chunk is damaged"},
        {"no channels", Riff(Chunk("fmt ", Fmt(1, 0, 8000, 4, 16)) + data), "0 channels"},
        {"too many channels", Riff(Chunk("fmt ", Fmt(1, 300, 8000, 600, 16)) + data), "300 channels"},
        {"zero rate", Riff(Chunk("fmt ", Fmt(1, 2, 0, 4, 16)) + data), "sample rate"},
        {"block align zero", Riff(Chunk("fmt ", Fmt(1, 2, 8000, 0, 16)) + data), "frame size"},
        {"block align odd", Riff(Chunk("fmt ", Fmt(1, 2, 8000, 3, 16)) + data), "frame size"},
        {"block align huge", Riff(Chunk("fmt ", Fmt(1, 2, 8000, 64, 16)) + data), "frame size"},
        {"no data", Riff(fmt), "no \"data\""},
        {"empty data", Riff(fmt + Chunk("data", "")), "no samples"},
        {"data shorter than a frame", Riff(fmt + Chunk("data", "\x01\x02")), "no samples"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CAudioFileReader reader;
        reader.Open(Write(c.bytes));
        EXPECT_FALSE(reader.IsOpen());
        EXPECT_NE(reader.GetLastError().find(c.reason), std::string::npos) << reader.GetLastError();
        EXPECT_NE(reader.GetLastError().find("t.wav"), std::string::npos);
        float out[8] = {1, 1, 1, 1, 1, 1, 1, 1};
        EXPECT_EQ(reader.Read(out, 4, 0), 0);
        for (float v : out)
            EXPECT_TRUE(v == 1.0f || v == 0.0f) << "silence, never garbage";
        WaveFileInfo info;
        EXPECT_EQ(GetWaveFileInfo(m_home.File("t.wav").string(), info), -1);
    }
}

TEST_F(AudioFileReaderTest, SizesThatLieAreBoundedByTheFile)
{
    // A data chunk that claims 4 GB (a recording cut short) plays what the file holds; a RIFF size
    // and a trailing chunk that run past the end are ignored.
    std::string data;
    for (int v : {1000, 2000, 3000})
        data += U16(v);
    const std::string file = "RIFF" + U32(0xFFFFFFFF) + "WAVE" + Chunk("fmt ", Fmt(1, 1, 8000, 2, 16)) +
                             "data" + U32(0xFFFFFFFF) + data + "\x01";  // half a frame at the end
    CAudioFileReader reader;
    reader.Open(Write(file));
    ASSERT_TRUE(reader.IsOpen()) << reader.GetLastError();
    EXPECT_EQ(reader.m_dLength, 3.0);
    float out[4];
    reader.Read(out, 4, 0);
    EXPECT_FLOAT_EQ(out[3], 1000 / 32768.0f);

    const std::string scalPastEnd = Riff(Chunk("fmt ", Fmt(1, 1, 8000, 2, 16)) + Chunk("data", data)) +
                                    "scal" + U32(0x7FFFFFFF) + Double(7.0);
    CAudioFileReader second;
    second.Open(Write(scalPastEnd));
    ASSERT_TRUE(second.IsOpen());
    EXPECT_EQ(second.m_dOverallFactor, 1.0);

    const std::string nanFactor = Riff(Chunk("fmt ", Fmt(1, 1, 8000, 2, 16)) + Chunk("data", data) +
                                       Chunk("scal", Double(std::nan(""))));
    CAudioFileReader third;
    third.Open(Write(nanFactor));
    EXPECT_EQ(third.m_dOverallFactor, 1.0);
}

TEST_F(AudioFileReaderTest, ExtensibleFormatTakesItsSubFormat)
{
    float half = 0.5f;
    std::string sample(4, '\0');
    std::memcpy(sample.data(), &half, 4);
    // cbSize 22, valid bits, channel mask, then the sub-format GUID whose first two bytes are the tag.
    const std::string fmt = Fmt(0xFFFE, 1, 48000, 4, 32) + U16(22) + U16(32) + U32(4) + U16(3) +
                            std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    CAudioFileReader reader;
    reader.Open(Write(Riff(Chunk("fmt ", fmt) + Chunk("data", sample))));
    ASSERT_TRUE(reader.IsOpen()) << reader.GetLastError();
    EXPECT_EQ(reader.m_nFormatTag, 3);
    float out = 0.0f;
    reader.Read(&out, 1, 0);
    EXPECT_EQ(out, 0.5f);
}

}  // namespace

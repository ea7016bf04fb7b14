// What the generator program's rules change in the shared code: which files open as RIFF WAVE,
// that "scal" chunks are not read, and the filter response above half the sample rate.
#include "dsp/DesignedFilter.h"
#include "engine/AudioFileReader.h"
#include "generator_app/GeneratorProgramRules.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{

// Switches the rules on for one test and off again.
class RulesOn
{
public:
    RulesOn() { UseGeneratorProgramRules(); }
    ~RulesOn()
    {
        CAudioFileReader::SetGeneratorProgramRules(false);
        CDesignedFilter::SetFullRateResponse(false);
    }
};

void Put32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void Put16(std::string& out, std::uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

std::string Chunk(const char* id, const std::string& body)
{
    std::string out(id, 4);
    Put32(out, static_cast<std::uint32_t>(body.size()));
    return out + body;
}

std::string DoubleBytes(double value)
{
    std::string out(8, '\0');
    std::memcpy(out.data(), &value, 8);
    return out;
}

// A mono 16-bit file of samples 16384 at 48000 Hz, with the chunks asked for.
std::string WaveFile(bool fmt, bool data, int frames, bool scal)
{
    std::string format;
    Put16(format, 1);
    Put16(format, 1);
    Put32(format, 48000);
    Put32(format, 96000);
    Put16(format, 2);
    Put16(format, 16);
    std::string samples;
    for (int i = 0; i < frames; ++i)
        Put16(samples, 16384);
    std::string body = "WAVE";
    if (fmt)
        body += Chunk("fmt ", format);
    if (scal)
    {
        body += Chunk("scal", DoubleBytes(4.0));
        body += Chunk("scal", DoubleBytes(3.0));
    }
    if (data)
        body += Chunk("data", samples);
    return Chunk("RIFF", body);
}

class GeneratorReaderTest : public testsupport::TempHomeTest
{
protected:
    CAudioFileReader& Open(const std::string& name, const std::string& bytes)
    {
        const std::filesystem::path path = m_home.Root() / name;
        EXPECT_TRUE(testsupport::WriteBytes(path, bytes));
        m_reader.Open(path.string());
        return m_reader;
    }

    CAudioFileReader m_reader;
};

TEST_F(GeneratorReaderTest, OnlyTheExtensionWavInAnyCaseOpensAsRiff)
{
    RulesOn rules;
    struct Case
    {
        const char* name;
        bool riff;
    };
    for (const Case& c : {Case{"take.wav", true}, Case{"TAKE.WAV", true}, Case{"take.Wav", true},
                          Case{"take.wave", false}, Case{"take.WAVE", false}, Case{"take.mp3", false}})
    {
        SCOPED_TRACE(c.name);
        CAudioFileReader& reader = Open(c.name, WaveFile(true, true, 64, false));
        EXPECT_EQ(reader.m_bMp3, c.riff ? 0 : 1);
        EXPECT_EQ(reader.IsOpen(), c.riff) << "a RIFF file handed to the MP3 reader does not open";
    }
}

TEST_F(GeneratorReaderTest, AMissingOrEmptyChunkLeavesTheFileClosed)
{
    RulesOn rules;
    struct Case
    {
        const char* what;
        std::string bytes;
    };
    for (const Case& c :
         {Case{"no fmt", WaveFile(false, true, 64, false)}, Case{"no data", WaveFile(true, false, 0, false)},
          Case{"empty data", WaveFile(true, true, 0, false)}, Case{"not RIFF", std::string(64, 'x')}})
    {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(Open("case.wav", c.bytes).IsOpen());
        EXPECT_FALSE(m_reader.GetLastError().empty());
    }
}

TEST_F(GeneratorReaderTest, ScaleChunksAreIgnoredAndTheFilePlaysAtFullScale)
{
    const std::string bytes = WaveFile(true, true, 64, true);
    float samples[8]{};
    {
        RulesOn rules;
        ASSERT_TRUE(Open("scaled.wav", bytes).IsOpen());
        EXPECT_EQ(m_reader.m_dOverallFactor, 1.0);
        EXPECT_EQ(m_reader.m_dChannelFactor[0], 1.0);
        ASSERT_EQ(m_reader.Read(samples, 8, 0), 8);
        EXPECT_FLOAT_EQ(samples[3], 0.5f);
    }
    // The measurement program reads the same chunks.
    ASSERT_TRUE(Open("scaled.wav", bytes).IsOpen());
    EXPECT_EQ(m_reader.m_dOverallFactor, 4.0);
}

TEST(GeneratorFilterResponseTest, AboveHalfTheRateTheResponseIsComputedAtTheFullRate)
{
    for (const double rate : {44100.0, 48000.0, 96000.0})
    {
        for (const int twice : {0, 1})
        {
            SCOPED_TRACE(testing::Message() << rate << " Hz, twice " << twice);
            CDesignedFilter filter;
            CDesignedFilterSettings settings;
            settings.m_dHighCorner = 1000.0;
            settings.m_dLowCorner = 0.0;
            settings.m_nOrder = 4;
            settings.m_bTwice = twice;
            filter.SetSettings(settings);
            filter.m_dSampleRate = rate;
            ASSERT_EQ(filter.Design(), kDesignOk);
            const double below = 0.3 * rate;
            const double above = rate - below;  // its mirror image about half the rate
            EXPECT_DOUBLE_EQ(filter.GetResponse(above), twice ? 1e-30 * 1e-30 : 1e-30)
                << "the measurement program's floor";
            RulesOn rules;
            const double mirrored = filter.GetResponse(below);
            ASSERT_GT(mirrored, 0.0);
            // A real filter's magnitude is symmetric about half the rate.
            EXPECT_NEAR(filter.GetResponse(above) / mirrored, 1.0, 1e-9);
            EXPECT_GT(filter.GetResponse(0.5 * rate), 0.0);
            EXPECT_NEAR(filter.GetResponse(100.0), 1.0, 0.01) << "the pass band is untouched";
        }
    }
}

}  // namespace

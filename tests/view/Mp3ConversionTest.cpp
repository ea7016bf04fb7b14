// The conversion of finished recordings to MP3: the encoder gets each name as one argument whatever
// characters it holds, one file per tick, the wave file goes only after a good encoding, and a
// missing or failing encoder leaves the wave file and tells the user.
#include "engine/Mp3Reader.h"
#include "view/Mp3Conversion.h"

#include "tests/support/TempHome.h"
#include "tests/support/TestWaveFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>
#include <vector>

namespace
{

constexpr int kRate = 44100;

class Mp3ConversionTest : public testsupport::TempHomeTest
{
protected:
    std::string Tone(const std::string& name)
    {
        const std::filesystem::path path = m_home.File(name);
        std::filesystem::create_directories(path.parent_path());
        EXPECT_TRUE(testsupport::WritePcm16Wave(path, 1, kRate, kRate,
                                                [](int, long i)
                                                { return 0.5 * std::sin(2.0 * M_PI * 1000.0 * i / kRate); }));
        return path.string();
    }
    // Ticks until the encoder has ended; the messages of all ticks.
    std::string RunOut(const std::vector<std::string>& files, long recording)
    {
        std::string messages;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        do
        {
            messages += m_conversion.Tick(true, files, recording);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } while (m_conversion.IsConverting() && std::chrono::steady_clock::now() < end);
        return messages + m_conversion.Tick(false, files, recording);
    }
    CMp3Conversion m_conversion;
};

TEST_F(Mp3ConversionTest, NameWithShellCharactersIsEncodedAndOnlyThatWaveGoes)
{
    const std::string wave = Tone("it's a \"take\"; rm -rf x & echo $HOME.wav");
    const std::string other = Tone("other.wav");
    EXPECT_EQ(RunOut({wave}, 1), "");
    const std::filesystem::path mp3 = std::filesystem::path(wave).replace_extension(".mp3");
    ASSERT_TRUE(std::filesystem::exists(mp3));
    EXPECT_FALSE(std::filesystem::exists(wave));
    EXPECT_TRUE(std::filesystem::exists(other));

    // The MP3 decodes back to the tone: its level within 0.5 dB, its frequency from the zero
    // crossings within 1 Hz.
    CMp3Reader reader;
    reader.m_strPath = mp3.string();
    reader.ScanFile();
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.m_nSampleRate, kRate);
    std::vector<float> samples(2 * kRate);
    const int frames = reader.Read(samples.data(), 2 * kRate, false) / std::max(reader.m_nChannels, 1);
    ASSERT_GT(frames, kRate / 2);
    // Away from the encoder's start and end padding.
    double sum = 0.0;
    int crossings = 0, first = -1, last = -1;
    const int from = 4096, to = std::min(frames, kRate) - 4096;
    for (int i = from; i < to; ++i)
    {
        const float x = samples[static_cast<std::size_t>(i * reader.m_nChannels)];
        sum += static_cast<double>(x) * x;
        const float prev = samples[static_cast<std::size_t>((i - 1) * reader.m_nChannels)];
        if (prev < 0.0f && x >= 0.0f)
        {
            last = i;
            if (first < 0)
                first = i;
            else
                ++crossings;
        }
    }
    const double rmsDb = 10.0 * std::log10(sum / (to - from));
    EXPECT_NEAR(rmsDb, 20.0 * std::log10(0.5 / std::sqrt(2.0)), 0.5);
    ASSERT_GT(crossings, 100);
    EXPECT_NEAR(crossings * static_cast<double>(kRate) / (last - first), 1000.0, 1.0);
}

TEST_F(Mp3ConversionTest, OneFilePerTickAndEveryFileOfTheRecording)
{
    const std::vector<std::string> files = {Tone("rec.wav"), Tone("rec_0_t.wav"), Tone("rec_1_t.wav")};
    m_conversion.m_strProgram = "true";  // a stand-in that ends at once without output
    int started = 0;
    for (int tick = 0; tick < 200 && started < 4; ++tick)
    {
        const bool before = m_conversion.IsConverting();
        m_conversion.Tick(true, files, 7);
        if (!before && m_conversion.IsConverting())
            ++started;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(started, 3);
    // Without an MP3 file nothing was deleted.
    for (const std::string& f : files)
        EXPECT_TRUE(std::filesystem::exists(f)) << f;
    // A new recording starts its count afresh.
    m_conversion.Tick(true, {files[0]}, 8);
    EXPECT_TRUE(m_conversion.IsConverting());
}

TEST_F(Mp3ConversionTest, MissingOrFailingEncoderKeepsTheWaveAndTellsTheUser)
{
    struct Case
    {
        const char* program;
        const char* told;
    };
    for (const Case& c : {Case{"tessarin-no-such-encoder", "could not be started"}, Case{"false", "failed"}})
    {
        SCOPED_TRACE(c.program);
        const std::string wave = Tone(std::string(c.program) + ".wav");
        CMp3Conversion conversion;
        conversion.m_strProgram = c.program;
        std::string messages;
        for (int tick = 0; tick < 2000 && messages.empty(); ++tick)
        {
            messages += conversion.Tick(true, {wave}, 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_NE(messages.find(c.told), std::string::npos) << messages;
        EXPECT_NE(messages.find(wave), std::string::npos) << messages;
        EXPECT_TRUE(std::filesystem::exists(wave));
    }
}

}  // namespace

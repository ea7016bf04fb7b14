// The measurement window's impulse response: taken from the measurement, read from WAVE, MP3 and
// text files, written as WAVE and text, the plot toggles, and what the engine's decay analysis is
// given.
#include "ViewFixture.h"

#include "engine/AudioFileReader.h"
#include "engine/WaveRecorder.h"
#include "tests/support/FileBytes.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestWaveFile.h"
#include "texts/TextTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

namespace
{

using viewtest::ViewFixture;

class SndViewImpulseTest : public ViewFixture
{
protected:
    testsupport::TempHome m_home;

    std::string Wave(const std::string& name, int channels, int rate, long frames,
                     const std::function<double(int, long)>& sample)
    {
        const auto path = m_home.File(name);
        EXPECT_TRUE(testsupport::WritePcm16Wave(path, channels, rate, frames, sample));
        return path.string();
    }
    // Every sample of a file as the reader delivers it (interleaved).
    static std::vector<float> ReadAll(const std::string& path, int& channels, int& rate)
    {
        CAudioFileReader reader;
        reader.Open(path);
        channels = reader.m_nChannels;
        rate = reader.m_nSampleRate;
        std::vector<float> all;
        if (!reader.IsOpen())
            return all;
        const int frames = static_cast<int>(reader.m_dLength);
        all.resize(static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels));
        int got = 0;
        while (got < frames)
        {
            const int n =
                reader.Read(all.data() + static_cast<std::ptrdiff_t>(got) * channels, frames - got, 0);
            if (n <= 0)
                break;
            got += n;
        }
        all.resize(static_cast<std::size_t>(got) * static_cast<std::size_t>(channels));
        return all;
    }
};

// The analysis length is the smallest power of two at or above the frames, at least 65536; every
// channel is a row of that length, its frames followed by zeros.
TEST_F(SndViewImpulseTest, RowsAreZeroPaddedToTheAnalysisLength)
{
    struct Case
    {
        int frames;
        int length;
    };
    for (const Case c : {Case{1000, 65536}, Case{65536, 65536}, Case{65537, 131072}, Case{70000, 131072}})
    {
        CSndView& view = MakeView();
        const std::string path =
            Wave("ir" + std::to_string(c.frames) + ".wav", 2, 44100, c.frames,
                 [](int ch, long i) { return (ch == 0 ? 1.0 : -1.0) * ((i % 100) + 1) / 200.0; });
        ASSERT_EQ(view.LoadImpulseFromAudioFile(path, true), c.frames);
        const CImpulseResponse& ir = view.GetImpulse();
        EXPECT_EQ(ir.m_nFrames, c.frames);
        EXPECT_EQ(ir.m_nAnalysisLength, c.length);
        EXPECT_EQ(ir.m_nChannels, 2);
        EXPECT_EQ(ir.m_dSampleRate, 44100.0);
        EXPECT_NE(ir.m_nId, 0);
        ASSERT_GE(ir.m_samples.size(), 2u * static_cast<std::size_t>(c.length));
        for (int ch = 0; ch < 2; ++ch)
        {
            const float* row = ir.Channel(ch);
            EXPECT_EQ(row, ir.m_samples.data() + static_cast<std::ptrdiff_t>(ch) * c.length);
            const double sign = ch == 0 ? 1.0 : -1.0;
            EXPECT_NEAR(row[0], sign / 200.0, 1e-4);
            EXPECT_NEAR(row[c.frames - 1], sign * (((c.frames - 1) % 100) + 1) / 200.0, 1e-4);
            for (int i = c.frames; i < c.length; ++i)
                ASSERT_EQ(row[i], 0.0f) << c.frames << " channel " << ch << " sample " << i;
        }
        // The engine analyses channel 0 at the file's rate.
        EXPECT_EQ(m_engine.m_pHeldImpulse, ir.Channel(0));
        EXPECT_EQ(m_engine.m_nHeldImpulseLength, c.frames);
        EXPECT_EQ(m_engine.m_nHeldImpulseRate, 44100);
    }
}

// A file longer than 2^23 frames is cut at that length.
TEST_F(SndViewImpulseTest, LongFilesAreCut)
{
    CSndView& view = MakeView();
    const long frames = CImpulseResponse::kMaxFrames + 5000;
    const std::string path = Wave("long.wav", 1, 48000, frames, [](int, long i) { return (i % 7) / 10.0; });
    EXPECT_EQ(view.LoadImpulseFromAudioFile(path, true), CImpulseResponse::kMaxFrames);
    EXPECT_EQ(view.GetImpulse().m_nFrames, CImpulseResponse::kMaxFrames);
    EXPECT_EQ(view.GetImpulse().m_nAnalysisLength, CImpulseResponse::kMaxFrames);
    EXPECT_NEAR(view.GetImpulse().Channel(0)[CImpulseResponse::kMaxFrames - 1],
                ((CImpulseResponse::kMaxFrames - 1) % 7) / 10.0, 1e-4);
}

// The load command and a dropped file take the file by its extension, whatever its letter case:
// WAVE and MP3 as audio, text as text; anything else loads nothing. A load tells what was loaded,
// switches the window's channels to the impulse's and shows the impulse plot.
TEST_F(SndViewImpulseTest, LoadsByExtensionIgnoringCase)
{
    CSndView& view = MakeView();
    auto& window = Window(0);
    const std::string upper =
        Wave("LOUD.WAV", 2, 44100, 1000, [](int, long i) { return i == 10 ? 0.5 : 0.0; });
    window.m_strFilePath = upper;
    EXPECT_TRUE(view.OnCommand(view_command::kLoadImpulse));
    ASSERT_EQ(window.m_impulseFileKinds, std::vector<int>{CViewWindow::kImpulseOpen});
    EXPECT_EQ(view.GetImpulse().m_nFrames, 1000);
    ASSERT_EQ(m_frame.m_information.size(), 1u);
    EXPECT_EQ(m_frame.m_information[0],
              "65536 " + GetText(1000117) + " " + GetText(1000118) + ". Fs=44100Hz 2 ch");
    EXPECT_EQ(view.GetViewMode(), 256);
    EXPECT_TRUE(view.IsCommandChecked(view_command::kPlotImpulse));
    const CInputChannelMatrix& channels = view.GetSettings()->m_Channels;
    for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
        EXPECT_EQ(channels.GetChannel(c).m_bActive, c < 2 ? 1 : 0) << c;
    EXPECT_EQ(m_engine.m_bProcessingEnabled.load(), 1);

    // An unknown extension loads nothing and says nothing.
    const auto other = m_home.File("ir.dat");
    ASSERT_TRUE(testsupport::WriteBytes(other, "0.5\n"));
    const int id = view.GetImpulse().m_nId;
    EXPECT_FALSE(view.LoadImpulseFile(other.string()));
    EXPECT_EQ(view.GetImpulse().m_nId, id);
    EXPECT_EQ(m_frame.m_information.size(), 1u);
    EXPECT_EQ(m_frame.m_messages.size(), 1u);
}

TEST_F(SndViewImpulseTest, LoadsMp3)
{
    int status = -1;
    testsupport::RunProgram({"lame", "--version"}, &status);
    if (status != 0)
        GTEST_FAIL() << "the lame program is not installed (scripts/install-deps.sh installs it)";
    const std::string wave =
        Wave("tone.wav", 1, 44100, 44100, [](int, long i) { return 0.5 * std::sin(i * 0.05); });
    const std::string mp3 = m_home.File("Tone.MP3").string();
    testsupport::RunProgram({"lame", "--quiet", "-b", "128", wave, mp3}, &status);
    ASSERT_EQ(status, 0);
    CSndView& view = MakeView();
    EXPECT_TRUE(view.LoadImpulseFile(mp3));
    // The decoder adds its delay and padding; the second of sound is all there.
    EXPECT_GE(view.GetImpulse().m_nFrames, 44100);
    EXPECT_LT(view.GetImpulse().m_nFrames, 44100 + 4000);
    EXPECT_EQ(view.GetImpulse().m_dSampleRate, 44100.0);
}

// A file that cannot be read leaves the held response as it was and says so unless quiet; closing
// the window lets the engine go of the response.
TEST_F(SndViewImpulseTest, UnreadableFileKeepsTheHeldResponse)
{
    auto view = std::make_unique<CSndView>(m_document, m_engine);
    const std::string good = Wave("good.wav", 1, 48000, 100, [](int, long) { return 0.03; });
    ASSERT_EQ(view->LoadImpulseFromAudioFile(good, true), 100);
    const auto damaged = m_home.File("damaged.wav");
    ASSERT_TRUE(testsupport::WriteBytes(damaged, "RIFF\x04"));
    for (const bool quiet : {true, false})
        for (const auto& path : {damaged, m_home.File("missing.wav")})
        {
            m_frame.m_messages.clear();
            EXPECT_EQ(view->LoadImpulseFromAudioFile(path.string(), quiet), -1);
            EXPECT_EQ(m_frame.m_messages,
                      quiet ? std::vector<std::string>{} : std::vector<std::string>{GetText(17)});
            EXPECT_EQ(view->GetImpulse().m_nFrames, 100);
            EXPECT_EQ(m_engine.m_nHeldImpulseLength, 100);
        }
    view.reset();
    EXPECT_EQ(m_engine.m_pHeldImpulse, nullptr);
    EXPECT_EQ(m_engine.m_nHeldImpulseLength, 0);
}

// "Save .wav file" writes a copy scaled to a peak of 0.9999 at the impulse's rate; the held impulse
// keeps its values. A silent impulse is written silent.
TEST_F(SndViewImpulseTest, SavedWaveIsNormalisedAndTheHeldImpulseStays)
{
    m_engine.m_recordBits = 32;
    CSndView& view = MakeView();
    const std::string path =
        Wave("quiet.wav", 1, 32000, 500, [](int, long i) { return i == 3 ? -0.25 : 0.01; });
    ASSERT_EQ(view.LoadImpulseFromAudioFile(path, true), 500);
    const std::vector<float> before(view.GetImpulse().Channel(0), view.GetImpulse().Channel(0) + 500);
    const std::string saved = m_home.File("saved.wav").string();
    Window(0).m_strFilePath = saved;
    EXPECT_TRUE(view.OnCommand(view_command::kSaveImpulseWav));
    EXPECT_EQ(Window(0).m_impulseFileKinds, std::vector<int>{CViewWindow::kImpulseSaveWave});
    EXPECT_TRUE(std::equal(before.begin(), before.end(), view.GetImpulse().Channel(0)));
    int channels = 0, rate = 0;
    const std::vector<float> written = ReadAll(saved, channels, rate);
    EXPECT_EQ(channels, 1);
    EXPECT_EQ(rate, 32000);
    ASSERT_EQ(written.size(), 500u);
    EXPECT_NEAR(written[3], -0.9999, 1e-6);
    EXPECT_NEAR(written[0], 0.01 / 0.25 * 0.9999, 1e-3);

    // Silence: no division by zero, a silent file.
    view.GetImpulse().Prepare(1, 200);
    view.GetImpulse().m_dSampleRate = 8000;
    ASSERT_EQ(view.SaveImpulseAsWave(saved), 0);
    for (float v : ReadAll(saved, channels, rate))
        ASSERT_EQ(v, 0.0f);
    // A folder that does not exist.
    EXPECT_EQ(view.SaveImpulseAsWave(m_home.File("no/such/folder/x.wav").string()), -1);
    EXPECT_EQ(m_frame.m_messages.back(), GetText(18));
}

// The text form holds the analysis length of channel 0 (the zeros after the frames included), one
// value per line, and reads back to the same values at the analyser's rate.
TEST_F(SndViewImpulseTest, TextFormRoundTrips)
{
    CSndView& view = MakeView();
    const std::string path = Wave("ir.wav", 2, 44100, 3000,
                                  [](int ch, long i) { return ch == 0 ? std::sin(i * 0.1) * 0.7 : 0.2; });
    ASSERT_EQ(view.LoadImpulseFromAudioFile(path, true), 3000);
    const std::string text = m_home.File("ir.txt").string();
    Window(0).m_strFilePath = text;
    EXPECT_TRUE(view.OnCommand(view_command::kSaveImpulseText));
    EXPECT_EQ(Window(0).m_impulseFileKinds, std::vector<int>{CViewWindow::kImpulseSaveText});

    CSndView& other = MakeView();
    ASSERT_EQ(other.LoadImpulseFromText(text), 65536);
    const CImpulseResponse& a = view.GetImpulse();
    const CImpulseResponse& b = other.GetImpulse();
    EXPECT_EQ(b.m_nChannels, 1);
    EXPECT_EQ(b.m_nAnalysisLength, 65536);
    EXPECT_EQ(b.m_dSampleRate, m_engine.m_nSampleRate);
    for (int i = 0; i < 65536; ++i)
        ASSERT_NEAR(b.Channel(0)[i], a.Channel(0)[i], 1e-6 * std::fabs(a.Channel(0)[i]) + 1e-12) << i;

    // Text that holds no number, and no file, leave the held response alone, silently.
    const auto empty = m_home.File("empty.txt");
    ASSERT_TRUE(testsupport::WriteBytes(empty, "no numbers here\n"));
    EXPECT_EQ(other.LoadImpulseFromText(empty.string()), 0);
    EXPECT_EQ(other.LoadImpulseFromText(m_home.File("missing.txt").string()), -1);
    EXPECT_EQ(b.m_nFrames, 65536);
    // Reading ends at the first text that is not a number.
    const auto partial = m_home.File("partial.txt");
    ASSERT_TRUE(testsupport::WriteBytes(partial, "1.5\n-2e-3\n  7\nx 9\n"));
    EXPECT_EQ(other.LoadImpulseFromText(partial.string()), 3);
    EXPECT_FLOAT_EQ(b.Channel(0)[1], -2e-3f);
    EXPECT_TRUE(m_frame.m_messages.empty());
}

// With no impulse every plot toggle says so and leaves all flags off; with one, a toggle shows its
// plot alone with the impulse's FFT length, and the same toggle again ends it.
TEST_F(SndViewImpulseTest, PlotTogglesNeedAnImpulseAndExcludeEachOther)
{
    CSndView& view = MakeView();
    const std::vector<int> commands = {view_command::kPlotImpulse,           view_command::kPlotFreqResponse,
                                       view_command::kPlotPhaseResponse,     view_command::kPlotEnergyTime,
                                       view_command::kPlotEnergyDecay,       view_command::kPlotStepResponse,
                                       view_command::kPlotReverbVsFrequency, view_command::kPlotGroupDelay};
    const std::vector<int> codes = {256, 257, 258, 259, 260, 261, 262, 263};
    for (int id : commands)
    {
        EXPECT_TRUE(view.OnCommand(id));
        EXPECT_FALSE(view.IsImpulsePlotMode());
        EXPECT_FALSE(view.IsCommandChecked(id));
    }
    EXPECT_EQ(m_frame.CountMessages(GetText(16)), 8);
    EXPECT_EQ(GetText(16),
              "No valid impulse response available.\nPlease start a measurement first or load a file.");

    for (int id : {view_command::kSaveImpulseText, view_command::kSaveImpulseWav})
        view.OnCommand(id);
    EXPECT_EQ(m_frame.CountMessages(GetText(16)), 10);
    EXPECT_TRUE(Window(0).m_impulseFileKinds.empty());

    ASSERT_EQ(view.LoadImpulseFromAudioFile(
                  Wave("ir.wav", 1, 44100, 70000, [](int, long i) { return i ? 0.0 : 1.0; }), true),
              70000);
    m_engine.m_nWindowType = 5;
    for (std::size_t k = 0; k < commands.size(); ++k)
    {
        view.OnCommand(commands[k]);
        EXPECT_EQ(view.GetViewMode(), codes[k]);
        for (std::size_t j = 0; j < commands.size(); ++j)
            EXPECT_EQ(view.IsCommandChecked(commands[j]), j == k) << k << " " << j;
        EXPECT_EQ(view.m_nImpulseFftLength, 131072);
        EXPECT_EQ(view.m_nImpulseWindowType, 5);
    }
    view.OnCommand(view_command::kPlotGroupDelay);
    EXPECT_FALSE(view.IsImpulsePlotMode());
    EXPECT_EQ(m_frame.CountMessages(GetText(16)), 10);

    // Unload forgets the impulse and lets the engine go of it.
    view.OnCommand(view_command::kUnloadImpulse);
    EXPECT_FALSE(view.GetImpulse().IsHeld());
    EXPECT_EQ(m_engine.m_pHeldImpulse, nullptr);
    view.OnCommand(view_command::kPlotImpulse);
    EXPECT_FALSE(view.IsImpulsePlotMode());
}

// "Use current measurement" takes the engine's time signal only in the impulse response and
// oscilloscope modes; elsewhere it says so and changes nothing.
TEST_F(SndViewImpulseTest, TakesTheMeasurementOnlyInModesOneAndFour)
{
    CSndView& view = MakeView();
    m_engine.m_nFftSize = 4096;
    m_engine.m_nSampleRate = 48000;
    m_engine.m_timeDisplay.assign(2 * 4096, 0.0f);
    for (int i = 0; i < 4096; ++i)
        m_engine.m_timeDisplay[static_cast<std::size_t>(i)] = static_cast<float>(i) / 4096.0f;
    for (int mode : {0, 2, 3, 5, 6, 36})
    {
        m_engine.SetAnalyzerMode(mode);
        view.OnCommand(view_command::kUseCurrentMeasurement);
        EXPECT_FALSE(view.GetImpulse().IsHeld()) << mode;
    }
    EXPECT_EQ(m_frame.CountMessages(CSndView::kTakeImpulseMessage), 6);
    for (int mode : {4, 1})
    {
        m_engine.SetAnalyzerMode(mode);
        view.GetImpulse().Clear();
        view.TakeImpulseFromMeasurement(1);
        const CImpulseResponse& ir = view.GetImpulse();
        ASSERT_TRUE(ir.IsHeld()) << mode;
        EXPECT_EQ(ir.m_nFrames, 4096);
        EXPECT_EQ(ir.m_nAnalysisLength, 4096);
        EXPECT_EQ(ir.m_nChannels, 1);
        EXPECT_EQ(ir.m_dSampleRate, 48000.0);
        EXPECT_EQ(ir.m_nSignalType, 1);
        EXPECT_FLOAT_EQ(ir.Channel(0)[4095], 4095.0f / 4096.0f);
    }
    EXPECT_EQ(m_frame.CountMessages(CSndView::kTakeImpulseMessage), 6);
    // Shown as a plot, the analyser still measures impulses: the window takes the next one.
    view.OnCommand(view_command::kPlotEnergyTime);
    ASSERT_EQ(view.GetViewMode(), 259);
    view.OnCommand(view_command::kUseCurrentMeasurement);
    EXPECT_EQ(m_frame.CountMessages(CSndView::kTakeImpulseMessage), 6);
    m_engine.SetAnalyzerMode(0);
}

// "Auto update" is a check-marked switch of the window's settings.
TEST_F(SndViewImpulseTest, AutoUpdateToggles)
{
    CSndView& view = MakeView();
    EXPECT_FALSE(view.IsCommandChecked(view_command::kImpulseAutoUpdate));
    view.OnCommand(view_command::kImpulseAutoUpdate);
    EXPECT_TRUE(view.IsCommandChecked(view_command::kImpulseAutoUpdate));
    EXPECT_EQ(view.GetSettings()->m_bImpulseAutoUpdate, 1);
    view.OnCommand(view_command::kImpulseAutoUpdate);
    EXPECT_FALSE(view.IsCommandChecked(view_command::kImpulseAutoUpdate));
}

}  // namespace

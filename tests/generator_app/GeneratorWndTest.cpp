// The generator program's core as the link drives it: each kind of settings record, the saved
// settings between runs, and an output device that will not open. The output plays into an ALSA
// `file` device, so the real stream runs without a sound card.
#include "generator_app/GeneratorWnd.h"

#include "engine/GeneratorLink.h"
#include "platform/Places.h"
#include "tests/support/AlsaTestConfig.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace
{

class RecordingNotifications : public CEngineNotifications
{
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

class GeneratorWndTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        if (!testsupport::AlsaTestConfig::Available())
            GTEST_SKIP() << "no ALSA configuration on this machine";
        m_alsa.SetDefaultPlaybackFile(m_home.File("out.raw"));
        m_alsa.Apply();
        std::filesystem::create_directories(m_home.File("").parent_path());
        m_wnd.SetNotifications(&m_notes);
        m_wnd.Create();
        m_wnd.OnFirstPaint();
    }

    CSigGen_settings Record(std::int32_t command) const
    {
        CSigGen_settings record = m_wnd.m_generator.m_settings;
        record.m_flags = command;
        return record;
    }

    std::int32_t Send(const CSigGen_settings& record)
    {
        const std::vector<std::uint8_t> wire = record.ToWire();
        return m_wnd.OnCopyData(std::as_bytes(std::span(wire)));
    }

    testsupport::AlsaTestConfig m_alsa{m_home.Root()};
    RecordingNotifications m_notes;
    CGeneratorWnd m_wnd;
};

// One row per kind of record: what it sends and what must hold afterwards.
struct LinkCase
{
    const char* name;
    std::function<void(const std::filesystem::path& folder, CSigGen_settings&)> prepare;
    std::function<void(const CGeneratorWnd&, const CSigGen_settings& before)> check;
};

TEST_F(GeneratorWndTest, EachCommandChangesWhatItNamesAndNothingElse)
{
    const std::vector<LinkCase> cases = {
        {"5 changes only the frequency",
         [](const std::filesystem::path&, CSigGen_settings& r)
         {
             r.m_flags = 5;
             r.m_frequency = 440.0;
             r.m_level = 0.1;
             r.m_mode = kGenModeWhiteNoise;
             r.m_output_on = 1;
         },
         [](const CGeneratorWnd& w, const CSigGen_settings& before)
         {
             EXPECT_EQ(w.m_generator.m_settings.m_frequency, 440.0);
             EXPECT_EQ(w.m_generator.m_settings.m_level, before.m_level);
             EXPECT_EQ(w.m_generator.m_settings.m_mode, before.m_mode);
             EXPECT_EQ(w.m_generator.m_settings.m_output_on, before.m_output_on);
             EXPECT_FALSE(w.IsRunning()) << "the output state stays";
         }},
        {"the record's rate is ignored",
         [](const std::filesystem::path&, CSigGen_settings& r)
         {
             r.m_flags = 0;
             r.m_sample_rate = 96000;
             r.m_frequency = 1234.0;
         },
         [](const CGeneratorWnd& w, const CSigGen_settings& before)
         {
             EXPECT_EQ(w.m_generator.m_settings.m_frequency, 1234.0) << "the rest of the record is taken";
             EXPECT_EQ(w.m_generator.m_settings.m_sample_rate, before.m_sample_rate);
         }},
        {"100 on a missing file does nothing",
         [](const std::filesystem::path& folder, CSigGen_settings& r)
         {
             r.m_flags = kGenCommandLoadFile;
             r.SetSgsPath((folder / "missing.sgs").string());
         },
         [](const CGeneratorWnd& w, const CSigGen_settings& before)
         { EXPECT_TRUE(w.m_generator.m_settings.ToWire() == before.ToWire()) << "not one byte changes"; }},
    };
    for (const LinkCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        const CSigGen_settings before = m_wnd.m_generator.m_settings;
        CSigGen_settings record = Record(0);
        c.prepare(m_home.Root(), record);
        EXPECT_EQ(Send(record), 1);
        c.check(m_wnd, before);
    }
    EXPECT_TRUE(m_notes.messages.empty()) << m_notes.messages.front();
}

TEST_F(GeneratorWndTest, StartWhileRunningDoesNothing)
{
    CSigGen_settings record = Record(kGenCommandStart);
    ASSERT_EQ(Send(record), 1);
    ASSERT_TRUE(m_wnd.IsRunning()) << (m_notes.messages.empty() ? "" : m_notes.messages.front());
    const CAudioOut_DXStream* stream = m_wnd.m_soundOut.m_pStream.get();
    const double frequency = m_wnd.m_generator.m_settings.m_frequency;
    record.m_frequency = frequency * 2;
    EXPECT_EQ(Send(record), 1);
    EXPECT_TRUE(m_wnd.IsRunning());
    EXPECT_EQ(m_wnd.m_soundOut.m_pStream.get(), stream) << "the running stream is not replaced";
    EXPECT_EQ(m_wnd.m_generator.m_settings.m_frequency, frequency) << "102 applies no field";
    m_wnd.OnStop();
    EXPECT_FALSE(m_wnd.IsRunning());
}

TEST_F(GeneratorWndTest, SaveThenLoadRoundTripsTheSettingsFile)
{
    const std::filesystem::path path = m_home.File("link.sgs");
    CSigGen_settings record = Record(0);
    record.m_frequency = 315.0;
    record.m_mode = kGenModeTriangular;
    record.m_level = 0.25;
    ASSERT_EQ(Send(record), 1);
    record.m_flags = kGenCommandSaveFile;
    record.SetSgsPath(path.string());
    ASSERT_EQ(Send(record), 1);
    ASSERT_TRUE(std::filesystem::exists(path));

    CSigGen_settings other = Record(0);
    other.m_frequency = 5000.0;
    other.m_mode = kGenModeSine;
    other.m_level = 1.0;
    ASSERT_EQ(Send(other), 1);
    ASSERT_EQ(m_wnd.m_generator.m_settings.m_frequency, 5000.0);

    other.m_flags = kGenCommandLoadFile;
    other.SetSgsPath(path.string());
    ASSERT_EQ(Send(other), 1);
    EXPECT_EQ(m_wnd.m_generator.m_settings.m_frequency, 315.0);
    EXPECT_EQ(m_wnd.m_generator.m_settings.m_mode, kGenModeTriangular);
    EXPECT_EQ(m_wnd.m_generator.m_settings.m_level, 0.25);
    EXPECT_TRUE(m_notes.messages.empty());
}

TEST_F(GeneratorWndTest, MessagesOfTheWrongLengthOrVersionAreRefused)
{
    const CSigGen_settings before = m_wnd.m_generator.m_settings;
    std::vector<std::uint8_t> wire = Record(5).ToWire();
    wire[24] ^= 0x40;  // a different frequency
    const std::vector<std::uint8_t> shortWire(wire.begin(), wire.end() - 1);
    EXPECT_EQ(m_wnd.OnCopyData(std::as_bytes(std::span(shortWire))), 0);
    std::vector<std::uint8_t> longWire = wire;
    longWire.push_back(0);
    EXPECT_EQ(m_wnd.OnCopyData(std::as_bytes(std::span(longWire))), 0);
    std::vector<std::uint8_t> wrongVersion = wire;
    wrongVersion[4] = 3;
    EXPECT_EQ(m_wnd.OnCopyData(std::as_bytes(std::span(wrongVersion))), 0);
    EXPECT_EQ(m_wnd.m_generator.m_settings.m_frequency, before.m_frequency);
}

TEST_F(GeneratorWndTest, SavedSettingsComeBackAtTheNextStartOnTheAlsaStream)
{
    CSigGen_settings record = Record(0);
    record.m_frequency = 777.0;
    record.m_level = 0.5;
    record.OutputDeviceMode() = 1;  // ASIO at the time of saving
    ASSERT_EQ(Send(record), 1);
    ASSERT_TRUE(m_wnd.OnClose());
    ASSERT_TRUE(std::filesystem::exists(platform::ConfigFolder() / "saved.sgs"));

    CGeneratorWnd next;
    next.SetNotifications(&m_notes);
    next.Create();
    EXPECT_EQ(next.m_generator.m_settings.m_frequency, 1000.0) << "nothing is read before the first paint";
    next.OnFirstPaint();
    EXPECT_EQ(next.m_generator.m_settings.m_frequency, 777.0);
    EXPECT_EQ(next.m_generator.m_settings.m_level, 0.5);
    EXPECT_EQ(next.m_soundOut.m_nMode, CSoundOut::kModeDirectSound);
    next.OnStart();
    EXPECT_TRUE(next.IsRunning()) << (m_notes.messages.empty() ? "" : m_notes.messages.front());
    next.OnStop();
}

TEST_F(GeneratorWndTest, AnOutputThatWillNotOpenIsToldOnceAndTheLinkStillAnswers)
{
    testsupport::AlsaTestConfig broken(m_home.Root());
    broken.SetDefaultMissingCard();
    broken.Apply();
    CSigGen_settings record = Record(kGenCommandStart);
    EXPECT_EQ(Send(record), 1);
    EXPECT_EQ(Send(record), 1);
    record.m_flags = 5;
    record.m_frequency = 2000.0;
    EXPECT_EQ(Send(record), 1) << "the link still answers";
    EXPECT_EQ(m_wnd.m_generator.m_settings.m_frequency, 2000.0);
    EXPECT_FALSE(m_wnd.IsRunning());
    ASSERT_EQ(m_notes.messages.size(), 1u);
    EXPECT_EQ(m_notes.messages[0].rfind(CGeneratorWnd::kOpenFailedMessage, 0), 0u) << m_notes.messages[0];
}

}  // namespace

namespace
{

TEST_F(GeneratorWndTest, TheStreamPlaysTheGeneratorsOwnSampleSize)
{
    struct Case
    {
        int bits;
        int bits32;
        int container;
    };
    for (const Case& c : {Case{16, 0, 16}, Case{24, 1, 32}, Case{32, 1, 32}, Case{24, 0, 16}})
    {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, 32-bit flag " << c.bits32);
        CSigGen_settings record = Record(0);
        record.m_bits = c.bits;
        record.m_32bit = c.bits32;
        ASSERT_EQ(Send(record), 1);
        m_wnd.OnStart();
        ASSERT_TRUE(m_wnd.IsRunning());
        const CAudioOut_DXStream& stream = *m_wnd.m_soundOut.m_pStream;
        EXPECT_EQ(stream.m_format.bitsPerSample, c.container);
        EXPECT_EQ(stream.m_format.blockAlign, 2 * c.container / 8);
        EXPECT_EQ(m_wnd.m_generator.m_32bitOutput, c.container == 32 ? 1 : 0)
            << "renders what the stream plays";
        EXPECT_EQ(stream.GetRingBytes(), 8820 * stream.m_format.blockAlign) << "200 ms at 44100 Hz";
        m_wnd.OnStop();
    }
}

}  // namespace

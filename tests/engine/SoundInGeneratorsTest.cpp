#include "engine/SoundIn.h"

#include "platform/Archive.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace
{

using namespace std::chrono_literals;

std::vector<std::uint8_t> SaveBlock(CSoundIn& engine)
{
    CArchive ar;
    engine.Serialize(ar);
    return ar.Buffer();
}

// What a user sees of a workspace's load: the block, then the generators once all of it was read.
void LoadBlock(CSoundIn& engine, const std::vector<std::uint8_t>& bytes)
{
    CArchive ar{std::span<const std::uint8_t>(bytes)};
    engine.Serialize(ar);
    engine.ApplyStoredGenerators();
}

std::vector<std::int32_t> RenderFrames(CGenerator& generator, int frames)
{
    std::vector<std::int32_t> out(static_cast<std::size_t>(frames) * 2, 0x5A5A5A5A);
    generator.Render(out.data(), static_cast<int>(out.size() * sizeof(std::int32_t)));
    return out;
}

class PanelRecorder : public CEngineNotifications
{
public:
    void CreateGeneratorPanels() override
    {
        ++creations;
        panels = true;
    }
    bool HasGeneratorPanel(int index) override { return panels && index >= 0 && index <= 10; }
    void ShowGeneratorPanel(int index, const std::string& title) override
    {
        shown.push_back(std::to_string(index) + " " + title);
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool panels = false;
    int creations = 0;
    std::vector<std::string> shown;
    std::vector<std::string> messages;
};

class SoundInGeneratorsTest : public testsupport::TempHomeTest
{
protected:
    // Every generator's defaults, and where the matrix and the link see it.
    static void ExpectDefaults(const CSoundIn& engine, const char* when)
    {
        for (int i = 0; i < CSoundIn::kGeneratorCount; ++i)
        {
            SCOPED_TRACE(std::string(when) + ", generator " + std::to_string(i));
            const CGenerator* g = engine.GetGenerator(i);
            ASSERT_NE(g, nullptr);
            EXPECT_EQ(g->m_settings.m_sample_rate, 44100);
            EXPECT_EQ(g->m_32bitOutput, 1);
            EXPECT_EQ(g->m_significantBits, 24);
            EXPECT_EQ(g->m_settings.m_output_on, 0);
            EXPECT_EQ(g->m_settings.m_mode, kGenModeSine);
            EXPECT_EQ(g->m_settings.m_frequency, 1000.0);
            EXPECT_EQ(g->m_settings.m_level, 1.0);
            EXPECT_EQ(g->m_channels, 2);
            EXPECT_TRUE(g->IsReady());
            EXPECT_EQ(engine.m_generatorLink.m_generators[static_cast<std::size_t>(i)], g);
            EXPECT_EQ(engine.m_generatorMatrix.m_generators[static_cast<std::size_t>(i)],
                      i <= 10 ? g : nullptr);
        }
        EXPECT_EQ(engine.m_generatorMatrix.m_generator_count, 10);
        EXPECT_EQ(engine.GetGenerator(12), nullptr);
        EXPECT_EQ(engine.GetGenerator(-1), nullptr);
    }
};

TEST_F(SoundInGeneratorsTest, TwelveGeneratorsAfterConstructionAndAfterInitDefaults)
{
    CSoundIn engine;
    ExpectDefaults(engine, "constructed");
    for (int i = 0; i < CSoundIn::kGeneratorCount; ++i)
    {
        CGenerator& g = *engine.GetGenerator(i);
        g.m_settings.m_frequency = 50.0 + i;
        g.m_settings.m_mode = kGenModeTriangular;
        g.SetLevel(0.25);
        g.m_32bitOutput = 0;
        g.m_significantBits = 16;
        g.ApplySettings();
    }
    ASSERT_TRUE(engine.InitDefaults());
    ExpectDefaults(engine, "after InitDefaults");
}

// Output words with 24 significant bits: the low byte of every rendered word is zero.
TEST_F(SoundInGeneratorsTest, GeneratorsRenderTwentyFourBitWords)
{
    CSoundIn engine;
    CGenerator& g = *engine.GetGenerator(3);
    g.SetLevel(0.5);
    g.ApplySettings();
    const auto block = RenderFrames(g, 512);
    int nonZero = 0;
    for (const std::int32_t word : block)
    {
        EXPECT_EQ(word & 0xFF, 0);
        nonZero += word != 0 ? 1 : 0;
    }
    EXPECT_GT(nonZero, 900);
}

TEST_F(SoundInGeneratorsTest, WorkspaceRoundTripAfterNewRestoresGeneratorsAndTheirSamples)
{
    CSoundIn first;
    first.m_generatorLink.m_programFolder = m_home.Root() / "no-program";
    const int modes[] = {kGenModeSine, kGenModeRectangular, kGenModeTriangular, kGenModeSweep, kGenModeMls};
    for (int i = 0; i < CSoundIn::kStoredGenerators; ++i)
    {
        CGenerator& g = *first.GetGenerator(i);
        g.m_rebuildWait = 0ms;
        g.m_settings.m_mode = modes[i % 5];
        g.m_settings.m_frequency = 100.0 * (i + 1) + 0.5;
        g.SetLevel(0.05 * (i + 1));
        g.m_settings.m_balance = -0.3 + 0.07 * i;
        g.m_settings.m_attenuator[static_cast<std::size_t>(i % kSigGenAttenuatorCount)] = 1;
        g.m_settings.m_delay = 10 * i;
        g.m_settings.m_invert = i % 2;
        g.m_settings.m_mls_length = 127;
        g.m_settings.m_sweep_log = i % 2;
        g.m_settings.m_burst_on_level = 0.5;  // a field the dialogs do not exchange
        g.m_settings.m_output_on = 1;
        // Generator 7 plays through its free filter (a 2 kHz low-pass), the others without.
        g.m_settings.m_filter.m_bEnabled = i == 7 ? 1 : 0;
        g.m_freeFilter.SetSettings(g.m_settings.m_filter);
        g.ApplySettings();
    }
    const auto saved = SaveBlock(first);

    CSoundIn second;
    second.m_generatorLink.m_programFolder = m_home.Root() / "no-program";
    for (int i = 0; i < CSoundIn::kGeneratorCount; ++i)
        second.GetGenerator(i)->m_rebuildWait = 0ms;
    // New: the generators go back to their defaults first.
    second.GetGenerator(0)->SetLevel(0.01);
    second.ResetGenerators();
    ASSERT_TRUE(second.InitDefaults());
    ExpectDefaults(second, "new workspace");
    LoadBlock(second, saved);

    for (int i = 0; i < CSoundIn::kStoredGenerators; ++i)
    {
        SCOPED_TRACE("generator " + std::to_string(i));
        CGenerator& a = *first.GetGenerator(i);
        CGenerator& b = *second.GetGenerator(i);
        EXPECT_TRUE(a.m_settings.ToWire() == b.m_settings.ToWire());
        EXPECT_EQ(b.m_freeFilter.m_full.m_bEnabled, i == 7 ? 1 : 0);
        EXPECT_EQ(b.m_settings.m_burst_on_level, 0.5);
        EXPECT_EQ(b.m_32bitOutput, 1);
        EXPECT_EQ(b.m_significantBits, 24);
        EXPECT_TRUE(RenderFrames(a, 2048) == RenderFrames(b, 2048));
    }
    // The generators beyond the stored ten keep their defaults.
    EXPECT_EQ(second.GetGenerator(10)->m_settings.m_frequency, 1000.0);
}

// A block that fails part-way (cut short, or of another version) changes no generator and no record.
TEST_F(SoundInGeneratorsTest, RefusedBlockChangesNoGenerator)
{
    CSoundIn source;
    for (int i = 0; i < CSoundIn::kStoredGenerators; ++i)
    {
        source.GetGenerator(i)->m_settings.m_frequency = 3000.0 + i;
        source.GetGenerator(i)->ApplySettings();
    }
    const auto saved = SaveBlock(source);
    auto shortBlock = saved;
    shortBlock.resize(saved.size() - 40);
    auto otherVersion = saved;
    otherVersion[0] ^= 0x01;

    for (const auto* bytes : {&shortBlock, &otherVersion})
    {
        CSoundIn engine;
        PanelRecorder notes;
        engine.SetNotifications(&notes);
        engine.GetGenerator(2)->m_settings.m_frequency = 440.0;
        engine.GetGenerator(2)->ApplySettings();
        const auto before = SaveBlock(engine);
        CArchive ar{std::span<const std::uint8_t>(*bytes)};
        EXPECT_THROW(engine.Serialize(ar), platform::ArchiveError);
        for (int i = 0; i < CSoundIn::kStoredGenerators; ++i)
            EXPECT_EQ(engine.GetGenerator(i)->m_settings.m_frequency, i == 2 ? 440.0 : 1000.0) << i;
        EXPECT_TRUE(SaveBlock(engine) == before);
    }
}

TEST_F(SoundInGeneratorsTest, AsioMenuShowsPanelsWithTheirTitles)
{
    CSoundIn engine;
    PanelRecorder notes;
    engine.SetNotifications(&notes);
    engine.m_nInputMode = CSoundIn::kInputNone;
    engine.OnShowAsioGenerator(11);
    engine.OnShowAsioGenerator(-1);
    EXPECT_TRUE(notes.shown.empty());
    EXPECT_EQ(notes.creations, 0);
    // The first request opens the input, whose open creates the panels.
    engine.OnShowAsioGenerator(0);
    EXPECT_EQ(notes.creations, 1);
    engine.StopInput();
    engine.OnShowAsioGenerator(9);
    engine.OnShowAsioGenerator(10);
    EXPECT_EQ(notes.creations, 1);
    const std::vector<std::string> expected = {"0 ASIO Generator #1", "9 ASIO Generator #10",
                                               "10 Test signal"};
    EXPECT_EQ(notes.shown, expected);
}

// In input mode 5 the plug-in plays the engine's own generators: the program is neither started nor
// told, and the engine's generators do not take the record either.
TEST_F(SoundInGeneratorsTest, NothingIsSentInAsioPluginMode)
{
    CSoundIn engine;
    PanelRecorder notes;
    engine.SetNotifications(&notes);
    engine.m_generatorLink.m_programFolder = m_home.Root() / "no-program";
    engine.m_nInputMode = CSoundIn::kInputAsio;
    CSigGen_settings record = engine.GetGenerator(0)->m_settings;
    record.m_frequency = 777.0;
    record.m_flags = 5;
    engine.SendGeneratorSettings(record, 0);
    EXPECT_EQ(engine.GetGenerator(0)->m_settings.m_frequency, 1000.0);
    EXPECT_EQ(engine.m_generatorLink.m_startedPid, 0);
    EXPECT_TRUE(notes.messages.empty());
}

}  // namespace

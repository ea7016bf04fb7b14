#include "dsp/ThdResults.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/Archive.h"
#include "tests/support/TempHome.h"
#include "texts/LanguageChoice.h"
#include "texts/TextTable.h"

namespace
{

std::vector<std::uint8_t> Store(CThdResults& table)
{
    CArchive ar;
    table.Serialize(ar);
    return ar.Buffer();
}

CThdResults MakeTable(int points, int channels, int harmonics, int tableLength)
{
    CThdResults table;
    table.m_pointCount = points;
    table.m_channelCount = channels;
    table.m_harmonicCount = harmonics;
    table.m_tableLength = tableLength;
    table.m_sampleRate = 48000.0;
    table.AllocateBuffers();
    return table;
}

}  // namespace

TEST(ThdResults, StoredSizeFollowsTheCounts)
{
    CThdResults table = MakeTable(3, 2, 0, 0);
    const auto bytes = Store(table);
    EXPECT_EQ(bytes.size(), 480u);
    EXPECT_EQ(table.GetStoredSize(), 480);
    CThdResults bigger = MakeTable(2, 3, 4, 5);
    // 24 + 8 (3P + NPM + M + NPH + 8NP) = 24 + 8 (6 + 30 + 5 + 24 + 48).
    EXPECT_EQ(Store(bigger).size(), 24u + 8u * 113u);
}

TEST(ThdResults, HeaderGoldenBytes)
{
    CThdResults table = MakeTable(1, 1, 0, 0);
    table.m_frequencies[0] = 1000.0;
    table.m_rmsTrack[0] = 0.5;
    const auto bytes = Store(table);
    ASSERT_EQ(bytes.size(), 24u + 8u * 11u);
    const std::vector<std::uint8_t> head = {1, 0, 0, 0, 1, 0,    0,    0,   0, 0,    0,    0,
                                            0, 0, 0, 0, 0, 0,    0,    0,   0, 0x70, 0xe7, 0x40,  // 48000.0
                                            0, 0, 0, 0, 0, 0x40, 0x8f, 0x40};                     // 1000.0
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
    // m_rmsTrack is the last array.
    const std::vector<std::uint8_t> last = {0, 0, 0, 0, 0, 0, 0xe0, 0x3f};
    EXPECT_TRUE(std::equal(last.begin(), last.end(), bytes.end() - 8));
}

TEST(ThdResults, StorePointAndValuesRoundTrip)
{
    CThdResults table = MakeTable(2, 2, 3, 4);
    auto record = std::make_unique<SweepResultTable>();
    record->m_header[SweepResultTable::kHeaderFrequency] = 500.0;
    record->m_header[SweepResultTable::kHeaderSecondValue] = -6.0;
    record->m_header[SweepResultTable::kHeaderPhaseDifference] = 45.0;
    for (int j = 0; j < 4; ++j)
    {
        record->m_tableAxis[j] = 10.0f * j;
        record->m_levelTable[1][j] = 100.0f + j;
    }
    record->m_harmonics = {};
    record->m_harmonics[1] = 0.25f;
    record->m_rows[SweepResultTable::kRowRms][1] = 2.0;
    record->m_rows[SweepResultTable::kRowThd][0] = 0.125;
    table.StorePoint(1, *record);
    EXPECT_EQ(table.m_frequencies[1], 500.0);
    EXPECT_EQ(table.m_secondValues[1], -6.0);
    EXPECT_EQ(table.m_levelTables[3 + 4 * (1 + 1 * 2)], 103.0);
    EXPECT_EQ(table.m_tableAxis[2], 20.0);
    EXPECT_EQ(table.GetValue(CThdResults::kTypeRms, 1, 1), 2.0);
    EXPECT_EQ(table.GetValue(CThdResults::kTypeThd, 1, 0), 0.125);
    EXPECT_EQ(table.GetValue(CThdResults::kTypePhase, 1, 1), 45.0);
    EXPECT_EQ(table.GetValue(257, 1, 0), 0.25);
    EXPECT_EQ(table.GetValue(257, 1, 1), 0.0);  // harmonics only for the first channel

    const auto bytes = Store(table);
    CThdResults loaded;
    CArchive ar(bytes);
    loaded.Serialize(ar);
    EXPECT_EQ(Store(loaded), bytes);
    EXPECT_EQ(loaded.GetValue(CThdResults::kTypeRms, 1, 1), 2.0);
}

TEST(ThdResults, ScalingPowerAndMissingData)
{
    CThdResults table = MakeTable(2, 2, 3, 0);
    table.m_loadResistance = 8.0;
    EXPECT_EQ(table.SetValue(2.0, CThdResults::kTypeRms, 1, 1), 3);
    EXPECT_EQ(table.GetValue(CThdResults::kTypeRmsWatt, 1, 1), 0.5);
    table.m_scale = 2.0;
    table.m_offset = -1.0;
    EXPECT_EQ(table.GetValue(CThdResults::kTypeRms, 1, 1), 3.0);
    // No data: harmonics of the second channel, a harmonic beyond the measured ones, a point or
    // channel outside the table, an unknown type.
    struct Case
    {
        int code, point, channel;
    };
    for (const Case c : {Case{260, 1, 1}, Case{260, 0, 0}, Case{267, 0, 0}, Case{1, 2, 0}, Case{1, 0, -1},
                         Case{1, -1, 0}, Case{9, 0, 0}})
        EXPECT_EQ(table.GetValue(c.code, c.point, c.channel), -1.0) << c.code << " " << c.point;
    EXPECT_EQ(table.SetValue(1.0, 1, 5, 0), -1);
}

class ThdResultsTexts : public testsupport::TempHomeTest
{
};

TEST_F(ThdResultsTexts, TypeListCaptionsAndUnits)
{
    SetLanguage(LANGUAGE_ENGLISH);
    EXPECT_EQ(CThdResults::GetTypeCount(), 19);
    EXPECT_EQ(CThdResults::GetTypeByIndex(2), 7);
    EXPECT_EQ(CThdResults::GetTypeByIndex(7), 256);
    EXPECT_EQ(CThdResults::GetTypeByIndex(18), 267);
    EXPECT_EQ(CThdResults::GetTypeByIndex(19), -1);
    EXPECT_EQ(CThdResults::GetCaption(258), "Harmonic #3");
    EXPECT_EQ(CThdResults::GetCaption(4), "phase difference");
    EXPECT_EQ(CThdResults::GetCaption(99), "Off");

    struct Case
    {
        int code;
        int mode;
        const char* text;
    };
    const Case cases[] = {
        {3, 2, "THD [%]"},          {1, 0, "RMS [V]"},        {2, 0, "THD+N"},
        {4, 0, "phase [\xC2\xB0]"}, {257, 1, "THD K2 [dB]"},  {7, 0, "RMS [W]"},
        {7, -1, "RMS [dB W]"},      {5, 1, "RMS track [dB]"}, {0, 1, " [dB]"},
    };
    for (const Case& c : cases)
    {
        CThdResults table;
        table.m_selectedType = c.code;
        table.SetUnitMode(c.mode);
        EXPECT_EQ(table.GetUnitMode(), c.mode);
        EXPECT_EQ(table.GetCaptionWithUnit(), c.text) << c.code << " " << c.mode;
    }
    CThdResults table;
    table.m_modeWord = 0x1FF;
    table.SetUnitMode(2);
    EXPECT_EQ(table.m_modeWord, 0x7FF);
}

TEST(ThdResults, LyingCountsAreRefusedAndLeaveTheTable)
{
    struct Case
    {
        const char* name;
        std::int32_t p, n, h, m;
    };
    const Case cases[] = {
        {"negative points", -1, 1, 0, 0},      {"too many channels", 1, 65, 0, 0},
        {"too many harmonics", 1, 1, 1025, 0}, {"product beyond the limit", 1000000, 64, 1024, 1024},
        {"big and short", 1000, 64, 0, 1024},
    };
    for (const Case& c : cases)
    {
        CArchive store;
        store << c.p << c.n << c.h << c.m << 48000.0 << 1.0 << 2.0;
        CThdResults table = MakeTable(1, 1, 0, 0);
        table.m_rms[0] = 7.0;
        CArchive load(store.Buffer());
        EXPECT_THROW(table.Serialize(load), platform::ArchiveError) << c.name;
        EXPECT_EQ(table.m_pointCount, 1) << c.name;
        EXPECT_EQ(table.m_rms[0], 7.0) << c.name;
    }
}

TEST(ThdResults, EveryCutOrDamagedByteLoadsOrThrows)
{
    CThdResults table = MakeTable(2, 2, 2, 2);
    const auto bytes = Store(table);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
    {
        CThdResults loaded;
        CArchive ar(std::span(bytes.data(), cut));
        EXPECT_THROW(loaded.Serialize(ar), platform::ArchiveError) << cut;
    }
    auto damaged = bytes;
    for (std::size_t pos = 0; pos < bytes.size(); ++pos)
    {
        for (std::uint8_t value : {std::uint8_t(bytes[pos] ^ 0xFF), std::uint8_t(0x80)})
        {
            damaged[pos] = value;
            CThdResults loaded;
            CArchive ar(damaged);
            try
            {
                loaded.Serialize(ar);
            }
            catch (const platform::ArchiveError&)
            {
            }
        }
        damaged[pos] = bytes[pos];
    }
}

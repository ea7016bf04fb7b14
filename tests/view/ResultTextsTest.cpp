#include "view/ResultTexts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "dsp/RoomAcoustics.h"

namespace
{

TEST(ResultTexts, DecayTimesInSecondsBelowTwoThenMilliseconds)
{
    struct Case
    {
        double seconds;
        const char* text;
    };
    const Case cases[] = {
        {1.99, "1.99s"}, {2.0, "2000ms"}, {2.5, "2500ms"}, {0.0, "0.00s"}, {-1.0, "--"}, {-0.001, "--"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatDecayTime(c.seconds), c.text) << c.seconds;
}

TEST(ResultTexts, RoomAcousticTableWithoutResultsOrEnergyRatios)
{
    for (const std::string& text : MakeRoomAcousticTexts(nullptr))
        EXPECT_EQ(text, "--");
    CRoomAcousticResults results;
    results.m_decayTimes = {0.8, 2.5, -1.0};
    results.m_d50 = 0.0;  // no energy ratios: those four stay "--"
    results.m_c50 = 5.0;
    const auto texts = MakeRoomAcousticTexts(&results);
    EXPECT_EQ(texts[kTextRt60], "0.80s");
    EXPECT_EQ(texts[kTextRt30], "2500ms");
    EXPECT_EQ(texts[kTextEdt], "--");
    EXPECT_EQ(texts[kTextC50], "--");
    EXPECT_EQ(texts[kTextC80], "--");
    EXPECT_EQ(texts[kTextD50], "--");
    EXPECT_EQ(texts[kTextD80], "--");
}

// An ideal single-slope decay of T = 1.0 s gives the reference row: D50 0.4988, C50 -0.021 dB,
// C80 +3.053 dB, and EDT = T30 = T.
TEST(ResultTexts, RoomAcousticTableOfAnExponentialDecayOfOneSecond)
{
    for (const double rate : {44100.0, 48000.0, 96000.0})
    {
        const double T = 1.0;
        std::vector<float> response(static_cast<std::size_t>(2.0 * rate));
        for (std::size_t i = 0; i < response.size(); ++i)
            response[i] = static_cast<float>(std::exp(-13.8155 * static_cast<double>(i) / rate / T / 2.0));
        CRoomAcousticResults results;
        EvaluateRoomAcoustics(response.data(), static_cast<int>(response.size()), rate, results, -5.0, -35.0,
                              100, 0);
        const auto texts = MakeRoomAcousticTexts(&results);
        EXPECT_EQ(texts[kTextRt60], "1.00s") << rate;
        EXPECT_EQ(texts[kTextRt30], "1.00s") << rate;
        EXPECT_EQ(texts[kTextEdt], "1.00s") << rate;
        EXPECT_EQ(texts[kTextC50], "-0.0dB") << rate;
        EXPECT_EQ(texts[kTextC80], "3.1dB") << rate;
        EXPECT_EQ(texts[kTextD50], "49.88%") << rate;
    }
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "every line ends with a line break";
    return lines;
}

std::vector<std::string> Cells(const std::string& line)
{
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t end; (end = line.find('\t', start)) != std::string::npos; start = end + 1)
        cells.push_back(line.substr(start, end - start));
    EXPECT_EQ(start, line.size()) << "every value is followed by a tab";
    return cells;
}

ResultsTable ThreeCurves()
{
    ResultsTable table;
    table.curveCount = 3;
    table.pointCount = 1024;
    table.headers = {"x-axis", "a", "b", "c"};
    table.value = [](int curve, int point) { return curve < 0 ? point * 10.0 : point + (curve + 1) * 0.25; };
    return table;
}

TEST(ResultTexts, CopyOfThreeCurvesOf1024Points)
{
    const ResultsTable table = ThreeCurves();
    const std::vector<std::string> lines = Lines(BuildResultsText(table, false, false));
    ASSERT_EQ(lines.size(), 1024u);
    for (const std::string& line : lines)
        EXPECT_EQ(Cells(line).size(), 4u);
    EXPECT_EQ(Cells(lines[3]), (std::vector<std::string>{"30.000000", "3.250000", "3.500000", "3.750000"}));

    const std::vector<std::string> transposed = Lines(BuildResultsText(table, true, false));
    ASSERT_EQ(transposed.size(), 4u);
    for (const std::string& line : transposed)
        EXPECT_EQ(Cells(line).size(), 1024u);
    EXPECT_EQ(Cells(transposed[0])[1023], "10230.000000");
    EXPECT_EQ(Cells(transposed[2])[7], "7.500000");

    // The decimal comma replaces every point; the tabs and lines stay.
    const std::vector<std::string> comma = Lines(BuildResultsText(table, true, true));
    ASSERT_EQ(comma.size(), 4u);
    EXPECT_EQ(Cells(comma[2])[7], "7,500000");
    EXPECT_EQ(Cells(comma[0]).size(), 1024u);
}

TEST(ResultTexts, CopyOfAnEmptyOrValuelessTable)
{
    ResultsTable table;
    EXPECT_EQ(BuildResultsText(table, false, false), "");
    EXPECT_EQ(BuildResultsText(table, true, false), "\n");  // one (empty) line of x values
    table.pointCount = 2;
    table.curveCount = 1;
    EXPECT_EQ(BuildResultsText(table, false, false), "0.000000\t0.000000\t\n0.000000\t0.000000\t\n");
}

}  // namespace

#include "view/SplViewerSelection.h"

namespace
{

TEST(SplViewerSelection, ClockPulseMaximumNeedsTwelveSecondsInBlocksOfAtMostFive)
{
    const std::string tooShort = "Die Me\xC3\x9Fzeit ist zu kurz f\xC3\xBCr den Taktmaximalpegel";
    const std::string tooCoarse = "Die Zeitaufl\xC3\xB6sung ist zu gering f\xC3\xBCr den Taktmaximalpegel";
    struct Case
    {
        int type;
        std::int64_t blocks;
        double resolution;
        std::vector<std::string> refusals;
    };
    const Case cases[] = {
        {3, 10, 1.0, {tooShort}},            // 10 blocks of 1 s
        {3, 12, 1.0, {}},                    // exactly 12 s
        {3, 3, 6.0, {tooCoarse}},            // 18 s, but 6 s blocks
        {3, 2, 5.0, {tooShort}},             // 5 s blocks are fine, 10 s too short
        {3, 1, 6.0, {tooShort, tooCoarse}},  // both
        {0, 1, 60.0, {}},                    // other types take any run
        {4, 0, 0.1, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckSplResultType(c.type, c.blocks, c.resolution), c.refusals)
            << c.type << " " << c.blocks << " x " << c.resolution;
}

TEST(SplViewerSelection, NearestBandByRelativeDeviation)
{
    const std::vector<double> centres = {500.0, 1000.0, 2000.0};
    EXPECT_EQ(SelectSplBandEntry(centres, -1.0), 0);  // full span
    EXPECT_EQ(SelectSplBandEntry(centres, 0.0), 0);
    EXPECT_EQ(SelectSplBandEntry(centres, 1100.0), 2);
    // 1400 Hz: |1000 - 1400| / 1000 = 0.4 against |2000 - 1400| / 2000 = 0.3.
    EXPECT_EQ(SelectSplBandEntry(centres, 1400.0), 3);
    EXPECT_EQ(SelectSplBandEntry({}, 1000.0), 0);
}

}  // namespace

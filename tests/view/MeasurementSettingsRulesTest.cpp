// What the measurement settings dialogs convert and check, without a window: the window type and
// its radio and list, the trigger delay, "Auto detect", the band centre choice, ranges, the checks
// and FFT fitting of the "Settings" command, minutes and the date and time fields.
#include "view/MeasurementSettingsRules.h"

#include "dsp/BandFilterTables.h"
#include "engine/SoundIn.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

using namespace settings_rules;

TEST(MeasurementSettingsRules, WindowTypeRoundTripsThroughRadioAndList)
{
    // Every type the analyser offers comes back as itself.
    for (int type = 0; type < kListedWindowFirst + kListedWindowCount; ++type)
        EXPECT_EQ(WindowTypeFromChoice(WindowTypeToChoice(type)), type) << type;
    // Type 7 is the fourth radio with "Kaiser-Bessel".
    const WindowChoice seven = WindowTypeToChoice(7);
    EXPECT_EQ(seven.radio, 3);
    EXPECT_STREQ(ListedWindowNames()[static_cast<std::size_t>(seven.listIndex)], "Kaiser-Bessel");
    // Choosing "Hamming" stores 1 whatever the list shows.
    EXPECT_EQ(WindowTypeFromChoice({1, seven.listIndex}), 1);
    EXPECT_STREQ(ListedWindowNames()[0], "Hanning");
    // A type nobody offers shows the rectangular radio.
    EXPECT_EQ(WindowTypeToChoice(99).radio, 0);
    EXPECT_EQ(WindowTypeToChoice(-1).radio, 0);
}

TEST(MeasurementSettingsRules, TriggerDelayConvertsBetweenMillisecondsAndFrames)
{
    struct Case
    {
        double ms;
        int rate;
        int frames;
        double shown;
    };
    for (const Case& c : {Case{-10.0, 48000, -480, -10.0}, Case{10.0, 44100, 441, 10.0},
                          Case{0.03, 44100, 1, 1000.0 / 44100.0},  // truncated toward zero
                          Case{-0.03, 44100, -1, -1000.0 / 44100.0}, Case{0.0, 48000, 0, 0.0}})
    {
        const int frames = TriggerMsToFrames(c.ms, c.rate);
        EXPECT_EQ(frames, c.frames) << c.ms << " ms at " << c.rate;
        EXPECT_NEAR(TriggerFramesToMs(frames, c.rate), c.shown, 1e-12);
    }
}

TEST(MeasurementSettingsRules, AutoDetectIsTheSignOfTheFirstFrequency)
{
    EXPECT_EQ(ImdStoredFrequency1(1000.0, true), -1000.0);
    EXPECT_EQ(ImdStoredFrequency1(1000.0, false), 1000.0);
    const ImdShown reopened = ImdToDialog(-1000.0, 7000.0);
    EXPECT_EQ(reopened.frequency1, 1000.0);
    EXPECT_EQ(reopened.frequency2, 7000.0);
    EXPECT_TRUE(reopened.autoDetect);
    EXPECT_FALSE(ImdToDialog(60.0, 7000.0).autoDetect);
}

TEST(MeasurementSettingsRules, BandChoiceTakesTheFirstCentreNotBelowTheFrequency)
{
    const std::span<const double> octave(kOctaveCentres);
    const std::span<const double> third(kThirdOctaveCentres);
    EXPECT_EQ(octave[static_cast<std::size_t>(FindBandCentreIndex(octave, 1000.0))], 1000.0);
    EXPECT_EQ(third[static_cast<std::size_t>(FindBandCentreIndex(third, 1000.0))], 1000.0);
    EXPECT_EQ(octave[static_cast<std::size_t>(FindBandCentreIndex(octave, 1001.0))], 2000.0);
    EXPECT_EQ(third[static_cast<std::size_t>(FindBandCentreIndex(third, 1001.0))], 1250.0);
    EXPECT_EQ(FindBandCentreIndex(octave, 1.0), 0);
    EXPECT_EQ(FindBandCentreIndex(octave, 1e6), 7);
}

TEST(MeasurementSettingsRules, RangesAcceptTheirEndsAndRefuseBeyondAndNaN)
{
    struct Case
    {
        double value, minimum, maximum;
        bool accepted;
    };
    for (const Case& c : {Case{0.0, 0.0, 100000.0, true}, Case{100000.0, 0.0, 100000.0, true},
                          Case{-1.0, 0.0, 100000.0, false}, Case{100001.0, 0.0, 100000.0, false},
                          Case{0.0, 0.001, 2000.0, false}, Case{2001.0, 0.001, 2000.0, false},
                          Case{2000.0, 0.001, 2000.0, true},
                          Case{std::numeric_limits<double>::quiet_NaN(), -1e9, 1e9, false}})
        EXPECT_EQ(InRange(c.value, c.minimum, c.maximum), c.accepted) << c.value;
    const std::string message = RangeMessage("file length", 0.001, 2000.0);
    EXPECT_NE(message.find("file length"), std::string::npos) << message;
    EXPECT_NE(message.find("2000"), std::string::npos) << message;
}

TEST(MeasurementSettingsRules, SettingsChecksWarnAndRefuseInOrder)
{
    struct Case
    {
        FftCheckValues values;
        bool warning;
        int failure;
    };
    const auto values = [](int fft, int sequence, double start, double stop, int rate, int excitation = 2)
    {
        FftCheckValues v;
        v.excitation = excitation;
        v.fftSize = fft;
        v.sequenceSize = sequence;
        v.chirpStart = start;
        v.chirpStop = stop;
        v.sampleRate = rate;
        return v;
    };
    for (const Case& c : {Case{values(8192, 1023, 20, 20000, 48000), false, 0},
                          Case{values(256, 1023, 20, 20000, 48000), true, 0},
                          Case{values(8192, 511, 20, 20000, 48000), false, 0},
                          Case{values(8192, 255, 20, 20000, 48000), true, 0},
                          Case{values(8192, 1023, 20, 20000, 32000, 0), false, 0},  // chirp off
                          Case{values(8192, 1023, 20, 20000, 32000, 1), false, 0},  // MLS
                          Case{values(8192, 1023, 20000, 20000, 48000), false, 2},
                          Case{values(8192, 1023, 30000, 20000, 48000), false, 2},
                          Case{values(8192, 1023, 20, 24000, 48000), false, 3},
                          Case{values(8192, 1023, 20, 23999, 48000), false, 0}})
    {
        const FftCheckResult result = CheckFftSettings(c.values);
        EXPECT_EQ(result.smallBlockWarning, c.warning) << c.values.fftSize << " " << c.values.sequenceSize;
        EXPECT_EQ(result.failure, c.failure) << c.values.chirpStart << ".." << c.values.chirpStop;
    }
}

TEST(MeasurementSettingsRules, FftSizeDoublesToTheTimeWindowAndStopsAtTheLargest)
{
    struct Case
    {
        int fft;
        double rate, seconds;
        int expected;
    };
    for (const Case& c :
         {Case{4096, 48000, 0.05, 4096},  // 2400 frames fit already
          Case{4096, 48000, 0.5, 32768},  // 24000 frames
          Case{512, 48000, 1.0, 65536},   // 48000 frames
          Case{512, 48000, 21.845, CSoundIn::kMaxFftSize},
          Case{512, 48000, 22.0, -1},  // needs more than 2^20
          Case{0, 48000, 0.5, -1},     // the described loop would never end
          Case{-8, 48000, 0.5, -1}, Case{512, 48000, std::numeric_limits<double>::infinity(), -1}})
        EXPECT_EQ(FitFftSizeToTimeWindow(c.fft, c.rate, c.seconds, CSoundIn::kMaxFftSize), c.expected)
            << c.fft << " " << c.seconds;
}

TEST(MeasurementSettingsRules, AxisPresetFollowsARateChange)
{
    struct Case
    {
        const char* name;
        double xMin, xMax;
        bool frequencyAxis, rateChanged;
        int rate;
        double expectedMin, expectedMax;
    };
    const Case cases[] = {
        {"time axis, rate changed: full range", 0.002, 0.01, false, true, 48000, 0.0, -1.0},
        {"time axis, same rate: kept", 0.002, 0.01, false, false, 48000, 0.002, 0.01},
        {"frequency axis, rate changed: kept below the limit", 20.0, 20000.0, true, true, 48000, 20.0,
         20000.0},
        {"frequency axis: lowered to half the rate - 100", 20.0, 22000.0, true, true, 44100, 20.0, 21950.0},
        {"at the limit: kept", 20.0, 21950.0, true, false, 44100, 20.0, 21950.0},
        {"any mode, lower rate: lowered", 10.0, 24000.0, true, false, 8000, 10.0, 3900.0},
        {"time axis full range stays full", 0.0, -1.0, false, true, 8000, 0.0, -1.0},
    };
    for (const Case& c : cases)
    {
        double xMin = c.xMin;
        double xMax = c.xMax;
        FitAxisPresetToRate(xMin, xMax, c.frequencyAxis, c.rateChanged, c.rate);
        EXPECT_DOUBLE_EQ(xMin, c.expectedMin) << c.name;
        EXPECT_DOUBLE_EQ(xMax, c.expectedMax) << c.name;
    }
}

TEST(MeasurementSettingsRules, DualChannelModeWithDualPlotsFallsBackToSingleChannel)
{
    struct Case
    {
        int mode, plot;
        bool changed;
        int expectedMode, expectedPlot;
    };
    for (const Case& c : {Case{3, 3, true, 0, 0}, Case{3, 0, false, 3, 0}, Case{3, 1, false, 3, 1},
                          Case{1, 3, false, 1, 3}, Case{0, 3, false, 0, 3}, Case{2, 2, false, 2, 2}})
    {
        int mode = c.mode;
        int plot = c.plot;
        EXPECT_EQ(ResolveDualChannelMode(mode, plot), c.changed) << c.mode << "/" << c.plot;
        EXPECT_EQ(mode, c.expectedMode);
        EXPECT_EQ(plot, c.expectedPlot);
    }
}

TEST(MeasurementSettingsRules, ChannelMatrixPrescalerAndInputEntries)
{
    // Relative distance: 3 is 0.4 from 5 and 0.5 from 2.
    const std::pair<double, double> prescalers[] = {
        {3.0, 5.0},    {1.0, 1.0},  {1.3, 1.0},
        {1.4, 2.0},    {7.5, 10.0}, {60.0, 100.0},
        {1e6, 1000.0}, {0.1, 1.0},  {std::numeric_limits<double>::quiet_NaN(), 1.0}};
    for (const auto& [p, expected] : prescalers)
        EXPECT_EQ(kPrescalers[NearestPrescalerIndex(p)], expected) << p;
    const std::pair<double, int> inputs[] = {
        {0.0, 0},   {-3.0, 0},  {1.0, 0},
        {1.9, 0},   {2.0, 1},   {64.0, 63},
        {99.0, 63}, {1e12, 63}, {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto& [entry, expected] : inputs)
        EXPECT_EQ(InputChannelFromEntry(entry), expected) << entry;
}

TEST(MeasurementSettingsRules, MinutesAndDurationFields)
{
    EXPECT_DOUBLE_EQ(SecondsToMinutes(1800.0), 30.0);
    EXPECT_DOUBLE_EQ(MinutesToSeconds(2000.0), 120000.0);
    // 400 days: year 1, month 1, day 5.
    const DateTimeFields days = DurationToFields(400.0 * 86400.0);
    EXPECT_EQ(days.year, 1);
    EXPECT_EQ(days.month, 1);
    EXPECT_EQ(days.day, 5);
    EXPECT_EQ(days.hour, 0);
    const double seconds = 400.0 * 86400.0 + 3 * 3600.0 + 25 * 60.0 + 7.5;
    const DateTimeFields fields = DurationToFields(seconds);
    EXPECT_EQ(fields.hour, 3);
    EXPECT_EQ(fields.minute, 25);
    EXPECT_DOUBLE_EQ(fields.second, 7.5);
    EXPECT_DOUBLE_EQ(FieldsToDuration(fields), seconds);
}

TEST(MeasurementSettingsRules, DateFieldsRoundTripInLocalTime)
{
    const char* saved = std::getenv("TZ");
    const std::string previous = saved ? saved : "";
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
    // Summer and winter time: the system decides the daylight saving.
    for (const std::time_t time : {std::time_t{1720000000}, std::time_t{1700000000}})
    {
        const DateTimeFields fields = DateToFields(time);
        EXPECT_GT(fields.year, 2000);
        EXPECT_GE(fields.month, 1);
        EXPECT_LE(fields.month, 12);
        EXPECT_EQ(FieldsToDate(fields), time);
    }
    if (saved)
        ::setenv("TZ", previous.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

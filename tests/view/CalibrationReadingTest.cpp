// The calibration arithmetic: the factors the sound-level and electrical calibrations derive, the
// lines they show, and the readings that must not give a factor (no signal, no number).
#include "view/CalibrationReading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{

using namespace calibration;

TEST(CalibrationReadingTest, SoundLevelFactorReadsTheReferenceLevel)
{
    struct Case
    {
        double referenceDb, reading, factorAtOpening, expectedFactor;
    };
    const Case cases[] = {
        // -40 dB full scale calibrated to 94 dB: 10^6.7, shown as 134.0 dB.
        {94.0, 0.01, 1.0, std::pow(10.0, 6.7)},
        {114.0, 0.01, 1.0, std::pow(10.0, 7.7)},
        // The reading already carries the factor the channel had: 10^6.7 applied to 0.01 reads
        // 10^4.7; calibrating again to 94 dB keeps 10^6.7.
        {94.0, std::pow(10.0, 4.7), std::pow(10.0, 6.7), std::pow(10.0, 6.7)},
        // ... and to 114 dB adds 20 dB.
        {114.0, std::pow(10.0, 4.7), std::pow(10.0, 6.7), std::pow(10.0, 7.7)},
        {0.0, 1.0, 1.0, 1.0},
    };
    for (const Case& c : cases)
    {
        double factor = -1.0;
        ASSERT_TRUE(SoundLevelFactor(c.referenceDb, c.reading, c.factorAtOpening, factor)) << c.referenceDb;
        EXPECT_NEAR(factor / c.expectedFactor, 1.0, 1e-12) << c.referenceDb << " " << c.reading;
        EXPECT_NEAR(CurrentLevelDb(c.reading, factor, c.factorAtOpening), c.referenceDb, 1e-9);
    }
}

TEST(CalibrationReadingTest, LinesShowTheFactorAndTheLevel)
{
    double factor = 0.0;
    ASSERT_TRUE(SoundLevelFactor(94.0, 0.01, 1.0, factor));
    EXPECT_EQ(FactorLine(factor, false), "Current calibration factor 134.0dB");
    EXPECT_EQ(LevelLine(0.01, factor, 1.0), "94.0 dB");
    EXPECT_EQ(FactorLine(2.0, true), "Current calibration factor 6.0dB  2.000000");
    EXPECT_EQ(FactorLine(1.0, true), "Current calibration factor 0.0dB  1.000000");
}

TEST(CalibrationReadingTest, NoFactorFromASilentOrBrokenReading)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double reading : {0.0, -0.5, 1e-16, nan, inf})
    {
        double factor = 7.0;
        EXPECT_FALSE(SoundLevelFactor(94.0, reading, 1.0, factor)) << reading;
        EXPECT_FALSE(ElectricalFactor(1.0, reading, 1.0, factor)) << reading;
        EXPECT_EQ(factor, 7.0) << "a refused calibration leaves the factor";
    }
    double factor = 7.0;
    EXPECT_FALSE(SoundLevelFactor(nan, 0.1, 1.0, factor));
    EXPECT_FALSE(SoundLevelFactor(1e6, 0.1, 1.0, factor)) << "an infinite factor is refused";
    EXPECT_FALSE(ElectricalFactor(0.0, 0.1, 1.0, factor));
    EXPECT_FALSE(ElectricalFactor(-1.0, 0.1, 1.0, factor));
    EXPECT_EQ(factor, 7.0);
    double scale = 3.0;
    EXPECT_FALSE(FactorToScaleDb(0.0, scale));
    EXPECT_FALSE(FactorToScaleDb(-2.0, scale));
    EXPECT_EQ(scale, 3.0);
}

TEST(CalibrationReadingTest, ElectricalFactorByReadingType)
{
    CCalibrationReading reading;
    reading.m_nChannel = 3;
    const CCalibrationReading::Source source = [](int channel, double& rms, double& peak, double& peakToPeak)
    {
        EXPECT_EQ(channel, 3);
        // A sine of amplitude 0.5 full scale.
        rms = 0.5 / std::sqrt(2.0);
        peak = 0.5;
        peakToPeak = 1.0;
        return true;
    };
    reading.Update(source);
    struct Case
    {
        CCalibrationReading::ReadingType type;
        double volts, expected;
    };
    const Case cases[] = {
        {CCalibrationReading::kRms, 1.0, std::sqrt(2.0) * 2.0},
        {CCalibrationReading::kZeroPeak, 1.0, 2.0},
        {CCalibrationReading::kPeakToPeak, 1.0, 1.0},
    };
    for (const Case& c : cases)
    {
        double factor = 0.0;
        ASSERT_TRUE(ElectricalFactor(c.volts, reading.Reading(c.type), 1.0, factor));
        EXPECT_NEAR(factor, c.expected, 1e-12) << c.type;
    }
    // Outside 0..63 nothing is read.
    CCalibrationReading outside;
    outside.m_nChannel = 64;
    outside.Update(source);
    EXPECT_EQ(outside.m_dRms, 1.0);
}

TEST(CalibrationReadingTest, ScaleAndFactorRoundTrip)
{
    for (double db : {-40.0, 0.0, 6.02, 134.0})
    {
        double back = 0.0;
        ASSERT_TRUE(FactorToScaleDb(ScaleDbToFactor(db), back));
        EXPECT_NEAR(back, db, 1e-9);
    }
}

}  // namespace

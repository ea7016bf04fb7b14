#include "view/ParamViewRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "view/ViewTexts.h"

namespace
{

const std::string kDegree = view_text::kDegreeSign;

struct Case
{
    const char* what;
    int parameter;
    void (*fill)(CParamResults&);
    std::string text;
    bool valid;
};

TEST(ParamViewRules, TextsOfTheParameterTable)
{
    const Case cases[] = {
        {"phase below -180 wraps", 38, [](CParamResults& r) { r.m_dPhaseDiff = -200.0; }, "160.0" + kDegree,
         true},
        {"phase kept", 38, [](CParamResults& r) { r.m_dPhaseDiff = 45.25; }, "45.2" + kDegree, true},
        {"delay in metres", 16, [](CParamResults& r) { r.m_dDelay = 0.01; }, "3.33m", true},
        {"delay as a time", 15, [](CParamResults& r) { r.m_dDelay = 0.05; }, "50.00ms", true},
        {"THD in per cent", 1, [](CParamResults& r) { r.m_adThd[0] = 0.001; }, "0.1000%", true},
        {"THD in dB", 0, [](CParamResults& r) { r.m_adThd[0] = 0.01; }, "-40.00dB", true},
        {"THD+N marker", 2, [](CParamResults&) {}, kParamNoValue, false},
        {"level below -200 dB", 8, [](CParamResults& r) { r.m_adRms[0] = 1e-11; }, kParamNoValue, false},
        {"zero has no logarithm", 8, [](CParamResults& r) { r.m_adRms[0] = 0.0; }, kParamNoValue, false},
        {"inband level from dB", 4, [](CParamResults& r) { r.m_adInbandDb[0] = -12.5; }, "-12.50dB", true},
        {"peak peak never negative", 7,
         [](CParamResults& r)
         {
             r.m_adLongMax[0] = -0.5;
             r.m_adLongMin[0] = 0.5;
         },
         "0.0000", true},
        {"crest", 10,
         [](CParamResults& r)
         {
             r.m_adBlockMin[0] = -1.0;
             r.m_adBlockMax[0] = 0.5;
             r.m_adRms[0] = 0.1;
         },
         " 20.00dB", true},
        {"RMS long term needs samples", 9, [](CParamResults& r) { r.m_adLongSumSquares[0] = 4.0; },
         kParamNoValue, false},
        {"RMS long term", 9,
         [](CParamResults& r)
         {
             r.m_adLongSumSquares[0] = 4.0;
             r.m_anLongCount[0] = 400;
         },
         "-20.00dB", true},
        {"channel separation", 12,
         [](CParamResults& r)
         {
             r.m_adInbandDb[0] = -10.0;
             r.m_adInbandDb[1] = -70.0;
         },
         " 60.00dB", true},
        {"M1-M2", 14,
         [](CParamResults& r)
         {
             r.m_adMarker1Db[0] = -3.0;
             r.m_adMarker2Db[0] = -9.5;
         },
         " 6.50dB", true},
        {"LEQ", 17, [](CParamResults& r) { r.m_adLeq[0] = 0.01; }, "-20.00dB", true},
        {"LEQ short not positive", 21, [](CParamResults& r) { r.m_adLeqShort[0] = 0.0; }, kParamNoValue,
         false},
        {"C peak", 23, [](CParamResults& r) { r.m_adCPeak[0] = 0.1; }, "-20.00dB", true},
        {"watt", 34,
         [](CParamResults& r)
         {
             r.m_adRms[0] = 2.0;
             r.m_dLoadImpedance = 4.0;
         },
         " 0.00dBW", true},
        {"distortion component", 25, [](CParamResults& r) { r.m_afDistortion[1] = 0.1f; }, "-20.00dB", true},
        {"peak position", 13, [](CParamResults& r) { r.m_adPeakPosition[0] = 1000.0; }, " 1000.00", true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        CParamResults results;
        c.fill(results);
        const ParamReading reading = ReadParamView(c.parameter, 0, results, SetupParamScale(c.parameter));
        EXPECT_EQ(reading.text, c.text);
        EXPECT_EQ(reading.valid, c.valid);
        EXPECT_EQ(reading.title, GetParamViewName(c.parameter));
    }
}

TEST(ParamViewRules, ScaleModesOfADecibelParameter)
{
    CParamResults results;
    results.m_adRms[3] = 0.25;
    ParamScale scale = SetupParamScale(8);
    EXPECT_EQ(scale.nScaleMode, ParamScale::kLogDb);
    EXPECT_EQ(scale.unit, "dB");
    EXPECT_DOUBLE_EQ(ReadParamView(8, 3, results, scale).value, 20.0 * std::log10(0.25));
    scale.nScaleMode = ParamScale::kLinear;
    EXPECT_EQ(ReadParamView(8, 3, results, scale).text, "0.2500");
    scale.nScaleMode = ParamScale::kLinearPercent;
    EXPECT_EQ(ReadParamView(8, 3, results, scale).text, "25.0000%");
    // Another channel has nothing.
    EXPECT_EQ(ReadParamView(8, 2, results, scale).text, kParamNoValue);
    EXPECT_EQ(ReadParamView(8, 64, results, scale).text, kParamNoValue);
}

TEST(ParamViewRules, LeqPresetsItsReadingsAndTimeHidesThem)
{
    CParamResults results;
    results.m_adLeq[0] = 0.01;
    results.m_adLeqMin[0] = 0.001;
    results.m_adLeqMax[0] = 0.1;
    const ParamReading leq = ReadParamView(17, 0, results, SetupParamScale(17));
    EXPECT_TRUE(leq.presetMinMax);
    EXPECT_DOUBLE_EQ(leq.minimum, -30.0);
    EXPECT_DOUBLE_EQ(leq.maximum, -10.0);
    EXPECT_FALSE(leq.hideMinMax);

    results.m_dMeasurementTime = 125.0;
    const ParamReading time = ReadParamView(20, 0, results, SetupParamScale(20));
    EXPECT_TRUE(time.hideMinMax);
    EXPECT_EQ(time.text, "2m: 5s");
}

TEST(ParamViewRules, NamesAndScalesOfAllParameters)
{
    EXPECT_EQ(GetParamViewName(2), "THD+N");
    EXPECT_EQ(GetParamViewName(24), "THD K1");
    EXPECT_EQ(GetParamViewName(33), "THD K10");
    EXPECT_EQ(GetParamViewName(38), "Phase diff.");
    EXPECT_EQ(GetParamViewName(39), "");
    EXPECT_EQ(GetParamViewName(-1), "");
    EXPECT_FALSE(GetParamViewName(20).empty());
    EXPECT_EQ(SetupParamScale(1).suffix, "%");
    EXPECT_DOUBLE_EQ(SetupParamScale(1).dScaleFactor, 100.0);
    EXPECT_EQ(SetupParamScale(38).suffix, kDegree);
    EXPECT_DOUBLE_EQ(SetupParamScale(34).dDbFactor, 10.0);
    // Every parameter reads "not available" from a cleared block.
    const CParamResults empty;
    for (int n = 0; n < kParamViewParameters; ++n)
        EXPECT_EQ(ReadParamView(n, 0, empty, SetupParamScale(n)).text, kParamNoValue) << n;
}

}  // namespace

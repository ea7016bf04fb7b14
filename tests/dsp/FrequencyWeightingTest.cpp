#include "dsp/FrequencyWeighting.h"

#include <gtest/gtest.h>

#include <cmath>

#include "dsp/Itu468Network.h"

namespace
{
double Db(double power)
{
    return 10.0 * std::log10(power);
}

TEST(WeightingName, CodesAndEverythingElseIsZ)
{
    const struct
    {
        int code;
        const char* name;
    } cases[] = {{0, "Z"}, {1, "A"},  {2, "C"},   {3, "ITU-468"}, {4, "ITU-ARM"},
                 {5, "U"}, {6, "AU"}, {7, "US1"}, {8, "Z"},       {-1, "Z"}};
    for (const auto& c : cases)
        EXPECT_EQ(GetWeightingName(c.code), c.name) << c.code;
}

TEST(WeightingPower, ValuesAtOneKilohertzAndDc)
{
    EXPECT_NEAR(GetAWeightingPower(1000.0), 1.0000457, 2e-6);
    EXPECT_NEAR(GetCWeightingPower(1000.0), 0.999575, 2e-6);
    EXPECT_EQ(GetAWeightingPower(0.0), 0.0);
    EXPECT_EQ(GetCWeightingPower(0.0), 0.0);
}

// Design values of the sound-level-meter standard (IEC 61672-1, Table 3) at the exact base-10
// frequencies; the table rounds to 0.1 dB.
struct DesignValue
{
    double nominal;
    double aDb;
    double cDb;
};

class WeightingCurve : public ::testing::TestWithParam<DesignValue>
{
};

TEST_P(WeightingCurve, MatchesTheStandardsDesignGoals)
{
    const DesignValue v = GetParam();
    const double exact = 1000.0 * std::pow(10.0, std::round(10.0 * std::log10(v.nominal / 1000.0)) / 10.0);
    EXPECT_NEAR(Db(GetAWeightingPower(exact)), v.aDb, 0.051) << v.nominal;
    EXPECT_NEAR(Db(GetCWeightingPower(exact)), v.cDb, 0.051) << v.nominal;
}

INSTANTIATE_TEST_SUITE_P(Table3, WeightingCurve,
                         ::testing::Values(DesignValue{10, -70.4, -14.3}, DesignValue{20, -50.5, -6.2},
                                           DesignValue{31.5, -39.4, -3.0}, DesignValue{63, -26.2, -0.8},
                                           DesignValue{125, -16.1, -0.2}, DesignValue{250, -8.6, 0.0},
                                           DesignValue{500, -3.2, 0.0}, DesignValue{1000, 0.0, 0.0},
                                           DesignValue{2000, 1.2, -0.2}, DesignValue{4000, 1.0, -0.8},
                                           DesignValue{8000, -1.1, -3.0}, DesignValue{16000, -6.6, -8.5},
                                           DesignValue{20000, -9.3, -11.2}));

TEST(WeightingPower, UAndUs1AreComplementaryButterworths)
{
    EXPECT_NEAR(Db(GetUWeightingPower(12500.0)), -3.0103, 1e-3);
    EXPECT_NEAR(Db(GetUS1WeightingPower(12500.0)), -3.0103, 1e-3);
    EXPECT_NEAR(Db(GetUWeightingPower(25000.0)), -36.12, 0.01);  // 10 log10(1 + 2^12)
    EXPECT_NEAR(GetAUWeightingPower(3000.0), GetAWeightingPower(3000.0) * GetUWeightingPower(3000.0), 1e-15);
}

class WeightingTableTest : public ::testing::Test
{
protected:
    void Build(int type, int count, double rate)
    {
        m_table.m_nType = type;
        m_table.m_nCount = count;
        m_table.m_dSampleRate = rate;
        m_table.Update();
    }
    CWeightingTable m_table;
};

TEST_F(WeightingTableTest, BinsStandForMultiplesOfHalfTheRateOverTheCount)
{
    Build(1, 4, 48000.0);
    const double bins[] = {0.0, 6000.0, 12000.0, 18000.0};
    for (int k = 0; k < 4; ++k)
    {
        const double r = static_cast<float>(std::sqrt(GetAWeightingPower(bins[k])));
        EXPECT_FLOAT_EQ(m_table.m_pTable[k], static_cast<float>(r * r)) << k;
    }
    EXPECT_EQ(m_table.m_szName, "A");
}

TEST_F(WeightingTableTest, RebuildsOnlyWhenSomethingChanged)
{
    Build(2, 8, 48000.0);
    m_table.m_pTable[3] = 42.0f;
    m_table.Update();
    EXPECT_EQ(m_table.m_pTable[3], 42.0f);
    Build(2, 8, 44100.0);
    EXPECT_NE(m_table.m_pTable[3], 42.0f);
    EXPECT_FLOAT_EQ(m_table.m_pTable[3], static_cast<float>(GetCWeightingPower(3 * 44100.0 / 16.0)));
}

// A code outside 0..7 used to leave the bins unwritten (undefined factors, or the previous weighting);
// it now weights as Z.
TEST_F(WeightingTableTest, UnknownCodeWeightsAsZ)
{
    for (int code : {8, -1, 99})
    {
        Build(1, 16, 48000.0);
        Build(code, 16, 48000.0);
        for (int k = 0; k < 16; ++k)
            EXPECT_EQ(m_table.m_pTable[k], 1.0f) << code << " bin " << k;
        EXPECT_EQ(m_table.m_szName, "Z");
    }
    Build(9, 32, 48000.0);  // freshly grown storage as well
    for (int k = 0; k < 32; ++k)
        EXPECT_EQ(m_table.m_pTable[k], 1.0f);
}

TEST_F(WeightingTableTest, ItuCurvesAreZeroDecibelsAtTheirReferenceFrequencies)
{
    // 2048 bins at 4096 Hz: bin k is k Hz.
    Build(3, 2048, 4096.0);
    EXPECT_NEAR(Db(m_table.m_pTable[1000]), 0.0, 0.01);
    Build(4, 2048, 4096.0);
    EXPECT_NEAR(Db(m_table.m_pTable[2000]), 0.0, 0.01);
    EXPECT_NEAR(Db(m_table.m_pTable[1000]), -5.63, 0.02);
    EXPECT_EQ(m_table.m_szName, "ITU-ARM");
}
}  // namespace

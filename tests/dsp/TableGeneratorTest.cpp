#include "dsp/generator/TableGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "dsp/FixedFilterTables.h"
#include "tests/support/FileBytes.h"

namespace
{

double Db(const double* b, const double* a, int n, double f, double fs)
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * f / fs);
    std::complex<double> num = 0.0, den = 0.0, p = 1.0;
    for (int i = 0; i < n; ++i, p *= z1)
    {
        num += b[i] * p;
        den += a[i] * p;
    }
    return 20.0 * std::log10(std::abs(num / den));
}

// The committed tables are exactly what the generator writes today.
TEST(TableGenerator, CommittedTablesAreTheGeneratorsOutput)
{
    EXPECT_EQ(testsupport::ReadBytes(TESSARIN_SOURCE_DIR "/dsp/BandFilterTables.cpp"),
              brevikgen::GenerateBandFilterTables());
    EXPECT_EQ(testsupport::ReadBytes(TESSARIN_SOURCE_DIR "/dsp/FixedFilterTables.cpp"),
              brevikgen::GenerateFixedFilterTables());
}

// The rules that design the rate-table sets at the other rates reproduce the established 44100 and
// 48000 Hz sets: filters 2 and 4 to a hundredth of a dB, the third-order stand-in for filter 8
// within about a dB over the audio band.
TEST(TableGenerator, RateTableRulesFollowTheEstablishedSets)
{
    struct Case
    {
        int filter;
        int perSide;
        const double* table;
        double tolerance;
    };
    const Case cases[] = {{2, 3, g_rateTable2, 0.01}, {4, 5, g_rateTable4, 0.01}, {8, 9, g_rateTable8, 1.1}};
    for (const Case& c : cases)
        for (int index : {1, 3})  // 44100 and 48000 Hz in the table's rate order
        {
            const double rate = kRateTableRates[index];
            const double* stored = c.table + 3 + kRateTableRateCount + index * 2 * c.perSide;
            double b[9] = {}, a[9] = {};
            brevikgen::DesignRateTableSet(c.filter, rate, b, a);
            for (double f = 2.0; f < 16000.0; f *= 1.1)
                ASSERT_NEAR(Db(b, a, c.perSide, f, rate), Db(stored, stored + c.perSide, c.perSide, f, rate),
                            c.tolerance)
                    << "filter " << c.filter << " rate " << rate << " f " << f;
        }
}

}  // namespace

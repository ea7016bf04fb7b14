#include "filtercoeffs/Brevik.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <span>

#include "tests/support/FileBytes.h"

namespace
{

constexpr double kPi = std::numbers::pi;

const double kExpectedRates[] = {8000, 10000, 16000, 32000, 44100, 48000, 56000, 96000, 192000};

std::complex<double> SetResponse(const double* set, int order, double f, double fs)
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * f / fs);
    std::complex<double> num = 0.0, den = 0.0, p = 1.0;
    for (int i = 0; i <= order; ++i, p *= z1)
    {
        num += set[i] * p;
        den += set[order + 1 + i] * p;
    }
    return num / den;
}

// The symbols as the program binds them: looked up by name in the loaded library.
class BrevikExports : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_handle = dlopen("libBrevik.so", RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(m_handle, nullptr) << dlerror();
    }
    void TearDown() override
    {
        if (m_handle)
            dlclose(m_handle);
    }
    double* Pointer(const char* name)
    {
        void* symbol = dlsym(m_handle, name);
        EXPECT_NE(symbol, nullptr) << name;
        return symbol ? *static_cast<double**>(symbol) : nullptr;
    }
    void* m_handle = nullptr;
};

TEST_F(BrevikExports, HeaderAndOrderTwoRowReadByName)
{
    const double* nbands = Pointer("DLL_LP3_Nbands");
    const double* nfs = Pointer("DLL_LP3_NFs");
    const double* fs = Pointer("DLL_LP3_Fs");
    const double* fcenter = Pointer("DLL_LP3_fcenter");
    ASSERT_TRUE(nbands && nfs && fs && fcenter);
    EXPECT_EQ(*nbands, 50.0);
    EXPECT_EQ(*nfs, 9.0);
    for (int r = 0; r < 9; ++r)
        EXPECT_EQ(fs[r], kExpectedRates[r]);
    EXPECT_EQ(fcenter[0], 1.0);
    EXPECT_EQ(fcenter[20], 100.0);
    EXPECT_EQ(fcenter[26], 400.0);
    EXPECT_EQ(fcenter[49], 80000.0);

    // 44100 Hz, 100 Hz, second order (rate 4, cutoff 20).
    const double* lp2 = Pointer("DLL_LP2_a_0_start");
    ASSERT_NE(lp2, nullptr);
    const double* row = lp2 + 6 * (50 * 4 + 20);
    EXPECT_NEAR(row[0], 5.02414e-5, 1e-9);
    EXPECT_NEAR(row[1], 1.004828e-4, 1e-9);
    EXPECT_NEAR(row[2], 5.02414e-5, 1e-9);
    EXPECT_EQ(row[3], 1.0);
    EXPECT_NEAR(row[4], -1.979852, 1e-6);
    EXPECT_NEAR(row[5], 0.980053, 1e-6);

    // The directly exported order-2 array is the same table.
    EXPECT_EQ(static_cast<const void*>(lp2), dlsym(m_handle, "LP2_a_0_start"));
    for (const char* name :
         {"DLL_LP1_a_0_start", "DLL_LP4_a_0_start", "DLL_LP5_a_0_start", "DLL_LP6_a_0_start",
          "DLL_LP7_a_0_start", "DLL_LP8_a_0_start", "DLL_LP9_a_0_start", "DLL_GpolyCoeff"})
        EXPECT_NE(Pointer(name), nullptr) << name;
}

TEST_F(BrevikExports, ModuleHandleFindsTheLibrarysOwnSymbols)
{
    void** handle = static_cast<void**>(dlsym(m_handle, "BREVIK_hModule"));
    ASSERT_NE(handle, nullptr);
    ASSERT_NE(*handle, nullptr);
    EXPECT_EQ(dlsym(*handle, "DLL_LP3_Fs"), dlsym(m_handle, "DLL_LP3_Fs"));
    EXPECT_NE(dlsym(*handle, "BREVIK_SplashPng"), nullptr);
}

// Every row of every order against the Butterworth magnitude of the bilinear design,
// |H|^2 = 1 / (1 + (tan(pi f/fs) / tan(pi fc/fs))^(2n)), and the all-zero rows against the rule.
TEST(BrevikTables, EveryRowIsTheButterworthLowPassOrEmpty)
{
    double* const tables[9] = {DLL_LP1_a_0_start, DLL_LP2_a_0_start, DLL_LP3_a_0_start,
                               DLL_LP4_a_0_start, DLL_LP5_a_0_start, DLL_LP6_a_0_start,
                               DLL_LP7_a_0_start, DLL_LP8_a_0_start, DLL_LP9_a_0_start};
    for (int order = 1; order <= 9; ++order)
        for (int r = 0; r < 9; ++r)
            for (int k = 0; k < 50; ++k)
            {
                const double fs = DLL_LP3_Fs[r];
                const double fc = DLL_LP3_fcenter[k];
                const double* set = tables[order - 1] + 2 * (order + 1) * (50 * r + k);
                const bool empty =
                    fc >= fs / 2 || (fs == 44100 && fc == 20000) || (fs == 56000 && fc == 25000);
                SCOPED_TRACE(::testing::Message() << "order " << order << " fs " << fs << " fc " << fc);
                if (empty)
                {
                    for (int i = 0; i < 2 * (order + 1); ++i)
                        ASSERT_EQ(set[i], 0.0);
                    continue;
                }
                ASSERT_EQ(set[order + 1], 1.0);
                // Below K^n of about 1e-9 a direct-form set cannot hold its own gain in doubles (the
                // denominator's sum cancels to the last digits); such sets are not checked further.
                const double prewarped = std::tan(kPi * fc / fs);
                if (std::pow(prewarped, order) < 1e-9)
                    continue;
                for (double ratio : {0.0, 0.5, 1.0, 1.7})
                {
                    const double f = ratio * fc;
                    if (f >= 0.5 * fs)
                        continue;
                    const double x = std::tan(kPi * f / fs) / std::tan(kPi * fc / fs);
                    const double expected = 1.0 / std::sqrt(1.0 + std::pow(x, 2.0 * order));
                    // Low cutoffs of high orders at high rates lose digits in the direct form.
                    ASSERT_NEAR(std::abs(SetResponse(set, order, f, fs)), expected, 2e-3);
                }
            }
}

// The rows that an older table left empty or gave a zero numerator are real filters here.
TEST(BrevikTables, OrderThreeHasNoHolesBelowHalfTheRate)
{
    struct Case
    {
        int rate;
        int cutoff;
    };
    const Case cases[] = {{0, 27}, {0, 35}, {1, 16}, {1, 24}, {2, 5}, {2, 11}, {2, 12}, {3, 33},
                          {3, 36}, {3, 37}, {4, 21}, {4, 24}, {5, 8}, {5, 11}, {5, 12}};
    for (const Case& c : cases)
    {
        const double* set = DLL_LP3_a_0_start + 8 * (50 * c.rate + c.cutoff);
        EXPECT_EQ(set[4], 1.0) << c.rate << " " << c.cutoff;
        EXPECT_GT(set[0], 0.0) << c.rate << " " << c.cutoff;
        EXPECT_NEAR(std::abs(SetResponse(set, 3, 0.0, DLL_LP3_Fs[c.rate])), 1.0, 1e-6);
    }
    // 80000 Hz at 8000 Hz, first order: no filter.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(DLL_LP1_a_0_start[4 * (50 * 0 + 49) + i], 0.0);
}

TEST(BrevikKernel, RowsAreUnitSumInterpolatorsFromTapFifteenToSixteen)
{
    const double* kernel = DLL_GpolyCoeff;
    ASSERT_NE(kernel, nullptr);
    for (int p = 0; p <= 1280; ++p)
    {
        double sum = 0.0;
        for (int j = 0; j < 31; ++j)
            sum += kernel[31 * p + j];
        ASSERT_NEAR(sum, 1.0, 1e-12) << p;
    }
    // Row 0 is centred on tap 15 and row 1280 on tap 16 (symmetric about them).
    for (int j = 0; j < 31; ++j)
    {
        if (j <= 15)
        {
            EXPECT_NEAR(kernel[j], kernel[30 - j], 1e-12);
        }
        if (j >= 2)
        {
            EXPECT_NEAR(kernel[31 * 1280 + j], kernel[31 * 1280 + 32 - j], 1e-12);
        }
    }
    // A slow sine interpolated at fractional positions: the value between the samples.
    const double w = 2.0 * kPi * 0.05;
    for (int p : {0, 160, 640, 1100, 1280})
    {
        const double t = p / 1280.0;
        double y = 0.0;
        for (int j = 0; j < 31; ++j)
            y += kernel[31 * p + j] * std::sin(w * (j - 15));
        EXPECT_NEAR(y, std::sin(w * t), 1e-3) << p;
    }
    EXPECT_EQ(kernel[39711], 0.0);
    EXPECT_EQ(kernel[39713], 0.0);
}

TEST(BrevikSplash, EmbedsTheCommittedPngOf450By290)
{
    const std::string committed = testsupport::ReadBytes(TESSARIN_SOURCE_DIR "/resources/Brevik.png");
    ASSERT_EQ(committed.size(), BREVIK_SplashPngSize);
    EXPECT_EQ(committed, std::string(reinterpret_cast<const char*>(BREVIK_SplashPng), BREVIK_SplashPngSize));
    ASSERT_GT(BREVIK_SplashPngSize, 24u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(BREVIK_SplashPng) + 1, 3), "PNG");
    auto be32 = [](const unsigned char* p) { return (p[0] << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; };
    EXPECT_EQ(be32(BREVIK_SplashPng + 16), 450);
    EXPECT_EQ(be32(BREVIK_SplashPng + 20), 290);
}

}  // namespace

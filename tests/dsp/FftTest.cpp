#include "dsp/Fft.h"

#include "dsp/FftTables.h"
#include "tests/dsp/AllocationCount.h"

#include <gtest/gtest.h>

#include <fftw3.h>

#include <atomic>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <cstring>
#include <new>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

namespace
{

using Complex = std::complex<double>;
constexpr double kPi = std::numbers::pi;

std::vector<float> RandomSignal(int n, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> x(n);
    for (float& v : x)
        v = uniform(generator);
    return x;
}

// Unscaled forward DFT of a real signal in double precision (bins 0..N/2) from FFTW.
std::vector<Complex> ReferenceRealDft(const std::vector<float>& x)
{
    const int n = static_cast<int>(x.size());
    std::vector<double> in(x.begin(), x.end());
    std::vector<Complex> out(n / 2 + 1);
    fftw_plan plan =
        fftw_plan_dft_r2c_1d(n, in.data(), reinterpret_cast<fftw_complex*>(out.data()), FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    return out;
}

// Unscaled complex DFT in double precision from FFTW; sign -1 forward, +1 backward.
std::vector<Complex> ReferenceComplexDft(const std::vector<float>& re, const std::vector<float>& im, int sign)
{
    const int n = static_cast<int>(re.size());
    std::vector<Complex> in(n), out(n);
    for (int i = 0; i < n; ++i)
        in[i] = Complex(re[i], im[i]);
    fftw_plan plan = fftw_plan_dft_1d(n, reinterpret_cast<fftw_complex*>(in.data()),
                                      reinterpret_cast<fftw_complex*>(out.data()), sign, FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    return out;
}

// Relative RMS error of a packed real spectrum against the reference bins.
double PackedError(const std::vector<float>& packed, const std::vector<Complex>& ref)
{
    const int n = static_cast<int>(packed.size());
    double err = 0.0, sum = 0.0;
    for (int k = 0; k <= n / 2; ++k)
    {
        const double im = (k == 0 || k == n / 2) ? 0.0 : packed[n - k];
        const Complex ours(packed[k], im);
        const double weight = (k == 0 || k == n / 2) ? 1.0 : 2.0;  // bins N-k mirror bins k
        err += weight * std::norm(ours - ref[k]);
        sum += weight * std::norm(ref[k]);
    }
    return std::sqrt(err / sum);
}

double ComplexError(const std::vector<float>& re, const std::vector<float>& im,
                    const std::vector<Complex>& ref)
{
    double err = 0.0, sum = 0.0;
    for (std::size_t i = 0; i < re.size(); ++i)
    {
        err += std::norm(Complex(re[i], im[i]) - ref[i]);
        sum += std::norm(ref[i]);
    }
    return std::sqrt(err / sum);
}

double SignalError(const std::vector<float>& got, const std::vector<float>& want)
{
    double err = 0.0, sum = 0.0;
    for (std::size_t i = 0; i < got.size(); ++i)
    {
        err += (double(got[i]) - want[i]) * (double(got[i]) - want[i]);
        sum += double(want[i]) * want[i];
    }
    return std::sqrt(err / sum);
}

double Bound(int n)
{
    return 1e-6 * std::log2(static_cast<double>(n));
}

// Orders checked against FFTW: every order to 2^20, then a few long ones.
const std::vector<int> kOrders = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                  12, 13, 14, 15, 16, 17, 18, 19, 20, 22, 24};
// The same without the longest, for the round trips.
const std::vector<int> kShortOrders = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                       12, 13, 14, 15, 16, 17, 18, 19, 20, 22};

TEST(FftTest, Log2OfPowerOfTwo)
{
    const struct
    {
        int n;
        int order;
    } cases[] = {{1, 0},  {2, 1},        {4, 2},        {1024, 10}, {1000, 0},      {0, 0},
                 {-8, 0}, {1 << 24, 24}, {1 << 30, 30}, {3, 0},     {2147483647, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(Log2OfPowerOfTwo(c.n), c.order) << c.n;
}

TEST(FftTest, RealFftMatchesDoublePrecisionReference)
{
    for (const int order : kOrders)
    {
        const int n = 1 << order;
        std::vector<float> x = RandomSignal(n, 100 + order);
        const std::vector<Complex> ref = ReferenceRealDft(x);
        RealFft(x.data(), n);
        EXPECT_LE(PackedError(x, ref), Bound(n)) << "N = " << n;
    }
}

TEST(FftTest, ComplexFftMatchesDoublePrecisionReference)
{
    for (const int order : kOrders)
    {
        const int n = 1 << order;
        std::vector<float> re = RandomSignal(n, 200 + order), im = RandomSignal(n, 300 + order);
        const std::vector<Complex> ref = ReferenceComplexDft(re, im, FFTW_FORWARD);
        ComplexFft(re.data(), im.data(), n);
        EXPECT_LE(ComplexError(re, im, ref), Bound(n)) << "N = " << n;
    }
}

TEST(FftTest, InverseComplexFftMatchesReferenceAndUndoesForward)
{
    for (const int order : kShortOrders)
    {
        const int n = 1 << order;
        const std::vector<float> re0 = RandomSignal(n, 400 + order), im0 = RandomSignal(n, 500 + order);
        std::vector<float> re = re0, im = im0;
        std::vector<Complex> ref = ReferenceComplexDft(re, im, FFTW_BACKWARD);
        for (Complex& c : ref)
            c /= n;
        InverseComplexFft(re.data(), im.data(), n);
        EXPECT_LE(ComplexError(re, im, ref), Bound(n)) << "N = " << n;

        re = re0;
        im = im0;
        ComplexFft(re.data(), im.data(), n);
        InverseComplexFft(re.data(), im.data(), n);
        std::vector<Complex> original(n);
        for (int i = 0; i < n; ++i)
            original[i] = Complex(re0[i], im0[i]);
        EXPECT_LE(ComplexError(re, im, original), Bound(n)) << "N = " << n;
    }
}

// The portable kernels (processors without AVX2) against the same reference.
TEST(FftTest, PortableKernelsMatchReference)
{
    UseGenericFftKernels(true);
    for (const int order : {6, 7, 8, 11, 12, 15, 16, 18})
    {
        const int n = 1 << order;
        std::vector<float> x = RandomSignal(n, 150 + order);
        const std::vector<float> x0 = x;
        const std::vector<Complex> ref = ReferenceRealDft(x);
        RealFft(x.data(), n);
        EXPECT_LE(PackedError(x, ref), Bound(n)) << "N = " << n;

        ConvertToSplitLayout(x.data(), n);
        for (int i = n / 2 + 1; i < n; ++i)
            x[i] = -x[i];
        InverseRealFft(x.data(), n);
        EXPECT_LE(SignalError(x, x0), Bound(n)) << "N = " << n;

        std::vector<float> re = RandomSignal(n, 250 + order), im = RandomSignal(n, 350 + order);
        const std::vector<Complex> cref = ReferenceComplexDft(re, im, FFTW_FORWARD);
        ComplexFft(re.data(), im.data(), n);
        EXPECT_LE(ComplexError(re, im, cref), Bound(n)) << "N = " << n;
    }
    UseGenericFftKernels(false);
}

TEST(FftTest, RealFftDoubleMatchesReference)
{
    for (const int order : {1, 2, 3, 5, 8, 9, 12, 16, 20})
    {
        const int n = 1 << order;
        const std::vector<float> xf = RandomSignal(n, 600 + order);
        const std::vector<Complex> ref = ReferenceRealDft(xf);
        std::vector<double> x(xf.begin(), xf.end());
        RealFftDouble(x.data(), n);
        double err = 0.0, sum = 0.0;
        for (int k = 0; k <= n / 2; ++k)
        {
            const double im = (k == 0 || k == n / 2) ? 0.0 : x[n - k];
            err += std::norm(Complex(x[k], im) - ref[k]);
            sum += std::norm(ref[k]);
        }
        EXPECT_LE(std::sqrt(err / sum), 1e-14 * order) << "N = " << n;
    }
}

// The back-transform uses the forward kernel: it returns the circularly reversed signal, and the signal
// itself once the imaginary parts are negated.
TEST(FftTest, InverseRealFftAfterForward)
{
    for (const int order : kShortOrders)
    {
        const int n = 1 << order;
        const std::vector<float> x = RandomSignal(n, 700 + order);
        std::vector<float> reversed(n);
        for (int m = 0; m < n; ++m)
            reversed[m] = x[(n - m) % n];

        std::vector<float> y = x;
        RealFft(y.data(), n);
        ConvertToSplitLayout(y.data(), n);
        std::vector<float> conjugated = y;
        InverseRealFft(y.data(), n);
        EXPECT_LE(SignalError(y, reversed), Bound(n)) << "N = " << n;

        for (int i = n / 2 + 1; i < n; ++i)
            conjugated[i] = -conjugated[i];
        InverseRealFft(conjugated.data(), n);
        EXPECT_LE(SignalError(conjugated, x), Bound(n)) << "N = " << n;
    }
}

TEST(FftTest, InverseRealFftNyquistSign)
{
    // Negating the Nyquist value as well flips the sign of the Nyquist component.
    const int n = 16;
    std::vector<float> x(n);
    for (int m = 0; m < n; ++m)
        x[m] = 0.25f + ((m & 1) != 0 ? -1.0f : 1.0f);
    std::vector<float> y = x;
    RealFft(y.data(), n);
    ConvertToSplitLayout(y.data(), n);
    for (int i = n / 2; i < n; ++i)
        y[i] = -y[i];
    InverseRealFft(y.data(), n);
    for (int m = 0; m < n; ++m)
        EXPECT_NEAR(y[m], 0.25f - ((m & 1) != 0 ? -1.0f : 1.0f), 1e-6) << m;
}

TEST(FftTest, SmallTransformsByHand)
{
    float two[2] = {3.0f, 5.0f};
    RealFft(two, 2);
    EXPECT_FLOAT_EQ(two[0], 8.0f);
    EXPECT_FLOAT_EQ(two[1], -2.0f);

    for (const int n : {2, 4, 8, 64, 256, 4096})
    {
        std::vector<float> impulse(n, 0.0f);
        impulse[0] = 1.0f;
        RealFft(impulse.data(), n);
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(impulse[i], i <= n / 2 ? 1.0f : 0.0f, 1e-6) << "N = " << n << " i = " << i;
    }
}

TEST(FftTest, ToneOnBinAndConstant)
{
    const int n = 1024;
    for (const int bin : {1, 17, 100, 511})
    {
        std::vector<float> x(n);
        for (int m = 0; m < n; ++m)
            x[m] = static_cast<float>(std::sin(2.0 * kPi * bin * m / n + 0.3));
        std::vector<double> xd(x.begin(), x.end());
        ComputePowerSpectrum(x.data(), n);
        ComputePowerSpectrumDouble(xd.data(), n);
        EXPECT_NEAR(x[bin], 0.5f, 1e-5) << bin;
        EXPECT_NEAR(xd[bin], 0.5, 1e-5) << bin;
        // A sine of phase 0.3 rad is a cosine of phase 0.3 - 90°.
        EXPECT_NEAR(x[n / 2 + bin], 0.3 * 180.0 / kPi - 90.0, 1e-3) << bin;
        for (int k = 1; k < n / 2; ++k)
        {
            if (k != bin)
            {
                EXPECT_LT(x[k], 1e-10) << bin << " " << k;
            }
        }
    }
    std::vector<float> ones(n, 1.0f);
    std::vector<double> onesD(n, 1.0);
    ComputePowerSpectrum(ones.data(), n);
    ComputePowerSpectrumDouble(onesD.data(), n);
    EXPECT_NEAR(ones[0], 4.0f, 1e-5);
    EXPECT_NEAR(onesD[0], 2.0, 1e-12);
}

// A sine halfway between two bins leaks into every bin as the closed form of the Dirichlet kernel says.
TEST(FftTest, ToneBetweenBinsFollowsClosedForm)
{
    const int n = 256;
    const double f = 20.5, a = 0.7;
    std::vector<float> x(n);
    for (int m = 0; m < n; ++m)
        x[m] = static_cast<float>(a * std::sin(2.0 * kPi * f * m / n));
    RealFft(x.data(), n);
    const auto dirichlet = [&](double m)
    { return std::exp(Complex(0.0, -kPi * m * (n - 1) / n)) * (std::sin(kPi * m) / std::sin(kPi * m / n)); };
    double peak = 0.0;
    for (int k = 0; k <= n / 2; ++k)
    {
        const Complex expected = a / Complex(0.0, 2.0) * (dirichlet(k - f) - dirichlet(k + f));
        const Complex ours(x[k], (k == 0 || k == n / 2) ? 0.0f : x[n - k]);
        EXPECT_NEAR(ours.real(), expected.real(), 2e-4) << k;
        EXPECT_NEAR(ours.imag(), expected.imag(), 2e-4) << k;
        peak = std::max(peak, std::abs(ours));
    }
    // The scalloping loss of the rectangular window: 2/π of the on-bin amplitude N·a/2.
    EXPECT_NEAR(peak / (n * a / 2.0), 2.0 / kPi, 0.01);
}

TEST(FftTest, Parseval)
{
    for (const int order : {3, 7, 10, 15})
    {
        const int n = 1 << order;
        std::vector<float> x = RandomSignal(n, 800 + order);
        double meanSquare = 0.0;
        for (float v : x)
            meanSquare += double(v) * v;
        meanSquare /= n;
        std::vector<float> packed = x;
        RealFft(packed.data(), n);
        double energy = double(packed[0]) * packed[0] + double(packed[n / 2]) * packed[n / 2];
        for (int k = 1; k < n / 2; ++k)
            energy += 2.0 * (double(packed[k]) * packed[k] + double(packed[n - k]) * packed[n - k]);
        EXPECT_NEAR(energy / n / n, meanSquare, 1e-6 * meanSquare) << n;

        // In the power spectrum the DC bin counts 4·X(0)²/N², the Nyquist bin is dropped.
        std::vector<float> power = x;
        ComputePowerSpectrum(power.data(), n);
        double sum = power[0] / 4.0 + double(packed[n / 2]) * packed[n / 2] / n / n;
        for (int k = 1; k < n / 2; ++k)
            sum += power[k];
        EXPECT_NEAR(sum, meanSquare, 1e-5 * meanSquare) << n;
    }
}

TEST(FftTest, SpectrumLayoutsAgainstReference)
{
    for (const int order : {1, 2, 4, 9, 13})
    {
        const int n = 1 << order;
        const int half = n / 2;
        const std::vector<float> x = RandomSignal(n, 900 + order);
        const std::vector<Complex> ref = ReferenceRealDft(x);
        const double n2 = double(n) * n;

        std::vector<float> power = x;
        ComputePowerSpectrum(power.data(), n);
        EXPECT_NEAR(power[0], 4.0 * std::norm(ref[0]) / n2, 1e-5 * (1.0 + power[0]));
        EXPECT_EQ(power[half], 0.0f);
        for (int k = 1; k < half; ++k)
        {
            const double p = 2.0 * std::norm(ref[k]) / n2;
            EXPECT_NEAR(power[k], p, 1e-5 * p + 1e-12) << n << " " << k;
            EXPECT_NEAR(power[half + k], std::arg(ref[k]) * 180.0 / kPi, 1e-3) << n << " " << k;
        }

        std::vector<float> phase = x;
        ComputePhaseSpectrum(phase.data(), n);
        std::vector<float> packed = x;
        RealFft(packed.data(), n);
        EXPECT_NEAR(phase[0], 4.0 * std::norm(ref[0]) / n2, 1e-5 * (1.0 + phase[0]));
        for (int k = 1; k < half; ++k)
            EXPECT_NEAR(phase[k], std::arg(ref[k]) * 180.0 / kPi, 1e-3) << n << " " << k;
        for (int i = half; i < n; ++i)
            EXPECT_EQ(phase[i], packed[i]) << n << " " << i;

        std::vector<double> powerD(x.begin(), x.end());
        ComputePowerSpectrumDouble(powerD.data(), n);
        EXPECT_NEAR(powerD[0], 2.0 * std::norm(ref[0]) / n2, 1e-12 * (1.0 + powerD[0]));
        for (int k = 1; k < half; ++k)
            EXPECT_NEAR(powerD[k], 2.0 * std::norm(ref[k]) / n2, 1e-12) << n << " " << k;
        if (n >= 4)
        {
            EXPECT_NEAR(powerD[half], ref[half].real(), 1e-9);
            for (int k = 1; k < half; ++k)
                EXPECT_NEAR(powerD[n - k], ref[k].imag(), 1e-9 * n) << n << " " << k;
        }

        std::vector<float> split = packed;
        ConvertToSplitLayout(split.data(), n);
        for (int k = 0; k <= half; ++k)
            EXPECT_EQ(split[k], packed[k]);
        for (int k = 1; k < half; ++k)
            EXPECT_EQ(split[half + k], packed[n - k]);

        std::vector<float> inverse = x;
        InvertSpectrum(inverse.data(), n);
        EXPECT_NEAR(inverse[0], 1.0 / ref[0].real(), 1e-4 * std::abs(inverse[0]));
        EXPECT_EQ(inverse[half], 0.0f);
        for (int k = 1; k < half; ++k)
        {
            const Complex r = 1.0 / ref[k];
            EXPECT_NEAR(inverse[k], r.real(), 1e-4 * std::abs(r)) << n << " " << k;
            EXPECT_NEAR(inverse[half + k], r.imag(), 1e-4 * std::abs(r)) << n << " " << k;
        }
    }
}

// Multiplying split spectra and transforming back is circular convolution.
TEST(FftTest, MultiplyComplexSpectraIsCircularConvolution)
{
    for (const int n : {8, 64, 2048})
    {
        const std::vector<float> a = RandomSignal(n, 11), b = RandomSignal(n, 12);
        std::vector<float> expected(n);
        for (int m = 0; m < n; ++m)
        {
            double sum = 0.0;
            for (int i = 0; i < n; ++i)
                sum += double(a[i]) * b[(m - i + n) % n];
            expected[m] = static_cast<float>(sum);
        }
        std::vector<float> fa = a, fb = b;
        RealFft(fa.data(), n);
        RealFft(fb.data(), n);
        ConvertToSplitLayout(fa.data(), n);
        ConvertToSplitLayout(fb.data(), n);
        MultiplyComplexSpectra(fa.data(), fb.data(), n);
        for (int i = n / 2 + 1; i < n; ++i)
            fa[i] = -fa[i];
        InverseRealFft(fa.data(), n);
        EXPECT_LE(SignalError(fa, expected), 4.0 * Bound(n)) << n;
    }
}

TEST(FftTest, UncachedEqualsCached)
{
    for (const int order : {1, 3, 6, 7, 10, 15, 17})
    {
        const int n = 1 << order;
        std::vector<float> re = RandomSignal(n, 21), im = RandomSignal(n, 22);
        std::vector<float> re2 = re, im2 = im;
        ComplexFft(re.data(), im.data(), n);
        ComplexFftUncached(re2.data(), im2.data(), n);
        EXPECT_EQ(0, std::memcmp(re.data(), re2.data(), n * sizeof(float))) << n;
        EXPECT_EQ(0, std::memcmp(im.data(), im2.data(), n * sizeof(float))) << n;
    }
}

TEST(FftTest, UnwrapPhase)
{
    float p[] = {10.0f, 170.0f, -170.0f, -10.0f, 100.0f};
    UnwrapPhase(p, 5);
    const float expected[] = {10.0f, 170.0f, 190.0f, 350.0f, 460.0f};
    for (int i = 0; i < 5; ++i)
        EXPECT_FLOAT_EQ(p[i], expected[i]) << i;

    // Element 0 (the DC power in a phase spectrum) takes no part; one element stays as it is.
    float q[] = {1000.0f, -179.0f, 179.0f, -179.0f};
    UnwrapPhase(q, 4);
    EXPECT_FLOAT_EQ(q[0], 1000.0f);
    EXPECT_FLOAT_EQ(q[1], -179.0f);
    EXPECT_FLOAT_EQ(q[2], -181.0f);
    EXPECT_FLOAT_EQ(q[3], -179.0f);
    float one[] = {123.0f};
    UnwrapPhase(one, 1);
    EXPECT_FLOAT_EQ(one[0], 123.0f);
}

TEST(FftTest, NotAPowerOfTwoIsLeftAlone)
{
    std::vector<float> x = RandomSignal(12, 5), y = x, im = RandomSignal(12, 6), im2 = im;
    RealFft(x.data(), 12);
    ComplexFft(x.data(), im.data(), 12);
    InverseRealFft(x.data(), 12);
    EXPECT_EQ(x, y);
    EXPECT_EQ(im, im2);
}

// Once the tables of an order exist, the per-block routines of the analysis thread allocate nothing.
TEST(FftTest, NoAllocationOnceTablesExist)
{
    for (const int order : {4, 8, 12, 16})
    {
        const int n = 1 << order;
        std::vector<float> x = RandomSignal(n, 41), re = RandomSignal(n, 42), im = RandomSignal(n, 43);
        std::vector<double> xd(x.begin(), x.end());
        const auto run = [&]
        {
            RealFft(x.data(), n);
            ConvertToSplitLayout(x.data(), n);
            InverseRealFft(x.data(), n);
            ComplexFft(re.data(), im.data(), n);
            InverseComplexFft(re.data(), im.data(), n);
            ComputePowerSpectrum(x.data(), n);
            ComputePhaseSpectrum(x.data(), n);
            ComputePowerSpectrumDouble(xd.data(), n);
        };
        run();
        EXPECT_EQ(allocationcount::Count(run), 0) << n;
    }
}

TEST(FftTest, FreeingTablesChangesNothing)
{
    for (const int order : {5, 10, 16})
    {
        const int n = 1 << order;
        std::vector<float> a = RandomSignal(n, 31), b = a;
        RealFft(a.data(), n);
        FreeFftTables();
        RealFft(b.data(), n);
        EXPECT_EQ(a, b) << n;
        ClearFftTables();
        b = RandomSignal(n, 31);
        RealFft(b.data(), n);
        EXPECT_EQ(a, b) << n;
    }
}

// Several threads transform different orders while the tables are being built; optionally another thread
// empties the cache all the time, which callers must not do but which must not hurt a running transform.
class FftThreadTest : public ::testing::TestWithParam<bool>
{
};

TEST_P(FftThreadTest, ConcurrentTransformsAreExact)
{
    const bool freeing = GetParam();
    const std::vector<int> orders = {6, 9, 12, 14, 16, 17, 18, 11};
    std::vector<std::vector<float>> inputs, expected, expectedRe, expectedIm;
    for (const int order : orders)
    {
        const int n = 1 << order;
        inputs.push_back(RandomSignal(n, order));
        expected.push_back(inputs.back());
        RealFft(expected.back().data(), n);
        expectedRe.push_back(inputs.back());
        expectedIm.push_back(RandomSignal(n, order + 50));
        ComplexFft(expectedRe.back().data(), expectedIm.back().data(), n);
    }
    FreeFftTables();

    std::atomic<bool> go{false}, stop{false};
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < orders.size(); ++t)
    {
        threads.emplace_back(
            [&, t]
            {
                while (!go.load())
                    std::this_thread::yield();
                const int n = 1 << orders[t];
                for (int round = 0; round < 6; ++round)
                {
                    std::vector<float> x = inputs[t];
                    RealFft(x.data(), n);
                    if (x != expected[t])
                        ++mismatches;
                    std::vector<float> re = inputs[t], im = RandomSignal(n, orders[t] + 50);
                    ComplexFft(re.data(), im.data(), n);
                    if (re != expectedRe[t] || im != expectedIm[t])
                        ++mismatches;
                }
            });
    }
    std::thread freer;
    if (freeing)
    {
        freer = std::thread(
            [&]
            {
                while (!stop.load())
                {
                    FreeFftTables();
                    std::this_thread::yield();
                }
            });
    }
    go = true;
    for (auto& thread : threads)
        thread.join();
    stop = true;
    if (freer.joinable())
        freer.join();
    EXPECT_EQ(mismatches.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(BuildOnly, FftThreadTest, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(WhileFreeing, FftThreadTest, ::testing::Values(true));

}  // namespace

#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "dsp/FilterDesigner.h"
#include "tests/dsp/FilterMath.h"

namespace
{

using filtertest::Db;
using filtertest::kPi;

struct Design
{
    int result = 0;
    int Z = -99;
    std::array<double, kDesignArraySize> a{};
    std::array<double, kDesignArraySize> b{};
    double gain = -99.0;
    std::array<DesignComplex, kDesignRootCapacity> roots{};

    double MagnitudeFromRoots(double f, double fs) const
    {
        return DesignResponseMagnitude(f, gain, fs, Z, roots);
    }
    double MagnitudeFromPolynomials(double f, double fs) const
    {
        return std::abs(
            filtertest::PolynomialResponse(std::span(b.data(), Z + 1), std::span(a.data(), Z + 1), f, fs));
    }
};

struct Request
{
    int kind;
    int type;
    int order;
    double fs;
    double f1;
    double f2;
    double ripple;
    double stop;
};

std::string Describe(const Request& s)
{
    return "kind " + std::to_string(s.kind) + " type " + std::to_string(s.type) + " order " +
           std::to_string(s.order) + " f1 " + std::to_string(s.f1) + " f2 " + std::to_string(s.f2) +
           " ripple " + std::to_string(s.ripple) + " stop " + std::to_string(s.stop);
}

Design MakeDesign(const Request& s)
{
    Design d;
    d.result = DesignIirFilter(s.kind, s.type, s.order, s.fs, s.f1, s.f2, s.ripple, s.stop, d.Z, d.a, d.b,
                               d.gain, d.roots);
    return d;
}

void ExpectCoefficients(std::span<const double> actual, const std::vector<double>& expected, double tolerance,
                        const std::string& what)
{
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << what << " [" << i << "]";
}

// ---- Reference designs ---------------------------------------------------------------------------

TEST(FilterDesignerTest, ReferenceDesignsGiveTheirCoefficients)
{
    const struct
    {
        Request request;
        int Z;
        std::vector<double> a;
        std::vector<double> bOverGain;
        double gain;
    } cases[] = {
        {{kDesignButterworth, kBandLowPass, 2, 48000, 0, 1000, 0, 0},
         2,
         {1, -1.8153410827045684, 0.8310055893467578},
         {1, 2, 1},
         0.003916126660547359},
        {{kDesignButterworth, kBandHighPass, 1, 48000, 35.598997, 35.598997, 0, 0},
         1,
         {1, -0.995350926},
         {1, -1},
         0.99767546},
        {{kDesignChebyshev, kBandLowPass, 2, 48000, 0, 1000, 0.2, 0},
         2,
         {1, -1.7420745616357882, 0.7777117172237953},
         {1, 2, 1},
         0.008706488722398466},
        {{kDesignButterworth, kBandBandPass, 2, 48000, 500, 2000, 0, 0}, 4, {}, {1, 0, -2, 0, 1}, 0.0},
        {{kDesignElliptic, kBandLowPass, 4, 48000, 0, 1000, 0.5, -60}, 4, {}, {}, 0.0011431820596441555},
    };
    for (const auto& c : cases)
    {
        const Design d = MakeDesign(c.request);
        ASSERT_EQ(d.result, kDesignOk) << Describe(c.request);
        EXPECT_EQ(d.Z, c.Z) << Describe(c.request);
        EXPECT_DOUBLE_EQ(d.a[0], 1.0);
        ExpectCoefficients(d.a, c.a, 1e-9, "a " + Describe(c.request));
        std::vector<double> bOverGain(static_cast<std::size_t>(d.Z + 1));
        for (int i = 0; i <= d.Z; ++i)
            bOverGain[i] = d.b[i] / d.gain;
        ExpectCoefficients(bOverGain, c.bOverGain, 1e-9, "b/g " + Describe(c.request));
        if (c.gain != 0.0)
        {
            EXPECT_NEAR(d.gain, c.gain, 1e-8 * c.gain) << Describe(c.request);
        }
    }
}

TEST(FilterDesignerTest, ReferenceRootsComeInTheirOrder)
{
    // Low-pass: poles first (a conjugate pair), then the zeros at -1.
    const Design lowPass = MakeDesign({kDesignButterworth, kBandLowPass, 2, 48000, 0, 1000, 0, 0});
    const std::vector<DesignComplex> expectedLowPass = {{0.9076705413522842, 0.08449720532662121},
                                                        {0.9076705413522842, -0.08449720532662121},
                                                        {-1, 0},
                                                        {-1, 0}};
    for (std::size_t i = 0; i < expectedLowPass.size(); ++i)
    {
        EXPECT_NEAR(lowPass.roots[i].r, expectedLowPass[i].r, 1e-12) << i;
        EXPECT_NEAR(lowPass.roots[i].i, expectedLowPass[i].i, 1e-12) << i;
    }
    const Design highPass =
        MakeDesign({kDesignButterworth, kBandHighPass, 1, 48000, 35.598997, 35.598997, 0, 0});
    EXPECT_NEAR(highPass.roots[0].r, 0.995351, 1e-6);
    EXPECT_DOUBLE_EQ(highPass.roots[1].r, 1.0);

    const Design bandPass = MakeDesign({kDesignButterworth, kBandBandPass, 2, 48000, 500, 2000, 0, 0});
    const double bandPassZeros[] = {-1, 1, -1, 1};
    for (int i = 0; i < 4; ++i)
        EXPECT_DOUBLE_EQ(bandPass.roots[4 + i].r, bandPassZeros[i]) << i;

    // Band-stop: all four zeros on the unit circle at the band centre.
    const Design bandStop = MakeDesign({kDesignButterworth, kBandBandStop, 2, 48000, 500, 2000, 0, 0});
    ASSERT_EQ(bandStop.Z, 4);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_NEAR(bandStop.roots[4 + i].r, 0.991417, 1e-6) << i;
        EXPECT_NEAR(std::fabs(bandStop.roots[4 + i].i), 0.130736, 1e-6) << i;
    }
    const double centre = std::acos(0.991417277257) * 48000 / (2 * kPi);
    EXPECT_LT(bandStop.MagnitudeFromRoots(centre, 48000), 1e-6);
}

// ---- Refusals --------------------------------------------------------------------------------------

TEST(FilterDesignerTest, RefusedDesignsLeaveTheOutputsUntouched)
{
    const struct
    {
        Request request;
        int result;
    } cases[] = {
        // A stop-band edge of 0.5 Hz below a 1000 Hz passband edge.
        {{kDesignElliptic, kBandLowPass, 4, 48000, 0, 1000, 0.5, 0.5}, kDesignStopBandWrongSide},
        {{kDesignElliptic, kBandHighPass, 4, 48000, 0, 1000, 0.5, 5000}, kDesignStopBandWrongSide},
        {{kDesignButterworth, kBandBandPass, 13, 48000, 500, 2000, 0, 0}, kDesignOrderTooHigh},
        {{kDesignElliptic, kBandLowPass, 25, 48000, 0, 1000, 0.5, -60}, kDesignOrderTooHigh},
        {{kDesignButterworth, kBandLowPass, 25, 48000, 0, 1000, 0, 0}, kDesignOrderTooHigh},
        {{kDesignChebyshev, kBandHighPass, 40, 48000, 0, 1000, 0.5, 0}, kDesignOrderTooHigh},
        {{kDesignButterworth, kBandLowPass, 0, 48000, 0, 1000, 0, 0}, kDesignOrderTooHigh},
        {{kDesignButterworth, kBandLowPass, -3, 48000, 0, 1000, 0, 0}, kDesignOrderTooHigh},
        {{kDesignButterworth, kBandBandPass, 0x7fffffff, 48000, 500, 2000, 0, 0}, kDesignOrderTooHigh},
        {{kDesignElliptic, kBandLowPass, 0x7fffffff, 48000, 0, 1000, 0.5, -60}, kDesignOrderTooHigh},
        {{kDesignChebyshev, kBandLowPass, 3, 48000, 0, 1000, 0.0, 0}, kDesignInvalidArguments},
        {{kDesignElliptic, kBandLowPass, 3, 48000, 0, 1000, 0.5, 0.0}, kDesignInvalidArguments},
        {{kDesignElliptic, kBandLowPass, 3, 48000, 0, 1000, 3.0, -2.0}, kDesignInvalidArguments},
        {{kDesignButterworth, kBandLowPass, 3, 48000, 0, 24000, 0, 0}, kDesignInvalidArguments},
        {{kDesignButterworth, kBandBandPass, 3, 48000, 1000, 1000, 0, 0}, kDesignInvalidArguments},
        {{kDesignButterworth, kBandLowPass, 3, 0, 0, 1000, 0, 0}, kDesignInvalidArguments},
        {{kDesignButterworth, kBandLowPass, 3, 48000, 0, NAN, 0, 0}, kDesignInvalidArguments},
        {{4, kBandLowPass, 3, 48000, 0, 1000, 0, 0}, kDesignInvalidArguments},
        {{kDesignButterworth, -1, 3, 48000, 1000, 100, 0, 0}, kDesignInvalidArguments},
    };
    for (const auto& c : cases)
    {
        Design d;
        d.a.fill(7.0);
        d.b.fill(7.0);
        d.roots.fill({7.0, 7.0});
        d.result =
            DesignIirFilter(c.request.kind, c.request.type, c.request.order, c.request.fs, c.request.f1,
                            c.request.f2, c.request.ripple, c.request.stop, d.Z, d.a, d.b, d.gain, d.roots);
        EXPECT_EQ(d.result, c.result) << Describe(c.request);
        EXPECT_EQ(d.Z, -99) << Describe(c.request);
        EXPECT_EQ(d.gain, -99.0) << Describe(c.request);
        for (int i = 0; i < kDesignArraySize; ++i)
        {
            ASSERT_EQ(d.a[i], 7.0) << Describe(c.request);
            ASSERT_EQ(d.b[i], 7.0) << Describe(c.request);
            ASSERT_EQ(d.roots[i].r, 7.0) << Describe(c.request);
        }
    }
}

TEST(FilterDesignerTest, LargestOrdersFitArraysOfExactlyTheirSize)
{
    const struct
    {
        Request request;
        int Z;
    } cases[] = {
        {{kDesignButterworth, kBandLowPass, 24, 48000, 0, 1000, 0, 0}, 24},
        {{kDesignElliptic, kBandHighPass, 24, 48000, 0, 1000, 0.5, -60}, 24},
        {{kDesignChebyshev, kBandBandPass, 12, 48000, 500, 2000, 0.5, 0}, 24},
        {{kDesignElliptic, kBandBandStop, 12, 48000, 500, 2000, 0.5, -60}, 24},
    };
    for (const auto& c : cases)
    {
        // One guard element past each array shows that nothing is written beyond Z+1 and 2Z.
        std::vector<double> a(static_cast<std::size_t>(c.Z + 2), 7.0);
        std::vector<double> b(static_cast<std::size_t>(c.Z + 2), 7.0);
        std::vector<DesignComplex> roots(static_cast<std::size_t>(2 * c.Z + 1), DesignComplex{7.0, 7.0});
        int Z = 0;
        double gain = 0;
        const Request& s = c.request;
        EXPECT_EQ(DesignIirFilter(s.kind, s.type, s.order, s.fs, s.f1, s.f2, s.ripple, s.stop, Z,
                                  std::span(a.data(), a.size() - 1), std::span(b.data(), b.size() - 1), gain,
                                  std::span(roots.data(), roots.size() - 1)),
                  kDesignOk)
            << Describe(s);
        EXPECT_EQ(Z, c.Z);
        EXPECT_EQ(a.back(), 7.0);
        EXPECT_EQ(b.back(), 7.0);
        EXPECT_EQ(roots.back().r, 7.0);
        // Arrays one element too short are refused, not overrun.
        EXPECT_EQ(DesignIirFilter(s.kind, s.type, s.order, s.fs, s.f1, s.f2, s.ripple, s.stop, Z,
                                  std::span(a.data(), a.size() - 2), b, gain, roots),
                  kDesignOrderTooHigh);
    }
}

TEST(FilterDesignerTest, SwappedBandEdgesGiveTheSameDesign)
{
    const Design forward = MakeDesign({kDesignChebyshev, kBandBandPass, 3, 44100, 300, 3000, 1.0, 0});
    const Design swapped = MakeDesign({kDesignChebyshev, kBandBandPass, 3, 44100, 3000, 300, 1.0, 0});
    ASSERT_EQ(swapped.result, kDesignOk);
    EXPECT_EQ(forward.a, swapped.a);
    EXPECT_EQ(forward.b, swapped.b);
}

// ---- Magnitudes against closed forms -------------------------------------------------------------

std::vector<Request> ClosedFormRequests(int kind, double ripple)
{
    std::vector<Request> requests;
    for (int order : {1, 2, 3, 4, 5, 8})
    {
        requests.push_back({kind, kBandLowPass, order, 48000, 0, 1000, ripple, 0});
        requests.push_back({kind, kBandLowPass, order, 44100, 0, 15000, ripple, 0});
        requests.push_back({kind, kBandHighPass, order, 48000, 0, 100, ripple, 0});
        requests.push_back({kind, kBandHighPass, order, 8000, 0, 2500, ripple, 0});
        requests.push_back({kind, kBandBandPass, order, 48000, 707, 1414, ripple, 0});
        requests.push_back({kind, kBandBandPass, order, 96000, 20, 20000, ripple, 0});
        requests.push_back({kind, kBandBandStop, order, 48000, 500, 2000, ripple, 0});
    }
    return requests;
}

// Frequencies spread over the band on a logarithmic grid, plus the edges themselves.
std::vector<double> Frequencies(const Request& s)
{
    std::vector<double> f;
    for (double x = 10.0; x < 0.499 * s.fs; x *= 1.07)
        f.push_back(x);
    f.push_back(s.f2);
    if (s.type % 2 == 0)
        f.push_back(s.f1);
    return f;
}

TEST(FilterDesignerTest, ButterworthFollowsItsClosedForm)
{
    for (const Request& s : ClosedFormRequests(kDesignButterworth, 0.0))
    {
        const Design d = MakeDesign(s);
        ASSERT_EQ(d.result, kDesignOk) << Describe(s);
        for (double f : Frequencies(s))
        {
            const double expected = filtertest::ButterworthMagnitude(
                s.order, filtertest::PrototypeFrequency(s.type, f, s.f1, s.f2, s.fs));
            ASSERT_NEAR(Db(d.MagnitudeFromRoots(f, s.fs)), Db(expected),
                        1e-6 + 1e-7 * std::fabs(Db(expected)))
                << Describe(s) << " f " << f;
            // The expanded polynomials lose digits deep in the stop band and where poles crowd (a wide
            // band's low edge): a coarser check that numerator and denominator expand the roots.
            if (Db(expected) > -80.0 && f >= 100.0 && d.Z <= 4)
            {
                ASSERT_NEAR(Db(d.MagnitudeFromPolynomials(f, s.fs)), Db(expected), 0.01)
                    << Describe(s) << " f " << f;
            }
        }
        // Half the power at every edge.
        EXPECT_NEAR(Db(d.MagnitudeFromRoots(s.f2, s.fs)), -3.0103, 1e-4) << Describe(s);
        if (s.type % 2 == 0)
        {
            EXPECT_NEAR(Db(d.MagnitudeFromRoots(s.f1, s.fs)), -3.0103, 1e-4) << Describe(s);
        }
    }
}

TEST(FilterDesignerTest, ButterworthFallsSixDecibelsPerOctavePerOrder)
{
    for (int order = 1; order <= 10; ++order)
    {
        // Far from the corner and far below half the rate, where the bilinear warping is negligible.
        const Design lowPass = MakeDesign({kDesignButterworth, kBandLowPass, order, 48000, 0, 20, 0, 0});
        const double lowSlope =
            Db(lowPass.MagnitudeFromRoots(400, 48000)) - Db(lowPass.MagnitudeFromRoots(800, 48000));
        EXPECT_NEAR(lowSlope, 6.0206 * order, 0.01 * order) << "low-pass order " << order;

        const Design highPass = MakeDesign({kDesignButterworth, kBandHighPass, order, 48000, 0, 4000, 0, 0});
        const double highSlope =
            Db(highPass.MagnitudeFromRoots(200, 48000)) - Db(highPass.MagnitudeFromRoots(100, 48000));
        EXPECT_NEAR(highSlope, 6.0206 * order, 0.01 * order) << "high-pass order " << order;
    }
}

TEST(FilterDesignerTest, ChebyshevFollowsItsClosedFormWithinTheRipple)
{
    for (double ripple : {0.1, 0.5, 1.0, 3.0})
    {
        for (const Request& s : ClosedFormRequests(kDesignChebyshev, ripple))
        {
            const Design d = MakeDesign(s);
            ASSERT_EQ(d.result, kDesignOk) << Describe(s);
            double lowestInPassband = 0.0;
            for (double f : Frequencies(s))
            {
                const double omega = filtertest::PrototypeFrequency(s.type, f, s.f1, s.f2, s.fs);
                const double expected = filtertest::ChebyshevMagnitude(s.order, ripple, omega);
                const double actual = Db(d.MagnitudeFromRoots(f, s.fs));
                ASSERT_NEAR(actual, Db(expected), 1e-6 + 1e-7 * std::fabs(Db(expected)))
                    << Describe(s) << " f " << f;
                if (omega <= 1.0)
                {
                    ASSERT_LE(actual, 1e-7) << Describe(s) << " f " << f;
                    ASSERT_GE(actual, -ripple - 1e-7) << Describe(s) << " f " << f;
                    lowestInPassband = std::min(lowestInPassband, actual);
                }
            }
            EXPECT_NEAR(Db(d.MagnitudeFromRoots(s.f2, s.fs)), -ripple, 1e-6) << Describe(s);
        }
    }
}

// Elliptic designs have no elementary closed form; they are checked by their defining properties:
// an equiripple passband within [-ripple, 0] dB reaching both bounds, a stop band that never rises
// above -attenuation and touches it, and a stop-band edge that satisfies the degree equation
// n = K(k) K'(k1) / (K'(k) K(k1)) with k the edge ratio and k1 = eps / sqrt(A - 1).
TEST(FilterDesignerTest, EllipticMeetsRippleAttenuationAndTheDegreeEquation)
{
    const double fs = 48000.0;
    for (int order = 2; order <= 8; ++order)
    {
        for (double ripple : {0.1, 0.5, 1.0})
        {
            for (double attenuation : {40.0, 60.0, 80.0})
            {
                const Request s{kDesignElliptic, kBandLowPass, order, fs, 0, 1000, ripple, -attenuation};
                const Design d = MakeDesign(s);
                ASSERT_EQ(d.result, kDesignOk) << Describe(s);
                auto response = [&](double f) { return Db(d.MagnitudeFromRoots(f, fs)); };

                double highest = -1e9, lowest = 1e9;
                for (int i = 0; i <= 2000; ++i)
                {
                    const double value = response(1000.0 * i / 2000.0);
                    highest = std::max(highest, value);
                    lowest = std::min(lowest, value);
                }
                EXPECT_NEAR(highest, 0.0, 1e-3) << Describe(s);
                EXPECT_NEAR(lowest, -ripple, 1e-6) << Describe(s);
                EXPECT_GE(lowest, -ripple - 1e-7) << Describe(s);

                // The stop-band edge: where the response first falls to -attenuation.
                double below = 1000.0, above = 1000.0;
                while (response(above) > -attenuation)
                {
                    below = above;
                    above *= 1.01;
                    ASSERT_LT(above, fs / 2) << Describe(s);
                }
                for (int i = 0; i < 100; ++i)
                {
                    const double middle = 0.5 * (below + above);
                    (response(middle) > -attenuation ? below : above) = middle;
                }
                const double stopEdge = above;
                double stopBandPeak = -1e9;
                for (double f = stopEdge; f < fs / 2; f *= 1.0005)
                    stopBandPeak = std::max(stopBandPeak, response(f));
                EXPECT_LE(stopBandPeak, -attenuation + 1e-6) << Describe(s);
                EXPECT_GE(stopBandPeak, -attenuation - 0.05) << Describe(s);

                const double k = std::tan(kPi * 1000.0 / fs) / std::tan(kPi * stopEdge / fs);
                const double eps2 = std::pow(10.0, ripple / 10.0) - 1.0;
                const double k1 = std::sqrt(eps2 / (std::pow(10.0, attenuation / 10.0) - 1.0));
                using filtertest::CompleteEllipticK;
                using filtertest::CompleteEllipticKPrime;
                const double degree = CompleteEllipticK(k) * CompleteEllipticKPrime(k1) /
                                      (CompleteEllipticKPrime(k) * CompleteEllipticK(k1));
                EXPECT_NEAR(degree, order, 1e-4 * order) << Describe(s);
            }
        }
    }
}

TEST(FilterDesignerTest, EllipticBandsKeepRippleAndAttenuationOnEverySide)
{
    const double fs = 48000.0;
    const double ripple = 0.5;
    const double attenuation = 50.0;
    for (int type : {kBandHighPass, kBandBandPass, kBandBandStop})
    {
        for (int order = 2; order <= 6; ++order)
        {
            const double f1 = type == kBandHighPass ? 0.0 : 700.0;
            const Request s{kDesignElliptic, type, order, fs, f1, 2800.0, ripple, -attenuation};
            const Design d = MakeDesign(s);
            ASSERT_EQ(d.result, kDesignOk) << Describe(s);
            auto response = [&](double f) { return Db(d.MagnitudeFromRoots(f, fs)); };
            auto inPassband = [&](double f)
            {
                switch (type)
                {
                    case kBandHighPass:
                        return f >= 2800.0;
                    case kBandBandPass:
                        return f >= 700.0 && f <= 2800.0;
                    default:
                        return f <= 700.0 || f >= 2800.0;
                }
            };
            // The stop band lies beyond the -attenuation crossings nearest to the passband edges.
            double lowerStop = 0.0, upperStop = fs / 2;
            if (type == kBandHighPass || type == kBandBandPass)
            {
                double f = type == kBandHighPass ? 2800.0 : 700.0;
                while (response(f) > -attenuation)
                    f /= 1.0002;
                lowerStop = f;
            }
            if (type == kBandBandPass)
            {
                double f = 2800.0;
                while (response(f) > -attenuation)
                    f *= 1.0002;
                upperStop = f;
            }
            if (type == kBandBandStop)
            {
                double lo = 700.0, hi = 2800.0;
                while (response(lo) > -attenuation)
                    lo *= 1.0002;
                while (response(hi) > -attenuation)
                    hi /= 1.0002;
                ASSERT_LT(lo, hi) << Describe(s);
                lowerStop = hi;  // for a band-stop the stop band is [lo, hi]
                upperStop = lo;
            }
            double stopPeak = -1e9;
            for (double f = 20.0; f < 0.499 * fs; f *= 1.001)
            {
                const double value = response(f);
                if (inPassband(f))
                {
                    ASSERT_LE(value, 1e-6) << Describe(s) << " f " << f;
                    ASSERT_GE(value, -ripple - 1e-6) << Describe(s) << " f " << f;
                }
                const bool inStop = type == kBandBandStop ? (f >= upperStop && f <= lowerStop)
                                                          : (f <= lowerStop || f >= upperStop);
                if (inStop)
                {
                    ASSERT_LE(value, -attenuation + 0.01) << Describe(s) << " f " << f;
                    stopPeak = std::max(stopPeak, value);
                }
            }
            EXPECT_GE(stopPeak, -attenuation - 0.5) << Describe(s);
        }
    }
}

TEST(FilterDesignerTest, BandPassCentreGainIsZeroDecibels)
{
    const double fs = 48000.0;
    for (int kind : {kDesignButterworth, kDesignChebyshev, kDesignElliptic})
    {
        for (int order = 1; order <= 12; ++order)
        {
            // Wide, narrow, and narrow at low frequency, where the poles crowd around the centre.
            for (const auto& edges : {std::array<double, 2>{300, 3000}, std::array<double, 2>{900, 1100},
                                      std::array<double, 2>{20, 40}})
            {
                const Request s{kind, kBandBandPass, order, fs, edges[0], edges[1], 1.0, -50};
                const Design d = MakeDesign(s);
                ASSERT_EQ(d.result, kDesignOk) << Describe(s);
                // The centre of the bilinear band-pass: cos w0 = cos((w1 + w2) / 2) / cos((w2 - w1) / 2).
                const double w1 = 2 * kPi * edges[0] / fs, w2 = 2 * kPi * edges[1] / fs;
                const double centre =
                    std::acos(std::cos((w1 + w2) / 2) / std::cos((w2 - w1) / 2)) * fs / (2 * kPi);
                // Odd orders pass the centre at full gain; even-order ripple designs sit at the ripple's
                // floor.
                const double expected = (kind != kDesignButterworth && order % 2 == 0) ? -1.0 : 0.0;
                EXPECT_NEAR(Db(d.MagnitudeFromRoots(centre, fs)), expected, 1e-9) << Describe(s);
            }
        }
        // The expanded polynomials agree where double precision can still hold them.
        const Request s{kind, kBandBandPass, 3, fs, 300, 3000, 1.0, -50};
        const Design d = MakeDesign(s);
        const double centre =
            std::acos(std::cos(kPi * 3300 / fs) / std::cos(kPi * 2700 / fs)) * fs / (2 * kPi);
        EXPECT_NEAR(Db(d.MagnitudeFromPolynomials(centre, fs)), 0.0, 1e-6) << Describe(s);
    }
}

// The gain normalises the response at 0 Hz (low-pass) or half the rate (high-pass) even when every
// pole sits next to that point: the reference value is a product of distances, not a sum of large
// coefficients that cancel.
TEST(FilterDesignerTest, PassbandGainHoldsWhenThePolesCrowdTheReference)
{
    const double fs = 48000.0;
    for (int kind : {kDesignButterworth, kDesignChebyshev, kDesignElliptic})
    {
        for (int order : {2, 5, 8, 16, 24})
        {
            const double expected = (kind != kDesignButterworth && order % 2 == 0) ? -1.0 : 0.0;
            const Design lowPass = MakeDesign({kind, kBandLowPass, order, fs, 0, 20, 1.0, -60});
            ASSERT_EQ(lowPass.result, kDesignOk);
            EXPECT_NEAR(Db(lowPass.MagnitudeFromRoots(0.0, fs)), expected, 1e-9)
                << "low-pass " << kind << " " << order;
            const Design highPass = MakeDesign({kind, kBandHighPass, order, fs, 0, 23000, 1.0, -60});
            ASSERT_EQ(highPass.result, kDesignOk);
            EXPECT_NEAR(Db(highPass.MagnitudeFromRoots(fs / 2, fs)), expected, 1e-9)
                << "high-pass " << kind << " " << order;
        }
    }
}

TEST(FilterDesignerTest, EveryDesignIsStable)
{
    int designs = 0;
    for (int kind : {kDesignButterworth, kDesignChebyshev, kDesignElliptic})
    {
        for (int type : {kBandLowPass, kBandBandPass, kBandHighPass, kBandBandStop})
        {
            const int maximumOrder = type % 2 == 0 ? 12 : 24;
            for (int order = 1; order <= maximumOrder; ++order)
            {
                for (const auto& edges :
                     {std::array<double, 3>{44100, 20, 200}, std::array<double, 3>{48000, 1000, 4000},
                      std::array<double, 3>{96000, 5000, 40000}})
                {
                    const Request s{kind, type, order, edges[0], edges[1], edges[2], 0.5, -60};
                    const Design d = MakeDesign(s);
                    ASSERT_EQ(d.result, kDesignOk) << Describe(s);
                    ++designs;
                    for (int i = 0; i < d.Z; ++i)
                        ASSERT_LT(std::hypot(d.roots[i].r, d.roots[i].i), 1.0)
                            << Describe(s) << " pole " << i;
                    for (int i = 0; i <= d.Z; ++i)
                        ASSERT_TRUE(std::isfinite(d.a[i]) && std::isfinite(d.b[i])) << Describe(s);
                }
            }
        }
    }
    EXPECT_EQ(designs, 3 * 3 * (24 + 12 + 24 + 12));
}

// ---- Special functions ---------------------------------------------------------------------------

TEST(FilterDesignerTest, CompleteEllipticIntegralMatchesReferenceValues)
{
    const struct
    {
        double m;
        double K;
    } cases[] = {
        {0.0, kPi / 2},
        {0.1, 1.612441348720219398},
        {0.5, 1.854074677301371918},
        {0.9, 2.578092113348173188},
        {0.99, 3.695637362989874678},
        {1e-12, 1.570796326795289318},
        {0.999999999999, 15.20180491908771690},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(ellpk(1.0 - c.m), c.K, 2e-15 * c.K + 1e-4 * (c.m > 0.9999) * c.K) << c.m;
    // Far below the machine epsilon the logarithmic limit holds.
    EXPECT_NEAR(ellpk(1e-20), std::log(4.0) + 0.5 * 20 * std::log(10.0), 1e-12);

    g_nMathError = 0;
    EXPECT_EQ(ellpk(-0.5), 0.0);
    EXPECT_EQ(g_nMathError.load(), kMathDomain);
    EXPECT_EQ(ellpk(0.0), DBL_MAX);
    EXPECT_EQ(g_nMathError.load(), kMathSingularity);
}

TEST(FilterDesignerTest, IncompleteEllipticIntegralMatchesReferenceValues)
{
    const struct
    {
        double phi;
        double m;
        double F;
    } cases[] = {
        {kPi / 5, 0.7, 0.6585612987851144425}, {1.2, 0.3, 1.274832760386613052},
        {0.4, 0.999, 0.4111022422605424216},   {2.5, 0.6, 3.230443122285753285},
        {-1.0, 0.2, -1.029309493192779687},    {0.8, 0.0, 0.8},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(ellik(c.phi, c.m), c.F, 2e-15 * std::fabs(c.F)) << c.phi << " " << c.m;
    EXPECT_NEAR(ellik(kPi / 2, 0.9), 2.578092113348173188, 1e-14);
    EXPECT_NEAR(ellik(0.5, 1.0), std::atanh(std::sin(0.5)), 1e-15);
}

TEST(FilterDesignerTest, JacobianFunctionsMatchReferenceValuesInEveryRegime)
{
    const struct
    {
        double u;
        double m;
        double sn, cn, dn;
    } cases[] = {
        {0.7, 0.3, 0.6323047763108645168, 0.7747197363269297702, 0.9381136396814302134},
        {1.9, 0.8, 0.9868316442545592132, 0.1617507523872550347, 0.4700325996335514516},
        {0.5, 1e-11, 0.4794255386040290974, 0.8775825618904677197, 0.9999999999988507558},  // near m = 0
        {0.8, 0.99999999999, 0.6640367702683909701, 0.7476999182369382566,
         0.7476999182398869318},  // near m = 1
    };
    for (const auto& c : cases)
    {
        double sn = 0, cn = 0, dn = 0, phi = 0;
        EXPECT_EQ(ellpj(c.u, c.m, sn, cn, dn, phi), 0);
        EXPECT_NEAR(sn, c.sn, 1e-14) << c.u << " " << c.m;
        EXPECT_NEAR(cn, c.cn, 1e-14) << c.u << " " << c.m;
        EXPECT_NEAR(dn, c.dn, 1e-14) << c.u << " " << c.m;
        EXPECT_NEAR(std::sin(phi), sn, 1e-14);
        // The amplitude inverts the incomplete integral.
        EXPECT_NEAR(ellik(phi, c.m), c.u, 1e-12) << c.u << " " << c.m;
    }
    // A zero argument gives exactly sn = 0: real prototype poles stay on the real axis.
    double sn = 1, cn = 0, dn = 0, phi = 1;
    ellpj(0.0, 0.6, sn, cn, dn, phi);
    EXPECT_EQ(sn, 0.0);
    EXPECT_EQ(cn, 1.0);

    g_nMathError = 0;
    EXPECT_EQ(ellpj(0.3, 1.5, sn, cn, dn, phi), -1);
    EXPECT_EQ(sn, 0.0);
    EXPECT_EQ(dn, 0.0);
    EXPECT_EQ(g_nMathError.load(), kMathDomain);
}

TEST(FilterDesignerTest, ModulusFromNomeInvertsTheNome)
{
    for (double k : {1e-4, 1e-3, 0.1, 0.5, 0.7, 0.95, 0.9995})
    {
        const double q =
            std::exp(-kPi * filtertest::CompleteEllipticKPrime(k) / filtertest::CompleteEllipticK(k));
        EXPECT_NEAR(ModulusFromNome(q), k, 1e-14 * k) << k;
    }
}

TEST(FilterDesignerTest, ComplexArithmetic)
{
    const DesignComplex quotient = cdiv({3, -4}, {1, 2});  // (1 + 2j) / (3 - 4j)
    EXPECT_NEAR(quotient.r, -0.2, 1e-15);
    EXPECT_NEAR(quotient.i, 0.4, 1e-15);
    g_nMathError = 0;
    const DesignComplex overflow = cdiv({0, 0}, {1, 0});
    EXPECT_EQ(overflow.r, DBL_MAX);
    EXPECT_EQ(overflow.i, DBL_MAX);
    EXPECT_EQ(g_nMathError.load(), kMathOverflow);

    EXPECT_DOUBLE_EQ(cabs({3e300, 4e300}), 5e300);
    const DesignComplex difference = ComplexSubtract({1, 1}, {5, 3});
    EXPECT_EQ(difference.r, 4.0);
    EXPECT_EQ(difference.i, 2.0);
    const DesignComplex product = ComplexMultiply({1, 2}, {3, -1});
    EXPECT_EQ(product.r, 5.0);
    EXPECT_EQ(product.i, 5.0);
    const double coefficients[] = {2, -3, 1};
    EXPECT_EQ(EvaluatePolynomial(2.0, coefficients), 3.0);

    const DesignComplex values[] = {{4, 0},   {-9, 0},   {0, 2},      {0, -8},   {3, 4},
                                    {-3, -4}, {1, 1e-9}, {-5, 1e-12}, {1e-3, -7}};
    for (const DesignComplex& z : values)
    {
        const DesignComplex root = ComplexSqrt(z);
        EXPECT_GE(root.i, 0.0) << z.r << " " << z.i;
        const DesignComplex square = ComplexMultiply(root, root);
        EXPECT_NEAR(square.r, z.r, 1e-14 * std::hypot(z.r, z.i)) << z.r << " " << z.i;
        EXPECT_NEAR(square.i, z.i, 1e-14 * std::hypot(z.r, z.i)) << z.r << " " << z.i;
    }
}

}  // namespace

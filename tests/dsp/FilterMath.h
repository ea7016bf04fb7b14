// Closed forms that the filter tests check designs against, written independently of the designer:
// the bilinear-transform frequency maps, the Butterworth and Chebyshev magnitudes, the complete
// elliptic integral by the arithmetic-geometric mean, and transfer functions evaluated on the unit
// circle from polynomial coefficients.
#pragma once

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <span>

namespace filtertest
{

inline constexpr double kPi = std::numbers::pi;

inline double Db(double magnitude)
{
    return 20.0 * std::log10(magnitude);
}

// sum(b[k] e^{-jwk}) / sum(a[k] e^{-jwk}) at w = 2 pi f / fs.
inline std::complex<double> PolynomialResponse(std::span<const double> b, std::span<const double> a, double f,
                                               double fs)
{
    const double w = 2.0 * kPi * f / fs;
    std::complex<double> numerator = 0.0;
    std::complex<double> denominator = 0.0;
    for (std::size_t k = 0; k < b.size(); ++k)
        numerator += b[k] * std::polar(1.0, -w * static_cast<double>(k));
    for (std::size_t k = 0; k < a.size(); ++k)
        denominator += a[k] * std::polar(1.0, -w * static_cast<double>(k));
    return numerator / denominator;
}

// The prototype frequency (edge at 1) that the bilinear transform maps f to, per band type
// (1 low-pass, 2 band-pass, 3 high-pass, 4 band-stop); magnitude only.
inline double PrototypeFrequency(int type, double f, double f1, double f2, double fs)
{
    const double w = 2.0 * kPi * f / fs;
    if (type == 1)
        return std::tan(w / 2.0) / std::tan(kPi * f2 / fs);
    if (type == 3)
        return std::tan(kPi * f2 / fs) / std::tan(w / 2.0);
    const double w1 = 2.0 * kPi * f1 / fs;
    const double w2 = 2.0 * kPi * f2 / fs;
    const double cosCentre = std::cos((w1 + w2) / 2.0) / std::cos((w2 - w1) / 2.0);
    const double band = std::fabs((cosCentre - std::cos(w)) / (std::tan((w2 - w1) / 2.0) * std::sin(w)));
    return type == 2 ? band : 1.0 / band;
}

inline double ButterworthMagnitude(int order, double omega)
{
    return 1.0 / std::sqrt(1.0 + std::pow(omega, 2.0 * order));
}

inline double ChebyshevPolynomial(int order, double x)
{
    if (std::fabs(x) <= 1.0)
        return std::cos(order * std::acos(x));
    const double value = std::cosh(order * std::acosh(std::fabs(x)));
    return (x < 0.0 && order % 2 == 1) ? -value : value;
}

inline double ChebyshevMagnitude(int order, double rippleDb, double omega)
{
    const double eps2 = std::pow(10.0, rippleDb / 10.0) - 1.0;
    const double t = ChebyshevPolynomial(order, omega);
    return 1.0 / std::sqrt(1.0 + eps2 * t * t);
}

inline double ArithmeticGeometricMean(double a, double b)
{
    for (int i = 0; i < 60 && std::fabs(a - b) > 1e-16 * a; ++i)
    {
        const double next = 0.5 * (a + b);
        b = std::sqrt(a * b);
        a = next;
    }
    return 0.5 * (a + b);
}

// K and K' of the modulus k (parameter m = k^2), each from its own mean so that neither suffers the
// cancellation in 1 - m for a small or a nearly-one modulus.
inline double CompleteEllipticK(double k)
{
    return kPi / (2.0 * ArithmeticGeometricMean(1.0, std::sqrt((1.0 - k) * (1.0 + k))));
}

inline double CompleteEllipticKPrime(double k)
{
    return kPi / (2.0 * ArithmeticGeometricMean(1.0, k));
}

// Class 1 acceptance limits on the relative attenuation of fractional-octave filters (IEC 61260-1,
// Table 1): the octave breakpoints as powers x of G = 10^0.3, band edges included, with the least and
// the most attenuation allowed (dB).
struct AttenuationLimit
{
    double exponent;  // x
    double minimum;   // dB
    double maximum;   // dB, or infinity
};

inline constexpr double kNoLimit = std::numeric_limits<double>::infinity();
inline constexpr AttenuationLimit kClassOneLimits[] = {
    {0.0, -0.4, 0.4},      {0.125, -0.4, 0.5},    {0.25, -0.4, 0.7},
    {0.375, -0.4, 1.4},    {0.5, 1.2, 5.3},       {1.0, 16.6, kNoLimit},
    {2.0, 40.5, kNoLimit}, {3.0, 60.0, kNoLimit}, {4.0, 70.0, kNoLimit},
};

// The normalised frequency of an octave breakpoint for 1/b-octave bands, above the mid-band frequency:
// Omega = 1 + ((G^(1/2b) - 1) / (G^(1/2) - 1)) (G^x - 1); its reciprocal is the breakpoint below.
inline double BreakpointAbove(double exponent, double bandsPerOctave)
{
    const double g = std::pow(10.0, 0.3);
    return 1.0 +
           (std::pow(g, 0.5 / bandsPerOctave) - 1.0) / (std::sqrt(g) - 1.0) * (std::pow(g, exponent) - 1.0);
}

}  // namespace filtertest

#include "dsp/RiaaFilter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>

namespace
{

// The RIAA playback curve, (1 + s T2) / ((1 + s T1)(1 + s T3)) with T1 = 3180 us, T2 = 318 us and
// T3 = 75 us, fitted per rate by real poles and zeros in the z-plane: a minimax search for the
// smallest largest deviation in dB from 20 Hz to 20 kHz, relative to 1 kHz (about 0.09 dB at
// 44100 Hz, 0.04 dB at 48000 Hz, 0.01 dB or better at 96000 and 192000 Hz). A plain bilinear
// design misses the curve by several tenths of a dB near 20 kHz at the lower rates, and one set for
// two rates misses it at one of them, so each rate has its own. Third-order sets; the 96000 Hz fit
// needs only two of the roots (the third pair is zero).
struct RiaaFit
{
    int rate;
    std::array<double, 3> playbackZeros;
    std::array<double, 3> playbackPoles;
};

constexpr RiaaFit kFits[] = {
    {44100, {0.93437529, -0.30923690, 0.11887927}, {0.99311564, 0.75398894, -0.03126005}},
    {48000, {0.93779627, -0.27992057, 0.07413559}, {0.99350824, 0.76351556, -0.04584924}},
    {96000, {0.96770971, -0.11409552, 0.0}, {0.99672559, 0.86994096, 0.0}},
    {192000, {0.98375484, -0.12583612, 0.20258423}, {0.99836348, 0.93291331, 0.19544894}},
};

std::array<double, 4> Polynomial(const std::array<double, 3>& roots)
{
    std::array<double, 4> p = {1.0, 0.0, 0.0, 0.0};
    for (std::size_t k = 0; k < roots.size(); ++k)
        for (std::size_t i = k + 1; i >= 1; --i)
            p[i] -= roots[k] * p[i - 1];
    return p;
}

std::complex<double> Evaluate(const std::array<double, 4>& p, double f, double rate)
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * f / rate);
    return p[0] + z1 * (p[1] + z1 * (p[2] + z1 * p[3]));
}

// The recording curve in dB, 0 dB at 1 kHz.
double RecordingCurveDb(double f)
{
    const auto playback = [](double frequency)
    {
        const std::complex<double> s(0.0, 2.0 * std::numbers::pi * frequency);
        return std::abs((1.0 + s * 318e-6) / ((1.0 + s * 3180e-6) * (1.0 + s * 75e-6)));
    };
    return 20.0 * std::log10(playback(1000.0) / playback(f));
}

// The gain that centres the set's deviation from the recording curve over 20 Hz to 20 kHz, so that
// the curve is followed within the fit's half-width everywhere, 1 kHz included.
double CentringGain(const std::array<double, 4>& b, const std::array<double, 4>& a, double rate)
{
    double lowest = 1e300;
    double highest = -1e300;
    for (double f = 20.0; f < 20001.0; f *= 1.01)
    {
        const double fc = std::min(f, 20000.0);
        const double error =
            20.0 * std::log10(std::abs(Evaluate(b, fc, rate) / Evaluate(a, fc, rate))) - RecordingCurveDb(fc);
        lowest = std::min(lowest, error);
        highest = std::max(highest, error);
    }
    return std::pow(10.0, -0.5 * (lowest + highest) / 20.0);
}

}  // namespace

CRiaaFilter::CRiaaFilter() = default;

CRiaaFilter::~CRiaaFilter() = default;

void CRiaaFilter::Process(float* samples, int count)
{
    m_filter.m_bOwnsCoefficients = 1;
    if (m_bReload == 1)
        m_dBuiltRate = -1.0;
    if (m_dBuiltRate != m_dSampleRate)
    {
        m_dBuiltRate = m_dSampleRate;
        m_filter.Release();
        const int rate = static_cast<int>(m_dSampleRate);
        const RiaaFit* fit = nullptr;
        for (const RiaaFit& candidate : kFits)
            if (candidate.rate == rate)
                fit = &candidate;
        if (!fit)
        {
            m_dBuiltRate = -1.0;
            return;
        }
        // Recording set: the playback poles as zeros and the playback zeros as poles, at the level of
        // the curve (0 dB at 1 kHz).
        std::array<double, 4> b = Polynomial(fit->playbackPoles);
        std::array<double, 4> a = Polynomial(fit->playbackZeros);
        const double gain = CentringGain(b, a, rate);
        for (double& value : b)
            value *= gain;
        if (m_filter.m_nOption)
        {
            std::swap(a, b);
            const double a0 = a[0];
            for (std::size_t i = 0; i < a.size(); ++i)
            {
                a[i] /= a0;
                b[i] /= a0;
            }
        }
        m_filter.SetCoefficients(4, 4, b.data(), a.data());
    }
    m_filter.Process(samples, count);
    m_bReload = 0;
}

#include "dsp/LoudnessFilterBank.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "dsp/FilterDesigner.h"

namespace
{

constexpr int kButterworth = 1;
constexpr int kBandPass = 2;
constexpr int kPrototypeOrder = 3;
constexpr float kSilence = -300.0f;

}  // namespace

CLoudnessFilterBank::CLoudnessFilterBank()
{
    for (auto& level : m_published)
        level.store(kSilence, std::memory_order_relaxed);
}

void CLoudnessFilterBank::Configure(double sampleRate, int interval)
{
    m_sampleRate = sampleRate;
    m_interval = std::max(interval, 1);
    m_count = 0;
    m_intervals.store(0, std::memory_order_relaxed);
    const double edge = std::pow(10.0, 0.05);
    for (int b = 0; b < kLoudnessBandCount; ++b)
    {
        Band& band = m_bands[static_cast<std::size_t>(b)];
        band = Band{};
        m_published[static_cast<std::size_t>(b)].store(kSilence, std::memory_order_relaxed);
        const double centre = LoudnessBandCentre(b);
        if (!(sampleRate > 0.0) || centre * edge >= 0.475 * sampleRate)
            continue;
        std::array<double, kDesignArraySize> a{}, num{};
        std::array<DesignComplex, kDesignRootCapacity> roots{};
        int order = 0;
        double gain = 0;
        if (DesignIirFilter(kButterworth, kBandPass, kPrototypeOrder, sampleRate, centre / edge,
                            centre * edge, 0.5, 0.5, order, a, num, gain, roots) != kDesignOk ||
            order != 2 * kSections)
            continue;
        // Each complex pole pair makes one section with zeros at +1 and -1; the gain is shared out.
        const double sectionGain = std::cbrt(gain);
        int s = 0;
        for (int j = 0; j < order && s < kSections; ++j)
        {
            const DesignComplex p = roots[static_cast<std::size_t>(j)];
            if (p.i <= 0.0)
                continue;
            Section& section = band.sections[static_cast<std::size_t>(s++)];
            section.b0 = sectionGain;
            section.b2 = -sectionGain;
            section.a1 = -2.0 * p.r;
            section.a2 = p.r * p.r + p.i * p.i;
        }
        band.active = s == kSections;
    }
}

void CLoudnessFilterBank::Process(const float* samples, int count)
{
    if (!samples || m_interval <= 0)
        return;
    int done = 0;
    while (done < count)
    {
        const int n = std::min(count - done, m_interval - m_count);
        const float* x = samples + done;
        for (Band& band : m_bands)
        {
            if (!band.active)
                continue;
            Section s0 = band.sections[0], s1 = band.sections[1], s2 = band.sections[2];
            double energy = 0;
            for (int i = 0; i < n; ++i)
            {
                double v = x[i];
                for (Section* s : {&s0, &s1, &s2})
                {
                    const double y = s->b0 * v + s->s1;
                    s->s1 = -s->a1 * y + s->s2;
                    s->s2 = s->b2 * v - s->a2 * y;
                    v = y;
                }
                energy += v * v;
            }
            band.sections = {s0, s1, s2};
            band.energy += energy;
        }
        done += n;
        m_count += n;
        if (m_count >= m_interval)
        {
            for (int b = 0; b < kLoudnessBandCount; ++b)
            {
                Band& band = m_bands[static_cast<std::size_t>(b)];
                const double meanSquare = band.energy / m_count;
                m_published[static_cast<std::size_t>(b)].store(
                    meanSquare > 0.0 ? static_cast<float>(10.0 * std::log10(meanSquare)) : kSilence,
                    std::memory_order_relaxed);
                band.energy = 0;
            }
            m_count = 0;
            m_intervals.fetch_add(1, std::memory_order_release);
        }
    }
}

bool CLoudnessFilterBank::Levels(float* levels) const
{
    if (m_intervals.load(std::memory_order_acquire) == 0)
        return false;
    for (int b = 0; b < kLoudnessBandCount; ++b)
        levels[b] = m_published[static_cast<std::size_t>(b)].load(std::memory_order_relaxed);
    return true;
}

double CLoudnessFilterBank::Response(int band, double f) const
{
    if (band < 0 || band >= kLoudnessBandCount || !m_bands[static_cast<std::size_t>(band)].active)
        return 0.0;
    const std::complex<double> z1 = std::polar(1.0, -2.0 * M_PI * f / m_sampleRate);  // z^-1
    std::complex<double> h = 1.0;
    for (const Section& s : m_bands[static_cast<std::size_t>(band)].sections)
        h *= (s.b0 + s.b2 * z1 * z1) / (1.0 + s.a1 * z1 + s.a2 * z1 * z1);
    return std::norm(h);
}

#include "dsp/SweepSynthesis.h"

#include <algorithm>
#include <cmath>

#include "dsp/Fft.h"

namespace
{

// Single-precision constants that are part of the signals' definition.
constexpr float kTwoPi = 6.2831855f;
constexpr double kChirpPhaseScale = 1.570796325;
constexpr float kChirpSpectrumLevel = 10.24f;

// The fade reaches 0.2^4 at the outermost sample.
constexpr double kTaperEndLevel = 0.2;

void NormalisePeak(float* samples, int count)
{
    float peak = 0.0f;
    for (int i = 0; i < count; ++i)
    {
        peak = std::max(peak, std::fabs(samples[i]));
    }
    if (!(peak > 0.0f) || !std::isfinite(peak))
    {
        return;
    }
    // Dividing (rather than multiplying by 1/peak) keeps the largest sample at exactly 1.0.
    for (int i = 0; i < count; ++i)
    {
        samples[i] /= peak;
    }
}

bool IsPowerOfTwo(int n)
{
    return n >= 2 && (n & (n - 1)) == 0;
}

}  // namespace

CLogSweep::CLogSweep(int length, double f1, double f2)
{
    length = std::max(length, 0);
    m_samples.assign(static_cast<std::size_t>(length), 0.0f);
    m_capacity = length;
    m_length = length;
    Set(length, f1, f2);
}

void CLogSweep::Set(int length, double f1, double f2)
{
    length = std::max(length, 0);
    bool rebuild = false;
    if (length != m_length)
    {
        if (m_capacity < length)
        {
            m_samples.assign(static_cast<std::size_t>(length), 0.0f);
            m_capacity = length;
        }
        m_length = length;
        rebuild = true;
    }
    if (rebuild || f1 != m_startFreq || f2 != m_stopFreq)
    {
        m_startFreq = f1;
        m_stopFreq = f2;
        Generate();
        ApplyTaper();
    }
}

void CLogSweep::Generate()
{
    const int n = m_length;
    float* samples = m_samples.data();
    const double f1 = m_startFreq;
    const double f2 = m_stopFreq;
    if (!(f1 > 0.0 && f2 > 0.0 && std::isfinite(f1) && std::isfinite(f2)))
    {
        // No logarithm exists for the placeholder band (f1 = 0): a silent table instead of NaNs.
        std::fill(samples, samples + n, 0.0f);
        return;
    }
    const double step = std::log(f2 / f1) / n;
    double logFrequency = std::log(f1);
    long double phase = 0.0L;
    for (int i = 0; i < n; ++i)
    {
        phase += std::exp(logFrequency);
        logFrequency += step;
        const float cycles = static_cast<float>(phase);
        samples[i] = std::sin(kTwoPi * cycles);
    }
    NormalisePeak(samples, n);
}

void CLogSweep::ApplyTaper()
{
    const int count = m_length;
    // A table shorter than the fade fades over its own length rather than past its ends.
    const int n = std::min(m_taperLength, count);
    if (n <= 0)
    {
        return;
    }
    float* samples = m_samples.data();
    const long long quarter = static_cast<long long>(n) * n / 4;
    const double b = -static_cast<double>(quarter) / std::log(kTaperEndLevel);
    for (int i = 0; i < n; ++i)
    {
        const double distance = static_cast<double>(i - n);
        // b is 0 only for a one-sample fade, whose single gain tends to 0.
        const double gain = b > 0.0 ? std::exp(-distance * distance / b) : 0.0;
        samples[i] = static_cast<float>(samples[i] * gain);
        samples[count - 1 - i] = static_cast<float>(samples[count - 1 - i] * gain);
    }
}

CLinearChirp::CLinearChirp(int length, double f1, double f2)
{
    length = std::max(length, 0);
    m_samples.assign(static_cast<std::size_t>(length) + 2, 0.0f);
    m_imag.assign(static_cast<std::size_t>(length) + 2, 0.0f);
    m_capacity = length;
    m_length = length;
    Set(length, f1, f2);
}

void CLinearChirp::Set(int length, double f1, double f2)
{
    length = std::max(length, 0);
    bool rebuild = false;
    if (length != m_length)
    {
        if (m_capacity < length)
        {
            m_samples.assign(static_cast<std::size_t>(length) + 2, 0.0f);
            m_imag.assign(static_cast<std::size_t>(length) + 2, 0.0f);
            m_capacity = length;
        }
        m_length = length;
        rebuild = true;
    }
    if (rebuild || f1 != m_startFreq || f2 != m_stopFreq)
    {
        m_startFreq = f1;
        m_stopFreq = f2;
        Generate();
    }
}

void CLinearChirp::Generate()
{
    const int n = m_length;
    float* re = m_samples.data();
    float* im = m_imag.data();
    if (!IsPowerOfTwo(n))
    {
        // The spectrum is one FFT, which exists for powers of two only.
        std::fill(re, re + n, 0.0f);
        std::fill(im, im + n, 0.0f);
        return;
    }
    const int half = n / 2;
    const double f1 = m_startFreq;
    const double f2 = m_stopFreq;
    const double h = (f2 - f1) / (n / 2 + 1);

    // Quadratic phase: a[0] = f1, a[k] = sum_{m=1..k} (f1 + m h), scaled so that the last bin's phase
    // is n pi / 2. Two passes keep the running sum in double without a scratch array.
    double last = f1;
    double sum = 0.0;
    for (int k = 1; k <= half; ++k)
    {
        sum += f1 + k * h;
        last = sum;
    }
    const bool scalable = last != 0.0 && std::isfinite(last);
    const float level = kChirpSpectrumLevel / static_cast<float>(n);
    const double lowBin = std::floor(f1 * n);
    const double highBin = std::floor(f2 * n);
    sum = 0.0;
    for (int k = 0; k <= half; ++k)
    {
        double a = f1;
        if (k > 0)
        {
            sum += f1 + k * h;
            a = sum;
        }
        if (k < lowBin || k >= highBin)
        {
            re[k] = 0.0f;
            im[k] = 0.0f;
            continue;
        }
        const float phase = scalable ? static_cast<float>(a * n * kChirpPhaseScale / last) : 0.0f;
        re[k] = std::cos(phase) * level;
        im[k] = std::sin(phase) * level;
    }
    for (int k = 1; k < half; ++k)
    {
        re[n - k] = re[k];
        im[n - k] = -im[k];
    }
    // The forward kernel is part of the signal: it makes the chirp rise in time.
    ComplexFftUncached(re, im, n);
    NormalisePeak(re, n);
}

bool PrepareSweepSpectrum(const float* table, float* spectrum, int N)
{
    if (!table || !spectrum || N < 2 || Log2OfPowerOfTwo(N) == 0 || N > (1 << 24))
        return false;
    std::copy(table, table + N, spectrum);
    RealFft(spectrum, N);
    ConvertToSplitLayout(spectrum, N);
    const int half = N / 2;
    const auto power = [&](int k)
    {
        const double re = spectrum[k];
        const double im = (k == 0 || k == half) ? 0.0 : spectrum[half + k];
        return re * re + im * im;
    };
    double peak = 0.0;
    for (int k = 0; k <= half; ++k)
        peak = std::max(peak, power(k));
    if (!(peak > 0.0) || !std::isfinite(peak))
    {
        std::fill(spectrum, spectrum + N, 0.0f);
        return false;
    }
    // conj(X) / (|X|^2 + e): the plain reciprocal wherever the table has energy.
    const double floor = peak * 1e-6;
    for (int k = 0; k <= half; ++k)
    {
        const double scale = 1.0 / (power(k) + floor);
        spectrum[k] = static_cast<float>(spectrum[k] * scale);
        if (k != 0 && k != half)
            spectrum[half + k] = static_cast<float>(-spectrum[half + k] * scale);
    }
    return true;
}

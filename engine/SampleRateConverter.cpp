#include "engine/SampleRateConverter.h"

#include "filtercoeffs/Brevik.h"

#include <algorithm>
#include <cmath>

int PolyphaseInterpolate(const double* h, int taps, const double* x, double* y, int nx, int phases,
                         double factor, double time)
{
    const double dt = 1.0 / factor;
    double t = time;
    int m = 0;
    for (int k = 0; k <= nx - taps - 1; ++k)
    {
        const double* xk = x + k;
        while (t >= k && t < k + 1)
        {
            // Between the two nearest phases, linearly: the nearest phase alone would place a
            // sample up to 1/2560 of an input sample off, −65 dB of noise for a tone at 0.4 of
            // the rate.
            const double position = (t - k) * phases;
            const int p = std::min(static_cast<int>(position), phases - 1);
            const double fraction = position - p;
            const double* row = h + p * taps;
            const double* next = row + taps;
            double a = 0.0;
            double b = 0.0;
            for (int j = 0; j < taps; ++j)
            {
                a += row[j] * xk[j];
                b += next[j] * xk[j];
            }
            y[m++] = a + fraction * (b - a);
            t += dt;
        }
    }
    return m;
}

CSampleRateConverter::CSampleRateConverter()
    : m_pHistory(std::make_unique<double[]>(kStoreSize)), m_pOutput(std::make_unique<double[]>(kStoreSize))
{
}

CSampleRateConverter::~CSampleRateConverter() = default;

int CSampleRateConverter::MaxOutput(int n) const
{
    // The outputs of one call cover at most the new inputs plus the kept history past the start.
    return static_cast<int>(std::ceil((n + m_nKeep) * m_dRatio)) + 2;
}

int CSampleRateConverter::MaxInput() const
{
    if (!(m_dRatio > 0.0))
        return 0;
    const int byHistory = kStoreSize - m_nKeep;
    const int byOutput = static_cast<int>((kStoreSize - 2) / m_dRatio) - m_nKeep - 1;
    return std::max(0, std::min(byHistory, byOutput));
}

int CSampleRateConverter::Process(const float* in, int n, float* out)
{
    if (n < 0 || n > MaxInput() || !(m_dRatio > 0.0))
        return 0;
    double* history = m_pHistory.get();
    // 1. The last samples move to the front.
    std::copy(history + m_nLast - m_nKeep + 1, history + m_nLast + 1, history);
    // 2.
    m_nLast = m_nKeep + n - 1;
    for (int i = 0; i < n; ++i)
        history[m_nKeep + i] = in[i];
    // 3. and 4.
    const int span = m_nLast - m_nStart - kCentre;
    if (span <= 0)
    {
        m_nStart -= n;
        return 0;
    }
    const int wanted = static_cast<int>(std::floor(span * m_dRatio));
    const int written =
        PolyphaseInterpolate(DLL_GpolyCoeff, kTaps, history + m_nStart - kCentre, m_pOutput.get(),
                             m_nLast - m_nStart + kCentre + 1, kPhases, m_dRatio, m_dTime);
    const int count = std::min(wanted, written);
    // 5.
    for (int i = 0; i < count; ++i)
        out[i] = static_cast<float>(m_pOutput[i]);
    // 6.
    const double advance = m_dTime + count / m_dRatio;
    const int consumed = static_cast<int>(std::floor(advance));
    m_nStart = m_nStart + consumed - n;
    m_dTime = advance - consumed;
    return count;
}

// MLS correlation: the fast Hadamard transform of CMlsTransform against an FFT-based circular
// cross-correlation of the same period with FFTW (single precision, FFTW_MEASURE, one thread).
//
// The FFT method: a circular correlation of length L = 2^P - 1 cannot use a power-of-two transform of
// length L, so the period is written twice in a row (2L values, zero-padded to N = 2^(P+1)); the linear
// correlation of that with the zero-padded sequence equals the circular one for lags 0..L-1 and never
// wraps. Per period: two copies in, one real forward FFT, one complex multiply with the precomputed
// conjugate spectrum of the sequence (scale 1/(N L) folded in), one real inverse FFT, one copy out.
// Both sides are checked against each other before timing.

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "dsp/MlsTransform.h"

namespace
{

std::vector<float> RandomPeriod(int length)
{
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> period(length);
    for (float& v : period)
    {
        v = uniform(random);
    }
    return period;
}

class FftCorrelator
{
public:
    explicit FftCorrelator(int order) : m_length((1 << order) - 1), m_size(1 << (order + 1))
    {
        m_buffer = fftwf_alloc_real(m_size);
        m_spectrum = fftwf_alloc_complex(m_size / 2 + 1);
        m_reference = fftwf_alloc_complex(m_size / 2 + 1);
        // Planning with FFTW_MEASURE overwrites the arrays, so plan before filling them.
        m_forward = fftwf_plan_dft_r2c_1d(m_size, m_buffer, m_spectrum, FFTW_MEASURE);
        m_inverse = fftwf_plan_dft_c2r_1d(m_size, m_spectrum, m_buffer, FFTW_MEASURE);

        const CMlsSequence sequence(m_length, 0, 1);
        std::fill(m_buffer, m_buffer + m_size, 0.0f);
        std::copy(sequence.m_data.begin(), sequence.m_data.end(), m_buffer);
        fftwf_execute(m_forward);
        const float scale = 1.0f / (static_cast<float>(m_size) * static_cast<float>(m_length));
        for (int k = 0; k <= m_size / 2; ++k)
        {
            m_reference[k][0] = m_spectrum[k][0] * scale;
            m_reference[k][1] = -m_spectrum[k][1] * scale;
        }
    }

    ~FftCorrelator()
    {
        fftwf_destroy_plan(m_forward);
        fftwf_destroy_plan(m_inverse);
        fftwf_free(m_buffer);
        fftwf_free(m_spectrum);
        fftwf_free(m_reference);
    }

    FftCorrelator(const FftCorrelator&) = delete;
    FftCorrelator& operator=(const FftCorrelator&) = delete;

    void Correlate(const float* period, float* response)
    {
        std::memcpy(m_buffer, period, sizeof(float) * m_length);
        std::memcpy(m_buffer + m_length, period, sizeof(float) * m_length);
        std::fill(m_buffer + 2 * m_length, m_buffer + m_size, 0.0f);
        fftwf_execute(m_forward);
        for (int k = 0; k <= m_size / 2; ++k)
        {
            const float a = m_spectrum[k][0];
            const float b = m_spectrum[k][1];
            const float c = m_reference[k][0];
            const float d = m_reference[k][1];
            m_spectrum[k][0] = a * c - b * d;
            m_spectrum[k][1] = a * d + b * c;
        }
        fftwf_execute(m_inverse);
        std::memcpy(response, m_buffer, sizeof(float) * m_length);
    }

private:
    int m_length;
    int m_size;
    float* m_buffer = nullptr;
    fftwf_complex* m_spectrum = nullptr;
    fftwf_complex* m_reference = nullptr;
    fftwf_plan m_forward = nullptr;
    fftwf_plan m_inverse = nullptr;
};

// Both methods must agree before either is timed.
bool SameResponse(int order)
{
    const int length = (1 << order) - 1;
    const std::vector<float> period = RandomPeriod(length);
    std::vector<float> ours(length);
    std::vector<float> theirs(length);
    CMlsTransform transform;
    transform.Init(order);
    transform.Correlate(period.data(), ours.data(), 0);
    FftCorrelator fft(order);
    fft.Correlate(period.data(), theirs.data());
    float worst = 0.0f;
    for (int i = 0; i < length; ++i)
    {
        worst = std::max(worst, std::fabs(ours[i] - theirs[i]));
    }
    return worst < 1e-4f;
}

void BM_MlsHadamard(benchmark::State& state)
{
    const int order = static_cast<int>(state.range(0));
    if (!SameResponse(order))
    {
        state.SkipWithError("the two correlations differ");
        return;
    }
    const int length = (1 << order) - 1;
    const std::vector<float> period = RandomPeriod(length);
    std::vector<float> response(length);
    CMlsTransform transform;
    transform.Init(order);
    for (auto _ : state)
    {
        transform.Correlate(period.data(), response.data(), 0);
        benchmark::DoNotOptimize(response.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * length);
}

void BM_FftCorrelation(benchmark::State& state)
{
    const int order = static_cast<int>(state.range(0));
    const int length = (1 << order) - 1;
    const std::vector<float> period = RandomPeriod(length);
    std::vector<float> response(length);
    FftCorrelator fft(order);
    for (auto _ : state)
    {
        fft.Correlate(period.data(), response.data());
        benchmark::DoNotOptimize(response.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * length);
}

BENCHMARK(BM_MlsHadamard)->DenseRange(10, 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FftCorrelation)->DenseRange(10, 20)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

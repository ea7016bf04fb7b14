// The sonagram's two pictures: a whole recorded picture (one short-time spectrum per row) and the
// live picture (one new line and a scroll per paint).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "display/Sonagram.h"

namespace
{

// A log sweep 20 Hz .. 20 kHz, 10 s at 48 kHz.
std::vector<float> Sweep()
{
    constexpr double rate = 48000.0;
    constexpr int count = 480000;
    const double k = std::log(1000.0);
    std::vector<float> s(count);
    for (int i = 0; i < count; ++i)
    {
        const double t = i / rate;
        s[static_cast<std::size_t>(i)] = static_cast<float>(
            0.5 * std::sin(2.0 * std::numbers::pi * 20.0 * 10.0 / k * (std::exp(t / 10.0 * k) - 1.0)));
    }
    return s;
}

// 1000 x 600 pixels, 600 rows of FFT 4096: items are rows.
void BM_RecordedPicture(benchmark::State& state)
{
    const std::vector<float> signal = Sweep();
    CSonagram sonagram;
    sonagram.SetSize(1000, 600);
    sonagram.m_pSamples = signal.data();
    sonagram.m_nSampleCount = static_cast<int>(signal.size());
    sonagram.m_dSampleRate = 48000.0;
    sonagram.m_nFftLength = 4096;
    sonagram.m_frequency.m_dValue1 = 20.0;
    sonagram.m_frequency.m_dValue2 = 20000.0;
    sonagram.m_frequency.m_nValue2 = 1;
    sonagram.m_level.m_dValue1 = -120.0;
    sonagram.m_level.m_dValue2 = 0.0;
    for (auto _ : state)
    {
        sonagram.Compute();
        benchmark::DoNotOptimize(sonagram.GetDib().Pixels().data());
    }
    state.SetItemsProcessed(state.iterations() * 600);
}
BENCHMARK(BM_RecordedPicture)->Unit(benchmark::kMillisecond);

// The live path of a 1000 x 600 picture: one line of colour indices written at the leading edge
// after the picture scrolled by one pixel; items are lines.
void BM_LiveLine(benchmark::State& state)
{
    CSonagram sonagram;
    sonagram.SetSize(1000, 600);
    std::vector<std::uint8_t> line(1000);
    for (std::size_t i = 0; i < line.size(); ++i)
        line[i] = static_cast<std::uint8_t>(i * 7);
    for (auto _ : state)
    {
        sonagram.AddLiveLine(line, false);
        benchmark::DoNotOptimize(sonagram.GetDib().Pixels().data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LiveLine)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// The band analyser with third-octave bands from 20 Hz to 20 kHz, or without bands, plus the Z, A and
// C wideband meters (each with Impulse, Fast, Slow, 10 s, 60 s, CCIR and Leq) on one channel at
// 48 kHz, fed in blocks of 512 samples as the engine does. The counter "channels" is how many such
// channels one core runs in real time.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "dsp/BandAnalyzer.h"

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

// bandsPerOctave 3: the heaviest set-up; 0: only the wideband meters and the energy trace, as the
// engine runs them while no band display is open.
void BM_BandAnalyzer(benchmark::State& state)
{
    CBandAnalyzer analyzer;
    analyzer.m_sampleRate = kRate;
    analyzer.m_minFrequency = 20.0;
    analyzer.m_maxFrequency = 20000.0;
    analyzer.m_bandsPerOctave = static_cast<int>(state.range(0));
    analyzer.m_widebandSet = 0;
    analyzer.Configure();
    std::vector<float> signal(static_cast<std::size_t>(kRate));
    for (std::size_t i = 0; i < signal.size(); ++i)
        signal[i] = static_cast<float>(0.3 * std::sin(2.0 * std::numbers::pi * 997.0 * i / kRate) +
                                       0.1 * std::sin(0.37 * i * i / kRate));
    std::size_t position = 0;
    for (auto _ : state)
    {
        analyzer.ProcessBlock(signal.data() + position, kBlock);
        position = (position + kBlock) % (signal.size() - kBlock);
    }
    const double seconds = static_cast<double>(state.iterations()) * kBlock / kRate;
    state.counters["channels"] =
        benchmark::Counter(seconds, benchmark::Counter::kIsRate);  // audio seconds per CPU second
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(BM_BandAnalyzer)
    ->ArgName("bandsPerOctave")
    ->Arg(3)
    ->Arg(0)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(2.0);
}  // namespace

BENCHMARK_MAIN();

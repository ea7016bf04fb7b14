// The band analyser with third-octave bands from 20 Hz to 20 kHz, or without bands, plus the Z, A and
// C wideband meters (each with Impulse, Fast, Slow, 10 s, 60 s, CCIR and Leq) on one channel at
// 48 kHz, fed in blocks of 512 samples as the engine does. The counter "channels" is how many such
// channels one core runs in real time. BM_BandAnalyzerChannels feeds 8 channels through
// ProcessChannels (their filters and meters side by side), at 48 and 96 kHz, thirds and octaves.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
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

// Arguments: bands per octave (3 or 1), sample rate, channels, and 1: fed together through
// ProcessChannels, 0: fed one after the other through ProcessBlock.
void BM_BandAnalyzerChannels(benchmark::State& state)
{
    const double rate = static_cast<double>(state.range(1));
    const int channels = static_cast<int>(state.range(2));
    std::vector<std::unique_ptr<CBandAnalyzer>> analyzers;
    std::vector<CBandAnalyzer*> pointers;
    for (int c = 0; c < channels; ++c)
    {
        auto analyzer = std::make_unique<CBandAnalyzer>();
        analyzer->m_sampleRate = rate;
        analyzer->m_minFrequency = 20.0;
        analyzer->m_maxFrequency = 20000.0;
        analyzer->m_bandsPerOctave = static_cast<int>(state.range(0));
        analyzer->m_widebandSet = 0;
        analyzer->Configure();
        pointers.push_back(analyzer.get());
        analyzers.push_back(std::move(analyzer));
    }
    std::vector<float> signal(static_cast<std::size_t>(rate));
    for (std::size_t i = 0; i < signal.size(); ++i)
        signal[i] = static_cast<float>(0.3 * std::sin(2.0 * std::numbers::pi * 997.0 * i / rate) +
                                       0.1 * std::sin(0.37 * i * i / rate));
    std::vector<const float*> samples(static_cast<std::size_t>(channels));
    std::size_t position = 0;
    for (auto _ : state)
    {
        for (int c = 0; c < channels; ++c)
            samples[static_cast<std::size_t>(c)] =
                signal.data() + (position + 97 * c) % (signal.size() - kBlock);
        if (state.range(3))
            CBandAnalyzer::ProcessChannels(pointers, samples, kBlock);
        else
            for (int c = 0; c < channels; ++c)
                pointers[static_cast<std::size_t>(c)]->ProcessBlock(samples[static_cast<std::size_t>(c)],
                                                                    kBlock);
        position = (position + kBlock) % (signal.size() - kBlock);
    }
    const double seconds = static_cast<double>(state.iterations()) * kBlock / rate * channels;
    state.counters["channels"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
    state.SetItemsProcessed(state.iterations() * kBlock * channels);
}
BENCHMARK(BM_BandAnalyzerChannels)
    ->ArgNames({"bandsPerOctave", "rate", "channels", "together"})
    ->ArgsProduct({{3, 1}, {48000, 96000}, {8}, {0, 1}})
    ->Args({3, 48000, 2, 0})
    ->Args({3, 48000, 2, 1})
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(1.0);
}  // namespace

BENCHMARK_MAIN();

// One tonality evaluation of the lines of a 16384-point FFT at 48 kHz (2.93 Hz apart): Hanning-windowed
// white noise with tones at 440 Hz, 1 kHz and 3.15 kHz, averaged over four blocks. The arguments are
// the line counts: 4096, 8192 (the whole spectrum) and 9000 (the analyser's capacity). The counter
// "realtime" is how many times one evaluation fits into the 341 ms that such a block lasts.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "dsp/Fft.h"
#include "dsp/FftWindow.h"
#include "dsp/TonalityAnalyzer.h"

namespace
{
constexpr int kSize = 16384;
constexpr double kRate = 48000.0;

std::vector<float> NoiseWithThreeTonesDb(int lines)
{
    CFftWindow window;
    std::vector<float> table(kSize);
    window.Generate(table.data(), kSize, kFftWindowHanning);
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0.0, 1e-3);
    std::vector<double> mean(kSize / 2 + 1000, 0.0);
    std::vector<float> x(kSize);
    for (int block = 0; block < 4; ++block)
    {
        for (int i = 0; i < kSize; ++i)
        {
            const double t = (block * kSize + i) / kRate;
            double v = noise(random);
            for (double f : {440.0, 1000.0, 3150.0})
                v += 0.01 * std::sin(2.0 * std::numbers::pi * f * t);
            x[static_cast<std::size_t>(i)] = static_cast<float>(v * table[static_cast<std::size_t>(i)]);
        }
        ComputePowerSpectrum(x.data(), kSize);
        for (int k = 0; k < kSize / 2; ++k)
            mean[static_cast<std::size_t>(k)] += x[static_cast<std::size_t>(k)] / 4.0;
    }
    // Past the spectrum (9000 lines) the noise floor goes on.
    for (std::size_t k = kSize / 2; k < mean.size(); ++k)
        mean[k] = mean[k - kSize / 4];
    std::vector<float> levels(static_cast<std::size_t>(lines));
    for (int k = 0; k < lines; ++k)
        levels[static_cast<std::size_t>(k)] =
            static_cast<float>(10.0 * std::log10(mean[static_cast<std::size_t>(k)]));
    return levels;
}

void BM_TonalityEvaluation(benchmark::State& state)
{
    const int lines = static_cast<int>(state.range(0));
    const std::vector<float> levels = NoiseWithThreeTonesDb(lines);
    std::vector<float> frequencies(static_cast<std::size_t>(lines));
    for (int k = 0; k < lines; ++k)
        frequencies[static_cast<std::size_t>(k)] = static_cast<float>(k * kRate / kSize);
    std::vector<float> tones(static_cast<std::size_t>(lines));
    std::vector<float> lower(static_cast<std::size_t>(lines));
    std::vector<float> upper(static_cast<std::size_t>(lines));
    int adjustment = 0;
    int toneCount = 0;
    int groupCount = 0;
    double difference = 0.0;
    double uncertainty = 0.0;
    for (auto _ : state)
    {
        EvaluateTonalComponents(frequencies.data(), lines, levels.data(), 1, adjustment, difference,
                                uncertainty, &toneCount, tones.data(), &groupCount, lower.data(),
                                upper.data());
        benchmark::DoNotOptimize(difference);
    }
    const double blockSeconds = kSize / kRate;
    state.counters["realtime"] = benchmark::Counter(blockSeconds * static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
    state.counters["tones"] = toneCount;
}
BENCHMARK(BM_TonalityEvaluation)->Arg(4096)->Arg(8192)->Arg(9000)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();

// Cost per value of the decimal logarithms the plot and 3D display take for every drawn point, and of a
// running sum over a large block.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/DspOperation.h"
#include "common/Log10.h"

namespace
{

constexpr std::size_t kValueCount = 4096;

// Values spread over many decades, as levels and frequencies are.
std::vector<float> PositiveValues()
{
    std::vector<float> values(kValueCount);
    for (std::size_t i = 0; i < kValueCount; ++i)
    {
        values[i] = static_cast<float>(std::pow(10.0, -6.0 + 12.0 * static_cast<double>(i) / kValueCount));
    }
    return values;
}

void BM_FastLog10(benchmark::State& state)
{
    const std::vector<float> values = PositiveValues();
    for (auto _ : state)
    {
        double sum = 0.0;
        for (float v : values)
        {
            sum += FastLog10(v);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kValueCount));
}
BENCHMARK(BM_FastLog10);

void BM_StdLog10(benchmark::State& state)
{
    const std::vector<float> values = PositiveValues();
    for (auto _ : state)
    {
        double sum = 0.0;
        for (float v : values)
        {
            sum += std::log10(static_cast<double>(v));
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kValueCount));
}
BENCHMARK(BM_StdLog10);

// The 3D display's use: a value in 0..1 scaled to an index and clamped to the table.
void BM_Log10TableLookup(benchmark::State& state)
{
    InitLog10Table();
    std::vector<float> values(kValueCount);
    for (std::size_t i = 0; i < kValueCount; ++i)
    {
        values[i] = static_cast<float>((i * 2654435761u) % 100000u) / 100000.0f;
    }
    for (auto _ : state)
    {
        float sum = 0.0f;
        for (float v : values)
        {
            int index = static_cast<int>(v * static_cast<float>(kLog10TableSize));
            index = std::clamp(index, 0, static_cast<int>(kLog10TableSize - 1));
            sum += Log10Table[static_cast<std::size_t>(index)];
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kValueCount));
}
BENCHMARK(BM_Log10TableLookup);

void BM_ApplyDspOperationInteg(benchmark::State& state)
{
    constexpr int kSamples = 65536;
    std::vector<float> input(kSamples);
    for (int i = 0; i < kSamples; ++i)
    {
        input[static_cast<std::size_t>(i)] = static_cast<float>(std::sin(0.01 * i));
    }
    std::vector<float> output(kSamples);
    const double k = 1.0 / 48000.0;
    for (auto _ : state)
    {
        ApplyDspOperation(kDspInteg, kSamples, input.data(), nullptr, output.data(), kDspFlagScale, &k);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kSamples));
}
BENCHMARK(BM_ApplyDspOperationInteg);

}  // namespace

BENCHMARK_MAIN();

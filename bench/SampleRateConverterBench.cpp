// The sample-rate converter of the intake: output samples per second on one core at the ratios the
// engine meets (items processed = output samples).
#include "engine/SampleRateConverter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace
{

void BM_SampleRateConverter(benchmark::State& state)
{
    const double ratio = static_cast<double>(state.range(0)) / 1000000.0;
    const int n = 1024;
    CSampleRateConverter converter;
    converter.m_dRatio = ratio;
    std::vector<float> in(n), out(converter.MaxOutput(n));
    for (int i = 0; i < n; ++i)
        in[i] = static_cast<float>(std::sin(0.05 * i));
    std::int64_t produced = 0;
    for (auto _ : state)
    {
        produced += converter.Process(in.data(), n, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(produced);
}
BENCHMARK(BM_SampleRateConverter)->Arg(500000)->Arg(1000100)->Arg(1088435)->Arg(2000000);

}  // namespace

BENCHMARK_MAIN();

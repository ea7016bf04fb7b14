// Generator synthesis: ten generators running at once (every waveform, with burst, AM and FM among
// them) rendered into two interleaved channels at 192 kHz, as the output callback asks for them.
// The counter "core_share" is the fraction of one core the rendering takes (time per block over the
// block's duration); single waveforms are measured alongside.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/Generator.h"

namespace
{

constexpr int kRate = 192000;
constexpr int kFrames = 1024;

std::unique_ptr<CGenerator> MakeGenerator(int index)
{
    auto gen = std::make_unique<CGenerator>();
    gen->m_rebuildWait = std::chrono::milliseconds(0);
    gen->Init();
    CSigGen_settings& s = gen->m_settings;
    s.m_sample_rate = kRate;
    s.SetLevel(0.05);
    s.m_frequency = 440.0 + 100.0 * index;
    switch (index)
    {
        case 0:
            s.m_mode = kGenModeSine;
            break;
        case 1:
            s.m_mode = kGenModeRectangular;
            s.m_burst_on = 1;
            s.m_burst_on_time = 10.0;
            s.m_burst_on_unit = 1;
            s.m_burst_off_time = 20.0;
            s.m_burst_off_unit = 1;
            break;
        case 2:
            s.m_mode = kGenModeTriangular;
            break;
        case 3:
            s.m_mode = kGenModeWhiteNoise;
            break;
        case 4:
            s.m_mode = kGenModeMls;
            s.m_mls_length = 65535;
            break;
        case 5:
            s.m_mode = kGenModeSweep;
            s.m_sweep_start = 20.0;
            s.m_sweep_stop = 20000.0;
            s.m_sweep_time = 10.0;
            s.m_sweep_log = 1;
            break;
        case 6:
            s.m_mode = kGenModePinkNoise;
            break;
        case 7:
            s.m_mode = kGenModeGaussNoise;
            break;
        case 8:
            s.m_mode = kGenModeSine;
            s.m_am_on = 1;
            s.m_am_frequency = 3000.0;
            s.m_am_depth = 0.5;
            break;
        default:
            s.m_mode = kGenModeSine;
            s.m_fm_on = 1;
            s.m_fm_deviation = 200.0;
            s.m_dc_offset = 5.0;
            break;
    }
    gen->ApplySettings();
    return gen;
}

void SetCoreShare(benchmark::State& state, int framesPerIteration)
{
    // Seconds of audio per second of rendering, inverted: the share of one core.
    state.counters["core_share"] =
        benchmark::Counter(static_cast<double>(framesPerIteration) / kRate,
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_TenGeneratorsTwoChannels192k(benchmark::State& state)
{
    std::array<std::unique_ptr<CGenerator>, 10> gens;
    for (int i = 0; i < 10; ++i)
        gens[i] = MakeGenerator(i);
    std::vector<std::int32_t> mono(kFrames);
    std::vector<std::int64_t> mix(2 * kFrames);
    std::vector<std::int32_t> out(2 * kFrames);
    for (auto _ : state)
    {
        std::fill(mix.begin(), mix.end(), 0);
        for (auto& gen : gens)
        {
            gen->Synthesize(mono.data(), kFrames);
            const double g1 = gen->m_balanceGain1;
            const double g2 = gen->m_balanceGain2;
            for (int i = 0; i < kFrames; ++i)
            {
                mix[2 * i] += static_cast<std::int64_t>(mono[i] * g1);
                mix[2 * i + 1] += static_cast<std::int64_t>(mono[i] * g2);
            }
        }
        for (int i = 0; i < 2 * kFrames; ++i)
            out[i] = static_cast<std::int32_t>(std::clamp<std::int64_t>(mix[i], INT32_MIN, INT32_MAX));
        benchmark::DoNotOptimize(out.data());
    }
    SetCoreShare(state, kFrames);
}
BENCHMARK(BM_TenGeneratorsTwoChannels192k);

void BM_OneWaveform192k(benchmark::State& state)
{
    auto gen = MakeGenerator(static_cast<int>(state.range(0)));
    std::vector<std::int32_t> mono(kFrames);
    for (auto _ : state)
    {
        gen->Synthesize(mono.data(), kFrames);
        benchmark::DoNotOptimize(mono.data());
    }
    SetCoreShare(state, kFrames);
}
BENCHMARK(BM_OneWaveform192k)->DenseRange(0, 9);

}  // namespace

BENCHMARK_MAIN();

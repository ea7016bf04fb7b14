// The IIR core for one channel: second-order sections in direct form I with double histories, in
// samples per second per section. One section alone, a cascade of three (the sixth-order designed
// low-pass that a band analyser or generator runs), and the general form with a fourth-order section
// for comparison. The input is noise so that no section's state sinks into denormals.
#include "dsp/DesignedFilter.h"
#include "dsp/FilterDesigner.h"
#include "dsp/IirFilter.h"

#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <vector>

namespace
{

constexpr int kBlock = 4096;

std::vector<float> Noise()
{
    std::vector<float> x(kBlock);
    std::mt19937 generator(7);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    for (float& value : x)
        value = uniform(generator);
    return x;
}

// A designed sixth-order Butterworth low-pass at 1 kHz for 48 kHz: three second-order sections.
CDesignedFilter& SixthOrderDesign()
{
    static CDesignedFilter filter;
    filter.m_nOrder = 6;
    filter.m_dHighCorner = 1000.0;
    filter.m_dSampleRate = 48000.0;
    float none = 0.0f;
    filter.Process(&none, 0);
    return filter;
}

void SetCounters(benchmark::State& state, int sections)
{
    const double samples = static_cast<double>(state.iterations()) * kBlock;
    state.SetItemsProcessed(static_cast<std::int64_t>(samples));
    state.counters["section_samples_per_s"] =
        benchmark::Counter(samples * sections, benchmark::Counter::kIsRate);
}

void BM_IirSection(benchmark::State& state)
{
    const CIirFilter& designed = SixthOrderDesign().GetSection(0);
    CIirFilter section;
    section.SetCoefficients(3, 3, designed.GetB(), designed.GetA());
    const std::vector<float> input = Noise();
    std::vector<float> block = input;
    for (auto _ : state)
    {
        block = input;
        section.Process(block.data(), kBlock);
        benchmark::DoNotOptimize(block.data());
    }
    SetCounters(state, 1);
}
BENCHMARK(BM_IirSection);

void BM_IirCascadeOfThree(benchmark::State& state)
{
    const CDesignedFilter& designed = SixthOrderDesign();
    std::array<CIirFilter, 3> sections;
    for (int k = 0; k < 3; ++k)
        sections[k].SetCoefficients(3, 3, designed.GetSection(k).GetB(), designed.GetSection(k).GetA());
    const std::vector<float> input = Noise();
    std::vector<float> block = input;
    for (auto _ : state)
    {
        block = input;
        for (CIirFilter& section : sections)
            section.Process(block.data(), kBlock);
        benchmark::DoNotOptimize(block.data());
    }
    SetCounters(state, 3);
}
BENCHMARK(BM_IirCascadeOfThree);

void BM_DesignedFilterSixthOrder(benchmark::State& state)
{
    CDesignedFilter filter;
    filter.m_nOrder = 6;
    filter.m_dHighCorner = 1000.0;
    filter.m_dSampleRate = 48000.0;
    const std::vector<float> input = Noise();
    std::vector<float> block = input;
    for (auto _ : state)
    {
        block = input;
        filter.Process(block.data(), kBlock);
        benchmark::DoNotOptimize(block.data());
    }
    SetCounters(state, 3);
}
BENCHMARK(BM_DesignedFilterSixthOrder);

void BM_IirGeneralFourthOrder(benchmark::State& state)
{
    // The expanded polynomials of a fourth-order Butterworth low-pass at 4 kHz: one section of five
    // coefficients, run through the general form.
    std::array<double, kDesignArraySize> a{};
    std::array<double, kDesignArraySize> b{};
    std::array<DesignComplex, kDesignRootCapacity> roots{};
    int Z = 0;
    double gain = 0.0;
    DesignIirFilter(kDesignButterworth, kBandLowPass, 4, 48000.0, 0.0, 4000.0, 0.0, 0.0, Z, a, b, gain,
                    roots);
    CIirFilter filter;
    filter.SetCoefficients(Z + 1, Z + 1, b.data(), a.data());
    const std::vector<float> input = Noise();
    std::vector<float> block = input;
    for (auto _ : state)
    {
        block = input;
        filter.Process(block.data(), kBlock);
        benchmark::DoNotOptimize(block.data());
    }
    SetCounters(state, 2);
}
BENCHMARK(BM_IirGeneralFourthOrder);

}  // namespace

BENCHMARK_MAIN();

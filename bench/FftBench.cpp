// Our single-precision forward transforms against FFTW's single-precision plans (FFTW_ESTIMATE and
// FFTW_MEASURE), N = 2^10 .. 2^22. FFTW runs its favourite layouts (real: out-of-place r2c; complex:
// in-place interleaved); ours run in place as the library offers them (packed real, split complex).
// After the runs a table lists the time per transform (the median when --benchmark_repetitions is
// given) and the ratio ours / FFTW_MEASURE.
#include "dsp/Fft.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{

constexpr int kMinOrder = 10;
constexpr int kMaxOrder = 22;

struct FftwFree
{
    void operator()(void* p) const { fftwf_free(p); }
};
using FftwBuffer = std::unique_ptr<float[], FftwFree>;

FftwBuffer AllocateFloats(std::size_t count)
{
    return FftwBuffer(static_cast<float*>(fftwf_malloc(count * sizeof(float))));
}

void FillRandom(float* x, std::size_t count)
{
    std::mt19937 generator(1);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    for (std::size_t i = 0; i < count; ++i)
        x[i] = uniform(generator);
}

void OursReal(benchmark::State& state, int n)
{
    std::vector<float> x(n);
    FillRandom(x.data(), n);
    RealFft(x.data(), n);  // builds the tables
    for (auto _ : state)
    {
        RealFft(x.data(), n);
        benchmark::ClobberMemory();
    }
}

void OursComplex(benchmark::State& state, int n)
{
    std::vector<float> re(n), im(n);
    FillRandom(re.data(), n);
    FillRandom(im.data(), n);
    ComplexFft(re.data(), im.data(), n);
    for (auto _ : state)
    {
        ComplexFft(re.data(), im.data(), n);
        benchmark::ClobberMemory();
    }
}

void FftwReal(benchmark::State& state, int n, unsigned flags)
{
    FftwBuffer in = AllocateFloats(n), out = AllocateFloats(n + 2);
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(n, in.get(), reinterpret_cast<fftwf_complex*>(out.get()), flags);
    FillRandom(in.get(), n);
    for (auto _ : state)
    {
        fftwf_execute(plan);
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(plan);
}

void FftwComplex(benchmark::State& state, int n, unsigned flags)
{
    FftwBuffer data = AllocateFloats(2 * std::size_t(n));
    auto* c = reinterpret_cast<fftwf_complex*>(data.get());
    fftwf_plan plan = fftwf_plan_dft_1d(n, c, c, FFTW_FORWARD, flags);
    FillRandom(data.get(), 2 * std::size_t(n));
    for (auto _ : state)
    {
        fftwf_execute(plan);
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(plan);
}

// Keeps the time per transform of every run (the median aggregate when there is one).
class TableReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
        {
            const double ns =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e9;
            if (run.run_type == Run::RT_Aggregate)
            {
                if (run.aggregate_name == "median")
                    m_median[run.run_name.function_name] = ns;
            }
            else
            {
                m_single[run.run_name.function_name] = ns;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    double Get(const std::string& name) const
    {
        if (auto it = m_median.find(name); it != m_median.end())
            return it->second;
        if (auto it = m_single.find(name); it != m_single.end())
            return it->second;
        return 0.0;
    }

private:
    std::map<std::string, double> m_median, m_single;
};

std::string Name(const char* kind, const char* who, int order)
{
    return std::string(kind) + "/" + who + "/N=2^" + std::to_string(order);
}

}  // namespace

int main(int argc, char** argv)
{
    for (int order = kMinOrder; order <= kMaxOrder; ++order)
    {
        const int n = 1 << order;
        benchmark::RegisterBenchmark(Name("real", "ours", order).c_str(), OursReal, n);
        benchmark::RegisterBenchmark(Name("real", "estimate", order).c_str(), FftwReal, n, FFTW_ESTIMATE);
        benchmark::RegisterBenchmark(Name("real", "measure", order).c_str(), FftwReal, n, FFTW_MEASURE);
        benchmark::RegisterBenchmark(Name("complex", "ours", order).c_str(), OursComplex, n);
        benchmark::RegisterBenchmark(Name("complex", "estimate", order).c_str(), FftwComplex, n,
                                     FFTW_ESTIMATE);
        benchmark::RegisterBenchmark(Name("complex", "measure", order).c_str(), FftwComplex, n, FFTW_MEASURE);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    for (const char* kind : {"real", "complex"})
    {
        std::printf("\n%s forward transform, time per transform in microseconds\n", kind);
        std::printf("%10s %12s %14s %14s %12s\n", "N", "ours", "FFTW_ESTIMATE", "FFTW_MEASURE", "ours/MEAS");
        for (int order = kMinOrder; order <= kMaxOrder; ++order)
        {
            const double ours = reporter.Get(Name(kind, "ours", order));
            const double estimate = reporter.Get(Name(kind, "estimate", order));
            const double measure = reporter.Get(Name(kind, "measure", order));
            if (ours == 0.0 && measure == 0.0)
                continue;
            std::printf("%10d %12.2f %14.2f %14.2f %12.2f\n", 1 << order, ours / 1e3, estimate / 1e3,
                        measure / 1e3, measure > 0.0 ? ours / measure : 0.0);
        }
    }
    benchmark::Shutdown();
    return 0;
}

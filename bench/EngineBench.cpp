// Block intake of the measurement engine: frames per second that ProcessPcm16Block and
// ProcessFloatBlock convert, split per channel and collect into the ring while the analysis thread
// takes the blocks, for 2 and 64 channels. And the whole path from intake to a published, averaged
// spectrum, as a real-time factor (seconds of input analysed per second).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "dsp/WeightingFilters.h"
#include "engine/ChannelConditioning.h"
#include "engine/SoundIn.h"

namespace
{

constexpr int kFrames = 1024;

// A source that only fixes the channel count; the benchmark delivers the blocks itself.
class FormatOnlyInput : public CInputDevice
{
public:
    explicit FormatOnlyInput(int channels) : m_channels(channels) {}
    int Open(const InputDeviceConfig&, CInputBlockSink&) override { return 0; }
    bool QueryFormat(int& channels, int& sampleRate) override
    {
        channels = m_channels;
        sampleRate = 48000;
        return true;
    }
    void Pause() override {}
    void Resume() override {}
    void Close() override {}
    std::string GetLastError() const override { return {}; }

private:
    int m_channels;
};

std::unique_ptr<CSoundIn> OpenEngine(int channels, int fftSize = 512, int averages = 1, int bandMode = 0)
{
    auto engine = std::make_unique<CSoundIn>();
    engine->m_nBandAnalyzerMode = bandMode;
    engine->SetFftSize(fftSize);
    engine->m_nAverageCount = averages;
    engine->m_nWindowType = kFftWindowFlatTop;
    engine->SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<FormatOnlyInput>(channels));
    engine->m_nInputMode = CSoundIn::kInputSimulated;
    engine->m_nMinDeviceBuffer = kFrames;
    if (engine->OpenInput() != 0)
        return nullptr;
    engine->RestartInput();
    engine->m_nDeviceBufferFrames.store(kFrames);
    return engine;
}

void BM_Pcm16Intake(benchmark::State& state)
{
    const int channels = static_cast<int>(state.range(0));
    auto engine = OpenEngine(channels);
    if (!engine)
    {
        state.SkipWithError("the engine did not open");
        return;
    }
    std::vector<std::int16_t> block(static_cast<std::size_t>(kFrames * channels));
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::int16_t>(i * 37);
    for (auto _ : state)
        engine->ProcessPcm16Block(block);
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kFrames, benchmark::Counter::kIsRate);
    engine->StopInput();
}

void BM_FloatIntake(benchmark::State& state)
{
    const int channels = static_cast<int>(state.range(0));
    auto engine = OpenEngine(channels);
    if (!engine)
    {
        state.SkipWithError("the engine did not open");
        return;
    }
    std::vector<float> block(static_cast<std::size_t>(kFrames * channels));
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<float>(i % 200) / 200.0f;
    for (auto _ : state)
        engine->ProcessFloatBlock(block, kFrames);
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kFrames, benchmark::Counter::kIsRate);
    engine->StopInput();
}

// 2 channels at 48 kHz, FFT 16384, recursive average of 4: one iteration delivers one analysis
// block in pieces of the device buffer and waits until its spectrum is published. The argument is
// the band analysers' mode: 0 while no band display is open (they do not run), 3 with a
// third-octave band display (20 Hz .. 20 kHz and the wideband meters, on both channels).
void BM_IntakeToPublishedSpectrum(benchmark::State& state)
{
    constexpr int kChannels = 2;
    constexpr int kFft = 16384;
    auto engine = OpenEngine(kChannels, kFft, 4, static_cast<int>(state.range(0)));
    if (!engine)
    {
        state.SkipWithError("the engine did not open");
        return;
    }
    std::vector<float> signal(static_cast<std::size_t>(kFft * kChannels));
    for (std::size_t i = 0; i < signal.size(); ++i)
        signal[i] = static_cast<float>(0.1 * std::sin(0.1309 * static_cast<double>(i / kChannels)) +
                                       0.001 * static_cast<double>(i % 7));
    for (auto _ : state)
    {
        const std::int64_t published = engine->m_nAnalysisCounter.load();
        for (int at = 0; at < kFft; at += kFrames)
            engine->ProcessFloatBlock(
                std::span<const float>(signal.data() + static_cast<std::size_t>(at) * kChannels,
                                       static_cast<std::size_t>(kFrames) * kChannels),
                kFrames);
        while (engine->m_nAnalysisCounter.load() == published)
            std::this_thread::yield();
    }
    state.counters["realtime_factor"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kFft / 48000.0, benchmark::Counter::kIsRate);
    engine->StopInput();
}

// The C-weighted peak meters of 64 channels over one block of 1024 frames, frames per second. Argument
// 1: the conditioning's MeasureCPeaks (the weightings of several channels side by side); 0: the former
// path, kept here only for the ratio, one weighting stage after the other over copies of each piece.
void BM_CPeaks64(benchmark::State& state)
{
    constexpr int kChannels = 64;
    CChannelConditioning conditioning;
    conditioning.Prepare(kChannels, 48000);
    std::vector<std::unique_ptr<CCWeightingFilter>> former;
    for (int c = 0; c < kChannels; ++c)
    {
        former.push_back(std::make_unique<CCWeightingFilter>());
        former.back()->m_nSampleRate = 48000;
    }
    std::vector<float> rows(static_cast<std::size_t>(kFrames) * kChannels);
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<float>(0.1 * std::sin(0.01 * static_cast<double>(i)));
    std::vector<const float*> pointers;
    for (int c = 0; c < kChannels; ++c)
        pointers.push_back(rows.data() + static_cast<std::size_t>(c) * kFrames);
    std::vector<double> peaks(kChannels, 0.0);
    for (auto _ : state)
    {
        if (state.range(0))
        {
            conditioning.MeasureCPeaks(pointers, kFrames);
            continue;
        }
        std::array<float, CChannelConditioning::kMeterChunk> copy;
        for (int c = 0; c < kChannels; ++c)
            for (int done = 0; done < kFrames; done += CChannelConditioning::kMeterChunk)
            {
                const int piece = std::min(kFrames - done, CChannelConditioning::kMeterChunk);
                std::copy_n(pointers[static_cast<std::size_t>(c)] + done, piece, copy.begin());
                former[static_cast<std::size_t>(c)]->Process(copy.data(), piece);
                const auto [low, high] = std::minmax_element(copy.begin(), copy.begin() + piece);
                double& peak = peaks[static_cast<std::size_t>(c)];
                peak =
                    std::max(peak, std::max(std::abs(static_cast<double>(*low)), static_cast<double>(*high)));
            }
        benchmark::DoNotOptimize(peaks.data());
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kFrames, benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_CPeaks64)->ArgName("sideBySide")->Arg(0)->Arg(1);
BENCHMARK(BM_Pcm16Intake)->Arg(2)->Arg(64);
BENCHMARK(BM_FloatIntake)->Arg(2)->Arg(64);
BENCHMARK(BM_IntakeToPublishedSpectrum)->ArgName("bands")->Arg(0)->Arg(3)->UseRealTime();

BENCHMARK_MAIN();

// The sonagram's two pictures: a whole recorded picture (one short-time spectrum per row) and the
// live path (one new line and a scroll per paint).
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "display/Plot.h"
#include "display/Sonagram.h"
#include "platform/gfx/RecordingCanvas.h"

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

// The live path of a 1000 x 600 plot area: one spectrum of 2048 bins turned into a line of colour
// indices, the picture scrolled and the line written; items are lines.
void BM_LiveLine(benchmark::State& state)
{
    CPlot plot;
    std::vector<float> data(2048);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<float>(1e-3 * (1.0 + std::sin(0.01 * static_cast<double>(i))));
    plot.m_pData = data.data();
    plot.m_nChannels = 1;
    plot.m_dataRange.m_nPoints = 2048;
    plot.m_dataRange.m_bDecibel = 1;
    plot.m_dataRange.m_dLogFactor = 20.0;
    plot.m_dBinWidth = 48000.0 / 4096;
    plot.m_viewRange.m_dXMin = 20.0;
    plot.m_viewRange.m_dXMax = 20000.0;
    plot.m_viewRange.m_bXLog = 1;
    plot.m_viewRange.m_dYMin = -120.0;
    plot.m_viewRange.m_dYMax = 0.0;
    plot.m_bSonagram = 1;
    plot.ApplySettings();
    // The plot area of a 1090 x 670 window is 1000 x 600.
    gfx::RecordingCanvas canvas(1090, 670);
    plot.SetPlotArea(0, 0, 1090, 670);
    for (auto _ : state)
    {
        plot.DrawLiveSonagram(canvas);
        state.PauseTiming();
        canvas.Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LiveLine)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

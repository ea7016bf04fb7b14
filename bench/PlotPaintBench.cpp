// One paint of a plot of 1000 x 600 pixels with one curve of 20,000 or 2,000,000 points: the
// column reduction of fresh data and the curve drawn on the recording canvas (no pixels), the same
// with the layout rebuilt as after a zoom, and the reduction and drawing alone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <mutex>
#include <vector>

#include "display/Plot.h"
#include "platform/gfx/RecordingCanvas.h"

#ifdef TESSARIN_BENCH_WX
#include <wx/app.h>
#include <wx/init.h>

#include "platform/gfx/WxCanvas.h"
#endif

namespace
{

void SetUp(CPlot& plot, std::vector<float>& data, std::mutex& lock, int points)
{
    data.resize(static_cast<std::size_t>(points));
    for (int i = 0; i < points; ++i)
        data[static_cast<std::size_t>(i)] = static_cast<float>(std::sin(i * 0.01) * 0.5 + 0.5);
    plot.m_pData = data.data();
    plot.m_nChannels = 1;
    plot.m_dataRange.m_nPoints = points;
    plot.m_dBinWidth = 1.0;
    plot.m_viewRange.m_dXMin = 0.0;
    plot.m_viewRange.m_dXMax = points - 1;
    plot.m_viewRange.m_dYMin = 0.0;
    plot.m_viewRange.m_dYMax = 1.0;
    plot.m_pDisplayLock = &lock;
    plot.ApplySettings();
}

// New data at every paint: the data are reduced again, the layout stays.
void BM_PaintNewData(benchmark::State& state)
{
    CPlot plot;
    std::vector<float> data;
    std::mutex lock;
    SetUp(plot, data, lock, static_cast<int>(state.range(0)));
    plot.m_nReductionMode = static_cast<int>(state.range(1));
    gfx::RecordingCanvas canvas(1000, 600);
    for (auto _ : state)
    {
        plot.m_bDataDirty = 1;
        canvas.Clear();
        plot.DrawCurves(canvas, 0, 0, 1000, 600);
        benchmark::DoNotOptimize(canvas.Ops().data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PaintNewData)
    ->Args({20000, 5})
    ->Args({2000000, 5})
    ->Args({20000, 3})
    ->Args({2000000, 3})
    ->Unit(benchmark::kMillisecond);

// After a zoom: layout and reduction both again.
void BM_PaintNewLayout(benchmark::State& state)
{
    CPlot plot;
    std::vector<float> data;
    std::mutex lock;
    SetUp(plot, data, lock, static_cast<int>(state.range(0)));
    gfx::RecordingCanvas canvas(1000, 600);
    for (auto _ : state)
    {
        plot.m_bDataDirty = 1;
        plot.m_bLayoutDirty = 1;
        canvas.Clear();
        plot.DrawCurves(canvas, 0, 0, 1000, 600);
        benchmark::DoNotOptimize(canvas.Ops().data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PaintNewLayout)->Arg(20000)->Arg(2000000)->Unit(benchmark::kMillisecond);

// The paint's own share without the curve statistics that every paint also computes: reducing
// the data into the columns and drawing the polyline.
void BM_ReduceAndDraw(benchmark::State& state)
{
    CPlot plot;
    std::vector<float> data;
    std::mutex lock;
    const int points = static_cast<int>(state.range(0));
    SetUp(plot, data, lock, points);
    gfx::RecordingCanvas canvas(1000, 600);
    plot.DrawCurves(canvas, 0, 0, 1000, 600);
    std::vector<gfx::Point> line(plot.m_arrPointBuffers[0]);
    for (auto _ : state)
    {
        {
            const std::lock_guard<std::mutex> hold(lock);
            plot.ReduceColumns(line, data, plot.m_arrReducedValues[0], plot.m_nColumnCount, 0, points - 1, 5);
        }
        canvas.Clear();
        canvas.Polyline(
            std::span<const gfx::Point>(line).first(static_cast<std::size_t>(plot.m_nColumnCount)));
        benchmark::DoNotOptimize(canvas.Ops().data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReduceAndDraw)->Arg(20000)->Arg(2000000)->Unit(benchmark::kMillisecond);

#ifdef TESSARIN_BENCH_WX
// A whole paint in pixels: frame copy, curve and the copy to the target bitmap (under a display,
// e.g. xvfb-run).
void BM_PaintPixels(benchmark::State& state)
{
    CPlot plot;
    std::vector<float> data;
    std::mutex lock;
    SetUp(plot, data, lock, static_cast<int>(state.range(0)));
    plot.m_nReductionMode = 5;
    gfx::WxBitmapCanvas target(1000, 600);
    plot.Draw(target, 0, 0, 1000, 600);
    for (auto _ : state)
    {
        plot.m_bDataDirty = 1;
        plot.Draw(target, 0, 0, 1000, 600);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
#endif

}  // namespace

int main(int argc, char** argv)
{
#ifdef TESSARIN_BENCH_WX
    wxApp::SetInstance(new wxApp());
    int wxArgc = 1;
    char name[] = "plot_paint_bench";
    char* wxArgv[] = {name, nullptr};
    const bool wx = wxEntryStart(wxArgc, wxArgv);
    if (wx)
        benchmark::RegisterBenchmark("BM_PaintPixels", BM_PaintPixels)
            ->Arg(20000)
            ->Arg(2000000)
            ->Unit(benchmark::kMillisecond);
#endif
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
#ifdef TESSARIN_BENCH_WX
    if (wx)
        wxEntryCleanup();
#endif
    return 0;
}

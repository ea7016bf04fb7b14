// The 3D waterfall: a row added to a full history of 120 rows × 120 points (coloured surface and
// grid rebuilt for the strips it touches), and, under a display (xvfb-run, Mesa's software
// renderer), a whole frame of the window at 800 × 600 with 100 rows: advance, draw, copy to the
// window and glFinish. The window paces itself at 20 frames per second, so a frame must stay under
// 50 ms.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "display/WaterfallScene.h"

#ifdef TESSARIN_BENCH_WX
#include <GL/gl.h>
#include <wx/app.h>
#include <wx/init.h>

#include "display/ui/AppForm.h"
#include "platform/ui/MessageBoxService.h"
#endif

namespace
{

// A row with one peak that wanders with `phase`, as a live spectrum's would.
std::array<float, CWaterfallScene::kPoints> Row(int phase)
{
    std::array<float, CWaterfallScene::kPoints> row{};
    const int peak = 20 + phase % 80;
    for (int i = 0; i < CWaterfallScene::kPoints; ++i)
        row[static_cast<std::size_t>(i)] =
            static_cast<float>(10.0 * std::exp(-0.05 * (i - peak) * (i - peak)) + 0.5);
    return row;
}

constexpr std::uint32_t StyleWithRows(int rows)
{
    return (waterfall_style::kEngineDefault & 0x00FFFFFFu) |
           (static_cast<std::uint32_t>(rows) << waterfall_style::kRowsShift);
}

void BM_AddRow(benchmark::State& state)
{
    CWaterfallScene scene;
    std::lock_guard lock(scene.m_mutex);
    scene.m_nStyle = StyleWithRows(120);
    scene.SetRowCount(120);
    scene.m_xAxis.m_dMinimum = 20;
    scene.m_xAxis.m_dMaximum = 20000;
    scene.m_xAxis.m_bLogarithmic = 1;
    scene.m_yAxis.m_dMinimum = -90;
    scene.m_yAxis.m_dMaximum = 0;
    scene.m_zAxis.m_dMaximum = 10;
    for (int i = 0; i < 130; ++i)
        scene.AddRow(Row(i), -1);
    if (!scene.CanDraw())
    {
        state.SkipWithError("the history did not fill");
        return;
    }
    int phase = 0;
    for (auto _ : state)
    {
        scene.AddRow(Row(++phase), -1);
        benchmark::DoNotOptimize(scene.m_nGeometryVersion);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AddRow)->Unit(benchmark::kMicrosecond);

#ifdef TESSARIN_BENCH_WX
void BM_Frame(benchmark::State& state)
{
    platform::ui::ScopedMessageBoxResponder boxes{[](const platform::ui::MessageBoxRequest&)
                                                  { return wxID_OK; }};
    auto* form = new CAppForm(nullptr, {[] {}, [] {}});
    {
        std::lock_guard lock(form->m_scene.m_mutex);
        form->m_scene.m_nStyle = waterfall_style::kEngineDefault;
        form->m_scene.SetRowCount(CWaterfallScene::RowsOfStyle(waterfall_style::kEngineDefault));
        form->m_scene.m_xAxis.m_dMinimum = 20;
        form->m_scene.m_xAxis.m_dMaximum = 20000;
        form->m_scene.m_xAxis.m_bLogarithmic = 1;
        form->m_scene.m_yAxis.m_dMinimum = -90;
        form->m_scene.m_yAxis.m_dMaximum = 0;
        form->m_scene.m_zAxis.m_dMaximum = 10;
    }
    form->SetClientSize(800, 600);
    if (form->CreateWindow() != 0)
    {
        form->Close3D();
        state.SkipWithError("no GL device");
        return;
    }
    // No event loop runs here, so the window's own timer draws nothing: frames are drawn here only.
    for (int i = 0; i < 100; ++i)
        form->AddRow(Row(i), -1);
    int phase = 100;
    int missed = 0;
    for (auto _ : state)
    {
        // The window draws at most one frame per 50 ms: wait for the next, outside the timing.
        std::this_thread::sleep_for(std::chrono::milliseconds(55));
        form->AddRow(Row(++phase), -1);
        const int before = form->m_nScenesDrawn;
        const auto start = std::chrono::steady_clock::now();
        form->RunFrame();
        glFinish();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        if (form->m_nScenesDrawn == before)
            ++missed;
    }
    if (missed > 0)
        state.SkipWithError("frames were not drawn");
    form->Close3D();
    wxTheApp->ProcessPendingEvents();
}
#endif

}  // namespace

int main(int argc, char** argv)
{
#ifdef TESSARIN_BENCH_WX
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    wxApp::SetInstance(new wxApp());
    int wxArgc = 1;
    char name[] = "waterfall_bench";
    char* wxArgv[] = {name, nullptr};
    const bool wx = wxEntryStart(wxArgc, wxArgv);
    if (wx)
        benchmark::RegisterBenchmark("BM_Frame", BM_Frame)
            ->UseManualTime()
            ->Iterations(60)
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

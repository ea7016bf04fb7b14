// The 3D waterfall without drawing: the history and its vertex arrays, level colours, grid counts,
// the camera's keys and mouse, live rows from a spectrum and the time-signal worker.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <mutex>
#include <vector>

#include "display/ColorMap.h"
#include "display/ThreeDWindow.h"
#include "display/WaterfallCamera.h"
#include "display/WaterfallFeed.h"
#include "display/WaterfallScene.h"

namespace
{

using Row = std::array<float, CWaterfallScene::kPoints>;

Row Filled(float v)
{
    Row r;
    r.fill(v);
    return r;
}

// A window without a screen: the scene and the rows it was handed.
class CRecordingWindow : public C3DWindowBase
{
public:
    int Pause(bool pause) override { return m_nPause += pause ? 1 : -1; }
    CWaterfallScene& Scene() override { return m_scene; }
    WaterfallCameraPreset GetCamera() const override { return {}; }
    void SetCamera(const WaterfallCameraPreset&) override {}
    void AddRow(std::span<const float> row, int index) override
    {
        std::lock_guard lock(m_scene.m_mutex);
        m_indices.push_back(index);
        m_rows.emplace_back(row.begin(), row.end());
        m_scene.AddRow(row, index);
    }
    CWaterfallScene m_scene;
    std::vector<int> m_indices;
    std::vector<std::vector<float>> m_rows;
    int m_nPause = 0;
};

TEST(WaterfallSceneTest, AppendedRowsMoveBackOneStripAtATime)
{
    CWaterfallScene scene;
    scene.m_nStyle = waterfall_style::kSurface | waterfall_style::kJet | waterfall_style::kGrid;
    scene.SetRowCount(10);
    const float dz = 35.0f / 10;
    scene.AddRow(Filled(1), -1);
    scene.AddRow(Filled(2), -1);
    scene.AddRow(Filled(10), -1);
    EXPECT_EQ(scene.Row(0)[5], 10.0f);
    EXPECT_EQ(scene.Row(1)[5], 2.0f);
    EXPECT_EQ(scene.Row(2)[5], 1.0f);
    constexpr int p = CWaterfallScene::kPoints;
    // Strip k joins row k (first vertex) and row k+1 (second) at z = k dz and (k+1) dz.
    const std::array<float, 4> heights{10, 2, 1, 0};
    for (int k = 0; k < 3; ++k)
        for (int j : {0, 60, 119})
        {
            const CLitVertex& a = scene.m_surface[static_cast<std::size_t>(k * 2 * p + 2 * j)];
            const CLitVertex& b = scene.m_surface[static_cast<std::size_t>(k * 2 * p + 2 * j + 1)];
            EXPECT_FLOAT_EQ(a.z, k * dz) << k;
            EXPECT_FLOAT_EQ(b.z, (k + 1) * dz) << k;
            EXPECT_FLOAT_EQ(a.y, heights[static_cast<std::size_t>(k)] * 0.5f) << k;
            EXPECT_FLOAT_EQ(b.y, heights[static_cast<std::size_t>(k + 1)] * 0.5f) << k;
            EXPECT_FLOAT_EQ(a.x, j * 16.0f / p);
            const CColourVertex& c = scene.m_colourSurface[static_cast<std::size_t>(k * 2 * p + 2 * j)];
            EXPECT_FLOAT_EQ(c.z, k * dz);
            EXPECT_EQ(c.diffuse, LevelToColour(a.y, false));
        }
    // A value of 10 stands at the top of the box.
    EXPECT_FLOAT_EQ(scene.m_surface[0].y, 5.0f);
    // The grid's first frequency line of row 1 and the first time line from row 0 to row 1.
    EXPECT_FLOAT_EQ(scene.m_grid[2 * (p - 1)].z, dz);
    EXPECT_FLOAT_EQ(scene.m_grid[2 * (p - 1)].y, 1.0f);
    const std::size_t timeLine = static_cast<std::size_t>((p - 1) * 10);
    EXPECT_FLOAT_EQ(scene.m_grid[2 * timeLine].y, 5.0f);
    EXPECT_FLOAT_EQ(scene.m_grid[2 * timeLine + 1].y, 1.0f);
    EXPECT_FLOAT_EQ(scene.m_grid[2 * timeLine + 1].z, dz);
}

TEST(WaterfallSceneTest, OverwritingARowRebuildsOnlyTheStripsBesideIt)
{
    CWaterfallScene scene;
    scene.m_nStyle = waterfall_style::kTimeSignal;
    scene.SetRowCount(8);
    ASSERT_TRUE(scene.AddRow(Filled(4), 0));
    EXPECT_EQ(scene.m_lastRebuiltStrips, std::vector<int>{0});
    ASSERT_TRUE(scene.AddRow(Filled(4), 7));
    EXPECT_EQ(scene.m_lastRebuiltStrips, std::vector<int>{6});
    ASSERT_TRUE(scene.AddRow(Filled(4), 3));
    EXPECT_EQ(scene.m_lastRebuiltStrips, (std::vector<int>{2, 3}));
    // Overwritten rows carry level colours.
    EXPECT_EQ(scene.m_surface[static_cast<std::size_t>(3 * 2 * CWaterfallScene::kPoints)].diffuse,
              LevelToColour(2.0f, false));
    EXPECT_FALSE(scene.AddRow(Filled(4), 8));
    EXPECT_FALSE(scene.AddRow(Filled(4), -2));
}

TEST(WaterfallSceneTest, NoSceneBeforeTheFirstRowOrWhileRowsExceedTheHistory)
{
    CWaterfallScene scene;
    scene.SetRowCount(10);
    EXPECT_FALSE(scene.CanDraw());
    scene.AddRow(Filled(1), -1);
    EXPECT_TRUE(scene.CanDraw());
    scene.SetRowCount(20);
    EXPECT_FALSE(scene.CanDraw());
    scene.AddRow(Filled(1), -1);
    EXPECT_TRUE(scene.CanDraw());
    EXPECT_EQ(scene.AllocatedRows(), 20);
}

TEST(WaterfallSceneTest, RowCountOfTheStyleWordIsHeldToWhatTheArraysHold)
{
    struct Case
    {
        std::uint32_t style;
        int rows;
    };
    for (const Case& c : {Case{0x640000C2, 100}, Case{0x000000C2, 2}, Case{0x01000000, 2},
                          Case{0x02000000, 2}, Case{0x78000000, 120}, Case{0xFF000000, 120}})
        EXPECT_EQ(CWaterfallScene::RowsOfStyle(c.style), c.rows) << std::hex << c.style;
}

TEST(WaterfallSceneTest, GridLineCounts)
{
    using namespace waterfall_style;
    EXPECT_EQ(CWaterfallScene::GridLineCount(kGrid, 100), 119 * 100 + 99 * 120);
    EXPECT_EQ(CWaterfallScene::GridLineCount(kGrid | kNoXGrid, 100), 99 * 120 - 1);
    EXPECT_EQ(CWaterfallScene::GridLineCount(kGrid | kNoZGrid, 100), 119 * 100 - 100);
    // 0x20 decides when both are set.
    EXPECT_EQ(CWaterfallScene::GridLineCount(kGrid | kNoZGrid | kNoXGrid, 100), 119 * 100 - 100);
    // Few rows with 0x20: nothing rather than a negative count.
    EXPECT_EQ(CWaterfallScene::GridLineCount(kGrid | kNoZGrid, 2, 50), 0);
}

TEST(WaterfallSceneTest, LevelColours)
{
    const auto& map = GetColorMap();
    auto rgb = [](std::uint32_t c) {
        return std::array<int, 4>{int(c >> 24), int(c >> 16 & 255), int(c >> 8 & 255), int(c & 255)};
    };
    // Value 6.375 (y 3.1875) reaches the last entry, and stays there.
    for (float y : {3.1875f, 4.0f, 5.0f})
    {
        const auto c = rgb(LevelToColour(y, false));
        EXPECT_EQ(c[0], 255);
        EXPECT_EQ(c[1], map[255].red);
        EXPECT_EQ(c[2], 1);  // 0 becomes 1
        EXPECT_EQ(c[3], 1);
    }
    // The bottom: entry 0 with its zero red and green raised to 1.
    const auto low = rgb(LevelToColour(0.0f, false));
    EXPECT_EQ(low[1], 1);
    EXPECT_EQ(low[2], 1);
    EXPECT_EQ(low[3], map[0].blue);
    // Grey i = value × 40 (y × 80), up to 255.
    for (float value : {0.0f, 1.0f, 2.5f, 6.0f, 6.375f, 10.0f})
    {
        const int i = std::min(255, static_cast<int>(value * 40));
        EXPECT_EQ(LevelToColour(value * 0.5f, true), 0xFF000000u | (i << 16) | (i << 8) | i) << value;
    }
}

TEST(WaterfallSceneTest, SmoothScrollFollowsTheRowPeriodAndStopsAtOneRow)
{
    CWaterfallScene scene;
    scene.SetRowCount(35);
    scene.m_dRowPeriod = 0.1;
    scene.AddRow(Filled(1), -1);
    EXPECT_NEAR(scene.AdvanceScroll(10.0), 0.0001f, 1e-6);
    EXPECT_NEAR(scene.AdvanceScroll(10.05), 0.5f + 0.0001f, 1e-4);
    EXPECT_NEAR(scene.AdvanceScroll(11.0), 1.0f, 1e-6);
}

TEST(WaterfallCameraTest, KeysTurnMoveResetAndToggleTheHelpOncePerPress)
{
    struct Case
    {
        WaterfallKeys keys;
        float rotX, rotY, moveX, moveY, moveZ;
    };
    auto keys = [](auto set)
    {
        WaterfallKeys k;
        set(k);
        return k;
    };
    const float x0 = -0.08f, mx = 1.8f, my = 1.4f, mz = -4.2f;
    const Case cases[] = {
        {keys([](WaterfallKeys& k) { k.left = true; }), x0, 0.04f, mx, my, mz},
        {keys([](WaterfallKeys& k) { k.right = true; }), x0, -0.04f, mx, my, mz},
        {keys([](WaterfallKeys& k) { k.left = k.right = true; }), x0, 0.0f, mx, my, mz},
        {keys([](WaterfallKeys& k) { k.up = true; }), x0 + 0.04f, 0.0f, mx, my, mz},
        {keys([](WaterfallKeys& k) { k.down = true; }), x0 - 0.04f, 0.0f, mx, my, mz},
        {keys([](WaterfallKeys& k) { k.r = true; }), x0, 0.0f, mx + 0.2f, my, mz},
        {keys([](WaterfallKeys& k) { k.l = true; }), x0, 0.0f, mx - 0.2f, my, mz},
        {keys([](WaterfallKeys& k) { k.u = true; }), x0, 0.0f, mx, my + 0.2f, mz},
        {keys([](WaterfallKeys& k) { k.d = true; }), x0, 0.0f, mx, my - 0.2f, mz},
        {keys([](WaterfallKeys& k) { k.i = true; }), x0, 0.0f, mx, my, mz - 0.2f},
        {keys([](WaterfallKeys& k) { k.o = true; }), x0, 0.0f, mx, my, mz + 0.2f},
        {keys([](WaterfallKeys& k) { k.s = true; }), 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    };
    for (const Case& c : cases)
    {
        CWaterfallCamera camera;
        camera.m_keys = c.keys;
        camera.Advance();
        EXPECT_FLOAT_EQ(camera.m_fRotX, c.rotX);
        EXPECT_FLOAT_EQ(camera.m_fRotY, c.rotY);
        EXPECT_FLOAT_EQ(camera.m_fMoveX, c.moveX);
        EXPECT_FLOAT_EQ(camera.m_fMoveY, c.moveY);
        EXPECT_FLOAT_EQ(camera.m_fMoveZ, c.moveZ);
    }
    CWaterfallCamera camera;
    EXPECT_TRUE(camera.m_bHelpToggled);
    camera.m_keys.h = true;
    camera.Advance();
    camera.Advance();  // still held: no second toggle
    EXPECT_FALSE(camera.m_bHelpToggled);
    camera.m_keys.h = false;
    camera.Advance();
    camera.m_keys.h = true;
    camera.Advance();
    EXPECT_TRUE(camera.m_bHelpToggled);
}

TEST(WaterfallCameraTest, MouseTurnsAfterTheFirstDragAndWorldRotatesBeforeMoving)
{
    CWaterfallCamera camera;
    camera.MouseMove(100, 100, true);  // marks the position only
    EXPECT_FLOAT_EQ(camera.m_fRotY, 0.0f);
    camera.MouseMove(90, 120, true);
    EXPECT_FLOAT_EQ(camera.m_fRotY, 0.1f);
    EXPECT_FLOAT_EQ(camera.m_fRotX, -0.08f + 0.2f);
    camera.MouseMove(0, 0, false);  // remembered, no turn
    camera.MouseMove(10, 0, true);
    EXPECT_FLOAT_EQ(camera.m_fRotY, 0.0f);

    // Row vectors: a point is turned about x, then y, then z, then moved.
    camera.m_fRotX = 0.3f;
    camera.m_fRotY = -0.7f;
    camera.m_fRotZ = 0.2f;
    const C3DVector p{1, 2, 3};
    auto step = [](C3DVector v, const C3DMatrix& m)
    {
        const auto r = TransformPoint(v, m);
        return C3DVector{r[0], r[1], r[2]};
    };
    C3DVector expected = step(step(step(p, C3DMatrix::RotationX(0.3f)), C3DMatrix::RotationY(-0.7f)),
                              C3DMatrix::RotationZ(0.2f));
    expected = expected + C3DVector{camera.m_fMoveX, camera.m_fMoveY, camera.m_fMoveZ};
    const C3DVector got = step(p, camera.World());
    EXPECT_NEAR(got.x, expected.x, 1e-5);
    EXPECT_NEAR(got.y, expected.y, 1e-5);
    EXPECT_NEAR(got.z, expected.z, 1e-5);
}

TEST(WaterfallFeedTest, LiveRowsScaleClampAndKeepNarrowPeaks)
{
    // 1024 bins of 10 Hz at -100 dB (power 1e-10), one bin at 1 kHz at 0 dB.
    std::vector<float> spectrum(1024, 1e-10f);
    spectrum[100] = 1.0f;
    LiveRowRange range;
    range.xMin = 20;
    range.xMax = 10000;
    range.logX = true;
    range.yMin = -90;
    range.yMax = -10;
    Row row{};
    ComputeLiveRow(spectrum, 10.0, range, row);
    std::array<float, CWaterfallScene::kPoints> f{};
    WaterfallFrequencies(20, 10000, true, f);
    int peak = 0;
    for (int j = 0; j < CWaterfallScene::kPoints; ++j)
    {
        EXPECT_TRUE(row[static_cast<std::size_t>(j)] == 0.0f || row[static_cast<std::size_t>(j)] == 10.0f)
            << j;
        if (row[static_cast<std::size_t>(j)] == 10.0f)
            peak = j;
    }
    // The band of the peak (holding two or more bins) shows it: above y max gives 10.
    EXPECT_LE(f[static_cast<std::size_t>(peak - 1)], 1000.0f);
    EXPECT_GT(f[static_cast<std::size_t>(peak)], 1000.0f);
    // Below y min: 0. Linear: scaled.
    range.decibel = false;
    range.yMin = 0;
    range.yMax = 2;
    std::vector<float> flat(1024, 1.0f);
    ComputeLiveRow(flat, 10.0, range, row);
    EXPECT_FLOAT_EQ(row[50], 5.0f);
}

TEST(WaterfallFeedTest, WorkerWritesRowsInReverseOrderAndSpansTheSignal)
{
    // A 1 kHz tone at 8 kHz that stops half way.
    constexpr double rate = 8000.0;
    std::vector<float> signal(4096, 0.0f);
    for (int n = 0; n < 2048; ++n)
        signal[static_cast<std::size_t>(n)] = static_cast<float>(std::sin(2 * M_PI * 1000.0 * n / rate));
    CRecordingWindow window;
    window.m_scene.SetRowCount(8);
    CWaterfallFeed feed;
    feed.m_bTimeSignal = 1;
    CWaterfallFeed::TimeSignalSettings s;
    s.rows = 8;
    s.slidingWindow = 1;
    s.windowLength = 512;
    s.xMin = 0;
    s.xMax = 4000;
    s.logX = 0;
    s.yMin = -80;
    s.yMax = 0;
    s.reverse = 1;
    EXPECT_EQ(feed.ComputeRows(window, signal, rate, s), 8);
    EXPECT_EQ(window.m_indices, (std::vector<int>{7, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(window.m_scene.m_nStyle, waterfall_style::kTimeSignal);
    // Bins at k × rate / length: 1 kHz is display point 30 of 0..4 kHz.
    const auto& first = window.m_rows.front();
    const auto it = std::max_element(first.begin(), first.end());
    EXPECT_EQ(it - first.begin(), 30);
    EXPECT_GT(*it, 8.0f);
    // Windows starting at 512 × i: rows 4..7 lie after the tone and stay low.
    EXPECT_LT(*std::max_element(window.m_rows.back().begin(), window.m_rows.back().end()), 1.0f);

    // A window longer than the signal is zero-padded; a range that ends before it starts spans
    // the signal from the start in steps of n / rows.
    window.m_indices.clear();
    window.m_rows.clear();
    s.windowLength = 8192;
    s.reverse = 0;
    s.startTime = 0.1;
    s.endTime = 0.05;
    EXPECT_EQ(feed.ComputeRows(window, std::span<const float>(signal.data(), 1000), rate, s), 8);
    EXPECT_EQ(window.m_indices, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(std::max_element(window.m_rows[0].begin(), window.m_rows[0].end()) - window.m_rows[0].begin(),
              30);

    // Cumulative decay: each row removes more of the start, so levels fall.
    window.m_rows.clear();
    s.slidingWindow = 0;
    s.startTime = 0;
    s.endTime = 0;
    feed.ComputeRows(window, signal, rate, s);
    EXPECT_GT(window.m_rows[0][30], window.m_rows[3][30]);
    EXPECT_LT(window.m_rows[4][30], 1.0f);
}

TEST(WaterfallFeedTest, WorkerStartsOncePerSequenceAndStopsAndJoins)
{
    std::vector<float> signal(1 << 16, 0.5f);
    WaterfallTimeSignal record{7, 48000.0, static_cast<int>(signal.size()), signal.data(), 1};
    CRecordingWindow window;
    window.m_scene.SetRowCount(100);
    CWaterfallFeed feed;
    CWaterfallFeed::TimeSignalSettings s;
    // The feed flag is off: nothing starts.
    EXPECT_FALSE(feed.StartWorker(window, record, s));
    feed.m_bTimeSignal = 1;
    ASSERT_TRUE(feed.StartWorker(window, record, s));
    feed.Stop();
    EXPECT_FALSE(feed.WorkerRunning());
    // Stopped early or not, the feed does not start again on an unchanged sequence.
    const auto rows = window.m_indices.size();
    feed.m_bTimeSignal = 1;
    EXPECT_FALSE(feed.StartWorker(window, record, s));
    EXPECT_EQ(window.m_indices.size(), rows);
    // A new sequence does; no record data does not.
    record.sequence = 8;
    ASSERT_TRUE(feed.StartWorker(window, record, s));
    feed.Stop();
    record.sequence = 9;
    record.validCount = 0;
    feed.m_bTimeSignal = 1;
    EXPECT_FALSE(feed.StartWorker(window, record, s));
}

}  // namespace

// The plot's mouse and keys through the view's own handlers: the zoom box, undo and redo, zoom and
// pan by keys, markers, labels and lines, the 0 dB calibration, the legend's curve dialog, the
// reference curve, the measure rectangle and the right-click menus.
#include "ViewFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "display/Annotation.h"
#include "texts/TextTable.h"

namespace
{

using viewtest::ViewFixture;
namespace cmd = view_command;
constexpr unsigned kLeft = view_mouse::kLeftButton;
constexpr unsigned kShift = view_mouse::kShift;
constexpr int kPoints = 512;

class SndViewMouse : public ViewFixture
{
protected:
    // A spectrum window with one live curve of kPoints bins at `level` (linear power), a plot area
    // of 640 x 400 and a zoom of x 1000..10000 Hz, y -100..0 dB on a linear x axis.
    CSndView& MakeSpectrumView(float level = 0.01f, int channels = 1)
    {
        m_engine.m_nAnalysisChannels = channels;
        CSndView& view = MakeView();
        m_engine.m_nDisplayLength = kPoints;
        m_engine.m_spectrumDisplay.assign(static_cast<std::size_t>(channels) * kPoints, level);
        view.RestartDisplay();
        view.SetupCurves();
        view.GetPlot().SetPlotArea(0, 0, 640, 400);
        SetZoom(view, 1000.0, 10000.0, -100.0, 0.0, false);
        // One paint: the plot's columns hold the values the 0 dB operations read.
        const int processing = m_engine.m_bProcessingEnabled.exchange(1);
        Window(static_cast<int>(m_views.size()) - 1).m_bPaint = true;
        Window(static_cast<int>(m_views.size()) - 1).DrawNow();
        m_engine.m_bProcessingEnabled.store(processing);
        return view;
    }
    static void SetZoom(CSndView& view, double xMin, double xMax, double yMin, double yMax, bool logX)
    {
        CAxisProp& record = view.GetSettings()->m_Axes;
        record.m_bLogX = logX ? 1 : 0;
        record.m_dXMin = xMin;
        record.m_dXMax = xMax;
        record.m_dYMin = yMin;
        record.m_dYMax = yMax;
        view.RestartDisplay();
        view.GetPlot().SetPlotArea(0, 0, 640, 400);
    }
    static PlotPoint Pixel(const CSndView& view, double x, double y)
    {
        PlotPoint p;
        view.GetPlot().ValueToPixel(&p, x, y);
        return p;
    }
    static void Drag(CSndView& view, PlotPoint from, PlotPoint to)
    {
        view.OnMouseMove(0, from.x, from.y);
        view.OnLButtonDown(kLeft, from.x, from.y);
        view.OnMouseMove(kLeft, to.x, to.y);
        view.OnLButtonUp(0, to.x, to.y);
    }
    static std::array<double, 4> Record(const CSndView& view)
    {
        const CAxisProp& r = view.GetSettings()->m_Axes;
        return {r.m_dXMin, r.m_dXMax, r.m_dYMin, r.m_dYMax};
    }
};

// ---------------------------------------------------------------------------------------------
// Zoom box

TEST_F(SndViewMouse, ZoomBoxClampsToThePlotsRanges)
{
    struct Case
    {
        const char* name;
        int left, top, right, bottom;  // pixels; -1000 and 2000 lie outside the plot area
        bool menu;
        bool changes;
        bool oldXMax;  // x max stays the old maximum
        bool fullY;    // the full y range
    } const cases[] = {
        {"inside", 200, 100, 400, 300, true, true, false, false},
        {"beyond the right edge", 200, 100, 2000, 300, true, true, true, false},
        {"above the top: full y range", 200, -50, 400, 300, true, true, false, true},
        {"zero width", 200, 100, 200, 300, true, false, false, false},
        {"zero height", 200, 100, 400, 100, true, false, false, false},
        {"no menu", 200, 100, 400, 300, false, false, false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        m_views.clear();
        m_frame.m_bHasMenu = c.menu;
        CSndView& view = MakeSpectrumView();
        const auto before = Record(view);
        const CPlotRange full = view.GetPlot().m_dataRange;
        float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        view.GetPlot().PixelToValue(PlotPoint{c.left, c.top}, &x1, &y1);
        view.GetPlot().PixelToValue(PlotPoint{c.right, c.bottom}, &x2, &y2);
        Drag(view, PlotPoint{c.left, c.top}, PlotPoint{c.right, c.bottom});
        const auto after = Record(view);
        if (!c.changes)
        {
            EXPECT_EQ(after, before);
            continue;
        }
        EXPECT_FLOAT_EQ(after[0], x1);
        EXPECT_FLOAT_EQ(after[1], c.oldXMax ? before[1] : x2);
        EXPECT_FLOAT_EQ(after[2], c.fullY ? full.m_dYMin : y2);
        EXPECT_FLOAT_EQ(after[3], c.fullY ? full.m_dYMax : y1);
        // The old zoom is the undo record.
        const CAxisProp& undo = view.GetSettings()->m_UndoAxes;
        EXPECT_EQ(undo.m_dXMin, before[0]);
        EXPECT_EQ(undo.m_dYMax, before[3]);
        PlotRect band;
        EXPECT_FALSE(view.GetRubberBand(band));
    }
}

TEST_F(SndViewMouse, BoxDrawnFromBottomRightToTopLeftIsNormalised)
{
    CSndView& view = MakeSpectrumView();
    Drag(view, PlotPoint{400, 300}, PlotPoint{200, 100});
    const auto after = Record(view);
    EXPECT_LT(after[0], after[1]);
    EXPECT_LT(after[2], after[3]);
}

TEST_F(SndViewMouse, RubberBandFollowsTheMouseWhileTheButtonIsHeld)
{
    CSndView& view = MakeSpectrumView();
    view.OnLButtonDown(kLeft, 300, 200);
    view.OnMouseMove(kLeft, 250, 260);
    PlotRect band;
    ASSERT_TRUE(view.GetRubberBand(band));
    EXPECT_EQ(band, (PlotRect{250, 200, 300, 260}));
    // A move with the button up ends it.
    view.OnMouseMove(0, 250, 260);
    EXPECT_FALSE(view.GetRubberBand(band));
}

TEST_F(SndViewMouse, UndoTwiceTogglesAndTheDisplayLockBlocksIt)
{
    CSndView& view = MakeSpectrumView();
    const auto original = Record(view);
    Drag(view, PlotPoint{200, 100}, PlotPoint{400, 300});
    const auto zoomed = Record(view);
    ASSERT_NE(zoomed, original);
    view.OnCommand(cmd::kUndoZoom);
    EXPECT_EQ(Record(view), original);
    view.OnCommand(cmd::kUndoZoom);
    EXPECT_EQ(Record(view), zoomed);
    view.OnCommand(cmd::kUndoZoom);
    view.OnCommand(cmd::kRedoZoom);
    EXPECT_EQ(Record(view), zoomed);

    m_engine.m_bDisplayLocked = 1;
    for (int id : {cmd::kUndoZoom, cmd::kRedoZoom, cmd::kResizeAxis})
    {
        view.OnCommand(id);
        EXPECT_EQ(Record(view), zoomed) << id;
    }
    m_engine.m_bDisplayLocked = 0;
    view.OnCommand(cmd::kResizeAxis);
    EXPECT_EQ(view.GetSettings()->m_Axes.m_dYMax, view.GetPlot().m_dataRange.m_dYMax);
}

// ---------------------------------------------------------------------------------------------
// Keys

TEST_F(SndViewMouse, ZoomAndPanKindsOnLinearAndLogarithmicAxes)
{
    struct Case
    {
        int kind;
        double linear[2];  // on 1000..2000 (x, step 300) or -100..0 (y, step 20)
        double logarithmic[2];
    } const xCases[] = {
        {1, {1300, 1700}, {1300, 2000 / 1.3}},
        {2, {700, 2300}, {1000 / 1.3, 2600}},
        {3, {700, 1700}, {1000 / 1.3, 2000 / 1.3}},
        {4, {1300, 2300}, {1300, 2600}},
    };
    CSndView& view = MakeSpectrumView();
    for (bool log : {false, true})
        for (const Case& c : xCases)
        {
            SCOPED_TRACE(std::to_string(c.kind) + (log ? " log" : " linear"));
            SetZoom(view, 1000.0, 2000.0, -100.0, 0.0, log);
            view.ZoomX(c.kind);
            const double* want = log ? c.logarithmic : c.linear;
            EXPECT_NEAR(Record(view)[0], want[0], 1e-9);
            EXPECT_NEAR(Record(view)[1], want[1], 1e-9);
        }
    const Case yCases[] = {
        {1, {-80, -20}, {}},
        {2, {-120, 20}, {}},
        {5, {-80, 20}, {}},
        {6, {-120, -20}, {}},
    };
    for (const Case& c : yCases)
    {
        SCOPED_TRACE("y " + std::to_string(c.kind));
        SetZoom(view, 1000.0, 2000.0, -100.0, 0.0, false);
        view.ZoomY(c.kind);
        EXPECT_NEAR(Record(view)[2], c.linear[0], 1e-9);
        EXPECT_NEAR(Record(view)[3], c.linear[1], 1e-9);
    }
}

TEST_F(SndViewMouse, ArrowKeysPanAndWithShiftZoom)
{
    CSndView& view = MakeSpectrumView();
    SetZoom(view, 1000.0, 2000.0, -100.0, 0.0, false);
    EXPECT_TRUE(view.OnKeyUp(ViewKey::Left));
    EXPECT_NEAR(Record(view)[0], 700.0, 1e-9);
    SetZoom(view, 1000.0, 2000.0, -100.0, 0.0, false);
    view.OnKeyDown(ViewKey::Shift);
    view.OnKeyDown(ViewKey::Shift);
    EXPECT_EQ(view.GetShiftCount(), 2);
    view.OnKeyUp(ViewKey::Left);
    EXPECT_NEAR(Record(view)[0], 1300.0, 1e-9);
    EXPECT_NEAR(Record(view)[1], 1700.0, 1e-9);
    // Page keys pan only without shift.
    EXPECT_FALSE(view.OnKeyUp(ViewKey::PageUp));
    view.OnKeyUp(ViewKey::Shift);
    EXPECT_EQ(view.GetShiftCount(), 0);
    SetZoom(view, 1000.0, 2000.0, -100.0, 0.0, false);
    EXPECT_TRUE(view.OnKeyUp(ViewKey::PageDown));
    EXPECT_NEAR(Record(view)[2], -120.0, 1e-9);
    // "A" toggles the markers at every point.
    const int before = view.GetPlot().m_bMarkersAtPoints;
    EXPECT_TRUE(view.OnChar('A'));
    EXPECT_NE(view.GetPlot().m_bMarkersAtPoints, before);
    EXPECT_FALSE(view.OnChar('b'));
}

// ---------------------------------------------------------------------------------------------
// Markers

TEST_F(SndViewMouse, At255MarkersSetMarkerAddsNothing)
{
    CSndView& view = MakeSpectrumView();
    for (int i = 0; i < 300; ++i)
    {
        view.OnRButtonDown(0, 10 + i % 600, 200);
        view.OnCommand(cmd::kSetMarker);
    }
    EXPECT_EQ(m_engine.m_bMarkers, 1);
    EXPECT_EQ(m_engine.m_nMarkerCount, 255);
    EXPECT_EQ(view.GetPlot().m_nFrequencyMarkers, 255);
}

TEST_F(SndViewMouse, ClearMarkerRemovesTheNearestTheFirstOnATie)
{
    CSndView& view = MakeSpectrumView();
    m_engine.m_bMarkers = 1;
    m_engine.m_nMarkerCount = 3;
    float x = 0, y = 0;
    view.GetPlot().PixelToValue(PlotPoint{320, 200}, &x, &y);
    m_engine.m_adMarkers[0] = x + 500.0;
    m_engine.m_adMarkers[1] = x - 500.0;
    m_engine.m_adMarkers[2] = x + 2000.0;
    view.OnRButtonDown(0, 320, 200);
    view.OnCommand(cmd::kClearMarker);
    ASSERT_EQ(m_engine.m_nMarkerCount, 2);
    EXPECT_DOUBLE_EQ(m_engine.m_adMarkers[0], x - 500.0);
    EXPECT_DOUBLE_EQ(m_engine.m_adMarkers[1], x + 2000.0);
    // Markers off: nothing.
    m_engine.m_bMarkers = 0;
    view.OnCommand(cmd::kClearMarker);
    EXPECT_EQ(m_engine.m_nMarkerCount, 2);
}

// ---------------------------------------------------------------------------------------------
// 0 dB

TEST_F(SndViewMouse, SetPeakTo0dBCalibratesByThePeak)
{
    CSndView& view = MakeSpectrumView(0.01f);  // -20 dB
    ASSERT_TRUE(view.GetPlot().m_dataRange.m_bDecibel);
    m_engine.m_bCalibration = 0;
    m_engine.m_fCalibrationOffset = 7.0f;
    view.OnCommand(cmd::kSetPeakTo0dB);
    EXPECT_EQ(m_engine.m_bCalibration, 1);
    EXPECT_NEAR(m_engine.m_fCalibrationOffset, 20.0, 1e-4);
    EXPECT_NEAR(m_engine.m_dCalibrationGain, 10.0, 1e-4);
    // The held spectrum now reads 0 dB at its peak.
    EXPECT_NEAR(view.GetPlot().GetCurveDisplayValue(0, 10), 0.0, 1e-3);
    // Again: the peak is at 0 dB already; the offset stays.
    view.OnCommand(cmd::kSetPeakTo0dB);
    EXPECT_NEAR(m_engine.m_fCalibrationOffset, 20.0, 1e-3);
}

TEST_F(SndViewMouse, ZeroDbOperationsLeaveTheCalibrationAloneWithoutAUsableValue)
{
    struct Case
    {
        const char* name;
        float level;
        bool linear;
    } const cases[] = {
        {"peak of 0", 0.0f, false},
        {"negative peak", -1.0f, false},
        {"not a number", std::numeric_limits<float>::quiet_NaN(), false},
        {"linear display", 0.01f, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        m_views.clear();
        CSndView& view = MakeSpectrumView(c.level);
        if (c.linear)
            view.GetPlot().m_dataRange.m_bDecibel = 0;
        m_engine.m_bCalibration = 0;
        m_engine.m_fCalibrationOffset = 3.0f;
        view.OnCommand(cmd::kSetPeakTo0dB);
        // "set to 0dB" reads the painted curve, where a level of 0 or not a number reads as the
        // display's floor, a finite value it may calibrate to.
        view.OnRButtonDown(0, 320, 200);
        if (c.linear)
            view.OnCommand(cmd::kSetTo0dB);
        EXPECT_EQ(m_engine.m_bCalibration, 0);
        EXPECT_EQ(m_engine.m_fCalibrationOffset, 3.0f);
    }
}

TEST_F(SndViewMouse, SetTo0dBBeforeTheCurveWasDrawnDoesNothing)
{
    m_engine.m_nAnalysisChannels = 1;
    CSndView& view = MakeView();
    m_engine.m_bCalibration = 0;
    view.SetTo0dBAt(1000.0);
    EXPECT_EQ(m_engine.m_bCalibration, 0);
    EXPECT_EQ(m_engine.m_fCalibrationOffset, 0.0f);
}

TEST_F(SndViewMouse, SetTo0dBAtAPointAddsToACalibrationThatIsOn)
{
    CSndView& view = MakeSpectrumView(0.1f);  // -10 dB
    m_engine.m_bCalibration = 1;
    m_engine.m_fCalibrationOffset = 5.0f;
    view.SetTo0dBAt(3000.0);
    EXPECT_NEAR(m_engine.m_fCalibrationOffset, 5.0 + 10.0, 1e-3);
}

TEST_F(SndViewMouse, RemoteShiftTo0dBCalibratesAtTheFrequencyOnTheWindowsThread)
{
    CSndView& view = MakeSpectrumView(0.01f);  // -20 dB
    m_engine.m_bCalibration = 0;
    m_engine.m_fCalibrationOffset = 0.0f;
    EXPECT_EQ(view.RemoteShiftCurveTo0dB(2000.0), 0);
    EXPECT_EQ(m_engine.m_bCalibration, 1);
    EXPECT_NEAR(m_engine.m_fCalibrationOffset, 20.0, 1e-3);
}

// ---------------------------------------------------------------------------------------------
// The curve dialog from the legend

TEST_F(SndViewMouse, HidingTheOnlyCurveIsRefused)
{
    CSndView& view = MakeSpectrumView();
    view.OnCommand(cmd::kLegend);
    ASSERT_TRUE(view.IsCommandChecked(cmd::kLegend));
    gfx::RecordingCanvas canvas(640, 400);
    view.GetPlot().DrawMeasureRectAndLegend(canvas);
    const gfx::Rect box = view.GetPlot().m_legend.m_rcBox;
    ASSERT_EQ(view.GetCurveName(0), "Ch#1");
    Window(0).m_curveAnswer.name = "Left mic";
    Window(0).m_curveAnswer.visible = false;
    view.OnLButtonDblClk(0, box.left + 2, box.top + 3);
    EXPECT_EQ(Window(0).m_curveOffered.name, "Ch#1");
    EXPECT_EQ(m_frame.CountMessages(GetText(1000392)), 1);
    EXPECT_EQ(view.GetCurveName(0), "Left mic");
    EXPECT_EQ(Settings(0).m_Channels.GetChannel(0).m_bActive, 1);
    // The new name is marked as the user's; the legend's "Reset" gives the default name back.
    EXPECT_EQ(view.GetPlot().m_legend.m_abNameSetByUser[0], 1);
    view.OnCommand(cmd::kResetCurveNames);
    EXPECT_EQ(view.GetCurveName(0), "Ch#1");
    EXPECT_EQ(view.GetPlot().m_legend.m_abNameSetByUser[0], 0);
}

TEST_F(SndViewMouse, HidingOneOfTwoCurvesClearsItsChannel)
{
    CSndView& view = MakeSpectrumView(0.01f, 2);
    ASSERT_EQ(view.GetCurveCount(), 2);
    view.OnCommand(cmd::kLegend);
    gfx::RecordingCanvas canvas(640, 400);
    view.GetPlot().DrawMeasureRectAndLegend(canvas);
    const gfx::Rect box = view.GetPlot().m_legend.m_rcBox;
    // A name kept leaves no user mark; hiding clears one set before.
    Window(0).m_curveAnswer.name = view.GetCurveName(1);
    Window(0).m_curveAnswer.visible = true;
    view.OnLButtonDblClk(0, box.left + 2, box.bottom - 2);
    EXPECT_EQ(view.GetPlot().m_legend.m_abNameSetByUser[1], 0);
    Window(0).m_curveAnswer.name = "Right mic";
    view.OnLButtonDblClk(0, box.left + 2, box.bottom - 2);
    EXPECT_EQ(view.GetPlot().m_legend.m_abNameSetByUser[1], 1);
    view.GetPlot().DrawMeasureRectAndLegend(canvas);
    Window(0).m_curveAnswer.name = "Right mic";
    Window(0).m_curveAnswer.visible = false;
    view.OnLButtonDblClk(0, box.left + 2, box.bottom - 2);
    EXPECT_TRUE(m_frame.m_messages.empty());
    EXPECT_EQ(Settings(0).m_Channels.GetChannel(1).m_bActive, 0);
    EXPECT_EQ(view.GetPlot().m_legend.m_abNameSetByUser[1], 0);
}

// ---------------------------------------------------------------------------------------------
// Reference

TEST_F(SndViewMouse, SetAsReferenceStoresHidesAndAsksBeforeOverwriting)
{
    CSndView& view = MakeSpectrumView(0.25f);
    view.OnCommand(cmd::kSetAsReference);
    ASSERT_TRUE(m_engine.m_pReferenceRecord);
    EXPECT_TRUE(view.IsCommandChecked(cmd::kSetAsReference));
    EXPECT_EQ(m_engine.m_pReferenceRecord->m_nPoints, kPoints);
    EXPECT_NEAR(m_engine.m_pReferenceRecord->m_pValue[5], 4.0f, 1e-4);
    // Shown: hidden.
    view.OnCommand(cmd::kSetAsReference);
    EXPECT_FALSE(view.IsCommandChecked(cmd::kSetAsReference));
    // Hidden: asked; No shows the old one again.
    m_engine.m_spectrumDisplay.assign(kPoints, 0.5f);
    m_frame.m_bYes = false;
    view.OnCommand(cmd::kSetAsReference);
    ASSERT_EQ(m_frame.m_questions.size(), 1u);
    EXPECT_EQ(m_frame.m_questions[0],
              "Do you want to overwrite the old reference with the current measurement?");
    EXPECT_TRUE(view.IsCommandChecked(cmd::kSetAsReference));
    EXPECT_NEAR(m_engine.m_pReferenceRecord->m_pValue[5], 4.0f, 1e-4);
    // Yes takes the current curve.
    view.OnCommand(cmd::kSetAsReference);
    m_frame.m_bYes = true;
    view.OnCommand(cmd::kSetAsReference);
    EXPECT_NEAR(m_engine.m_pReferenceRecord->m_pValue[5], 2.0f, 1e-4);
    // The background hook draws it.
    gfx::RecordingCanvas canvas(640, 400);
    view.DrawReference(canvas);
    EXPECT_FALSE(canvas.Ops().empty());
}

// ---------------------------------------------------------------------------------------------
// Measure rectangle

TEST_F(SndViewMouse, DoubleClickPlacesAMeasureRectangleWithLabels)
{
    CSndView& view = MakeSpectrumView();
    view.OnLButtonDblClk(0, 200, 100);
    const CMeasureRect& rect = view.GetPlot().m_measureRect;
    ASSERT_EQ(rect.m_bVisible, 1);
    EXPECT_EQ(rect.m_nRight, 280);
    EXPECT_EQ(rect.m_nBottom, 180);
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    view.GetPlot().PixelToValue(PlotPoint{200, 100}, &x1, &y1);
    view.GetPlot().PixelToValue(PlotPoint{280, 180}, &x2, &y2);
    char below[64];
    char left[64];
    std::snprintf(below, sizeof below, "%0.2f", static_cast<double>(x2) - x1);
    std::snprintf(left, sizeof left, "%0.2f", static_cast<double>(y1) - y2);
    EXPECT_EQ(rect.m_strBelow, below);
    EXPECT_EQ(rect.m_strLeft, left);

    // A drag of the second corner with shift moves it and does not open a zoom box.
    const auto zoom = Record(view);
    view.OnMouseMove(0, 280, 180);
    view.OnLButtonDown(kLeft, 280, 180);
    PlotRect band;
    EXPECT_FALSE(view.GetRubberBand(band));
    view.OnMouseMove(kLeft | kShift, 300, 200);
    view.OnLButtonUp(kShift, 300, 200);
    EXPECT_EQ(rect.m_nLeft, 220);
    EXPECT_EQ(rect.m_nTop, 120);
    EXPECT_EQ(Record(view), zoom);
    // The close handle hides it.
    view.OnLButtonDown(kLeft, rect.m_nRight, rect.m_nTop);
    EXPECT_EQ(rect.m_bVisible, 0);

    // Outside the plot area a double click opens the display properties; locked: no rectangle.
    m_engine.m_bDisplayLocked = 1;
    view.OnLButtonDblClk(0, 200, 100);
    EXPECT_EQ(rect.m_bVisible, 0);
}

TEST_F(SndViewMouse, DoubleClickWithTheTriggerLineShownOpensTheTriggerSettings)
{
    CSndView& view = MakeSpectrumView();
    CPlot& plot = view.GetPlot();
    plot.m_bTriggerMarker = 1;
    const struct
    {
        int x;
        int y;
        const char* where;
    } points[] = {
        {200, 100, "inside the plot"},
        {plot.m_nPlotLeft - 5, plot.m_nPlotBottom + 5, "outside the plot"},
    };
    for (const auto& point : points)
    {
        m_frame.m_posted.clear();
        view.OnLButtonDblClk(0, point.x, point.y);
        EXPECT_EQ(m_frame.m_posted, std::vector<int>{cmd::kTriggerSettings}) << point.where;
        EXPECT_EQ(plot.m_measureRect.m_bVisible, 0) << point.where;
        PlotRect band;
        EXPECT_FALSE(view.GetRubberBand(band)) << point.where;
    }
    // A label under the point takes the double click first.
    plot.m_rcWindow = PlotRect{0, 0, 640, 400};
    Window(0).m_nPopupAnswer = cmd::kAddLabel;
    view.OnRButtonDown(0, 160, 100);
    gfx::RecordingCanvas canvas(640, 400);
    Settings(0).m_Annotations.DrawOnPlot(canvas, plot);
    const auto* label = static_cast<CTextAnnotation*>(Settings(0).m_Annotations.GetMembers().front().get());
    bool edited = false;
    view.m_fnLabelEditor = [&edited](CAnnotationList::LabelEdit&)
    {
        edited = true;
        return false;
    };
    m_frame.m_posted.clear();
    view.OnLButtonDblClk(0, label->m_Bounds.left + 2, (label->m_Bounds.top + label->m_Bounds.bottom) / 2);
    EXPECT_TRUE(edited);
    EXPECT_TRUE(m_frame.m_posted.empty());
}

// ---------------------------------------------------------------------------------------------
// Labels and lines

// A command that restarts the display leaves the plot without a layout until it is painted again;
// a label or line added then still lands where the user clicked.
TEST_F(SndViewMouse, LabelsAddedBeforeThePlotIsLaidOutAgainLandAtTheClick)
{
    CSndView& view = MakeSpectrumView();
    CPlot& plot = view.GetPlot();
    plot.ForceRedraw();
    ASSERT_EQ(plot.m_rcWindow.right, 0);
    Window(0).m_nPopupAnswer = cmd::kAddLabel;
    view.OnRButtonDown(0, 160, 100);
    Window(0).m_nPopupAnswer = cmd::kAddLine;
    view.OnRButtonDown(0, 320, 300);
    CAnnotationList& list = Settings(0).m_Annotations;
    ASSERT_EQ(list.GetCount(), 2u);
    // The window (640 × 400) is what the plot will be laid out in.
    auto* label = static_cast<CTextAnnotation*>(list.GetMembers().front().get());
    auto* line = static_cast<CArrowAnnotation*>(list.GetMembers().back().get());
    EXPECT_DOUBLE_EQ(label->m_dRelX, 0.25);
    EXPECT_DOUBLE_EQ(label->m_dRelY, 0.25);
    EXPECT_DOUBLE_EQ(line->m_dRelX, 0.5);
    EXPECT_DOUBLE_EQ(line->m_dRelY, 0.75);
    gfx::RecordingCanvas canvas(640, 400);
    plot.SetPlotArea(0, 0, 640, 400);
    list.DrawOnPlot(canvas, plot);
    EXPECT_EQ(label->m_nX, 160);
    EXPECT_EQ(label->m_nY, 100);
    EXPECT_EQ(label->m_Bounds.bottom, 100);
    EXPECT_EQ(line->m_End.m_nX, 640);
}

TEST_F(SndViewMouse, LabelsAndLinesFromTheMenuAreEditedAndDeleted)
{
    CSndView& view = MakeSpectrumView();
    view.GetPlot().m_rcWindow = PlotRect{0, 0, 640, 400};
    Window(0).m_nPopupAnswer = cmd::kAddLabel;
    view.OnRButtonDown(0, 160, 100);
    // The frequency-axis menu.
    ASSERT_EQ(Window(0).m_popupItems.size(), 11u);
    EXPECT_EQ(Window(0).m_popupItems.back().text, "set peak to 0dB");
    Window(0).m_nPopupAnswer = cmd::kAddLine;
    view.OnRButtonDown(0, 100, 300);
    CAnnotationList& list = Settings(0).m_Annotations;
    ASSERT_EQ(list.GetCount(), 2u);
    auto it = list.GetMembers().begin();
    auto* label = static_cast<CTextAnnotation*>(it->get());
    EXPECT_EQ(label->m_strText, GetText(1000249) + "<" + GetText(1000608) + ">");
    EXPECT_DOUBLE_EQ(label->m_dRelX, 0.25);
    EXPECT_DOUBLE_EQ(label->m_dRelY, 0.25);
    auto* line = static_cast<CArrowAnnotation*>((++it)->get());
    EXPECT_DOUBLE_EQ(line->m_dRelY, 0.75);
    EXPECT_DOUBLE_EQ(line->m_End.m_dRelX, 1.0);

    // Paint once so that the members know their places.
    gfx::RecordingCanvas canvas(640, 400);
    list.DrawOnPlot(canvas, view.GetPlot());
    // A double click on the label edits it through the editor.
    view.m_fnLabelEditor = [](CAnnotationList::LabelEdit& edit)
    {
        edit.text = "peak";
        edit.size = 20;
        return true;
    };
    view.OnLButtonDblClk(0, label->m_Bounds.left + 2, (label->m_Bounds.top + label->m_Bounds.bottom) / 2);
    EXPECT_EQ(label->m_strText, "peak");
    // A locked line is left alone by the mouse and by Delete.
    line->m_nFlags = kAnnotationLocked;
    view.OnMouseMove(0, 300, 300);
    view.OnKeyUp(ViewKey::Delete);
    EXPECT_EQ(list.GetCount(), 2u);
    // Unlocked, the mouse on its middle marks it and Delete removes it.
    line->m_nFlags = 0;
    list.m_removePause = std::chrono::milliseconds(0);
    view.OnMouseMove(0, 300, 300);
    view.OnKeyUp(ViewKey::Delete);
    EXPECT_EQ(list.GetCount(), 1u);
}

TEST_F(SndViewMouse, TheMenuFollowsWhereTheClickIs)
{
    CSndView& view = MakeSpectrumView();
    std::vector<PopupMenuItem> items;
    EXPECT_EQ(view.ChoosePopupMenu(300, 200, items), 35);
    view.OnCommand(cmd::kLegend);
    gfx::RecordingCanvas canvas(640, 400);
    view.GetPlot().DrawMeasureRectAndLegend(canvas);
    const gfx::Rect box = view.GetPlot().m_legend.m_rcBox;
    EXPECT_EQ(view.ChoosePopupMenu(box.left + 1, box.top + 1, items), 83);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].id, cmd::kHideLegend);
    view.OnCommand(cmd::kOscilloscope);
    EXPECT_EQ(view.ChoosePopupMenu(300, 300, items), 80);
    EXPECT_EQ(items.size(), 3u);
}

TEST_F(SndViewMouse, LegendDragMovesTheBoxAndHidesOnCommand)
{
    CSndView& view = MakeSpectrumView();
    view.OnCommand(cmd::kLegend);
    gfx::RecordingCanvas canvas(640, 400);
    view.GetPlot().DrawMeasureRectAndLegend(canvas);
    const gfx::Rect box = view.GetPlot().m_legend.m_rcBox;
    const auto zoom = Record(view);
    Drag(view, PlotPoint{box.left + 2, box.top + 2}, PlotPoint{box.left - 98, box.top + 52});
    EXPECT_EQ(view.GetPlot().m_legend.m_nOffsetX, -100);
    EXPECT_EQ(view.GetPlot().m_legend.m_nOffsetY, 50);
    EXPECT_EQ(Record(view), zoom);
    view.OnCommand(cmd::kHideLegend);
    EXPECT_FALSE(view.IsCommandChecked(cmd::kLegend));
    // Shown again: back home.
    view.OnCommand(cmd::kLegend);
    EXPECT_EQ(view.GetPlot().m_legend.m_nOffsetX, 0);
}

}  // namespace

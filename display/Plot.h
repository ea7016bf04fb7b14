// CPlot: the two-dimensional curve display that every measurement window, plot dialog and image
// exporter owns. A plain record of public state that its owner fills in directly, plus the
// operations that size its buffers, answer questions about its curves, map values to pixels and
// compute the statistics of each drawn curve. The plot owns no measurement data: it reads the
// owner's float arrays in place. It paints itself on a gfx::Canvas (PlotPaint.cpp, PlotAxisPaint.cpp,
// PlotReadouts.cpp).
//
// Threads: every member runs on the user-interface thread. The channel data belong to the owner
// (the engine's display buffers), which may write them from its analysis thread while holding the
// display lock that m_pDisplayLock names; the plot takes that lock (when set) only while it reads
// the channel data in ComputeCurveStats, AutoScaleY and the reduction step of DrawCurves (which
// also gathers the curve statistics, with a helper thread for long curves that ends before the
// lock is released) and the markers-at-points mode, never while it draws, and never while the
// caller holds it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "display/ColorScheme.h"
#include "display/CurveStatistics.h"
#include "display/CurveStyle.h"
#include "display/DibBuffer.h"
#include "display/LegendDlg.h"
#include "display/MeasureRect.h"
#include "display/PlotAxis.h"
#include "display/PlotRange.h"
#include "display/PolarPlot.h"
#include "display/Sonagram.h"
#include "display/SpectrumFigures.h"
#include "display/TraceHistory.h"
#include "display/WaterfallFeed.h"
#include "display/VectorscopeImage.h"
#include "dsp/DistortionFigures.h"
#include "platform/gfx/Canvas.h"

// A device pixel.
struct PlotPoint
{
    int x = 0;
    int y = 0;
    friend bool operator==(const PlotPoint&, const PlotPoint&) = default;
};

// A rectangle in device pixels (right and bottom exclusive, as the painter uses them).
struct PlotRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const PlotRect&, const PlotRect&) = default;
};

// The legend label of a curve: kind 0 channel "Ch#n" (n + 1, for n 0..63), kind 1 math curve "MAX",
// "MIN" or "AVG" (n 0..2), kind 2 overlay "overlay n" translated (n + 1, for n 0..9); an empty text
// for anything else.
std::string GetCurveLabel(int n, int kind);

class CPlot
{
public:
    static constexpr int kMaxChannels = 64;
    // Channel number that stands for the math curve (any number above kLastChannelNumber does).
    static constexpr int kMathChannel = 10000;
    static constexpr int kLastChannelNumber = 9999;
    static constexpr std::uint32_t kGuardWord = 7967715;
    static constexpr int kMaxPointCount = 20000000;
    static constexpr int kInternalXTableSize = 2048;
    static constexpr int kInternalChannelSize = 2160;
    static constexpr int kReducedValueCount = 8192;
    static constexpr int kMathCurveInitialSize = 16384;
    static constexpr int kMathHistorySize = 65536;
    static constexpr int kColumnCountInitialSize = 16384;
    static constexpr std::size_t kWorkBufferBytes = 262144;
    // Slot of the math curve in m_arrStats and m_arrReducedValues.
    static constexpr int kMathSlot = kMaxChannels;
    // Margins of the plot area inside the window rectangle.
    static constexpr int kMarginLeft = 90;
    static constexpr int kMarginTop = 10;
    static constexpr int kMarginBottom = 60;
    static constexpr int kMarginRightSideAxis = 100;
    // Pixel height of the tick labels' font unless the owner sets the toolkit's own.
    static constexpr int kDefaultLabelFontPixels = 12;

    // Math modes and functions.
    static constexpr int kMathOff = 0;
    static constexpr int kMathAlone = 1;
    static constexpr int kMathWithChannels = 2;
    static constexpr int kMathMaximum = 0;
    static constexpr int kMathMinimum = 1;
    static constexpr int kMathAverage = 2;

    CPlot();
    ~CPlot();
    CPlot(const CPlot&) = delete;
    CPlot& operator=(const CPlot&) = delete;

    // Construction and settings -----------------------------------------------------------------
    void Init();
    void ResetState();
    // Derives the displayed channels, the y grid and the math start value from the owner's fields
    // and sizes the column count table; call after changing channels, points, ranges or modes.
    void ApplySettings();
    // Marks frame, layout and data for redrawing; returns -1.
    int ForceRedraw();
    // Re-makes the pens of the channel styles and of the math-curve style.
    void RecreatePens();

    double GetVisibleXMin() const { return m_viewRange.m_dXMin; }
    int GetPointCount() const;

    // Geometry ----------------------------------------------------------------------------------
    // Stores the window rectangle, derives the plot area and the pixels per decade of both axes.
    void SetPlotArea(int left, int top, int right, int bottom);
    // Pixels right of the plot area that the last x label in the label font needs.
    int RightLabelRoom() const;

    // Curve queries -----------------------------------------------------------------------------
    int GetCurveCount() const;
    // The channel of a curve; -1 for the math curve, in math mode 1 and for a curve out of range.
    int GetCurveChannel(int curve) const;
    // The curve of a channel; the last curve for the math channel in math modes 1 and 2; -1 for a
    // channel outside the plot's channels.
    int GetCurveOfChannel(int channel) const;
    const float* GetChannelData(int channel) const;
    const float* GetCurveData(int curve) const;
    int GetCurveMathFunction(int curve) const;
    const float* GetXTable() const;
    double GetXValue(int index) const;
    // Raw and display value of one point; 0 without data or for an index outside the curve.
    float GetCurvePoint(int curve, int index) const;
    double GetCurveDisplayValue(int curve, int index) const;
    std::string GetCurveName(int curve) const;
    // Copy a curve's style out of or into the plot (the pen is not re-made); false for a curve out
    // of range.
    bool GetCurveStyle(int curve, CCurveStyle& style) const;
    bool SetCurveStyle(int curve, const CCurveStyle& style);
    // The plot's own copy of a channel (kInternalChannelSize floats) for use with the internal x
    // table; empty for a channel out of range.
    std::span<float> GetChannelCopy(int channel);

    // Values at an x position ---------------------------------------------------------------------
    // The display value of a drawn curve at x from its reduced column values (kReducedValueCount).
    double InterpolateAt(double x, std::span<const float> reducedValues) const;
    double GetChannelValueAt(double x, int channel) const;
    double GetCurveValueAt(int curve, double x) const;
    double GetMarkerValue(int marker, int channel) const;

    // Display units -----------------------------------------------------------------------------
    double ToDisplayValue(float raw) const;
    double FromDisplayValue(double display) const;

    // Pixel mapping -----------------------------------------------------------------------------
    void ValueToPixel(PlotPoint* point, double x, double y) const;
    void PixelToValue(const PlotPoint& point, float* x, float* y) const;

    // Ranges and scaling ------------------------------------------------------------------------
    void GetVisibleIndexRange(int* first, int* last, const float* xTable) const;
    // A y range that brackets every curve's display values in the visible x range; the outputs stay
    // as they are when a curve has no data or no point lies in the range.
    void AutoScaleY(double* yMin, double* yMax);
    void ResetMathCurve();
    void ResetMathHistory();

    // Painting (on the user-interface thread) ----------------------------------------------------
    // One paint: the cached frame (rebuilt only when a dirty flag asks), copied with the curves and
    // readouts drawn over it onto one off-screen image, which is copied once to the target.
    void Draw(gfx::Canvas& target, int left, int top, int right, int bottom);
    // The background (margins, plot area, grid, axes, frame, x title) into a canvas.
    void DrawFrame(gfx::Canvas& canvas, int left, int top, int right, int bottom);
    // The curves and the live additions into a canvas that already holds the frame.
    void DrawCurves(gfx::Canvas& canvas, int left, int top, int right, int bottom);
    // The column layout of the visible indices first..last (m_arrColumns, m_anColumnCounts).
    void BuildColumns(int first, int last);
    // Reduces data[first..last] into the columns of `points` (y pixels) and `reduced` (values).
    void ReduceColumns(std::span<gfx::Point> points, std::span<const float> data, std::span<float> reduced,
                       int columnCount, int first, int last, int mode) const;
    // Ten marker symbols along the polyline; nothing for a marker code of 0 or below.
    void DrawCurveMarkers(gfx::Canvas& canvas, std::span<const gfx::Point> points, int marker) const;
    void DrawXAxis(gfx::Canvas& canvas);
    void DrawYAxes(gfx::Canvas& canvas);
    // One y axis; `right` puts its labels and title right of the plot area (the sonagram's side
    // axis), `downward` runs its values from the top down.
    void DrawYAxis(gfx::Canvas& canvas, double yMin, double yMax, int logarithmic, const std::string& title,
                   bool right = false, bool downward = false);
    // The sonagram's side axis: time (0 at the newest line, or at the first segment of a recorded
    // picture), or frequency while the picture shows time along x.
    void DrawSonagramSideAxis(gfx::Canvas& canvas);
    void DrawLevelBars(gfx::Canvas& canvas);
    // The readouts after the curves: level bars, harmonic and intermodulation markers, trigger
    // marker, crosshair with note name, frequency markers; sets the cursor readout values.
    void DrawReadouts(gfx::Canvas& canvas);

    // Curve statistics --------------------------------------------------------------------------
    // Fills the statistics record of the curve (m_arrStats at its channel, or kMathSlot).
    void ComputeCurveStats(int curve);
    const CCurveStatistics* GetCurveStats(int curve) const;
    // Installs the signal-processing library's distortion figures (null entries skip a figure).
    void SetSpectrumFigures(const SpectrumFigureFunctions& functions) { m_spectrumFigures = functions; }

    // Geometry
    PlotRect m_rcWindow;
    int m_nPlotLeft = 0;
    int m_nPlotTop = 0;
    int m_nPlotRight = 0;
    int m_nPlotBottom = 0;
    double m_dXPixelsPerDecade = 0.0;
    double m_dYPixelsPerDecade = 0.0;
    PlotPoint m_ptMouse;
    // 1 while a side axis (the sonagram's) takes a right margin.
    int m_bSideAxis = 0;
    // Pixel height of the tick labels' font.
    int m_nLabelFontPixels = kDefaultLabelFontPixels;
    // Margin right of the plot area without a side axis; RightLabelRoom() keeps the last x label,
    // which stands centred on the plot's right edge, whole inside the window.
    int m_nRightMargin = 0;

    // Value windows: the data description, the visible window and the owner's spare.
    CPlotRange m_dataRange;
    CPlotRange m_viewRange;
    CPlotRange m_spareRange;
    std::array<CAxisText, 3> m_arrAxisTexts;

    // Axes and texts
    CPlotAxis m_xAxis;
    std::string m_strXTitle;
    std::string m_strYTitle;
    std::string m_strTriggerName;

    // Data source
    // Channel n starts at m_pData + n * stride (stride = point count unless m_nStride > 0).
    const float* m_pData = nullptr;
    int m_nStride = -1;
    // Used when m_pData is null.
    std::array<const float*, kMaxChannels> m_arrChannelData{};
    // The owner's x values, one per index; optional.
    const float* m_pXTable = nullptr;
    double m_dBinWidth = 1.0;
    // While m_nXTableCount > 0 the plot takes x values and curve data from its own copies.
    std::vector<float> m_afXTable;
    int m_nXTableCount = 0;
    std::vector<float> m_afChannelCopies;
    int m_nChannels = 0;
    std::array<int, kMaxChannels> m_abDisplayed{};
    int m_nFirstDisplayed = -1;
    int m_nSecondDisplayed = -1;
    int m_nDisplayedCount = 0;

    // Curves
    std::array<CCurveStyle, kMaxChannels> m_arrStyles;
    CCurveStyle m_mathStyle;
    CCurveStyle m_gridStyle;
    CCurveStyle m_darkStyle;
    int m_nMathMode = kMathOff;
    int m_nMathFunction = kMathMaximum;
    std::vector<float> m_afMathCurve;
    float m_fMathStart = 0.0f;
    std::vector<float> m_afMathHistory;
    int m_nMathHistoryPosition = 0;
    // The owner's block of sliding averages (same layout as m_pData) for math function 2.
    const float* m_pMathAverageData = nullptr;

    int m_nReductionMode = 0;
    int m_bMarkersAtPoints = 0;
    int m_bNoteNames = 0;
    int m_bCrosshair = 0;
    int m_bPolar = 0;
    int m_bBarGraph = 0;
    int m_bDebugCapture = 0;
    int m_bFrequencyMarkers = 0;
    int m_nFrequencyMarkers = 0;
    const double* m_pFrequencyMarkers = nullptr;

    // Distortion (harmonic list) and intermodulation settings of the statistics.
    int m_bHarmonics = 0;
    // 1: the harmonic distortion is computed for the statistics also without harmonic markers.
    int m_bDistortionFigures = 0;
    int m_nHarmonicCount = CCurveStatistics::kMaxHarmonics;
    unsigned m_nHarmonicMask = 3;
    double m_dFundamental = 0.0;
    int m_bIntermodulation = 0;
    int m_nProductCount = CCurveStatistics::kMaxProducts;
    double m_dTone1 = 18000.0;
    double m_dTone2 = 19000.0;
    // Product order classes 2 to 6.
    std::array<int, 5> m_abProductOrders{1, 1, 1, 1, 1};
    int m_nWindowType = 0;

    // Colours of background, grid, texts and markers.
    CColorScheme m_colorScheme;

    // Statistics per channel, the math curve at kMathSlot.
    std::array<CCurveStatistics, kMaxChannels + 1> m_arrStats;

    // Paint buffers the queries read: the column layout (x pixel per column) and the reduced
    // value of each column per channel (the math curve at kMathSlot); empty until allocated.
    std::vector<PlotPoint> m_arrColumns;
    int m_nColumnCount = 0;
    std::vector<int> m_anColumnCounts;
    std::array<std::vector<float>, kMaxChannels + 1> m_arrReducedValues;
    std::vector<std::uint8_t> m_abyWork;

    // Control state
    int m_bFrameDirty = 1;
    int m_nFrameRedraws = 0;
    int m_bLayoutDirty = 1;
    int m_bDataDirty = 1;
    int m_nPaintCount = 0;
    void* m_pOwner = nullptr;
    int m_nActiveCurve = 0;
    // The engine's display lock, or null when the data need none.
    std::mutex* m_pDisplayLock = nullptr;
    std::uint32_t m_nGuard = kGuardWord;
    double m_dYGridStep = 0.0;
    double m_dYGridFirst = 0.0;
    double m_dYGridLast = 0.0;
    double m_dCursorX = 0.0;
    double m_dCursorY = 0.0;

    // Painting state ------------------------------------------------------------------------------
    // The level, peak and hold value of one level bar, as the owner fills them.
    struct LevelBar
    {
        double level = 0.0;
        double peak = 0.0;
        double hold = 0.0;
    };
    // 1: level bars beside the plot area; a count above 0 draws two bars.
    int m_bLevelBars = 0;
    int m_nLevelBarCount = 0;
    std::array<LevelBar, 2> m_arrLevelBars{};
    // 1: level bars and the trigger level are linear values shown in decibels.
    int m_bDecibel = 0;
    // 1: harmonic labels in per cent of the peak instead of levels.
    int m_bPercent = 0;
    int m_bTriggerMarker = 0;
    double m_dTriggerLevel = 0.0;
    // 2 trigger found, 3 triggered, 4 ready, anything else scanning.
    int m_nTriggerState = 0;
    int m_nTriggerHalfSize = 5;
    // Number of older polylines drawn as fading traces (0: none).
    int m_nTraceDepth = 0;
    int m_bTraceColorMap = 0;
    // Run after the frame and after the curves (owners add their own drawing).
    std::function<void(gfx::Canvas&)> m_fnBackgroundHook;
    std::function<void(gfx::Canvas&)> m_fnForegroundHook;

    // Paint buffers per channel, the math curve at kMathSlot: one point per column, two per column
    // for the min-and-max mode; empty until the first paint that needs them.
    std::array<std::vector<gfx::Point>, kMaxChannels + 1> m_arrPointBuffers;
    std::array<std::vector<gfx::Point>, kMaxChannels + 1> m_arrMinMaxBuffers;
    std::array<int, kMaxChannels + 1> m_abPointsFilled{};
    std::array<CTraceHistory, kMaxChannels + 1> m_arrTraces;
    std::array<int, kMaxChannels + 1> m_anTraceDepths{};
    int m_nLayoutCapacity = 0;
    std::unique_ptr<gfx::Canvas> m_pFrameCache;
    std::unique_ptr<gfx::Canvas> m_pSecondCache;
    PlotRect m_rcRemembered;

    // The measure rectangle (drawn while shown) and the legend (drawn while m_bLegend is set), after
    // the curves and readouts.
    CMeasureRect m_measureRect;
    CLegendDlg m_legend;
    int m_bLegend = 0;
    // Draws the measure rectangle and the legend (the last steps of a curve paint).
    void DrawMeasureRectAndLegend(gfx::Canvas& canvas);

    // Display kinds ---------------------------------------------------------------------------------
    // Sonagram: while m_bSonagram is set the plot shows level over frequency and time as colours;
    // with a recorded signal (m_pSonagramSamples) the whole signal, else the live picture that
    // scrolls one line per paint unless m_bHold is set (the owner sets it while its input is idle).
    int m_bSonagram = 0;
    // Below 1 grey, 1 or more the colour map (takes effect at the next size change).
    int m_nColorMode = 1;
    int m_bHold = 0;
    // The time one live line stands for (the owner's refresh interval): the live time axis spans the
    // plot height times this.
    double m_dSecondsPerPixel = 0.1;
    const float* m_pSonagramSamples = nullptr;
    int m_nSonagramSamples = 0;
    double m_dSonagramRate = -1.0;
    CSonagram m_sonagram;
    // The sonagram's parameters of the last computed picture.
    CSonagram::Params m_sonagramKept;
    // The DIB of the image export (plot area + 1 in each direction) and the stretcher.
    CDibBuffer m_dib;
    CDrawDib m_drawDib;
    void DrawSonagram(gfx::Canvas& canvas);
    void DrawRecordedSonagram(gfx::Canvas& canvas);
    void DrawLiveSonagram(gfx::Canvas& canvas);
    void DrawSonagramScale(gfx::Canvas& canvas);
    std::vector<std::uint8_t> m_abySonagramLine;
    std::vector<std::uint32_t> m_anSonagramScale;

    // Polar diagram (m_bPolar): the curves over the owner's angle table (null: an even spread over
    // the polar plot's angle range).
    CPolarPlot m_polar;
    const float* m_pPolarAngles = nullptr;
    void PreparePolar();

    // Vectorscope: while the owner's settings are active the first two displayed channels are drawn
    // against each other instead of curves.
    struct VectorscopeParams
    {
        int active = 0;
        double decay = 0.85;
        int depth = 0;
        // 0: none, 1: +45 degrees, 2: -45 degrees, 3: the free angle.
        int rotation = 0;
        double freeAngle = 0.0;
        // 0 dots, 1 lines.
        int style = 0;
    };
    VectorscopeParams m_vectorscope;
    CVectorscopeImage m_vectorscopeImage;
    void DrawVectorscope(gfx::Canvas& canvas);

    // 3D waterfall ------------------------------------------------------------------------------
    // The feed of the 3D window (flags, the style word, block time, time range and the worker).
    CWaterfallFeed m_waterfall;
    // While a feed flag is set and the 3D window exists: sets the window's ranges when its axes are
    // not valid and hands it a live row or starts the time-signal worker.
    void FeedWaterfallView();

    // Band bars (bar-graph mode) -----------------------------------------------------------------
    static constexpr int kMaxBands = 1024;
    // Labelled display: below 1 FFT bars (or the staircase), 1 octave and 3 third-octave bands on
    // the nominal centres, another n a 1/n grid.
    int m_nBandFraction = 3;
    int m_bStaircase = 0;
    // The fraction of the free-grid FFT bars.
    int m_nFftBarFraction = 3;
    int m_bPeakMarkers = 0;
    // Held bars fall back by this factor per paint (0: they follow the signal); peaks likewise.
    double m_dBarDecay = 0.0;
    double m_dPeakDecay = 0.95;
    COLORREF m_markerColor = 0x0000FF;
    std::vector<float> m_afHeldBands;
    std::vector<float> m_afPeakBands;
    std::array<float, kMaxBands> m_afBandValues{};
    std::array<float, kMaxBands> m_afBandEdges{};
    int m_nBandCount = 0;
    // Third-octave levels (dB) of the first curve from 25 Hz up, for the loudness readout.
    std::array<float, 64> m_afLoudnessLevels{};
    // The loudness readout (third octave) and its results.
    int m_bLoudness = 0;
    double m_dLoudness = 0.0;
    double m_dALevel = 0.0;
    // The owner's band results per curve: linear band values at their centre frequencies, and
    // optionally the band peaks.
    struct BandResults
    {
        int count = 0;
        int valid = 0;
        const double* frequencies = nullptr;
        const double* levels = nullptr;
        const double* peaks = nullptr;
    };
    std::array<BandResults, 2> m_arrBandResults{};
    // The SPL readout: linear wideband levels per channel, unweighted and weighted.
    std::array<double, kMaxChannels> m_adLinearLevels{};
    std::array<double, kMaxChannels> m_adWeightedLevels{};
    int m_nTimeWeighting = 0;
    std::string m_strTimeWeightingLabel;
    int m_nFrequencyWeighting = 0;
    int m_bOverload = 0;
    std::string m_strFreeText;
    void DrawBands(gfx::Canvas& canvas);
    void DrawStaircase(gfx::Canvas& canvas);
    void DrawNominalBands(gfx::Canvas& canvas);

    // The pen of a curve style (made on first use).
    static gfx::Pen PenOf(CCurveStyle& style);

    // Where the plot's error messages go; null writes them to the debug output.
    std::function<void(const std::string&)> m_fnShowMessage;

private:
    struct CurveSource
    {
        const float* data = nullptr;
        int length = 0;
    };
    CurveSource GetCurveSource(int curve) const;
    CurveSource GetChannelSource(int channel) const;
    int ChannelCount() const;
    int StrideOf() const;
    int StatsSlot(int curve) const;
    bool InternalXTableInUse() const;
    void ShowMessage(const std::string& text) const;
    std::unique_lock<std::mutex> LockDisplay() const;
    int MathSourceChannel() const;
    void UpdateMathHold();
    void PaintCurve(gfx::Canvas& canvas, int slot, const gfx::Pen& pen, int marker, bool layoutDirty);
    void DrawCurveReadouts(gfx::Canvas& canvas, int curve);
    void DrawTriggerMarker(gfx::Canvas& canvas);
    // ComputeCurveStats for a caller that already holds the display lock (or needs none); thdN,
    // when given, delivers the curve's THD+N ratio computed elsewhere.
    void ComputeCurveStatsLocked(int curve, std::future<double>* thdN = nullptr);
    // Runs `reduce` (the paint's reduction of the curve's data) and the curve's statistics, the
    // THD+N figure of a long curve beside the rest; the caller holds the display lock.
    void ReduceAndComputeStats(int curve, const std::function<void()>& reduce);
    CurveSource StatsSource(int curve) const;
    void ComputeIntermodulation(CCurveStatistics& stats, const CurveSource& source, int searchLimit) const;

    SpectrumFigureFunctions m_spectrumFigures{InterpolatePeakAt, ComputeThd, SumHarmonicPowers, ComputeThdN};
};

// Overlays of a measurement window: the curve numbering, values of curves at x, curve math into a
// slot, overlay text files, limit curves, the curve clipboard and the overlay commands.
#include "ViewFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/DspOperation.h"
#include "platform/Archive.h"
#include "view/CurveClipboard.h"
#include "view/ProdTestItems.h"

namespace
{

using viewtest::ViewFixture;
namespace fs = std::filesystem;

constexpr int kPoints = 64;

class SndViewOverlays : public ViewFixture
{
protected:
    SndViewOverlays()
    {
        m_dir = fs::temp_directory_path() / ("tessarin_overlays_" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    ~SndViewOverlays() override
    {
        std::error_code error;
        fs::remove_all(m_dir, error);
    }

    // A spectrum window with two live curves: channel 0 is 1 + i/8, channel 1 is 2 + sin(i).
    CSndView& MakeSpectrumView()
    {
        m_engine.m_nAnalysisChannels = 2;
        CSndView& view = MakeView();
        m_engine.m_nDisplayLength = kPoints;
        m_engine.m_spectrumDisplay.assign(2 * kPoints, 0.0f);
        for (int i = 0; i < kPoints; ++i)
        {
            m_engine.m_spectrumDisplay[i] = 1.0f + i / 8.0f;
            m_engine.m_spectrumDisplay[kPoints + i] = 2.0f + static_cast<float>(std::sin(i));
        }
        view.RestartDisplay();
        view.SetupCurves();
        EXPECT_EQ(view.GetPlot().GetCurveCount(), 2);
        EXPECT_EQ(view.GetCurvePointCount(0), kPoints);
        return view;
    }

    std::string WriteFile(const std::string& name, const std::string& text)
    {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    COverlay_settings& Slot(int view, int slot)
    {
        return Settings(view).m_Overlays[static_cast<std::size_t>(slot)];
    }

    fs::path m_dir;
};

TEST_F(SndViewOverlays, ActiveSlotsFollowTheLiveCurvesInSlotOrder)
{
    CSndView& view = MakeSpectrumView();
    const float y[3] = {1.0f, 2.0f, 3.0f};
    const float x[3] = {10.0f, 20.0f, 30.0f};
    view.SetOverlayData(7, 3, x, y, true);
    view.SetOverlayData(3, 3, x, y, true);
    Slot(0, 3).m_strName = "three";
    Slot(0, 7).m_strName = "seven";

    EXPECT_EQ(view.GetActiveOverlayCount(), 2);
    EXPECT_EQ(view.GetCurveCount(), 4);
    EXPECT_EQ(view.GetOverlaySlotOfCurve(1), -1);
    EXPECT_EQ(view.GetOverlaySlotOfCurve(2), 3);
    EXPECT_EQ(view.GetOverlaySlotOfCurve(3), 7);
    EXPECT_EQ(view.GetOverlaySlotOfCurve(4), -1);
    EXPECT_EQ(view.FindCurveByData(3), 2);
    EXPECT_EQ(view.FindCurveByData(7), 3);
    EXPECT_EQ(view.FindCurveByData(5), -1);
    EXPECT_EQ(view.GetCurveName(2), "three");
    EXPECT_EQ(view.GetCurveName(3), "seven");
    EXPECT_EQ(view.GetCurveChannel(3), -1);
    EXPECT_EQ(view.GetCurveChannel(1), 1);
    EXPECT_EQ(view.GetCurveXData(3)[2], 30.0f);

    // Hiding slot 3 renumbers slot 7.
    view.OnToggleOverlay(3);
    EXPECT_EQ(view.GetCurveCount(), 3);
    EXPECT_EQ(view.GetOverlaySlotOfCurve(2), 7);
    // A selected curve out of range reads as curve 0.
    view.GetPlot().m_nActiveCurve = 9;
    EXPECT_EQ(view.GetSelectedCurve(), 0);
    view.GetPlot().m_nActiveCurve = 2;
    EXPECT_EQ(view.GetSelectedCurve(), 2);
}

// The weighting curves of curve math against the closed forms of IEC 61672 (A) and C.
TEST_F(SndViewOverlays, WeightingCurvesMatchTheirClosedForms)
{
    CSndView& view = MakeSpectrumView();
    const auto a = [](double f)
    {
        const double f2 = f * f;
        const double r = 12194.0 * 12194.0 * f2 * f2 /
                         ((f2 + 20.6 * 20.6) * std::sqrt((f2 + 107.7 * 107.7) * (f2 + 737.9 * 737.9)) *
                          (f2 + 12194.0 * 12194.0));
        return std::pow(r, 2.0) * std::pow(10.0, 2.0 / 10.0);
    };
    const auto c = [](double f)
    {
        const double f2 = f * f;
        const double r = 12194.0 * 12194.0 * f2 / ((f2 + 20.6 * 20.6) * (f2 + 12194.0 * 12194.0));
        return std::pow(r, 2.0) * std::pow(10.0, 0.062 / 10.0);
    };
    for (double f : {31.5, 100.0, 1000.0, 4000.0, 16000.0})
    {
        EXPECT_NEAR(10.0 * std::log10(view.GetCurveValueAt(CSndView::kCurveAWeighting, f)),
                    10.0 * std::log10(a(f)), 0.02)
            << f;
        EXPECT_NEAR(10.0 * std::log10(view.GetCurveValueAt(CSndView::kCurveCWeighting, f)),
                    10.0 * std::log10(c(f)), 0.02)
            << f;
    }
    EXPECT_EQ(view.GetCurveValueAt(1026, 1000.0), 0.0);
    EXPECT_EQ(view.GetCurveValueAt(-1, 1000.0), 0.0);
    EXPECT_EQ(view.GetCurveValueAt(9, 1000.0), 0.0);
}

TEST_F(SndViewOverlays, CurveValuesInterpolateAndHoldTheirEnds)
{
    CSndView& view = MakeSpectrumView();
    const double x0 = view.GetCurveXValue(0, 0);
    const double step = view.GetCurveXValue(0, 1) - x0;
    ASSERT_GT(step, 0.0);
    EXPECT_FLOAT_EQ(view.GetCurveValueAt(0, x0 - step), 1.0f);
    EXPECT_FLOAT_EQ(view.GetCurveValueAt(0, x0 + 2.5 * step), 1.0f + 2.5f / 8.0f);
    EXPECT_FLOAT_EQ(view.GetCurveValueAt(0, x0 + 1000.0 * step), 1.0f + (kPoints - 1) / 8.0f);

    // An overlay with one point is that point everywhere; with x values it interpolates in x.
    const float one = 0.25f;
    const float xOne = 100.0f;
    view.SetOverlayData(0, 1, &xOne, &one, true);
    EXPECT_EQ(view.GetCurveValueAt(2, 5.0), 0.25);
    EXPECT_EQ(view.GetCurveValueAt(2, 5000.0), 0.25);
    const float xs[2] = {100.0f, 200.0f};
    const float ys[2] = {1.0f, 3.0f};
    view.SetOverlayData(0, 2, xs, ys, true);
    EXPECT_FLOAT_EQ(view.GetCurveValueAt(2, 150.0), 2.0f);
    view.SetOverlayData(0, 0, nullptr, nullptr, true);
    EXPECT_EQ(view.GetCurveValueAt(2, 150.0), 0.0);
}

TEST_F(SndViewOverlays, EveryOperationCombinesTheTwoCurvesPointByPoint)
{
    CSndView& view = MakeSpectrumView();
    for (int op = 0; op < kDspOperationCount; ++op)
    {
        // A fresh slot for each operation: an overwrite without the question.
        const int slot = op % 10;
        Slot(0, slot).m_Curve = Ccurve_data();
        Slot(0, slot).m_bShown = 0;
        ASSERT_TRUE(view.SetAsOverlay(slot, 0, 1, op, false, 0.0)) << op;
        const Ccurve_data& data = Slot(0, slot).m_Curve;
        ASSERT_EQ(data.m_nCount, kPoints);
        for (int i = 0; i < kPoints; ++i)
        {
            const double a = m_engine.m_spectrumDisplay[i];
            const double b = m_engine.m_spectrumDisplay[kPoints + i];
            EXPECT_FLOAT_EQ(data.m_pY[i], static_cast<float>(ApplyDspOperationScalar(op, a, b)))
                << GetDspOperationName(op) << " at " << i;
            EXPECT_FLOAT_EQ(data.m_pX[i], static_cast<float>(view.GetCurveXValue(0, i)));
        }
        EXPECT_EQ(Slot(0, slot).m_bShown, 1);
    }
}

TEST_F(SndViewOverlays, AveragingTheSameCurveKeepsItsValuesAndCountsTheCaptures)
{
    CSndView& view = MakeSpectrumView();
    ASSERT_TRUE(view.SetAsOverlay(0, 0, 0, kDspNone, false, 0.0));
    const std::vector<float> first = Slot(0, 0).m_Curve.m_pY;
    Window(0).m_nOverlayExistsAnswer = kOverlayAverage;
    ASSERT_TRUE(view.SetAsOverlay(0, 0, 0, kDspNone, false, 0.0));
    ASSERT_TRUE(view.SetAsOverlay(0, 0, 0, kDspNone, false, 0.0));
    EXPECT_EQ(Window(0).m_askedSlots, (std::vector<int>{0, 0}));
    EXPECT_EQ(Slot(0, 0).m_nAverages, 3);
    ASSERT_EQ(Slot(0, 0).m_Curve.m_pY.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_FLOAT_EQ(Slot(0, 0).m_Curve.m_pY[i], first[i]);

    // Cancel changes nothing; add doubles; subtract of the curve itself gives zero.
    Window(0).m_nOverlayExistsAnswer = kOverlayCancel;
    EXPECT_FALSE(view.SetAsOverlay(0, 1, 1, kDspNone, false, 0.0));
    EXPECT_FLOAT_EQ(Slot(0, 0).m_Curve.m_pY[5], first[5]);
    Window(0).m_nOverlayExistsAnswer = kOverlayAdd;
    ASSERT_TRUE(view.SetAsOverlay(0, 0, 0, kDspNone, false, 0.0));
    EXPECT_FLOAT_EQ(Slot(0, 0).m_Curve.m_pY[5], 2.0f * first[5]);
    EXPECT_EQ(Slot(0, 0).m_nAverages, 1);
}

// Combining runs over the slot's own points at its own x: a shorter slot keeps its length and x.
TEST_F(SndViewOverlays, CombiningKeepsTheSlotsOwnPoints)
{
    CSndView& view = MakeSpectrumView();
    const double step = view.GetCurveXValue(0, 1) - view.GetCurveXValue(0, 0);
    const float xs[3] = {static_cast<float>(view.GetCurveXValue(0, 4)),
                         static_cast<float>(view.GetCurveXValue(0, 8)),
                         static_cast<float>(view.GetCurveXValue(0, 8) + 0.5 * step)};
    const float ys[3] = {10.0f, 20.0f, 30.0f};
    view.SetOverlayData(2, 3, xs, ys, true);
    Window(0).m_nOverlayExistsAnswer = kOverlaySubtract;
    ASSERT_TRUE(view.SetAsOverlay(2, 0, 0, kDspNone, false, 0.0));
    const Ccurve_data& data = Slot(0, 2).m_Curve;
    ASSERT_EQ(data.m_nCount, 3);
    EXPECT_FLOAT_EQ(data.m_pX[2], xs[2]);
    EXPECT_FLOAT_EQ(data.m_pY[0], 10.0f - (1.0f + 4 / 8.0f));
    EXPECT_FLOAT_EQ(data.m_pY[2], 30.0f - (1.0f + 8.5f / 8.0f));
}

TEST_F(SndViewOverlays, OutsideSlotsCountsAndCurvesAreRefused)
{
    CSndView& view = MakeSpectrumView();
    const float y[2] = {1.0f, 2.0f};
    for (int slot : {-1, 10, 1000})
    {
        EXPECT_FALSE(view.SetAsOverlay(slot, 0, 1, kDspAdd, false, 0.0));
        view.SetOverlayData(slot, 2, nullptr, y, true);
        EXPECT_EQ(view.LoadOverlayText("/nonexistent", slot, 2, 0), -1);
    }
    view.SetOverlayData(0, -5, nullptr, y, true);
    EXPECT_FALSE(view.SetAsOverlay(0, 7, 1, kDspAdd, false, 0.0));
    EXPECT_FALSE(view.SetAsOverlay(0, 0, 7, kDspAdd, false, 0.0));
    EXPECT_TRUE(view.SetAsOverlay(0, 0, 7, kDspAdd, true, 1.0));
    EXPECT_EQ(view.GetActiveOverlayCount(), 1);
    OverlayDataBlock block;
    block.m_nSlot = 12;
    block.m_nCount = 2;
    block.m_pY = y;
    EXPECT_EQ(view.OnAddOverlayData(block), 0);
    EXPECT_EQ(view.GetActiveOverlayCount(), 1);
}

TEST_F(SndViewOverlays, HandedOverBlocksBuildTheirXAndTakeTheirName)
{
    CSndView& view = MakeSpectrumView();
    const float y[3] = {1.0f, 2.0f, 4.0f};
    OverlayDataBlock block;
    block.m_nSlot = 4;
    block.m_nCount = 3;
    block.m_pY = y;
    block.m_dX0 = 100.0;
    block.m_dDeltaX = 50.0;
    block.m_strName = "handed";
    block.m_dPlotValue2 = 10.0;
    view.OnAddOverlayData(block);
    const COverlay_settings& slot = Slot(0, 4);
    EXPECT_EQ(slot.m_bShown, 1);
    EXPECT_EQ(slot.m_strName, "handed");
    EXPECT_EQ(slot.m_Curve.m_pX, (std::vector<float>{100.0f, 150.0f, 200.0f}));
    EXPECT_EQ(slot.m_dPlotValue2, 10.0);
    EXPECT_EQ(view.GetCurveName(2), "handed");
}

TEST_F(SndViewOverlays, TextFilesAreCheckedBeforeTheSlotChanges)
{
    CSndView& view = MakeSpectrumView();
    const std::string zero = WriteFile("zero.txt", "# x y\n0 0\n100 -6\nheading\n1000 20\n");
    EXPECT_EQ(view.LoadOverlayText(zero, 1, 0, 0), 3);
    const Ccurve_data& data = Slot(0, 1).m_Curve;
    EXPECT_FLOAT_EQ(data.m_pX[0], 1e-9f);
    EXPECT_FLOAT_EQ(data.m_pY[0], 1.0f);
    EXPECT_NEAR(data.m_pY[1], std::pow(10.0, -6.0 / 20.0), 1e-6);
    EXPECT_NEAR(data.m_pY[2], 10.0, 1e-5);
    EXPECT_EQ(Slot(0, 1).m_dPlotValue2, 20.0);

    // With resampling a zero frequency fails; falling x fails; both leave the slot alone.
    EXPECT_EQ(view.LoadOverlayText(zero, 1, 2, 3), -1);
    EXPECT_EQ(m_frame.CountMessages("Frequency must not be negative or zero"), 1);
    const std::string falling = WriteFile("falling.txt", "100 1\n200 2\n150 3\n");
    EXPECT_EQ(view.LoadOverlayText(falling, 1, 2, 0), -1);
    EXPECT_EQ(m_frame.CountMessages("Frequency must be monotonic"), 1);
    EXPECT_EQ(view.LoadOverlayText(WriteFile("empty.txt", "nothing here\n"), 1, 2, 0), -1);
    EXPECT_EQ(view.LoadOverlayText((m_dir / "missing.txt").string(), 1, 2, 0), -1);
    EXPECT_EQ(Slot(0, 1).m_Curve.m_nCount, 3);
    EXPECT_FLOAT_EQ(Slot(0, 1).m_Curve.m_pY[0], 1.0f);

    // Linear per cent and linear.
    const std::string linear = WriteFile("linear.txt", "10 50\n20 200\n");
    EXPECT_EQ(view.LoadOverlayText(linear, 2, 1, 0), 2);
    EXPECT_FLOAT_EQ(Slot(0, 2).m_Curve.m_pY[1], 2.0f);
    EXPECT_EQ(view.LoadOverlayText(linear, 2, 2, 0), 2);
    EXPECT_FLOAT_EQ(Slot(0, 2).m_Curve.m_pY[1], 200.0f);
}

TEST_F(SndViewOverlays, ShortLimitFilesBecomeFiveHundredTwelveLogarithmicPoints)
{
    CSndView& view = MakeSpectrumView();
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += std::to_string(20.0 * std::pow(1000.0, i / 99.0)) + " " + std::to_string(i % 7) + "\n";
    const std::string path = WriteFile("limit.txt", text);
    EXPECT_EQ(view.LoadOverlayText(path, 0, 2, 3), CSndView::kLimitResamplePoints);
    const Ccurve_data& data = Slot(0, 0).m_Curve;
    ASSERT_EQ(data.m_nCount, 512);
    const double first = 20.0;
    const double last = 20.0 * std::pow(1000.0, 1.0);
    const double q = std::pow(last / first, 1.0 / 512.0);
    EXPECT_NEAR(data.m_pX[0], first, 1e-3);
    EXPECT_NEAR(data.m_pX[511], last / q, last * 1e-4);
    EXPECT_LT(data.m_pX[511], last);
    for (int k = 1; k < 512; ++k)
        ASSERT_GT(data.m_pX[k], data.m_pX[k - 1]);
}

TEST_F(SndViewOverlays, SavingInDecibelsUsesTheSlotsFactor)
{
    CSndView& view = MakeSpectrumView();
    const float x[2] = {100.0f, 200.0f};
    const float y[2] = {10.0f, 100.0f};
    const std::string path = (m_dir / "saved.txt").string();
    struct Case
    {
        double factor;
        const char* text;
    };
    for (const Case& c : {Case{20.0, "1.000000e+02 \t2.000000e+01\n2.000000e+02 \t4.000000e+01\n"},
                          Case{10.0, "1.000000e+02 \t1.000000e+01\n2.000000e+02 \t2.000000e+01\n"}})
    {
        const double values[3] = {1.0, c.factor, 0.0};
        view.SetOverlayData(5, 2, x, y, true, values);
        ASSERT_TRUE(view.SaveOverlayText(path, 5, 0));
        EXPECT_EQ(ReadFile(path), c.text);
    }
    ASSERT_TRUE(view.SaveOverlayText(path, 5, 1));
    EXPECT_EQ(ReadFile(path), "1.000000e+02 \t1.000000e+03\n2.000000e+02 \t1.000000e+04\n");
    // A saved file reads back to the same curve (the reader takes amplitude decibels).
    const double amplitude[3] = {1.0, 20.0, 0.0};
    view.SetOverlayData(5, 2, x, y, true, amplitude);
    ASSERT_TRUE(view.SaveOverlayText(path, 5, 0));
    EXPECT_EQ(view.LoadOverlayText(path, 6, 0, 0), 2);
    EXPECT_NEAR(Slot(0, 6).m_Curve.m_pY[1], 100.0f, 1e-3);

    EXPECT_FALSE(view.SaveOverlayText(path, 8, 0));
    EXPECT_EQ(m_frame.CountMessages("overlay contains no data"), 1);
}

TEST_F(SndViewOverlays, CopyAndPasteFillTheFirstEmptySlotOnly)
{
    CSndView& view = MakeSpectrumView();
    view.GetPlot().m_nActiveCurve = 1;
    view.OnCopyCurve();
    ASSERT_EQ(GetCurveClipboard().m_curve.m_nCount, kPoints);
    const float y[1] = {5.0f};
    view.SetOverlayData(0, 1, nullptr, y, true);
    view.OnPasteCurve();
    EXPECT_EQ(Slot(0, 1).m_Curve.m_nCount, kPoints);
    EXPECT_FLOAT_EQ(Slot(0, 1).m_Curve.m_pY[3], m_engine.m_spectrumDisplay[kPoints + 3]);
    EXPECT_EQ(Slot(0, 1).m_bShown, 1);

    for (int slot = 2; slot < 10; ++slot)
        view.SetOverlayData(slot, 1, nullptr, y, true);
    std::vector<Ccurve_data> before;
    for (int slot = 0; slot < 10; ++slot)
        before.push_back(Slot(0, slot).m_Curve);
    view.OnPasteCurve();
    for (int slot = 0; slot < 10; ++slot)
        EXPECT_EQ(Slot(0, slot).m_Curve.m_pY, before[static_cast<std::size_t>(slot)].m_pY) << slot;
}

TEST_F(SndViewOverlays, LimitCurvesFollowTheSweepResultType)
{
    CSndView& view = MakeSpectrumView();
    CProdTestItems& items = GetProdTestItems();
    const std::string saved = items.m_strLimitFolder;
    items.m_strLimitFolder = m_dir.string();
    for (int code : {1, 2, 4, 5})
        WriteFile(CProdTestItems::GetLimitFileName(code),
                  "100 " + std::to_string(code) + "\n1000 " + std::to_string(code) + "\n");
    struct Case
    {
        int type;
        const char* first;
        const char* second;  // null: slot 1 stays inactive
    };
    const Case cases[] = {
        {1, "lim:Freq. resp. low", "lim:Freq. resp. high"},
        {5, "lim:Freq. resp. low", "lim:Freq. resp. high"},
        {16, "lim:Freq. resp. low", "lim:Freq. resp. high"},
        {17, "lim:Freq. resp. low", "lim:Freq. resp. high"},
        {2, "lim:THDN", nullptr},
        {3, "lim:THD", nullptr},
    };
    for (const Case& c : cases)
    {
        view.ClearAllOverlays();
        view.LoadLimitCurvesForResult(c.type);
        EXPECT_EQ(Slot(0, 0).m_strName, c.first) << c.type;
        EXPECT_EQ(Slot(0, 0).m_bShown, 1) << c.type;
        EXPECT_EQ(Slot(0, 0).m_Curve.m_nCount, 512) << c.type;
        EXPECT_EQ(Slot(0, 0).m_CurveStyle.m_nWidth, 2);
        if (c.second)
            EXPECT_EQ(Slot(0, 1).m_strName, c.second) << c.type;
        else
            EXPECT_EQ(Slot(0, 1).m_bShown, 0) << c.type;
    }
    // THD limits are per cent: 2 % is 0.02.
    view.LoadLimitCurvesForResult(2);
    EXPECT_NEAR(Slot(0, 0).m_Curve.m_pY[0], 0.02, 1e-6);
    view.ClearAllOverlays();
    view.LoadLimitCurvesForResult(4);
    EXPECT_EQ(view.GetActiveOverlayCount(), 0);

    // A missing limit file is reported with its path.
    fs::remove(m_dir / "frequency_response_upper.lim");
    view.OnAutoLoadLimits();
    EXPECT_EQ(m_frame.CountMessages("Failed to load " + items.GetLimitFilePath(5)), 1);
    EXPECT_EQ(Slot(0, 0).m_bShown, 1);
    EXPECT_EQ(Slot(0, 1).m_bShown, 0);
    items.m_strLimitFolder = saved;
}

TEST_F(SndViewOverlays, SnapshotButtonsStoreTheLiveCurveAndHideIt)
{
    CSndView& view = MakeSpectrumView();
    const int o1 = view_command::kFirstOverlaySnapshot;
    EXPECT_FALSE(view.IsCommandChecked(o1));
    ASSERT_TRUE(view.OnCommand(o1));
    EXPECT_TRUE(view.IsCommandChecked(o1));
    EXPECT_TRUE(view.IsCommandChecked(view_command::kFirstOverlayToggle));
    EXPECT_FLOAT_EQ(Slot(0, 0).m_Curve.m_pY[8], 2.0f);
    ASSERT_TRUE(view.OnCommand(o1));
    EXPECT_FALSE(view.IsCommandChecked(o1));
    EXPECT_EQ(Slot(0, 0).m_Curve.m_nCount, kPoints);
    // Channel buttons toggle the channel's curve.
    EXPECT_TRUE(view.IsCommandChecked(view_command::kChannel2));
    view.OnCommand(view_command::kChannel2);
    EXPECT_FALSE(view.IsCommandChecked(view_command::kChannel2));
}

TEST_F(SndViewOverlays, SetAsOverlayOffersTheCurvesAndTheWeightings)
{
    CSndView& view = MakeSpectrumView();
    ASSERT_TRUE(view.IsFrequencyAxis());
    Window(0).m_selectAnswer.m_nOverlay = 3;
    Window(0).m_selectAnswer.m_nCurve = 0;
    Window(0).m_selectAnswer.m_nSecondCurve = 2;  // "A-weight"
    Window(0).m_selectAnswer.m_nOperation = kDspSub;
    view.OnCommand(view_command::kSetAsOverlay);
    const SelectOverlayValues& offered = Window(0).m_selectOffered;
    EXPECT_EQ(offered.m_curves.size(), 2u);
    EXPECT_EQ(offered.m_secondCurves.back(), "C-weight");
    EXPECT_EQ(offered.m_operations.size(), 17u);
    EXPECT_EQ(offered.m_operations[16], "OFFSET");
    const Ccurve_data& data = Slot(0, 2).m_Curve;
    ASSERT_EQ(data.m_nCount, kPoints);
    EXPECT_FLOAT_EQ(data.m_pY[10],
                    static_cast<float>(m_engine.m_spectrumDisplay[10] -
                                       view.GetCurveValueAt(CSndView::kCurveAWeighting, data.m_pX[10])));
}

TEST_F(SndViewOverlays, OverlaysSurviveAWorkspaceSaveAndLoad)
{
    CSndView& view = MakeSpectrumView();
    const float x[3] = {10.0f, 20.0f, 40.0f};
    const float y[3] = {0.5f, 1.5f, 2.5f};
    const double values[3] = {1.0, 10.0, 3.0};
    view.SetOverlayData(6, 3, x, y, true, values);
    Slot(0, 6).m_strName = "kept";
    CArchive out;
    Settings(0).Serialize(out);
    CArchive in(out.Buffer());
    CViewSettings loaded;
    loaded.Serialize(in);
    const COverlay_settings& slot = loaded.m_Overlays[6];
    EXPECT_EQ(slot.m_bShown, 1);
    EXPECT_EQ(slot.m_strName, "kept");
    EXPECT_EQ(slot.m_Curve.m_pX, (std::vector<float>{10.0f, 20.0f, 40.0f}));
    EXPECT_EQ(slot.m_Curve.m_pY, (std::vector<float>{0.5f, 1.5f, 2.5f}));
    EXPECT_EQ(slot.m_dPlotValue2, 10.0);
    EXPECT_EQ(slot.m_dPlotValue3, 3.0);
}

TEST_F(SndViewOverlays, OverlaysAreDrawnThroughThePlotHooks)
{
    CSndView& view = MakeSpectrumView();
    m_engine.m_bProcessingEnabled.store(1);
    const auto paint = [&]
    {
        gfx::RecordingCanvas canvas(640, 400);
        view.GetPlot().ForceRedraw();
        view.OnDraw(canvas, PlotRect{0, 0, 640, 400});
        // Polylines of the curves, in every image the plot painted.
        std::size_t lines = static_cast<std::size_t>(canvas.Count(gfx::RecordingCanvas::Kind::Polyline));
        for (const auto& image : canvas.Images())
            lines += static_cast<std::size_t>(image->Count(gfx::RecordingCanvas::Kind::Polyline));
        return lines;
    };
    const std::size_t bare = paint();
    view.OnCommand(view_command::kFirstOverlaySnapshot);
    const std::size_t withOverlay = paint();
    EXPECT_GT(withOverlay, bare);
    // A hidden slot is not drawn; a slot of the other axis kind is not drawn.
    view.OnCommand(view_command::kFirstOverlayToggle);
    EXPECT_EQ(paint(), bare);
    view.OnCommand(view_command::kFirstOverlayToggle);
    Slot(0, 0).m_nAxisKind = 0;
    EXPECT_EQ(paint(), bare);
}

}  // namespace

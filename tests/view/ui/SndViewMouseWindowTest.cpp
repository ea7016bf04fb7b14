// The plot of a live measurement window driven by mouse and key events sent to the window: a zoom
// drag through the toolkit's input simulator, a marker and a label from the right-click menu, the
// label edited by a double click, the legend shown and dragged and a measure rectangle. The
// pictures are saved for a look.
#include "tests/support/WxEnvironment.h"
#include "tests/view/ui/LiveView.h"
#include "view/ui/SndViewWindow.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace
{

const bool g_fontsPinned = [] { return setenv("FONTCONFIG_FILE", TESSARIN_FONTCONFIG_FILE, 1) == 0; }();

namespace cmd = view_command;

class SndViewMouseWindowTest : public ::testing::Test, public viewtest::LiveViewParts
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        ASSERT_TRUE(OpenLiveView(4096, 3));
        View().OnCommand(cmd::kStart);
        ASSERT_TRUE(WaitForRefreshes(3));
    }
    void TearDown() override
    {
        CSndViewWindow::s_fnPopupAnswer = nullptr;
        CSndViewWindow::s_fnLabelAnswer = nullptr;
        CloseLiveView();
    }

    static void Pump(int milliseconds)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end)
        {
            wxTheApp->Yield(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // A mouse event of the type at the client point, handled by the window as if it came from the
    // toolkit.
    void Send(wxEventType type, int x, int y, bool leftDown = false, bool shift = false)
    {
        wxMouseEvent event(type);
        event.SetPosition(wxPoint(x, y));
        event.m_leftDown = leftDown;
        event.SetShiftDown(shift);
        event.SetEventObject(m_window);
        m_window->GetEventHandler()->ProcessEvent(event);
    }

    // What the window shows on the screen now (the plot's picture and whatever its paint adds).
    wxImage ScreenPicture(const std::string& name)
    {
        m_window->Refresh(false);
        m_window->Update();
        Pump(50);
        const wxSize size = m_window->GetClientSize();
        wxBitmap bitmap(size);
        {
            wxMemoryDC memory(bitmap);
            wxClientDC client(m_window);
            memory.Blit(0, 0, size.x, size.y, &client, 0, 0);
        }
        wxImage image = bitmap.ConvertToImage();
        const std::filesystem::path folder = TESSARIN_TEST_OUTPUT_DIR;
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(
            image.SaveFile((folder / ("plot-interaction-" + name + ".png")).string(), wxBITMAP_TYPE_PNG));
        return image;
    }

    const CAxisProp& Axes() { return View().GetSettings()->m_Axes; }
};

TEST_F(SndViewMouseWindowTest, ZoomMarkersLabelsLegendAndMeasureRectangleByMouse)
{
    CPlot& plot = View().GetPlot();
    const double xMin = Axes().m_dXMin;
    const double xMax = Axes().m_dXMax;

    // A zoom drag through the input simulator (the X server's test extension).
    m_frame->Raise();
    Pump(200);
    wxUIActionSimulator simulator;
    const wxPoint start = m_window->ClientToScreen(wxPoint(plot.m_nPlotLeft + 150, plot.m_nPlotTop + 60));
    const wxPoint end = m_window->ClientToScreen(wxPoint(plot.m_nPlotLeft + 450, plot.m_nPlotTop + 250));
    simulator.MouseMove(start);
    Pump(100);
    simulator.MouseDown();
    Pump(100);
    for (int step = 1; step <= 10; ++step)
    {
        simulator.MouseMove(start + (end - start) * step / 10);
        Pump(20);
    }
    // A busy X server delivers the moves late: wait for the last one, and let the button go before
    // giving up, so that the window does not go while it holds the mouse.
    PlotRect band;
    const auto bandDrawn = [&] { return View().GetRubberBand(band) && band.right - band.left > 250; };
    for (int waited = 0; waited < 5000 && !bandDrawn(); waited += 20)
        Pump(20);
    if (!bandDrawn())
    {
        simulator.MouseUp();
        Pump(300);
    }
    ASSERT_TRUE(View().GetRubberBand(band)) << "the drag did not reach the window";
    EXPECT_GT(band.right - band.left, 250);
    ScreenPicture("rubber-band");
    simulator.MouseUp();
    Pump(300);
    EXPECT_FALSE(View().GetRubberBand(band));
    EXPECT_GT(Axes().m_dXMin, xMin);
    EXPECT_LT(Axes().m_dXMax, xMax);
    ASSERT_TRUE(WaitForRefreshes(2));
    ScreenPicture("zoomed");

    // A marker from the right-click menu at the middle of the plot.
    const int midX = (plot.m_nPlotLeft + plot.m_nPlotRight) / 2;
    const int midY = (plot.m_nPlotTop + plot.m_nPlotBottom) / 2;
    CSndViewWindow::s_fnPopupAnswer = [](const std::vector<PopupMenuItem>&) { return cmd::kSetMarker; };
    Send(wxEVT_RIGHT_DOWN, midX, midY);
    EXPECT_EQ(m_engine.m_nMarkerCount, 1);
    EXPECT_EQ(m_engine.m_bMarkers, 1);
    float markerX = 0.0f;
    float markerY = 0.0f;
    plot.PixelToValue(PlotPoint{midX, midY}, &markerX, &markerY);
    EXPECT_NEAR(m_engine.m_adMarkers[0], markerX, 1e-3);

    // A label, then edited by a double click (the dialog answered here).
    CSndViewWindow::s_fnPopupAnswer = [](const std::vector<PopupMenuItem>&) { return cmd::kAddLabel; };
    Send(wxEVT_RIGHT_DOWN, plot.m_nPlotLeft + 60, plot.m_nPlotTop + 60);
    CAnnotationList& labels = View().GetSettings()->m_Annotations;
    ASSERT_EQ(labels.GetCount(), 1u);
    ASSERT_TRUE(WaitForRefreshes(2));
    const wxImage withLabel = ScreenPicture("label-added");
    auto* label = static_cast<CTextAnnotation*>(labels.GetMembers().front().get());
    const PlotRect bounds = label->m_Bounds;
    ASSERT_GT(bounds.right, bounds.left);
    // The label's text is on the screen: dark pixels in its box, where the plot's background was.
    ASSERT_TRUE(withLabel.IsOk());
    int dark = 0;
    for (int y = std::max(0, bounds.top); y < std::min(bounds.bottom, withLabel.GetHeight()); ++y)
        for (int x = std::max(0, bounds.left); x < std::min(bounds.right, withLabel.GetWidth()); ++x)
            dark +=
                withLabel.GetRed(x, y) < 90 && withLabel.GetGreen(x, y) < 90 && withLabel.GetBlue(x, y) < 90;
    EXPECT_GT(dark, (bounds.right - bounds.left) * 2) << "the label is not drawn";
    std::string offered;
    CSndViewWindow::s_fnLabelAnswer = [&offered](CAnnotationList::LabelEdit& edit)
    {
        offered = edit.text;
        edit.text = "measured here";
        edit.size = 18;
        return true;
    };
    Send(wxEVT_LEFT_DCLICK, bounds.left + 3, (bounds.top + bounds.bottom) / 2);
    EXPECT_EQ(offered, "label<double click to edit>");
    EXPECT_EQ(label->m_strText, "measured here");

    // The legend, shown and dragged to the left and down.
    View().OnCommand(cmd::kLegend);
    ASSERT_TRUE(WaitForRefreshes(2));
    const gfx::Rect box = plot.m_legend.m_rcBox;
    ASSERT_GT(box.right, box.left);
    Send(wxEVT_MOTION, box.left + 4, box.top + 4);
    Send(wxEVT_LEFT_DOWN, box.left + 4, box.top + 4, true);
    Send(wxEVT_MOTION, box.left - 196, box.top + 84, true);
    Send(wxEVT_LEFT_UP, box.left - 196, box.top + 84);
    EXPECT_EQ(plot.m_legend.m_nOffsetX, -200);
    EXPECT_EQ(plot.m_legend.m_nOffsetY, 80);

    // A measure rectangle placed by a double click and widened by its second corner.
    const int rectX = plot.m_nPlotLeft + 300;
    const int rectY = plot.m_nPlotTop + 150;
    Send(wxEVT_LEFT_DCLICK, rectX, rectY);
    ASSERT_EQ(plot.m_measureRect.m_bVisible, 1);
    Send(wxEVT_MOTION, rectX + 80, rectY + 80);
    Send(wxEVT_LEFT_DOWN, rectX + 80, rectY + 80, true);
    Send(wxEVT_MOTION, rectX + 160, rectY + 100, true);
    Send(wxEVT_LEFT_UP, rectX + 160, rectY + 100);
    EXPECT_EQ(plot.m_measureRect.m_nRight - plot.m_measureRect.m_nLeft, 160);
    EXPECT_FALSE(plot.m_measureRect.m_strBelow.empty());
    ASSERT_TRUE(WaitForRefreshes(2));
    const wxImage last = ScreenPicture("markers-label-legend-measure");
    EXPECT_TRUE(last.IsOk());
    EXPECT_TRUE(m_frameServices.messages.empty());
}

}  // namespace

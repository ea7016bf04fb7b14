// The plot dialog, the plot image export and the curve and text label dialogs under the window
// toolkit.
#include "common/controls/ColorComboBox.h"
#include "common/controls/ItemComboBox.h"
#include "display/ui/CurveDialogs.h"
#include "display/ui/DispPropPages.h"
#include "display/ui/LineStylesDlg.h"
#include "display/ui/MsBarChart.h"
#include "display/ui/PlotDlg.h"
#include "display/ui/PlotImageExport.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/RecordingCanvas.h"
#include "platform/image/Image.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/display/ScopedLanguage.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/WxEnvironment.h"

namespace
{

class PlotDialogsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        m_frame = new wxFrame(nullptr, wxID_ANY, "owner");
        m_responder = std::make_unique<platform::ui::ScopedMessageBoxResponder>(
            [this](const platform::ui::MessageBoxRequest& request)
            {
                m_messages.push_back(request.text);
                return wxID_OK;
            });
    }
    void TearDown() override
    {
        CPlotDlg::s_fnZoomAnswer = nullptr;
        m_responder.reset();
        if (m_frame != nullptr)
            m_frame->Destroy();
    }

    displaytest::ScopedLanguage m_english{LANGUAGE_ENGLISH};
    wxFrame* m_frame = nullptr;
    std::vector<std::string> m_messages;
    std::unique_ptr<platform::ui::ScopedMessageBoxResponder> m_responder;
};

TEST_F(PlotDialogsTest, NegativeXMinOnALogAxisShowsBothMessagesAndReopens)
{
    auto* dialog = new CPlotDlg(m_frame);
    dialog->GetPlot().m_viewRange.m_bXLog = 1;
    dialog->GetPlot().m_viewRange.m_dXMin = 20.0;
    dialog->GetPlot().m_viewRange.m_dXMax = 20000.0;
    int shown = 0;
    CPlotDlg::s_fnZoomAnswer = [&shown](CDispProp_zoom& page)
    {
        ++shown;
        if (shown == 1)
        {
            EXPECT_TRUE(page.m_bXLog);
            EXPECT_EQ(page.m_dXMin, 20.0);
            page.m_dXMin = -1.0;
            return true;
        }
        // Reopened with what was entered.
        EXPECT_EQ(page.m_dXMin, -1.0);
        page.m_dXMin = 50.0;
        page.m_dXMax = 5000.0;
        return true;
    };
    dialog->OnZoom();
    EXPECT_EQ(shown, 2);
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(m_messages[0], "x min must not be negative");
    EXPECT_EQ(m_messages[1], "negative x axis range can't be logarithmic");
    EXPECT_EQ(dialog->GetPlot().m_viewRange.m_dXMin, 50.0);
    EXPECT_EQ(dialog->GetPlot().m_viewRange.m_dXMax, 5000.0);
    // Cancel changes nothing.
    CPlotDlg::s_fnZoomAnswer = [](CDispProp_zoom& page)
    {
        page.m_dXMax = 7.0;
        return false;
    };
    dialog->OnZoom();
    EXPECT_EQ(dialog->GetPlot().m_viewRange.m_dXMax, 5000.0);
    dialog->Destroy();
}

TEST_F(PlotDialogsTest, ZoomButtonStaysBottomRightAfterAResize)
{
    auto* dialog = new CPlotDlg(m_frame);
    dialog->Show();
    for (const wxSize size : {wxSize(500, 400), wxSize(900, 700)})
    {
        dialog->SetClientSize(size);
        wxSizeEvent event(dialog->GetSize(), dialog->GetId());
        event.SetEventObject(dialog);
        dialog->GetEventHandler()->ProcessEvent(event);
        const wxRect button = dialog->GetZoomButton()->GetRect();
        const wxSize client = dialog->GetClientSize();
        EXPECT_NEAR(button.GetRight() + 1, client.x, 12) << size.x;
        EXPECT_NEAR(button.GetBottom() + 1, client.y, 12) << size.y;
        EXPECT_GT(button.GetLeft(), client.x / 2);
    }
    EXPECT_EQ(dialog->FindWindow(CPlotDlg::kIdPreview)->IsShown(), false);
    EXPECT_EQ(dialog->FindWindow(CPlotDlg::kIdRefresh)->IsShown(), false);
    dialog->Destroy();
}

TEST_F(PlotDialogsTest, ExportWrites800By600WithTheGreyBackgroundAndFitsTheRange)
{
    const std::filesystem::path folder = std::filesystem::path(TESSARIN_TEST_OUTPUT_DIR);
    std::filesystem::create_directories(folder);
    std::vector<float> data(100);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = 0.1f + 0.01f * static_cast<float>(i);
    CPlotImageExport exporter;
    exporter.m_plot.m_dBinWidth = 2.5;
    exporter.SetData(nullptr, data.data(), 100);
    exporter.FitXRange();
    EXPECT_EQ(exporter.m_plot.m_viewRange.m_dXMin, 0.0);
    EXPECT_EQ(exporter.m_plot.m_viewRange.m_dXMax, 250.0);
    exporter.SetDbScale();
    exporter.FitYRange();
    EXPECT_LT(exporter.m_plot.m_viewRange.m_dYMin, exporter.m_plot.m_viewRange.m_dYMax);
    exporter.m_strFileName = (folder / "plot-image-export.png").string();
    ASSERT_TRUE(exporter.Save());
    const wxImage image = platform::LoadImage(exporter.m_strFileName);
    ASSERT_TRUE(image.IsOk());
    EXPECT_EQ(image.GetWidth(), 800);
    EXPECT_EQ(image.GetHeight(), 600);
    const int x = exporter.m_plot.m_nPlotLeft + 3;
    const int y = exporter.m_plot.m_nPlotBottom - 3;
    EXPECT_EQ(image.GetRed(x, y), 0xD2);
    EXPECT_EQ(image.GetGreen(x, y), 0xD2);
    EXPECT_EQ(image.GetBlue(x, y), 0xD2);
    // With an x table: its first and last entry.
    std::vector<float> xs(100);
    for (std::size_t i = 0; i < xs.size(); ++i)
        xs[i] = 10.0f + static_cast<float>(i);
    exporter.SetData(xs.data(), data.data(), 100);
    exporter.FitXRange();
    EXPECT_EQ(exporter.m_plot.m_viewRange.m_dXMin, 10.0);
    EXPECT_EQ(exporter.m_plot.m_viewRange.m_dXMax, 109.0);
    // A file that cannot be written is reported.
    exporter.m_strFileName = (folder / "missing-folder" / "x" / "plot.png").string();
    EXPECT_FALSE(exporter.Save());
}

TEST_F(PlotDialogsTest, TextLabelDialogKeepsAnOutOfRangeSizeOpen)
{
    CTextLabelDlg dialog(m_frame);
    dialog.m_strText = "peak";
    dialog.m_nSize = 14;
    dialog.TransferDataToWindow();
    auto* size = static_cast<wxTextCtrl*>(dialog.FindWindow(CTextLabelDlg::kIdSize));
    auto* text = static_cast<wxTextCtrl*>(dialog.FindWindow(CTextLabelDlg::kIdText));
    ASSERT_NE(size, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(size->GetValue(), "14");
    for (const char* refused : {"0", "201", "", "12x", "-3"})
    {
        size->ChangeValue(refused);
        EXPECT_FALSE(dialog.TransferDataFromWindow()) << refused;
    }
    EXPECT_EQ(m_messages.size(), 5u);
    EXPECT_EQ(dialog.m_nSize, 14u);
    size->ChangeValue("200");
    text->ChangeValue("1 kHz");
    static_cast<wxCheckBox*>(dialog.FindWindow(CTextLabelDlg::kIdDelete))->SetValue(true);
    ASSERT_TRUE(dialog.TransferDataFromWindow());
    EXPECT_EQ(dialog.m_nSize, 200u);
    EXPECT_EQ(dialog.m_strText, "1 kHz");
    EXPECT_EQ(dialog.m_bDelete, 1);
}

TEST_F(PlotDialogsTest, CurveDialogCopiesTheLabelIntoTheStyle)
{
    CCurvePropertiesDlg dialog(m_frame);
    dialog.m_style.m_strLabel = "Ch#1";
    dialog.m_style.m_nWidth = 3;
    dialog.m_bActive = 1;
    dialog.TransferDataToWindow();
    auto* label = static_cast<wxTextCtrl*>(dialog.FindWindow(CCurvePropertiesDlg::kIdLabel));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetValue(), "Ch#1");
    EXPECT_EQ(dialog.GetTitle(), "Properties");
    label->ChangeValue("Left mic");
    static_cast<wxCheckBox*>(dialog.FindWindow(CCurvePropertiesDlg::kIdActive))->SetValue(false);
    ASSERT_TRUE(dialog.TransferDataFromWindow());
    EXPECT_EQ(dialog.m_style.m_strLabel, "Left mic");
    EXPECT_EQ(dialog.m_style.m_nWidth, 3);
    EXPECT_EQ(dialog.m_bActive, 0);
}

// The "Line style" button opens the line styles over the curve dialog; their OK changes the curve
// dialog's style, their Cancel leaves it, and the curve dialog's own OK hands both on.
TEST_F(PlotDialogsTest, CurveDialogEditsItsStyleInTheNestedLineStyles)
{
    using testsupport::ModalStep;
    using testsupport::On;
    using testsupport::Press;
    for (const bool confirm : {true, false})
    {
        CCurvePropertiesDlg dialog(m_frame);
        dialog.m_style.m_strLabel = "Ch#1";
        dialog.m_style.m_nColorIndex = 1;
        dialog.m_style.m_nWidth = 1;
        dialog.m_bActive = 1;
        bool innerClosed = false;
        std::size_t ran = 0;
        const int result = testsupport::RunModalSteps(
            dialog,
            {[&]
             {
                 // Blocks in the line styles' own loop, where the next steps run.
                 EXPECT_TRUE(Press(dialog, CCurvePropertiesDlg::kIdLineStyles));
                 innerClosed = true;
             },
             On<CLineStylesDlg>(
                 [&](CLineStylesDlg& styles)
                 {
                     EXPECT_EQ(styles.m_controls.color->GetSelection(), 1);
                     styles.m_controls.color->SetSelection(9);
                     styles.m_controls.width->SetSelection(2);
                     EXPECT_TRUE(Press(styles, confirm ? wxID_OK : wxID_CANCEL));
                 }),
             ModalStep(
                 [&]
                 {
                     static_cast<wxTextCtrl*>(dialog.FindWindow(CCurvePropertiesDlg::kIdLabel))
                         ->ChangeValue("Left mic");
                     EXPECT_TRUE(Press(dialog, wxID_OK));
                 },
                 [&] { return innerClosed; })},
            &ran);
        EXPECT_EQ(ran, 3u) << confirm;
        ASSERT_EQ(result, wxID_OK) << confirm;
        EXPECT_EQ(dialog.m_style.m_nColorIndex, confirm ? 9 : 1);
        EXPECT_EQ(dialog.m_style.m_nWidth, confirm ? 3 : 1);
        EXPECT_EQ(dialog.m_style.m_strLabel, "Left mic");
    }
}

}  // namespace

namespace
{

using Kind = gfx::RecordingCanvas::Kind;

int CountOps(const gfx::RecordingCanvas& canvas, Kind kind)
{
    int count = 0;
    for (const auto& op : canvas.Ops())
        count += op.kind == kind ? 1 : 0;
    return count;
}

TEST_F(PlotDialogsTest, MillisecondChartDrawsOnlyItsBackgroundWithoutValuesOrScale)
{
    auto* chart = new CMsBarChart(m_frame, wxDefaultPosition, wxSize(300, 200));
    const int values[] = {0, 40, 120};
    struct Case
    {
        const char* name;
        int count;
        int scale;
        int bars;
        int texts;
    } const cases[] = {
        {"no values", 0, 100, 0, 0},
        {"scale 0", 3, 0, 0, 0},
        {"negative scale", 3, -5, 0, 0},
        {"three values: 0 draws no bar but its label", 3, 100, 2, 3},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        chart->m_nScaleMax = c.scale;
        EXPECT_EQ(chart->SetValues(values, c.count), c.count);
        gfx::RecordingCanvas canvas(300, 200);
        chart->Paint(canvas, 300, 200);
        EXPECT_EQ(CountOps(canvas, Kind::FillRect), 1);
        EXPECT_EQ(CountOps(canvas, Kind::Rectangle), c.bars);
        EXPECT_EQ(CountOps(canvas, Kind::Text), c.texts);
    }
    EXPECT_EQ(chart->m_nLastMax, 120);
    chart->Destroy();
}

}  // namespace

namespace
{

TEST_F(PlotDialogsTest, WaterfallStopOfMinusOneOpensWithFullSpan)
{
    CWaterfallSettingsDlg dialog(m_frame);
    dialog.m_dStop = -1.0;
    dialog.m_dStart = 2.0;
    dialog.TransferDataToWindow();
    auto* fullSpan = static_cast<wxCheckBox*>(dialog.FindWindow(CWaterfallSettingsDlg::kIdFullSpan));
    auto* stop = static_cast<wxTextCtrl*>(dialog.FindWindow(CWaterfallSettingsDlg::kIdStop));
    auto* start = static_cast<wxTextCtrl*>(dialog.FindWindow(CWaterfallSettingsDlg::kIdStart));
    EXPECT_TRUE(fullSpan->GetValue());
    // Unticked without a new stop time: -1 stays.
    fullSpan->SetValue(false);
    ASSERT_TRUE(dialog.TransferDataFromWindow());
    EXPECT_EQ(dialog.m_dStop, -1.0);
    stop->ChangeValue("12.5");
    ASSERT_TRUE(dialog.TransferDataFromWindow());
    EXPECT_EQ(dialog.m_dStop, 12.5);
    fullSpan->SetValue(true);
    ASSERT_TRUE(dialog.TransferDataFromWindow());
    EXPECT_EQ(dialog.m_dStop, -1.0);
    // Out of range stays open.
    for (const auto& [edit, value] :
         {std::pair{start, "101"}, std::pair{start, "-0.5"}, std::pair{stop, "-2"}})
    {
        start->ChangeValue("0");
        stop->ChangeValue("5");
        edit->ChangeValue(value);
        EXPECT_FALSE(dialog.TransferDataFromWindow()) << value;
    }
    EXPECT_EQ(m_messages.size(), 3u);
}

TEST_F(PlotDialogsTest, VectorscopeHistoryDepthIsLimitedToTheImagesSlots)
{
    CVectorscopeSettingsDlg dialog(m_frame);
    EXPECT_EQ(dialog.m_nRotation, 1);
    EXPECT_EQ(dialog.m_nStyle, 1);
    EXPECT_EQ(dialog.m_dDecay, 0.85);
    dialog.TransferDataToWindow();
    auto* depth = static_cast<wxTextCtrl*>(dialog.FindWindow(CVectorscopeSettingsDlg::kIdDepth));
    for (const char* refused : {"257", "-1", "many"})
    {
        depth->ChangeValue(refused);
        EXPECT_FALSE(dialog.TransferDataFromWindow()) << refused;
    }
    depth->ChangeValue("256");
    ASSERT_TRUE(dialog.TransferDataFromWindow());
    EXPECT_EQ(dialog.m_nDepth, 256);
    EXPECT_EQ(m_messages.size(), 3u);
}

}  // namespace

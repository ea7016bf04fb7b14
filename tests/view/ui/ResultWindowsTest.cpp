// The result windows of a measurement window on the live spectrum of the simulated sine: the
// "Results" table with its copy, and the room-acoustics window.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/controls/ResultsGrid.h"
#include "dsp/RoomAcoustics.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/WxEnvironment.h"
#include "tests/view/ui/LiveView.h"
#include "view/ui/ResultsDlg.h"
#include "view/ui/RoomAcousticDlg.h"

namespace
{

std::string ClipboardText()
{
    if (!wxTheClipboard->Open())
        return "<cannot open>";
    std::string text = "<none>";
    wxTextDataObject data;
    if (wxTheClipboard->GetData(data))
        text = data.GetText().utf8_string();
    wxTheClipboard->Close();
    return text;
}

// What a top-level window shows on the screen, saved as a picture of the test output.
void SaveWindowPicture(wxWindow* window, const std::string& name)
{
    window->Raise();
    window->Refresh();
    window->Update();
    // Until the window is mapped and painted on the screen.
    for (int i = 0; i < 40; ++i)
    {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // The window as it stands on the screen (its frame included).
    const wxRect rect = window->GetScreenRect();
    wxBitmap bitmap(rect.GetSize());
    {
        wxMemoryDC memory(bitmap);
        wxScreenDC screen;
        memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
    }
    const std::filesystem::path folder = TESSARIN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(bitmap.ConvertToImage().SaveFile((folder / (name + ".png")).string(), wxBITMAP_TYPE_PNG));
}

std::size_t CountLines(const std::string& text)
{
    std::size_t n = 0;
    for (char c : text)
        n += c == '\n' ? 1 : 0;
    return n;
}

class ResultWindowsTest : public ::testing::Test, public viewtest::LiveViewParts
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        ASSERT_TRUE(OpenLiveView(4096, 3));
    }
    void TearDown() override { CloseLiveView(); }
};

TEST_F(ResultWindowsTest, ResultsOfTheLiveSpectrumAndTheirCopy)
{
    View().OnStart();
    ASSERT_TRUE(WaitForRefreshes(3));
    View().OnStop();
    const ResultsTable table = View().MakeCurveResults();
    ASSERT_GT(table.pointCount, 0);
    const int curves = table.curveCount;
    m_engine.m_bDecimalComma = 1;
    std::string copied;
    std::string rowText;
    int columns = 0;
    const std::size_t steps = testsupport::RunWithSteps(
        [&] { View().OnCommand(view_command::kShowResults); },
        {testsupport::On<CResultsDlg>(
             [&](CResultsDlg& dialog)
             {
                 CResultsGrid* grid = dialog.GetGrid();
                 columns = grid->GetColumnCount();
                 rowText = grid->GetCellText(10, 0) + "|" + grid->GetCellText(10, 1);
                 dialog.GetTransposeCheck()->SetValue(true);
                 wxCommandEvent click(wxEVT_BUTTON, CResultsDlg::kIdCopy);
                 click.SetEventObject(dialog.FindWindow(CResultsDlg::kIdCopy));
                 dialog.FindWindow(CResultsDlg::kIdCopy)->GetEventHandler()->ProcessEvent(click);
                 copied = ClipboardText();
             }),
         testsupport::ModalStep([] { testsupport::FindShownModal<CResultsDlg>()->EndModal(wxID_CANCEL); })});
    EXPECT_EQ(steps, 2u);
    EXPECT_EQ(columns, curves + 1);
    // The grid's cells: "%f" of the x value and of the first curve's display value.
    char expected[128];
    std::snprintf(expected, sizeof expected, "%f|%f",
                  static_cast<double>(static_cast<float>(table.value(-1, 10))),
                  static_cast<double>(static_cast<float>(table.value(0, 10))));
    EXPECT_EQ(rowText, expected);
    // Transposed with the decimal comma: one line per column, no decimal point left.
    EXPECT_EQ(CountLines(copied), static_cast<std::size_t>(curves + 1));
    EXPECT_EQ(copied.find('.'), std::string::npos);
    EXPECT_NE(copied.find(','), std::string::npos);

    // The picture: the same window shown without a modal loop of its own, a row selected.
    auto* shown = new CResultsDlg(m_frame, table, true);
    shown->Show();
    shown->GetGrid()->OnItemClick(3, 5);
    SaveWindowPicture(shown, "results-live-spectrum");
    shown->Destroy();
}

TEST_F(ResultWindowsTest, RoomAcousticsWindowShowsTheFirstRecord)
{
    CRoomAcousticDlg* window = m_window->GetRoomAcousticWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->IsShown());  // created hidden
    EXPECT_EQ(window->GetControlText(CRoomAcousticDlg::kIdRt60), "--");

    const double rate = 48000.0;
    std::vector<float> response(static_cast<std::size_t>(2.0 * rate));
    for (std::size_t i = 0; i < response.size(); ++i)
        response[i] = static_cast<float>(std::exp(-13.8155 * static_cast<double>(i) / rate / 2.0));
    EvaluateRoomAcoustics(response.data(), static_cast<int>(response.size()), rate,
                          View().GetRoomAcousticResults(0), -5.0, -35.0, 100, 0);

    EXPECT_TRUE(View().OnCommand(view_command::kRoomAcoustics));
    ASSERT_TRUE(window->IsShown());
    EXPECT_EQ(window->GetControlText(CRoomAcousticDlg::kIdRt60), "1.00s");
    EXPECT_EQ(window->GetControlText(CRoomAcousticDlg::kIdRt30), "1.00s");
    EXPECT_EQ(window->GetControlText(CRoomAcousticDlg::kIdEdt), "1.00s");
    EXPECT_EQ(window->GetControlText(CRoomAcousticDlg::kIdC50), "-0.0dB");
    EXPECT_EQ(window->GetControlText(CRoomAcousticDlg::kIdC80), "3.1dB");
    EXPECT_EQ(window->GetControlText(CRoomAcousticDlg::kIdD50), "49.88%");
    // D80 = 1 - exp(-13.8155 * 0.08) = 66.89 %.
    EXPECT_EQ(window->GetControlText(CRoomAcousticDlg::kIdD80).substr(0, 4), "66.8");
    SaveWindowPicture(window, "room-acoustics-window");

    // The readout refresh follows the record; closing only hides the window.
    View().GetRoomAcousticResults(0).m_decayTimes[0] = 2.5;
    m_window->RefreshReadouts();
    EXPECT_EQ(window->GetControlText(CRoomAcousticDlg::kIdRt60), "2500ms");
    window->Close();
    EXPECT_FALSE(window->IsShown());
    EXPECT_EQ(m_window->GetRoomAcousticWindow(), window);
}

}  // namespace

#include "platform/ui/MessageBoxService.h"
#include "view/ui/SplViewerSelectDlg.h"

#include <wx/choice.h>

namespace
{

class StoredRun : public CSplLoggerData
{
public:
    std::int64_t GetBlockCount() const override { return blocks; }
    double GetTimeResolution() const override { return resolution; }
    std::time_t GetStartTime() const override { return 0; }
    std::vector<int> GetWeightings() const override { return {0, 1, 2}; }
    std::vector<double> GetBandCentres() const override { return {500.0, 1000.0, 2000.0}; }
    std::int64_t blocks = 10;
    double resolution = 1.0;
};

TEST(SplViewerSelectDlgTest, RefusesTheClockPulseMaximumForShortOrCoarseRunsAndStaysOpen)
{
    if (!testsupport::WxStarted())
        GTEST_SKIP() << "no display (run under xvfb-run)";
    std::vector<std::string> messages;
    platform::ui::ScopedMessageBoxResponder responder(
        [&](const platform::ui::MessageBoxRequest& request)
        {
            messages.push_back(request.text);
            return wxID_OK;
        });
    StoredRun run;
    CSplViewerSelectDlg dialog(nullptr, &run, kSplTypeTaktmax, 1, 1100.0);
    EXPECT_EQ(dialog.GetChoice(CSplViewerSelectDlg::kIdType)->GetCount(), 8u);
    EXPECT_EQ(dialog.GetChoice(CSplViewerSelectDlg::kIdType)->GetStringSelection(),
              "Taktmaximalpegel LAFT(t)");
    EXPECT_EQ(dialog.GetChoice(CSplViewerSelectDlg::kIdWeighting)->GetStringSelection(), "A");
    EXPECT_EQ(dialog.GetChoice(CSplViewerSelectDlg::kIdCentre)->GetStringSelection(), "1000");
    EXPECT_EQ(dialog.GetChoice(CSplViewerSelectDlg::kIdCentre)->GetString(0), "full span");
    EXPECT_EQ(dialog.GetControlText(CSplViewerSelectDlg::kIdBlocks), "10");
    EXPECT_EQ(dialog.GetControlText(CSplViewerSelectDlg::kIdDuration), "10.00s");
    bool firstTaken = true;
    bool secondTaken = true;
    bool thirdTaken = false;
    const int result = testsupport::RunModalSteps(
        dialog, {[&] { firstTaken = dialog.OnOK(); },
                 [&]
                 {
                     run.blocks = 3;
                     run.resolution = 6.0;
                     secondTaken = dialog.OnOK();
                 },
                 [&]
                 {
                     run.blocks = 20;
                     run.resolution = 1.0;
                     dialog.GetChoice(CSplViewerSelectDlg::kIdCentre)->SetSelection(3);
                     thirdTaken = dialog.OnOK();
                 }});
    EXPECT_FALSE(firstTaken);
    EXPECT_FALSE(secondTaken);
    EXPECT_TRUE(thirdTaken);
    EXPECT_EQ(result, wxID_OK);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Die Me\xC3\x9Fzeit ist zu kurz f\xC3\xBCr den Taktmaximalpegel");
    EXPECT_EQ(messages[1], "Die Zeitaufl\xC3\xB6sung ist zu gering f\xC3\xBCr den Taktmaximalpegel");
    EXPECT_EQ(dialog.m_nType, kSplTypeTaktmax);
    EXPECT_EQ(dialog.m_nWeighting, 1);
    EXPECT_EQ(dialog.m_dCentre, 2000.0);
}

}  // namespace

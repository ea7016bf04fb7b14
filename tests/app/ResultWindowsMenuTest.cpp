// The result windows reached through Tessarin's own menus: View > Room acoustics on a measurement
// window whose first record holds an ideal decay of T = 1.0 s, and View > Show Marker without
// markers.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/menu.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "dsp/RoomAcoustics.h"
#include "tests/app/MainFrameFixture.h"
#include "view/SndView.h"
#include "view/ui/RoomAcousticDlg.h"
#include "view/ui/SndViewWindow.h"

namespace
{

class ResultWindowsMenuTest : public testsupport::EngineFrameFixture
{
protected:
    CSndView* OpenWorkspace()
    {
        m_app->OnFileNew();
        wxTheApp->Yield(true);
        return m_frame->GetActiveView();
    }
};

TEST_F(ResultWindowsMenuTest, RoomAcousticsShowsTheDecayOfTheFirstRecord)
{
    CSndView* view = OpenWorkspace();
    ASSERT_NE(view, nullptr);
    auto* window = dynamic_cast<CSndViewWindow*>(view->GetWindow());
    ASSERT_NE(window, nullptr);
    CRoomAcousticDlg* room = window->GetRoomAcousticWindow();
    ASSERT_NE(room, nullptr);
    EXPECT_FALSE(room->IsShown());

    // The menu items exist in the View menu and are enabled.
    for (int id : {view_command::kShowResults, view_command::kShowMarker, view_command::kRoomAcoustics})
    {
        wxMenuItem* item = m_frame->GetMenuBar()->FindItem(command_id::WxCommandId(id));
        ASSERT_NE(item, nullptr) << id;
        EXPECT_TRUE(item->IsEnabled()) << id;
    }

    const double rate = 48000.0;
    std::vector<float> response(static_cast<std::size_t>(2.0 * rate));
    for (std::size_t i = 0; i < response.size(); ++i)
        response[i] = static_cast<float>(std::exp(-13.8155 * static_cast<double>(i) / rate / 2.0));
    EvaluateRoomAcoustics(response.data(), static_cast<int>(response.size()), rate,
                          view->GetRoomAcousticResults(0), -5.0, -35.0, 100, 0);

    RunCommand(view_command::kRoomAcoustics);
    ASSERT_TRUE(room->IsShown());
    EXPECT_EQ(room->GetControlText(CRoomAcousticDlg::kIdRt60), "1.00s");
    EXPECT_EQ(room->GetControlText(CRoomAcousticDlg::kIdRt30), "1.00s");
    EXPECT_EQ(room->GetControlText(CRoomAcousticDlg::kIdEdt), "1.00s");
    EXPECT_EQ(room->GetControlText(CRoomAcousticDlg::kIdC50), "-0.0dB");
    EXPECT_EQ(room->GetControlText(CRoomAcousticDlg::kIdC80), "3.1dB");
    EXPECT_EQ(room->GetControlText(CRoomAcousticDlg::kIdD50), "49.88%");

    room->Raise();
    Pump(300);
    const wxSize size = room->GetClientSize();
    wxBitmap bitmap(size);
    {
        wxMemoryDC memory(bitmap);
        wxClientDC client(room);
        memory.Blit(0, 0, size.x, size.y, &client, 0, 0);
    }
    const std::filesystem::path folder = TESSARIN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(bitmap.ConvertToImage().SaveFile((folder / "tessarin-room-acoustics.png").string(),
                                                 wxBITMAP_TYPE_PNG));
}

TEST_F(ResultWindowsMenuTest, ShowMarkerWithoutMarkersShowsTheMessage)
{
    CSndView* view = OpenWorkspace();
    ASSERT_NE(view, nullptr);
    m_engine.m_nMarkerCount = 0;
    // The program's message boxes are answered unattended here and written to its trace.
    const std::size_t before = m_app->GetTrace().size();
    RunCommand(view_command::kShowMarker);
    std::vector<std::string> messages;
    for (std::size_t i = before; i < m_app->GetTrace().size(); ++i)
        if (m_app->GetTrace()[i].rfind("message box: ", 0) == 0)
            messages.push_back(m_app->GetTrace()[i].substr(13));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "There are no Marker defined.");
}

}  // namespace

// The generator panels in the running shell: the ASIO menu shows them, and their placements go
// with the workspace.
#include "app/AnalyzerApp.h"
#include "app/GeneratorPanels.h"
#include "app/MainFrame.h"
#include "app/SndDoc.h"
#include "app/UiEngineNotifications.h"
#include "engine/SoundIn.h"
#include "engine/ui/GeneratorDlg.h"
#include "platform/ui/ScreenCapture.h"
#include "tests/app/MainFrameFixture.h"
#include "tests/support/JackServer.h"
#include "tests/support/ModalSteps.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/textctrl.h>

#include <chrono>
#include <functional>
#include <optional>
#include <thread>

namespace
{

class GeneratorPanelsTest : public testsupport::MainFrameFixture
{
protected:
    void FireMenu(int id)
    {
        wxCommandEvent event(wxEVT_MENU, command_id::WxCommandId(id));
        event.SetEventObject(m_frame);
        m_frame->ProcessWindowEvent(event);
    }

    // The engine behind a main frame, with the toolkit's notifications; the generator program is
    // never found.
    void StartEngineSession()
    {
        ASSERT_TRUE(m_engine.InitDefaults());
        m_engine.SetNotifications(&m_notifications);
        m_engine.m_generatorLink.m_programFolder = m_home.Root() / "no-program";
        m_session.emplace(*this, m_engine,
                          [this]
                          {
                              m_engine.StopInput();
                              m_engine.SetNotifications(nullptr);
                          });
    }

    void TearDown() override
    {
        m_session.reset();
        MainFrameFixture::TearDown();
    }

    CSoundIn m_engine;
    CUiEngineNotifications m_notifications;
    std::optional<EngineSession> m_session;
};

TEST_F(GeneratorPanelsTest, AsioMenuShowsThePanelsAndTheirPlacementsGoWithTheWorkspace)
{
    ASSERT_NO_FATAL_FAILURE(StartEngineSession());
    CSoundIn& engine = m_engine;
    CMainFrame* frame = m_frame;

    // The menu lists the ten generators and the test signal.
    wxMenuBar* bar = frame->GetMenuBar();
    ASSERT_NE(bar, nullptr);
    wxMenuItem* first = bar->FindItem(command_id::WxCommandId(command_id::kAsioGenerator1));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetItemLabelText(), "ASIO Generator #1");
    wxMenuItem* test = bar->FindItem(command_id::WxCommandId(command_id::kAsioTestSignal));
    ASSERT_NE(test, nullptr);
    EXPECT_EQ(test->GetItemLabelText(), "Test signal");
    EXPECT_EQ(bar->GetMenuLabelText(static_cast<std::size_t>(bar->FindMenu("ASIO"))), "ASIO");

    engine.m_nInputMode = CSoundIn::kInputNone;
    FireMenu(command_id::kAsioGenerator1);
    CGeneratorPanels* panels = frame->GetGeneratorPanels();
    ASSERT_NE(panels, nullptr);
    CGeneratorDlg* panel = panels->Get(0);
    ASSERT_NE(panel, nullptr) << "the input's open creates the panels";
    EXPECT_TRUE(panel->IsShown());
    EXPECT_EQ(panel->GetTitle(), "ASIO Generator #1");
    EXPECT_EQ(&panel->GetGenerator(), engine.GetGenerator(0));
    for (int i = 1; i < CGeneratorPanels::kPanels; ++i)
        ASSERT_NE(panels->Get(i), nullptr) << i;
    EXPECT_FALSE(panels->Get(4)->IsShown());
    FireMenu(command_id::kAsioTestSignal);
    EXPECT_TRUE(panels->Get(10)->IsShown());
    EXPECT_EQ(panels->Get(10)->GetTitle(), "Test signal");
    EXPECT_EQ(&panels->Get(10)->GetGenerator(), engine.GetGenerator(10));
    panels->Get(10)->Hide();

    // The engine refreshes the panel: a reset shows the generator's defaults again.
    engine.GetGenerator(0)->m_settings.m_frequency = 777.0;
    engine.ResetGenerators();
    EXPECT_EQ(
        dynamic_cast<wxTextCtrl*>(panel->GetPanel()->FindWindow(CGeneratorDlg::kIdFrequencyEdit))->GetValue(),
        "1000.00");

    panel->Move(123, 77);
    Pump(400);
    const wxImage picture = platform::ui::CaptureScreen(panel->GetScreenRect());
    ASSERT_TRUE(picture.IsOk());
    EXPECT_TRUE(picture.SaveFile(wxString(TESSARIN_TEST_OUTPUT_DIR "/tessarin-asio-generator-1.png"),
                                 wxBITMAP_TYPE_PNG));
    FireMenu(command_id::kAsioGenerator1 + 2);
    EXPECT_EQ(panels->Get(2)->GetTitle(), "ASIO Generator #3");
    panels->Get(2)->Move(301, 222);

    // A workspace with a measurement window keeps the placements.
    m_app->OnFileNew();
    wxTheApp->Yield(true);
    panel->Move(123, 77);
    panels->Get(2)->Move(301, 222);
    panel->Show();
    panels->Get(2)->Show();
    ASSERT_TRUE(m_app->SaveWorkspaceOnClose());
    panel->Move(400, 400);
    panels->Get(2)->Hide();
    panels->Get(5)->Show();
    panel->SetTitle("moved");
    Pump(400);
    ASSERT_TRUE(m_app->OpenDocumentFile(CAnalyzerApp::GetSavedWorkspacePath().string()));
    Pump(400);
    EXPECT_TRUE(panel->IsShown());
    EXPECT_EQ(panel->GetPosition(), wxPoint(123, 77));
    EXPECT_TRUE(panels->Get(2)->IsShown());
    EXPECT_EQ(panels->Get(2)->GetPosition(), wxPoint(301, 222));
    EXPECT_FALSE(panels->Get(5)->IsShown());
    EXPECT_EQ(panel->GetTitle(), "ASIO Generator #1");
    EXPECT_EQ(panels->Get(9)->GetTitle(), "ASIO Generator #10");
}

}  // namespace

// ASIO > Configure from Tessarin's menu on a running JACK server: the plug-in's settings dialog
// lists JACK first, and Cancel leaves the engine where it was.
TEST_F(GeneratorPanelsTest, AsioConfigureShowsThePluginsDialog)
{
    JackServer server;
    if (!server.Start(48000, 256))
        GTEST_SKIP() << server.Error();
    ASSERT_NO_FATAL_FAILURE(StartEngineSession());
    CSoundIn& engine = m_engine;
    engine.m_nInputMode = CSoundIn::kInputNone;
    ASSERT_NE(m_frame->GetMenuBar()->FindItem(command_id::WxCommandId(command_id::kConfigureAsio)), nullptr);
    const std::size_t steps = testsupport::RunWithSteps(
        [&] { FireMenu(command_id::kConfigureAsio); },
        {testsupport::ModalStep(
            [&]
            {
                wxDialog* dialog = nullptr;
                for (wxWindow* window : wxTopLevelWindows)
                    if (auto* shown = dynamic_cast<wxDialog*>(window); shown && shown->IsModal())
                        dialog = shown;
                ASSERT_NE(dialog, nullptr);
                EXPECT_EQ(dialog->GetTitle(), "ASIO Settings");
                auto* devices = dynamic_cast<wxChoice*>(dialog->FindWindow(1032));
                ASSERT_NE(devices, nullptr);
                EXPECT_EQ(devices->GetString(0), "JACK");
                testsupport::LetPaint();
                const wxImage picture = platform::ui::CaptureScreen(dialog->GetScreenRect());
                EXPECT_TRUE(picture.IsOk());
                EXPECT_TRUE(picture.SaveFile(
                    wxString(TESSARIN_TEST_OUTPUT_DIR "/tessarin-asio-configure.png"), wxBITMAP_TYPE_PNG));
                dialog->EndModal(wxID_CANCEL);
            },
            []
            {
                for (wxWindow* window : wxTopLevelWindows)
                    if (auto* shown = dynamic_cast<wxDialog*>(window);
                        shown && shown->IsModal() && shown->IsShown())
                        return true;
                return false;
            })});
    EXPECT_EQ(steps, 1u);
    EXPECT_EQ(engine.m_nInputMode, CSoundIn::kInputNone);
}

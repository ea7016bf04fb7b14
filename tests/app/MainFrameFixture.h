// A main frame on a fresh application object in a temporary home, for the window-side tests of
// the shell. Every message box takes its unattended answer.
#pragma once

#include "app/AnalyzerApp.h"
#include "app/MainFrame.h"
#include "app/SndDoc.h"
#include "engine/AudioInSim.h"
#include "engine/SoundIn.h"
#include "tests/support/TempHome.h"
#include "tests/support/WxEnvironment.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/menu.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include <cstdlib>
#include <memory>

namespace testsupport
{

class MainFrameFixture : public TempHomeTest
{
protected:
    void SetUp() override
    {
        if (!WxStarted())
            GTEST_SKIP() << "no display";
        ::setenv("TESSARIN_TEST_ANSWERS", "", 1);
        m_app = std::make_unique<CAnalyzerApp>();
    }
    void TearDown() override
    {
        DestroyFrame();
        m_app.reset();
        ::unsetenv("TESSARIN_TEST_ANSWERS");
    }
    CMainFrame* Create(int guiMode = 0)
    {
        m_app->m_nGuiMode = guiMode;
        m_frame = new CMainFrame(*m_app);
        EXPECT_TRUE(m_frame->OnCreate());
        m_app->m_pMainWnd = m_frame;
        m_frame->Show();
        return m_frame;
    }
    // Destroys the frame (unless it is already on its way) and what went with it.
    void DestroyFrame()
    {
        if (m_frame && wxTheApp && !wxTheApp->IsScheduledForDestruction(m_frame))
            m_frame->Destroy();
        m_frame = nullptr;
        if (wxTheApp)
        {
            wxTheApp->ProcessPendingEvents();
            wxTheApp->ProcessIdle();
        }
    }

    // A main frame with the engine and a document on it. When the session ends, the windows go
    // first, then the document and the engine they show (`beforeEngine` runs between).
    class EngineSession
    {
    public:
        EngineSession(MainFrameFixture& fixture, CSoundIn& engine, std::function<void()> beforeEngine = {})
            : m_fixture(fixture), m_beforeEngine(std::move(beforeEngine))
        {
            CMainFrame* frame = fixture.Create();
            fixture.m_app->m_pEngine = &engine;
            fixture.m_app->m_pDocument = std::make_unique<CSndDoc>(engine);
            fixture.m_app->m_pDocument->m_pFrame = frame;
        }
        ~EngineSession()
        {
            if (m_fixture.m_frame)
                m_fixture.m_frame->Destroy();
            m_fixture.m_frame = nullptr;
            wxTheApp->Yield(true);
            m_fixture.m_app->m_pDocument.reset();
            if (m_beforeEngine)
                m_beforeEngine();
            m_fixture.m_app->m_pEngine = nullptr;
        }
        EngineSession(const EngineSession&) = delete;
        EngineSession& operator=(const EngineSession&) = delete;

    private:
        MainFrameFixture& m_fixture;
        std::function<void()> m_beforeEngine;
    };

    // Whether the menu item of the command shows its check mark (after the menus' update handlers).
    bool MenuChecked(int id)
    {
        wxMenuBar* bar = m_frame->GetMenuBar();
        wxMenuItem* item = bar ? bar->FindItem(command_id::WxCommandId(id)) : nullptr;
        if (bar)
            for (size_t i = 0; i < bar->GetMenuCount(); ++i)
                bar->GetMenu(i)->UpdateUI();
        return item != nullptr && item->IsChecked();
    }
    // Runs the toolkit's events for the time given, or until `done` holds (returns whether it did).
    static void Pump(int milliseconds)
    {
        PumpUntil([] { return false; }, milliseconds);
    }
    template <class Condition>
    static bool PumpUntil(Condition done, int milliseconds)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end)
        {
            if (done())
                return true;
            wxTheApp->Yield(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done();
    }

    std::unique_ptr<CAnalyzerApp> m_app;
    CMainFrame* m_frame = nullptr;
};

// The main frame with an engine (stopped, at its defaults) and the workspace document on it.
class EngineFrameFixture : public MainFrameFixture
{
protected:
    void SetUp() override
    {
        MainFrameFixture::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(m_engine.InitDefaults());
        CreateWithEngine();
    }
    void TearDown() override
    {
        // The windows go before the engine and the document they show.
        DestroyFrame();
        m_engine.StopInput();
        MainFrameFixture::TearDown();
    }
    void CreateWithEngine()
    {
        Create();
        m_app->m_pEngine = &m_engine;
        m_app->m_pDocument = std::make_unique<CSndDoc>(m_engine);
        m_app->m_pDocument->m_pFrame = m_frame;
    }
    // A new window of the workspace (null when none came), with the simulated 1 kHz input as the
    // engine's stopped input at 48 kHz.
    CSndView* NewWindowOnSimulatedInput()
    {
        m_app->OnFileNew();
        wxTheApp->Yield(true);
        m_engine.StopInput();
        m_engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<CAudioIn_Sim>());
        m_engine.m_nInputMode = CSoundIn::kInputSimulated;
        m_engine.m_nSampleRate = 48000;
        return m_frame->GetActiveView();
    }
    void RunCommand(int id)
    {
        wxCommandEvent event(wxEVT_MENU, command_id::WxCommandId(id));
        ASSERT_TRUE(m_frame->ProcessWindowEvent(event)) << id;
    }
    CSoundIn m_engine;
};

}  // namespace testsupport

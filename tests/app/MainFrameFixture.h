// A main frame on a fresh application object in a temporary home, for the window-side tests of
// the shell. Every message box takes its unattended answer.
#pragma once

#include "app/AnalyzerApp.h"
#include "app/MainFrame.h"
#include "tests/support/TempHome.h"
#include "tests/support/WxEnvironment.h"

#include <gtest/gtest.h>
#include <wx/app.h>

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

    std::unique_ptr<CAnalyzerApp> m_app;
    CMainFrame* m_frame = nullptr;
};

}  // namespace testsupport

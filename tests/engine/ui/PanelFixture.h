// What the generator window tests share: a generator at 44100 Hz, the panel on it (destroyed after
// the test), turning the toolkit's loop and saving pictures into the test output folder.
#pragma once

#include "engine/Generator.h"
#include "engine/ui/GeneratorDlg.h"
#include "platform/ui/ScreenCapture.h"
#include "tests/support/TempHome.h"
#include "tests/support/WxEnvironment.h"

#include <gtest/gtest.h>
#include <wx/app.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace testsupport
{

inline void Pump(int rounds = 20)
{
    for (int i = 0; i < rounds; ++i)
    {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Shows the window, lets it paint and saves its picture as `name`.
inline void SavePicture(wxWindow* window, const std::string& name)
{
    window->Show();
    window->Raise();
    Pump();
    const wxImage picture = platform::ui::CaptureScreen(window->GetScreenRect());
    ASSERT_TRUE(picture.IsOk()) << name;
    const std::filesystem::path folder = TESSARIN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(picture.SaveFile(wxString((folder / name).string()), wxBITMAP_TYPE_PNG));
}

class PanelFixture : public TempHomeTest
{
protected:
    void SetUp() override
    {
        if (!WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        m_generator.m_settings.m_sample_rate = 44100;
        m_generator.Init();
        m_generator.m_rebuildWait = std::chrono::milliseconds(0);
        m_generator.ApplySettings();
    }
    void TearDown() override
    {
        if (m_panel != nullptr)
            m_panel->Destroy();
        Pump(2);
    }
    CGenerator m_generator;
    CGeneratorDlg* m_panel = nullptr;
};

}  // namespace testsupport

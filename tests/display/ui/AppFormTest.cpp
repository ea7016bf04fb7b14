// The 3D waterfall window for real under the virtual X server with Mesa's software renderer: rows
// of a 1 kHz peak drawn as a surface and read back, the owner's close and screenshot requests, and
// pausing.
#include "display/ui/AppForm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include <wx/app.h>
#include <wx/utils.h>

#include "common/AppTimer.h"
#include "display/WaterfallFeed.h"
#include "platform/image/Image.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/support/WxEnvironment.h"

namespace
{

const bool g_environmentSet = []
{
    return setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1) == 0 &&
           setenv("FONTCONFIG_FILE", TESSARIN_FONTCONFIG_FILE, 1) == 0;
}();

class CAppFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(g_environmentSet);
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display";
    }
    platform::ui::ScopedMessageBoxResponder m_boxes{[](const platform::ui::MessageBoxRequest&)
                                                    { return wxID_OK; }};
};

// A live row of a 1 kHz peak over 20 Hz .. 20 kHz (log), -100 dB floor, shown from -90 to 0 dB.
std::array<float, CWaterfallScene::kPoints> PeakRow(int& peakPoint)
{
    std::vector<float> spectrum(2048, 1e-10f);
    spectrum[100] = 1.0f;  // 1 kHz at 10 Hz per bin
    spectrum[99] = spectrum[101] = 0.1f;
    LiveRowRange range;
    range.yMin = -90;
    range.yMax = 0;
    std::array<float, CWaterfallScene::kPoints> row{};
    ComputeLiveRow(spectrum, 10.0, range, row);
    peakPoint = static_cast<int>(std::max_element(row.begin(), row.end()) - row.begin());
    return row;
}

TEST_F(CAppFormTest, DrawsTheSurfaceAsksItsOwnerToCloseAndForAScreenshot)
{
    int closeRequests = 0, screenshotRequests = 0;
    auto* form = new CAppForm(nullptr, {[&] { ++closeRequests; }, [&] { ++screenshotRequests; }});
    EXPECT_EQ(g_p3DWindow, form);
    {
        std::lock_guard lock(form->m_scene.m_mutex);
        form->m_scene.m_nStyle = waterfall_style::kEngineDefault | waterfall_style::kHelp;
        form->m_scene.SetRowCount(CWaterfallScene::RowsOfStyle(waterfall_style::kEngineDefault));
        form->m_scene.m_xAxis.m_dMinimum = 20;
        form->m_scene.m_xAxis.m_dMaximum = 20000;
        form->m_scene.m_xAxis.m_bLogarithmic = 1;
        form->m_scene.m_yAxis.m_dMinimum = -90;
        form->m_scene.m_yAxis.m_dMaximum = 0;
        form->m_scene.m_zAxis.m_dMaximum = 10;
        form->m_scene.m_markers.SetMarkers({1000.0f});
    }
    form->SetClientSize(800, 600);
    ASSERT_EQ(form->CreateWindow(), 0);
    int peak = 0;
    const auto row = PeakRow(peak);
    EXPECT_NEAR(16.0 * peak / 120, 16.0 * std::log10(1000.0 / 20) / 3, 0.3);
    // Nothing is drawn before the first row.
    wxMilliSleep(60);
    form->RunFrame();
    EXPECT_EQ(form->m_nScenesDrawn, 0);
    for (int i = 0; i < 100; ++i)
        form->AddRow(row, -1);
    wxMilliSleep(60);
    ASSERT_EQ(form->RunFrame(), 0);
    EXPECT_EQ(form->m_nScenesDrawn, 1);
    const wxImage image = form->ReadImage();
    ASSERT_TRUE(image.IsOk());
    const std::filesystem::path out(TESSARIN_TEST_OUTPUT_DIR);
    std::filesystem::create_directories(out);
    EXPECT_TRUE(platform::SaveImage(image, out / "3d-waterfall.png", platform::ImageFormat::Png));
    // The peak's ridge is drawn in the top colours of the map (red-ish): look for it.
    int red = 0;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (image.GetRed(x, y) > 200 && image.GetGreen(x, y) < 90 && image.GetBlue(x, y) < 90)
                ++red;
    EXPECT_GT(red, 50);

    // A pause stops the frames; the resume starts them.
    EXPECT_EQ(form->Pause(true), 1);
    EXPECT_EQ(form->Pause(false), 0);

    // A right click asks the owner to close; the window itself stays.
    wxWindow* canvas = form->Canvas();
    ASSERT_NE(canvas, nullptr);
    wxMouseEvent right(wxEVT_RIGHT_DOWN);
    canvas->GetEventHandler()->ProcessEvent(right);
    wxMouseEvent dclick(wxEVT_LEFT_DCLICK);
    canvas->GetEventHandler()->ProcessEvent(dclick);
    for (int i = 0; i < 5; ++i)
        wxYield();
    EXPECT_EQ(closeRequests, 1);
    EXPECT_EQ(screenshotRequests, 1);
    EXPECT_EQ(g_p3DWindow, form);

    // The screenshot hides the help for good and writes a JPEG beside the given name.
    const std::filesystem::path shot = out / "3D_test.bmp";
    std::filesystem::remove(out / "3D_test.jpg");
    EXPECT_EQ(form->SaveScreenshot(shot.string()), 0);
    EXPECT_TRUE(std::filesystem::exists(out / "3D_test.jpg"));
    EXPECT_TRUE(form->m_bScreenshotTaken);

    form->Close3D();
    EXPECT_EQ(g_p3DWindow, nullptr);
    for (int i = 0; i < 5; ++i)
        wxYield();
}

}  // namespace

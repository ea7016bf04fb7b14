// The measurement window's pictures, copy command and printed page, on a live window that shows the
// simulated input's spectrum. The pictures and the printed page are kept in the test output folder
// for a look.
#include "display/settings/ViewSettings.h"
#include "engine/AudioInSim.h"
#include "engine/SoundIn.h"
#include "platform/image/Image.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"
#include "tests/support/WxEnvironment.h"
#include "tests/view/ui/LiveView.h"
#include "view/ViewDocument.h"
#include "view/ui/SndViewPrintout.h"
#include "view/ui/SndViewWindow.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/frame.h>

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace
{

const bool g_fontsPinned = [] { return setenv("FONTCONFIG_FILE", TESSARIN_FONTCONFIG_FILE, 1) == 0; }();

namespace fs = std::filesystem;

struct Rgb
{
    int r = 0;
    int g = 0;
    int b = 0;
};

Rgb PixelOf(const wxImage& image, int x, int y)
{
    return {image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)};
}

Rgb ColorOf(gfx::Color c)
{
    return {gfx::RedOf(c), gfx::GreenOf(c), gfx::BlueOf(c)};
}

bool Near(const Rgb& a, const Rgb& b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

fs::path OutputFolder()
{
    const fs::path folder = TESSARIN_TEST_OUTPUT_DIR;
    fs::create_directories(folder);
    return folder;
}

// Runs a program with its arguments (no shell); its exit status, or -1 when it could not start.
int RunProgram(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

bool ProgramAvailable(const std::string& name)
{
    if (const char* path = std::getenv("PATH"))
    {
        std::string folders = path;
        std::size_t start = 0;
        while (start <= folders.size())
        {
            const std::size_t end = std::min(folders.find(':', start), folders.size());
            const fs::path candidate = fs::path(folders.substr(start, end - start)) / name;
            if (::access(candidate.c_str(), X_OK) == 0)
                return true;
            start = end + 1;
        }
    }
    return false;
}

class SndViewExportTest : public testsupport::TempHomeTest, public viewtest::LiveViewParts
{
protected:
    static constexpr int kFftSize = 16384;

    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        ASSERT_TRUE(OpenLiveView(kFftSize, m_engine.m_nWindowType));
        View().OnCommand(view_command::kStart);
        ASSERT_TRUE(WaitForRefreshes(3));
    }

    void TearDown() override { CloseLiveView(); }

    Rgb Background()
    {
        return ColorOf(View().GetPlot().m_colorScheme.GetColor(CColorScheme::RoleFrameBackground));
    }

    // Pixels of the band that differ clearly from the background.
    int CountNotBackground(const wxImage& image, int left, int top, int right, int bottom)
    {
        const Rgb background = Background();
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (!Near(PixelOf(image, x, y), background, 40))
                    ++count;
        return count;
    }

    fs::path ScreenshotPath() const { return m_home.ConfigHome() / "Tessarin" / "screenshot.png"; }
};

TEST_F(SndViewExportTest, SavesThePlotAsPngJpegAndBmpThatReadBackAtTheExportSize)
{
    struct Case
    {
        const char* name;
        platform::ImageFormat format;
        int quality;
        // JPEG changes colours a little.
        int tolerance;
    };
    const Case cases[] = {
        {"view-export.png", platform::ImageFormat::Png, 90, 0},
        {"view-export-q95.jpg", platform::ImageFormat::Jpeg, 95, 12},
        {"view-export-q20.jpg", platform::ImageFormat::Jpeg, 20, 24},
        {"view-export.bmp", platform::ImageFormat::Bmp, 90, 0},
    };
    const fs::path folder = OutputFolder();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const fs::path path = folder / c.name;
        fs::remove(path);
        ASSERT_TRUE(m_window->SavePlotImage(path.string(), c.format, c.quality));
        const wxImage image = platform::LoadImage(path);
        ASSERT_TRUE(image.IsOk());
        EXPECT_EQ(image.GetWidth(), CSndView::kExportWidth);
        EXPECT_EQ(image.GetHeight(), CSndView::kExportHeight);
        // The bottom-left corner lies in the frame's margin, below the y labels and left of the
        // x title.
        EXPECT_TRUE(Near(PixelOf(image, 6, CSndView::kExportHeight - 6), Background(), c.tolerance));
        EXPECT_TRUE(Near(PixelOf(image, 30, CSndView::kExportHeight - 20), Background(), c.tolerance));
        // The maker's address in the middle of the top band.
        EXPECT_GT(CountNotBackground(image, 250, 0, 500, 15), 40);
        // The plot area holds the curve and the grid, not just its background.
        EXPECT_GT(CountNotBackground(image, 100, 20, 650, 380), 500);
        // The window works on as before.
        EXPECT_EQ(View().m_bRendering, 0);
        EXPECT_EQ(m_engine.m_bProcessingEnabled.load(), 1);
    }
    EXPECT_LT(fs::file_size(folder / "view-export-q20.jpg"), fs::file_size(folder / "view-export-q95.jpg"));
    EXPECT_TRUE(m_frameServices.messages.empty());
}

TEST_F(SndViewExportTest, TheScreenPaintAfterAnExportFillsTheWholeWindowAgain)
{
    ASSERT_TRUE(m_window->RenderBitmap().IsOk());
    // The plot's frame was last built for the export's 750 x 450; the window is larger.
    const wxSize client = m_window->GetClientSize();
    ASSERT_GT(client.x, CSndView::kExportWidth + 20);
    ASSERT_GT(client.y, CSndView::kExportHeight + 20);
    const wxImage screen = m_window->RenderImage();
    ASSERT_TRUE(screen.IsOk());
    EXPECT_TRUE(Near(PixelOf(screen, client.x - 4, client.y - 4), Background(), 0));
    EXPECT_TRUE(Near(PixelOf(screen, client.x - 4, 4), Background(), 0));
}

TEST_F(SndViewExportTest, SavingIntoAMissingFolderFailsAndWritesNothing)
{
    const fs::path missing = m_home.File("no-such-folder");
    const fs::path path = missing / "plot.png";
    EXPECT_FALSE(m_window->SavePlotImage(path.string(), platform::ImageFormat::Png));
    EXPECT_FALSE(fs::exists(missing));
    // A path that names a folder cannot become a picture either.
    fs::create_directories(m_home.File("folder"));
    EXPECT_FALSE(m_window->SavePlotImage(m_home.File("folder").string(), platform::ImageFormat::Jpeg));
    EXPECT_TRUE(fs::is_directory(m_home.File("folder")));
    EXPECT_EQ(m_engine.m_bProcessingEnabled.load(), 1);
}

TEST_F(SndViewExportTest, CopyPutsTheBitmapOnTheClipboardAndSavesTheScreenshot)
{
    ASSERT_TRUE(m_window->OnEditCopy());
    EXPECT_TRUE(m_frameServices.messages.empty());

    ASSERT_TRUE(wxTheClipboard->Open());
    wxBitmapDataObject data;
    const bool supported = wxTheClipboard->IsSupported(wxDF_BITMAP);
    const bool got = supported && wxTheClipboard->GetData(data);
    wxTheClipboard->Close();
    ASSERT_TRUE(got);
    EXPECT_EQ(data.GetBitmap().GetWidth(), CSndView::kExportWidth);
    EXPECT_EQ(data.GetBitmap().GetHeight(), CSndView::kExportHeight);

    // The screenshot is a PNG file of the same picture.
    const std::string bytes = testsupport::ReadBytes(ScreenshotPath());
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    const wxImage screenshot = platform::LoadImage(ScreenshotPath());
    ASSERT_TRUE(screenshot.IsOk());
    EXPECT_EQ(screenshot.GetSize(), wxSize(CSndView::kExportWidth, CSndView::kExportHeight));
    EXPECT_TRUE(
        screenshot.SaveFile((OutputFolder() / "view-export-screenshot.png").string(), wxBITMAP_TYPE_PNG));
}

TEST_F(SndViewExportTest, CopyWhileTheClipboardIsHeldOpenSaysSoAndWritesNoScreenshot)
{
    ASSERT_TRUE(wxTheClipboard->Open());
    const bool copied = m_window->OnEditCopy();
    wxTheClipboard->Close();
    EXPECT_FALSE(copied);
    EXPECT_EQ(m_frameServices.messages, std::vector<std::string>{"Cannot empty the Clipboard"});
    EXPECT_FALSE(fs::exists(ScreenshotPath()));
    EXPECT_EQ(View().m_bRendering, 0);
    EXPECT_EQ(m_engine.m_bProcessingEnabled.load(), 1);
}

// Picture files whose headers declare sizes beyond the limits are refused before the toolkit
// allocates anything; so are files that are no picture at all.
TEST(ImageFileTest, LoadRefusesDamagedFilesAndOversizedPictures)
{
    if (!testsupport::WxStarted())
        GTEST_SKIP() << "no display (run under xvfb-run)";
    testsupport::TempHome home;
    const auto be32 = [](std::uint32_t v)
    {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                           static_cast<char>(v)};
    };
    const auto le32 = [](std::uint32_t v)
    {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 24)};
    };
    const auto png = [&](std::uint32_t w, std::uint32_t h)
    {
        return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" + be32(w) + be32(h) +
               std::string("\x08\x02\x00\x00\x00", 5) + be32(0);
    };
    const auto bmp = [&](std::uint32_t w, std::uint32_t h)
    { return "BM" + le32(0) + le32(0) + le32(54) + le32(40) + le32(w) + le32(h) + std::string(28, '\0'); };
    const auto jpeg = [](unsigned w, unsigned h)
    {
        std::string b("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);
        b += std::string("\xFF\xC0\x00\x11\x08", 5);
        b += {static_cast<char>(h >> 8), static_cast<char>(h), static_cast<char>(w >> 8),
              static_cast<char>(w)};
        b += std::string(10, '\x01');
        return b;
    };
    struct Case
    {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"PNG wider than the limit", png(16385, 10)},
        {"PNG of too many pixels", png(16384, 16384)},
        {"PNG of no width", png(0, 10)},
        {"BMP taller than the limit", bmp(10, 100000)},
        {"BMP stored top-down, too tall", bmp(10, static_cast<std::uint32_t>(-100000))},
        {"JPEG wider than the limit", jpeg(60000, 10)},
        {"JPEG without a frame", std::string("\xFF\xD8\xFF\xD9", 4)},
        {"cut-off PNG signature", std::string("\x89PNG", 4)},
        {"text", "not a picture at all"},
        {"empty file", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const fs::path path = home.File("picture");
        fs::create_directories(path.parent_path());
        ASSERT_TRUE(testsupport::WriteBytes(path, c.bytes));
        EXPECT_FALSE(platform::LoadImage(path).IsOk());
    }
    EXPECT_FALSE(platform::LoadImage(home.File("missing.png")).IsOk());

    // A small picture goes through each format and comes back with its size (and, losslessly, its
    // pixels).
    wxImage image(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            image.SetRGB(x, y, static_cast<unsigned char>(6 * x), static_cast<unsigned char>(8 * y), 200);
    for (const platform::ImageFormat format :
         {platform::ImageFormat::Png, platform::ImageFormat::Bmp, platform::ImageFormat::Jpeg})
    {
        const fs::path path = home.File("small");
        ASSERT_TRUE(platform::SaveImage(image, path, format, 100));
        const wxImage back = platform::LoadImage(path);
        ASSERT_TRUE(back.IsOk());
        EXPECT_EQ(back.GetSize(), image.GetSize());
        const int tolerance = format == platform::ImageFormat::Jpeg ? 12 : 0;
        EXPECT_TRUE(Near(PixelOf(back, 25, 17), PixelOf(image, 25, 17), tolerance));
    }
    EXPECT_FALSE(platform::SaveImage(wxImage(), home.File("empty.png"), platform::ImageFormat::Png));
    EXPECT_FALSE(fs::exists(home.File("empty.png")));
}

// Hand-computed: sqrt(1.1) = 1.0488088; A4 at 1200 dpi is 9921 x 14031 dots, at 600 dpi 4960 x 7015.
TEST(SndViewPagePlacementTest, CentresThePlotAtTheSharesOfThePageWidth)
{
    struct Case
    {
        int width, height;
        SndViewPagePlacement expected;
    };
    const Case cases[] = {
        {4960, 7015, {3877, 2790, 541, 2112}},
        {9921, 14031, {7756, 5580, 1082, 4225}},
        // Landscape: the height share still follows the width.
        {7015, 4960, {5484, 3946, 765, 507}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.width);
        const SndViewPagePlacement place = PlacePlotOnPage(c.width, c.height);
        EXPECT_EQ(place.width, c.expected.width);
        EXPECT_EQ(place.height, c.expected.height);
        EXPECT_EQ(place.originX, c.expected.originX);
        EXPECT_EQ(place.originY, c.expected.originY);
    }
}

TEST_F(SndViewExportTest, PrintsOnePageToAPdfFileWithThePlotCentred)
{
    const fs::path folder = OutputFolder();
    const fs::path pdf = folder / "view-export-print.pdf";
    fs::remove(pdf);
    View().GetSettings()->m_strWindowTitle = "Bench 3";

    wxPrintData data;
    data.SetPaperId(wxPAPER_A4);
    data.SetOrientation(wxPORTRAIT);
    ASSERT_TRUE(SetPrintToPdfFile(data, pdf));
    ASSERT_TRUE(m_window->Print(data, false));
    EXPECT_EQ(View().m_bRendering, 0);
    EXPECT_TRUE(m_frameServices.messages.empty());

    const std::string bytes = testsupport::ReadBytes(pdf);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), "%PDF");

    if (!ProgramAvailable("pdftoppm"))
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed: the printed page was not looked at";
    const std::string prefix = "view-export-print-page";
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().starts_with(prefix))
            fs::remove(entry.path());
    ASSERT_EQ(RunProgram({"pdftoppm", "-png", "-r", "50", pdf.string(), (folder / prefix).string()}), 0);
    std::vector<fs::path> pages;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().starts_with(prefix))
            pages.push_back(entry.path());
    ASSERT_EQ(pages.size(), 1u);
    const wxImage page = platform::LoadImage(pages.front());
    ASSERT_TRUE(page.IsOk());

    // A4 portrait at 50 dpi: 413 x 585.
    const int w = page.GetWidth();
    const int h = page.GetHeight();
    EXPECT_NEAR(w, 413, 2);
    EXPECT_NEAR(h, 585, 2);
    int left = w, right = -1, top = h, bottom = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!Near(PixelOf(page, x, y), Rgb{255, 255, 255}, 8))
            {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, left);
    // The plot takes 0.82 / sqrt(1.1) = 78 % of the width and 0.59 / sqrt(1.1) = 56 % of the
    // width in height (a little more with the address line above it), centred.
    const double width = right - left + 1;
    const double height = bottom - top + 1;
    EXPECT_NEAR(width / w, 0.782, 0.02);
    EXPECT_GT(height / w, 0.55);
    EXPECT_LT(height / w, 0.62);
    EXPECT_NEAR((left + right) / 2.0, w / 2.0, 0.02 * w);
    EXPECT_NEAR((top + bottom) / 2.0, h / 2.0, 0.04 * h);
    // The frame's background fills the plot's rectangle: most of it is not white.
    int filled = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (!Near(PixelOf(page, x, y), Rgb{255, 255, 255}, 8))
                ++filled;
    EXPECT_GT(filled / (width * height), 0.8);
}

TEST_F(SndViewExportTest, RemoteScreenshotCopiesThePictureAndGivesUpOnATargetThatStaysUnwritable)
{
    m_window->GetView().m_nScreenshotRetryMs = 1;
    const fs::path target = m_home.Root() / "remote.png";
    ASSERT_TRUE(m_window->GetView().RemoteScreenshot(target.string()));
    const wxImage copied = platform::LoadImage(target);
    ASSERT_TRUE(copied.IsOk());
    EXPECT_EQ(copied.GetWidth(), CSndView::kExportWidth);
    EXPECT_EQ(copied.GetHeight(), CSndView::kExportHeight);

    // A folder that does not exist never takes the copy: the attempts end and say so.
    EXPECT_FALSE(m_window->GetView().RemoteScreenshot((m_home.Root() / "missing" / "remote.png").string()));
    EXPECT_FALSE(fs::exists(m_home.Root() / "missing"));
}

}  // namespace

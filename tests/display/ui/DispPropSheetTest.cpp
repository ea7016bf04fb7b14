// The display property sheet and its pages, driven through their real controls under the window
// toolkit: members shown and read back, refused entries, the marker list and 3D word rules, the
// two ways the sheet is built.
#include "display/ui/DispPropSheet.h"

#include <gtest/gtest.h>
#include <wx/bookctrl.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/controls/ColorComboBox.h"
#include "common/controls/ItemComboBox.h"
#include "display/ColorPalette.h"
#include "display/CurveMarkers.h"
#include "platform/ui/MessageBoxService.h"
#include "platform/ui/ScreenCapture.h"
#include "tests/display/ScopedLanguage.h"
#include "tests/support/WxEnvironment.h"

namespace
{

// ---------------------------------------------------------------------------------------------
// Plain rules: the marker list and the 3D style word

TEST(MarkerFrequencyList, KeepsChangesDropsZerosAndStopsAtLongLines)
{
    const struct
    {
        const char* name;
        std::string text;
        std::vector<double> kept;
    } cases[] = {
        {"repeated neighbours and zeros", "100\n100\n0\n200\n200\n100\n0\n", {100, 200, 100}},
        {"windows line ends", "1.5\r\n2.5\r\n", {1.5, 2.5}},
        {"last line without end", "50\n60", {50, 60}},
        {"leading number of a line", "  12abc\nabc\n\n13 Hz\n", {12, 13}},
        {"decimal point in any locale", "1,5\n2.25\n", {1, 2.25}},
        {"first comparison is with -1e9", "-1000000000\n5\n", {5}},
        {"empty", "", {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::array<double, kMaxMarkerFrequencies> out{};
        const int count = ParseMarkerFrequencyList(c.text, out);
        ASSERT_EQ(count, static_cast<int>(c.kept.size()));
        for (std::size_t i = 0; i < c.kept.size(); ++i)
            EXPECT_DOUBLE_EQ(out[i], c.kept[i]);
    }
}

TEST(MarkerFrequencyList, ALineLongerThan1000CharactersEndsTheList)
{
    std::string text = "7\n";
    text.append(997, ' ');
    text += "440\n441\n";  // the second line has exactly 1000 characters
    std::array<double, 8> out{};
    ASSERT_EQ(ParseMarkerFrequencyList(text, out), 3);
    EXPECT_DOUBLE_EQ(out[1], 440);

    text = "7\n";
    text.append(998, ' ');
    text += "440\n441\n";
    ASSERT_EQ(ParseMarkerFrequencyList(text, out), 1);
    EXPECT_DOUBLE_EQ(out[0], 7);
}

TEST(MarkerFrequencyList, KeepsAtMostTheFirst256AndNeverMoreThanTheArrayHolds)
{
    std::string text;
    for (int i = 1; i <= 300; ++i)
        text += std::to_string(i) + "\n";
    std::vector<double> out(300, -7.0);
    ASSERT_EQ(ParseMarkerFrequencyList(text, out), 256);
    EXPECT_DOUBLE_EQ(out[0], 1.0);
    EXPECT_DOUBLE_EQ(out[255], 256.0);
    EXPECT_DOUBLE_EQ(out[256], -7.0);  // beyond 256 nothing is written

    std::array<double, 4> small{};
    EXPECT_EQ(ParseMarkerFrequencyList(text, small), 4);
    EXPECT_DOUBLE_EQ(small[3], 4.0);
}

TEST(MarkerFrequencyList, FormatReadsBackToTheSameValues)
{
    const std::vector<double> values = {31.5, 1000, 12345.678901};
    const std::string text = FormatMarkerFrequencyList(values);
    EXPECT_EQ(text, "31.500000\n1000.000000\n12345.678901\n");
    std::array<double, 8> out{};
    ASSERT_EQ(ParseMarkerFrequencyList(text, out), 3);
    EXPECT_DOUBLE_EQ(out[2], 12345.678901);
}

TEST(StyleWord3d, SplitsIntoThePageSettingsAndBack)
{
    const struct
    {
        std::uint32_t word;
        bool solid, jet, grid, texture, xOff, zOff, help;
        unsigned lines;
    } cases[] = {
        {0x63000000u | 0x80 | 0x02, true, true, true, false, false, false, false, 99},
        {0x14000000u | 0x100 | 0x08 | 0x200, true, false, false, true, false, false, true, 20},
        {0x40u | 0x10 | 0x20, true, false, false, false, true, true, false, 0},  // 64 also reads as solid
        {0x78000000u, false, false, false, false, false, false, false, 120},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.word);
        CDispProp_3d page;
        Load3dStyleWord(page, c.word);
        EXPECT_EQ(page.m_bSolidFill, c.solid);
        EXPECT_EQ(page.m_bJetColor, c.jet);
        EXPECT_EQ(page.m_bGrid, c.grid);
        EXPECT_EQ(page.m_bLoadTexture, c.texture);
        EXPECT_EQ(page.m_bXGridOff, c.xOff);
        EXPECT_EQ(page.m_bZGridOff, c.zOff);
        EXPECT_EQ(page.m_bShowHelp, c.help);
        EXPECT_EQ(page.m_nLines, c.lines);
    }
}

TEST(StyleWord3d, SolidFillDecidesTheSurfaceBits)
{
    CDispProp_3d page;
    page.m_nLines = 99;
    // Without solid fill none of 0x40, 0x80, 0x100 survives, whatever the word had.
    page.m_bSolidFill = false;
    page.m_bJetColor = true;
    EXPECT_EQ(Store3dStyleWord(page, 0x1C0u) & 0x1C0u, 0u);
    page.m_bSolidFill = true;
    EXPECT_EQ(Store3dStyleWord(page, 0x140u) & 0x1C0u, 0x80u);
    page.m_bJetColor = false;
    EXPECT_EQ(Store3dStyleWord(page, 0x0C0u) & 0x1C0u, 0x100u);

    // Every option at its value; lines in the top byte; bits the page does not edit stay.
    page.m_bGrid = page.m_bLoadTexture = page.m_bXGridOff = page.m_bZGridOff = page.m_bShowHelp = true;
    EXPECT_EQ(Store3dStyleWord(page, 0xFF000000u | 0x401u | 0x04u),
              (99u << 24) | 0x100u | 0x2u | 0x8u | 0x10u | 0x20u | 0x200u | 0x401u | 0x04u);
}

// ---------------------------------------------------------------------------------------------
// Pages and the sheet under the window toolkit

class DispPropTest : public ::testing::Test
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
        m_responder.reset();
        if (m_frame != nullptr)
            m_frame->Destroy();
    }

public:
    // A page made under the owner frame.
    template <class Page>
    Page* MakePage()
    {
        auto* page = new Page();
        EXPECT_TRUE(page->Create(m_frame));
        return page;
    }

protected:
    displaytest::ScopedLanguage m_english{LANGUAGE_ENGLISH};
    wxFrame* m_frame = nullptr;
    std::vector<std::string> m_messages;
    std::unique_ptr<platform::ui::ScopedMessageBoxResponder> m_responder;
};

// One page's round trip: members A shown, members overwritten, read back from the controls, A again.
struct RoundTrip
{
    const char* name;
    std::function<void(DispPropTest&, std::function<DispPropPage*()>)> run;
};

template <class Page>
void CheckRoundTrip(Page* page, const std::function<void(Page&)>& fill,
                    const std::function<void(Page&)>& clobber, const std::function<void(const Page&)>& check)
{
    fill(*page);
    ASSERT_TRUE(page->TransferDataToWindow());
    clobber(*page);
    ASSERT_TRUE(page->Validate());
    ASSERT_TRUE(page->TransferDataFromWindow());
    check(*page);
}

TEST_F(DispPropTest, EveryPageShowsItsMembersAndReadsThemBack)
{
    std::array<double, kMaxMarkerFrequencies> markers{100, 1000, 2000};
    const std::vector<std::function<void()>> pages = {
        [&]
        {
            SCOPED_TRACE("zoom");
            CheckRoundTrip<CDispProp_zoom>(
                MakePage<CDispProp_zoom>(),
                [](CDispProp_zoom& p)
                {
                    p.m_bXLog = true;
                    p.m_bYLog = false;
                    p.m_dYMax = 12.5;
                    p.m_dYMin = -120.25;
                    p.m_dXMax = 20000;
                    p.m_dXMin = 0.1;
                },
                [](CDispProp_zoom& p)
                { p.m_dYMax = p.m_dYMin = p.m_dXMax = p.m_dXMin = 0, p.m_bXLog = false; },
                [](const CDispProp_zoom& p)
                {
                    EXPECT_TRUE(p.m_bXLog);
                    EXPECT_FALSE(p.m_bYLog);
                    EXPECT_EQ(p.m_dYMax, 12.5);
                    EXPECT_EQ(p.m_dYMin, -120.25);
                    EXPECT_EQ(p.m_dXMax, 20000);
                    EXPECT_EQ(p.m_dXMin, 0.1);
                });
        },
        [&]
        {
            SCOPED_TRACE("bar");
            CheckRoundTrip<CDispProp_bar>(
                MakePage<CDispProp_bar>(),
                [](CDispProp_bar& p)
                {
                    p.m_bActive = true;
                    p.m_nBarsPerOctave = 50;
                    p.m_fDecay = 12.5f;
                    p.m_bPeakHold = true;
                    p.m_fPeakDecay = 150.0f;
                },
                [](CDispProp_bar& p)
                {
                    p.m_bActive = p.m_bPeakHold = false;
                    p.m_nBarsPerOctave = 3;
                    p.m_fDecay = p.m_fPeakDecay = 1;
                },
                [](const CDispProp_bar& p)
                {
                    EXPECT_TRUE(p.m_bActive);
                    EXPECT_EQ(p.m_nBarsPerOctave, 50);
                    EXPECT_EQ(p.m_fDecay, 12.5f);
                    EXPECT_TRUE(p.m_bPeakHold);
                    EXPECT_EQ(p.m_fPeakDecay, 150.0f);
                });
        },
        [&]
        {
            SCOPED_TRACE("math");
            CheckRoundTrip<CDispProp_2nd>(
                MakePage<CDispProp_2nd>(),
                [](CDispProp_2nd& p)
                {
                    p.m_nMathMode = 2;
                    p.m_nMathFunction = 1;
                },
                [](CDispProp_2nd& p) { p.m_nMathMode = p.m_nMathFunction = 0; },
                [](const CDispProp_2nd& p)
                {
                    EXPECT_EQ(p.m_nMathMode, 2);
                    EXPECT_EQ(p.m_nMathFunction, 1);
                });
        },
        [&]
        {
            SCOPED_TRACE("line styles");
            CheckRoundTrip<CDispProp_linestyles>(
                MakePage<CDispProp_linestyles>(),
                [](CDispProp_linestyles& p)
                {
                    for (int i = 0; i < 4; ++i)
                    {
                        p.m_styles[i].m_nColorIndex = 19 - i;
                        p.m_styles[i].m_nMarker = 10 - i;
                        p.m_styles[i].m_nPenStyle = 3 - i;
                        p.m_styles[i].m_nWidth = 1 + i % 3;
                    }
                },
                [](CDispProp_linestyles& p) { p.m_styles = {}; },
                [](const CDispProp_linestyles& p)
                {
                    for (int i = 0; i < 4; ++i)
                    {
                        EXPECT_EQ(p.m_styles[i].m_nColorIndex, 19 - i);
                        EXPECT_EQ(p.m_styles[i].m_nMarker, 10 - i);
                        EXPECT_EQ(p.m_styles[i].m_nPenStyle, 3 - i);
                        EXPECT_EQ(p.m_styles[i].m_nWidth, 1 + i % 3);
                    }
                });
        },
        [&]
        {
            SCOPED_TRACE("color");
            CheckRoundTrip<CDispProp_color>(
                MakePage<CDispProp_color>(),
                [](CDispProp_color& p)
                {
                    p.m_nScheme = 3;
                    p.m_nOtherColorIndex = 12;
                    p.m_nFrameColorIndex = 7;
                },
                [](CDispProp_color& p) { p.m_nScheme = p.m_nOtherColorIndex = p.m_nFrameColorIndex = 0; },
                [](const CDispProp_color& p)
                {
                    EXPECT_EQ(p.m_nScheme, 3);
                    EXPECT_EQ(p.m_nOtherColorIndex, 12);
                    EXPECT_EQ(p.m_nFrameColorIndex, 7);
                });
        },
        [&]
        {
            SCOPED_TRACE("spectrogram");
            CheckRoundTrip<CDispProp_spectrogram>(
                MakePage<CDispProp_spectrogram>(),
                [](CDispProp_spectrogram& p)
                {
                    p.m_bGreyscale = true;
                    p.m_bReverseTime = false;
                    p.m_bReverseFrequency = true;
                    p.m_bSwapAxes = true;
                },
                [](CDispProp_spectrogram& p)
                { p.m_bGreyscale = p.m_bReverseTime = p.m_bReverseFrequency = p.m_bSwapAxes = false; },
                [](const CDispProp_spectrogram& p)
                {
                    EXPECT_TRUE(p.m_bGreyscale);
                    EXPECT_FALSE(p.m_bReverseTime);
                    EXPECT_TRUE(p.m_bReverseFrequency);
                    EXPECT_TRUE(p.m_bSwapAxes);
                });
        },
        [&]
        {
            SCOPED_TRACE("marker");
            CheckRoundTrip<CDispProp_marker>(
                MakePage<CDispProp_marker>(),
                [&markers](CDispProp_marker& p)
                {
                    p.m_frequencies = markers;
                    p.m_nCount = 3;
                    p.m_bShow = true;
                },
                [&markers](CDispProp_marker& p)
                {
                    markers.fill(0);
                    p.m_nCount = 0;
                    p.m_bShow = false;
                },
                [&markers](const CDispProp_marker& p)
                {
                    EXPECT_EQ(p.m_nCount, 3);
                    EXPECT_TRUE(p.m_bShow);
                    EXPECT_EQ(markers[0], 100);
                    EXPECT_EQ(markers[2], 2000);
                    EXPECT_EQ(p.m_strText, "100.000000\n1000.000000\n2000.000000\n");
                });
        },
        [&]
        {
            SCOPED_TRACE("special");
            CheckRoundTrip<CDispProp_special>(
                MakePage<CDispProp_special>(),
                [](CDispProp_special& p)
                {
                    p.m_nRefreshMs = 10000;
                    p.m_bPeakInterpolate = true;
                    p.m_bSmoothing = true;
                    p.m_nSmoothingOctaves = 32;
                    p.m_bEvenHarmonics = true;
                    p.m_bOddHarmonics = false;
                    p.m_nMaxHarmonics = 20;
                    p.m_bPlotPercent = true;
                    p.m_nHistoryDepth = 1000;
                    p.m_bJetColors = true;
                },
                [](CDispProp_special& p)
                {
                    p.m_nRefreshMs = 5;
                    p.m_bPeakInterpolate = p.m_bSmoothing = p.m_bEvenHarmonics = p.m_bPlotPercent = false;
                    p.m_bJetColors = false;
                    p.m_bOddHarmonics = true;
                    p.m_nSmoothingOctaves = p.m_nMaxHarmonics = p.m_nHistoryDepth = 3;
                },
                [](const CDispProp_special& p)
                {
                    EXPECT_EQ(p.m_nRefreshMs, 10000u);
                    EXPECT_TRUE(p.m_bPeakInterpolate);
                    EXPECT_TRUE(p.m_bSmoothing);
                    EXPECT_EQ(p.m_nSmoothingOctaves, 32);
                    EXPECT_TRUE(p.m_bEvenHarmonics);
                    EXPECT_FALSE(p.m_bOddHarmonics);
                    EXPECT_EQ(p.m_nMaxHarmonics, 20);
                    EXPECT_TRUE(p.m_bPlotPercent);
                    EXPECT_EQ(p.m_nHistoryDepth, 1000);
                    EXPECT_TRUE(p.m_bJetColors);
                });
        },
        [&]
        {
            SCOPED_TRACE("3D");
            CheckRoundTrip<CDispProp_3d>(
                MakePage<CDispProp_3d>(),
                [](CDispProp_3d& p)
                {
                    p.m_bGrid = true;
                    p.m_bJetColor = true;
                    p.m_bLoadTexture = false;
                    p.m_bXGridOff = true;
                    p.m_bZGridOff = false;
                    p.m_bShowHelp = true;
                    p.m_nLines = 2;
                    p.m_bSolidFill = true;
                },
                [](CDispProp_3d& p)
                {
                    p.m_bGrid = p.m_bJetColor = p.m_bXGridOff = p.m_bShowHelp = p.m_bSolidFill = false;
                    p.m_bLoadTexture = p.m_bZGridOff = true;
                    p.m_nLines = 50;
                },
                [](const CDispProp_3d& p)
                {
                    EXPECT_TRUE(p.m_bGrid);
                    EXPECT_TRUE(p.m_bJetColor);
                    EXPECT_FALSE(p.m_bLoadTexture);
                    EXPECT_TRUE(p.m_bXGridOff);
                    EXPECT_FALSE(p.m_bZGridOff);
                    EXPECT_TRUE(p.m_bShowHelp);
                    EXPECT_EQ(p.m_nLines, 2u);
                    EXPECT_TRUE(p.m_bSolidFill);
                });
        },
        [&]
        {
            SCOPED_TRACE("reduction");
            CheckRoundTrip<CDispProp_special1>(
                MakePage<CDispProp_special1>(), [](CDispProp_special1& p) { p.m_nDecimation = 7; },
                [](CDispProp_special1& p) { p.m_nDecimation = -1; },
                [](const CDispProp_special1& p) { EXPECT_EQ(p.m_nDecimation, 7); });
        },
    };
    for (const auto& page : pages)
        page();
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(DispPropTest, EntriesTypedIntoTheControlsReachTheMembers)
{
    auto* zoom = MakePage<CDispProp_zoom>();
    zoom->TransferDataToWindow();
    zoom->m_pYMax->ChangeValue(" 6.25 ");
    zoom->m_pXMin->ChangeValue("-1e3");
    zoom->m_pYLog->SetValue(true);
    ASSERT_TRUE(zoom->TransferDataFromWindow());
    EXPECT_EQ(zoom->m_dYMax, 6.25);
    EXPECT_EQ(zoom->m_dXMin, -1000);
    EXPECT_TRUE(zoom->m_bYLog);

    auto* math = MakePage<CDispProp_2nd>();
    math->TransferDataToWindow();
    math->m_mathFunction.GetButton(2)->SetValue(true);
    ASSERT_TRUE(math->TransferDataFromWindow());
    EXPECT_EQ(math->m_nMathFunction, 2);
    EXPECT_FALSE(math->m_mathFunction.GetButton(0)->GetValue());

    // The smoothing slider shows its position beside it.
    auto* special = MakePage<CDispProp_special>();
    special->m_nSmoothingOctaves = 12;
    special->TransferDataToWindow();
    EXPECT_EQ(special->m_pSmoothingValue->GetLabel(), "12");
    EXPECT_EQ(special->m_pSmoothingOctaves->GetMin(), 1);
    EXPECT_EQ(special->m_pSmoothingOctaves->GetMax(), 32);
    special->m_pSmoothingOctaves->SetValue(5);
    wxCommandEvent moved(wxEVT_SLIDER, special->m_pSmoothingOctaves->GetId());
    moved.SetEventObject(special->m_pSmoothingOctaves);
    special->m_pSmoothingOctaves->GetEventHandler()->ProcessEvent(moved);
    EXPECT_EQ(special->m_pSmoothingValue->GetLabel(), "5");
    ASSERT_TRUE(special->TransferDataFromWindow());
    EXPECT_EQ(special->m_nSmoothingOctaves, 5);

    // The marker page reads what the user typed by the list rules, into the caller's array.
    std::array<double, 4> markers{};
    auto* marker = MakePage<CDispProp_marker>();
    marker->m_frequencies = markers;
    marker->TransferDataToWindow();
    EXPECT_EQ(marker->m_pText->GetValue(), "");
    marker->m_pText->ChangeValue("1000\n1000\n0\n500\n1000\n2000\n3000\n");
    ASSERT_TRUE(marker->TransferDataFromWindow());
    EXPECT_EQ(marker->m_nCount, 4);
    EXPECT_EQ(markers, (std::array<double, 4>{1000, 500, 1000, 2000}));
}

TEST_F(DispPropTest, OutOfRangeEntriesAreRefusedAndNothingIsStored)
{
    const struct
    {
        const char* name;
        std::function<DispPropPage*(DispPropTest&)> make;
        std::function<wxTextCtrl*(DispPropPage*)> edit;
        const char* entry;
        bool accepted;
        const char* message;
    } cases[] = {
        {"bars 51", [](DispPropTest& t) { return t.MakePage<CDispProp_bar>(); },
         [](DispPropPage* p) { return static_cast<CDispProp_bar*>(p)->m_pBarsPerOctave; }, "51", false,
         "Please enter an integer between 1 and 50."},
        {"bars 0", [](DispPropTest& t) { return t.MakePage<CDispProp_bar>(); },
         [](DispPropPage* p) { return static_cast<CDispProp_bar*>(p)->m_pBarsPerOctave; }, "0", false,
         "Please enter an integer between 1 and 50."},
        {"bars 50", [](DispPropTest& t) { return t.MakePage<CDispProp_bar>(); },
         [](DispPropPage* p) { return static_cast<CDispProp_bar*>(p)->m_pBarsPerOctave; }, "50", true, ""},
        {"bars text", [](DispPropTest& t) { return t.MakePage<CDispProp_bar>(); },
         [](DispPropPage* p) { return static_cast<CDispProp_bar*>(p)->m_pBarsPerOctave; }, "3x", false,
         "Please enter an integer."},
        {"decay 150.5", [](DispPropTest& t) { return t.MakePage<CDispProp_bar>(); },
         [](DispPropPage* p) { return static_cast<CDispProp_bar*>(p)->m_pDecay; }, "150.5", false,
         "Please enter a number between 0 and 150."},
        {"peak decay -1", [](DispPropTest& t) { return t.MakePage<CDispProp_bar>(); },
         [](DispPropPage* p) { return static_cast<CDispProp_bar*>(p)->m_pPeakDecay; }, "-1", false,
         "Please enter a number between 0 and 150."},
        {"refresh 10001", [](DispPropTest& t) { return t.MakePage<CDispProp_special>(); },
         [](DispPropPage* p) { return static_cast<CDispProp_special*>(p)->m_pRefresh; }, "10001", false,
         "Please enter an integer between 1 and 10000."},
        {"refresh -5", [](DispPropTest& t) { return t.MakePage<CDispProp_special>(); },
         [](DispPropPage* p) { return static_cast<CDispProp_special*>(p)->m_pRefresh; }, "-5", false,
         "Please enter a positive integer."},
        {"harmonics 21", [](DispPropTest& t) { return t.MakePage<CDispProp_special>(); },
         [](DispPropPage* p) { return static_cast<CDispProp_special*>(p)->m_pMaxHarmonics; }, "21", false,
         "Please enter an integer between 1 and 20."},
        {"history 1001", [](DispPropTest& t) { return t.MakePage<CDispProp_special>(); },
         [](DispPropPage* p) { return static_cast<CDispProp_special*>(p)->m_pHistoryDepth; }, "1001", false,
         "Please enter an integer between 0 and 1000."},
        {"history 0", [](DispPropTest& t) { return t.MakePage<CDispProp_special>(); },
         [](DispPropPage* p) { return static_cast<CDispProp_special*>(p)->m_pHistoryDepth; }, "0", true, ""},
        {"lines 1", [](DispPropTest& t) { return t.MakePage<CDispProp_3d>(); },
         [](DispPropPage* p) { return static_cast<CDispProp_3d*>(p)->m_pLines; }, "1", false,
         "Please enter an integer between 2 and 120."},
        {"lines 121", [](DispPropTest& t) { return t.MakePage<CDispProp_3d>(); },
         [](DispPropPage* p) { return static_cast<CDispProp_3d*>(p)->m_pLines; }, "121", false,
         "Please enter an integer between 2 and 120."},
        {"y max empty", [](DispPropTest& t) { return t.MakePage<CDispProp_zoom>(); },
         [](DispPropPage* p) { return static_cast<CDispProp_zoom*>(p)->m_pYMax; }, "", false,
         "Please enter a number."},
        {"x min not finite", [](DispPropTest& t) { return t.MakePage<CDispProp_zoom>(); },
         [](DispPropPage* p) { return static_cast<CDispProp_zoom*>(p)->m_pXMin; }, "1e999", false,
         "Please enter a number."},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        m_messages.clear();
        DispPropPage* page = c.make(*this);
        page->TransferDataToWindow();
        wxTextCtrl* edit = c.edit(page);
        const wxString shown = edit->GetValue();
        edit->ChangeValue(c.entry);
        EXPECT_EQ(page->Validate(), c.accepted);
        EXPECT_EQ(page->TransferDataFromWindow(), c.accepted);
        if (c.accepted)
        {
            EXPECT_TRUE(m_messages.empty());
            continue;
        }
        ASSERT_EQ(m_messages.size(), 2u);
        EXPECT_EQ(m_messages[0], c.message);
        // Nothing of the page was stored: showing the members again brings back the old entry.
        page->TransferDataToWindow();
        EXPECT_EQ(edit->GetValue(), shown);
    }
}

TEST_F(DispPropTest, ReductionPageWithoutAStoredChoiceSelectsNoButton)
{
    auto* page = MakePage<CDispProp_special1>();
    ASSERT_EQ(page->m_nDecimation, -1);
    ASSERT_EQ(page->m_decimation.GetCount(), 8);
    const auto selected = [page]
    {
        int count = 0;
        for (int i = 0; i < 8; ++i)
            count += page->m_decimation.GetButton(i)->GetValue() ? 1 : 0;
        return count;
    };
    page->TransferDataToWindow();
    EXPECT_EQ(selected(), 0);
    ASSERT_TRUE(page->TransferDataFromWindow());
    EXPECT_EQ(page->m_nDecimation, -1);

    page->m_nDecimation = 4;
    page->TransferDataToWindow();
    EXPECT_EQ(selected(), 1);
    EXPECT_TRUE(page->m_decimation.GetButton(4)->GetValue());
    EXPECT_EQ(page->m_decimation.GetButton(4)->GetLabel(), "Average");
    page->m_nDecimation = -1;
    page->TransferDataToWindow();
    EXPECT_EQ(selected(), 0);
}

TEST_F(DispPropTest, LeavingThe3dPageWithoutSolidFillClearsTheSurfaceBits)
{
    auto* page = MakePage<CDispProp_3d>();
    Load3dStyleWord(*page, (40u << 24) | 0x80u | 0x02u);
    page->TransferDataToWindow();
    EXPECT_TRUE(page->m_pSolidFill->GetValue());
    EXPECT_TRUE(page->m_pJetColor->GetValue());
    EXPECT_EQ(page->m_pLines->GetValue(), "40");
    page->m_pSolidFill->SetValue(false);
    ASSERT_TRUE(page->TransferDataFromWindow());
    EXPECT_EQ(Store3dStyleWord(*page, (40u << 24) | 0x1C0u | 0x02u), (40u << 24) | 0x02u);
}

TEST_F(DispPropTest, LineStylesPageOffersThePaletteAndTheMarkers)
{
    auto* page = MakePage<CDispProp_linestyles>();
    for (int row = 0; row < 4; ++row)
    {
        CColorComboBox* color = page->m_pColor[static_cast<std::size_t>(row)];
        ASSERT_TRUE(color->m_bPalette);
        ASSERT_EQ(color->GetCount(), 20u);
        for (int i = 0; i < 20; ++i)
        {
            EXPECT_EQ(color->GetString(static_cast<unsigned>(i)).utf8_string(), GetPaletteColorName(i));
            EXPECT_EQ(color->GetItemColor(i), GetPaletteColor(i));
        }
        CMarkerComboBox* marker = page->m_pMarker[static_cast<std::size_t>(row)];
        ASSERT_EQ(marker->GetCount(), 11u);
        for (int i = 0; i < 11; ++i)
            EXPECT_EQ(marker->GetString(static_cast<unsigned>(i)).utf8_string(), GetMarkerName(i));
        EXPECT_EQ(page->m_pStyle[static_cast<std::size_t>(row)]->GetString(1), "dashed");
    }
    EXPECT_EQ(GetPaletteColorName(0), "black");
    // The selection index is the palette index; any colour goes to its nearest palette entry.
    page->m_pColor[0]->SelectColor(RgbColor(250, 5, 5));
    EXPECT_EQ(page->m_pColor[0]->GetSelection(), PALETTE_RED);
    page->m_pColor[1]->SelectColor(GetPaletteColor(PALETTE_DARK_GREY));
    EXPECT_EQ(page->m_pColor[1]->GetSelection(), PALETTE_DARK_GREY);

    // Width is shown as its list index; values a list does not offer keep the stored value.
    page->m_styles[2].m_nWidth = 3;
    page->m_styles[3].m_nWidth = 7;
    page->m_styles[3].m_nPenStyle = PEN_STYLE_DASHDOTDOT;
    page->TransferDataToWindow();
    EXPECT_EQ(page->m_pWidth[2]->GetSelection(), 2);
    EXPECT_EQ(page->m_pWidth[3]->GetSelection(), wxNOT_FOUND);
    page->m_pWidth[2]->SetSelection(0);
    ASSERT_TRUE(page->TransferDataFromWindow());
    EXPECT_EQ(page->m_styles[2].m_nWidth, 1);
    EXPECT_EQ(page->m_styles[3].m_nWidth, 7);
    EXPECT_EQ(page->m_styles[3].m_nPenStyle, PEN_STYLE_DASHDOTDOT);
}

TEST_F(DispPropTest, ColorPageReadsTheOtherColourOnlyWithTheOtherScheme)
{
    auto* page = MakePage<CDispProp_color>();
    page->m_nScheme = 1;
    page->m_nOtherColorIndex = 4;
    page->m_nFrameColorIndex = 9;
    page->TransferDataToWindow();
    EXPECT_EQ(page->m_pOtherColor->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(page->m_pFrameColor->GetSelection(), 9);
    EXPECT_TRUE(page->m_scheme.GetButton(1)->GetValue());
    page->m_pOtherColor->SetSelection(15);
    page->m_pFrameColor->SetSelection(2);
    ASSERT_TRUE(page->TransferDataFromWindow());
    EXPECT_EQ(page->m_nOtherColorIndex, 4);
    EXPECT_EQ(page->m_nFrameColorIndex, 2);

    page->m_scheme.GetButton(3)->SetValue(true);
    ASSERT_TRUE(page->TransferDataFromWindow());
    EXPECT_EQ(page->m_nScheme, 3);
    EXPECT_EQ(page->m_nOtherColorIndex, 15);
}

// ---------------------------------------------------------------------------------------------
// The sheet, run modally and driven from inside its own event loop

class DispPropSheetTest : public DispPropTest
{
protected:
    // Runs the sheet modally; the steps run one after the other from inside its loop. A timer ends
    // a sheet that a failing step left open.
    int RunModal(CDispProp_sheet& sheet, std::vector<std::function<void()>> steps)
    {
        m_steps = std::move(steps);
        m_next = 0;
        wxTimer guard;
        guard.Bind(wxEVT_TIMER,
                   [&sheet](wxTimerEvent&)
                   {
                       if (sheet.IsModal())
                           sheet.EndModal(wxID_ABORT);
                   });
        guard.StartOnce(10000);
        sheet.CallAfter([this] { NextStep(); });
        const int result = sheet.ShowModal();
        guard.Stop();
        EXPECT_EQ(m_next, m_steps.size()) << "not every step ran";
        return result;
    }

    void NextStep()
    {
        if (m_next >= m_steps.size())
            return;
        const std::size_t step = m_next++;
        // The next step is queued first: a step that closes the sheet leaves it unrun on purpose.
        m_frame->CallAfter([this] { NextStep(); });
        m_steps[step]();
    }

    static void Press(CDispProp_sheet& sheet, int id)
    {
        wxWindow* button = sheet.FindWindow(id);
        ASSERT_NE(button, nullptr);
        wxCommandEvent click(wxEVT_BUTTON, id);
        click.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(click);
    }

    std::vector<std::function<void()>> m_steps;
    std::size_t m_next = 0;
};

TEST_F(DispPropSheetTest, MeasurementWindowSheetHasTenPagesInOrder)
{
    CDispProp_sheet sheet(DisplayPropertiesCaption(), m_frame);
    const DispPropMeasurementPages pages = AddMeasurementWindowPages(sheet);
    EXPECT_EQ(sheet.GetTitle(), "Display properties");
    EXPECT_EQ(sheet.GetTabTitles(),
              (std::vector<std::string>{"Zoom", "bars", "math", "line style", "color", "spectrogram",
                                        "Marker", "special", "3D", "reduction"}));
    std::vector<int> templates;
    for (int i = 0; i < sheet.GetPageCount(); ++i)
        templates.push_back(sheet.GetPage(i)->GetTemplateId());
    EXPECT_EQ(templates, (std::vector<int>{37, 38, 41, 39, 44, 792, 52, 445, 447, 653}));
    EXPECT_EQ(sheet.GetPage(0), pages.zoom);
    EXPECT_EQ(sheet.GetPage(9), pages.reduction);
    EXPECT_EQ(sheet.GetPage(10), nullptr);
    // The pages' own templates where the sheet does not name one.
    EXPECT_EQ(CDispProp_spectrogram().GetTemplateId(), 42);
    EXPECT_EQ(CDispProp_bar().GetTemplateId(), 0);
}

TEST_F(DispPropSheetTest, PlotDialogSheetHasTheZoomPageAlone)
{
    CDispProp_sheet sheet(DisplayPropertiesCaption(), m_frame);
    CDispProp_zoom* zoom = AddPlotDialogPages(sheet);
    ASSERT_NE(zoom, nullptr);
    EXPECT_EQ(sheet.GetPageCount(), 1);
    EXPECT_EQ(sheet.GetTabTitles(), (std::vector<std::string>{"Zoom"}));

    zoom->m_dYMax = 10;
    zoom->m_dYMin = -90;
    zoom->m_dXMax = 24000;
    zoom->m_dXMin = 20;
    const int result = RunModal(sheet, {[&]
                                        {
                                            EXPECT_EQ(zoom->m_pXMax->GetValue(), "24000");
                                            zoom->m_pXMax->ChangeValue("12000");
                                            Press(sheet, wxID_OK);
                                        }});
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(zoom->m_dXMax, 12000);
    EXPECT_EQ(zoom->m_dYMin, -90);
}

TEST_F(DispPropSheetTest, RefusedEntryKeepsTheSheetOpenOnItsPage)
{
    CDispProp_sheet sheet(DisplayPropertiesCaption(), m_frame);
    const DispPropMeasurementPages pages = AddMeasurementWindowPages(sheet);
    std::array<double, kMaxMarkerFrequencies> markers{440};
    pages.marker->m_frequencies = markers;
    pages.marker->m_nCount = 1;
    pages.bar->m_nBarsPerOctave = 3;
    pages.special->m_nRefreshMs = 100;
    pages.special->m_nMaxHarmonics = 5;
    pages.threeD->m_nLines = 99;
    const std::filesystem::path pictures = std::filesystem::path(TESSARIN_TEST_OUTPUT_DIR);

    const int result = RunModal(
        sheet, {[&]
                {
                    // A picture of the sheet as it opens, for a person to look at.
                    sheet.Update();
                    const wxImage picture = platform::ui::CaptureScreen(sheet.GetScreenRect());
                    std::error_code ignored;
                    std::filesystem::create_directories(pictures, ignored);
                    if (picture.IsOk())
                        picture.SaveFile((pictures / "disp-prop-sheet.png").string(), wxBITMAP_TYPE_PNG);

                    EXPECT_EQ(sheet.GetBookCtrl()->GetSelection(), 0);
                    pages.marker->m_pText->ChangeValue("1000\n2000\n");
                    pages.bar->m_pBarsPerOctave->ChangeValue("51");
                    Press(sheet, wxID_OK);
                },
                [&]
                {
                    // Still open, on the bar page, and nothing stored yet (the marker list neither).
                    EXPECT_TRUE(sheet.IsModal());
                    EXPECT_EQ(sheet.GetBookCtrl()->GetSelection(), 1);
                    ASSERT_EQ(m_messages.size(), 1u);
                    EXPECT_EQ(m_messages[0], "Please enter an integer between 1 and 50.");
                    EXPECT_EQ(pages.bar->m_nBarsPerOctave, 3);
                    EXPECT_EQ(pages.marker->m_nCount, 1);
                    EXPECT_EQ(markers[0], 440);
                    pages.bar->m_pBarsPerOctave->ChangeValue("50");
                    Press(sheet, wxID_OK);
                }});
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(pages.bar->m_nBarsPerOctave, 50);
    EXPECT_EQ(pages.marker->m_nCount, 2);
    EXPECT_EQ(markers[1], 2000);
}

// Pictures of every page for a person to look at (build folder, test-output); nothing is compared.
TEST_F(DispPropSheetTest, PicturesOfEveryPage)
{
    CDispProp_sheet sheet(DisplayPropertiesCaption(), m_frame);
    const DispPropMeasurementPages pages = AddMeasurementWindowPages(sheet);
    std::array<double, kMaxMarkerFrequencies> markers{100, 1000, 10000};
    pages.marker->m_frequencies = markers;
    pages.marker->m_nCount = 3;
    const std::filesystem::path pictures = std::filesystem::path(TESSARIN_TEST_OUTPUT_DIR);
    std::error_code ignored;
    std::filesystem::create_directories(pictures, ignored);
    std::vector<std::function<void()>> steps;
    for (int i = 0; i < sheet.GetPageCount(); ++i)
    {
        steps.push_back([&sheet, i] { sheet.GetBookCtrl()->SetSelection(static_cast<std::size_t>(i)); });
        steps.push_back(
            [&sheet, &pictures, i]
            {
                sheet.Update();
                const wxImage picture = platform::ui::CaptureScreen(sheet.GetScreenRect());
                if (picture.IsOk())
                    picture.SaveFile(
                        (pictures / ("disp-prop-page-" + std::to_string(i + 1) + ".png")).string(),
                        wxBITMAP_TYPE_PNG);
            });
    }
    steps.push_back([&] { Press(sheet, wxID_CANCEL); });
    EXPECT_EQ(RunModal(sheet, steps), wxID_CANCEL);
}

TEST_F(DispPropSheetTest, CancelChangesNoMemberAndTheSheetRunsAgainWithTheMembers)
{
    CDispProp_sheet sheet(DisplayPropertiesCaption(), m_frame, 2);
    const DispPropMeasurementPages pages = AddMeasurementWindowPages(sheet);
    pages.bar->m_nBarsPerOctave = 3;
    pages.special->m_nMaxHarmonics = 5;
    pages.threeD->m_nLines = 99;
    pages.math->m_nMathMode = 1;
    const int cancelled = RunModal(sheet, {[&]
                                           {
                                               EXPECT_EQ(sheet.GetBookCtrl()->GetSelection(), 2);
                                               pages.math->m_mathMode.GetButton(2)->SetValue(true);
                                               pages.bar->m_pBarsPerOctave->ChangeValue("9");
                                               Press(sheet, wxID_CANCEL);
                                           }});
    EXPECT_EQ(cancelled, wxID_CANCEL);
    EXPECT_EQ(pages.math->m_nMathMode, 1);
    EXPECT_EQ(pages.bar->m_nBarsPerOctave, 3);

    // Shown again, the sheet shows the members, not what was typed before Cancel.
    const int accepted = RunModal(sheet, {[&]
                                          {
                                              EXPECT_EQ(pages.bar->m_pBarsPerOctave->GetValue(), "3");
                                              EXPECT_TRUE(pages.math->m_mathMode.GetButton(1)->GetValue());
                                              Press(sheet, wxID_OK);
                                          }});
    EXPECT_EQ(accepted, wxID_OK);
    EXPECT_EQ(pages.math->m_nMathMode, 1);
    EXPECT_TRUE(m_messages.empty());
}

}  // namespace

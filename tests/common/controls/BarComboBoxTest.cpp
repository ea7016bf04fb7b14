#include "common/controls/BarComboBox.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <string>
#include <vector>

#include "tests/support/WxEnvironment.h"

namespace
{

TEST(BarComboDropHeight, ItemsAndScreen)
{
    struct Case
    {
        const char* what;
        int count, itemHeight, limit, top, bottom, screen;
        int height;
    };
    const Case cases[] = {
        {"five items fit", 5, 16, 0, 400, 420, 768, 112},
        {"one item shows two", 1, 16, 0, 400, 420, 768, 64},
        {"empty list shows two", 0, 16, 0, 400, 420, 768, 64},
        {"too high above: the larger free part", 40, 16, 0, 100, 120, 768, 640},
        {"too low below: the part above", 40, 16, 0, 700, 720, 768, 688},
        {"a limit is not cut to the screen", 40, 16, 30, 100, 120, 768, 512},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(BarComboDropHeight(c.count, c.itemHeight, c.limit, c.top, c.bottom, c.screen), c.height);
    }
}

class BarComboTest : public ::testing::Test
{
protected:
    // The window ids of the commands 40004, 40005 and 33006 (the toolkit's ids stop below 0x7FFF).
    static constexpr int kPaneA = 40004 - 0x8000;
    static constexpr int kPaneB = 40005 - 0x8000;
    static constexpr int kComboId = 33006 - 0x8000;

    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        m_frame = new wxFrame(nullptr, wxID_ANY, "bars", wxPoint(0, 0), wxSize(600, 300));
        m_bar = m_frame->CreateStatusBar(3);
        const int widths[] = {-1, 120, 90};
        m_bar->SetStatusWidths(3, widths);
        SetStatusPaneIds(*m_bar, {0, kPaneA, kPaneB});
        m_frame->Show();
    }

    void TearDown() override
    {
        if (m_frame)
            m_frame->Destroy();
    }

    wxFrame* m_frame = nullptr;
    wxStatusBar* m_bar = nullptr;
};

TEST_F(BarComboTest, SitsOverItsPaneAndSizesItsList)
{
    m_bar->SetStatusText("old", 1);
    auto* combo = new CBarComboBox;
    ASSERT_TRUE(combo->CreateInStatusBar(m_bar, kPaneA));
    EXPECT_EQ(combo->GetId(), kPaneA);
    EXPECT_EQ(m_bar->GetStatusText(1), "");
    wxRect pane;
    m_bar->GetFieldRect(1, pane);
    EXPECT_EQ(combo->GetRect(), pane);

    // The frame grows: the combo follows its pane.
    m_frame->SetSize(800, 300);
    m_frame->SendSizeEvent();
    FitToStatusPane(combo);
    m_bar->GetFieldRect(1, pane);
    EXPECT_EQ(combo->GetRect(), pane);

    for (const char* item : {"A", "B", "C", "D", "E"})
        combo->Append(item);
    const int h = combo->GetItemHeight();
    EXPECT_GT(h, 0);
    EXPECT_EQ(combo->OnDropDown(), 7 * h);
    combo->m_nItemLimit = 3;
    EXPECT_EQ(combo->OnDropDown(), 5 * h);
}

TEST_F(BarComboTest, UnknownPaneGivesAStripBesideTheBar)
{
    wxRect rect;
    EXPECT_FALSE(GetStatusPaneRect(*m_bar, 12345, rect));
    const wxRect bar = m_bar->GetScreenRect();
    EXPECT_EQ(rect.GetLeft(), bar.GetRight() + 2);
    EXPECT_EQ(rect.GetWidth(), 1);
    EXPECT_EQ(rect.GetTop(), bar.GetTop());
    EXPECT_TRUE(GetStatusPaneRect(*m_bar, kPaneB, rect));
    EXPECT_EQ(FindStatusPane(*m_bar, kPaneB), 2);
}

TEST_F(BarComboTest, HistoryKeepsItsFirstEntriesAndMovesRepeats)
{
    auto* combo = new CHistoryComboBox;
    ASSERT_TRUE(combo->Create(m_frame, kComboId, wxDefaultPosition, wxSize(60, -1), 130));
    EXPECT_EQ(combo->m_font.GetPixelSize().GetHeight(), 10);
    EXPECT_EQ(combo->AddToHistory(""), -1);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(combo->AddToHistory("1/" + std::to_string(i)), i);
    EXPECT_EQ(combo->AddToHistory("new"), 9);
    ASSERT_EQ(combo->GetCount(), 10u);
    EXPECT_EQ(combo->GetString(8), "1/8");
    EXPECT_EQ(combo->GetString(9), "new");
    // The same text in other case moves to the end.
    EXPECT_EQ(combo->AddToHistory("1/0"), 9);
    EXPECT_EQ(combo->AddToHistory("NEW"), 9);
    ASSERT_EQ(combo->GetCount(), 10u);
    EXPECT_EQ(combo->GetString(0), "1/1");
    EXPECT_EQ(combo->GetString(8), "1/0");
    EXPECT_EQ(combo->GetString(9), "NEW");
}

TEST_F(BarComboTest, ToolBarRoutesSelectionsToTheMeasurementWindow)
{
    auto* bar = new CComboToolBar(m_frame, wxID_ANY, wxTB_HORIZONTAL);
    bar->AddTool(1, "x", wxBitmap(16, 16));
    bar->m_nViewMessage = 0x40C;
    CHistoryComboBox* combo = bar->AddComboBox(1, 0, kComboId, 50, 130);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(bar->m_combo1, combo);
    EXPECT_EQ(bar->m_nComboId, kComboId);
    EXPECT_EQ(bar->GetToolByPos(0)->GetControl(), combo);
    EXPECT_EQ(bar->AddComboBox(1, 0, kComboId, 50, 130), nullptr) << "a slot takes one combo";
    ASSERT_TRUE(bar->Realize());
    combo->AddToHistory("Off");
    combo->AddToHistory("1/3");
    combo->SetSelection(1);

    const auto select = [combo]
    {
        wxCommandEvent event(wxEVT_COMBOBOX, combo->GetId());
        event.SetEventObject(combo);
        event.SetInt(combo->GetSelection());
        combo->ProcessWindowEvent(event);
    };

    // No measurement window: nothing is sent.
    int calls = 0;
    unsigned message = 0;
    std::string text;
    bool windowOpen = false;
    bar->SetTarget(
        [&](unsigned m, CHistoryComboBox& c)
        {
            if (!windowOpen)
                return false;
            ++calls;
            message = m;
            text = c.GetString(static_cast<unsigned>(c.GetSelection())).utf8_str();
            return true;
        });
    select();
    EXPECT_EQ(calls, 0);

    windowOpen = true;
    select();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(message, 0x40Cu);
    EXPECT_EQ(text, "1/3");

    // A command of another control, or from a combo the bar does not hold, goes nowhere.
    EXPECT_FALSE(bar->OnCommand(kComboId + 1, combo));
    CHistoryComboBox stranger;
    EXPECT_FALSE(bar->OnCommand(kComboId, &stranger));
    EXPECT_EQ(calls, 1);
}

}  // namespace

#include "common/controls/GridListCtrl.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/controls/GridPaint.h"
#include "common/controls/ResultsGrid.h"
#include "common/controls/ShortenToWidth.h"
#include "platform/gfx/RecordingCanvas.h"
#include "tests/common/controls/GridTestSupport.h"
#include "tests/support/WxEnvironment.h"

namespace
{

using Kind = gfx::RecordingCanvas::Kind;
using Op = gfx::RecordingCanvas::Op;

// 10 pixels per character ("..." then takes 30).
int TenPerCharacter(std::string_view text)
{
    int n = 0;
    for (unsigned char c : text)
        n += (c & 0xC0) != 0x80 ? 1 : 0;
    return 10 * n;
}

TEST(ShortenToWidth, KeepsWhatFitsAndCutsTheRestBeforeDots)
{
    struct Case
    {
        const char* text;
        int width;
        const char* expected;
    };
    const Case cases[] = {
        {"", 0, ""},                 // nothing to shorten
        {"abcd", 40, "abcd"},        // exactly as wide as the box: unshortened
        {"abcde", 40, "a..."},       // 1 character + dots = 40
        {"abcdefgh", 61, "abc..."},  // 3 + 3 dots = 60 <= 61
        {"W", 5, "W..."},            // one character that does not fit keeps it before the dots
        {"abcdef", 10, "a..."},      // nothing fits: at least one character stays
        {"\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\xA4\xC3\xB6", 59,
         "\xC3\xA4\xC3\xB6..."},  // never inside a character
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShortenToWidth(c.text, c.width, TenPerCharacter), c.expected) << c.text << " @" << c.width;
}

TEST(ShortenToWidth, VeryLongTextIsCutToTheLimitFirst)
{
    const std::string text(5000, 'x');
    // Wide enough for everything but the whole text: the result starts from the first 1023 characters.
    const std::string shortened = ShortenToWidth(text, 10 * 4000, TenPerCharacter);
    std::string expected(kShortenLimit - 1, 'x');
    expected.append("...");
    EXPECT_EQ(shortened, expected);
}

std::vector<Op> Of(const std::vector<Op>& ops, Kind kind)
{
    std::vector<Op> found;
    for (const Op& op : ops)
        if (op.kind == kind)
            found.push_back(op);
    return found;
}

GridColors TestColors()
{
    GridColors c;
    c.m_crText = 0x000001;
    c.m_crBack = 0x000002;
    c.m_crHighlightText = 0x000003;
    c.m_crHighlight = 0x000004;
    c.m_crAltRow = 0x000005;
    c.m_bAltRows = true;
    return c;
}

TEST(GridListPaint, ShadingSelectionLineAndRightAlignedText)
{
    struct Case
    {
        int row;
        bool selected;
        bool shading;
        gfx::Color fill;
        gfx::Color line;
        gfx::Color text;
    };
    const GridColors c = TestColors();
    const Case cases[] = {
        {0, false, true, c.m_crBack, c.m_crHighlight, c.m_crText},
        {1, false, true, c.m_crAltRow, c.m_crHighlight, c.m_crText},
        {2, false, true, c.m_crBack, c.m_crHighlight, c.m_crText},
        {3, false, false, c.m_crBack, c.m_crHighlight, c.m_crText},  // shading off
        {0, true, true, c.m_crHighlight, c.m_crHighlightText, c.m_crHighlightText},
        {1, true, true, c.m_crHighlight, c.m_crHighlightText, c.m_crHighlightText},
    };
    for (const Case& k : cases)
    {
        GridColors colors = c;
        colors.m_bAltRows = k.shading;
        gfx::RecordingCanvas canvas(300, 100);
        const gfx::Rect cell = {40, 16, 110, 32};
        DrawGridListCell(canvas, cell, "1.5", k.row, k.selected, colors);
        const std::vector<Op> ops = canvas.Ops();
        const std::vector<Op> fills = Of(ops, Kind::FillRect);
        ASSERT_EQ(fills.size(), 1u);
        EXPECT_EQ(fills[0].fill, k.fill) << "row " << k.row;
        EXPECT_EQ(fills[0].rect, cell);
        const std::vector<Op> lines = Of(ops, Kind::Line);
        ASSERT_EQ(lines.size(), 1u);
        // The grid line is the column's last pixel column, top to bottom.
        EXPECT_EQ(lines[0].points[0], (gfx::Point{109, 16}));
        EXPECT_EQ(lines[0].points[1], (gfx::Point{109, 32}));
        EXPECT_EQ(lines[0].pen.color, k.line);
        const std::vector<Op> texts = Of(ops, Kind::Text);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].text, "1.5");
        EXPECT_EQ(texts[0].align, gfx::Align::Right);
        EXPECT_EQ(texts[0].rect.right, 107);  // 3 pixels in from the column's right edge
        EXPECT_EQ(texts[0].textColor, k.text);
    }
}

TEST(GridListPaint, LongTextEndsInDotsInsideTheColumn)
{
    gfx::RecordingCanvas canvas(300, 100);
    DrawGridListCell(canvas, {0, 0, 40, 16}, "123456.789000", 0, false, TestColors());
    const std::vector<Op> texts = Of(canvas.Ops(), Kind::Text);
    ASSERT_EQ(texts.size(), 1u);
    const std::string& shown = texts[0].text;
    ASSERT_GE(shown.size(), 4u);
    EXPECT_EQ(shown.substr(shown.size() - 3), "...");
    EXPECT_LE(canvas.TextWidth(shown), 37);
}

TEST(GridListCallback, DefaultsAnswerNothingAndCopyIsCutToTheBuffer)
{
    CGridListCallback callback;
    EXPECT_EQ(callback.OnFindItem(3, "x"), 0);
    char buffer[8] = "keep";
    callback.OnGetItemInfo(0, 0, 0, grid_request::kText, 0, 0, buffer, 8);
    EXPECT_STREQ(buffer, "keep");
    CopyCellText("0123456789", buffer, 8);
    EXPECT_STREQ(buffer, "0123456");
    CopyCellText("ab\xC2\xB0\xC2\xB0", buffer, 5);  // "ab°°": the second "°" would be split
    EXPECT_STREQ(buffer, "ab\xC2\xB0");
}

// Grids on a real window under the display -----------------------------------------------------

using gridtest::PixelAt;
using gridtest::Pump;

// "<a><separator><b>" (appended piece by piece).
std::string Label(int a, char separator, int b)
{
    std::string text = std::to_string(a);
    text += separator;
    text += std::to_string(b);
    return text;
}

// A grid with ten text columns whose owner answers from the column arrays.
class TextGrid : public CGridListCtrl, public CGridListCallback
{
public:
    void OnGetItemInfo(int row, int item, int column, unsigned mask, int image, unsigned state, char* text,
                       int textLength) override
    {
        if (row >= 0 && row < m_nRows)
            FillDispInfo(row, item, column, mask, image, state, text, textLength);
    }
};

class GridListCtrlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        m_frame = new wxFrame(nullptr, wxID_ANY, "grid", wxDefaultPosition, wxSize(700, 300));
        for (int c = 0; c < CGridListCtrl::kColumnArrays; ++c)
        {
            m_texts[static_cast<std::size_t>(c)].resize(4);
            for (int r = 0; r < 4; ++r)
                m_texts[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)] = Label(r, '.', c);
        }
        m_texts[0][2] = "a text much too long for its column";
        m_grid = new TextGrid;
        m_grid->m_nRows = 4;
        for (int c = 0; c < CGridListCtrl::kColumnArrays; ++c)
            m_grid->m_pColumnTexts[static_cast<std::size_t>(c)] = &m_texts[static_cast<std::size_t>(c)];
        ASSERT_TRUE(m_grid->CreateCore(m_frame, 1, wxRect(0, 0, 680, 200), false));
        m_grid->SetItemCount(4);
        for (int c = 0; c < CGridListCtrl::kColumnArrays; ++c)
        {
            std::string title = "c";
            title += std::to_string(c);
            m_grid->InsertColumn(c, title, 60, ColumnAlign::Right);
        }
        m_grid->m_pCallback = m_grid;
        m_grid->SetAlternateRowColor(true, CResultsGrid::kShading);
        m_frame->Show();
        Pump(100);
    }
    void TearDown() override
    {
        if (m_frame)
            m_frame->Destroy();
        Pump(20);
    }

    // The middle of a cell in the grid window's pixels.
    int ColumnX(int column) const { return 60 * column + 30; }

    wxFrame* m_frame = nullptr;
    TextGrid* m_grid = nullptr;
    std::array<std::vector<std::string>, CGridListCtrl::kColumnArrays> m_texts;
};

TEST_F(GridListCtrlTest, RowsAreShadedByParityAndSelectedRowsHighlighted)
{
    m_grid->OnItemClick(3, ColumnX(1));
    EXPECT_TRUE(m_grid->IsItemSelected(3));
    EXPECT_EQ(m_grid->GetFocusedItem(), 3);
    const wxImage image = gridtest::WindowPicture(m_grid->GetGridWindow(), "grid-list-rows");
    const GridColors& colors = m_grid->Colors();
    const auto middleOf = [&](int row)
    { return (m_grid->GetCellBounds(row, 0).top + m_grid->GetCellBounds(row, 0).bottom) / 2; };
    // Left of the texts, inside column 1 (texts are right-aligned).
    EXPECT_EQ(PixelAt(image, 62, middleOf(0)), colors.m_crBack);
    EXPECT_EQ(PixelAt(image, 62, middleOf(1)), CResultsGrid::kShading);
    EXPECT_EQ(PixelAt(image, 62, middleOf(2)), colors.m_crBack);
    EXPECT_EQ(PixelAt(image, 62, middleOf(3)), colors.m_crHighlight);  // odd, but selected
    // Each column's grid line is its last pixel column: highlight colour on unselected rows.
    EXPECT_EQ(PixelAt(image, 59, middleOf(0)), colors.m_crHighlight);
    EXPECT_EQ(PixelAt(image, 119, middleOf(1)), colors.m_crHighlight);
    EXPECT_EQ(PixelAt(image, 119, middleOf(3)), colors.m_crHighlightText);
    EXPECT_NE(PixelAt(image, 118, middleOf(0)), colors.m_crHighlight);
    // A click on another row moves the one selection there.
    m_grid->OnItemClick(1, ColumnX(1));
    EXPECT_FALSE(m_grid->IsItemSelected(3));
    EXPECT_TRUE(m_grid->IsItemSelected(1));
}

TEST_F(GridListCtrlTest, TextRequestsTakeTheirRowFromTheRequest)
{
    EXPECT_EQ(m_grid->GetCellText(2, 5), "2.5");
    EXPECT_EQ(m_grid->m_nCurrentRow, 2);
    EXPECT_EQ(m_grid->RequestTag(), 2);
    EXPECT_EQ(m_grid->GetCellText(1, 9), "1.9");
    EXPECT_EQ(m_grid->GetCellText(7, 0), "");  // outside the rows: no text
    // Without a callback nothing is answered; a missing column array gives an empty cell.
    m_grid->m_pCallback = nullptr;
    EXPECT_EQ(m_grid->GetCellText(1, 1), "");
    m_grid->m_pCallback = m_grid;
    m_grid->m_pColumnTexts[4] = nullptr;
    EXPECT_EQ(m_grid->GetCellText(1, 4), "");
}

TEST_F(GridListCtrlTest, EditingColumnNineWritesTheTenthArray)
{
    m_grid->OnItemClick(1, ColumnX(9));
    m_grid->OnItemClick(1, ColumnX(9));  // a click on the selected row opens the editor
    ASSERT_EQ(m_grid->GetEditColumn(), 9);
    wxTextCtrl* edit = m_grid->GetEditControl();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetValue(), "1.9");  // starts with the cell's text
    gridtest::WindowPicture(m_frame, "grid-list-editing");
    edit->SetValue("edited");
    m_grid->DisableCellEditControl();  // what Enter does
    Pump(30);
    EXPECT_EQ(m_texts[9][1], "edited");
    EXPECT_EQ(m_grid->GetCellText(1, 9), "edited");
    EXPECT_EQ(m_grid->GetEditColumn(), -1);
    EXPECT_FALSE(m_grid->IsItemSelected(1));
    EXPECT_EQ(m_grid->GetFocusedItem(), -1);
}

TEST_F(GridListCtrlTest, EmptyTextOrEscapeKeepsTheOldText)
{
    // Confirming an empty text.
    m_grid->OnItemClick(2, ColumnX(3));
    ASSERT_TRUE(m_grid->BeginCellEdit(2, ColumnX(3)));
    m_grid->GetEditControl()->SetValue("");
    m_grid->DisableCellEditControl();
    Pump(30);
    EXPECT_EQ(m_texts[3][2], "2.3");
    EXPECT_EQ(m_grid->GetEditColumn(), -1);
    EXPECT_FALSE(m_grid->IsItemSelected(2));
    EXPECT_EQ(m_grid->GetFocusedItem(), -1);
    // Escape after typing.
    m_grid->OnItemClick(0, ColumnX(4));
    m_grid->OnItemClick(0, ColumnX(4));
    wxTextCtrl* edit = m_grid->GetEditControl();
    ASSERT_NE(edit, nullptr);
    edit->SetValue("typed");
    wxKeyEvent escape(wxEVT_KEY_DOWN);
    escape.m_keyCode = WXK_ESCAPE;
    escape.SetEventObject(edit);
    edit->GetEventHandler()->ProcessEvent(escape);
    Pump(30);
    EXPECT_FALSE(m_grid->IsCellEditControlShown());
    EXPECT_EQ(m_texts[4][0], "0.4");
    EXPECT_EQ(m_grid->GetEditColumn(), -1);
    EXPECT_FALSE(m_grid->IsItemSelected(0));
    EXPECT_EQ(m_grid->GetFocusedItem(), -1);
}

TEST_F(GridListCtrlTest, ClickRightOfTheLastColumnOpensNothing)
{
    m_grid->OnItemClick(1, ColumnX(0));
    EXPECT_FALSE(m_grid->BeginCellEdit(1, 600 + 5));
    m_grid->OnItemClick(1, 600 + 5);
    EXPECT_EQ(m_grid->GetEditColumn(), -1);
    EXPECT_FALSE(m_grid->IsCellEditControlShown());
    EXPECT_EQ(m_grid->ColumnAt(599), 9);
    EXPECT_EQ(m_grid->ColumnAt(600), -1);
    EXPECT_EQ(m_grid->ColumnAt(-1), -1);
}

TEST_F(GridListCtrlTest, AnEditOfARowThatIsGoneWritesNothing)
{
    m_texts[2].resize(1);  // the owner's array shrank under the open edit
    m_grid->OnItemClick(3, ColumnX(2));
    ASSERT_TRUE(m_grid->BeginCellEdit(3, ColumnX(2)));
    const std::string text = "late";
    m_grid->EndCellEdit(3, &text);
    EXPECT_EQ(m_texts[2].size(), 1u);
    m_grid->EndCellEdit(-1, &text);
    m_grid->EndCellEdit(99, &text);
    EXPECT_EQ(m_grid->GetEditColumn(), -1);
    m_grid->DisableCellEditControl();
    Pump(20);
}

TEST_F(GridListCtrlTest, LongCellTextEndsInDots)
{
    const wxImage image = gridtest::WindowPicture(m_grid->GetGridWindow(), "grid-list-ellipsis");
    // The long text of row 2, column 0 is cut: its last drawn pixels lie left of x = 57.
    const gfx::Rect cell = m_grid->GetCellBounds(2, 0);
    const GridColors& colors = m_grid->Colors();
    bool inkNearEdge = false;
    for (int y = cell.top; y < cell.bottom; ++y)
        for (int x = 57; x < 59; ++x)
            inkNearEdge = inkNearEdge || PixelAt(image, x, y) != colors.m_crBack;
    EXPECT_FALSE(inkNearEdge);
    bool ink = false;
    for (int y = cell.top; y < cell.bottom; ++y)
        for (int x = 0; x < 57; ++x)
            ink = ink || PixelAt(image, x, y) != colors.m_crBack;
    EXPECT_TRUE(ink);
}

double ValueOf(void* context, int column, int row)
{
    ++*static_cast<int*>(context);
    return column < 0 ? row * 10.0 : row + column / 10.0;
}

TEST_F(GridListCtrlTest, ResultsGridColumnWidthsAndValues)
{
    EXPECT_EQ(CResultsGrid::ColumnWidth(220, 5, 0), 70);
    EXPECT_EQ(CResultsGrid::ColumnWidth(220, 5, 1), 60);
    EXPECT_EQ(CResultsGrid::ColumnWidth(420, 4, 0), 100);
    EXPECT_EQ(CResultsGrid::ColumnWidth(420, 4, 3), 100);

    // The grid belongs to the fixture's frame and may still paint after this body returns: what it
    // points to lives as long as the program.
    static int calls = 0;
    static const std::vector<std::string> titles = {"x-axis", "a", "b", "c", "d"};
    auto* grid = new CResultsGrid;
    grid->m_nColumns = 5;
    grid->m_nRows = 3;
    grid->m_pTitles = &titles;
    grid->m_pfnValue = ValueOf;
    grid->m_pValueContext = &calls;
    ASSERT_TRUE(grid->Create(wxRect(0, 210, 220, 80), m_frame, 2));
    grid->SetupColumns();
    EXPECT_EQ(grid->m_nWidth, 220);
    ASSERT_EQ(grid->GetColumnCount(), 5);
    EXPECT_EQ(grid->GetColumnWidth(0), 70);
    for (int c = 1; c < 5; ++c)
        EXPECT_EQ(grid->GetColumnWidth(c), 60);
    EXPECT_EQ(grid->GetColLabelValue(0), "x-axis");
    EXPECT_EQ(grid->GetColumnAlign(2), ColumnAlign::Right);
    EXPECT_TRUE(grid->Colors().m_bAltRows);
    EXPECT_EQ(grid->Colors().m_crAltRow, CResultsGrid::kShading);
    calls = 0;
    EXPECT_EQ(grid->GetCellText(2, 0), "20.000000");
    EXPECT_EQ(calls, 5);  // the whole row is computed for one cell
    EXPECT_EQ(grid->GetCellText(2, 3), "2.200000");
    EXPECT_EQ(grid->GetCellText(3, 0), "");  // no such row
    // An edit of a computed cell keeps nothing.
    grid->OnItemClick(1, 10);
    ASSERT_TRUE(grid->BeginCellEdit(1, 10));
    grid->GetEditControl()->SetValue("99");
    grid->DisableCellEditControl();
    Pump(30);
    EXPECT_EQ(grid->GetCellText(1, 0), "10.000000");
}

}  // namespace

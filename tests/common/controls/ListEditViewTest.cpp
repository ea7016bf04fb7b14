#include "common/controls/ListEditView.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/gfx/RecordingCanvas.h"
#include "tests/common/controls/GridTestSupport.h"
#include "tests/support/WxEnvironment.h"

namespace
{

using Kind = gfx::RecordingCanvas::Kind;
using Op = gfx::RecordingCanvas::Op;

std::vector<Op> Texts(const gfx::RecordingCanvas& canvas)
{
    std::vector<Op> found;
    for (const Op& op : canvas.Ops())
        if (op.kind == Kind::Text)
            found.push_back(op);
    return found;
}

TEST(ListEditPaint, CellBoxesAlignmentAndShortening)
{
    GridColors colors;
    gfx::RecordingCanvas canvas(400, 100);
    const int w = canvas.TextWidth("abcd");
    // Column 2, right-aligned: from 4 pixels in to 8 before the right edge; a text exactly as wide
    // as that box is drawn unshortened.
    ListEditCell state;
    state.column = 2;
    state.align = ColumnAlign::Right;
    DrawListEditCell(canvas, {100, 0, 100 + w + 12, 16}, "abcd", state, colors);
    ASSERT_EQ(Texts(canvas).size(), 1u);
    EXPECT_EQ(Texts(canvas)[0].text, "abcd");
    EXPECT_EQ(Texts(canvas)[0].rect, (gfx::Rect{104, 0, 100 + w + 4, 16}));
    EXPECT_EQ(Texts(canvas)[0].align, gfx::Align::Right);
    // One pixel less and it is shortened.
    gfx::RecordingCanvas narrow(400, 100);
    DrawListEditCell(narrow, {100, 0, 100 + w + 11, 16}, "abcd", state, colors);
    EXPECT_EQ(Texts(narrow)[0].text.substr(Texts(narrow)[0].text.size() - 3), "...");
    // A one-character text that does not fit: that character and the dots.
    gfx::RecordingCanvas tiny(400, 100);
    ListEditCell first;
    DrawListEditCell(tiny, {0, 0, 2, 16}, "W", first, colors);
    EXPECT_EQ(Texts(tiny)[0].text, "W...");
    EXPECT_EQ(Texts(tiny)[0].align, gfx::Align::Left);
    // The edited cell shows no text, and while editing the selected row is not highlighted.
    gfx::RecordingCanvas editing(400, 100);
    ListEditCell edited;
    edited.column = 1;
    edited.selected = true;
    edited.editing = true;
    edited.edited = true;
    DrawListEditCell(editing, {0, 0, 80, 16}, "text", edited, colors);
    EXPECT_TRUE(Texts(editing).empty());
    EXPECT_EQ(editing.Ops()[0].fill, colors.m_crBack);
}

using gridtest::PixelAt;
using gridtest::Pump;

class ListEditViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        m_frame = new wxFrame(nullptr, wxID_ANY, "list", wxDefaultPosition, wxSize(500, 260));
        m_other = new wxButton(m_frame, wxID_ANY, "other", wxPoint(0, 210));
        m_view = new CListEditView;
        ASSERT_TRUE(m_view->Create(m_frame, 1, wxRect(0, 0, 400, 200)));
        m_view->InsertColumn(0, "name", 90, ColumnAlign::Left);
        m_view->InsertColumn(1, "left", 70, ColumnAlign::Left);
        m_view->InsertColumn(2, "centre", 70, ColumnAlign::Centre);
        m_view->InsertColumn(3, "right", 70, ColumnAlign::Right);
        for (int r = 0; r < 3; ++r)
        {
            std::string label = "row ";
            label += std::to_string(r);
            m_view->InsertItem(r, label);
            for (int c = 1; c < 4; ++c)
            {
                std::string text = std::to_string(r);
                text += '/';
                text += std::to_string(c);
                m_view->SetItemText(r, c, text);
            }
        }
        m_frame->Show();
        Pump(100);
    }
    void TearDown() override
    {
        if (m_frame)
            m_frame->Destroy();
        Pump(20);
    }

    bool Edit(int row, int x, const std::string& text)
    {
        m_view->OnItemClick(row, x);
        m_view->OnItemClick(row, x);
        wxTextCtrl* edit = m_view->GetEditControl();
        if (!edit)
            return false;
        edit->SetValue(wxString::FromUTF8(text.c_str()));
        m_view->DisableCellEditControl();
        Pump(30);
        return true;
    }

    wxFrame* m_frame = nullptr;
    wxButton* m_other = nullptr;
    CListEditView* m_view = nullptr;
};

TEST_F(ListEditViewTest, EditingTheFirstColumnAndColumnThree)
{
    ASSERT_TRUE(Edit(1, 10, "renamed"));
    EXPECT_EQ(m_view->GetItemText(1, 0), "renamed");
    ASSERT_TRUE(Edit(2, 90 + 70 + 70 + 5, "new value"));
    EXPECT_EQ(m_view->GetItemText(2, 3), "new value");
    ASSERT_TRUE(Edit(2, 90 + 70 + 70 + 5, ""));
    EXPECT_EQ(m_view->GetItemText(2, 3), "new value");
    EXPECT_FALSE(m_view->IsItemSelected(2));
    // Right of the last column (the filler) no editor opens.
    m_view->OnItemClick(0, 350);
    EXPECT_FALSE(m_view->BeginCellEdit(0, 350));
    EXPECT_EQ(m_view->GetEditColumn(), -1);
}

TEST_F(ListEditViewTest, SelectedRowIsHighlightedUpToTheClientEdge)
{
    m_view->OnItemClick(1, 10);
    const wxImage image = gridtest::WindowPicture(m_view->GetGridWindow(), "list-edit-view");
    const wxSize size = image.GetSize();
    const gfx::Rect row = m_view->GetCellBounds(1, 0);
    const int y = (row.top + row.bottom) / 2;
    const gfx::Color highlight = PixelAt(image, 2, row.top + 2);
    EXPECT_NE(highlight, PixelAt(image, 2, m_view->GetCellBounds(0, 0).top + 2));
    EXPECT_EQ(PixelAt(image, size.x - 3, y), highlight);  // up to 2 pixels before the edge
    EXPECT_NE(PixelAt(image, size.x - 1, y), highlight);
}

TEST_F(ListEditViewTest, FocusIntoItsOwnEditorRepaintsNothing)
{
    m_view->OnItemClick(0, 100);
    const int before = m_view->GetSelectionRepaints();
    m_view->OnItemClick(0, 100);
    wxTextCtrl* edit = m_view->GetEditControl();
    ASSERT_NE(edit, nullptr);
    m_view->OnFocusChange(edit);
    EXPECT_EQ(m_view->GetSelectionRepaints(), before);
    m_view->OnFocusChange(m_other);
    EXPECT_EQ(m_view->GetSelectionRepaints(), before + 1);
    m_view->OnFocusChange(nullptr);
    EXPECT_EQ(m_view->GetSelectionRepaints(), before + 2);
    m_view->DisableCellEditControl();
    Pump(20);
}

TEST(ListEditViewClass, CreatedByItsRunTimeClass)
{
    if (!testsupport::WxStarted())
        GTEST_SKIP() << "no display (run under xvfb-run)";
    wxObject* object = wxCreateDynamicObject("CListEditView");
    ASSERT_NE(object, nullptr);
    auto* view = dynamic_cast<CListEditView*>(object);
    ASSERT_NE(view, nullptr);
    // The toolkit's grid cannot be destroyed before it is created (its destructor reaches for the
    // cell attributes): a view made this way is created in a window and goes with it.
    auto* frame = new wxFrame(nullptr, wxID_ANY, "list");
    ASSERT_TRUE(view->Create(frame, wxID_ANY, wxRect(0, 0, 200, 100)));
    EXPECT_EQ(view->GetParent(), frame);
    frame->Destroy();
    wxTheApp->ProcessIdle();
}

}  // namespace

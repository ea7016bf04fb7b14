#include "common/controls/OwnerDrawButton.h"

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/settings.h>

#include <vector>

#include "platform/gfx/RecordingCanvas.h"
#include "tests/support/WxEnvironment.h"

namespace
{

using Kind = gfx::RecordingCanvas::Kind;
using Op = gfx::RecordingCanvas::Op;

constexpr int kLine = 13;
const gfx::Rect kItem = {0, 0, 100, 40};

ButtonColors TestColors()
{
    ButtonColors c;
    c.m_crText = 0x000001;
    c.m_crFace = 0x000002;
    c.m_crFaceDisabled = 0x000003;
    c.m_crLight = 0x000004;
    c.m_crHighlight = 0x000005;
    c.m_crShadow = 0x000006;
    c.m_crDarkShadow = 0x000007;
    return c;
}

std::vector<Op> Draw(unsigned state, unsigned style = 0, std::string_view caption = "Out 1")
{
    gfx::RecordingCanvas canvas(200, 100);
    DrawOwnerDrawButton(canvas, kItem, caption, state, style, TestColors(), kLine);
    return canvas.Ops();
}

std::vector<Op> Of(const std::vector<Op>& ops, Kind kind)
{
    std::vector<Op> found;
    for (const Op& op : ops)
        if (op.kind == kind)
            found.push_back(op);
    return found;
}

// The colours of the edge lines in drawing order, four lines per step.
std::vector<gfx::Color> EdgeColors(const std::vector<Op>& ops)
{
    std::vector<gfx::Color> colours;
    for (const Op& line : Of(ops, Kind::Line))
        colours.push_back(line.pen.color);
    return colours;
}

TEST(OwnerDrawButton, RaisedFocusedPressedAndDisabledStates)
{
    const ButtonColors c = TestColors();
    const gfx::Color black = 0;
    struct Case
    {
        const char* what;
        unsigned state;
        gfx::Color face;
        std::vector<gfx::Color> edges;
        gfx::Rect firstText;  // the first caption's line box
        bool focusRect;
    };
    // The caption's line box: vertically centred (top + (40 − 13) / 2 − 1) and 3 pixels in from the
    // sides of the text rectangle, which is moved by (−1, −1) unless the button is pressed.
    const gfx::Rect normal = {2, 11, 96, 24};
    const gfx::Rect pressed = {3, 12, 97, 25};
    const Case cases[] = {
        {"raised",
         0,
         c.m_crFace,
         {c.m_crHighlight, c.m_crHighlight, c.m_crDarkShadow, c.m_crDarkShadow, c.m_crLight, c.m_crLight,
          c.m_crShadow, c.m_crShadow},
         normal,
         false},
        {"focused",
         button_state::kFocus,
         c.m_crFace,
         {black, black, black, black, c.m_crHighlight, c.m_crHighlight, c.m_crDarkShadow, c.m_crDarkShadow,
          c.m_crLight, c.m_crLight, c.m_crShadow, c.m_crShadow},
         normal,
         true},
        {"default",
         button_state::kDefault,
         c.m_crFace,
         {black, black, black, black, c.m_crHighlight, c.m_crHighlight, c.m_crDarkShadow, c.m_crDarkShadow,
          c.m_crLight, c.m_crLight, c.m_crShadow, c.m_crShadow},
         normal,
         false},
        {"pressed",
         button_state::kSelected | button_state::kFocus,
         c.m_crFace,
         {c.m_crDarkShadow, c.m_crDarkShadow, c.m_crDarkShadow, c.m_crDarkShadow, c.m_crShadow, c.m_crShadow,
          c.m_crShadow, c.m_crShadow},
         pressed,
         true},
        {"disabled",
         button_state::kDisabled,
         c.m_crFaceDisabled,
         {c.m_crHighlight, c.m_crHighlight, c.m_crDarkShadow, c.m_crDarkShadow, c.m_crLight, c.m_crLight,
          c.m_crShadow, c.m_crShadow},
         pressed,
         false},
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.what);
        const std::vector<Op> ops = Draw(k.state);
        ASSERT_FALSE(ops.empty());
        EXPECT_EQ(ops.front().kind, Kind::FillRect);
        EXPECT_EQ(ops.front().rect, kItem);
        EXPECT_EQ(ops.front().fill, k.face);
        EXPECT_EQ(EdgeColors(ops), k.edges);

        const std::vector<Op> texts = Of(ops, Kind::Text);
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts[0].rect, k.firstText);
        EXPECT_EQ(texts[0].textBackground, gfx::kTransparentText);
        if (k.state & button_state::kDisabled)
        {
            // Engraved: white one pixel right of and below the grey caption.
            ASSERT_EQ(texts.size(), 2u);
            EXPECT_EQ(texts[0].textColor, 0xFFFFFFu);
            EXPECT_EQ(texts[1].textColor, 0x808080u);
            EXPECT_EQ(texts[1].rect, normal);
        }
        else
        {
            ASSERT_EQ(texts.size(), 1u);
            EXPECT_EQ(texts[0].textColor, c.m_crText);
        }

        const std::vector<Op> rects = Of(ops, Kind::Rectangle);
        ASSERT_EQ(rects.size(), k.focusRect ? 1u : 0u);
        if (k.focusRect)
        {
            EXPECT_EQ(rects[0].rect, (gfx::Rect{4, 4, 96, 36}));
            EXPECT_TRUE(rects[0].brush.hollow);
            EXPECT_EQ(rects[0].pen.style, gfx::PenStyle::Dot);
        }
    }
}

TEST(OwnerDrawButton, EdgeLinesOfTheFirstStepRunAlongTheRectangle)
{
    const std::vector<Op> lines = Of(Draw(0), Kind::Line);
    ASSERT_GE(lines.size(), 8u);
    const std::vector<std::vector<gfx::Point>> first = {
        {{0, 0}, {100, 0}}, {{0, 0}, {0, 40}}, {{0, 39}, {100, 39}}, {{99, 0}, {99, 40}}};
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(lines[i].points, first[i]) << "line " << i;
    // The second step runs one pixel further in.
    EXPECT_EQ(lines[4].points, (std::vector<gfx::Point>{{1, 1}, {99, 1}}));
}

TEST(OwnerDrawButton, CaptionLayouts)
{
    using namespace button_style;
    struct Case
    {
        const char* what;
        unsigned style;
        std::vector<int> tops;
        gfx::Align align;
    };
    // Text rectangle of a raised button: (−1, −1, 99, 39); two lines are 26 pixels high.
    const Case cases[] = {
        {"one line, centred", 0, {11}, gfx::Align::Centre},
        {"multiline, centred as a block", kMultiline, {5, 18}, gfx::Align::Centre},
        {"multiline, top", kMultiline | kTop, {1, 14}, gfx::Align::Centre},
        {"multiline, bottom, left", kMultiline | kBottom | kLeft, {11, 24}, gfx::Align::Left},
        {"right, both vertical bits", kRight | kVCenter, {11}, gfx::Align::Right},
        {"explicit centre", kCenter, {11}, gfx::Align::Centre},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::vector<Op> texts = Of(Draw(0, c.style, "Out\n1"), Kind::Text);
        ASSERT_EQ(texts.size(), c.tops.size());
        for (std::size_t i = 0; i < texts.size(); ++i)
        {
            EXPECT_EQ(texts[i].rect.top, c.tops[i]);
            EXPECT_EQ(texts[i].rect.bottom, c.tops[i] + kLine);
            EXPECT_EQ(texts[i].rect.left, 2);
            EXPECT_EQ(texts[i].rect.right, 96);
            EXPECT_EQ(texts[i].align, c.align);
        }
        if (c.tops.size() == 2)
        {
            EXPECT_EQ(texts[0].text, "Out");
            EXPECT_EQ(texts[1].text, "1");
        }
        else
        {
            EXPECT_EQ(texts[0].text, "Out\n1");
        }
    }
}

TEST(OwnerDrawButton, ControlPaintsItsStateAndColours)
{
    if (!testsupport::WxStarted())
        GTEST_SKIP() << "no display (run under xvfb-run)";
    auto* frame = new wxFrame(nullptr, wxID_ANY, "buttons");
    auto* button = new COwnerDrawButton;
    ASSERT_TRUE(button->Create(frame, 700, "Out 1", wxPoint(0, 0), wxSize(80, 30)));
    button->SetColors(0x00FF00, 0x404040);
    EXPECT_EQ(button->GetColors().m_crText, 0x00FF00u);
    EXPECT_EQ(button->GetColors().m_crFace, 0x404040u);

    gfx::RecordingCanvas canvas(80, 30);
    button->DrawItem(canvas);
    ASSERT_EQ(canvas.FindTexts("Out 1").size(), 1u);
    EXPECT_EQ(canvas.FindTexts("Out 1")[0]->textColor, 0x00FF00u);

    button->Disable();
    EXPECT_TRUE(button->GetDrawState() & button_state::kDisabled);
    canvas.Clear();
    button->DrawItem(canvas);
    EXPECT_EQ(canvas.FindTexts("Out 1").size(), 2u);

    int clicks = 0;
    button->Enable();
    frame->Bind(wxEVT_BUTTON, [&clicks](wxCommandEvent& event) { clicks += event.GetId() == 700; });
    wxKeyEvent space(wxEVT_KEY_DOWN);
    space.m_keyCode = WXK_SPACE;
    button->ProcessWindowEvent(space);
    EXPECT_EQ(clicks, 1);
    frame->Destroy();
}

TEST(ColorButtonAuto, BackgroundIsTheWindowColour)
{
    if (!testsupport::WxStarted())
        GTEST_SKIP() << "no display (run under xvfb-run)";
    auto* frame = new wxFrame(nullptr, wxID_ANY, "check");
    auto* check = new CColorButtonAuto;
    ASSERT_TRUE(check->Create(frame, 701));
    const gfx::Color window =
        static_cast<gfx::Color>(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW).GetRGB());
    EXPECT_EQ(check->m_crBack, window);
    EXPECT_EQ(static_cast<gfx::Color>(check->GetBackgroundColour().GetRGB()), window);
    frame->Destroy();
}

}  // namespace

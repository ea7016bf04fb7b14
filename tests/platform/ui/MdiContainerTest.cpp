#include "platform/ui/MdiChildFrame.h"
#include "platform/ui/MdiContainer.h"
#include "tests/support/WxEnvironment.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>

#include <set>
#include <vector>

namespace
{

// A child frame that refuses to close or to change its state, as a frame does while the main
// window has no menu bar.
class StubbornFrame : public MdiChildFrame
{
public:
    using MdiChildFrame::MdiChildFrame;
    bool m_allow = false;

protected:
    bool AllowClose() override { return m_allow; }
    bool AllowMinMax() override { return m_allow; }
};

class MdiContainerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display";
        m_frame = new wxFrame(nullptr, wxID_ANY, "test", wxDefaultPosition, wxSize(900, 700));
        m_container = new MdiContainer(m_frame);
        m_container->SetSize(0, 0, 800, 600);
        m_frame->Show();
    }
    void TearDown() override
    {
        if (m_frame)
            m_frame->Destroy();
        if (wxTheApp)
            wxTheApp->ProcessIdle();
    }
    MdiChildFrame* AddFrame(const char* title)
    {
        auto* child = new MdiChildFrame(m_container, title);
        child->Show();
        return child;
    }

    wxFrame* m_frame = nullptr;
    MdiContainer* m_container = nullptr;
};

// Rectangles of a tiling must cover the area without overlap: their areas add up to the whole.
void ExpectPartition(const std::vector<MdiChildFrame*>& frames, const wxRect& area)
{
    long long total = 0;
    for (std::size_t i = 0; i < frames.size(); ++i)
    {
        const wxRect a = frames[i]->GetRect();
        EXPECT_TRUE(area.Contains(a)) << i;
        total += static_cast<long long>(a.width) * a.height;
        for (std::size_t j = i + 1; j < frames.size(); ++j)
            EXPECT_FALSE(a.Intersects(frames[j]->GetRect())) << i << " " << j;
    }
    EXPECT_EQ(total, static_cast<long long>(area.width) * area.height);
}

TEST_F(MdiContainerTest, TileGivesGridsForSeveralCounts)
{
    struct Case
    {
        int count;
        int columns;
    };
    // Columns: the square root rounded up; the right-hand columns take fewer frames.
    for (const Case c : {Case{1, 1}, Case{2, 2}, Case{3, 2}, Case{4, 2}, Case{5, 3}, Case{9, 3}})
    {
        for (MdiChildFrame* child : std::vector<MdiChildFrame*>(m_container->GetChildFrames()))
            child->Destroy();
        std::vector<MdiChildFrame*> frames;
        for (int i = 0; i < c.count; ++i)
            frames.push_back(AddFrame("w"));
        m_container->Tile();
        const wxRect area = m_container->ArrangeArea();
        ExpectPartition(frames, area);
        std::set<int> lefts;
        for (MdiChildFrame* frame : frames)
            lefts.insert(frame->GetRect().x);
        EXPECT_EQ(static_cast<int>(lefts.size()), c.columns) << c.count;
        // The first frame sits at the top left; with 3 frames the first column holds two.
        EXPECT_EQ(frames[0]->GetRect().GetTopLeft(), area.GetTopLeft());
        if (c.count == 3)
        {
            EXPECT_EQ(frames[1]->GetRect().x, area.x);
            EXPECT_EQ(frames[1]->GetRect().y, area.height / 2);
            EXPECT_EQ(frames[2]->GetRect(),
                      wxRect(area.width / 2, 0, area.width - area.width / 2, area.height));
        }
    }
}

TEST_F(MdiContainerTest, CascadeStaggersAndKeepsActiveOnTop)
{
    MdiChildFrame* a = AddFrame("a");
    MdiChildFrame* b = AddFrame("b");
    MdiChildFrame* c = AddFrame("c");
    m_container->ActivateChild(a);
    m_container->Cascade();
    const wxRect area = m_container->ArrangeArea();
    const int step = MdiChildFrame::kCaptionHeight + MdiChildFrame::kBorder;
    // From the bottom of the z-order up: b, c, then the active a in front.
    EXPECT_EQ(b->GetRect().GetTopLeft(), wxPoint(0, 0));
    EXPECT_EQ(c->GetRect().GetTopLeft(), wxPoint(step, step));
    EXPECT_EQ(a->GetRect().GetTopLeft(), wxPoint(2 * step, 2 * step));
    EXPECT_EQ(a->GetRect().GetSize(), wxSize(area.width * 3 / 4, area.height * 3 / 4));
    EXPECT_EQ(m_container->GetActiveChild(), a);
    EXPECT_EQ(m_container->GetZOrder().front(), a);
}

TEST_F(MdiContainerTest, MaximiseFillsAndRestoreBringsBackTheNormalRect)
{
    MdiChildFrame* a = AddFrame("a");
    a->SetNormalRect(wxRect(10, 20, 300, 200));
    a->Maximise();
    EXPECT_TRUE(a->IsMaximised());
    EXPECT_EQ(a->GetRect(), wxRect(wxPoint(0, 0), m_container->GetClientSize()));
    // The container grows: the maximised frame follows.
    m_container->SetSize(0, 0, 700, 500);
    wxSizeEvent size(m_container->GetSize(), m_container->GetId());
    size.SetEventObject(m_container);
    m_container->GetEventHandler()->ProcessEvent(size);
    EXPECT_EQ(a->GetRect(), wxRect(wxPoint(0, 0), m_container->GetClientSize()));
    a->Restore();
    EXPECT_FALSE(a->IsMaximised());
    EXPECT_EQ(a->GetRect(), wxRect(10, 20, 300, 200));
    const MdiFrameState state = a->GetFrameState();
    EXPECT_EQ(state.normal, wxRect(10, 20, 300, 200));
    EXPECT_FALSE(state.minimised);
}

TEST_F(MdiContainerTest, MinimisedFramesLineUpAtTheBottomAndTilingLeavesThemOut)
{
    MdiChildFrame* a = AddFrame("a");
    MdiChildFrame* b = AddFrame("b");
    MdiChildFrame* c = AddFrame("c");
    a->Minimise();
    b->Minimise();
    const int height = MdiChildFrame::kCaptionHeight + 2 * MdiChildFrame::kBorder;
    const wxSize client = m_container->GetClientSize();
    EXPECT_EQ(a->GetRect(), wxRect(0, client.y - height, MdiChildFrame::kMinimisedWidth, height));
    EXPECT_EQ(b->GetRect(), wxRect(MdiChildFrame::kMinimisedWidth, client.y - height,
                                   MdiChildFrame::kMinimisedWidth, height));
    m_container->Tile();
    EXPECT_EQ(c->GetRect(), wxRect(0, 0, client.x, client.y - height));
    EXPECT_TRUE(a->IsMinimised());
    // A restored frame leaves the strip and takes its normal rectangle again.
    const wxRect normal = a->GetNormalRect();
    a->Restore();
    EXPECT_EQ(a->GetRect(), normal);
    EXPECT_EQ(b->GetRect().x, 0);  // the remaining icon moves up the line
}

TEST_F(MdiContainerTest, StateRoundTripsThroughSetFrameState)
{
    MdiChildFrame* a = AddFrame("a");
    MdiFrameState state;
    state.normal = wxRect(30, 40, 250, 180);
    state.maximised = true;
    a->SetFrameState(state);
    EXPECT_TRUE(a->IsMaximised());
    const MdiFrameState back = a->GetFrameState();
    EXPECT_EQ(back.normal, state.normal);
    EXPECT_TRUE(back.maximised);
    EXPECT_EQ(back.current, wxRect(wxPoint(0, 0), m_container->GetClientSize()));
}

TEST_F(MdiContainerTest, ActivationClosingAndPointLookup)
{
    MdiChildFrame* a = AddFrame("a");
    MdiChildFrame* b = AddFrame("b");
    a->SetNormalRect(wxRect(0, 0, 300, 300));
    b->SetNormalRect(wxRect(200, 200, 300, 300));
    std::vector<MdiChildFrame*> changes;
    m_container->SetActiveChildChanged([&](MdiChildFrame* child) { changes.push_back(child); });
    m_container->ActivateChild(a);
    EXPECT_EQ(m_container->GetActiveChild(), a);
    // The overlap belongs to the topmost frame; outside both there is none.
    const wxPoint overlap = m_container->ClientToScreen(wxPoint(250, 250));
    EXPECT_EQ(m_container->ChildAtScreenPoint(overlap), a);
    m_container->ActivateChild(b);
    EXPECT_EQ(m_container->ChildAtScreenPoint(overlap), b);
    EXPECT_EQ(m_container->ChildAtScreenPoint(m_container->ClientToScreen(wxPoint(700, 50))), nullptr);
    m_container->ActivateNext();
    EXPECT_EQ(m_container->GetActiveChild(), a);
    // Closing the active frame hands activation to the next one down.
    EXPECT_TRUE(a->Close());
    EXPECT_EQ(m_container->GetChildFrames().size(), 1u);
    EXPECT_EQ(m_container->GetActiveChild(), b);
    wxTheApp->ProcessIdle();
    ASSERT_GE(changes.size(), 3u);
    EXPECT_EQ(changes.back(), b);
}

TEST_F(MdiContainerTest, DerivedFrameCanRefuseCloseAndStateChanges)
{
    auto* frame = new StubbornFrame(m_container, "x");
    frame->SetNormalRect(wxRect(5, 5, 200, 150));
    frame->Minimise();
    frame->Maximise();
    EXPECT_FALSE(frame->IsMinimised());
    EXPECT_FALSE(frame->IsMaximised());
    EXPECT_FALSE(frame->Close());
    EXPECT_EQ(m_container->GetChildFrames().size(), 1u);
    frame->m_allow = true;
    frame->Maximise();
    EXPECT_TRUE(frame->IsMaximised());
    EXPECT_TRUE(frame->Close());
    EXPECT_TRUE(m_container->GetChildFrames().empty());
}

}  // namespace

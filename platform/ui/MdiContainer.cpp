#include "platform/ui/MdiContainer.h"

#include "platform/ui/MdiChildFrame.h"

#include <wx/settings.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{

// Each cascaded frame sits this much lower and further right than the one before.
constexpr int kCascadeStep = MdiChildFrame::kCaptionHeight + MdiChildFrame::kBorder;

// Cascaded frames take three quarters of the area; the staggering starts again at the top left
// when the next step would push a frame out of it. Returns the size and the number of steps that fit.
std::pair<wxSize, int> CascadeLayout(const wxRect& area)
{
    const wxSize size(std::max(200, area.width * 3 / 4), std::max(150, area.height * 3 / 4));
    const int fit = std::max(
        1, std::min((area.width - size.x) / kCascadeStep, (area.height - size.y) / kCascadeStep) + 1);
    return {size, fit};
}

}  // namespace

MdiContainer::MdiContainer(wxWindow* parent, wxWindowID id)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize, wxCLIP_CHILDREN | wxBORDER_SUNKEN)
{
    // The themes of GTK give the application workspace the window colour; the frames need the
    // classic dark ground to stand out from it.
    SetBackgroundColour(wxColour(128, 128, 128));
    Bind(wxEVT_SIZE, &MdiContainer::OnSize, this);
}

MdiContainer::~MdiContainer()
{
    // The frames are destroyed with the panel's children; they must not report back to us.
    m_onActiveChanged = nullptr;
    for (MdiChildFrame* child : m_children)
        child->m_container = nullptr;
}

void MdiContainer::AddChild(MdiChildFrame* child)
{
    m_children.push_back(child);
    m_zOrder.insert(m_zOrder.begin(), child);
    ActivateChild(child);
}

void MdiContainer::RemoveChildFrame(MdiChildFrame* child)
{
    const auto found = std::find(m_children.begin(), m_children.end(), child);
    if (found == m_children.end())
        return;
    m_children.erase(found);
    std::erase(m_zOrder, child);
    if (m_active == child)
    {
        m_active = nullptr;
        // The next frame down takes over, as in any multiple-document program.
        if (!m_zOrder.empty())
            ActivateChild(m_zOrder.front());
        else if (m_onActiveChanged)
            m_onActiveChanged(nullptr);
    }
}

void MdiContainer::RaiseChild(MdiChildFrame* child)
{
    std::erase(m_zOrder, child);
    m_zOrder.insert(m_zOrder.begin(), child);
    child->Raise();
}

void MdiContainer::ActivateChild(MdiChildFrame* child)
{
    if (!child || std::find(m_children.begin(), m_children.end(), child) == m_children.end())
        return;
    RaiseChild(child);
    if (m_active == child)
        return;
    MdiChildFrame* previous = m_active;
    m_active = child;
    if (previous)
        previous->Refresh();
    child->Refresh();
    if (m_onActiveChanged)
        m_onActiveChanged(child);
}

void MdiContainer::ActivateNext()
{
    if (m_zOrder.size() < 2)
        return;
    // The active frame goes to the bottom; the one below it comes up.
    MdiChildFrame* current = m_zOrder.front();
    MdiChildFrame* next = m_zOrder[1];
    std::erase(m_zOrder, current);
    m_zOrder.push_back(current);
    current->Lower();
    ActivateChild(next);
}

wxRect MdiContainer::ArrangeArea() const
{
    const wxSize size = GetClientSize();
    const bool anyMinimised = std::any_of(m_children.begin(), m_children.end(),
                                          [](const MdiChildFrame* c) { return c->IsMinimised(); });
    const int strip = anyMinimised ? MdiChildFrame::kCaptionHeight + 2 * MdiChildFrame::kBorder : 0;
    return wxRect(0, 0, size.x, std::max(0, size.y - strip));
}

void MdiContainer::Tile()
{
    std::vector<MdiChildFrame*> frames;
    for (MdiChildFrame* child : m_children)
        if (child->IsShown() && !child->IsMinimised())
            frames.push_back(child);
    if (frames.empty())
        return;
    const wxRect area = ArrangeArea();
    const int count = static_cast<int>(frames.size());
    const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
    // Columns on the right take the extra frames when the count does not fill the grid evenly.
    int index = 0;
    for (int column = 0; column < columns; ++column)
    {
        const int remainingColumns = columns - column;
        const int rows = (count - index + remainingColumns - 1) / remainingColumns;
        const int left = area.x + area.width * column / columns;
        const int right = area.x + area.width * (column + 1) / columns;
        for (int row = 0; row < rows; ++row, ++index)
        {
            const int top = area.y + area.height * row / rows;
            const int bottom = area.y + area.height * (row + 1) / rows;
            frames[index]->SetNormalRect(wxRect(left, top, right - left, bottom - top));
        }
    }
}

void MdiContainer::Cascade()
{
    std::vector<MdiChildFrame*> frames;
    // From the bottom of the z-order up, so that the active frame ends in front.
    for (auto it = m_zOrder.rbegin(); it != m_zOrder.rend(); ++it)
        if ((*it)->IsShown() && !(*it)->IsMinimised())
            frames.push_back(*it);
    if (frames.empty())
        return;
    const wxRect area = ArrangeArea();
    const auto [size, fit] = CascadeLayout(area);
    for (std::size_t i = 0; i < frames.size(); ++i)
    {
        const int offset = static_cast<int>(i % fit) * kCascadeStep;
        frames[i]->SetNormalRect(wxRect(wxPoint(area.x + offset, area.y + offset), size));
        frames[i]->Raise();
    }
    if (m_active)
        RaiseChild(m_active);
}

void MdiContainer::ArrangeIcons()
{
    const wxSize size = GetClientSize();
    const int height = MdiChildFrame::kCaptionHeight + 2 * MdiChildFrame::kBorder;
    int x = 0;
    int y = size.y - height;
    for (MdiChildFrame* child : m_children)
    {
        if (!child->IsMinimised())
            continue;
        if (x > 0 && x + MdiChildFrame::kMinimisedWidth > size.x)
        {
            x = 0;
            y -= height;
        }
        child->SetSize(x, y, MdiChildFrame::kMinimisedWidth, height);
        x += MdiChildFrame::kMinimisedWidth;
    }
}

MdiChildFrame* MdiContainer::ChildAtScreenPoint(const wxPoint& screenPoint) const
{
    const wxPoint point = ScreenToClient(screenPoint);
    for (MdiChildFrame* child : m_zOrder)
        if (child->IsShown() && child->GetRect().Contains(point))
            return child;
    return nullptr;
}

wxRect MdiContainer::NextChildRect() const
{
    const wxRect area = ArrangeArea();
    const auto [size, fit] = CascadeLayout(area);
    const int offset = static_cast<int>(m_children.size() % fit) * kCascadeStep;
    return wxRect(wxPoint(area.x + offset, area.y + offset), size);
}

void MdiContainer::OnSize(wxSizeEvent& event)
{
    for (MdiChildFrame* child : m_children)
        if (child->IsMaximised())
            child->UpdateLayout();
    ArrangeIcons();
    event.Skip();
}

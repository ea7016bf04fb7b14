#include "display/AnnotationList.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "platform/Archive.h"

namespace
{

// Sets the busy flag for a scope and clears it however the scope ends.
class BusyScope
{
public:
    explicit BusyScope(std::int32_t& flag) : m_flag(flag) { m_flag = 1; }
    ~BusyScope() { m_flag = 0; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::int32_t& m_flag;
};

// Reads and drops the data of a kind this program does not keep, in bounded pieces.
void SkipBytes(CArchive& ar, std::int64_t count)
{
    std::vector<std::uint8_t> scratch(4096);
    while (count > 0)
    {
        const auto piece = static_cast<std::size_t>(std::min<std::int64_t>(count, 4096));
        ar.Read(std::span(scratch.data(), piece));
        count -= static_cast<std::int64_t>(piece);
    }
}

}  // namespace

CAnnotation& CAnnotationList::Append(std::unique_ptr<CAnnotation> annotation)
{
    m_members.push_back(std::move(annotation));
    return *m_members.back();
}

CAnnotation* CAnnotationList::FindByKey(int key) const
{
    for (const auto& member : m_members)
        if (member->m_nKey == key)
            return member.get();
    return nullptr;
}

std::optional<CAnnotationList::Position> CAnnotationList::FindNextByKey(int key)
{
    for (auto it = m_members.begin(); it != m_members.end(); ++it)
        if ((*it)->m_nKey == key)
            return it;
    return std::nullopt;
}

std::optional<CAnnotationList::Position> CAnnotationList::FindNextByKeyFrom(int key, Position position)
{
    if (position == m_members.end())
        return std::nullopt;
    for (auto it = std::next(position); it != m_members.end(); ++it)
        if ((*it)->m_nKey == key)
            return it;
    return std::nullopt;
}

void CAnnotationList::SetVisibleByKey(int key, int visible)
{
    for (auto& member : m_members)
        if (member->m_nKey == key)
            member->m_bVisible = visible;
}

int CAnnotationList::HitTest(int x, int y) const
{
    for (const auto& member : m_members)
        if (const int part = member->HitTest(x, y); part != kAnnotationPartNone)
            return part;
    return kAnnotationPartNone;
}

void CAnnotationList::Draw(gfx::Canvas& canvas)
{
    if (m_bBusy)
        return;
    for (auto& member : m_members)
    {
        member->m_PlotRect = m_PlotRect;
        member->m_RefRect = m_RefRect;
        if (!member->m_bDragging)
            member->UpdatePosition();
        if (member->m_bVisible)
            member->Draw(canvas);
    }
}

void CAnnotationList::Draw(gfx::Canvas& canvas, const PlotRect& plot, const PlotRect& reference)
{
    m_PlotRect = plot;
    m_RefRect = reference;
    Draw(canvas);
}

void CAnnotationList::DrawOnPlot(gfx::Canvas& canvas, const CPlot& plot)
{
    Draw(canvas, plot.m_rcWindow,
         PlotRect{plot.m_nPlotLeft, plot.m_nPlotTop, plot.m_nPlotRight, plot.m_nPlotBottom});
}

void CAnnotationList::PreparePaint(const PlotRect& plot, const PlotRect& reference)
{
    m_PlotRect = plot;
    m_RefRect = reference;
    if (m_bBusy)
        return;
    for (auto& member : m_members)
    {
        member->m_PlotRect = plot;
        member->m_RefRect = reference;
        if (!member->m_bDragging)
            member->UpdatePosition();
    }
}

bool CAnnotationList::OnMouseMoveList(unsigned flags, int x, int y)
{
    const bool buttonDown = (flags & kLeftButton) != 0;
    bool onAnnotation = false;
    for (auto& member : m_members)
    {
        if (!member->IsInteractive())
            continue;
        member->OnMouseMove(flags, x, y);
        if (member->m_nHoverPart == kAnnotationPartNone && member->m_nGrabbedPart == kAnnotationPartNone)
        {
            if (m_bDragging && buttonDown)
                continue;
            member->m_nHoverPart = kAnnotationPartNone;
            member->m_bDragging = 0;
            member->m_nGrabbedPart = kAnnotationPartNone;
            m_bDragging = 0;
            continue;
        }
        onAnnotation = true;
        if (!buttonDown)
        {
            if (member->m_bDragging)
                member->EndDrag(x, y);
            member->m_nGrabbedPart = kAnnotationPartNone;
            member->m_bDragging = 0;
            m_bDragging = 0;
        }
        else if (member->m_bDragging)
        {
            member->DragTo(x, y);
        }
        else if (!m_bDragging)
        {
            member->m_bDragging = 1;
            m_bDragging = 1;
            member->m_nGrabbedPart = member->m_nHoverPart;
            member->BeginDrag(x, y);
        }
    }
    return onAnnotation;
}

void CAnnotationList::Remove(Position position)
{
    BusyScope busy(m_bBusy);
    std::this_thread::sleep_for(m_removePause);
    m_members.erase(position);
}

void CAnnotationList::RemoveMarked()
{
    for (auto it = m_members.begin(); it != m_members.end();)
    {
        const CAnnotation& member = **it;
        // A locked member is never hovered or grabbed by the mouse, so it is never removed here.
        if (member.IsInteractive() &&
            (member.m_nHoverPart != kAnnotationPartNone || member.m_nGrabbedPart != kAnnotationPartNone))
        {
            auto next = std::next(it);
            Remove(it);
            it = next;
        }
        else
        {
            ++it;
        }
    }
    m_bBusy = 0;
}

void CAnnotationList::OnDoubleClick(int x, int y, const LabelEditor& editor)
{
    for (auto it = m_members.begin(); it != m_members.end(); ++it)
    {
        CAnnotation& member = **it;
        const int part = member.HitTest(x, y);
        if (part == kAnnotationPartNone || !member.IsInteractive())
            continue;
        if (member.m_nType == kAnnotationTypeLine)
        {
            if (part == kAnnotationPartLine)
                Remove(it);
            break;
        }
        if (member.m_nType != kAnnotationTypeText)
            continue;
        auto& label = static_cast<CTextAnnotation&>(member);
        const double size = label.m_Font.m_dSize;
        // The dialog shows the size cut to an integer; a size from a damaged file shows as 0.
        const int shownSize = (size > -1e9 && size < 1e9) ? static_cast<int>(size) : 0;
        LabelEdit edit{label.m_strText, shownSize, false};
        if (editor && editor(edit))
        {
            label.m_strText = edit.text;
            label.m_Font.m_dSize = std::clamp(edit.size, 1, 200);
            if (edit.deleteIt)
                Remove(it);
        }
        break;
    }
    m_bBusy = 0;
}

void CAnnotationList::DeleteAll()
{
    BusyScope busy(m_bBusy);
    m_members.clear();
}

void CAnnotationList::Serialize(CArchive& ar)
{
    BusyScope busy(m_bBusy);
    if (ar.IsStoring())
    {
        ar << static_cast<std::int32_t>(m_members.size());
        for (auto& member : m_members)
            member->Serialize(ar);
        return;
    }
    m_members.clear();
    const std::size_t count = ar.ReadCount(kMaxStoredCount);
    for (std::size_t i = 0; i < count; ++i)
    {
        CAnnotation scratch;
        scratch.ReadBaseBlock(ar);
        std::unique_ptr<CAnnotation> member;
        switch (scratch.m_nType)
        {
            case kAnnotationTypeText:
                member = std::make_unique<CTextAnnotation>();
                break;
            case kAnnotationTypeLine:
                member = std::make_unique<CArrowAnnotation>();
                break;
            case kAnnotationTypeString:
                member = std::make_unique<CStringAnnotation>();
                break;
            default:
                SkipBytes(ar, static_cast<std::int64_t>(scratch.m_nDataSize) -
                                  static_cast<std::int64_t>(kBaseBlockBytes));
                continue;
        }
        member->SetBaseBlock(scratch.GetBaseBlock());
        member->Serialize(ar);
        m_members.push_back(std::move(member));
    }
}

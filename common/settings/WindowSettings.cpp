#include "common/settings/WindowSettings.h"

#include <algorithm>

#include "common/IniFile.h"

#include "platform/Archive.h"

CWindow_settings::CWindow_settings()
{
    Reset();
}

void CWindow_settings::Reset()
{
    m_rect = {};
    m_bHidden = 1;
    m_reserved = {};
    m_nStyle = 0;
    m_bLoaded = 0;
    m_window.reset();
    m_bValid = 0;
}

std::uint32_t CWindow_settings::StyleFromState(const ChildFrameState& state)
{
    std::uint32_t style = 0;
    if (state.visible)
        style |= kStyleVisible;
    if (state.maximised)
        style |= kStyleMaximize;
    if (state.minimised)
        style |= kStyleMinimize;
    return style;
}

WindowPlacement CWindow_settings::PlacementFromState(const ChildFrameState& state)
{
    WindowPlacement placement;
    placement.length = kPlacementBytes;
    placement.showCmd = state.minimised ? kShowMinimized : state.maximised ? kShowMaximized : kShowNormal;
    placement.normalPosition = state.normal;
    return placement;
}

ChildFrameState CWindow_settings::StateFromStored(const WindowPlacement& placement, const WindowRect& rect,
                                                  std::uint32_t style)
{
    ChildFrameState state;
    state.normal = placement.normalPosition;
    state.current = rect;
    if ((style & kStyleVisible) == 0)
    {
        // Hidden: the placement's own show state stays, the window is not shown.
        state.minimised = placement.showCmd == kShowMinimized;
        state.maximised = placement.showCmd == kShowMaximized;
        return state;
    }
    state.visible = true;
    state.maximised = (style & kStyleMaximize) != 0;
    if (!state.maximised)
        state.current = placement.normalPosition;
    return state;
}

void CWindow_settings::Capture(const std::weak_ptr<CPlacedWindow>& window)
{
    m_window = window;
    m_bValid = 0;
    const std::shared_ptr<CPlacedWindow> live = window.lock();
    if (!live)
        return;
    const ChildFrameState state = live->GetFrameState();
    m_placement = PlacementFromState(state);
    m_rect = state.current;
    m_nStyle = static_cast<std::int32_t>(StyleFromState(state));
    m_bValid = 1;
    m_bHidden = state.visible ? 0 : 1;
}

int CWindow_settings::Restore(const std::weak_ptr<CPlacedWindow>& window)
{
    m_window = window;
    const std::shared_ptr<CPlacedWindow> live = window.lock();
    if (!live || m_bLoaded == 0)
        return 0;
    const bool wasVisible = live->GetFrameState().visible;
    live->SetFrameState(StateFromStored(m_placement, m_rect, static_cast<std::uint32_t>(m_nStyle)));
    return wasVisible ? 1 : 0;
}

namespace
{

void SerializeInts(CArchive& ar, std::int32_t* values, int count)
{
    for (int i = 0; i < count; ++i)
    {
        if (ar.IsStoring())
            ar << values[i];
        else
            ar >> values[i];
    }
}

}  // namespace

void CWindow_settings::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
        Capture(m_window);
    // Read into a copy so that a short stream leaves the record as it was.
    WindowPlacement placement = m_placement;
    WindowRect rect = m_rect;
    std::array<std::int32_t, 4> reserved = m_reserved;
    std::int32_t style = m_nStyle;
    std::int32_t hidden = m_bHidden;
    std::int32_t head[3] = {placement.length, placement.flags, placement.showCmd};
    std::int32_t points[4] = {placement.minPosition.x, placement.minPosition.y, placement.maxPosition.x,
                              placement.maxPosition.y};
    std::int32_t normal[4] = {placement.normalPosition.left, placement.normalPosition.top,
                              placement.normalPosition.right, placement.normalPosition.bottom};
    std::int32_t rectWords[4] = {rect.left, rect.top, rect.right, rect.bottom};
    SerializeInts(ar, head, 3);
    SerializeInts(ar, points, 4);
    SerializeInts(ar, normal, 4);
    SerializeInts(ar, rectWords, 4);
    SerializeInts(ar, reserved.data(), 4);
    SerializeInts(ar, &style, 1);
    SerializeInts(ar, &hidden, 1);
    if (ar.IsStoring())
        return;
    m_placement = {head[0],
                   head[1],
                   head[2],
                   {points[0], points[1]},
                   {points[2], points[3]},
                   {normal[0], normal[1], normal[2], normal[3]}};
    m_rect = {rectWords[0], rectWords[1], rectWords[2], rectWords[3]};
    m_reserved = reserved;
    m_nStyle = style;
    m_bHidden = hidden;
    m_bLoaded = 1;
}

bool IsUsableWindowRect(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom)
{
    const auto inside = [](std::int64_t v)
    { return v >= -kMaxWindowCoordinate && v <= kMaxWindowCoordinate; };
    return inside(left) && inside(top) && inside(right) && inside(bottom) && right > left && bottom > top;
}

WindowRect ClampWindowRect(const WindowRect& rect)
{
    const auto clamp = [](std::int32_t v)
    {
        return static_cast<std::int32_t>(
            std::clamp<std::int64_t>(v, -kMaxWindowCoordinate, kMaxWindowCoordinate));
    };
    WindowRect out{clamp(rect.left), clamp(rect.top), clamp(rect.right), clamp(rect.bottom)};
    out.right = std::max(out.right, out.left);
    out.bottom = std::max(out.bottom, out.top);
    return out;
}

bool CWindow_settings::WriteProfile(const CIniFile& file, std::string_view section)
{
    if (m_window.lock())
        Capture(m_window);
    else
        Reset();
    bool ok = file.WritePlacement(section, "WINDOWPLACEMENT", m_placement);
    ok = file.WriteRect(section, "Rectangle", m_rect) && ok;
    ok = file.WriteInt(section, "Style", m_nStyle) && ok;
    ok = file.WriteInt(section, "Hidden", m_bHidden) && ok;
    return file.WriteInt(section, "Valid", m_bValid) && ok;
}

void CWindow_settings::ReadProfile(const CIniFile& file, std::string_view section)
{
    m_bLoaded = 1;
    m_placement = file.ReadPlacement(section, "WINDOWPLACEMENT", m_placement);
    m_rect = file.ReadRect(section, "Rectangle", m_rect);
    m_nStyle = file.ReadInt(section, "Style", m_nStyle);
    m_bHidden = file.ReadInt(section, "Hidden", m_bHidden);
    m_bValid = file.ReadInt(section, "Valid", m_bValid);
    // A record saved without its window is not put back.
    if (m_bValid == 0)
        m_bLoaded = 0;
}

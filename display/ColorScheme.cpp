#include "display/ColorScheme.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "platform/Archive.h"

namespace
{

struct NamedRole
{
    const char* name;
    COLORREF color;
};

constexpr std::array<NamedRole, 37> kNamedRoles = {{
    {"plot background", 0xB4B4B4},
    {"frame background", 0x969696},
    {"cursor marker fill", 0x0000FF},
    {"cursor marker pen", 0x000000},
    {"cursor marker text", 0x000000},
    {"THD marker fill", 0x787878},
    {"THD marker pen", 0x000000},
    {"THD marker text", 0x000000},
    {"IMD marker fill", 0x000000},
    {"IMD marker pen", 0x000000},
    {"IMD marker text", 0x000000},
    {"marker fill", 0xB47878},
    {"marker pen", 0x0A14FF},
    {"marker text", 0x000000},
    {"crosshair", 0x0000FF},
    {"measure rectangle", 0x00FF00},
    {"bar pen", 0x000000},
    {"bar peak pen", 0x000000},
    {"bar peak fill", 0x0000FF},
    {"grid X minor lines", 0x000000},
    {"grid X major lines", 0x000000},
    {"grid Y minor lines", 0x000000},
    {"grid Y major lines", 0x000000},
    {"label X", 0x000000},
    {"ticks X", 0x000000},
    {"axis X", 0x000000},
    {"label Y", 0x000000},
    {"ticks Y", 0x000000},
    {"axis Y", 0x000000},
    {"legend background", 0x000000},
    {"legend frame", 0xC8C8C8},
    {"Trigger marker 'scanning'", 0x00FF00},
    {"Trigger marker selected", 0x0000FF},
    {"Trigger marker 'trigger found'", 0xFF00FF},
    {"Trigger marker 'triggerd'", 0xFF0000},
    {"Trigger marker 'ready'", 0x787878},
    {"Text", 0x000000},
}};

// Palette colours of the first curves; curves 19..25 are red and the rest black.
constexpr std::array<int, 18> kFirstCurvePalette = {1,  3,  10, 11, 6,  4,  8,  9,  10,
                                                    11, 12, 13, 14, 15, 16, 17, 18, 19};
constexpr int kLastRedCurve = 25;  // 1-based

constexpr std::array<int, CColorScheme::kOverlayEntryCount> kOverlayPalette = {10, 11, 4,  13, 15,
                                                                               6,  9,  14, 16, 17};

bool InTable(int role)
{
    return role >= 0 && role < CColorScheme::kMaxEntries;
}

}  // namespace

CColorScheme::CColorScheme() : m_entries(kMaxEntries)
{
    for (std::size_t role = 0; role < kNamedRoles.size(); ++role)
    {
        Entry& entry = m_entries[role];
        entry.id = static_cast<int>(role);
        entry.name = kNamedRoles[role].name;
        entry.color = kNamedRoles[role].color;
    }
    for (int curve = 1; curve <= kCurveEntryCount; ++curve)
    {
        Entry& entry = m_entries[RoleFirstCurve + curve - 1];
        entry.id = RoleFirstCurve + curve - 1;
        char name[32];
        std::snprintf(name, sizeof name, "Curve #%i", curve);
        entry.name = name;
        int palette = PALETTE_BLACK;
        if (curve <= static_cast<int>(kFirstCurvePalette.size()))
            palette = kFirstCurvePalette[curve - 1];
        else if (curve <= kLastRedCurve)
            palette = PALETTE_RED;
        entry.color = GetPaletteColor(palette);
    }
    for (int overlay = 1; overlay <= kOverlayEntryCount; ++overlay)
    {
        Entry& entry = m_entries[RoleFirstOverlay + overlay - 1];
        entry.id = RoleFirstOverlay + overlay - 1;
        char name[32];
        std::snprintf(name, sizeof name, "Overlay #%i", overlay);
        entry.name = name;
        entry.color = GetPaletteColor(kOverlayPalette[overlay - 1]);
    }
}

COLORREF CColorScheme::GetColor(int role) const
{
    if (!InTable(role))
        return 0;
    const Entry& entry = m_entries[role];
    return entry.usePalette == 1 ? GetPaletteColor(entry.paletteIndex) : entry.color;
}

void CColorScheme::SetColor(int role, COLORREF color)
{
    if (InTable(role))
        m_entries[role].color = color;
}

int CColorScheme::GetPaletteIndex(int role) const
{
    return InTable(role) ? m_entries[role].paletteIndex : 0;
}

void CColorScheme::SetPaletteIndex(int role, int index)
{
    if (InTable(role))
        m_entries[role].paletteIndex = index;
}

void CColorScheme::SnapToPalette()
{
    for (int role = 0; role < m_nCount; ++role)
    {
        Entry& entry = m_entries[role];
        entry.usePalette = 1;
        entry.paletteIndex = FindNearestPaletteColor(entry.color);
    }
}

const CColorScheme::Entry* CColorScheme::GetEntry(int role) const
{
    return InTable(role) ? &m_entries[role] : nullptr;
}

void CColorScheme::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar.WriteCount(static_cast<std::size_t>(m_nCount));
        for (int role = 0; role < m_nCount; ++role)
        {
            const Entry& entry = m_entries[role];
            const auto color = static_cast<std::int32_t>(entry.color);
            ar << static_cast<std::int32_t>(entry.paletteIndex)
               << static_cast<std::int32_t>(entry.usePalette);
            // The colour is stored three times; readers take the last.
            ar << color << color << color;
        }
        return;
    }

    // The table has kMaxEntries entries: a larger count is refused before anything changes, and a
    // stream that ends early leaves the scheme as it was.
    const int count = static_cast<int>(ar.ReadCount(kMaxEntries));
    std::vector<Entry> loaded = m_entries;
    for (int role = 0; role < count; ++role)
    {
        std::int32_t paletteIndex = 0;
        std::int32_t usePalette = 0;
        std::int32_t color = 0;
        ar >> paletteIndex >> usePalette;
        ar >> color >> color >> color;
        Entry& entry = loaded[role];
        entry.paletteIndex = paletteIndex;
        entry.usePalette = usePalette;
        entry.color = static_cast<COLORREF>(color);
    }
    m_entries = std::move(loaded);
    m_nCount = count;
}

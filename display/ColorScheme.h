// The colour scheme of a plot: gives every drawn element (its role) a colour, either its own RGB
// value or a palette colour. The engine keeps the workspace's scheme and stores it in the
// workspace file; every plot and every view settings record holds its own copy.
#pragma once

#include <string>
#include <vector>

#include "display/ColorPalette.h"

class CArchive;

class CColorScheme
{
public:
    // Role numbers (entry numbers) that the plot code reads.
    enum Role : int
    {
        RolePlotBackground = 0,
        RoleFrameBackground = 1,
        RoleCursorMarkerFill = 2,
        RoleCursorMarkerPen = 3,
        RoleCursorMarkerText = 4,
        RoleThdMarkerFill = 5,
        RoleThdMarkerPen = 6,
        RoleThdMarkerText = 7,
        RoleImdMarkerFill = 8,
        RoleImdMarkerPen = 9,
        RoleImdMarkerText = 10,
        RoleMarkerFill = 11,
        RoleMarkerPen = 12,
        RoleMarkerText = 13,
        RoleCrosshair = 14,
        RoleMeasureRectangle = 15,
        RoleBarPen = 16,
        RoleBarPeakPen = 17,
        RoleBarPeakFill = 18,
        RoleGridXMinor = 19,
        RoleGridXMajor = 20,
        RoleGridYMinor = 21,
        RoleGridYMajor = 22,
        RoleLabelX = 23,
        RoleTicksX = 24,
        RoleAxisX = 25,
        RoleLabelY = 26,
        RoleTicksY = 27,
        RoleAxisY = 28,
        RoleLegendBackground = 29,
        RoleLegendFrame = 30,
        RoleTriggerScanning = 31,
        RoleTriggerSelected = 32,
        RoleTriggerFound = 33,
        RoleTriggered = 34,
        RoleTriggerReady = 35,
        RoleText = 36,
        RoleFirstCurve = 64,    // curve n (0-based) is role 64 + n, up to 127
        RoleFirstOverlay = 256  // overlay n (0-based) is role 256 + n, up to 265
    };

    // One role's colour.
    struct Entry
    {
        int id = 0;            // the role number
        int paletteIndex = 0;  // 0..19
        COLORREF color = 0;    // own colour
        int usePalette = 0;    // 1: the palette colour of paletteIndex applies, else the own colour
        std::string name;      // at most kMaxNameCharacters
    };

    // The table's size; a stored scheme with more entries is refused.
    static constexpr int kMaxEntries = 1024;
    // The number of entries a new scheme stores.
    static constexpr int kDefaultEntryCount = 256;
    static constexpr int kMaxNameCharacters = 127;
    static constexpr int kCurveEntryCount = 64;
    static constexpr int kOverlayEntryCount = 10;

    CColorScheme();
    virtual ~CColorScheme() = default;
    CColorScheme(const CColorScheme&) = default;
    CColorScheme& operator=(const CColorScheme&) = default;

    // Roles outside 0..kMaxEntries-1 read as black and are not written.
    COLORREF GetColor(int role) const;
    // Sets the own colour; the use-palette flag stays as it is.
    void SetColor(int role, COLORREF color);
    int GetPaletteIndex(int role) const;
    void SetPaletteIndex(int role, int index);
    // Every stored entry takes the palette colour nearest to its own colour.
    void SnapToPalette();

    // The number of entries that are stored (256 for a new scheme).
    int GetCount() const { return m_nCount; }
    // Null outside 0..kMaxEntries-1.
    const Entry* GetEntry(int role) const;

    // Stores or loads the entry count and, per stored entry, palette index, flag and colour. A load
    // that fails (short stream, count outside 0..kMaxEntries) throws platform::ArchiveError and
    // leaves the scheme as it was.
    void Serialize(CArchive& ar);

private:
    int m_nCount = kDefaultEntryCount;
    std::vector<Entry> m_entries;  // always kMaxEntries
};

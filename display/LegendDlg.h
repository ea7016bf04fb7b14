// CLegendDlg: the legend of a plot, a member of every CPlot. The plot's painter draws it as a
// framed box with one row per curve (line sample, marker symbol, label) at the top right of the
// plot area; the owner fills the entries, moves the box by its offset, highlights an entry and asks
// which entry lies under a mouse point.
//
// Threads: user-interface thread only.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "display/CurveStyle.h"
#include "platform/gfx/Canvas.h"

class CLegendDlg
{
public:
    static constexpr int kMaxEntries = 256;
    static constexpr int kDefaultFontHeight = 14;
    static constexpr int kMarkerHalfSize = 4;
    // The sample texts that measure the line sample and the widest label the box allows.
    static constexpr const char* kSampleText = "affe";
    static constexpr const char* kLongestLabelText = "Overlay2_Dorvast_na_ja_warum_nicht_lang_und dies";

    CLegendDlg() = default;

    // Draws the box into the top right corner of the rectangle (moved by the box offset) and
    // remembers the box for HitTest.
    void DrawLegend(gfx::Canvas& canvas, int left, int top, int right, int bottom);
    // The entry under the point; -1 without entries or outside the last box.
    int HitTest(int x, int y) const;
    // Whether the point lies in the last box.
    bool Contains(int x, int y) const;

    std::string m_strTitle;
    std::string m_strSecond;
    std::int32_t m_nCount = 0;
    std::array<CCurveStyle, kMaxEntries> m_entries;
    // 1 where the user gave the entry's curve its name (from the curve dialog).
    std::array<std::uint8_t, kMaxEntries> m_abNameSetByUser{};
    std::int32_t m_nFontHeight = kDefaultFontHeight;
    std::int32_t m_nConfiguredFontHeight = kDefaultFontHeight;
    std::int32_t m_bVisible = 1;
    std::int32_t m_bLayout = 0;
    gfx::Color m_background = 255;
    gfx::Color m_textColor = 0;
    std::int32_t m_nSelected = -1;
    std::int32_t m_nOffsetX = 0;
    std::int32_t m_nOffsetY = 0;
    std::int32_t m_nFrameThickness = 0;
    gfx::Rect m_rcBox;
};

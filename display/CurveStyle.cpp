#include "display/CurveStyle.h"

#include <cstdint>
#include <string>
#include <utility>

#include "common/IniFile.h"
#include "platform/Archive.h"

CCurveStyle::CCurveStyle() = default;

void CCurveStyle::CopyFrom(const CCurveStyle& other)
{
    m_nColorIndex = other.m_nColorIndex;
    m_nWidth = other.m_nWidth;
    m_nPenStyle = other.m_nPenStyle;
    m_nMarker = other.m_nMarker;
    m_strLabel = other.m_strLabel;
}

COLORREF CCurveStyle::GetColor() const
{
    return GetPaletteColor(m_nColorIndex);
}

PenDescription CCurveStyle::MakePen()
{
    m_color = GetPaletteColor(m_nColorIndex);
    PenDescription pen;
    pen.color = m_color;
    pen.width = m_nWidth;
    pen.style = m_nPenStyle;
    // A cosmetic pen wider than one pixel draws dashes and dots as a solid line; a geometric pen
    // keeps the pattern.
    pen.geometric = m_nPenStyle != PEN_STYLE_SOLID && m_nWidth > 1;
    return pen;
}

void CCurveStyle::CreatePen()
{
    m_pen = MakePen();
}

void CCurveStyle::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << static_cast<std::int32_t>(m_color) << static_cast<std::int32_t>(m_nPenStyle)
           << static_cast<std::int32_t>(m_nWidth) << static_cast<std::int32_t>(m_nMarker)
           << static_cast<std::int32_t>(m_nColorIndex);
        ar << std::string_view(m_strLabel);
        return;
    }
    std::int32_t color = 0;
    std::int32_t penStyle = 0;
    std::int32_t width = 0;
    std::int32_t marker = 0;
    std::int32_t colorIndex = 0;
    std::string label;
    ar >> color >> penStyle >> width >> marker >> colorIndex;
    ar >> label;
    // Nothing changes unless the whole record arrived.
    m_color = static_cast<COLORREF>(color);
    m_nPenStyle = penStyle;
    m_nWidth = width;
    m_nMarker = marker;
    m_nColorIndex = colorIndex;
    m_strLabel = std::move(label);
}

bool CCurveStyle::WriteIni(std::string_view iniPath, std::string_view section,
                           std::string_view keyPrefix) const
{
    CIniFile ini;
    if (!ini.SetFileName(iniPath))
        return false;
    const std::string prefix(keyPrefix);
    bool written = ini.WriteInt(section, prefix + "Color Index", m_nColorIndex);
    written = ini.WriteInt(section, prefix + "Width", m_nWidth) && written;
    written = ini.WriteInt(section, prefix + "Style", m_nPenStyle) && written;
    written = ini.WriteString(section, prefix + "Label", m_strLabel) && written;
    written = ini.WriteInt(section, prefix + "Marker", m_nMarker) && written;
    written = ini.WriteHex(section, prefix + "Color", static_cast<int>(GetColor())) && written;
    return written;
}

#include "display/Annotation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

#include "platform/Archive.h"
#include "platform/Text.h"

namespace
{

// Little-endian packing of the base block, independent of the host's byte order.
class BlockWriter
{
public:
    explicit BlockWriter(std::span<std::uint8_t> bytes) : m_bytes(bytes) {}
    void Int(std::int32_t value)
    {
        const auto bits = static_cast<std::uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            m_bytes[m_pos++] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    void Double(double value)
    {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        for (int i = 0; i < 8; ++i)
            m_bytes[m_pos++] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    void Bytes(std::span<const std::uint8_t> bytes)
    {
        std::memcpy(m_bytes.data() + m_pos, bytes.data(), bytes.size());
        m_pos += bytes.size();
    }

private:
    std::span<std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

class BlockReader
{
public:
    explicit BlockReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::int32_t Int()
    {
        std::uint32_t bits = 0;
        for (int i = 0; i < 4; ++i)
            bits |= static_cast<std::uint32_t>(m_bytes[m_pos++]) << (8 * i);
        return static_cast<std::int32_t>(bits);
    }
    double Double()
    {
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |= static_cast<std::uint64_t>(m_bytes[m_pos++]) << (8 * i);
        double value = 0.0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    void Bytes(std::span<std::uint8_t> bytes)
    {
        std::memcpy(bytes.data(), m_bytes.data() + m_pos, bytes.size());
        m_pos += bytes.size();
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

int Truncate(double value)
{
    // Conversions truncate toward zero; values beyond the int range are held at its ends.
    if (!(value == value))
        return 0;
    if (value >= 2147483647.0)
        return 2147483647;
    if (value <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(value);
}

gfx::Pen ToPen(const PenDescription& pen)
{
    return gfx::Pen{pen.color, pen.width, static_cast<gfx::PenStyle>(std::clamp(pen.style, 0, 5))};
}

// The lines of a label: a line feed starts a new one, and a carriage return before it belongs to
// the break.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (;;)
    {
        const std::size_t feed = text.find('\n');
        std::string_view line = text.substr(0, feed);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (feed == std::string_view::npos)
            return lines;
        text.remove_prefix(feed + 1);
    }
}

}  // namespace

void WriteAnnotationString(CArchive& ar, const std::string& text)
{
    ar << static_cast<std::int32_t>(text.size());
    ar.Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string ReadAnnotationString(CArchive& ar)
{
    std::int32_t length = 0;
    ar >> length;
    if (length < 0 || length > kMaxAnnotationStringBytes)
        throw platform::ArchiveError(platform::ArchiveCause::Malformed,
                                     "annotation text length out of range");
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ar.Read(std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()));
    // Text from the other platform widens when decoded; what loads must also load again once stored.
    std::string text = platform::TextFromFile(bytes);
    if (text.size() > static_cast<std::size_t>(kMaxAnnotationStringBytes))
        throw platform::ArchiveError(platform::ArchiveCause::Malformed, "annotation text too long");
    return text;
}

// ---------------------------------------------------------------------------------------------
// CAnnotation

CAnnotation::CAnnotation() = default;

void CAnnotation::Draw(gfx::Canvas&) {}

void CAnnotation::DrawHandle(gfx::Canvas& canvas, const PlotRect& rect)
{
    canvas.SetPen(gfx::Pen{RgbColor(0, 255, 255), 2, gfx::PenStyle::Solid});
    canvas.SetBrush(gfx::Brush{0, true});
    canvas.Rectangle(rect.left, rect.top, rect.right, rect.bottom);
}

int CAnnotation::HitTest(int, int) const
{
    return kAnnotationPartNone;
}

int CAnnotation::GetDataSize() const
{
    return static_cast<int>(kBaseBlockBytes);
}

std::array<std::uint8_t, CAnnotation::kBaseBlockBytes> CAnnotation::GetBaseBlock() const
{
    std::array<std::uint8_t, kBaseBlockBytes> block{};
    BlockWriter out(block);
    for (std::int32_t value :
         {m_nType, m_nDataSize, m_bVisible, m_bDragging, m_nDragOriginX, m_nDragOriginY, m_nDragMouseX,
          m_nDragMouseY, m_nX, m_nY, m_Bounds.left, m_Bounds.top, m_Bounds.right, m_Bounds.bottom})
        out.Int(value);
    out.Double(m_dRelX);
    out.Double(m_dRelY);
    for (std::int32_t value :
         {m_nPositionMode, m_nGrabbedPart, m_nHoverPart, m_reserved[0], m_reserved[1], m_nKey, m_nFlags})
        out.Int(value);
    out.Bytes(m_reservedArea);
    return block;
}

void CAnnotation::SetBaseBlock(const std::array<std::uint8_t, kBaseBlockBytes>& block)
{
    BlockReader in(block);
    m_nType = in.Int();
    m_nDataSize = in.Int();
    m_bVisible = in.Int();
    m_bDragging = in.Int();
    m_nDragOriginX = in.Int();
    m_nDragOriginY = in.Int();
    m_nDragMouseX = in.Int();
    m_nDragMouseY = in.Int();
    m_nX = in.Int();
    m_nY = in.Int();
    m_Bounds.left = in.Int();
    m_Bounds.top = in.Int();
    m_Bounds.right = in.Int();
    m_Bounds.bottom = in.Int();
    m_dRelX = in.Double();
    m_dRelY = in.Double();
    m_nPositionMode = in.Int();
    m_nGrabbedPart = in.Int();
    m_nHoverPart = in.Int();
    m_reserved[0] = in.Int();
    m_reserved[1] = in.Int();
    m_nKey = in.Int();
    m_nFlags = in.Int();
    in.Bytes(m_reservedArea);
}

void CAnnotation::WriteBaseBlock(CArchive& ar)
{
    m_nDataSize = GetDataSize();
    const auto block = GetBaseBlock();
    ar.Write(block);
}

void CAnnotation::ReadBaseBlock(CArchive& ar)
{
    std::array<std::uint8_t, kBaseBlockBytes> block{};
    ar.Read(block);
    SetBaseBlock(block);
}

void CAnnotation::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
        WriteBaseBlock(ar);
}

PlotPoint CAnnotation::RelativeToPixel(double relativeX, double relativeY) const
{
    switch (m_nPositionMode)
    {
        case kPositionPlotFraction:
            return {Truncate(relativeX * (m_PlotRect.right - m_PlotRect.left)),
                    Truncate(relativeY * (m_PlotRect.bottom - m_PlotRect.top))};
        case kPositionReferenceFraction:
            return {Truncate(relativeX * (m_RefRect.right - m_RefRect.left) + m_RefRect.left),
                    Truncate(relativeY * (m_RefRect.bottom - m_RefRect.top) + m_RefRect.top)};
        default:
            return {Truncate(relativeX), Truncate(relativeY)};
    }
}

void CAnnotation::UpdatePosition()
{
    const PlotPoint p = RelativeToPixel(m_dRelX, m_dRelY);
    m_nX = p.x;
    m_nY = p.y;
}

void CAnnotation::BeginDrag(int x, int y)
{
    m_nDragOriginX = m_nX;
    m_nDragOriginY = m_nY;
    m_nDragMouseX = x;
    m_nDragMouseY = y;
}

void CAnnotation::DragTo(int x, int y)
{
    m_nX = m_nDragOriginX + (x - m_nDragMouseX);
    m_nY = m_nDragOriginY + (y - m_nDragMouseY);
}

void CAnnotation::EndDrag(int, int)
{
    // The relative position follows the pixel position the drag left; a rectangle of no size keeps it.
    if (m_nPositionMode == kPositionPlotFraction)
    {
        const int width = m_PlotRect.right - m_PlotRect.left;
        const int height = m_PlotRect.bottom - m_PlotRect.top;
        if (width != 0)
            m_dRelX = static_cast<double>(m_nX) / width;
        if (height != 0)
            m_dRelY = static_cast<double>(m_nY) / height;
    }
    else if (m_nPositionMode == kPositionReferenceFraction)
    {
        const int width = m_RefRect.right - m_RefRect.left;
        const int height = m_RefRect.bottom - m_RefRect.top;
        if (width != 0)
            m_dRelX = static_cast<double>(m_nX - m_RefRect.left) / width;
        if (height != 0)
            m_dRelY = static_cast<double>(m_nY - m_RefRect.top) / height;
    }
}

void CAnnotation::OnMouseMove(unsigned, int x, int y)
{
    m_nHoverPart = HitTest(x, y);
}

// ---------------------------------------------------------------------------------------------
// CArrowAnnotation

CArrowAnnotation::CArrowAnnotation()
{
    m_nType = kAnnotationTypeLine;
    m_bVisible = 1;
    m_nDataSize = GetDataSize();
}

int CArrowAnnotation::GetDataSize() const
{
    return static_cast<int>(2 * kBaseBlockBytes + 16);
}

void CArrowAnnotation::SyncEnd()
{
    m_End.m_nPositionMode = m_nPositionMode;
    m_End.m_PlotRect = m_PlotRect;
    m_End.m_RefRect = m_RefRect;
}

void CArrowAnnotation::Draw(gfx::Canvas& canvas)
{
    canvas.SetPen(ToPen(m_Pen));
    canvas.MoveTo(m_nX, m_nY);
    canvas.LineTo(m_End.m_nX, m_End.m_nY);
    if (m_nGrabbedPart == kAnnotationPartNone && m_nHoverPart == kAnnotationPartNone)
        return;
    const auto marks = [&](int part) { return m_nGrabbedPart == part || m_nHoverPart == part; };
    const bool whole = marks(kAnnotationPartLine);
    const int r = m_nHandleRadius;
    const auto handle = [&](int x, int y) { DrawHandle(canvas, PlotRect{x - r, y - r, x + r, y + r}); };
    if (whole || marks(kAnnotationPartStart))
        handle(m_nX, m_nY);
    if (whole || marks(kAnnotationPartEnd))
        handle(m_End.m_nX, m_End.m_nY);
    if (whole)
        handle(Truncate((static_cast<double>(m_nX) + m_End.m_nX) * 0.5),
               Truncate((static_cast<double>(m_nY) + m_End.m_nY) * 0.5));
}

int CArrowAnnotation::HitTest(int x, int y) const
{
    const long long r = m_nHandleRadius;
    const long long dxs = static_cast<long long>(x) - m_nX;
    const long long dys = static_cast<long long>(y) - m_nY;
    if (dxs * dxs + dys * dys < r * r)
        return kAnnotationPartStart;
    const long long dxe = static_cast<long long>(x) - m_End.m_nX;
    const long long dye = static_cast<long long>(y) - m_End.m_nY;
    if (dxe * dxe + dye * dye < r * r)
        return kAnnotationPartEnd;
    const double lx = static_cast<double>(m_End.m_nX) - m_nX;
    const double ly = static_cast<double>(m_End.m_nY) - m_nY;
    const double length = std::sqrt(lx * lx + ly * ly);
    if (length == 0.0)
        return kAnnotationPartNone;
    const double ux = lx / length;
    const double uy = ly / length;
    const double across = uy * static_cast<double>(dxs) - ux * static_cast<double>(dys);
    const double along = ux * static_cast<double>(dxs) + uy * static_cast<double>(dys);
    const double radius = static_cast<double>(r);
    if (std::fabs(across) < radius && along >= -radius && along <= length + radius)
        return kAnnotationPartLine;
    return kAnnotationPartNone;
}

void CArrowAnnotation::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        WriteBaseBlock(ar);
        for (std::int32_t word : m_PenDesc.words)
            ar << word;
        SyncEnd();
        m_End.m_nType = kAnnotationTypePoint;
        m_End.WriteBaseBlock(ar);
        return;
    }
    CPenDesc pen;
    for (std::int32_t& word : pen.words)
        ar >> word;
    CAnnotation end;
    end.ReadBaseBlock(ar);
    m_PenDesc = pen;
    m_End.SetBaseBlock(end.GetBaseBlock());
    // A restored line draws with the default pen whatever the record holds.
    m_Pen = PenDescription{RgbColor(255, 0, 0), 2, PEN_STYLE_SOLID, false};
}

void CArrowAnnotation::UpdatePosition()
{
    CAnnotation::UpdatePosition();
    SyncEnd();
    const PlotPoint end = RelativeToPixel(m_End.m_dRelX, m_End.m_dRelY);
    m_End.m_nX = end.x;
    m_End.m_nY = end.y;
}

void CArrowAnnotation::BeginDrag(int x, int y)
{
    SyncEnd();
    if (m_nGrabbedPart == kAnnotationPartStart || m_nGrabbedPart == kAnnotationPartLine)
        CAnnotation::BeginDrag(x, y);
    if (m_nGrabbedPart == kAnnotationPartEnd || m_nGrabbedPart == kAnnotationPartLine)
        m_End.BeginDrag(x, y);
}

void CArrowAnnotation::DragTo(int x, int y)
{
    if (m_nGrabbedPart == kAnnotationPartStart || m_nGrabbedPart == kAnnotationPartLine)
        CAnnotation::DragTo(x, y);
    if (m_nGrabbedPart == kAnnotationPartEnd || m_nGrabbedPart == kAnnotationPartLine)
        m_End.DragTo(x, y);
}

void CArrowAnnotation::EndDrag(int x, int y)
{
    SyncEnd();
    if (m_nGrabbedPart == kAnnotationPartStart || m_nGrabbedPart == kAnnotationPartLine)
        CAnnotation::EndDrag(x, y);
    if (m_nGrabbedPart == kAnnotationPartEnd || m_nGrabbedPart == kAnnotationPartLine)
        m_End.EndDrag(x, y);
}

// ---------------------------------------------------------------------------------------------
// CRectAnnotation

CRectAnnotation::CRectAnnotation()
{
    m_nType = kAnnotationTypeRect;
}

void CRectAnnotation::Draw(gfx::Canvas& canvas)
{
    canvas.SetPen(ToPen(m_Pen));
    canvas.SetBrush(gfx::Brush{0, true});
    canvas.Rectangle(m_nX, m_nY, m_End.m_nX, m_End.m_nY);
}

int CRectAnnotation::HitTest(int x, int y) const
{
    return (x >= m_nX && x <= m_End.m_nX && y >= m_nY && y <= m_End.m_nY) ? kAnnotationPartStart
                                                                          : kAnnotationPartNone;
}

// ---------------------------------------------------------------------------------------------
// CTextAnnotation

CTextAnnotation::CTextAnnotation()
{
    m_nType = kAnnotationTypeText;
    m_bVisible = 1;
    m_nX = 100;
    m_nY = 120;
    m_Font.m_dSize = 14.0;
    m_nDataSize = GetDataSize();
}

void CTextAnnotation::Draw(gfx::Canvas& canvas)
{
    if (!m_bVisible)
        return;
    const int height = std::clamp(Truncate(m_Font.m_dSize), kMinFontHeight, kMaxFontHeight);
    canvas.SetFont(gfx::Font{"Arial", height, false});
    const std::vector<std::string_view> lines = SplitLines(m_strText);
    int width = 0;
    for (std::string_view line : lines)
        width = std::max(width, canvas.TextWidth(line));
    const int textHeight = height * static_cast<int>(lines.size());
    // Wide arithmetic: a position near the int range must not wrap the bounds around.
    const auto clampInt = [](long long value)
    { return static_cast<int>(std::clamp<long long>(value, INT32_MIN, INT32_MAX)); };
    m_Bounds = PlotRect{m_nX, clampInt(static_cast<long long>(m_nY) - textHeight),
                        clampInt(static_cast<long long>(m_nX) + width), m_nY};
    int top = m_Bounds.top;
    for (std::string_view line : lines)
    {
        canvas.DrawText(line, gfx::Rect{m_Bounds.left, top, m_Bounds.right, top + height}, gfx::Align::Left);
        top += height;
    }
    if (m_nGrabbedPart != kAnnotationPartNone || m_nHoverPart != kAnnotationPartNone)
        DrawHandle(canvas, m_Bounds);
}

int CTextAnnotation::HitTest(int x, int y) const
{
    return (x >= m_Bounds.left && x < m_Bounds.right && y >= m_Bounds.top && y < m_Bounds.bottom)
               ? kAnnotationPartStart
               : kAnnotationPartNone;
}

int CTextAnnotation::GetDataSize() const
{
    return static_cast<int>(kBaseBlockBytes) + m_Font.GetDataSize() + 4 + static_cast<int>(m_strText.size());
}

void CTextAnnotation::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        WriteBaseBlock(ar);
        ar << m_Font.m_dSize << m_Font.m_nReserved1 << m_Font.m_nReserved2;
        WriteAnnotationString(ar, m_Font.m_strFace);
        WriteAnnotationString(ar, m_strText);
        return;
    }
    CFontDesc font;
    ar >> font.m_dSize >> font.m_nReserved1 >> font.m_nReserved2;
    font.m_strFace = ReadAnnotationString(ar);
    std::string text = ReadAnnotationString(ar);
    m_Font = std::move(font);
    m_strText = std::move(text);
}

// ---------------------------------------------------------------------------------------------
// CStringAnnotation

CStringAnnotation::CStringAnnotation()
{
    m_nType = kAnnotationTypeString;
    m_nDataSize = GetDataSize();
}

int CStringAnnotation::GetDataSize() const
{
    return static_cast<int>(kBaseBlockBytes) + 4 + static_cast<int>(m_strText.size());
}

void CStringAnnotation::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        WriteBaseBlock(ar);
        WriteAnnotationString(ar, m_strText);
        return;
    }
    m_strText = ReadAnnotationString(ar);
}

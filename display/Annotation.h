// Annotations drawn over a plot's curves: user lines and text labels, the window's locked marker
// lines and rectangles, and string carriers that are never drawn and only keep a text in the same
// list. This file holds their data, their stored form (a 352-byte base block, then each kind's own
// data; strings as an int32 byte count and the bytes) and their geometry: positions relative to the
// plot, hit tests, dragging and painting on a canvas in the window's client coordinates.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "display/CurveStyle.h"
#include "display/Plot.h"

class CArchive;

// Stored type ids.
inline constexpr std::int32_t kAnnotationTypePoint = 0;
inline constexpr std::int32_t kAnnotationTypeText = 134541;
inline constexpr std::int32_t kAnnotationTypeLine = 134542;
inline constexpr std::int32_t kAnnotationTypeRect = 134543;
inline constexpr std::int32_t kAnnotationTypeString = 200000;

// Parts of an annotation that the mouse can be on.
inline constexpr int kAnnotationPartNone = 0;
inline constexpr int kAnnotationPartStart = 1;  // the start point, or a label or rectangle as a whole
inline constexpr int kAnnotationPartEnd = 2;
inline constexpr int kAnnotationPartLine = 3;

// Flag bit: locked (never hovered, grabbed, dragged or edited by the mouse).
inline constexpr std::int32_t kAnnotationLocked = 1;

// Position modes of the relative position.
inline constexpr std::int32_t kPositionPixels = 0;
inline constexpr std::int32_t kPositionPlotFraction = 1;
inline constexpr std::int32_t kPositionReferenceFraction = 2;

// Longest string an annotation reads from a stored list; a longer count is refused.
inline constexpr std::int32_t kMaxAnnotationStringBytes = 1 << 20;

class CAnnotation
{
public:
    static constexpr std::size_t kBaseBlockBytes = 352;
    static constexpr std::size_t kReservedAreaBytes = 252;

    CAnnotation();
    virtual ~CAnnotation() = default;

    // Paints in the window's client coordinates; the plain point draws nothing. The pen, brush and
    // font are left as the annotation set them: whoever draws next sets its own.
    virtual void Draw(gfx::Canvas& canvas);
    virtual int HitTest(int x, int y) const;
    virtual int GetDataSize() const;
    // Storing writes the base block (data size refreshed first) and the kind's data; loading reads
    // only the kind's data, because the list has already read the base block.
    virtual void Serialize(CArchive& ar);
    virtual void DragTo(int x, int y);
    virtual void OnMouseMove(unsigned flags, int x, int y);
    virtual void UpdatePosition();
    virtual void BeginDrag(int x, int y);
    virtual void EndDrag(int x, int y);

    bool IsInteractive() const { return (m_nFlags & kAnnotationLocked) == 0; }
    PlotPoint RelativeToPixel(double relativeX, double relativeY) const;
    // The selection frame: an unfilled rectangle with a cyan pen of width 2.
    static void DrawHandle(gfx::Canvas& canvas, const PlotRect& rect);

    // The 352 stored bytes of the base block, and taking them back (type id included).
    std::array<std::uint8_t, kBaseBlockBytes> GetBaseBlock() const;
    void SetBaseBlock(const std::array<std::uint8_t, kBaseBlockBytes>& block);
    void WriteBaseBlock(CArchive& ar);
    void ReadBaseBlock(CArchive& ar);

    std::int32_t m_nType = kAnnotationTypePoint;
    std::int32_t m_nDataSize = static_cast<std::int32_t>(kBaseBlockBytes);
    std::int32_t m_bVisible = 0;
    std::int32_t m_bDragging = 0;
    std::int32_t m_nDragOriginX = 0;
    std::int32_t m_nDragOriginY = 0;
    std::int32_t m_nDragMouseX = 0;
    std::int32_t m_nDragMouseY = 0;
    std::int32_t m_nX = 0;
    std::int32_t m_nY = 0;
    PlotRect m_Bounds;  // the last drawn text's rectangle
    double m_dRelX = 0.0;
    double m_dRelY = 0.0;
    std::int32_t m_nPositionMode = kPositionPixels;
    std::int32_t m_nGrabbedPart = kAnnotationPartNone;
    std::int32_t m_nHoverPart = kAnnotationPartNone;
    std::array<std::int32_t, 2> m_reserved{};
    std::int32_t m_nKey = 0;
    std::int32_t m_nFlags = 0;
    std::array<std::uint8_t, kReservedAreaBytes> m_reservedArea{};
    // Set by the list before every paint; not stored.
    PlotRect m_PlotRect;
    PlotRect m_RefRect;
};

// The pen record of a line (stored, never applied).
struct CPenDesc
{
    std::array<std::int32_t, 4> words{};
};

// A straight line between two points (no arrow head).
class CArrowAnnotation : public CAnnotation
{
public:
    static constexpr int kHandleRadius = 5;

    CArrowAnnotation();

    // The line from start to end, then the handles of the part the mouse is on or holds.
    void Draw(gfx::Canvas& canvas) override;
    int HitTest(int x, int y) const override;
    int GetDataSize() const override;
    void Serialize(CArchive& ar) override;
    void DragTo(int x, int y) override;
    void UpdatePosition() override;
    void BeginDrag(int x, int y) override;
    void EndDrag(int x, int y) override;

    CAnnotation m_End;  // its position and relative fields hold the second point
    CPenDesc m_PenDesc;
    PenDescription m_Pen{RgbColor(255, 0, 0), 2, PEN_STYLE_SOLID, false};
    std::int32_t m_nHandleRadius = kHandleRadius;

protected:
    // The end point takes the line's position mode and rectangles.
    void SyncEnd();
};

// A rectangle between two opposite corners; stored lists drop it on loading.
class CRectAnnotation : public CArrowAnnotation
{
public:
    CRectAnnotation();
    // The outline from corner to corner with the line's pen; never handles.
    void Draw(gfx::Canvas& canvas) override;
    int HitTest(int x, int y) const override;
};

// The font record of a text label.
struct CFontDesc
{
    std::string m_strFace = "Arial";
    double m_dSize = 12.0;
    std::int32_t m_nReserved1 = 0;
    std::int32_t m_nReserved2 = 0;
    int GetDataSize() const { return static_cast<int>(m_strFace.size()) + 20; }
};

// A text label; its position is the text's lower left corner.
class CTextAnnotation : public CAnnotation
{
public:
    // Font heights a label is drawn with; a size outside them (from a damaged file) is held at
    // their ends.
    static constexpr int kMinFontHeight = 1;
    static constexpr int kMaxFontHeight = 200;

    CTextAnnotation();

    // Measures the text with the label's font (always Arial), places it with its lower left corner
    // at the position, keeps that rectangle as the bounds the hit test uses, draws it and, when the
    // mouse is on or holds it, frames it.
    void Draw(gfx::Canvas& canvas) override;
    int HitTest(int x, int y) const override;
    int GetDataSize() const override;
    void Serialize(CArchive& ar) override;

    std::string m_strText;
    CFontDesc m_Font;
};

// Carries one text in the list; never drawn, never hit.
class CStringAnnotation : public CAnnotation
{
public:
    CStringAnnotation();

    int GetDataSize() const override;
    void Serialize(CArchive& ar) override;

    std::string m_strText;
};

// The annotation string form: int32 byte count, then the bytes. Reading refuses a count outside
// 0..kMaxAnnotationStringBytes and decodes text that is not UTF-8 as Windows-1252.
void WriteAnnotationString(CArchive& ar, const std::string& text);
std::string ReadAnnotationString(CArchive& ar);

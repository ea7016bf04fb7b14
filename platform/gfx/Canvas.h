// Canvas: the one drawing surface that display code paints on. Back ends: the window toolkit's
// device contexts (window, memory bitmap, printer; platform_gfx_wx) and a recording canvas that
// keeps every call for tests. Colours are 0x00BBGGRR, the form the colour schemes store.
//
// Threads: a canvas belongs to the thread that paints on it (the user-interface thread).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace gfx
{

using Color = std::uint32_t;

// Given as the text background, texts are drawn without a box (the high byte is never part of a
// stored colour).
inline constexpr Color kTransparentText = 0xFF000000;

struct Point
{
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The stored pen-style numbers of curve styles.
enum class PenStyle : int
{
    Solid = 0,
    Dash = 1,
    Dot = 2,
    DashDot = 3,
    DashDotDot = 4,
    Null = 5,
};

struct Pen
{
    Color color = 0;
    int width = 1;
    PenStyle style = PenStyle::Solid;
    friend bool operator==(const Pen&, const Pen&) = default;
};

struct Brush
{
    Color color = 0;
    bool hollow = false;
    friend bool operator==(const Brush&, const Brush&) = default;
};

struct Font
{
    std::string face = "Arial";
    int pixelHeight = 12;
    bool bold = false;
    friend bool operator==(const Font&, const Font&) = default;
};

enum class Align : int
{
    Left = 0,
    Centre = 1,
    Right = 2,
};

class Canvas
{
public:
    virtual ~Canvas() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;

    virtual void SetPen(const Pen& pen) = 0;
    virtual void SetBrush(const Brush& brush) = 0;
    virtual void SetFont(const Font& font) = 0;
    virtual void SetTextColor(Color color) = 0;
    // Texts are drawn on a filled box of this colour.
    virtual void SetTextBackground(Color color) = 0;

    virtual void MoveTo(int x, int y) = 0;
    // A line from the current position to (x, y), which becomes the current position; the end
    // point itself is not drawn.
    virtual void LineTo(int x, int y) = 0;
    virtual void Polyline(std::span<const Point> points) = 0;
    // Outline with the pen, inside filled with the brush; right and bottom exclusive.
    virtual void Rectangle(int left, int top, int right, int bottom) = 0;
    // Fills without outline; right and bottom exclusive.
    virtual void FillRect(const Rect& rect, Color color) = 0;
    // A closed polygon: outline with the pen, inside filled with the brush.
    virtual void Polygon(std::span<const Point> points) = 0;
    // The arc of the ellipse in the box, counter-clockwise from the ray through (x1, y1) to the ray
    // through (x2, y2); the same point twice draws the full ellipse.
    virtual void Arc(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) = 0;
    // Text aligned in the box horizontally and centred vertically; never clipped to the box.
    virtual void DrawText(std::string_view text, const Rect& box, Align align) = 0;
    // Text turned counter-clockwise by `degrees` around its top-left corner at (x, y).
    virtual void DrawRotatedText(std::string_view text, int x, int y, double degrees) = 0;
    virtual int TextWidth(std::string_view text) = 0;
    // The height of one line of text in the current font.
    virtual int TextHeight(std::string_view text) = 0;

    // An off-screen image of the same back end, filled white.
    virtual std::unique_ptr<Canvas> CreateImage(int width, int height) = 0;
    // Copies an image made by CreateImage of this back end with its top-left corner at (x, y).
    virtual void DrawImage(const Canvas& image, int x, int y) = 0;
    // Stretches a caller's 32-bit pixel buffer (0x00RRGGBB, `height` rows of `width` pixels, row 0
    // the bottom row) onto the rectangle; nothing for an empty buffer or rectangle.
    virtual void DrawPixels(std::span<const std::uint32_t> pixels, int width, int height,
                            const Rect& dest) = 0;
};

// Colour channels of 0x00BBGGRR.
constexpr int RedOf(Color c)
{
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(Color c)
{
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(Color c)
{
    return static_cast<int>((c >> 16) & 0xFF);
}

}  // namespace gfx

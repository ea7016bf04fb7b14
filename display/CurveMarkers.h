// The marker symbols that a curve style puts on its data points: their names (the marker combo
// box lists them) and their outlines. The outline is plain geometry; DrawMarkerSymbol replays it on
// any canvas with MoveTo, LineTo, Arc and Rectangle, using the pen (and brush) the caller selected.
#pragma once

#include <array>
#include <string>

// Marker codes 0..kMarkerSymbolCount-1; 0 is "none".
inline constexpr int kMarkerSymbolCount = 11;
inline constexpr int MARKER_NONE = 0;
inline constexpr int MARKER_TRIANGLE_DOWN = 1;
inline constexpr int MARKER_TRIANGLE_UP = 2;
inline constexpr int MARKER_BOX = 3;
inline constexpr int MARKER_X = 4;
inline constexpr int MARKER_DIAMOND = 5;
inline constexpr int MARKER_CIRCLE = 6;
inline constexpr int MARKER_CROSS = 7;
inline constexpr int MARKER_ARROW_UP = 8;
inline constexpr int MARKER_ARROW_DOWN = 9;
inline constexpr int MARKER_BOX_FILLED = 10;

// The symbol's name in German when the current language is German, else in English; empty for a
// code outside 0..10.
std::string GetMarkerName(int code);

struct MarkerPoint
{
    int x = 0;
    int y = 0;
    friend bool operator==(const MarkerPoint&, const MarkerPoint&) = default;
};

// A line drawn from the first point through the others (MoveTo, then LineTo each).
struct MarkerPath
{
    std::array<MarkerPoint, 5> points{};
    int count = 0;
};

// The outline of one symbol; y grows downward.
struct MarkerShape
{
    enum class Extra
    {
        None,
        Circle,     // full arc of the ellipse in the box, starting and ending at arcPoint
        FilledBox,  // Rectangle(box) with the selected pen and brush
    };
    std::array<MarkerPath, 2> paths{};
    int pathCount = 0;
    Extra extra = Extra::None;
    int left = 0, top = 0, right = 0, bottom = 0;
    MarkerPoint arcPoint;
};

// The outline of symbol `code` centred on (x, y) with half size s; empty for codes outside 1..10.
MarkerShape GetMarkerSymbolShape(int x, int y, int halfSize, int code);

// Draws the symbol with the canvas's current pen (and brush for the filled box).
template <class Canvas>
void DrawMarkerSymbol(Canvas& canvas, int x, int y, int halfSize, int code)
{
    const MarkerShape shape = GetMarkerSymbolShape(x, y, halfSize, code);
    for (int p = 0; p < shape.pathCount; ++p)
    {
        const MarkerPath& path = shape.paths[p];
        canvas.MoveTo(path.points[0].x, path.points[0].y);
        for (int i = 1; i < path.count; ++i)
            canvas.LineTo(path.points[i].x, path.points[i].y);
    }
    if (shape.extra == MarkerShape::Extra::Circle)
        canvas.Arc(shape.left, shape.top, shape.right, shape.bottom, shape.arcPoint.x, shape.arcPoint.y,
                   shape.arcPoint.x, shape.arcPoint.y);
    else if (shape.extra == MarkerShape::Extra::FilledBox)
        canvas.Rectangle(shape.left, shape.top, shape.right, shape.bottom);
}

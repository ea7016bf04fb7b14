#include "display/CurveMarkers.h"

#include <initializer_list>

#include "texts/LanguageChoice.h"
#include "texts/TextTable.h"

namespace
{

struct MarkerNames
{
    const char* english;
    const char* german;
};

constexpr std::array<MarkerNames, kMarkerSymbolCount> kMarkerNames = {{
    {"none", "keine"},
    {"triang down", "Dreieck runter"},
    {"triang up", "Dreieck hoch"},
    {"box", "Quadrat"},
    {"x", "x"},
    {"diamond", "Diamant"},
    {"circle", "Kreis"},
    {"cross", "Kreuz"},
    {"arrow up", "Pfeil hoch"},
    {"arrow down", "Pfeil runter"},
    {"box filled", "Quadrat gef\xC3\xBCllt"},
}};

void AddPath(MarkerShape& shape, std::initializer_list<MarkerPoint> points)
{
    MarkerPath& path = shape.paths[shape.pathCount++];
    for (const MarkerPoint& point : points)
        path.points[path.count++] = point;
}

}  // namespace

std::string GetMarkerName(int code)
{
    if (code < 0 || code >= kMarkerSymbolCount)
        return {};
    const MarkerNames& names = kMarkerNames[code];
    return GetLanguage() == LANGUAGE_GERMAN ? names.german : names.english;
}

MarkerShape GetMarkerSymbolShape(int x, int y, int s, int code)
{
    MarkerShape shape;
    switch (code)
    {
        case MARKER_TRIANGLE_DOWN:
            AddPath(shape, {{x, y + s}, {x + s, y - s}, {x - s, y - s}, {x, y + s}});
            break;
        case MARKER_TRIANGLE_UP:
            AddPath(shape, {{x - s, y + s}, {x + s, y + s}, {x, y - s}, {x - s, y + s}});
            break;
        case MARKER_BOX:
            AddPath(shape, {{x - s, y + s}, {x + s, y + s}, {x + s, y - s}, {x - s, y - s}, {x - s, y + s}});
            break;
        case MARKER_X:
            AddPath(shape, {{x - s, y + s}, {x + s, y - s}});
            AddPath(shape, {{x - s, y - s}, {x + s, y + s}});
            break;
        case MARKER_DIAMOND:
            AddPath(shape, {{x, y + s}, {x + s, y}, {x, y - s}, {x - s, y}, {x, y + s}});
            break;
        case MARKER_CIRCLE:
            shape.extra = MarkerShape::Extra::Circle;
            shape.arcPoint = {x + s, y};
            break;
        case MARKER_CROSS:
            AddPath(shape, {{x, y + s}, {x, y - s}});
            AddPath(shape, {{x + s, y}, {x - s, y}});
            break;
        case MARKER_ARROW_UP:
            AddPath(shape, {{x, y + s}, {x, y - s}});
            AddPath(shape, {{x - s, y}, {x, y - s}, {x + s, y}});
            break;
        case MARKER_ARROW_DOWN:
            AddPath(shape, {{x, y + s}, {x, y - s}});
            AddPath(shape, {{x - s, y}, {x, y + s}, {x + s, y}});
            break;
        case MARKER_BOX_FILLED:
            shape.extra = MarkerShape::Extra::FilledBox;
            break;
        default:
            return shape;
    }
    if (shape.extra != MarkerShape::Extra::None)
    {
        shape.left = x - s;
        shape.top = y - s;
        shape.right = x + s;
        shape.bottom = y + s;
    }
    return shape;
}

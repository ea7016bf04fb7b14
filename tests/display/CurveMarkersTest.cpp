#include "display/CurveMarkers.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/display/ScopedLanguage.h"
#include "tests/support/TempHome.h"

namespace
{

using displaytest::ScopedLanguage;

// Records the drawing calls as text: "M x,y" "L x,y" "A l,t,r,b s x,y e x,y" "R l,t,r,b".
struct RecordingCanvas
{
    std::string calls;
    void Add(const std::string& call) { calls += calls.empty() ? call : " " + call; }
    void MoveTo(int x, int y) { Add("M " + std::to_string(x) + "," + std::to_string(y)); }
    void LineTo(int x, int y) { Add("L " + std::to_string(x) + "," + std::to_string(y)); }
    void Arc(int l, int t, int r, int b, int sx, int sy, int ex, int ey)
    {
        Add("A " + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(r) + "," +
            std::to_string(b) + " s " + std::to_string(sx) + "," + std::to_string(sy) + " e " +
            std::to_string(ex) + "," + std::to_string(ey));
    }
    void Rectangle(int l, int t, int r, int b)
    {
        Add("R " + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(r) + "," +
            std::to_string(b));
    }
};

class CurveMarkersTest : public testsupport::TempHomeTest
{
};

TEST_F(CurveMarkersTest, NamesFollowTheLanguage)
{
    const struct
    {
        int code;
        const char* english;
        const char* german;
    } rows[] = {
        {0, "none", "keine"},
        {1, "triang down", "Dreieck runter"},
        {2, "triang up", "Dreieck hoch"},
        {3, "box", "Quadrat"},
        {4, "x", "x"},
        {5, "diamond", "Diamant"},
        {6, "circle", "Kreis"},
        {7, "cross", "Kreuz"},
        {8, "arrow up", "Pfeil hoch"},
        {9, "arrow down", "Pfeil runter"},
        {10, "box filled", "Quadrat gef\xC3\xBCllt"},
        {-1, "", ""},
        {11, "", ""},
        {1000, "", ""},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.code);
        {
            ScopedLanguage english(LANGUAGE_ENGLISH);
            EXPECT_EQ(GetMarkerName(row.code), row.english);
        }
        {
            ScopedLanguage german(LANGUAGE_GERMAN);
            EXPECT_EQ(GetMarkerName(row.code), row.german);
        }
        // Every other language shows the English names.
        for (int language : {LANGUAGE_ITALIAN, LANGUAGE_SPANISH, LANGUAGE_FRENCH})
        {
            ScopedLanguage other(language);
            EXPECT_EQ(GetMarkerName(row.code), row.english);
        }
    }
}

TEST_F(CurveMarkersTest, SymbolsAroundTheirCentre)
{
    // Centre (100, 50), half size 4; y grows downward.
    const struct
    {
        int code;
        const char* calls;
    } rows[] = {
        {0, ""},
        {1, "M 100,54 L 104,46 L 96,46 L 100,54"},
        {2, "M 96,54 L 104,54 L 100,46 L 96,54"},
        {3, "M 96,54 L 104,54 L 104,46 L 96,46 L 96,54"},
        {4, "M 96,54 L 104,46 M 96,46 L 104,54"},
        {5, "M 100,54 L 104,50 L 100,46 L 96,50 L 100,54"},
        {6, "A 96,46,104,54 s 104,50 e 104,50"},
        {7, "M 100,54 L 100,46 M 104,50 L 96,50"},
        {8, "M 100,54 L 100,46 M 96,50 L 100,46 L 104,50"},
        {9, "M 100,54 L 100,46 M 96,50 L 100,54 L 104,50"},
        {10, "R 96,46,104,54"},
        {11, ""},
        {-1, ""},
        {255, ""},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.code);
        RecordingCanvas canvas;
        DrawMarkerSymbol(canvas, 100, 50, 4, row.code);
        EXPECT_EQ(canvas.calls, row.calls);
    }
}

TEST_F(CurveMarkersTest, HalfSizeZeroCollapsesToThePoint)
{
    RecordingCanvas box;
    DrawMarkerSymbol(box, 7, 9, 0, MARKER_BOX);
    EXPECT_EQ(box.calls, "M 7,9 L 7,9 L 7,9 L 7,9 L 7,9");
    RecordingCanvas filled;
    DrawMarkerSymbol(filled, 7, 9, 0, MARKER_BOX_FILLED);
    EXPECT_EQ(filled.calls, "R 7,9,7,9");
}

}  // namespace

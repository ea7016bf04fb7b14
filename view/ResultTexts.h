// The texts of the measurement window's result windows: the room-acoustic table and the "Results"
// copy. Plain functions, so that the windows only show what these produce.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

class CRoomAcousticResults;

// "%.2fs" below 2 s, "%.0fms" from 2 s on (2.5 s is "2500ms"), "--" for a negative time.
std::string FormatDecayTime(double seconds);

// The seven values of the room-acoustic table, in this order.
enum RoomAcousticText : int
{
    kTextC50 = 0,
    kTextC80,
    kTextRt60,
    kTextRt30,
    kTextEdt,
    kTextD50,
    kTextD80,
    kRoomAcousticTexts
};
// RT60, RT30 and EDT from the three decay values; C50 and C80 in dB and D50 and D80 in percent
// when the D50 fraction is above 0, else "--". Without results all are "--".
std::array<std::string, kRoomAcousticTexts> MakeRoomAcousticTexts(const CRoomAcousticResults* results);

// What the "Results" table shows: the x value and each curve's value of every point.
struct ResultsTable
{
    // Header 0 is the x column's title, header k the name of curve k - 1.
    std::vector<std::string> headers;
    int curveCount = 0;  // value columns besides x, 0..255
    int pointCount = 0;
    // Value of a point: curve -1 is the x value.
    std::function<double(int curve, int point)> value;
};

inline constexpr int kMaxResultCurves = 255;

// The clipboard text: one line per point (x, then each curve) or, transposed, one line per column
// (the x values, then each curve); every value "%f" of its float followed by a tab, with "."
// replaced by "," under the decimal comma; every line ends with "\n".
std::string BuildResultsText(const ResultsTable& table, bool transpose, bool decimalComma);

// CPianoKeyboard: lays out and paints a piano keyboard over a rectangle and finds the key under a
// point. Key numbers count semitones; key 0 is a C. White keys are 18.5 x 80 key units, black keys
// 11 x 48.7, scaled to fill the rectangle. Plain C++ on the canvas; no window of its own.
//
// Also the note arithmetic of the piano: NoteFrequency and FrequencyToNote.
//
// Threads: user-interface thread only.
#pragma once

#include "platform/gfx/Canvas.h"

#include <vector>

// The pitch of key 0 in octave 0 (Hz).
inline constexpr double kPianoReferencePitch = 261.626;

// 261.626 x 2^octave x 2^(key / 12) Hz.
double NoteFrequency(int key, int octave);

struct PianoNote
{
    int n = 0;       // semitones from the reference pitch
    int octave = 0;  // n / 12 rounded down
    int index = 0;   // n mod 12 in 0..11
};
// The note nearest to the frequency; false (no note) for 0, a negative frequency, infinity or NaN.
bool FrequencyToNote(double frequency, PianoNote& note);

class CPianoKeyboard
{
public:
    static constexpr double kWhiteWidth = 18.5;
    static constexpr double kWhiteLength = 80.0;
    static constexpr double kBlackWidth = 11.0;
    static constexpr double kBlackLength = 48.7;
    static constexpr gfx::Color kWhite = 0xFFFFFF;
    static constexpr gfx::Color kBlack = 0x000000;
    static constexpr gfx::Color kSelected = 0x0000FF;  // red

    static bool IsBlack(int key);

    // Lays the keys first..last out over `rect`; with a canvas it paints them too.
    void Draw(gfx::Canvas* canvas, const gfx::Rect& rect, int first, int last);
    // The key under the point, counted from the first key; -1 outside the keyboard. A black key
    // wins over the white key beneath it. Uses the layout of the last Draw.
    int HitTest(int x, int y);
    // Paints only key `key` (counted from the first key) with the layout of the last Draw.
    void DrawKey(gfx::Canvas& canvas, int key);

    // The bounding rectangle (the white key's full size) of key `key`, counted from the first.
    gfx::Rect KeyRect(int key) const;

    int m_nSelected = -1;
    double m_xScale = 1.0;
    double m_yScale = 1.0;
    gfx::Rect m_rect;
    int m_nFirst = 0;
    int m_nLast = 0;
    int m_nKeys = 0;
    int m_nWhiteKeys = 0;

private:
    // One key's outline in pixels and whether it is black.
    struct KeyShape
    {
        bool black = false;
        std::vector<gfx::Point> outline;
        gfx::Rect bounds;
    };
    void Layout();
    void PaintKey(gfx::Canvas& canvas, int key) const;
    std::vector<KeyShape> m_keys;
};

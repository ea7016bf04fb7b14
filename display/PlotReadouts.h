// Helpers of the plot's live readouts that other painters share: the labelled tick of the
// crosshair and markers, and the musical note of a frequency.
#pragma once

#include <string>

#include "platform/gfx/Canvas.h"

// A vertical line from (x, y) up to (x, y - height) and the text centred in the box x - 4..x + 4,
// y - 40..y - 30 (centred on the box, not clipped to it).
void DrawLabelledTick(gfx::Canvas& canvas, int x, int y, int height, const std::string& text);

// The note nearest below a frequency on the equal-tempered scale from middle C (261.626 Hz).
struct NoteReading
{
    int n = 0;               // semitones above middle C, the integer part towards zero
    std::string name;        // two characters, "C " .. "H "
    double deviation = 0.0;  // per cent of the semitone step up (positive) or down
    double frequency = 0.0;  // the note's frequency
};
NoteReading ReadNote(double frequency);
// "%s %3.1f%% (%4.1fHz)" of name, deviation and note frequency.
std::string FormatNoteReading(const NoteReading& note);

// The grid step rule and the number texts of the plot's own axes and readouts.
#pragma once

#include <string>

// A grid step of 1, 2, 2.5, 5 or 10 times a power of ten that divides from..to into about
// `divisions` parts, with the first and last grid value inside the range. Nothing is written when
// divisions < 1 or to - from is not positive.
void NiceGridStep(double from, double to, int divisions, double* step, double* first, double* last);

// The text of a tick or readout value whose neighbours lie `step` apart: "2k" for whole thousands,
// whole numbers for steps of 10 and more, one decimal for steps of 1 to 10 and as many decimals as
// a smaller step needs.
std::string FormatAxisNumber(double value, double step);

// The decimals a label needs so that ticks `step` apart read apart: `precision`, raised (up to
// `maxPrecision`) until the step is a whole number of units of the last decimal. A step of 0.25
// needs two decimals where its size alone would give one.
int DecimalsForStep(double step, int precision, int maxPrecision);

// The decimals that the size of a step alone asks for: 0 for steps of 1 and more, 1 from 0.1, 2
// from 0.01 and so on up to `maxPrecision` (at most 6); maxPrecision + 1 for a smaller step.
int StepPrecision(double step, int maxPrecision);

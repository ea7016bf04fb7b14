// The relative deviation of b from a, |a − b| / a, as the bar-combo module of the controls has it;
// it needs no window, so it lives here. No guard for a = 0 (infinity or not a number).
#pragma once

#include <cmath>

inline double RelativeDeviation(double a, double b)
{
    return std::fabs(a - b) / a;
}

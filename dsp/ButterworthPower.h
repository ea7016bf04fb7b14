// Power responses of ideal Butterworth low- and high-passes, as the U and US1 weightings use them. A
// negative corner gives the reciprocal response (the inverse filter). A corner of 0 means no filter and
// gives 1; a response that would overflow is held at the largest double.
#pragma once

// 1 / (1 + (f/fc)^(2·order)) for fc > 0; 1 + (f/fc)^(2·order) for fc < 0.
double ButterworthLowPassPower(double f, double fc, int order);
// 1 / (1 + (fc/f)^(2·order)) for fc > 0; 1 + (fc/f)^(2·order) for fc < 0.
double ButterworthHighPassPower(double f, double fc, int order);

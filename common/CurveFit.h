// Least-squares line fit with a linearity figure, and interpolation in tables on a linear or logarithmic
// x axis (limit and reference curves over frequency, decay curves).
#pragma once

// Fits y = slope * x + intercept to n points. `linearity` (may be null) is 1000 * (1 - r^2): 0 for points
// exactly on a line, growing as they depart from it.
// Degenerate input gives defined, finite results instead of a division by zero:
//  - fewer than two distinct x values: slope 0, intercept the mean of y (0 for n <= 0), linearity 0;
//  - all y equal (a horizontal line, nothing to explain): linearity 0.
void LinearRegression(int n, const float* x, const float* y, double* slope, double* intercept,
                      double* linearity);

// y at x0 from the table (x ascending), interpolated linearly in x, or in ln x when `logarithmic`.
// n < 1 gives 0; x0 at or below x[0] gives y[0]; x0 at or above x[n-1] gives y[n-1].
// Between two entries whose positions cannot be told apart or have no logarithm (equal logs of nearly
// equal x, x <= 0 with the logarithmic flag) the upper entry y[k] is returned, the first entry at or
// above x0, so the result is never made non-finite by the x table. A NaN x0 gives NaN (n >= 2).
float InterpolateCurve(int n, const float* x, const float* y, float x0, bool logarithmic);

// InterpolateCurve on a linear x axis.
float InterpolateLinear(int n, const float* x, const float* y, float x0);

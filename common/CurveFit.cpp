#include "common/CurveFit.h"

#include <cmath>

namespace
{

bool AllEqual(int n, const float* values)
{
    for (int i = 1; i < n; ++i)
    {
        if (!(values[i] == values[0]))
        {
            return false;
        }
    }
    return true;
}

void Store(double* target, double value)
{
    if (target != nullptr)
    {
        *target = value;
    }
}

// The position on the interpolation axis, rounded to float as the table is so that x0 between two
// entries stays between their positions.
double Position(float value, bool logarithmic)
{
    return logarithmic ? static_cast<float>(std::log(static_cast<double>(value))) : value;
}

}  // namespace

void LinearRegression(int n, const float* x, const float* y, double* slope, double* intercept,
                      double* linearity)
{
    if (n <= 0 || x == nullptr || y == nullptr)
    {
        Store(slope, 0.0);
        Store(intercept, 0.0);
        Store(linearity, 0.0);
        return;
    }

    double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
    for (int i = 0; i < n; ++i)
    {
        const double xi = x[i];
        const double yi = y[i];
        sx += xi;
        sy += yi;
        sxx += xi * xi;
        sxy += xi * yi;
    }
    const double meanY = sy / n;

    // Equal x values are tested directly: rounding can leave D a tiny non-zero number for them, which
    // would give an enormous slope instead of a division by zero.
    const double d = n * sxx - sx * sx;
    if (AllEqual(n, x) || d == 0.0)
    {
        Store(slope, 0.0);
        Store(intercept, meanY);
        Store(linearity, 0.0);
        return;
    }
    const double a = (n * sxy - sx * sy) / d;
    const double b = (sy * sxx - sx * sxy) / d;
    Store(slope, a);
    Store(intercept, b);

    if (linearity == nullptr)
    {
        return;
    }
    if (AllEqual(n, y))
    {
        *linearity = 0.0;
        return;
    }
    double ssFit = 0.0, ssTot = 0.0;
    for (int i = 0; i < n; ++i)
    {
        const double fitted = a * x[i] + b;
        ssFit += (fitted - meanY) * (fitted - meanY);
        ssTot += (y[i] - meanY) * (y[i] - meanY);
    }
    *linearity = (1.0 - ssFit / ssTot) * 1000.0;
}

float InterpolateCurve(int n, const float* x, const float* y, float x0, bool logarithmic)
{
    if (n < 1 || x == nullptr || y == nullptr)
    {
        return 0.0f;
    }
    if (x0 <= x[0] || n == 1)
    {
        return y[0];
    }
    if (x0 >= x[n - 1])
    {
        return y[n - 1];
    }
    // Stops at n-1 even when no entry compares (NaN x0 or table entries).
    int k = 1;
    while (k < n - 1 && !(x0 <= x[k]))
    {
        ++k;
    }

    const double lower = Position(x[k - 1], logarithmic);
    const double upper = Position(x[k], logarithmic);
    const double span = upper - lower;
    if (span == 0.0 || !std::isfinite(span))
    {
        return y[k];
    }
    const double y0 = y[k - 1];
    const double y1 = y[k];
    return static_cast<float>(y0 + (y1 - y0) / span * (Position(x0, logarithmic) - lower));
}

float InterpolateLinear(int n, const float* x, const float* y, float x0)
{
    return InterpolateCurve(n, x, y, x0, false);
}

#include "dsp/ButterworthPower.h"

#include <cmath>
#include <limits>

namespace
{

// ratio^(2·order) applied as a pass (fc > 0) or as its inverse (fc < 0).
double Response(double ratio, double fc, int order)
{
    const double term = std::pow(ratio, 2.0 * order);
    if (std::isnan(term))
        return 1.0;
    const double power = fc > 0.0 ? 1.0 / (1.0 + term) : 1.0 + term;
    return std::isfinite(power) ? power : std::numeric_limits<double>::max();
}

}  // namespace

double ButterworthLowPassPower(double f, double fc, int order)
{
    if (fc == 0.0)
        return 1.0;
    return Response(f / fc, fc, order);
}

double ButterworthHighPassPower(double f, double fc, int order)
{
    if (fc == 0.0)
        return 1.0;
    // At f = 0 the ratio is infinite: a high-pass passes nothing there, its inverse is held at the top.
    return Response(f == 0.0 ? HUGE_VAL : fc / f, fc, order);
}

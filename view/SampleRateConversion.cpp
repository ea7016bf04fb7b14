#include "view/SampleRateConversion.h"

#include <cmath>

namespace sample_rate_conversion
{

double StepOf(int choice)
{
    return 0.1 * std::pow(0.1, choice);
}

double FrequencyOf(int position, double step, double centre)
{
    return (position * step * 0.01 + 1.0) * centre;
}

double RatioOf(int position, double step, double centre, double sampleRate)
{
    if (!(sampleRate > 0.0))
        return 1.0;
    return FrequencyOf(position, step, centre) / sampleRate;
}

}  // namespace sample_rate_conversion

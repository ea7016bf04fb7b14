#include "dsp/Autocorrelation.h"

#include "dsp/Fft.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

namespace
{

// Values of the two work arrays together that stay on the stack.
constexpr int kStackWorkValues = 65536;

void Correlate(float* out, int n, float* re, float* im)
{
    RealFft(out, n);
    const int half = n / 2;
    const float s = static_cast<float>(std::pow(10.0, -0.1)) * 2.0f / static_cast<float>(n);
    re[0] = s * s * out[0] * out[0];
    im[0] = 0.0f;
    for (int k = 1; k < half; ++k)
    {
        const float a = s * out[k];
        const float b = s * out[n - k];
        re[k] = a * a + b * b;
        im[k] = 0.0f;
        // The power of a real signal is even in frequency; mirroring it keeps the transform real.
        re[n - k] = re[k];
        im[n - k] = 0.0f;
    }
    // The Nyquist bin belongs to the even spectrum as well: without it the result is not the circular
    // autocorrelation but a smoothed one.
    const float nyquist = s * out[half];
    re[half] = nyquist * nyquist;
    im[half] = 0.0f;

    ComplexFft(re, im, n);
    for (int i = 0; i < half; ++i)
    {
        out[half + i] = re[i];
        out[i] = re[half + i];
    }
}

}  // namespace

void ComputeAutocorrelation(const float* x, int n, float* out)
{
    if (n <= 0)
        return;
    if (n < 2 || Log2OfPowerOfTwo(n) == 0)
    {
        std::fill(out, out + n, 0.0f);
        return;
    }
    if (out != x)
        std::copy(x, x + n, out);
    if (2 * n <= kStackWorkValues)
    {
        std::array<float, kStackWorkValues> work;
        Correlate(out, n, work.data(), work.data() + n);
    }
    else
    {
        std::vector<float> work(2 * static_cast<std::size_t>(n));
        Correlate(out, n, work.data(), work.data() + n);
    }
}

#include "dsp/FftWindow.h"

#include <cmath>
#include <string>

namespace
{

constexpr double kTwoPi = 6.283185307179586;

// Rife-Vincent gains in dB for the orders 3..11.
constexpr double kRifeVincentGainDb[] = {10.22, 11.36, 12.3, 13, 13.36, 14.19, 14.68, 15.12, 15.52};

// a0 - a1·cos x + a2·cos 2x - a3·cos 3x, all times gain.
void CosineSum(float* values, int length, double a0, double a1, double a2, double a3, double gain)
{
    for (int i = 0; i < length; ++i)
    {
        const double x = kTwoPi * i / length;
        values[i] = static_cast<float>(
            (a0 - a1 * std::cos(x) + a2 * std::cos(2.0 * x) - a3 * std::cos(3.0 * x)) * gain);
    }
}

const char* const kNames[] = {"Rectangular",    "Hamming",  "Blackman",      "Hanning", "FlatTop",
                              "Blackm.-Harris", "Bartlett", "Kaiser-Bessel", "Gauss"};

}  // namespace

void CFftWindow::Set(int length, int type)
{
    if (length < 1 || type < 0 || type > kFftWindowLastType)
        return;
    if (length == m_length && type == m_type)
        return;
    if (length > m_capacity)
    {
        m_table = std::make_unique<float[]>(length);
        m_capacity = length;
    }
    Generate(m_table.get(), length, type);
    m_length = length;
    m_type = type;
}

int CFftWindow::Apply(float* values) const
{
    for (int i = 0; i < m_length; ++i)
        values[i] *= m_table[i];
    return m_length;
}

void CFftWindow::Generate(float* values, int length, int type)
{
    if (length < 1 || type < 0 || type > kFftWindowLastType)
        return;
    const int half = length / 2;
    switch (type)
    {
        case kFftWindowRectangular:
            for (int i = 0; i < length; ++i)
                values[i] = 0.999999f;
            break;
        case kFftWindowHamming:
            CosineSum(values, length, 0.54, 0.46, 0.0, 0.0, 1.79887091512879);
            break;
        case kFftWindowBlackman:
            CosineSum(values, length, 0.42, 0.5, 0.08, 0.0, 2.26464430759306);
            break;
        case kFftWindowHanning:
            CosineSum(values, length, 1.0, 1.0, 0.0, 0.0, 0.96376245659547);
            break;
        case kFftWindowFlatTop:
            CosineSum(values, length, 0.2810638602, 0.5208971735, 0.1980389663, 0.0, std::pow(10.0, 0.5504));
            break;
        case kFftWindowBlackmanHarris:
            CosineSum(values, length, 0.35875, 0.48829, 0.14128, 0.01168, std::pow(10.0, 0.445));
            break;
        case kFftWindowBartlett:
        {
            // Symmetric: value i equals value N-1-i, 0 at both ends. An odd length leaves its last value 0.
            const double gain = std::pow(10.0, 0.319);
            const double g = half;
            for (int i = 0; i < length; ++i)
            {
                double v = 0.0;
                if (i < half)
                    v = i / g;
                else if (i < 2 * half)
                    v = (g - 1.0 - (i - half)) / g;
                values[i] = static_cast<float>(v * gain);
            }
            break;
        }
        case kFftWindowKaiserBessel:
            // The four-term cosine-sum approximation of the Kaiser-Bessel window (its terms add up to 1).
            CosineSum(values, length, 0.40243, 0.49804, 0.09831, 0.00122, std::pow(10.0, 0.4065));
            break;
        case kFftWindowGauss:
        {
            const double g = half;
            for (int i = 0; i < length; ++i)
            {
                const double u = g > 0.0 ? 2.5 * (g - i) / g : 0.0;
                values[i] = static_cast<float>(std::exp(-0.5 * u * u));
            }
            break;
        }
        default:
        {
            const int order = type - 6;
            const double gain = std::pow(10.0, kRifeVincentGainDb[type - kFftWindowRifeVincent3] * 0.05);
            for (int i = 0; i < length; ++i)
            {
                const double x = kTwoPi * i / length;
                values[i] = static_cast<float>(std::pow((1.0 - std::cos(x)) / 2.0, order) * gain);
            }
            break;
        }
    }
    if (type < kFftWindowRifeVincent3)
        m_name = kNames[type];
    else
        m_name = "Rife-Vincent " + std::to_string(type - 6);
}

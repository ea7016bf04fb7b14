#include "dsp/FftWindow.h"

#include <gtest/gtest.h>

#include "dsp/Fft.h"

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace
{

constexpr double kPi = std::numbers::pi;

double Binomial(int n, int k)
{
    double r = 1.0;
    for (int i = 1; i <= k; ++i)
        r = r * (n - k + i) / i;
    return r;
}

std::vector<float> Window(int length, int type)
{
    CFftWindow window;
    std::vector<float> values(length, -7.0f);
    window.Generate(values.data(), length, type);
    return values;
}

// Coherent gain (mean value, amplitude correction included) and equivalent noise bandwidth in bins
// (N·Σw²/(Σw)²) of a window type, from closed forms.
struct WindowFigures
{
    int type;
    const char* name;
    double coherentGain;
    double noiseBandwidth;
};

// Periodic cosine sums a0 - a1·cos x + a2·cos 2x - a3·cos 3x: mean a0, mean square a0² + Σak²/2.
WindowFigures CosineSumFigures(int type, const char* name, double a0, double a1, double a2, double a3,
                               double gain)
{
    return {type, name, gain * a0, (a0 * a0 + 0.5 * (a1 * a1 + a2 * a2 + a3 * a3)) / (a0 * a0)};
}

// sin^(2m)(x/2): mean C(2m, m)/4^m, mean square C(4m, 2m)/16^m.
WindowFigures RifeVincentFigures(int order, double gainDb)
{
    const double mean = Binomial(2 * order, order) / std::pow(4.0, order);
    const double meanSquare = Binomial(4 * order, 2 * order) / std::pow(16.0, order);
    return {order + 6, nullptr, std::pow(10.0, gainDb / 20.0) * mean, meanSquare / (mean * mean)};
}

constexpr int kFiguresLength = 4096;

std::vector<WindowFigures> AllFigures()
{
    const double g = kFiguresLength / 2;
    // Gauss exp(-3.125·u²) sampled over u in (-1, 1]: its sums are the integrals to O(1/N²).
    const double i1 = std::sqrt(kPi / 3.125) * std::erf(std::sqrt(3.125));
    const double i2 = std::sqrt(kPi / 6.25) * std::erf(2.5);
    std::vector<WindowFigures> figures = {
        {0, "Rectangular", 0.999999, 1.0},
        CosineSumFigures(1, "Hamming", 0.54, 0.46, 0, 0, 1.79887091512879),
        CosineSumFigures(2, "Blackman", 0.42, 0.5, 0.08, 0, 2.26464430759306),
        CosineSumFigures(3, "Hanning", 1.0, 1.0, 0, 0, 0.96376245659547),
        CosineSumFigures(4, "FlatTop", 0.2810638602, 0.5208971735, 0.1980389663, 0, std::pow(10.0, 0.5504)),
        CosineSumFigures(5, "Blackm.-Harris", 0.35875, 0.48829, 0.14128, 0.01168, std::pow(10.0, 0.445)),
        {6, "Bartlett", std::pow(10.0, 0.319) * (g - 1.0) / (2.0 * g),
         2.0 * (2.0 * g - 1.0) / (3.0 * (g - 1.0))},
        CosineSumFigures(7, "Kaiser-Bessel", 0.40243, 0.49804, 0.09831, 0.00122, std::pow(10.0, 0.4065)),
        {8, "Gauss", 0.5 * i1, 2.0 * i2 / (i1 * i1)},
    };
    const double gainsDb[] = {10.22, 11.36, 12.3, 13, 13.36, 14.19, 14.68, 15.12, 15.52};
    for (int order = 3; order <= 11; ++order)
        figures.push_back(RifeVincentFigures(order, gainsDb[order - 3]));
    return figures;
}

TEST(FftWindowTest, CoherentGainAndNoiseBandwidthOfEveryType)
{
    for (const WindowFigures& f : AllFigures())
    {
        const std::vector<float> w = Window(kFiguresLength, f.type);
        double sum = 0.0, sumSquares = 0.0;
        for (float v : w)
        {
            sum += v;
            sumSquares += double(v) * v;
        }
        EXPECT_NEAR(sum / kFiguresLength, f.coherentGain, 2e-7 * f.coherentGain) << f.type;
        EXPECT_NEAR(kFiguresLength * sumSquares / (sum * sum), f.noiseBandwidth, 1e-6 * f.noiseBandwidth)
            << f.type;

        CFftWindow window;
        std::vector<float> values(16);
        window.Generate(values.data(), 16, f.type);
        const std::string expected =
            f.name != nullptr ? f.name : "Rife-Vincent " + std::to_string(f.type - 6);
        EXPECT_EQ(window.m_name, expected);
    }
}

// The amplitude correction: a sine on a bin, windowed, reads its level times the coherent gain.
TEST(FftWindowTest, WindowedToneOnBinReadsCorrectedLevel)
{
    const int n = 1024, bin = 100;
    for (const WindowFigures& f : AllFigures())
    {
        if (f.type == 6 || f.type == 8)
            continue;  // not cosine sums: their spectra leak into every bin
        std::vector<float> x(n);
        for (int m = 0; m < n; ++m)
            x[m] = static_cast<float>(std::sin(2.0 * kPi * bin * m / n));
        CFftWindow window;
        window.Set(n, f.type);
        window.Apply(x.data());
        ComputePowerSpectrum(x.data(), n);
        EXPECT_NEAR(x[bin], f.coherentGain * f.coherentGain / 2.0, 1e-4) << f.type;
    }
}

TEST(FftWindowTest, ValuesByHand)
{
    const double bartlettGain = std::pow(10.0, 0.319);
    const double bartlett[] = {0, 0.25, 0.5, 0.75, 0.75, 0.5, 0.25, 0};
    const std::vector<float> b = Window(8, 6);
    for (int i = 0; i < 8; ++i)
        EXPECT_NEAR(b[i], bartlett[i] * bartlettGain, 1e-6) << i;

    EXPECT_NEAR(Window(8, 1)[0], 0.143910, 1e-6);
    EXPECT_NEAR(Window(8, 1)[4], 1.79887091512879, 1e-6);
    EXPECT_NEAR(Window(8, 3)[0], 0.0, 1e-7);
    EXPECT_NEAR(Window(8, 3)[4], 1.92752491319094, 1e-6);
    EXPECT_NEAR(Window(8, 8)[0], 0.043937, 1e-6);
    EXPECT_FLOAT_EQ(Window(8, 8)[4], 1.0f);
    EXPECT_NEAR(Window(64, 9)[32], 3.2434, 1e-4);
    EXPECT_NEAR(Window(64, 4)[0], -0.0418 * std::pow(10.0, 0.5504), 1e-4 * std::pow(10.0, 0.5504));
    for (const int length : {1, 7, 1000})
    {
        for (float v : Window(length, 0))
            EXPECT_EQ(v, 0.999999f);
    }
    // Symmetric Bartlett of any even length, ending with 0 and never reaching 1 before the gain.
    const std::vector<float> b64 = Window(64, 6);
    for (int i = 0; i < 64; ++i)
        EXPECT_FLOAT_EQ(b64[i], b64[63 - i]) << i;
    EXPECT_FLOAT_EQ(b64[31], static_cast<float>(31.0 / 32.0 * bartlettGain));
}

TEST(FftWindowTest, TypeOutsideRangeChangesNothing)
{
    CFftWindow window;
    std::vector<float> values(8, 5.0f);
    window.Generate(values.data(), 8, 3);
    const std::vector<float> hanning = values;
    for (const int type : {18, -1, 1000})
    {
        window.Generate(values.data(), 8, type);
        EXPECT_EQ(values, hanning) << type;
        EXPECT_EQ(window.m_name, "Hanning") << type;
    }
    EXPECT_EQ(window.m_length, 0);
    EXPECT_EQ(window.m_type, -1);
}

TEST(FftWindowTest, SetRegeneratesOnlyOnChangeAndReusesTheBuffer)
{
    CFftWindow window;
    EXPECT_EQ(window.m_length, 0);
    EXPECT_EQ(window.m_type, -1);
    std::vector<float> none(4, 2.0f);
    EXPECT_EQ(window.Apply(none.data()), 0);
    EXPECT_EQ(none, std::vector<float>(4, 2.0f));

    window.Set(1024, 1);
    const float* table = window.Table();
    EXPECT_EQ(window.m_length, 1024);
    EXPECT_EQ(window.m_type, 1);
    EXPECT_EQ(window.m_name, "Hamming");

    // Unchanged: the table stays as it is, even after Generate wrote another name.
    std::vector<float> scratch(16);
    window.Generate(scratch.data(), 16, 2);
    window.Set(1024, 1);
    EXPECT_EQ(window.m_name, "Blackman");
    EXPECT_EQ(window.Table(), table);

    window.Set(1024, 3);
    EXPECT_EQ(window.m_name, "Hanning");
    EXPECT_EQ(window.Table()[512], static_cast<float>(2.0 * 0.96376245659547));

    window.Set(256, 3);
    EXPECT_EQ(window.Table(), table);  // a shorter table reuses the buffer
    EXPECT_EQ(window.m_length, 256);
    EXPECT_NEAR(window.Table()[128], 2.0 * 0.96376245659547, 1e-6);

    std::vector<float> ones(300, 1.0f);
    EXPECT_EQ(window.Apply(ones.data()), 256);
    EXPECT_EQ(ones[128], window.Table()[128]);
    EXPECT_EQ(ones[256], 1.0f);

    window.Set(0, 3);  // ignored
    window.Set(256, 18);
    EXPECT_EQ(window.m_length, 256);
    EXPECT_EQ(window.m_type, 3);
}

}  // namespace

// One axis of a plot as numbers: value-to-pixel mapping and the major and minor ticks with their
// label texts, for linear, logarithmic and clock-time axes. Painting the ticks is not done here.
#pragma once

#include <array>
#include <ctime>
#include <string>

// AxisNiceStep: a tick step of 1, 1.25, 2, 2.5, 5 or 10 times a power of ten that divides from..to
// into about `divisions` parts, with the first and last multiple of it inside the range. Nothing is
// written when divisions < 1 or to - from is not positive.
void AxisNiceStep(double from, double to, int divisions, double* step, double* first, double* last);

// TimeAxisStep: a step of whole seconds, minutes, hours or days for a clock-time axis over from..to
// seconds, with the label style of FormatTimeByStyle that suits it. Nothing is written when
// divisions < 1 or to - from is negative.
void TimeAxisStep(double from, double to, int divisions, double* step, double* first, double* last,
                  int* style);

// The pixel of a value between pixelFrom (at `from`) and pixelTo (at `to`), in log10 or linearly.
// A range without extent (or without logarithm on a logarithmic axis) gives pixelFrom.
double MapToPixels(double value, double from, double to, double pixelFrom, double pixelTo, int logarithmic);

class CPlotAxis
{
public:
    static constexpr int kMaxTicks = 1024;
    static constexpr int kTypeClockTime = 1;

    CPlotAxis();
    ~CPlotAxis();

    // The pixel of a value; values outside minimum..maximum give pixels outside start..end.
    double ValueToPixel(double value) const;
    // Seconds since midnight of the time base when the time-base flag is set, else 0.
    double TimeOfDay() const;
    // Pixel length, pixels per decade and the major ticks with their labels.
    void BuildTicks();
    void BuildMinorTicks();
    // The label text of a tick of a value axis.
    std::string FormatTick(double value, double step) const;
    // Appends a major tick with its label; ticks beyond kMaxTicks are dropped.
    void AddTick(double value);

    int m_nType = 0;
    double m_dMinimum = 1.0;
    double m_dMaximum = 100.0;
    int m_bLogarithmic = 0;
    // 1: values grow towards the start pixel.
    int m_bInverted = 0;
    // 1: label precision from the tick step; 0: from the magnitude of the range.
    int m_nLabelMode = 1;
    int m_nMajorDivisions = 10;
    double m_dMinorStep = 0.0;
    double m_dStartPixel = 0.0;
    double m_dEndPixel = 0.0;
    double m_dMajorStep = 0.0;
    double m_dMajorFirst = 0.0;
    double m_dMajorLast = 0.0;
    double m_dMinorLast = 0.0;
    double m_dMinorFirst = 0.0;
    int m_nMajorTicks = 0;
    int m_nMinorTicks = 0;
    std::array<double, kMaxTicks> m_adMajorTicks{};
    std::array<std::string, kMaxTicks> m_arrMajorLabels;
    std::array<double, kMaxTicks> m_adMinorTicks{};
    double m_dPixelLength = 0.0;
    double m_dPixelsPerDecade = 0.0;
    int m_nTimeLabelStyle = 107;
    // Local calendar time whose time of day the labels add when m_bUseTimeBase is set.
    std::time_t m_timeBase = 0;
    int m_bUseTimeBase = 0;
    std::string m_strText1;
    std::string m_strText2;

private:
    void AddMinorTick(double value);
};

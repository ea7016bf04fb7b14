// Weighting windows applied to a block of samples before an FFT. Every window carries a fixed
// amplitude correction, so that a sine centred on an FFT bin reads roughly its true level.
#pragma once

#include <memory>
#include <string>

// Window type codes.
inline constexpr int kFftWindowRectangular = 0;
inline constexpr int kFftWindowHamming = 1;
inline constexpr int kFftWindowBlackman = 2;
inline constexpr int kFftWindowHanning = 3;
inline constexpr int kFftWindowFlatTop = 4;
inline constexpr int kFftWindowBlackmanHarris = 5;
inline constexpr int kFftWindowBartlett = 6;
inline constexpr int kFftWindowKaiserBessel = 7;
inline constexpr int kFftWindowGauss = 8;
inline constexpr int kFftWindowRifeVincent3 = 9;  // 9..17: Rife-Vincent of order 3..11
inline constexpr int kFftWindowLastType = 17;

// One window table and the name of the window last generated. A plain value owned by one thread at a
// time (the engine's analysis thread, a measurement window, a file analysis).
class CFftWindow
{
public:
    CFftWindow() = default;
    CFftWindow(const CFftWindow&) = delete;
    CFftWindow& operator=(const CFftWindow&) = delete;

    // Makes the table the window of `type` with `length` values; does nothing when both are unchanged.
    // The buffer only grows. A type outside 0..17 or a length below 1 is ignored (the table stays).
    void Set(int length, int type);

    // values[i] *= table[i] for i < m_length; returns m_length.
    int Apply(float* values) const;

    // Writes the window of `type` and `length` into values and its name into m_name; the table, m_length
    // and m_type stay. A type outside 0..17 (or a length below 1) changes neither values nor m_name.
    void Generate(float* values, int length, int type);

    const float* Table() const { return m_table.get(); }

    std::string m_name;  // name of the window type last generated, for display
    int m_length = 0;    // length of the current table
    int m_type = -1;     // window type of the current table; -1: no table

private:
    std::unique_ptr<float[]> m_table;
    int m_capacity = 0;
};

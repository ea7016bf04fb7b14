// Tables of the single-precision transforms (internal to Fft.cpp and its kernels). A table never changes
// after it is built, so any number of threads may read it at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Twiddle factors w^(m·k) = e^(-j2π·m·k/L), m = 1..3, k = 0..L/4-1, of one radix-4 stage of length L (the
// same for every transform that has such a stage). Up to kFftDirectMaxLog2 they are stored one per k;
// longer stages, which stream from memory anyway, keep a fine and a coarse table and multiply one
// factor from each, so that 2^24-point transforms need kilobytes of tables instead of a hundred MB.
inline constexpr int kFftDirectMaxLog2 = 14;
inline constexpr int kFftFineBits = 9;

// Rows of a table are one cache line longer than their values, so that the rows (read side by side)
// and the quarters of the data (at a power-of-two distance) do not all fall into one cache set.
inline constexpr int kFftRowPad = 16;

struct FftTwiddles
{
    int log2L = 0;
    int quarter = 0;    // L/4
    int fineBits = 0;   // 0: direct table
    int rowStride = 0;  // floats from one row to the next
    std::unique_ptr<float[]> data;

    // Direct table: 6 rows of `quarter` values (Re w1, Im w1, Re w2, Im w2, Re w3, Im w3).
    const float* Row(int row) const { return data.get() + static_cast<std::size_t>(row) * rowStride; }
    // Two-level table: 6 fine rows of 2^fineBits values, then 6 coarse rows of quarter >> fineBits.
    const float* FineRow(int row) const { return Row(row); }
    const float* CoarseRow(int row) const
    {
        return data.get() + static_cast<std::size_t>(6) * rowStride +
               static_cast<std::size_t>(row) * (quarter >> fineBits);
    }

    // w^(m·k) as (re, im), k < quarter, m = 1..3.
    void Get(int m, int k, float& re, float& im) const
    {
        const int row = 2 * (m - 1);
        if (fineBits == 0)
        {
            re = Row(row)[k];
            im = Row(row + 1)[k];
            return;
        }
        const int low = k & ((1 << fineBits) - 1);
        const int high = k >> fineBits;
        const float fr = FineRow(row)[low], fi = FineRow(row + 1)[low];
        const float cr = CoarseRow(row)[high], ci = CoarseRow(row + 1)[high];
        re = fr * cr - fi * ci;
        im = fr * ci + fi * cr;
    }
};

// Builds the table of a stage of length 2^log2L (log2L >= 2).
std::unique_ptr<FftTwiddles> BuildFftTwiddles(int log2L);

// The complex transform's stages (after the bit reversal) and the real transform's final pass, once
// for each instruction set. `twiddles` is indexed by log2 of the stage length.
struct FftKernelSet
{
    // In-place transform of 2^log2N (>= 64) points whose input is in bit-reversed order.
    void (*complexStages)(float* re, float* im, int log2N, const FftTwiddles* const* twiddles);
    // Turns the N/2-point complex transform of the even (re = x[0..N/2)) and odd (im = x[N/2..N)) samples
    // into the packed real spectrum; N = 2^log2N >= 128; `twN` is the table of length N.
    void (*realPass)(float* x, int log2N, const FftTwiddles& twN);
    // Bit-reversal permutation of 2^order (>= 64) points.
    void (*bitReverse)(float* x, int order);
};

// The log2 of the stage lengths that complexStages uses for 2^log2N points (first, step 2, up to log2N).
inline int FirstRadix4Stage(int log2N)
{
    return ((log2N - 3) & 1) != 0 ? 6 : 5;
}

// For tests: true runs the transforms with the portable kernels even where AVX2 is available; false
// returns to the kernels chosen for the processor. Not to be called while a transform runs.
void UseGenericFftKernels(bool generic);

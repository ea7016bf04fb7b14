// CSonagram: the colour picture of level over frequency and time that a plot shows in sonagram
// mode. Two pictures: a recorded signal is computed whole, one short-time power spectrum per image
// row (or column); without a signal the live picture scrolls by one line per paint, the newest line
// at the leading edge. Both keep, beside the 32-bit pixels, the colour index of every pixel, which
// the cursor readout turns back into a level. Used on the user-interface thread only (inside the
// plot's paint).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "display/DibBuffer.h"
#include "display/PlotRange.h"

class CSonagram
{
public:
    static constexpr int kColors = 256;

    // The fields a recorded picture depends on; a picture is recomputed only when they change.
    struct Params
    {
        int width = 0;
        int height = 0;
        std::array<int, 4> rect{};
        int orientation = 0;
        CAxisText frequency;
        CAxisText time;
        CAxisText level;
        std::array<int, 3> copied{};
        double sampleRate = -1.0;
        int sampleCount = 0;
        int rows = 0;
        int fftLength = 0;
        int columns = 0;
        const float* samples = nullptr;
    };
    static bool ParamsEqual(const Params& a, const Params& b);

    CSonagram() = default;

    // Takes the plot area's size: a changed size stops the picture first; the pixel buffer is made
    // anew and the colour table filled for the colour mode (below 1 grey, else the colour map).
    void SetSize(int width, int height, int colorMode = 1);
    // Size 0 x 0, pixels released.
    void Stop();

    // The whole picture of the recorded signal (m_pSamples, m_nSampleCount at m_dSampleRate).
    void Compute();
    // The parameter set of the current fields.
    Params CurrentParams() const;

    // Live picture: the leading edge of a scroll direction (0 bottom, 1 top, 2 left, 3 right) for the
    // current orientation and time reversal.
    int GetScrollDirection() const;
    // The length of a live line (the frequency extent of the picture).
    int GetLineLength() const;
    // Unless `hold`, shifts the picture one pixel away from the leading edge; then writes the line
    // of colour indices (pixel 0 at the lowest frequency) at the leading edge.
    void AddLiveLine(std::span<const std::uint8_t> indices, bool hold);

    // The colour index of a picture pixel (x right, y down from the top); 0 outside the picture.
    int IndexAt(int x, int y) const;

    // The frequency column map (FFT bin per column) and the colour table.
    const std::vector<int>& GetColumnMap() const { return m_anColumnMap; }
    const std::array<std::uint32_t, kColors>& GetColorTable() const { return m_colorTable; }
    const CDibBuffer& GetDib() const { return m_dib; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    int GetRows() const { return m_nRows; }
    int GetColumns() const { return m_nColumns; }
    // Pictures computed since construction (for tests and benchmarks).
    int GetComputeCount() const { return m_nComputeCount; }

    // Placement and ranges: 0 frequency across and time down, 1 frequency up and time across.
    std::array<int, 4> m_rect{};
    int m_nOrientation = 0;
    // Frequency (Hz; m_nValue2 1 = logarithmic), time (s) and level (dB) records: the first two
    // numbers are minimum and maximum; m_nValue8 set reverses that direction of the picture.
    CAxisText m_frequency;
    CAxisText m_time;
    CAxisText m_level;
    std::array<int, 3> m_anCopied{};
    double m_dSampleRate = -1.0;
    int m_nSampleCount = 0;
    int m_nFftLength = 4096;
    const float* m_pSamples = nullptr;

private:
    void BuildColumnMap();
    void ComputeRows();
    void Put(int x, int y, int index);

    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nRows = 0;
    int m_nColumns = 0;
    int m_nComputeCount = 0;
    CDibBuffer m_dib;
    std::vector<std::uint8_t> m_abyIndices;
    std::array<std::uint32_t, kColors> m_colorTable{};
    std::vector<int> m_anColumnMap;
    std::vector<float> m_afSegment;
};

// The fixed result block of one measured sweep point, as the engine's distortion measurement fills
// it and the distortion result table copies it. Large (about 270 KB): owners keep it on the heap.
#pragma once

#include <array>
#include <cstdint>

struct SweepResultTable
{
    static constexpr int kHeaderCount = 10;
    static constexpr int kListLength = 1024;
    static constexpr int kChannels = 64;
    static constexpr int kRowCount = 11;
    // Header indexes the result table reads.
    static constexpr int kHeaderPhaseDifference = 6;
    static constexpr int kHeaderFrequency = 8;
    static constexpr int kHeaderSecondValue = 9;
    // Rows of per-channel values the result table reads.
    static constexpr int kRowThd = 0;
    static constexpr int kRowThdN = 1;
    static constexpr int kRowPeakLevel = 3;
    static constexpr int kRowPeakPosition = 4;
    static constexpr int kRowInbandLevel = 7;
    static constexpr int kRowRms = 8;
    static constexpr int kRowExtra = 9;
    static constexpr int kRowRmsTrack = 10;

    // Every value zero.
    void Clear() { *this = SweepResultTable{}; }

    std::array<double, kHeaderCount> m_header{};
    std::array<float, kListLength> m_harmonics{};
    std::array<std::array<float, kListLength>, kChannels> m_levelTable{};
    std::array<float, kListLength> m_tableAxis{};
    std::int32_t m_nPointCount = 0;
    std::int32_t m_nChannelCount = 0;
    std::array<std::array<double, kChannels>, kRowCount> m_rows{};
};

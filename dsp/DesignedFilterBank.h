// Up to 64 designed filters run in series over one block, each with its own corners, order, ripple and
// design kind; the weighting filters and the level meters' envelope follower are built on it.
//
// Threads: used by the one thread that runs its blocks. Configure creates missing channel filters
// (it allocates) and belongs where the owner prepares, not on the audio path.
#pragma once

#include <array>
#include <memory>

#include "dsp/DesignedFilter.h"

class CDesignedFilterBank
{
public:
    static constexpr int kMaxChannels = 64;

    CDesignedFilterBank();
    ~CDesignedFilterBank();
    CDesignedFilterBank(const CDesignedFilterBank&) = delete;
    CDesignedFilterBank& operator=(const CDesignedFilterBank&) = delete;

    // For channels 0..m_nCount-1: creates the filter where there is none, then copies the sample rate,
    // order, corners, ripple and design kind into it. A filter whose values changed is redesigned at
    // its next block. The enable, band-stop and twice switches of the filters are left as they are.
    void Configure();
    // When enabled, runs the block through the filters of channels 0..m_nCount-1 in order.
    void Process(float* samples, int count);
    // The channels Process runs: m_nCount within 0..kMaxChannels.
    int ChannelsInUse() const;

    int m_nCount = 0;  // channels in use
    std::array<double, kMaxChannels> m_dLowCorner{};
    std::array<double, kMaxChannels> m_dHighCorner{};
    std::array<int, kMaxChannels> m_nDesignKind{};
    std::array<int, kMaxChannels> m_nOrder{};
    std::array<double, kMaxChannels> m_dRippleDb{};
    double m_dSampleRate = 0.0;
    int m_bEnabled = 0;
    std::array<std::unique_ptr<CDesignedFilter>, kMaxChannels> m_pFilters;
};

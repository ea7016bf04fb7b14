#include "dsp/BiquadLanes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "dsp/DesignedFilter.h"
#include "dsp/WeightingFilters.h"

namespace
{

std::unique_ptr<CDesignedFilter> BandPass(double low, double high, double rate, int order, int kind)
{
    auto filter = std::make_unique<CDesignedFilter>();
    filter->m_nDesignKind = kind;
    filter->m_dLowCorner = low;
    filter->m_dHighCorner = high;
    filter->m_nOrder = order;
    filter->m_dSampleRate = rate;
    filter->m_dDesignedRate = -1.0;
    float none = 0.0f;
    filter->Process(&none, 0);
    return filter;
}

std::vector<float> Noise(int count, unsigned seed)
{
    std::mt19937 generator(seed);
    std::normal_distribution<float> normal(0.0f, 0.3f);
    std::vector<float> x(static_cast<std::size_t>(count));
    for (float& v : x)
        v = normal(generator);
    return x;
}

// Filters run side by side give bit for bit what each gives alone through its own Process, over
// several blocks (the histories carry over), for every group size the lanes are split into, with
// separate and shared inputs, in place and out of place, with odd-order low-passes run twice (first-
// order sections) among the band-passes, and with a filter that cannot run in a lane (a design not
// yet made) mixed in.
TEST(BiquadLanes, EqualsEachFilterRunAlone)
{
    struct LaneSet
    {
        int lanes;
        bool sharedInput;
        bool inPlace;
        int blocks[3];
    };
    const LaneSet sets[] = {{1, false, false, {256, 17, 300}}, {3, true, false, {256, 256, 5}},
                            {4, false, true, {1, 600, 31}},    {6, true, false, {128, 64, 32}},
                            {8, false, false, {999, 3, 256}},  {11, false, true, {77, 256, 512}},
                            {19, true, false, {256, 128, 1}}};
    for (const LaneSet& set : sets)
    {
        SCOPED_TRACE(set.lanes);
        std::vector<std::unique_ptr<CDesignedFilter>> lanesFilters, aloneFilters;
        for (int l = 0; l < set.lanes; ++l)
        {
            const double centre = 40.0 * std::pow(1.26, 3 * l);
            const double rate = l % 3 == 2 ? 24000.0 : 48000.0;
            const int order = l % 5 == 4 ? 3 : 6;
            const int kind = l % 4 == 3 ? kDesignChebyshev : kDesignButterworth;
            // Every fifth lane: the anti-alias low-pass of a halving of the rate (order 5, twice).
            const bool lowPass = l % 5 == 3;
            const double low = lowPass ? 0.0 : centre / 1.12;
            const double high = lowPass ? 0.24 * rate : centre * 1.12;
            lanesFilters.push_back(BandPass(low, high, rate, lowPass ? 5 : order, kind));
            aloneFilters.push_back(BandPass(low, high, rate, lowPass ? 5 : order, kind));
            lanesFilters.back()->m_bTwice = aloneFilters.back()->m_bTwice = lowPass ? 1 : 0;
        }
        if (set.lanes > 6)
        {
            // One designed for another rate: redesigned on its first block.
            lanesFilters[6]->m_dSampleRate = aloneFilters[6]->m_dSampleRate = 32000.0;
        }
        for (int b = 0; b < 3; ++b)
        {
            const int count = set.blocks[b];
            std::vector<std::vector<float>> inputs, outputs, expected;
            for (int l = 0; l < set.lanes; ++l)
            {
                inputs.push_back(Noise(count, set.sharedInput ? 7u + b : 100u * l + b));
                outputs.push_back(set.inPlace ? inputs.back() : std::vector<float>(count, 99.0f));
                expected.push_back(inputs.back());
                aloneFilters[static_cast<std::size_t>(l)]->Process(expected.back().data(), count);
            }
            std::vector<CBiquadLanes::Lane> lanes;
            for (int l = 0; l < set.lanes; ++l)
            {
                const std::size_t i = static_cast<std::size_t>(l);
                float* out = outputs[i].data();
                const float* in = set.inPlace ? out : set.sharedInput ? inputs[0].data() : inputs[i].data();
                lanes.push_back({lanesFilters[i].get(), in, out});
            }
            CBiquadLanes::Run(lanes, count);
            for (int l = 0; l < set.lanes; ++l)
            {
                const std::size_t i = static_cast<std::size_t>(l);
                for (int k = 0; k < count; ++k)
                    ASSERT_EQ(outputs[i][static_cast<std::size_t>(k)],
                              expected[i][static_cast<std::size_t>(k)])
                        << "block " << b << " lane " << l << " sample " << k;
            }
        }
    }
}

TEST(BiquadLanes, FitsOnlyDesignedCascadesOfFirstAndSecondOrderSections)
{
    EXPECT_TRUE(CBiquadLanes::Fits(*BandPass(900.0, 1100.0, 48000.0, 6, kDesignButterworth)));
    auto twice = BandPass(0.0, 11000.0, 48000.0, 5, kDesignButterworth);
    twice->m_bTwice = 1;
    EXPECT_TRUE(CBiquadLanes::Fits(*twice));
    auto stale = BandPass(900.0, 1100.0, 48000.0, 6, kDesignButterworth);
    stale->m_dSampleRate = 44100.0;
    EXPECT_FALSE(CBiquadLanes::Fits(*stale));
    // A refused design (corners above half the rate) leaves no sections.
    EXPECT_FALSE(CBiquadLanes::Fits(*BandPass(30000.0, 31000.0, 48000.0, 6, kDesignButterworth)));
    EXPECT_FALSE(CBiquadLanes::Fits(CDesignedFilter{}));
}

// The weighting stages of several channels run side by side give bit for bit what each gives through
// its own Process, over blocks of several lengths (histories carry over and a rate change rebuilds
// the stage), for A, C, AU, U and US1 stages mixed in one call, in place and out of place.
TEST(BiquadLanes, WeightingsEqualEachStageRunAlone)
{
    const auto make = [](int kind) -> std::unique_ptr<CBankWeightingFilter>
    {
        switch (kind)
        {
            case 0:
                return std::make_unique<CAWeightingFilter>();
            case 1:
                return std::make_unique<CCWeightingFilter>();
            case 2:
                return std::make_unique<CAUWeightingFilter>();
            case 3:
                return std::make_unique<CUWeightingFilter>();
            default:
                return std::make_unique<CUS1WeightingFilter>();
        }
    };
    // Lanes 0..5 C (the engine's peak weighting on six channels), then A, AU, U, US1 and two more A.
    const int kinds[] = {1, 1, 1, 1, 1, 1, 0, 2, 3, 4, 0, 0};
    constexpr int kLaneCount = 12;
    std::vector<std::unique_ptr<CBankWeightingFilter>> side, alone;
    for (const int kind : kinds)
    {
        side.push_back(make(kind));
        alone.push_back(make(kind));
    }
    const int blocks[] = {256, 17, 1, 600, 333, 64};
    for (int b = 0; b < 6; ++b)
    {
        SCOPED_TRACE(b);
        const int rate = b < 4 ? 48000 : 44100;
        const int count = blocks[b];
        std::vector<std::vector<float>> inputs, outputs, expected;
        std::vector<CBiquadLanes::WeightingLane> lanes;
        for (int l = 0; l < kLaneCount; ++l)
        {
            const std::size_t i = static_cast<std::size_t>(l);
            inputs.push_back(Noise(count, 300u * l + b));
            expected.push_back(inputs.back());
            alone[i]->m_nSampleRate = side[i]->m_nSampleRate = rate;
            alone[i]->Process(expected.back().data(), count);
        }
        for (int l = 0; l < kLaneCount; ++l)
        {
            const std::size_t i = static_cast<std::size_t>(l);
            const bool inPlace = l % 3 == 1;
            outputs.push_back(inPlace ? inputs[i]
                                      : std::vector<float>(static_cast<std::size_t>(count), 99.0f));
        }
        for (int l = 0; l < kLaneCount; ++l)
        {
            const std::size_t i = static_cast<std::size_t>(l);
            const bool inPlace = l % 3 == 1;
            lanes.push_back(
                {side[i].get(), inPlace ? outputs[i].data() : inputs[i].data(), outputs[i].data()});
        }
        CBiquadLanes::RunWeightings(lanes, count);
        for (int l = 0; l < kLaneCount; ++l)
            for (int k = 0; k < count; ++k)
                ASSERT_EQ(outputs[static_cast<std::size_t>(l)][static_cast<std::size_t>(k)],
                          expected[static_cast<std::size_t>(l)][static_cast<std::size_t>(k)])
                    << "lane " << l << " sample " << k;
    }
    // The weighted signal is not the input: the stages did filter.
    std::vector<float> tone(4800);
    for (std::size_t k = 0; k < tone.size(); ++k)
        tone[k] =
            static_cast<float>(std::sin(2.0 * 3.14159265358979 * 31.5 * static_cast<double>(k) / 44100.0));
    std::vector<float> weighted = tone;
    const CBiquadLanes::WeightingLane lane{side[6].get(), weighted.data(), weighted.data()};
    CBiquadLanes::RunWeightings(std::span<const CBiquadLanes::WeightingLane>(&lane, 1), 4800);
    EXPECT_LT(std::abs(weighted[4700]), 0.2f);
}

}  // namespace

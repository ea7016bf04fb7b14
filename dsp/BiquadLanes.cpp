#include "dsp/BiquadLanes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "dsp/DesignedFilter.h"
#include "dsp/SectionStep.h"

namespace
{
// Samples per pass: the interleaved lane buffer stays in the first-level cache.
constexpr int kPiece = 256;
// Sections of one lane: the cascade, and again for a filter run twice.
constexpr int kMaxChain = 2 * CDesignedFilter::kMaxSections;

template <int W>
struct Vectors
{
    typedef double Doubles __attribute__((vector_size(W * sizeof(double))));
    typedef float Floats __attribute__((vector_size(W * sizeof(float))));
};

// The chain of sections of one group: section[s][l] is section s of lane l (null in unused lanes);
// firstOrder[s] says that section s has 2 and 2 coefficients in every lane.
template <int W>
struct Chain
{
    CIirFilter* section[kMaxChain][W];
    bool firstOrder[kMaxChain];
    int length;
};

// W lanes with the same chain shape. No fused multiply-add is allowed in here (neither target
// enables it): the sums must round as the one-lane code rounds them.
template <int W>
__attribute__((always_inline)) inline void RunGroupT(const CBiquadLanes::Lane* lanes, int used, int count,
                                                     const Chain<W>& chain)
{
    using D = typename Vectors<W>::Doubles;
    using F = typename Vectors<W>::Floats;
    alignas(64) float buffer[kPiece * W];
    for (int done = 0; done < count; done += kPiece)
    {
        const int n = std::min(kPiece, count - done);
        for (int l = 0; l < W; ++l)
        {
            const float* in = l < used ? lanes[l].input + done : nullptr;
            for (int k = 0; k < n; ++k)
                buffer[k * W + l] = in ? in[k] : 0.0f;
        }
        for (int s = 0; s < chain.length; ++s)
        {
            D b0, b1, b2, a1, a2, x1, x2, y1, y2;
            for (int l = 0; l < W; ++l)
            {
                const CIirFilter* f = chain.section[s][l];
                const double* b = f ? f->GetB() : nullptr;
                const double* a = f ? f->GetA() : nullptr;
                double state[4] = {0.0, 0.0, 0.0, 0.0};
                if (f)
                    f->GetSectionState(state);
                b0[l] = b ? b[0] : 0.0;
                b1[l] = b ? b[1] : 0.0;
                b2[l] = b && !chain.firstOrder[s] ? b[2] : 0.0;
                a1[l] = a ? a[1] : 0.0;
                a2[l] = a && !chain.firstOrder[s] ? a[2] : 0.0;
                x1[l] = state[0];
                x2[l] = state[1];
                y1[l] = state[2];
                y2[l] = state[3];
            }
            SecondOrderState<D> second{x1, x2, y1, y2};
            FirstOrderState<D> first{x1, y1};
            float* p = buffer;
            for (int k = 0; k < n; ++k, p += W)
            {
                F xf;
                std::memcpy(&xf, p, sizeof(xf));
                const D x = __builtin_convertvector(xf, D);
                D acc;
                if (chain.firstOrder[s])
                {
                    FirstOrderStep<D>(x, first, b0, b1, a1);
                    acc = first.y1;
                }
                else
                {
                    SecondOrderStep<D>(x, second, b0, b1, b2, a1, a2);
                    acc = second.y1;
                }
                const F out = __builtin_convertvector(acc, F);
                std::memcpy(p, &out, sizeof(out));
            }
            if (chain.firstOrder[s])
            {
                x1 = first.x1;
                y1 = first.y1;
            }
            else
            {
                x1 = second.x1;
                x2 = second.x2;
                y1 = second.y1;
                y2 = second.y2;
            }
            for (int l = 0; l < used; ++l)
            {
                const double state[4] = {x1[l], x2[l], y1[l], y2[l]};
                chain.section[s][l]->SetSectionState(state);
            }
        }
        for (int l = 0; l < used; ++l)
        {
            const CDesignedFilter& filter = *lanes[l].filter;
            const double gain = filter.m_bTwice ? filter.GetGain() * filter.GetGain() : filter.GetGain();
            const float g = static_cast<float>(gain);
            float* out = lanes[l].output + done;
            for (int k = 0; k < n; ++k)
                out[k] = buffer[k * W + l] * g;
        }
    }
}

// The kernel once for AVX2 and once for the SSE2 baseline, chosen at run time (not through
// target_clones: its resolvers run before a sanitiser's runtime is up).
__attribute__((target("avx2"))) void RunGroupAvx2(const CBiquadLanes::Lane* lanes, int used, int count,
                                                  const Chain<4>& chain)
{
    RunGroupT<4>(lanes, used, count, chain);
}

void RunGroupSse2(const CBiquadLanes::Lane* lanes, int used, int count, const Chain<4>& chain)
{
    RunGroupT<4>(lanes, used, count, chain);
}

void RunGroup4(const CBiquadLanes::Lane* lanes, int used, int count, const Chain<4>& chain)
{
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        RunGroupAvx2(lanes, used, count, chain);
    else
        RunGroupSse2(lanes, used, count, chain);
}

// Four lanes per group: with eight (two AVX2 registers per vector) the histories of a section no
// longer fit the register file, and the recursion waits on memory.
constexpr int kLanes = 4;

void RunGroup(const CBiquadLanes::Lane* lanes, int used, int count)
{
    Chain<kLanes> chain{};
    const CDesignedFilter& first = *lanes[0].filter;
    const int sections = first.GetSectionCount();
    chain.length = first.m_bTwice ? 2 * sections : sections;
    for (int s = 0; s < chain.length; ++s)
    {
        const int k = s % sections;
        chain.firstOrder[s] = first.GetSection(k).GetNumB() == 2;
        for (int l = 0; l < used; ++l)
            chain.section[s][l] =
                s < sections ? &lanes[l].filter->GetSection(k) : &lanes[l].filter->GetTwiceSection(k);
    }
    RunGroup4(lanes, used, count, chain);
}

// Filters whose chains have the same shape share a group: the number of sections, twice or not,
// and which sections are of first order.
std::uint64_t Shape(const CDesignedFilter& filter)
{
    std::uint64_t shape = static_cast<std::uint64_t>(filter.GetSectionCount()) << 40;
    shape |= static_cast<std::uint64_t>(filter.m_bTwice != 0) << 39;
    for (int s = 0; s < filter.GetSectionCount(); ++s)
        if (filter.GetSection(s).GetNumB() == 2)
            shape |= std::uint64_t{1} << s;
    return shape;
}
}  // namespace

bool CBiquadLanes::Fits(const CDesignedFilter& filter)
{
    if (filter.m_dDesignedRate != filter.m_dSampleRate || filter.GetSectionCount() < 1)
        return false;
    for (int s = 0; s < filter.GetSectionCount(); ++s)
    {
        const CIirFilter& section = filter.GetSection(s);
        const bool second = section.GetNumB() == 3 && section.GetNumA() == 3;
        const bool first = section.GetNumB() == 2 && section.GetNumA() == 2;
        if (!second && !first)
            return false;
    }
    return true;
}

void CBiquadLanes::Run(std::span<const Lane> lanes, int count)
{
    if (count <= 0)
        return;
    // Lanes that fit, grouped while their chains have the same shape (the band filters of one set
    // share it, as do the halving filters of several channels).
    std::array<Lane, kLanes> group{};
    std::uint64_t shape = 0;
    int used = 0;
    const auto flush = [&]
    {
        if (used > 0)
            RunGroup(group.data(), used, count);
        used = 0;
    };
    for (const Lane& lane : lanes)
    {
        if (!lane.filter)
            continue;
        if (!Fits(*lane.filter))
        {
            if (lane.output != lane.input)
                std::copy(lane.input, lane.input + count, lane.output);
            lane.filter->Process(lane.output, count);
            continue;
        }
        const std::uint64_t laneShape = Shape(*lane.filter);
        if (used > 0 && laneShape != shape)
            flush();
        shape = laneShape;
        group[static_cast<std::size_t>(used++)] = lane;
        if (used == kLanes)
            flush();
    }
    flush();
}

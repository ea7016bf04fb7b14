#include "dsp/BiquadLanes.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "dsp/DesignedFilter.h"

namespace
{
// Samples per pass: the interleaved lane buffer stays in the first-level cache.
constexpr int kPiece = 256;

template <int W>
struct Vectors
{
    typedef double Doubles __attribute__((vector_size(W * sizeof(double))));
    typedef float Floats __attribute__((vector_size(W * sizeof(float))));
};

// W lanes with the same number of sections. No fused multiply-add is allowed in here (neither
// target enables it): the sums must round as the one-lane code rounds them.
template <int W>
__attribute__((always_inline)) inline void RunGroupT(const CBiquadLanes::Lane* lanes, int used, int sections,
                                                     int count, CIirFilter* const (*section)[W])
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
        for (int s = 0; s < sections; ++s)
        {
            D b0, b1, b2, a1, a2, x1, x2, y1, y2;
            for (int l = 0; l < W; ++l)
            {
                const CIirFilter* f = section[s][l];
                const double* b = f ? f->GetB() : nullptr;
                const double* a = f ? f->GetA() : nullptr;
                double state[4] = {0.0, 0.0, 0.0, 0.0};
                if (f)
                    f->GetSectionState(state);
                b0[l] = b ? b[0] : 0.0;
                b1[l] = b ? b[1] : 0.0;
                b2[l] = b ? b[2] : 0.0;
                a1[l] = a ? a[1] : 0.0;
                a2[l] = a ? a[2] : 0.0;
                x1[l] = state[0];
                x2[l] = state[1];
                y1[l] = state[2];
                y2[l] = state[3];
            }
            float* p = buffer;
            for (int k = 0; k < n; ++k, p += W)
            {
                F xf;
                std::memcpy(&xf, p, sizeof(xf));
                const D x = __builtin_convertvector(xf, D);
                D acc = b0 * x;
                acc += b1 * x1;
                acc += b2 * x2;
                acc -= a2 * y2;
                acc -= a1 * y1;
                x2 = x1;
                x1 = x;
                y2 = y1;
                y1 = acc;
                const F out = __builtin_convertvector(acc, F);
                std::memcpy(p, &out, sizeof(out));
            }
            for (int l = 0; l < used; ++l)
            {
                const double state[4] = {x1[l], x2[l], y1[l], y2[l]};
                section[s][l]->SetSectionState(state);
            }
        }
        for (int l = 0; l < used; ++l)
        {
            const float g = static_cast<float>(lanes[l].filter->GetGain());
            float* out = lanes[l].output + done;
            for (int k = 0; k < n; ++k)
                out[k] = buffer[k * W + l] * g;
        }
    }
}

__attribute__((target_clones("avx2", "default"))) void RunGroup4(const CBiquadLanes::Lane* lanes, int used,
                                                                 int sections, int count,
                                                                 CIirFilter* const (*section)[4])
{
    RunGroupT<4>(lanes, used, sections, count, section);
}

__attribute__((target_clones("avx2", "default"))) void RunGroup8(const CBiquadLanes::Lane* lanes, int used,
                                                                 int sections, int count,
                                                                 CIirFilter* const (*section)[8])
{
    RunGroupT<8>(lanes, used, sections, count, section);
}

template <int W>
void RunGroup(const CBiquadLanes::Lane* lanes, int used, int count)
{
    const int sections = lanes[0].filter->GetSectionCount();
    CIirFilter* table[CDesignedFilter::kMaxSections][W] = {};
    for (int s = 0; s < sections; ++s)
        for (int l = 0; l < used; ++l)
            table[s][l] = &lanes[l].filter->GetSection(s);
    if constexpr (W == 4)
        RunGroup4(lanes, used, sections, count, table);
    else
        RunGroup8(lanes, used, sections, count, table);
}
}  // namespace

bool CBiquadLanes::Fits(const CDesignedFilter& filter)
{
    if (filter.m_dDesignedRate != filter.m_dSampleRate || filter.m_bTwice || filter.GetSectionCount() < 1)
        return false;
    for (int s = 0; s < filter.GetSectionCount(); ++s)
    {
        const CIirFilter& section = filter.GetSection(s);
        if (section.GetNumB() != 3 || section.GetNumA() != 3)
            return false;
    }
    return true;
}

void CBiquadLanes::Run(std::span<const Lane> lanes, int count)
{
    if (count <= 0)
        return;
    // Lanes that fit, grouped by their number of sections (band filters of one set share it).
    std::array<Lane, 8> group{};
    int used = 0;
    const auto flush = [&]
    {
        if (used > 4)
            RunGroup<8>(group.data(), used, count);
        else if (used > 0)
            RunGroup<4>(group.data(), used, count);
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
        if (used > 0 && group[0].filter->GetSectionCount() != lane.filter->GetSectionCount())
            flush();
        group[static_cast<std::size_t>(used++)] = lane;
        if (used == 8)
            flush();
    }
    flush();
}

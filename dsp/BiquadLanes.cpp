#include "dsp/BiquadLanes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "dsp/DesignedFilter.h"
#include "dsp/SectionStep.h"
#include "dsp/WeightingFilters.h"

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
// firstOrder[s] says that section s has 2 and 2 coefficients in every lane. Every section's output,
// rounded to single precision, is multiplied by gain[s][l] (1 where the lane's filter applies no
// gain there: the product is then the sample itself). With scaled, the chain's output x becomes
// float(x * scale[l]) in double precision at the end.
template <int W>
struct Chain
{
    CIirFilter* section[kMaxChain][W];
    bool firstOrder[kMaxChain];
    float gain[kMaxChain][W];
    double scale[W];
    bool scaled;
    int length;
};

// W lanes with the same chain shape. No fused multiply-add is allowed in here (neither target
// enables it): the sums must round as the one-lane code rounds them.
template <int W>
__attribute__((always_inline)) inline void RunGroupT(const float* const* inputs, float* const* outputs,
                                                     int used, int count, const Chain<W>& chain)
{
    using D = typename Vectors<W>::Doubles;
    using F = typename Vectors<W>::Floats;
    alignas(64) float buffer[kPiece * W];
    for (int done = 0; done < count; done += kPiece)
    {
        const int n = std::min(kPiece, count - done);
        for (int l = 0; l < W; ++l)
        {
            const float* in = l < used ? inputs[l] + done : nullptr;
            for (int k = 0; k < n; ++k)
                buffer[k * W + l] = in ? in[k] : 0.0f;
        }
        for (int s = 0; s < chain.length; ++s)
        {
            D b0, b1, b2, a1, a2, x1, x2, y1, y2;
            F g;
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
                g[l] = chain.gain[s][l];
            }
            SecondOrderState<D> second{x1, x2, y1, y2};
            FirstOrderState<D> first{x1, y1};
            float* p = buffer;
            if (chain.firstOrder[s])
                for (int k = 0; k < n; ++k, p += W)
                {
                    F xf;
                    std::memcpy(&xf, p, sizeof(xf));
                    FirstOrderStep<D>(__builtin_convertvector(xf, D), first, b0, b1, a1);
                    const F out = __builtin_convertvector(first.y1, F) * g;
                    std::memcpy(p, &out, sizeof(out));
                }
            else
                for (int k = 0; k < n; ++k, p += W)
                {
                    F xf;
                    std::memcpy(&xf, p, sizeof(xf));
                    SecondOrderStep<D>(__builtin_convertvector(xf, D), second, b0, b1, b2, a1, a2);
                    const F out = __builtin_convertvector(second.y1, F) * g;
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
            float* out = outputs[l] + done;
            if (chain.scaled)
            {
                const double scale = chain.scale[l];
                for (int k = 0; k < n; ++k)
                    out[k] = static_cast<float>(buffer[k * W + l] * scale);
            }
            else
            {
                for (int k = 0; k < n; ++k)
                    out[k] = buffer[k * W + l];
            }
        }
    }
}

// The kernel once for AVX2 and once for the SSE2 baseline, chosen at run time (not through
// target_clones: its resolvers run before a sanitiser's runtime is up).
__attribute__((target("avx2"))) void RunGroupAvx2(const float* const* inputs, float* const* outputs, int used,
                                                  int count, const Chain<4>& chain)
{
    RunGroupT<4>(inputs, outputs, used, count, chain);
}

void RunGroupSse2(const float* const* inputs, float* const* outputs, int used, int count,
                  const Chain<4>& chain)
{
    RunGroupT<4>(inputs, outputs, used, count, chain);
}

void RunGroup4(const float* const* inputs, float* const* outputs, int used, int count, const Chain<4>& chain)
{
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        RunGroupAvx2(inputs, outputs, used, count, chain);
    else
        RunGroupSse2(inputs, outputs, used, count, chain);
}

// Four lanes per group: with eight (two AVX2 registers per vector) the histories of a section no
// longer fit the register file, and the recursion waits on memory.
constexpr int kLanes = 4;

// One lane's chain before it joins a group: its sections, the gain after each, which sections are
// of first order (bit s), and its input, output and final scale.
struct LanePlan
{
    CIirFilter* section[kMaxChain];
    float gain[kMaxChain];
    std::uint64_t firstOrder;
    int length;
    double scale;
    const float* input;
    float* output;
};
static_assert(kMaxChain <= 64);

// Appends a section to the plan; false when the chain is full or the section is neither of first
// nor of second order.
bool AppendSection(LanePlan& plan, CIirFilter& section, float gain)
{
    const bool second = section.GetNumB() == 3 && section.GetNumA() == 3;
    const bool first = section.GetNumB() == 2 && section.GetNumA() == 2;
    if ((!first && !second) || plan.length >= kMaxChain)
        return false;
    plan.section[plan.length] = &section;
    plan.gain[plan.length] = gain;
    if (first)
        plan.firstOrder |= std::uint64_t{1} << plan.length;
    ++plan.length;
    return true;
}

// Appends the sections of a designed filter that fits a lane (its cascade, again when it runs
// twice), with its gain after the last one.
bool AppendDesigned(LanePlan& plan, CDesignedFilter& filter)
{
    const int sections = filter.GetSectionCount();
    const int total = filter.m_bTwice ? 2 * sections : sections;
    for (int s = 0; s < total; ++s)
    {
        const int k = s % sections;
        if (!AppendSection(plan, s < sections ? filter.GetSection(k) : filter.GetTwiceSection(k), 1.0f))
            return false;
    }
    const double gain = filter.m_bTwice ? filter.GetGain() * filter.GetGain() : filter.GetGain();
    if (total > 0)
        plan.gain[plan.length - 1] = static_cast<float>(gain);
    return true;
}

// The plan of a bank weighting stage: the sections of its bank's filters in order, the double pole,
// and the output factor as the final scale; false when some section cannot run in a lane.
bool PlanWeighting(LanePlan& plan, CBankWeightingFilter& stage)
{
    stage.PrepareForRate();
    CDesignedFilterBank& bank = stage.m_bank;
    if (bank.m_bEnabled)
        for (int c = 0; c < bank.ChannelsInUse(); ++c)
        {
            CDesignedFilter* filter = bank.m_pFilters[static_cast<std::size_t>(c)].get();
            if (!filter)
                continue;
            if (filter->m_dDesignedRate != filter->m_dSampleRate)
            {
                float none = 0.0f;
                filter->Process(&none, 0);  // designs only
            }
            if (filter->GetSectionCount() == 0)
                continue;  // a refused design passes the block as it is
            if (!CBiquadLanes::Fits(*filter) || !AppendDesigned(plan, *filter))
                return false;
        }
    CIirFilter& pole = stage.GetDoublePole();
    if (pole.GetNumB() >= 1 && !AppendSection(plan, pole, 1.0f))
        return false;
    plan.scale = stage.GetOutputFactor();
    return true;
}

bool SameShape(const LanePlan& a, const LanePlan& b)
{
    return a.length == b.length && a.firstOrder == b.firstOrder;
}

// Runs up to kLanes plans of one shape side by side.
void RunPlans(const LanePlan* plans, int used, int count, bool scaled)
{
    Chain<kLanes> chain{};
    std::array<const float*, kLanes> inputs{};
    std::array<float*, kLanes> outputs{};
    chain.length = plans[0].length;
    chain.scaled = scaled;
    for (int s = 0; s < chain.length; ++s)
        chain.firstOrder[s] = (plans[0].firstOrder >> s) & 1;
    for (int l = 0; l < used; ++l)
    {
        for (int s = 0; s < chain.length; ++s)
        {
            chain.section[s][l] = plans[l].section[s];
            chain.gain[s][l] = plans[l].gain[s];
        }
        chain.scale[l] = plans[l].scale;
        inputs[static_cast<std::size_t>(l)] = plans[l].input;
        outputs[static_cast<std::size_t>(l)] = plans[l].output;
    }
    RunGroup4(inputs.data(), outputs.data(), used, count, chain);
}

// Collects plans and runs them in groups of kLanes while their shapes agree.
class PlanGroups
{
public:
    PlanGroups(int count, bool scaled) : m_count(count), m_scaled(scaled) {}
    ~PlanGroups() { Flush(); }
    PlanGroups(const PlanGroups&) = delete;
    PlanGroups& operator=(const PlanGroups&) = delete;

    // The plan to fill for the next lane; Add then takes it.
    LanePlan& Next()
    {
        LanePlan& plan = m_plans[static_cast<std::size_t>(m_used)];
        plan.firstOrder = 0;
        plan.length = 0;
        plan.scale = 1.0;
        return plan;
    }
    void Add()
    {
        if (m_used > 0 && !SameShape(m_plans[static_cast<std::size_t>(m_used)], m_plans[0]))
        {
            const LanePlan plan = m_plans[static_cast<std::size_t>(m_used)];
            Flush();
            m_plans[0] = plan;
        }
        if (++m_used == kLanes)
            Flush();
    }
    void Flush()
    {
        if (m_used > 0)
            RunPlans(m_plans.data(), m_used, m_count, m_scaled);
        m_used = 0;
    }

private:
    std::array<LanePlan, kLanes> m_plans{};
    int m_used = 0;
    int m_count;
    bool m_scaled;
};

// Plans every lane whose object is set and runs the plans in groups of one shape; a lane that
// cannot be planned runs alone through its object's Process.
template <typename LaneT, typename Object, typename Planner>
void RunLanes(std::span<const LaneT> lanes, Object* LaneT::*object, int count, bool scaled, Planner planLane)
{
    if (count <= 0)
        return;
    PlanGroups groups(count, scaled);
    for (const LaneT& lane : lanes)
    {
        Object* filter = lane.*object;
        if (!filter)
            continue;
        LanePlan& plan = groups.Next();
        if (!planLane(plan, *filter))
        {
            if (lane.output != lane.input)
                std::copy(lane.input, lane.input + count, lane.output);
            filter->Process(lane.output, count);
            continue;
        }
        plan.input = lane.input;
        plan.output = lane.output;
        groups.Add();
    }
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
    // Lanes that fit, grouped while their chains have the same shape (the band filters of one set
    // share it, as do the halving filters of several channels).
    RunLanes(lanes, &Lane::filter, count, false,
             [](LanePlan& plan, CDesignedFilter& filter)
             {
                 // What Fits asks of the sections, AppendDesigned checks on its way.
                 return filter.m_dDesignedRate == filter.m_dSampleRate && filter.GetSectionCount() >= 1 &&
                        AppendDesigned(plan, filter);
             });
}

void CBiquadLanes::RunWeightings(std::span<const WeightingLane> lanes, int count)
{
    RunLanes(lanes, &WeightingLane::stage, count, true, PlanWeighting);
}

#include "dsp/LevelMeter.h"

#include <algorithm>
#include <cmath>

#include "dsp/ArrayStatistics.h"

namespace
{
// The detector corner is 1 / (tau · this truncated 2 pi); levels have always been computed with it.
constexpr double kTwoPiTruncated = 6.2831852;
constexpr double kDetectorLimit = 0.495;  // of the rate: above it a detector is not run
constexpr double kNoLevel = 1e-99;
// The filter of m_timeWeightingFilters behind each detector (Impulse, Fast, Slow, 10 s, 60 s).
constexpr int kDetectorFilters[CLevelMeter::kDetectors] = {2, 1, 0, 3, 4};
}  // namespace

CLevelMeter::CLevelMeter()
{
    for (CDesignedFilter& filter : m_timeWeightingFilters)
    {
        filter.m_full.m_bEnabled = 1;
        filter.m_dLowCorner = 0.0;
        filter.m_nOrder = 1;
        filter.m_bBandStop = 0;
        filter.m_nDesignKind = kDesignButterworth;
        filter.m_bTwice = 0;
    }
    Reset();
}

CLevelMeter::~CLevelMeter() = default;

void CLevelMeter::Reset()
{
    m_energySum = 0.0;
    m_rmsSinceReset = 0.0;
    m_minSample = 1e99;
    m_maxSample = -1e99;
    m_levelFast = 0.0;
    m_levelSlow = 0.0;
    m_levelImpulse = 0.0;
    m_maxFastLevel = -1e99;
    m_ccirLevel = 1e-99;
    m_taktMaxLast = 0.0;
    m_taktMaxRunning = 0.0;
    m_taktRemaining = m_taktInterval;
    m_taktSumSquares = 0.0;
    m_taktCount = 0.0;
    m_taktLevel = 0.0;
    m_taktRatio = 0.0;
    m_percentiles.fill(-1e99);
    m_intervalEnergy = 0.0;
    m_intervalMin = 1e99;
    m_intervalMax = -1e99;
    m_intervalRms = 1e-99;
    m_lastIntervalRms = 1e-99;
    m_maxIntervalRms = 1e-99;
    m_intervalSampleCount = 0;
    m_sampleCount = 0;
    m_blockPeak = 0.0;
    m_previousBlockPeak = 0.0;
    m_peakHold = 0.0;
    m_blockCounter = 0;
    for (CDesignedFilter& filter : m_timeWeightingFilters)
        filter.Reset();
    m_detectorState.fill(0.0);
    m_lastSquared = 0.0;
    m_setUpValid = false;
}

void CLevelMeter::ProcessBlock(const float* samples, int count)
{
    // A meter whose rate was never set has no time base: its detectors and envelope would divide by
    // it, so it takes nothing in.
    if (!(m_sampleRate > 0.0))
        return;
    // A block longer than the work buffer is fed in pieces instead of overrunning it.
    while (count > 0)
    {
        const int piece = std::min(count, kWorkSamples);
        ProcessPiece(samples, piece);
        samples += piece;
        count -= piece;
    }
}

void CLevelMeter::BeginPiece(const float* samples, int count)
{
    double sumSquares = 0.0;
    float blockMin = 0.0f;
    float blockMax = 0.0f;
    GetSumSquaresMinMax(samples, count, &sumSquares, &blockMin, &blockMax);

    m_intervalMin = std::min(m_intervalMin, static_cast<double>(blockMin));
    m_intervalMax = std::max(m_intervalMax, static_cast<double>(blockMax));
    m_sampleCount += count;
    m_pieceSeconds = count / m_sampleRate * m_decimationFactor;
    m_intervalEnergy += sumSquares;
    m_energySum += sumSquares;
    m_rmsSinceReset = std::sqrt(m_energySum / static_cast<double>(m_sampleCount));
    m_minSample = std::min(m_minSample, static_cast<double>(blockMin));
    m_maxSample = std::max(m_maxSample, static_cast<double>(blockMax));
    m_intervalSampleCount += count;
    m_intervalRms = std::sqrt(m_intervalEnergy / m_intervalSampleCount);
    m_blockPeak = std::max(
        {m_blockPeak, std::fabs(static_cast<double>(blockMin)), std::fabs(static_cast<double>(blockMax))});
    ++m_blockCounter;
}

void CLevelMeter::SetUpDetectors(DetectorSet& set)
{
    // The designed filters provide the coefficients, the meter keeps the histories.
    bool same = m_setUpValid && m_setUpRate == m_sampleRate;
    for (int d = 0; d < kDetectors && same; ++d)
        same = m_setUpTaus[static_cast<std::size_t>(d)] == Tau(d);
    if (same)
    {
        // Nothing that shapes the designs changed since they were read: the same coefficients.
        std::copy(std::begin(m_setUp.b0), std::end(m_setUp.b0), set.b0);
        std::copy(std::begin(m_setUp.b1), std::end(m_setUp.b1), set.b1);
        std::copy(std::begin(m_setUp.a1), std::end(m_setUp.a1), set.a1);
        std::copy(std::begin(m_setUp.gain), std::end(m_setUp.gain), set.gain);
        std::copy(std::begin(m_setUp.active), std::end(m_setUp.active), set.active);
        for (int d = 0; d < kDetectors; ++d)
            set.state[d] = m_detectorState[static_cast<std::size_t>(kDetectorFilters[d])];
        return;
    }
    for (int d = 0; d < kDetectors; ++d)
    {
        const std::size_t f = static_cast<std::size_t>(kDetectorFilters[d]);
        CDesignedFilter& filter = m_timeWeightingFilters[f];
        const double corner = 1.0 / (Tau(d) * kTwoPiTruncated);
        set.active[d] = kDetectorLimit * m_sampleRate > corner;
        set.b0[d] = set.b1[d] = set.a1[d] = set.gain[d] = 0.0;
        if (!set.active[d])
            continue;
        if (filter.m_dHighCorner != corner || filter.m_dSampleRate != m_sampleRate)
        {
            filter.m_dHighCorner = corner;
            filter.m_dSampleRate = m_sampleRate;
            filter.m_dDesignedRate = -1.0;
            m_detectorState[f] = 0.0;
        }
        if (filter.m_dDesignedRate != filter.m_dSampleRate)
        {
            float none = 0.0f;
            filter.Process(&none, 0);  // designs only
        }
        const CIirFilter& section = filter.GetSection(0);
        if (filter.GetSectionCount() != 1 || section.GetNumB() != 2 || section.GetNumA() != 2)
        {
            set.active[d] = false;
            continue;
        }
        set.b0[d] = section.GetB()[0];
        set.b1[d] = section.GetB()[1];
        set.a1[d] = section.GetA()[1];
        set.gain[d] = filter.GetGain();
    }
    for (int d = 0; d < kDetectors; ++d)
    {
        set.state[d] = m_detectorState[static_cast<std::size_t>(kDetectorFilters[d])];
        m_setUpTaus[static_cast<std::size_t>(d)] = Tau(d);
    }
    m_setUp = set;
    m_setUpRate = m_sampleRate;
    m_setUpValid = true;
}

double CLevelMeter::Tau(int detector) const
{
    const double taus[kDetectors] = {m_tauImpulse, m_tauFast, m_tauSlow, m_tau10s, m_tau60s};
    return taus[detector];
}

void CLevelMeter::EndPiece(const DetectorSet& set)
{
    double* const levels[kDetectors] = {&m_levelImpulse, &m_levelFast, &m_levelSlow, &m_level10s,
                                        &m_level60s};
    for (int d = 0; d < kDetectors; ++d)
    {
        m_detectorState[static_cast<std::size_t>(kDetectorFilters[d])] = set.state[d];
        *levels[d] = set.active[d] ? std::sqrt(std::max(0.0, set.gain[d] * set.state[d])) : kNoLevel;
    }

    m_maxFastLevel = std::max(m_maxFastLevel, m_levelFast);

    m_taktRemaining -= m_pieceSeconds;
    if (m_taktRemaining > 0.0)
    {
        m_taktMaxRunning = std::max(m_taktMaxRunning, m_levelFast);
    }
    else
    {
        m_taktRemaining += m_taktInterval;
        m_taktMaxLast = m_taktMaxRunning;
        m_taktMaxRunning = 0.0;
        m_taktSumSquares += m_taktMaxLast * m_taktMaxLast;
        m_taktCount += 1.0;
        m_taktLevel = std::sqrt(m_taktSumSquares / m_taktCount);
        m_taktRatio = m_taktLevel / m_rmsSinceReset;
    }
}

void CLevelMeter::ProcessPiece(const float* samples, int count)
{
    BeginPiece(samples, count);

    float work[kWorkSamples];
    std::copy(samples, samples + count, work);
    m_envelope.m_sampleRate = m_sampleRate;
    m_envelope.Process(work, count);
    m_ccirLevel = std::max(0.0, static_cast<double>(work[count - 1]));

    // The five detectors low-pass the same squared signal. Their first-order recursions run side by
    // side in one pass (five independent chains instead of five passes over the block).
    DetectorSet set;
    SetUpDetectors(set);
    // Written out for the five detectors: the chains then run interleaved without loop overhead.
    static_assert(kDetectors == 5);
    const double* b0 = set.b0;
    const double* b1 = set.b1;
    const double* a1 = set.a1;
    double previous = m_lastSquared;
    double s0 = set.state[0], s1 = set.state[1], s2 = set.state[2], s3 = set.state[3], s4 = set.state[4];
    for (int k = 0; k < count; ++k)
    {
        const double x = static_cast<double>(samples[k]) * samples[k];
        s0 = b0[0] * x + b1[0] * previous - a1[0] * s0;
        s1 = b0[1] * x + b1[1] * previous - a1[1] * s1;
        s2 = b0[2] * x + b1[2] * previous - a1[2] * s2;
        s3 = b0[3] * x + b1[3] * previous - a1[3] * s3;
        s4 = b0[4] * x + b1[4] * previous - a1[4] * s4;
        previous = x;
    }
    set.state[0] = s0;
    set.state[1] = s1;
    set.state[2] = s2;
    set.state[3] = s3;
    set.state[4] = s4;
    m_lastSquared = previous;
    EndPiece(set);
}

namespace
{
// One meter's share of a side-by-side pass: its samples, the envelope follower's rectifier and
// smoothing section, and the five detectors.
struct MeterLane
{
    const float* samples = nullptr;
    double envelope = 0.0;
    double attack = 0.0;
    double release = 0.0;
    double smoothB0 = 0.0, smoothB1 = 0.0, smoothA1 = 0.0;
    double smoothX1 = 0.0, smoothY1 = 0.0;
    double b0[CLevelMeter::kDetectors] = {};
    double b1[CLevelMeter::kDetectors] = {};
    double a1[CLevelMeter::kDetectors] = {};
    double state[CLevelMeter::kDetectors] = {};
    double previous = 0.0;
};

constexpr int kMeterLanes = 4;
typedef double LaneDoubles __attribute__((vector_size(kMeterLanes * sizeof(double))));
typedef float LaneFloats __attribute__((vector_size(kMeterLanes * sizeof(float))));
typedef long long LaneBits __attribute__((vector_size(kMeterLanes * sizeof(long long))));

// The rectifier, its smoothing section and the detectors of up to four meters, each lane computed
// with the operations and in the order of the one-meter code (no fused multiply-add in either
// target), so the levels are bit for bit the same.
__attribute__((always_inline)) inline void RunMeterLanesT(MeterLane* lanes, int used, int count)
{
    using D = LaneDoubles;
    LaneDoubles env{}, attack{}, release{}, sb0{}, sb1{}, sa1{}, sx1{}, sy1{}, previous{};
    LaneDoubles b0[CLevelMeter::kDetectors] = {}, b1[CLevelMeter::kDetectors] = {},
                a1[CLevelMeter::kDetectors] = {}, s[CLevelMeter::kDetectors] = {};
    for (int l = 0; l < used; ++l)
    {
        const MeterLane& lane = lanes[l];
        env[l] = lane.envelope;
        attack[l] = lane.attack;
        release[l] = lane.release;
        sb0[l] = lane.smoothB0;
        sb1[l] = lane.smoothB1;
        sa1[l] = lane.smoothA1;
        sx1[l] = lane.smoothX1;
        sy1[l] = lane.smoothY1;
        previous[l] = lane.previous;
        for (int d = 0; d < CLevelMeter::kDetectors; ++d)
        {
            b0[d][l] = lane.b0[d];
            b1[d][l] = lane.b1[d];
            a1[d][l] = lane.a1[d];
            s[d][l] = lane.state[d];
        }
    }
    const float* in[kMeterLanes];
    float zero = 0.0f;
    for (int l = 0; l < kMeterLanes; ++l)
        in[l] = l < used ? lanes[l].samples : &zero;
    const int step[kMeterLanes] = {used > 0 ? 1 : 0, used > 1 ? 1 : 0, used > 2 ? 1 : 0, used > 3 ? 1 : 0};
    const LaneBits magnitude = {0x7FFFFFFFFFFFFFFFLL, 0x7FFFFFFFFFFFFFFFLL, 0x7FFFFFFFFFFFFFFFLL,
                                0x7FFFFFFFFFFFFFFFLL};
    for (int k = 0; k < count; ++k)
    {
        const LaneFloats xf = {in[0][k * step[0]], in[1][k * step[1]], in[2][k * step[2]],
                               in[3][k * step[3]]};
        const D x = __builtin_convertvector(xf, D);
        // Rectifier: a fast attack and a slow release towards |x|.
        const D rectified = reinterpret_cast<D>(reinterpret_cast<LaneBits>(x) & magnitude);
        const D coefficient = rectified > env ? attack : release;
        env += coefficient * (rectified - env);
        // The smoothing section sees the rectifier's output in single precision.
        const D smoothIn = __builtin_convertvector(__builtin_convertvector(env, LaneFloats), D);
        D acc = sb0 * smoothIn;
        acc += sb1 * sx1;
        acc -= sa1 * sy1;
        sx1 = smoothIn;
        sy1 = acc;
        // Detectors on the squared sample.
        const D squared = x * x;
        for (int d = 0; d < CLevelMeter::kDetectors; ++d)
            s[d] = b0[d] * squared + b1[d] * previous - a1[d] * s[d];
        previous = squared;
    }
    for (int l = 0; l < used; ++l)
    {
        MeterLane& lane = lanes[l];
        lane.envelope = env[l];
        lane.smoothX1 = sx1[l];
        lane.smoothY1 = sy1[l];
        lane.previous = previous[l];
        for (int d = 0; d < CLevelMeter::kDetectors; ++d)
            lane.state[d] = s[d][l];
    }
}
// Once for AVX2 and once for the SSE2 baseline, chosen at run time (not through target_clones: its
// resolvers run before a sanitiser's runtime is up).
__attribute__((target("avx2"))) void RunMeterLanesAvx2(MeterLane* lanes, int used, int count)
{
    RunMeterLanesT(lanes, used, count);
}

void RunMeterLanesSse2(MeterLane* lanes, int used, int count)
{
    RunMeterLanesT(lanes, used, count);
}

void RunMeterLanes(MeterLane* lanes, int used, int count)
{
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        RunMeterLanesAvx2(lanes, used, count);
    else
        RunMeterLanesSse2(lanes, used, count);
}
}  // namespace

void CLevelMeter::ProcessLanes(std::span<CLevelMeter* const> meters, std::span<const float* const> samples,
                               int count)
{
    if (count < 1)
        return;
    std::array<MeterLane, kMeterLanes> lanes;
    std::array<CLevelMeter*, kMeterLanes> owners{};
    std::array<CDesignedFilter*, kMeterLanes> smoothing{};
    std::array<DetectorSet, kMeterLanes> sets;
    int used = 0;
    const auto flush = [&]
    {
        if (used == 0)
            return;
        RunMeterLanes(lanes.data(), used, count);
        for (int l = 0; l < used; ++l)
        {
            const std::size_t i = static_cast<std::size_t>(l);
            CLevelMeter& meter = *owners[i];
            const MeterLane& lane = lanes[i];
            meter.m_envelope.m_state = lane.envelope;
            CIirFilter& section = smoothing[i]->GetSection(0);
            const double state[4] = {lane.smoothX1, 0.0, lane.smoothY1, 0.0};
            section.SetSectionState(state);
            const float last =
                static_cast<float>(lane.smoothY1) * static_cast<float>(smoothing[i]->GetGain());
            meter.m_ccirLevel = std::max(0.0, static_cast<double>(last));
            meter.m_lastSquared = lane.previous;
            for (int d = 0; d < kDetectors; ++d)
                sets[i].state[d] = lane.state[d];
            meter.EndPiece(sets[i]);
        }
        used = 0;
    };
    for (std::size_t m = 0; m < meters.size() && m < samples.size(); ++m)
    {
        CLevelMeter* meter = meters[m];
        if (!meter)
            continue;
        CDesignedFilter* filter = nullptr;
        if (meter->m_sampleRate > 0.0 && count <= kWorkSamples)
        {
            meter->m_envelope.m_sampleRate = meter->m_sampleRate;
            filter = meter->m_envelope.PrepareLane();
        }
        if (!filter)
        {
            meter->ProcessBlock(samples[m], count);
            continue;
        }
        const std::size_t i = static_cast<std::size_t>(used);
        meter->BeginPiece(samples[m], count);
        meter->SetUpDetectors(sets[i]);
        MeterLane& lane = lanes[i];
        lane.samples = samples[m];
        lane.envelope = meter->m_envelope.m_state;
        lane.attack = meter->m_envelope.m_attackCoefficient;
        lane.release = meter->m_envelope.m_releaseCoefficient;
        const CIirFilter& section = filter->GetSection(0);
        lane.smoothB0 = section.GetB()[0];
        lane.smoothB1 = section.GetB()[1];
        lane.smoothA1 = section.GetA()[1];
        double state[4];
        section.GetSectionState(state);
        lane.smoothX1 = state[0];
        lane.smoothY1 = state[2];
        for (int d = 0; d < kDetectors; ++d)
        {
            lane.b0[d] = sets[i].b0[d];
            lane.b1[d] = sets[i].b1[d];
            lane.a1[d] = sets[i].a1[d];
            lane.state[d] = sets[i].state[d];
        }
        lane.previous = meter->m_lastSquared;
        owners[i] = meter;
        smoothing[i] = filter;
        if (++used == kMeterLanes)
            flush();
    }
    flush();
}

double CLevelMeter::GetLevel(int index) const
{
    switch (index)
    {
        case kLevelImpulse:
            return m_levelImpulse;
        case kLevelFast:
            return m_levelFast;
        case kLevelSlow:
            return m_levelSlow;
        case kLevelCcir:
            return m_ccirLevel;
        case kLevelEquivalent:
            return m_rmsSinceReset;
        case kLevel10s:
            return m_level10s;
        case kLevel60s:
            return m_level60s;
        case kLevelInterval:
            return m_intervalRms;
        case kLevelLastInterval:
            return m_lastIntervalRms;
        case kLevelMaxInterval:
            return m_maxIntervalRms;
        default:
            return 0.0;
    }
}

void CLevelMeter::EndLoggerInterval()
{
    m_intervalMin = 1e99;
    m_intervalMax = -1e99;
    m_lastIntervalRms = m_intervalRms;
    m_maxIntervalRms = std::max(m_maxIntervalRms, m_intervalRms);
    m_intervalRms = 0.0;
    m_intervalEnergy = 0.0;
    m_intervalSampleCount = 0;
    m_previousBlockPeak = m_blockPeak;
    m_peakHold = std::max(m_peakHold, m_blockPeak);
    m_blockPeak = 0.0;
    m_blockCounter = 0;
}

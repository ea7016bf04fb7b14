#include "dsp/BandAnalyzer.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "common/FloatSort.h"
#include "dsp/BiquadLanes.h"
#include "dsp/FloatMatrix.h"
#include "dsp/LoggerRangeStatistics.h"
#include "dsp/FrequencyWeighting.h"

namespace
{
// The decade of nominal band centres; the table runs from 1 Hz (index 0) to 1 MHz (index 60). The band
// at index i is filtered around its exact base-ten mid-band frequency 10^(i/10) Hz (1000 Hz at index
// 30); the nominal value only names it.
constexpr double kDecade[] = {1.0, 1.25, 1.6, 2.0, 2.5, 3.15, 4.0, 5.0, 6.3, 8.0};
constexpr int kNominalCount = 61;

double NominalCenterAt(int index)
{
    return kDecade[index % 10] * std::pow(10.0, index / 10);
}

double MidbandAt(int index)
{
    return std::pow(10.0, index / 10.0);
}

// A band is filtered at half the rate when its upper edge lies below this fraction of the running
// rate. With the anti-alias low-pass at kDecimationCorner of the rate, a band just below a halving
// still reads a tone at its centre within 0.05 dB, and what folds into it is attenuated by 30 dB
// (at the former 0.227 / 0.225 pair the band just below a halving lost 0.4 dB at its centre).
constexpr double kHalvingLimit = 0.16;
constexpr double kDecimationCorner = 0.24;
constexpr int kDecimationOrder = 5;
constexpr int kBandOrder = 6;
// Limits for a range that does not fit below half the rate.
constexpr double kMinFallback = 0.4;
constexpr double kMaxFallback = 0.475;
constexpr double kNextBandStep = 0.999;

void DesignNow(CDesignedFilter& filter)
{
    float none = 0.0f;
    filter.Process(&none, 0);
}
}  // namespace

double HalfBandFactor(int bandsPerOctave)
{
    return std::pow(10.0, 0.15 / bandsPerOctave);
}

double NominalBandCenter(double f, int bandsPerOctave, double* upperEdge, double* midband)
{
    const double h = HalfBandFactor(bandsPerOctave);
    const int step = bandsPerOctave == 1 ? 3 : 1;
    for (int index = kNominalCount - 1; index >= 0; index -= step)
    {
        const double m = MidbandAt(index);
        if (m * h <= f)
        {
            if (upperEdge)
                *upperEdge = m * h;
            if (midband)
                *midband = m;
            return NominalCenterAt(index);
        }
    }
    return -1.0;
}

CBandAnalyzer::ExclusiveUse::ExclusiveUse(CBandAnalyzer& owner) : m_owner(owner)
{
    int expected = kIdle;
    while (!m_owner.m_useState.compare_exchange_weak(expected, kConfiguring, std::memory_order_acquire))
    {
        expected = kIdle;
        std::this_thread::yield();
    }
}

CBandAnalyzer::ExclusiveUse::~ExclusiveUse()
{
    m_owner.m_useState.store(kIdle, std::memory_order_release);
}

CBandAnalyzer::CBandAnalyzer() : m_laneBuffer(static_cast<std::size_t>(kLaneBands) * kMaxChunk, 0.0f)
{
    m_bandDecimation.fill(1);
}

CBandAnalyzer::~CBandAnalyzer() = default;

CFilterStage* CBandAnalyzer::GetWeightingFilter(int code)
{
    return m_weightingFilters.Get(code);
}

void CBandAnalyzer::SelectWidebandSlots()
{
    struct Slot
    {
        int weighting;
        int meter;
    };
    static constexpr Slot kSet0[] = {{kWeightingZ, 0}, {kWeightingA, 2}, {kWeightingC, 1}};
    static constexpr Slot kSet1[] = {{kWeightingZ, 0},  {kWeightingA, 2}, {kWeightingC, 1},
                                     {kWeightingAU, 4}, {kWeightingU, 3}, {kWeightingUS1, 5}};
    constexpr int kExtraMeter = 6;
    std::span<const Slot> slots;
    if (m_widebandSet == 0)
        slots = kSet0;
    else if (m_widebandSet == 1)
        slots = kSet1;
    m_widebandCount = 0;
    bool displayed = false;
    for (const Slot& slot : slots)
    {
        m_widebandWeightings[m_widebandCount] = slot.weighting;
        m_widebandMeters[m_widebandCount] = &m_meters[slot.meter];
        m_widebandFilters[m_widebandCount] = GetWeightingFilter(slot.weighting);
        ++m_widebandCount;
        displayed = displayed || slot.weighting == m_displayWeighting;
    }
    if (!slots.empty() && !displayed)
    {
        m_widebandWeightings[m_widebandCount] = m_displayWeighting;
        m_widebandMeters[m_widebandCount] = &m_meters[kExtraMeter];
        m_widebandFilters[m_widebandCount] = GetWeightingFilter(m_displayWeighting);
        ++m_widebandCount;
    }
    for (int i = m_widebandCount; i < kMaxBands; ++i)
    {
        m_widebandMeters[i] = nullptr;
        m_widebandFilters[i] = nullptr;
    }
    const int slot = FindWidebandSlot(m_displayWeighting);
    m_currentMeter = slot >= 0 ? m_widebandMeters[slot] : &m_meters[0];
    if (m_logger)
        m_logger->SetWidebandWeightings(std::span<const int>(m_widebandWeightings.data(), m_widebandCount));
}

int CBandAnalyzer::FindWidebandSlot(int code) const
{
    for (int i = 0; i < m_widebandCount; ++i)
    {
        if (m_widebandWeightings[i] == code)
            return i;
    }
    return -1;
}

int CBandAnalyzer::GetLoggedBandCount() const
{
    return m_logger ? m_logger->GetLoggedBandCount() : 0;
}

void CBandAnalyzer::CopySettingsToLogger()
{
    ExclusiveUse hold(*this);
    SelectWidebandSlots();
    if (m_logger)
        m_logger->SetBandConfiguration(m_sampleRate, m_minFrequency, m_maxFrequency, m_bandsPerOctave,
                                       std::span<const double>(m_bandCenters.data(), m_bandCount));
}

void CBandAnalyzer::FeedMeter(CLevelMeter* meter, float* samples, int count)
{
    meter->ProcessBlock(samples, count);
}

void CBandAnalyzer::Configure()
{
    ExclusiveUse hold(*this);
    ConfigureLocked();
}

void CBandAnalyzer::ConfigureLocked()
{
    if (m_sampleRate / 2.0 <= m_minFrequency)
        m_minFrequency = kMinFallback * m_sampleRate;
    if (m_sampleRate / 2.0 <= m_maxFrequency)
        m_maxFrequency = kMaxFallback * m_sampleRate;

    SelectWidebandSlots();
    for (int i = 0; i < m_widebandCount; ++i)
    {
        m_widebandMeters[i]->m_sampleRate = m_sampleRate;
        if (m_widebandFilters[i])
            m_widebandFilters[i]->m_nSampleRate = static_cast<int>(m_sampleRate);
    }
    m_energyTrace.m_sampleRate = m_sampleRate;
    m_energyTrace.Configure();

    int count = 0;
    const double h = m_bandsPerOctave >= 1 ? HalfBandFactor(m_bandsPerOctave) : 1.0;
    if (m_bandsPerOctave >= 1 && m_bandsEnabled)
    {
        double x = m_maxFrequency;
        while (count < kMaxBands)
        {
            double upper = 0.0;
            double mid = 0.0;
            if (NominalBandCenter(x, m_bandsPerOctave, &upper, &mid) < 0.0)
                break;
            ++count;
            x = upper * kNextBandStep;
            if (mid / h < m_minFrequency)
                break;
        }
    }
    m_bandCount = count;

    for (int i = 0; i < m_bandCount; ++i)
    {
        m_bandDecimators[i].SetFactor(1);
        if (!m_bandMeters[i])
            m_bandMeters[i] = std::make_unique<CLevelMeter>();
        m_bandMeters[i]->m_sampleRate = m_sampleRate;
        m_bandMeters[i]->Reset();
        if (!m_bandDecimationFilters[i])
            m_bandDecimationFilters[i] = std::make_unique<CDesignedFilter>();
        if (!m_bandFilters[i])
            m_bandFilters[i] = std::make_unique<CDesignedFilter>();
    }

    if (m_workCapacity < kMinWorkCapacity)
    {
        m_workBuffer.assign(kMinWorkCapacity, 0.0f);
        m_inputCopy.assign(kMinWorkCapacity, 0.0f);
        m_workCapacity = kMinWorkCapacity;
    }

    int d = 1;
    double x = m_maxFrequency;
    for (int i = m_bandCount - 1; i >= 0; --i)
    {
        double upper = 0.0;
        double mid = 0.0;
        m_bandCenters[i] = NominalBandCenter(x, m_bandsPerOctave, &upper, &mid);
        m_bandMidFrequencies[i] = mid;
        const double lower = mid / h;
        CDesignedFilter& decimation = *m_bandDecimationFilters[i];
        decimation.m_dSampleRate = m_sampleRate / d;
        if (upper < kHalvingLimit * m_sampleRate / d)
        {
            m_bandDecimators[i].SetFactor(2);
            d *= 2;
        }
        decimation.m_full.m_bEnabled = 1;
        decimation.m_dHighCorner = kDecimationCorner * decimation.m_dSampleRate;
        decimation.m_dLowCorner = 0.0;
        decimation.m_nOrder = kDecimationOrder;
        decimation.m_bBandStop = 0;
        decimation.m_nDesignKind = kDesignButterworth;
        decimation.m_bTwice = 1;
        decimation.m_dDesignedRate = -1.0;
        DesignNow(decimation);
        decimation.Reset();

        CDesignedFilter& band = *m_bandFilters[i];
        band.m_full.m_bEnabled = 1;
        band.m_dHighCorner = upper;
        band.m_dLowCorner = lower;
        band.m_nOrder = kBandOrder;
        band.m_bBandStop = 0;
        band.m_nDesignKind = kDesignButterworth;
        band.m_bTwice = 0;
        band.m_dSampleRate = m_sampleRate / d;
        band.m_dDesignedRate = -1.0;
        DesignNow(band);
        band.Reset();

        m_bandDecimation[i] = d;
        m_bandMeters[i]->m_sampleRate = m_sampleRate / d;
        m_bandMeters[i]->m_decimationFactor = d;
        x = upper * kNextBandStep;
    }

    ResetLevelsLocked();
    ResetLevelsLocked();
    if (m_loggingActive.load() && m_logger)
        m_logger->SetBandConfiguration(m_sampleRate, m_minFrequency, m_maxFrequency, m_bandsPerOctave,
                                       std::span<const double>(m_bandCenters.data(), m_bandCount));
}

void CBandAnalyzer::ResetLevels()
{
    ExclusiveUse hold(*this);
    ResetLevelsLocked();
}

void CBandAnalyzer::ResetLevelsLocked()
{
    for (std::unique_ptr<CLevelMeter>& meter : m_bandMeters)
    {
        if (meter)
            meter->Reset();
    }
    for (int i = 0; i < m_widebandCount; ++i)
        m_widebandMeters[i]->Reset();
    m_energyTrace.Reset();
}

void CBandAnalyzer::ProcessBlock(const float* samples, int count)
{
    int expected = kIdle;
    if (!m_useState.compare_exchange_strong(expected, kProcessing, std::memory_order_acquire))
    {
        m_skippedBlocks.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    const bool logging = IsLogging();
    if (logging && m_logger->IsWaveRecorderOn())
        m_logger->RecordSamples(samples, count,
                                1.0 / std::pow(10.0, 0.05 * m_logger->GetCalibrationOffset()));
    if (m_enabled)
    {
        int done = 0;
        int emptyChunks = 0;
        while (done < count)
        {
            const bool chunkLogging = IsLogging();
            std::int64_t n = std::min(count - done, kMaxChunk);
            // A logger whose interval is shorter than one sample would otherwise hold the block in
            // empty chunks for ever: after one empty chunk the next one goes ahead regardless.
            if (chunkLogging && emptyChunks == 0)
                n = std::clamp<std::int64_t>(m_logger->GetSamplesToIntervalEnd(), 0, n);
            emptyChunks = n == 0 ? emptyChunks + 1 : 0;
            if (n > 0)
                ProcessChunk(samples + done, static_cast<int>(n));
            if (chunkLogging)
            {
                m_logger->ConsumeSamples(static_cast<int>(n));
                if (m_logger->GetSamplesToIntervalEnd() <= 0)
                    CompleteLoggerInterval();
            }
            done += static_cast<int>(n);
        }
    }
    m_useState.store(kIdle, std::memory_order_release);
}

void CBandAnalyzer::ProcessChunk(const float* samples, int n)
{
    ProcessWideband(samples, n);
    CBandAnalyzer* self = this;
    ProcessBands(std::span<CBandAnalyzer* const>(&self, 1), std::span<const float* const>(&samples, 1), n);
}

void CBandAnalyzer::ProcessWideband(std::span<CBandAnalyzer* const> group,
                                    std::span<const float* const> samples, int n)
{
    // Slot by slot, the analysers' weightings that are bank stages (the same weighting of every
    // analyser one after the other, so that they share lanes); an analyser with more slots than lane
    // rows goes its own way.
    std::array<CBiquadLanes::WeightingLane, static_cast<std::size_t>(kChannelGroup) * kLaneBands> lanes{};
    std::size_t used = 0;
    const std::size_t size = std::min<std::size_t>(group.size(), kChannelGroup);
    for (std::size_t a = 0; a < size; ++a)
    {
        CBandAnalyzer& analyzer = *group[a];
        if (analyzer.m_widebandCount > kLaneBands || analyzer.m_workCapacity < n)
        {
            analyzer.ProcessWideband(samples[a], n);
            continue;
        }
        float* work = analyzer.m_workBuffer.data();
        std::copy(samples[a], samples[a] + n, work);
        analyzer.m_energyTrace.Process(work, n);
    }
    for (int slot = 0; slot < kLaneBands; ++slot)
        for (std::size_t a = 0; a < size; ++a)
        {
            CBandAnalyzer& analyzer = *group[a];
            if (analyzer.m_widebandCount > kLaneBands || analyzer.m_workCapacity < n ||
                slot >= analyzer.m_widebandCount)
                continue;
            float* row = analyzer.m_laneBuffer.data() + static_cast<std::size_t>(slot) * kMaxChunk;
            CFilterStage* filter = analyzer.m_widebandFilters[static_cast<std::size_t>(slot)];
            CBankWeightingFilter* bank = analyzer.m_weightingFilters.GetBank(
                analyzer.m_widebandWeightings[static_cast<std::size_t>(slot)]);
            if (filter && bank && filter == static_cast<CFilterStage*>(bank))
            {
                lanes[used++] = {bank, samples[a], row};
                continue;
            }
            std::copy(samples[a], samples[a] + n, row);
            if (filter)
                filter->Process(row, n);
        }
    CBiquadLanes::RunWeightings(std::span<const CBiquadLanes::WeightingLane>(lanes.data(), used), n);
    for (std::size_t a = 0; a < size; ++a)
    {
        CBandAnalyzer& analyzer = *group[a];
        if (analyzer.m_widebandCount > kLaneBands || analyzer.m_workCapacity < n)
            continue;
        std::array<const float*, kLaneBands> rows{};
        for (int l = 0; l < analyzer.m_widebandCount; ++l)
            rows[static_cast<std::size_t>(l)] =
                analyzer.m_laneBuffer.data() + static_cast<std::size_t>(l) * kMaxChunk;
        CLevelMeter::ProcessLanes(
            std::span<CLevelMeter* const>(analyzer.m_widebandMeters.data(),
                                          static_cast<std::size_t>(analyzer.m_widebandCount)),
            std::span<const float* const>(rows.data(), static_cast<std::size_t>(analyzer.m_widebandCount)),
            n);
    }
}

void CBandAnalyzer::ProcessWideband(const float* samples, int n)
{
    if (m_workCapacity < n)
    {
        // Only an analyser that was never configured gets here: Configure sizes the buffers beyond
        // the largest chunk.
        m_workBuffer.assign(static_cast<std::size_t>(n), 0.0f);
        m_inputCopy.assign(static_cast<std::size_t>(n), 0.0f);
        m_workCapacity = n;
    }
    float* work = m_workBuffer.data();
    std::copy(samples, samples + n, work);
    m_energyTrace.Process(work, n);

    // The weighted signals side by side in the lane rows, then their meters side by side.
    for (int from = 0; from < m_widebandCount; from += kLaneBands)
    {
        const int used = std::min(kLaneBands, m_widebandCount - from);
        std::array<const float*, kLaneBands> rows{};
        for (int l = 0; l < used; ++l)
        {
            float* row = m_laneBuffer.data() + static_cast<std::size_t>(l) * kMaxChunk;
            std::copy(samples, samples + n, row);
            if (CFilterStage* filter = m_widebandFilters[static_cast<std::size_t>(from + l)])
                filter->Process(row, n);
            rows[static_cast<std::size_t>(l)] = row;
        }
        CLevelMeter::ProcessLanes(std::span<CLevelMeter* const>(m_widebandMeters.data() + from, used),
                                  std::span<const float* const>(rows.data(), used), n);
    }
}

namespace
{
// Runs the lanes whose lengths are equal together, one length after the other (the analysers of a
// group halve their rates in step, so there is almost always one length).
template <typename Item, std::size_t N, typename Run>
void ForEachLength(const std::array<Item, N>& items, const std::array<int, N>& lengths, int count, Run run)
{
    std::array<bool, N> done{};
    for (int a = 0; a < count; ++a)
    {
        if (done[static_cast<std::size_t>(a)])
            continue;
        const int length = lengths[static_cast<std::size_t>(a)];
        std::array<Item, N> same{};
        int used = 0;
        for (int b = a; b < count; ++b)
            if (!done[static_cast<std::size_t>(b)] && lengths[static_cast<std::size_t>(b)] == length)
            {
                same[static_cast<std::size_t>(used++)] = items[static_cast<std::size_t>(b)];
                done[static_cast<std::size_t>(b)] = true;
            }
        if (length > 0)
            run(std::span<const Item>(same.data(), static_cast<std::size_t>(used)), length);
    }
}
}  // namespace

void CBandAnalyzer::ProcessBands(std::span<CBandAnalyzer* const> group, std::span<const float* const> samples,
                                 int n)
{
    // The bands between two halvings of the rate filter the same signal, and the analysers of the
    // group share their band layout: the cascades of a stage, and the halving filters of the
    // channels, run side by side.
    constexpr std::size_t kLanes = static_cast<std::size_t>(kChannelGroup) * kLaneBands;
    const int channels = static_cast<int>(std::min<std::size_t>(group.size(), kChannelGroup));
    if (channels < 1)
        return;
    std::array<int, kChannelGroup> lengths{};
    for (int a = 0; a < channels; ++a)
    {
        const std::size_t k = static_cast<std::size_t>(a);
        std::copy(samples[k], samples[k] + n, group[k]->m_inputCopy.data());
        lengths[k] = n;
    }
    const CBandAnalyzer& lead = *group[0];
    int i = lead.m_bandCount - 1;
    while (i >= 0)
    {
        if (lead.m_bandDecimators[i].m_nFactor == 2)
        {
            std::array<CBiquadLanes::Lane, kChannelGroup> halving{};
            for (int a = 0; a < channels; ++a)
            {
                CBandAnalyzer& analyzer = *group[static_cast<std::size_t>(a)];
                float* running = analyzer.m_inputCopy.data();
                halving[static_cast<std::size_t>(a)] = {analyzer.m_bandDecimationFilters[i].get(), running,
                                                        running};
            }
            ForEachLength(halving, lengths, channels,
                          [](std::span<const CBiquadLanes::Lane> lanes, int length)
                          { CBiquadLanes::Run(lanes, length); });
            for (int a = 0; a < channels; ++a)
            {
                CBandAnalyzer& analyzer = *group[static_cast<std::size_t>(a)];
                int& length = lengths[static_cast<std::size_t>(a)];
                length = analyzer.m_bandDecimators[i].Process(analyzer.m_inputCopy.data(), length);
            }
        }
        int stageBands = 0;
        do
        {
            ++stageBands;
            --i;
        } while (i >= 0 && lead.m_bandDecimators[i].m_nFactor != 2 && stageBands < kLaneBands);

        std::array<CBiquadLanes::Lane, kLanes> lanes{};
        std::array<CLevelMeter*, kLanes> meters{};
        std::array<int, kLanes> laneLengths{};
        int used = 0;
        for (int l = 0; l < stageBands; ++l)
        {
            const int band = i + stageBands - l;
            for (int a = 0; a < channels; ++a)
            {
                CBandAnalyzer& analyzer = *group[static_cast<std::size_t>(a)];
                const std::size_t k = static_cast<std::size_t>(used++);
                float* out = analyzer.m_laneBuffer.data() + static_cast<std::size_t>(l) * kMaxChunk;
                lanes[k] = {analyzer.m_bandFilters[band].get(), analyzer.m_inputCopy.data(), out};
                meters[k] = analyzer.m_bandMeters[band].get();
                laneLengths[k] = lengths[static_cast<std::size_t>(a)];
            }
        }
        ForEachLength(lanes, laneLengths, used,
                      [](std::span<const CBiquadLanes::Lane> run, int length)
                      { CBiquadLanes::Run(run, length); });
        struct Feed
        {
            CLevelMeter* meter;
            const float* samples;
        };
        std::array<Feed, kLanes> feeds{};
        for (int k = 0; k < used; ++k)
            feeds[static_cast<std::size_t>(k)] = {meters[static_cast<std::size_t>(k)],
                                                  lanes[static_cast<std::size_t>(k)].output};
        ForEachLength(feeds, laneLengths, used,
                      [](std::span<const Feed> run, int length)
                      {
                          std::array<CLevelMeter*, kLanes> m{};
                          std::array<const float*, kLanes> x{};
                          for (std::size_t k = 0; k < run.size(); ++k)
                          {
                              m[k] = run[k].meter;
                              x[k] = run[k].samples;
                          }
                          CLevelMeter::ProcessLanes(std::span<CLevelMeter* const>(m.data(), run.size()),
                                                    std::span<const float* const>(x.data(), run.size()),
                                                    length);
                      });
    }
}

bool CBandAnalyzer::SharesBandLayout(const CBandAnalyzer& other) const
{
    if (m_bandCount != other.m_bandCount)
        return false;
    for (int i = 0; i < m_bandCount; ++i)
        if (m_bandDecimators[i].m_nFactor != other.m_bandDecimators[i].m_nFactor)
            return false;
    return true;
}

void CBandAnalyzer::ProcessChannels(std::span<CBandAnalyzer* const> analyzers,
                                    std::span<const float* const> samples, int count)
{
    // Analysers that are switched off go their own way; the others are held as ProcessBlock holds one
    // and analysed in groups of one band layout, whose chunks end where a logging member's interval
    // ends.
    std::array<CBandAnalyzer*, kChannelGroup> held{};
    std::array<const float*, kChannelGroup> heldSamples{};
    int heldCount = 0;
    const auto analyseHeld = [&]
    {
        std::array<bool, kChannelGroup> done{};
        for (int a = 0; a < heldCount; ++a)
        {
            if (done[static_cast<std::size_t>(a)])
                continue;
            std::array<CBandAnalyzer*, kChannelGroup> group{};
            std::array<const float*, kChannelGroup> groupSamples{};
            int size = 0;
            for (int b = a; b < heldCount; ++b)
                if (!done[static_cast<std::size_t>(b)] &&
                    held[static_cast<std::size_t>(b)]->SharesBandLayout(*held[static_cast<std::size_t>(a)]))
                {
                    group[static_cast<std::size_t>(size)] = held[static_cast<std::size_t>(b)];
                    groupSamples[static_cast<std::size_t>(size++)] = heldSamples[static_cast<std::size_t>(b)];
                    done[static_cast<std::size_t>(b)] = true;
                }
            // A logging member cuts the group's chunks at its interval ends, as its ProcessBlock would.
            for (int at = 0; at < count;)
            {
                int n = std::min(kMaxChunk, count - at);
                std::array<bool, kChannelGroup> logging{};
                for (int g = 0; g < size; ++g)
                {
                    CBandAnalyzer* member = group[static_cast<std::size_t>(g)];
                    logging[static_cast<std::size_t>(g)] = member->IsLogging();
                    if (logging[static_cast<std::size_t>(g)])
                        if (const std::int64_t left = member->m_logger->GetSamplesToIntervalEnd(); left > 0)
                            n = static_cast<int>(std::min<std::int64_t>(n, left));
                }
                std::array<const float*, kChannelGroup> chunk{};
                for (int g = 0; g < size; ++g)
                    chunk[static_cast<std::size_t>(g)] = groupSamples[static_cast<std::size_t>(g)] + at;
                ProcessWideband(std::span<CBandAnalyzer* const>(group.data(), static_cast<std::size_t>(size)),
                                std::span<const float* const>(chunk.data(), static_cast<std::size_t>(size)),
                                n);
                ProcessBands(std::span<CBandAnalyzer* const>(group.data(), static_cast<std::size_t>(size)),
                             std::span<const float* const>(chunk.data(), static_cast<std::size_t>(size)), n);
                for (int g = 0; g < size; ++g)
                {
                    if (!logging[static_cast<std::size_t>(g)])
                        continue;
                    CBandAnalyzer* member = group[static_cast<std::size_t>(g)];
                    member->m_logger->ConsumeSamples(n);
                    if (member->m_logger->GetSamplesToIntervalEnd() <= 0)
                        member->CompleteLoggerInterval();
                }
                at += n;
            }
        }
        for (int a = 0; a < heldCount; ++a)
            held[static_cast<std::size_t>(a)]->m_useState.store(kIdle, std::memory_order_release);
        heldCount = 0;
    };
    for (std::size_t c = 0; c < analyzers.size() && c < samples.size(); ++c)
    {
        CBandAnalyzer* analyzer = analyzers[c];
        if (!analyzer)
            continue;
        // A logger whose interval is not open (shorter than a sample) is served by ProcessBlock.
        const bool logging = analyzer->IsLogging();
        if (count <= 0 || !analyzer->m_enabled ||
            (logging && analyzer->m_logger->GetSamplesToIntervalEnd() <= 0))
        {
            analyzer->ProcessBlock(samples[c], count);
            continue;
        }
        int expected = kIdle;
        if (!analyzer->m_useState.compare_exchange_strong(expected, kProcessing, std::memory_order_acquire))
        {
            analyzer->m_skippedBlocks.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        if (logging && analyzer->m_logger->IsWaveRecorderOn())
            analyzer->m_logger->RecordSamples(
                samples[c], count, 1.0 / std::pow(10.0, 0.05 * analyzer->m_logger->GetCalibrationOffset()));
        held[static_cast<std::size_t>(heldCount)] = analyzer;
        heldSamples[static_cast<std::size_t>(heldCount++)] = samples[c];
        if (heldCount == kChannelGroup)
            analyseHeld();
    }
    analyseHeld();
}

void CBandAnalyzer::CompleteLoggerInterval()
{
    if (m_logger->GetBlocksCounted() >= m_logger->GetPlannedBlocks() - 1 && !m_logger->IsDinModeActive())
    {
        m_logger->Stop();
        m_logger->RequestStopCommand();
    }
    const int bands = std::clamp(m_logger->GetLoggedBandCount(), 0, static_cast<int>(m_bandCount));
    std::array<CLevelMeter*, kMaxBands> bandMeters{};
    for (int i = 0; i < bands; ++i)
        bandMeters[i] = m_bandMeters[i].get();
    m_logger->StoreBlock(std::span<CLevelMeter* const>(m_widebandMeters.data(), m_widebandCount),
                         std::span<CLevelMeter* const>(bandMeters.data(), bands));
    m_logger->BeginInterval();
}

bool CBandAnalyzer::StartLogging()
{
    if (!m_logger)
        return false;
    m_loggingActive.store(0);
    m_evaluatedFirst = m_evaluatedLast = -10;
    CopySettingsToLogger();
    // The logger tells the user why it has no memory; nothing starts then.
    if (!m_logger->AllocateBlocks())
        return false;
    ResetLevels();
    if (!m_logger->Start())
        return false;
    m_loggingActive.store(1);
    return true;
}

void CBandAnalyzer::StopLogging()
{
    {
        // A block in progress ends before the run does, so that no record is stored after the stop.
        ExclusiveUse hold(*this);
        m_loggingActive.store(0);
    }
    if (m_logger)
        m_logger->StopAndFinishDin();
}

bool CBandAnalyzer::LoadLoggerData(const std::string& path, const std::string& section, std::string* reason)
{
    if (!m_logger || m_logger->IsRunning())
        return false;
    if (!m_logger->ReadDataFile(path, section, reason))
        return false;
    m_evaluatedFirst = m_evaluatedLast = -10;
    EvaluateRange(-1, -1);
    return true;
}

bool CBandAnalyzer::CheckDinPeriod()
{
    if (!m_logger || !m_loggingActive.load() || !m_logger->IsDinModeActive())
        return false;
    return m_logger->CheckDinPeriod([this] { ResetLevels(); });
}

void CBandAnalyzer::EvaluateRange(int first, int last)
{
    if (!m_logger || m_logger->IsRunning() || (first == m_evaluatedFirst && last == m_evaluatedLast))
        return;
    // With nothing stored there is nothing to evaluate: the meters keep their levels.
    if (m_logger->GetStoredBlocks() <= 0)
        return;
    if (!m_widebandMeters[0])
        SelectWidebandSlots();
    std::vector<CLoggerRangeEntry> entries;
    ComputeLoggerRangeStatistics(*m_logger, entries, first, last);
    if (entries.empty())
        return;
    const std::int64_t n = entries[0].m_samples;
    const int slots = std::min(m_logger->GetRecordWidebandCount(), m_widebandCount);
    for (int i = 0; i < slots; ++i)
    {
        CLevelMeter* meter = m_widebandMeters[static_cast<std::size_t>(i)];
        const CLoggerRangeEntry& entry = entries[static_cast<std::size_t>(i)];
        if (!meter || n <= 0)
            continue;
        meter->m_sampleCount = n;
        meter->m_rmsSinceReset = std::sqrt(std::max(entry.m_mean.m_energyTotal, 0.0) / static_cast<double>(n));
        meter->m_maxFastLevel = entry.m_maximum.m_rmsFast;
        meter->m_maxSample = entry.m_maximum.m_splMax;
    }

    CFloatMatrix series;
    CLevelMeter& aMeter = m_meters[2];
    m_logger->FillTimeSeries(series, 3, 1, -1, -1, -1);
    if (series.GetColumns() > 0 && series.GetRows() > 0)
    {
        double sum = 0.0;
        double largest = 0.0;
        for (int j = 0; j < series.GetColumns(); ++j)
        {
            const double square = static_cast<double>(series.GetValue(j, 0)) * series.GetValue(j, 0);
            sum += square;
            largest = std::max(largest, square);
        }
        aMeter.m_taktMaxLast = std::sqrt(largest);
        aMeter.m_taktLevel = std::sqrt(sum / series.GetColumns());
        aMeter.m_taktRatio = aMeter.m_rmsSinceReset > 0.0 ? aMeter.m_taktLevel / aMeter.m_rmsSinceReset : 0.0;
    }
    const int recordWideband = m_logger->GetRecordWidebandCount();
    const int bands = std::min({m_logger->GetLoggedBandCount(), static_cast<int>(m_bandCount),
                                static_cast<int>(entries.size()) - recordWideband});
    for (int i = 0; i < bands; ++i)
    {
        CLevelMeter* meter = m_bandMeters[static_cast<std::size_t>(i)].get();
        const CLoggerRangeEntry& entry = entries[static_cast<std::size_t>(recordWideband + i)];
        if (!meter || n <= 0)
            continue;
        meter->m_rmsSinceReset = std::sqrt(std::max(entry.m_mean.m_energyTotal, 0.0) / static_cast<double>(n));
        meter->m_maxFastLevel = entry.m_maximum.m_rmsFast;
        // The largest interval level from the block energies (differences of the cumulative energy).
        double largest = 0.0;
        std::int64_t from = first;
        std::int64_t to = last;
        ClampLoggedRange(m_logger->GetStoredBlocks(), from, to);
        for (std::int64_t j = from; j <= to; ++j)
        {
            const double previous = j > 0 ? m_logger->GetRecord(j - 1, -1, i).m_energyTotal : 0.0;
            const std::int64_t samples = m_logger->GetSampleCount(j);
            if (samples > 0)
                largest = std::max(largest, (m_logger->GetRecord(j, -1, i).m_energyTotal - previous) /
                                                static_cast<double>(samples));
        }
        meter->m_maxIntervalRms = std::sqrt(largest);
    }
    m_logger->FillTimeSeries(series, 0, 1, -1, first, last);
    const int count = series.GetColumns();
    if (count >= 1 && series.GetRows() > 0)
    {
        SortFloats(series.GetRow(0), count);
        static constexpr double kPercents[] = {0.1, 1.0, 5.0, 10.0, 50.0, 90.0, 95.0, 99.0};
        for (std::size_t p = 0; p < std::size(kPercents); ++p)
        {
            const auto k = static_cast<int>((1.0 - kPercents[p] * 0.01) * (count - 1));
            aMeter.m_percentiles[p] = series.GetValue(k, 0);
        }
    }
    m_evaluatedFirst = first;
    m_evaluatedLast = last;
}

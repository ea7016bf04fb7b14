#include "dsp/Phonetogram.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "common/Blob.h"
#include "dsp/ArrayStatistics.h"
#include "dsp/Autocorrelation.h"
#include "dsp/FilterDesigner.h"
#include "platform/ByteOrder.h"
#include "platform/FileReplace.h"

namespace
{

using platform::LoadLittleEndian;
using platform::StoreLittleEndian;

constexpr int kGuardIdle = 0;
constexpr int kGuardBlock = 1;
constexpr int kGuardExclusive = 2;
constexpr auto kGuardWait = std::chrono::milliseconds(5);

constexpr int kFilterOrder = 4;

// The pitches of the two markers that draw the background line across the display.
constexpr float kLowMarkerPitch = 40.0f;
constexpr float kHighMarkerPitch = 2000.0f;

// Pitch ratios to the run's first point that still count as the same tone (1/1.15 .. 1.15).
constexpr double kMinToneRatio = 0.8695652173913044;
constexpr double kMaxToneRatio = 1.15;
// A gap of one block between points must not end a tone, whatever the gap setting.
constexpr double kGapAllowance = 0.01;
// Slack for the float times of the points when the points of a tone are looked up.
constexpr double kToneTimeSlack = 0.001;

constexpr int kHeaderBlockSize = 1024;
constexpr int kPointSectionTag = 1;
constexpr int kToneSectionTag = 2;
// The largest file a writer can produce: full header block, both sections full. Anything larger is
// not a phonetogram and is not read into memory.
constexpr std::uintmax_t kMaxFileBytes =
    4 + kHeaderBlockSize + 8 +
    static_cast<std::uintmax_t>(CPhonetogram::kMaxPoints) * CPhonetogramPoint::kRecordBytes + 8 +
    static_cast<std::uintmax_t>(CPhonetogram::kMaxTones) * CPhonetogramPoint::kRecordBytes;

void AppendInt32(std::string& out, std::int32_t value)
{
    std::uint8_t bytes[4];
    StoreLittleEndian(bytes, static_cast<std::uint32_t>(value));
    out.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

void AppendFloat(std::string& out, float value)
{
    AppendInt32(out, static_cast<std::int32_t>(std::bit_cast<std::uint32_t>(value)));
}

bool TakeUint32(std::span<const std::uint8_t>& bytes, std::uint32_t& value)
{
    if (bytes.size() < 4)
        return false;
    value = LoadLittleEndian<std::uint32_t>(bytes.data());
    bytes = bytes.subspan(4);
    return true;
}

bool TakeInt32(std::span<const std::uint8_t>& bytes, std::int32_t& value)
{
    std::uint32_t bits = 0;
    if (!TakeUint32(bytes, bits))
        return false;
    value = static_cast<std::int32_t>(bits);
    return true;
}

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

struct MallocFree
{
    void operator()(char* memory) const { std::free(memory); }
};

// The header block as CBlob writes it (int32 size, then the block).
bool BuildHeader(std::int32_t points, std::int32_t tones, std::int32_t bins, double sampleRate,
                 std::string& out)
{
    CBlob blob;
    blob.Reserve(kHeaderBlockSize);
    if (!blob.PushInt(0) || !blob.PushInt(points) || !blob.PushInt(tones) || !blob.PushInt(bins) ||
        !blob.PushDouble(sampleRate))
        return false;
    char* memory = nullptr;
    std::size_t size = 0;
    bool written = false;
    {
        FilePtr file(open_memstream(&memory, &size));
        if (!file)
            return false;
        written = blob.WriteToFile(file.get());
    }
    // The stream's buffer is valid only once the stream is closed.
    std::unique_ptr<char, MallocFree> owner(memory);
    if (!written || !memory)
        return false;
    out.assign(memory, size);
    return true;
}

// What Load takes from a file before anything of the phonetogram changes.
struct LoadedFile
{
    std::int32_t pointCount = 0;
    std::int32_t toneCount = 0;
    std::int32_t bins = 0;
    double sampleRate = 0.0;
    std::vector<CPhonetogramPoint> points;
    std::vector<CPhonetogramPoint> tones;
};

bool ReadRecords(std::span<const std::uint8_t>& bytes, int count, std::vector<CPhonetogramPoint>& records)
{
    // The section length and tag are not needed to find the records; a file that ends before them is
    // still refused.
    std::int32_t sectionLength = 0;
    std::int32_t sectionTag = 0;
    if (!TakeInt32(bytes, sectionLength) || !TakeInt32(bytes, sectionTag))
        return false;
    // The size check comes first, so a count that the file cannot hold allocates nothing.
    if (bytes.size() < static_cast<std::size_t>(count) * CPhonetogramPoint::kRecordBytes)
        return false;
    records.resize(static_cast<std::size_t>(count));
    for (CPhonetogramPoint& record : records)
    {
        if (!record.Read(bytes))
            return false;
    }
    return true;
}

bool ParseFile(const std::string& content, LoadedFile& loaded)
{
    if (content.empty())
        return false;
    // CBlob reads from a stream; the bytes are already in memory.
    std::string copy = content;
    FilePtr file(fmemopen(copy.data(), copy.size(), "rb"));
    if (!file)
        return false;
    CBlob header;
    header.Reserve(kHeaderBlockSize);
    if (!header.ReadFromFile(file.get()))
        return false;
    const long headerEnd = std::ftell(file.get());
    if (headerEnd < 0 || static_cast<std::size_t>(headerEnd) > content.size())
        return false;
    int reserved = 0;
    if (!header.PopInt(reserved) || !header.PopInt(loaded.pointCount) || !header.PopInt(loaded.toneCount) ||
        !header.PopInt(loaded.bins) || !header.PopDouble(loaded.sampleRate))
        return false;
    if (loaded.pointCount < 0 || loaded.pointCount > CPhonetogram::kMaxPoints || loaded.toneCount < 0 ||
        loaded.toneCount > CPhonetogram::kMaxTones || loaded.bins < 0 || !std::isfinite(loaded.sampleRate) ||
        loaded.sampleRate < 0.0)
        return false;
    std::span<const std::uint8_t> rest(reinterpret_cast<const std::uint8_t*>(content.data()) + headerEnd,
                                       content.size() - static_cast<std::size_t>(headerEnd));
    return ReadRecords(rest, loaded.pointCount, loaded.points) &&
           ReadRecords(rest, loaded.toneCount, loaded.tones);
}

}  // namespace

void CPhonetogramPoint::Reset()
{
    *this = CPhonetogramPoint{};
}

void CPhonetogramPoint::Write(std::string& out) const
{
    AppendInt32(out, kFieldCount);
    AppendFloat(out, m_pitch);
    AppendFloat(out, m_level);
    AppendInt32(out, m_reserved1);
    AppendInt32(out, m_reserved2);
    AppendFloat(out, m_time);
    AppendFloat(out, m_duration);
}

bool CPhonetogramPoint::Read(std::span<const std::uint8_t>& bytes)
{
    std::span<const std::uint8_t> cursor = bytes;
    std::int32_t fieldCount = 0;
    if (!TakeInt32(cursor, fieldCount) || fieldCount != kFieldCount)
        return false;
    std::uint32_t fields[kFieldCount];
    for (std::uint32_t& field : fields)
    {
        if (!TakeUint32(cursor, field))
            return false;
    }
    m_pitch = std::bit_cast<float>(fields[0]);
    m_level = std::bit_cast<float>(fields[1]);
    m_reserved1 = static_cast<std::int32_t>(fields[2]);
    m_reserved2 = static_cast<std::int32_t>(fields[3]);
    m_time = std::bit_cast<float>(fields[4]);
    m_duration = std::bit_cast<float>(fields[5]);
    bytes = cursor;
    return true;
}

CPhonetogram::CPhonetogram()
    : m_points(std::make_unique<CPhonetogramPoint[]>(kMaxPoints)),
      m_tones(std::make_unique<CPhonetogramPoint[]>(kMaxTones)),
      m_filtered(kMaxSamples),
      m_autocorrelation(kMaxSamples)
{
    Clear();
    // Three cleared points until the first measurement starts.
    m_pointCount = 3;
}

CPhonetogram::~CPhonetogram() = default;

void CPhonetogram::AcquireExclusive()
{
    for (;;)
    {
        int expected = kGuardIdle;
        // An exchange, not a test followed by a store: a block must not start between the two.
        if (m_guard.compare_exchange_strong(expected, kGuardExclusive, std::memory_order_acquire))
            return;
        std::this_thread::sleep_for(kGuardWait);
    }
}

void CPhonetogram::ReleaseGuard()
{
    m_guard.store(kGuardIdle, std::memory_order_release);
}

void CPhonetogram::AddBlock(std::span<const float> spectrum, int bins, double sampleRate,
                            std::span<const float> samples, int count)
{
    int expected = kGuardIdle;
    if (!m_guard.compare_exchange_strong(expected, kGuardBlock, std::memory_order_acquire))
        return;
    AnalyseBlock(spectrum, bins, sampleRate, samples, count);
    ReleaseGuard();
}

void CPhonetogram::ClearData()
{
    m_time = 0.0;
    m_state = kStateBackground;
    m_pointCount = 0;
    m_writeIndex = 0;
    m_toneCount = 0;
    m_backgroundSum = 0.0;
    m_backgroundCount = 0;
    std::fill_n(m_points.get(), kMaxPoints, CPhonetogramPoint{});
}

void CPhonetogram::Clear()
{
    AcquireExclusive();
    ClearData();
    ReleaseGuard();
}

void CPhonetogram::ResetMeasurements()
{
    AcquireExclusive();
    if (m_pointCount > kFirstVoicePoint)
    {
        m_time = 0.0;
        m_pointCount = kFirstVoicePoint;
        m_writeIndex = kFirstVoicePoint;
        m_toneCount = 0;
        std::fill(m_points.get() + kFirstVoicePoint, m_points.get() + kMaxPoints, CPhonetogramPoint{});
    }
    ReleaseGuard();
}

void CPhonetogram::DeleteLastTone()
{
    AcquireExclusive();
    RebuildTones();
    if (m_toneCount > 0)
    {
        const CPhonetogramPoint& last = m_tones[m_toneCount - 1];
        const double from = static_cast<double>(last.m_time) - kToneTimeSlack;
        const double to = static_cast<double>(last.m_time) + last.m_duration + kToneTimeSlack;
        for (int i = kFirstVoicePoint; i < m_pointCount; ++i)
        {
            CPhonetogramPoint& point = m_points[i];
            if (point.m_time >= from && point.m_time <= to)
                point.m_pitch = -std::fabs(point.m_pitch);
        }
        --m_toneCount;
    }
    ReleaseGuard();
}

void CPhonetogram::BuildToneList()
{
    AcquireExclusive();
    RebuildTones();
    ReleaseGuard();
}

void CPhonetogram::RebuildTones()
{
    m_toneCount = 0;
    if (m_pointCount <= 3)
        return;
    const double blockDuration = m_blockDuration;
    const double allowedGap = std::max(m_maxPointGap, blockDuration + kGapAllowance);

    bool inRun = false;
    double reference = 0.0;
    double start = 0.0;
    double previousTime = 0.0;
    double pitchSum = 0.0;
    double levelSum = 0.0;
    int count = 0;
    double offPitch = 0.0;

    for (int i = kFirstVoicePoint; i < m_pointCount; ++i)
    {
        const CPhonetogramPoint& point = m_points[i];
        const double pitch = point.m_pitch;
        const double time = point.m_time;
        if (inRun)
        {
            if (time - previousTime > allowedGap || !(pitch > 0.0))
            {
                inRun = false;
            }
            else
            {
                const double ratio = pitch / reference;
                if (!(ratio >= kMinToneRatio && ratio <= kMaxToneRatio))
                {
                    offPitch += blockDuration;
                    if (!(offPitch < m_maxPointGap))
                        inRun = false;
                }
            }
            if (inRun)
            {
                pitchSum += pitch;
                levelSum += point.m_level;
                ++count;
                previousTime = time;
                if (time - start > m_toneSegmentLength)
                {
                    // The sums stay: each tone of a sustained note carries the means of the whole run.
                    if (m_toneCount < kMaxTones)
                    {
                        CPhonetogramPoint& tone = m_tones[m_toneCount++];
                        tone.Reset();
                        tone.m_pitch = static_cast<float>(pitchSum / count);
                        tone.m_level = static_cast<float>(levelSum / count);
                        tone.m_time = static_cast<float>(start);
                        tone.m_duration = static_cast<float>(time - start);
                    }
                    start = time;
                    offPitch = 0.0;
                }
                continue;
            }
        }
        // The point that ended a run opens the next one when it is voiced.
        if (!(pitch > 0.0))
            continue;
        inRun = true;
        reference = pitch;
        start = time;
        previousTime = time;
        pitchSum = pitch;
        levelSum = point.m_level;
        count = 1;
        offPitch = 0.0;
    }
}

void CPhonetogram::AppendPoint(const CPhonetogramPoint& point)
{
    m_points[m_writeIndex] = point;
    m_writeIndex = (m_writeIndex + 1) % kMaxPoints;
    m_pointCount = std::min(m_pointCount + 1, kMaxPoints);
}

void CPhonetogram::ConfigureFilter(double sampleRate)
{
    if (m_filterLowCorner != m_minPitch || m_filterHighCorner != m_upperCorner)
    {
        // Only on a change: new settings force a redesign, which would otherwise run every block.
        CDesignedFilterSettings settings;
        settings.m_bEnabled = 1;
        settings.m_dLowCorner = m_minPitch;
        settings.m_dHighCorner = m_upperCorner;
        settings.m_nOrder = kFilterOrder;
        settings.m_bBandStop = 0;
        settings.m_nDesignKind = kDesignButterworth;
        m_filter.SetSettings(settings);
        m_filterLowCorner = m_minPitch;
        m_filterHighCorner = m_upperCorner;
    }
    m_filter.m_dSampleRate = sampleRate;
}

double CPhonetogram::DetectPitch(int count, double sampleRate)
{
    ComputeAutocorrelation(m_filtered.data(), count, m_autocorrelation.data());
    const float* lags = m_autocorrelation.data() + count / 2;
    const double zeroLag = lags[0];
    // A silent block, or a length the autocorrelation does not take (it then yields zeros).
    if (!(zeroLag > 0.0))
        return -1.0;
    const int minLag = std::max(1, static_cast<int>(std::floor(sampleRate / m_maxPitch)));
    const int maxLag = std::min(count / 2, static_cast<int>(std::floor(sampleRate / m_minPitch)));
    if (maxLag <= minLag)
        return -1.0;
    int index = 0;
    const double peak = FindMax(lags + minLag, maxLag - minLag, &index);
    const double pitch = sampleRate / (minLag + index);
    if (!(peak / zeroLag >= m_correlationThreshold) || pitch < m_minPitch || pitch > m_maxPitch)
        return -1.0;
    return pitch;
}

void CPhonetogram::AnalyseBlock(std::span<const float> spectrum, int bins, double sampleRate,
                                std::span<const float> samples, int count)
{
    if (m_active.load(std::memory_order_relaxed) == 0)
        return;
    m_sampleRate = sampleRate;
    m_bins = bins;
    if (count > kMaxSamples)
        return;
    if (bins <= 0 || !(sampleRate > 0.0) || count <= 0 || static_cast<std::size_t>(bins) > spectrum.size() ||
        static_cast<std::size_t>(count) > samples.size())
        return;
    if (!(m_minPitch > 0.0) || !(m_maxPitch >= m_minPitch))
        return;
    // The lags of the lowest pitch must fit into half the block.
    if (count < 2.0 * sampleRate / m_minPitch)
        return;

    const double binWidth = sampleRate / (2.0 * bins);
    m_blockDuration = 1.0 / binWidth;
    const int lo = std::max(0, static_cast<int>(std::floor(m_minPitch / binWidth)));
    const int hi = std::min(bins, static_cast<int>(std::ceil(m_maxPitch / binWidth)));

    ConfigureFilter(sampleRate);
    std::copy_n(samples.data(), count, m_filtered.data());
    m_filter.Process(m_filtered.data(), count);

    const double level = hi > lo ? GetSum(spectrum.data() + lo, hi - lo) : 0.0;
    m_time += m_blockDuration;

    if (m_state == kStateBackground)
    {
        m_backgroundSum += level;
        ++m_backgroundCount;
        if (m_time > m_backgroundTime)
        {
            m_state = kStateAnalysing;
            m_backgroundSum = 10.0 * std::log10(m_backgroundSum / m_backgroundCount);
            CPhonetogramPoint marker;
            marker.m_level = static_cast<float>(std::pow(10.0, m_backgroundSum / 10.0));
            marker.m_pitch = kLowMarkerPitch;
            AppendPoint(marker);
            marker.m_pitch = kHighMarkerPitch;
            AppendPoint(marker);
        }
        return;
    }

    if (!(10.0 * std::log10(level) > m_backgroundSum + m_levelMargin))
        return;
    const double pitch = DetectPitch(count, sampleRate);
    if (pitch < 0.0)
        return;
    CPhonetogramPoint point;
    point.m_pitch = static_cast<float>(pitch);
    point.m_level = static_cast<float>(level);
    point.m_time = static_cast<float>(m_time);
    AppendPoint(point);
}

bool CPhonetogram::Save(const std::filesystem::path& path)
{
    m_active.store(0);
    std::string content;
    AcquireExclusive();
    bool built = BuildHeader(m_pointCount, m_toneCount, m_bins, m_sampleRate, content);
    if (built)
    {
        content.reserve(content.size() + 16 +
                        static_cast<std::size_t>(m_pointCount + m_toneCount) *
                            CPhonetogramPoint::kRecordBytes);
        AppendInt32(content, m_pointCount * CPhonetogramPoint::kRecordBytes + 4);
        AppendInt32(content, kPointSectionTag);
        for (int i = 0; i < m_pointCount; ++i)
            m_points[i].Write(content);
        AppendInt32(content, m_toneCount * CPhonetogramPoint::kRecordBytes + 4);
        AppendInt32(content, kToneSectionTag);
        for (int i = 0; i < m_toneCount; ++i)
            m_tones[i].Write(content);
    }
    ReleaseGuard();
    // The old file stays whole until the new one is complete on disk.
    return built && platform::ReplaceFileAtomically(path, content);
}

bool CPhonetogram::Load(const std::filesystem::path& path)
{
    m_active.store(0);
    std::error_code error;
    // A device or pipe could deliver bytes without end.
    if (!std::filesystem::is_regular_file(path, error) ||
        std::filesystem::file_size(path, error) > kMaxFileBytes || error)
        return false;
    std::string content;
    LoadedFile loaded;
    if (!platform::ReadFileBytes(path, content) || content.size() > kMaxFileBytes ||
        !ParseFile(content, loaded))
        return false;

    AcquireExclusive();
    m_pointCount = loaded.pointCount;
    m_toneCount = loaded.toneCount;
    m_bins = loaded.bins;
    m_sampleRate = loaded.sampleRate;
    if (m_sampleRate > 0.0)
        m_blockDuration = 2.0 * m_bins / m_sampleRate;
    std::copy(loaded.points.begin(), loaded.points.end(), m_points.get());
    // Slots past the loaded points would otherwise reappear as the ring fills again.
    std::fill(m_points.get() + loaded.pointCount, m_points.get() + kMaxPoints, CPhonetogramPoint{});
    m_writeIndex = loaded.pointCount % kMaxPoints;
    std::copy(loaded.tones.begin(), loaded.tones.end(), m_tones.get());
    ReleaseGuard();
    return true;
}

// A voice range profile: for every analysed block the voice pitch and the level in the voice band
// become a point; consecutive points of about the same pitch are grouped into tones; the result is
// stored as a phonetogram file (".ptg").
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "dsp/DesignedFilter.h"

// One point of the profile, or one tone of the tone list (24 bytes, six 4-byte fields as stored).
struct CPhonetogramPoint
{
    // The fields of a record in the file.
    static constexpr int kFieldCount = 6;
    // Bytes of a record: the int32 field count and the six fields.
    static constexpr int kRecordBytes = 4 + 4 * kFieldCount;

    float m_pitch = 0.0f;  // Hz (tone: mean pitch); negative marks a deleted point
    float m_level = 0.0f;  // linear power in the voice band (tone: mean level)
    std::int32_t m_reserved1 = 0;
    std::int32_t m_reserved2 = 0;
    float m_time = 0.0f;       // s: time of the block (tone: start time)
    float m_duration = -1.0f;  // s: -1 for a point (tone: duration)

    void Reset();
    // Appends the record (field count, then the fields, little-endian).
    void Write(std::string& out) const;
    // Reads a record from the front of bytes and advances past it. A short record or a field count
    // other than six is refused: the point and bytes stay as they were and the result is false.
    bool Read(std::span<const std::uint8_t>& bytes);
};

static_assert(sizeof(CPhonetogramPoint) == 24);

// Threads: AddBlock and Clear run on the engine's analysis thread; ResetMeasurements, DeleteLastTone,
// BuildToneList, Save and Load on the user-interface thread. The two sides meet through m_guard: the
// user-interface operations (and Clear) wait in 5 ms steps until it is free and then hold it, and
// AddBlock drops a block that arrives while they hold it, so the analysis thread never waits.
// m_active is written by the view and read by the analysis thread. The settings are written by the
// view between measurements; the view reads points and tones for display without the guard.
// AddBlock allocates nothing: its work arrays are sized at construction.
class CPhonetogram
{
public:
    static constexpr int kMaxPoints = 32768;
    static constexpr int kMaxTones = 8192;
    // Longer blocks are ignored.
    static constexpr int kMaxSamples = 32768;
    // Slots 0 and 1 hold the background markers after the background measurement.
    static constexpr int kFirstVoicePoint = 2;
    static constexpr int kStateBackground = -1;
    static constexpr int kStateAnalysing = 0;

    CPhonetogram();
    virtual ~CPhonetogram();
    CPhonetogram(const CPhonetogram&) = delete;
    CPhonetogram& operator=(const CPhonetogram&) = delete;

    // Analyses one block: spectrum holds the power spectrum (bins bins spanning 0 .. sampleRate / 2),
    // samples the block's count time samples. A block is ignored when the spans are shorter than the
    // counts.
    void AddBlock(std::span<const float> spectrum, int bins, double sampleRate,
                  std::span<const float> samples, int count);
    // Starts a measurement: the background is measured again and every point and tone is discarded.
    void Clear();
    // Keeps the background and its markers, discards the voice points and tones.
    void ResetMeasurements();
    // Rebuilds the tone list and removes the points of its last tone.
    void DeleteLastTone();
    void BuildToneList();
    // Both stop the analysis first. Save leaves an existing file untouched when it fails; Load
    // refuses a file it cannot read completely or whose counts or records are out of range, and the
    // phonetogram keeps its data.
    bool Save(const std::filesystem::path& path);
    bool Load(const std::filesystem::path& path);

    std::atomic<int> m_active{0};
    std::int32_t m_state = kStateBackground;
    double m_minPitch = 60.0;
    double m_maxPitch = 600.0;
    double m_upperCorner = 8000.0;
    double m_toneSegmentLength = 1.0;
    double m_maxPointGap = 0.2;
    double m_levelMargin = 5.0;
    double m_correlationThreshold = 0.55;
    double m_backgroundTime = 4.0;
    double m_sampleRate = 0.0;
    std::int32_t m_bins = 0;
    double m_blockDuration = 0.0;
    std::int32_t m_pointCount = 0;
    std::unique_ptr<CPhonetogramPoint[]> m_points;  // kMaxPoints slots, a ring
    std::int32_t m_writeIndex = 0;
    std::int32_t m_toneCount = 0;
    std::unique_ptr<CPhonetogramPoint[]> m_tones;  // kMaxTones
    double m_time = 0.0;
    // During the background measurement the sum of the voice-band levels; afterwards the background
    // level in dB.
    double m_backgroundSum = 0.0;
    std::int32_t m_backgroundCount = 0;

private:
    void AnalyseBlock(std::span<const float> spectrum, int bins, double sampleRate,
                      std::span<const float> samples, int count);
    void ConfigureFilter(double sampleRate);
    // The pitch of the filtered block in Hz, or a negative value when the block has none.
    double DetectPitch(int count, double sampleRate);
    void AppendPoint(const CPhonetogramPoint& point);
    void RebuildTones();
    void ClearData();
    void AcquireExclusive();
    void ReleaseGuard();

    // 0 idle, 1 a block is being added, 2 an exclusive operation runs.
    std::atomic<int> m_guard{0};
    CDesignedFilter m_filter;
    // Corners of the present filter settings; a change reconfigures the filter.
    double m_filterLowCorner = -1.0;
    double m_filterHighCorner = -1.0;
    // Work arrays of the analysis thread.
    std::vector<float> m_filtered;
    std::vector<float> m_autocorrelation;
};

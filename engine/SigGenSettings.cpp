#include "engine/SigGenSettings.h"

#include "dsp/MlsTransform.h"
#include "dsp/RandomGenerator.h"
#include "engine/EngineNotifications.h"
#include "platform/Archive.h"
#include "platform/ByteOrder.h"
#include "platform/Text.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace
{

// Offsets of the wire record.
constexpr std::size_t kOffVersion = 4;
constexpr std::size_t kOffFlags = 8;
constexpr std::size_t kOffMode = 12;
constexpr std::size_t kOffReserved16 = 16;
constexpr std::size_t kOffFrequency = 24;
constexpr std::size_t kOffDelay = 32;
constexpr std::size_t kOffMlsLength = 36;
constexpr std::size_t kOffReserved40 = 40;
constexpr std::size_t kOffReserved44 = 44;
constexpr std::size_t kOffLevel = 48;
constexpr std::size_t kOffBalance = 56;
constexpr std::size_t kOffInvert = 64;
constexpr std::size_t kOffOutputOn = 68;
constexpr std::size_t kOffFreqFine = 72;
constexpr std::size_t kOffFreqMin = 80;
constexpr std::size_t kOffFreqMax = 88;
constexpr std::size_t kOffBalanceMinDb = 96;
constexpr std::size_t kOffBalanceMaxDb = 104;
constexpr std::size_t kOffVolumeMinDb = 112;
constexpr std::size_t kOffVolumeMaxDb = 120;
constexpr std::size_t kOffAttenuator = 128;
constexpr std::size_t kOffSweepStart = 160;
constexpr std::size_t kOffSweepStop = 168;
constexpr std::size_t kOffSweepTime = 176;
constexpr std::size_t kOffSweepLog = 184;
constexpr std::size_t kOffChirpLength = 188;
constexpr std::size_t kOffChirpType = 192;
constexpr std::size_t kOffChirpOn = 196;
constexpr std::size_t kOffSampleRate = 200;
constexpr std::size_t kOffReserved204 = 204;
constexpr std::size_t kOffReserved208 = 208;
constexpr std::size_t kOffBits = 212;
constexpr std::size_t kOff32Bit = 216;
constexpr std::size_t kOffPulseWidth = 224;
constexpr std::size_t kOffBurstOnTime = 232;
constexpr std::size_t kOffBurstOffTime = 240;
constexpr std::size_t kOffBurstOn = 248;
constexpr std::size_t kOffBurstRestart = 252;
constexpr std::size_t kOffBurstOnLevel = 256;
constexpr std::size_t kOffBurstOffLevel = 264;
constexpr std::size_t kOffBurstOnUnit = 272;
constexpr std::size_t kOffBurstOffUnit = 276;
constexpr std::size_t kOffBurstGate = 280;
constexpr std::size_t kOffReserved284 = 284;
constexpr std::size_t kOffSgsPath = 288;
constexpr std::size_t kOffWavefileName = 8480;
constexpr std::size_t kOffFadeIn = 16672;
constexpr std::size_t kOffFadeOut = 16680;
constexpr std::size_t kOffCalibrationDb = 16688;
constexpr std::size_t kOffFilter = 16696;
constexpr std::size_t kOffDistortionOn = 16752;
constexpr std::size_t kOffDistortionDrive = 16760;
constexpr std::size_t kOffCrestTarget = 16768;
constexpr std::size_t kOffFmOn = 16776;
constexpr std::size_t kOffFmDeviation = 16784;
constexpr std::size_t kOffDcOffset = 16792;
constexpr std::size_t kOffEffectsCh1Only = 16800;
constexpr std::size_t kOffReservedBlock = 16804;
constexpr std::size_t kOffAmOn = 20896;
constexpr std::size_t kOffAmFrequency = 20904;
constexpr std::size_t kOffAmDepth = 20912;

static_assert(kOffReservedBlock + kSigGenReservedBlockBytes == kOffAmOn);
static_assert(kOffAmDepth + 8 == kSigGenWireBytes);
static_assert(kOffFilter + CDesignedFilterSettings::kBytes == kOffDistortionOn);

// The byte form the archive gives the filter record's count.
constexpr std::int32_t kFilterRecordCount = CDesignedFilterSettings::kBytes;

void PutInt(std::uint8_t* out, std::int32_t value)
{
    platform::StoreLittleEndian(out, static_cast<std::uint32_t>(value));
}

void PutDouble(std::uint8_t* out, double value)
{
    platform::StoreLittleEndian(out, std::bit_cast<std::uint64_t>(value));
}

std::int32_t GetInt(const std::uint8_t* in)
{
    return static_cast<std::int32_t>(platform::LoadLittleEndian<std::uint32_t>(in));
}

double GetDouble(const std::uint8_t* in)
{
    return std::bit_cast<double>(platform::LoadLittleEndian<std::uint64_t>(in));
}

std::string TextOf(const std::array<char, kSigGenTextBytes>& field)
{
    return std::string(field.data(), ::strnlen(field.data(), field.size()));
}

void SetText(std::array<char, kSigGenTextBytes>& field, std::string_view text)
{
    std::size_t size = std::min(text.size(), kSigGenTextBytes - 1);
    // A cut never splits a UTF-8 character: back up over continuation bytes.
    if (size < text.size() && platform::IsValidUtf8(text))
    {
        while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0u) == 0x80u)
            --size;
    }
    field.fill('\0');
    std::memcpy(field.data(), text.data(), size);
}

double ClampFinite(double value, double low, double high, double fallback)
{
    if (!std::isfinite(value))
        return fallback;
    return std::clamp(value, low, high);
}

// The sequence length 2^k - 1 nearest above `length` within the generator's range.
int ValidMlsLength(int length)
{
    int valid = kGenMinMlsLength;
    while (valid < length && valid < kGenMaxMlsLength)
        valid = valid * 2 + 1;
    return valid;
}

}  // namespace

CSigGen_settings::CSigGen_settings()
{
    m_reserved_block.fill(0);
    SetDefaults();
}

void CSigGen_settings::SetDefaults()
{
    // The reserved block is no default: only the constructor clears it.
    const auto reserved = m_reserved_block;
    *this = CSigGen_settings::DefaultValues();
    m_reserved_block = reserved;
    SeedRandomByArray(kGeneratorRandomKey.data(), static_cast<int>(kGeneratorRandomKey.size()));
}

CSigGen_settings CSigGen_settings::DefaultValues()
{
    return CSigGen_settings(DefaultTag{});
}

void CSigGen_settings::Copy(const CSigGen_settings& source)
{
    // Everything but the burst levels, units and gate, the effects, the AM settings and the
    // reserved block.
    const double burstOnLevel = m_burst_on_level;
    const double burstOffLevel = m_burst_off_level;
    const std::int32_t burstOnUnit = m_burst_on_unit;
    const std::int32_t burstOffUnit = m_burst_off_unit;
    const std::int32_t burstGate = m_burst_gate;
    const std::int32_t distortionOn = m_distortion_on;
    const double distortionDrive = m_distortion_drive;
    const double crestTarget = m_crest_target;
    const std::int32_t fmOn = m_fm_on;
    const double fmDeviation = m_fm_deviation;
    const double dcOffset = m_dc_offset;
    const std::int32_t amOn = m_am_on;
    const double amFrequency = m_am_frequency;
    const double amDepth = m_am_depth;
    const auto reserved = m_reserved_block;
    if (this != &source)
        *this = source;
    m_burst_on_level = burstOnLevel;
    m_burst_off_level = burstOffLevel;
    m_burst_on_unit = burstOnUnit;
    m_burst_off_unit = burstOffUnit;
    m_burst_gate = burstGate;
    m_distortion_on = distortionOn;
    m_distortion_drive = distortionDrive;
    m_crest_target = crestTarget;
    m_fm_on = fmOn;
    m_fm_deviation = fmDeviation;
    m_dc_offset = dcOffset;
    m_am_on = amOn;
    m_am_frequency = amFrequency;
    m_am_depth = amDepth;
    m_reserved_block = reserved;
}

void CSigGen_settings::SetLevel(double level)
{
    m_level = level;
    m_balance = 0.0;
    m_attenuator.fill(0);
    m_output_on = 1;
}

void CSigGen_settings::SetBalanceDb(double db)
{
    const double sign = db >= 0.0 ? 1.0 : -1.0;
    m_balance = sign * (1.0 - std::pow(10.0, -std::fabs(db) * 0.05));
}

double CSigGen_settings::GetBalanceDb() const
{
    const double sign = m_balance >= 0.0 ? 1.0 : -1.0;
    const double d = 1.0 - std::fabs(m_balance);
    if (d > 0.0)
        return -20.0 * std::log10(d) * sign;
    return 200.0 * sign;
}

void CSigGen_settings::Serialize(CArchive& ar)
{
    CEngineNotifications silent;
    Serialize(ar, silent);
}

void CSigGen_settings::Serialize(CArchive& ar, CEngineNotifications& notifications)
{
    if (ar.IsLoading())
    {
        LoadFrom(ar, notifications);
        return;
    }
    ar << kSigGenFileTag << m_version;
    ar << m_reserved204 << m_reserved208 << m_reserved16 << m_sample_rate;
    ar << m_frequency;
    ar << m_mode << m_output_on;
    ar << m_balance;
    ar << m_delay << m_mls_length;
    ar << std::int32_t{0};
    for (const std::int32_t a : m_attenuator)
        ar << a;
    ar << m_level << m_pulse_width;
    ar << m_invert;
    ar << m_freq_min << m_freq_max;
    ar << m_freq_fine;
    ar << m_sweep_start << m_sweep_stop << m_sweep_time;
    ar << m_sweep_log << m_chirp_length << m_chirp_type << m_chirp_on;
    ar << m_32bit << m_bits;
    ar << m_burst_on_time << m_burst_off_time;
    ar << m_burst_on << m_burst_restart;
    ar << m_burst_on_level << m_burst_off_level;
    ar << m_burst_on_unit << m_burst_off_unit << m_burst_gate << m_reserved284;
    const std::string name = GetWavefileName();
    ar << static_cast<std::int32_t>(name.size());
    ar.Write(std::span(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()));
    ar << m_fade_in << m_fade_out << m_calibration_db;
    ar << kFilterRecordCount;
    ar.Write(m_filter.ToBytes());
    ar << m_effects_ch1_only;
}

void CSigGen_settings::LoadFrom(CArchive& ar, CEngineNotifications& notifications)
{
    std::int32_t tag = 0;
    ar >> tag;
    if (tag != kSigGenFileTag)
    {
        m_version = 0;
        return;
    }
    std::int32_t version = 0;
    ar >> version;
    m_version = version;
    if (m_version != kSigGenVersion)
    {
        notifications.ShowMessage(kSgsVersionMessage);
        return;
    }
    // Read into a copy: a stream that ends early or carries a damaged name length changes nothing.
    CSigGen_settings loaded = *this;
    ar >> loaded.m_reserved204 >> loaded.m_reserved208 >> loaded.m_reserved16 >> loaded.m_sample_rate;
    ar >> loaded.m_frequency;
    ar >> loaded.m_mode >> loaded.m_output_on;
    ar >> loaded.m_balance;
    ar >> loaded.m_delay >> loaded.m_mls_length;
    std::int32_t dropped = 0;
    ar >> dropped;
    for (std::int32_t& a : loaded.m_attenuator)
        ar >> a;
    ar >> loaded.m_level >> loaded.m_pulse_width;
    ar >> loaded.m_invert;
    ar >> loaded.m_freq_min >> loaded.m_freq_max;
    ar >> loaded.m_freq_fine;
    ar >> loaded.m_sweep_start >> loaded.m_sweep_stop >> loaded.m_sweep_time;
    ar >> loaded.m_sweep_log >> loaded.m_chirp_length >> loaded.m_chirp_type >> loaded.m_chirp_on;
    ar >> loaded.m_32bit >> loaded.m_bits;
    ar >> loaded.m_burst_on_time >> loaded.m_burst_off_time;
    ar >> loaded.m_burst_on >> loaded.m_burst_restart;
    ar >> loaded.m_burst_on_level >> loaded.m_burst_off_level;
    ar >> loaded.m_burst_on_unit >> loaded.m_burst_off_unit >> loaded.m_burst_gate >> loaded.m_reserved284;
    std::int32_t nameLength = 0;
    ar >> nameLength;
    // The field holds at most 8191 bytes and its terminator; a longer stored name means the
    // stream is damaged, and the whole record is refused.
    if (nameLength < 0 || nameLength >= static_cast<std::int32_t>(kSigGenTextBytes))
        throw platform::ArchiveError(platform::ArchiveCause::Malformed, "generator setting name too long");
    loaded.m_wavefile_name.fill('\0');
    ar.Read(std::span(reinterpret_cast<std::uint8_t*>(loaded.m_wavefile_name.data()),
                      static_cast<std::size_t>(nameLength)));
    ar >> loaded.m_fade_in >> loaded.m_fade_out >> loaded.m_calibration_db;
    std::int32_t filterCount = 0;
    ar >> filterCount;
    if (filterCount == kFilterRecordCount)
    {
        std::array<std::uint8_t, CDesignedFilterSettings::kBytes> filter{};
        ar.Read(filter);
        loaded.m_filter = CDesignedFilterSettings::FromBytes(filter);
        ar >> loaded.m_effects_ch1_only;
    }
    loaded.ClampToValidRanges();
    *this = loaded;
}

std::vector<std::uint8_t> CSigGen_settings::ToWire() const
{
    std::vector<std::uint8_t> bytes(kSigGenWireBytes, 0);
    std::uint8_t* p = bytes.data();
    PutInt(p + kOffVersion, m_version);
    PutInt(p + kOffFlags, m_flags);
    PutInt(p + kOffMode, m_mode);
    PutInt(p + kOffReserved16, m_reserved16);
    PutDouble(p + kOffFrequency, m_frequency);
    PutInt(p + kOffDelay, m_delay);
    PutInt(p + kOffMlsLength, m_mls_length);
    PutInt(p + kOffReserved40, m_reserved40);
    PutInt(p + kOffReserved44, m_reserved44);
    PutDouble(p + kOffLevel, m_level);
    PutDouble(p + kOffBalance, m_balance);
    PutInt(p + kOffInvert, m_invert);
    PutInt(p + kOffOutputOn, m_output_on);
    PutInt(p + kOffFreqFine, m_freq_fine);
    PutDouble(p + kOffFreqMin, m_freq_min);
    PutDouble(p + kOffFreqMax, m_freq_max);
    PutDouble(p + kOffBalanceMinDb, m_balance_min_db);
    PutDouble(p + kOffBalanceMaxDb, m_balance_max_db);
    PutDouble(p + kOffVolumeMinDb, m_volume_min_db);
    PutDouble(p + kOffVolumeMaxDb, m_volume_max_db);
    for (int i = 0; i < kSigGenAttenuatorCount; ++i)
        PutInt(p + kOffAttenuator + 4 * i, m_attenuator[i]);
    PutDouble(p + kOffSweepStart, m_sweep_start);
    PutDouble(p + kOffSweepStop, m_sweep_stop);
    PutDouble(p + kOffSweepTime, m_sweep_time);
    PutInt(p + kOffSweepLog, m_sweep_log);
    PutInt(p + kOffChirpLength, m_chirp_length);
    PutInt(p + kOffChirpType, m_chirp_type);
    PutInt(p + kOffChirpOn, m_chirp_on);
    PutInt(p + kOffSampleRate, m_sample_rate);
    PutInt(p + kOffReserved204, m_reserved204);
    PutInt(p + kOffReserved208, m_reserved208);
    PutInt(p + kOffBits, m_bits);
    PutInt(p + kOff32Bit, m_32bit);
    PutDouble(p + kOffPulseWidth, m_pulse_width);
    PutDouble(p + kOffBurstOnTime, m_burst_on_time);
    PutDouble(p + kOffBurstOffTime, m_burst_off_time);
    PutInt(p + kOffBurstOn, m_burst_on);
    PutInt(p + kOffBurstRestart, m_burst_restart);
    PutDouble(p + kOffBurstOnLevel, m_burst_on_level);
    PutDouble(p + kOffBurstOffLevel, m_burst_off_level);
    PutInt(p + kOffBurstOnUnit, m_burst_on_unit);
    PutInt(p + kOffBurstOffUnit, m_burst_off_unit);
    PutInt(p + kOffBurstGate, m_burst_gate);
    PutInt(p + kOffReserved284, m_reserved284);
    // Only the text up to its terminator: bytes after it stay zero on the wire.
    const std::string path = GetSgsPath();
    std::memcpy(p + kOffSgsPath, path.data(), path.size());
    const std::string name = GetWavefileName();
    std::memcpy(p + kOffWavefileName, name.data(), name.size());
    PutDouble(p + kOffFadeIn, m_fade_in);
    PutDouble(p + kOffFadeOut, m_fade_out);
    PutDouble(p + kOffCalibrationDb, m_calibration_db);
    const auto filter = m_filter.ToBytes();
    std::memcpy(p + kOffFilter, filter.data(), filter.size());
    PutInt(p + kOffDistortionOn, m_distortion_on);
    PutDouble(p + kOffDistortionDrive, m_distortion_drive);
    PutDouble(p + kOffCrestTarget, m_crest_target);
    PutInt(p + kOffFmOn, m_fm_on);
    PutDouble(p + kOffFmDeviation, m_fm_deviation);
    PutDouble(p + kOffDcOffset, m_dc_offset);
    PutInt(p + kOffEffectsCh1Only, m_effects_ch1_only);
    std::memcpy(p + kOffReservedBlock, m_reserved_block.data(), m_reserved_block.size());
    PutInt(p + kOffAmOn, m_am_on);
    PutDouble(p + kOffAmFrequency, m_am_frequency);
    PutDouble(p + kOffAmDepth, m_am_depth);
    return bytes;
}

bool CSigGen_settings::FromWire(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != kSigGenWireBytes)
        return false;
    const std::uint8_t* p = bytes.data();
    if (GetInt(p + kOffVersion) != kSigGenVersion)
        return false;
    CSigGen_settings r = *this;
    r.m_version = GetInt(p + kOffVersion);
    r.m_flags = GetInt(p + kOffFlags);
    r.m_mode = GetInt(p + kOffMode);
    r.m_reserved16 = GetInt(p + kOffReserved16);
    r.m_frequency = GetDouble(p + kOffFrequency);
    r.m_delay = GetInt(p + kOffDelay);
    r.m_mls_length = GetInt(p + kOffMlsLength);
    r.m_reserved40 = GetInt(p + kOffReserved40);
    r.m_reserved44 = GetInt(p + kOffReserved44);
    r.m_level = GetDouble(p + kOffLevel);
    r.m_balance = GetDouble(p + kOffBalance);
    r.m_invert = GetInt(p + kOffInvert);
    r.m_output_on = GetInt(p + kOffOutputOn);
    r.m_freq_fine = GetInt(p + kOffFreqFine);
    r.m_freq_min = GetDouble(p + kOffFreqMin);
    r.m_freq_max = GetDouble(p + kOffFreqMax);
    r.m_balance_min_db = GetDouble(p + kOffBalanceMinDb);
    r.m_balance_max_db = GetDouble(p + kOffBalanceMaxDb);
    r.m_volume_min_db = GetDouble(p + kOffVolumeMinDb);
    r.m_volume_max_db = GetDouble(p + kOffVolumeMaxDb);
    for (int i = 0; i < kSigGenAttenuatorCount; ++i)
        r.m_attenuator[i] = GetInt(p + kOffAttenuator + 4 * i);
    r.m_sweep_start = GetDouble(p + kOffSweepStart);
    r.m_sweep_stop = GetDouble(p + kOffSweepStop);
    r.m_sweep_time = GetDouble(p + kOffSweepTime);
    r.m_sweep_log = GetInt(p + kOffSweepLog);
    r.m_chirp_length = GetInt(p + kOffChirpLength);
    r.m_chirp_type = GetInt(p + kOffChirpType);
    r.m_chirp_on = GetInt(p + kOffChirpOn);
    r.m_sample_rate = GetInt(p + kOffSampleRate);
    r.m_reserved204 = GetInt(p + kOffReserved204);
    r.m_reserved208 = GetInt(p + kOffReserved208);
    r.m_bits = GetInt(p + kOffBits);
    r.m_32bit = GetInt(p + kOff32Bit);
    r.m_pulse_width = GetDouble(p + kOffPulseWidth);
    r.m_burst_on_time = GetDouble(p + kOffBurstOnTime);
    r.m_burst_off_time = GetDouble(p + kOffBurstOffTime);
    r.m_burst_on = GetInt(p + kOffBurstOn);
    r.m_burst_restart = GetInt(p + kOffBurstRestart);
    r.m_burst_on_level = GetDouble(p + kOffBurstOnLevel);
    r.m_burst_off_level = GetDouble(p + kOffBurstOffLevel);
    r.m_burst_on_unit = GetInt(p + kOffBurstOnUnit);
    r.m_burst_off_unit = GetInt(p + kOffBurstOffUnit);
    r.m_burst_gate = GetInt(p + kOffBurstGate);
    r.m_reserved284 = GetInt(p + kOffReserved284);
    // A sender's field need not be terminated: the last byte is forced to zero.
    std::memcpy(r.m_sgs_path.data(), p + kOffSgsPath, kSigGenTextBytes);
    r.m_sgs_path.back() = '\0';
    std::memcpy(r.m_wavefile_name.data(), p + kOffWavefileName, kSigGenTextBytes);
    r.m_wavefile_name.back() = '\0';
    r.m_fade_in = GetDouble(p + kOffFadeIn);
    r.m_fade_out = GetDouble(p + kOffFadeOut);
    r.m_calibration_db = GetDouble(p + kOffCalibrationDb);
    r.m_filter =
        CDesignedFilterSettings::FromBytes(std::span<const std::uint8_t, CDesignedFilterSettings::kBytes>(
            p + kOffFilter, CDesignedFilterSettings::kBytes));
    r.m_distortion_on = GetInt(p + kOffDistortionOn);
    r.m_distortion_drive = GetDouble(p + kOffDistortionDrive);
    r.m_crest_target = GetDouble(p + kOffCrestTarget);
    r.m_fm_on = GetInt(p + kOffFmOn);
    r.m_fm_deviation = GetDouble(p + kOffFmDeviation);
    r.m_dc_offset = GetDouble(p + kOffDcOffset);
    r.m_effects_ch1_only = GetInt(p + kOffEffectsCh1Only);
    std::memcpy(r.m_reserved_block.data(), p + kOffReservedBlock, kSigGenReservedBlockBytes);
    r.m_am_on = GetInt(p + kOffAmOn);
    r.m_am_frequency = GetDouble(p + kOffAmFrequency);
    r.m_am_depth = GetDouble(p + kOffAmDepth);
    r.ClampToValidRanges();
    *this = r;
    return true;
}

void CSigGen_settings::ClampToValidRanges()
{
    m_frequency = ClampFinite(m_frequency, kGenMinFrequency, kGenMaxFrequency, 1000.0);
    m_sweep_start = ClampFinite(m_sweep_start, kGenMinFrequency, kGenMaxFrequency, 100.0);
    m_sweep_stop = ClampFinite(m_sweep_stop, kGenMinFrequency, kGenMaxFrequency, 2000.0);
    m_sweep_time = ClampFinite(m_sweep_time, kGenMinSweepTime, kGenMaxSweepTime, 100.0);
    m_sample_rate = std::clamp(m_sample_rate, kGenMinSampleRate, kGenMaxSampleRate);
    m_chirp_length = std::clamp(m_chirp_length, kGenMinChirpLength, kGenMaxChirpLength);
    m_mls_length = ValidMlsLength(m_mls_length);
    m_delay = std::clamp(m_delay, 0, kGenMaxDelay);
    m_bits = std::clamp(m_bits, 1, 32);
    m_pulse_width = ClampFinite(m_pulse_width, 0.0, 1.0, 0.5);
    m_burst_on_time = ClampFinite(m_burst_on_time, 0.0, kGenMaxBurstTime, 1.0);
    m_burst_off_time = ClampFinite(m_burst_off_time, 0.0, kGenMaxBurstTime, 1.0);
    m_balance = ClampFinite(m_balance, -1.0, 1.0, 0.0);
    m_level = ClampFinite(m_level, 0.0, 1.0e6, 1.0);
    m_fade_in = ClampFinite(m_fade_in, 0.0, kGenMaxSweepTime, 0.0);
    m_fade_out = ClampFinite(m_fade_out, 0.0, kGenMaxSweepTime, 0.0);
    m_am_depth = ClampFinite(m_am_depth, 0.0, 1.0, 1.0);
    m_am_frequency = ClampFinite(m_am_frequency, 0.0, kGenMaxFrequency, 1000.0);
    m_fm_deviation = ClampFinite(m_fm_deviation, -kGenMaxFrequency, kGenMaxFrequency, 1000.0);
    m_dc_offset = ClampFinite(m_dc_offset, -1.0e3, 1.0e3, 0.0);
    m_calibration_db = ClampFinite(m_calibration_db, -200.0, 200.0, 0.0);
    m_sgs_path.back() = '\0';
    m_wavefile_name.back() = '\0';
}

std::string CSigGen_settings::GetWavefileName() const
{
    return TextOf(m_wavefile_name);
}

void CSigGen_settings::SetWavefileName(std::string_view name)
{
    SetText(m_wavefile_name, name);
}

std::string CSigGen_settings::GetSgsPath() const
{
    return TextOf(m_sgs_path);
}

void CSigGen_settings::SetSgsPath(std::string_view path)
{
    SetText(m_sgs_path, path);
}

#include "dsp/ThdResults.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/Archive.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"

namespace
{

constexpr int kTextOff = 1000028;
constexpr int kTextInbandLevel = 1000043;
constexpr int kTextPhase = 1000130;
constexpr int kTextPeakLevel = 1000182;
constexpr int kTextPeakPosition = 1000183;
constexpr int kTextPhaseDifference = 1000184;
constexpr int kTextRmsTrack = 1000185;
constexpr int kTextHarmonic = 1000186;

// Bits 9..12 of the mode word hold the unit mode + 1.
constexpr int kUnitShift = 9;
constexpr std::int32_t kUnitMask = 0xF << kUnitShift;

constexpr std::array<int, CThdResults::kTypeCount> kListCodes = {
    0, 1, 7, 2, 3, 4, 5, 256, 257, 258, 259, 260, 261, 262, 263, 264, 265, 266, 267};

bool IsHarmonic(int code)
{
    return code >= CThdResults::kTypeFirstHarmonic && code <= CThdResults::kTypeLastHarmonic;
}

// Reads `count` doubles, growing the array only as values arrive.
std::vector<double> ReadDoubles(CArchive& ar, std::int64_t count)
{
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(std::min<std::int64_t>(count, 8192)));
    for (std::int64_t i = 0; i < count; ++i)
    {
        double value = 0.0;
        ar >> value;
        values.push_back(value);
    }
    return values;
}

}  // namespace

template <class Self, class Visit>
void CThdResults::ForEachArray(Self& self, Visit&& visit)
{
    const std::int64_t p = self.m_pointCount;
    const std::int64_t np = static_cast<std::int64_t>(self.m_channelCount) * p;
    visit(self.m_frequencies, p);
    visit(self.m_secondValues, p);
    visit(self.m_phaseDifferences, p);
    visit(self.m_levelTables, np * self.m_tableLength);
    visit(self.m_tableAxis, static_cast<std::int64_t>(self.m_tableLength));
    visit(self.m_harmonics, np * self.m_harmonicCount);
    for (auto* array : {&self.m_thd, &self.m_thdN, &self.m_peakLevel, &self.m_peakPosition,
                        &self.m_inbandLevel, &self.m_rms, &self.m_extraValues, &self.m_rmsTrack})
        visit(*array, np);
}

int CThdResults::GetTypeByIndex(int index)
{
    if (index < 0 || index >= kTypeCount)
        return -1;
    return kListCodes[static_cast<std::size_t>(index)];
}

std::string CThdResults::GetCaption(int code)
{
    switch (code)
    {
        case kTypeRms:
            return "RMS";
        case kTypeRmsWatt:
            return "RMS Watt";
        case kTypeThdN:
            return "THD+N";
        case kTypeThd:
            return "THD";
        case kTypePhase:
            return GetText(kTextPhaseDifference);
        case kTypeRmsTrack:
            return GetText(kTextRmsTrack);
        case kTypePeakLevel:
            return GetText(kTextPeakLevel);
        case kTypeInbandLevel:
            return GetText(kTextInbandLevel);
        case kTypePeakPosition:
            return GetText(kTextPeakPosition);
        default:
            break;
    }
    if (IsHarmonic(code))
        return platform::FormatC("%s #%i", GetText(kTextHarmonic).c_str(), code - 255);
    return GetText(kTextOff);
}

std::string CThdResults::GetName() const
{
    switch (m_selectedType)
    {
        case kTypeRms:
        case kTypeRmsWatt:
            return "RMS";
        case kTypeThdN:
            return "THD+N";
        case kTypeThd:
            return "THD";
        case kTypePhase:
            return GetText(kTextPhase);
        case kTypeRmsTrack:
            return "RMS track";
        case kTypePeakLevel:
            return "Peak level";
        case kTypeInbandLevel:
            return "Inband level";
        default:
            break;
    }
    if (IsHarmonic(m_selectedType))
        return platform::FormatC("THD K%i", m_selectedType - 255);
    return {};
}

std::string CThdResults::GetUnit() const
{
    if (m_selectedType == kTypePhase)
        return "\xC2\xB0";
    const int mode = GetUnitMode();
    if (mode == kUnitPercent)
        return "%";
    if (mode == kUnitLinear)
    {
        if (m_selectedType == kTypeRms || m_selectedType == kTypeRmsTrack)
            return "V";
        if (m_selectedType == kTypeRmsWatt)
            return "W";
        return {};
    }
    return m_selectedType == kTypeRmsWatt ? "dB W" : "dB";
}

std::string CThdResults::GetCaptionWithUnit() const
{
    std::string text = GetName();
    const std::string unit = GetUnit();
    if (!unit.empty())
        text += " [" + unit + "]";
    return text;
}

bool CThdResults::IsRatioType() const
{
    return m_selectedType == kTypeThdN || m_selectedType == kTypeThd || IsHarmonic(m_selectedType);
}

bool CThdResults::IsVoltageType() const
{
    return m_selectedType == kTypeRms || m_selectedType == kTypeRmsTrack;
}

int CThdResults::GetUnitMode() const
{
    return ((m_modeWord & kUnitMask) >> kUnitShift) - 1;
}

void CThdResults::SetUnitMode(int mode)
{
    m_modeWord = (m_modeWord & ~kUnitMask) | (((mode + 1) << kUnitShift) & kUnitMask);
}

std::int64_t CThdResults::CellIndex(int point, int channel) const
{
    if (point < 0 || point >= m_pointCount || channel < 0 || channel >= m_channelCount)
        return -1;
    return point + static_cast<std::int64_t>(channel) * m_pointCount;
}

const std::vector<double>* CThdResults::ChannelArray(int code) const
{
    switch (code)
    {
        case kTypeRms:
        case kTypeRmsWatt:
            return &m_rms;
        case kTypeThdN:
            return &m_thdN;
        case kTypeThd:
            return &m_thd;
        case kTypeRmsTrack:
            return &m_rmsTrack;
        case kTypePeakLevel:
            return &m_peakLevel;
        case kTypeInbandLevel:
            return &m_inbandLevel;
        case kTypePeakPosition:
            return &m_peakPosition;
        default:
            return nullptr;
    }
}

std::vector<double>* CThdResults::ChannelArray(int code)
{
    return const_cast<std::vector<double>*>(std::as_const(*this).ChannelArray(code));
}

double CThdResults::GetValue(int code, int point, int channel) const
{
    double value = 0.0;
    const std::int64_t cell = CellIndex(point, channel);
    if (cell >= 0)
    {
        if (code == kTypePhase)
        {
            if (static_cast<std::size_t>(point) < m_phaseDifferences.size())
                value = m_phaseDifferences[static_cast<std::size_t>(point)];
        }
        else if (IsHarmonic(code))
        {
            // A harmonic beyond the ones measured has no data.
            const int h = code - kTypeFirstHarmonic;
            const std::int64_t index = h + static_cast<std::int64_t>(m_harmonicCount) * cell;
            if (h < m_harmonicCount && static_cast<std::uint64_t>(index) < m_harmonics.size())
                value = m_harmonics[static_cast<std::size_t>(index)];
        }
        else if (const std::vector<double>* array = ChannelArray(code);
                 array != nullptr && static_cast<std::uint64_t>(cell) < array->size())
        {
            value = (*array)[static_cast<std::size_t>(cell)];
            if (code == kTypeRmsWatt)
                value = value * value / m_loadResistance;
        }
    }
    return value * m_scale + m_offset;
}

int CThdResults::SetValue(double x, int code, int point, int channel)
{
    const std::int64_t cell = CellIndex(point, channel);
    if (cell < 0)
        return -1;
    if (code == kTypePhase)
    {
        if (static_cast<std::size_t>(point) < m_phaseDifferences.size())
            m_phaseDifferences[static_cast<std::size_t>(point)] = x;
    }
    else if (code != kTypeRmsWatt)
    {
        std::vector<double>* array = ChannelArray(code);
        if (array != nullptr && static_cast<std::uint64_t>(cell) < array->size())
            (*array)[static_cast<std::size_t>(cell)] = x;
    }
    return static_cast<int>(cell);
}

void CThdResults::AllocateBuffers()
{
    ForEachArray(*this, [](std::vector<double>& array, std::int64_t length)
                 { array.assign(static_cast<std::size_t>(std::max<std::int64_t>(length, 0)), 0.0); });
}

void CThdResults::Clear()
{
    ForEachArray(
        *this, [](std::vector<double>& array, std::int64_t) { std::fill(array.begin(), array.end(), 0.0); });
}

void CThdResults::FreeBuffers()
{
    ForEachArray(*this, [](std::vector<double>& array, std::int64_t) { std::vector<double>().swap(array); });
    m_pointCount = 0;
    m_channelCount = 0;
    m_harmonicCount = 0;
    m_tableLength = 0;
}

void CThdResults::CopyFrom(const CThdResults& other)
{
    if (&other == this)
        return;
    FreeBuffers();
    m_pointCount = other.m_pointCount;
    m_channelCount = other.m_channelCount;
    m_harmonicCount = other.m_harmonicCount;
    m_tableLength = other.m_tableLength;
    m_sampleRate = other.m_sampleRate;
    m_loadResistance = other.m_loadResistance;
    m_tableAxis = other.m_tableAxis;
    m_frequencies = other.m_frequencies;
    m_secondValues = other.m_secondValues;
    m_phaseDifferences = other.m_phaseDifferences;
    m_levelTables = other.m_levelTables;
    m_harmonics = other.m_harmonics;
    m_thd = other.m_thd;
    m_thdN = other.m_thdN;
    m_peakLevel = other.m_peakLevel;
    m_peakPosition = other.m_peakPosition;
    m_inbandLevel = other.m_inbandLevel;
    m_rms = other.m_rms;
    m_extraValues = other.m_extraValues;
    m_rmsTrack = other.m_rmsTrack;
}

void CThdResults::StorePoint(int point, const SweepResultTable& record)
{
    if (point < 0 || point >= m_pointCount)
        return;
    // The arrays must have the sizes of the counts (AllocateBuffers); anything else is not written.
    bool sized = true;
    ForEachArray(*this, [&sized](std::vector<double>& array, std::int64_t length)
                 { sized = sized && static_cast<std::int64_t>(array.size()) == length; });
    if (!sized)
        return;
    const auto p = static_cast<std::size_t>(point);
    const auto P = static_cast<std::size_t>(m_pointCount);
    m_frequencies[p] = record.m_header[SweepResultTable::kHeaderFrequency];
    m_secondValues[p] = record.m_header[SweepResultTable::kHeaderSecondValue];
    m_phaseDifferences[p] = record.m_header[SweepResultTable::kHeaderPhaseDifference];
    const auto M = static_cast<std::size_t>(std::min(m_tableLength, SweepResultTable::kListLength));
    const auto channels = static_cast<std::size_t>(std::min(m_channelCount, SweepResultTable::kChannels));
    for (std::size_t j = 0; j < M; ++j)
        m_tableAxis[j] = record.m_tableAxis[j];
    const auto stride = static_cast<std::size_t>(m_tableLength);
    for (std::size_t c = 0; c < channels; ++c)
        for (std::size_t j = 0; j < M; ++j)
            m_levelTables[j + stride * (p + c * P)] = record.m_levelTable[c][j];
    const auto H = static_cast<std::size_t>(std::min(m_harmonicCount, SweepResultTable::kListLength));
    for (std::size_t h = 0; h < H; ++h)
        m_harmonics[h + static_cast<std::size_t>(m_harmonicCount) * p] = record.m_harmonics[h];
    for (std::size_t c = 0; c < channels; ++c)
    {
        const std::size_t i = p + c * P;
        m_thd[i] = record.m_rows[SweepResultTable::kRowThd][c];
        m_thdN[i] = record.m_rows[SweepResultTable::kRowThdN][c];
        m_peakLevel[i] = record.m_rows[SweepResultTable::kRowPeakLevel][c];
        m_peakPosition[i] = record.m_rows[SweepResultTable::kRowPeakPosition][c];
        m_inbandLevel[i] = record.m_rows[SweepResultTable::kRowInbandLevel][c];
        m_rms[i] = record.m_rows[SweepResultTable::kRowRms][c];
        m_extraValues[i] = record.m_rows[SweepResultTable::kRowExtra][c];
        m_rmsTrack[i] = record.m_rows[SweepResultTable::kRowRmsTrack][c];
    }
}

std::int64_t CThdResults::GetStoredSize() const
{
    std::int64_t values = 0;
    ForEachArray(*this, [&values](const std::vector<double>&, std::int64_t length) { values += length; });
    return 24 + 8 * values;
}

void CThdResults::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << m_pointCount << m_channelCount << m_harmonicCount << m_tableLength << m_sampleRate;
        // An array that was never allocated is written as zeros, so the layout matches the counts.
        ForEachArray(*this,
                     [&ar](const std::vector<double>& array, std::int64_t length)
                     {
                         for (std::int64_t i = 0; i < length; ++i)
                             ar << (static_cast<std::uint64_t>(i) < array.size()
                                        ? array[static_cast<std::size_t>(i)]
                                        : 0.0);
                     });
        return;
    }
    std::int32_t counts[4] = {};
    for (std::int32_t& count : counts)
        ar >> count;
    double sampleRate = 0.0;
    ar >> sampleRate;
    const std::int32_t limits[4] = {kMaxPoints, kMaxChannels, kMaxHarmonics, kMaxTableLength};
    for (int i = 0; i < 4; ++i)
        if (counts[i] < 0 || counts[i] > limits[i])
            throw platform::ArchiveError(platform::ArchiveCause::Malformed,
                                         "distortion table count out of range");
    CThdResults loaded;
    loaded.m_pointCount = counts[0];
    loaded.m_channelCount = counts[1];
    loaded.m_harmonicCount = counts[2];
    loaded.m_tableLength = counts[3];
    loaded.m_sampleRate = sampleRate;
    if ((loaded.GetStoredSize() - 24) / 8 > kMaxStoredValues)
        throw platform::ArchiveError(platform::ArchiveCause::Malformed, "distortion table too large");
    ForEachArray(loaded,
                 [&ar](std::vector<double>& array, std::int64_t length) { array = ReadDoubles(ar, length); });
    // The whole table arrived: it replaces the old one. The display settings stay.
    FreeBuffers();
    m_pointCount = loaded.m_pointCount;
    m_channelCount = loaded.m_channelCount;
    m_harmonicCount = loaded.m_harmonicCount;
    m_tableLength = loaded.m_tableLength;
    m_sampleRate = loaded.m_sampleRate;
    m_tableAxis = std::move(loaded.m_tableAxis);
    m_frequencies = std::move(loaded.m_frequencies);
    m_secondValues = std::move(loaded.m_secondValues);
    m_phaseDifferences = std::move(loaded.m_phaseDifferences);
    m_levelTables = std::move(loaded.m_levelTables);
    m_harmonics = std::move(loaded.m_harmonics);
    m_thd = std::move(loaded.m_thd);
    m_thdN = std::move(loaded.m_thdN);
    m_peakLevel = std::move(loaded.m_peakLevel);
    m_peakPosition = std::move(loaded.m_peakPosition);
    m_inbandLevel = std::move(loaded.m_inbandLevel);
    m_rms = std::move(loaded.m_rms);
    m_extraValues = std::move(loaded.m_extraValues);
    m_rmsTrack = std::move(loaded.m_rmsTrack);
}

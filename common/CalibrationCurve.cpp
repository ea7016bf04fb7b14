#include "common/CalibrationCurve.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>

#include "platform/Archive.h"
#include "platform/FileReplace.h"
#include "platform/NumberFormat.h"
#include "platform/Text.h"

namespace
{

// Reads numbers and words from a text the way the file's writer meant them to be read: blanks and
// line ends separate, a number ends at the first character that cannot belong to it.
class TextScanner
{
public:
    explicit TextScanner(std::string_view text) : m_text(text) {}

    bool Integer(std::int64_t& value)
    {
        SkipBlanks();
        std::size_t used = 0;
        value = platform::ParseInt64(m_text.substr(m_pos), &used);
        m_pos += used;
        return used > 0;
    }
    bool Real(double& value)
    {
        SkipBlanks();
        std::size_t used = 0;
        value = platform::ParseDouble(m_text.substr(m_pos), &used);
        m_pos += used;
        return used > 0;
    }
    // A word of at most `limit` characters; the rest of a longer word is passed over.
    std::string Word(std::size_t limit)
    {
        SkipBlanks();
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && !std::isspace(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
        return platform::TruncateCharacters(platform::TextFromFile(m_text.substr(start, m_pos - start)),
                                            limit);
    }

private:
    void SkipBlanks()
    {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

}  // namespace

void CCalibrationCurve::Clear()
{
    m_pFrequency.clear();
    m_pValue.clear();
    m_pBinTable.clear();
    m_nPoints = 0;
}

void CCalibrationCurve::SetPoints(int count, double sampleRate, const float* frequencies, const float* values)
{
    Clear();
    m_bDecibel = 0;
    count = std::max(count, 0);
    const auto n = static_cast<std::size_t>(count);
    m_pValue.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        m_pValue[i] = static_cast<float>(1.0 / (static_cast<double>(values[i]) + 1e-20));
    if (frequencies != nullptr)
    {
        m_pFrequency.assign(frequencies, frequencies + n);
        m_bPairs = 1;
        m_dSampleRate = 0.0;
        m_dBinRate = 0.0;
        m_nBinCount = 0;
    }
    else
    {
        m_bPairs = 0;
        m_dSampleRate = sampleRate;
        m_dBinRate = sampleRate;
        m_nBinCount = count;
        m_pBinTable = m_pValue;
    }
    m_nPoints = count;
}

int CCalibrationCurve::LoadFromFile(const std::filesystem::path& path)
{
    // A calibration file is a short text of frequencies and values.
    constexpr std::uintmax_t kMaxCalibrationFileBytes = 16u * 1024 * 1024;
    std::string bytes;
    if (!platform::ReadFileBytes(path, bytes, kMaxCalibrationFileBytes))
    {
        m_lastError = LoadError::CannotOpen;
        return 0;
    }
    m_lastError = LoadError::None;
    TextScanner in(bytes);
    std::int64_t magic = 0;
    const bool haveMagic = in.Integer(magic);
    Clear();
    m_strPath = path.string();
    if (haveMagic && magic == kMagicPairs)
    {
        const std::string unit = in.Word(kMaxUnitCharacters);
        m_bDecibel = (unit.size() >= 3 && unit[2] == 'n') ? 0 : 1;
        double frequency = 0.0;
        double value = 0.0;
        while (static_cast<int>(m_pFrequency.size()) < kMaxPairs && in.Real(frequency) && in.Real(value))
        {
            m_pFrequency.push_back(static_cast<float>(frequency));
            m_pValue.push_back(static_cast<float>(value));
        }
        m_nPoints = static_cast<int>(m_pFrequency.size());
        m_dSampleRate = 0.0;
        m_dBinRate = 0.0;
        m_nBinCount = 0;
        m_bPairs = 1;
        return m_nPoints;
    }
    if (haveMagic && magic == kMagicTable)
    {
        std::int64_t count = 0;
        std::int64_t rate = 0;
        in.Integer(count);
        in.Integer(rate);
        if (count < 0 || count > kMaxTableValues)
        {
            m_lastError = LoadError::TooLarge;
            return 0;
        }
        // A value that does not convert ends the list; the missing ones read as 0.
        std::vector<float> values;
        double value = 0.0;
        while (static_cast<std::int64_t>(values.size()) < count && in.Real(value))
            values.push_back(static_cast<float>(value));
        values.resize(static_cast<std::size_t>(count), 0.0f);
        m_bPairs = 0;
        m_nPoints = static_cast<int>(count);
        m_nBinCount = m_nPoints;
        m_dSampleRate = static_cast<double>(rate);
        m_dBinRate = m_dSampleRate;
        m_pValue = std::move(values);
        m_pBinTable = m_pValue;
        return m_nPoints;
    }
    m_lastError = LoadError::UnknownFormat;
    return 0;
}

void CCalibrationCurve::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << static_cast<std::int32_t>(m_bEnabled) << static_cast<std::int32_t>(m_bReplace)
           << static_cast<std::int32_t>(m_nChannel) << static_cast<std::int32_t>(m_bAllChannels);
        ar << static_cast<std::int32_t>(m_strPath.size());
        ar.Write(std::span(reinterpret_cast<const std::uint8_t*>(m_strPath.data()), m_strPath.size()));
        return;
    }
    std::int32_t words[4] = {};
    for (std::int32_t& word : words)
        ar >> word;
    std::int32_t length = 0;
    ar >> length;
    if (length < 0 || length > kMaxStoredPathBytes)
        throw platform::ArchiveError(platform::ArchiveCause::Malformed,
                                     "calibration path length out of range");
    std::string path(static_cast<std::size_t>(length), '\0');
    ar.Read(std::span(reinterpret_cast<std::uint8_t*>(path.data()), path.size()));
    // Text from the other platform widens when decoded; what loads must also load again once stored.
    std::string decoded = platform::TextFromFile(path);
    if (decoded.size() > static_cast<std::size_t>(kMaxStoredPathBytes))
        throw platform::ArchiveError(platform::ArchiveCause::Malformed, "calibration path too long");
    m_bEnabled = words[0];
    m_bReplace = words[1];
    m_nChannel = words[2];
    m_bAllChannels = words[3];
    m_strPath = std::move(decoded);
}

bool CCalibrationCurve::PrepareBinTable(int bins, double sampleRate)
{
    if (bins <= 0)
        return false;
    if (m_dBinRate == sampleRate && m_nBinCount == bins && static_cast<int>(m_pBinTable.size()) == bins)
        return true;
    if (!m_bPairs || m_nPoints <= 0)
        return false;
    m_pBinTable.assign(static_cast<std::size_t>(bins), 0.0f);
    const auto count = static_cast<std::size_t>(m_nPoints);
    for (int k = 0; k < bins; ++k)
    {
        const double f = k * (sampleRate / bins) * 0.5;
        double v = 0.0;
        if (f <= m_pFrequency[0])
            v = m_pValue[0];
        else if (f >= m_pFrequency[count - 1])
            v = m_pValue[count - 1];
        else
        {
            std::size_t i = 1;
            while (i < count && m_pFrequency[i] < f)
                ++i;
            const double f0 = m_pFrequency[i - 1];
            const double f1 = m_pFrequency[i];
            const double t = f1 > f0 ? (f - f0) / (f1 - f0) : 0.0;
            v = m_pValue[i - 1] + t * (m_pValue[i] - m_pValue[i - 1]);
        }
        m_pBinTable[static_cast<std::size_t>(k)] =
            static_cast<float>(m_bDecibel ? std::pow(10.0, 0.1 * v) : v);
    }
    m_nBinCount = bins;
    m_dBinRate = sampleRate;
    return true;
}

bool CCalibrationCurve::Apply(std::span<float> spectrum, double sampleRate)
{
    if (!PrepareBinTable(static_cast<int>(spectrum.size()), sampleRate))
        return false;
    for (std::size_t k = 0; k < spectrum.size(); ++k)
        spectrum[k] = m_bReplace ? m_pBinTable[k] : spectrum[k] * m_pBinTable[k];
    return true;
}

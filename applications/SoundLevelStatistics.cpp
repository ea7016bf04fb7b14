#include "applications/SoundLevelStatistics.h"

#include <algorithm>
#include <cmath>

#include "common/NumberTexts.h"
#include "dsp/BandAnalyzer.h"
#include "platform/FileReplace.h"
#include "platform/NumberFormat.h"

namespace
{

// The analyser's A- and C-weighted meters (their places do not change with the wideband set).
constexpr int kMeterA = 2;
constexpr int kMeterC = 1;
constexpr int kPercentile95 = 6;

double Db(double value)
{
    return value > 0.0 ? 20.0 * std::log10(value) : CSoundLevelStatistics::kNoLevel;
}

}  // namespace

CSoundLevelStatistics::CSoundLevelStatistics()
{
    ResetHistogram();
}

void CSoundLevelStatistics::AddFastLevel(double level)
{
    const double db = 20.0 * std::log10(level);
    if (!std::isfinite(db))
        return;
    const double position = std::floor((db - kLowest) / kSpan * kBins);
    if (position >= 0.0 && position < kBins)
    {
        ++m_histogram[static_cast<std::size_t>(position)];
        ++m_total;
    }
}

double CSoundLevelStatistics::ComputeHistogramLa95() const
{
    if (m_total == 0)
        return kNoLevel;
    auto remaining = static_cast<std::int64_t>(std::floor(0.95 * m_total));
    for (int k = kBins - 1; k >= 0; --k)
    {
        remaining -= m_histogram[static_cast<std::size_t>(k)];
        if (remaining < 0)
            return k == 0 ? kNoLevel : kLowest + kSpan * (k - 1) / kBins;
    }
    return kNoLevel;
}

void CSoundLevelStatistics::ResetHistogram()
{
    m_histogram.fill(0);
    m_total = 0;
    m_dataId = 0;
}

void CSoundLevelStatistics::Update(const CBandAnalyzer* analyzer, bool loggerRunning)
{
    if (!analyzer)
        return;
    const CLevelMeter& a = analyzer->m_meters[kMeterA];
    const CLevelMeter& c = analyzer->m_meters[kMeterC];
    m_laeq = Db(a.m_rmsSinceReset);
    m_lceq = Db(c.m_rmsSinceReset);
    m_lceqMinusLaeq = m_lceq - m_laeq;
    m_lafteq = Db(a.m_taktLevel);
    m_lcpeak = Db(c.m_maxSample);
    m_lafmax = Db(a.m_maxFastLevel);
    m_lafteqMinusLaeq = a.m_taktRatio > 0.0 ? Db(a.m_taktRatio) : m_lafteq - m_laeq;
    m_seconds =
        analyzer->m_sampleRate > 0.0 ? static_cast<double>(a.m_sampleCount) / analyzer->m_sampleRate : 0.0;
    if (loggerRunning)
    {
        if (m_total > 0)
            m_la95 = ComputeHistogramLa95();
    }
    else if (const double own = Db(a.m_percentiles[kPercentile95]); own > kLowest)
        m_la95 = own;
}

std::string CSoundLevelStatistics::StatisticsText() const
{
    std::string text = ClipboardText();
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 1))
        text.erase(at, 1);
    std::string id = platform::FormatC("Data ID \t%i\n", m_dataId);
    return text + id;
}

std::string CSoundLevelStatistics::ClipboardText() const
{
    const struct
    {
        const char* name;
        double value;
    } lines[] = {
        {"LAeq", m_laeq},     {"LCeq", m_lceq},     {"LCeq-LAeq", m_lceqMinusLaeq},     {"LAFteq", m_lafteq},
        {"LCpeak", m_lcpeak}, {"LAFmax", m_lafmax}, {"LAFteq-LAeq", m_lafteq - m_laeq}, {"LA95", m_la95}};
    std::string text;
    for (const auto& line : lines)
        text += platform::FormatC("%s \t%s\r\n", line.name, FormatDb(line.value).c_str());
    ApplyDecimalComma(text);
    return text;
}

std::string CSoundLevelStatistics::BandText(const CBandAnalyzer* analyzer)
{
    std::string text;
    if (!analyzer || analyzer->m_bandCount < 1 || analyzer->m_bandCount > 255)
        return text;
    for (int b = 0; b < analyzer->m_bandCount; ++b)
    {
        const CLevelMeter* meter = analyzer->m_bandMeters[static_cast<std::size_t>(b)].get();
        const double level = meter ? meter->GetLevel(kLevelFast) : 1e-99;
        std::string line =
            platform::FormatC("%.1fHz\t%.1fdB\n", analyzer->m_bandCenters[static_cast<std::size_t>(b)],
                              20.0 * std::log10(std::max(level, 1e-99)));
        ApplyDecimalComma(line);
        text += line;
    }
    return text;
}

bool CSoundLevelStatistics::Export(const CBandAnalyzer* analyzer, const std::string& fileName)
{
    if (m_exportInterval <= 0.0 || fileName.empty())
        return false;
    if (const std::string bands = BandText(analyzer); !bands.empty())
        platform::ReplaceFileAtomically(fileName + "_RTA", bands);
    if (!platform::ReplaceFileAtomically(fileName, StatisticsText()))
        return false;
    ++m_dataId;
    return true;
}

void CSoundLevelStatistics::FitSize(int baseWidth, int baseHeight, int factor, int screenWidth,
                                    int screenHeight, int& width, int& height)
{
    width = baseWidth * factor;
    height = baseHeight * factor;
    if (width <= 0 || height <= 0)
        return;
    const double shrink =
        std::min({1.0, static_cast<double>(screenWidth) / width, static_cast<double>(screenHeight) / height});
    width = static_cast<int>(std::floor(width * shrink));
    height = static_cast<int>(std::floor(height * shrink));
}

// What the level logger's display, its export and its reports read back out of a run.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "applications/LevelLogger.h"
#include "common/HtmlReport.h"
#include "common/NumberTexts.h"
#include "common/ShellHelpers.h"
#include "common/TextDataFiles.h"
#include "common/TextFormatting.h"
#include "dsp/FrequencyWeighting.h"
#include "dsp/LoggerRangeStatistics.h"
#include "platform/FileReplace.h"
#include "platform/NumberFormat.h"

std::string GetLoggerQuantityName(int quantity)
{
    static const char* const kNames[] = {"SPL(Fast)", "SPL(Slow)", "Peak",   "Taktmaximalpegel LAFT(t)",
                                         "C Peak",    "LEQ(A)",    "LEQ(C)", "LEQ(Z)"};
    if (quantity < 0 || quantity > 7)
        return {};
    return kNames[quantity];
}

std::string GetLoggerQuantityLabel(int quantity, int weighting)
{
    std::string label = GetLoggerQuantityName(quantity);
    if (quantity == 0 || quantity == 1 || quantity == 2 || quantity > 7)
        label += "(" + GetWeightingName(weighting) + ")";
    return label;
}

std::int64_t CLevelLogger::ClampRange(std::int64_t& first, std::int64_t& last) const
{
    return ClampLoggedRange(std::min(m_blocksCounted.load(std::memory_order_acquire), m_ringSize), first, last);
}

CLevelRecord CLevelLogger::GetRecord(std::int64_t block, int wideband, int band) const
{
    if (block < 0 || block >= m_ringSize)
        return CLevelRecord();
    std::size_t index = 0;
    if (band >= 0)
    {
        if (band >= m_ringBands)
            return CLevelRecord();
        index = static_cast<std::size_t>(m_ringWideband + band);
    }
    else if (wideband >= 0 && wideband < m_ringWideband)
        index = static_cast<std::size_t>(wideband);
    if (index >= RecordsPerBlock())
        return CLevelRecord();
    return BlockRecords(block)[index];
}

std::int64_t CLevelLogger::GetSampleCount(std::int64_t block) const
{
    if (block < 0 || block >= m_ringSize)
        return 0;
    return m_blockSamplesRing[static_cast<std::size_t>(block)];
}

double CLevelLogger::GetValue(int type, std::int64_t block, int wideband, int band) const
{
    const CLevelRecord record = GetRecord(block, wideband, band);
    const double previous = block > 0 ? GetRecord(block - 1, wideband, band).m_energyTotal : 0.0;
    switch (type)
    {
        case 0:
            return record.m_rmsFast;
        case 1:
            return record.m_rmsSlow;
        case 2:
            return record.GetPeak();
        case 3:
        {
            const std::int64_t samples = GetSampleCount(block);
            const double energy = record.m_energyTotal - previous;
            return samples > 0 && energy > 0.0 ? std::sqrt(energy / static_cast<double>(samples)) : 0.0;
        }
        case 4:
            return record.m_energyTotal;
        case 101:
            return record.m_energyTotal - previous;
        default:
            return 0.0;
    }
}

void CLevelLogger::FillTimeSeries(CFloatMatrix& matrix, int quantity, int wideband, int band,
                                  std::int64_t first, std::int64_t last) const
{
    const std::int64_t count = ClampRange(first, last);

    int type = 0;
    switch (quantity)
    {
        case kSplSlow:
            type = 1;
            break;
        case kPeak:
            type = 2;
            break;
        case kCPeak:
            type = 2;
            wideband = 2;
            break;
        case kLeqA:
            type = 3;
            wideband = 1;
            break;
        case kLeqC:
            type = 3;
            wideband = 2;
            break;
        case kLeqZ:
            type = 3;
            wideband = 0;
            break;
        default:
            break;
    }
    if (quantity == kTaktMax)
    {
        if (m_fastInterval > 5.0)
            return;
        const int windows = static_cast<int>(std::floor(static_cast<double>(count) * m_fastInterval * 0.2));
        matrix.Resize(std::max(windows, 0), 1);
        std::int64_t block = first;
        // The window's time counted in samples, so that blocks of exactly 5 s fill a window
        // without a rounding error taking one block more.
        const double window = 5.0 * m_sampleRate;
        double time = 0.0;
        std::int64_t samples = 0;
        for (int w = 0; w < windows; ++w)
        {
            double largest = -1e99;
            while (time < window && block <= last)
            {
                const std::int64_t blockSamples = GetSampleCount(block);
                time += static_cast<double>(blockSamples);
                samples += blockSamples;
                largest = std::max(largest, GetValue(0, block, 1, -1));
                ++block;
            }
            matrix.SetValue(static_cast<float>(largest), w, 0);
            matrix.m_x[static_cast<std::size_t>(w)] =
                static_cast<float>(static_cast<double>(samples) / m_sampleRate);
            time -= window;
        }
        return;
    }
    matrix.Resize(static_cast<int>(count), 1);
    for (std::int64_t j = 0; j < count; ++j)
    {
        matrix.SetValue(static_cast<float>(GetValue(type, first + j, wideband, band)), static_cast<int>(j),
                        0);
        matrix.m_x[static_cast<std::size_t>(j)] =
            static_cast<float>(static_cast<double>(first + j) * m_fastInterval);
    }
}

void CLevelLogger::FillOwnTimeSeries(int quantity, int wideband, int band)
{
    FillTimeSeries(m_matrix, quantity, wideband, band, -1, -1);
}

std::int64_t CLevelLogger::SumBlockSamples(std::int64_t first, std::int64_t last) const
{
    if (ClampRange(first, last) == 0)
        return 0;
    std::int64_t sum = 0;
    for (std::int64_t j = first; j <= last; ++j)
        sum += GetSampleCount(j);
    return sum;
}

int CLevelLogger::ExportCsv(const std::string& folder) const
{
    std::vector<std::string> files;
    if (ReadStringList(folder + "/blocks.list", files) != 0 || files.empty())
        return -1;
    std::string text;
    CLevelLogger reader(m_autoSaveFolder, m_dinFolder);
    reader.m_startWriterThread = false;
    reader.m_journalOn = false;
    std::int64_t row = 0;
    for (const std::string& file : files)
    {
        if (!reader.ReadDataFile(folder + "/" + StripPath(file), ""))
            continue;  // a set that cannot be read adds nothing
        const std::int64_t stored = std::min(reader.m_storedBlocks, reader.m_ringSize);
        for (std::int64_t i = 0; i < stored; ++i, ++row)
        {
            std::string line =
                platform::FormatC("%.3f", static_cast<double>(row) * reader.m_fastInterval) + ";";
            for (int channel : {1, 0, 2})
                line += FormatDbNumber(20.0 * std::log10(reader.GetValue(3, i, channel, -1))) + ";";
            ApplyDecimalComma(line);
            text += line + "\n";
        }
        text += "\n";
    }
    return platform::ReplaceFileAtomically(folder + "/export.csv", text) ? 0 : -2;
}

int CLevelLogger::WriteDinReport()
{
    std::vector<std::string> files;
    const std::string folder = m_lastFolder;
    // The last period file holds the information and every summary up to it; it is read into a
    // logger of its own so that this run stays as it is.
    CLevelLogger reader(m_autoSaveFolder, m_dinFolder);
    reader.m_startWriterThread = false;
    reader.m_journalOn = false;
    const CLevelLogger* source = this;
    if (ReadStringList(folder + "/blocks.list", files) == 0 && !files.empty() &&
        reader.ReadDataFile(folder + "/" + StripPath(files.back()), ""))
        source = &reader;

    CHtmlReport report;
    report.m_strPath = folder + "/DIN15905.htm";
    report.m_strTitle = "DIN15905";
    report.Open();
    source->m_dinInfo.WriteEventHtml(report);
    source->m_dinInfo.WriteMeasurementHtml(report);
    report.Heading1("Messergebnisse");
    std::vector<std::string> begin, duration, leq, peak;
    for (const CDin15905Block& summary : source->m_summaries)
    {
        begin.push_back(FormatTimeC(summary.m_start, "%A, %B %d, %Y %H:%M:%S"));
        duration.push_back(FormatTimeSpan(summary.m_duration));
        // A period without a block has no level.
        leq.push_back(summary.m_leqA > 0.0 ? platform::FormatC("%.1fdB", 20.0 * std::log10(summary.m_leqA) +
                                                                             source->m_dinInfo.m_k1)
                                           : std::string("--"));
        peak.push_back(summary.m_peakC > 0.0
                           ? platform::FormatC("Peak(C) %.1fdB",
                                               20.0 * std::log10(summary.m_peakC) + source->m_dinInfo.m_k2)
                           : std::string("Peak(C) --"));
    }
    report.WriteText(MakeHtmlTable4(begin, duration, leq, peak, "Beginn der Messung", "Dauer", "LAEQ [dB]",
                                    "LCPEAK [dB]"));
    report.Close();
    return 0;
}

#include "applications/LoggerReports.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>

#include "applications/LevelLogger.h"
#include "common/FloatSort.h"
#include "common/HtmlReport.h"
#include "common/NumberTexts.h"
#include "common/TextFormatting.h"
#include "dsp/FloatMatrix.h"
#include "dsp/FrequencyWeighting.h"
#include "dsp/LoggerRangeStatistics.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"

namespace
{

constexpr int kTextReportFolderLink = 1000075;
constexpr int kTextFrequency = 1000030;
constexpr int kTextTime = 1000031;
constexpr int kTextWeighting = 1000294;
constexpr const char* kStartFormat = "%A, %B %d, %Y %H:%M:%S";
constexpr const char* kTableHead =
    "<TABLE border=\"1\" cellpadding=\"4\" bordercolordark=\"#666666\" bordercolorlight=\"#999999\">\n";

// 20·log10 of a linear level (minus infinity for 0, which the number formats print as "--").
double Db20(double value)
{
    return value > 0.0 ? 20.0 * std::log10(value) : -std::numeric_limits<double>::infinity();
}

// 10·log10 of an energy per sample.
double Db10(double energy, std::int64_t samples)
{
    return energy > 0.0 && samples > 0 ? 10.0 * std::log10(energy / static_cast<double>(samples))
                                       : -std::numeric_limits<double>::infinity();
}

// The format with the level in its "%.1f", or "--" there when the level has no number.
std::string Fixed1(const char* format, double level)
{
    std::string text;
    if (std::isfinite(level))
        text = platform::FormatC(format, level);
    else
    {
        text = format;
        const std::size_t at = text.find("%.1f");
        if (at != std::string::npos)
            text.replace(at, 4, "--");
    }
    ApplyDecimalComma(text);
    return text;
}

// A table row of cells in the given cell form.
std::string TableRow(const std::vector<std::string>& cells, const char* cellFormat)
{
    std::string row = "<TR>\n";
    for (const std::string& cell : cells)
        row += platform::FormatC(cellFormat, cell.c_str());
    return row + "</TR>\n";
}

bool StopRequested(const LoggerReportTarget& target)
{
    return target.stop && target.stop->load(std::memory_order_acquire) != 0;
}

void SetProgress(const LoggerReportTarget& target, double value)
{
    if (target.progress)
        target.progress->store(value, std::memory_order_release);
}

std::string InFolder(const LoggerReportTarget& target, const std::string& name)
{
    return (std::filesystem::path(target.folder) / name).string();
}

// The settings lines both reports open with.
void WriteRunSettings(CHtmlReport& report, const CLevelLogger& logger)
{
    const std::int64_t blocks = logger.GetStoredBlocks();
    report.Heading1("Einstellungen");
    report.WriteLine("Beginn der Messung: " + FormatTimeC(logger.m_startTime, kStartFormat));
    report.WriteLine("Anzahl der Datenpunkte: " + platform::FormatC("%i", static_cast<int>(blocks)));
    report.WriteLine("Meßintervall: " + FormatTimeSpan(logger.m_fastInterval));
    report.WriteLine("Meßdauer: " + FormatTimeSpan(static_cast<double>(blocks) * logger.m_fastInterval));
}

// One picture step: the window's drawing, then the capture and the image tag; a window that does
// not answer leaves a line saying so.
void CapturePicture(CHtmlReport& report, CReportPlots& plots, bool shown, const LoggerReportTarget& target,
                    const std::string& picture, LoggerReportResult& result)
{
    if (shown && plots.Capture(InFolder(target, picture)))
    {
        report.Image(picture);
        return;
    }
    result.timeouts.push_back(picture);
    report.WriteLine("Zeitüberschreitung: Das Messfenster hat nicht rechtzeitig geantwortet (" + picture +
                     ")");
}

void WriteHandTable(CHtmlReport& report, const std::vector<std::string>& header,
                    const std::vector<std::vector<std::string>>& rows)
{
    std::string table = kTableHead;
    table += TableRow(header, "<TD> %s </TD>\n");
    for (const auto& row : rows)
        table += TableRow(row, "<TD>%s</TD>\n");
    table += "</TABLE>\n";
    report.WriteLine(table);
}

// Ends a report that was asked to stop: a line saying so and the pages closed.
LoggerReportResult Stopped(CHtmlReport& report, CHtmlReport* table, LoggerReportResult result)
{
    report.WriteLine(kReportStoppedText);
    report.Close();
    if (table)
        table->Close();
    result.stopped = true;
    return result;
}

std::string BandWeightingName(const CLevelLogger& logger)
{
    return GetWeightingName(logger.m_bands.m_weighting);
}

}  // namespace

bool HasTaktFigures(const CLevelLogger& logger)
{
    return logger.m_fastInterval <= 5.0 &&
           static_cast<double>(logger.GetStoredBlocks()) * logger.m_fastInterval >= 5.0;
}

double ExceededFastLevel(const CLevelLogger& logger, double percent)
{
    CFloatMatrix series;
    logger.FillTimeSeries(series, CLevelLogger::kSplFast, 1, -1, -1, -1);
    const int count = series.GetColumns();
    if (count < 1 || series.GetRows() < 1)
        return 0.0;
    SortFloats(series.GetRow(0), count);
    const auto k = static_cast<int>((1.0 - percent * 0.01) * (count - 1));
    return series.GetValue(std::clamp(k, 0, count - 1), 0);
}

LoggerReportResult WriteSplLoggerReport(CLevelLogger& logger, const LoggerReportTarget& target,
                                        CReportPlots* plots)
{
    LoggerReportResult result;
    SetProgress(target, 0.02);
    logger.WriteDataFile(InFolder(target, kReportDataSet), "");
    SetProgress(target, 0.1);

    CHtmlReport report;
    report.m_strPath = InFolder(target, target.fileName);
    report.m_strTitle = "SPL DatenLogger";
    if (!report.Open())
        return result;
    result.written = true;

    const std::int64_t blocks = logger.GetStoredBlocks();
    const bool takt = HasTaktFigures(logger);
    WriteRunSettings(report, logger);
    report.WriteLine(Fixed1("Kalibrieroffset: %.1fdB", logger.m_calibrationOffset));
    report.LineBreak();

    if (plots)
    {
        report.Heading1("Pegel-Zeitverlauf A F");
        // Forced, so that the course shows this selection and not the window's previous one.
        CapturePicture(report, *plots, plots->ShowLoggerCourse(CLevelLogger::kSplFast, 1, true), target,
                       "SPL_fast_wideband.png", result);
        if (StopRequested(target))
            return Stopped(report, nullptr, result);
        if (takt)
        {
            report.Heading1("Taktmaximalpegel 5s A F");
            CapturePicture(report, *plots, plots->ShowLoggerCourse(CLevelLogger::kTaktMax, 1, true), target,
                           "SPL_Taktmax_wideband.png", result);
            if (StopRequested(target))
                return Stopped(report, nullptr, result);
        }
        const bool overlays = plots->ShowLeqOverlays();
        report.Heading1("Pegel-Zeitverlauf LEQ");
        CapturePicture(report, *plots, overlays, target, "SPL_LEQ_wideband.png", result);
        plots->EndLeqOverlays();
        if (StopRequested(target))
            return Stopped(report, nullptr, result);
    }

    CHtmlReport table;
    table.m_strPath = InFolder(target, "Table" + target.fileName);
    table.m_strTitle = "Tabelle";
    table.Open();
    report.LineBreak();
    report.Link(GetText(kTextReportFolderLink), "Table" + target.fileName);

    const int bandCount = logger.GetLoggedBandCount();
    const int bandsPerOctave = logger.m_bands.m_bandsPerOctave;
    if (bandCount > 0 && plots)
    {
        const bool octaves = bandsPerOctave == 1;
        report.Heading1(octaves ? "Mittleres Oktav-Spektrum Z LEQ" : "Mittleres Terz-Spektrum Z LEQ");
        CapturePicture(report, *plots, plots->ShowMeanSpectrum(octaves ? 10001 : 10002), target,
                       "spectrum3_LEQ.png", result);
        if (StopRequested(target))
            return Stopped(report, &table, result);
    }

    std::vector<CLoggerRangeEntry> entries;
    ComputeLoggerRangeStatistics(logger, entries, -1, -1);
    SetProgress(target, 0.4);
    const int wideband = logger.GetRecordWidebandCount();
    const std::int64_t samples = entries.empty() ? 0 : entries[0].m_samples;
    const auto entry = [&](int index) -> CLoggerRangeEntry
    {
        return index >= 0 && index < static_cast<int>(entries.size())
                   ? entries[static_cast<std::size_t>(index)]
                   : CLoggerRangeEntry();
    };

    CFloatMatrix taktSeries;
    double taktLevel = 0.0;
    if (takt)
    {
        logger.FillTimeSeries(taktSeries, CLevelLogger::kTaktMax, 1, -1, -1, -1);
        double sum = 0.0;
        for (int j = 0; j < taktSeries.GetColumns(); ++j)
            sum += static_cast<double>(taktSeries.GetValue(j, 0)) * taktSeries.GetValue(j, 0);
        if (taktSeries.GetColumns() > 0)
            taktLevel = std::sqrt(sum / taktSeries.GetColumns());
    }

    const double laeq = Db10(entry(1).m_mean.m_energyTotal, samples);
    const double lceq = Db10(entry(2).m_mean.m_energyTotal, samples);
    std::vector<std::string> names = {"LAeq", "LCeq", "LCeq-LAeq"};
    std::vector<std::string> values = {FormatDbNumber(laeq), FormatDbNumber(lceq),
                                       FormatDbNumber(lceq - laeq)};
    if (takt)
    {
        names.push_back("LAFteq");
        values.push_back(FormatDbNumber(Db20(taktLevel)));
    }
    names.insert(names.end(), {"LCpeak", "LAFmax"});
    values.push_back(FormatDbNumber(Db20(entry(2).m_maximum.m_splMax)));
    values.push_back(FormatDbNumber(Db20(entry(1).m_maximum.m_rmsFast)));
    if (takt)
    {
        names.push_back("LAFteq-LAeq");
        values.push_back(FormatDbNumber(Db20(taktLevel) - laeq));
    }
    names.push_back("LA95");
    values.push_back(FormatDbNumber(Db20(ExceededFastLevel(logger, 95.0))));
    report.Heading1("TA_Lärm Parameter");
    report.WriteText(MakeHtmlTable2(names, values, "TA Lärm", "dB"));

    report.Heading1("Perzentile A F");
    std::vector<std::string> percentNames = {"LAF95", "LAF5", "LAF1", "LAF0.1"};
    std::vector<std::string> percentValues;
    for (double percent : {95.0, 5.0, 1.0, 0.1})
        percentValues.push_back(FormatDbNumber(Db20(ExceededFastLevel(logger, percent))));
    report.WriteText(MakeHtmlTable2(percentNames, percentValues, "Perzentile", "dB"));

    report.Heading1("Statistiken breitbandig");
    for (int k = 0; k < wideband; ++k)
    {
        const CLoggerRangeEntry e = entry(k);
        report.Heading2(GetText(kTextWeighting) + ":" + GetWeightingName(logger.m_wideband[k].m_weighting));
        report.WriteLine(Fixed1("LEQ:  %.1fdB", Db10(e.m_mean.m_energyTotal, samples)));
        report.WriteLine(Fixed1("SPL (Fast): min: %.1fdB", Db20(e.m_minimum.m_rmsFast)) +
                         Fixed1(" max: %.1fdB", Db20(e.m_maximum.m_rmsFast)));
        report.WriteLine(Fixed1("SPL (Slow): min: %.1fdB", Db20(e.m_minimum.m_rmsSlow)) +
                         Fixed1(" max: %.1fdB", Db20(e.m_maximum.m_rmsSlow)));
        report.WriteLine(Fixed1("Spitzenwert (ohne Zeitbewertung):  %.1fdB", Db20(e.m_maximum.m_splMax)));
    }
    report.LineBreak();

    if (bandCount > 0)
    {
        report.Heading1(platform::FormatC("Statistiken 1/%i Oktav", bandsPerOctave) + " " +
                        GetText(kTextWeighting) + ":" + BandWeightingName(logger));
        std::vector<std::vector<std::string>> rows;
        for (int b = 0; b < bandCount; ++b)
        {
            const double centre = logger.m_bands.GetBandCenter(b);
            const double energy = entry(wideband + b).m_mean.m_energyTotal;
            rows.push_back({platform::FormatC("%.0f", centre), FormatDbNumber(Db10(energy, samples)),
                            FormatDbNumber(Db10(GetAWeightingPower(centre) * energy, samples)),
                            FormatDbNumber(Db10(GetCWeightingPower(centre) * energy, samples))});
        }
        WriteHandTable(report, {GetText(kTextFrequency) + " [Hz]", "LEQ(Z)[dB]", "LEQ(A)[dB]", "LEQ(C)[dB]"},
                       rows);
    }
    else
        report.Heading1(kNoSpectrumText);
    if (StopRequested(target))
        return Stopped(report, &table, result);

    table.Heading1("Pegel-Zeitverläufe");
    std::vector<std::string> header = {GetText(kTextTime) + " [s]", "LEQ(A)[dB]", "LEQ(C)[dB]",
                                       "SPL F (A)[dB]"};
    if (takt)
        header.push_back("LAFT5s[dB]");
    std::vector<std::vector<std::string>> rows;
    rows.reserve(static_cast<std::size_t>(std::max<std::int64_t>(blocks, 0)));
    int window = 0;
    for (std::int64_t i = 0; i < blocks; ++i)
    {
        const double time = static_cast<double>(i) * logger.m_fastInterval;
        std::string timeText = platform::FormatC("%.3f", time);
        ApplyDecimalComma(timeText);
        std::vector<std::string> row = {timeText, FormatDbNumber(Db20(logger.GetValue(3, i, 1, -1))),
                                        FormatDbNumber(Db20(logger.GetValue(3, i, 2, -1))),
                                        FormatDbNumber(Db20(logger.GetValue(0, i, 1, -1)))};
        if (takt)
        {
            const int windows = taktSeries.GetColumns();
            while (window < windows - 1 && taktSeries.m_x[static_cast<std::size_t>(window)] <= time)
                ++window;
            row.push_back(windows > 0 ? FormatDbNumber(Db20(taktSeries.GetValue(window, 0))) : "--");
        }
        rows.push_back(std::move(row));
        if ((i & 1023) == 0 && StopRequested(target))
            return Stopped(report, &table, result);
    }
    WriteHandTable(table, header, rows);
    table.Close();
    report.Close();
    SetProgress(target, 1.0);
    return result;
}

LoggerReportResult WriteSoundPowerReport(CLevelLogger& logger, const LoggerReportTarget& target,
                                         const SoundPowerSettings& settings, CReportPlots* plots)
{
    LoggerReportResult result;
    SetProgress(target, 0.02);
    CHtmlReport report;
    report.m_strPath = InFolder(target, target.fileName);
    report.m_strTitle = "Schallleistung via Hüllkurve";
    if (!report.Open())
        return result;
    result.written = true;

    WriteRunSettings(report, logger);
    report.LineBreak();
    report.WriteLine(platform::FormatC("Anzahl der Mikrofone: %i", settings.microphones));
    report.WriteLine(Fixed1("Meßfläche: %.1fqm", settings.surface));
    report.LineBreak();

    logger.FillOwnTimeSeries(CLevelLogger::kSplFast, 1, -1);
    const int sorted =
        std::min<int>(logger.m_matrix.GetColumns(), static_cast<int>(logger.GetStoredBlocks()));
    if (sorted > 0 && logger.m_matrix.GetRows() > 0)
        SortFloats(logger.m_matrix.GetRow(0), sorted);
    SetProgress(target, 0.2);

    if (plots)
    {
        CapturePicture(report, *plots, plots->ShowLoggerCourse(CLevelLogger::kSplFast, 1, false), target,
                       "SPL_fast_wideband.png", result);
        if (StopRequested(target))
            return Stopped(report, nullptr, result);
    }

    std::vector<CLoggerRangeEntry> entries;
    ComputeLoggerRangeStatistics(logger, entries, -1, -1);
    SetProgress(target, 0.6);
    const std::int64_t samples = entries.empty() ? 0 : entries[0].m_samples;
    const int wideband = logger.GetRecordWidebandCount();
    const CLoggerRangeEntry a = entries.size() > 1 ? entries[1] : CLoggerRangeEntry();
    report.Heading1("Statistiken breitbandig");
    report.Heading2(GetText(kTextWeighting) + ":" + GetWeightingName(logger.m_wideband[1].m_weighting));
    report.WriteLine(Fixed1("LEQ:  %.1fdB", Db10(a.m_mean.m_energyTotal, samples)));
    report.WriteLine(Fixed1("SPL (Fast):  %.1fdB", Db20(a.m_mean.m_rmsFast)) +
                     Fixed1("  min: %.1fdB", Db20(a.m_minimum.m_rmsFast)) +
                     Fixed1(" max: %.1fdB", Db20(a.m_maximum.m_rmsFast)));
    report.WriteLine(Fixed1("SPL (Slow):  %.1fdB", Db20(a.m_mean.m_rmsSlow)) +
                     Fixed1("  min: %.1fdB", Db20(a.m_minimum.m_rmsSlow)) +
                     Fixed1(" max: %.1fdB", Db20(a.m_maximum.m_rmsSlow)));
    report.WriteLine(Fixed1("Spitzenwert:  %.1fdB", Db20(a.m_maximum.m_splMax)));
    report.LineBreak();

    // The heading names the run's real resolution.
    const int bandCount = logger.GetLoggedBandCount();
    report.Heading1(platform::FormatC("Statistiken 1/%i Oktav", logger.m_bands.m_bandsPerOctave) + " " +
                    GetText(kTextWeighting) + ":" + BandWeightingName(logger));
    std::vector<std::vector<std::string>> rows;
    for (int b = 0; b < bandCount; ++b)
    {
        const std::size_t index = static_cast<std::size_t>(wideband + b);
        const double energy = index < entries.size() ? entries[index].m_mean.m_energyTotal : 0.0;
        rows.push_back({platform::FormatC("%.0f", logger.m_bands.GetBandCenter(b)),
                        FormatDbNumber(Db10(energy, samples))});
    }
    WriteHandTable(report, {GetText(kTextFrequency) + " [Hz]", "LEQ [dB]"}, rows);
    report.Close();
    SetProgress(target, 1.0);
    return result;
}

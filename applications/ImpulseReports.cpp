#include "applications/ImpulseReports.h"

#include "applications/DIN15905Info.h"
#include "common/HtmlReport.h"
#include "common/ShellHelpers.h"
#include "display/settings/ViewSettings.h"
#include "dsp/BandFilterTables.h"
#include "dsp/RoomAcoustics.h"
#include "dsp/StiEvaluator.h"
#include "engine/SoundIn.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"
#include "view/SndView.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <memory>
#include <vector>

namespace
{

// Pauses between remote steps, so that the window can redraw before a picture is taken.
constexpr int kShortPauseMs = 100;
constexpr int kPauseMs = 200;
constexpr int kLongPauseMs = 500;
// The y range of the energy-decay plots (dB).
constexpr double kDecayYMin = -62.0;
constexpr double kDecayYMax = 5.0;

std::string DateLine()
{
    return FormatTimeC(std::time(nullptr), "%A, %B %d, %Y %c") + "\n";
}

// What the writers read of the window before they start, on its thread.
struct ReportInputs
{
    double rate = 0.0;
    ReportBandRange band;
    double decayStart = 0.0;
    double decayEnd = 0.0;
    CStiBandValues snr;
    std::vector<float> channel0;
    int analysisLength = 0;
};

bool ReadInputs(CSndView& view, ReportInputs& inputs, bool withSamples)
{
    return view.CallOnWindowThread(
        [&]
        {
            const CImpulseResponse& impulse = view.GetImpulse();
            const CSoundIn& engine = view.GetEngine();
            inputs.rate = impulse.m_dSampleRate > 0.0 ? impulse.m_dSampleRate : engine.m_nSampleRate;
            inputs.band.low = engine.m_reverbWizard.minFrequency;
            inputs.band.high = engine.m_reverbWizard.maxFrequency;
            inputs.decayStart = engine.m_irDecayStartLevel;
            inputs.decayEnd = engine.m_irDecayEndLevel;
            inputs.snr.Assign(engine.m_stiSnrValues);
            inputs.analysisLength = impulse.IsHeld() ? impulse.m_nAnalysisLength : 0;
            if (withSamples && impulse.IsHeld() && impulse.m_nFrames > 0)
                inputs.channel0.assign(impulse.Channel(0), impulse.Channel(0) + impulse.m_nFrames);
        });
}

// The inputs, then the window's narrow-band analysis and its per-band evaluation switched.
bool BeginBandAnalysis(CSndView& view, ReportInputs& inputs, int bandMode, int perBand)
{
    return ReadInputs(view, inputs, false) && view.CallOnWindowThread(
                                                  [&]
                                                  {
                                                      view.m_nBandMode = bandMode;
                                                      view.m_bPerBandEvaluation = perBand;
                                                  });
}

// Channel 0's room-acoustic figures as the window last computed them.
bool ReadResults(CSndView& view, CRoomAcousticResults& results)
{
    return view.CallOnWindowThread([&] { results = view.GetRoomAcousticResults(0); });
}

// Makes the window compute its curves anew and waits for them: true when they came in time. A
// time-out is written into the report.
bool Recompute(CSndView& view, CHtmlReport* report)
{
    view.MarkImpulseCurvesStale();
    if (view.WaitForImpulseCurves(kReportRecomputeTimeoutMs) == 0)
        return true;
    if (report != nullptr && !view.IsJobStopRequested())
        report->WriteLine(kReportTimeoutText);
    return false;
}

// Ends a report whose window asked the job to stop.
int StopReport(CHtmlReport& report)
{
    report.WriteLine(kReportStoppedText);
    report.Close();
    return -1;
}

std::string ReportFile(const CSndView& view, const std::string& name)
{
    return (std::filesystem::path(view.m_strReportFolder) / name).string();
}

// A picture of the plot into the report folder and its image in the report.
void Screenshot(CSndView& view, CHtmlReport& report, const std::string& name)
{
    view.RemoteScreenshot(ReportFile(view, name));
    report.Image(name);
}

// The bands of a results table whose centres lie within [low, high], as rows of centres, decay
// times and error indices.
std::string DecayBandTable(const CSoundIn& engine, double low, double high, const float* centres,
                           const float* times, const float* errors, int count)
{
    count = std::max(0, count);
    const std::string table =
        MakeHtmlBandTable(low, high, std::span<const float>(centres, static_cast<std::size_t>(count)),
                          std::span<const float>(times, static_cast<std::size_t>(count)),
                          std::span<const float>(errors, static_cast<std::size_t>(count)), count,
                          GetText(1000030) + " [Hz]", "RT60 [ms]", GetText(1000074));
    return engine.ApplyDecimalComma(table);
}

double LargestThirdOctaveTime(const CRoomAcousticResults& results, const ReportBandRange& band)
{
    double largest = 0.0;
    for (int i = 0; i < results.m_thirdLastBand && i < static_cast<int>(results.m_thirdCentres.size()); ++i)
    {
        const double centre = results.m_thirdCentres[static_cast<std::size_t>(i)];
        if (centre >= band.low && centre <= band.high)
            largest = std::max(largest,
                               static_cast<double>(results.m_thirdDecayTimes[static_cast<std::size_t>(i)]));
    }
    return largest;
}

}  // namespace

int WriteImpulseReport(CSndView& view)
{
    ReportInputs inputs;
    if (!ReadInputs(view, inputs, true))
        return -1;
    const ReportBandRange band = inputs.band;
    CHtmlReport report;
    report.m_strPath = ReportFile(view, view.m_strReportName + ".htm");
    report.m_strTitle = "Impulse analysis report";
    std::FILE* file = report.Open();

    // Settings.
    report.Heading1(GetText(1000119) + "\n");
    report.Heading2(GetText(1000120));
    report.WriteText(DateLine());
    report.LineBreak();
    report.WriteText(platform::FormatC("%s %0.2fHz\n", GetText(1000048).c_str(), inputs.rate));
    report.LineBreak();

    // The impulse, and the file it is kept in.
    view.RemoteSetViewMode(256);
    Recompute(view, &report);
    if (!view.JobSleep(kPauseMs))
        return StopReport(report);
    view.RemoteYAutoScale();
    view.JobSleep(kPauseMs);
    report.Heading2(GetText(1000071) + "\n");
    report.LineBreak();
    report.LineBreak();
    Screenshot(view, report, "Impulse.png");
    view.JobSleep(kPauseMs);
    const std::string wave = ReportFile(view, "impulse.wav");
    view.CallOnWindowThread([&] { view.SaveImpulseAsWave(wave); });
    report.LineBreak();
    report.Link(platform::FormatC("%s (.wav file)", GetText(1000070).c_str()), "impulse.wav");
    report.LineBreak();
    report.HorizontalRule();
    if (view.IsJobStopRequested())
        return StopReport(report);

    // Frequency response.
    report.Heading2(GetText(1000036) + "\n");
    view.RemoteSetViewMode(257);
    view.JobSleep(kPauseMs);
    view.RemoteYAutoScale();
    view.RemoteSetXRange(0.9 * band.low, 1.1 * band.high);
    view.JobSleep(kLongPauseMs);
    report.LineBreak();
    report.LineBreak();
    Screenshot(view, report, "FreqResponse.png");
    view.JobSleep(kPauseMs);
    report.HorizontalRule();
    if (view.IsJobStopRequested())
        return StopReport(report);

    // Schroeder plot.
    report.Heading2(GetText(1000072) + "\n");
    view.RemoteSetViewMode(260);
    view.JobSleep(kPauseMs);
    view.RemoteSetYRange(kDecayYMin, kDecayYMax);
    view.JobSleep(kLongPauseMs);
    report.LineBreak();
    report.LineBreak();
    Screenshot(view, report, "Schroeder.png");
    view.JobSleep(kPauseMs);
    report.HorizontalRule();
    if (view.IsJobStopRequested())
        return StopReport(report);

    // Reverberation time over frequency.
    report.Heading2(GetText(1000035) + " vs. " + GetText(1000030) + "\n");
    view.RemoteSetViewMode(262);
    view.JobSleep(kPauseMs);
    Recompute(view, &report);
    CRoomAcousticResults results;
    if (!ReadResults(view, results))
        return StopReport(report);
    view.RemoteSetXRange(0.9 * band.low, 1.1 * band.high);
    view.RemoteSetYRange(0.0, 1.05 * LargestThirdOctaveTime(results, band));
    view.JobSleep(kPauseMs);
    report.LineBreak();
    report.LineBreak();
    Screenshot(view, report, "reverb.png");
    view.JobSleep(kPauseMs);
    report.HorizontalRule();
    if (view.IsJobStopRequested())
        return StopReport(report);

    // Figures of channel 0.
    report.Heading3(platform::FormatC("%s (%3.1fHz %s %3.1fHz) RT60=%.0fms  %s=%f\n",
                                      GetText(1000035).c_str(), band.low, GetText(1000056).c_str(), band.high,
                                      results.m_decayTime * 1000.0, GetText(1000074).c_str(),
                                      results.m_nonLinearity));
    report.LineBreak();
    report.Heading3(GetText(1000114) + "\n");
    report.LineBreak();
    report.WriteText(platform::FormatC("D50=%.2f%%", results.m_d50 * 100.0) + "\n");
    report.LineBreak();
    report.WriteText(platform::FormatC("D80=%.2f%%", results.m_d80 * 100.0) + "\n");
    report.LineBreak();
    report.Heading3(GetText(1000113) + "\n");
    report.LineBreak();
    const auto decibels = [](double ratio) { return ratio > 0.0 ? 10.0 * std::log10(ratio) : -999.0; };
    report.WriteText(platform::FormatC("C50=%.1fdB", decibels(results.m_c50)) + "\n");
    report.LineBreak();
    report.WriteText(platform::FormatC("C80=%.1fdB", decibels(results.m_c80)) + "\n");
    report.LineBreak();
    report.LineBreak();

    // Band tables.
    const CSoundIn& engine = view.GetEngine();
    report.Heading3(platform::FormatC("%s in 1/3 %s", GetText(1000035).c_str(), GetText(1000073).c_str()));
    for (const auto& [low, high] : {std::pair{band.low, 1000.0}, std::pair{1000.0, band.high}})
    {
        report.LineBreak();
        report.WriteText(DecayBandTable(engine, low, high, results.m_thirdCentres.data(),
                                        results.m_thirdDecayTimes.data(), results.m_thirdNonLinearity.data(),
                                        results.m_thirdLastBand));
        report.LineBreak();
    }
    report.Heading3(platform::FormatC("%s in 1/1 %s", GetText(1000035).c_str(), GetText(1000073).c_str()));
    report.LineBreak();
    report.WriteText(DecayBandTable(engine, band.low, band.high, results.m_octaveCentres.data(),
                                    results.m_octaveDecayTimes.data(), results.m_octaveNonLinearity.data(),
                                    results.m_octaveLastBand));
    report.LineBreak();

    // Speech intelligibility, at the impulse's own rate.
    report.Heading2(GetText(1000236) + " STI/RASTI \n");
    report.LineBreak();
    if (!inputs.channel0.empty())
    {
        auto evaluator = std::make_unique<CStiEvaluator>();
        evaluator->m_snr.Assign(inputs.snr);
        evaluator->Evaluate(inputs.channel0.data(), static_cast<int>(inputs.channel0.size()),
                            static_cast<std::int32_t>(std::lround(inputs.rate)));
        if (file != nullptr)
            evaluator->WriteHtmlReport(file);
    }
    report.Close();
    if (view.IsJobStopRequested())
        return -1;
    OpenWithShell(report.m_strPath.string());

    view.RemoteSetViewMode(256);
    Recompute(view, nullptr);
    view.JobSleep(kPauseMs);
    view.RemoteYAutoScale();
    view.JobSleep(kPauseMs);
    return 0;
}

int WriteEnergyDecayReport(CSndView& view)
{
    ReportInputs inputs;
    if (!BeginBandAnalysis(view, inputs, 3, 1))
        return -1;
    const ReportBandRange band = inputs.band;
    view.CallOnWindowThread(
        [&]
        {
            view.GetEngine().m_nColorModeBackground = 1;
            view.ApplyColorMode();
        });

    CHtmlReport report;
    report.m_strPath = ReportFile(view, view.m_strReportName);
    report.m_strTitle = kEnergyDecayTitle;
    report.Open();
    report.Heading1(kEnergyDecayTitle);
    report.Heading2(GetText(1000120));
    report.WriteText(DateLine());
    report.LineBreak();
    report.WriteText(platform::FormatC("%s %0.2fHz\n", GetText(1000048).c_str(), inputs.rate));
    report.LineBreak();
    report.WriteText(platform::FormatC(
        "%s %s %s %s %3.1fHz %s %3.1fHz\n", GetText(1000057).c_str(), GetText(1000030).c_str(),
        GetText(1000058).c_str(), GetText(1000055).c_str(), band.low, GetText(1000056).c_str(), band.high));
    report.LineBreak();
    report.WriteText(platform::FormatC("%s RT60 %s %.1fdB %s %.1fdB\n", GetText(1000127).c_str(),
                                       GetText(1000055).c_str(), inputs.decayStart, GetText(1000056).c_str(),
                                       inputs.decayEnd));
    report.LineBreak();

    view.RemoteSetViewMode(260);
    view.JobSleep(kShortPauseMs);
    int result = 0;
    for (std::size_t j = 0; j < std::size(kThirdOctaveCentres); ++j)
    {
        const double f = kThirdOctaveCentres[j];
        if (f >= inputs.rate / 2.0 || f < band.low || f > band.high)
            continue;
        if (view.IsJobStopRequested())
        {
            result = -1;
            break;
        }
        view.CallOnWindowThread([&] { view.m_dBandCentre = f; });
        // The band's figures are read only once the window has computed them for it.
        Recompute(view, &report);
        view.RemoteSetYRange(kDecayYMin, kDecayYMax);
        view.JobSleep(kShortPauseMs);
        CRoomAcousticResults results;
        ReadResults(view, results);
        report.Heading2(platform::FormatC("Band %.0fHz %s RT60=%.0fms  %s=%.1f\n", f,
                                          GetText(1000035).c_str(), results.m_decayTime * 1000.0,
                                          GetText(1000074).c_str(), results.m_nonLinearity));
        Screenshot(view, report, platform::FormatC("%.0fHz_%i.png", f, static_cast<int>(j) + 1));
        view.JobSleep(kShortPauseMs);
        for (int k = 0; k < 5; ++k)
            report.LineBreak();
    }
    if (result != 0)
        report.WriteLine(kReportStoppedText);
    report.Close();
    if (result != 0)
        return result;
    view.CallOnWindowThread([&] { view.m_nBandMode = 0; });
    view.MarkImpulseCurvesStale();
    OpenWithShell(report.m_strPath.string());
    return 0;
}

int WriteOctaveReverbList(CSndView& view)
{
    ReportInputs inputs;
    if (!BeginBandAnalysis(view, inputs, 1, 0))
        return -1;
    const ReportBandRange band = inputs.band;
    view.RemoteSetViewMode(260);
    view.JobSleep(kShortPauseMs);
    int slot = 0;
    int result = 0;
    for (const double f : kOctaveCentres)
    {
        if (f >= inputs.rate / 2.0 || f < band.low || f > band.high || slot >= CSndView::kOverlayPlots)
            continue;
        if (view.IsJobStopRequested())
        {
            result = -1;
            break;
        }
        view.CallOnWindowThread([&] { view.m_dBandCentre = f; });
        if (!Recompute(view, nullptr))
            continue;
        CRoomAcousticResults results;
        ReadResults(view, results);
        view.RemoteSetOverlay(0, slot);
        view.CallOnWindowThread(
            [&]
            {
                if (CViewSettings* settings = view.GetSettings())
                    settings->m_Overlays[static_cast<std::size_t>(slot)].m_strName =
                        platform::FormatC("%.0fHz RT60=%.0fms ", f, results.m_decayTime * 1000.0);
                view.RebuildOverlays();
            });
        ++slot;
    }
    view.CallOnWindowThread(
        [&]
        {
            view.m_bPerBandEvaluation = 1;
            view.m_nBandMode = 0;
        });
    view.MarkImpulseCurvesStale();
    view.RemoteSetYRange(kDecayYMin, kDecayYMax);
    view.JobSleep(kShortPauseMs);
    return result;
}

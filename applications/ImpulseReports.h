// The reports and overlays that a measurement window's background job makes from its impulse
// response: the impulse analysis report (plots, reverberation time, definition, clarity, the
// band tables and the speech transmission index), the energy-decay report with one section per
// third-octave band, and the energy-decay curves of the octave bands as overlays.
//
// Threads: each writer runs on the window's job thread (CSndView::StartJob). It changes the window
// only through its remote-command senders and CSndView::CallOnWindowThread, and it ends early,
// closing what it wrote, when the window asks its job to stop.
#pragma once

#include <string>

class CSndView;

// The longest wait for the window to compute its curves anew before a figure is read.
inline constexpr int kReportRecomputeTimeoutMs = 10000;
// Written into a report in place of figures the window did not recompute in time.
inline constexpr const char* kReportTimeoutText =
    "The curves were not computed again within 10 s: the figures below may be out of date.";
// Written into a report that ended because its window was closed.
inline constexpr const char* kReportStoppedText = "The report was stopped: its window was closed.";
// The name of the energy-decay report.
inline constexpr const char* kEnergyDecayReportName = "report.htm";
inline constexpr const char* kEnergyDecayTitle = "Energiezerfallskurven in 1/3-Oktav-Bändern";

// The band range the reports cover: "Min frequency" and "Max frequency" of the reverberation
// settings.
struct ReportBandRange
{
    double low = 0.0;
    double high = 0.0;
};

// The impulse analysis report into view.m_strReportFolder + "/" + view.m_strReportName + ".htm",
// with its pictures and "impulse.wav" beside it; opened with the desktop's program at the end.
// Returns 0, or -1 when it stopped early.
int WriteImpulseReport(CSndView& view);
// The energy-decay report into view.m_strReportFolder + "/" + view.m_strReportName, one section and
// one picture "<f>Hz_<n>.png" (n: the band's place among the 40 third-octave bands from 10 Hz) per
// band within the band range below half the impulse's rate. Returns 0, or -1 when it stopped early.
int WriteEnergyDecayReport(CSndView& view);
// The energy-decay curve of every octave band within the band range as an overlay of the window,
// named with the band and its reverberation time. Returns 0, or -1 when it stopped early.
int WriteOctaveReverbList(CSndView& view);

// A plot set up for painting tests: one window of a given size, channel data the test owns, and
// helpers to find what a recording canvas holds.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "display/Plot.h"
#include "platform/gfx/RecordingCanvas.h"

namespace painttest
{

using Kind = gfx::RecordingCanvas::Kind;
using Op = gfx::RecordingCanvas::Op;

// A linear plot of `points` values per channel over x 0..points-1 (bin width 1), y 0..10.
inline void SetUpLinear(CPlot& plot, std::vector<float>& data, int points, int channels = 1)
{
    data.assign(static_cast<std::size_t>(points) * channels, 0.0f);
    plot.m_pData = data.data();
    plot.m_nChannels = channels;
    plot.m_dataRange.m_nPoints = points;
    plot.m_dataRange.m_bDecibel = 0;
    plot.m_dBinWidth = 1.0;
    plot.m_viewRange.m_dXMin = 0.0;
    plot.m_viewRange.m_dXMax = points - 1;
    plot.m_viewRange.m_dYMin = 0.0;
    plot.m_viewRange.m_dYMax = 10.0;
    plot.m_viewRange.m_bXLog = 0;
    plot.m_viewRange.m_bYLog = 0;
    plot.ApplySettings();
}

// A logarithmic amplitude spectrum: `points` bins of `binWidth` Hz, 20 Hz .. 20 kHz, -120..0 dB.
inline void SetUpSpectrum(CPlot& plot, std::vector<float>& data, int points, int channels, double binWidth)
{
    data.assign(static_cast<std::size_t>(points) * channels, 1e-6f);
    plot.m_pData = data.data();
    plot.m_nChannels = channels;
    plot.m_dataRange.m_nPoints = points;
    plot.m_dataRange.m_bDecibel = 1;
    plot.m_dataRange.m_dLogFactor = 20.0;
    plot.m_dBinWidth = binWidth;
    plot.m_viewRange.m_dXMin = 20.0;
    plot.m_viewRange.m_dXMax = 20000.0;
    plot.m_viewRange.m_dYMin = -120.0;
    plot.m_viewRange.m_dYMax = 0.0;
    plot.m_viewRange.m_bXLog = 1;
    plot.m_viewRange.m_bYLog = 0;
    plot.ApplySettings();
}

inline std::vector<const Op*> OpsOf(const gfx::RecordingCanvas& canvas, Kind kind)
{
    std::vector<const Op*> found;
    for (const Op& op : canvas.Ops())
        if (op.kind == kind)
            found.push_back(&op);
    return found;
}

// Index of the first op that satisfies the predicate, or -1.
template <class Pred>
int FirstIndex(const gfx::RecordingCanvas& canvas, Pred pred)
{
    const auto& ops = canvas.Ops();
    for (std::size_t i = 0; i < ops.size(); ++i)
        if (pred(ops[i]))
            return static_cast<int>(i);
    return -1;
}

// Centre of a text op's box.
inline int CentreX(const Op& op)
{
    return (op.rect.left + op.rect.right) / 2;
}
inline int CentreY(const Op& op)
{
    return (op.rect.top + op.rect.bottom) / 2;
}

}  // namespace painttest

// The curves derived from a window's impulse response (frequency, phase, energy-time, energy decay,
// step response, reverberation time over frequency and group delay), the room-acoustic figures of
// every channel, and the fitted decay line of the energy-decay plot.
#include "view/SndView.h"

#include "common/DspOperation.h"
#include "display/settings/ViewSettings.h"
#include "dsp/Fft.h"
#include "dsp/FftWindow.h"
#include "dsp/FractionalOctaveSmoothing.h"
#include "dsp/RoomAcoustics.h"
#include "engine/SoundIn.h"
#include "platform/gfx/Canvas.h"
#include "view/DecayRegressionLines.h"
#include "view/ViewDocument.h"
#include "view/ViewFrame.h"

#include <algorithm>
#include <cmath>
#include <new>

bool CSndView::ImpulseCacheKey::operator==(const ImpulseCacheKey& other) const
{
    return id == other.id && mode == other.mode && fftLength == other.fftLength &&
           windowType == other.windowType && start == other.start && length == other.length &&
           smoothing == other.smoothing && levelStart == other.levelStart && levelEnd == other.levelEnd &&
           points == other.points && timeWindow == other.timeWindow && bandLow == other.bandLow &&
           bandHigh == other.bandHigh && signalType == other.signalType;
}

CSndView::ImpulseCacheKey CSndView::CurrentImpulseKey(int mode, int fftLength, int start, int length) const
{
    ImpulseCacheKey key;
    key.id = m_impulse.m_nId;
    key.mode = mode;
    key.fftLength = fftLength;
    key.windowType = m_engine.m_nWindowType;
    key.start = start;
    key.length = length;
    key.smoothing = m_engine.m_bSmoothing ? m_engine.m_nSmoothingOctaves : -m_engine.m_nSmoothingOctaves;
    key.levelStart = m_engine.m_irDecayStartLevel;
    key.levelEnd = m_engine.m_irDecayEndLevel;
    key.points = m_engine.m_irRegressionPoints;
    key.timeWindow = m_engine.m_irMaxLengthMs;
    key.bandLow = m_engine.m_reverbWizard.minFrequency;
    key.bandHigh = m_engine.m_reverbWizard.maxFrequency;
    key.signalType = m_impulse.m_nSignalType;
    return key;
}

bool CSndView::IsImpulseCacheStale() const
{
    const int mode = GetViewMode();
    return !(m_impulseKey ==
             CurrentImpulseKey(mode, m_impulseKey.fftLength, m_impulseKey.start, m_impulseKey.length)) ||
           m_impulseKey.id != m_impulse.m_nId;
}

void CSndView::PointPlotAtImpulseCurves(int mode)
{
    CPlot& plot = *m_pPlot;
    plot.m_arrChannelData.fill(nullptr);
    plot.m_pMathAverageData = nullptr;
    if (mode == 262)
    {
        // One curve per channel results record over channel 0's third-octave centres.
        plot.m_pData = nullptr;
        plot.m_nStride = -1;
        for (int c = 0; c < m_nImpulseSlots && c < CPlot::kMaxChannels; ++c)
            plot.m_arrChannelData[static_cast<std::size_t>(c)] =
                m_roomAcoustics[static_cast<std::size_t>(c)].m_thirdDecayTimes.data();
        plot.m_pXTable = m_roomAcoustics[0].m_thirdCentres.data();
        plot.m_dataRange.m_nPoints = std::max(0, m_roomAcoustics[0].m_thirdLastBand);
    }
    else
    {
        plot.m_pData = m_impulseWork.empty() ? nullptr : m_impulseWork.data();
        plot.m_nStride = m_nImpulseStride;
        plot.m_pXTable = nullptr;
        plot.m_dataRange.m_nPoints = m_impulseWork.empty() ? 0 : m_nImpulsePoints;
    }
    plot.m_nChannels = std::min(m_nImpulseSlots, CPlot::kMaxChannels);
    plot.m_dBinWidth = m_dImpulseStep;
}

void CSndView::ComputeImpulsePlot()
{
    const int mode = GetViewMode();
    if (mode < 256 || mode > 263 || !m_impulse.IsHeld() || m_impulse.m_nAnalysisLength < 1 ||
        m_impulse.m_samples.empty())
        return;
    const int frames = m_impulse.m_nFrames;
    const double rate = m_impulse.m_dSampleRate > 0.0 ? m_impulse.m_dSampleRate : m_engine.m_nSampleRate;
    const bool timeAxis = mode == 256 || mode == 259 || mode == 260 || mode == 261;
    int length = timeAxis ? frames : m_impulse.m_nAnalysisLength;
    int fftLength = m_nImpulseFftLength > 0 ? m_nImpulseFftLength : m_impulse.m_nAnalysisLength;
    int start = 0;
    // A linked time window: another window's measuring rectangle selects the part analysed.
    if (const LinkedRange linked = FindLinkedTimeRange(); linked.active)
    {
        const int end = static_cast<int>(std::min<double>(frames, linked.rate * linked.x1 / 1000.0));
        if (linked.x0 > 0.0)
            start = static_cast<int>(linked.rate * linked.x0 / 1000.0);
        length = end - start;
        if (length <= 1)
            length = frames - start;
        if (length <= 0 || start >= frames)
        {
            // Nothing of the impulse lies in the linked window.
            m_nImpulsePoints = 0;
            m_pPlot->m_pData = nullptr;
            m_pPlot->m_arrChannelData.fill(nullptr);
            m_pPlot->m_dataRange.m_nPoints = 0;
            return;
        }
        fftLength = 1;
        while (fftLength < length)
            fftLength *= 2;
        if (mode == 256)
            fftLength = length;
    }
    if (length <= 0)
        return;

    const ImpulseCacheKey key = CurrentImpulseKey(mode, fftLength, start, length);
    if (key == m_impulseKey && !m_impulseWork.empty())
    {
        PointPlotAtImpulseCurves(mode);
        return;
    }

    // Slots: the held channels and the destinations of the window's channel operations.
    const CInputChannelMatrix& matrix = m_pSettings->m_Channels;
    int slots = m_impulse.m_nChannels;
    const auto validChannel = [](int c) { return c >= 0 && c < kRoomAcousticRecords; };
    for (int j = 0; j < CInputChannelMatrix::kChannelCount; ++j)
    {
        const DspOperation& op = matrix.GetChannel(j).m_Operation;
        if (op.m_nOperation != kDspNone && validChannel(op.m_nSource1) && validChannel(op.m_nSource2) &&
            validChannel(op.m_nTarget))
            slots = std::max(slots, op.m_nTarget + 1);
    }
    slots = std::min(slots, kRoomAcousticRecords);
    const int frequencyPlot = mode == 257 || mode == 258 || mode == 263;
    const int stride = std::max(fftLength, length);
    try
    {
        const std::size_t needed = static_cast<std::size_t>(stride) * static_cast<std::size_t>(slots);
        if (m_impulseWork.size() < needed)
            m_impulseWork.resize(needed);
        if (frequencyPlot && static_cast<int>(m_impulseWindowTable.size()) < fftLength)
            m_impulseWindowTable.resize(static_cast<std::size_t>(fftLength));
    }
    catch (const std::bad_alloc&)
    {
        m_impulseWork.clear();
        m_impulseWork.shrink_to_fit();
        m_impulseKey = ImpulseCacheKey{};
        if (CViewFrame* frame = Frame())
            frame->ShowMessage(kImpulseMemoryMessage);
        ClearImpulsePlotFlags();
        return;
    }
    if (frequencyPlot && (fftLength != m_nWindowTableLength || key.windowType != m_nWindowTableType))
    {
        CFftWindow generator;
        generator.Generate(m_impulseWindowTable.data(), fftLength, key.windowType);
        m_nWindowTableLength = fftLength;
        m_nWindowTableType = key.windowType;
    }

    const int used = std::min(length, frames - start);
    const auto slotData = [&](int j)
    { return m_impulseWork.data() + static_cast<std::ptrdiff_t>(j) * stride; };
    for (int j = 0; j < slots; ++j)
    {
        float* slot = slotData(j);
        std::fill(slot, slot + stride, 0.0f);
        if (j < m_impulse.m_nChannels)
            std::copy_n(m_impulse.Channel(j) + start, std::max(0, used), slot);
        if (m_nBandMode == 1 || m_nBandMode == 3)
            ApplyBandFilter(slot, std::min(length, frames), rate, m_dBandCentre, m_nBandMode);
    }
    for (int j = 0; j < slots; ++j)
    {
        const DspOperation& op = matrix.GetChannel(j).m_Operation;
        if (op.m_nOperation != kDspNone && op.m_nSource1 < slots && op.m_nSource2 < slots &&
            op.m_nTarget < slots && validChannel(op.m_nSource1) && validChannel(op.m_nSource2) &&
            validChannel(op.m_nTarget))
            ApplyDspOperation(op.m_nOperation, std::min(length, frames), slotData(op.m_nSource1),
                              slotData(op.m_nSource2), slotData(op.m_nTarget), op.m_nFlags, &op.m_dConstant);
    }
    for (int j = 0; j < kRoomAcousticRecords; ++j)
        m_roomAcoustics[static_cast<std::size_t>(j)].Reset();
    for (int j = 0; j < slots && j < m_impulse.m_nChannels; ++j)
        EvaluateImpulseChannel(j, slotData(j), start, length, rate);

    const int half = fftLength / 2;
    for (int j = 0; j < slots; ++j)
    {
        float* slot = slotData(j);
        if (frequencyPlot)
            for (int k = half; k < fftLength; ++k)
                slot[k] *= m_impulseWindowTable[static_cast<std::size_t>(k)];
        switch (mode)
        {
            case 257:
            {
                ComputePowerSpectrum(slot, fftLength);
                const float scale = static_cast<float>(static_cast<double>(fftLength) * fftLength / 4.0);
                for (int k = 0; k < half; ++k)
                    slot[k] *= scale;
                if (m_engine.m_bSmoothing && m_engine.m_nSmoothingOctaves > 0)
                    SmoothFractionalOctaveBinsInPlace(slot, half, m_engine.m_nSmoothingOctaves);
                break;
            }
            case 258:
            case 263:
                ComputePhaseSpectrum(slot, fftLength);
                UnwrapPhase(slot, half);
                if (mode == 263)
                {
                    // Bin 0 keeps its phase; every other bin the delay from the previous bin's phase.
                    const double factor = -1.0 / (rate / fftLength) * 1000.0 / 360.0;
                    float previous = slot[0];
                    for (int k = 1; k < half; ++k)
                    {
                        const float phase = slot[k];
                        slot[k] = static_cast<float>((phase - previous) * factor);
                        previous = phase;
                    }
                }
                break;
            case 259:
                for (int k = 0; k < length; ++k)
                {
                    const float v = std::fabs(slot[k]) + 1e-6f;
                    slot[k] = v * v;
                }
                break;
            case 261:
                for (int k = 1; k < length; ++k)
                    slot[k] += slot[k - 1];
                break;
            case 260:
                ComputeDecayCurve(slot, slot, length, m_impulse.m_nSignalType, rate);
                break;
            default:
                break;
        }
    }

    m_impulseKey = key;
    m_nImpulseSlots = slots;
    m_nImpulseStride = stride;
    m_dImpulseStep = frequencyPlot ? rate / fftLength : 1000.0 / rate;
    const int points = mode == 262     ? std::max(0, m_roomAcoustics[0].m_thirdLastBand)
                       : frequencyPlot ? half
                                       : length;
    m_nImpulsePoints = points;
    PointPlotAtImpulseCurves(mode);
    CPlot& plot = *m_pPlot;
    if (timeAxis)
    {
        plot.m_dataRange.m_dXMin = 0.0;
        plot.m_dataRange.m_dXMax = length / rate * 1000.0;
    }
    if (points != m_nImpulsePlottedPoints)
    {
        m_nImpulsePlottedPoints = points;
        plot.m_bFrameDirty = 1;
        if ((timeAxis || mode == 262) && m_pSettings)
        {
            // A new length shows the whole curve: the axes are set up for it and take its x range.
            m_bResetRangeRequest = 1;
            RestartDisplay();
            CopyZoomFromPlot();
            RestartDisplay();
        }
    }
    plot.m_bDataDirty = 1;
}

void CSndView::EvaluateImpulseChannel(int channel, const float* slot, int start, int length, double rate)
{
    CRoomAcousticResults& results = m_roomAcoustics[static_cast<std::size_t>(channel)];
    const int frames = m_impulse.m_nFrames;
    int evaluated = length;
    if (m_engine.m_irMaxLengthMs > 0.0)
        evaluated = std::min(evaluated, static_cast<int>(m_engine.m_irMaxLengthMs * rate / 1000.0));
    evaluated = std::min(evaluated, frames - start);
    const double levelStart = m_engine.m_irDecayStartLevel;
    const double levelEnd = m_engine.m_irDecayEndLevel;
    const int points = m_engine.m_irRegressionPoints;
    if (evaluated > 0)
        EvaluateRoomAcoustics(slot, evaluated, rate, results, levelStart, levelEnd, points,
                              m_impulse.m_nSignalType);
    const float* raw = m_impulse.Channel(channel) + start;
    const int rawCount = frames - start;
    if (m_bPerBandEvaluation && rawCount > 0)
    {
        const double low = m_engine.m_reverbWizard.minFrequency;
        const double high = m_engine.m_reverbWizard.maxFrequency;
        results.m_octaveLastBand = EvaluateRoomAcousticsPerBand(
            raw, rawCount, rate, levelStart, levelEnd, points, 1, results.m_octaveCentres.data(),
            results.m_octaveDecayTimes.data(), results.m_octaveNonLinearity.data(),
            results.m_octaveIntercepts.data(), low, high, nullptr, nullptr, m_impulse.m_nSignalType);
        results.m_thirdLastBand = EvaluateRoomAcousticsPerBand(
            raw, rawCount, rate, levelStart, levelEnd, points, 3, results.m_thirdCentres.data(),
            results.m_thirdDecayTimes.data(), results.m_thirdNonLinearity.data(),
            results.m_thirdIntercepts.data(), low, high, results.m_thirdC50.data(), results.m_thirdD80.data(),
            m_impulse.m_nSignalType);
        if (m_engine.m_bSmoothing && m_engine.m_nSmoothingOctaves == 1 && results.m_thirdLastBand > 0)
            SmoothFractionalOctave(std::span<const float>(results.m_thirdCentres.data(),
                                                          static_cast<std::size_t>(results.m_thirdLastBand)),
                                   std::span<float>(results.m_thirdDecayTimes.data(),
                                                    static_cast<std::size_t>(results.m_thirdLastBand)),
                                   1.0);
    }
    else
        results.m_thirdLastBand = 0;
    double energy = 0.0;
    for (int i = 0; i < rawCount; ++i)
        energy += static_cast<double>(raw[i]) * raw[i];
    results.m_energy = energy;
}

CSndView::LinkedRange CSndView::FindLinkedTimeRange() const
{
    LinkedRange range;
    for (const CSndView* other : m_document.GetViews())
    {
        if (other == nullptr || other == this || other->m_nViewTag != kViewTag || !other->m_pPlot)
            continue;
        const CMeasureRect& rect = other->m_pPlot->m_measureRect;
        if (!rect.m_bVisible || !rect.HasValues() || other->IsFrequencyAxis() || other->GetViewMode() == 260)
            continue;
        range.active = true;
        range.x0 = std::min(rect.m_dX1, rect.m_dX2);
        range.x1 = std::max(rect.m_dX1, rect.m_dX2);
        range.rate =
            other->IsImpulsePlotMode() && other->m_impulse.IsHeld() && other->m_impulse.m_dSampleRate > 0.0
                ? other->m_impulse.m_dSampleRate
                : static_cast<double>(m_engine.m_nSampleRate);
        return range;
    }
    return range;
}

void CSndView::DrawDecayRegressionLines(gfx::Canvas& canvas)
{
    if (GetViewMode() != 260 || !m_impulse.IsHeld())
        return;
    const int curve = GetSelectedCurve();
    const int channel = curve >= 0 ? GetCurveChannel(curve) : -1;
    if (channel < 0 || channel >= kRoomAcousticRecords)
        return;
    const CRoomAcousticResults& results = m_roomAcoustics[static_cast<std::size_t>(channel)];
    const CPlot& plot = *m_pPlot;
    const CPlotRange& view = plot.m_viewRange;
    const DecayRegressionLines lines = ComputeDecayRegressionLines(
        results.m_decayTime, results.m_intercept, m_engine.m_irDecayStartLevel, m_engine.m_irDecayEndLevel,
        view.m_dXMin, view.m_dXMax, view.m_dYMin, view.m_dYMax);
    canvas.SetPen(
        gfx::Pen{plot.m_colorScheme.GetColor(CColorScheme::RoleMarkerPen), 1, gfx::PenStyle::Solid});
    for (const DecayRegressionLines::Segment* segment : {&lines.fit, &lines.start, &lines.stop})
    {
        if (!segment->visible)
            continue;
        PlotPoint a{};
        PlotPoint b{};
        plot.ValueToPixel(&a, segment->x0, segment->y0);
        plot.ValueToPixel(&b, segment->x1, segment->y1);
        canvas.MoveTo(a.x, a.y);
        canvas.LineTo(b.x, b.y);
    }
}

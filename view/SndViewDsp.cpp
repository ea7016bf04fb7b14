// CSndView: the "DSP" menu. The filter switches toggle the engine's flags; the filter commands copy
// the engine's settings into their dialog and back on OK. The conditioning filters are built when
// the input opens, so a change made while the engine runs restarts it.
#include "view/SndView.h"

#include "common/BitFields.h"
#include "dsp/BandFilterTables.h"
#include "dsp/DesignedFilter.h"
#include "engine/SoundIn.h"
#include "view/ViewFrame.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::string HumResolutionMessage(double sampleRate, int fftSize, double baseFrequency)
{
    if (fftSize <= 0 || baseFrequency <= 0.0)
        return {};
    const double resolution = sampleRate / fftSize;
    if (!(resolution > baseFrequency * 0.1))
        return {};
    const double needed = std::ceil(sampleRate / (baseFrequency * 0.1));
    const int size = NextPowerOfTwo(needed > 1073741824.0 ? 1073741824 : static_cast<int>(needed));
    char text[256];
    std::snprintf(text, sizeof text,
                  "Currently the frequency resolution is %.2fHz. Please increase the FFT size to at least %i",
                  resolution, size);
    return text;
}

std::vector<double> FilterbankCentres(bool thirdOctave)
{
    if (thirdOctave)
        return {std::begin(kThirdOctaveCentres), std::end(kThirdOctaveCentres)};
    return {std::begin(kOctaveCentres), std::end(kOctaveCentres)};
}

namespace
{
constexpr int kChannels = CChannelConditioning::kMaxChannels;
// The engine's first demodulator measures wow and flutter; the second is the demodulator analysis.
constexpr int kDemodulatorAnalysis = 1;
}  // namespace

void CSndView::RestartAround(const std::function<void()>& change)
{
    const bool running = m_engine.GetState() == CSoundIn::kStateRunning;
    if (running)
    {
        OnStop();
        m_engine.StopInput();
    }
    change();
    if (running)
        OnStart();
}

bool CSndView::OnDspCommand(int id)
{
    using namespace view_command;
    switch (id)
    {
        case kNotch1kHz:
            RestartAround([this] { m_engine.m_bNotch1kHz = m_engine.m_bNotch1kHz ? 0 : 1; });
            return true;
        case kDcBlock:
            m_engine.m_bDcBlock = m_engine.m_bDcBlock ? 0 : 1;
            return true;
        case kHumFilter:
            OnHumFilter();
            return true;
        case kRiaaFilter:
            OnRiaaFilter();
            return true;
        case kChannelDelay:
            OnChannelDelay();
            return true;
        case kThirdOctaveFilterbank:
        case kOctaveFilterbank:
            OnFilterbank(id == kThirdOctaveFilterbank);
            return true;
        case kDemodulator:
            OnDemodulator();
            return true;
        case kMusicalNotes:
            m_pPlot->m_bNoteNames = m_pPlot->m_bNoteNames ? 0 : 1;
            return true;
        default:
            if (id >= kFirstFreeFilter && id < kFirstFreeFilter + kFreeFilters)
            {
                OnFreeFilter(id - kFirstFreeFilter);
                return true;
            }
            return false;
    }
}

bool CSndView::IsDspCommandChecked(int id, bool& checked) const
{
    using namespace view_command;
    const CChannelConditioning& conditioning = m_engine.m_conditioning;
    switch (id)
    {
        case kNotch1kHz:
            checked = m_engine.m_bNotch1kHz != 0;
            return true;
        case kDcBlock:
            checked = m_engine.m_bDcBlock != 0;
            return true;
        case kHumFilter:
            checked = m_engine.m_bHumSuppression != 0;
            return true;
        case kRiaaFilter:
            checked = conditioning.m_settings[0].riaaEnabled != 0;
            return true;
        case kMusicalNotes:
            checked = m_pPlot->m_bNoteNames != 0;
            return true;
        default:
            if (id >= kFirstFreeFilter && id < kFirstFreeFilter + kFreeFilters)
            {
                checked = conditioning.m_settings[0]
                              .designed[static_cast<std::size_t>(id - kFirstFreeFilter)]
                              .m_bEnabled != 0;
                return true;
            }
            return false;
    }
}

void CSndView::OnFreeFilter(int slot)
{
    if (!m_pWindow || slot < 0 || slot >= CChannelConditioning::kDesignedFilters)
        return;
    auto& settings = m_engine.m_conditioning.m_settings;
    const std::size_t n = static_cast<std::size_t>(slot);
    CDesignedFilterSettings values = settings[0].designed[n];
    if (!m_pWindow->EditFilterDesigner(values, m_engine.m_nSampleRate))
        return;
    RestartAround(
        [&]
        {
            for (auto& channel : settings)
                channel.designed[n] = values;
        });
}

void CSndView::OnHumFilter()
{
    if (!m_pWindow)
        return;
    HumFilterValues values{m_engine.m_bHumSuppression, m_engine.m_dHumFundamental, m_engine.m_dHumUpperLimit};
    if (!m_pWindow->EditHumFilter(values))
        return;
    const std::string message =
        values.enable
            ? HumResolutionMessage(m_engine.m_nSampleRate, m_engine.m_nFftSize, values.baseFrequency)
            : std::string();
    m_engine.m_bHumSuppression = values.enable;
    m_engine.m_dHumFundamental = values.baseFrequency;
    m_engine.m_dHumUpperLimit = values.maxFrequency;
    if (!message.empty())
        if (CViewFrame* frame = Frame())
            frame->ShowMessage(message);
}

void CSndView::OnRiaaFilter()
{
    if (!m_pWindow)
        return;
    auto& settings = m_engine.m_conditioning.m_settings;
    RiaaValues values{settings[0].riaaEnabled, settings[0].riaaInverse};
    if (!m_pWindow->EditRiaaFilter(values))
        return;
    RestartAround(
        [&]
        {
            for (auto& channel : settings)
            {
                channel.riaaEnabled = values.enable;
                channel.riaaInverse = values.inverse;
            }
            m_engine.m_bRiaa = values.enable;
            m_engine.m_bRiaaInverse = values.inverse;
        });
}

void CSndView::OnChannelDelay()
{
    if (!m_pWindow)
        return;
    auto& settings = m_engine.m_conditioning.m_settings;
    // The dialog always starts from the first channel's delay.
    DelayValues values{settings[0].delaySamples, 1, settings[0].delayActive};
    if (!m_pWindow->EditChannelDelay(values))
        return;
    if (values.channel < 1 || values.channel > kChannels)
        return;
    auto& channel = settings[static_cast<std::size_t>(values.channel - 1)];
    OnStop();
    m_engine.StopInput();
    channel.delaySamples = std::clamp(values.delay, 0, DelayValues::kMaxDelay);
    channel.delayActive = values.active;
    OnStart();
}

void CSndView::OnFilterbank(bool thirdOctave)
{
    if (!m_pWindow)
        return;
    CChannelConditioning& conditioning = m_engine.m_conditioning;
    FilterbankValues values;
    values.thirdOctave = thirdOctave ? 1 : 0;
    values.centreIndex = thirdOctave ? conditioning.m_nThirdOctaveBand : conditioning.m_nOctaveBand;
    values.enable = thirdOctave ? conditioning.m_bThirdOctave : conditioning.m_bOctave;
    values.stopBand = thirdOctave ? conditioning.m_nThirdOctaveSet : conditioning.m_nOctaveSet;
    if (!m_pWindow->EditFilterbank(values))
        return;
    const int bands = static_cast<int>(FilterbankCentres(thirdOctave).size());
    RestartAround(
        [&]
        {
            const int index = std::clamp(values.centreIndex, 0, bands - 1);
            (thirdOctave ? conditioning.m_nThirdOctaveBand : conditioning.m_nOctaveBand) = index;
            (thirdOctave ? conditioning.m_bThirdOctave : conditioning.m_bOctave) = values.enable;
            (thirdOctave ? conditioning.m_nThirdOctaveSet : conditioning.m_nOctaveSet) =
                values.stopBand ? 1 : 0;
        });
}

void CSndView::OnDemodulator()
{
    if (!m_pWindow)
        return;
    CChannelConditioning& conditioning = m_engine.m_conditioning;
    CDemodulator& demodulator = conditioning.GetDemodulator(kDemodulatorAnalysis);
    const CLowPassTableFilter& lowPass = demodulator.m_lowPassI;
    DemodulatorValues values;
    values.active = conditioning.m_bDemodulator[kDemodulatorAnalysis];
    values.fm = demodulator.m_bAm ? 0 : 1;
    values.centreFrequency = demodulator.m_dCarrier;
    values.bandwidths.assign(lowPass.m_pCutoffs, lowPass.m_pCutoffs + lowPass.m_nCutoffCount);
    values.bandwidthIndex = std::clamp(demodulator.m_nCutoff, 0, std::max(0, lowPass.m_nCutoffCount - 1));
    values.filterOrder = demodulator.m_nOrder;
    if (!m_pWindow->EditDemodulator(values))
        return;
    RestartAround(
        [&]
        {
            conditioning.m_bDemodulator[kDemodulatorAnalysis] = values.active;
            demodulator.m_dCarrier = values.centreFrequency;
            demodulator.m_nCutoff =
                std::clamp(values.bandwidthIndex, 0, std::max(0, lowPass.m_nCutoffCount - 1));
            demodulator.m_nOrder = std::clamp(values.filterOrder, 1, 8);
            demodulator.m_bFm = values.fm ? 1 : 0;
            demodulator.m_bAm = values.fm ? 0 : 1;
            demodulator.Setup();
        });
}

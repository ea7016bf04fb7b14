// The measurement window's option commands: the toolbar's smoothing list, the generators'
// frequency links, the custom report note, and the third-octave band sums of a spectrum.
#include <algorithm>
#include <cmath>

#include "display/settings/ViewSettings.h"
#include "engine/GeneratorMatrix.h"
#include "engine/SoundIn.h"
#include "view/SndView.h"
#include "view/ViewFrame.h"

namespace
{

// Nominal third-octave centre frequencies from 1 Hz to 125 kHz.
constexpr std::array<double, 10> kDecade = {1.0, 1.25, 1.6, 2.0, 2.5, 3.15, 4.0, 5.0, 6.3, 8.0};
constexpr int kBandTableSize = 52;
// The smoothing value below which a selection also sets the width.
constexpr int kLargestWidth = 256;

double NominalCentre(int band)
{
    return kDecade[static_cast<std::size_t>(band % 10)] * std::pow(10.0, band / 10);
}

constexpr const char* kCustomReportText =
    "Custom measurement reports can be built to your specification: the measurement steps, limits, "
    "figures and layout of a report that fits your product and your test procedure.\n"
    "Ask your Tessarin supplier for details.";

}  // namespace

int SumThirdOctaveBands(std::span<float> centres, std::span<float> sums, std::span<const float> power,
                        double rate, double lowest, double highest)
{
    const double e = std::pow(2.0, 1.0 / 6.0);
    const auto points = static_cast<double>(power.size());
    const std::size_t capacity = std::min(centres.size(), sums.size());
    if (!(rate > 0.0))
        return 0;
    std::size_t count = 0;
    for (int band = 0; band < kBandTableSize && count < capacity; ++band)
    {
        const double d = NominalCentre(band);
        const double upper = e * d;
        if (upper > highest)
            break;
        const double lower = d / e;
        if (lower < lowest)
            continue;
        // Bins inside the spectrum only: the highest frequency may lie above half the rate.
        const auto first =
            static_cast<std::size_t>(std::min(points, std::floor(2.0 * points * lower / rate)));
        const auto end = static_cast<std::size_t>(std::min(points, std::floor(2.0 * points * upper / rate)));
        double sum = 0.0;
        for (std::size_t i = first; i < end; ++i)
            sum += power[i];
        centres[count] = static_cast<float>(d);
        sums[count] = static_cast<float>(sum);
        ++count;
    }
    return static_cast<int>(count);
}

void CSndView::OnAddParamView()
{
    m_paramViews.AddParamView();
}

void CSndView::OnAlignParamViews()
{
    int x = 0;
    int y = 0;
    if (m_pWindow)
        m_pWindow->GetScreenOrigin(x, y);
    m_paramViews.ArrangeSideBySide(x + CPlot::kMarginLeft, y);
}

void CSndView::OnLeqPreset(int monitorMode)
{
    if (!m_pSettings)
        return;
    if ((m_pSettings->m_nDisplayKind & 1) == 0)
        LevelMonitorSetup(monitorMode, 1);
    m_paramViews.RemoveAll();
    constexpr int kLeq = 17;
    constexpr int kSpl = 35;
    constexpr int kCPeak = 23;
    constexpr int kTime = 20;
    constexpr gfx::Color kGreen = 0x00FF00;
    for (const int parameter : {kLeq, kSpl, kCPeak, kTime})
    {
        const int count = m_paramViews.GetCount();
        if (m_paramViews.AddParamView() == count)
            break;
        CParamViewState& state = m_paramViews.GetState(count);
        state.nParameter = parameter;
        state.meter.crText = kGreen;
        // The C peak reading shows its value alone, without the bar.
        if (parameter == kCPeak)
            state.meter.bBarEnable = 0;
    }
    OnAlignParamViews();
}

void CSndView::SaveParamViews()
{
    if (m_pSettings)
        m_paramViews.SaveToSettings(*m_pSettings);
}

void CSndView::OnLinkFrequencyDiff()
{
    CGeneratorMatrix& matrix = m_engine.m_generatorMatrix;
    if (matrix.m_coupling == CGeneratorMatrix::kCouplingOffset)
    {
        matrix.m_coupling = CGeneratorMatrix::kCouplingNone;
        return;
    }
    matrix.m_coupling = CGeneratorMatrix::kCouplingOffset;
    matrix.SelectMasterChannel(0);
}

void CSndView::OnLinkFrequencyFactor()
{
    CGeneratorMatrix& matrix = m_engine.m_generatorMatrix;
    if (matrix.m_coupling == CGeneratorMatrix::kCouplingRatio)
    {
        matrix.m_coupling = CGeneratorMatrix::kCouplingNone;
        return;
    }
    matrix.m_coupling = CGeneratorMatrix::kCouplingRatio;
    matrix.SelectMasterChannel(0);
}

void CSndView::OnLinkVolume()
{
    if (!m_pWindow)
        return;
    m_pWindow->RunLinkVolume(m_dLinkVolume, [this](std::int64_t wParam, std::int64_t lParam)
                             { OnLinkVolumeValue(wParam, lParam); });
}

int CSndView::OnLinkVolumeValue(std::int64_t wParam, std::int64_t lParam)
{
    if (lParam != 0)
        m_dLinkVolume = static_cast<double>(wParam) / static_cast<double>(lParam);
    return 0;
}

void CSndView::OnGeneratorLevel()
{
    if (m_pWindow)
        m_pWindow->ShowGeneratorLevel(m_engine.m_generatorMatrix);
}

void CSndView::OnOutputMatrix()
{
    if (!m_pWindow)
        return;
    CGeneratorMatrix_settings settings;
    settings.Copy(m_engine.m_generatorMatrix.m_settings);
    if (m_pWindow->EditOutputMatrix(settings))
        m_engine.m_generatorMatrix.m_settings.Copy(settings);
}

void CSndView::OnCustomReport()
{
    if (CViewFrame* frame = Frame())
        frame->ShowInformation(kCustomReportText);
}

void CSndView::ResetCustomPlot()
{
    m_customPlot.Reset();
}

long CSndView::OnSmoothingSelected(const std::string& text, const std::vector<std::string>& names)
{
    std::size_t entry = 0;
    for (std::size_t i = 0; i < names.size() && i < kSmoothingValues.size(); ++i)
    {
        if (names[i] == text)
        {
            entry = i;
            break;
        }
    }
    const int value = kSmoothingValues[entry];
    if (value > 0)
    {
        m_engine.m_bSmoothing = 1;
        if (value < kLargestWidth)
            m_engine.m_nSmoothingOctaves = value;
    }
    else
    {
        m_engine.m_bSmoothing = 0;
    }
    return 0;
}

int CSndView::SmoothingListEntry(int current) const
{
    int wanted = 0;
    if (m_engine.m_bSmoothing)
    {
        wanted = static_cast<int>(kSmoothingValues.size()) - 1;
        for (std::size_t i = 1; i < kSmoothingValues.size(); ++i)
        {
            if (kSmoothingValues[i] == m_engine.m_nSmoothingOctaves)
            {
                wanted = static_cast<int>(i);
                break;
            }
        }
    }
    const bool known = current >= 0 && current < static_cast<int>(kSmoothingValues.size());
    if (known && kSmoothingValues[static_cast<std::size_t>(current)] ==
                     kSmoothingValues[static_cast<std::size_t>(wanted)])
        return current;
    return wanted;
}

void CSndView::UpdateSmoothingList()
{
    CViewFrame* frame = Frame();
    if (!frame)
        return;
    const int current = frame->GetSmoothingEntry();
    const int wanted = SmoothingListEntry(current);
    if (wanted != current)
        frame->SelectSmoothingEntry(wanted);
}

// The "Display properties" sheet of a measurement window: its pages filled from the values the
// view gathered, and the values read back after OK; and the settings files' file dialog.
#include "display/ui/DispPropSheet.h"
#include "view/ui/SndViewWindow.h"

#include <wx/filedlg.h>

std::string CSndViewWindow::s_strSettingsFileAnswer;

bool CSndViewWindow::AskSettingsFile(bool save, std::string& path)
{
    if (!s_strSettingsFileAnswer.empty())
    {
        path = s_strSettingsFileAnswer;
        return true;
    }
    wxFileDialog dialog(this, save ? "Save config" : "Load config", wxEmptyString, wxEmptyString,
                        "Configuration files (*.ini)|*.ini",
                        save ? wxFD_SAVE | wxFD_OVERWRITE_PROMPT : wxFD_OPEN);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    path = dialog.GetPath().utf8_string();
    // The default extension.
    if (save && path.find('.', path.find_last_of('/') + 1) == std::string::npos)
        path += ".ini";
    return true;
}

bool CSndViewWindow::EditDisplayProperties(DisplayPropertiesValues& values)
{
    CDispProp_sheet sheet(DisplayPropertiesCaption(), this);
    const DispPropMeasurementPages pages = AddMeasurementWindowPages(sheet);

    pages.zoom->m_bXLog = values.m_bLogX != 0;
    pages.zoom->m_bYLog = values.m_bLogY != 0;
    pages.zoom->m_dYMax = values.m_dYMax;
    pages.zoom->m_dYMin = values.m_dYMin;
    pages.zoom->m_dXMax = values.m_dXMax;
    pages.zoom->m_dXMin = values.m_dXMin;
    pages.bar->m_bActive = values.m_bBarGraph != 0;
    pages.bar->m_nBarsPerOctave = values.m_nBarsPerOctave;
    pages.bar->m_fDecay = static_cast<float>(values.m_dBarDecay);
    pages.bar->m_bPeakHold = values.m_bPeakHold != 0;
    pages.bar->m_fPeakDecay = static_cast<float>(values.m_dPeakDecay);
    pages.math->m_nMathMode = values.m_nMathMode;
    pages.math->m_nMathFunction = values.m_nMathFunction;
    pages.lineStyles->m_styles = values.m_styles;
    pages.color->m_nScheme = values.m_nColorMode;
    pages.color->m_nOtherColorIndex = values.m_nOtherColor;
    pages.color->m_nFrameColorIndex = values.m_nFrameColor;
    pages.spectrogram->m_bGreyscale = values.m_bSonagramGrey != 0;
    pages.spectrogram->m_bReverseTime = values.m_bSonagramReverseTime != 0;
    pages.spectrogram->m_bReverseFrequency = values.m_bSonagramReverseFrequency != 0;
    pages.spectrogram->m_bSwapAxes = values.m_bSonagramSwap != 0;
    pages.marker->m_frequencies = values.m_adMarkers;
    pages.marker->m_nCount = values.m_nMarkerCount;
    pages.marker->m_bShow = values.m_bShowMarkers != 0;
    pages.special->m_nRefreshMs = static_cast<unsigned>(std::max(1, values.m_nRefreshMs));
    pages.special->m_bPeakInterpolate = values.m_bPeakInterpolate != 0;
    pages.special->m_bSmoothing = values.m_bSmoothing != 0;
    pages.special->m_nSmoothingOctaves = values.m_nSmoothingOctaves;
    pages.special->m_bEvenHarmonics = values.m_bEvenHarmonics != 0;
    pages.special->m_bOddHarmonics = values.m_bOddHarmonics != 0;
    pages.special->m_nMaxHarmonics = values.m_nMaxHarmonics;
    pages.special->m_bPlotPercent = values.m_bPlotPercent != 0;
    pages.special->m_nHistoryDepth = values.m_nHistoryDepth;
    pages.special->m_bJetColors = values.m_bJetColors != 0;
    Load3dStyleWord(*pages.threeD, values.m_n3dStyle);
    pages.reduction->m_nDecimation = values.m_nDecimation;

    if (sheet.ShowModal() != wxID_OK)
        return false;

    values.m_bLogX = pages.zoom->m_bXLog ? 1 : 0;
    values.m_bLogY = pages.zoom->m_bYLog ? 1 : 0;
    values.m_dYMax = pages.zoom->m_dYMax;
    values.m_dYMin = pages.zoom->m_dYMin;
    values.m_dXMax = pages.zoom->m_dXMax;
    values.m_dXMin = pages.zoom->m_dXMin;
    values.m_bBarGraph = pages.bar->m_bActive ? 1 : 0;
    values.m_nBarsPerOctave = pages.bar->m_nBarsPerOctave;
    values.m_dBarDecay = pages.bar->m_fDecay;
    values.m_bPeakHold = pages.bar->m_bPeakHold ? 1 : 0;
    values.m_dPeakDecay = pages.bar->m_fPeakDecay;
    values.m_nMathMode = pages.math->m_nMathMode;
    values.m_nMathFunction = pages.math->m_nMathFunction;
    values.m_styles = pages.lineStyles->m_styles;
    values.m_nColorMode = pages.color->m_nScheme;
    values.m_nOtherColor = pages.color->m_nOtherColorIndex;
    values.m_nFrameColor = pages.color->m_nFrameColorIndex;
    values.m_bSonagramGrey = pages.spectrogram->m_bGreyscale ? 1 : 0;
    values.m_bSonagramReverseTime = pages.spectrogram->m_bReverseTime ? 1 : 0;
    values.m_bSonagramReverseFrequency = pages.spectrogram->m_bReverseFrequency ? 1 : 0;
    values.m_bSonagramSwap = pages.spectrogram->m_bSwapAxes ? 1 : 0;
    values.m_nMarkerCount = pages.marker->m_nCount;
    values.m_bShowMarkers = pages.marker->m_bShow ? 1 : 0;
    values.m_nRefreshMs = static_cast<int>(pages.special->m_nRefreshMs);
    values.m_bPeakInterpolate = pages.special->m_bPeakInterpolate ? 1 : 0;
    values.m_bSmoothing = pages.special->m_bSmoothing ? 1 : 0;
    values.m_nSmoothingOctaves = pages.special->m_nSmoothingOctaves;
    values.m_bEvenHarmonics = pages.special->m_bEvenHarmonics ? 1 : 0;
    values.m_bOddHarmonics = pages.special->m_bOddHarmonics ? 1 : 0;
    values.m_nMaxHarmonics = pages.special->m_nMaxHarmonics;
    values.m_bPlotPercent = pages.special->m_bPlotPercent ? 1 : 0;
    values.m_nHistoryDepth = pages.special->m_nHistoryDepth;
    values.m_bJetColors = pages.special->m_bJetColors ? 1 : 0;
    values.m_n3dStyle = Store3dStyleWord(*pages.threeD, values.m_n3dStyle);
    values.m_nDecimation = pages.reduction->m_nDecimation;
    return true;
}

// The level monitor's set-up from the measurement window: its dialog filled from the engine and
// the window, and the accepted values handed back.
#include "display/settings/ViewSettings.h"
#include "engine/SoundIn.h"
#include "view/SndView.h"
#include "view/ViewDocument.h"

#include <cmath>

void CSndView::LevelMonitorSetup(int mode, int keep)
{
    if (!m_pSettings)
        return;
    CViewSettings& settings = *m_pSettings;
    if (keep == 0)
        settings.m_nBandsPerOctave = 0;
    if (mode == 1)
    {
        if (!m_pWindow)
            return;
        PauseProcessing();
        LevelMonitorValues values;
        values.active = m_engine.m_nLevelMonitorMode != 0 ? 1 : 0;
        values.averageTime = m_engine.m_dLevelShortTime;
        values.weighting = m_engine.m_nLevelWeighting;
        values.fullSpan = m_engine.m_bLevelFullSpan;
        values.minFrequency = std::fabs(m_engine.m_dLevelMinFrequency);
        values.maxFrequency = std::fabs(m_engine.m_dLevelMaxFrequency);
        values.number = static_cast<int>(m_engine.m_nLevelHistoryLength);
        values.recorder = m_engine.m_bRecorder;
        values.mp3 = m_engine.m_bRecorderMp3;
        values.storeSpectrum = m_bStoreSpectrum;
        values.fileLengthMinutes = m_engine.m_dRecorderInterval / 60.0;
        values.fixed = keep;
        if (!m_pWindow->EditLevelMonitor(values))
        {
            ResumeProcessing();
            return;
        }
        OnStop();
        if (keep == 0)
        {
            settings.m_nDisplayKind =
                values.active ? (settings.m_nDisplayKind | 1) : (settings.m_nDisplayKind & ~1);
            m_engine.m_nLevelMonitorMode = values.active;
        }
        // The dialog refuses an average time of 0; a stored one that is not usable stays out.
        if (values.averageTime > 0.0)
            m_engine.m_dLevelShortTime = values.averageTime;
        m_engine.m_nLevelHistoryLength = std::max(values.number, 1);
        m_engine.m_levelMonitor.m_nValuesCounted = 0;
        m_engine.m_nLevelWeighting = values.weighting;
        m_engine.m_bLevelFullSpan = values.fullSpan;
        m_engine.m_dLevelMinFrequency = values.minFrequency;
        m_engine.m_dLevelMaxFrequency = values.maxFrequency;
        m_engine.m_bRecorder = values.recorder;
        m_engine.m_bRecorderMp3 = values.mp3;
        m_bStoreSpectrum = values.storeSpectrum;
        m_engine.m_dRecorderInterval = values.fileLengthMinutes * 60.0;
        for (CSndView* view : m_document.GetViews())
            if (view && view->m_pSettings && view->m_pSettings->m_nBandsPerOctave > 0)
                view->RemoteSetXRange(values.minFrequency * 0.9, values.maxFrequency * 1.1);
        OnStart();
        RestartDisplay();
        ResumeProcessing();
        m_pPlot->ForceRedraw();
        return;
    }
    if (mode != 100 && mode != 0)
        return;
    if (mode == 0)
        PauseProcessing();
    OnStop();
    settings.m_nDisplayKind |= 1;
    m_engine.m_nLevelMonitorMode = 1;
    if (mode == 0)
        OnStart();
    RestartDisplay();
    if (mode == 0)
        ResumeProcessing();
    CopyZoomFromPlot();
    m_pPlot->ForceRedraw();
    RestartDisplay();
}

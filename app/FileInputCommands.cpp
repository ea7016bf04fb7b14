// File > Analyze wave file and Stop wave file analyzer: the engine takes a wave or MP3 file as its
// live input (input mode 1) and goes back to the sound card.
#include "app/AnalyzerApp.h"
#include "app/CommandHandlers.h"
#include "app/MainFrame.h"
#include "engine/AudioFileReader.h"
#include "engine/FileInputSource.h"
#include "engine/SoundIn.h"
#include "platform/ui/MessageBoxService.h"

#include <wx/filedlg.h>

#include <array>
#include <cmath>
#include <filesystem>

namespace
{

constexpr const char* kAudioFileFilter =
    "Wave and MP3 files (*.wav;*.mp3)|*.wav;*.WAV;*.mp3;*.MP3|All files (*)|*";
constexpr const char* kCalibrationQuestion =
    "Die Datei enthält Kalibrierinformationen.\nMöchten Sie diese  übernehmen?";
constexpr double kCalibrationTolerance = 1e-8;

void Restart(CSoundIn& engine)
{
    if (engine.OpenInput() == 0)
        engine.RestartInput();
    engine.m_bDisplayRestartRequest.store(1);
}

}  // namespace

namespace commands
{

bool StartWaveFileAnalysis(CMainFrame& frame, const std::string& path)
{
    CSoundIn* engine = frame.GetApp().m_pEngine;
    auto* source =
        engine ? dynamic_cast<CFileInputSource*>(engine->GetInputDevice(CSoundIn::kInputFile)) : nullptr;
    if (!source)
        return false;
    if (!path.empty())
        source->SetPath(path);
    engine->StopInput();
    engine->m_nInputMode = CSoundIn::kInputFile;
    Restart(*engine);
    return true;
}

void AnalyzeWaveFile(CMainFrame& frame, int)
{
    CSoundIn* engine = frame.GetApp().m_pEngine;
    if (!engine)
        return;
    wxFileDialog dialog(&frame, "Open", wxEmptyString, wxEmptyString, kAudioFileFilter,
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK)
        return;
    // The path stays empty until the native dialog has answered itself: folder and name then.
    std::string path = dialog.GetPath().utf8_string();
    if (path.empty())
        path =
            (std::filesystem::path(dialog.GetDirectory().utf8_string()) / dialog.GetFilename().utf8_string())
                .string();
    if (std::filesystem::path(path).filename().empty())
        return;
    std::array<double, 257> factors{};
    if (ReadWaveFileCalibration(path, factors) > 0)
    {
        const double factor = factors[256];
        if (std::fabs(factor - 1.0) > kCalibrationTolerance && factor > 0.0 &&
            platform::ui::ShowMessageBox(kCalibrationQuestion, "Tessarin", wxYES_NO | wxICON_QUESTION,
                                         &frame) == wxID_YES)
        {
            engine->m_bCalibration = 1;
            engine->m_dCalibrationGain = factor;
            engine->m_fCalibrationOffset = static_cast<float>(20.0 * std::log10(factor));
        }
    }
    StartWaveFileAnalysis(frame, path);
}

void StopWaveFileAnalyzer(CMainFrame& frame, int)
{
    CSoundIn* engine = frame.GetApp().m_pEngine;
    if (!engine)
        return;
    engine->m_bProcessingEnabled.store(0);
    engine->StopInput();
    engine->m_nInputMode = CSoundIn::kInputWave;
    Restart(*engine);
    engine->m_bProcessingEnabled.store(1);
}

void UpdateAnalyzeWaveFile(CMainFrame& frame, int, wxUpdateUIEvent& event)
{
    const CSoundIn* engine = frame.GetApp().m_pEngine;
    const bool fileInput = engine && engine->m_nInputMode == CSoundIn::kInputFile;
    event.Check(fileInput);
    event.Enable(engine && !fileInput);
}

void UpdateStopWaveFileAnalyzer(CMainFrame& frame, int, wxUpdateUIEvent& event)
{
    const CSoundIn* engine = frame.GetApp().m_pEngine;
    event.Enable(engine && engine->m_nInputMode == CSoundIn::kInputFile);
}

}  // namespace commands

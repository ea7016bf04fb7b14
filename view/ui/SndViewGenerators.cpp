// The measurement window's generator windows: the engine's "Level" window, the output matrix dialog,
// the linked generators' volume slider, the level calibration and the tracking level.
#include "engine/GeneratorMatrix.h"
#include "engine/ui/GeneratorLevelDlg.h"
#include "engine/ui/GeneratorMatrixDlg.h"
#include "engine/ui/SliderDlg.h"
#include "view/ui/CalibrationDlgs.h"
#include "view/ui/CalibrationValueDlgs.h"
#include "view/ui/LevelCalibrationDlg.h"
#include "view/ui/SndViewWindow.h"

#include <wx/app.h>
#include <wx/weakref.h>

namespace
{

// The one "Level" window of the engine's matrix, kept on the toolkit's side for the engine: made on
// the first command under the program's main window and shown again on later ones.
wxWeakRef<CGeneratorLevelDlg>& LevelWindow()
{
    static wxWeakRef<CGeneratorLevelDlg> window;
    return window;
}

// The electrical calibration of output channel `channel` against the matrix's output statistics.
bool CalibrateOutputChannel(wxWindow* parent, CGeneratorMatrix& matrix, int channel,
                            CGeneratorLevelDlg::ChannelCalibration& calibration)
{
    CElectricalCalibrationDlg dialog(parent);
    dialog.m_nChannel = channel;
    dialog.m_dFactor = 1.0;
    dialog.m_bCalibrated = calibration.calibrated;
    dialog.m_reading.m_nKind = CCalibrationReading::kOutputChannel;
    dialog.m_source = [&matrix](int c, double& rms, double& peak, double& peakToPeak)
    {
        if (c < 0 || c >= kGeneratorOutputChannels)
            return false;
        const COutputLevelStats& stats = matrix.m_stats[static_cast<std::size_t>(c)];
        rms = stats.GetRms();
        peak = stats.GetPeak();
        peakToPeak = stats.GetMax() - stats.GetMin();
        return true;
    };
    if (dialog.ShowModal() != wxID_OK)
        return false;
    calibration.factor = dialog.m_dFactor;
    calibration.calibrated = dialog.m_bCalibrated;
    calibration.reference = dialog.m_dVoltage;
    return true;
}

}  // namespace

void CSndViewWindow::ShowGeneratorLevel(CGeneratorMatrix& matrix)
{
    wxWeakRef<CGeneratorLevelDlg>& window = LevelWindow();
    if (!window)
    {
        window = new CGeneratorLevelDlg(wxTheApp->GetTopWindow(), matrix);
        window->SetCalibrateChannel(
            [&matrix, level = window.get()](int channel, CGeneratorLevelDlg::ChannelCalibration& calibration)
            { return CalibrateOutputChannel(level, matrix, channel, calibration); });
    }
    else
        window->CopyFromEngine();
    window->Show();
    window->Raise();
}

bool CSndViewWindow::EditOutputMatrix(CGeneratorMatrix_settings& settings)
{
    CGeneratorMatrixDlg dialog(this, settings);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    settings.Copy(dialog.m_settings);
    return true;
}

void CSndViewWindow::RunLinkVolume(
    double value, const std::function<void(std::int64_t wParam, std::int64_t lParam)>& report)
{
    CLinkVolumeDlg dialog(this);
    dialog.SetRange(-85.0, 35.0);
    dialog.SetValue(value);
    dialog.m_target = [&report](int, std::int64_t wParam, std::int64_t lParam) { report(wParam, lParam); };
    dialog.ShowModal();
}

void CSndViewWindow::RunLevelCalibration(CLevelCalibration& calibration)
{
    CLevelCalibrationDlg dialog(this, calibration);
    dialog.ShowModal();
}

bool CSndViewWindow::EditTrackingLevel(double& millivolts)
{
    CTrackingLevelCalibrationDlg dialog(this);
    dialog.m_strTitle = "Tracking level";
    dialog.m_row = {"Level", "mV", millivolts, 1e-9, 10000.0};
    if (dialog.ShowModal() != wxID_OK)
        return false;
    millivolts = dialog.m_row.value;
    return true;
}

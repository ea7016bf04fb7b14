// The measurement window's generator windows: the engine's "Level" window, the output matrix dialog,
// the linked generators' volume slider, the level calibration and the tracking level.
#include "engine/GeneratorMatrix.h"
#include "engine/ui/GeneratorLevelDlg.h"
#include "engine/ui/GeneratorMatrixDlg.h"
#include "engine/ui/SliderDlg.h"
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

}  // namespace

void CSndViewWindow::ShowGeneratorLevel(CGeneratorMatrix& matrix)
{
    wxWeakRef<CGeneratorLevelDlg>& window = LevelWindow();
    if (!window)
        window = new CGeneratorLevelDlg(wxTheApp->GetTopWindow(), matrix);
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

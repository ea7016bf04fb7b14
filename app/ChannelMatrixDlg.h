// CChannelMatrixDlg ("Channel Matrix"): for the first 24 of a measurement window's 64 channel
// records, whether the channel is displayed, which input channel it shows, its scale in dB, its
// prescaler, its curve style (its button shows a stretch of the curve's line) and its DSP
// operation. The rows are built when the dialog is made; the records of channels 25 to 64 pass
// through unchanged. The opener fills m_channels (and the window's curve names for the DSP
// operation lists), runs it modally and takes m_channels after OK; a scale or input entry that is
// no number is named in a message and the dialog stays open. A row's "C" (calibration) button
// calibrates that channel from the opener's readings: the calibration's factor becomes the row's
// scale in dB and marks the channel calibrated.
//
// Threads: user-interface thread only.
#pragma once

#include "display/settings/ChannelSettings.h"
#include "view/CalibrationReading.h"

#include <string>
#include <vector>

#include <wx/bitmap.h>
#include <wx/dialog.h>

class wxButton;
class wxCheckBox;
class wxChoice;
class wxTextCtrl;

class CChannelMatrixDlg : public wxDialog
{
public:
    static constexpr int kChannels = 64;
    static constexpr int kRows = 24;
    static constexpr int kIdReset = 479;
    static constexpr int kIdAllOff = 481;
    // Row i's controls: id + i.
    static constexpr int kIdDisplay = 5100;
    static constexpr int kIdInput = 5200;
    static constexpr int kIdScale = 5300;
    static constexpr int kIdLineStyle = 5400;
    static constexpr int kIdDsp = 5464;
    static constexpr int kIdCalibrate = 5528;
    static constexpr int kIdPrescaler = 5900;

    explicit CChannelMatrixDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    void OnReset();
    void OnAllOff();
    void OnLineStyle(int row);
    void OnDsp(int row);
    // A short stretch of line in the style's colour, width and pen style on white.
    static wxBitmap MakeStyleSwatch(const CCurveStyle& style);
    void OnCalibrate(int row);

    std::vector<Cchannel_settings> m_channels = std::vector<Cchannel_settings>(kChannels);
    std::vector<std::string> m_curveNames;
    CCalibrationReading::Source m_readings;

private:
    struct Row
    {
        wxCheckBox* display = nullptr;
        wxTextCtrl* input = nullptr;
        wxTextCtrl* scale = nullptr;
        wxChoice* prescaler = nullptr;
        wxButton* lineStyle = nullptr;
        wxButton* dsp = nullptr;
        wxButton* calibrate = nullptr;
        // The exact scale a calibration set, while the edit still shows it rounded.
        double calibratedScaleDb = 0.0;
        bool calibrated = false;
    };
    void ShowStyle(int row);

    std::vector<Row> m_rows;
};

// "FFT properties": FFT size, averages, sample rate, the MLS or chirp excitation with its sequence,
// chirp band, display and time window, the analyser's display, the window function, the frequency
// weighting and the y calibration. The command that opens it fills the members and takes them
// back after OK.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

#include <string>

class wxCheckBox;
class wxChoice;
class wxRadioButton;
class wxTextCtrl;

class CFftPropertiesDlg : public wxDialog
{
public:
    static constexpr int kIdFftSize = 126;
    static constexpr int kIdAverages = 128;
    static constexpr int kIdVectorAverages = 184;  // hidden, with its hidden label
    static constexpr int kIdSampleRate = 131;
    static constexpr int kIdExcitationOff = 1390;
    static constexpr int kIdExcitationMls = 1388;
    static constexpr int kIdExcitationChirp = 1389;
    static constexpr int kIdSequenceSize = 217;
    static constexpr int kIdChirpStart = 190;
    static constexpr int kIdChirpStop = 198;
    static constexpr int kIdMlsFrequency = 290;
    static constexpr int kIdMlsPhase = 296;
    static constexpr int kIdMlsImpulse = 300;
    static constexpr int kIdDelay = 148;
    static constexpr int kIdWindowLength = 175;
    static constexpr int kIdMagnitude = 576;
    static constexpr int kIdPhase = 577;
    static constexpr int kIdOscilloscope = 579;
    static constexpr int kIdRectangular = 1400;
    static constexpr int kIdHamming = 139;
    static constexpr int kIdBlackman = 143;
    static constexpr int kIdListedWindow = 166;
    static constexpr int kIdWindowList = 556;
    static constexpr int kIdWeighting = 557;
    static constexpr int kIdCalibration = 153;
    static constexpr int kIdOffset = 160;

    explicit CFftPropertiesDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    std::string m_strFftSize = "512";
    int m_nAverages = 1;
    int m_nVectorAverages = 0;
    int m_nSampleRate = 44100;
    int m_nExcitation = 0;  // 0 off, 1 MLS, 2 chirp
    std::string m_strSequenceSize = "1023";
    double m_dChirpStart = 0.0;
    double m_dChirpStop = 20000.0;
    int m_nMlsDisplay = 0;       // 0 frequency, 1 phase, 2 impulse response
    double m_dDelayMs = 0.0;     // time window delay
    double m_dLengthMs = 0.0;    // time window length
    int m_nAnalyserDisplay = 0;  // 0 magnitude, 1 phase, 2 oscilloscope
    int m_nWindowType = 2;
    int m_nWeighting = 0;
    int m_bCalibration = 0;
    double m_dOffset = 0.0;

private:
    wxChoice* m_pFftSize;
    wxTextCtrl* m_pAverages;
    wxTextCtrl* m_pVectorAverages;
    wxTextCtrl* m_pSampleRate;
    wxRadioButton* m_pExcitation[3];
    wxChoice* m_pSequenceSize;
    wxTextCtrl* m_pChirpStart;
    wxTextCtrl* m_pChirpStop;
    wxRadioButton* m_pMlsDisplay[3];
    wxTextCtrl* m_pDelay;
    wxTextCtrl* m_pLength;
    wxRadioButton* m_pAnalyserDisplay[3];
    wxRadioButton* m_pWindow[4];
    wxChoice* m_pWindowList;
    wxChoice* m_pWeighting;
    wxCheckBox* m_pCalibration;
    wxTextCtrl* m_pOffset;
};

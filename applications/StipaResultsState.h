// What the STIPA results window holds between the refreshes of its measurement window: the
// user's choices (gender, the RASTI and STIPA methods, which exclude each other), the requests
// its buttons leave for the next refresh, the method that refresh applied, the band RMS levels
// and the texts of the result lines. Knows how the lines go onto the clipboard and how the RMS
// levels are saved as the signal or noise of a signal-to-noise file.
//
// Threads: user-interface thread only.
#pragma once

#include <array>
#include <string>

#include "dsp/StiBandValues.h"

class CStipaResultsState
{
public:
    // The analyser methods the check boxes choose.
    static constexpr int kMethodStipa = 0;
    static constexpr int kMethodRasti = 1;
    static constexpr int kMethodNtiStipa = 2;

    // Each switches itself and the other one off.
    void ToggleRasti();
    void ToggleNtiStipa();
    // The method the check boxes choose: RASTI, STIPA or, with neither, the six-band STI-PA.
    int GetSelectedMethod() const;

    // The result lines joined by CR LF: the STI line, "MTI:", "M1: ", "M2: ", the three RASTI
    // lines (method RASTI only), "RMS: ", the gender word (empty with RASTI) and the elapsed time.
    std::string MakeClipboardText(const std::string& maleWord, const std::string& femaleWord) const;
    // Writes the band RMS levels as the SIGNAL or NOISE set of the file; false when it failed.
    bool SaveRms(const std::string& path, int setIndex) const;

    int m_gender = 0;  // 0 male, 1 female
    bool m_rasti = false;
    bool m_ntiStipa = false;
    bool m_enable = false;
    bool m_resetRequest = false;
    bool m_snrRequest = false;
    bool m_noiseRequest = false;
    // The method the last refresh applied.
    int m_method = kMethodStipa;
    CStiBandValues m_rms;
    std::string m_stiLine;
    std::string m_elapsedLine;
    std::string m_mtiLine;
    std::string m_m1Line;
    std::string m_m2Line;
    std::array<std::string, 3> m_rastiLines;
    std::string m_rmsLine;
};

// The running sound-level figures of one input channel that the sound-level statistics window shows
// in large type: LAeq, LCeq, their difference, LAFteq, LAFteq - LAeq, LCpeak, LAFmax, LA95 and the
// measurement time, read from the channel's band analyser. LA95 comes from a histogram of the
// A-weighted Fast level sampled every 125 ms while the level logger runs, else from the analyser's
// own 95 % level. At a set interval the figures and the band spectrum go into two text files for
// other programs. Plain logic; the window around it lives with the windows.
//
// Threads: user-interface thread; the analyser's levels are read while the analysis thread writes
// them, without a lock (each is one double).
#pragma once

#include <array>
#include <cstdint>
#include <string>

class CBandAnalyzer;

class CSoundLevelStatistics
{
public:
    static constexpr int kBins = 2048;
    static constexpr double kLowest = -200.0;
    static constexpr double kSpan = 400.0;
    static constexpr double kNoLevel = -500.0;

    CSoundLevelStatistics();

    // Every 125 ms: the A-weighted Fast level (linear) into the histogram.
    void AddFastLevel(double level);
    // Every 500 ms: the figures from the analyser (null: they stay).
    void Update(const CBandAnalyzer* analyzer, bool loggerRunning);
    // The level exceeded by 95 % of the histogram's counts; kNoLevel when it cannot be told.
    double ComputeHistogramLa95() const;
    void ResetHistogram();

    // The lines of the statistics file ("Data ID" with the export counter) and of the clipboard copy.
    std::string StatisticsText() const;
    std::string ClipboardText() const;
    // The band file's lines; empty when the analyser has no bands (or more than 255).
    static std::string BandText(const CBandAnalyzer* analyzer);
    // Writes both files when the interval is on; the counter goes up when the statistics file could
    // be written. False when nothing was written.
    bool Export(const CBandAnalyzer* analyzer, const std::string& fileName);

    // The window's size for a zoom factor: the size at creation times the factor, shrunk to fit the
    // screen with the aspect kept.
    static void FitSize(int baseWidth, int baseHeight, int factor, int screenWidth, int screenHeight,
                        int& width, int& height);

    double m_laeq = kNoLevel;
    double m_lceq = kNoLevel;
    double m_lceqMinusLaeq = kNoLevel;
    double m_lafteq = kNoLevel;
    double m_lcpeak = kNoLevel;
    double m_lafmax = kNoLevel;
    double m_lafteqMinusLaeq = kNoLevel;
    double m_la95 = kNoLevel;
    double m_seconds = 0.0;
    std::array<std::uint32_t, kBins> m_histogram{};
    std::uint32_t m_total = 0;
    // Export settings: seconds (<= 0: off) and the statistics file's name.
    double m_exportInterval = 0.0;
    std::string m_exportFile;
    int m_dataId = 0;
};

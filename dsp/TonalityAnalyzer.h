// How tonal a noise is (the tonal adjustment K_T of DIN 45681): finds the tonal components of one power
// spectrum, compares each with the masking noise of its critical band and yields K_T, the level
// difference it rests on with its expanded uncertainty, the tone frequencies and the band edges of
// tones judged together. Each run goes on a worker thread of its own at a lowered priority.
//
// Threads: the owner (one thread, the display's) writes the lines and the range members, calls Start
// and reads the results; the worker reads the lines and writes the results. m_runState orders them:
// the owner writes lines only while it is not kRunning, and reads results as finished only once it is
// kFinished. The worker is joined before the next Start and in the destructor.
#pragma once

#include <array>
#include <atomic>
#include <thread>

// The level difference's tonal adjustment in dB: 0 up to 0 dB, then 1 ... 6 above 0, 2, 4, 6, 9 and
// 12 dB (each limit belongs to the lower step).
int TonalAdjustmentOfLevelDifference(double levelDifference);

// The evaluation of `spectrumCount` spectra of `lineCount` lines each (spectrum s at levels + s ·
// lineCount; levels in dB). Only the first and the last frequency are read: the lines lie on the
// equidistant grid between them. Pointer outputs may be null; the arrays need room for one value per
// line. Allocates its working arrays for the call.
void EvaluateTonalComponents(const float* frequencies, int lineCount, const float* levels, int spectrumCount,
                             int& tonalAdjustment, double& levelDifference, double& uncertainty,
                             int* toneCount, float* toneFrequencies, int* groupCount, float* groupLowerEdges,
                             float* groupUpperEdges);

class CTonalityAnalyzer
{
public:
    static constexpr int kLineCapacity = 9000;
    enum : int
    {
        kNeverRun = 0,
        kRunning = 1,
        kFinished = 2
    };

    CTonalityAnalyzer();
    // Waits for a worker still running (it ends after its one evaluation).
    virtual ~CTonalityAnalyzer();
    CTonalityAnalyzer(const CTonalityAnalyzer&) = delete;
    CTonalityAnalyzer& operator=(const CTonalityAnalyzer&) = delete;

    // Starts one run on the lines held. Owner thread, never while the state is kRunning. When no
    // worker can be started the run ends at once: the state becomes kFinished with the results before.
    void Start();
    // Switches evaluation off and waits, polling every 10 ms, until no run is in progress.
    void StopAndWait();
    static void ThreadProc(CTonalityAnalyzer* analyzer);

    int m_lineCount = 0;
    int m_lineCapacity = kLineCapacity;
    std::array<float, kLineCapacity> m_lineFrequencies{};
    std::array<float, kLineCapacity> m_lineLevels{};
    // Results, written by the worker.
    int m_toneCount = 0;
    std::array<float, kLineCapacity> m_toneFrequencies{};
    int m_groupCount = 0;
    std::array<float, kLineCapacity> m_groupLowerEdges{};
    std::array<float, kLineCapacity> m_groupUpperEdges{};
    int m_tonalAdjustment = 0;
    double m_levelDifference = 0.0;
    double m_uncertainty = 0.0;
    int m_spectrumCount = 1;
    // The owner's display range, kept here for its readout.
    double m_lineSpacing = 0.0;
    double m_lowestFrequency = 0.0;
    double m_highestFrequency = 0.0;
    std::atomic<int> m_runState{kNeverRun};
    // The worker evaluates only while this is non-zero; read once when it starts.
    std::atomic<int> m_analysisEnabled{0};

private:
    std::thread m_thread;
};

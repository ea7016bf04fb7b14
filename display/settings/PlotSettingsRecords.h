// Plain records that the measurement window keeps beside its view settings: the 2D sweep settings,
// the plot's 3D presentation and the directivity sweep settings. None of them is stored with the
// view settings.
#pragma once

#include <vector>

// Settings of the frequency/level 2D sweep.
struct Sweep2DSettings
{
    // A sweep is refused unless frequency steps x level steps stays within this.
    static constexpr double kMaxPoints = 10000.0;
    bool IsAcceptable() const { return m_dFrequencySteps * m_dLevelSteps <= kMaxPoints; }

    int m_bLogSteps = 0;
    double m_dStepDurationMs = 500.0;  // 0..10000
    double m_dStartFrequency = 100.0;  // Hz, 0..1000000
    double m_dStartLevel = -70.0;      // dB, -300..300
    double m_dFrequencySteps = 20.0;   // 0..100
    double m_dLevelSteps = 10.0;       // 0..100
    double m_dStopFrequency = 5000.0;  // Hz, 0..1000000
    double m_dStopLevel = -3.0;        // dB, -300..300
};

// The 3D presentation of a plot.
struct Plot3DSettings
{
    static constexpr int kDemoRows = 30;
    static constexpr int kDemoColumns = 45;

    // A generated 30 x 45 grid rising from the y minimum, shown until real rows arrive.
    void FillDemoGrid();

    double m_dXMin = 20.0;
    double m_dXMax = 20000.0;
    double m_dYMin = -90.0;
    double m_dYMax = 10.0;
    double m_dZMin = -90.0;
    double m_dZMax = 10.0;
    int m_bLogX = 1;
    int m_nReserved = 0;
    int m_bDemoGrid = 1;
    int m_nRows = 0;
    int m_nColumns = 0;
    int m_nReserved2 = 0;
    std::vector<float> m_pGrid;
};

// The directivity sweep settings a view settings record holds (never stored with it).
class CPolar_sweep_settings
{
public:
    CPolar_sweep_settings() = default;
    virtual ~CPolar_sweep_settings() = default;

    double m_dValues[5] = {1000.0, 0.0, 0.0, 10.0, 90.0};
    int m_nValue = 1;
};

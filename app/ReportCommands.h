// The statistics window of the first measurement window, installed once at start-up.
#pragma once

class CAnalyzerApp;

// Measurement windows make their owned windows through the application from now on.
void InstallSoundLevelStatistics(CAnalyzerApp& app);

// A measurement series: a folder whose sub-folders each hold one measured impulse response as
// "impulse.wav" (one per microphone position or repetition). Average aligns every response on its
// loudest 100-sample stretch, scales it to a peak of 1, sums and normalises them, and writes the
// result as the measurement "average"; Statistics evaluates every response (decay time, energy
// ratios, third-octave decay times, STI and RASTI) into three semicolon-separated tables.
//
// Threads: AverageImpulseResponses runs on the caller's thread. ComputeSeriesStatistics runs on a
// worker; another thread may read the progress and raise the stop flag, which is looked at once
// per measurement. Both read the engine's settings, which must not change meanwhile.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class CSoundIn;

inline constexpr const char* kSeriesResponseName = "impulse.wav";
inline constexpr const char* kSeriesAverageName = "average";
inline constexpr const char* kSeriesStatisticsName = "statistic.csv";

// Result codes.
inline constexpr std::int32_t kSeriesNoMeasurement = -1;
inline constexpr std::int32_t kSeriesUnreadable = -2;    // a file reports no channel
inline constexpr std::int32_t kSeriesRateMismatch = -3;  // average only
inline constexpr std::int32_t kSeriesTableFailed = -4;   // a table could not be written
inline constexpr std::int32_t kSeriesStopped = -100;

// Appends folder/name/impulse.wav for every sub-folder (by type) other than excludedName that holds
// that file, in name order; returns the number found or -1 when none.
std::int32_t FindMeasurementFolders(std::vector<std::string>& list, const std::string& folder,
                                    const std::string& excludedName);

// 0 done, or a code above. Silent responses have no peak to scale by: they are left out, and their
// sub-folder names go to `skipped` (may be null). Writes folder/average/impulse.wav with one
// channel at the engine's recording bit depth.
std::int32_t AverageImpulseResponses(const std::string& folder, const CSoundIn& engine,
                                     std::vector<std::string>* skipped = nullptr);

// 0 done, or a code above. progress: 0 at the start, 0.01 once the recordings are listed, and
// (i + 1) / n when measurement i of n begins (may be null); stopFlag 1 stops before the next
// measurement (may be null). Writes folder/fileName, folder/statistic_C50.csv and
// folder/statistic_D80.csv; values that are not available are empty cells. Silent responses are
// left out of the tables and their names go to `skipped` (may be null).
std::int32_t ComputeSeriesStatistics(const std::string& folder, const std::string& fileName,
                                     std::atomic<double>* progress, const std::atomic<std::int32_t>* stopFlag,
                                     const CSoundIn& engine, std::vector<std::string>* skipped = nullptr);

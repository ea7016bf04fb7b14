#include "engine/MeasurementSeries.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "common/BitFields.h"
#include "common/ShellHelpers.h"
#include "dsp/ArrayStatistics.h"
#include "dsp/RoomAcoustics.h"
#include "dsp/StiEvaluator.h"
#include "engine/AudioFileReader.h"
#include "engine/SoundIn.h"
#include "engine/WaveRecorder.h"
#include "platform/NumberFormat.h"

namespace
{

constexpr int kMinimumLength = 65536;
constexpr int kAlignWindow = 100;
constexpr int kThirdOctave = 3;

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string Join(const std::string& folder, const std::string& name)
{
    return folder + "/" + name;
}

// The sub-folder name of folder/name/impulse.wav.
std::string MeasurementName(const std::string& path)
{
    return std::filesystem::path(path).parent_path().filename().string();
}

// The file infos of all files with the largest frame and channel counts; false when one reports
// no channel.
bool ReadInfos(const std::vector<std::string>& files, std::vector<WaveFileInfo>& infos, int& longest,
               int& channels)
{
    infos.assign(files.size(), WaveFileInfo{});
    longest = 0;
    channels = 0;
    for (std::size_t i = 0; i < files.size(); ++i)
    {
        GetWaveFileInfo(files[i], infos[i]);
        if (infos[i].channels < 1)
            return false;
        longest = std::max(longest, static_cast<int>(infos[i].length));
        channels = std::max(channels, infos[i].channels);
    }
    return true;
}

// Reads the first `frames` frames of a file, channel after channel, into work; false when it fails.
bool ReadResponse(const std::string& path, float* work, int frames)
{
    CAudioFileReader reader;
    reader.Open(path);
    if (!reader.IsOpen())
        return false;
    const bool read = reader.Read(work, frames, 1) == frames;
    reader.Close();
    return read;
}

// A value as "%.1f", or an empty cell when it is not available (unset, or no finite number).
std::string Cell(double value, bool available)
{
    return available && std::isfinite(value) ? platform::FormatC("%.1f", value) : std::string();
}

std::string DbCell(double ratio)
{
    return ratio > 0.0 ? Cell(10.0 * std::log10(ratio), true) : std::string();
}

std::string PercentCell(double fraction)
{
    return fraction >= 0.0 ? Cell(100.0 * fraction, true) : std::string();
}

std::string TimeCell(double seconds)
{
    return seconds >= 0.0 ? Cell(1000.0 * seconds, true) : std::string();
}

// Writes the header and the lines (each through the decimal comma) as one table; false when the
// file cannot be created or written.
bool WriteTable(const std::string& path, const std::string& header, const std::vector<std::string>& lines,
                const CSoundIn& engine)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "w"));
    if (!file)
        return false;
    bool ok = std::fputs(header.c_str(), file.get()) >= 0;
    for (const std::string& line : lines)
        ok = std::fprintf(file.get(), "%s\n", engine.ApplyDecimalComma(line).c_str()) >= 0 && ok;
    return std::fclose(file.release()) == 0 && ok;
}

}  // namespace

std::int32_t FindMeasurementFolders(std::vector<std::string>& list, const std::string& folder,
                                    const std::string& excludedName)
{
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    {
        std::error_code typeError;
        if (!it->is_directory(typeError) || typeError)
            continue;
        const std::string name = it->path().filename().string();
        if (name == "." || name == ".." || (!excludedName.empty() && name == excludedName))
            continue;
        if (std::filesystem::is_regular_file(Join(Join(folder, name), kSeriesResponseName), typeError))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        list.push_back(Join(Join(folder, name), kSeriesResponseName));
    return names.empty() ? kSeriesNoMeasurement : static_cast<std::int32_t>(names.size());
}

std::int32_t AverageImpulseResponses(const std::string& folder, const CSoundIn& engine,
                                     std::vector<std::string>* skipped)
{
    std::vector<std::string> files;
    if (FindMeasurementFolders(files, folder, kSeriesAverageName) < 1)
        return kSeriesNoMeasurement;
    const std::string averageFolder = Join(folder, kSeriesAverageName);
    CreateFolderLongPath(averageFolder);
    std::vector<WaveFileInfo> infos;
    int longest = 0;
    int channels = 0;
    if (!ReadInfos(files, infos, longest, channels))
        return kSeriesUnreadable;
    for (const WaveFileInfo& info : infos)
        if (info.sampleRate != infos[0].sampleRate)
            return kSeriesRateMismatch;
    std::vector<float> work(static_cast<std::size_t>(longest) * static_cast<std::size_t>(channels));
    // First pass: the peak and the loudest 100-sample window of each response.
    std::vector<float> peaks(files.size(), 0.0f);
    std::vector<int> starts(files.size(), 0);
    for (std::size_t i = 0; i < files.size(); ++i)
    {
        const int frames = static_cast<int>(infos[i].length);
        if (!ReadResponse(files[i], work.data(), frames))
            return kSeriesUnreadable;
        int index = 0;
        peaks[i] = FindPeakMagnitude(work.data(), frames, &index);
        FindMaxRmsWindow(work.data(), frames, kAlignWindow, &starts[i]);
    }
    // Second pass: each response enters with its loudest window at 10 % of the output, at peak 1.
    const int total = std::max(longest, kMinimumLength);
    std::vector<float> output(static_cast<std::size_t>(total), 0.0f);
    const int align = static_cast<int>(0.1 * total);
    for (std::size_t i = 0; i < files.size(); ++i)
    {
        if (!(peaks[i] > 0.0f))
        {
            if (skipped)
                skipped->push_back(MeasurementName(files[i]));
            continue;
        }
        const int frames = static_cast<int>(infos[i].length);
        if (!ReadResponse(files[i], work.data(), frames))
            return kSeriesUnreadable;
        const int s = starts[i];
        const double scale = 1.0 / peaks[i];
        const int before = std::min(align, s);
        for (int k = 0; k < before; ++k)
            output[static_cast<std::size_t>(align - before + k)] +=
                static_cast<float>(work[static_cast<std::size_t>(s - before + k)] * scale);
        const int after = std::min(frames - s, total - align);
        for (int k = 0; k < after; ++k)
            output[static_cast<std::size_t>(align + k)] +=
                static_cast<float>(work[static_cast<std::size_t>(s + k)] * scale);
    }
    NormalizeArray(output.data(), total);
    CWaveRecorder recorder;
    recorder.m_nFileChannels = 1;
    recorder.m_nSourceChannels = 1;
    recorder.m_bChannelEnabled[0] = 1;
    recorder.m_nBits = engine.m_recordBits;
    recorder.m_nSampleRate = infos[0].sampleRate;
    if (recorder.Open(Join(averageFolder, kSeriesResponseName)) < 1)
        return kSeriesTableFailed;
    recorder.WriteFloatBlock(output.data(), total, 0);
    recorder.Close();
    return 0;
}

std::int32_t ComputeSeriesStatistics(const std::string& folder, const std::string& fileName,
                                     std::atomic<double>* progress, const std::atomic<std::int32_t>* stopFlag,
                                     const CSoundIn& engine, std::vector<std::string>* skipped)
{
    if (progress)
        *progress = 0.0;
    std::vector<std::string> files;
    if (FindMeasurementFolders(files, folder, std::string()) < 1)
        return kSeriesNoMeasurement;
    if (progress)
        *progress = 0.01;
    std::vector<WaveFileInfo> infos;
    int longest = 0;
    int channels = 0;
    if (!ReadInfos(files, infos, longest, channels))
        return kSeriesUnreadable;
    const int workLength = NextPowerOfTwo(std::max(longest, kMinimumLength));
    std::vector<float> work(static_cast<std::size_t>(workLength) * static_cast<std::size_t>(channels));
    std::vector<CRoomAcousticResults> results(files.size());
    std::vector<bool> evaluated(files.size(), false);
    CStiEvaluator sti;
    sti.m_snr.Assign(engine.m_stiSnrValues);
    const int count = static_cast<int>(files.size());
    for (int i = 0; i < count; ++i)
    {
        if (progress)
            *progress = static_cast<double>(i + 1) / count;
        if (stopFlag && *stopFlag == 1)
            return kSeriesStopped;
        const WaveFileInfo& info = infos[static_cast<std::size_t>(i)];
        const double rate = info.sampleRate;
        int frames = static_cast<int>(info.length);
        if (engine.m_irMaxLengthMs > 0.0)
        {
            const double limit = std::trunc(engine.m_irMaxLengthMs * rate * 0.001);
            if (limit < frames)
                frames = static_cast<int>(limit);
        }
        std::fill(work.begin(), work.end(), 0.0f);
        if (frames < 1 || !ReadResponse(files[static_cast<std::size_t>(i)], work.data(), frames))
            return kSeriesUnreadable;
        if (!(FindPeakMagnitude(work.data(), frames, nullptr) > 0.0f))
        {
            if (skipped)
                skipped->push_back(MeasurementName(files[static_cast<std::size_t>(i)]));
            continue;
        }
        CRoomAcousticResults& r = results[static_cast<std::size_t>(i)];
        EvaluateRoomAcoustics(work.data(), frames, rate, r, engine.m_irDecayStartLevel,
                              engine.m_irDecayEndLevel, engine.m_irRegressionPoints, 0);
        r.m_thirdLastBand = EvaluateRoomAcousticsPerBand(
            work.data(), frames, rate, engine.m_irDecayStartLevel, engine.m_irDecayEndLevel,
            engine.m_irRegressionPoints, kThirdOctave, r.m_thirdCentres.data(), r.m_thirdDecayTimes.data(),
            r.m_thirdNonLinearity.data(), r.m_thirdIntercepts.data(), engine.m_irBandLowerLimit,
            engine.m_irBandUpperLimit, r.m_thirdC50.data(), r.m_thirdD80.data(), 0);
        // The first channel only: the following channels lie behind it in the work array.
        sti.Evaluate(work.data(), frames, info.sampleRate);
        r.m_sti = sti.m_sti;
        r.m_rasti = sti.m_rasti;
        evaluated[static_cast<std::size_t>(i)] = true;
    }

    // The band columns come from the first evaluated measurement.
    std::string bandColumns;
    for (int i = 0; i < count; ++i)
        if (evaluated[static_cast<std::size_t>(i)])
        {
            const CRoomAcousticResults& first = results[static_cast<std::size_t>(i)];
            for (int j = 0; j < first.m_thirdLastBand; ++j)
                bandColumns +=
                    platform::FormatC(";%.1fHz", first.m_thirdCentres[static_cast<std::size_t>(j)]);
            break;
        }
    std::vector<std::string> main, c50, d80;
    for (int i = 0; i < count; ++i)
    {
        if (!evaluated[static_cast<std::size_t>(i)])
            continue;
        const CRoomAcousticResults& r = results[static_cast<std::size_t>(i)];
        const std::string name = MeasurementName(files[static_cast<std::size_t>(i)]);
        std::string line = name + ";" + TimeCell(r.m_decayTime) + ";" + DbCell(r.m_c50) + ";" +
                           PercentCell(r.m_d80) + ";" + DbCell(r.m_c80) + ";" + PercentCell(r.m_d50) + ";" +
                           platform::FormatC("%e", r.m_nonLinearity) + ";" +
                           (r.m_sti >= 0.0 ? platform::FormatC("%.2f", r.m_sti) : std::string()) + ";" +
                           (r.m_rasti >= 0.0 ? platform::FormatC("%.2f", r.m_rasti) : std::string());
        std::string lineC50 = name;
        std::string lineD80 = name;
        for (int j = 0; j < r.m_thirdLastBand; ++j)
        {
            const auto band = static_cast<std::size_t>(j);
            const double time = r.m_thirdDecayTimes[band];
            line += ";" + Cell(time, time >= 0.0);
            lineC50 += ";" + DbCell(r.m_thirdC50[band]);
            lineD80 += ";" + PercentCell(r.m_thirdD80[band]);
        }
        main.push_back(line);
        c50.push_back(lineC50);
        d80.push_back(lineD80);
    }
    const std::string header = "Messung;RT60 [ms];C50 [dB];D80 [%];C80 [dB];D50 [%];Fehler;STI;RASTI";
    const bool written =
        WriteTable(Join(folder, fileName), header + bandColumns + "\n", main, engine) &&
        WriteTable(Join(folder, "statistic_C50.csv"), "Messung C50 [dB]" + bandColumns + "\n", c50, engine) &&
        WriteTable(Join(folder, "statistic_D80.csv"), "Messung D80 [%]" + bandColumns + "\n", d80, engine);
    return written ? 0 : kSeriesTableFailed;
}

#include "applications/LevelLogger.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <new>

#include "common/IniFile.h"
#include "common/ShellHelpers.h"
#include "common/TextDataFiles.h"
#include "common/TextFormatting.h"
#include "dsp/FrequencyWeighting.h"
#include "platform/FileReplace.h"
#include "platform/NumberFormat.h"

CLevelLogger::CLevelLogger(std::string longtermFolder, std::string dinFolder)
    : m_dinFolder(std::move(dinFolder))
{
    m_autoSaveFolder = std::move(longtermFolder);
}

CLevelLogger::~CLevelLogger()
{
    if (m_writer.joinable())
    {
        {
            std::lock_guard<std::mutex> wake(m_wakeLock);
            m_writerFlag.store(1);
        }
        m_wake.notify_all();
        m_writer.join();
    }
    // A normal end: the journal has served its purpose (the run is either saved or given up by the
    // user leaving the program).
    CloseJournal(true);
}

// --- interval clock and block storage (analysis thread) ---------------------------------------------

void CLevelLogger::ConsumeSamples(int n)
{
    m_samplesLeft -= n;
    m_blockSamples += n;
    m_runSamples += n;
}

void CLevelLogger::BeginInterval()
{
    const double s = m_fastInterval * m_sampleRate;
    std::int64_t n = static_cast<std::int64_t>(std::floor(s));
    m_carry += s - static_cast<double>(n);
    if (m_carry >= 1.0)
    {
        const double whole = std::floor(m_carry);
        n += static_cast<std::int64_t>(whole);
        m_carry -= whole;
    }
    m_samplesLeft += n;
    m_blockSamples = 0;
}

void CLevelLogger::Stop()
{
    if (m_state.load(std::memory_order_acquire) == kStopped)
        return;
    {
        // The writer may be copying the settings for a file right now.
        std::lock_guard<std::mutex> fields(m_fieldLock);
        m_stopTime = Now();
        m_storedBlocks = m_blocksCounted.load(std::memory_order_acquire);
    }
    m_state.store(kStopped, std::memory_order_release);
}

void CLevelLogger::RequestStopCommand()
{
    if (m_onStopRequest)
        m_onStopRequest();
}

std::int64_t CLevelLogger::BeginStore() const
{
    // The slot about to be filled was read by an earlier writer pass (journal, auto-save): this
    // acquire orders those reads before the new records.
    (void)m_writerPasses.load(std::memory_order_acquire);
    if (m_writeIndex < 0 || m_writeIndex >= m_ringSize)
        return -1;
    return m_writeIndex;
}

void CLevelLogger::PublishStore(std::int64_t index)
{
    m_blockSamplesRing[static_cast<std::size_t>(index)] = m_blockSamples;
    m_blocksSinceSave.fetch_add(1, std::memory_order_relaxed);
    const std::int64_t counted = m_blocksCounted.fetch_add(1, std::memory_order_release) + 1;
    // The block at which the run stopped by itself is still stored, and belongs to the run.
    if (m_state.load(std::memory_order_relaxed) == kStopped)
    {
        std::lock_guard<std::mutex> fields(m_fieldLock);
        m_storedBlocks = counted;
    }
    if (++m_writeIndex >= m_ringSize)
        m_writeIndex = 0;
}

void CLevelLogger::StoreBlock(std::span<CLevelMeter* const> widebandMeters,
                              std::span<CLevelMeter* const> bandMeters)
{
    const std::int64_t index = BeginStore();
    if (index < 0)
        return;
    CLevelRecord* records = BlockRecords(index);
    for (std::size_t k = 0; k < widebandMeters.size() && k < static_cast<std::size_t>(m_ringWideband); ++k)
        if (widebandMeters[k])
            records[k].TakeFromMeter(*widebandMeters[k]);
    for (std::size_t i = 0; i < bandMeters.size() && i < static_cast<std::size_t>(m_ringBands); ++i)
        if (bandMeters[i])
            records[static_cast<std::size_t>(m_ringWideband) + i].TakeFromMeter(*bandMeters[i]);
    PublishStore(index);
}

void CLevelLogger::StoreRecords(std::span<const CLevelRecord> records)
{
    const std::int64_t index = BeginStore();
    if (index < 0)
        return;
    std::copy_n(records.begin(), std::min(records.size(), RecordsPerBlock()), BlockRecords(index));
    PublishStore(index);
}

void CLevelLogger::SetWidebandWeightings(std::span<const int> weightings)
{
    m_widebandCount = static_cast<int>(std::min<std::size_t>(weightings.size(), kMaxWideband));
    for (int i = 0; i < m_widebandCount; ++i)
        m_wideband[i].m_weighting = weightings[static_cast<std::size_t>(i)];
}

void CLevelLogger::SetBandConfiguration(double sampleRate, double minFrequency, double maxFrequency,
                                        int bandsPerOctave, std::span<const double> bandCenters)
{
    m_sampleRate = sampleRate;
    m_bands.m_minFrequency = minFrequency;
    m_bands.m_maxFrequency = maxFrequency;
    m_bands.m_bandsPerOctave = bandsPerOctave;
    const std::size_t count = std::min<std::size_t>(bandCenters.size(), CRtaBandConfig::kMaxBands);
    m_bands.m_centers.assign(bandCenters.begin(), bandCenters.begin() + static_cast<std::ptrdiff_t>(count));
}

// --- control (user-interface thread) ----------------------------------------------------------------

std::int64_t CLevelLogger::GetPlannedBlockCount()
{
    if (m_autoSaveMode == 1 && m_fastInterval > 0.0)
    {
        m_blocksPerFile = static_cast<std::int64_t>(m_autoSavePeriod / m_fastInterval);
        const std::int64_t margin =
            std::max<std::int64_t>(static_cast<std::int64_t>(m_blocksPerFile * 0.05), 240);
        return m_blocksPerFile + margin;
    }
    std::int64_t count = m_plannedBlocks;
    // A DIN period must fit the ring whole, or it would overwrite its own first blocks.
    if (m_dinMode && m_fastInterval > 0.0)
        count = std::max<std::int64_t>(
            count, static_cast<std::int64_t>(std::ceil(m_din.m_periodLength / m_fastInterval)) + 240);
    return count;
}

std::int64_t CLevelLogger::GetRequiredMemory()
{
    return GetPlannedBlockCount() * CLevelRecord::kRawSize *
           static_cast<std::int64_t>(m_widebandCount + GetLoggedBandCount());
}

bool CLevelLogger::BuildRing(std::int64_t count)
{
    m_records.clear();
    m_records.shrink_to_fit();
    m_blockSamplesRing.clear();
    m_blockSamplesRing.shrink_to_fit();
    m_ringSize = 0;
    const int bands = GetLoggedBandCount();
    const std::int64_t perBlock = m_widebandCount + bands;
    if (count <= 0 || count * perBlock * static_cast<std::int64_t>(sizeof(CLevelRecord)) > kMaxRunBytes)
        return false;
    try
    {
        m_records.assign(static_cast<std::size_t>(count * perBlock), CLevelRecord());
        m_blockSamplesRing.assign(static_cast<std::size_t>(count), 0);
    }
    catch (const std::bad_alloc&)
    {
        m_records.clear();
        m_blockSamplesRing.clear();
        return false;
    }
    m_ringSize = count;
    m_ringWideband = m_widebandCount;
    m_ringBands = bands;
    for (int k = 0; k < 3 && k < kMaxWideband; ++k)
        m_wideband[k].m_weighting = k;
    return true;
}

bool CLevelLogger::AllocateBlocks()
{
    std::lock_guard<std::mutex> lock(m_writerLock);
    const std::int64_t count = GetPlannedBlockCount();
    bool ok = m_ringSize > 0;
    if (m_ringSize < count || m_ringWideband != m_widebandCount || m_ringBands != GetLoggedBandCount())
    {
        ok = BuildRing(count);
        if (!ok && m_onMessage)
            m_onMessage(platform::FormatC("The level logger cannot hold %lld blocks of %d records in memory.",
                                          static_cast<long long>(count),
                                          m_widebandCount + GetLoggedBandCount()));
    }
    ResetAutoSave();
    return ok;
}

void CLevelLogger::FreeBlocks()
{
    std::lock_guard<std::mutex> lock(m_writerLock);
    m_records.clear();
    m_records.shrink_to_fit();
    m_blockSamplesRing.clear();
    m_blockSamplesRing.shrink_to_fit();
    m_ringSize = m_writeIndex = 0;
    m_blocksCounted.store(0);
    {
        std::lock_guard<std::mutex> fields(m_fieldLock);
        m_storedBlocks = 0;
    }
    m_ringBands = 0;
    m_matrix.Free();
    m_state.store(kFreed, std::memory_order_release);
}

void CLevelLogger::ResetAutoSave()
{
    m_saveStart = 0;
    m_savedBlocks = 0;
    m_blocksSinceSave.store(0);
    m_autoSaveFileCount = 0;
    m_autoSavedFiles.clear();
}

void CLevelLogger::BeginDinRun(std::time_t now)
{
    m_din.m_periodFiles.clear();
    m_summaries.clear();
    m_din.m_runStart = now;
    std::time_t due = now + static_cast<std::time_t>(m_din.m_periodLength);
    if (m_din.m_periodLength >= 60.0)
    {
        std::tm parts{};
        localtime_r(&due, &parts);
        due -= parts.tm_sec;
        const int m = static_cast<int>(m_din.m_periodLength / 60.0);
        if (m >= 1 && m <= 59)
            due -= static_cast<std::time_t>(parts.tm_min % m) * 60;
    }
    m_din.m_nextDue = due;
    m_din.m_periodNumber = 0;
    m_din.m_previousWrite = now;
    m_din.m_resultFolder = m_dinFolder + "/" + MakeTimeStamp(now);
    std::error_code error;
    std::filesystem::create_directories(m_din.m_resultFolder, error);
    m_dinActive.store(true, std::memory_order_release);
}

bool CLevelLogger::Start()
{
    if (m_ringSize <= 0 || !(m_sampleRate > 0.0) || !(m_fastInterval > 0.0))
    {
        if (m_onMessage)
            m_onMessage(
                "The level logger has no memory for its blocks or no sample rate; logging does not start.");
        return false;
    }
    const std::time_t now = Now();
    {
        std::lock_guard<std::mutex> lock(m_writerLock);
        CloseJournal(true);
        if (m_dinMode && m_din.m_periodNumber < 0)
            BeginDinRun(now);
        m_runSamples = m_samplesLeft = m_writeIndex = 0;
        m_blockSamples = 0;
        m_carry = 0.0;
        m_blocksCounted.store(0);
        ResetAutoSave();
        m_writeFailureReported.store(false);
        m_startTime = m_blockStartTime = m_stopTime = now;
        std::tm parts{};
        localtime_r(&now, &parts);
        const double t = parts.tm_hour * 3600.0 + parts.tm_min * 60.0 + parts.tm_sec;
        const double period = m_autoSavePeriod;
        m_firstAutoSavePeriod = period > 0.0 ? period - (t - period * std::floor(t / period)) : period;
        if (!(m_firstAutoSavePeriod > 0.0))
            m_firstAutoSavePeriod = period;
        m_firstFileBlocks = static_cast<std::int64_t>(m_firstAutoSavePeriod / m_fastInterval);
        m_blocksPerFile = static_cast<std::int64_t>(m_autoSavePeriod / m_fastInterval);
        m_journalBlocks = 0;
        BeginInterval();
        m_state.store(kRunning, std::memory_order_release);
    }
    if (m_startWriterThread && !m_writer.joinable())
        m_writer = std::thread([this] { WriterLoop(); });
    return true;
}

void CLevelLogger::StopAndFinishDin()
{
    Stop();
    // A writer pass that began before the stop finishes before the period's summary changes.
    std::lock_guard<std::mutex> lock(m_writerLock);
    if (m_dinActive.load() && m_din.m_periodNumber >= 0)
    {
        WriteDinPeriod();
        m_din.m_periodNumber = -2;
    }
    m_dinActive.store(false, std::memory_order_release);
    // The run's blocks are saved with the last period, or stay in memory for the user to save.
    WriteJournal();
}

bool CLevelLogger::CheckDinPeriod(const std::function<void()>& resetLevels)
{
    if (!m_dinActive.load() || !IsRunning() || m_din.m_periodNumber < 0 || Now() < m_din.m_nextDue)
        return false;
    const auto begin = std::chrono::steady_clock::now();
    Stop();
    {
        // A writer pass that began before the stop finishes before the period's summary changes.
        std::lock_guard<std::mutex> lock(m_writerLock);
        WriteDinPeriod();
    }
    if (resetLevels)
        resetLevels();
    Start();
    m_din.m_changeMs = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begin)
            .count());
    return true;
}

bool CLevelLogger::WriteDinPeriod()
{
    const std::int64_t counted = std::min(m_blocksCounted.load(), m_ringSize);
    CDin15905Block summary;
    summary.m_start = m_startTime;
    summary.m_duration = static_cast<double>(m_stopTime - m_startTime);
    // LEQ A over the samples the period's blocks counted; without a block it has no value (0).
    const std::int64_t samples = SumBlockSamples(-1, -1);
    if (counted > 0 && samples > 0 && m_ringWideband > 1)
        summary.m_leqA =
            std::sqrt(GetRecord(counted - 1, 1, -1).m_energyTotal / static_cast<double>(samples));
    double peak = -1e99;
    for (std::int64_t j = 0; j < counted; ++j)
        peak = std::max(peak, GetRecord(j, 2, -1).GetPeak());
    summary.m_peakC = counted > 0 ? peak : 0.0;
    m_summaries.push_back(summary);
    m_currentSummary = summary;

    const std::string name = m_din.m_resultFolder + "/" + platform::FormatC("%i_", m_din.m_periodNumber + 1) +
                             MakeTimeStamp(m_din.m_previousWrite) + "___" + MakeTimeStamp(m_stopTime) +
                             ".15905";
    m_din.m_periodFiles.push_back(StripPath(name));
    const bool written = WriteDataFile(name, "");
    m_din.m_previousWrite = m_stopTime;
    m_din.m_nextDue += static_cast<std::time_t>(m_din.m_periodLength);
    m_din.m_periodNumber += 1;
    std::string list = platform::FormatC("%zu\n", m_din.m_periodFiles.size());
    for (const std::string& file : m_din.m_periodFiles)
        list += file + "\n";
    const std::string listPath = m_din.m_resultFolder + "/blocks.list";
    if (!platform::ReplaceFileAtomically(listPath, list))
    {
        ReportWriteFailure(listPath);
        return false;
    }
    return written;
}

void CLevelLogger::ReportWriteFailure(const std::string& path)
{
    if (!m_writeFailureReported.exchange(true) && m_onMessage)
        m_onMessage("The level logger cannot write '" + path +
                    "' (the disk may be full). Logging goes on in memory; files already written are kept.");
}

// --- the writer -------------------------------------------------------------------------------------

void CLevelLogger::WriterLoop()
{
    while (m_writerFlag.load() != 1)
    {
        const double pass =
            std::min<double>(kWriterPassMs, m_fastInterval > 0.0 ? m_fastInterval * 1000.0 : kWriterPassMs);
        {
            std::unique_lock<std::mutex> wake(m_wakeLock);
            m_wake.wait_for(wake, std::chrono::milliseconds(std::max(1, static_cast<int>(pass))),
                            [this] { return m_writerFlag.load() == 1; });
        }
        if (m_writerFlag.load() == 1)
            break;
        RunWriterPass();
    }
    m_writerFlag.store(-1);
}

void CLevelLogger::RunWriterPass()
{
    std::lock_guard<std::mutex> lock(m_writerLock);
    if (m_state.load(std::memory_order_acquire) != kRunning)
        return;
    WriteJournal();
    if (m_autoSaveMode != 0)
        AutoSave();
    m_writerPasses.fetch_add(1, std::memory_order_release);
}

void CLevelLogger::AutoSave()
{
    const std::int64_t n = m_autoSaveFileCount == 0 ? m_firstFileBlocks : m_blocksPerFile;
    const double p = m_autoSaveFileCount == 0 ? m_firstAutoSavePeriod : m_autoSavePeriod;
    if (n <= 0 || m_blocksSinceSave.load(std::memory_order_acquire) < n)
        return;
    m_blocksSinceSave.fetch_sub(n);
    m_blockStopTime = m_blockStartTime + static_cast<std::time_t>(static_cast<int>(p));
    const std::string name = platform::FormatC("%s_ch%i_%i_%s.ini", m_autoSaveBaseName.c_str(), m_channel,
                                               m_autoSaveFileCount, MakeTimeStamp(m_blockStartTime).c_str());
    // A writer that fell a whole ring behind would save blocks already overwritten by newer ones:
    // that file is left out and the user told, rather than a file with wrong data written.
    if (m_blocksCounted.load(std::memory_order_acquire) - m_savedBlocks > m_ringSize)
    {
        if (!m_writeFailureReported.exchange(true) && m_onMessage)
            m_onMessage("The level logger could not save '" + name +
                        "' in time; its blocks were overwritten. Logging goes on.");
    }
    else
    {
        WriteDataFile(m_autoSaveFolder + "/" + name, "", m_saveStart, n);
        if (!m_secondAutoSaveFolder.empty())
            WriteDataFile(m_secondAutoSaveFolder + "/" + name, "", m_saveStart, n);
    }
    m_savedBlocks += n;
    const int oldCount = m_autoSaveFileCount;
    m_autoSaveFileCount += 1;
    m_blockStartTime =
        m_startTime + static_cast<std::time_t>(oldCount * m_autoSavePeriod + m_firstAutoSavePeriod);
    m_autoSavedFiles.push_back(name);
    m_saveStart = m_ringSize > 0 ? (m_saveStart + n) % m_ringSize : 0;
}

// The level logger's files: data sets (INI file and raw companion), the run journal and its
// recovery.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "applications/LevelLogger.h"
#include "common/IniFile.h"
#include "common/ShellHelpers.h"
#include "common/TextFormatting.h"
#include "platform/FileReplace.h"
#include "platform/NumberFormat.h"

namespace
{

// The largest summary count a data set may announce.
constexpr int kMaxSummaries = 1000000;

std::string DbText(double linear, double factor)
{
    return platform::FormatC("%f", factor * std::log10(linear));
}

// A level in dB back to linear; "-inf" (and the other platform's "-1.#INF00") and anything that
// does not give a finite value read as 0.
double ReadLinear(const CIniFile& ini, const std::string& section, const char* key, double current,
                  double factor)
{
    const std::string missing = "\x01";
    const std::string text = ini.ReadString(section, key, missing);
    if (text == missing)
        return current;
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    if (lower.find("inf") != std::string::npos || lower.find("nan") != std::string::npos)
        return 0.0;
    const double value = std::pow(10.0, platform::ParseDouble(text) * factor);
    return std::isfinite(value) ? value : 0.0;
}

void WriteRecordIni(const CIniFile& ini, const std::string& section, const CLevelRecord& record)
{
    ini.WriteString(section, "Energy total", DbText(record.m_energyTotal, 10.0));
    ini.WriteString(section, "Energy block", DbText(record.m_energyBlock, 10.0));
    ini.WriteString(section, "RMS fast", DbText(record.m_rmsFast, 20.0));
    ini.WriteString(section, "RMS slow", DbText(record.m_rmsSlow, 20.0));
    ini.WriteDouble(section, "SPL min", record.m_splMin);
    ini.WriteDouble(section, "SPL max", record.m_splMax);
}

void ReadRecordIni(const CIniFile& ini, const std::string& section, CLevelRecord& record)
{
    record.m_energyTotal = ReadLinear(ini, section, "Energy total", record.m_energyTotal, 0.1);
    record.m_energyBlock = ReadLinear(ini, section, "Energy block", record.m_energyBlock, 0.1);
    record.m_rmsFast = ReadLinear(ini, section, "RMS fast", record.m_rmsFast, 0.05);
    record.m_rmsSlow = ReadLinear(ini, section, "RMS slow", record.m_rmsSlow, 0.05);
    record.m_splMin = ini.ReadDouble(section, "SPL min", record.m_splMin);
    record.m_splMax = ini.ReadDouble(section, "SPL max", record.m_splMax);
}

std::string DinBase(const std::string& section)
{
    return section.empty() ? std::string() : section + ".";
}

std::uint64_t Checksum(const unsigned char* bytes, std::size_t length)
{
    std::uint64_t hash = 1469598103934665603ULL;
    for (std::size_t i = 0; i < length; ++i)
        hash = (hash ^ bytes[i]) * 1099511628211ULL;
    return hash;
}

void PutInt64(unsigned char* bytes, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i, value >>= 8)
        bytes[i] = static_cast<unsigned char>(value & 0xFF);
}

std::uint64_t GetInt64(const unsigned char* bytes)
{
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

bool WriteAll(int fd, const unsigned char* bytes, std::size_t length)
{
    while (length > 0)
    {
        const ssize_t written = ::write(fd, bytes, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

// --- data sets ----------------------------------------------------------------------------------------

bool CLevelLogger::WriteDataFile(const std::string& path, const std::string& section)
{
    const std::int64_t count =
        std::clamp<std::int64_t>(m_blocksCounted.load(std::memory_order_acquire), 0, m_ringSize);
    std::string binary;
    const bool written = WriteDataRange(path, section, 0, count, &binary);
    {
        std::lock_guard<std::mutex> fields(m_fieldLock);
        m_storedBlocks = count;
    }
    m_binaryFile = binary;
    if (written)
        m_lastFolder = RemoveFileSpec(path);
    return written;
}

bool CLevelLogger::WriteDataFile(const std::string& path, const std::string& section, std::int64_t first,
                                 std::int64_t count)
{
    return WriteDataRange(path, section, first, count, nullptr);
}

CLevelLogger_settings CLevelLogger::SettingsSnapshot() const
{
    std::lock_guard<std::mutex> fields(m_fieldLock);
    return *this;
}

bool CLevelLogger::WriteDataRange(const std::string& path, const std::string& section, std::int64_t first,
                                  std::int64_t count, std::string* binaryName)
{
    count = std::clamp<std::int64_t>(count, 0, m_ringSize);
    if (first < 0 || first >= m_ringSize)
        first = 0;
    const std::size_t perBlock = RecordsPerBlock();

    // The companion first: the INI file that names it lands only once it is in place.
    const std::string companion = ReplaceExtension(path, "bin");
    std::string raw;
    raw.resize(static_cast<std::size_t>(count) * perBlock * CLevelRecord::kRawSize);
    std::int64_t j = first;
    auto* out = reinterpret_cast<unsigned char*>(raw.data());
    for (std::int64_t k = 0; k < count; ++k)
    {
        const CLevelRecord* records = BlockRecords(j);
        for (std::size_t r = 0; r < perBlock; ++r, out += CLevelRecord::kRawSize)
            records[r].ToRaw(out);
        if (++j >= m_ringSize)
            j = 0;
    }
    const bool rawWritten = platform::ReplaceFileAtomically(companion, raw);
    // The file describes its own blocks; the logger's run stays as it is (the writer thread saves
    // parts of a run that goes on).
    CLevelLogger_settings settings = SettingsSnapshot();
    settings.m_binaryFile = rawWritten ? StripPath(companion) : std::string();
    settings.m_storedBlocks = count;
    if (binaryName)
        *binaryName = settings.m_binaryFile;

    CIniFile ini;
    if (!ini.SetFileName(path))
    {
        ReportWriteFailure(path);
        return false;
    }
    if (!ini.LoadBatch())
        ini.BeginBatch();
    settings.WriteProfile(ini, section + " info");
    j = first;
    for (std::int64_t k = 0; k < count; ++k)
    {
        const std::string s = section + platform::FormatC(" Data %lld", static_cast<long long>(k));
        ini.WriteInt64(s, "Samples", m_blockSamplesRing[static_cast<std::size_t>(j)]);
        const CLevelRecord* records = BlockRecords(j);
        ini.WriteDouble(s, "Energy Z", perBlock > 0 ? records[0].m_energyTotal : 0.0);
        if (!rawWritten)
        {
            for (int w = 0; w < m_ringWideband; ++w)
                WriteRecordIni(ini, s + platform::FormatC(".Wideband %i", w), records[w]);
            for (int b = 0; b < m_ringBands; ++b)
                WriteRecordIni(ini, s + platform::FormatC(".Band %i", b),
                               records[static_cast<std::size_t>(m_ringWideband + b)]);
        }
        if (++j >= m_ringSize)
            j = 0;
    }
    if (m_dinMode)
    {
        const std::string t = DinBase(section);
        ini.WriteInt(t + "DIN15905", "Data cnt", static_cast<int>(m_summaries.size()));
        m_currentSummary.Write(ini, section);
        for (std::size_t k = 1; k <= m_summaries.size(); ++k)
            m_summaries[k - 1].Write(ini, t + platform::FormatC("%zu", k));
    }
    if (!ini.CommitBatch())
    {
        ReportWriteFailure(path);
        return false;
    }
    return true;
}

bool CLevelLogger::ReadDataFile(const std::string& path, const std::string& section, std::string* reason)
{
    std::string bytes;
    const platform::ReadFileStatus status = platform::ReadRegularFile(path, bytes);
    if (status != platform::ReadFileStatus::Read)
    {
        if (reason)
            *reason = platform::DescribeReadFailure(status, path, platform::kDefaultMaxFileBytes);
        return false;
    }
    return ReadDataBytes(path, bytes, section, reason);
}

bool CLevelLogger::ReadDataBytes(const std::string& path, std::string_view iniBytes,
                                 const std::string& section, std::string* reason)
{
    std::string why;
    if (IsRunning())
        why = "the logger is running";
    else
    {
        // Into a logger of its own: a refused set leaves this run as it is.
        CLevelLogger reader(m_autoSaveFolder, m_dinFolder);
        static_cast<CLevelLogger_settings&>(reader) = *this;
        // Missing keys keep the current values, but never the companion of another set.
        reader.m_binaryFile.clear();
        reader.m_startWriterThread = false;
        reader.m_journalOn = false;
        CIniFile ini;
        ini.SetFileName(path);
        ini.AttachBatch(iniBytes);
        if (reader.ReadInto(ini, path, section, &why))
        {
            TakeRunFrom(reader);
            return true;
        }
    }
    const std::string text = "The data set '" + path + "' cannot be read: " + why + ".";
    if (reason)
        *reason = text;
    return false;
}

bool CLevelLogger::ReadInto(const CIniFile& ini, const std::string& path, const std::string& section,
                            std::string* reason)
{
    auto refuse = [&](std::string text)
    {
        *reason = std::move(text);
        return false;
    };
    if (!ReadProfile(ini, section + " info", reason))
        return false;
    if (!(m_sampleRate > 0.0 && m_sampleRate <= 10e6))
        return refuse(platform::FormatC("its sample rate %g Hz is not usable", m_sampleRate));
    if (!(m_fastInterval > 0.0 && m_fastInterval <= 86400.0))
        return refuse(platform::FormatC("its interval %g s is not usable", m_fastInterval));
    if (m_rawRecordSize < 0 || m_rawRecordSize > (1 << 20))
        return refuse(platform::FormatC("its record size %d is not usable", m_rawRecordSize));
    const std::int64_t stored = m_storedBlocks;
    const std::int64_t perBlock = m_widebandCount + GetLoggedBandCount();
    if (stored < 0 || (perBlock > 0 &&
                       stored > kMaxRunBytes / (perBlock * static_cast<std::int64_t>(sizeof(CLevelRecord)))))
        return refuse(platform::FormatC("it names %lld stored blocks", static_cast<long long>(stored)));

    // The companion is looked for beside the INI file, whatever folder the set was written in.
    std::string raw;
    bool rawOpen = false;
    const std::string companionName = StripPath(m_binaryFile);
    const std::string companion = RemoveFileSpec(path) + "/" + companionName;
    if (!companionName.empty())
    {
        const std::uintmax_t need = static_cast<std::uintmax_t>(stored) *
                                    static_cast<std::uintmax_t>(perBlock) *
                                    static_cast<std::uintmax_t>(m_rawRecordSize);
        const platform::ReadFileStatus status = platform::ReadRegularFile(companion, raw, need + 1024 * 1024);
        if (status == platform::ReadFileStatus::Read)
        {
            if (raw.size() < need)
                return refuse(platform::FormatC(
                    "its companion file '%s' holds %zu bytes, fewer than the %ju of %lld blocks",
                    companionName.c_str(), raw.size(), need, static_cast<long long>(stored)));
            rawOpen = true;
        }
        else if (status != platform::ReadFileStatus::Missing)
            return refuse(platform::DescribeReadFailure(status, companion, need + 1024 * 1024));
    }
    if (!BuildRing(std::max<std::int64_t>(stored, 1)))
        return refuse("there is not enough memory for it");

    const std::size_t take =
        std::min<std::size_t>(static_cast<std::size_t>(m_rawRecordSize), CLevelRecord::kRawSize);
    const auto* in = reinterpret_cast<const unsigned char*>(raw.data());
    std::int64_t samples = 0;
    for (std::int64_t i = 0; i < stored; ++i)
    {
        const std::string s = section + platform::FormatC(" Data %lld", static_cast<long long>(i));
        const std::int64_t blockSamples = ini.ReadInt64(s, "Samples", 0);
        if (blockSamples < 0 || blockSamples > (std::int64_t{1} << 40))
            return refuse(platform::FormatC("block %lld has %lld samples", static_cast<long long>(i),
                                            static_cast<long long>(blockSamples)));
        m_blockSamplesRing[static_cast<std::size_t>(i)] = blockSamples;
        samples += blockSamples;
        CLevelRecord* records = BlockRecords(i);
        for (std::int64_t r = 0; r < perBlock; ++r)
        {
            if (rawOpen)
            {
                records[r].FromRaw(in, take);
                in += m_rawRecordSize;
            }
            else if (r < m_ringWideband)
                ReadRecordIni(ini, s + platform::FormatC(".Wideband %lld", static_cast<long long>(r)),
                              records[r]);
            else
                ReadRecordIni(ini,
                              s + platform::FormatC(".Band %lld", static_cast<long long>(r - m_ringWideband)),
                              records[r]);
        }
    }
    m_blocksCounted.store(stored);
    m_writeIndex = stored % m_ringSize;
    m_runSamples = samples;
    if (m_dinMode)
    {
        const std::string t = DinBase(section);
        const int count = ini.ReadInt(t + "DIN15905", "Data cnt", static_cast<int>(m_summaries.size()));
        if (count < 0 || count > kMaxSummaries)
            return refuse(platform::FormatC("it names %d period summaries", count));
        m_currentSummary.Read(ini, section);
        m_summaries.resize(static_cast<std::size_t>(count));
        for (int k = 1; k <= count; ++k)
            m_summaries[static_cast<std::size_t>(k - 1)].Read(ini, t + platform::FormatC("%i", k));
    }
    m_lastFolder = RemoveFileSpec(path);
    return true;
}

void CLevelLogger::TakeRunFrom(CLevelLogger& other)
{
    std::lock_guard<std::mutex> lock(m_writerLock);
    static_cast<CLevelLogger_settings&>(*this) = other;
    m_records.swap(other.m_records);
    m_blockSamplesRing.swap(other.m_blockSamplesRing);
    m_ringSize = other.m_ringSize;
    m_ringWideband = other.m_ringWideband;
    m_ringBands = other.m_ringBands;
    m_writeIndex = other.m_writeIndex;
    m_blocksCounted.store(other.m_blocksCounted.load());
    m_runSamples = other.m_runSamples;
    m_summaries.swap(other.m_summaries);
    m_currentSummary = other.m_currentSummary;
    m_lastFolder = other.m_lastFolder;
    m_state.store(kFreed, std::memory_order_release);
}

// --- the journal --------------------------------------------------------------------------------------

std::string CLevelLogger::JournalName(int channel)
{
    return platform::FormatC("Journal_ch%i", channel);
}

void CLevelLogger::WriteJournal()
{
    if (!m_journalOn || m_autoSaveFolder.empty() || m_ringSize <= 0)
        return;
    const std::int64_t counted = m_blocksCounted.load(std::memory_order_acquire);
    if (m_journalFd < 0)
    {
        if (m_writeFailureReported.load())
            return;
        std::error_code error;
        std::filesystem::create_directories(m_autoSaveFolder, error);
        const std::string base = m_autoSaveFolder + "/" + JournalName(m_channel);
        // The journal is locked while this run writes it: a second instance of the program neither
        // recovers it at its start-up nor starts its own journal over it.
        int fd = ::open((base + ".jnl").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0)
        {
            ::close(fd);
            fd = -1;
        }
        CIniFile header;
        header.SetFileName(base + ".ini");
        header.BeginBatch();
        CLevelLogger_settings settings = SettingsSnapshot();
        settings.m_binaryFile = StripPath(base + ".jnl");
        settings.m_widebandCount = m_ringWideband;
        settings.WriteProfile(header, " info");
        if (fd >= 0 && (::ftruncate(fd, 0) != 0 || !header.CommitBatch()))
        {
            ::close(fd);
            fd = -1;
        }
        if (fd < 0)
        {
            ReportWriteFailure(base + ".jnl");
            return;
        }
        m_journalFd = fd;
        m_journalPath = base;
        m_journalBlocks = 0;
    }
    // Blocks older than the ring were overwritten before the journal saw them (a writer stalled
    // for a whole ring); the journal then ends where it is.
    if (counted - m_journalBlocks > m_ringSize)
        return;
    const std::size_t perBlock = RecordsPerBlock();
    const std::size_t blockBytes = 8 + perBlock * CLevelRecord::kRawSize + 8;
    std::vector<unsigned char> buffer;
    buffer.reserve(static_cast<std::size_t>(counted - m_journalBlocks) * blockBytes);
    for (std::int64_t b = m_journalBlocks; b < counted; ++b)
    {
        const std::int64_t index = b % m_ringSize;
        const std::size_t at = buffer.size();
        buffer.resize(at + blockBytes);
        unsigned char* out = buffer.data() + at;
        PutInt64(out, static_cast<std::uint64_t>(m_blockSamplesRing[static_cast<std::size_t>(index)]));
        const CLevelRecord* records = BlockRecords(index);
        for (std::size_t r = 0; r < perBlock; ++r)
            records[r].ToRaw(out + 8 + r * CLevelRecord::kRawSize);
        PutInt64(out + blockBytes - 8, Checksum(out, blockBytes - 8));
    }
    if (buffer.empty())
        return;
    if (!WriteAll(m_journalFd, buffer.data(), buffer.size()) || ::fdatasync(m_journalFd) != 0)
    {
        ReportWriteFailure(m_journalPath + ".jnl");
        ::close(m_journalFd);
        m_journalFd = -1;
        return;
    }
    m_journalBlocks = counted;
}

void CLevelLogger::CloseJournal(bool remove)
{
    if (m_journalFd >= 0)
        ::close(m_journalFd);
    m_journalFd = -1;
    if (remove && !m_journalPath.empty())
    {
        std::error_code error;
        std::filesystem::remove(m_journalPath + ".jnl", error);
        std::filesystem::remove(m_journalPath + ".ini", error);
    }
    m_journalPath.clear();
}

std::string CLevelLogger::RecoverJournal(const std::string& folder, int channel)
{
    const std::string base = folder + "/" + JournalName(channel);
    std::string headerBytes;
    std::string raw;
    std::error_code error;
    // A journal that a running program holds locked is that program's live run.
    const int lockFd = ::open((base + ".jnl").c_str(), O_RDONLY | O_CLOEXEC);
    if (lockFd >= 0)
    {
        const bool held = ::flock(lockFd, LOCK_SH | LOCK_NB) != 0;
        ::close(lockFd);
        if (held)
            return {};
    }
    if (platform::ReadRegularFile(base + ".ini", headerBytes) != platform::ReadFileStatus::Read)
    {
        std::filesystem::remove(base + ".jnl", error);
        return {};
    }
    platform::ReadRegularFile(base + ".jnl", raw, static_cast<std::uintmax_t>(kMaxRunBytes) * 2);
    CLevelLogger logger(folder, {});
    logger.m_startWriterThread = false;
    logger.m_journalOn = false;
    CIniFile header;
    header.AttachBatch(headerBytes);
    std::string name;
    if (logger.ReadProfile(header, " info") && logger.m_sampleRate > 0.0 && logger.m_fastInterval > 0.0)
    {
        const std::size_t perBlock =
            static_cast<std::size_t>(logger.m_widebandCount + logger.GetLoggedBandCount());
        const std::size_t blockBytes = 8 + perBlock * CLevelRecord::kRawSize + 8;
        const auto* in = reinterpret_cast<const unsigned char*>(raw.data());
        std::int64_t blocks = 0;
        while (static_cast<std::size_t>(blocks + 1) * blockBytes <= raw.size() &&
               Checksum(in + blocks * blockBytes, blockBytes - 8) ==
                   GetInt64(in + (blocks + 1) * blockBytes - 8))
            ++blocks;
        if (blocks > 0 && logger.BuildRing(blocks))
        {
            std::int64_t samples = 0;
            for (std::int64_t b = 0; b < blocks; ++b)
            {
                const unsigned char* block = in + b * blockBytes;
                logger.m_blockSamplesRing[static_cast<std::size_t>(b)] =
                    static_cast<std::int64_t>(GetInt64(block));
                samples += logger.m_blockSamplesRing[static_cast<std::size_t>(b)];
                CLevelRecord* records = logger.BlockRecords(b);
                for (std::size_t r = 0; r < perBlock; ++r)
                    records[r].FromRaw(block + 8 + r * CLevelRecord::kRawSize, CLevelRecord::kRawSize);
            }
            logger.m_blocksCounted.store(blocks);
            logger.m_runSamples = samples;
            logger.m_stopTime = logger.m_startTime +
                                static_cast<std::time_t>(static_cast<double>(samples) / logger.m_sampleRate);
            name = platform::FormatC("Recovered_ch%i_%s.ini", channel,
                                     MakeTimeStamp(logger.m_startTime).c_str());
            if (!logger.WriteDataFile(folder + "/" + name, ""))
                return {};  // the journal stays for the next attempt
        }
    }
    std::filesystem::remove(base + ".jnl", error);
    std::filesystem::remove(base + ".ini", error);
    return name;
}

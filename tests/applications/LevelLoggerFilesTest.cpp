#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "LoggerTestSupport.h"
#include "applications/LevelLogger.h"
#include "tests/support/TempHome.h"

using namespace loggertest;
namespace fs = std::filesystem;

namespace
{

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class LoggerFiles : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        m_folder = m_home.Root() / "sets";
        fs::create_directories(m_folder);
        SetUpSynthetic(m_logger, m_clock);
        m_logger.m_journalOn = false;
        m_logger.m_onMessage = [this](const std::string& text) { m_messages.push_back(text); };
        m_clock.now = LocalTime(2024, 5, 1, 14, 0, 0);
    }
    void Run(CLevelLogger& logger, std::int64_t blocks)
    {
        ASSERT_TRUE(logger.AllocateBlocks());
        ASSERT_TRUE(logger.Start());
        for (std::int64_t b = 0; b < blocks; ++b)
            FeedSyntheticBlock(logger, b, m_scratch);
        logger.Stop();
    }
    static void ExpectSameRun(const CLevelLogger& a, const CLevelLogger& b, std::int64_t blocks, int perBlock)
    {
        for (std::int64_t j = 0; j < blocks; ++j)
        {
            ASSERT_EQ(a.GetSampleCount(j), b.GetSampleCount(j)) << j;
            for (int r = 0; r < perBlock; ++r)
            {
                const int wideband = r < 3 ? r : -1;
                const int band = r < 3 ? -1 : r - 3;
                const CLevelRecord x = a.GetRecord(j, wideband, band);
                const CLevelRecord y = b.GetRecord(j, wideband, band);
                ASSERT_EQ(std::memcmp(&x, &y, sizeof x), 0) << "block " << j << " record " << r;
            }
        }
    }
    fs::path m_folder;
    CLevelLogger m_logger{"", ""};
    TestClock m_clock;
    std::vector<CLevelRecord> m_scratch;
    std::vector<std::string> m_messages;
};

}  // namespace

TEST(LevelRecord, RawFormIsFiftySixLittleEndianBytes)
{
    CLevelRecord record;
    record.m_energyTotal = 1.0;
    record.m_energyBlock = 0.0;
    record.m_rmsFast = 2.0;
    record.m_rmsSlow = -2.0;
    record.m_splMin = 0.5;
    record.m_splMax = 1e99;
    unsigned char raw[56];
    std::memset(raw, 0xAA, sizeof raw);
    record.ToRaw(raw);
    const unsigned char golden[56] = {
        0,    0,    0,    0,    0,    0,    0xF0, 0x3F,  // 1.0
        0,    0,    0,    0,    0,    0,    0,    0,     // 0.0
        0,    0,    0,    0,    0,    0,    0,    0x40,  // 2.0
        0,    0,    0,    0,    0,    0,    0,    0xC0,  // -2.0
        0,    0,    0,    0,    0,    0,    0xE0, 0x3F,  // 0.5
        0x2E, 0x9F, 0x87, 0xA2, 0xAE, 0x42, 0x7D, 0x54,  // 1e99
        0,    0,    0,    0,    0,    0,    0,    0,     // reserved
    };
    EXPECT_EQ(std::memcmp(raw, golden, 56), 0);
    // A shorter stored record fills only its whole fields.
    CLevelRecord partial;
    partial.FromRaw(raw, 20);
    EXPECT_EQ(partial.m_energyTotal, 1.0);
    EXPECT_EQ(partial.m_energyBlock, 0.0);
    EXPECT_EQ(partial.m_rmsFast, 0.0);
    EXPECT_EQ(partial.m_splMin, 1e99);
}

TEST_F(LoggerFiles, DataSetsRoundTripWithCompanionAndInIniForm)
{
    m_logger.m_plannedBlocks = 50;
    const double centers[] = {100.0, 125.0, 160.0};
    m_logger.SetBandConfiguration(44100.0, 100.0, 160.0, 3, centers);
    Run(m_logger, 40);
    ASSERT_EQ(m_logger.GetBlocksCounted(), 40);
    for (bool companion : {true, false})
    {
        const fs::path path = m_folder / (companion ? "raw.ini" : "text.ini");
        if (!companion)  // a companion that cannot be created sends the records into the INI file
            fs::create_directories(m_folder / "text.bin");
        ASSERT_TRUE(m_logger.WriteDataFile(path.string(), ""));
        const std::string ini = ReadBytes(path);
        // Section names are matched and written without their surrounding blanks.
        EXPECT_NE(ini.find("[info]"), std::string::npos);
        EXPECT_NE(ini.find("[Data 39]"), std::string::npos);
        EXPECT_EQ(ini.find("[Data 40]"), std::string::npos);
        EXPECT_EQ(ini.find("Binary Data File=raw.bin") != std::string::npos, companion);
        EXPECT_EQ(ini.find("[Data 3.Band 2]") != std::string::npos, !companion);
        CLevelLogger reader;
        std::string reason;
        ASSERT_TRUE(reader.ReadDataFile(path.string(), "", &reason)) << reason;
        EXPECT_EQ(reader.m_storedBlocks, 40);
        EXPECT_EQ(reader.GetLoggedBandCount(), 3);
        EXPECT_EQ(reader.GetRunSamples(), 40 * 4410);
        if (companion)
            ExpectSameRun(m_logger, reader, 40, 6);
        else
            for (int r = 0; r < 6; ++r)
            {
                const CLevelRecord x = m_logger.GetRecord(17, r < 3 ? r : -1, r < 3 ? -1 : r - 3);
                const CLevelRecord y = reader.GetRecord(17, r < 3 ? r : -1, r < 3 ? -1 : r - 3);
                EXPECT_NEAR(y.m_energyTotal, x.m_energyTotal, 1e-6 * x.m_energyTotal);
                EXPECT_NEAR(y.m_rmsFast, x.m_rmsFast, 1e-6 * x.m_rmsFast);
                EXPECT_NEAR(y.m_splMax, x.m_splMax, 1e-6);
                EXPECT_EQ(y.m_energyBlock, 0.0);  // "-inf" reads back as 0
            }
    }
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(LoggerFiles, ASetFromTheOtherPlatformReads)
{
    // CRLF lines, Windows-1252 text, a companion named with a foreign folder, "-1.#INF00" for zero.
    std::string ini =
        "[ info]\r\nSamplerate=48000.000000\r\nIntervall fast=0.500000\r\nData blocks=10\r\nData blocks "
        "cnt=2\r\n"
        "Wideband blocks=3\r\nSize Data block=56\r\nBinary Data File=C:\\Messungen\\SPL_longterm\\set.bin\r\n"
        "Wave recorder file=C:\\Messungen\\Gr\xF6\xDF"
        "e.wav\r\n"
        "[ info.RTA 0]\r\nNumber of bands=0\r\n"
        "[ Data 0]\r\nSamples=24000\r\n[ Data 1]\r\nSamples=24001\r\n";
    std::string raw;
    for (int b = 0; b < 2; ++b)
        for (int r = 0; r < 3; ++r)
        {
            unsigned char bytes[56];
            SyntheticRecord(b, r).ToRaw(bytes);
            raw.append(reinterpret_cast<const char*>(bytes), 56);
        }
    WriteBytes(m_folder / "set.ini", ini);
    WriteBytes(m_folder / "set.bin", raw);
    CLevelLogger reader;
    std::string reason;
    ASSERT_TRUE(reader.ReadDataFile((m_folder / "set.ini").string(), "", &reason)) << reason;
    EXPECT_EQ(reader.m_sampleRate, 48000.0);
    EXPECT_EQ(reader.GetRunSamples(), 48001);
    EXPECT_EQ(reader.GetRecord(1, 2, -1).m_rmsSlow, SyntheticRecord(1, 2).m_rmsSlow);

    // The INI form of a record with "-1.#INF00".
    const std::string text =
        "[ info]\r\nSamplerate=48000\r\nIntervall fast=0.5\r\nData blocks cnt=1\r\n"
        "Wideband blocks=1\r\n[ info.RTA 0]\r\nNumber of bands=0\r\n[ Data 0]\r\nSamples=10\r\n"
        "[ Data 0.Wideband 0]\r\nEnergy total=-1.#INF00\r\nRMS fast=-20.000000\r\n";
    ASSERT_TRUE(reader.ReadDataBytes((m_folder / "t.ini").string(), text, "", &reason)) << reason;
    EXPECT_EQ(reader.GetRecord(0, 0, -1).m_energyTotal, 0.0);
    EXPECT_NEAR(reader.GetRecord(0, 0, -1).m_rmsFast, 0.1, 1e-12);
}

TEST_F(LoggerFiles, UntrustworthySetsAreRefusedAndTheRunStays)
{
    m_logger.m_plannedBlocks = 20;
    Run(m_logger, 10);
    const std::string good =
        "[ info]\nSamplerate=44100\nIntervall fast=0.1\nData blocks cnt=2\nWideband blocks=3\n"
        "Size Data block=56\nBinary Data File=c.bin\n[ info.RTA 0]\nNumber of bands=0\n";
    WriteBytes(m_folder / "c.bin", std::string(2 * 3 * 56, '\0'));
    struct Case
    {
        const char* what;
        std::string ini;
        const char* reason;
    };
    const Case cases[] = {
        {"wideband", "[ info]\nWideband blocks=11\n", "wideband"},
        {"bands", good + "[ info.RTA 0]\nNumber of bands=8193\n", "bands"},
        {"short companion", good + "[ info]\nData blocks cnt=3\n", "companion"},
        {"huge count", good + "[ info]\nData blocks cnt=999999999999\n", "stored blocks"},
        {"summaries", good + "[ info]\nDIN15905 on=1\n[DIN15905]\nData cnt=-5\n", "summaries"},
        {"rate", "[ info]\nSamplerate=0\n", "sample rate"},
    };
    for (const Case& c : cases)
    {
        // The INI parser takes the first of repeated sections; the overriding keys go first.
        std::string ini = c.ini;
        if (ini.starts_with(good))
        {
            std::string extra = ini.substr(good.size());
            std::string merged = good;
            const auto section = extra.substr(0, extra.find('\n') + 1);
            const auto keys = extra.substr(section.size());
            const auto at = merged.find(section);
            if (at != std::string::npos)
                merged.insert(at + section.size(), keys);
            else
                merged += extra;
            ini = merged;
        }
        std::string reason;
        EXPECT_FALSE(m_logger.ReadDataBytes((m_folder / "x.ini").string(), ini, "", &reason)) << c.what;
        EXPECT_NE(reason.find(c.reason), std::string::npos) << c.what << ": " << reason;
        EXPECT_NE(reason.find("x.ini"), std::string::npos) << c.what;
        EXPECT_EQ(m_logger.GetBlocksCounted(), 10) << c.what;
        EXPECT_EQ(m_logger.GetRecord(9, 1, -1).m_rmsFast, SyntheticRecord(9, 1).m_rmsFast) << c.what;
    }
    // A longer stored record: only its first 56 bytes are taken, the rest skipped.
    std::string raw;
    for (int r = 0; r < 6; ++r)
    {
        unsigned char bytes[56];
        SyntheticRecord(r / 3, r % 3).ToRaw(bytes);
        raw.append(reinterpret_cast<const char*>(bytes), 56);
        raw.append(8, '\x7F');
    }
    WriteBytes(m_folder / "c.bin", raw);
    std::string big = good;
    big.replace(big.find("Size Data block=56"), 18, "Size Data block=64");
    std::string reason;
    ASSERT_TRUE(m_logger.ReadDataBytes((m_folder / "y.ini").string(), big, "", &reason)) << reason;
    EXPECT_EQ(m_logger.GetRecord(1, 2, -1).m_splMax, SyntheticRecord(1, 2).m_splMax);
}

TEST_F(LoggerFiles, AFullDiskIsReportedOnceLeavesNoHalfFileAndLoggingGoesOn)
{
    const fs::path longterm = m_home.Root() / "full";
    fs::create_directories(longterm);
    CLevelLogger logger(longterm.string(), "");
    SetUpSynthetic(logger, m_clock, 44100.0, 1.0);
    logger.m_channel = 2;
    logger.m_autoSaveMode = 1;
    logger.m_autoSavePeriod = 60.0;
    logger.m_plannedBlocks = 100000;
    logger.m_onMessage = [this](const std::string& text) { m_messages.push_back(text); };
    ASSERT_TRUE(logger.AllocateBlocks());
    ASSERT_TRUE(logger.Start());
    // The disk fills up: no file of this process may grow beyond 4 KiB (the signal that limit
    // raises is ignored, so writes fail as on a full disk).
    struct rlimit saved
    {
    };
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit full = saved;
    full.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &full), 0);
    for (std::int64_t b = 0; b < 130; ++b)
    {
        FeedSyntheticBlock(logger, b, m_scratch);
        m_clock.now += 1;
        logger.RunWriterPass();
    }
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_TRUE(logger.IsRunning());
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_NE(m_messages[0].find("cannot write"), std::string::npos);
    // No temporary or partial data set is left; the journal ends with whole blocks only.
    for (const auto& entry : fs::directory_iterator(longterm))
        EXPECT_TRUE(entry.path().filename().string().starts_with("Journal_ch2")) << entry.path();
    // Room again: the next file is written whole, and the run kept every block in memory.
    for (std::int64_t b = 130; b < 200; ++b)
    {
        FeedSyntheticBlock(logger, b, m_scratch);
        m_clock.now += 1;
        logger.RunWriterPass();
    }
    EXPECT_EQ(logger.GetBlocksCounted(), 200);
    EXPECT_EQ(m_messages.size(), 1u);
    ASSERT_EQ(logger.m_autoSavedFiles.size(), 3u);
    CLevelLogger reader;
    std::string reason;
    ASSERT_TRUE(reader.ReadDataFile((longterm / logger.m_autoSavedFiles[2]).string(), "", &reason)) << reason;
    EXPECT_EQ(reader.m_storedBlocks, 60);
    EXPECT_EQ(reader.GetRecord(0, 0, -1).m_energyTotal, SyntheticRecord(120, 0).m_energyTotal);
}

TEST_F(LoggerFiles, AKilledRunLeavesAJournalThatBecomesADataSet)
{
    const fs::path longterm = m_home.Root() / "crash";
    fs::create_directories(longterm);
    const double centers[] = {1000.0};
    for (int moment = 0; moment < 20; ++moment)
    {
        int progress[2];
        ASSERT_EQ(::pipe(progress), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            ::close(progress[0]);
            CLevelLogger logger(longterm.string(), "");
            TestClock clock;
            clock.now = LocalTime(2024, 5, 1, 14, 0, 0);
            SetUpSynthetic(logger, clock);
            logger.m_channel = 0;
            logger.m_plannedBlocks = 6000;
            logger.SetBandConfiguration(44100.0, 1000.0, 1000.0, 3, centers);
            std::vector<CLevelRecord> scratch;
            if (!logger.AllocateBlocks() || !logger.Start())
                ::_exit(1);
            for (std::int64_t b = 0; b < 5900; ++b)
            {
                FeedSyntheticBlock(logger, b, scratch);
                if (b % 7 == 6)
                {
                    logger.RunWriterPass();
                    const std::int64_t journaled = b + 1;
                    if (::write(progress[1], &journaled, sizeof journaled) != sizeof journaled)
                        ::_exit(2);
                }
            }
            for (;;)
                ::pause();
        }
        ::close(progress[1]);
        // Kill after a varying number of passes, at varying points of the next pass.
        std::int64_t journaled = 0;
        for (int pass = 0; pass < 3 + moment; ++pass)
            ASSERT_EQ(::read(progress[0], &journaled, sizeof journaled),
                      static_cast<ssize_t>(sizeof journaled));
        if (moment % 2)
            ::usleep(100 * moment);
        ::kill(child, SIGKILL);
        std::int64_t more = 0;
        while (::read(progress[0], &more, sizeof more) == sizeof more)
            journaled = more;
        ::close(progress[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string name = CLevelLogger::RecoverJournal(longterm.string(), 0);
        ASSERT_FALSE(name.empty()) << moment;
        EXPECT_FALSE(fs::exists(longterm / "Journal_ch0.jnl"));
        CLevelLogger reader;
        std::string reason;
        ASSERT_TRUE(reader.ReadDataFile((longterm / name).string(), "", &reason)) << reason;
        // At least every block of the last completed pass, each equal to what the run stored.
        ASSERT_GE(reader.m_storedBlocks, journaled) << moment;
        for (std::int64_t b = 0; b < reader.m_storedBlocks; ++b)
        {
            ASSERT_EQ(reader.GetSampleCount(b), 4410);
            for (int r = 0; r < 4; ++r)
            {
                const CLevelRecord got = reader.GetRecord(b, r < 3 ? r : -1, r < 3 ? -1 : 0);
                const CLevelRecord want = SyntheticRecord(b, r);
                ASSERT_EQ(std::memcmp(&got, &want, sizeof got), 0) << "moment " << moment << " block " << b;
            }
        }
        fs::remove(longterm / name);
        fs::remove(longterm / fs::path(name).replace_extension("bin"));
    }
}

TEST_F(LoggerFiles, ANewStartAndANormalEndRemoveTheJournal)
{
    const fs::path longterm = m_home.Root() / "j";
    {
        CLevelLogger logger(longterm.string(), "");
        SetUpSynthetic(logger, m_clock);
        logger.m_channel = 1;
        ASSERT_TRUE(logger.AllocateBlocks());
        ASSERT_TRUE(logger.Start());
        FeedSyntheticBlock(logger, 0, m_scratch);
        logger.RunWriterPass();
        EXPECT_TRUE(fs::exists(longterm / "Journal_ch1.jnl"));
        EXPECT_EQ(fs::file_size(longterm / "Journal_ch1.jnl"), 8u + 3 * 56 + 8);
        logger.Stop();
        ASSERT_TRUE(logger.Start());
        EXPECT_FALSE(fs::exists(longterm / "Journal_ch1.jnl"));
        FeedSyntheticBlock(logger, 0, m_scratch);
        logger.RunWriterPass();
        EXPECT_TRUE(fs::exists(longterm / "Journal_ch1.jnl"));
    }
    EXPECT_FALSE(fs::exists(longterm / "Journal_ch1.jnl"));
    EXPECT_EQ(CLevelLogger::RecoverJournal(longterm.string(), 1), "");
}

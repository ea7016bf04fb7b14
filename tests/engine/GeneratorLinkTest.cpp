#include "engine/GeneratorLink.h"

#include "engine/EngineNotifications.h"
#include "engine/Generator.h"
#include "engine/SoundIn.h"
#include "platform/Archive.h"
#include "platform/Ipc.h"
#include "platform/Places.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace
{

using namespace std::chrono_literals;

class RecordingNotifications : public CEngineNotifications
{
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

class GeneratorLinkTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        // Settings commands leave a trace file in the current folder.
        m_cwd = std::filesystem::current_path();
        std::filesystem::current_path(m_home.Root());
        for (CGenerator& g : m_gens)
        {
            g.Init();
            g.m_rebuildWait = 0ms;
        }
        for (int i = 0; i < CGeneratorLink::kGeneratorSlots; ++i)
            m_link.m_generators[i] = &m_gens[i];
        m_link.m_notifications = &m_notes;
        m_link.m_programFolder = m_home.Root() / "program";
        std::filesystem::create_directories(m_link.m_programFolder);
    }

    void TearDown() override
    {
        ::unsetenv("PULVERA_STAND_IN_SILENT");
        std::filesystem::current_path(m_cwd);
        for (pid_t pid : {m_standIn, m_link.m_startedPid})
            Stop(pid);
    }

    static std::filesystem::path StandIn() { return platform::ProgramFolder() / "pulvera_stand_in"; }

    static void Stop(pid_t pid)
    {
        if (pid <= 0)
            return;
        ::kill(pid, SIGTERM);
        int status = 0;
        ::waitpid(pid, &status, 0);
    }

    // Starts the stand-in as the receiving process and waits for its window.
    void StartReceiver()
    {
        const std::string path = StandIn().string();
        std::vector<char> arg0(path.begin(), path.end());
        arg0.push_back('\0');
        char* argv[] = {arg0.data(), nullptr};
        ASSERT_EQ(::posix_spawn(&m_standIn, path.c_str(), nullptr, nullptr, argv, environ), 0);
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!FindTopWindowByTitle(kGeneratorProgramTitle))
        {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the stand-in did not open its window";
            std::this_thread::sleep_for(10ms);
        }
    }

    std::filesystem::path Received(int n) const
    {
        // The stand-in writes into the temporary home it inherits.
        return std::filesystem::path(std::getenv("HOME")) / ("received-" + std::to_string(n) + ".bin");
    }

    int ReceivedCount() const
    {
        int n = 0;
        while (std::filesystem::exists(Received(n)))
            ++n;
        return n;
    }

    static std::string Wire(const CSigGen_settings& record)
    {
        const auto bytes = record.ToWire();
        return std::string(bytes.begin(), bytes.end());
    }

    static CSigGen_settings Record(std::int32_t command)
    {
        CSigGen_settings r;
        r.m_flags = command;
        r.m_frequency = 1234.5;
        r.m_mode = kGenModeTriangular;
        r.m_output_on = 1;
        r.m_bits = 16;
        r.m_32bit = 0;
        r.SetWavefileName("take 1.wav");
        return r;
    }

    std::array<CGenerator, CGeneratorLink::kGeneratorSlots> m_gens;
    CGeneratorLink m_link;
    RecordingNotifications m_notes;
    pid_t m_standIn = 0;
    std::filesystem::path m_cwd;
};

TEST_F(GeneratorLinkTest, TheProgramGetsTheWholeRecordThenTheStartCommand)
{
    StartReceiver();
    ASSERT_TRUE(m_link.FindOrStartGeneratorProgram(false));
    ASSERT_TRUE(m_link.m_window);

    CSigGen_settings record = Record(1 + kGenCommandRefresh);
    const CSigGen_settings sent = record;
    int refreshed = -1;
    m_link.m_refreshPanel = [&](int panel) { refreshed = panel; };
    m_link.SendGeneratorSettings(record, 0x1234);

    ASSERT_EQ(ReceivedCount(), 2);
    const std::string first = testsupport::ReadBytes(Received(0));
    ASSERT_EQ(first.size(), kSigGenWireBytes);
    EXPECT_EQ(first, Wire(sent));
    // The command word sits at byte 8 of the record.
    EXPECT_EQ(first.substr(8, 4), std::string("\x01\x04\0\0", 4));
    CSigGen_settings start = sent;
    start.m_flags = kGenCommandStart;
    EXPECT_EQ(testsupport::ReadBytes(Received(1)), Wire(start)) << "the local 32-bit override must not leak";

    EXPECT_EQ(record.m_flags, kGenCommandStart);
    EXPECT_EQ(record.m_bits, 16);
    EXPECT_EQ(record.m_32bit, 0);
    EXPECT_EQ(m_link.m_lastFrequency, 1234.5);
    EXPECT_EQ(refreshed, 0);
    // Applied locally too: the first generator took command 1 and renders 32-bit samples.
    EXPECT_EQ(m_gens[0].m_settings.m_frequency, 1234.5);
    EXPECT_EQ(m_gens[0].m_settings.m_mode, kGenModeTriangular);
}

TEST_F(GeneratorLinkTest, MalformedMessagesAndForeignPeersAreRefused)
{
    StartReceiver();
    const WindowHandle window = FindTopWindowByTitle(kGeneratorProgramTitle);
    std::int32_t reply = 7;
    const std::vector<std::byte> shortRecord(kSigGenWireBytes - 1);
    ASSERT_TRUE(platform::SendCopyData(window, 0, shortRecord, reply));
    EXPECT_EQ(reply, 0) << "a short record is read, then dropped";
    const std::vector<std::byte> longRecord(kSigGenWireBytes + 1);
    reply = 7;
    EXPECT_FALSE(platform::SendCopyData(window, 0, longRecord, reply)) << "a long one is refused unread";
    EXPECT_EQ(reply, 7);
    std::vector<std::uint8_t> wrongVersion = Record(0).ToWire();
    wrongVersion[4] = 3;  // m_version, after the object header
    ASSERT_TRUE(platform::SendCopyData(window, 0, std::as_bytes(std::span(wrongVersion)), reply));
    EXPECT_EQ(reply, 0);
    EXPECT_EQ(ReceivedCount(), 0);

    if (::geteuid() == 0)
    {
        // Another user: open the folders and the socket to everyone, so that only the receiver's
        // own check stands between the peer and the program.
        const std::filesystem::path socket = platform::WindowSocketPath(kGeneratorProgramTitle);
        ::chmod(socket.c_str(), 0777);
        for (auto p = socket.parent_path(); p != m_home.Root().parent_path() && p.string().size() > 1;
             p = p.parent_path())
        {
            struct stat st
            {
            };
            if (::stat(p.c_str(), &st) == 0)
                ::chmod(p.c_str(), st.st_mode | 0011);
        }
        const std::vector<std::uint8_t> wire = Record(5).ToWire();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(3);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
            if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
                ::_exit(2);
            unsigned char header[12] = {};
            header[8] = kSigGenWireBytes & 0xFF;
            header[9] = (kSigGenWireBytes >> 8) & 0xFF;
            // The receiver may close before all is sent: no SIGPIPE.
            [[maybe_unused]] ssize_t w = ::send(fd, header, sizeof header, MSG_NOSIGNAL);
            w = ::send(fd, wire.data(), wire.size(), MSG_NOSIGNAL);
            unsigned char answer[4];
            ::_exit(::read(fd, answer, sizeof answer) > 0 ? 1 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the foreign peer was answered; 2: it could not connect";
        EXPECT_EQ(ReceivedCount(), 0);
    }

    // The receiver still serves its own user.
    const std::vector<std::uint8_t> good = Record(5).ToWire();
    ASSERT_TRUE(platform::SendCopyData(window, 0, std::as_bytes(std::span(good)), reply));
    EXPECT_EQ(reply, 1);
    EXPECT_EQ(ReceivedCount(), 1);
}

TEST_F(GeneratorLinkTest, StartsTheProgramAndDeliversOnceItsWindowAnswers)
{
    std::filesystem::copy_file(StandIn(), m_link.m_programFolder / kGeneratorProgramFile);
    ASSERT_FALSE(FindTopWindowByTitle(kGeneratorProgramTitle));
    EXPECT_FALSE(m_link.FindOrStartGeneratorProgram(false)) << "not to be started";
    EXPECT_EQ(m_link.m_startedPid, 0);

    ASSERT_TRUE(m_link.FindOrStartGeneratorProgram(true));
    EXPECT_GT(m_link.m_startedPid, 0);
    ASSERT_TRUE(m_link.m_window);
    CSigGen_settings record = Record(5);
    const CSigGen_settings sent = record;
    m_link.SendGeneratorSettings(record, 0);
    ASSERT_EQ(ReceivedCount(), 2);
    EXPECT_EQ(testsupport::ReadBytes(Received(0)), Wire(sent));
    EXPECT_TRUE(m_notes.messages.empty());

    // Found the next time without a second start.
    const pid_t started = m_link.m_startedPid;
    ASSERT_TRUE(m_link.FindOrStartGeneratorProgram(true));
    EXPECT_EQ(m_link.m_startedPid, started);
}

TEST_F(GeneratorLinkTest, AFailedStartIsReportedWithinTheBound)
{
    // No program file.
    EXPECT_FALSE(m_link.FindOrStartGeneratorProgram(true));
    ASSERT_EQ(m_notes.messages.size(), 1u);
    EXPECT_NE(m_notes.messages[0].find(std::strerror(ENOENT)), std::string::npos) << m_notes.messages[0];

    // A program that never opens its window.
    std::filesystem::copy_file(StandIn(), m_link.m_programFolder / kGeneratorProgramFile);
    ::setenv("PULVERA_STAND_IN_SILENT", "1", 1);
    m_link.m_startTimeout = 400ms;
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(m_link.FindOrStartGeneratorProgram(true));
    EXPECT_GE(std::chrono::steady_clock::now() - begin, 400ms);
    ASSERT_EQ(m_notes.messages.size(), 2u);
    EXPECT_NE(m_notes.messages[1].find("\"Pulvera\""), std::string::npos) << m_notes.messages[1];
    EXPECT_FALSE(m_link.m_window);
}

TEST_F(GeneratorLinkTest, PluginModeStartsNothingButStillFindsTheWindow)
{
    std::filesystem::copy_file(StandIn(), m_link.m_programFolder / kGeneratorProgramFile);
    m_link.m_inputMode = CGeneratorLink::kInputModeAsioPlugin;
    EXPECT_TRUE(m_link.FindOrStartGeneratorProgram(true));
    EXPECT_EQ(m_link.m_startedPid, 0);
    EXPECT_FALSE(m_link.m_window);

    StartReceiver();
    EXPECT_TRUE(m_link.FindOrStartGeneratorProgram(true));
    EXPECT_TRUE(m_link.m_window);
}

TEST_F(GeneratorLinkTest, WithoutTheProgramTheRecordStillReachesTheEngine)
{
    ASSERT_FALSE(m_link.FindOrStartGeneratorProgram(false));
    m_link.m_sampleRate = 96000;
    CSigGen_settings record = Record(0);
    record.m_filter.m_bEnabled = 0;
    m_link.SendGeneratorSettings(record, 0);
    EXPECT_EQ(record.m_flags, 0) << "no start command without a program";
    EXPECT_EQ(record.m_bits, 16);
    EXPECT_EQ(m_gens[0].m_settings.m_frequency, 1234.5);
    EXPECT_EQ(m_gens[0].m_32bitOutput, 1);
    EXPECT_EQ(m_gens[0].m_significantBits, 32);
    for (const CGenerator& g : m_gens)
        EXPECT_EQ(g.m_settings.m_sample_rate, 96000);
}

TEST_F(GeneratorLinkTest, ResetSendsTheDefaultsToARunningProgram)
{
    StartReceiver();
    m_gens[3].m_settings.m_frequency = 5000.0;
    CSigGen_settings engineRecord;
    engineRecord.m_frequency = 440.0;
    std::vector<int> refreshed;
    m_link.m_refreshPanel = [&](int panel) { refreshed.push_back(panel); };
    m_link.ResetGenerators(engineRecord, 4095, 9);
    ASSERT_EQ(ReceivedCount(), 2);
    CSigGen_settings first;
    const std::string bytes = testsupport::ReadBytes(Received(0));
    ASSERT_TRUE(first.FromWire(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())));
    EXPECT_EQ(first.m_flags, kGenCommandRefresh);
    EXPECT_EQ(first.m_mls_length, 4095);
    EXPECT_EQ(first.m_frequency, 440.0);
    EXPECT_EQ(m_gens[3].m_settings.m_frequency, 1000.0) << "every panel generator is re-initialised";
    EXPECT_EQ(refreshed.size(), 1u + CGeneratorLink::kPanelGenerators);
}

// Saving a workspace asks a running generator program to save its settings next to the file and
// records that it ran; the load request names the same file.
TEST_F(GeneratorLinkTest, WorkspaceSaveAndLoadAskTheProgramForItsSettingsFile)
{
    StartReceiver();
    CSoundIn engine;
    engine.m_generatorLink.m_programFolder = m_link.m_programFolder;
    const std::filesystem::path workspace = m_home.Root() / "bench.wst";
    engine.m_workspacePath = workspace;
    CArchive saved;
    engine.Serialize(saved);
    ASSERT_GE(ReceivedCount(), 1);
    CSigGen_settings request;
    const std::string first = testsupport::ReadBytes(Received(0));
    ASSERT_TRUE(DecodeSettingsMessage(std::as_bytes(std::span(first.data(), first.size())), request));
    EXPECT_EQ(request.m_flags, kGenCommandSaveFile);
    EXPECT_EQ(request.GetSgsPath(), workspace.string() + ".sgs");

    // The block says the program ran; without a workspace path nothing is sent.
    CSoundIn other;
    CArchive load{std::span<const std::uint8_t>(saved.Buffer())};
    other.Serialize(load);
    EXPECT_EQ(other.m_stored.generatorProgramRunning, 1);
    const int before = ReceivedCount();
    EXPECT_FALSE(other.RequestGeneratorProgram(kGenCommandLoadFile, false));
    EXPECT_EQ(ReceivedCount(), before);

    other.m_generatorLink.m_programFolder = m_link.m_programFolder;
    other.m_workspacePath = workspace;
    EXPECT_TRUE(other.RequestGeneratorProgram(kGenCommandLoadFile, false));
    ASSERT_GT(ReceivedCount(), before);
    const std::string loadBytes = testsupport::ReadBytes(Received(before));
    ASSERT_TRUE(DecodeSettingsMessage(std::as_bytes(std::span(loadBytes.data(), loadBytes.size())), request));
    EXPECT_EQ(request.m_flags, kGenCommandLoadFile);
    EXPECT_EQ(request.GetSgsPath(), workspace.string() + ".sgs");
}

// After the measurement settings switch MLS mode on, a running generator program gets the
// excitation the analysis expects (the sequence, or the chirp one sample longer than the MLS
// length), each followed by the start command; the program is never started for it.
TEST_F(GeneratorLinkTest, MlsAndChirpSettingsReachARunningProgram)
{
    CSoundIn engine;
    engine.m_generatorLink.m_programFolder = m_link.m_programFolder;
    engine.m_generatorSettings.m_level = 0.25;
    engine.m_nMlsLength = 16383;
    engine.m_dChirpStart = 50.0;
    engine.m_dChirpStop = 15000.0;
    engine.SetAnalyzerMode(0);
    EXPECT_FALSE(engine.SendExcitationToGeneratorProgram()) << "nothing to play without MLS mode";
    engine.SetAnalyzerMode(2);
    ASSERT_TRUE(engine.m_bMlsMode);
    // Without the program nothing is started and the engine's own first generator still takes it.
    EXPECT_TRUE(engine.SendExcitationToGeneratorProgram());
    EXPECT_EQ(engine.m_generatorLink.m_startedPid, 0);
    EXPECT_EQ(engine.GetGenerator(0)->m_settings.m_mode, kGenModeMls);
    EXPECT_EQ(engine.GetGenerator(0)->m_settings.m_mls_length, 16383);

    StartReceiver();
    const auto received = [&](int n)
    {
        CSigGen_settings record;
        const std::string bytes = testsupport::ReadBytes(Received(n));
        EXPECT_TRUE(DecodeSettingsMessage(std::as_bytes(std::span(bytes.data(), bytes.size())), record)) << n;
        return record;
    };
    EXPECT_TRUE(engine.SendExcitationToGeneratorProgram());
    ASSERT_EQ(ReceivedCount(), 2);
    const CSigGen_settings mls = received(0);
    EXPECT_EQ(mls.m_flags, 1027);
    EXPECT_EQ(mls.m_mode, kGenModeMls);
    EXPECT_EQ(mls.m_mls_length, 16383);
    EXPECT_EQ(mls.m_level, 0.25);
    EXPECT_EQ(received(1).m_flags, kGenCommandStart);

    engine.m_bChirpExcitation = 1;
    EXPECT_TRUE(engine.SendExcitationToGeneratorProgram());
    ASSERT_EQ(ReceivedCount(), 4);
    const CSigGen_settings chirp = received(2);
    EXPECT_EQ(chirp.m_flags, 1032);
    EXPECT_EQ(chirp.m_mode, kGenModeSweep);
    EXPECT_EQ(chirp.m_chirp_length, 16384);
    EXPECT_EQ(chirp.m_sweep_start, 50.0);
    EXPECT_EQ(chirp.m_sweep_stop, 15000.0);
    EXPECT_EQ(chirp.m_chirp_on, 1);
    EXPECT_EQ(chirp.m_chirp_type, 0);
    EXPECT_EQ(chirp.m_level, 0.25);
    EXPECT_EQ(received(3).m_flags, kGenCommandStart);
    EXPECT_EQ(engine.GetGenerator(0)->m_settings.m_chirp_length, 16384);
}

}  // namespace

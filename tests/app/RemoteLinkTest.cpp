// Another program drives a running Tessarin over the copy-data link: this test process is that
// program. It finds the measurement window's readout by its title prefix, sends records and
// hostile messages, and reads what the window wrote; the answer of each send comes only after the
// window has run it.
#include "engine/SoundIn.h"
#include "platform/Ipc.h"
#include "platform/Places.h"
#include "platform/Spawn.h"
#include "tests/support/TempHome.h"
#include "view/RemoteCommand.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <thread>

extern char** environ;

namespace
{

namespace fs = std::filesystem;

constexpr int kSimulatedInput = CSoundIn::kInputSimulated;

class RemoteLinkTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no display (run under xvfb-run)";
        platform::SpawnRequest request;
        request.argv = {TESSARIN_BINARY};
        request.environment = {"TESSARIN_TEST_ANSWERS="};
        for (char** entry = environ; *entry; ++entry)
            request.environment.emplace_back(*entry);
        request.replaceEnvironment = true;
        request.mode = platform::SpawnMode::Keep;
        const platform::SpawnResult started = platform::SpawnProgram(request);
        ASSERT_TRUE(started.Started());
        m_pid = started.pid;
    }
    void TearDown() override
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        int status = 0;
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (::waitpid(m_pid, &status, WNOHANG) == 0)
        {
            if (std::chrono::steady_clock::now() > limit)
            {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, &status, 0);
                ADD_FAILURE() << "Tessarin did not end";
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    // Polls for the window, recording every title seen on the way.
    platform::WindowSocket FindWindow(std::set<std::string>& titles, bool untilRetitled)
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(45);
        platform::WindowSocket found;
        while (std::chrono::steady_clock::now() < limit)
        {
            std::string title;
            found = platform::FindWindowSocketByPrefix("Measurement V:1 ", &title);
            if (found)
            {
                titles.insert(title);
                if (!untilRetitled || title.find("Curve:") == std::string::npos)
                    return found;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return found;
    }

    // The window is looked up for every send, as its title may have changed since.
    static bool Send(const platform::WindowSocket&, std::span<const std::byte> bytes)
    {
        std::int32_t reply = -5;
        const platform::WindowSocket window = platform::FindWindowSocketByPrefix("Measurement V:1 ");
        return platform::SendCopyData(window, 0, bytes, reply) && reply == 0;
    }
    static bool SendRecord(const platform::WindowSocket& window, std::int32_t code, float a = 0.0f,
                           float b = 0.0f)
    {
        RemoteCommand record;
        record.code = code;
        record.SetFloatArg(1, a);
        record.SetFloatArg(2, b);
        return Send(window, EncodeRemoteCommand(record));
    }

    pid_t m_pid = 0;
};

TEST_F(RemoteLinkTest, AnotherProgramDrivesTheMeasurementWindow)
{
    std::set<std::string> titles;
    platform::WindowSocket window = FindWindow(titles, false);
    ASSERT_TRUE(window) << "no window titled \"Measurement V:1 ...\"";
    // The simulated input (no sound card here), then started: the window refreshes and retitles its readout;
    // the prefix finds it still.
    ASSERT_TRUE(SendRecord(window, 20017, static_cast<float>(kSimulatedInput)));
    ASSERT_TRUE(SendRecord(window, 1));
    window = FindWindow(titles, true);
    ASSERT_TRUE(window);
    for (const std::string& title : titles)
        EXPECT_EQ(title.rfind("Measurement V:1 ", 0), 0u) << title;

    // The reply comes after the dispatch: the files are there when the send returns.
    const fs::path config = platform::ConfigFolder();
    for (const char* name : {"dump.txt", "dumpRTM.txt", "screenshot_RC.png"})
        fs::remove(config / name);
    ASSERT_TRUE(SendRecord(window, 4));
    EXPECT_TRUE(fs::exists(config / "dump.txt"));
    ASSERT_TRUE(SendRecord(window, 5));
    EXPECT_TRUE(fs::exists(config / "dumpRTM.txt"));
    ASSERT_TRUE(SendRecord(window, 15));
    ASSERT_TRUE(fs::exists(config / "screenshot_RC.png"));
    fs::copy_file(config / "screenshot_RC.png",
                  fs::path(TESSARIN_TEST_OUTPUT_DIR) / "tessarin-remote-screenshot.png",
                  fs::copy_options::overwrite_existing);
    std::ifstream dump(config / "dump.txt");
    double x = 0.0, y = 0.0;
    EXPECT_TRUE(dump >> x >> y) << "the spectrum as number pairs";

    // Hostile messages: each is answered with 0 and the window goes on answering.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<std::byte> shortRecord(10, std::byte{0x20});
    EXPECT_TRUE(Send(window, shortRecord));
    EXPECT_TRUE(SendRecord(window, 20005, nan));
    EXPECT_TRUE(SendRecord(window, 20000, 1e30f));
    EXPECT_TRUE(SendRecord(window, 100003, 10.0f, 0.0f));
    EXPECT_TRUE(SendRecord(window, 30000, std::numeric_limits<float>::infinity(), nan));
    std::vector<std::byte> block(56 + 256 * 2 * 4);
    const std::uint32_t header[8] = {kRemoteSampleTag, 0xFFFFFF00u, 0, 0, 0, 0, 0, 0x7FFFFFFF};
    std::memcpy(block.data(), header, sizeof header);
    EXPECT_TRUE(Send(window, block));
    // A sine block that fits feeds the intake and runs no command.
    const std::uint32_t good[8] = {kRemoteSampleTag, 56, 0, 0, 0, 0, 0, 256};
    std::memcpy(block.data(), good, sizeof good);
    for (int i = 0; i < 512; ++i)
    {
        const float s = static_cast<float>(0.5 * std::sin(2 * M_PI * (i / 2) / 48.0));
        std::memcpy(block.data() + 56 + i * 4, &s, 4);
    }
    EXPECT_TRUE(Send(window, block));
    fs::remove(config / "dump.txt");
    EXPECT_TRUE(SendRecord(window, 4));
    EXPECT_TRUE(fs::exists(config / "dump.txt")) << "the window still answers and works";

    // Another user cannot reach the window.
    if (::geteuid() == 0)
    {
        const pid_t child = ::fork();
        if (child == 0)
        {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(3);
            std::int32_t reply = -5;
            const auto bytes = EncodeRemoteCommand(RemoteCommand{});
            ::_exit(platform::SendCopyData(window, 0, bytes, reply) ? 1 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "uid 65534 was let in";
    }
}

}  // namespace

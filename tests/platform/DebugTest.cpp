#include "platform/Debug.h"

#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using platform::DebugOutput;

namespace
{

// Redirects standard error to a file while alive and sets TESSARIN_DEBUG as asked; both come back.
class CapturedStderr : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("TESSARIN_DEBUG"))
            m_oldValue = old;
        m_path = m_home.Root() / "stderr.txt";
        const int fd = open(m_path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
        ASSERT_GE(fd, 0);
        m_savedStderr = dup(STDERR_FILENO);
        dup2(fd, STDERR_FILENO);
        close(fd);
    }

    void TearDown() override
    {
        Restore();
        if (m_oldValue)
            setenv("TESSARIN_DEBUG", m_oldValue->c_str(), 1);
        else
            unsetenv("TESSARIN_DEBUG");
    }

    // Puts standard error back and returns what was written to it.
    std::string Captured()
    {
        Restore();
        return testsupport::ReadBytes(m_path);
    }

    static void SetDebug(const char* value)
    {
        if (value)
            setenv("TESSARIN_DEBUG", value, 1);
        else
            unsetenv("TESSARIN_DEBUG");
    }

private:
    void Restore()
    {
        if (m_savedStderr >= 0)
        {
            dup2(m_savedStderr, STDERR_FILENO);
            close(m_savedStderr);
            m_savedStderr = -1;
        }
    }

    std::filesystem::path m_path;
    int m_savedStderr = -1;
    std::optional<std::string> m_oldValue;
};

}  // namespace

TEST_F(CapturedStderr, WritesNothingUnlessTessarinDebugIsSetAndNotEmpty)
{
    SetDebug(nullptr);
    DebugOutput("hidden %d", 1);
    SetDebug("");
    DebugOutput("hidden %d", 2);
    EXPECT_EQ(Captured(), "");
}

TEST_F(CapturedStderr, FormatsOneLineWithANewline)
{
    SetDebug("1");
    DebugOutput("block %d of %s", 3, "five");
    DebugOutput("already ends\n");
    DebugOutput("%s", "");
    EXPECT_EQ(Captured(), "block 3 of five\nalready ends\n\n");
}

TEST_F(CapturedStderr, NumbersUseTheCLocale)
{
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no decimal-comma locale installed";
    SetDebug("yes");
    DebugOutput("level %.2f dB", -3.5);
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ(Captured(), "level -3.50 dB\n");
}

TEST_F(CapturedStderr, LongTextIsCutTo512BytesAtACharacterBoundary)
{
    // Each text is `fill` letters and a tail; each line the expected letters and expected tail.
    struct Case
    {
        const char* name;
        std::size_t fill;
        const char* tail;
        std::size_t expectedFill;
        const char* expectedTail;
    };
    const Case cases[] = {
        {"ASCII", 600, "", 511, "\n"},
        {"exactly 511", 511, "", 511, "\n"},
        {"511 with newline", 511, "\n", 511, "\n"},
        {"two-byte character across the cut", 510, "\xC3\xA9tail", 510, "\n"},
        {"three-byte character across the cut", 509, "\xE2\x82\xACtail", 509, "\n"},
        {"character ending at the cut", 509, "\xC3\xA9tail", 509, "\xC3\xA9\n"},
    };
    SetDebug("1");
    std::string expected;
    for (const auto& c : cases)
    {
        std::string text(c.fill, 'a');
        text.append(c.tail);
        DebugOutput("%s", text.c_str());
        expected.append(c.expectedFill, 'a');
        expected.append(c.expectedTail);
    }
    const std::string captured = Captured();
    EXPECT_EQ(captured, expected);
    std::istringstream lines(captured);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size() + 1, 512u);
}

TEST_F(CapturedStderr, LinesOfConcurrentThreadsNeverInterleave)
{
    SetDebug("1");
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [t]
            {
                const std::string body(400, static_cast<char>('A' + t));
                for (int i = 0; i < kLines; ++i)
                    DebugOutput("%s", body.c_str());
            });
    for (auto& thread : threads)
        thread.join();
    std::istringstream lines(Captured());
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count)
    {
        ASSERT_EQ(line.size(), 400u);
        ASSERT_EQ(line.find_first_not_of(line[0]), std::string::npos) << "mixed line " << count;
    }
    EXPECT_EQ(count, kThreads * kLines);
}

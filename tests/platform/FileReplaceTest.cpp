#include "platform/FileReplace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

namespace
{

using FileReplace = testsupport::TempHomeTest;

TEST_F(FileReplace, ReplacesContentAndKeepsPermissions)
{
    const auto path = m_home.File("settings.ini");
    ASSERT_TRUE(testsupport::WriteBytes(path, "old"));
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(platform::ReplaceFileAtomically(path, std::string("new\0bytes", 9)));
    EXPECT_EQ(testsupport::ReadBytes(path), std::string("new\0bytes", 9));
    struct stat info
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    // No temporary file is left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(path.parent_path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(FileReplace, WritesThroughASymbolicLink)
{
    const auto target = m_home.File("real.ini");
    const auto link = m_home.File("link.ini");
    ASSERT_TRUE(testsupport::WriteBytes(target, "a"));
    std::filesystem::create_symlink(target, link);
    ASSERT_TRUE(platform::ReplaceFileAtomically(link, "b"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(testsupport::ReadBytes(target), "b");
}

TEST_F(FileReplace, AFailedWriteLeavesNothingBehind)
{
    EXPECT_FALSE(platform::ReplaceFileAtomically(m_home.File("missing/folder/x.ini"), "data"));
    std::string bytes = "stale";
    EXPECT_FALSE(platform::ReadFileBytes(m_home.File("missing.ini"), bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(platform::ReadFileBytes(m_home.Root(), bytes));  // a folder is not a file
}

TEST_F(FileReplace, ReadsLargeFilesWhole)
{
    std::string big(300000, 'x');
    big[123456] = '\0';
    const auto path = m_home.File("big.bin");
    ASSERT_TRUE(platform::ReplaceFileAtomically(path, big));
    std::string bytes;
    ASSERT_TRUE(platform::ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes, big);
}

TEST_F(FileReplace, LockExcludesOtherThreadsAndProcesses)
{
    const auto path = m_home.File("locked.ini");
    std::atomic<int> inside{0};
    std::atomic<bool> overlap{false};
    auto work = [&]
    {
        for (int i = 0; i < 50; ++i)
        {
            platform::FileLock lock(path);
            if (++inside != 1)
                overlap = true;
            std::this_thread::yield();
            --inside;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_FALSE(overlap);

    // Across processes: the child waits for the parent's lock before it may write. The child is
    // forked before the parent locks, so it does not inherit a held in-process mutex.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        char go = 0;
        (void)!::read(ready[0], &go, 1);
        platform::FileLock childLock(path);
        platform::ReplaceFileAtomically(path, "child");
        ::_exit(0);
    }
    auto lock = std::make_unique<platform::FileLock>(path);
    (void)!::write(ready[1], "g", 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(platform::ReplaceFileAtomically(path, "parent"));
    EXPECT_EQ(testsupport::ReadBytes(path), "parent");
    lock.reset();
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(testsupport::ReadBytes(path), "child");
}

}  // namespace

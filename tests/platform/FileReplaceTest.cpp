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

// Every reader of a user's file goes through this read: only a regular file within the reader's
// limit is read, and nothing in a file's place (a pipe, a device, a folder) can hold it.
TEST_F(FileReplace, ReadsOnlyRegularFilesWithinTheLimit)
{
    const auto regular = m_home.File("regular.ini");
    ASSERT_TRUE(testsupport::WriteBytes(regular, "0123456789"));
    const auto fifo = m_home.File("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case
    {
        std::filesystem::path path;
        std::uintmax_t limit;
        platform::ReadFileStatus status;
        const char* words;  // what the message says
    };
    const Case cases[] = {
        {regular, 10, platform::ReadFileStatus::Read, ""},
        {regular, 9, platform::ReadFileStatus::TooLarge, "larger than"},
        {m_home.File("missing.ini"), 10, platform::ReadFileStatus::Missing, "does not exist"},
        {m_home.Root(), 10, platform::ReadFileStatus::NotRegular, "not a regular file"},
        {fifo, 10, platform::ReadFileStatus::NotRegular, "not a regular file"},
        {"/dev/zero", 1u << 20, platform::ReadFileStatus::NotRegular, "not a regular file"},
    };
    for (const Case& c : cases)
    {
        std::string bytes = "stale";
        EXPECT_EQ(platform::ReadRegularFile(c.path, bytes, c.limit), c.status) << c.path;
        EXPECT_EQ(bytes, c.status == platform::ReadFileStatus::Read ? "0123456789" : "") << c.path;
        EXPECT_NE(platform::DescribeReadFailure(c.status, c.path, c.limit).find(c.words), std::string::npos)
            << c.path;
    }
}

TEST_F(FileReplace, AFileMadeReadOnlyIsNotReplaced)
{
    const auto path = m_home.File("saved.wst");
    ASSERT_TRUE(testsupport::WriteBytes(path, "the user's workspace"));
    ::chmod(path.c_str(), 0444);
    EXPECT_TRUE(platform::IsReadOnlyFile(path));
    // Even for root, whom the permission bits would not stop.
    EXPECT_FALSE(platform::ReplaceFileAtomically(path, "something else"));
    EXPECT_EQ(testsupport::ReadBytes(path), "the user's workspace");
    ::chmod(path.c_str(), 0644);
    EXPECT_FALSE(platform::IsReadOnlyFile(path));
    EXPECT_TRUE(platform::ReplaceFileAtomically(path, "something else"));
    EXPECT_EQ(testsupport::ReadBytes(path), "something else");
}

}  // namespace

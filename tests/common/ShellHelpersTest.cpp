#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "common/ShellHelpers.h"
#include "platform/Places.h"
#include "platform/Spawn.h"
#include "tests/support/TempHome.h"

namespace
{

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Waits until the file exists (a started program writes it), at most ten seconds.
bool WaitForFile(const fs::path& path)
{
    for (int i = 0; i < 1000; ++i)
    {
        if (fs::exists(path))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// The ended children of this process that nobody has collected.
int CountZombieChildren()
{
    int zombies = 0;
    const std::string self = std::to_string(::getpid());
    std::error_code error;
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error))
    {
        std::ifstream stat(it->path() / "stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        // pid (comm) state ppid ...: the name may hold blanks, so read after the last ')'.
        const std::size_t close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 1));
        std::string state, parent;
        rest >> state >> parent;
        if (state == "Z" && parent == self)
            ++zombies;
    }
    return zombies;
}

bool NoZombiesWithin(std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (CountZombieChildren() != 0)
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string ProbeProgram()
{
    return (platform::ProgramFolder() / "argument_probe").string();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(PathWrappersTest, SplitAndRewritePathsInBothSeparatorForms)
{
    struct Case
    {
        const char* function;
        const char* path;
        const char* argument;
        const char* expected;
    };
    const Case cases[] = {
        {"ReplaceExtension", "D:\\data\\curve.txt", "csv", "D:\\data\\curve.csv"},
        {"ReplaceExtension", "D:\\data\\curve", "csv", "D:\\data\\curve.csv"},
        {"AddExtension", "D:\\data\\curve.txt", ".csv", "D:\\data\\curve.txt"},
        {"AddExtension", "D:\\data\\curve", ".csv", "D:\\data\\curve.csv"},
        {"GetExtension", "D:\\data\\curve.tar.gz", "", "gz"},
        {"GetExtension", "D:\\data\\curve", "", ""},
        {"GetExtension", "D:\\data.old\\curve", "", ""},
        {"GetBaseName", "D:\\data\\curve.txt", "", "curve"},
        {"GetBaseName", "D:\\data\\curve", "", "curve"},
        {"RemoveFileSpec", "D:\\data\\curve.txt", "", "D:\\data"},
        {"RemoveFileSpec", "D:\\curve.txt", "", "D:\\"},
        {"RemoveFileSpec", "curve.txt", "", ""},
        {"StripPath", "D:\\data\\curve.txt", "", "curve.txt"},
        {"StripPath", "curve.txt", "", "curve.txt"},
    };
    const auto run = [](const Case& c, const std::string& path) -> std::string
    {
        const std::string function = c.function;
        if (function == "ReplaceExtension")
            return ReplaceExtension(path, c.argument);
        if (function == "AddExtension")
            return AddExtension(path, c.argument);
        if (function == "GetExtension")
            return GetExtension(path);
        if (function == "GetBaseName")
            return GetBaseName(path);
        if (function == "RemoveFileSpec")
            return RemoveFileSpec(path);
        return StripPath(path);
    };
    // The same cases with "/" and without the drive: the other separator form gives the same
    // answer in its own form.
    const auto slashForm = [](std::string text)
    {
        if (text.size() >= 2 && text[1] == ':')
            text.erase(0, 2);
        return ToSlashPath(text);
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(run(c, c.path), c.expected) << c.function << " " << c.path;
        const std::string expected = std::string(c.function) == "RemoveFileSpec" || c.path[1] == ':'
                                         ? slashForm(c.expected)
                                         : std::string(c.expected);
        const std::string slashed = slashForm(c.path);
        if (std::string(c.function) == "RemoveFileSpec" || std::string(c.function) == "ReplaceExtension" ||
            std::string(c.function) == "AddExtension")
            EXPECT_EQ(run(c, slashed), expected) << c.function << " " << slashed;
        else
            EXPECT_EQ(run(c, slashed), c.expected) << c.function << " " << slashed;
    }
    EXPECT_EQ(RemoveFileSpec("/curve.txt"), "/");
}

TEST(PathWrappersTest, ExtensionsCompareWithoutCase)
{
    EXPECT_TRUE(HasExtension("/data/report.ZIP", "zip"));
    EXPECT_TRUE(HasExtension("C:\\data\\Report.Wav", "WAV"));
    EXPECT_FALSE(HasExtension("/data/zip", "zip"));
    EXPECT_FALSE(HasExtension("/data.zip/report", "zip"));
    // A name that only holds a blank after its last dot has no extension.
    EXPECT_EQ(GetExtension("/data/take 1.final mix"), "");
}

class ShellFilesTest : public testsupport::TempHomeTest
{
protected:
    fs::path Folder(const std::string& name)
    {
        const fs::path folder = m_home.Root() / name;
        fs::create_directories(folder);
        return folder;
    }
};

TEST_F(ShellFilesTest, MoveFileToNeverReplacesAFile)
{
    const fs::path folder = Folder("move");
    WriteFile(folder / "a.txt", "source");
    WriteFile(folder / "b.txt", "target");
    EXPECT_EQ(MoveFileTo((folder / "a.txt").string(), (folder / "b.txt").string()), 0);
    EXPECT_EQ(ReadFile(folder / "a.txt"), "source");
    EXPECT_EQ(ReadFile(folder / "b.txt"), "target");

    EXPECT_NE(MoveFileTo((folder / "a.txt").string(), (folder / "c.txt").string()), 0);
    EXPECT_FALSE(fs::exists(folder / "a.txt"));
    EXPECT_EQ(ReadFile(folder / "c.txt"), "source");
    EXPECT_EQ(MoveFileTo((folder / "missing.txt").string(), (folder / "d.txt").string()), 0);
}

TEST_F(ShellFilesTest, MoveFileToAcrossFileSystemsCopiesThenDeletes)
{
    // /dev/shm is a memory file system on every Linux we run on; skip where it is the same one.
    struct stat shm
    {
    }, home{};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(m_home.Root().c_str(), &home) != 0 ||
        shm.st_dev == home.st_dev || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second writable file system";
    const fs::path source = Folder("cross") / "take.wav";
    WriteFile(source, std::string(200000, 'x'));
    const fs::path target = fs::path("/dev/shm") / ("tessarin-move-" + std::to_string(::getpid()));
    fs::remove(target);
    WriteFile(target, "kept");
    EXPECT_EQ(MoveFileTo(source.string(), target.string()), 0);
    EXPECT_EQ(ReadFile(target), "kept");
    EXPECT_TRUE(fs::exists(source));
    fs::remove(target);
    EXPECT_NE(MoveFileTo(source.string(), target.string()), 0);
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(ReadFile(target), std::string(200000, 'x'));
    fs::remove(target);
}

TEST_F(ShellFilesTest, CreateAndDeleteAcceptBothSeparators)
{
    const fs::path folder = Folder("long");
    CreateFolderLongPath((folder / "one").string());
    EXPECT_TRUE(fs::is_directory(folder / "one"));
    // One level only.
    CreateFolderLongPath((folder / "two" / "three").string());
    EXPECT_FALSE(fs::exists(folder / "two"));
    CreateFolderLongPath(folder.string() + "\\four");
    EXPECT_TRUE(fs::is_directory(folder / "four"));
    WriteFile(folder / "four" / "gone.txt", "x");
    EXPECT_NE(DeleteFileLongPath(folder.string() + "\\four\\gone.txt"), 0);
    EXPECT_FALSE(fs::exists(folder / "four" / "gone.txt"));
    EXPECT_EQ(DeleteFileLongPath((folder / "four" / "gone.txt").string()), 0);
}

TEST_F(ShellFilesTest, ListFolderFilesSkipsFoldersAndMatchesWithoutCase)
{
    const fs::path folder = Folder("list");
    WriteFile(folder / "one.wav", "1");
    WriteFile(folder / "TWO.WAV", "2");
    WriteFile(folder / "notes", "3");
    fs::create_directories(folder / "sub.wav");
    ::chmod((folder / "sub.wav").c_str(), 0500);  // a folder with other bits is still a folder

    std::vector<std::string> all;
    EXPECT_EQ(ListFolderFiles(folder.string(), all, ""), 3);
    const std::set<std::string> names(all.begin(), all.end());
    EXPECT_EQ(names, (std::set<std::string>{(folder / "one.wav").string(), (folder / "TWO.WAV").string(),
                                            (folder / "notes").string()}));

    std::vector<std::string> waves{"kept"};
    EXPECT_EQ(ListFolderFiles(folder.string(), waves, "\\*.wav"), 2);
    EXPECT_EQ(waves.size(), 3u);
    EXPECT_EQ(waves[0], "kept");

    std::vector<std::string> none;
    EXPECT_EQ(ListFolderFiles((folder / "missing").string(), none, ""), 0);
    EXPECT_TRUE(none.empty());
    ::chmod((folder / "sub.wav").c_str(), 0700);
}

TEST_F(ShellFilesTest, ZipFolderPacksEveryFileButArchives)
{
    const fs::path folder = Folder("report");
    for (const char* name : {"report.htm", "curve.png", "README", "old.zip", "OLD2.ZIP", "with blank.txt"})
        WriteFile(folder / name, std::string("content of ") + name);
    fs::create_directories(folder / "images");
    WriteFile(folder / "images" / "inner.png", "not packed");

    ASSERT_TRUE(ZipFolder(folder.string(), "report.zip"));
    // zip is not waited for: wait for it by its listing.
    const fs::path listing = m_home.Root() / "listing.txt";
    std::string text;
    for (int i = 0; i < 500; ++i)
    {
        platform::SpawnRequest request;
        request.argv = {"sh", "-c", "unzip -Z1 \"$0\" > \"$1\" 2>/dev/null", (folder / "report.zip").string(),
                        listing.string()};
        request.mode = platform::SpawnMode::Wait;
        if (platform::SpawnProgram(request).exitStatus == 0)
        {
            text = ReadFile(listing);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const std::vector<std::string> lines = Lines(text);
    EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()),
              (std::set<std::string>{"report.htm", "curve.png", "README", "with blank.txt"}));
    EXPECT_TRUE(NoZombiesWithin(std::chrono::seconds(10)));
}

TEST_F(ShellFilesTest, ZipFolderThatCannotStartShowsWhy)
{
    std::vector<std::pair<std::string, std::string>> shown;
    const ShellMessageHandler previous = SetShellMessageHandler(
        [&](const std::string& text, const std::string& caption) { shown.emplace_back(text, caption); });
    g_strZipProgram = (m_home.Root() / "no-such-zip").string();
    EXPECT_FALSE(ZipFolder(Folder("z").string(), "report.zip"));
    g_strZipProgram.clear();
    SetShellMessageHandler(previous);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].second, "ZipFolder");
    EXPECT_FALSE(shown[0].first.empty());
}

TEST_F(ShellFilesTest, ProgramsReceiveTheirArgumentsUnchangedAndLeaveNoZombie)
{
    const fs::path out = m_home.Root() / "probe.txt";
    ::setenv("ARGUMENT_PROBE_OUT", out.c_str(), 1);
    const std::string tricky = (m_home.Root() / "a file; rm -rf x $(echo y) 'q'.txt").string();
    g_strOpenProgram = ProbeProgram();
    EXPECT_EQ(OpenWithShell(tricky), 0);
    ASSERT_TRUE(WaitForFile(out));
    EXPECT_EQ(Lines(ReadFile(out)), (std::vector<std::string>{fs::current_path().string(), tricky}));
    g_strOpenProgram.clear();

    fs::remove(out);
    const fs::path folder = Folder("work folder; x");
    platform::SpawnRequest request;
    request.argv = {ProbeProgram(), "two words", ";", ""};
    request.folder = folder;
    ASSERT_TRUE(platform::SpawnProgram(request).Started());
    ASSERT_TRUE(WaitForFile(out));
    EXPECT_EQ(Lines(ReadFile(out)), (std::vector<std::string>{folder.string(), "two words", ";", ""}));

    fs::remove(out);
    StartProgram(ProbeProgram());
    ASSERT_TRUE(WaitForFile(out));
    EXPECT_EQ(Lines(ReadFile(out)).size(), 1u);
    ::unsetenv("ARGUMENT_PROBE_OUT");
    EXPECT_TRUE(NoZombiesWithin(std::chrono::seconds(10)));
}

TEST_F(ShellFilesTest, SpawnWaitsAndReportsWhenAskedTo)
{
    platform::SpawnRequest request;
    request.argv = {"sh", "-c", "exit 7"};
    request.mode = platform::SpawnMode::Wait;
    EXPECT_EQ(platform::SpawnProgram(request).exitStatus, 7);
    request.argv = {(m_home.Root() / "missing-program").string()};
    EXPECT_FALSE(platform::SpawnProgram(request).Started());
    request.argv.clear();
    EXPECT_FALSE(platform::SpawnProgram(request).Started());
}

TEST_F(ShellFilesTest, UserDataFoldersFollowXdgDataHome)
{
    ::setenv("XDG_DATA_HOME", "/srv/data home", 1);
    EXPECT_EQ(GetAppDataFolder(), "/srv/data home");
    EXPECT_EQ(GetUserDataFolder(), "/srv/data home/Halvek");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(GetAppDataFolder(), std::string(std::getenv("HOME")) + "/.local/share");
}

}  // namespace

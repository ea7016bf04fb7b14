#include "platform/Profile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <thread>

#include "platform/FileReplace.h"
#include "platform/NumberFormat.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

namespace
{

using platform::ProfileDocument;

// A file with the traps a reader meets in practice: comments, blanks, quotes, duplicate sections and
// keys, a line without '=', names in another case.
constexpr std::string_view kSample =
    "; settings\n"
    "[General]\n"
    "Name = Probe A \n"
    "name=shadowed\n"
    "Quoted=\"  spaced  \"\n"
    "Single='x'\n"
    "Mismatched=\"x'\n"
    "Twice=\"\"a\"\"\n"
    "Empty=\n"
    "Equals=a=b\n"
    "orphan line\n"
    ";Comment=hidden\n"
    "  [ Second ]  \n"
    "\tKey\t=\tv2\t\n"
    "Ärger=yes\n"
    "[general]\n"
    "Name=second section\n"
    "Extra=only in the duplicate\n";

struct LookupCase
{
    const char* section;
    const char* key;
    bool found;
    const char* value;
};

TEST(ProfileDocument, LooksUpWithThePlatformRules)
{
    const ProfileDocument document = ProfileDocument::Parse(kSample);
    const LookupCase cases[] = {
        {"General", "Name", true, "Probe A"},  // blanks stripped, first of two keys wins
        {"GENERAL", "NAME", true, "Probe A"},  // names match without regard to case
        {" General ", " Name ", true, "Probe A"},
        {"General", "Quoted", true, "  spaced  "},  // one pair of quotes goes, blanks inside stay
        {"General", "Single", true, "x"},
        {"General", "Mismatched", true, "\"x'"},
        {"General", "Twice", true, "\"a\""},  // only one pair
        {"General", "Empty", true, ""},
        {"General", "Equals", true, "a=b"},
        {"General", "orphan line", false, ""},
        {"General", ";Comment", false, ""},
        {"General", "Comment", false, ""},
        {"General", "Extra", false, ""},  // the first matching section wins, even without the key
        {"Second", "Key", true, "v2"},
        {"second", "ärger", true, "yes"},  // Latin-1 letters fold too
        {"Second", "Name", false, ""},
        {"Missing", "Name", false, ""},
    };
    for (const LookupCase& c : cases)
    {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        std::string value = "untouched";
        EXPECT_EQ(document.Find(c.section, c.key, value), c.found);
        EXPECT_EQ(value, c.found ? c.value : "untouched");
    }
}

TEST(ProfileDocument, ParseAndToBytesKeepEveryByte)
{
    const std::string inputs[] = {
        std::string(kSample),
        "[A]\r\nx=1\r\n\r\n; c\r\n[B]\r\ny=2",  // CRLF, no final line end
        "\xEF\xBB\xBF[A]\nx=1\n",               // byte-order mark
        "mixed\r\nends\nhere\r\n",
        "",
    };
    for (const std::string& input : inputs)
        EXPECT_EQ(testsupport::Hex(ProfileDocument::Parse(input).ToBytes()), testsupport::Hex(input));
}

TEST(ProfileDocument, ReadsAfterAByteOrderMark)
{
    std::string value;
    EXPECT_TRUE(ProfileDocument::Parse("\xEF\xBB\xBF[A]\nx=1\n").Find("A", "x", value));
    EXPECT_EQ(value, "1");
}

struct SetCase
{
    const char* name;
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

TEST(ProfileDocument, SetChangesOneLineAndKeepsTheRest)
{
    const SetCase cases[] = {
        {"replaces the first key only", "; c\n[A]\nx = 1 \nX=2\n[a]\nx=3\n", "a", "X", "9",
         "; c\n[A]\nX=9\nX=2\n[a]\nx=3\n"},
        {"adds at the end of the first section, before its blank lines", "[A]\nx=1\n\n[B]\ny=2\n[A]\n", "A",
         "z", "new", "[A]\nx=1\nz=new\n\n[B]\ny=2\n[A]\n"},
        {"adds the section at the end", "[A]\nx=1\n", "B", "y", "2", "[A]\nx=1\n[B]\ny=2\n"},
        {"keeps CRLF", "[A]\r\nx=1\r\n", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n"},
        {"ends an unterminated last line", "[A]\r\nx=1", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n"},
        {"replacement keeps the line end", "[A]\r\nx=1", "A", "x", "2", "[A]\r\nx=2"},
        {"creates a document", "", "S", "k", "v", "[S]\nk=v\n"},
        {"names are trimmed", "", " S ", " k ", " v ", "[S]\nk= v \n"},
        {"section header last", "[A]", "A", "k", "v", "[A]\nk=v\n"},
        {"value is written as given", "[A]\n", "A", "k", "\"q\"", "[A]\nk=\"q\"\n"},
    };
    for (const SetCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        ProfileDocument document = ProfileDocument::Parse(c.before);
        ASSERT_TRUE(document.Set(c.section, c.key, c.value));
        EXPECT_EQ(document.ToBytes(), c.after);
    }
}

TEST(ProfileDocument, RemoveTakesOutTheFirstMatchOnly)
{
    ProfileDocument document = ProfileDocument::Parse("[A]\nx=1\nx=2\ny=3\n");
    EXPECT_TRUE(document.Remove("a", "X"));
    EXPECT_EQ(document.ToBytes(), "[A]\nx=2\ny=3\n");
    EXPECT_FALSE(document.Remove("A", "z"));
    EXPECT_FALSE(document.Remove("B", "x"));
}

// Names and values that would change the file's structure if written.
struct RefusedCase
{
    const char* section;
    const char* key;
    const char* value;
};

constexpr RefusedCase kRefused[] = {
    {"A]B", "k", "v"},      {"A\nB", "k", "v"}, {"A\rB", "k", "v"},  {"A", "k=x", "v"},   {"A", "k\ny", "v"},
    {"A", "", "v"},         {"A", "  ", "v"},   {"A", ";k", "v"},    {"A", "[k]", "v"},   {"A", "k", "v\nx"},
    {"A", "k", "v\r\n[B]"}, {"A", "k", "\xE9"}, {"A\xFF", "k", "v"}, {"A", "k\xC3", "v"},
};

TEST(ProfileDocument, RefusesWhatWouldBreakTheStructure)
{
    for (const RefusedCase& c : kRefused)
    {
        SCOPED_TRACE(testsupport::Hex(std::string(c.section) + "|" + c.key + "|" + c.value));
        ProfileDocument document = ProfileDocument::Parse("[A]\nk=old\n");
        EXPECT_FALSE(ProfileDocument::IsWritable(c.section, c.key, c.value));
        EXPECT_FALSE(document.Set(c.section, c.key, c.value));
        EXPECT_EQ(document.ToBytes(), "[A]\nk=old\n");
    }
}

using ProfileFile = testsupport::TempHomeTest;

TEST_F(ProfileFile, MissingFileSectionOrKeyIsNotFound)
{
    const auto path = m_home.File("settings.ini");
    std::string value = "x";
    EXPECT_FALSE(platform::ReadProfileString(path, "A", "k", value));
    EXPECT_EQ(platform::GetProfileString(path, "A", "k", "fallback"), "fallback");
    EXPECT_EQ(platform::GetProfileInt(path, "A", "k", -7), -7);
    ASSERT_TRUE(testsupport::WriteBytes(path, "[A]\nk=1\n"));
    EXPECT_FALSE(platform::ReadProfileString(path, "B", "k", value));
    EXPECT_FALSE(platform::ReadProfileString(path, "A", "j", value));
    EXPECT_EQ(value, "x");
    EXPECT_FALSE(platform::ReadProfileString("", "A", "k", value));
    EXPECT_FALSE(platform::ReadProfileString(m_home.Root(), "A", "k", value));  // a folder
}

TEST_F(ProfileFile, WriteCreatesFileAndSection)
{
    const auto path = m_home.File("new.ini");
    std::filesystem::create_directories(path.parent_path());
    ASSERT_TRUE(platform::WriteProfileString(path, "Gen", "Name", "Café"));
    ASSERT_TRUE(platform::WriteProfileString(path, "Gen", "Count", "3"));
    ASSERT_TRUE(platform::WriteProfileString(path, "Other", "x", "1"));
    EXPECT_EQ(testsupport::ReadBytes(path), "[Gen]\nName=Caf\xC3\xA9\nCount=3\n[Other]\nx=1\n");
    EXPECT_EQ(platform::GetProfileString(path, "gen", "name", ""), "Café");
}

// A file as the other platform's program leaves it: CRLF and Windows-1252.
TEST_F(ProfileFile, Windows1252CrlfFileIsReadAndRewrittenInUtf8)
{
    const auto path = m_home.File("legacy.ini");
    ASSERT_TRUE(testsupport::WriteBytes(
        path, "; \xA9 HLV\r\n[Gen]\r\nName=Caf\xE9\r\nUnit=\xB5s\r\n\r\n[Gen]\r\nName=x\r\n"));
    EXPECT_EQ(platform::GetProfileString(path, "Gen", "Name", ""), "Caf\xC3\xA9");
    EXPECT_EQ(platform::GetProfileString(path, "Gen", "Unit", ""), "\xC2\xB5s");
    ASSERT_TRUE(platform::WriteProfileString(path, "Gen", "Level", "-3.5"));
    EXPECT_EQ(
        testsupport::Hex(testsupport::ReadBytes(path)),
        testsupport::Hex("; \xC2\xA9 HLV\r\n[Gen]\r\nName=Caf\xC3\xA9\r\nUnit=\xC2\xB5s\r\nLevel=-3.5\r\n\r\n"
                         "[Gen]\r\nName=x\r\n"));
    EXPECT_EQ(platform::GetProfileString(path, "Gen", "Name", ""), "Caf\xC3\xA9");
}

TEST_F(ProfileFile, RefusedWriteLeavesTheFileByteIdentical)
{
    const auto path = m_home.File("keep.ini");
    const std::string original = "[A]\r\nk=old\r\n; Caf\xE9\r\n";
    ASSERT_TRUE(testsupport::WriteBytes(path, original));
    for (const RefusedCase& c : kRefused)
        EXPECT_FALSE(platform::WriteProfileString(path, c.section, c.key, c.value));
    EXPECT_EQ(testsupport::Hex(testsupport::ReadBytes(path)), testsupport::Hex(original));
}

TEST_F(ProfileFile, FailedWritesReturnFalse)
{
    EXPECT_FALSE(platform::WriteProfileString(m_home.File("missing/folder/x.ini"), "A", "k", "v"));
    EXPECT_FALSE(std::filesystem::exists(m_home.File("missing")));
    EXPECT_FALSE(platform::WriteProfileString("", "A", "k", "v"));
    EXPECT_FALSE(platform::WriteProfileString(m_home.Root(), "A", "k", "v"));  // a folder
}

TEST_F(ProfileFile, ReadOnlyFilesAndFoldersAreNotWritten)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    const auto folder = m_home.File("locked");
    const auto path = folder / "x.ini";
    ASSERT_TRUE(testsupport::WriteBytes(path, "[A]\nk=1\n"));
    ::chmod(path.c_str(), 0444);
    EXPECT_FALSE(platform::WriteProfileString(path, "A", "k", "2"));
    ::chmod(path.c_str(), 0644);
    ::chmod(folder.c_str(), 0555);
    EXPECT_FALSE(platform::WriteProfileString(path, "A", "k", "2"));
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(testsupport::ReadBytes(path), "[A]\nk=1\n");
}

TEST_F(ProfileFile, DeleteKeyRemovesOneLine)
{
    const auto path = m_home.File("del.ini");
    ASSERT_TRUE(testsupport::WriteBytes(path, "[A]\r\nx=1\r\ny=2\r\n"));
    EXPECT_TRUE(platform::DeleteProfileKey(path, "a", "X"));
    EXPECT_EQ(testsupport::ReadBytes(path), "[A]\r\ny=2\r\n");
    EXPECT_TRUE(platform::DeleteProfileKey(path, "A", "missing"));
    EXPECT_TRUE(platform::DeleteProfileKey(m_home.File("none.ini"), "A", "x"));
    EXPECT_FALSE(std::filesystem::exists(m_home.File("none.ini")));
}

TEST_F(ProfileFile, IntegerReadTakesTheLeadingNumber)
{
    const auto path = m_home.File("int.ini");
    ASSERT_TRUE(
        testsupport::WriteBytes(path,
                                "[N]\na=42\nb= -17 dB\nc=abc\nd=99999999999\ne=-99999999999\nf=+5\ng=\n"
                                "h=\"12\"\ni=0x10\n"));
    const std::pair<const char*, int> cases[] = {
        {"a", 42}, {"b", -17}, {"c", 0},  {"d", INT_MAX}, {"e", INT_MIN},
        {"f", 5},  {"g", 0},   {"h", 12}, {"i", 0},       {"missing", 1234},
    };
    for (const auto& [key, expected] : cases)
        EXPECT_EQ(platform::GetProfileInt(path, "N", key, 1234), expected) << key;
}

TEST_F(ProfileFile, LongValuesComeBackWhole)
{
    const auto path = m_home.File("long.ini");
    const std::string value(5000, 'v');
    ASSERT_TRUE(testsupport::WriteBytes(path, "[A]\nk=" + value + "\n"));
    EXPECT_EQ(platform::GetProfileString(path, "A", "k", ""), value);
}

// Sets the file's modification time to a fixed moment long past, so that its parsed form is reused.
void SetOldTime(const std::filesystem::path& path, time_t seconds, long nanoseconds)
{
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// The parsed form is reused only while the file is the same: a change by anyone is seen at once.
TEST_F(ProfileFile, ChangesByOthersAreSeen)
{
    const auto path = m_home.File("cache.ini");
    ASSERT_TRUE(testsupport::WriteBytes(path, "[A]\nk=1\n"));
    SetOldTime(path, 1000000000, 0);
    EXPECT_EQ(platform::GetProfileString(path, "A", "k", ""), "1");
    // Same size, rewritten in place (same inode): a nanosecond of modification time tells.
    ASSERT_TRUE(testsupport::WriteBytes(path, "[A]\nk=2\n"));
    SetOldTime(path, 1000000000, 1);
    EXPECT_EQ(platform::GetProfileString(path, "A", "k", ""), "2");
    // Replaced by another file with the same size and time: the inode tells.
    ASSERT_TRUE(platform::ReplaceFileAtomically(path, "[A]\nk=3\n"));
    SetOldTime(path, 1000000000, 1);
    EXPECT_EQ(platform::GetProfileString(path, "A", "k", ""), "3");
    // Grown in place with the time put back: the size tells.
    ASSERT_TRUE(testsupport::WriteBytes(path, "[A]\nk=44\n"));
    SetOldTime(path, 1000000000, 1);
    EXPECT_EQ(platform::GetProfileString(path, "A", "k", ""), "44");
    // Changed in place again at once, before the file's clock has ticked on.
    ASSERT_TRUE(testsupport::WriteBytes(path, "[A]\nk=5\n"));
    EXPECT_EQ(platform::GetProfileString(path, "A", "k", ""), "5");
    ASSERT_TRUE(testsupport::WriteBytes(path, "[A]\nk=6\n"));
    EXPECT_EQ(platform::GetProfileString(path, "A", "k", ""), "6");
    // Far-off file times, before 1970 and after 2262, are handled too.
    for (const long seconds : {-4000000000L, 10413792000L, -4000000000L})
    {
        ASSERT_TRUE(testsupport::WriteBytes(path, platform::FormatC("[A]\nk=%ld\n", seconds)));
        SetOldTime(path, seconds, 0);
        EXPECT_EQ(platform::GetProfileString(path, "A", "k", ""), std::to_string(seconds));
    }
    std::filesystem::remove(path);
    EXPECT_EQ(platform::GetProfileString(path, "A", "k", "gone"), "gone");
    // Our own write is seen without help.
    ASSERT_TRUE(platform::WriteProfileString(path, "A", "k", "7"));
    EXPECT_EQ(platform::GetProfileString(path, "A", "k", ""), "7");
}

TEST_F(ProfileFile, ManyFilesStayApart)
{
    // More files than the cache holds, read in turns.
    for (int round = 0; round < 3; ++round)
    {
        for (int i = 0; i < 20; ++i)
        {
            const auto path = m_home.File(platform::FormatC("f%d.ini", i));
            if (round == 0)
            {
                ASSERT_TRUE(testsupport::WriteBytes(path, platform::FormatC("[A]\nk=%d\n", i)));
                SetOldTime(path, 1000000000, 0);
            }
            EXPECT_EQ(platform::GetProfileInt(path, "A", "k", -1), i);
        }
    }
}

TEST_F(ProfileFile, ConcurrentWritersLoseNoKey)
{
    const auto path = m_home.File("shared.ini");
    ASSERT_TRUE(testsupport::WriteBytes(path, "; shared\r\n[Other]\r\nkeep=1\r\n"));
    constexpr int kThreads = 8;
    constexpr int kKeysEach = 25;
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [&, t]
            {
                for (int i = 0; i < kKeysEach; ++i)
                {
                    const std::string section = platform::FormatC("S%d", t % 3);
                    if (!platform::WriteProfileString(path, section, platform::FormatC("k%d_%d", t, i),
                                                      platform::FormatC("%d", t * 1000 + i)))
                        ++failures;
                    // Readers run alongside the writers.
                    platform::GetProfileString(path, "Other", "keep", "");
                }
            });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kKeysEach; ++i)
            EXPECT_EQ(platform::GetProfileInt(path, platform::FormatC("S%d", t % 3),
                                              platform::FormatC("k%d_%d", t, i), -1),
                      t * 1000 + i);
    const std::string bytes = testsupport::ReadBytes(path);
    EXPECT_TRUE(bytes.starts_with("; shared\r\n[Other]\r\nkeep=1\r\n"));
    for (std::size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1))
        ASSERT_TRUE(at > 0 && bytes[at - 1] == '\r') << "bare LF at " << at;
}

}  // namespace

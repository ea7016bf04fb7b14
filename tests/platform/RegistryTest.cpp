#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

namespace
{

using platform::RegistryKey;
using platform::RegistryType;

constexpr const char* kKeyPath = "Software\\HLV\\Tessarin";

class RegistryTest : public testsupport::TempHomeTest
{
protected:
    std::filesystem::path File() const { return platform::RegistryFile(); }

    // Replaces the store with these bytes, as another program (or damage) might leave it.
    void WriteFile(std::string_view bytes) const { ASSERT_TRUE(testsupport::WriteBytes(File(), bytes)); }

    static std::string Dword(std::uint32_t value)
    {
        return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                static_cast<char>((value >> 16) & 0xFF), static_cast<char>(value >> 24)};
    }
};

TEST_F(RegistryTest, FileLivesInTheConfigurationFolder)
{
    EXPECT_EQ(File(), m_home.ConfigHome() / "Tessarin" / "registry");
    RegistryKey key = RegistryKey::Open(kKeyPath, true);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key.WriteValue("x", RegistryType::Dword, Dword(1)));
    EXPECT_TRUE(std::filesystem::is_regular_file(File()));
}

struct RoundTripCase
{
    const char* label;
    RegistryType type;
    std::string data;
};

std::string AllBytes()
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    return bytes;
}

TEST_F(RegistryTest, EveryTypeAndAnyContentRoundTripsThroughTheFile)
{
    const std::vector<RoundTripCase> cases = {
        {"dword zero", RegistryType::Dword, std::string(4, '\0')},
        {"dword max", RegistryType::Dword, std::string(4, '\xff')},
        {"dword mixed", RegistryType::Dword, std::string("\x78\x56\x34\x12", 4)},
        {"plain text", RegistryType::String, "C:\\Program Files\\Tessarin"},
        {"empty text", RegistryType::String, ""},
        {"delimiters", RegistryType::String, "a=b%41 [x] \\ ;c\r\n\tz "},
        {"leading blanks", RegistryType::String, "  =start"},
        {"utf-8", RegistryType::String, "Grüße, 1 µV"},
        {"windows-1252", RegistryType::String, "\xe9t\xe9 \x80"},
        {"embedded zero", RegistryType::String, std::string("a\0b", 3)},
        {"every byte as text", RegistryType::String, AllBytes()},
        {"every byte", RegistryType::Binary, AllBytes()},
        {"empty binary", RegistryType::Binary, ""},
        {"largest value", RegistryType::Binary, std::string(platform::kRegistryMaxValueBytes, '\x5a')},
    };
    RegistryKey key = RegistryKey::Open(kKeyPath, true);
    ASSERT_TRUE(key);
    for (const RoundTripCase& c : cases)
        ASSERT_TRUE(key.WriteValue(c.label, c.type, c.data)) << c.label;

    // Every read parses the file afresh, so this checks the stored form, not a copy in memory.
    EXPECT_TRUE(platform::IsValidUtf8(testsupport::ReadBytes(File())));
    RegistryKey reopened = RegistryKey::Open(kKeyPath, false);
    ASSERT_TRUE(reopened);
    for (const RoundTripCase& c : cases)
    {
        const auto value = reopened.ReadValue(c.label);
        ASSERT_TRUE(value) << c.label;
        EXPECT_EQ(value->type, c.type) << c.label;
        EXPECT_EQ(testsupport::Hex(value->data), testsupport::Hex(c.data)) << c.label;
    }
}

TEST_F(RegistryTest, WritesTheDocumentedTextForm)
{
    RegistryKey key = RegistryKey::Open("Software\\A b", true);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key.WriteValue("Count", RegistryType::Dword, Dword(4294967289u)));
    ASSERT_TRUE(key.WriteValue("N=1", RegistryType::String, "50%\nok"));
    ASSERT_TRUE(key.WriteValue("Raw", RegistryType::Binary, std::string("\x00\xff\x10", 3)));
    ASSERT_TRUE(RegistryKey::Open("Software\\A b\\Sub[1]", true));
    ASSERT_TRUE(RegistryKey::Open("", false).WriteValue("", RegistryType::String, "root"));

    EXPECT_EQ(testsupport::ReadBytes(File()),
              "; Tessarin registry 1\n"
              "[]\n"
              "string =root\n"
              "[Software]\n"
              "[Software\\A b]\n"
              "dword Count=4294967289\n"
              "string N%3D1=50%25%0Aok\n"
              "binary Raw=00ff10\n"
              "[Software\\A b\\Sub%5B1%5D]\n");
}

TEST_F(RegistryTest, ReadsAHandWrittenFile)
{
    WriteFile(
        "; written elsewhere\r\n"
        "[Software\\Maker\\Program]\r\n"
        "dword Width=640\r\n"
        "string Title=Level %26 phase\r\n"
        "\r\n"
        "[Software\\Maker\\Other]\n"
        "binary Blob=0A0b\n");
    RegistryKey key = RegistryKey::Open("Software\\Maker\\Program", false);
    ASSERT_TRUE(key);
    EXPECT_EQ(key.ReadValue("Width")->data, Dword(640));
    EXPECT_EQ(key.ReadValue("Title")->data, "Level & phase");
    EXPECT_EQ(RegistryKey::Open("Software\\Maker\\Other", false).ReadValue("Blob")->data, "\x0a\x0b");
    // The parent that only the paths name exists as a key.
    EXPECT_EQ(RegistryKey::Open("Software\\Maker", false).SubKeyNames(),
              (std::vector<std::string>{"Program", "Other"}));
}

TEST_F(RegistryTest, AChangeByAnotherProgramIsSeenAtOnce)
{
    RegistryKey key = RegistryKey::Open(kKeyPath, true);
    ASSERT_TRUE(key.WriteValue("v", RegistryType::Dword, Dword(1)));
    ASSERT_EQ(key.ReadValue("v")->data, Dword(1));
    // Same length, written within the same clock tick: only the content tells the files apart.
    std::string text = testsupport::ReadBytes(File());
    text.replace(text.find("v=1"), 3, "v=2");
    WriteFile(text);
    EXPECT_EQ(key.ReadValue("v")->data, Dword(2));
}

TEST_F(RegistryTest, OpenWithoutCreateFindsOnlyExistingKeys)
{
    EXPECT_FALSE(RegistryKey::Open(kKeyPath, false));
    EXPECT_FALSE(std::filesystem::exists(File())) << "a failed open must not write";

    RegistryKey created = RegistryKey::Open(kKeyPath, true);
    ASSERT_TRUE(created);
    EXPECT_EQ(created.Path(), kKeyPath);
    // Every parent exists now, and separators at either end or doubled change nothing.
    EXPECT_TRUE(RegistryKey::Open("Software", false));
    EXPECT_TRUE(RegistryKey::Open("Software\\HLV", false));
    EXPECT_TRUE(RegistryKey::Open("\\Software\\\\HLV\\Tessarin\\", false));
    EXPECT_FALSE(RegistryKey::Open("Software\\HLV\\Tessarin\\Presets", false));
    EXPECT_TRUE(created.OpenSubKey("Presets", true));
    EXPECT_TRUE(RegistryKey::Open("Software\\HLV\\Tessarin\\Presets", false));

    RegistryKey closed = created;
    closed.Close();
    EXPECT_FALSE(closed);
    EXPECT_FALSE(closed.WriteValue("x", RegistryType::Dword, Dword(1)));
    EXPECT_FALSE(closed.ReadValue("x"));
}

TEST_F(RegistryTest, EnumerationKeepsTheOrderOfCreation)
{
    RegistryKey key = RegistryKey::Open(kKeyPath, true);
    ASSERT_TRUE(key);
    for (const char* name : {"zeta", "Alpha", "mid", "beta"})
        ASSERT_TRUE(key.WriteValue(name, RegistryType::Dword, Dword(1)));
    for (const char* name : {"Window3D", "Presets", "Automation"})
        ASSERT_TRUE(key.OpenSubKey(name, true));
    // Replacing a value, even with another type, keeps its place.
    ASSERT_TRUE(key.WriteValue("ALPHA", RegistryType::String, "now text"));

    EXPECT_EQ(key.ValueNames(), (std::vector<std::string>{"zeta", "Alpha", "mid", "beta"}));
    EXPECT_EQ(key.SubKeyNames(), (std::vector<std::string>{"Window3D", "Presets", "Automation"}));
    EXPECT_EQ(key.ReadValue("alpha")->type, RegistryType::String);
}

TEST_F(RegistryTest, NamesMatchWithoutRegardToCaseAndKeepTheirSpelling)
{
    RegistryKey key = RegistryKey::Open("Software\\Réglages", true);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key.WriteValue("Volume", RegistryType::Dword, Dword(3)));
    ASSERT_TRUE(key.WriteValue("VOLUME", RegistryType::Dword, Dword(7)));
    ASSERT_TRUE(key.WriteValue("Étage", RegistryType::String, "un"));

    RegistryKey other = RegistryKey::Open("SOFTWARE\\RÉGLAGES", false);
    ASSERT_TRUE(other);
    EXPECT_EQ(other.ReadValue("volume")->data, Dword(7));
    EXPECT_EQ(other.ReadValue("éTAGE")->data, "un");
    EXPECT_EQ(other.ValueNames(), (std::vector<std::string>{"Volume", "Étage"}));
    EXPECT_EQ(RegistryKey::Open("", false).SubKeyNames(), (std::vector<std::string>{"Software"}));
    EXPECT_EQ(RegistryKey::Open("software", false).SubKeyNames(), (std::vector<std::string>{"Réglages"}));
}

TEST_F(RegistryTest, DeletesValuesAndKeysWithTheirSubkeys)
{
    RegistryKey key = RegistryKey::Open(kKeyPath, true);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key.WriteValue("keep", RegistryType::Dword, Dword(1)));
    ASSERT_TRUE(key.WriteValue("drop", RegistryType::Dword, Dword(2)));
    RegistryKey presets = key.OpenSubKey("Presets\\Deep", true);
    ASSERT_TRUE(presets);
    ASSERT_TRUE(presets.WriteValue("v", RegistryType::String, "x"));
    ASSERT_TRUE(key.OpenSubKey("Window3D", true));

    EXPECT_TRUE(key.DeleteValue("DROP"));
    EXPECT_FALSE(key.DeleteValue("drop"));
    EXPECT_EQ(key.ValueNames(), (std::vector<std::string>{"keep"}));

    EXPECT_TRUE(key.DeleteSubKey("presets"));
    EXPECT_FALSE(key.DeleteSubKey("Presets"));
    EXPECT_FALSE(RegistryKey::Open("Software\\HLV\\Tessarin\\Presets\\Deep", false));
    EXPECT_EQ(key.SubKeyNames(), (std::vector<std::string>{"Window3D"}));
    // A handle whose key is gone reads nothing and cannot write.
    EXPECT_FALSE(presets.ReadValue("v"));
    EXPECT_FALSE(presets.WriteValue("v", RegistryType::String, "y"));
    EXPECT_FALSE(RegistryKey::Open("Software\\HLV\\Tessarin\\Presets", false));

    EXPECT_TRUE(platform::DeleteRegistryKey("software\\hlv"));
    EXPECT_FALSE(RegistryKey::Open(kKeyPath, false));
    EXPECT_TRUE(RegistryKey::Open("Software", false));
    EXPECT_FALSE(platform::DeleteRegistryKey(""));
    EXPECT_FALSE(platform::DeleteRegistryKey("\\"));
}

TEST_F(RegistryTest, RefusesWritesBeyondTheLimits)
{
    RegistryKey key = RegistryKey::Open(kKeyPath, true);
    ASSERT_TRUE(key);
    EXPECT_FALSE(key.WriteValue("short", RegistryType::Dword, "abc"));
    EXPECT_FALSE(key.WriteValue("long", RegistryType::Dword, "abcde"));
    EXPECT_FALSE(
        key.WriteValue("big", RegistryType::Binary, std::string(platform::kRegistryMaxValueBytes + 1, 'x')));
    EXPECT_FALSE(key.WriteValue(std::string(platform::kRegistryMaxValueNameBytes + 1, 'n'),
                                RegistryType::Dword, Dword(1)));
    EXPECT_FALSE(RegistryKey::Open(std::string(platform::kRegistryMaxKeyNameBytes + 1, 'k'), true));
    EXPECT_TRUE(key.ValueNames().empty());
}

TEST_F(RegistryTest, DamagedLinesAreSkippedAndTheRestIsKept)
{
    std::string file =
        "garbage without structure\n"
        "dword BeforeAnyKey=1\n"
        "[Software\\Good]\n"
        "dword A=1\n"
        "dword TooBig=4294967296\n"
        "dword Negative=-1\n"
        "dword Blank= 5\n"
        "dword Hex=0x10\n"
        "string BadEscape=%G1\n"
        "string CutEscape=abc%4\n"
        "binary Odd=abc\n"
        "binary NotHex=zz\n"
        "float F=1.0\n"
        "string NoEquals\n"
        "nospace\n"
        "string A=second value of A is ignored\n"
        "string B=%00%FF\n"
        "[Unclosed\n"
        "dword LostKey=1\n"
        "[Software\\Bad%5CSeparator]\n"
        "dword LostKey=1\n"
        "[Software\\Good]\n"
        "dword C=3\n";
    // A value beyond the size limit, a name beyond its limit and a path deeper than allowed.
    file += "[Software\\Good]\nbinary Huge=" + std::string(2 * (platform::kRegistryMaxValueBytes + 1), 'a') +
            "\n";
    file += "string " + std::string(platform::kRegistryMaxValueNameBytes + 1, 'n') + "=x\n";
    std::string deep = "[";
    for (std::size_t i = 0; i <= platform::kRegistryMaxDepth; ++i)
        deep += "k\\";
    file += deep + "]\ndword InDeep=1\n";
    WriteFile(file);

    RegistryKey key = RegistryKey::Open("Software\\Good", false);
    ASSERT_TRUE(key);
    EXPECT_EQ(key.ValueNames(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(key.ReadValue("A")->type, RegistryType::Dword);
    EXPECT_EQ(key.ReadValue("B")->data, std::string("\x00\xff", 2));
    EXPECT_EQ(RegistryKey::Open("", false).SubKeyNames(), (std::vector<std::string>{"Software"}));
    EXPECT_EQ(RegistryKey::Open("Software", false).SubKeyNames(), (std::vector<std::string>{"Good"}));

    // A change rewrites the file with what was readable and the change.
    ASSERT_TRUE(key.WriteValue("D", RegistryType::Dword, Dword(4)));
    EXPECT_EQ(RegistryKey::Open("Software\\Good", false).ValueNames(),
              (std::vector<std::string>{"A", "B", "C", "D"}));
}

TEST_F(RegistryTest, ArbitraryBytesNeverCrashTheReader)
{
    std::uint32_t state = 12345;
    const std::string alphabet = "[]\\%=; \n\rdwordstringbinary0123456789abcdefAF\x80\xff";
    for (int round = 0; round < 200; ++round)
    {
        std::string bytes;
        for (int i = 0; i < 400; ++i)
        {
            state = state * 1664525u + 1013904223u;
            bytes += alphabet[(state >> 16) % alphabet.size()];
        }
        WriteFile(bytes);
        RegistryKey root = RegistryKey::Open("", false);
        for (const std::string& name : root.SubKeyNames())
        {
            RegistryKey child = root.OpenSubKey(name, false);
            for (const std::string& value : child.ValueNames())
                EXPECT_TRUE(child.ReadValue(value)) << testsupport::Hex(bytes);
        }
    }
}

TEST_F(RegistryTest, AStoreThatCannotBeReadIsNeverOverwritten)
{
    // Something that is not a regular file where the store should be.
    std::filesystem::create_directories(File());
    std::filesystem::create_directories(File() / "inside");
    EXPECT_FALSE(RegistryKey::Open(kKeyPath, true));
    EXPECT_TRUE(std::filesystem::is_directory(File() / "inside"));
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing)
{
    ASSERT_TRUE(RegistryKey::Open(kKeyPath, true));
    constexpr int kPerProcess = 200;
    std::vector<pid_t> children;
    for (int child = 0; child < 2; ++child)
    {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0)
        {
            RegistryKey key = RegistryKey::Open(kKeyPath, false);
            bool ok = static_cast<bool>(key);
            for (int i = 0; ok && i < kPerProcess; ++i)
                ok = key.WriteValue("p" + std::to_string(child) + "_" + std::to_string(i),
                                    RegistryType::Dword, Dword(static_cast<std::uint32_t>(child * 1000 + i)));
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children)
    {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    RegistryKey key = RegistryKey::Open(kKeyPath, false);
    const std::vector<std::string> names = key.ValueNames();
    EXPECT_EQ(names.size(), 2u * kPerProcess);
    for (int child = 0; child < 2; ++child)
    {
        for (int i = 0; i < kPerProcess; ++i)
        {
            const auto value = key.ReadValue("p" + std::to_string(child) + "_" + std::to_string(i));
            ASSERT_TRUE(value) << child << " " << i;
            EXPECT_EQ(value->data, Dword(static_cast<std::uint32_t>(child * 1000 + i)));
        }
    }
}

// A store that does not parse is kept aside before the first rewrite drops what it held, and the
// user is told once; a sound store is rewritten without a copy or a word.
TEST_F(RegistryTest, ADamagedStoreIsKeptAsideBeforeItIsRewritten)
{
    const auto copies = [this]
    {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(File().parent_path()))
            if (entry.path().filename().string().starts_with("registry.damaged-"))
                found.push_back(testsupport::ReadBytes(entry.path()));
        return found;
    };
    platform::TakeRegistryWarning();
    std::filesystem::create_directories(File().parent_path());
    struct Case
    {
        const char* name;
        std::string bytes;
        bool damaged;
    };
    const std::string sound = "; Tessarin registry 1\n[Software\\Good]\ndword A=1\n";
    const Case cases[] = {
        {"sound", sound, false},
        {"truncated in a line", sound + "string B=x\nstring Cut", true},
        {"random bytes", "\x13\x88zq]]\x01\n=\xff\xfe", true},
        {"empty", "", true},
        {"value outside a key", "; Tessarin registry 1\ndword Lost=1\n", true},
    };
    for (const Case& c : cases)
    {
        for (const auto& entry : std::filesystem::directory_iterator(File().parent_path()))
            if (entry.path() != File())
                std::filesystem::remove(entry.path());
        WriteFile(c.bytes);
        ASSERT_TRUE(RegistryKey::Open("Software\\Good", true).WriteValue("D", RegistryType::Dword, Dword(4)))
            << c.name;
        const std::string warning = platform::TakeRegistryWarning();
        if (c.damaged)
        {
            EXPECT_EQ(copies(), std::vector<std::string>{c.bytes}) << c.name;
            EXPECT_NE(warning.find("damaged"), std::string::npos) << c.name;
        }
        else
        {
            EXPECT_TRUE(copies().empty()) << c.name;
            EXPECT_EQ(warning, "") << c.name;
        }
        // A second change finds a sound file: no second copy, no second word.
        ASSERT_TRUE(RegistryKey::Open("Software\\Good", true).WriteValue("E", RegistryType::Dword, Dword(5)));
        EXPECT_EQ(copies().size(), c.damaged ? 1u : 0u) << c.name;
        EXPECT_EQ(platform::TakeRegistryWarning(), "") << c.name;
    }
}

TEST_F(RegistryTest, AReadOnlyStoreIsLeftAloneAndTheUserIsTold)
{
    ASSERT_TRUE(RegistryKey::Open(kKeyPath, true).WriteValue("A", RegistryType::Dword, Dword(1)));
    platform::TakeRegistryWarning();
    const std::string before = testsupport::ReadBytes(File());
    ::chmod(File().c_str(), 0444);
    EXPECT_FALSE(RegistryKey::Open(kKeyPath, true).WriteValue("A", RegistryType::Dword, Dword(2)));
    EXPECT_EQ(testsupport::ReadBytes(File()), before);
    EXPECT_NE(platform::TakeRegistryWarning().find("read-only"), std::string::npos);
    EXPECT_EQ(RegistryKey::Open(kKeyPath, false).ReadValue("A")->data, Dword(1));
    ::chmod(File().c_str(), 0644);
}

TEST_F(RegistryTest, APipeInTheStoresPlaceDoesNotBlock)
{
    std::filesystem::create_directories(File().parent_path());
    ASSERT_EQ(::mkfifo(File().c_str(), 0600), 0);
    // Before, the open waited for a writer that never comes.
    EXPECT_FALSE(RegistryKey::Open(kKeyPath, false));
    EXPECT_FALSE(RegistryKey::Open(kKeyPath, true));
    EXPECT_FALSE(std::filesystem::is_regular_file(File()));
}

}  // namespace

#include "common/IniFile.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>

#include "platform/Profile.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

namespace
{

class IniFileTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        m_path = m_home.File("settings.ini");
        std::filesystem::create_directories(m_path.parent_path());
        ASSERT_TRUE(m_ini.SetFileName(m_path.string()));
    }

    // The value text exactly as the file holds it.
    std::optional<std::string> Stored(const char* section, const char* key) const
    {
        std::string value;
        if (!platform::ReadProfileString(m_path, section, key, value))
            return std::nullopt;
        return value;
    }

    void Store(const std::string& bytes) { ASSERT_TRUE(testsupport::WriteBytes(m_path, bytes)); }

    std::filesystem::path m_path;
    CIniFile m_ini;
};

TEST_F(IniFileTest, DoublesAreWrittenWithSixDecimals)
{
    const std::pair<double, const char*> cases[] = {
        {0.1234567, "0.123457"},
        {1e-7, "0.000000"},
        {-1e-7, "-0.000000"},
        {2.5, "2.500000"},
        {-1234.0000004, "-1234.000000"},
        {1e20, "100000000000000000000.000000"},
    };
    for (const auto& [value, text] : cases)
    {
        SCOPED_TRACE(text);
        ASSERT_TRUE(m_ini.WriteDouble("Num", "d", value));
        EXPECT_EQ(Stored("Num", "d"), text);
        EXPECT_DOUBLE_EQ(m_ini.ReadDouble("Num", "d", -99.0), std::strtod(text, nullptr));
    }
    // Large values in full, however many digits. Powers of two have exact decimal forms: 2^200 has 61
    // digits; 2^1000 has 302, more than the 254 characters of a string read, yet it is stored whole and
    // reads back exactly.
    ASSERT_TRUE(m_ini.WriteDouble("Num", "big", -std::ldexp(1.0, 200)));
    EXPECT_EQ(Stored("Num", "big"), "-1606938044258990275541962092341162602522202993782792835301376.000000");
    EXPECT_EQ(m_ini.ReadDouble("Num", "big", 0.0), -std::ldexp(1.0, 200));
    ASSERT_TRUE(m_ini.WriteDouble("Num", "huge", std::ldexp(1.0, 1000)));
    const std::string huge = Stored("Num", "huge").value_or("");
    EXPECT_EQ(huge.size(), 302u + 7u);
    EXPECT_TRUE(huge.starts_with("10715086071862673209"));
    EXPECT_TRUE(huge.ends_with(".000000"));
    EXPECT_EQ(m_ini.ReadDouble("Num", "huge", 0.0), std::ldexp(1.0, 1000));
}

TEST_F(IniFileTest, DoubleReadAcceptsExponentsAndKeepsTheDefaultExactly)
{
    Store("[Num]\na=1.5e3\nb=-2.5E-300\nc=abc\nd=  7.25 dB\ne=\nf=1,5\ng=\"3.5\"\n");
    const std::pair<const char*, double> cases[] = {
        {"a", 1500.0}, {"b", -2.5e-300}, {"c", 0.0}, {"d", 7.25}, {"e", 0.0}, {"f", 1.0}, {"g", 3.5},
    };
    for (const auto& [key, expected] : cases)
        EXPECT_EQ(m_ini.ReadDouble("Num", key, 42.0), expected) << key;
    // A missing key leaves the caller's value as it was, all digits of it.
    EXPECT_EQ(m_ini.ReadDouble("Num", "missing", 0.12345678901234), 0.12345678901234);
}

TEST_F(IniFileTest, Int64RoundTripsAndParsesTheLeadingNumber)
{
    const std::int64_t extremes[] = {std::numeric_limits<std::int64_t>::min(),
                                     std::numeric_limits<std::int64_t>::max(), 0, -5000000000};
    for (const std::int64_t value : extremes)
    {
        ASSERT_TRUE(m_ini.WriteInt64("N", "v", value));
        EXPECT_EQ(m_ini.ReadInt64("N", "v", 1), value);
    }
    EXPECT_EQ(Stored("N", "v"), "-5000000000");
    Store("[N]\na=12abc\nb=xyz\nc=99999999999999999999\n");
    EXPECT_EQ(m_ini.ReadInt64("N", "a", 7), 12);
    EXPECT_EQ(m_ini.ReadInt64("N", "b", 7), 0);
    EXPECT_EQ(m_ini.ReadInt64("N", "c", 7), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(m_ini.ReadInt64("N", "missing", -7), -7);
}

TEST_F(IniFileTest, IntAndHexTexts)
{
    ASSERT_TRUE(m_ini.WriteInt("N", "i", -42));
    EXPECT_EQ(Stored("N", "i"), "-42");
    EXPECT_EQ(m_ini.ReadInt("N", "i", 0), -42);
    EXPECT_EQ(m_ini.ReadInt("N", "missing", 17), 17);
    const std::pair<int, const char*> hex[] = {
        {255, "ff"}, {0x00FF8040, "ff8040"}, {0, "0"}, {-1, "ffffffff"}};
    for (const auto& [value, text] : hex)
    {
        ASSERT_TRUE(m_ini.WriteHex("N", "h", value));
        EXPECT_EQ(Stored("N", "h"), text);
    }
}

TEST_F(IniFileTest, BoolIsTrueOnlyForTrueOrLowerCaseTrue)
{
    Store("[B]\na=True\nb=true\nc=TRUE\nd=1\ne=yes\nf=\ng=False\nh= true \n");
    const std::pair<const char*, bool> cases[] = {
        {"a", true},  {"b", true},  {"c", false}, {"d", false},
        {"e", false}, {"f", false}, {"g", false}, {"h", true},  // blanks around a value are not part of it
    };
    for (const auto& [key, expected] : cases)
    {
        EXPECT_EQ(m_ini.ReadBool("B", key, !expected), expected) << key;
    }
    EXPECT_TRUE(m_ini.ReadBool("B", "missing", true));
    EXPECT_FALSE(m_ini.ReadBool("B", "missing", false));
    ASSERT_TRUE(m_ini.WriteBool("B", "w", true));
    EXPECT_EQ(Stored("B", "w"), "True");
    ASSERT_TRUE(m_ini.WriteBool("B", "w", false));
    EXPECT_EQ(Stored("B", "w"), "False");
}

TEST_F(IniFileTest, StringsAreCutAt254Characters)
{
    const std::string euro = "\xE2\x82\xAC";  // three bytes, one character
    std::string euros;
    for (int i = 0; i < 300; ++i)
        euros += euro;
    const struct
    {
        std::string value;
        std::string expected;
    } cases[] = {
        {std::string(300, 'a'), std::string(254, 'a')},
        {std::string(254, 'b'), std::string(254, 'b')},
        {euros, euros.substr(0, 254 * 3)},
        {std::string(253, 'c') + euro + "tail", std::string(253, 'c') + euro},
        {"short", "short"},
    };
    for (const auto& c : cases)
    {
        ASSERT_TRUE(m_ini.WriteString("S", "s", c.value));
        EXPECT_EQ(Stored("S", "s"), c.value);  // the file holds the whole text
        EXPECT_EQ(m_ini.ReadString("S", "s", "default"), c.expected);
    }
    EXPECT_EQ(m_ini.ReadString("S", "missing", "default"), "default");
    // The integer reader looks at the same 254 characters; the double reader takes the whole value,
    // since doubles are written in full.
    Store("[S]\nn=" + std::string(254, ' ') + "5\nm=" + std::string(250, '0') + "12345\n");
    EXPECT_EQ(m_ini.ReadInt64("S", "n", 9), 5);  // blanks around the value are not part of it
    EXPECT_EQ(m_ini.ReadInt64("S", "m", 9), 1234);
    EXPECT_EQ(m_ini.ReadDouble("S", "m", 9.0), 12345.0);
}

// Runs the time cases in one fixed zone with daylight-saving time, whatever the machine's zone.
class IniFileTimeTest : public IniFileTest
{
protected:
    void SetUp() override
    {
        IniFileTest::SetUp();
        if (const char* tz = std::getenv("TZ"))
            m_savedZone = tz;
        ::setenv("TZ", "Europe/Berlin", 1);
        ::tzset();
    }

    void TearDown() override
    {
        if (m_savedZone)
            ::setenv("TZ", m_savedZone->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

    std::optional<std::string> m_savedZone;
};

// 2011-10-22 14:05:09 in Berlin is summer time, 12:05:09 UTC.
constexpr std::time_t kOctober2011 = 1319285109;

TEST_F(IniFileTimeTest, TimeIsStoredAsSixLocalComponents)
{
    ASSERT_TRUE(m_ini.WriteTime("T", "Start", kOctober2011));
    const std::pair<const char*, const char*> keys[] = {
        {"Start.Year", "2011"}, {"Start.Month", "10"}, {"Start.Day", "22"},
        {"Start.Hour", "14"},   {"Start.Minute", "5"}, {"Start.Second", "9"},
    };
    for (const auto& [key, text] : keys)
        EXPECT_EQ(Stored("T", key), text) << key;
    EXPECT_EQ(testsupport::ReadBytes(m_path),
              "[T]\nStart.Year=2011\nStart.Month=10\nStart.Day=22\nStart.Hour=14\nStart.Minute=5\nStart."
              "Second=9\n");
    EXPECT_EQ(m_ini.ReadTime("T", "Start", 0), kOctober2011);
}

TEST_F(IniFileTimeTest, ReadTimeTakesMissingPartsFromTheDefault)
{
    EXPECT_EQ(m_ini.ReadTime("T", "None", kOctober2011), kOctober2011);
    // Winter time: 2011-12-01 10:00:00 in Berlin is 09:00:00 UTC; the other parts come from the default.
    Store("[T]\nX.Month=12\nX.Day=1\nX.Hour=10\nX.Minute=0\nX.Second=0\n");
    EXPECT_EQ(m_ini.ReadTime("T", "X", kOctober2011), 1322730000);
    // Out-of-range parts are normalised: month 13 of 2011 is January 2012 (08:00 CET = 07:00 UTC).
    Store("[T]\nY.Year=2011\nY.Month=13\nY.Day=15\nY.Hour=8\nY.Minute=0\nY.Second=0\n");
    EXPECT_EQ(m_ini.ReadTime("T", "Y", 0), 1326610800);
    // Damaged numbers neither overflow nor crash; the default stands when no time can be formed.
    Store("[T]\nZ.Year=-2147483648\nZ.Month=-2147483648\nZ.Day=2147483647\n");
    EXPECT_EQ(m_ini.ReadTime("T", "Z", kOctober2011), kOctober2011);
}

TEST_F(IniFileTest, StringArraysUseCountAndNumberedKeys)
{
    const std::vector<std::string> files = {"a.wav", "b c.wav", "Caf\xC3\xA9.wav"};
    ASSERT_TRUE(m_ini.WriteStringArray("L", "Files", files));
    EXPECT_EQ(testsupport::ReadBytes(m_path),
              "[L]\nFiles.Cnt=3\nFiles.1=a.wav\nFiles.2=b c.wav\nFiles.3=Caf\xC3\xA9.wav\n");
    std::vector<std::string> read = {"stale"};
    m_ini.ReadStringArray("L", "Files", read);
    EXPECT_EQ(read, files);

    // A shorter list leaves the later keys in the file, but its count rules.
    ASSERT_TRUE(m_ini.WriteStringArray("L", "Files", {"only"}));
    EXPECT_EQ(Stored("L", "Files.2"), "b c.wav");
    m_ini.ReadStringArray("L", "Files", read);
    EXPECT_EQ(read, std::vector<std::string>{"only"});

    const std::pair<const char*, std::size_t> counts[] = {
        {"", 0}, {"Other.Cnt=0\n", 0}, {"Other.Cnt=-5\n", 0}, {"Other.Cnt=2\nOther.2=x\n", 2}};
    for (const auto& [lines, size] : counts)
    {
        Store(std::string("[L]\n") + lines);
        read = {"stale"};
        m_ini.ReadStringArray("L", "Other", read);
        EXPECT_EQ(read.size(), size) << lines;
    }
    EXPECT_EQ(read, (std::vector<std::string>{"", "x"}));  // missing items are empty
}

TEST_F(IniFileTest, HugeArrayCountIsCapped)
{
    Store("[L]\nFiles.Cnt=2000000000\nFiles.1=first\n");
    std::vector<std::string> read;
    m_ini.ReadStringArray("L", "Files", read);
    ASSERT_EQ(read.size(), static_cast<std::size_t>(CIniFile::kMaxStringArrayCount));
    EXPECT_EQ(read.front(), "first");
    EXPECT_EQ(read.back(), "");
}

TEST_F(IniFileTest, OverlongPathIsRefusedAndTheOldOneStays)
{
    const std::string tooLong = "/" + std::string(1023, 'x');
    EXPECT_FALSE(m_ini.SetFileName(tooLong));
    ASSERT_TRUE(m_ini.WriteInt("P", "k", 1));
    EXPECT_EQ(Stored("P", "k"), "1");  // still the earlier file

    // The limit counts characters, not bytes: 1023 two-byte characters are accepted.
    std::string wide = "/";
    for (int i = 0; i < 1022; ++i)
        wide += "\xC3\xA9";
    CIniFile other;
    EXPECT_TRUE(other.SetFileName(wide));
    EXPECT_FALSE(other.SetFileName(wide + "\xC3\xA9"));

    // An object that never got a path reads defaults and writes nothing.
    CIniFile fresh;
    EXPECT_FALSE(fresh.SetFileName(tooLong));
    EXPECT_EQ(fresh.ReadInt("P", "k", 5), 5);
    EXPECT_FALSE(fresh.WriteInt("P", "k", 2));
}

TEST_F(IniFileTest, FailedOrRefusedWritesReportFalse)
{
    CIniFile missing;
    ASSERT_TRUE(missing.SetFileName(m_home.File("no/such/folder/x.ini").string()));
    EXPECT_FALSE(missing.WriteInt("A", "i", 1));
    EXPECT_FALSE(missing.WriteDouble("A", "d", 1.0));
    EXPECT_FALSE(missing.WriteString("A", "s", "x"));
    EXPECT_FALSE(missing.WriteTime("A", "t", kOctober2011));
    EXPECT_FALSE(missing.WriteStringArray("A", "l", {"x"}));
    EXPECT_EQ(missing.ReadInt("A", "i", 3), 3);

    Store("[A]\r\nk=Caf\xE9\r\n");
    EXPECT_FALSE(m_ini.WriteString("A", "k", "two\nlines"));
    EXPECT_FALSE(m_ini.WriteString("A", "k=", "x"));
    EXPECT_EQ(testsupport::ReadBytes(m_path), "[A]\r\nk=Caf\xE9\r\n");
    EXPECT_EQ(m_ini.ReadString("A", "k", ""), "Caf\xC3\xA9");
}

}  // namespace

TEST_F(IniFileTest, BatchedWritesLandTogetherAndLeaveTheFileAloneUntilCommitted)
{
    Store("[Keep]\r\nold=1\r\n");
    ASSERT_TRUE(m_ini.LoadBatch());
    // Many sections, written and read back in memory; names match without regard to case, also
    // after lines were inserted into an earlier section and keys removed.
    for (int i = 0; i < 20000; ++i)
        ASSERT_TRUE(m_ini.WriteInt("Data " + std::to_string(i), "Samples", i));
    ASSERT_TRUE(m_ini.WriteInt("keep", "new", 2));
    EXPECT_EQ(m_ini.ReadInt("DATA 19999", "samples", -1), 19999);
    EXPECT_EQ(m_ini.ReadInt("Data 7", "Samples", -1), 7);
    EXPECT_EQ(m_ini.ReadInt("Keep", "old", -1), 1);
    EXPECT_EQ(Stored("Data 7", "Samples"), std::nullopt);
    ASSERT_TRUE(m_ini.CommitBatch());
    m_ini.EndBatch();
    EXPECT_EQ(Stored("Data 19999", "Samples"), "19999");
    EXPECT_EQ(Stored("Keep", "new"), "2");
    EXPECT_EQ(m_ini.ReadInt("Keep", "old", -1), 1);
    // A batch over bytes reads them without a file; names beyond ASCII match by their case folding.
    m_ini.AttachBatch("[ info]\r\nSamplerate=48000\r\n[Änderung]\r\nx=1\r\n");
    EXPECT_EQ(m_ini.ReadDouble("info", "Samplerate", 0.0), 48000.0);
    ASSERT_TRUE(m_ini.WriteInt("änderung", "y", 3));
    ASSERT_TRUE(m_ini.WriteInt("Info", "z", 4));
    EXPECT_EQ(m_ini.ReadInt("ÄNDERUNG", "y", -1), 3);
    EXPECT_EQ(m_ini.ReadInt(" info", "Z", -1), 4);
    m_ini.EndBatch();
}

#include "common/TextDataFiles.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "tests/support/FileBytes.h"
#include "tests/support/NumericLocale.h"
#include "tests/support/TempHome.h"

namespace
{

constexpr float kUntouched = -777.0f;

using TextDataFiles = testsupport::TempHomeTest;

// "%e" keeps seven significant digits.
void ExpectSameAfterText(float read, float written)
{
    EXPECT_NEAR(read, written, std::fabs(written) * 1e-6f) << written;
}

TEST_F(TextDataFiles, FloatListRoundTripsAndIsCounted)
{
    const std::vector<float> values = {1.5f, -0.25f, 3.14159265f, 1.0e-30f, 6.02e23f, 0.0f, -123456.789f};
    const auto path = m_home.File("curve.txt");
    EXPECT_EQ(WriteFloatList(path, values), 7);

    std::vector<float> read(values.size(), kUntouched);
    EXPECT_EQ(ReadFloatList(path, read), 7);
    for (std::size_t i = 0; i < values.size(); ++i)
        ExpectSameAfterText(read[i], values[i]);
    EXPECT_EQ(CountFloatsInFile(path), 7);
}

TEST_F(TextDataFiles, FloatListLinesAreCLocaleExponentForm)
{
    const auto path = m_home.File("dump.txt");
    EXPECT_EQ(WriteFloatList(path, std::vector<float>{1.5f, -0.25f}), 2);
    EXPECT_EQ(AppendFloatList(path, std::vector<float>{1.0e10f}), 1);
    EXPECT_EQ(testsupport::ReadBytes(path), "1.500000e+00\n-2.500000e-01\n1.000000e+10\n");
}

TEST_F(TextDataFiles, FilesDoNotFollowTheUserLocale)
{
    testsupport::DecimalCommaLocale locale;
    if (!locale.Active())
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    const auto path = m_home.File("dump.txt");
    WriteFloatList(path, std::vector<float>{1.5f});
    EXPECT_EQ(testsupport::ReadBytes(path), "1.500000e+00\n");
    ASSERT_TRUE(testsupport::WriteBytes(path, "2.5 3.25\n"));
    std::array<float, 2> first{};
    std::array<float, 2> second{};
    EXPECT_EQ(ReadFloatPairs(path, first, second), 1);
    EXPECT_EQ(first[0], 2.5f);
    EXPECT_EQ(second[0], 3.25f);
}

TEST_F(TextDataFiles, EmptyFileGivesNoValues)
{
    const auto path = m_home.File("empty.txt");
    ASSERT_TRUE(testsupport::WriteBytes(path, ""));
    std::array<float, 4> values{};
    EXPECT_EQ(ReadFloatList(path, values), 0);
    EXPECT_EQ(CountFloatsInFile(path), 0);
    EXPECT_EQ(ReadFloatPairs(path, values, values), 0);
    EXPECT_EQ(ReadFloatTriples(path, values, values, values), 0);
}

TEST_F(TextDataFiles, MissingFilesAndFoldersAreReported)
{
    const auto missing = m_home.File("nowhere/list.txt");
    std::array<float, 4> values{};
    EXPECT_EQ(ReadFloatList(missing, values), -1);
    EXPECT_EQ(ReadFloatPairs(missing, values, values), -1);
    EXPECT_EQ(ReadFloatTriples(missing, values, values, values), -1);
    EXPECT_EQ(CountFloatsInFile(missing), -1);
    EXPECT_EQ(IsFileReadable(missing), 0);
    EXPECT_EQ(FileExists(missing), 0);
    // The writers cannot create a file in a folder that does not exist.
    EXPECT_EQ(WriteFloatList(missing, values), 0);
    EXPECT_EQ(AppendFloatList(missing, values), 0);
    EXPECT_EQ(WriteFloatBinary(missing, values), 0);
    EXPECT_EQ(AppendFloatBinary(missing, values), 0);
    EXPECT_FALSE(std::filesystem::exists(missing));

    // A folder opens for reading on Linux, but it is not a file.
    const auto folder = m_home.File("");
    EXPECT_EQ(FileExists(folder), 0);
    EXPECT_EQ(ReadFloatList(folder, values), -1);

    const auto present = m_home.File("present.txt");
    ASSERT_TRUE(testsupport::WriteBytes(present, "x"));
    EXPECT_EQ(IsFileReadable(present), 1);
    EXPECT_EQ(FileExists(present.string()), 1);
}

TEST_F(TextDataFiles, ReadersTakeThreeDigitExponentsAndCrlf)
{
    const auto path = m_home.File("other.txt");
    ASSERT_TRUE(testsupport::WriteBytes(path, "1.500000e+010\r\n-2.500000E-005\r\n3.000000e+000\r\n"));
    std::array<float, 5> values{};
    EXPECT_EQ(ReadFloatList(path, values), 3);
    EXPECT_FLOAT_EQ(values[0], 1.5e10f);
    EXPECT_FLOAT_EQ(values[1], -2.5e-5f);
    EXPECT_FLOAT_EQ(values[2], 3.0f);
    EXPECT_EQ(CountFloatsInFile(path), 3);
}

TEST_F(TextDataFiles, ListReadersStopAtTheFirstTextThatIsNotANumber)
{
    struct Case
    {
        const char* content;
        int count;
    };
    const Case cases[] = {
        {"1 2\t3\n\n\n4", 4},     // any white space separates
        {"1\n2\nabc\n3\n", 2},    // stops at the word, never resumes
        {"1.5-2\n", 2},           // a number may end inside a word
        {"1\n2x\n3\n", 2},        // the rest of the word is not a number
        {"  \n\t7.25e-001 ", 1},  // leading blanks, three-digit exponent
        {"header\n1\n2\n", 0},    // a heading stops a list at once
    };
    const auto path = m_home.File("list.txt");
    for (const auto& c : cases)
    {
        ASSERT_TRUE(testsupport::WriteBytes(path, c.content));
        std::array<float, 8> values{};
        EXPECT_EQ(ReadFloatList(path, values), c.count) << c.content;
        EXPECT_EQ(CountFloatsInFile(path), c.count) << c.content;
    }
}

TEST_F(TextDataFiles, FloatListReaderStoresNoMoreThanTheCapacity)
{
    const auto path = m_home.File("five.txt");
    ASSERT_TRUE(testsupport::WriteBytes(path, "1\n2\n3\n4\n5\n"));
    std::array<float, 5> values;
    values.fill(kUntouched);
    EXPECT_EQ(ReadFloatList(path, std::span(values).first(2)), 2);
    EXPECT_EQ(values[0], 1.0f);
    EXPECT_EQ(values[1], 2.0f);
    EXPECT_EQ(values[2], kUntouched);
    EXPECT_EQ(ReadFloatList(path, std::span<float>()), 0);
}

TEST_F(TextDataFiles, NumbersBeyondTheFloatRangeBecomeInfinite)
{
    const auto path = m_home.File("huge.txt");
    ASSERT_TRUE(testsupport::WriteBytes(path, "1e300 -1e300 1e-300\n"));
    std::array<float, 3> values{};
    EXPECT_EQ(ReadFloatList(path, values), 3);
    EXPECT_EQ(values[0], std::numeric_limits<float>::infinity());
    EXPECT_EQ(values[1], -std::numeric_limits<float>::infinity());
    EXPECT_EQ(values[2], 0.0f);
}

TEST_F(TextDataFiles, PairsReaderStopsAtTheCapacity)
{
    const auto path = m_home.File("limits.txt");
    ASSERT_TRUE(testsupport::WriteBytes(path, "1 10\n2 20\n3 30\n4 40\n5 50\n"));
    std::array<float, 5> first;
    std::array<float, 5> second;
    first.fill(kUntouched);
    second.fill(kUntouched);
    EXPECT_EQ(ReadFloatPairs(path, std::span(first).first(3), std::span(second).first(3)), 3);
    EXPECT_EQ(first[2], 3.0f);
    EXPECT_EQ(second[2], 30.0f);
    EXPECT_EQ(first[3], kUntouched);
    EXPECT_EQ(second[3], kUntouched);

    // The smaller array sets the capacity.
    second.fill(kUntouched);
    EXPECT_EQ(ReadFloatPairs(path, first, std::span(second).first(2)), 2);
    EXPECT_EQ(second[2], kUntouched);
}

TEST_F(TextDataFiles, PairsReaderSkipsLinesWithoutTwoNumbers)
{
    const auto path = m_home.File("limits.txt");
    ASSERT_TRUE(testsupport::WriteBytes(path,
                                        "Frequency Level\n"
                                        "\n"
                                        "100 -3.5\n"
                                        "200\n"
                                        "; comment 1 2\n"
                                        "   \n"
                                        "1.0e+003\t-6.25 trailing words\n"
                                        "4000,5\n"
                                        "8e+003 1.5E-001\n"));
    std::array<float, 10> first{};
    std::array<float, 10> second{};
    ASSERT_EQ(ReadFloatPairs(path, first, second), 3);
    EXPECT_EQ(first[0], 100.0f);
    EXPECT_EQ(second[0], -3.5f);
    EXPECT_EQ(first[1], 1000.0f);
    EXPECT_EQ(second[1], -6.25f);
    EXPECT_EQ(first[2], 8000.0f);
    EXPECT_FLOAT_EQ(second[2], 0.15f);
}

TEST_F(TextDataFiles, PairsReaderTakesCrlfFiles)
{
    const auto path = m_home.File("windows.txt");
    ASSERT_TRUE(testsupport::WriteBytes(path, "Hz dB\r\n20 -1.5\r\n\r\n20000 0.25\r\n"));
    std::array<float, 4> first{};
    std::array<float, 4> second{};
    ASSERT_EQ(ReadFloatPairs(path, first, second), 2);
    EXPECT_EQ(first[0], 20.0f);
    EXPECT_EQ(second[0], -1.5f);
    EXPECT_EQ(first[1], 20000.0f);
    EXPECT_EQ(second[1], 0.25f);
}

TEST_F(TextDataFiles, PairsReaderReadsOverlongLinesInPieces)
{
    // The tail of an overlong line is read as a line of its own.
    const auto path = m_home.File("long.txt");
    const std::string longLine = "x" + std::string(kTextDataLineCharacters - 1, ' ') + "7 8\n";
    ASSERT_TRUE(testsupport::WriteBytes(path, longLine + "1 2\n"));
    std::array<float, 4> first{};
    std::array<float, 4> second{};
    ASSERT_EQ(ReadFloatPairs(path, first, second), 2);
    EXPECT_EQ(first[0], 7.0f);
    EXPECT_EQ(first[1], 1.0f);
}

TEST_F(TextDataFiles, TriplesSpanLinesAndDropAnIncompleteLastOne)
{
    const auto path = m_home.File("table.txt");
    ASSERT_TRUE(testsupport::WriteBytes(path, "1 2 3\n4\n5 6\n7 8\n"));
    std::array<float, 4> a;
    std::array<float, 4> b;
    std::array<float, 4> c;
    a.fill(kUntouched);
    b.fill(kUntouched);
    c.fill(kUntouched);
    ASSERT_EQ(ReadFloatTriples(path, a, b, c), 2);
    EXPECT_EQ((std::array<float, 3>{a[0], b[0], c[0]}), (std::array<float, 3>{1, 2, 3}));
    EXPECT_EQ((std::array<float, 3>{a[1], b[1], c[1]}), (std::array<float, 3>{4, 5, 6}));
    EXPECT_EQ(a[2], kUntouched);

    // The smallest array sets the capacity.
    c.fill(kUntouched);
    EXPECT_EQ(ReadFloatTriples(path, a, b, std::span(c).first(1)), 1);
    EXPECT_EQ(c[1], kUntouched);
}

TEST_F(TextDataFiles, BinaryFloatsAreRawLittleEndian)
{
    const auto path = m_home.File("dump.bin");
    EXPECT_EQ(WriteFloatBinary(path, std::vector<float>{1.0f, -2.0f}), 2);
    EXPECT_EQ(AppendFloatBinary(path, std::vector<float>{0.1f}), 1);
    EXPECT_EQ(testsupport::Hex(testsupport::ReadBytes(path)), "00 00 80 3f 00 00 00 c0 cd cc cc 3d");
    // Writing again starts over.
    EXPECT_EQ(WriteFloatBinary(path, std::vector<float>{}), 0);
    EXPECT_EQ(testsupport::ReadBytes(path), "");
}

TEST_F(TextDataFiles, BinaryWriterHandlesMoreThanOneChunk)
{
    std::vector<float> values(10000);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<float>(i);
    const auto path = m_home.File("big.bin");
    EXPECT_EQ(WriteFloatBinary(path, values), 10000);
    const std::string bytes = testsupport::ReadBytes(path);
    ASSERT_EQ(bytes.size(), 40000u);
    // 9999.0f is 0x461C3C00.
    EXPECT_EQ(testsupport::Hex(bytes.substr(39996)), "00 3c 1c 46");
}

TEST_F(TextDataFiles, StringListRoundTripsWithEmptyElements)
{
    const std::vector<std::string> list = {
        "", "block_1.dat", "", " leading blank", "Caf\xC3\xA9 \xE2\x82\xAC", ""};
    const auto path = m_home.File("blocks.txt");
    EXPECT_EQ(WriteStringList(path, list), 0);
    EXPECT_EQ(testsupport::ReadBytes(path),
              "6\n\nblock_1.dat\n\n leading blank\nCaf\xC3\xA9 \xE2\x82\xAC\n\n");
    std::vector<std::string> read = {"old"};
    EXPECT_EQ(ReadStringList(path, read), 0);
    EXPECT_EQ(read, list);
}

TEST_F(TextDataFiles, StringListWriterReportsAFileItCannotCreate)
{
    EXPECT_EQ(WriteStringList(m_home.File("nowhere/blocks.txt"), {"a"}), -1);
}

TEST_F(TextDataFiles, StringListReaderCases)
{
    struct Case
    {
        const char* name;
        std::string content;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"short file leaves the last elements empty", "3\na\nb\n", {"a", "b", ""}},
        {"extra lines are ignored", "2\na\nb\nc\n", {"a", "b"}},
        {"last line without line feed", "2\na\nb", {"a", "b"}},
        {"CRLF", "2\r\nfirst\r\nsecond\r\n", {"first", "second"}},
        {"Windows-1252", "2\r\nCaf\xE9\r\n\x80 5\r\n", {"Caf\xC3\xA9", "\xE2\x82\xAC 5"}},
        {"count without a number", "none\na\nb\n", {}},
        {"empty count line", "\na\nb\n", {}},
        {"negative count", "-1\na\n", {}},
        {"zero count", "0\na\n", {}},
        {"empty file", "", {}},
    };
    const auto path = m_home.File("blocks.txt");
    for (const auto& c : cases)
    {
        ASSERT_TRUE(testsupport::WriteBytes(path, c.content));
        std::vector<std::string> read = {"stale", "stale"};
        EXPECT_EQ(ReadStringList(path, read), 0) << c.name;
        EXPECT_EQ(read, c.expected) << c.name;
    }
}

TEST_F(TextDataFiles, StringListCountFromTheFileIsCapped)
{
    const auto path = m_home.File("blocks.txt");
    ASSERT_TRUE(testsupport::WriteBytes(path, "4000000000\nfirst\nsecond\n"));
    std::vector<std::string> read;
    EXPECT_EQ(ReadStringList(path, read), 0);
    ASSERT_EQ(read.size(), kMaxStringListCount);
    EXPECT_EQ(read[0], "first");
    EXPECT_EQ(read[1], "second");
    EXPECT_EQ(read[2], "");
    EXPECT_EQ(read.back(), "");
}

TEST_F(TextDataFiles, StringListReaderSplitsOverlongLinesBetweenCharacters)
{
    // 8190 ASCII characters, then two-byte characters: the first piece ends after the first
    // "é" (8191 characters, 8192 bytes), the remainder becomes the next element.
    const std::string head(kTextDataLineCharacters - 1, 'a');
    std::string content = "3\n";
    content.append(head).append("\xC3\xA9\xC3\xA9z\nnext\n");
    const auto path = m_home.File("long.txt");
    ASSERT_TRUE(testsupport::WriteBytes(path, content));
    std::vector<std::string> read;
    EXPECT_EQ(ReadStringList(path, read), 0);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0], head + "\xC3\xA9");
    EXPECT_EQ(read[1], "\xC3\xA9z");
    EXPECT_EQ(read[2], "next");
}

TEST_F(TextDataFiles, StringListReaderLeavesTheListAloneWithoutAFile)
{
    std::vector<std::string> read = {"kept"};
    EXPECT_EQ(ReadStringList(m_home.File("missing.txt"), read), -1);
    EXPECT_EQ(read, std::vector<std::string>{"kept"});
}

TEST(SplitString, Cases)
{
    struct Case
    {
        const char* text;
        const char* separators;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"alpha,,beta", ",", {"alpha", "", "beta"}},
        {"", ",", {""}},
        {"whole", ",", {"whole"}},
        {"a,b,", ",", {"a", "b", ""}},
        {",a", ",", {"", "a"}},
        {"a;b c", "; ", {"a", "b", "c"}},
        {"a b", "", {"a b"}},
    };
    for (const auto& c : cases)
    {
        std::vector<std::string> pieces;
        SplitString(c.text, c.separators, pieces);
        EXPECT_EQ(pieces, c.pieces) << '"' << c.text << '"';
    }
}

TEST(SplitString, AppendsWithoutClearing)
{
    std::vector<std::string> pieces = {"kept"};
    SplitString("x|y", "|", pieces);
    EXPECT_EQ(pieces, (std::vector<std::string>{"kept", "x", "y"}));
}

TEST(StripLineEnd, Cases)
{
    const std::pair<std::string, std::string> cases[] = {
        {"name\n", "name"}, {"name\r\n", "name"}, {"name", "name"}, {"\n", ""},
        {"\r\n", ""},       {"a\rb\n", "a"},      {"a\nb\r", "a"},  {"", ""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(StripLineEnd(text), expected) << testsupport::Hex(text);
}

}  // namespace

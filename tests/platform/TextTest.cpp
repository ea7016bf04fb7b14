#include "platform/Text.h"

#include <gtest/gtest.h>

namespace
{

struct Utf8Case
{
    const char* name;
    std::string bytes;
    bool valid;
};

TEST(Text, RecognisesWellFormedUtf8Only)
{
    const Utf8Case cases[] = {
        {"empty", "", true},
        {"ascii", "Pulvera 1.0", true},
        {"two-byte", "Caf\xC3\xA9", true},
        {"three-byte euro", "\xE2\x82\xAC", true},
        {"four-byte", "\xF0\x9F\x8E\xB5", true},
        {"highest code point", "\xF4\x8F\xBF\xBF", true},
        {"windows-1252 e-acute", "Caf\xE9", false},
        {"lone continuation", "\x80", false},
        {"overlong slash", "\xC0\xAF", false},
        {"overlong three-byte", "\xE0\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"cut sequence", "\xE2\x82", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::IsValidUtf8(c.bytes), c.valid) << c.name;
}

TEST(Text, DecodesWindows1252IncludingTheC1Range)
{
    EXPECT_EQ(platform::DecodeWindows1252("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(platform::DecodeWindows1252("\x80"), "\xE2\x82\xAC");                    // euro sign
    EXPECT_EQ(platform::DecodeWindows1252("\x93x\x94"), "\xE2\x80\x9Cx\xE2\x80\x9D");  // curly quotes
    EXPECT_EQ(platform::DecodeWindows1252("\x9F"), "\xC5\xB8");                        // Y with diaeresis
    EXPECT_EQ(platform::DecodeWindows1252("\x81"), "\xC2\x81");    // unassigned: kept as C1
    EXPECT_EQ(platform::DecodeWindows1252("\xB5s"), "\xC2\xB5s");  // micro sign
}

TEST(Text, TextFromFileKeepsUtf8AndDecodesTheRest)
{
    EXPECT_EQ(platform::TextFromFile("Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(platform::TextFromFile("Caf\xE9"), "Caf\xC3\xA9");
}

TEST(Text, TruncationNeverSplitsACharacter)
{
    const std::string text =
        "a\xC3\xA9\xE2\x82\xAC"
        "b";  // a é € b
    EXPECT_EQ(platform::CountCharacters(text), 4u);
    EXPECT_EQ(platform::TruncateCharacters(text, 0), "");
    EXPECT_EQ(platform::TruncateCharacters(text, 2), "a\xC3\xA9");
    EXPECT_EQ(platform::TruncateCharacters(text, 3), "a\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(platform::TruncateCharacters(text, 10), text);
    // A stray byte counts as one character and is kept whole.
    EXPECT_EQ(platform::TruncateCharacters("\xFFxy", 2), "\xFFx");
}

TEST(Text, UpperCasingKnowsLatin1Letters)
{
    EXPECT_EQ(platform::ToUpperLatin1("Gain a\xC3\xA9\xC3\xBF\xC5\x93"), "GAIN A\xC3\x89\xC5\xB8\xC5\x92");
    EXPECT_EQ(platform::ToUpperLatin1("\xC3\x9F\xC2\xB5\xC3\xB7"), "\xC3\x9F\xC2\xB5\xC3\xB7");  // ß µ ÷ stay
    EXPECT_TRUE(platform::EqualsNoCase("Input Channel Matrix", "INPUT channel MATRIX"));
    EXPECT_TRUE(platform::EqualsNoCase("M\xC3\xBCller", "M\xC3\x9CLLER"));
    EXPECT_FALSE(platform::EqualsNoCase("Level", "Levels"));
    EXPECT_FALSE(platform::EqualsNoCase("a", "b"));
}

}  // namespace

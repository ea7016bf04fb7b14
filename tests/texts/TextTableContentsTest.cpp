// Checks over the whole text table: what every caller of a text relies on in every language.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/Text.h"
#include "texts/TextTable.h"

namespace
{

const char* const kLanguageNames[LANGUAGE_COUNT] = {"English", "German", "Italian", "Spanish", "French"};
const std::vector<int> kLongTextIds = {1,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                       16, 17, 18, 20, 21, 22, 26, 27, 30, 31};

// The printf conversion specifications of a text, each as written ("%.2f", "%i", "%3.1f"), in
// order. "%%" prints a percent sign and is none; a "%" that starts no valid specification is
// listed with what follows it up to where it fails, so that a translation must match that too.
std::vector<std::string> Placeholders(const std::string& text)
{
    std::vector<std::string> found;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '%')
            continue;
        const std::size_t start = i++;
        if (i < text.size() && text[i] == '%')
            continue;
        while (i < text.size() && std::strchr("-+ #0'", text[i]))
            ++i;
        if (i < text.size() && text[i] == '*')
            ++i;
        else
            while (i < text.size() && text[i] >= '0' && text[i] <= '9')
                ++i;
        if (i < text.size() && text[i] == '.')
        {
            ++i;
            if (i < text.size() && text[i] == '*')
                ++i;
            else
                while (i < text.size() && text[i] >= '0' && text[i] <= '9')
                    ++i;
        }
        for (const char* length : {"hh", "ll", "I64", "I32", "h", "l", "L", "q", "j", "z", "t", "I"})
            if (text.compare(i, std::strlen(length), length) == 0)
            {
                i += std::strlen(length);
                break;
            }
        if (i < text.size() && std::strchr("diouxXeEfFgGaAcspn", text[i]))
            found.push_back(text.substr(start, i - start + 1));
        else
        {
            found.push_back("<malformed>" + text.substr(start, i - start));
            --i;  // the character that ended it is text
        }
    }
    return found;
}

std::string Join(const std::vector<std::string>& items)
{
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : " ") + item;
    return "[" + out + "]";
}

TEST(TextTableContentsPlaceholders, TheParserReadsFullSpecificationsAndSkipsPercentSigns)
{
    const struct
    {
        const char* text;
        std::vector<std::string> expected;
    } cases[] = {
        {"no placeholder", {}},
        {"THD+N (%.2fdB %.3f%%)", {"%.2f", "%.3f"}},
        {"%3.1fdB(A) %0.1fdB %-5d %+i %#x %ld %lld %hhu %I64d %*.*f %s",
         {"%3.1f", "%0.1f", "%-5d", "%+i", "%#x", "%ld", "%lld", "%hhu", "%I64d", "%*.*f", "%s"}},
        {"100%% sure", {}},
        {"plot in %", {"<malformed>%"}},
        {"50 %, %s", {"<malformed>%", "%s"}},
        // A blank is a flag: "% o" converts in octal and so must match like any other placeholder.
        {"100 % off", {"% o"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Placeholders(c.text), c.expected) << c.text;
}

// A flat list of ids as the lists of rows are written: single ids and ranges.
std::set<int> Rows(std::initializer_list<std::pair<int, int>> ranges)
{
    std::set<int> rows;
    for (const auto& [first, last] : ranges)
        for (int id = first; id <= last; ++id)
            rows.insert(id);
    return rows;
}

constexpr std::pair<int, int> One(int id)
{
    return {id, id};
}

// The rows that hold the English text, per language.
const std::set<int> kEnglishInGerman = Rows({
    One(1000044),
    One(1000060),
    {1000096, 1000097},
    One(1000099),
    {1000102, 1000104},
    One(1000162),
    One(1000203),
    One(1000269),
    One(1000368),
    {1000397, 1000399},
    {1000403, 1000444},
    {1000446, 1000447},
    {1000449, 1000536},
    {1000538, 1000568},
    {1000571, 1000576},
    {1000580, 1000594},
    One(1000621),
    One(1000624),
});

const std::set<int> kEnglishInItalian = Rows({
    One(1000020),       {1000027, 1000028}, {1000044, 1000045}, One(1000064),       One(1000097),
    One(1000103),       One(1000164),       One(1000202),       One(1000220),       One(1000240),
    One(1000244),       One(1000249),       One(1000251),       {1000260, 1000261}, One(1000264),
    One(1000266),       One(1000269),       One(1000277),       One(1000288),       One(1000300),
    One(1000305),       One(1000368),       One(1000373),       One(1000378),       One(1000403),
    One(1000426),       One(1000437),       {1000446, 1000447}, One(1000449),       One(1000452),
    One(1000455),       One(1000461),       One(1000469),       One(1000479),       One(1000483),
    {1000494, 1000495}, {1000499, 1000509}, One(1000519),       One(1000523),       One(1000525),
    One(1000532),       {1000543, 1000544}, {1000551, 1000560}, One(1000562),       One(1000574),
    One(1000578),       {1000593, 1000594}, One(1000601),       {1000608, 1000651},
});

const std::set<int> kEnglishInSpanish = Rows({
    {1000040, 1000042}, One(1000044),       One(1000058),       One(1000064),       One(1000071),
    One(1000097),       One(1000103),       One(1000163),       {1000200, 1000202}, One(1000232),
    One(1000239),       One(1000244),       One(1000261),       {1000264, 1000265}, One(1000269),
    One(1000292),       One(1000363),       One(1000368),       {1000377, 1000378}, One(1000426),
    One(1000433),       One(1000437),       One(1000449),       One(1000452),       One(1000461),
    One(1000479),       One(1000483),       {1000494, 1000495}, One(1000499),       One(1000519),
    {1000543, 1000544}, {1000589, 1000590}, {1000593, 1000594}, One(1000599),       {1000608, 1000651},
});

const std::set<int> kEnglishInFrench = Rows({
    One(1000019),       One(1000025),       {1000028, 1000029}, One(1000038),       One(1000041),
    One(1000044),       One(1000050),       One(1000052),       One(1000060),       {1000064, 1000065},
    One(1000071),       {1000096, 1000097}, One(1000099),       {1000103, 1000105}, {1000130, 1000131},
    One(1000141),       One(1000163),       One(1000170),       One(1000180),       One(1000200),
    One(1000220),       One(1000223),       One(1000232),       One(1000244),       One(1000248),
    One(1000257),       {1000261, 1000262}, {1000264, 1000265}, One(1000293),       {1000299, 1000300},
    One(1000302),       {1000323, 1000324}, One(1000333),       One(1000368),       One(1000373),
    One(1000377),       One(1000404),       One(1000413),       One(1000418),       One(1000426),
    One(1000437),       One(1000447),       One(1000449),       One(1000455),       One(1000461),
    One(1000479),       One(1000483),       {1000494, 1000495}, {1000499, 1000500}, {1000506, 1000510},
    {1000512, 1000519}, One(1000532),       One(1000538),       {1000543, 1000544}, One(1000550),
    One(1000562),       One(1000568),       One(1000574),       One(1000590),       {1000593, 1000594},
    One(1000598),       {1000608, 1000651},
});

// The same in all five languages: names and the default document title.
const std::set<int> kSameEverywhere = {1000445, 1000569, 1000570};

const std::set<int>& EnglishRows(int language)
{
    static const std::set<int> none;
    switch (language)
    {
        case LANGUAGE_GERMAN:
            return kEnglishInGerman;
        case LANGUAGE_ITALIAN:
            return kEnglishInItalian;
        case LANGUAGE_SPANISH:
            return kEnglishInSpanish;
        case LANGUAGE_FRENCH:
            return kEnglishInFrench;
        default:
            return none;
    }
}

// Rows whose own translation happens to be spelt as the English word ("Status", "Start"); each was
// checked by hand. A row that differs from English but is listed here fails too, so the list
// stays exact.
const std::set<std::pair<int, int>> kTranslationEqualsEnglish = {
    {LANGUAGE_GERMAN, 1000042},   // "Cursor"
    {LANGUAGE_GERMAN, 1000202},   // "Sweep"
    {LANGUAGE_GERMAN, 1000264},   // "paramViewer", the name of a view, kept in the other languages too
    {LANGUAGE_SPANISH, 1000216},  // "balance"
    {LANGUAGE_FRENCH, 1000216},   // "balance"
    {LANGUAGE_FRENCH, 1000269},   // "auto"
};

class TextTableContentsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { EnsureTextTable(); }
    static void TearDownTestSuite() { FreeTextTable(); }

    static std::string Text(int id, int language) { return GetTextForLanguage(id, language); }
};

TEST_F(TextTableContentsTest, NoEntryIsEmpty)
{
    std::ostringstream empty;
    for (int language = 0; language < LANGUAGE_COUNT; ++language)
        for (int id = TEXT_ID_FIRST; id <= TEXT_ID_LAST; ++id)
            if (Text(id, language).empty())
                empty << ' ' << kLanguageNames[language] << ' ' << id;
    EXPECT_EQ(empty.str(), "");
}

TEST_F(TextTableContentsTest, EveryTextIsValidUtf8OfTheLatin1Letters)
{
    std::ostringstream invalid;
    std::ostringstream outside;
    for (int language = 0; language < LANGUAGE_COUNT; ++language)
    {
        std::vector<std::pair<int, std::string>> texts;
        for (int id = TEXT_ID_FIRST; id <= TEXT_ID_LAST; ++id)
            texts.emplace_back(id, Text(id, language));
        for (const int id : kLongTextIds)
            texts.emplace_back(id, Text(id, language));
        for (const auto& [id, text] : texts)
        {
            if (!platform::IsValidUtf8(text))
            {
                invalid << ' ' << kLanguageNames[language] << ' ' << id;
                continue;
            }
            // Every character lies in ISO 8859-1 (printable: no C1 controls), so the texts also
            // fit the single-byte code page of files the program exchanges.
            for (std::size_t i = 0; i < text.size(); ++i)
            {
                const auto c = static_cast<unsigned char>(text[i]);
                const bool latin1 =
                    c < 0x80 ||
                    (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0xA0) ||
                    c == 0xC3;
                if (!latin1)
                {
                    outside << ' ' << kLanguageNames[language] << ' ' << id << " \"" << text << '"';
                    break;
                }
                if (c >= 0x80)
                    ++i;
            }
        }
    }
    EXPECT_EQ(invalid.str(), "") << "texts that are not valid UTF-8";
    EXPECT_EQ(outside.str(), "") << "texts with characters outside ISO 8859-1";
}

TEST_F(TextTableContentsTest, NoTextHoldsAMenuMnemonicOrAnAccelerator)
{
    // Menu translation shows a table text as a caption; the accelerator after a tab is the menu's own.
    std::ostringstream found;
    for (int language = 0; language < LANGUAGE_COUNT; ++language)
        for (int id = TEXT_ID_FIRST; id <= TEXT_ID_LAST; ++id)
            if (Text(id, language).find_first_of("&\t") != std::string::npos)
                found << ' ' << kLanguageNames[language] << ' ' << id;
    EXPECT_EQ(found.str(), "");
}

TEST_F(TextTableContentsTest, EveryTranslationTakesThePlaceholdersOfTheEnglishTextInOrder)
{
    std::ostringstream mismatches;
    int formatted = 0;
    const auto check = [&](int id)
    {
        const std::vector<std::string> english = Placeholders(Text(id, LANGUAGE_ENGLISH));
        if (!english.empty())
            ++formatted;
        for (int language = LANGUAGE_GERMAN; language < LANGUAGE_COUNT; ++language)
        {
            const std::vector<std::string> translated = Placeholders(Text(id, language));
            if (translated != english)
                mismatches << "\n  " << id << ' ' << kLanguageNames[language] << ": " << Join(translated)
                           << " instead of " << Join(english) << " in \"" << Text(id, language) << '"';
        }
    };
    for (int id = TEXT_ID_FIRST; id <= TEXT_ID_LAST; ++id)
        check(id);
    for (const int id : kLongTextIds)
        check(id);
    EXPECT_EQ(mismatches.str(), "");
    // The table has its formatted rows (1000067, 1000083, 1000106, ..., 1000611, 1000625).
    EXPECT_GE(formatted, 25);
}

TEST_F(TextTableContentsTest, RowsListedAsEnglishHoldTheEnglishText)
{
    std::ostringstream differing;
    for (int language = LANGUAGE_GERMAN; language < LANGUAGE_COUNT; ++language)
    {
        std::set<int> rows = EnglishRows(language);
        rows.insert(kSameEverywhere.begin(), kSameEverywhere.end());
        for (const int id : rows)
            if (Text(id, language) != Text(id, LANGUAGE_ENGLISH))
                differing << "\n  " << id << ' ' << kLanguageNames[language] << ": \"" << Text(id, language)
                          << '"';
    }
    EXPECT_EQ(differing.str(), "");
}

TEST_F(TextTableContentsTest, OtherRowsHoldTheirOwnTranslation)
{
    std::ostringstream unexpected;
    std::ostringstream stale;
    for (int language = LANGUAGE_GERMAN; language < LANGUAGE_COUNT; ++language)
    {
        const std::set<int>& englishRows = EnglishRows(language);
        for (int id = TEXT_ID_FIRST; id <= TEXT_ID_LAST; ++id)
        {
            if (englishRows.contains(id) || kSameEverywhere.contains(id))
                continue;
            const bool same = Text(id, language) == Text(id, LANGUAGE_ENGLISH);
            const bool listed = kTranslationEqualsEnglish.contains({language, id});
            if (same && !listed)
                unexpected << "\n  {" << language << ", " << id << "},  // " << kLanguageNames[language]
                           << " \"" << Text(id, language) << '"';
            if (!same && listed)
                stale << "\n  " << kLanguageNames[language] << ' ' << id << ": \"" << Text(id, language)
                      << '"';
        }
    }
    EXPECT_EQ(unexpected.str(), "") << "rows equal to English that no list names";
    EXPECT_EQ(stale.str(), "") << "rows listed as equal to English that now differ";
}

TEST_F(TextTableContentsTest, RowsTheProgramTellsApartStayApartWhereTheLanguageSaysSo)
{
    // The reverse lookup finds the lower id of these English pairs; German names the two
    // frequencies differently.
    EXPECT_EQ(Text(1000030, LANGUAGE_GERMAN), "Frequenz");
    EXPECT_EQ(Text(1000252, LANGUAGE_GERMAN), "Grenzfrequenz");
    const std::pair<int, int> pairs[] = {{1000015, 1000061}, {1000018, 1000107}, {1000030, 1000252},
                                         {1000117, 1000605}, {1000300, 1000373}, {1000345, 1000644},
                                         {1000435, 1000607}};
    for (const auto& [lower, upper] : pairs)
    {
        EXPECT_TRUE(platform::EqualsNoCase(Text(lower, LANGUAGE_ENGLISH), Text(upper, LANGUAGE_ENGLISH)))
            << lower << " and " << upper;
        EXPECT_EQ(FindTextId(Text(upper, LANGUAGE_ENGLISH), -1, -1, LANGUAGE_ENGLISH), lower);
    }
    // Speech-intelligibility ratings are five different words in every language.
    for (int language = 0; language < LANGUAGE_COUNT; ++language)
    {
        std::set<std::string> ratings;
        for (int id = 1000176; id <= 1000180; ++id)
            ratings.insert(platform::ToUpperLatin1(Text(id, language)));
        EXPECT_EQ(ratings.size(), 5u) << kLanguageNames[language];
    }
}

}  // namespace

#include "texts/TextTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/NumberTexts.h"
#include "platform/Text.h"
#include "tests/support/TempHome.h"
#include "texts/LanguageChoice.h"

namespace
{

// Every test reads the language from its own temporary registry; UseLanguage makes a code current
// without touching it.
class TextTableTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override { FreeTextTable(); }
    void TearDown() override
    {
        FreeTextTable();
        g_bLanguageCached = 0;
        g_nLanguage = LANGUAGE_ENGLISH;
    }
    static void UseLanguage(int code)
    {
        g_nLanguage = code;
        g_bLanguageCached = 1;
    }
};

const std::string kEnglishReverbWizard =
    "Welcome to the easy measurement wizard.\n\nThis step-by-step measurement wizard will guide through to "
    "the "
    "measurement of reverberation time.\n\nThis measurement requires the following steps:\n1) Connection of "
    "loudspeaker/microphone and positioning\n2) Selection of path to store the results\n3) Optional "
    "calibrating\n4) Guided adjustment of volume and gain\n\nAll other parameters are set automatically.\n";

const std::string kEnglishVolumeAdjustment =
    "You will now here a sine tone with 1kHz. Please adjust the analog volume very carefully.\nYou will need "
    "maximum level but with low distortion.\n!!!! High volume can easly damage your equipment !!!!\n !!!! "
    "Wear "
    "ear protection !!!!\n";

const std::vector<int> kLongTextIds = {1,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                       16, 17, 18, 20, 21, 22, 26, 27, 30, 31};

TEST_F(TextTableTest, TableTextsFollowTheLanguage)
{
    const struct
    {
        int id;
        int language;
        const char* expected;
    } cases[] = {
        {1000015, LANGUAGE_ENGLISH, "Calibration"},
        {1000015, LANGUAGE_GERMAN, "Kalibrierung"},
        {1000061, LANGUAGE_ENGLISH, "calibration"},
        {1000607, LANGUAGE_ITALIAN, "configurare"},
        {1000608, LANGUAGE_ITALIAN, "double click to edit"},
        {1000621, LANGUAGE_GERMAN, "mono"},
        {1000624, LANGUAGE_GERMAN, "stereo"},
        {1000611, LANGUAGE_ITALIAN, "Error: not calibrated for sone measurement. Level is %3.1fdB(A)"},
        {1000611, LANGUAGE_SPANISH, "Error: not calibrated for sone measurement. Level is %3.1fdB(A)"},
        {1000611, LANGUAGE_FRENCH, "Error: not calibrated for sone measurement. Level is %3.1fdB(A)"},
        {1000651, LANGUAGE_FRENCH, "frequency range"},
        {1000570, LANGUAGE_SPANISH, "Halvek"},
        {1000569, LANGUAGE_GERMAN, "1 Unbenannt"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "id " << c.id << ", language " << c.language);
        EXPECT_EQ(GetTextForLanguage(c.id, c.language), c.expected);
        UseLanguage(c.language);
        EXPECT_EQ(GetText(c.id), c.expected);
        EXPECT_EQ(GetTextForLanguage(c.id, LANGUAGE_CURRENT), c.expected);
    }
}

TEST_F(TextTableTest, FirstLookupBuildsTheWholeTableAndFreeingLetsTheNextLookupRebuildIt)
{
    FreeTextTable();  // nothing to free: no effect
    EXPECT_EQ(g_pTextTable, nullptr);

    EXPECT_EQ(GetTextForLanguage(1000015, LANGUAGE_ENGLISH), "Calibration");
    ASSERT_NE(g_pTextTable, nullptr);
    EXPECT_EQ(g_pTextTable->m_nLanguages, LANGUAGE_COUNT);
    for (const auto& texts : g_pTextTable->m_arrTexts)
        EXPECT_EQ(texts.size(), static_cast<std::size_t>(TEXT_COUNT));

    FreeTextTable();
    EXPECT_EQ(g_pTextTable, nullptr);
    FreeTextTable();
    EXPECT_EQ(GetTextForLanguage(1000015, LANGUAGE_GERMAN), "Kalibrierung");
    EXPECT_NE(g_pTextTable, nullptr);

    // A long text needs no table.
    FreeTextTable();
    EXPECT_FALSE(GetTextForLanguage(3, LANGUAGE_ENGLISH).empty());
    EXPECT_EQ(g_pTextTable, nullptr);
}

TEST_F(TextTableTest, ItalianSpanishAndFrenchKeepEnglishBeyondTheTranslatedRows)
{
    std::array<std::vector<std::string>, LANGUAGE_COUNT> texts;
    BuildTextTables(texts);
    for (int language = LANGUAGE_ITALIAN; language <= LANGUAGE_FRENCH; ++language)
    {
        const auto& array = texts[static_cast<std::size_t>(language)];
        ASSERT_EQ(array.size(), static_cast<std::size_t>(TEXT_COUNT));
        for (int index = TEXT_COUNT_TRANSLATED; index < TEXT_COUNT; ++index)
            EXPECT_EQ(array[static_cast<std::size_t>(index)], kEnglishTexts[static_cast<std::size_t>(index)])
                << "language " << language << ", id " << TEXT_ID_FIRST + index;
    }

    // A fill only overwrites the translated rows.
    std::vector<std::string> seeded(TEXT_COUNT, "seed");
    FillItalianTexts(seeded);
    EXPECT_EQ(seeded[static_cast<std::size_t>(1000607 - TEXT_ID_FIRST)], "configurare");
    EXPECT_EQ(seeded[static_cast<std::size_t>(1000608 - TEXT_ID_FIRST)], "seed");
}

TEST_F(TextTableTest, IdsWithoutATextGiveAnEmptyTextInEveryLanguage)
{
    // Beyond the table there is nothing to index: an empty text, as for the small ids.
    const int ids[] = {INT_MIN, -5, -1, 0,  2,  12,   13,      14,      15,      19,     23,
                       24,      25, 28, 29, 32, 1000, 1000014, 1000652, 1001000, INT_MAX};
    for (int language = LANGUAGE_CURRENT; language < LANGUAGE_COUNT + 2; ++language)
        for (const int id : ids)
            EXPECT_EQ(GetTextForLanguage(id, language), "") << "id " << id << ", language " << language;
}

TEST_F(TextTableTest, LanguageCodesOutsideTheFiveReadEnglish)
{
    for (const int language : {-2, 5, 6, 255, INT_MAX, INT_MIN})
    {
        SCOPED_TRACE(language);
        EXPECT_EQ(GetTextForLanguage(1000015, language), "Calibration");
        EXPECT_EQ(GetTextForLanguage(1000651, language), "frequency range");
        EXPECT_EQ(GetTextForLanguage(1, language), kEnglishReverbWizard);
        UseLanguage(language);
        EXPECT_EQ(GetText(1000015), "Calibration");
        EXPECT_EQ(GetTextCapitalized(1000061), "Calibration");
        EXPECT_EQ(FindTextId("CALIBRATION", -1, -1, LANGUAGE_CURRENT), 1000015);
    }
}

TEST_F(TextTableTest, LongTextsExistInEnglishGermanAndItalianAndSpanishAndFrenchReadEnglish)
{
    const struct
    {
        int id;
        std::string english;
    } golden[] = {
        {1, kEnglishReverbWizard},
        {3, "Assistant is already running. Do you want to abort it?"},
        {6, kEnglishVolumeAdjustment},
        {7, "If the level is adjusted and both meters are green press 'OK' to continue\n"},
        {8, "Sorry, I can't find the sine signal. Please check the connections or mixer settings"},
        {9,
         "The sine signal is not clean. THD+N (%.2fdB %.3f%%) is too low. Please check your setup. It might "
         "be "
         "caused by distortion or other noise sources."},
        {10,
         "The input level is too high, which might cause clipping. Please reduce the input gain (not the "
         "volume) and repeat\n"},
        {11,
         "The sine signal level is too low. We need at least %.1fdB headroom against the noise floor. Please "
         "shut down any noise sources or increase the signal level. The current headroom is %0.1fdB"},
        {16, "No valid impulse response available.\nPlease start a measurement first or load a file."},
        {17, "Can't open file for reading"},
        {18, "Can't open file for writing"},
        {20, "Folder contains no subfolder with saved impulse respones.\nSearch for 'impulse.wav' aborted'"},
        {21, ".wav files contain invalid number of channels"},
        {22, ".wav files use different sample rates"},
        {26,
         "Welcome to the easy measurement wizard.\n\nThis step-by-step measurement wizard will guide through "
         "to "
         "the measurement of reverberation time.\n\nThis measurement requires the following steps:\n1) "
         "Connection of the microphone\n2) Selection of path to store the results\n3) Optional "
         "calibrating\n4) Start of the acoustic shock with pistol, ballon etc.\n\nAll other parameters are "
         "set automatically.\n"},
        {27, kEnglishReverbWizard},
        {30, kEnglishReverbWizard},
        {31, kEnglishVolumeAdjustment},
    };
    for (const auto& g : golden)
        EXPECT_EQ(GetTextForLanguage(g.id, LANGUAGE_ENGLISH), g.english) << "id " << g.id;
    EXPECT_NE(GetTextForLanguage(5, LANGUAGE_ENGLISH).find("The measurement will take 5s."),
              std::string::npos);

    for (const int id : kLongTextIds)
    {
        SCOPED_TRACE(testing::Message() << "id " << id);
        const std::string english = GetTextForLanguage(id, LANGUAGE_ENGLISH);
        const std::string german = GetTextForLanguage(id, LANGUAGE_GERMAN);
        const std::string italian = GetTextForLanguage(id, LANGUAGE_ITALIAN);
        EXPECT_FALSE(english.empty());
        EXPECT_FALSE(german.empty());
        EXPECT_FALSE(italian.empty());
        EXPECT_NE(german, english);
        EXPECT_NE(italian, english);
        EXPECT_NE(german, italian);
        EXPECT_EQ(GetTextForLanguage(id, LANGUAGE_SPANISH), english);
        EXPECT_EQ(GetTextForLanguage(id, LANGUAGE_FRENCH), english);
        for (const int language : {LANGUAGE_ENGLISH, LANGUAGE_GERMAN, LANGUAGE_ITALIAN, LANGUAGE_SPANISH})
        {
            UseLanguage(language);
            EXPECT_EQ(GetText(id), GetTextForLanguage(id, language));
        }
    }
}

TEST_F(TextTableTest, WizardVariantsShareTheirBodiesAsTheLanguagesDo)
{
    // Italian (and English) reuse one introduction and one volume prompt; German has its own for
    // interrupted noise, for the attenuation wizard and for its volume prompt.
    const struct
    {
        int id;
        int sameAs;
    } pairs[] = {{27, 1}, {30, 1}, {31, 6}};
    for (const auto& p : pairs)
    {
        SCOPED_TRACE(testing::Message() << p.id << " and " << p.sameAs);
        EXPECT_EQ(GetTextForLanguage(p.id, LANGUAGE_ENGLISH), GetTextForLanguage(p.sameAs, LANGUAGE_ENGLISH));
        EXPECT_EQ(GetTextForLanguage(p.id, LANGUAGE_ITALIAN), GetTextForLanguage(p.sameAs, LANGUAGE_ITALIAN));
        EXPECT_NE(GetTextForLanguage(p.id, LANGUAGE_GERMAN), GetTextForLanguage(p.sameAs, LANGUAGE_GERMAN));
    }
    // The four introductions end alike in each language.
    for (const int language : {LANGUAGE_ENGLISH, LANGUAGE_GERMAN, LANGUAGE_ITALIAN})
    {
        const std::string one = GetTextForLanguage(1, language);
        const std::string closing = one.substr(one.rfind("\n\n"));
        for (const int id : {26, 27, 30})
        {
            const std::string text = GetTextForLanguage(id, language);
            EXPECT_EQ(text.substr(text.rfind("\n\n")), closing) << "id " << id << ", language " << language;
        }
    }
}

TEST_F(TextTableTest, CapitalizedTextUpperCasesOnlyTheFirstCharacter)
{
    UseLanguage(LANGUAGE_ENGLISH);
    EXPECT_EQ(GetTextCapitalized(1000061), "Calibration");
    EXPECT_EQ(GetTextCapitalized(1000015), "Calibration");
    EXPECT_EQ(GetTextCapitalized(1000650), "Slope Selection");
    EXPECT_EQ(GetTextCapitalized(2), "");
    EXPECT_EQ(GetTextCapitalized(1000652), "");

    // A first letter with an accent takes its upper-case form (Latin-1: 0x20 below), and the
    // character stays whole.
    int checked = 0;
    for (int language = LANGUAGE_GERMAN; language < LANGUAGE_COUNT; ++language)
    {
        UseLanguage(language);
        for (int id = TEXT_ID_FIRST; id <= TEXT_ID_LAST; ++id)
        {
            const std::string text = GetText(id);
            if (text.size() < 2 || static_cast<unsigned char>(text[0]) != 0xC3)
                continue;
            const auto second = static_cast<unsigned char>(text[1]);
            if (second < 0xA0 || second > 0xBE || second == 0xB7)
                continue;
            std::string expected = text;
            expected[1] = static_cast<char>(second - 0x20);
            EXPECT_EQ(GetTextCapitalized(id), expected) << "id " << id << ", language " << language;
            ++checked;
        }
    }
    if (checked == 0)
        GTEST_SKIP() << "no table text starts with an accented lower-case letter";
}

TEST_F(TextTableTest, ReverseLookupFindsTheLowestIdRegardlessOfCase)
{
    const struct
    {
        const char* text;
        int first;
        int last;
        int language;
        int expected;
    } cases[] = {
        {"calibration", -1, -1, LANGUAGE_ENGLISH, 1000015},
        {"CALIBRATION", -1, -1, LANGUAGE_ENGLISH, 1000015},
        {"calibration", 1000016, TEXT_ID_LAST, LANGUAGE_ENGLISH, 1000061},
        {"Mode", -1, -1, LANGUAGE_ENGLISH, 1000300},
        {"Mode", 1000301, TEXT_ID_LAST, LANGUAGE_ENGLISH, 1000373},
        {"Phontetogram", -1, -1, LANGUAGE_ENGLISH, 1000445},
        {"Phonetogram", -1, -1, LANGUAGE_ENGLISH, 1000446},
        {"Sweep settings", -1, -1, LANGUAGE_ENGLISH, 1000435},
        {"sweep settings", -1, -1, LANGUAGE_ENGLISH, 1000435},
        {"Folder to store the report", -1, -1, LANGUAGE_ENGLISH, 1000018},
        {"second", -1, -1, LANGUAGE_ENGLISH, 1000345},
        {"samples", -1, -1, LANGUAGE_ENGLISH, 1000117},
        {"Frequency", -1, -1, LANGUAGE_ENGLISH, 1000030},
        {"KALIBRIERUNG", -1, -1, LANGUAGE_GERMAN, 1000015},
        {"Kalibrierung", -1, -1, LANGUAGE_ENGLISH, -1},
        {"configurare", -1, -1, LANGUAGE_ITALIAN, 1000607},
        {"double click to edit", -1, -1, LANGUAGE_FRENCH, 1000608},
        // first < 0 searches the whole table whatever last says.
        {"frequency range", -1, 5, LANGUAGE_ENGLISH, 1000651},
        {"Calibration", -7, 1000015, LANGUAGE_ENGLISH, 1000015},
        // first > last is an empty range; the ends are inclusive.
        {"Calibration", 1000020, 1000019, LANGUAGE_ENGLISH, -1},
        {"Calibration", 1000015, 1000015, LANGUAGE_ENGLISH, 1000015},
        {"File", 1000016, 1000020, LANGUAGE_ENGLISH, 1000020},
        {"File", 1000016, 1000019, LANGUAGE_ENGLISH, -1},
        // Nothing is trimmed or ignored except letter case.
        {" Calibration", -1, -1, LANGUAGE_ENGLISH, -1},
        {"Calibration ", -1, -1, LANGUAGE_ENGLISH, -1},
        {"&Calibration", -1, -1, LANGUAGE_ENGLISH, -1},
        // An empty caption matches nothing, not even the ids without a text.
        {"", -1, -1, LANGUAGE_ENGLISH, -1},
        {"", 0, 40, LANGUAGE_ENGLISH, -1},
        {"", 1000600, INT_MAX, LANGUAGE_ENGLISH, -1},
        // Huge ranges end at the table; long texts lie in the range of small ids.
        {"frequency range", 0, INT_MAX, LANGUAGE_ENGLISH, 1000651},
        {"frequency range", 1000652, INT_MAX, LANGUAGE_ENGLISH, -1},
        {"Can't open file for writing", 0, 100, LANGUAGE_ENGLISH, 18},
        {"can't open file for writing", 0, 100, LANGUAGE_FRENCH, 18},
        {"Calibration", 0, 1000014, LANGUAGE_ENGLISH, -1},
        {"Calibration", 32, 1000015, LANGUAGE_ENGLISH, 1000015},
        {"Calibration", 32, 1000014, LANGUAGE_ENGLISH, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindTextId(c.text, c.first, c.last, c.language), c.expected)
            << '"' << c.text << "\" in " << c.first << ".." << c.last << ", language " << c.language;
}

// Upper case of UTF-8 text with the Latin-1 letters, written apart from the code under test:
// a-z and à-þ (without ÷) are 0x20 above their capitals.
std::string LatinUpper(const std::string& text)
{
    std::string out = text;
    for (std::size_t i = 0; i < out.size(); ++i)
    {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'a' && c <= 'z')
            out[i] = static_cast<char>(c - 0x20);
        else if (c == 0xC3 && i + 1 < out.size())
        {
            const auto next = static_cast<unsigned char>(out[i + 1]);
            if (next >= 0xA0 && next <= 0xBE && next != 0xB7)
                out[i + 1] = static_cast<char>(next - 0x20);
            ++i;
        }
    }
    return out;
}

bool HasAccentedLowerCase(const std::string& text)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
    {
        const auto next = static_cast<unsigned char>(text[i + 1]);
        if (static_cast<unsigned char>(text[i]) == 0xC3 && next >= 0xA0 && next <= 0xBE && next != 0xB7)
            return true;
    }
    return false;
}

TEST_F(TextTableTest, ReverseLookupFoldsAccentedLettersInEveryLanguage)
{
    int checked = 0;
    for (int language = LANGUAGE_GERMAN; language < LANGUAGE_COUNT; ++language)
    {
        std::vector<std::string> upper;
        for (int id = TEXT_ID_FIRST; id <= TEXT_ID_LAST; ++id)
            upper.push_back(LatinUpper(GetTextForLanguage(id, language)));
        for (int id = TEXT_ID_FIRST; id <= TEXT_ID_LAST; ++id)
        {
            const std::string text = GetTextForLanguage(id, language);
            // Only texts with an accented lower-case letter say something new here (ÿ folds outside Latin-1).
            if (!HasAccentedLowerCase(text) || text.find("\xC3\xBF") != std::string::npos)
                continue;
            int expected = TEXT_ID_FIRST;
            while (upper[static_cast<std::size_t>(expected - TEXT_ID_FIRST)] !=
                   upper[static_cast<std::size_t>(id - TEXT_ID_FIRST)])
                ++expected;
            EXPECT_EQ(FindTextId(LatinUpper(text), -1, -1, language), expected)
                << '"' << text << "\", language " << language;
            ++checked;
        }
    }
    EXPECT_GT(checked, 0) << "no translated text holds an accented lower-case letter";
}

TEST_F(TextTableTest, PaletteColoursRunFromBlackToTurquoiseAndDifferInEveryLanguage)
{
    const char* const english[20] = {"black", "blue",    "green",      "red",       "yellow",
                                     "white", "grey",    "light grey", "dark grey", "light blue",
                                     "cyan",  "magenta", "brown",      "orange",    "purple",
                                     "olive", "gold",    "beige",      "indigo",    "turquoise"};
    UseLanguage(LANGUAGE_ENGLISH);
    for (int index = 0; index < 20; ++index)
        EXPECT_EQ(GetText(1000086 + index), english[index]) << "palette index " << index;
    for (int language = 0; language < LANGUAGE_COUNT; ++language)
    {
        std::vector<std::string> names;
        for (int index = 0; index < 20; ++index)
        {
            const std::string name = GetTextForLanguage(1000086 + index, language);
            for (const std::string& other : names)
                EXPECT_NE(platform::ToUpperLatin1(name), platform::ToUpperLatin1(other))
                    << "language " << language << ": two palette colours named \"" << name << '"';
            names.push_back(name);
        }
    }
}

TEST_F(TextTableTest, FiveArgumentAdviceShowsItsValuesInOrderInEveryLanguage)
{
    for (int language = LANGUAGE_CURRENT; language < LANGUAGE_COUNT; ++language)
    {
        if (language == LANGUAGE_CURRENT)
            UseLanguage(LANGUAGE_GERMAN);
        const std::string format = GetTextForLanguage(1000391, language);
        char buffer[2048];
        const int length =
            std::snprintf(buffer, sizeof buffer, format.c_str(), 12.5, 8192, 48000.0, 77, 31.5);
        ASSERT_GT(length, 0);
        const std::string text(buffer, static_cast<std::size_t>(length));
        std::size_t position = 0;
        for (const char* value : {"12.5", "8192", "48000", "77", "31.5"})
        {
            const std::size_t found = text.find(value, position);
            ASSERT_NE(found, std::string::npos)
                << "\"" << value << "\" missing or out of order in language " << language << ": " << text;
            position = found + std::string(value).size();
        }
    }
}

TEST_F(TextTableTest, BuildingTheTableTakesTheDecimalCommaFromTheLocale)
{
    const char* saved = std::getenv("LC_ALL");
    const std::string previous = saved ? saved : "";
    g_bDecimalComma = 1;
    setenv("LC_ALL", "C", 1);
    EnsureTextTable();
    EXPECT_EQ(g_bDecimalComma, 0);
    // Built once: a second call keeps the table and the flag.
    CTextTable* const table = g_pTextTable.get();
    g_bDecimalComma = 1;
    EnsureTextTable();
    EXPECT_EQ(g_pTextTable.get(), table);
    EXPECT_EQ(g_bDecimalComma, 1);
    g_bDecimalComma = 0;
    if (saved)
        setenv("LC_ALL", previous.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

}  // namespace

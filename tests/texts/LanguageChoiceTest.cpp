#include "texts/LanguageChoice.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <unistd.h>

#include <array>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "common/RegistryValues.h"
#include "platform/Registry.h"
#include "tests/support/TempHome.h"
#include "texts/TextTable.h"

namespace
{

constexpr const char* kLocaleVariables[] = {"LC_ALL", "LC_MESSAGES", "LC_NUMERIC", "LANG", "LOCPATH"};

// A temporary registry, a clean language cache and locale variables of the test's own; all come
// back when the test ends.
class LanguageChoiceTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        for (const char* name : kLocaleVariables)
        {
            const char* value = std::getenv(name);
            m_saved[name] = value ? std::optional<std::string>(value) : std::nullopt;
            if (std::string(name) != "LOCPATH")
                unsetenv(name);
        }
        UseBuildLocales();
        g_bLanguageCached = 0;
    }
    void TearDown() override
    {
        for (const auto& [name, value] : m_saved)
        {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        g_bLanguageCached = 0;
        g_nLanguage = LANGUAGE_ENGLISH;
        for (const std::uint16_t langId : {LANGID_ENGLISH_US, LANGID_GERMAN, LANGID_ITALIAN})
            SetStringTable(langId, {});
    }

    // The build compiles a German locale of its own next to the programs; CTest points LOCPATH at
    // it, and a test started by hand finds it the same way.
    static void UseBuildLocales()
    {
        if (std::getenv("LOCPATH"))
            return;
        std::error_code error;
        const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
        if (error)
            return;
        const auto locales = exe.parent_path().parent_path() / "locales";
        if (std::filesystem::exists(locales / "de_DE.UTF-8", error))
            setenv("LOCPATH", locales.c_str(), 1);
    }

    static bool LocaleInstalled(const char* name)
    {
        const locale_t locale = newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(nullptr));
        if (locale == static_cast<locale_t>(nullptr))
            return false;
        freelocale(locale);
        return true;
    }

    static void StoreLanguage(int code)
    {
        const auto key = platform::RegistryKey::Open(kConfigurationKey, true);
        ASSERT_TRUE(key);
        ASSERT_EQ(WriteRegDword(key, kLanguageValueName, code), 0);
    }

    static std::optional<platform::RegistryValue> StoredLanguage()
    {
        const auto key = platform::RegistryKey::Open(kConfigurationKey, false);
        return key ? key.ReadValue(kLanguageValueName) : std::nullopt;
    }

    static void Restart() { g_bLanguageCached = 0; }

private:
    std::map<std::string, std::optional<std::string>> m_saved;
};

TEST_F(LanguageChoiceTest, WithoutAStoredChoiceOnlyAGermanLocaleGivesGerman)
{
    const struct
    {
        const char* variable;
        const char* value;
        int expected;
    } cases[] = {
        {"LANG", "de_DE.UTF-8", LANGUAGE_GERMAN},
        {"LANG", "de_AT.UTF-8", LANGUAGE_GERMAN},
        {"LANG", "de_CH", LANGUAGE_GERMAN},
        {"LANG", "de_DE@euro", LANGUAGE_GERMAN},
        {"LC_MESSAGES", "de_LU.UTF-8", LANGUAGE_GERMAN},
        {"LANG", "it_IT.UTF-8", LANGUAGE_ENGLISH},
        {"LANG", "es_ES.UTF-8", LANGUAGE_ENGLISH},
        {"LANG", "fr_FR.UTF-8", LANGUAGE_ENGLISH},
        {"LANG", "en_GB.UTF-8", LANGUAGE_ENGLISH},
        {"LANG", "dsb_DE.UTF-8", LANGUAGE_ENGLISH},  // Lower Sorbian, spoken in Germany: not German
        {"LANG", "C", LANGUAGE_ENGLISH},
        {"LANG", "", LANGUAGE_ENGLISH},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.variable << "=" << c.value);
        setenv(c.variable, c.value, 1);
        Restart();
        EXPECT_EQ(GetLanguage(), c.expected);
        unsetenv(c.variable);
    }
    // Nothing is written while the language is only read.
    EXPECT_FALSE(StoredLanguage().has_value());
}

TEST_F(LanguageChoiceTest, TheMessagesLocaleIsResolvedAsTheCLibraryDoes)
{
    setenv("LANG", "de_DE.UTF-8", 1);
    setenv("LC_ALL", "fr_FR.UTF-8", 1);
    Restart();
    EXPECT_EQ(GetLanguage(), LANGUAGE_ENGLISH);  // LC_ALL wins

    unsetenv("LC_ALL");
    setenv("LANG", "en_US.UTF-8", 1);
    setenv("LC_MESSAGES", "de_DE.UTF-8", 1);
    Restart();
    EXPECT_EQ(GetLanguage(), LANGUAGE_GERMAN);  // LC_MESSAGES before LANG

    setenv("LC_MESSAGES", "", 1);
    setenv("LANG", "de_DE.UTF-8", 1);
    Restart();
    EXPECT_EQ(GetLanguage(), LANGUAGE_GERMAN);  // an empty variable counts as unset
}

TEST_F(LanguageChoiceTest, AStoredCodeWinsOverTheLocaleUnchecked)
{
    setenv("LANG", "de_DE.UTF-8", 1);
    const struct
    {
        int stored;
        std::uint16_t langId;
    } cases[] = {
        {LANGUAGE_ENGLISH, LANGID_ENGLISH_US},
        {LANGUAGE_GERMAN, LANGID_GERMAN},
        {LANGUAGE_ITALIAN, LANGID_ITALIAN},
        {LANGUAGE_SPANISH, LANGID_SPANISH},
        {LANGUAGE_FRENCH, LANGID_NEUTRAL},
        {9, LANGID_NEUTRAL},
        {-3, LANGID_NEUTRAL},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.stored);
        StoreLanguage(c.stored);
        Restart();
        EXPECT_EQ(GetLanguage(), c.stored);
        EXPECT_EQ(LanguageToLangId(), c.langId);
    }
    EXPECT_EQ(LANGID_ENGLISH_US, 1033);
    EXPECT_EQ(LANGID_GERMAN, 1031);
    EXPECT_EQ(LANGID_ITALIAN, 1040);
    EXPECT_EQ(LANGID_SPANISH, 1034);

    // A code no language has reads the English texts.
    StoreLanguage(9);
    Restart();
    EXPECT_EQ(GetText(1000015), "Calibration");
    EXPECT_EQ(GetText(3), "Assistant is already running. Do you want to abort it?");
    FreeTextTable();
}

TEST_F(LanguageChoiceTest, AStoredValueOfAnotherTypeFallsBackToTheLocale)
{
    setenv("LANG", "de_DE.UTF-8", 1);
    const auto key = platform::RegistryKey::Open(kConfigurationKey, true);
    ASSERT_TRUE(key.WriteValue(kLanguageValueName, platform::RegistryType::String, "3"));
    EXPECT_EQ(GetLanguage(), LANGUAGE_GERMAN);
}

TEST_F(LanguageChoiceTest, TheChoiceIsCachedUntilSetAndOutlivesARestart)
{
    EXPECT_EQ(GetLanguage(), LANGUAGE_ENGLISH);
    StoreLanguage(LANGUAGE_FRENCH);
    EXPECT_EQ(GetLanguage(), LANGUAGE_ENGLISH);  // read once per run

    SetLanguage(LANGUAGE_ITALIAN);
    EXPECT_EQ(GetLanguage(), LANGUAGE_ITALIAN);
    const auto stored = StoredLanguage();
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->type, platform::RegistryType::Dword);
    EXPECT_EQ(stored->data, std::string("\x02\x00\x00\x00", 4));

    Restart();
    EXPECT_EQ(GetLanguage(), LANGUAGE_ITALIAN);
    EXPECT_EQ(GetText(1000607), "configurare");
    FreeTextTable();
}

TEST_F(LanguageChoiceTest, SetLanguageKeepsTheCodeForThisRunWhenItCannotBeStored)
{
    // A configuration home that is a file: the registry cannot be written.
    const auto blocked = m_home.Root() / "blocked";
    {
        std::FILE* file = std::fopen(blocked.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
    }
    setenv("XDG_CONFIG_HOME", blocked.c_str(), 1);
    SetLanguage(LANGUAGE_SPANISH);
    EXPECT_EQ(GetLanguage(), LANGUAGE_SPANISH);
    Restart();
    EXPECT_EQ(GetLanguage(), LANGUAGE_ENGLISH);
}

TEST_F(LanguageChoiceTest, PromptStringsComeFromTheTableOfTheLanguage)
{
    const StringTableEntry english[] = {{57600, "Create a new document\nNew"},
                                        {57601, "Open a document\nOpen"}};
    const StringTableEntry german[] = {{57600, "Neues Dokument erstellen\nNeu"}};
    SetStringTable(LANGID_ENGLISH_US, english);
    SetStringTable(LANGID_GERMAN, german);

    SetLanguage(LANGUAGE_GERMAN);
    EXPECT_EQ(LoadStringForLanguage(57600, LANGID_NEUTRAL), "Neues Dokument erstellen\nNeu");
    EXPECT_EQ(LoadStringForLanguage(57601, LANGID_NEUTRAL), "");  // missing in German: no English fallback
    EXPECT_EQ(LoadStringForLanguage(57601, LANGID_ENGLISH_US), "Open a document\nOpen");
    EXPECT_EQ(LoadStringForLanguage(1, LANGID_ENGLISH_US), "");

    SetLanguage(LANGUAGE_SPANISH);  // no Spanish table
    EXPECT_EQ(LoadStringForLanguage(57600, LANGID_NEUTRAL), "");
    EXPECT_EQ(LoadStringForLanguage(57600, LANGID_SPANISH), "");

    // French has no identifier of its own: the table of the user's own language.
    SetLanguage(LANGUAGE_FRENCH);
    setenv("LANG", "fr_FR.UTF-8", 1);
    EXPECT_EQ(LoadStringForLanguage(57600, LANGID_NEUTRAL), "Create a new document\nNew");
    setenv("LANG", "de_AT.UTF-8", 1);
    EXPECT_EQ(LoadStringForLanguage(57600, LANGID_NEUTRAL), "Neues Dokument erstellen\nNeu");

    // A table can be replaced.
    SetStringTable(LANGID_GERMAN, {});
    EXPECT_EQ(LoadStringForLanguage(57600, LANGID_GERMAN), "");
}

TEST_F(LanguageChoiceTest, DecimalCommaFollowsTheNumericLocaleWithoutChangingTheProcessLocale)
{
    const std::string processLocale = std::setlocale(LC_NUMERIC, nullptr);

    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(LocaleUsesDecimalComma(), 0);
    setenv("LC_ALL", "C.UTF-8", 1);
    EXPECT_EQ(LocaleUsesDecimalComma(), 0);
    setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);  // not installed: the C library's default
    EXPECT_EQ(LocaleUsesDecimalComma(), 0);
    unsetenv("LC_ALL");

    if (!LocaleInstalled("de_DE.UTF-8"))
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not available (build tessarin_test_locales)";
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    EXPECT_EQ(LocaleUsesDecimalComma(), 1);
    unsetenv("LC_ALL");
    setenv("LANG", "C", 1);
    setenv("LC_NUMERIC", "de_DE.UTF-8", 1);
    EXPECT_EQ(LocaleUsesDecimalComma(), 1);
    setenv("LC_ALL", "C", 1);  // LC_ALL overrides LC_NUMERIC
    EXPECT_EQ(LocaleUsesDecimalComma(), 0);
    unsetenv("LC_ALL");
    setenv("LC_NUMERIC", "C", 1);
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(LocaleUsesDecimalComma(), 0);

    EXPECT_EQ(std::setlocale(LC_NUMERIC, nullptr), processLocale);
    EXPECT_STREQ(std::localeconv()->decimal_point, ".");
}

}  // namespace

#include "texts/LanguageChoice.h"

#include <locale.h>
#include <clocale>
#include <cstdlib>
#include <map>

#include "common/RegistryValues.h"
#include "platform/Registry.h"
#include "texts/TextTable.h"

std::atomic<int> g_bLanguageCached{0};
std::atomic<int> g_nLanguage{LANGUAGE_ENGLISH};

namespace
{

// The locale that names the user's language for messages, as the C library resolves it.
std::string_view MessagesLocaleName()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
    {
        const char* value = std::getenv(variable);
        if (value && *value)
            return value;
    }
    return "C";
}

// Every German-speaking locale ("de_DE", "de_AT", "de_CH.UTF-8", "de") is German; nothing else is
// derived from the locale.
int LocaleLanguage()
{
    const std::string_view name = MessagesLocaleName();
    const std::string_view language = name.substr(0, name.find_first_of("_.@"));
    return language == "de" ? LANGUAGE_GERMAN : LANGUAGE_ENGLISH;
}

// The string tables by language identifier; filled at start-up, read afterwards.
std::map<std::uint16_t, std::map<unsigned, std::string>>& StringTables()
{
    static std::map<std::uint16_t, std::map<unsigned, std::string>> tables;
    return tables;
}

}  // namespace

int GetLanguage()
{
    if (g_bLanguageCached.load() != 0)
        return g_nLanguage.load();
    int language = LocaleLanguage();
    // Reading never writes a value, but the key is made when missing as it is for every setting.
    platform::RegistryKey key = platform::RegistryKey::Open(kConfigurationKey, true);
    if (key)
        ReadRegDword(key, kLanguageValueName, &language, language);
    g_nLanguage.store(language);
    g_bLanguageCached.store(1);
    return language;
}

void SetLanguage(int code)
{
    // Marked as read too: were the store to fail, a later GetLanguage must not fall back to the
    // locale in this run.
    g_nLanguage.store(code);
    g_bLanguageCached.store(1);
    platform::RegistryKey key = platform::RegistryKey::Open(kConfigurationKey, true);
    if (key)
        WriteRegDword(key, kLanguageValueName, code);
}

std::uint16_t LanguageToLangId()
{
    switch (GetLanguage())
    {
        case LANGUAGE_ENGLISH:
            return LANGID_ENGLISH_US;
        case LANGUAGE_GERMAN:
            return LANGID_GERMAN;
        case LANGUAGE_ITALIAN:
            return LANGID_ITALIAN;
        case LANGUAGE_SPANISH:
            return LANGID_SPANISH;
        default:
            return LANGID_NEUTRAL;
    }
}

void SetStringTable(std::uint16_t langId, std::span<const StringTableEntry> entries)
{
    auto& table = StringTables()[langId];
    table.clear();
    for (const StringTableEntry& entry : entries)
        if (entry.text)
            table[entry.id] = entry.text;
}

std::string LoadStringForLanguage(unsigned stringId, std::uint16_t langId)
{
    if (langId == LANGID_NEUTRAL)
        langId = LanguageToLangId();
    // The neutral identifier picks the table of the user's own language.
    if (langId == LANGID_NEUTRAL)
        langId = LocaleLanguage() == LANGUAGE_GERMAN ? LANGID_GERMAN : LANGID_ENGLISH_US;
    const auto& tables = StringTables();
    const auto table = tables.find(langId);
    if (table == tables.end())
        return std::string();
    const auto entry = table->second.find(stringId);
    return entry == table->second.end() ? std::string() : entry->second;
}

int LocaleUsesDecimalComma()
{
    // A locale object of our own, so that the process locale (and "%f" everywhere) stays as it is.
    const locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (user == static_cast<locale_t>(nullptr))
        return 0;
    const locale_t previous = uselocale(user);
    const std::string separator = std::localeconv()->decimal_point;
    uselocale(previous);
    freelocale(user);
    return separator == "," ? 1 : 0;
}

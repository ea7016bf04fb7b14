// Which of the five user-interface languages is current, the stored choice, the language
// identifiers of the prompt string tables, and whether the user's locale writes a decimal comma.
//
// Threads: GetLanguage may be called from any thread (the cache words are atomic; every thread
// computes the same value). SetLanguage and SetStringTable run on the user-interface thread;
// string tables are installed at start-up, before any other thread reads them.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The application's configuration key (per user) and the value that holds the language code.
inline constexpr std::string_view kConfigurationKey = "SOFTWARE\\Halvek\\Tessarin\\config";
inline constexpr std::string_view kLanguageValueName = "default language code";

// Language identifiers of the string tables; 0 is the neutral identifier (the user's own language).
inline constexpr std::uint16_t LANGID_NEUTRAL = 0;
inline constexpr std::uint16_t LANGID_ENGLISH_US = 0x0409;
inline constexpr std::uint16_t LANGID_GERMAN = 0x0407;
inline constexpr std::uint16_t LANGID_ITALIAN = 0x0410;
inline constexpr std::uint16_t LANGID_SPANISH = 0x040A;

// 1 once GetLanguage has found the current language, which g_nLanguage then holds.
extern std::atomic<int> g_bLanguageCached;
extern std::atomic<int> g_nLanguage;

// The current language code: the stored choice, else German for a German locale, else English.
// A stored code is returned as it stands (the lookups read English for codes outside 0..4).
int GetLanguage();
// Makes the code current and stores it; a failed store keeps it for this run only.
void SetLanguage(int code);
// The string-table language identifier of the current language (neutral for French and others).
std::uint16_t LanguageToLangId();

// One string of a prompt string table.
struct StringTableEntry
{
    unsigned id;
    const char* text;  // UTF-8
};
// Installs (or replaces) the string table of a language identifier; the program calls it at start-up.
void SetStringTable(std::uint16_t langId, std::span<const StringTableEntry> entries);
// The string of the table of that language (LANGID_NEUTRAL: of the current language); empty when
// the table or the string is missing.
std::string LoadStringForLanguage(unsigned stringId, std::uint16_t langId);

// 1 when the decimal separator of the user's LC_NUMERIC locale is exactly ",", else 0.
int LocaleUsesDecimalComma();

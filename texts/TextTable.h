// The process-wide table of user-interface texts in five languages, addressed by text id: table
// texts (ids TEXT_ID_FIRST..TEXT_ID_LAST) and the long wizard and file-message texts (a few small
// ids, in English, German and Italian).
//
// Threads: the table is built on the user-interface thread at start-up, before any worker runs,
// and only read afterwards; every lookup returns its own copy. FreeTextTable runs at exit, after
// the workers have stopped. No lock is taken.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "texts/TableTexts.h"

// Language codes; they index the table's arrays.
inline constexpr int LANGUAGE_ENGLISH = 0;
inline constexpr int LANGUAGE_GERMAN = 1;
inline constexpr int LANGUAGE_ITALIAN = 2;
inline constexpr int LANGUAGE_SPANISH = 3;
inline constexpr int LANGUAGE_FRENCH = 4;
inline constexpr int LANGUAGE_COUNT = 5;
// As a language argument of the lookups: the current language (GetLanguage).
inline constexpr int LANGUAGE_CURRENT = -1;

class CTextTable
{
public:
    CTextTable();
    ~CTextTable();
    CTextTable(const CTextTable&) = delete;
    CTextTable& operator=(const CTextTable&) = delete;

    // Indexed by language code; each holds TEXT_COUNT texts once built.
    std::array<std::vector<std::string>, LANGUAGE_COUNT> m_arrTexts;
    // 0 while the table is being built, LANGUAGE_COUNT once every language is filled.
    int m_nLanguages = 0;
};

// The single table, null until first needed.
extern std::unique_ptr<CTextTable> g_pTextTable;

// Builds the table when there is none.
void EnsureTextTable();
// Destroys the table; a later lookup builds it again.
void FreeTextTable();

// The text of a table id or a long-text id in a language (LANGUAGE_CURRENT for the current one).
// Ids without a text (small ids outside the long-text list, ids above TEXT_ID_LAST) give an empty
// text; a language code outside 0..4 gives the English text.
std::string GetTextForLanguage(int id, int language);
std::string GetText(int id);
// The current-language text with its first character upper-cased.
std::string GetTextCapitalized(int id);

// The lowest id in first..last (the whole table when first < 0) whose text in the language equals
// the text regardless of letter case; -1 when there is none or the text is empty.
int FindTextId(std::string text, int first, int last, int language);

// Fills English and German into their arrays, seeds Italian, Spanish and French with English and
// lets the three fills below overwrite their translated entries.
void BuildTextTables(std::array<std::vector<std::string>, LANGUAGE_COUNT>& texts);
// Each overwrites entries 0..TEXT_COUNT_TRANSLATED-1 of an array of TEXT_COUNT texts.
void FillItalianTexts(std::vector<std::string>& texts);
void FillSpanishTexts(std::vector<std::string>& texts);
void FillFrenchTexts(std::vector<std::string>& texts);

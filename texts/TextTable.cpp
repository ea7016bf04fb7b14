#include "texts/TextTable.h"

#include <algorithm>
#include <span>

#include "common/NumberTexts.h"
#include "platform/Text.h"
#include "texts/LanguageChoice.h"
#include "texts/LongTexts.h"

std::unique_ptr<CTextTable> g_pTextTable;

namespace
{

// The highest long-text id; every id between it and the table holds no text.
constexpr int kLastLongTextId = 31;

void CopyTexts(std::span<const char* const> source, std::vector<std::string>& target)
{
    std::copy(source.begin(), source.end(), target.begin());
}

void FillTranslatedTexts(const std::array<const char*, TEXT_COUNT_TRANSLATED>& source,
                         std::vector<std::string>& target)
{
    // An array that is not a full table has no entries to overwrite.
    if (target.size() < source.size())
        return;
    CopyTexts(source, target);
}

}  // namespace

CTextTable::CTextTable()
{
    g_bDecimalComma = LocaleUsesDecimalComma();
    BuildTextTables(m_arrTexts);
    m_nLanguages = LANGUAGE_COUNT;
}

CTextTable::~CTextTable() = default;

void BuildTextTables(std::array<std::vector<std::string>, LANGUAGE_COUNT>& texts)
{
    for (int language = 0; language < LANGUAGE_COUNT; ++language)
    {
        auto& array = texts[static_cast<std::size_t>(language)];
        array.assign(TEXT_COUNT, std::string());
        CopyTexts(language == LANGUAGE_GERMAN ? kGermanTexts : kEnglishTexts, array);
    }
    FillItalianTexts(texts[LANGUAGE_ITALIAN]);
    FillSpanishTexts(texts[LANGUAGE_SPANISH]);
    FillFrenchTexts(texts[LANGUAGE_FRENCH]);
}

void FillItalianTexts(std::vector<std::string>& texts)
{
    FillTranslatedTexts(kItalianTexts, texts);
}

void FillSpanishTexts(std::vector<std::string>& texts)
{
    FillTranslatedTexts(kSpanishTexts, texts);
}

void FillFrenchTexts(std::vector<std::string>& texts)
{
    FillTranslatedTexts(kFrenchTexts, texts);
}

void EnsureTextTable()
{
    // A table that cannot be built (out of memory) leaves the pointer null and the error to the caller.
    if (!g_pTextTable)
        g_pTextTable = std::make_unique<CTextTable>();
}

void FreeTextTable()
{
    g_pTextTable.reset();
}

std::string GetTextForLanguage(int id, int language)
{
    if (language == LANGUAGE_CURRENT)
        language = GetLanguage();
    if (id < TEXT_ID_FIRST)
        return texts::LongText(id, language);
    // Nothing lies beyond the table; a stored language code outside the five (an edited registry)
    // reads English, as the long texts do, rather than an array that does not exist.
    if (id > TEXT_ID_LAST)
        return std::string();
    if (language < 0 || language >= LANGUAGE_COUNT)
        language = LANGUAGE_ENGLISH;
    EnsureTextTable();
    return g_pTextTable
        ->m_arrTexts[static_cast<std::size_t>(language)][static_cast<std::size_t>(id - TEXT_ID_FIRST)];
}

std::string GetText(int id)
{
    return GetTextForLanguage(id, LANGUAGE_CURRENT);
}

std::string GetTextCapitalized(int id)
{
    std::string text = GetText(id);
    const std::string first = platform::TruncateCharacters(text, 1);
    return platform::ToUpperLatin1(first) + text.substr(first.size());
}

int FindTextId(std::string text, int first, int last, int language)
{
    // No table text is empty, and ids without a text must not match an empty caption.
    if (text.empty())
        return -1;
    text = platform::ToUpperLatin1(text);
    if (first < 0)
    {
        first = TEXT_ID_FIRST;
        last = TEXT_ID_LAST;
    }
    // Ids beyond the table hold no text, so a huge range costs no more than the table.
    last = std::min(last, TEXT_ID_LAST);
    for (int id = first; id <= last; ++id)
    {
        if (id > kLastLongTextId && id < TEXT_ID_FIRST)
        {
            id = TEXT_ID_FIRST;
            if (id > last)
                break;
        }
        if (platform::ToUpperLatin1(GetTextForLanguage(id, language)) == text)
            return id;
    }
    return -1;
}

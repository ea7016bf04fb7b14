// The compiled-in contents of the text table: one array per language, entry = id - TEXT_ID_FIRST.
// Italian, Spanish and French carry their own texts for the first TEXT_COUNT_TRANSLATED ids only;
// the table shows the English text for the rest.
#pragma once

#include <array>

inline constexpr int TEXT_ID_FIRST = 1000015;
inline constexpr int TEXT_ID_LAST = 1000651;
inline constexpr int TEXT_COUNT = TEXT_ID_LAST - TEXT_ID_FIRST + 1;  // 637
inline constexpr int TEXT_COUNT_TRANSLATED = 593;                    // ids 1000015 .. 1000607

extern const std::array<const char*, TEXT_COUNT> kEnglishTexts;
extern const std::array<const char*, TEXT_COUNT> kGermanTexts;
extern const std::array<const char*, TEXT_COUNT_TRANSLATED> kItalianTexts;
extern const std::array<const char*, TEXT_COUNT_TRANSLATED> kSpanishTexts;
extern const std::array<const char*, TEXT_COUNT_TRANSLATED> kFrenchTexts;

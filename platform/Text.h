// Text helpers of the platform layer: strings are UTF-8 in memory; files from the other platform
// come in Windows-1252 and are decoded when they are not valid UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform
{

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Decodes Windows-1252 bytes into UTF-8. The five unassigned bytes map to the C1 controls of the same value.
std::string DecodeWindows1252(std::string_view bytes);

// Text as read from a file: kept when it is valid UTF-8, otherwise decoded as Windows-1252.
std::string TextFromFile(std::string_view bytes);

// Number of characters (code points) of UTF-8 text; a stray byte counts as one character.
std::size_t CountCharacters(std::string_view text);

// The first maxCharacters characters of the text; a cut never splits a character.
std::string TruncateCharacters(std::string_view text, std::size_t maxCharacters);

// Upper-cases ASCII and the Latin-1 / Windows-1252 letters (é -> É, ÿ -> Ÿ, œ -> Œ); ß and µ stay.
std::string ToUpperLatin1(std::string_view text);

// Case-insensitive comparison with the same folding as ToUpperLatin1.
bool EqualsNoCase(std::string_view a, std::string_view b);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace platform

#include "platform/Text.h"

#include <array>

namespace platform
{
namespace
{

// Code points of the bytes 0x80..0x9F in Windows-1252; the unassigned ones keep their C1 value.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Length of the UTF-8 sequence that starts at text[pos], or 0 when it is not a valid sequence.
std::size_t SequenceLength(std::string_view text, std::size_t pos, char32_t* codePoint = nullptr)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80)
    {
        if (codePoint)
            *codePoint = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0)
    {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    }
    else if ((lead & 0xF0) == 0xE0)
    {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    }
    else if ((lead & 0xF8) == 0xF0)
    {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    }
    else
    {
        return 0;
    }
    if (pos + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i)
    {
        const unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    if (codePoint)
        *codePoint = value;
    return length;
}

char32_t UpperCodePoint(char32_t c)
{
    if (c >= 'a' && c <= 'z')
        return c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 0x20;
    switch (c)
    {
        case 0xFF:
            return 0x178;
        case 0x153:
            return 0x152;
        case 0x161:
            return 0x160;
        case 0x17E:
            return 0x17D;
        default:
            return c;
    }
}

// Calls fn(codePoint, bytes) for every character; a stray byte is passed on as itself.
template <typename Fn>
void ForEachCharacter(std::string_view text, Fn&& fn)
{
    std::size_t pos = 0;
    while (pos < text.size())
    {
        char32_t c = 0;
        std::size_t length = SequenceLength(text, pos, &c);
        const bool valid = length != 0;
        if (!valid)
            length = 1;
        fn(valid ? c : char32_t(0xFFFFFFFF), text.substr(pos, length));
        pos += length;
    }
}

}  // namespace

bool IsValidUtf8(std::string_view bytes)
{
    std::size_t pos = 0;
    while (pos < bytes.size())
    {
        const std::size_t length = SequenceLength(bytes, pos);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80)
    {
        out += static_cast<char>(c);
    }
    else if (c < 0x800)
    {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string DecodeWindows1252(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (const char ch : bytes)
    {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b <= 0x9F)
            AppendUtf8(out, kWindows1252High[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    return out;
}

std::string TextFromFile(std::string_view bytes)
{
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    return DecodeWindows1252(bytes);
}

std::size_t CountCharacters(std::string_view text)
{
    std::size_t count = 0;
    ForEachCharacter(text, [&](char32_t, std::string_view) { ++count; });
    return count;
}

std::string TruncateCharacters(std::string_view text, std::size_t maxCharacters)
{
    std::size_t pos = 0;
    std::size_t count = 0;
    while (pos < text.size() && count < maxCharacters)
    {
        const std::size_t length = SequenceLength(text, pos);
        pos += length == 0 ? 1 : length;
        ++count;
    }
    return std::string(text.substr(0, pos));
}

std::string ToUpperLatin1(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    ForEachCharacter(text,
                     [&](char32_t c, std::string_view bytes)
                     {
                         if (c == 0xFFFFFFFF)
                             out.append(bytes);
                         else
                             AppendUtf8(out, UpperCodePoint(c));
                     });
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    // Fast path for the common case of plain ASCII keys.
    if (a.size() == b.size())
    {
        bool ascii = true;
        bool equal = true;
        for (std::size_t i = 0; i < a.size() && ascii; ++i)
        {
            const auto x = static_cast<unsigned char>(a[i]);
            const auto y = static_cast<unsigned char>(b[i]);
            if (x >= 0x80 || y >= 0x80)
                ascii = false;
            else if (UpperCodePoint(x) != UpperCodePoint(y))
                equal = false;
        }
        if (ascii)
            return equal;
    }
    return ToUpperLatin1(a) == ToUpperLatin1(b);
}

}  // namespace platform

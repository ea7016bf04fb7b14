#include "common/controls/ShortenToWidth.h"

#include <vector>

namespace
{

// Byte offsets where the characters of the text end (UTF-8 sequences; a stray byte is one
// character, as a Windows-1252 reader would see it).
std::vector<std::size_t> CharacterEnds(std::string_view text)
{
    std::vector<std::size_t> ends;
    std::size_t i = 0;
    while (i < text.size())
    {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80           ? 1
                             : (lead >> 5) == 0x6  ? 2
                             : (lead >> 4) == 0xE  ? 3
                             : (lead >> 3) == 0x1E ? 4
                                                   : 1;
        std::size_t k = 1;
        while (k < length && i + k < text.size() && (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80)
            ++k;
        i += k;  // a broken sequence ends where its continuation bytes end
        ends.push_back(i);
    }
    return ends;
}

}  // namespace

std::string ShortenToWidth(std::string_view text, int width, const TextMeasure& measure)
{
    if (text.empty() || measure(text) <= width)
        return std::string(text);
    std::vector<std::size_t> ends = CharacterEnds(text);
    if (ends.size() > static_cast<std::size_t>(kShortenLimit))
        ends.resize(static_cast<std::size_t>(kShortenLimit));
    const int dots = measure("...");
    std::size_t kept = ends.size();
    for (std::size_t k = ends.size() - 1; k >= 1; --k)
    {
        kept = k;
        if (measure(text.substr(0, ends[k - 1])) + dots <= width)
            break;
    }
    return std::string(text.substr(0, ends[kept - 1])) + "...";
}

#include "common/TextDataFiles.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <memory>

#include "platform/FileReplace.h"
#include "platform/NumberFormat.h"
#include "platform/Text.h"

namespace
{

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

FileHandle OpenFile(const std::filesystem::path& path, const char* mode)
{
    return FileHandle(std::fopen(path.c_str(), mode));
}

int CountResult(std::size_t count)
{
    return static_cast<int>(std::min<std::size_t>(count, INT_MAX));
}

// Longest run of characters handed to the number parser at once. Real numbers are a few dozen
// characters; the bound keeps a file of one endless word from costing quadratic time.
constexpr std::size_t kLongestNumberText = 1024;

bool IsBlank(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Doubles beyond the float range become infinities, as a float conversion of the text would.
float ToFloat(double value)
{
    constexpr double largest = std::numeric_limits<float>::max();
    if (value > largest)
        return std::numeric_limits<float>::infinity();
    if (value < -largest)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

// Numbers of a text file one after the other, separated by any white space. A number may also
// end in the middle of a word ("1.5-2" is two numbers); the stream ends at the first text that
// does not start a number.
class NumberStream
{
public:
    explicit NumberStream(std::streambuf& source) : m_source(source) {}

    bool Next(float& value)
    {
        if (m_position >= m_word.size() && !ReadWord())
            return false;
        std::size_t used = 0;
        const double number = platform::ParseDouble(std::string_view(m_word).substr(m_position), &used);
        if (used == 0)
        {
            m_word.clear();
            m_position = 0;
            m_ended = true;
            return false;
        }
        m_position += used;
        value = ToFloat(number);
        return true;
    }

private:
    bool ReadWord()
    {
        m_word.clear();
        m_position = 0;
        if (m_ended)
            return false;
        using Traits = std::streambuf::traits_type;
        int c = m_source.sgetc();
        while (c != Traits::eof() && IsBlank(c))
            c = m_source.snextc();
        while (c != Traits::eof() && !IsBlank(c) && m_word.size() < kLongestNumberText)
        {
            m_word.push_back(static_cast<char>(c));
            c = m_source.snextc();
        }
        m_ended = m_word.empty();
        return !m_ended;
    }

    std::streambuf& m_source;
    std::string m_word;
    std::size_t m_position = 0;
    bool m_ended = false;
};

// One line of at most kTextDataLineCharacters bytes, its line feed included; false at the end.
bool ReadLinePiece(std::streambuf& source, std::string& piece)
{
    using Traits = std::streambuf::traits_type;
    piece.clear();
    int c = source.sgetc();
    while (c != Traits::eof() && piece.size() < kTextDataLineCharacters)
    {
        piece.push_back(static_cast<char>(c));
        source.sbumpc();
        if (c == '\n')
            break;
        c = source.sgetc();
    }
    return !piece.empty();
}

// The same for UTF-8 text in memory, counting characters so that a split never cuts one.
std::string_view NextTextLine(std::string_view text, std::size_t& offset)
{
    const std::size_t start = offset;
    std::size_t characters = 0;
    while (offset < text.size())
    {
        const unsigned char byte = static_cast<unsigned char>(text[offset]);
        if ((byte & 0xC0) != 0x80)
        {
            if (characters == kTextDataLineCharacters)
                break;
            ++characters;
        }
        ++offset;
        if (byte == '\n')
            break;
    }
    return text.substr(start, offset - start);
}

int WriteFloatText(const std::filesystem::path& path, std::span<const float> values, const char* mode)
{
    const FileHandle file = OpenFile(path, mode);
    if (!file)
        return 0;
    std::string text;
    for (const float value : values)
    {
        text += platform::FormatC("%e\n", static_cast<double>(value));
        if (text.size() >= 65536)
        {
            std::fwrite(text.data(), 1, text.size(), file.get());
            text.clear();
        }
    }
    std::fwrite(text.data(), 1, text.size(), file.get());
    return CountResult(values.size());
}

int WriteFloatRaw(const std::filesystem::path& path, std::span<const float> values, const char* mode)
{
    const FileHandle file = OpenFile(path, mode);
    if (!file)
        return 0;
    // The stored form is little-endian whatever the host's byte order.
    constexpr std::size_t chunkValues = 4096;
    unsigned char bytes[chunkValues * 4];
    for (std::size_t done = 0; done < values.size(); done += chunkValues)
    {
        const std::size_t count = std::min(chunkValues, values.size() - done);
        for (std::size_t i = 0; i < count; ++i)
        {
            const std::uint32_t bits = std::bit_cast<std::uint32_t>(values[done + i]);
            for (int b = 0; b < 4; ++b)
                bytes[i * 4 + b] = static_cast<unsigned char>(bits >> (8 * b));
        }
        std::fwrite(bytes, 4, count, file.get());
    }
    return CountResult(values.size());
}

}  // namespace

int WriteFloatList(const std::filesystem::path& path, std::span<const float> values)
{
    return WriteFloatText(path, values, "w");
}

int AppendFloatList(const std::filesystem::path& path, std::span<const float> values)
{
    return WriteFloatText(path, values, "a");
}

int WriteFloatBinary(const std::filesystem::path& path, std::span<const float> values)
{
    return WriteFloatRaw(path, values, "wb");
}

int AppendFloatBinary(const std::filesystem::path& path, std::span<const float> values)
{
    return WriteFloatRaw(path, values, "ab");
}

int WriteStringList(const std::filesystem::path& path, const std::vector<std::string>& list)
{
    const FileHandle file = OpenFile(path, "w");
    if (!file)
        return -1;
    const std::string count = platform::FormatC("%zu\n", list.size());
    std::fwrite(count.data(), 1, count.size(), file.get());
    for (const std::string& element : list)
    {
        std::fwrite(element.data(), 1, element.size(), file.get());
        std::fputc('\n', file.get());
    }
    return 0;
}

int ReadStringList(const std::filesystem::path& path, std::vector<std::string>& list)
{
    std::string bytes;
    if (!platform::ReadFileBytes(path, bytes))
        return -1;
    const std::string text = platform::TextFromFile(bytes);
    list.clear();

    // The count is the first line on its own: an empty first element or one that starts with
    // blanks comes back as it was written.
    std::size_t offset = 0;
    const std::string_view countLine = NextTextLine(text, offset);
    std::size_t used = 0;
    const std::int64_t announced = platform::ParseInt64(countLine, &used);
    if (used == 0 || announced <= 0)
        return 0;
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::uint64_t>(announced), kMaxStringListCount);

    // The list grows with the lines actually present; only the final padding uses the count.
    while (list.size() < count && offset < text.size())
        list.push_back(StripLineEnd(NextTextLine(text, offset)));
    list.resize(count);
    return 0;
}

int ReadFloatList(const std::filesystem::path& path, std::span<float> values)
{
    std::filebuf file;
    if (!IsFileReadable(path) || !file.open(path, std::ios::in | std::ios::binary))
        return -1;
    NumberStream numbers(file);
    std::size_t stored = 0;
    float value = 0.0f;
    while (stored < values.size() && numbers.Next(value))
        values[stored++] = value;
    return CountResult(stored);
}

int ReadFloatPairs(const std::filesystem::path& path, std::span<float> first, std::span<float> second)
{
    std::filebuf file;
    if (!IsFileReadable(path) || !file.open(path, std::ios::in | std::ios::binary))
        return -1;
    const std::size_t capacity = std::min(first.size(), second.size());
    std::size_t stored = 0;
    std::string line;
    while (stored < capacity && ReadLinePiece(file, line))
    {
        std::size_t used = 0;
        const double a = platform::ParseDouble(line, &used);
        if (used == 0)
            continue;
        std::size_t usedSecond = 0;
        const double b = platform::ParseDouble(std::string_view(line).substr(used), &usedSecond);
        if (usedSecond == 0)
            continue;
        first[stored] = ToFloat(a);
        second[stored] = ToFloat(b);
        ++stored;
    }
    return CountResult(stored);
}

int ReadFloatTriples(const std::filesystem::path& path, std::span<float> first, std::span<float> second,
                     std::span<float> third)
{
    std::filebuf file;
    if (!IsFileReadable(path) || !file.open(path, std::ios::in | std::ios::binary))
        return -1;
    const std::size_t capacity = std::min({first.size(), second.size(), third.size()});
    NumberStream numbers(file);
    std::size_t stored = 0;
    float a = 0.0f;
    float b = 0.0f;
    float c = 0.0f;
    while (stored < capacity && numbers.Next(a) && numbers.Next(b) && numbers.Next(c))
    {
        first[stored] = a;
        second[stored] = b;
        third[stored] = c;
        ++stored;
    }
    return CountResult(stored);
}

int CountFloatsInFile(const std::filesystem::path& path)
{
    std::filebuf file;
    if (!IsFileReadable(path) || !file.open(path, std::ios::in | std::ios::binary))
        return -1;
    NumberStream numbers(file);
    std::size_t count = 0;
    float value = 0.0f;
    while (count < static_cast<std::size_t>(INT_MAX) && numbers.Next(value))
        ++count;
    return CountResult(count);
}

int IsFileReadable(const std::filesystem::path& path)
{
    // A folder opens for reading on Linux but holds no data; callers ask for files.
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return 0;
    return OpenFile(path, "r") ? 1 : 0;
}

int FileExists(const std::filesystem::path& path)
{
    return IsFileReadable(path);
}

void SplitString(std::string_view text, std::string_view separators, std::vector<std::string>& pieces)
{
    std::size_t start = 0;
    for (std::size_t at = text.find_first_of(separators); at != std::string_view::npos;
         at = text.find_first_of(separators, start))
    {
        pieces.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
    pieces.emplace_back(text.substr(start));
}

std::string StripLineEnd(std::string_view text)
{
    const std::size_t lineFeed = text.find('\n');
    if (lineFeed != std::string_view::npos)
        text = text.substr(0, lineFeed);
    const std::size_t carriageReturn = text.find('\r');
    if (carriageReturn != std::string_view::npos)
        text = text.substr(0, carriageReturn);
    return std::string(text);
}

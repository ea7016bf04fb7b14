#include "view/ReferenceFile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace reference_file
{

namespace
{

// Reads numbers from text as formatted input does: white space skipped, then one number.
class NumberReader
{
public:
    explicit NumberReader(std::string_view text) : m_text(text) {}

    bool ReadLong(long long& value)
    {
        const std::string token = NextToken();
        if (token.empty())
            return false;
        errno = 0;
        char* end = nullptr;
        value = std::strtoll(token.c_str(), &end, 10);
        return errno == 0 && end != token.c_str() && *end == '\0';
    }

    bool ReadFloat(float& value)
    {
        const std::string token = NextToken();
        if (token.empty())
            return false;
        char* end = nullptr;
        const double parsed = std::strtod(token.c_str(), &end);
        if (end == token.c_str() || *end != '\0' || !std::isfinite(parsed) || std::fabs(parsed) > 3.4e38)
            return false;
        value = static_cast<float>(parsed);
        return true;
    }

private:
    static bool IsSpace(char c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
    }

    std::string NextToken()
    {
        while (m_position < m_text.size() && IsSpace(m_text[m_position]))
            ++m_position;
        const std::size_t start = m_position;
        while (m_position < m_text.size() && !IsSpace(m_text[m_position]))
            ++m_position;
        // A number is never longer than this; a longer word is no number.
        if (m_position - start > 64)
            return std::string();
        return std::string(m_text.substr(start, m_position - start));
    }

    std::string_view m_text;
    std::size_t m_position = 0;
};

}  // namespace

Result Parse(std::string_view text, CReferenceSpectrum& spectrum)
{
    NumberReader reader(text);
    long long magic = 0, count = 0, rate = 0;
    if (!reader.ReadLong(magic) || magic != kMagic)
        return Result::WrongMagic;
    if (!reader.ReadLong(count) || count < 1 || count > kMaxValues || !reader.ReadLong(rate) || rate < 1 ||
        rate > kMaxSampleRate)
        return Result::BadCount;
    std::vector<float> values(static_cast<std::size_t>(count));
    for (float& value : values)
        if (!reader.ReadFloat(value))
            return Result::BadValue;
    spectrum.m_nSampleRate = static_cast<int>(rate);
    spectrum.m_values = std::move(values);
    return Result::Loaded;
}

Result Read(const std::filesystem::path& path, CReferenceSpectrum& spectrum)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return Result::CannotOpen;
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        return Result::CannotOpen;
    return Parse(text, spectrum);
}

bool Write(const std::filesystem::path& path, std::span<const float> values, int sampleRate)
{
    std::FILE* file = std::fopen(path.string().c_str(), "w");
    if (!file)
        return false;
    bool ok = std::fprintf(file, "%i\n%i\n%i\n", kMagic, static_cast<int>(values.size()), sampleRate) > 0;
    for (float value : values)
        ok = ok && std::fprintf(file, "%e\n", static_cast<double>(value)) > 0;
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

}  // namespace reference_file

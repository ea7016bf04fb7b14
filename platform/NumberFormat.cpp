#include "platform/NumberFormat.h"

#include <locale.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace platform
{
namespace
{

locale_t CLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// The part of a text that strtod or strtoll can take: blanks, then the characters a number may hold
// (digits, signs, the point, exponents, hexadecimal digits, "inf" and "nan(...)"). Only this part is
// copied for the conversion: a scanner reading many numbers from one long text would otherwise copy
// the whole rest of it at every number.
std::string_view NumberPrefix(std::string_view text)
{
    const auto isBlank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    const auto mayBelong = [](char c)
    {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '+' ||
               c == '-' || c == '.' || c == '_' || c == '(' || c == ')';
    };
    std::size_t end = 0;
    while (end < text.size() && isBlank(text[end]))
        ++end;
    while (end < text.size() && mayBelong(text[end]))
        ++end;
    return text.substr(0, end);
}

}  // namespace

CLocaleScope::CLocaleScope() : m_previous(uselocale(CLocale())) {}

CLocaleScope::~CLocaleScope()
{
    uselocale(static_cast<locale_t>(m_previous));
}

std::string FormatCV(const char* format, std::va_list args)
{
    CLocaleScope scope;
    char small[256];
    std::va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (length < 0)
        return std::string();
    if (static_cast<std::size_t>(length) < sizeof small)
        return std::string(small, static_cast<std::size_t>(length));
    std::vector<char> large(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(large.data(), large.size(), format, args);
    return std::string(large.data(), static_cast<std::size_t>(length));
}

std::string FormatC(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::string text = FormatCV(format, args);
    va_end(args);
    return text;
}

int ScanC(const char* text, const char* format, ...)
{
    CLocaleScope scope;
    std::va_list args;
    va_start(args, format);
    const int result = std::vsscanf(text, format, args);
    va_end(args);
    return result;
}

double ParseDouble(std::string_view text, std::size_t* used)
{
    std::string copy(NumberPrefix(text));
    // Decimal only: a hexadecimal float ("0x1p3") reads as its leading zero.
    const std::size_t start = copy.find_first_not_of(" \t\n\r\f\v+-");
    if (start != std::string::npos && copy.compare(start, 1, "0") == 0 && start + 1 < copy.size() &&
        (copy[start + 1] == 'x' || copy[start + 1] == 'X'))
        copy.resize(start + 1);
    char* end = nullptr;
    const double value = strtod_l(copy.c_str(), &end, CLocale());
    const std::size_t taken = static_cast<std::size_t>(end - copy.c_str());
    if (used)
        *used = taken;
    return taken == 0 ? 0.0 : value;
}

std::int64_t ParseInt64(std::string_view text, std::size_t* used)
{
    const std::string copy(NumberPrefix(text));
    char* end = nullptr;
    const long long value = strtoll_l(copy.c_str(), &end, 10, CLocale());
    const std::size_t taken = static_cast<std::size_t>(end - copy.c_str());
    if (used)
        *used = taken;
    return taken == 0 ? 0 : static_cast<std::int64_t>(value);
}

}  // namespace platform

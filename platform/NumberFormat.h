// Numbers in files are written and read in the C locale, whatever the user's LC_NUMERIC says.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform
{

// printf-style formatting in the C locale. The text is always complete, however long.
std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatCV(const char* format, std::va_list args);

// sscanf in the C locale; returns what sscanf returns.
int ScanC(const char* text, const char* format, ...) __attribute__((format(scanf, 2, 3)));

// Decimal floating-point conversion in the C locale: leading blanks skipped, an exponent of any
// number of digits accepted, conversion stops at the first character that is not part of the number.
// Text without a number gives 0.0. `used` receives the count of characters taken (0 for no number).
double ParseDouble(std::string_view text, std::size_t* used = nullptr);

// Signed decimal 64-bit conversion with the same rules; out-of-range values saturate.
std::int64_t ParseInt64(std::string_view text, std::size_t* used = nullptr);

// While alive, the calling thread formats and parses in the C locale.
class CLocaleScope
{
public:
    CLocaleScope();
    ~CLocaleScope();
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    void* m_previous;
};

}  // namespace platform

// Feeds arbitrary bytes to the impulse response's text reader, with a limit on the values taken
// from the first byte. What is read stays within the limit, and writing it and reading it back
// gives the same values (as far as the text form's digits hold them).
#include "view/ImpulseResponse.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int limit = 1 + data[0] * 16;
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data + 1), size - 1 > 0 ? size - 1 : 1, "r");
    std::vector<float> values;
    const int count = ReadImpulseText(size > 1 ? file : nullptr, values, limit);
    if (file)
        std::fclose(file);
    if (size > 1 && count < 0)
        std::abort();
    if (count > limit || static_cast<int>(values.size()) != std::max(count, 0))
        std::abort();
    if (count <= 0)
        return 0;
    char* text = nullptr;
    std::size_t length = 0;
    std::FILE* out = open_memstream(&text, &length);
    if (!out)
        return 0;
    if (WriteImpulseText(out, values.data(), count) != count)
        std::abort();
    std::fclose(out);
    std::FILE* back = fmemopen(text, length > 0 ? length : 1, "r");
    std::vector<float> again;
    const int reread = ReadImpulseText(back, again, limit);
    if (back)
        std::fclose(back);
    std::free(text);
    if (reread != count)
        std::abort();
    for (int i = 0; i < count; ++i)
    {
        const double a = values[static_cast<std::size_t>(i)];
        const double b = again[static_cast<std::size_t>(i)];
        if (std::isnan(a) != std::isnan(b))
            std::abort();
        if (!std::isnan(a) && std::fabs(a - b) > 1e-6 * std::fabs(a) + 1e-44)
            std::abort();
    }
    return 0;
}

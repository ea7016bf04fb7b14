// Feeds arbitrary bytes to the reference spectrum reader. A file is taken whole or not at all: a
// loaded one has its announced count of finite values and a rate in range; a refused one leaves the
// spectrum as it was.
#include "view/ReferenceFile.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CReferenceSpectrum spectrum;
    spectrum.m_nSampleRate = 12345;
    spectrum.m_values = {3.0f};
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (reference_file::Parse(text, spectrum) != reference_file::Result::Loaded)
    {
        if (spectrum.m_nSampleRate != 12345 || spectrum.m_values.size() != 1 || spectrum.m_values[0] != 3.0f)
            std::abort();
        return 0;
    }
    if (spectrum.m_values.empty() || spectrum.m_values.size() > reference_file::kMaxValues ||
        spectrum.m_nSampleRate < 1 || spectrum.m_nSampleRate > reference_file::kMaxSampleRate)
        std::abort();
    for (float value : spectrum.m_values)
        if (!std::isfinite(value))
            std::abort();
    return 0;
}

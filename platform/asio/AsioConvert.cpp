#include "platform/asio/AsioConvert.h"

#include "platform/asio/AsioTypes.h"

#include <cstring>

namespace asio
{

namespace
{

constexpr double kIntScale = 1.0 / 2147483648.0;
constexpr float kInt16Scale = 1.0f / 32767.0f;
constexpr double kInt24Scale = 1.0 / 2147418112.0;

}  // namespace

int SampleBytes(int type)
{
    using namespace sample_type;
    switch (type)
    {
        case kInt16MSB:
        case kInt16LSB:
            return 2;
        case kInt24MSB:
        case kInt24LSB:
            return 3;
        case kInt32MSB:
        case kFloat32MSB:
        case kInt32MSB16:
        case kInt32MSB18:
        case kInt32MSB20:
        case kInt32MSB24:
        case kInt32LSB:
        case kFloat32LSB:
        case kInt32LSB16:
        case kInt32LSB18:
        case kInt32LSB20:
        case kInt32LSB24:
            return 4;
        case kFloat64MSB:
        case kFloat64LSB:
            return 8;
        default:
            return 0;
    }
}

void GetSampleTypeBits(int type, int& bits, int& bytes)
{
    using namespace sample_type;
    bits = 0;
    bytes = 0;
    switch (type)
    {
        case kInt16MSB:
        case kInt16LSB:
            bits = 16, bytes = 2;
            break;
        case kInt24MSB:
        case kInt24LSB:
            bits = 24, bytes = 3;
            break;
        case kInt32MSB:
        case kFloat32MSB:
        case kInt32LSB:
        case kFloat32LSB:
            bits = 32, bytes = 4;
            break;
        case kFloat64MSB:
        case kFloat64LSB:
            bits = 64, bytes = 8;
            break;
        case kInt32MSB16:
        case kInt32LSB16:
            bits = 16, bytes = 4;
            break;
        case kInt32MSB18:
        case kInt32LSB18:
            bits = 18, bytes = 4;
            break;
        case kInt32MSB20:
        case kInt32LSB20:
            bits = 20, bytes = 4;
            break;
        case kInt32MSB24:
        case kInt32LSB24:
            bits = 24, bytes = 4;
            break;
        default:
            break;
    }
}

bool ConvertFromHostSamples(int type, const std::int32_t* source, int stride, void* target, int frames)
{
    using namespace sample_type;
    if (!target || frames <= 0)
        return false;
    auto* bytes = static_cast<unsigned char*>(target);
    switch (type)
    {
        case kInt16LSB:
            for (int n = 0; n < frames; ++n)
            {
                const auto v = static_cast<std::int16_t>(source[n * stride] >> 16);
                std::memcpy(bytes + 2 * n, &v, 2);
            }
            return true;
        case kInt24LSB:
            for (int n = 0; n < frames; ++n)
            {
                const auto v = static_cast<std::uint32_t>(source[n * stride]);
                bytes[3 * n] = static_cast<unsigned char>(v >> 8);
                bytes[3 * n + 1] = static_cast<unsigned char>(v >> 16);
                bytes[3 * n + 2] = static_cast<unsigned char>(v >> 24);
            }
            return true;
        case kInt32LSB:
            for (int n = 0; n < frames; ++n)
                std::memcpy(bytes + 4 * n, &source[n * stride], 4);
            return true;
        case kFloat32LSB:
            for (int n = 0; n < frames; ++n)
            {
                const auto v = static_cast<float>(source[n * stride] * kIntScale);
                std::memcpy(bytes + 4 * n, &v, 4);
            }
            return true;
        case kFloat64LSB:
            for (int n = 0; n < frames; ++n)
            {
                const double v = source[n * stride] * kIntScale;
                std::memcpy(bytes + 8 * n, &v, 8);
            }
            return true;
        default:
            if (const int size = SampleBytes(type); size > 0)
                std::memset(target, 0, static_cast<std::size_t>(size) * static_cast<std::size_t>(frames));
            return false;
    }
}

void ConvertToFloatSamples(int type, const void* source, float* target, int stride, int frames)
{
    using namespace sample_type;
    if (!source || frames <= 0)
        return;
    const auto* bytes = static_cast<const unsigned char*>(source);
    switch (type)
    {
        case kInt16LSB:
            for (int n = 0; n < frames; ++n)
            {
                std::int16_t v = 0;
                std::memcpy(&v, bytes + 2 * n, 2);
                target[n * stride] = v * kInt16Scale;
            }
            return;
        case kInt24LSB:
            for (int n = 0; n < frames; ++n)
            {
                const std::uint32_t u = (static_cast<std::uint32_t>(bytes[3 * n]) << 8) |
                                        (static_cast<std::uint32_t>(bytes[3 * n + 1]) << 16) |
                                        (static_cast<std::uint32_t>(bytes[3 * n + 2]) << 24);
                target[n * stride] = static_cast<float>(static_cast<std::int32_t>(u) * kInt24Scale);
            }
            return;
        case kInt32LSB:
            for (int n = 0; n < frames; ++n)
            {
                std::int32_t v = 0;
                std::memcpy(&v, bytes + 4 * n, 4);
                target[n * stride] = static_cast<float>(v * kIntScale);
            }
            return;
        case kFloat32LSB:
            for (int n = 0; n < frames; ++n)
                std::memcpy(&target[n * stride], bytes + 4 * n, 4);
            return;
        case kFloat64LSB:
            for (int n = 0; n < frames; ++n)
            {
                double v = 0.0;
                std::memcpy(&v, bytes + 8 * n, 8);
                target[n * stride] = static_cast<float>(v);
            }
            return;
        default:
            if (SampleBytes(type) > 0)
                for (int n = 0; n < frames; ++n)
                    target[n * stride] = 0.0f;
            return;
    }
}

}  // namespace asio

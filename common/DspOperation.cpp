#include "common/DspOperation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace
{

constexpr std::array<const char*, kDspOperationCount> kDspOperationNames = {
    "NONE", "ADD",  "SUB",   "MUL",    "DIV", "MAX",      "MIN",   "ABS",    "SQRT",
    "LOG",  "DIFF", "INTEG", "INTEG2", "INV", "RECIPROC", "SCALE", "OFFSET",
};

template <typename Op>
void Unary(int count, const float* a, float* out, Op op)
{
    for (int i = 0; i < count; ++i)
    {
        out[i] = static_cast<float>(op(static_cast<double>(a[i])));
    }
}

template <typename Op>
void Binary(int count, const float* a, const float* b, float* out, Op op)
{
    for (int i = 0; i < count; ++i)
    {
        out[i] = static_cast<float>(op(static_cast<double>(a[i]), static_cast<double>(b[i])));
    }
}

// Keeps the previous input in a local so that the output may overwrite the input as it goes.
void Difference(int count, const float* a, float* out)
{
    double previous = a[0];
    out[0] = 0.0f;
    for (int i = 1; i < count; ++i)
    {
        const double current = a[i];
        out[i] = static_cast<float>(current - previous);
        previous = current;
    }
}

// The running sum adds the stored (float) previous output, so every element is exactly what a reader
// of the array would get by summing it again.
void RunningSum(int count, const float* a, float* out)
{
    out[0] = a[0];
    for (int i = 1; i < count; ++i)
    {
        out[i] = static_cast<float>(static_cast<double>(a[i]) + static_cast<double>(out[i - 1]));
    }
}

}  // namespace

void ApplyDspOperation(int code, int count, const float* a, const float* b, float* out, int flags,
                       const double* k)
{
    if (count <= 0 || a == nullptr || out == nullptr)
    {
        return;
    }
    const bool needsB = code >= kDspAdd && code <= kDspMin;
    const bool needsK = code == kDspScale || code == kDspOffset;
    if ((needsB && b == nullptr) || (needsK && k == nullptr))
    {
        return;
    }

    switch (code)
    {
        case kDspNone:
            if (out != a)
            {
                std::copy_n(a, count, out);
            }
            return;
        case kDspAdd:
            Binary(count, a, b, out, [](double x, double y) { return x + y; });
            return;
        case kDspSub:
            Binary(count, a, b, out, [](double x, double y) { return x - y; });
            return;
        case kDspMul:
            Binary(count, a, b, out, [](double x, double y) { return x * y; });
            return;
        case kDspDiv:
            Binary(count, a, b, out, [](double x, double y) { return x / y; });
            return;
        case kDspMax:
            Binary(count, a, b, out, [](double x, double y) { return y < x ? x : y; });
            return;
        case kDspMin:
            Binary(count, a, b, out, [](double x, double y) { return y <= x ? y : x; });
            return;
        case kDspAbs:
            Unary(count, a, out, [](double x) { return std::fabs(x); });
            return;
        case kDspSqrt:
            Unary(count, a, out, [](double x) { return std::sqrt(x); });
            return;
        case kDspLog:
            Unary(count, a, out, [](double x) { return std::log(x); });
            return;
        case kDspInv:
            Unary(count, a, out, [](double x) { return -x; });
            return;
        case kDspReciproc:
            Unary(count, a, out, [](double x) { return 1.0 / x; });
            return;
        case kDspScale:
        {
            const double factor = *k;
            Unary(count, a, out, [factor](double x) { return x * factor; });
            return;
        }
        case kDspOffset:
        {
            const double offset = *k;
            Unary(count, a, out, [offset](double x) { return x + offset; });
            return;
        }
        case kDspDiff:
            Difference(count, a, out);
            break;
        case kDspInteg:
            RunningSum(count, a, out);
            break;
        case kDspInteg2:
            RunningSum(count, a, out);
            RunningSum(count, out, out);
            break;
        default:
            return;
    }

    // Only DIFF, INTEG and INTEG2 get here; element 0 keeps its unscaled value.
    if ((flags & kDspFlagScale) != 0 && k != nullptr)
    {
        const double factor = *k;
        for (int i = 1; i < count; ++i)
        {
            out[i] = static_cast<float>(static_cast<double>(out[i]) * factor);
        }
    }
}

double ApplyDspOperationScalar(int code, double a, double b)
{
    switch (code)
    {
        case kDspNone:
        case kDspDiff:
        case kDspInteg:
        case kDspInteg2:
            return a;
        case kDspAdd:
        case kDspOffset:
            return a + b;
        case kDspSub:
            return a - b;
        case kDspMul:
        case kDspScale:
            return a * b;
        case kDspDiv:
            return a / b;
        case kDspMax:
            return a > b ? a : b;
        case kDspMin:
            return a < b ? a : b;
        case kDspAbs:
            return std::fabs(a);
        case kDspSqrt:
            return std::sqrt(a);
        case kDspLog:
            return std::log(a);
        case kDspInv:
            return -a;
        case kDspReciproc:
            return 1.0 / a;
        default:
            return 0.0;
    }
}

const char* GetDspOperationName(int code)
{
    if (code < 0 || code >= kDspOperationCount)
    {
        return "";
    }
    return kDspOperationNames[static_cast<std::size_t>(code)];
}

void GetDspOperationName(int code, std::span<char> buffer)
{
    if (buffer.empty())
    {
        return;
    }
    const char* name = GetDspOperationName(code);
    const std::size_t length = std::min(std::strlen(name), buffer.size() - 1);
    std::copy_n(name, length, buffer.data());
    buffer[length] = '\0';
}

void DspOperation::Reset(int channel)
{
    m_nSource1 = channel;
    m_nSource2 = channel;
    m_nTarget = channel;
    m_nOperation = 0;
    m_nReserved = 1;
    m_nFlags = 0;
    m_dConstant = 0.0;
}

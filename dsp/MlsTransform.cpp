#include "dsp/MlsTransform.h"

#include <bit>
#include <cstring>

namespace
{

// Feedback words by order (bit t-1 set for each tap t); index = order. The generator's sequence and the
// correlator's permutations are both derived from this one table.
constexpr std::array<int, kMlsMaxOrder + 1> kFeedbackWords = {
    0,    0,    3,    5,     9,     18,    33,    65,     177,    264,    516,
    1026, 2124, 4109, 11265, 16385, 32790, 65540, 131136, 262193, 524292,
};

bool IsTableOrder(int order)
{
    return order >= kMlsMinOrder && order <= kMlsMaxOrder;
}

int Parity(unsigned value)
{
    return std::popcount(value) & 1;
}

// Four floats per operation through the compiler's generic vectors: the butterfly loops have run-time
// trip counts, which the default optimisation level does not vectorise on its own.
using Float4 = float __attribute__((vector_size(16)));

inline Float4 Load4(const float* p)
{
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void Store4(float* p, Float4 v)
{
    std::memcpy(p, &v, sizeof v);
}

// Spans 1 and 2 together on groups of four values.
void HadamardFirstTwoStages(float* x, int count)
{
    for (int i = 0; i < count; i += 4)
    {
        const float a = x[i] + x[i + 1];
        const float b = x[i] - x[i + 1];
        const float c = x[i + 2] + x[i + 3];
        const float d = x[i + 2] - x[i + 3];
        x[i] = a + c;
        x[i + 1] = b + d;
        x[i + 2] = a - c;
        x[i + 3] = b - d;
    }
}

// One stage of half-span h (a multiple of 4) over count values.
void HadamardStage(float* x, int count, int h)
{
    for (int base = 0; base < count; base += 2 * h)
    {
        float* p = x + base;
        float* q = p + h;
        for (int j = 0; j < h; j += 4)
        {
            const Float4 u = Load4(p + j);
            const Float4 v = Load4(q + j);
            Store4(p + j, u + v);
            Store4(q + j, u - v);
        }
    }
}

// Two stages (half-spans h and 2h, h a multiple of 4) in one pass over memory.
void HadamardTwoStages(float* x, int count, int h)
{
    for (int base = 0; base < count; base += 4 * h)
    {
        float* p0 = x + base;
        float* p1 = p0 + h;
        float* p2 = p1 + h;
        float* p3 = p2 + h;
        for (int j = 0; j < h; j += 4)
        {
            const Float4 x0 = Load4(p0 + j);
            const Float4 x1 = Load4(p1 + j);
            const Float4 x2 = Load4(p2 + j);
            const Float4 x3 = Load4(p3 + j);
            const Float4 a = x0 + x1;
            const Float4 b = x0 - x1;
            const Float4 c = x2 + x3;
            const Float4 d = x2 - x3;
            Store4(p0 + j, a + c);
            Store4(p1 + j, b + d);
            Store4(p2 + j, a - c);
            Store4(p3 + j, b - d);
        }
    }
}

// Small spans are finished block by block while a block sits in the first-level cache.
constexpr int kHadamardBlock = 4096;

}  // namespace

int GetMlsFeedbackWord(int order)
{
    return IsTableOrder(order) ? kFeedbackWords[order] : 0;
}

int GetMlsSequenceOrder(int length)
{
    for (int order = kMlsMinSequenceOrder; order <= kMlsMaxOrder; ++order)
    {
        if (length == (1 << order) - 1)
        {
            return order;
        }
    }
    return 0;
}

CMlsSequence::CMlsSequence(int length, int sampleBits, int param)
    : m_sampleBits(static_cast<std::int16_t>(sampleBits)), m_param(static_cast<std::int16_t>(param))
{
    const int order = GetMlsSequenceOrder(length);
    if (order == 0)
    {
        return;
    }
    // The register holds cell c[j] in bit j, so the feedback word selects exactly the tap cells.
    const unsigned feedback = static_cast<unsigned>(kFeedbackWords[order]);
    const unsigned cellMask = (1u << order) - 1u;
    std::int16_t plus = 1;
    std::int16_t minus = -1;
    if (sampleBits == 8)
    {
        plus = 127;
        minus = -128;
        m_byteLength = length;
    }
    else if (sampleBits == 16)
    {
        plus = 32767;
        minus = -32768;
        m_byteLength = 2 * length;
    }
    m_data.resize(static_cast<std::size_t>(length));
    unsigned cells = 1;
    for (int k = 0; k < length; ++k)
    {
        m_data[k] = (cells & 1u) ? minus : plus;
        const unsigned f = static_cast<unsigned>(Parity(cells & feedback));
        cells = ((cells << 1) | f) & cellMask;
    }
    m_length = length;
}

CMlsTransform::CMlsTransform()
{
    for (int i = 0; i < static_cast<int>(m_powers.size()); ++i)
    {
        m_powers[i] = 1 << i;
    }
}

void CMlsTransform::Release()
{
    m_inputPermutation = {};
    m_outputPermutation = {};
    m_work = {};
    m_ownsBuffers = false;
    m_order = 0;
    m_size = 0;
}

bool CMlsTransform::Init(int order)
{
    Release();
    if (!IsTableOrder(order))
    {
        return false;
    }
    m_order = order;
    m_size = m_powers[order];
    const int length = m_size - 1;
    m_inputPermutation.assign(static_cast<std::size_t>(length), 0);
    m_outputPermutation.assign(static_cast<std::size_t>(length), 0);
    m_work.assign(static_cast<std::size_t>(m_size), 0.0f);
    m_ownsBuffers = true;
    BuildInputPermutation();
    BuildOutputPermutation();
    return true;
}

void CMlsTransform::BuildInputPermutation()
{
    const int order = m_order;
    const int length = m_size - 1;
    const unsigned feedback = static_cast<unsigned>(kFeedbackWords[order]);
    // Mirrored taps: bit P-1-i of the feedback word becomes bit i of the mask.
    unsigned mask = 0;
    for (int i = 0; i < order; ++i)
    {
        if (feedback & (1u << (order - 1 - i)))
        {
            mask |= 1u << i;
        }
    }
    const unsigned top = 1u << (order - 1);
    unsigned state = top;
    for (int j = 0; j < length; ++j)
    {
        m_inputPermutation[state - 1] = j;
        const unsigned c = Parity(state & mask) ? top : 0u;
        state = c | (state >> 1);
    }
}

void CMlsTransform::BuildOutputPermutation()
{
    const int order = m_order;
    const int length = m_size - 1;
    const unsigned feedback = static_cast<unsigned>(kFeedbackWords[order]);
    std::array<unsigned, kMlsMaxOrder> columns{};
    for (int k = 0; k < order; ++k)
    {
        columns[k] = 1u << (order - 1 - k);
    }
    for (int i = 0; i < length; ++i)
    {
        unsigned d = 0;
        for (int t = 0; t < order; ++t)
        {
            if (feedback & (1u << t))
            {
                d ^= columns[t];
            }
        }
        m_outputPermutation[length - 1 - i] = static_cast<int>(d);
        for (int j = order - 1; j >= 1; --j)
        {
            columns[j] = columns[j - 1];
        }
        columns[0] = d;
    }
}

void CMlsTransform::HadamardTransform()
{
    float* x = m_work.data();
    const int size = m_size;
    // The smallest table order (2) has size 4, which the first two stages already cover.
    const int block = size < kHadamardBlock ? size : kHadamardBlock;
    for (int base = 0; base < size; base += block)
    {
        float* b = x + base;
        HadamardFirstTwoStages(b, block);
        int h = 4;
        for (; 4 * h <= block; h *= 4)
        {
            HadamardTwoStages(b, block, h);
        }
        if (2 * h <= block)
        {
            HadamardStage(b, block, h);
        }
    }
    int h = block;
    for (; 4 * h <= size; h *= 4)
    {
        HadamardTwoStages(x, size, h);
    }
    if (2 * h <= size)
    {
        HadamardStage(x, size, h);
    }
}

int CMlsTransform::Correlate(const float* period, float* response, int offset)
{
    if (!m_ownsBuffers)
    {
        return 0;
    }
    const int length = m_size - 1;
    int start = offset % length;
    if (start < 0)
    {
        start += length;
    }
    float* work = m_work.data();
    const int* inputPermutation = m_inputPermutation.data();
    work[0] = 0.0f;
    for (int i = 0; i < length; ++i)
    {
        int index = start + inputPermutation[i];
        if (index >= length)
        {
            index -= length;
        }
        work[i + 1] = period[index];
    }
    HadamardTransform();
    const float scale = 1.0f / static_cast<float>(length);
    const int* outputPermutation = m_outputPermutation.data();
    for (int i = 0; i < length; ++i)
    {
        response[i] = work[outputPermutation[i]] * scale;
    }
    return 1;
}

int CMlsTransform::Correlate(std::span<const float> period, std::span<float> response, int offset)
{
    const auto length = static_cast<std::size_t>(GetLength());
    if (length == 0 || period.size() < length || response.size() < length)
    {
        return 0;
    }
    return Correlate(period.data(), response.data(), offset);
}

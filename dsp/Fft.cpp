#include "dsp/Fft.h"

#include <array>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <numbers>
#include <type_traits>
#include <utility>
#include <vector>

#include <immintrin.h>

#include "dsp/FftTables.h"

// ---- Kernels, once per instruction set -------------------------------------------------------------

// Vector arguments of the kernels' inline helpers never cross an ABI boundary. The warning is issued
// at the end of the file, so it stays off for the whole file.
#pragma GCC diagnostic ignored "-Wpsabi"

#define FFT_KERNEL_NAMESPACE fft_generic
#define FFT_KERNEL_FMA 0
#include "dsp/FftKernels.h"
#undef FFT_KERNEL_NAMESPACE
#undef FFT_KERNEL_FMA

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif
#define FFT_KERNEL_NAMESPACE fft_avx2
#define FFT_KERNEL_FMA 1
#include "dsp/FftKernels.h"
#undef FFT_KERNEL_NAMESPACE
#undef FFT_KERNEL_FMA
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace
{

constexpr int kMaxOrder = 32;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Below these sizes the scalar code is as fast and the vector kernels' blocks do not fit.
constexpr int kMinVectorComplexOrder = 6;
constexpr int kMinVectorRealOrder = 7;
// From this order on, bit reversal swaps 8x8 tiles.
constexpr int kMinTiledOrder = 6;

const FftKernelSet* DetectKernels()
{
    return (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) ? &fft_avx2::kKernels
                                                                             : &fft_generic::kKernels;
}

std::atomic<const FftKernelSet*> g_kernels{nullptr};

const FftKernelSet& Kernels()
{
    const FftKernelSet* set = g_kernels.load(std::memory_order_relaxed);
    if (set == nullptr)
    {
        set = DetectKernels();
        g_kernels.store(set, std::memory_order_relaxed);
    }
    return *set;
}

// ---- Table cache -------------------------------------------------------------------------------------

std::uint32_t ReverseBits(std::uint32_t value, int bits)
{
    std::uint32_t result = 0;
    for (int i = 0; i < bits; ++i)
    {
        result = (result << 1) | (value & 1u);
        value >>= 1;
    }
    return result;
}

// Tables are published through atomic pointers once complete and are never changed afterwards. Readers
// announce themselves in m_inFlight before they load a pointer; ClearFftTables and FreeFftTables take
// the pointers out first and release the tables only when no reader is in flight (seq_cst on both
// sides: a reader that is not counted yet cannot see a pointer that was already taken out).
class FftTableCache
{
public:
    ~FftTableCache()
    {
        Empty();
        m_retiredTwiddles.clear();
    }

    const FftTwiddles& Twiddles(int log2L)
    {
        if (const FftTwiddles* table = m_twiddles[log2L].load())
            return *table;
        std::lock_guard lock(m_mutex);
        const FftTwiddles* table = m_twiddles[log2L].load();
        if (table == nullptr)
        {
            table = BuildFftTwiddles(log2L).release();
            m_twiddles[log2L].store(table);
        }
        return *table;
    }

    // Takes every table out of the cache; releases them now when no transform runs, else later.
    void Empty()
    {
        std::lock_guard lock(m_mutex);
        for (auto& entry : m_twiddles)
        {
            if (const FftTwiddles* table = entry.exchange(nullptr))
                m_retiredTwiddles.emplace_back(table);
        }
        if (m_inFlight.load() == 0)
            m_retiredTwiddles.clear();
    }

    std::atomic<int>& InFlight() { return m_inFlight; }

private:
    std::mutex m_mutex;
    std::array<std::atomic<const FftTwiddles*>, kMaxOrder + 1> m_twiddles{};
    std::atomic<int> m_inFlight{0};
    std::vector<std::unique_ptr<const FftTwiddles>> m_retiredTwiddles;
};

FftTableCache& Cache()
{
    static FftTableCache cache;
    return cache;
}

// Marks a transform as in flight for as long as it may hold table pointers.
class TableUse
{
public:
    TableUse() : m_count(Cache().InFlight()) { m_count.fetch_add(1); }
    ~TableUse() { m_count.fetch_sub(1); }
    TableUse(const TableUse&) = delete;
    TableUse& operator=(const TableUse&) = delete;

private:
    std::atomic<int>& m_count;
};

using TwiddleSet = std::array<const FftTwiddles*, kMaxOrder + 1>;

// The stage tables of a complex transform of 2^log2N points, and the one of length 2^extra if extra > 0.
TwiddleSet CachedTwiddles(int log2N, int extra)
{
    TwiddleSet set{};
    for (int log2L = FirstRadix4Stage(log2N); log2L <= log2N; log2L += 2)
        set[log2L] = &Cache().Twiddles(log2L);
    if (extra > 0)
        set[extra] = &Cache().Twiddles(extra);
    return set;
}

// ---- Bit reversal ------------------------------------------------------------------------------------

constexpr std::array<std::uint8_t, 8> kReverse3 = {0, 4, 2, 6, 1, 5, 3, 7};

template <typename T>
void BitReverseSmall(T* x, int order)
{
    const std::uint32_t count = 1u << order;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        const std::uint32_t j = ReverseBits(i, order);
        if (i < j)
            std::swap(x[i], x[j]);
    }
}

// Index = (high 3 bits, middle, low 3 bits); its reversal = (rev low, rev middle, rev high). Swapping the
// 8x8 tile of one middle value with the tile of the reversed middle touches only 16 cache lines; the
// reversed middle value is counted along with the middle value.
template <typename T>
void BitReverseTiled(T* x, int order)
{
    const int highShift = order - 3;
    const std::uint32_t count = 1u << (order - 6);
    std::uint32_t ra = 0;
    for (std::uint32_t a = 0; a < count; ++a)
    {
        if (ra >= a)
        {
            T* const pa = x + (std::size_t{a} << 3);
            T* const pr = x + (std::size_t{ra} << 3);
            for (std::size_t high = 0; high < 8; ++high)
            {
                for (std::size_t low = 0; low < 8; ++low)
                {
                    const std::size_t i = (high << highShift) + low;
                    const std::size_t j = (std::size_t{kReverse3[low]} << highShift) + kReverse3[high];
                    if (ra != a || i < j)
                        std::swap(pa[i], pr[j]);
                }
            }
        }
        std::uint32_t mask = count >> 1;
        while ((ra & mask) != 0)
        {
            ra ^= mask;
            mask >>= 1;
        }
        ra |= mask;
    }
}

template <typename T>
void BitReverse(T* x, int order)
{
    if (order < kMinTiledOrder)
        BitReverseSmall(x, order);
    else if constexpr (std::is_same_v<T, float>)
        Kernels().bitReverse(x, order);
    else
        BitReverseTiled(x, order);
}

// The classic running counter: no table at all.
void BitReverseCounter(float* re, float* im, int count)
{
    int j = 0;
    for (int i = 0; i < count - 1; ++i)
    {
        if (i < j)
        {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
        int k = count / 2;
        while (j >= k)
        {
            j -= k;
            k /= 2;
        }
        j += k;
    }
}

// ---- Scalar transforms (double precision, and the small single-precision sizes) ---------------------

// e^(-j2πk/L) for k = begin, begin+1, ...: exact every 64th value, rotated in double precision between.
class TwiddleWalk
{
public:
    TwiddleWalk(std::int64_t length, std::int64_t begin) : m_length(length), m_k(begin)
    {
        const double step = kTwoPi / static_cast<double>(length);
        m_stepRe = std::cos(step);
        m_stepIm = -std::sin(step);
        Exact();
    }

    double Re() const { return m_re; }
    double Im() const { return m_im; }

    void Next()
    {
        ++m_k;
        if ((m_k & 63) == 0)
        {
            Exact();
            return;
        }
        const double re = m_re * m_stepRe - m_im * m_stepIm;
        m_im = m_re * m_stepIm + m_im * m_stepRe;
        m_re = re;
    }

private:
    void Exact()
    {
        const double angle = kTwoPi * static_cast<double>(m_k) / static_cast<double>(m_length);
        m_re = std::cos(angle);
        m_im = -std::sin(angle);
    }

    std::int64_t m_length;
    std::int64_t m_k;
    double m_stepRe = 1.0, m_stepIm = 0.0, m_re = 1.0, m_im = 0.0;
};

// Radix-2 stage joining the two halves of one block of `length` points.
template <typename T>
void JoinHalves(T* re, T* im, int length)
{
    const int half = length / 2;
    TwiddleWalk w(length, 0);
    for (int k = 0; k < half; ++k, w.Next())
    {
        const T wr = static_cast<T>(w.Re()), wi = static_cast<T>(w.Im());
        const T tr = wr * re[k + half] - wi * im[k + half];
        const T ti = wr * im[k + half] + wi * re[k + half];
        re[k + half] = re[k] - tr;
        im[k + half] = im[k] - ti;
        re[k] += tr;
        im[k] += ti;
    }
}

// Decimation in time on bit-reversed input, depth first so that long transforms stay in the cache.
template <typename T>
void ScalarStages(T* re, T* im, int order)
{
    constexpr int kIterativeOrder = 6;
    const int count = 1 << order;
    if (order <= kIterativeOrder)
    {
        for (int length = 2; length <= count; length *= 2)
        {
            for (int base = 0; base < count; base += length)
                JoinHalves(re + base, im + base, length);
        }
        return;
    }
    ScalarStages(re, im, order - 1);
    ScalarStages(re + count / 2, im + count / 2, order - 1);
    JoinHalves(re, im, count);
}

// The final pass of the real transform (see RealPass in the kernels) in scalar code.
template <typename T>
void ScalarRealPass(T* x, int order)
{
    const int count = 1 << order;
    const int half = count / 2;
    const T a0 = x[0], b0 = x[half];
    x[0] = a0 + b0;
    x[half] = a0 - b0;
    if (half < 2)
        return;
    x[half + half / 2] = -x[half + half / 2];
    TwiddleWalk w(count, 1);
    for (int k = 1; k < half / 2; ++k, w.Next())
    {
        const T wr = static_cast<T>(w.Re()), wi = static_cast<T>(w.Im());
        const T ar = x[k], ai = x[half + k], br = x[half - k], bi = x[count - k];
        const T er = T(0.5) * (ar + br), ei = T(0.5) * (ai - bi);
        const T orr = T(0.5) * (ai + bi), oi = T(0.5) * (br - ar);
        const T tr = orr * wr - oi * wi, ti = orr * wi + oi * wr;
        x[k] = er + tr;
        x[count - k] = ei + ti;
        x[half - k] = er - tr;
        x[half + k] = ti - ei;
    }
}

// Bit reversal of all N points puts the even samples, bit-reversed, in the lower half and the odd ones in
// the upper half: the input of an N/2-point complex transform with re = even and im = odd samples.
template <typename T>
void ScalarRealFft(T* x, int order)
{
    BitReverse(x, order);
    ScalarStages(x, x + (std::size_t{1} << (order - 1)), order - 1);
    ScalarRealPass(x, order);
}

void ComplexFftCached(float* re, float* im, int order)
{
    BitReverse(re, order);
    BitReverse(im, order);
    if (order < kMinVectorComplexOrder)
    {
        ScalarStages(re, im, order);
        return;
    }
    const TwiddleSet twiddles = CachedTwiddles(order, 0);
    Kernels().complexStages(re, im, order, twiddles.data());
}

void Scale(float* x, int count, float factor)
{
    for (int i = 0; i < count; ++i)
        x[i] *= factor;
}

}  // namespace

// ---- Tables ------------------------------------------------------------------------------------------

std::unique_ptr<FftTwiddles> BuildFftTwiddles(int log2L)
{
    auto table = std::make_unique<FftTwiddles>();
    const std::int64_t length = std::int64_t{1} << log2L;
    table->log2L = log2L;
    table->quarter = static_cast<int>(length / 4);
    const auto factor = [length](std::int64_t exponent, float& re, float& im)
    {
        const double angle = kTwoPi * static_cast<double>(exponent % length) / static_cast<double>(length);
        re = static_cast<float>(std::cos(angle));
        im = static_cast<float>(-std::sin(angle));
    };
    float* d = nullptr;
    if (log2L <= kFftDirectMaxLog2)
    {
        const int q = table->quarter;
        table->rowStride = q + kFftRowPad;
        table->data = std::make_unique<float[]>(static_cast<std::size_t>(6) * table->rowStride);
        d = table->data.get();
        for (int m = 1; m <= 3; ++m)
        {
            float* rowRe = d + static_cast<std::size_t>(2 * (m - 1)) * table->rowStride;
            float* rowIm = rowRe + table->rowStride;
            for (int k = 0; k < q; ++k)
                factor(std::int64_t{m} * k, rowRe[k], rowIm[k]);
        }
        return table;
    }
    table->fineBits = kFftFineBits;
    const int fine = 1 << kFftFineBits;
    const int coarse = table->quarter >> kFftFineBits;
    table->rowStride = fine + kFftRowPad;
    table->data = std::make_unique<float[]>(static_cast<std::size_t>(6) * (table->rowStride + coarse));
    d = table->data.get();
    for (int m = 1; m <= 3; ++m)
    {
        const int row = 2 * (m - 1);
        float* fineRe = d + static_cast<std::size_t>(row) * table->rowStride;
        float* fineIm = fineRe + table->rowStride;
        for (int k = 0; k < fine; ++k)
            factor(std::int64_t{m} * k, fineRe[k], fineIm[k]);
        float* coarseRe =
            d + static_cast<std::size_t>(6) * table->rowStride + static_cast<std::size_t>(row) * coarse;
        float* coarseIm = coarseRe + coarse;
        for (int k = 0; k < coarse; ++k)
            factor(std::int64_t{m} * k * fine, coarseRe[k], coarseIm[k]);
    }
    return table;
}

void UseGenericFftKernels(bool generic)
{
    g_kernels.store(generic ? &fft_generic::kKernels : DetectKernels());
}

// ---- Public functions --------------------------------------------------------------------------------

int Log2OfPowerOfTwo(int N)
{
    std::int64_t b = 1;
    int c = 0;
    while (b < N)
    {
        b *= 2;
        ++c;
    }
    return b == N ? c : 0;
}

void RealFft(float* x, int N)
{
    const int order = Log2OfPowerOfTwo(N);
    if (order == 0)
        return;
    TableUse use;
    if (order < kMinVectorRealOrder)
    {
        ScalarRealFft(x, order);
        return;
    }
    BitReverse(x, order);
    const TwiddleSet twiddles = CachedTwiddles(order - 1, order);
    const FftKernelSet& kernels = Kernels();
    kernels.complexStages(x, x + N / 2, order - 1, twiddles.data());
    kernels.realPass(x, order, *twiddles[order]);
}

// Scalar and table-free: twiddle factors in double precision from TwiddleWalk.
void RealFftDouble(double* x, int N)
{
    const int order = Log2OfPowerOfTwo(N);
    if (order == 0)
        return;
    ScalarRealFft(x, order);
}

void ConvertToSplitLayout(float* x, int N)
{
    if (N < 4)
        return;
    for (int lo = N / 2 + 1, hi = N - 1; lo < hi; ++lo, --hi)
        std::swap(x[lo], x[hi]);
}

void ComputePowerSpectrum(float* x, int N)
{
    if (Log2OfPowerOfTwo(N) == 0)
        return;
    RealFft(x, N);
    const int half = N / 2;
    const float scale = static_cast<float>(std::sqrt(2.0) / N);
    const float dc = scale * x[0];
    x[0] = dc * dc + dc * dc;
    for (int k = 1; k < half; ++k)
    {
        const float re = x[k], im = x[N - k];
        const float sr = scale * re, si = scale * im;
        x[k] = sr * sr + si * si;
        x[N - k] = static_cast<float>(std::atan2(static_cast<double>(im), static_cast<double>(re)) *
                                      57.29577951308232);
    }
    x[half] = 0.0f;
    ConvertToSplitLayout(x, N);
}

void ComputePhaseSpectrum(float* x, int N)
{
    if (Log2OfPowerOfTwo(N) == 0)
        return;
    RealFft(x, N);
    const float scale = static_cast<float>(std::sqrt(2.0) / N);
    const float dc = scale * x[0];
    x[0] = dc * dc + dc * dc;
    for (int k = 1; k < N / 2; ++k)
        x[k] = std::atan2(x[N - k], x[k]) * 57.29578f;
}

void ComputePowerSpectrumDouble(double* x, int N)
{
    if (Log2OfPowerOfTwo(N) == 0)
        return;
    RealFftDouble(x, N);
    const double scale = std::sqrt(2.0) / N;
    const double dc = scale * x[0];
    x[0] = dc * dc;
    for (int k = 1; k < N / 2; ++k)
    {
        const double sr = scale * x[k], si = scale * x[N - k];
        x[k] = sr * sr + si * si;
    }
}

void InvertSpectrum(float* x, int N)
{
    if (Log2OfPowerOfTwo(N) == 0)
        return;
    RealFft(x, N);
    ConvertToSplitLayout(x, N);
    const int half = N / 2;
    x[0] = 1.0f / x[0];
    x[half] = 0.0f;
    for (int k = 1; k < half; ++k)
    {
        const float a = x[k], b = x[half + k];
        const float power = a * a + b * b;
        x[k] = a / power;
        x[half + k] = -b / power;
    }
}

// Element 0 and N/2 hold the real DC and Nyquist values, not one complex number: multiplied as a pair
// they would leak into each other, and the product would no longer be the spectrum of the circular
// convolution. Each is multiplied with its own counterpart.
void MultiplyComplexSpectra(float* a, const float* b, int N)
{
    if (N < 2)
        return;
    const int half = N / 2;
    a[0] *= b[0];
    a[half] *= b[half];
    for (int i = 1; i < half; ++i)
    {
        const float ar = a[i], ai = a[half + i];
        a[i] = ar * b[i] - ai * b[half + i];
        a[half + i] = ai * b[i] + ar * b[half + i];
    }
}

namespace
{

// Z(k) = (Y(k) + conj Y(M-k)) + j·conj(w^k)·(Y(k) - conj Y(M-k)) for the conjugated split spectrum Y, in
// place; Z(k) is twice the transform of (even sample + j·odd sample) that the inverse needs. `factor(k,
// c, s)` gives conj(w^k) = c + j·s for k = 1, 2, ... in turn.
template <typename Factor>
void InversePairs(float* x, int N, Factor factor)
{
    const int half = N / 2;
    for (int k = 1; k < half / 2; ++k)
    {
        double c, s;
        factor(k, c, s);
        const double xr = x[k], xi = -x[half + k];
        const double yr = x[half - k], yi = -x[N - k];
        const double ar = xr + yr, ai = xi - yi;  // Y(k) + conj Y(M-k)
        const double dr = xr - yr, di = xi + yi;  // Y(k) - conj Y(M-k)
        const double pr = c * dr - s * di, pi = c * di + s * dr;
        x[k] = static_cast<float>(ar - pi);
        x[half + k] = static_cast<float>(ai + pr);
        x[half - k] = static_cast<float>(ar + pi);
        x[N - k] = static_cast<float>(pr - ai);
    }
}

}  // namespace

// With the forward kernel the back-transform of the Hermitian spectrum Y is the ordinary inverse of
// conj(Y). That inverse runs as an N/2-point complex transform of Z(k) = E(k) + j·O(k) (E, O: spectra of
// the even and odd samples, formed from Y(k) and Y(N/2-k)), done with the forward kernel on swapped real
// and imaginary parts; two bit reversals then interleave the even and odd samples. No scratch memory.
void InverseRealFft(float* x, int N)
{
    const int order = Log2OfPowerOfTwo(N);
    if (order == 0)
        return;
    TableUse use;
    const int half = N / 2;
    const float y0 = x[0], yHalf = x[half];
    x[0] = y0 + yHalf;
    x[half] = y0 - yHalf;
    if (half >= 2)
    {
        x[half / 2] *= 2.0f;
        x[half + half / 2] *= 2.0f;
        if (order >= kMinVectorRealOrder)
        {
            const FftTwiddles& table = Cache().Twiddles(order);
            InversePairs(x, N,
                         [&table](int k, double& c, double& s)
                         {
                             float wr, wi;
                             table.Get(1, k, wr, wi);
                             c = wr;
                             s = -wi;
                         });
        }
        else
        {
            TwiddleWalk w(N, 1);
            InversePairs(x, N,
                         [&w](int, double& c, double& s)
                         {
                             c = w.Re();
                             s = -w.Im();
                             w.Next();
                         });
        }
        // Inverse transform = forward transform with real and imaginary parts exchanged.
        ComplexFftCached(x + half, x, order - 1);
        BitReverse(x, order - 1);
        BitReverse(x + half, order - 1);
    }
    BitReverse(x, order);
    Scale(x, N, 1.0f / static_cast<float>(N));
}

void ComplexFft(float* re, float* im, int N)
{
    const int order = Log2OfPowerOfTwo(N);
    if (order == 0)
        return;
    TableUse use;
    ComplexFftCached(re, im, order);
}

void ComplexFftUncached(float* re, float* im, int N)
{
    const int order = Log2OfPowerOfTwo(N);
    if (order == 0)
        return;
    BitReverseCounter(re, im, N);
    if (order < kMinVectorComplexOrder)
    {
        ScalarStages(re, im, order);
        return;
    }
    std::vector<std::unique_ptr<FftTwiddles>> owned;
    TwiddleSet twiddles{};
    for (int log2L = FirstRadix4Stage(order); log2L <= order; log2L += 2)
    {
        owned.push_back(BuildFftTwiddles(log2L));
        twiddles[log2L] = owned.back().get();
    }
    Kernels().complexStages(re, im, order, twiddles.data());
}

void InverseComplexFft(float* re, float* im, int N)
{
    const int order = Log2OfPowerOfTwo(N);
    if (order == 0)
        return;
    TableUse use;
    ComplexFftCached(im, re, order);
    const float scale = 1.0f / static_cast<float>(N);
    Scale(re, N, scale);
    Scale(im, N, scale);
}

void UnwrapPhase(float* p, int n)
{
    if (n < 2)
        return;
    double correction = 0.0;
    float previous = p[1];
    for (int i = 1; i < n; ++i)
    {
        const float raw = p[i];
        const double c = static_cast<double>(raw) - previous;
        const double shifted = c + 180.0;
        const double e = shifted - 360.0 * std::floor(shifted * 0.002777777777777778) - 180.0;
        if (std::fabs(c) >= 180.0)
            correction += e - c;
        previous = raw;
        p[i] = static_cast<float>(raw + correction);
    }
}

void ClearFftTables()
{
    Cache().Empty();
}

void FreeFftTables()
{
    Cache().Empty();
}

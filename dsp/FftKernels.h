// Vector kernels of the single-precision transforms. Fft.cpp includes this file once per instruction
// set, each time inside its own namespace FFT_KERNEL_NAMESPACE and target region; FFT_KERNEL_FMA says
// whether fused multiply-add may be used. No include guard on purpose.
//
// The complex transform is a decimation-in-time radix-4 transform on split arrays: the caller has put
// the input in bit-reversed order; Base64 does the first stages of every 64 points in registers, then
// radix-4 stages follow. Above kLeafLog2 the quarters are transformed one after another before the stage
// that joins them, so that all but the longest stages run on data that is still in the cache. Twiddle
// factors come from tables computed in double precision (FftTables.h), never from a recurrence.

namespace FFT_KERNEL_NAMESPACE
{

typedef float V8 __attribute__((vector_size(32)));

#define FFT_INLINE inline __attribute__((always_inline))

constexpr int kLeafLog2 = 12;
constexpr int kRev3[8] = {0, 4, 2, 6, 1, 5, 3, 7};
static_assert(kLeafLog2 <= kFftDirectMaxLog2 && kLeafLog2 >= 7);

static FFT_INLINE V8 Load(const float* p)
{
    V8 v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

static FFT_INLINE void Store(float* p, const V8& v)
{
    __builtin_memcpy(p, &v, sizeof v);
}

static FFT_INLINE V8 Splat(float f)
{
    return V8{f, f, f, f, f, f, f, f};
}

static FFT_INLINE V8 Reverse(const V8& v)
{
    return __builtin_shufflevector(v, v, 7, 6, 5, 4, 3, 2, 1, 0);
}

// a·b + c and a·b - c
static FFT_INLINE V8 MulAdd(const V8& a, const V8& b, const V8& c)
{
#if FFT_KERNEL_FMA
    return _mm256_fmadd_ps(a, b, c);
#else
    return a * b + c;
#endif
}

static FFT_INLINE V8 MulSub(const V8& a, const V8& b, const V8& c)
{
#if FFT_KERNEL_FMA
    return _mm256_fmsub_ps(a, b, c);
#else
    return a * b - c;
#endif
}

// (ar + j·ai)·(br + j·bi)
static FFT_INLINE void CMul(const V8& ar, const V8& ai, const V8& br, const V8& bi, V8& rr, V8& ri)
{
    rr = MulSub(ar, br, ai * bi);
    ri = MulAdd(ar, bi, ai * br);
}

// Columns become rows: afterwards r[j][i] is the former r[i][j].
static FFT_INLINE void Transpose8(V8* r)
{
#define FFT_LO(a, b) __builtin_shufflevector(a, b, 0, 8, 1, 9, 4, 12, 5, 13)
#define FFT_HI(a, b) __builtin_shufflevector(a, b, 2, 10, 3, 11, 6, 14, 7, 15)
#define FFT_S44(a, b) __builtin_shufflevector(a, b, 0, 1, 8, 9, 4, 5, 12, 13)
#define FFT_SEE(a, b) __builtin_shufflevector(a, b, 2, 3, 10, 11, 6, 7, 14, 15)
#define FFT_P20(a, b) __builtin_shufflevector(a, b, 0, 1, 2, 3, 8, 9, 10, 11)
#define FFT_P31(a, b) __builtin_shufflevector(a, b, 4, 5, 6, 7, 12, 13, 14, 15)
    const V8 t0 = FFT_LO(r[0], r[1]), t1 = FFT_HI(r[0], r[1]);
    const V8 t2 = FFT_LO(r[2], r[3]), t3 = FFT_HI(r[2], r[3]);
    const V8 t4 = FFT_LO(r[4], r[5]), t5 = FFT_HI(r[4], r[5]);
    const V8 t6 = FFT_LO(r[6], r[7]), t7 = FFT_HI(r[6], r[7]);
    const V8 u0 = FFT_S44(t0, t2), u1 = FFT_SEE(t0, t2);
    const V8 u2 = FFT_S44(t1, t3), u3 = FFT_SEE(t1, t3);
    const V8 u4 = FFT_S44(t4, t6), u5 = FFT_SEE(t4, t6);
    const V8 u6 = FFT_S44(t5, t7), u7 = FFT_SEE(t5, t7);
    r[0] = FFT_P20(u0, u4);
    r[1] = FFT_P20(u1, u5);
    r[2] = FFT_P20(u2, u6);
    r[3] = FFT_P20(u3, u7);
    r[4] = FFT_P31(u0, u4);
    r[5] = FFT_P31(u1, u5);
    r[6] = FFT_P31(u2, u6);
    r[7] = FFT_P31(u3, u7);
#undef FFT_LO
#undef FFT_HI
#undef FFT_S44
#undef FFT_SEE
#undef FFT_P20
#undef FFT_P31
}

// 8-point transforms of bit-reversed blocks, lane by lane: lane i of r[p], m[p] is point p of block i.
static FFT_INLINE void Dft8(V8* r, V8* m)
{
    const V8 c = Splat(0.70710678118654752f);
    // length 2
    V8 ar[8], ai[8];
#pragma GCC unroll 4
    for (int p = 0; p < 8; p += 2)
    {
        ar[p] = r[p] + r[p + 1];
        ai[p] = m[p] + m[p + 1];
        ar[p + 1] = r[p] - r[p + 1];
        ai[p + 1] = m[p] - m[p + 1];
    }
    // length 4: the odd point of each pair turns by -j
    V8 br[8], bi[8];
#pragma GCC unroll 2
    for (int p = 0; p < 8; p += 4)
    {
        br[p] = ar[p] + ar[p + 2];
        bi[p] = ai[p] + ai[p + 2];
        br[p + 2] = ar[p] - ar[p + 2];
        bi[p + 2] = ai[p] - ai[p + 2];
        br[p + 1] = ar[p + 1] + ai[p + 3];
        bi[p + 1] = ai[p + 1] - ar[p + 3];
        br[p + 3] = ar[p + 1] - ai[p + 3];
        bi[p + 3] = ai[p + 1] + ar[p + 3];
    }
    // length 8: factors 1, (1-j)/√2, -j, (-1-j)/√2
    const V8 t5r = c * (br[5] + bi[5]), t5i = c * (bi[5] - br[5]);
    const V8 t6r = bi[6], t6i = -br[6];
    const V8 t7r = c * (bi[7] - br[7]), t7i = -c * (br[7] + bi[7]);
    r[0] = br[0] + br[4];
    m[0] = bi[0] + bi[4];
    r[4] = br[0] - br[4];
    m[4] = bi[0] - bi[4];
    r[1] = br[1] + t5r;
    m[1] = bi[1] + t5i;
    r[5] = br[1] - t5r;
    m[5] = bi[1] - t5i;
    r[2] = br[2] + t6r;
    m[2] = bi[2] + t6i;
    r[6] = br[2] - t6r;
    m[6] = bi[2] - t6i;
    r[3] = br[3] + t7r;
    m[3] = bi[3] + t7i;
    r[7] = br[3] - t7r;
    m[7] = bi[3] - t7i;
}

// The radix-4 butterfly of decimation in time: p0..p3 hold the four quarter transforms at one k in the
// order of bit reversal (k·4, k·4+2, k·4+1, k·4+3); w holds w^k, w^2k, w^3k as (re, im) pairs.
static FFT_INLINE void Radix4(V8& r0, V8& i0, V8& r1, V8& i1, V8& r2, V8& i2, V8& r3, V8& i3, const V8* w)
{
    V8 cr, ci, br, bi, dr, di;
    CMul(r1, i1, w[2], w[3], cr, ci);
    CMul(r2, i2, w[0], w[1], br, bi);
    CMul(r3, i3, w[4], w[5], dr, di);
    const V8 s1r = r0 + cr, s1i = i0 + ci, s2r = r0 - cr, s2i = i0 - ci;
    const V8 s3r = br + dr, s3i = bi + di, s4r = br - dr, s4i = bi - di;
    r0 = s1r + s3r;
    i0 = s1i + s3i;
    r2 = s1r - s3r;
    i2 = s1i - s3i;
    r1 = s2r + s4i;
    i1 = s2i - s4r;
    r3 = s2r - s4i;
    i3 = s2i + s4r;
}

// The first stages on every 64 points, in registers: 8-point transforms of each 8 consecutive points
// (across the lanes of a transposed 8x8 tile), then either a radix-4 stage of length 32 (log2 N odd) or a
// radix-2 stage of length 16 and a radix-4 stage of length 64 (log2 N even). `tw` is the table of that
// radix-4 stage.
static void Base64(float* re, float* im, int count, bool evenOrder, const FftTwiddles& tw)
{
    const V8 w16r = {1.0f, 0.92387953251128674f,  0.70710678118654752f,  0.38268343236508977f,
                     0.0f, -0.38268343236508977f, -0.70710678118654752f, -0.92387953251128674f};
    const V8 w16i = {0.0f,  -0.38268343236508977f, -0.70710678118654752f, -0.92387953251128674f,
                     -1.0f, -0.92387953251128674f, -0.70710678118654752f, -0.38268343236508977f};
    V8 w[2][6];
#pragma GCC unroll 6
    for (int row = 0; row < 6; ++row)
    {
        w[0][row] = Load(tw.Row(row));
        w[1][row] = evenOrder ? Load(tw.Row(row) + 8) : w[0][row];
    }
    for (int base = 0; base < count; base += 64)
    {
        V8 r[8], m[8];
#pragma GCC unroll 8
        for (int i = 0; i < 8; ++i)
        {
            r[i] = Load(re + base + 8 * i);
            m[i] = Load(im + base + 8 * i);
        }
        Transpose8(r);
        Transpose8(m);
        Dft8(r, m);
        Transpose8(r);
        Transpose8(m);
        if (evenOrder)
        {
#pragma GCC unroll 4
            for (int i = 0; i < 8; i += 2)
            {
                V8 tr, ti;
                CMul(r[i + 1], m[i + 1], w16r, w16i, tr, ti);
                r[i + 1] = r[i] - tr;
                m[i + 1] = m[i] - ti;
                r[i] = r[i] + tr;
                m[i] = m[i] + ti;
            }
            // quarters of 16 points: rows (0, 1), (2, 3), (4, 5), (6, 7)
            Radix4(r[0], m[0], r[2], m[2], r[4], m[4], r[6], m[6], w[0]);
            Radix4(r[1], m[1], r[3], m[3], r[5], m[5], r[7], m[7], w[1]);
        }
        else
        {
            // quarters of 8 points: rows 0..3 and 4..7
            Radix4(r[0], m[0], r[1], m[1], r[2], m[2], r[3], m[3], w[0]);
            Radix4(r[4], m[4], r[5], m[5], r[6], m[6], r[7], m[7], w[0]);
        }
#pragma GCC unroll 8
        for (int i = 0; i < 8; ++i)
        {
            Store(re + base + 8 * i, r[i]);
            Store(im + base + 8 * i, m[i]);
        }
    }
}

// w^k, w^2k, w^3k for the 8 values of k from k0 (a multiple of 8).
template <bool TwoLevel>
static FFT_INLINE void Twiddles8(const FftTwiddles& t, int k0, int rows, V8* w)
{
    if constexpr (!TwoLevel)
    {
#pragma GCC unroll 6
        for (int row = 0; row < rows; ++row)
            w[row] = Load(t.Row(row) + k0);
    }
    else
    {
        const int low = k0 & ((1 << t.fineBits) - 1);
        const int high = k0 >> t.fineBits;
#pragma GCC unroll 3
        for (int row = 0; row < rows; row += 2)
        {
            CMul(Load(t.FineRow(row) + low), Load(t.FineRow(row + 1) + low), Splat(t.CoarseRow(row)[high]),
                 Splat(t.CoarseRow(row + 1)[high]), w[row], w[row + 1]);
        }
    }
}

// Joins four transforms of length L/4 into one of length L; quarter = L/4 >= 8.
template <bool TwoLevel>
static void Radix4Block(float* re, float* im, int quarter, const FftTwiddles& t)
{
    float* const pr[4] = {re, re + quarter, re + 2 * quarter, re + 3 * quarter};
    float* const pi[4] = {im, im + quarter, im + 2 * quarter, im + 3 * quarter};
    for (int k = 0; k < quarter; k += 8)
    {
        V8 w[6];
        Twiddles8<TwoLevel>(t, k, 6, w);
        V8 r0 = Load(pr[0] + k), i0 = Load(pi[0] + k), r1 = Load(pr[1] + k), i1 = Load(pi[1] + k);
        V8 r2 = Load(pr[2] + k), i2 = Load(pi[2] + k), r3 = Load(pr[3] + k), i3 = Load(pi[3] + k);
        Radix4(r0, i0, r1, i1, r2, i2, r3, i3, w);
        Store(pr[0] + k, r0);
        Store(pi[0] + k, i0);
        Store(pr[1] + k, r1);
        Store(pi[1] + k, i1);
        Store(pr[2] + k, r2);
        Store(pi[2] + k, i2);
        Store(pr[3] + k, r3);
        Store(pi[3] + k, i3);
    }
}

// One radix-4 stage over all blocks of a leaf; the twiddles of each k serve every block.
static void Radix4Stage(float* re, float* im, int count, int quarter, const FftTwiddles& t)
{
    const std::size_t q = quarter;
    for (int k = 0; k < quarter; k += 8)
    {
        V8 w[6];
        Twiddles8<false>(t, k, 6, w);
        for (int base = k; base < count; base += 4 * quarter)
        {
            float* const r = re + base;
            float* const m = im + base;
            V8 r0 = Load(r), i0 = Load(m), r1 = Load(r + q), i1 = Load(m + q);
            V8 r2 = Load(r + 2 * q), i2 = Load(m + 2 * q), r3 = Load(r + 3 * q), i3 = Load(m + 3 * q);
            Radix4(r0, i0, r1, i1, r2, i2, r3, i3, w);
            Store(r, r0);
            Store(m, i0);
            Store(r + q, r1);
            Store(m + q, i1);
            Store(r + 2 * q, r2);
            Store(m + 2 * q, i2);
            Store(r + 3 * q, r3);
            Store(m + 3 * q, i3);
        }
    }
}

static void Leaf(float* re, float* im, int log2N, const FftTwiddles* const* twiddles)
{
    const int count = 1 << log2N;
    const int first = FirstRadix4Stage(log2N);
    Base64(re, im, count, first == 6, *twiddles[first]);
    for (int log2L = first + 2; log2L <= log2N; log2L += 2)
    {
        const int length = 1 << log2L;
        const FftTwiddles& t = *twiddles[log2L];
        Radix4Stage(re, im, count, length / 4, t);
    }
}

static void Stages(float* re, float* im, int log2N, const FftTwiddles* const* twiddles)
{
    if (log2N <= kLeafLog2)
    {
        Leaf(re, im, log2N, twiddles);
        return;
    }
    const int quarter = 1 << (log2N - 2);
    for (int part = 0; part < 4; ++part)
        Stages(re + part * quarter, im + part * quarter, log2N - 2, twiddles);
    const FftTwiddles& t = *twiddles[log2N];
    if (t.fineBits != 0)
        Radix4Block<true>(re, im, quarter, t);
    else
        Radix4Block<false>(re, im, quarter, t);
}

// X(k) = E(k) + w^k·O(k) and X(M-k) = conj(E(k) - w^k·O(k)), where E and O are the transforms of the even
// and odd samples, read from Z(k) and Z(M-k) of the half-length complex transform.
template <bool TwoLevel>
static void RealPassPairs(float* x, int count, const FftTwiddles& t)
{
    const int half = count / 2;
    const V8 h = Splat(0.5f);
    for (int k = 8; k <= half / 2 - 8; k += 8)
    {
        const V8 ar = Load(x + k), ai = Load(x + half + k);
        const V8 br = Reverse(Load(x + half - k - 7)), bi = Reverse(Load(x + count - k - 7));
        V8 w[2];
        Twiddles8<TwoLevel>(t, k, 2, w);
        const V8 er = h * (ar + br), ei = h * (ai - bi);
        const V8 orr = h * (ai + bi), oi = h * (br - ar);
        V8 tr, ti;
        CMul(orr, oi, w[0], w[1], tr, ti);
        Store(x + k, er + tr);
        Store(x + count - k - 7, Reverse(ei + ti));
        Store(x + half - k - 7, Reverse(er - tr));
        Store(x + half + k, ti - ei);
    }
}

static void RealPass(float* x, int log2N, const FftTwiddles& t)
{
    const int count = 1 << log2N;
    const int half = count / 2;
    const float a0 = x[0], b0 = x[half];
    x[0] = a0 + b0;
    x[half] = a0 - b0;
    x[half + half / 2] = -x[half + half / 2];
    for (int k = 1; k < 8; ++k)
    {
        const float ar = x[k], ai = x[half + k], br = x[half - k], bi = x[count - k];
        float wr, wi;
        t.Get(1, k, wr, wi);
        const float er = 0.5f * (ar + br), ei = 0.5f * (ai - bi);
        const float orr = 0.5f * (ai + bi), oi = 0.5f * (br - ar);
        const float tr = orr * wr - oi * wi, ti = orr * wi + oi * wr;
        x[k] = er + tr;
        x[count - k] = ei + ti;
        x[half - k] = er - tr;
        x[half + k] = ti - ei;
    }
    if (t.fineBits != 0)
        RealPassPairs<true>(x, count, t);
    else
        RealPassPairs<false>(x, count, t);
}

// Bit reversal by 8x8 tiles: index = (high 3 bits h, middle bits a, low 3 bits l); its reversal is
// (rev l, rev a, rev h). The tile of middle value a holds rows h (8 floats from p + (h << highShift)); its
// element (h, l) belongs at (rev l, rev h) of the tile of rev a: read the rows in reversed order,
// transpose, write the rows in reversed order. The reversed middle value is counted along, no table.
static FFT_INLINE void LoadTile(const float* p, int highShift, V8* t)
{
#pragma GCC unroll 8
    for (int c = 0; c < 8; ++c)
        t[c] = Load(p + (static_cast<std::size_t>(kRev3[c]) << highShift));
    Transpose8(t);
}

static FFT_INLINE void StoreTile(float* p, int highShift, const V8* t)
{
#pragma GCC unroll 8
    for (int r = 0; r < 8; ++r)
        Store(p + (static_cast<std::size_t>(r) << highShift), t[kRev3[r]]);
}

static FFT_INLINE std::uint32_t Reverse32(std::uint32_t v)
{
    v = __builtin_bswap32(v);
    v = ((v >> 4) & 0x0F0F0F0Fu) | ((v & 0x0F0F0F0Fu) << 4);
    v = ((v >> 2) & 0x33333333u) | ((v & 0x33333333u) << 2);
    return ((v >> 1) & 0x55555555u) | ((v & 0x55555555u) << 1);
}

static void BitReverseTiles(float* x, int order)
{
    constexpr std::uint32_t kAhead = 4;  // tiles whose partner rows are fetched in advance
    const int highShift = order - 3;
    const int bits = order - 6;
    const std::uint32_t count = 1u << bits;
    const auto reverse = [bits](std::uint32_t a) { return bits == 0 ? 0u : Reverse32(a) >> (32 - bits); };
    for (std::uint32_t a = 0; a < count; ++a)
    {
        if (a + kAhead < count)
        {
            const float* next = x + (static_cast<std::size_t>(reverse(a + kAhead)) << 3);
#pragma GCC unroll 8
            for (int h = 0; h < 8; ++h)
                __builtin_prefetch(next + (static_cast<std::size_t>(h) << highShift), 1);
        }
        const std::uint32_t ra = reverse(a);
        if (ra < a)
            continue;
        float* const pa = x + (static_cast<std::size_t>(a) << 3);
        float* const pr = x + (static_cast<std::size_t>(ra) << 3);
        V8 ta[8];
        LoadTile(pa, highShift, ta);
        if (ra == a)
        {
            StoreTile(pa, highShift, ta);
            continue;
        }
        V8 tr[8];
        LoadTile(pr, highShift, tr);
        StoreTile(pr, highShift, ta);
        StoreTile(pa, highShift, tr);
    }
}

static constexpr FftKernelSet kKernels = {&Stages, &RealPass, &BitReverseTiles};

#undef FFT_INLINE

}  // namespace FFT_KERNEL_NAMESPACE

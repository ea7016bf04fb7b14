#include "dsp/FilterDesigner.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <numbers>

std::atomic<int> g_nMathError{0};

namespace
{

constexpr double kPi = std::numbers::pi;
constexpr double kMachineEpsilon = 1.1102230246251565e-16;
constexpr double kHuge = DBL_MAX;

// The s-plane root array of a prototype; the designer's own limit.
constexpr int kSPlaneRoots = 25;

DesignComplex Conjugate(const DesignComplex& z)
{
    return {z.r, -z.i};
}

DesignComplex Scale(const DesignComplex& z, double s)
{
    return {z.r * s, z.i * s};
}

// 1 / conj(p): the member in the upper half plane of the inverted conjugate pair.
DesignComplex InvertKeepingHalfPlane(const DesignComplex& p)
{
    const double norm = p.r * p.r + p.i * p.i;
    return {p.r / norm, p.i / norm};
}

// Carlson's symmetric integral R_F(x, y, z) by duplication; the stopping tolerance keeps the
// truncation error below double precision.
double CarlsonRf(double x, double y, double z)
{
    constexpr double kTolerance = 0.0008;
    for (int step = 0; step < 100; ++step)
    {
        const double mu = (x + y + z) / 3.0;
        const double dx = 1.0 - x / mu;
        const double dy = 1.0 - y / mu;
        const double dz = 1.0 - z / mu;
        if (std::max({std::fabs(dx), std::fabs(dy), std::fabs(dz)}) < kTolerance)
        {
            const double e2 = dx * dy - dz * dz;
            const double e3 = dx * dy * dz;
            return (1.0 - e2 / 10.0 + e3 / 14.0 + e2 * e2 / 24.0 - 3.0 * e2 * e3 / 44.0) / std::sqrt(mu);
        }
        const double sx = std::sqrt(x), sy = std::sqrt(y), sz = std::sqrt(z);
        const double lambda = sx * sy + sy * sz + sz * sx;
        x = 0.25 * (x + lambda);
        y = 0.25 * (y + lambda);
        z = 0.25 * (z + lambda);
    }
    return 1.0 / std::sqrt((x + y + z) / 3.0);
}

// Expands prod(1 - root z^-1) over the roots into count+1 real coefficients (conjugate pairs make the
// imaginary parts cancel).
void ExpandRoots(std::span<const DesignComplex> roots, std::span<double> out)
{
    std::array<DesignComplex, kDesignArraySize> y{};
    y[0] = {1.0, 0.0};
    const int count = static_cast<int>(roots.size());
    for (int k = 0; k < count; ++k)
    {
        for (int j = k + 1; j >= 1; --j)
        {
            const DesignComplex product = ComplexMultiply(roots[k], y[j - 1]);
            y[j] = ComplexSubtract(product, y[j]);
        }
    }
    for (int j = 0; j <= count; ++j)
        out[j] = y[j].r;
}

// The frequency at which a design is normalised: 0 Hz for low-pass and band-stop, half the rate for
// high-pass, the band centre (cos w0 = cgam) for band-pass.
double ReferenceFrequency(int type, double fs, double cgam)
{
    switch (type)
    {
        case kBandLowPass:
        case kBandBandStop:
            return 0.0;
        case kBandHighPass:
            return 0.5 * fs;
        default:
            return (kPi / 2.0 - std::asin(std::clamp(cgam, -1.0, 1.0))) * fs / (2.0 * kPi);
    }
}

}  // namespace

void ReportMathError(const char* name, int code)
{
    static constexpr const char* kTexts[] = {"unknown",
                                             "domain",
                                             "singularity",
                                             "overflow",
                                             "underflow",
                                             "total loss of precision",
                                             "partial loss of precision"};
    const char* text = (code >= 1 && code <= 6) ? kTexts[code] : kTexts[0];
    std::printf("\n%s ", name);
    std::printf("%s error\n", text);
    g_nMathError.store(code);
}

double ellpk(double m1)
{
    if (m1 < 0.0 || m1 > 1.0)
    {
        ReportMathError("ellpk", kMathDomain);
        return 0.0;
    }
    if (m1 == 0.0)
    {
        ReportMathError("ellpk", kMathSingularity);
        return kHuge;
    }
    if (m1 <= kMachineEpsilon)
        return std::log(4.0) - 0.5 * std::log(m1);
    // K(m) = pi / (2 AGM(1, sqrt(1 - m))): quadratic convergence to full precision.
    double a = 1.0;
    double b = std::sqrt(m1);
    for (int step = 0; step < 64 && std::fabs(a - b) > kMachineEpsilon * a; ++step)
    {
        const double next = 0.5 * (a + b);
        b = std::sqrt(a * b);
        a = next;
    }
    return kPi / (a + b);
}

double ellik(double phi, double m)
{
    if (m == 0.0)
        return phi;
    if (m == 1.0)
    {
        if (std::fabs(phi) >= kPi / 2.0)
        {
            ReportMathError("ellik", kMathSingularity);
            return kHuge;
        }
        return std::log(std::tan((kPi / 2.0 + phi) / 2.0));
    }
    // F(phi + j pi) = F(phi) + 2 j K(m); the reduced amplitude lies in -pi/2 .. pi/2.
    const double turns = std::round(phi / kPi);
    const double reduced = phi - turns * kPi;
    const double s = std::sin(reduced);
    const double c = std::cos(reduced);
    double value = s * CarlsonRf(c * c, 1.0 - m * s * s, 1.0);
    if (turns != 0.0)
        value += 2.0 * turns * ellpk(1.0 - m);
    return value;
}

int ellpj(double u, double m, double& sn, double& cn, double& dn, double& phi)
{
    if (m < 0.0 || m > 1.0)
    {
        ReportMathError("ellpj", kMathDomain);
        sn = cn = dn = phi = 0.0;
        return -1;
    }
    if (m < 1.0e-9)
    {
        // First order in m about the circular functions.
        const double t = std::sin(u);
        const double b = std::cos(u);
        const double ai = 0.25 * m * (u - t * b);
        sn = t - ai * b;
        cn = b + ai * t;
        phi = u - ai;
        dn = 1.0 - 0.5 * m * t * t;
        return 0;
    }
    if (m >= 0.9999999999)
    {
        // First order in 1 - m about the hyperbolic functions.
        const double m1 = 1.0 - m;
        const double ch = std::cosh(u);
        const double th = std::tanh(u);
        const double sech = 1.0 / ch;
        const double shch = std::sinh(u) * ch;
        sn = th + 0.25 * m1 * (shch - u) * sech * sech;
        phi = 2.0 * std::atan(std::exp(u)) - kPi / 2.0 + 0.25 * m1 * (shch - u) * sech;
        cn = sech - 0.25 * m1 * (shch - u) * th * sech;
        dn = sech + 0.25 * m1 * (shch + u) * th * sech;
        return 0;
    }
    // Descending arithmetic-geometric mean, then back-substitution of the amplitudes.
    std::array<double, 10> a{};
    std::array<double, 10> c{};
    a[0] = 1.0;
    double b = std::sqrt(1.0 - m);
    c[0] = std::sqrt(m);
    double twon = 1.0;
    int i = 0;
    while (std::fabs(c[i] / a[i]) > kMachineEpsilon)
    {
        if (i > 7)
        {
            ReportMathError("ellpj", kMathOverflow);
            break;
        }
        const double ai = a[i];
        ++i;
        c[i] = 0.5 * (ai - b);
        const double t = std::sqrt(ai * b);
        a[i] = 0.5 * (ai + b);
        b = t;
        twon *= 2.0;
    }
    double angle = twon * a[i] * u;
    double previous = angle;
    for (; i > 0; --i)
    {
        previous = angle;
        angle = 0.5 * (std::asin(c[i] * std::sin(angle) / a[i]) + angle);
    }
    sn = std::sin(angle);
    cn = std::cos(angle);
    dn = cn / std::cos(previous - angle);
    phi = angle;
    return 0;
}

double ModulusFromNome(double q)
{
    // k = theta2^2 / theta3^2 with theta2 = 2 q^(1/4) sum q^(n(n+1)) and theta3 = 1 + 2 sum q^(n^2).
    double numerator = 1.0;
    double denominator = 1.0;
    for (int n = 1; n < 1000; ++n)
    {
        const double tn = std::pow(q, static_cast<double>(n) * (n + 1));
        const double td = 2.0 * std::pow(q, static_cast<double>(n) * n);
        numerator += tn;
        denominator += td;
        if (tn / numerator < kMachineEpsilon && td / denominator < kMachineEpsilon)
            break;
    }
    const double ratio = numerator / denominator;
    return 4.0 * std::sqrt(q) * ratio * ratio;
}

DesignComplex cdiv(const DesignComplex& a, const DesignComplex& b)
{
    const double y = a.r * a.r + a.i * a.i;
    const double pr = b.r * a.r + b.i * a.i;
    const double pi = b.i * a.r - b.r * a.i;
    if (y < 1.0)
    {
        const double w = kHuge * y;
        if (std::fabs(pr) > w || std::fabs(pi) > w || y == 0.0)
        {
            ReportMathError("cdiv", kMathOverflow);
            return {kHuge, kHuge};
        }
    }
    return {pr / y, pi / y};
}

double cabs(const DesignComplex& z)
{
    // hypot scales through the exponents, so no intermediate overflows.
    const double value = std::hypot(z.r, z.i);
    if (std::isinf(value) && std::isfinite(z.r) && std::isfinite(z.i))
        ReportMathError("cabs", kMathOverflow);
    return value;
}

DesignComplex ComplexAdd(const DesignComplex& a, const DesignComplex& b)
{
    return {a.r + b.r, a.i + b.i};
}

DesignComplex ComplexSubtract(const DesignComplex& a, const DesignComplex& b)
{
    return {b.r - a.r, b.i - a.i};
}

DesignComplex ComplexMultiply(const DesignComplex& a, const DesignComplex& b)
{
    return {a.r * b.r - a.i * b.i, a.r * b.i + a.i * b.r};
}

void ComplexCopy(const DesignComplex& from, DesignComplex& to)
{
    to = from;
}

DesignComplex ComplexSqrt(const DesignComplex& z)
{
    const double x = z.r;
    const double y = z.i;
    if (y == 0.0)
    {
        if (x < 0.0)
            return {0.0, std::sqrt(-x)};
        return {std::sqrt(x), 0.0};
    }
    if (x == 0.0)
    {
        const double s = std::sqrt(0.5 * std::fabs(y));
        return {y > 0.0 ? s : -s, s};
    }
    // First estimate of the imaginary part, avoiding the cancellation in |z| - x when y is small
    // against a positive x; the real part follows from 2 r t = y. One Newton step refines it.
    const double t =
        (std::fabs(y) < 0.0002 * x) ? std::fabs(y) / (2.0 * std::sqrt(x)) : std::sqrt(0.5 * (cabs(z) - x));
    DesignComplex root{y / (2.0 * t), t};
    const DesignComplex quotient = cdiv(root, z);
    root = Scale(ComplexAdd(root, quotient), 0.5);
    return root;
}

double EvaluatePolynomial(double x, std::span<const double> coefficients)
{
    double value = 0.0;
    for (double coefficient : coefficients)
        value = value * x + coefficient;
    return value;
}

int DesignIirFilter(int kind, int type, int order, double fs, double f1, double f2, double rippleDb,
                    double stopSpec, int& orderOut, std::span<double> a, std::span<double> b, double& gain,
                    std::span<DesignComplex> roots)
{
    const int n = order;
    if (kind < kDesignButterworth || kind > kDesignElliptic || type < kBandLowPass || type > kBandBandStop)
        return kDesignInvalidArguments;
    const bool band = (type % 2) == 0;
    // The prototype's roots (2n + 2 entries) and, for bands, the doubled z-plane polynomials must fit
    // the arrays of 50 (orders up to 24, bands up to 12); an order below 1 has no prototype. The
    // comparisons are written so that no order from a file can overflow them.
    constexpr int kMaximumOrder = (kDesignArraySize - 2) / 2;
    constexpr int kMaximumBandOrder = (kDesignArraySize - 2) / 4;
    if (n < 1 || n > (band ? kMaximumBandOrder : kMaximumOrder))
        return kDesignOrderTooHigh;
    const int maximumZ = band ? 2 * n : n;
    if (a.size() < static_cast<std::size_t>(maximumZ + 1) ||
        b.size() < static_cast<std::size_t>(maximumZ + 1) ||
        roots.size() < static_cast<std::size_t>(2 * maximumZ))
        return kDesignOrderTooHigh;

    // 1. Ripple parameters.
    double scale = 1.0;
    double phi = 0.0;
    double eps = 0.0;
    if (kind != kDesignButterworth && !(rippleDb > 0.0 && std::isfinite(rippleDb)))
        return kDesignInvalidArguments;
    if (kind == kDesignChebyshev)
    {
        phi = std::exp(0.5 * rippleDb / kDesignDbFactor);
        scale = (n % 2 == 0) ? phi : 1.0;
    }
    else if (kind == kDesignElliptic)
    {
        const double e = std::exp(rippleDb / kDesignDbFactor);
        scale = (n % 2 == 0) ? std::sqrt(e) : 1.0;
        eps = std::sqrt(e - 1.0);
    }

    // 2. Edges.
    if (!band)
        f1 = 0.0;
    if (f2 < f1)
        std::swap(f1, f2);
    if (!(fs > 0.0 && std::isfinite(fs)) || !(f2 > 0.0 && f2 < 0.5 * fs) || (band && !(f1 > 0.0 && f1 < f2)))
        return kDesignInvalidArguments;
    double bw = 0.0;
    double fa = 0.0;
    if (type == kBandHighPass)
    {
        bw = f2;
        fa = 0.5 * fs;
    }
    else
    {
        bw = f2 - f1;
        fa = f2;
    }

    // 3. Pre-warped bandwidth: c = tan(pi bw / fs).
    const double ang = bw * kPi / fs;
    const double cang = std::cos(ang);
    const double c = std::sin(ang) / cang;

    // 4. Band centre.
    const double cgam = std::cos((fa + f1) * kPi / fs) / cang;
    double cbp = 0.0;
    if (kind != kDesignElliptic)
        cbp = (cgam - std::cos(2.0 * kPi * f2 / fs)) / std::sin(2.0 * kPi * f2 / fs);

    // 5. Elliptic: stop-band edge, its consistency, and the lambda plane.
    double k = 0.0;
    double m = 0.0;
    double Kk = 0.0;
    double u = 0.0;
    if (kind == kDesignElliptic)
    {
        if (!std::isfinite(stopSpec) || stopSpec == 0.0)
            return kDesignInvalidArguments;
        double f3 = 0.0;
        double wr = 0.0;
        double stopModulus = 0.0;
        if (stopSpec > 0.0)
        {
            f3 = stopSpec;
        }
        else
        {
            const double attenuation = std::exp(-stopSpec / kDesignDbFactor);
            // An attenuation no deeper than the ripple has no elliptic design.
            if (!(attenuation - 1.0 > eps * eps))
                return kDesignInvalidArguments;
            const double ratio = eps / std::sqrt(attenuation - 1.0);
            const double m1 = ratio * ratio;
            const double K1 = ellpk(1.0 - m1);
            const double K1p = ellpk(m1);
            const double q = std::exp(-kPi * K1p / (n * K1));
            stopModulus = ModulusFromNome(q);
            wr = (type == kBandHighPass || type == kBandBandStop) ? stopModulus : 1.0 / stopModulus;
            if (!band)
            {
                f3 = std::atan(c * wr) * fs / kPi;
            }
            else
            {
                const double x = (c * wr) * (c * wr);
                const double y = (cgam + std::sqrt(x * (1.0 - cgam * cgam) + x * x)) / (1.0 + x);
                f3 = (kPi / 2.0 - std::asin(y)) * fs / (2.0 * kPi);
            }
        }
        bool consistent = false;
        switch (type)
        {
            case kBandLowPass:
                consistent = f3 > f2;
                break;
            case kBandHighPass:
                consistent = f3 < f2;
                break;
            case kBandBandPass:
                consistent = f3 > f2 || f3 < f1;
                break;
            default:
                consistent = f1 < f3 && f3 < f2;
                break;
        }
        if (!consistent)
            return kDesignStopBandWrongSide;

        const double a3 = f3 * kPi / fs;
        if (!band)
            wr = std::sin(a3) / (std::cos(a3) * c);
        else
            wr = (cgam - std::cos(2.0 * a3)) / (std::sin(2.0 * a3) * c);
        if (type == kBandHighPass || type == kBandBandStop)
            wr = 1.0 / wr;
        wr = std::fabs(wr);

        // The lambda plane: the degree equation gives the discrimination modulus k1 of the order, and
        // u places the poles for the ripple.
        k = 1.0 / wr;
        m = k * k;
        Kk = ellpk(1.0 - m);
        const double Kpk = ellpk(m);
        const double q = std::exp(-kPi * n * Kpk / Kk);
        const double k1 = ModulusFromNome(q);
        const double m1p = 1.0 - k1 * k1;
        const double K1 = ellpk(m1p);
        u = ellik(std::atan(1.0 / eps), m1p) * Kk / (n * K1);
        if (stopSpec <= 0.0)
        {
            k = stopModulus;
            m = k * k;
        }
    }

    // 6. The prototype's roots, normalised to an edge of 1: poles in the upper half plane and on the
    // real axis, then the zeros.
    std::array<DesignComplex, kSPlaneRoots> sRoots{};
    const int np = (n + 1) / 2;
    int nz = 0;
    if (kind == kDesignButterworth || kind == kDesignChebyshev)
    {
        const double m0 = (n % 2 == 1) ? 0.0 : kPi / (2.0 * n);
        double ax = 1.0;
        double by = 1.0;
        if (kind == kDesignChebyshev)
        {
            const double p = std::pow((phi + 1.0) / std::sqrt((phi - 1.0) * (phi + 1.0)), 1.0 / n);
            ax = 0.5 * (p - 1.0 / p);
            by = 0.5 * (p + 1.0 / p);
        }
        for (int i = 0; i < np; ++i)
        {
            const double angle = m0 + i * kPi / n;
            sRoots[i] = {-ax * std::cos(angle), by * std::sin(angle)};
        }
        if (type == kBandHighPass || type == kBandBandStop)
        {
            for (int i = 0; i < np; ++i)
                sRoots[i] = InvertKeepingHalfPlane(sRoots[i]);
            nz = (type == kBandBandStop) ? np + n / 2 : np;
            for (int i = 0; i < nz; ++i)
                sRoots[np + i] = {0.0, 0.0};
        }
    }
    else
    {
        nz = n / 2;
        double sn1 = 0.0, cn1 = 0.0, dn1 = 0.0, phi1 = 0.0;
        ellpj(u, 1.0 - m, sn1, cn1, dn1, phi1);
        for (int i = 0; i < nz; ++i)
        {
            double sn = 0.0, cn = 0.0, dn = 0.0, ph = 0.0;
            ellpj((n - 1 - 2 * i) * Kk / n, m, sn, cn, dn, ph);
            sRoots[np + i] = {0.0, 1.0 / (k * sn)};
        }
        for (int i = 0; i < np; ++i)
        {
            double sn = 0.0, cn = 0.0, dn = 0.0, ph = 0.0;
            ellpj((n - 1 - 2 * i) * Kk / n, m, sn, cn, dn, ph);
            const double d = cn1 * cn1 + (k * sn * sn1) * (k * sn * sn1);
            sRoots[i] = {-cn * dn * sn1 * cn1 / d, sn * dn1 / d};
        }
        if (type == kBandHighPass || type == kBandBandStop)
        {
            for (int i = 0; i < np + nz; ++i)
                sRoots[i] = InvertKeepingHalfPlane(sRoots[i]);
            while (nz < np)
                sRoots[np + nz++] = {0.0, 0.0};
        }
    }

    // 8. Bilinear transform to the z-plane; every complex result is followed by its conjugate.
    std::array<DesignComplex, 2 * kDesignArraySize> zRoots{};
    int zCount = 0;
    auto add = [&](const DesignComplex& z)
    {
        zRoots[zCount++] = z;
        if (z.i != 0.0)
            zRoots[zCount++] = Conjugate(z);
    };
    const double w = (kind == kDesignChebyshev) ? cbp : c;
    auto map = [&](const DesignComplex& r)
    {
        if (!band)
        {
            const DesignComplex cr = Scale(r, c);
            add(cdiv({1.0 - cr.r, -cr.i}, {1.0 + cr.r, cr.i}));
            return;
        }
        // (1 - r w) z^2 - 2 cgam z + (1 + r w) = 0.
        const DesignComplex rw = Scale(r, w);
        const DesignComplex rw2 = ComplexMultiply(rw, rw);
        const DesignComplex d{4.0 * cgam * cgam - 4.0 * (1.0 - rw2.r), 4.0 * rw2.i};
        const DesignComplex root = ComplexSqrt(d);
        const DesignComplex denominator{2.0 * (1.0 - rw.r), -2.0 * rw.i};
        const DesignComplex first = cdiv(denominator, {2.0 * cgam + root.r, root.i});
        add(first);
        if (r.i != 0.0 || first.i == 0.0)
            add(cdiv(denominator, {2.0 * cgam - root.r, -root.i}));
    };
    for (int i = 0; i < np; ++i)
        map(sRoots[i]);
    const int Z = zCount;
    for (int i = 0; i < nz; ++i)
        map(sRoots[np + i]);

    // 9. Missing zeros at the band edges of the unit circle, then the polynomials.
    while (zCount < 2 * Z)
    {
        if (kind == kDesignElliptic)
        {
            zRoots[zCount++] = {-1.0, 0.0};
            if (band && zCount < 2 * Z)
                zRoots[zCount++] = {1.0, 0.0};
        }
        else
        {
            if (type != kBandHighPass)
                zRoots[zCount++] = {-1.0, 0.0};
            if ((type == kBandBandPass || type == kBandHighPass) && zCount < 2 * Z)
                zRoots[zCount++] = {1.0, 0.0};
        }
    }
    if (zCount != 2 * Z || Z > maximumZ)
        return kDesignInvalidArguments;

    std::array<double, kDesignArraySize> denominator{};
    std::array<double, kDesignArraySize> numerator{};
    ExpandRoots(std::span<const DesignComplex>(zRoots.data(), Z), denominator);
    ExpandRoots(std::span<const DesignComplex>(zRoots.data() + Z, Z), numerator);

    // 10. Gain: 1/scale at the reference frequency. The response there is taken from the roots, as a
    // product of distances: summing the expanded polynomials instead cancels catastrophically when the
    // poles crowd around the reference point (a narrow or low band: +100 dB and more in the gain).
    // With numerators prod(1 - zero z^-1) the response at the reference is real and positive, so the
    // magnitude is the value.
    const double referenceResponse = DesignResponseMagnitude(
        ReferenceFrequency(type, fs, cgam), 1.0, fs, Z, std::span<const DesignComplex>(zRoots.data(), 2 * Z));
    double g = 1.0 / (referenceResponse * scale);
    if (kind != kDesignElliptic && referenceResponse == 0.0)
        g = 1.0;
    for (int j = 0; j <= Z; ++j)
        numerator[j] *= g;

    // Edges close to 0 or to half the rate can still overflow; such a design is refused rather than
    // handed out with non-finite coefficients.
    bool finite = std::isfinite(g);
    for (int j = 0; j <= Z; ++j)
        finite = finite && std::isfinite(numerator[j]) && std::isfinite(denominator[j]);
    for (int j = 0; j < 2 * Z; ++j)
        finite = finite && std::isfinite(zRoots[j].r) && std::isfinite(zRoots[j].i);
    if (!finite)
        return kDesignInvalidArguments;

    orderOut = Z;
    std::fill(a.begin(), a.end(), 0.0);
    std::fill(b.begin(), b.end(), 0.0);
    std::copy_n(denominator.begin(), Z + 1, a.begin());
    std::copy_n(numerator.begin(), Z + 1, b.begin());
    std::fill_n(roots.begin(), std::min<std::size_t>(roots.size(), kDesignArraySize), DesignComplex{});
    std::copy_n(zRoots.begin(), 2 * Z, roots.begin());
    gain = g;
    return kDesignOk;
}

double DesignResponseMagnitude(double f, double gain, double fs, int Z, std::span<const DesignComplex> roots)
{
    const double omega = 2.0 * kPi * f / fs;
    const DesignComplex w{std::cos(omega), std::sin(omega)};
    DesignComplex numerator{gain, 0.0};
    DesignComplex denominator{1.0, 0.0};
    const int count = std::clamp(Z, 0, static_cast<int>(roots.size() / 2));
    for (int i = 0; i < count; ++i)
    {
        numerator = ComplexMultiply(numerator, ComplexSubtract(roots[count + i], w));
        denominator = ComplexMultiply(denominator, ComplexSubtract(roots[i], w));
    }
    return cabs(cdiv(denominator, numerator));
}

double GetDesignResponse(double f, double gain, double fs, int Z, std::span<const DesignComplex> roots)
{
    return DesignResponseMagnitude(f, gain, fs, Z, roots);
}

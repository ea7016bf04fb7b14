// Designs digital recursive filters from the classical analog prototypes (Butterworth, Chebyshev with
// equal passband ripple, elliptic) as low-pass, band-pass, high-pass or band-stop, through the bilinear
// transform with pre-warped edges. A design comes back three ways: z-plane poles and zeros, numerator
// and denominator polynomials, and a gain. Self-contained: its own complex arithmetic, elliptic
// integrals and Jacobian elliptic functions.
//
// Threads: re-entrant; each call works on its arguments and a stack work area. The only shared state is
// the last math error code, an atomic.
#pragma once

#include <atomic>
#include <span>

// One complex value of the designer: real part, then imaginary part.
struct DesignComplex
{
    double r = 0.0;
    double i = 0.0;
};

// Design kinds and band types as the settings records store them.
inline constexpr int kDesignButterworth = 1;
inline constexpr int kDesignChebyshev = 2;
inline constexpr int kDesignElliptic = 3;

inline constexpr int kBandLowPass = 1;
inline constexpr int kBandBandPass = 2;
inline constexpr int kBandHighPass = 3;
inline constexpr int kBandBandStop = 4;

// Results of DesignIirFilter. On anything but kDesignOk the outputs are left untouched.
inline constexpr int kDesignOk = 0;
inline constexpr int kDesignStopBandWrongSide = -1;  // elliptic stop-band edge on the passband's side
inline constexpr int kDesignOrderTooHigh = -2;       // the order does not fit the design arrays
inline constexpr int kDesignInvalidArguments = -3;   // kind, band, rate, edges or ripple unusable

// Capacity of every polynomial and work array, and of the caller's root array.
inline constexpr int kDesignArraySize = 50;
inline constexpr int kDesignRootCapacity = 100;

// The dB factor 10 / ln 10.
inline constexpr double kDesignDbFactor = 4.342944819032518;

// Designs a filter. fs and the edges f1, f2 in Hz (low- and high-pass use f2 only; a band's edges are
// swapped when f2 < f1); rippleDb is the passband ripple (Chebyshev, elliptic); stopSpec (elliptic
// only) is the stop-band edge in Hz when > 0, else minus the stop-band attenuation in dB.
// On success: Z (poles in the z-plane: the order for low- and high-pass, twice it for bands), the
// denominator a[0..Z] with a[0] = 1, the numerator b[0..Z] already multiplied by the gain, the gain,
// and the roots: poles in 0..Z-1, zeros in Z..2Z-1, a complex root followed by its conjugate.
// The arrays must hold Z+1 coefficients and 2Z roots (kDesignArraySize and kDesignRootCapacity always
// do); orders above 24 (12 for bands) or below 1 give kDesignOrderTooHigh.
int DesignIirFilter(int kind, int type, int order, double fs, double f1, double f2, double rippleDb,
                    double stopSpec, int& orderOut, std::span<double> a, std::span<double> b, double& gain,
                    std::span<DesignComplex> roots);

// |g * prod(w - zero) / prod(w - pole)| at w = exp(j 2 pi f / fs), over the Z poles and Z zeros.
double DesignResponseMagnitude(double f, double gain, double fs, int Z, std::span<const DesignComplex> roots);
double GetDesignResponse(double f, double gain, double fs, int Z, std::span<const DesignComplex> roots);

// Special functions. Their domain failures are reported through ReportMathError and a substitute value
// is returned; the designer goes on with it.
// K(m), the complete elliptic integral of the first kind, for the parameter m = 1 - m1.
double ellpk(double m1);
// F(phi | m), the incomplete elliptic integral of the first kind.
double ellik(double phi, double m);
// Jacobian elliptic functions sn, cn, dn and the amplitude phi of u for the parameter m; 0, or -1 on
// a parameter outside 0..1 (all outputs 0).
int ellpj(double u, double m, double& sn, double& cn, double& dn, double& phi);
// The modulus k of the nome q.
double ModulusFromNome(double q);

// Complex arithmetic of the designer.
DesignComplex cdiv(const DesignComplex& a, const DesignComplex& b);  // b / a
double cabs(const DesignComplex& z);
DesignComplex ComplexAdd(const DesignComplex& a, const DesignComplex& b);       // a + b
DesignComplex ComplexSubtract(const DesignComplex& a, const DesignComplex& b);  // b - a
DesignComplex ComplexMultiply(const DesignComplex& a, const DesignComplex& b);
void ComplexCopy(const DesignComplex& from, DesignComplex& to);
// The square root whose imaginary part is not negative.
DesignComplex ComplexSqrt(const DesignComplex& z);
// Horner evaluation; coefficients of the highest power first.
double EvaluatePolynomial(double x, std::span<const double> coefficients);

// Math error codes and the last one reported.
inline constexpr int kMathDomain = 1;
inline constexpr int kMathSingularity = 2;
inline constexpr int kMathOverflow = 3;
inline constexpr int kMathUnderflow = 4;
inline constexpr int kMathTotalLoss = 5;
inline constexpr int kMathPartialLoss = 6;
extern std::atomic<int> g_nMathError;

// Prints the routine's name and the error's text on standard output and stores the code.
void ReportMathError(const char* name, int code);

// Per-sample channel operations that the engine applies to its virtual channels and the measurement
// window applies to overlay curves, with the names shown for them in lists.
#pragma once

#include <span>

// Operation codes as they are stored in settings; any other value means "do nothing".
enum DspOperationCode : int
{
    kDspNone = 0,
    kDspAdd = 1,
    kDspSub = 2,
    kDspMul = 3,
    kDspDiv = 4,
    kDspMax = 5,
    kDspMin = 6,
    kDspAbs = 7,
    kDspSqrt = 8,
    kDspLog = 9,
    kDspDiff = 10,
    kDspInteg = 11,
    kDspInteg2 = 12,
    kDspInv = 13,
    kDspReciproc = 14,
    kDspScale = 15,
    kDspOffset = 16,
};

inline constexpr int kDspOperationCount = 17;

// Flag bit: DIFF, INTEG and INTEG2 multiply out[1..n-1] by *k after the whole array is computed.
inline constexpr int kDspFlagScale = 1;

// A channel's sample operation as the engine applies it to its analysis rows: the target row
// receives the operation of the two source rows (and the constant).
struct DspOperation
{
    DspOperation() { Reset(0); }
    // Both sources and the target the channel, no operation, reserved 1, no flags, constant 0.
    void Reset(int channel);

    int m_nSource1 = 0;
    int m_nSource2 = 0;
    int m_nTarget = 0;
    int m_nOperation = 0;
    int m_nReserved = 1;
    int m_nFlags = 0;  // bit 0: scaled by the constant
    double m_dConstant = 0.0;
};

// Applies `code` to `count` samples: out[i] from a[i] (and b[i] or *k where the code uses them),
// computed in double and stored as float. `out` may be the same array as `a` or `b` for every code,
// DIFF included. `b` is read only by ADD..MIN, `k` only by SCALE, OFFSET and the scaling flag; when a
// pointer the code needs is null the output is left untouched. Codes outside 0..16 and counts <= 0 do
// nothing. Division by zero and logarithms or roots of negative values give inf/NaN samples.
void ApplyDspOperation(int code, int count, const float* a, const float* b, float* out, int flags,
                       const double* k);

// The operation on one pair of values, as the overlay combination uses it: b is the second curve's
// value or the constant. DIFF, INTEG and INTEG2 return a; unknown codes return 0.
double ApplyDspOperationScalar(int code, double a, double b);

// The display name ("NONE" ... "OFFSET"), or "" for an unknown code.
const char* GetDspOperationName(int code);

// Copies the name into a character buffer, cut to fit and always terminated (nothing for an empty buffer).
void GetDspOperationName(int code, std::span<char> buffer);

// One recursive filter in direct form I with double-precision histories: every table, weighting and
// designed filter runs its samples through this class. H(z) = (b0 + b1 z^-1 + ...) / (1 + a1 z^-1 + ...);
// a0 is never read. Coefficients are either borrowed (static tables the caller keeps alive) or copied
// into storage the filter owns (m_bOwnsCoefficients = 1 before SetCoefficients).
//
// Threads: one object belongs to one channel of one owner and is used by one thread at a time;
// coefficients change only between blocks. Process allocates nothing; SetCoefficients allocates only
// when the new set is larger than anything the filter held or reserved before.
#pragma once

#include <vector>

class CIirFilter
{
public:
    CIirFilter();
    virtual ~CIirFilter();
    CIirFilter(const CIirFilter&) = delete;
    CIirFilter& operator=(const CIirFilter&) = delete;

    // Installs nB feed-forward and nA feedback coefficients and clears both histories. Borrowed mode
    // keeps the pointers; owned mode copies the values, and the caller may discard its arrays.
    void SetCoefficients(int nB, int nA, const double* b, const double* a);
    // Filters the block in place. Without coefficients (nothing set, or released) the block is left
    // as it is.
    void Process(float* samples, int count);
    // Clears both histories; the coefficients stay.
    void Reset();
    // Drops histories and owned coefficients; the filter passes blocks unchanged until the next
    // SetCoefficients.
    void Release();
    // Sizes histories and owned storage for sets of up to maxB / maxA coefficients, so that later
    // SetCoefficients calls within those sizes allocate nothing (designs made on the audio path).
    void Reserve(int maxB, int maxA);

    int GetNumB() const { return m_nB; }
    int GetNumA() const { return m_nA; }
    const double* GetB() const { return m_pB; }
    const double* GetA() const { return m_pA; }
    // The histories of a second-order section (3 and 3 coefficients) as x[n-1], x[n-2], y[n-1],
    // y[n-2], or of a first-order one (2 and 2) as x[n-1], 0, y[n-1], 0, for code that runs several
    // sections side by side; other filters read zeros and keep their histories.
    void GetSectionState(double state[4]) const;
    void SetSectionState(const double state[4]);

    int m_bEnabled = 0;           // kept for the owner; the filter never reads it
    int m_nOption = 0;            // kept for the owner
    int m_bOwnsCoefficients = 0;  // 1: SetCoefficients copies the arrays

private:
    void ProcessGeneral(float* samples, int count);

    int m_nOwnedA = 0;
    int m_nOwnedB = 0;
    int m_nA = 0;
    int m_nB = 0;
    // Past inputs x[n-1], x[n-2], ... and outputs y[n-1], y[n-2], ...; one spare entry each.
    std::vector<double> m_inputHistory;
    std::vector<double> m_outputHistory;
    std::vector<double> m_ownedB;
    std::vector<double> m_ownedA;
    const double* m_pB = nullptr;
    const double* m_pA = nullptr;
};

// A curve of float points (y values, and x values or an even spacing), as an overlay stores it.
#pragma once

#include <cstddef>
#include <vector>

class CArchive;

class Ccurve_data
{
public:
    // The largest point count a stored curve may claim; a plot never draws more.
    static constexpr int kMaxPoints = 20000000;

    Ccurve_data() = default;
    virtual ~Ccurve_data() = default;

    // An exact deep copy: y values, x values only when the other has them, count, spacing, reserved.
    void CopyFrom(const Ccurve_data& other);
    bool HasX() const { return !m_pX.empty(); }
    // n, m (n with x values, else 0), spacing, reserved, n floats y, m floats x. A stored count
    // outside 0..kMaxPoints, or an x count that is neither 0 nor n, is refused before anything is
    // allocated; the arrays then grow only as far as the stream really delivers values.
    void Serialize(CArchive& ar);

    double m_dDeltaX = 0.0;
    int m_nCount = 0;
    std::vector<float> m_pY;  // m_nCount values
    std::vector<float> m_pX;  // m_nCount values, or empty for none
    int m_nReserved = 0;
};

// Reads `count` floats, growing the array in bounded steps so that a lying count costs no more than
// the values that arrive. Throws platform::ArchiveError when the stream ends first.
std::vector<float> ReadFloatValues(CArchive& ar, std::size_t count);

// One step of a first- or second-order recursive section in direct form I, for one value (double)
// or for several lanes at once (a vector of doubles): the one-lane filters and the side-by-side ones
// share these, so both round alike. The last output enters the sum last, so that only one product
// and one subtraction lie between two outputs (the recursion, not the arithmetic, sets the pace).
#pragma once

template <typename T>
struct SecondOrderState
{
    T x1, x2, y1, y2;
};

template <typename T>
struct FirstOrderState
{
    T x1, y1;
};

// Both steps leave the new output in s.y1 (and take their arguments by reference, so that vector
// types never cross a call boundary of another instruction set).
template <typename T>
inline void SecondOrderStep(const T& x, SecondOrderState<T>& s, const T& b0, const T& b1, const T& b2,
                            const T& a1, const T& a2)
{
    T acc = b0 * x;
    acc += b1 * s.x1;
    acc += b2 * s.x2;
    acc -= a2 * s.y2;
    acc -= a1 * s.y1;
    s.x2 = s.x1;
    s.x1 = x;
    s.y2 = s.y1;
    s.y1 = acc;
}

template <typename T>
inline void FirstOrderStep(const T& x, FirstOrderState<T>& s, const T& b0, const T& b1, const T& a1)
{
    T acc = b0 * x;
    acc += b1 * s.x1;
    acc -= a1 * s.y1;
    s.x1 = x;
    s.y1 = acc;
}

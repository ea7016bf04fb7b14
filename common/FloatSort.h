// Sorting of float arrays and of (x, y) pairs by x, as tables and measured points are ordered before
// interpolation and display.
#pragma once

// Sorts ascending in place. NaN values, which have no place among numbers, are put first; the order
// is otherwise that of CompareFloats. Nothing happens for n <= 1.
void SortFloats(float* values, int n);

// Sorts the (x[i], y[i]) pairs by x ascending in place, NaN x first; only x is compared and pairs with
// equal x may change their order.
void SortPairsByX(float* x, float* y, int n);

// 1 when *a > *b; -1 when *a < *b or either is NaN; 0 when equal. For comparing two values only: it is
// not an ordering when NaN is involved (NaN is "less" both ways), so the sorts above do not use it as one.
int CompareFloats(const float* a, const float* b);

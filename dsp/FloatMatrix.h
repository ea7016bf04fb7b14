// A matrix of floats stored row after row (element (column, row) at column + row * columns) with an
// x value per column: the time series the logger fills for its display and the reports.
#pragma once

#include <vector>

class CFloatMatrix
{
public:
    // Makes the matrix columns x rows (contents undefined where it grew, x grows with it); negative
    // sizes count as 0. Returns columns * rows.
    int Resize(int columns, int rows);
    // Out-of-range cells are ignored.
    void SetValue(float value, int column, int row);
    float GetValue(int column, int row) const;
    // The row's first element, or null for a row outside the matrix or an empty one.
    float* GetRow(int row);
    const float* GetRow(int row) const;
    void Free();

    int GetColumns() const { return m_columns; }
    int GetRows() const { return m_rows; }

    std::vector<float> m_x;

private:
    std::vector<float> m_values;
    int m_columns = 0;
    int m_rows = 0;
};

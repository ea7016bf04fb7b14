#include "dsp/FloatMatrix.h"

#include <algorithm>
#include <cstddef>

int CFloatMatrix::Resize(int columns, int rows)
{
    m_columns = std::max(columns, 0);
    m_rows = std::max(rows, 0);
    m_values.resize(static_cast<std::size_t>(m_columns) * static_cast<std::size_t>(m_rows));
    m_x.resize(static_cast<std::size_t>(m_columns));
    return m_columns * m_rows;
}

void CFloatMatrix::SetValue(float value, int column, int row)
{
    if (column >= 0 && column < m_columns && row >= 0 && row < m_rows)
        m_values[static_cast<std::size_t>(column) + static_cast<std::size_t>(row) * m_columns] = value;
}

float CFloatMatrix::GetValue(int column, int row) const
{
    if (column >= 0 && column < m_columns && row >= 0 && row < m_rows)
        return m_values[static_cast<std::size_t>(column) + static_cast<std::size_t>(row) * m_columns];
    return 0.0f;
}

float* CFloatMatrix::GetRow(int row)
{
    if (row < 0 || row >= m_rows || m_columns == 0)
        return nullptr;
    return m_values.data() + static_cast<std::size_t>(row) * m_columns;
}

const float* CFloatMatrix::GetRow(int row) const
{
    return const_cast<CFloatMatrix*>(this)->GetRow(row);
}

void CFloatMatrix::Free()
{
    m_values.clear();
    m_values.shrink_to_fit();
    m_x.clear();
    m_x.shrink_to_fit();
    m_columns = m_rows = 0;
}

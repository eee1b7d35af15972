#pragma once
// Gauss-Jordan elimination of a dense row-major matrix of doubles, in place.
#include <cstddef>
#include <cstdint>

namespace SD {

class DenseMatrix {
public:
    // The matrix views the elements; it neither owns nor resizes them.
    DenseMatrix(double* elements, uint32_t rows, uint32_t columns)
        : elements_(elements), rows_(rows), columns_(columns) {}

    // Brings the matrix into reduced row-echelon form. Pivots are chosen by magnitude, so a
    // column whose only entries are negative is reduced too.
    void ReduceRows();

    void SwapRows(uint32_t a, uint32_t b);
    void ScaleRow(uint32_t row, double divisor);
    void AddScaledRow(uint32_t target, uint32_t source, double factor);

    double& At(uint32_t row, uint32_t column) { return elements_[static_cast<size_t>(row) * columns_ + column]; }
    uint32_t Rows() const { return rows_; }
    uint32_t Columns() const { return columns_; }

private:
    double* elements_;
    uint32_t rows_;
    uint32_t columns_;
};

}  // namespace SD

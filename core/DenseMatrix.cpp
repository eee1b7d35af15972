#include "core/DenseMatrix.h"

#include <cmath>
#include <utility>

namespace SD {

void DenseMatrix::SwapRows(uint32_t a, uint32_t b) {
    if (a == b || columns_ == 0) return;
    for (uint32_t c = 0; c < columns_; ++c) std::swap(At(a, c), At(b, c));
}

void DenseMatrix::ScaleRow(uint32_t row, double divisor) {
    if (divisor == 1.0) return;
    for (uint32_t c = 0; c < columns_; ++c) At(row, c) /= divisor;
}

void DenseMatrix::AddScaledRow(uint32_t target, uint32_t source, double factor) {
    for (uint32_t c = 0; c < columns_; ++c) At(target, c) += factor * At(source, c);
}

void DenseMatrix::ReduceRows() {
    uint32_t r = 0;
    for (uint32_t c = 0; r < rows_ && c < columns_; ++c) {
        uint32_t best = r;
        for (uint32_t i = r + 1; i < rows_; ++i)
            if (std::fabs(At(i, c)) > std::fabs(At(best, c))) best = i;
        if (At(best, c) == 0.0) continue;  // nothing to eliminate in this column
        SwapRows(best, r);
        ScaleRow(r, At(r, c));
        for (uint32_t j = 0; j < rows_; ++j)
            if (j != r && At(j, c) != 0.0) AddScaledRow(j, r, -At(j, c));
        ++r;
    }
}

}  // namespace SD

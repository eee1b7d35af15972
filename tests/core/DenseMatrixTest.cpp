#include <gtest/gtest.h>

#include <vector>

#include "core/DenseMatrix.h"

namespace {

struct Case {
    const char* what;
    uint32_t rows, columns;
    std::vector<double> in, out;
};

TEST(DenseMatrix, ReducesToRowEchelonForm) {
    const Case cases[] = {
        {"2x3 system", 2, 3, {2, 1, 5, 1, 3, 10}, {1, 0, 1, 0, 1, 3}},
        {"zero first column", 2, 3, {0, 2, 4, 0, 1, 1}, {0, 1, 0, 0, 0, 1}},
        // A column whose entries below the pivot row are (0, -2) is reduced by magnitude.
        {"negative-only column", 2, 3, {0, 1, 3, -2, 4, 2}, {1, 0, 5, 0, 1, 3}},
        {"singular", 2, 2, {1, 2, 2, 4}, {1, 2, 0, 0}},
        {"no rows", 0, 3, {}, {}},
    };
    for (const Case& c : cases) {
        std::vector<double> m = c.in;
        SD::DenseMatrix(m.data(), c.rows, c.columns).ReduceRows();
        ASSERT_EQ(m.size(), c.out.size()) << c.what;
        for (size_t i = 0; i < m.size(); ++i) EXPECT_NEAR(m[i], c.out[i], 1e-12) << c.what << " at " << i;
    }
    double none = 7.0;
    SD::DenseMatrix(&none, 1, 0).ReduceRows();
    EXPECT_EQ(none, 7.0);
}

TEST(DenseMatrix, RowOperations) {
    std::vector<double> m = {1, 2, 3, 4};
    SD::DenseMatrix matrix(m.data(), 2, 2);
    matrix.SwapRows(0, 1);
    EXPECT_EQ(m, (std::vector<double>{3, 4, 1, 2}));
    matrix.ScaleRow(0, 2.0);
    EXPECT_EQ(m, (std::vector<double>{1.5, 2, 1, 2}));
    matrix.AddScaledRow(1, 0, -2.0);
    EXPECT_EQ(m, (std::vector<double>{1.5, 2, -2, -2}));
}

}  // namespace

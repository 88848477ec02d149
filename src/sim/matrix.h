#pragma once
// Vectors and matrices of the simulation object. Each is allocated one larger than its count in
// every dimension and used from index 1; index 0 exists, stays 0 and is never read. A matrix
// is one contiguous block, row after row, so a variable's samples lie side by side.

#include "base/large_memory.h"

#include <cstddef>
#include <vector>

namespace acremark {

using TVector = std::vector<double>;

// A zero-filled vector for indices 1..count.
inline TVector MakeVector(int count) {
    return TVector(static_cast<std::size_t>(count) + 1, 0.0);
}

class TMatrix {
public:
    TMatrix() = default;
    TMatrix(int rows, int cols) { Allocate(rows, cols); }

    // Rows 0..rows, columns 0..cols, all zero.
    void Allocate(int rows, int cols) {
        rows_ = rows;
        cols_ = cols;
        stride_ = static_cast<std::size_t>(cols) + 1;
        data_.assign((static_cast<std::size_t>(rows) + 1) * stride_, 0.0);
    }
    void Free() {
        data_.clear();
        data_.shrink_to_fit();
        rows_ = cols_ = 0;
        stride_ = 0;
    }

    double* operator[](int row) { return data_.data() + static_cast<std::size_t>(row) * stride_; }
    const double* operator[](int row) const {
        return data_.data() + static_cast<std::size_t>(row) * stride_;
    }

    int Rows() const { return rows_; } // the count: rows 1..Rows() are in use
    int Cols() const { return cols_; }
    bool Empty() const { return data_.empty(); }

private:
    LargeVector<double> data_; // a sample matrix is megabytes: see large_memory.h
    int rows_ = 0;
    int cols_ = 0;
    std::size_t stride_ = 0;
};

} // namespace acremark

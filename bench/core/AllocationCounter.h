#pragma once
// Counts every allocation of the benchmark program: the global operator new is replaced in
// AllocationCounter.cpp, so a benchmark can show that an operation does not allocate.
#include <cstddef>

namespace qvbench {

size_t AllocationCount();

}  // namespace qvbench

#pragma once
// Runs an operation over a long list of scene objects in consecutive ranges: one range per
// worker of the pool, the last range on the calling thread, which then waits for the workers.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/WorkerPool.h"

namespace Aperture {

// Ranges are pairs of list positions; the operation visits its range in list order and may
// change only the objects of that range.
template <class Iterator>
using RangeOperation = void (*)(Iterator rangeStart, Iterator rangeEnd, void* argument);

namespace detail {

template <class Iterator>
struct RangeJob {
    RangeOperation<Iterator> operation;
    Iterator start;
    Iterator end;
    void* argument;
};

template <class Iterator>
void RunRangeJob(uintptr_t job, uintptr_t, uintptr_t) {
    auto* j = reinterpret_cast<RangeJob<Iterator>*>(job);
    j->operation(j->start, j->end, j->argument);
}

}  // namespace detail

// Workers past this many stay idle; the job records live on the calling thread's stack.
constexpr size_t kMaxTraversalWorkers = 64;

// [first, last) holds count objects.
template <class Iterator>
void ParallelForEach(size_t count, SD::WorkerPool& pool, Iterator first, Iterator last, void* argument,
                     RangeOperation<Iterator> rangeOperation) {
    const size_t workers = pool.Size() < kMaxTraversalWorkers ? pool.Size() : kMaxTraversalWorkers;
    const size_t parts = workers + 1;
    if (workers == 0 || count < parts) {
        rangeOperation(first, last, argument);
        return;
    }
    const size_t chunk = count / parts;
    // List positions need not be default-constructible, so each record is made in place.
    std::optional<detail::RangeJob<Iterator>> jobs[kMaxTraversalWorkers];
    Iterator split = first;
    for (size_t k = 0; k < workers; ++k) {
        const Iterator start = split;
        for (size_t i = 0; i < chunk; ++i) ++split;
        jobs[k].emplace(detail::RangeJob<Iterator>{rangeOperation, start, split, argument});
        pool.QueueJob(k, &detail::RunRangeJob<Iterator>, reinterpret_cast<uintptr_t>(&*jobs[k]), 0, 0);
    }
    rangeOperation(split, last, argument);
    for (size_t k = 0; k < workers; ++k) pool.WaitForJob(k);
    for (size_t k = 0; k < workers; ++k) pool.DoneEvent(k)->Reset();
}

}  // namespace Aperture

#include "core/WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

void AddArguments(uintptr_t target, uintptr_t a, uintptr_t b) {
    reinterpret_cast<std::atomic<uintptr_t>*>(target)->fetch_add(a + b);
}

void RecordThread(uintptr_t target, uintptr_t, uintptr_t) {
    *reinterpret_cast<std::thread::id*>(target) = std::this_thread::get_id();
}

TEST(WorkerPool, StartsTwoFewerWorkersThanProcessors) {
    struct Case {
        unsigned processors;
        size_t workers;
    };
    for (Case c : {Case{0, 0}, Case{1, 0}, Case{2, 0}, Case{3, 1}, Case{4, 2}, Case{8, 6}}) {
        SD::WorkerPool pool;
        pool.Start(c.processors);
        EXPECT_EQ(pool.Size(), c.workers) << c.processors << " processors";
        for (size_t i = 0; i < c.workers; ++i) {
            ASSERT_NE(pool.DoneEvent(i), nullptr);
            EXPECT_EQ(pool.DoneEvent(i)->Wait(0), platform::WaitResult::TimedOut) << "no job has run yet";
        }
        EXPECT_EQ(pool.DoneEvent(c.workers), nullptr);
    }
}

TEST(WorkerPool, JobRunsOnceOnItsWorkerAndCompletionStaysSignalled) {
    SD::WorkerPool pool;
    pool.Start(4);
    std::atomic<uintptr_t> sum{0};
    ASSERT_TRUE(pool.QueueJob(1, &AddArguments, reinterpret_cast<uintptr_t>(&sum), 20, 22));
    ASSERT_TRUE(pool.WaitForJob(1));
    EXPECT_EQ(sum.load(), 42u);
    EXPECT_EQ(pool.DoneEvent(1)->Wait(0), platform::WaitResult::Signalled);
    EXPECT_TRUE(pool.WaitForJob(1, 0)) << "the done event stays set";
    EXPECT_EQ(pool.DoneEvent(0)->Wait(0), platform::WaitResult::TimedOut) << "the other worker had no job";

    std::thread::id worker;
    ASSERT_TRUE(pool.QueueJob(0, &RecordThread, reinterpret_cast<uintptr_t>(&worker), 0, 0));
    ASSERT_TRUE(pool.WaitForJob(0));
    EXPECT_NE(worker, std::thread::id());
    EXPECT_NE(worker, std::this_thread::get_id());
    EXPECT_EQ(sum.load(), 42u) << "a job runs once";
}

TEST(WorkerPool, RepeatedJobsEachSignalTheirOwnCompletion) {
    SD::WorkerPool pool;
    pool.Start(3);
    std::atomic<uintptr_t> sum{0};
    for (uintptr_t round = 1; round <= 50; ++round) {
        ASSERT_TRUE(pool.QueueJob(0, &AddArguments, reinterpret_cast<uintptr_t>(&sum), round, 0));
        ASSERT_TRUE(pool.WaitForJob(0));
        ASSERT_EQ(sum.load(), round * (round + 1) / 2) << "completion seen before the job ran";
    }
}

// Signals that it started, then holds the worker until released.
struct HeldJob {
    platform::Event started{true, false};
    platform::Event release{true, false};
    static void Run(uintptr_t self, uintptr_t, uintptr_t) {
        auto* job = reinterpret_cast<HeldJob*>(self);
        job->started.Set();
        job->release.Wait();
    }
};

TEST(WorkerPool, JobQueuedWhileAnotherRunsIsNotReportedDoneEarly) {
    SD::WorkerPool pool;
    pool.Start(3);
    HeldJob first, second;
    ASSERT_TRUE(pool.QueueJob(0, &HeldJob::Run, reinterpret_cast<uintptr_t>(&first), 0, 0));
    first.started.Wait();
    ASSERT_TRUE(pool.QueueJob(0, &HeldJob::Run, reinterpret_cast<uintptr_t>(&second), 0, 0));
    first.release.Set();
    second.started.Wait();
    EXPECT_EQ(pool.DoneEvent(0)->Wait(0), platform::WaitResult::TimedOut)
        << "the end of the first job signalled the second as done";
    second.release.Set();
    EXPECT_TRUE(pool.WaitForJob(0));
}

TEST(WorkerPool, RefusesJobsForMissingWorkers) {
    SD::WorkerPool pool;
    pool.Start(2);
    EXPECT_FALSE(pool.QueueJob(0, &RecordThread, 0, 0, 0));
    EXPECT_FALSE(pool.WaitForJob(0, 0));
}

TEST(WorkerPool, StopsIdleWorkersAndCanStartAgain) {
    SD::WorkerPool pool;
    pool.Start(8);
    pool.StopAll();
    EXPECT_EQ(pool.Size(), 0u);
    pool.Start(4);
    EXPECT_EQ(pool.Size(), 2u);
    std::atomic<uintptr_t> sum{0};
    ASSERT_TRUE(pool.QueueJob(1, &AddArguments, reinterpret_cast<uintptr_t>(&sum), 1, 2));
    EXPECT_TRUE(pool.WaitForJob(1));
    EXPECT_EQ(sum.load(), 3u);
}

TEST(WorkerPool, DefaultStartFollowsTheMachine) {
    SD::WorkerPool pool;
    pool.Start();
    EXPECT_EQ(pool.Size(), SD::WorkerPool::WorkerCountFor(platform::ProcessorCount()));
}

}  // namespace

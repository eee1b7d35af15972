#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include <unistd.h>

#include "core/Logger.h"
#include "platform/os/Threads.h"
#include "sound/engine/thread/SxThread.h"
#include "support/TempTree.h"

namespace {

using namespace SX;

struct Seen {
    std::atomic<bool> ran{false};
    std::string name;
};

void Routine(void* context) {
    auto* seen = static_cast<Seen*>(context);
    seen->name = platform::CurrentThreadName();
    seen->ran = true;
}

TEST(SxThread, StartsNamedWithATinyStackRaisedToTheMinimum) {
    Seen seen;
    SxThreadHandle handle;
    SxThreadProperties props;
    props.stackSize = 256;
    SxThread::Create(Routine, &seen, props, handle, "SX::BankManager");
    ASSERT_NE(handle, nullptr);
    handle->Join();
    EXPECT_TRUE(seen.ran);
    EXPECT_EQ(seen.name, "SX::BankManager");
}

TEST(SxThread, RefusedPriorityOrAffinityIsAWarningAndTheThreadRuns) {
    Debug::GlobalLogger logger;
    qvtest::StderrCapture capture;
    Seen seen;
    SxThreadHandle handle;
    SxThreadProperties props;
    props.priority = SxThreadPriority_TimeCritical;  // refused without privileges
    props.affinityMask = 0x80000000u;                // processor 31: refused on smaller machines
    SxThread::Create(Routine, &seen, props, handle, "SX::EventManager");
    ASSERT_NE(handle, nullptr);
    handle->Join();
    EXPECT_TRUE(seen.ran);
    std::string err = capture.Text();
    if (geteuid() != 0) {
        EXPECT_NE(err.find("without its priority 15"), std::string::npos) << err;
    }
    if (platform::ProcessorCount() < 32) {
        EXPECT_NE(err.find("warning in function SX::SxThread::Create"), std::string::npos) << err;
        EXPECT_NE(err.find("without its affinity mask 0x80000000"), std::string::npos) << err;
    }
}

TEST(SxThread, NoRoutineNoThread) {
    SxThreadHandle handle;
    SxThread::Create(nullptr, nullptr, SxThreadProperties{}, handle, "SX::IOThread");
    EXPECT_EQ(handle, nullptr);
}

}  // namespace

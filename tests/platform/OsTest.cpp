#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/os/Clock.h"
#include "platform/os/Dialogs.h"
#include "platform/os/Files.h"
#include "platform/os/Random.h"
#include "platform/os/Threads.h"
#include "platform/os/VirtualMemory.h"
#include "support/TempTree.h"

namespace {

TEST(CrtRandom, MatchesTheCRunTimeSequenceAndKeepsStatePerThread) {
    platform::crt_srand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int e : expected) EXPECT_EQ(platform::crt_rand(), e);
    int other = -1;
    std::thread([&] { other = platform::crt_rand(); }).join();  // a new thread starts from seed 1
    EXPECT_EQ(other, 41);
}

TEST(ManualClock, MovesOnlyWhenTold) {
    platform::ManualClock clock;
    platform::ScopedClock scoped(clock);
    int64_t a = platform::QueryCounter();
    EXPECT_EQ(platform::QueryCounter(), a);
    clock.Advance(0.25);
    EXPECT_EQ(platform::QueryCounter() - a, platform::ManualClock::kFrequency / 4);
    platform::Sleep(6);
    EXPECT_EQ(clock.Sleeps(), std::vector<uint32_t>{6});
    EXPECT_EQ(platform::TickCount(), 256u);
}

TEST(Events, TellSignalledFromTimedOut) {
    platform::Event manual(true, false), autoReset(false, false);
    EXPECT_EQ(manual.Wait(10), platform::WaitResult::TimedOut);
    manual.Set();
    EXPECT_EQ(manual.Wait(0), platform::WaitResult::Signalled);
    EXPECT_EQ(manual.Wait(0), platform::WaitResult::Signalled);  // stays set
    autoReset.Set();
    EXPECT_EQ(autoReset.Wait(0), platform::WaitResult::Signalled);
    EXPECT_EQ(autoReset.Wait(0), platform::WaitResult::TimedOut);  // cleared by the wait

    platform::Event a(false, false), b(false, false);
    platform::Event* both[] = {&a, &b};
    std::thread setter([&] { b.Set(); });
    EXPECT_EQ(platform::Event::WaitAny(both, 2, platform::kInfinite), 1);
    setter.join();
    EXPECT_EQ(platform::Event::WaitAny(both, 2, 5), -1);
}

TEST(Threads, RunNamedAndJoin) {
    platform::Thread t;
    std::string seen;
    platform::ThreadOptions options;
    options.name = "SX::EventManagerLongName";
    options.stackSize = 1;  // raised to the system's minimum
    auto r = t.Start([&] { seen = platform::CurrentThreadName(); }, options);
    ASSERT_TRUE(r.started);
    t.Join();
    EXPECT_EQ(seen, "SX::EventManage");
    EXPECT_FALSE(t.Joinable());
}

TEST(Threads, ARefusedPriorityStillRuns) {
    platform::Thread t;
    std::atomic<bool> ran{false};
    platform::ThreadOptions options;
    options.priority = platform::ThreadPriority::TimeCritical;  // needs privileges an ordinary user lacks
    auto r = t.Start([&] { ran = true; }, options);
    t.Join();
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(ran);
}

TEST(VirtualMemory, ReserveCommitRelease) {
    size_t page = platform::PageSize();
    char* p = static_cast<char*>(platform::ReserveMemory(page * 4));
    ASSERT_NE(p, nullptr);
    ASSERT_TRUE(platform::CommitMemory(p + page, 10));
    std::memset(p + page, 0xAB, page);
    EXPECT_TRUE(platform::DecommitMemory(p + page, page));
    ASSERT_TRUE(platform::CommitMemory(p + page, page));
    EXPECT_EQ(p[page], 0);  // decommitted pages come back zeroed
    EXPECT_TRUE(platform::ReleaseMemory(p, page * 4));
    EXPECT_EQ(platform::ReserveMemory(0), nullptr);
}

TEST(VirtualMemory, LargePageAdviceKeepsMemoryAndContent) {
    const size_t size = 4 * 1024 * 1024;
    auto* p = static_cast<unsigned char*>(std::aligned_alloc(2 * 1024 * 1024, size));
    ASSERT_NE(p, nullptr);
    for (size_t i = 0; i < size; i += 4096) p[i] = static_cast<unsigned char>(i >> 12);
    platform::AdviseLargePages(p, size);
    platform::AdviseLargePages(p + 100, 10);  // not page-aligned: widened, still harmless
    platform::AdviseLargePages(nullptr, size);
    platform::AdviseLargePages(p, 0);
    for (size_t i = 0; i < size; i += 4096) ASSERT_EQ(p[i], static_cast<unsigned char>(i >> 12));
    p[size - 1] = 7;
    EXPECT_EQ(p[size - 1], 7);
    std::free(p);
}

TEST(Files, WildcardsMatchAnyRunAndOneCharacterWithoutCase) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    };
    const Case cases[] = {
        {"*.xml", "Level.XML", true},
        {"*.xml", "a.xmlx", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"*", "", true},
        {"*a*b", "xxaYYb", true},
        {"*.*", "noext", false},
        {"L*_*.txt", "Lvl_1.txt", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST(Files, FindCreateAndAppData) {
    qvtest::TempTree tree;
    tree.Write("Assets/a.xml", "");
    tree.Write("Assets/b.XML", "");
    tree.Write("Assets/c.txt", "");
    EXPECT_EQ(platform::CreateDirectory(tree.Path("Assets/sub")), platform::CreateDirectoryResult::Created);
    EXPECT_EQ(platform::CreateDirectory(tree.Path("Assets/sub")), platform::CreateDirectoryResult::AlreadyExists);
    EXPECT_EQ(platform::CreateDirectory(tree.Path("none/deeper")), platform::CreateDirectoryResult::Failed);
    EXPECT_EQ(platform::CreateDirectory("..\\Assets\\other"), platform::CreateDirectoryResult::Created);
    EXPECT_TRUE(tree.Exists("Assets/other"));
    EXPECT_EQ(platform::NativePath("..\\Assets\\LuaScripts/x.lua"), "../Assets/LuaScripts/x.lua");
    auto found = platform::FindFiles("../Assets/*.xml");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].name, "a.xml");
    EXPECT_EQ(found[1].name, "b.XML");
    auto dirs = platform::FindFiles("../Assets/s*");
    ASSERT_EQ(dirs.size(), 1u);
    EXPECT_TRUE(dirs[0].isDirectory);
    EXPECT_TRUE(platform::FindFiles("../Nowhere/*").empty());

    setenv("XDG_DATA_HOME", tree.Path("x/data").c_str(), 1);
    EXPECT_EQ(platform::AppDataFolder().value_or(""), tree.Path("x/data"));
    setenv("XDG_DATA_HOME", tree.Path("fresh/account/share").c_str(), 1);
    EXPECT_EQ(platform::AppDataFolder().value_or(""), tree.Path("fresh/account/share"));
    EXPECT_TRUE(tree.Exists("fresh/account/share"));  // created on demand, as a new account lacks it
    unsetenv("XDG_DATA_HOME");
    std::string home = getenv("HOME") ? getenv("HOME") : "";
    unsetenv("HOME");
    EXPECT_FALSE(platform::AppDataFolder().has_value());
    if (!home.empty()) setenv("HOME", home.c_str(), 1);
}

TEST(Dialogs, MessageBoxesAreRecordedNotBlocking) {
    platform::ClearRecordedMessageBoxes();
    platform::ShowMessageBox("Error!", "text");
    auto boxes = platform::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Error!");
    int shown = platform::ShowCursor(false);
    EXPECT_EQ(platform::ShowCursor(true), shown + 1);
}

}  // namespace

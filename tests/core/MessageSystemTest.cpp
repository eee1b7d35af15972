#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/EngineCore.h"
#include "core/GamePause.h"
#include "core/MessageSystem.h"
#include "platform/os/Clock.h"

namespace {

using SD::IMessage;
using SD::Message_System;

constexpr int kType = 40;
constexpr int kOtherType = 41;

struct TestMessage : IMessage {
    TestMessage(int v, int type = kType) : IMessage(type), value(v) {}
    int value;
};

std::vector<std::string> g_log;

// A handler that logs "<name>:<value>" and then runs its action, if any.
struct Handler {
    std::string name;
    std::function<void(Handler&, IMessage*)> action;
    void On(IMessage* message) {
        g_log.push_back(name + ":" + std::to_string(static_cast<TestMessage*>(message)->value));
        if (action) action(*this, message);
    }
};

struct Handle {
    uint32_t index;
    uint32_t GetIndex() const { return index; }
};

class MessageSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        core_.reset(SD::Core::CreateInstance());
        system_ = Message_System::GetInstance();
    }
    void TearDown() override { Message_System::DestroyInstance(); }

    void Register(Handler& h, int type = kType) { system_->RegisterHandler(type, &h, &Handler::On); }
    void Send(int value, int type = kType) {
        TestMessage message(value, type);
        system_->SendMessage(message);
    }

    platform::ManualClock clock_;
    platform::ScopedClock scopedClock_{clock_};
    std::unique_ptr<SD::Core> core_;
    Message_System* system_ = nullptr;
};

TEST_F(MessageSystemTest, BroadcastAndPerObjectHandlersAreSeparate) {
    Handler global{"global", nullptr}, object{"object", nullptr}, unrelated{"other type", nullptr};
    Register(global);
    Register(unrelated, kOtherType);
    system_->RegisterObjectHandler(kType, Handle{7}, &object, &Handler::On);

    Send(1);
    EXPECT_EQ(g_log, (std::vector<std::string>{"global:1", "object:1"}))
        << "registered per object also hears broadcasts";

    system_->RemoveHandlerOf(kType, &object);
    g_log.clear();
    Send(2);
    TestMessage direct(3);
    system_->SendMessageToObject(Handle{7}, direct);
    system_->SendMessageToObject(8u, direct);
    EXPECT_EQ(g_log, (std::vector<std::string>{"global:2", "object:3"}));

    system_->RemoveObjectHandlerOf(kType, 7u, &object);
    g_log.clear();
    system_->SendMessageToObject(7u, direct);
    EXPECT_TRUE(g_log.empty());
}

TEST_F(MessageSystemTest, RemoveHandlerOfTakesOnlyTheFirstMatch) {
    Handler twice{"twice", nullptr};
    Register(twice);
    Register(twice);
    system_->RemoveHandlerOf(kType, &twice);
    Send(1);
    EXPECT_EQ(g_log, (std::vector<std::string>{"twice:1"}));
}

TEST_F(MessageSystemTest, WindHandlersOfAComponentGoFromBothListsAndNothingElseDoes) {
    constexpr int kWind = SD::MessageIds::WindMessage;
    Handler leaving{"leaving", nullptr}, staying{"staying", nullptr}, never{"never", nullptr};
    system_->RegisterObjectHandler(kWind, Handle{4}, &leaving, &Handler::On);
    system_->RegisterObjectHandler(kWind, Handle{4}, &leaving, &Handler::On);
    system_->RegisterObjectHandler(kWind, Handle{4}, &staying, &Handler::On);
    Register(leaving);  // another type: not the wind's
    system_->RemoveHandlersOf28(Handle{4}, &never);
    system_->RemoveHandlersOf28(Handle{9}, &never);
    Send(1, kWind);
    EXPECT_EQ(g_log, (std::vector<std::string>{"leaving:1", "leaving:1", "staying:1"}))
        << "never subscribed: no change";

    system_->RemoveHandlersOf28(Handle{4}, &leaving);
    g_log.clear();
    Send(2, kWind);
    TestMessage direct(3, kWind);
    system_->SendMessageToObject(Handle{4}, direct);
    Send(4);
    EXPECT_EQ(g_log, (std::vector<std::string>{"staying:2", "staying:3", "leaving:4"}));

    // Removed while the wind is being delivered: the handler after the remover is not called.
    Handler remover{"remover", [this, &staying](Handler&, IMessage*) { system_->RemoveHandlersOf28(4u, &staying); }};
    system_->RegisterObjectHandler(kWind, Handle{5}, &remover, &Handler::On);
    system_->RegisterObjectHandler(kWind, Handle{5}, &staying, &Handler::On);
    g_log.clear();
    Send(5, kWind);
    Send(6, kWind);
    EXPECT_EQ(g_log, (std::vector<std::string>{"staying:5", "remover:5", "remover:6"}));
}

// Handlers that change the system while a message is being delivered.
TEST_F(MessageSystemTest, HandlersMayChangeTheSystemDuringDelivery) {
    struct Case {
        const char* what;
        std::function<void(Message_System*, std::vector<std::unique_ptr<Handler>>&)> setup;
        std::vector<std::string> first, second;
    };
    auto make = [](std::vector<std::unique_ptr<Handler>>& hs, const char* name) -> Handler& {
        hs.push_back(std::make_unique<Handler>(Handler{name, nullptr}));
        return *hs.back();
    };
    const Case cases[] = {
        {"removes itself",
         [&](Message_System* s, auto& hs) {
             Handler& a = make(hs, "a");
             a.action = [s](Handler& self, IMessage*) { s->RemoveHandlerOf(kType, &self); };
             s->RegisterHandler(kType, &a, &Handler::On);
             s->RegisterHandler(kType, &make(hs, "b"), &Handler::On);
         },
         {"a:1", "b:1"},
         {"b:2"}},
        {"removes a later handler",
         [&](Message_System* s, auto& hs) {
             Handler& a = make(hs, "a");
             Handler& b = make(hs, "b");
             a.action = [s, &b](Handler&, IMessage*) { s->RemoveHandlerOf(kType, &b); };
             s->RegisterHandler(kType, &a, &Handler::On);
             s->RegisterHandler(kType, &b, &Handler::On);
             s->RegisterHandler(kType, &make(hs, "c"), &Handler::On);
         },
         {"a:1", "c:1"},
         {"a:2", "c:2"}},
        {"removes an earlier handler",
         [&](Message_System* s, auto& hs) {
             Handler& a = make(hs, "a");
             Handler& b = make(hs, "b");
             b.action = [s, &a](Handler&, IMessage*) { s->RemoveHandlerOf(kType, &a); };
             s->RegisterHandler(kType, &a, &Handler::On);
             s->RegisterHandler(kType, &b, &Handler::On);
             s->RegisterHandler(kType, &make(hs, "c"), &Handler::On);
         },
         {"a:1", "b:1", "c:1"},
         {"b:2", "c:2"}},
        {"adds a handler for the same type",
         [&](Message_System* s, auto& hs) {
             Handler& a = make(hs, "a");
             Handler& late = make(hs, "late");
             a.action = [s, &late](Handler&, IMessage*) {
                 if (!late.action) {
                     late.action = [](Handler&, IMessage*) {};
                     s->RegisterHandler(kType, &late, &Handler::On);
                 }
             };
             s->RegisterHandler(kType, &a, &Handler::On);
         },
         {"a:1", "late:1"},
         {"a:2", "late:2"}},
        {"sends messages of its own",
         [&](Message_System* s, auto& hs) {
             Handler& a = make(hs, "a");
             a.action = [s](Handler&, IMessage* m) {
                 const int value = static_cast<TestMessage*>(m)->value;
                 if (value >= 10) return;
                 TestMessage same(value * 10);
                 s->SendMessage(same);
                 TestMessage other(value * 100, kOtherType);
                 s->SendMessage(other);
             };
             s->RegisterHandler(kType, &a, &Handler::On);
             s->RegisterHandler(kOtherType, &make(hs, "o"), &Handler::On);
             s->RegisterHandler(kType, &make(hs, "b"), &Handler::On);
         },
         {"a:1", "a:10", "b:10", "o:100", "b:1"},
         {"a:2", "a:20", "b:20", "o:200", "b:2"}},
        {"removes the other handlers of a nested delivery",
         [&](Message_System* s, auto& hs) {
             Handler& a = make(hs, "a");
             Handler& b = make(hs, "b");
             b.action = [s, &a](Handler&, IMessage* m) {
                 if (static_cast<TestMessage*>(m)->value < 10) {
                     TestMessage nested(static_cast<TestMessage*>(m)->value * 10);
                     s->SendMessage(nested);
                 } else {
                     s->RemoveHandlerOf(kType, &a);
                 }
             };
             s->RegisterHandler(kType, &a, &Handler::On);
             s->RegisterHandler(kType, &b, &Handler::On);
             s->RegisterHandler(kType, &make(hs, "c"), &Handler::On);
         },
         {"a:1", "b:1", "a:10", "b:10", "c:10", "c:1"},
         {"b:2", "b:20", "c:20", "c:2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Message_System::DestroyInstance();
        Message_System* s = system_ = Message_System::GetInstance();
        std::vector<std::unique_ptr<Handler>> handlers;
        c.setup(s, handlers);
        g_log.clear();
        Send(1);
        EXPECT_EQ(g_log, c.first);
        g_log.clear();
        Send(2);
        EXPECT_EQ(g_log, c.second);
    }
}

TEST_F(MessageSystemTest, PostedMessagesArriveWhenTheEngineClockReachesThem) {
    Handler h{"h", nullptr};
    Register(h);
    system_->PostMessage(TestMessage(0), 0.0f);
    EXPECT_EQ(g_log, (std::vector<std::string>{"h:0"})) << "no delay sends at once";
    g_log.clear();

    system_->PostMessage(TestMessage(3), 3.0f);
    system_->PostMessage(TestMessage(1), 1.0f);
    system_->PostMessage(TestMessage(2), 2.0f);
    clock_.Advance(0.5);
    system_->Update(0.016f);
    EXPECT_TRUE(g_log.empty());
    clock_.Advance(1.0);
    system_->Update(0.016f);
    EXPECT_EQ(g_log, (std::vector<std::string>{"h:1"}));
    clock_.Advance(1.4);
    system_->Update(0.016f);
    EXPECT_EQ(g_log, (std::vector<std::string>{"h:1", "h:2"})) << "2.9 s is short of the 3.0 s delay";
    clock_.Advance(0.2);
    system_->Update(0.016f);
    EXPECT_EQ(g_log, (std::vector<std::string>{"h:1", "h:2", "h:3"}));
    EXPECT_EQ(system_->QueuedCount(), 0u);
}

TEST_F(MessageSystemTest, EqualDueTimesAllArriveInOneUpdate) {
    Handler h{"h", nullptr};
    Register(h);
    for (int i = 0; i < 5; ++i) system_->PostMessage(TestMessage(i), 1.0f);
    system_->PostMessage(TestMessage(9), 4.0f);
    clock_.Advance(1.0);
    system_->Update(0.0f);
    std::sort(g_log.begin(), g_log.end());
    EXPECT_EQ(g_log, (std::vector<std::string>{"h:0", "h:1", "h:2", "h:3", "h:4"}));
    EXPECT_EQ(system_->QueuedCount(), 1u);
}

struct PauseWatcher {
    int seen = 0;
    void On(IMessage* m) { seen += static_cast<SD::GamePause*>(m)->paused ? 1 : 0; }
};

TEST_F(MessageSystemTest, DelayedMessagesFallDueWhilePaused) {
    Handler h{"h", nullptr};
    Register(h);
    PauseWatcher watcher;
    system_->RegisterHandler(SD::MessageIds::GamePause, &watcher, &PauseWatcher::On);
    system_->PostMessage(SD::GamePause(true), 2.0f);
    system_->PostMessage(TestMessage(5), 2.0f);
    core_->SetPaused(true);
    clock_.Advance(2.5);
    core_->AddSystem(system_, false);
    core_->RunFrame();  // the core updates its systems with a zero frame time while paused
    EXPECT_EQ(g_log, (std::vector<std::string>{"h:5"}));
    EXPECT_EQ(watcher.seen, 2);  // the core's own pause edge, then the delayed one
    EXPECT_FLOAT_EQ(system_->GetClock(), 2.5f);
}

TEST_F(MessageSystemTest, HandlersMayPostWhileDueMessagesAreDelivered) {
    Handler h{"h", nullptr};
    h.action = [this](Handler&, IMessage* m) {
        const int value = static_cast<TestMessage*>(m)->value;
        if (value < 3) system_->PostMessage(TestMessage(value + 1), value == 1 ? -1.0f : 1.0f);
    };
    Register(h);
    system_->PostMessage(TestMessage(0), 1.0f);
    clock_.Advance(1.0);
    system_->Update(0.0f);
    EXPECT_EQ(g_log, (std::vector<std::string>{"h:0"}));
    clock_.Advance(1.0);
    system_->Update(0.0f);
    EXPECT_EQ(g_log, (std::vector<std::string>{"h:0", "h:1", "h:2"})) << "a message already due arrives at once";
    EXPECT_EQ(system_->QueuedCount(), 1u);
}

// Small ids sit in a fixed table and the rest in a hash map; both kinds behave alike, even when
// a delivery registers enough new ids to make the map grow under it.
TEST_F(MessageSystemTest, EveryTypeIdKeepsItsOwnListWhereverItIsKept) {
    for (int type : {0, 5, 63, 64, 1000, -1, -64}) {
        SCOPED_TRACE(type);
        Message_System::DestroyInstance();
        system_ = Message_System::GetInstance();
        g_log.clear();
        std::vector<std::unique_ptr<Handler>> extra;
        Handler a{"a", nullptr}, b{"b", nullptr}, neighbour{"n", nullptr};
        a.action = [&](Handler&, IMessage*) {
            for (int other = 2000; other < 2200; ++other) {
                extra.push_back(std::make_unique<Handler>(Handler{"x", nullptr}));
                system_->RegisterHandler(other, extra.back().get(), &Handler::On);
            }
            for (int other = 10; other < 60; ++other) system_->RegisterHandler(other, extra.back().get(), &Handler::On);
        };
        Register(a, type);
        Register(b, type);
        Register(neighbour, type + 1);
        Send(1, type);
        EXPECT_EQ(g_log, (std::vector<std::string>{"a:1", "b:1"}));
        a.action = nullptr;
        system_->RemoveHandlerOf(type, &a);
        g_log.clear();
        Send(2, type);
        Send(3, type + 1);
        EXPECT_EQ(g_log, (std::vector<std::string>{"b:2", "n:3"}));
    }
}

TEST_F(MessageSystemTest, EqualDueTimesArriveInHeapOrder) {
    Handler h{"h", nullptr};
    Register(h);
    for (int i = 0; i < 5; ++i) system_->PostMessage(TestMessage(i), 1.0f);
    clock_.Advance(1.0);
    system_->Update(0.0f);
    // Each take moves the last entry to the top, where an equal time stays.
    EXPECT_EQ(g_log, (std::vector<std::string>{"h:0", "h:4", "h:3", "h:2", "h:1"}));
}

// The queue is the plain binary heap: a push sifts up while the parent is due later; a take
// moves the last entry to the top and sifts it down, preferring the right child unless it is due
// later. Posts of a few distinct delays, with takes between them, give many equal due times at
// every depth, so any other arrangement of the heap shows in the order of delivery.
TEST_F(MessageSystemTest, DeliveryFollowsTheBinaryHeapThroughManyEqualDueTimes) {
    struct Entry {
        float due;
        int value;
    };
    std::vector<Entry> heap;
    const auto push = [&heap](Entry entry) {
        heap.push_back(entry);
        for (size_t i = heap.size() - 1; i > 0 && heap[(i - 1) / 2].due > heap[i].due; i = (i - 1) / 2)
            std::swap(heap[i], heap[(i - 1) / 2]);
    };
    const auto take = [&heap] {
        const Entry top = heap.front();
        heap.front() = heap.back();
        heap.pop_back();
        for (size_t i = 0;;) {
            const size_t left = 2 * i + 1, right = left + 1;
            if (left >= heap.size()) break;
            const size_t child = right < heap.size() && !(heap[right].due > heap[left].due) ? right : left;
            if (!(heap[i].due > heap[child].due)) break;
            std::swap(heap[i], heap[child]);
            i = child;
        }
        return top;
    };
    Handler h{"h", nullptr};
    Register(h);
    std::vector<std::string> expected;
    uint32_t seed = 12345;
    int value = 0;
    for (int round = 0; round < 30; ++round) {
        for (int i = 0; i < 40 + round; ++i) {
            seed = seed * 1664525u + 1013904223u;
            const float delay = 0.25f * static_cast<float>(1 + (seed >> 29));
            system_->PostMessage(TestMessage(value), delay);
            push(Entry{system_->GetClock() + delay, value++});
        }
        clock_.Advance(1.0);
        system_->Update(0.0f);
        while (!heap.empty() && !(heap.front().due > system_->GetClock()))
            expected.push_back("h:" + std::to_string(take().value));
        ASSERT_EQ(g_log, expected) << "round " << round;
        ASSERT_EQ(system_->QueuedCount(), heap.size());
    }
}

// Event storage is recycled between posts; messages of several sizes, some too large to be
// recycled, still arrive whole and in due order, round after round.
TEST_F(MessageSystemTest, QueuedCopiesOfEverySizeArriveIntact) {
    struct LargeMessage : IMessage {
        explicit LargeMessage(int v) : IMessage(kOtherType) {
            for (int& word : payload) word = v;
        }
        int payload[200];
    };
    struct LargeWatcher {
        std::vector<int> seen;
        void On(IMessage* m) {
            const auto* large = static_cast<LargeMessage*>(m);
            for (int word : large->payload)
                if (word != large->payload[0]) ADD_FAILURE() << "payload damaged";
            seen.push_back(large->payload[0]);
        }
    };
    Handler h{"h", nullptr};
    Register(h);
    LargeWatcher watcher;
    system_->RegisterHandler(kOtherType, &watcher, &LargeWatcher::On);
    for (int round = 0; round < 3; ++round) {
        g_log.clear();
        watcher.seen.clear();
        for (int i = 0; i < 40; ++i) {
            const float delay = 0.01f * static_cast<float>(1 + (i * 17) % 40);
            if (i % 3 == 0)
                system_->PostMessage(LargeMessage(i), delay);
            else
                system_->PostMessage(TestMessage(i), delay);
        }
        clock_.Advance(1.0);
        system_->Update(0.0f);
        EXPECT_EQ(system_->QueuedCount(), 0u);
        std::vector<int> expectedSmall, expectedLarge;
        for (int step = 1; step <= 40; ++step)
            for (int i = 0; i < 40; ++i)
                if (1 + (i * 17) % 40 == step) (i % 3 == 0 ? expectedLarge : expectedSmall).push_back(i);
        std::vector<std::string> expectedLog;
        for (int i : expectedSmall) expectedLog.push_back("h:" + std::to_string(i));
        EXPECT_EQ(g_log, expectedLog);
        EXPECT_EQ(watcher.seen, expectedLarge);
    }
}

TEST_F(MessageSystemTest, DestroyingReleasesQueuedMessagesAndAllHandlers) {
    Handler h{"h", nullptr};
    system_->RegisterObjectHandler(kType, 3u, &h, &Handler::On);
    system_->PostMessage(TestMessage(1), 5.0f);
    Message_System::DestroyInstance();
    Message_System* fresh = Message_System::GetInstance();
    TestMessage message(2);
    fresh->SendMessage(message);
    fresh->SendMessageToObject(3u, message);
    EXPECT_TRUE(g_log.empty());
    EXPECT_STREQ(fresh->GetName(), "MessageSystem");
}

}  // namespace

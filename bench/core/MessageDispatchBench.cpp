// Delivering one message to N handlers, and posting then delivering 10,000 delayed messages,
// each beside its anchor: a vector of std::function called in a loop, and a min-heap of
// message copies ordered by due time and delivered through a std::function.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "AllocationCounter.h"
#include "core/EngineCore.h"
#include "core/MessageSystem.h"
#include "platform/os/Clock.h"

namespace {

constexpr int kType = 40;
constexpr int kQueued = 10000;

struct Message : SD::IMessage {
    Message() : SD::IMessage(kType) {}
};

struct Listener {
    int calls = 0;
    void On(SD::IMessage*) { ++calls; }
};

void BM_SendMessage(benchmark::State& state) {
    SD::Message_System* system = SD::Message_System::GetInstance();
    std::vector<Listener> listeners(static_cast<size_t>(state.range(0)));
    for (Listener& l : listeners) system->RegisterHandler(kType, &l, &Listener::On);
    Message message;
    const size_t before = qvbench::AllocationCount();
    for (auto _ : state) system->SendMessage(message);
    state.counters["allocs/send"] =
        static_cast<double>(qvbench::AllocationCount() - before) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * state.range(0));
    SD::Message_System::DestroyInstance();
}
BENCHMARK(BM_SendMessage)->Arg(1)->Arg(10)->Arg(100);

void BM_SendAnchor_VectorOfFunctions(benchmark::State& state) {
    std::vector<Listener> listeners(static_cast<size_t>(state.range(0)));
    std::vector<std::function<void(SD::IMessage*)>> handlers;
    for (Listener& l : listeners) handlers.emplace_back([&l](SD::IMessage* m) { l.On(m); });
    Message message;
    for (auto _ : state) {
        for (auto& handler : handlers) handler(&message);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SendAnchor_VectorOfFunctions)->Arg(1)->Arg(10)->Arg(100);

// Posts 10,000 messages with spread delays, then delivers them all in one update; the cost is
// per message, post and delivery together.
void BM_DelayedQueue(benchmark::State& state) {
    platform::ManualClock clock;
    platform::ScopedClock scoped(clock);
    std::unique_ptr<SD::Core> core(SD::Core::CreateInstance());
    SD::Message_System* system = SD::Message_System::GetInstance();
    Listener listener;
    system->RegisterHandler(kType, &listener, &Listener::On);
    const Message message;
    for (auto _ : state) {
        for (int i = 0; i < kQueued; ++i)
            system->PostMessage(message, 0.001f * static_cast<float>(1 + (i * 7919) % kQueued));
        clock.Advance(11.0);
        system->Update(0.0f);
    }
    state.SetItemsProcessed(state.iterations() * kQueued);
    SD::Message_System::DestroyInstance();
}
BENCHMARK(BM_DelayedQueue);

// Anchor: a min-heap of values, each entry the due time beside a copy of the message, popped
// in due order and handed to one handler held as a std::function. Like a post, each push takes
// its due time from the clock; no entry allocates once the heap has grown.
void BM_DelayedQueueAnchor_MinHeapOfValues(benchmark::State& state) {
    platform::ManualClock clock;
    platform::ScopedClock scoped(clock);
    const double frequency = static_cast<double>(platform::CounterFrequency());
    const auto now = [frequency] {
        return static_cast<float>(static_cast<double>(platform::QueryCounter()) / frequency);
    };
    struct Entry {
        float due;
        Message message;
    };
    const auto later = [](const Entry& a, const Entry& b) { return a.due > b.due; };
    std::vector<Entry> heap;
    Listener listener;
    const std::function<void(SD::IMessage*)> handler = [&listener](SD::IMessage* m) { listener.On(m); };
    const Message message;
    for (auto _ : state) {
        for (int i = 0; i < kQueued; ++i) {
            heap.push_back(Entry{now() + 0.001f * static_cast<float>(1 + (i * 7919) % kQueued), message});
            std::push_heap(heap.begin(), heap.end(), later);
        }
        clock.Advance(11.0);
        const float time = now();
        while (!heap.empty() && !(heap.front().due > time)) {
            std::pop_heap(heap.begin(), heap.end(), later);
            handler(&heap.back().message);
            heap.pop_back();
        }
    }
    benchmark::DoNotOptimize(listener.calls);
    state.SetItemsProcessed(state.iterations() * kQueued);
}
BENCHMARK(BM_DelayedQueueAnchor_MinHeapOfValues);

}  // namespace

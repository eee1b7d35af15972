// Cost of delivering one message to N handlers, and of the delayed queue with many entries.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "core/EngineCore.h"
#include "core/MessageSystem.h"
#include "platform/os/Clock.h"

namespace {

constexpr int kType = 40;

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
    for (auto _ : state) system->SendMessage(message);
    state.SetItemsProcessed(state.iterations() * state.range(0));
    SD::Message_System::DestroyInstance();
}
BENCHMARK(BM_SendMessage)->Arg(1)->Arg(10)->Arg(100);

// Posts 10,000 messages with spread delays, then delivers them all in one update.
void BM_DelayedQueue(benchmark::State& state) {
    platform::ManualClock clock;
    platform::ScopedClock scoped(clock);
    std::unique_ptr<SD::Core> core(SD::Core::CreateInstance());
    SD::Message_System* system = SD::Message_System::GetInstance();
    Listener listener;
    system->RegisterHandler(kType, &listener, &Listener::On);
    const Message message;
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i) system->PostMessage(message, 0.001f * static_cast<float>(1 + (i * 7919) % 10000));
        clock.Advance(11.0);
        system->Update(0.0f);
    }
    state.SetItemsProcessed(state.iterations() * 10000);
    SD::Message_System::DestroyInstance();
}
BENCHMARK(BM_DelayedQueue);

}  // namespace

// Bank loading and preparation through the bank thread: a bank of 10,000 objects and 1,000
// media loaded from memory and unloaded (anchor: a copy of the same bytes), and 1,000 events
// prepared and unprepared, their media copied out of a bank file (anchor: one empty command's
// round trip through the bank thread). The work runs on the bank thread: timed by the clock.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/bank/SxBankSource.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tools/bankwriter/BankFile.h"

namespace {

using namespace SX;
namespace bw = bankwriter;

constexpr uint32_t kMedia = 1000, kEvents = 1000;

class Engine {
public:
    Engine() {
        platform::audio::control::SetOpenFails(true);
        SxMemoryMgrSettings memory;
        memory.maxPools = 16;
        MemoryMgr::Init(&memory);
        SxInitSettings settings;
        settings.defaultPoolSize = 128 << 20;
        SoundEngine::Init(&settings, nullptr);
    }
    ~Engine() {
        SoundEngine::Term();
        MemoryMgr::Term();
        platform::audio::control::Reset();
    }
};

// 1,000 sounds with a media item each, then 4,500 play actions and their events: 10,000 objects.
bw::BankFile BigBank(uint32_t bankID, uint32_t mediaBankID) {
    bw::BankFile bank;
    bank.id = bankID;
    for (uint32_t i = 0; i < kMedia; ++i) {
        bank.media.push_back({1000 + i, bw::Bytes(512, static_cast<uint8_t>(i))});
        bw::Source source;
        source.mediaID = 1000 + i;
        bank.records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(10000 + i, source, bw::NodeBase())));
    }
    for (uint32_t i = 0; i < 4500; ++i) {
        bank.records.push_back(bw::Record(SxHirc_Action, bw::ActionBody(20000 + i, 0x0403, 10000 + i % kMedia, {}, {},
                                                                        bw::PlayParams(4, mediaBankID))));
        bank.records.push_back(bw::Record(SxHirc_Event, bw::EventBody(30000 + i, {20000 + i})));
    }
    return bank;
}

struct Aligned {
    explicit Aligned(const bw::Bytes& bytes) : size(static_cast<uint32_t>(bytes.size())) {
        data = static_cast<uint8_t*>(std::aligned_alloc(16, (bytes.size() + 15) & ~size_t(15)));
        std::memcpy(data, bytes.data(), bytes.size());
    }
    ~Aligned() { std::free(data); }
    uint8_t* data;
    uint32_t size;
};

void BM_LoadBankOf10000ObjectsFromMemory(benchmark::State& state) {
    Engine engine;
    const Aligned bank(bw::WriteBank(BigBank(7, 7)));
    for (auto _ : state) {
        SxBankID id;
        if (SoundEngine::LoadBank(bank.data, bank.size, id) != SX_Success) state.SkipWithError("load failed");
        SoundEngine::UnloadBank(id);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bank.size);
}
BENCHMARK(BM_LoadBankOf10000ObjectsFromMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Anchor_CopyBankBytes(benchmark::State& state) {
    const bw::Bytes bank = bw::WriteBank(BigBank(7, 7));
    std::vector<uint8_t> copy(bank.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), bank.data(), bank.size());
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bank.size());
}
BENCHMARK(BM_Anchor_CopyBankBytes)->Unit(benchmark::kMillisecond);

void BM_PrepareAndUnprepare1000Events(benchmark::State& state) {
    Engine engine;
    char folder[] = "/tmp/qv_bankbench_XXXXXX";
    if (!mkdtemp(folder)) return state.SkipWithError("no temporary folder");
    const SxBankID mediaBank = SoundEngine::GetIDFromString("Media");
    bw::BankFile media = BigBank(mediaBank, mediaBank);
    media.records.resize(kMedia);  // the sounds only
    const std::string path = std::string(folder) + "/Media.bnk";
    const bw::Bytes bytes = bw::WriteBank(media);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    SxSetBankFolder(folder);
    bw::BankFile events = BigBank(8, mediaBank);
    events.media.clear();
    events.records.erase(events.records.begin(), events.records.begin() + kMedia);
    events.bankNames = {{mediaBank, "Media"}};
    const Aligned eventBank(bw::WriteBank(events));
    SxBankID id;
    SoundEngine::LoadBank(eventBank.data, eventBank.size, id);
    std::vector<SxUniqueID> ids;
    for (uint32_t i = 0; i < kEvents; ++i) ids.push_back(30000 + i);
    for (auto _ : state) {
        if (SoundEngine::PrepareEvent(SxPreparation_Load, ids.data(), kEvents) != SX_Success)
            state.SkipWithError("prepare failed");
        SoundEngine::PrepareEvent(SxPreparation_Unload, ids.data(), kEvents);
    }
    SoundEngine::UnloadBank(id);
    SxSetBankFolder("");
    std::remove(path.c_str());
    rmdir(folder);
}
BENCHMARK(BM_PrepareAndUnprepare1000Events)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Anchor_EmptyBankCommand(benchmark::State& state) {
    Engine engine;
    for (auto _ : state) SoundEngine::ClearPreparedEvents();
}
BENCHMARK(BM_Anchor_EmptyBankCommand)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

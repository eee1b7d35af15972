#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "SxBankFixture.h"
#include "tests/sound/engine/SxBankProbe.h"

namespace {

using namespace SX;
namespace bw = bankwriter;
using sxtest::AlignedBank;

std::atomic<int> g_asyncDone{0};
void CountDone(SxBankID, SXRESULT, SxMemPoolId, void*) { ++g_asyncDone; }

class BankThreads : public sxtest::BankEngine {};

// Game threads load and unload banks, synchronously and not, one of them shared by all, while
// the game posts their events and the audio thread renders and takes media as sources do.
// At the end every bank, object, media entry and byte is gone.
TEST_F(BankThreads, LoadAndUnloadRaceWhileTheAudioThreadRenders) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 25;
    std::vector<std::unique_ptr<AlignedBank>> banks;
    for (int i = 0; i <= kThreads; ++i)
        banks.push_back(std::make_unique<AlignedBank>(bw::WriteBank(sxtest::PlayableBank(100 + i, 10 + 10 * i))));
    const uint32_t before = PoolUsed();
    SoundEngine::RegisterGameObj(5);
    std::atomic<bool> stop{false};
    g_asyncDone = 0;

    std::vector<std::thread> loaders;
    for (int t = 0; t < kThreads; ++t) {
        loaders.emplace_back([&, t] {
            const AlignedBank& own = *banks[t + 1];
            const AlignedBank& shared = *banks[0];
            for (int round = 0; round < kRounds; ++round) {
                SxBankID id;
                EXPECT_EQ(SoundEngine::LoadBank(own.Data(), own.Size(), id), SX_Success);
                SoundEngine::LoadBank(shared.Data(), shared.Size(), CountDone, nullptr, id);
                SoundEngine::PostEvent(22 + 10 * t, 5);
                SoundEngine::RenderAudio();
                EXPECT_EQ(SoundEngine::UnloadBank(101 + t), SX_Success);
                SoundEngine::UnloadBank(100, CountDone, nullptr);
            }
        });
    }
    std::thread audio([&] {
        // What the voices will do from the audio thread's side: take media and give them back.
        while (!stop) {
            for (int i = 0; i <= kThreads; ++i) {
                SxMediaRef media;
                if (g_pBankMgr->GetMedia(310 + 10 * i, media)) {
                    EXPECT_EQ(media.data[0], 10 + 10 * i);
                    g_pBankMgr->ReleaseMedia(310 + 10 * i, media);
                }
            }
            std::this_thread::yield();
        }
    });
    for (int i = 0; i < 200; ++i) {
        SoundEngine::PostEvent(12, 5);
        clock.Advance(0.03);
        SoundEngine::RenderAudio();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (std::thread& loader : loaders) loader.join();
    EXPECT_TRUE(RunUntil([&] { return g_asyncDone == 2 * kThreads * kRounds; }));
    stop = true;
    audio.join();
    SoundEngine::UnloadBank(100);
    SoundEngine::StopAll();
    SoundEngine::UnregisterGameObj(5);
    EXPECT_TRUE(RunUntil([&] { return ObjectCount() == 0 && qvtest::BankProbe::BankCount(*g_pBankMgr) == 0; }));
    EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 0u);
    RunUntil([&] { return PoolUsed() == before; });
    EXPECT_EQ(PoolUsed(), before);
}

}  // namespace

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "SxTestMemory.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/environments/CSxEnvironmentsMgr.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/states/CSxStateMgr.h"

namespace {

using namespace SX;

// What a bank writes while it loads must wait for the audio frame, which holds the global
// audio lock while it reads those settings.
TEST(BankSettings, WaitForTheAudioFrame) {
    sxtest::TestMemory memory;
    CSxRTPCMgr rtpc;
    CSxStateMgr states;
    CSxEnvironmentsMgr environments;
    states.AddStateGroup(1);
    const SxSwitchPoint switches[] = {{0.0f, 4, SxCurve_Constant}};
    const SxCurvePoint curve[] = {{0.0f, 1.0f, SxCurve_Linear}};
    const std::function<void()> writers[] = {
        [&] { rtpc.SetDefaultValue(3, 2.0f); },
        [&] { rtpc.AddSwitchRTPC(5, 3, switches, 1); },
        [&] { states.AddStateGroup(2); },
        [&] { states.SetStateGroupDefaultTime(1, 100); },
        [&] { states.AddStateTransition(1, 2, 3, 50, true); },
        [&] { environments.SetObsOccCurve(SxCurve_Occlusion, SxCurveTarget_Volume, 0, curve, 1); },
        [&] { environments.SetCurveEnabled(SxCurve_Occlusion, SxCurveTarget_Volume, true); },
    };
    int index = 0;
    for (const auto& write : writers) {
        SCOPED_TRACE(index++);
        std::atomic<bool> done{false};
        bool early = false;
        std::thread bank;
        {
            platform::Lock frame(g_csMain);
            bank = std::thread([&] {
                write();
                done = true;
            });
            for (int i = 0; i < 10000; ++i) {
                if (done) early = true;
                std::this_thread::yield();
            }
        }
        bank.join();
        EXPECT_FALSE(early);
    }
    EXPECT_EQ(rtpc.GetRTPCValue(3, nullptr), 2.0f);
    EXPECT_TRUE(states.IsStateGroupRegistered(2));
    EXPECT_FLOAT_EQ(environments.GetCurveValue(SxCurve_Occlusion, SxCurveTarget_Volume, 9.0f), 1.0f);
}

}  // namespace

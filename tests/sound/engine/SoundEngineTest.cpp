#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include <thread>

#include "platform/os/Clock.h"
#include "platform/os/Threads.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/environments/CSxEnvironmentsMgr.h"
#include "sound/engine/events/CSxEvent.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/paths/CSxPathMgr.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/positions/CSxPositionRepository.h"
#include "sound/engine/transitions/CSxTransitionMgr.h"
#include "sound/engine/registry/CSxRegistryMgr.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxAudioMgrProbe.h"
#include "tests/sound/engine/SxRenderProbes.h"

using namespace SX;
namespace control = platform::audio::control;

namespace {

// Polls (1 ms real sleeps) until done() or two seconds passed.
template <typename Done>
bool WaitFor(Done done) {
    for (int i = 0; i < 2000; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

// An event without actions in the engine's event table, held by the test (its memory is the
// test's, and it outlives the engine): Posts() counts the references the engine holds.
class LoadedEvent : public CSxEvent {
public:
    explicit LoadedEvent(SxUniqueID id) : CSxEvent(id) {}
    void Load() { g_pObjectIndex->AddToIndex(this); }
    uint32_t Posts() const {
        return SxUnderTableLock(SxIndex_Event, [this] { return RefCount(); }) - 1;
    }

protected:
    void Destroy() override {}
};

class SoundEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset();
        SxMemoryMgrSettings settings;
        settings.maxPools = 8;
        ASSERT_EQ(MemoryMgr::Init(&settings), SX_Success);
    }
    void TearDown() override {
        SoundEngine::Term();
        MemoryMgr::Term();
        control::Reset();
    }
    // An event kept until after TearDown has ended the engine.
    template <typename Event, typename... Args>
    Event& KeepEvent(Args... args) {
        events.push_back(std::make_unique<Event>(args...));
        return static_cast<Event&>(*events.back());
    }

    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    std::vector<std::unique_ptr<LoadedEvent>> events;
};

TEST(SoundEngineIDs, FnvOfTheLowerCasedName) {
    // Computed once with a separate script: 32-bit FNV-1 over the lower-cased bytes.
    struct Case {
        const char* name;
        uint32_t id;
    } cases[] = {
        {"", 0x811C9DC5u},     {"a", 0x050C5D7Eu}, {"Play_Flower", 0xA2DA2837u}, {"PLAY_flower", 0xA2DA2837u},
        {"Init", 0x50C63A23u},
    };
    for (const Case& c : cases) EXPECT_EQ(SoundEngine::GetIDFromString(c.name), c.id) << c.name;
    EXPECT_EQ(SoundEngine::GetIDFromString(static_cast<const char*>(nullptr)), 0u);
    EXPECT_EQ(SoundEngine::GetIDFromString(L"Play_Flower"), 0xA2DA2837u);
    const std::string longName(300, 'x');
    EXPECT_EQ(SoundEngine::GetIDFromString(longName.c_str()), 0x3B8B591Fu) << "hashed on its first 259 characters";
    EXPECT_EQ(SoundEngine::GetIDFromString(longName.substr(0, 259).c_str()), 0x3B8B591Fu);
}

TEST_F(SoundEngineTest, TermWithoutInitAndSecondInitLeaveTheEngineAsItWas) {
    SoundEngine::Term();
    EXPECT_FALSE(SoundEngine::IsInitialized());
    MemoryMgr::Term();
    EXPECT_EQ(SoundEngine::Init(nullptr, nullptr), SX_MemoryMgrNotInitialized);
    SoundEngine::Term();
    SxMemoryMgrSettings memory;
    memory.maxPools = 8;
    ASSERT_EQ(MemoryMgr::Init(&memory), SX_Success);

    SxPlatformInitSettings platformSettings;
    platformSettings.numRefillsInVoice = 1;
    ASSERT_EQ(SoundEngine::Init(nullptr, &platformSettings), SX_Success);
    EXPECT_EQ(platformSettings.numRefillsInVoice, 4) << "raised and written back";
    for (const void* manager :
         {static_cast<const void*>(g_pObjectIndex), static_cast<const void*>(g_pRTPCMgr),
          static_cast<const void*>(g_pEnvironmentsMgr), static_cast<const void*>(g_pPlayingMgr),
          static_cast<const void*>(g_pPositionRepository), static_cast<const void*>(g_pRegistryMgr),
          static_cast<const void*>(g_pTransitionMgr), static_cast<const void*>(g_pStateMgr),
          static_cast<const void*>(g_pAudioMgr), static_cast<const void*>(g_pPathMgr)})
        EXPECT_NE(manager, nullptr);
    EXPECT_EQ(qvtest::PathMgrProbe::MaxPaths(*g_pPathMgr), 255u) << "the init settings' path limit";
    EXPECT_NE(g_DefaultPoolId, SxInvalidPoolId);
    EXPECT_NE(g_LEngineDefaultPoolId, SxInvalidPoolId);

    SxPlatformInitSettings second;
    second.sampleRateMode = 1;
    EXPECT_EQ(SoundEngine::Init(nullptr, &second), SX_Fail);
    EXPECT_EQ(second.sampleRateMode, 1u);
    EXPECT_EQ(CSxLEngine::OutputSampleRate(), 48000u);
    EXPECT_TRUE(SoundEngine::IsInitialized());
    SoundEngine::Term();
    EXPECT_FALSE(SoundEngine::IsInitialized());
    EXPECT_EQ(g_pAudioMgr, nullptr);
    EXPECT_EQ(g_pRegistryMgr, nullptr);
    EXPECT_EQ(g_pStateMgr, nullptr);
    EXPECT_EQ(g_pPathMgr, nullptr);
    EXPECT_EQ(g_pObjectIndex, nullptr);
    EXPECT_EQ(g_DefaultPoolId, SxInvalidPoolId);
    EXPECT_EQ(g_LEngineDefaultPoolId, SxInvalidPoolId);
    EXPECT_EQ(MemoryMgr::GetNumPools(), 0u);
    EXPECT_EQ(control::LiveBuffers(), 0);
}

std::mutex g_nameMutex;
std::string g_threadName;
std::atomic<int> g_lastCalls{0};
void RecordThread(bool lastCall) {
    if (lastCall) {
        ++g_lastCalls;
        return;
    }
    std::lock_guard<std::mutex> lock(g_nameMutex);
    g_threadName = platform::CurrentThreadName();
}

TEST_F(SoundEngineTest, AudioThreadWritesSilenceAtExactlyTheOutputRate) {
    g_lastCalls = 0;
    control::StartCapture();
    ASSERT_EQ(SoundEngine::AddBehavioralExtension(RecordThread), SX_Success);
    ASSERT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success);
    ASSERT_TRUE(CSxLEngine::UsingDeviceSink());
    EXPECT_EQ(SoundEngine::GetSpeakerConfiguration(), 3u);
    const uint64_t zeroFill = 4 * 4096;  // the whole device buffer, cleared at set-up
    // The first wake fills the whole buffer; then each 64 ms of device time frees 3 frames.
    uint64_t expected = zeroFill + 4 * 4096;
    ASSERT_TRUE(WaitFor([&] { return control::CapturedBytes() == expected; })) << control::CapturedBytes();
    for (int step = 0; step < 20; ++step) {
        clock.Advance(0.064);
        expected += 3 * 4096;
        ASSERT_TRUE(WaitFor([&] { return control::CapturedBytes() >= expected; })) << step;
    }
    SoundEngine::Term();
    EXPECT_EQ(control::CapturedBytes(), expected) << "never ahead of the device";
    for (uint8_t b : control::Captured()) ASSERT_EQ(b, 0);
    std::lock_guard<std::mutex> lock(g_nameMutex);
    EXPECT_EQ(g_threadName, "SX::EventManage");
    EXPECT_EQ(g_lastCalls, 1);
}

TEST_F(SoundEngineTest, UnusableDeviceRunsOnTheSilentSink) {
    struct Case {
        const char* what;
        void (*breakDevice)();
    } cases[] = {
        {"device cannot be opened", [] { control::SetOpenFails(true); }},
        {"device opens but refuses every buffer", [] { control::SetMaxChannels(1); }},
    };
    for (const Case& c : cases) {
        control::Reset();
        c.breakDevice();
        SxPlatformInitSettings settings;
        settings.channelMask = 63;
        ASSERT_EQ(SoundEngine::Init(nullptr, &settings), SX_Success) << c.what;
        EXPECT_FALSE(CSxLEngine::UsingDeviceSink()) << c.what;
        EXPECT_EQ(SoundEngine::GetSpeakerConfiguration(), 3u) << c.what;
        EXPECT_EQ(CSxLEngine::GetWaitTime(), 10u) << c.what;
        SoundEngine::Term();
        EXPECT_EQ(control::LiveBuffers(), 0) << c.what;
    }
}

TEST_F(SoundEngineTest, FailingDeviceFallsBackAndIsRetriedOnTheNextTenWakes) {
    ASSERT_EQ(CSxLEngine::Init(SxPlatformInitSettings()), SX_Success);
    CSxLEngine::StartOutput();
    ASSERT_TRUE(CSxLEngine::UsingDeviceSink());
    EXPECT_EQ(CSxLEngine::GetNumBuffersToRefill(), 4u);

    control::SetPositionFails(true);
    control::SetOpenFails(true);
    const int opensBefore = control::OpenAttempts();
    EXPECT_EQ(CSxLEngine::GetNumBuffersToRefill(), 0u);
    EXPECT_FALSE(CSxLEngine::UsingDeviceSink());
    for (int wake = 0; wake < 15; ++wake) CSxLEngine::GetNumBuffersToRefill();
    EXPECT_EQ(control::OpenAttempts() - opensBefore, 10);
    control::SetOpenFails(false);
    CSxLEngine::GetNumBuffersToRefill();
    EXPECT_FALSE(CSxLEngine::UsingDeviceSink()) << "no retry after the ten wakes";

    // A later failure of the silent sink cannot happen; a device failure while a retry runs
    // recovers as soon as the device opens again.
    CSxLEngine::Term();
    control::Reset();
    ASSERT_EQ(CSxLEngine::Init(SxPlatformInitSettings()), SX_Success);
    control::SetPositionFails(true);
    CSxLEngine::GetNumBuffersToRefill();
    control::SetPositionFails(false);
    CSxLEngine::GetNumBuffersToRefill();
    EXPECT_TRUE(CSxLEngine::UsingDeviceSink());
    EXPECT_EQ(qvtest::LEngineProbe::RetryCountdown(), 0u);
    CSxLEngine::Term();
}

TEST_F(SoundEngineTest, PostEventQueuesUntilRenderAudioAndUndoesAFailedEnqueue) {
    LoadedEvent& event = KeepEvent<LoadedEvent>(SoundEngine::GetIDFromString("Play_Flower"));
    EXPECT_EQ(SoundEngine::PostEvent("Play_Flower", 100), 0u) << "no engine";
    control::SetOpenFails(true);
    SxInitSettings settings;
    settings.commandQueueSize = 4096;
    ASSERT_EQ(SoundEngine::Init(&settings, nullptr), SX_Success);
    event.Load();
    EXPECT_EQ(SoundEngine::PostEvent("Unknown", 100), 0u);
    const SxPlayingID first = SoundEngine::PostEvent("Play_Flower", 100);
    const SxPlayingID second = SoundEngine::PostEvent("play_flower", 100);
    EXPECT_NE(first, 0u);
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(event.Posts(), 2u);
    EXPECT_TRUE(g_pPlayingMgr->IsActive(first));
    SoundEngine::RenderAudio();
    ASSERT_TRUE(WaitFor([&] { return event.Posts() == 0; }));
    EXPECT_TRUE(WaitFor([&] { return !g_pPlayingMgr->IsActive(first) && !g_pPlayingMgr->IsActive(second); }))
        << "an event without actions ends when its post is applied";

    // Stop the audio thread so that the queue fills: the call must refuse, not wait.
    g_pAudioMgr->StopThread();
    int accepted = 0;
    SxPlayingID last = 0;
    while (SxPlayingID id = SoundEngine::PostEvent("Play_Flower", 100)) {
        last = id;
        ++accepted;
    }
    EXPECT_GT(accepted, 0);
    EXPECT_EQ(event.Posts(), static_cast<uint32_t>(accepted)) << "the refused post holds no reference";
    EXPECT_TRUE(g_pPlayingMgr->IsActive(last));
    EXPECT_FALSE(g_pPlayingMgr->IsActive(last + 1)) << "the refused post's playing ID is released";
    SoundEngine::Term();
    EXPECT_EQ(event.Posts(), 0u) << "queued posts are released at termination";
}

std::atomic<int> g_selfCancellingEnds{0};
void CancelOwnCallbackAtTheEnd(SxCallbackType, SxCallbackInfo* info) {
    ++g_selfCancellingEnds;
    SoundEngine::CancelEventCallback(info->playingID);
}

TEST_F(SoundEngineTest, TermReturnsWhenAnEndOfEventCallbackCancelsItself) {
    control::SetOpenFails(true);
    LoadedEvent& event = KeepEvent<LoadedEvent>(SoundEngine::GetIDFromString("Play_Flower"));
    ASSERT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success);
    event.Load();
    g_selfCancellingEnds = 0;
    ASSERT_NE(SoundEngine::PostEvent("Play_Flower", 100, SxCallback_EndOfEvent, CancelOwnCallbackAtTheEnd), 0u);
    // Never rendered: Term drops the queued post, which ends the event on Term's own thread.
    std::atomic<bool> returned{false};
    std::thread term([&] {
        SoundEngine::Term();
        returned = true;
    });
    for (int i = 0; i < 10 && !returned; ++i) WaitFor([&] { return returned.load(); });
    if (!returned) {
        ADD_FAILURE() << "Term waits for the callback that runs on its own thread";
        std::_Exit(1);
    }
    term.join();
    EXPECT_EQ(g_selfCancellingEnds, 1);
    EXPECT_EQ(event.Posts(), 0u);
}

TEST_F(SoundEngineTest, CallsValidateBeforeQueuing) {
    control::SetOpenFails(true);
    ASSERT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success);
    EXPECT_EQ(SoundEngine::RegisterGameObj(0), SX_Fail);
    EXPECT_EQ(SoundEngine::RegisterGameObj(0xFFFFFFFFu), SX_Fail);
    EXPECT_EQ(SoundEngine::UnregisterGameObj(0), SX_Fail);
    EXPECT_EQ(SoundEngine::SetPosition(0, SxSoundPosition()), SX_Fail);
    EXPECT_EQ(SoundEngine::RegisterGameObj(5), SX_Success);
    std::vector<SxSoundPosition> positions(85);
    EXPECT_EQ(SoundEngine::SetMultiplePositions(5, positions.data(), 84, 0), SX_Success);
    EXPECT_EQ(SoundEngine::SetMultiplePositions(5, positions.data(), 85, 0), SX_Fail);
    EXPECT_EQ(SoundEngine::SetMultiplePositions(5, positions.data(), 1, 3), SX_InvalidParameter);
    EXPECT_EQ(SoundEngine::SetMultiplePositions(5, nullptr, 1, 0), SX_InvalidParameter);
    EXPECT_EQ(SoundEngine::GetSourcePlayPosition(1, nullptr), SX_InvalidParameter);
    EXPECT_EQ(SoundEngine::SetEnvironmentVolumes(1, nullptr), SX_InvalidParameter);

    EXPECT_EQ(SoundEngine::SetPanningRule(1), SX_Success);
    EXPECT_EQ(SoundEngine::GetPanningRule(), 0u) << "applied by the audio thread after RenderAudio";
    SoundEngine::RenderAudio();
    EXPECT_TRUE(WaitFor([] { return SoundEngine::GetPanningRule() == 1; }));
}

}  // namespace

namespace {

std::mutex g_recordMutex;
std::vector<std::vector<uint8_t>> g_records;
void KeepRecord(const SxQueuedMsgHeader& header) {
    std::lock_guard<std::mutex> lock(g_recordMutex);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&header);
    g_records.emplace_back(bytes, bytes + header.size);
}
template <typename Record>
Record As(const std::vector<uint8_t>& bytes) {
    Record r;
    std::memcpy(static_cast<void*>(&r), bytes.data(), std::min(sizeof r, bytes.size()));
    return r;
}

TEST_F(SoundEngineTest, EveryCallBecomesItsRecordAndEventReferencesAreDropped) {
    g_records.clear();
    control::SetOpenFails(true);
    LoadedEvent& event = KeepEvent<LoadedEvent>(77u);
    ASSERT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success);
    event.Load();
    for (uint16_t type = 2; type < SxMsg_TypeCount; ++type) g_pAudioMgr->SetHandler(type, KeepRecord);

    const float volumes[6] = {1, 2, 3, 4, 5, 6};
    const SxEnvironmentValue envs[2] = {{5, 0.5f}, {6, 0.25f}}, duplicate[2] = {{5, 0.5f}, {5, 0.25f}};
    struct Call {
        SXRESULT result;
        uint16_t type;
    } calls[] = {
        {SoundEngine::SetRTPCValue(1, 0.5f), SxMsg_SetRTPC},
        {SoundEngine::SetRTPCValue("Speed", 0.5f, 100, 200), SxMsg_SetRTPCWithTransition},
        {SoundEngine::ResetRTPCValue(1), SxMsg_ResetRTPC},
        {SoundEngine::ResetRTPCValue(1, 100, 50), SxMsg_ResetRTPCWithTransition},
        {SoundEngine::SetState(1, 0x2CA33BDBu), SxMsg_SetState},
        {SoundEngine::SetSwitch("Surface", "Grass", 100), SxMsg_SetSwitch},
        {SoundEngine::PostTrigger("Hit"), SxMsg_Trigger},
        {SoundEngine::RegisterGameObj(100), SxMsg_RegisterGameObj},
        {SoundEngine::UnregisterAllGameObj(), SxMsg_UnregisterGameObj},
        {SoundEngine::SetPosition(100, SxSoundPosition(), 0xFFFFFFFFu), SxMsg_SetPosition},
        {SoundEngine::SetActiveListeners(100, 3), SxMsg_SetActiveListeners},
        {SoundEngine::SetListenerPosition(SxListenerPosition(), 1), SxMsg_SetListenerPosition},
        {SoundEngine::SetListenerSpatialization(1, true, nullptr), SxMsg_SetListenerSpatialization},
        {SoundEngine::SetGameObjectEnvironmentsValues(100, envs, 2), SxMsg_SetEnvironmentsValues},
        {SoundEngine::SetGameObjectDryLevelValue(100, 0.5f), SxMsg_SetDryLevel},
        {SoundEngine::SetEnvironmentVolumes(5, volumes), SxMsg_SetEnvironmentVolumes},
        {SoundEngine::BypassEnvironment(5, true), SxMsg_BypassEnvironment},
        {SoundEngine::SetObjectObstructionAndOcclusion(100, 0, 0.5f, 0.25f), SxMsg_SetObstructionAndOcclusion},
        {SoundEngine::SetListenerPipeline(0, true, false), SxMsg_SetListenerPipeline},
        {MotionEngine::SetPlayerListener(0, 1), SxMsg_MotionSetPlayerListener},
        {MotionEngine::AddPlayerMotionDevice(0, 0, 406, nullptr), SxMsg_MotionPlayerDevice},
        {MotionEngine::SetPlayerVolume(0, -3.0f), SxMsg_MotionSetPlayerVolume},
        {SoundEngine::ExecuteActionOnEvent(77, SxActionOnEvent_Pause), SxMsg_ExecuteActionOnEvent},
        {SoundEngine::SetAttenuationScalingFactor(100, 2.0f), SxMsg_SetAttenuationScaling},
        {SoundEngine::SetListenerScalingFactor(0, 2.0f), SxMsg_SetListenerScaling},
        {SoundEngine::SeekOnEvent(77, 100, 0.5f), SxMsg_SeekOnEvent},
        {SoundEngine::PlaySourcePlugin(3, 0, 100) != 0 ? SX_Success : SX_Fail, SxMsg_SourcePlugin},
        {SoundEngine::SetEffect(9, 1, 10), SxMsg_SetEffect},
    };
    for (const Call& call : calls) EXPECT_EQ(call.result, SX_Success) << call.type;
    EXPECT_EQ(event.Posts(), 2u) << "held by the two queued records";

    // Refused before queuing.
    EXPECT_EQ(SoundEngine::ExecuteActionOnEvent(78, SxActionOnEvent_Stop), SX_Fail);
    EXPECT_EQ(SoundEngine::SetGameObjectEnvironmentsValues(100, duplicate, 2), SX_InvalidParameter);
    EXPECT_EQ(SoundEngine::SetGameObjectEnvironmentsValues(100, envs, 5), SX_InvalidParameter);
    EXPECT_EQ(SoundEngine::SetAttenuationScalingFactor(100, 0.0f), SX_InvalidParameter);
    EXPECT_EQ(SoundEngine::SetListenerScalingFactor(0, -1.0f), SX_InvalidParameter);

    SoundEngine::RenderAudio();
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard<std::mutex> lock(g_recordMutex);
        return g_records.size() == std::size(calls);
    }));
    EXPECT_TRUE(WaitFor([&] { return event.Posts() == 0; }));
    std::lock_guard<std::mutex> lock(g_recordMutex);
    for (size_t i = 0; i < std::size(calls); ++i)
        EXPECT_EQ(As<SxQueuedMsgHeader>(g_records[i]).type, calls[i].type) << i;
    EXPECT_EQ(As<SxMsgSetState>(g_records[4]).state, 0u) << "the state \"none\" is stored as 0";
    EXPECT_EQ(As<SxMsgSetSwitch>(g_records[5]).switchGroup, SoundEngine::GetIDFromString("surface"));
    EXPECT_EQ(As<SxMsgSetPosition>(g_records[9]).listener, 31u);
    EXPECT_EQ(As<SxMsgSetListenerSpatialization>(g_records[12]).volumesPresent, 0);
    EXPECT_EQ(As<SxMsgSetEnvironmentsValues>(g_records[13]).values[1].environmentID, 6u);
    EXPECT_EQ(As<SxMsgSeekOnEvent>(g_records[25]).isFraction, 1);
}

}  // namespace

namespace {

TEST_F(SoundEngineTest, GameObjectMessagesReachTheRegistryAfterRenderAudio) {
    control::SetOpenFails(true);
    ASSERT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success);
    auto positionX = [](SxGameObjectID id) {
        platform::Lock lock(g_csMain);
        CSxRegisteredObj* object = g_pRegistryMgr->GetObjAndAddref(id);
        if (!object) return -1.0f;
        const float x = object->PositionCount() ? object->Positions()[0].position.x : 0.0f;
        object->Release();
        return x;
    };
    SxSoundPosition position;
    position.position.x = 5.0f;
    ASSERT_EQ(SoundEngine::RegisterGameObj(100), SX_Success);
    ASSERT_EQ(SoundEngine::SetPosition(100, position), SX_Success);
    EXPECT_EQ(positionX(100), -1.0f) << "not before RenderAudio";
    SoundEngine::RenderAudio();
    EXPECT_TRUE(WaitFor([&] { return positionX(100) == 5.0f; }));
    ASSERT_EQ(SoundEngine::UnregisterGameObj(100), SX_Success);
    SoundEngine::RenderAudio();
    EXPECT_TRUE(WaitFor([&] { return positionX(100) == -1.0f; }));
}

}  // namespace

namespace {

TEST(SoundEngineSettings, ThresholdAndVoiceLimitBelongToTheLowestLevelCaller) {
    SoundEngine::ResetSettingOwners();
    EXPECT_EQ(SoundEngine::SetVolumeThreshold(-100.0f), SX_InvalidParameter);
    EXPECT_EQ(SoundEngine::SetVolumeThreshold(1.0f), SX_InvalidParameter);
    EXPECT_EQ(SoundEngine::SetVolumeThresholdInternal(-40.0f, 2), SX_Success);  // a bank, over the default
    EXPECT_EQ(g_fVolumeThresholdDB, -40.0f);
    EXPECT_EQ(SoundEngine::SetVolumeThreshold(-50.0f), SX_Success);
    EXPECT_NEAR(g_fVolumeThreshold, std::pow(10.0f, -2.5f), 1e-6f);
    EXPECT_EQ(SoundEngine::SetVolumeThresholdInternal(-30.0f, 2), SX_Success);
    EXPECT_EQ(g_fVolumeThresholdDB, -50.0f) << "a bank no longer changes the game's setting";

    EXPECT_EQ(SoundEngine::SetMaxNumVoicesLimit(0), SX_InvalidParameter);
    EXPECT_EQ(SoundEngine::SetMaxNumVoicesLimit(32), SX_Success);
    EXPECT_EQ(SoundEngine::SetMaxNumVoicesLimitInternal(64, 2), SX_Success);
    EXPECT_EQ(g_u16MaxNumVoices, 32);
    SoundEngine::ResetSettingOwners();  // as Init does
    EXPECT_EQ(SoundEngine::SetMaxNumVoicesLimitInternal(64, 2), SX_Success);
    EXPECT_EQ(g_u16MaxNumVoices, 64);
}

}  // namespace

namespace {

std::atomic<int> g_refusedOnAudioThread{0};
void FillQueueFromTheAudioThread(bool lastCall) {
    if (lastCall || g_refusedOnAudioThread) return;
    // A callback calling the engine from the audio thread: a full queue must refuse, never wait.
    for (int i = 0; i < 1000; ++i)
        if (SoundEngine::SetRTPCValue(1u, 1.0f) == SX_InsufficientMemory) {
            ++g_refusedOnAudioThread;
            return;
        }
}

TEST_F(SoundEngineTest, TheAudioThreadNeverWaitsForItself) {
    g_refusedOnAudioThread = 0;
    SxInitSettings settings;
    settings.commandQueueSize = 4096;
    ASSERT_EQ(SoundEngine::Init(&settings, nullptr), SX_Success);
    ASSERT_EQ(SoundEngine::AddBehavioralExtension(FillQueueFromTheAudioThread), SX_Success);
    clock.Advance(0.064);  // three buffers due: the frames run the extension
    EXPECT_TRUE(WaitFor([] { return g_refusedOnAudioThread > 0; }));
}

TEST_F(SoundEngineTest, FailedInitTearsEverythingDown) {
    SxInitSettings settings;
    settings.defaultPoolSize = 65;  // far too small for the managers
    const SXRESULT result = SoundEngine::Init(&settings, nullptr);
    EXPECT_NE(result, SX_Success);
    EXPECT_FALSE(SoundEngine::IsInitialized());
    EXPECT_EQ(g_pAudioMgr, nullptr);
    EXPECT_EQ(g_DefaultPoolId, SxInvalidPoolId);
    EXPECT_EQ(MemoryMgr::GetNumPools(), 0u);
    SoundEngine::Term();
    EXPECT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success) << "a new Init after the failure";
}

}  // namespace

namespace {

std::atomic<int> g_globalCalls{0};
void CountGlobalCall(bool lastCall) {
    if (!lastCall) ++g_globalCalls;
}

// Calls the game makes while the audio thread renders; the thread-sanitizer run of this
// test reports any of them that touches what the frame uses without the audio lock.
TEST_F(SoundEngineTest, ExtensionsPanningRuleAndFrameCounterAreSafeWhileTheAudioThreadRuns) {
    ASSERT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success);
    g_globalCalls = 0;
    constexpr int kAdded = 64;  // enough for the list to grow several times mid-run
    uint32_t lastFrame = 0;
    for (int i = 0; i < kAdded; ++i) {
        ASSERT_EQ(SoundEngine::AddBehavioralExtension(CountGlobalCall), SX_Success);
        ASSERT_EQ(SoundEngine::SetPanningRule(i % 2), SX_Success);
        SoundEngine::RenderAudio();
        clock.Advance(0.0214);  // one buffer due
        const uint32_t rule = SoundEngine::GetPanningRule();
        EXPECT_LE(rule, 1u);
        const uint32_t frame = qvtest::AudioMgrProbe::FrameCounter();
        EXPECT_GE(frame, lastFrame);
        lastFrame = frame;
    }
    clock.Advance(0.064);  // three more buffers due
    EXPECT_TRUE(WaitFor([] { return g_globalCalls > 0; })) << "the frames ran the extensions";
    EXPECT_TRUE(WaitFor([] { return SoundEngine::GetPanningRule() == (kAdded - 1) % 2; }));
    for (int i = 0; i < kAdded; ++i) ASSERT_EQ(SoundEngine::RemoveBehavioralExtension(CountGlobalCall), SX_Success);
    EXPECT_EQ(SoundEngine::RemoveBehavioralExtension(CountGlobalCall), SX_Fail);
}

TEST_F(SoundEngineTest, GlobalCallbacksComeAndGoWhileTheAudioThreadRuns) {
    ASSERT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success);
    g_globalCalls = 0;
    ASSERT_EQ(SoundEngine::RegisterGlobalCallback(CountGlobalCall), SX_Success);
    clock.Advance(0.064);
    EXPECT_TRUE(WaitFor([] { return g_globalCalls >= 3; }));
    ASSERT_EQ(SoundEngine::UnregisterGlobalCallback(CountGlobalCall), SX_Success);
    const int calls = g_globalCalls;
    const uint32_t frame = qvtest::AudioMgrProbe::FrameCounter();
    clock.Advance(0.064);
    EXPECT_TRUE(WaitFor([&] { return qvtest::AudioMgrProbe::FrameCounter() >= frame + 3; }));
    EXPECT_EQ(g_globalCalls, calls);
    EXPECT_EQ(SoundEngine::UnregisterGlobalCallback(CountGlobalCall), SX_Fail);
    EXPECT_EQ(SoundEngine::StopOutputCapture(), static_cast<SXRESULT>(4));
}

}  // namespace

namespace {

std::mutex g_sourceMutex;
std::wstring g_sourceName;
std::atomic<int> g_sourceActionRuns{0};

struct SourceAction : ISxEventAction {
    uint32_t AddRef() override { return 1; }
    uint32_t Release() override { return 1; }
    uint16_t ActionType() const override { return 0x0403; }
    SxUniqueID ActionID() const override { return 3; }
    uint32_t DelaySamples() const override { return 0; }
    SXRESULT Execute(SxPendingAction& pending) override {
        std::lock_guard<std::mutex> lock(g_sourceMutex);
        const SxExternalSourceArray* array = pending.externalSources.array;
        g_sourceName = array && array->Count() == 2 ? (*array)[1].fileName : L"";
        ++g_sourceActionRuns;
        return SX_Success;
    }
} g_sourceAction;

// An event whose one action reads the external sources it is given.
class SourceEvent final : public LoadedEvent {
public:
    SourceEvent() : LoadedEvent(2) {}
    uint32_t ActionCount() const override { return 1; }
    ISxEventAction* Action(uint32_t) const override { return &g_sourceAction; }
};

TEST_F(SoundEngineTest, ExternalSourcesAreCopiedForTheActionsAndFreedAfterwards) {
    g_sourceActionRuns = 0;
    control::SetOpenFails(true);
    SourceEvent& event = KeepEvent<SourceEvent>();
    ASSERT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success);
    event.Load();
    auto used = [] {
        platform::Lock lock(g_csMain);
        SxPoolMemInfo info;
        MemoryMgr::GetPoolMemoryUsed(g_DefaultPoolId, info);
        return info.usedBytes;
    };
    SoundEngine::PostEvent(2u, 100);  // the action is for one game object: skipped while unregistered
    SoundEngine::RegisterGameObj(100);
    SoundEngine::PostEvent(2u, 100);
    SoundEngine::RenderAudio();
    ASSERT_TRUE(WaitFor([] { return g_sourceActionRuns == 1; }));
    const uint32_t before = used();

    std::wstring name = L"voice_017.med";
    SxExternalSourceInfo sources[2];
    sources[0].cookie = 1;
    sources[0].fileID = 44;
    sources[1].cookie = 2;
    sources[1].fileName = name.c_str();
    ASSERT_NE(SoundEngine::PostEvent(2u, 100, 0, nullptr, nullptr, 2, sources), 0u);
    name.assign(name.size(), L'x');  // the caller's string may go at once
    SoundEngine::RenderAudio();
    ASSERT_TRUE(WaitFor([] { return g_sourceActionRuns == 2; }));
    {
        std::lock_guard<std::mutex> lock(g_sourceMutex);
        EXPECT_EQ(g_sourceName, L"voice_017.med");
    }
    EXPECT_EQ(used(), before) << "names and array freed with the last reference";
}

}  // namespace

namespace {

TEST_F(SoundEngineTest, GameSyncMessagesReachTheirManagersAfterRenderAudio) {
    control::SetOpenFails(true);
    ASSERT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success);
    auto global = [](SxUniqueID id) {
        platform::Lock lock(g_csMain);
        bool found = false;
        const float value = g_pRTPCMgr->GetGlobalRTPCValue(id, &found);
        return found ? value : -1.0f;
    };
    auto objectValue = [](SxUniqueID id, SxGameObjectID gameObject) {
        platform::Lock lock(g_csMain);
        CSxRegisteredObj* object = g_pRegistryMgr->GetObjAndAddref(gameObject);
        const float value = g_pRTPCMgr->GetRTPCValue(id, object);
        if (object) object->Release();
        return value;
    };
    auto state = [](uint32_t group) {
        platform::Lock lock(g_csMain);
        return g_pStateMgr->GetState(group);
    };
    {
        platform::Lock lock(g_csMain);  // as a bank would
        ASSERT_EQ(g_pStateMgr->AddStateGroup(SoundEngine::GetIDFromString("Season")), SX_Success);
    }
    ASSERT_EQ(SoundEngine::SetRTPCValue("Speed", 0.75f), SX_Success);
    ASSERT_EQ(SoundEngine::SetRTPCValue("Wind", 0.5f, 7), SX_Success);  // 7 is not registered: dropped
    ASSERT_EQ(SoundEngine::SetState("Season", "Winter"), SX_Success);
    EXPECT_EQ(global(SoundEngine::GetIDFromString("Speed")), -1.0f);
    SoundEngine::RenderAudio();
    EXPECT_TRUE(WaitFor([&] { return global(SoundEngine::GetIDFromString("speed")) == 0.75f; }));
    EXPECT_TRUE(WaitFor(
        [&] { return state(SoundEngine::GetIDFromString("season")) == SoundEngine::GetIDFromString("winter"); }));
    SoundEngine::RegisterGameObj(7);
    SoundEngine::SetRTPCValue("Wind", 0.25f, 7);
    SoundEngine::RenderAudio();
    EXPECT_TRUE(WaitFor([&] { return objectValue(SoundEngine::GetIDFromString("wind"), 7) == 0.25f; }));
    EXPECT_EQ(global(SoundEngine::GetIDFromString("wind")), -1.0f) << "the unregistered object's value never landed";
    SoundEngine::SetRTPCValue("Speed", 0.25f, SxAllGameObjects, -5);
    SoundEngine::RenderAudio();
    EXPECT_TRUE(WaitFor([&] { return global(SoundEngine::GetIDFromString("speed")) == 0.25f; }))
        << "a negative time is no ramp";
}

TEST_F(SoundEngineTest, TermWhileGameParameterRampsRunOnAGameObjectAndGlobally) {
    ASSERT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success);
    SoundEngine::RegisterGameObj(7);
    ASSERT_EQ(SoundEngine::SetRTPCValue("Wind", 1.0f, 7, 5000), SX_Success);
    ASSERT_EQ(SoundEngine::SetRTPCValue("Wind", 1.0f, SxAllGameObjects, 5000), SX_Success);
    SoundEngine::RenderAudio();
    // The manual clock holds the device still: the ramps cannot end before Term.
    EXPECT_TRUE(WaitFor([] {
        platform::Lock lock(g_csMain);
        return g_pTransitionMgr->Count(CSxTransitionMgr::kFadeList) == 2;
    }));
    SoundEngine::Term();
    EXPECT_EQ(MemoryMgr::GetNumPools(), 0u);
}

}  // namespace

namespace {

TEST_F(SoundEngineTest, ListenerCallsReachTheLowerEngineAfterRenderAudio) {
    control::SetOpenFails(true);
    ASSERT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success);
    auto listener = [](uint32_t index) {
        platform::Lock lock(g_csMain);
        return CSxLEngine::GetListener(index);
    };
    SxListenerPosition position;
    position.front = {0, 0, 2};
    position.top = {0, 3, 0};
    position.position = {4, 5, 6};
    ASSERT_EQ(SoundEngine::SetListenerPosition(position, 3), SX_Success);
    const float volumes[6] = {-1, -2, -3, -4, -5, -6};
    ASSERT_EQ(SoundEngine::SetListenerSpatialization(3, false, volumes), SX_Success);
    ASSERT_EQ(SoundEngine::SetListenerScalingFactor(3, 2.5f), SX_Success);
    ASSERT_EQ(SoundEngine::SetListenerPipeline(3, false, true), SX_Success);
    EXPECT_EQ(listener(3).position.x, 0.0f) << "not before RenderAudio";
    SoundEngine::RenderAudio();
    ASSERT_TRUE(WaitFor([&] { return listener(3).scalingFactor == 2.5f; }));
    const SxListener l = listener(3);
    EXPECT_EQ(l.position.z, 6.0f);
    EXPECT_EQ(l.front.z, 1.0f) << "normalised";
    EXPECT_EQ(l.top.y, 1.0f);
    EXPECT_EQ(l.spatialized, 0);
    EXPECT_EQ(l.volumes[5], -6.0f);
    platform::Lock lock(g_csMain);
    EXPECT_EQ(CSxLEngine::AudioListenerMask() & 8u, 0u);
    EXPECT_EQ(CSxLEngine::MotionListenerMask(), 8u);
}

}  // namespace

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>

#include "SxBankFixture.h"
#include "platform/os/Threads.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/bank/SxBankSource.h"
#include "sound/engine/environments/CSxEnvironmentsMgr.h"
#include "sound/engine/hierarchy/CSxParentNode.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "support/TempTree.h"
#include "tests/sound/engine/SxBankProbe.h"

namespace {

using namespace SX;
namespace bw = bankwriter;
using sxtest::AlignedBank;

std::atomic<int> g_ended{0};
void CountEnd(SxCallbackType type, SxCallbackInfo*) {
    if (type == SxCallback_EndOfEvent) ++g_ended;
}

struct Completion {
    std::atomic<int> calls{0};
    std::atomic<SXRESULT> result{SX_Fail};
    std::atomic<SxBankID> bankID{0};
    std::string threadName;
};
void Record(SxBankID bankID, SXRESULT result, SxMemPoolId, void* cookie) {
    auto* c = static_cast<Completion*>(cookie);
    c->threadName = platform::CurrentThreadName();
    c->bankID = bankID;
    c->result = result;
    ++c->calls;
}

class BankLoad : public sxtest::BankEngine {
protected:
    void TearDown() override {
        sxtest::BankEngine::TearDown();
        SxSetBankFolder("");
    }
};

// The whole road: a written bank loaded, its media found, its event played to its end, the bank
// unloaded, and every object and byte of the default pool gone again.
TEST_F(BankLoad, LoadedFromMemoryPlaysAndUnloadGivesEverythingBack) {
    const uint32_t before = PoolUsed();
    const AlignedBank bank(bw::WriteBank(sxtest::PlayableBank(77)));
    SxBankID bankID = 0;
    ASSERT_EQ(SoundEngine::LoadBank(bank.Data(), bank.Size(), bankID), SX_Success);
    EXPECT_EQ(bankID, 77u);
    EXPECT_TRUE(qvtest::BankProbe::IsBankLoaded(*g_pBankMgr, 77));
    EXPECT_EQ(ObjectCount(), 4u);

    SxMediaRef media;
    ASSERT_TRUE(g_pBankMgr->GetMedia(310, media));
    ASSERT_EQ(media.size, 100u);
    EXPECT_EQ(media.data[99], 10);
    EXPECT_EQ(media.bank->ID(), 77u);
    g_pBankMgr->ReleaseMedia(310, media);

    SoundEngine::RegisterGameObj(5);
    g_ended = 0;
    EXPECT_NE(SoundEngine::PostEvent(12, 5, SxCallback_EndOfEvent, CountEnd), 0u);
    EXPECT_TRUE(RunUntil([] { return g_ended == 1; }));
    SoundEngine::UnregisterGameObj(5);

    SxMemPoolId pool = 0;
    ASSERT_EQ(SoundEngine::UnloadBank(77, &pool), SX_Success);
    EXPECT_EQ(pool, SxInvalidPoolId);
    EXPECT_TRUE(RunUntil([] { return ObjectCount() == 0; }));
    EXPECT_EQ(qvtest::BankProbe::BankCount(*g_pBankMgr), 0u);
    EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 0u);
    EXPECT_FALSE(g_pBankMgr->GetMedia(310, media));
    EXPECT_EQ(PoolUsed(), before);
}

// From a file by name: the data gets a pool of its own, which goes with the bank.
TEST_F(BankLoad, LoadedByNameFromAFileKeepsItsMediaInAPoolOfItsOwn) {
    qvtest::TempTree tree;
    sxtest::WriteBankFile(tree, "Game.bnk", bw::WriteBank(sxtest::PlayableBank(SoundEngine::GetIDFromString("Game"))));
    const uint32_t before = PoolUsed();
    SxBankID bankID = 0;
    ASSERT_EQ(SoundEngine::LoadBank("Game.bnk", SxInvalidPoolId, bankID), SX_Success);
    EXPECT_EQ(bankID, SoundEngine::GetIDFromString("Game"));
    SxMediaRef media;
    ASSERT_TRUE(g_pBankMgr->GetMedia(310, media));
    EXPECT_EQ(media.data[0], 10);
    g_pBankMgr->ReleaseMedia(310, media);
    EXPECT_EQ(SoundEngine::LoadBank("Missing.bnk", SxInvalidPoolId, bankID), SX_FileNotFound);

    ASSERT_EQ(SoundEngine::UnloadBank("Game.bnk"), SX_Success);
    EXPECT_EQ(ObjectCount(), 0u);
    EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 0u);
    EXPECT_EQ(PoolUsed(), before);
}

TEST_F(BankLoad, ABankLoadedTwiceReportsAlreadyLoadedAndStaysOnce) {
    const AlignedBank bank(bw::WriteBank(sxtest::PlayableBank(77)));
    SxBankID bankID;
    ASSERT_EQ(SoundEngine::LoadBank(bank.Data(), bank.Size(), bankID), SX_Success);
    EXPECT_EQ(SoundEngine::LoadBank(bank.Data(), bank.Size(), bankID), SX_BankAlreadyLoaded);
    EXPECT_EQ(qvtest::BankProbe::BankCount(*g_pBankMgr), 1u);
    EXPECT_EQ(SoundEngine::UnloadBank(77), SX_Success);
    EXPECT_EQ(SoundEngine::UnloadBank(77), SX_Success);  // not loaded: nothing to do
    EXPECT_EQ(ObjectCount(), 0u);
}

TEST_F(BankLoad, MemoryThatIsMisalignedOrTooShortIsRefusedUnqueued) {
    const AlignedBank bank(bw::WriteBank(sxtest::PlayableBank(77)));
    SxBankID bankID;
    EXPECT_EQ(SoundEngine::LoadBank(bank.Data() + 1, bank.Size() - 1, bankID), SX_InvalidParameter);
    EXPECT_EQ(SoundEngine::LoadBank(bank.Data(), 23, bankID), SX_InvalidParameter);
    EXPECT_EQ(SoundEngine::LoadBank(static_cast<const void*>(nullptr), 100, bankID), SX_InvalidParameter);
    EXPECT_EQ(qvtest::BankProbe::BankCount(*g_pBankMgr), 0u);
}

TEST_F(BankLoad, ABankNameIsCutAtItsExtensionBeforeHashing) {
    EXPECT_EQ(g_pBankMgr->BankIDFromName("Init.bnk"), SoundEngine::GetIDFromString("Init"));
    EXPECT_EQ(g_pBankMgr->BankIDFromName("init"), SoundEngine::GetIDFromString("Init"));
}

// Two banks holding one event: the first object stays and each bank holds a reference.
TEST_F(BankLoad, AnEventInTwoBanksStaysUntilBothAreUnloaded) {
    const AlignedBank first(bw::WriteBank(sxtest::PlayableBank(1)));
    const AlignedBank second(bw::WriteBank(sxtest::PlayableBank(2)));
    SxBankID id;
    ASSERT_EQ(SoundEngine::LoadBank(first.Data(), first.Size(), id), SX_Success);
    CSxIndexable* event = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Event, 12);
    ASSERT_NE(event, nullptr);
    ASSERT_EQ(SoundEngine::LoadBank(second.Data(), second.Size(), id), SX_Success);
    ASSERT_EQ(SoundEngine::UnloadBank(1), SX_Success);
    CSxIndexable* still = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Event, 12);
    EXPECT_EQ(still, event);
    {
        platform::Lock lock(g_csMain);
        still->Release();
        event->Release();
    }
    // The media stay too, from the second bank.
    SxMediaRef media;
    ASSERT_TRUE(g_pBankMgr->GetMedia(310, media));
    EXPECT_EQ(media.bank->ID(), 2u);
    g_pBankMgr->ReleaseMedia(310, media);
    ASSERT_EQ(SoundEngine::UnloadBank(2), SX_Success);
    EXPECT_EQ(ObjectCount(), 0u);
}

// A source still playing the bank's media keeps its memory after the unload; the unload
// reports when the last media reference goes, and no new source is given that bank.
TEST_F(BankLoad, MediaInUseKeepTheBankUntilReleased) {
    const AlignedBank bank(bw::WriteBank(sxtest::PlayableBank(77)));
    SxBankID id;
    ASSERT_EQ(SoundEngine::LoadBank(bank.Data(), bank.Size(), id), SX_Success);
    SxMediaRef playing;
    ASSERT_TRUE(g_pBankMgr->GetMedia(310, playing));
    Completion done;
    ASSERT_EQ(SoundEngine::UnloadBank(77, Record, &done), SX_Success);
    EXPECT_TRUE(RunUntil([] { return ObjectCount() == 0; }));
    SxMediaRef another;
    EXPECT_FALSE(g_pBankMgr->GetMedia(310, another));
    EXPECT_EQ(done.calls, 0);
    EXPECT_EQ(playing.data[0], 10);
    g_pBankMgr->ReleaseMedia(310, playing);
    EXPECT_TRUE(RunUntil([&] { return done.calls == 1; }));
    EXPECT_EQ(done.result, SX_Success);
    EXPECT_EQ(done.threadName, "SX::BankManager");
    EXPECT_EQ(qvtest::BankProbe::BankCount(*g_pBankMgr), 0u);
}

// Completions run on the bank thread with no lock held: a callback may queue more bank work
// and cancel cookies itself.
struct Gate {
    platform::Event open{true, false};
    platform::Event entered{true, false};
};
void WaitAtGate(SxBankID, SXRESULT, SxMemPoolId, void* cookie) {
    auto* gate = static_cast<Gate*>(cookie);
    gate->entered.Set();
    gate->open.Wait();
}

TEST_F(BankLoad, CancelledCookiesDropOnlyTheCompletionsAlreadyQueued) {
    const AlignedBank bank(bw::WriteBank(sxtest::PlayableBank(77)));
    Gate gate;
    SxBankID id;
    ASSERT_EQ(SoundEngine::LoadBank(bank.Data(), bank.Size(), WaitAtGate, &gate, id), SX_Success);
    gate.entered.Wait();
    Completion cancelled;
    ASSERT_EQ(SoundEngine::UnloadBank(5, Record, &cancelled), SX_Success);
    ASSERT_EQ(SoundEngine::UnloadBank(6, Record, &cancelled), SX_Success);
    SoundEngine::CancelBankCallbackCookie(&cancelled);
    ASSERT_EQ(SoundEngine::UnloadBank(7, Record, &cancelled), SX_Success);
    gate.open.Set();
    EXPECT_TRUE(RunUntil([&] { return cancelled.calls == 1; }));
    EXPECT_EQ(cancelled.bankID, 7u);
    EXPECT_EQ(cancelled.threadName, "SX::BankManager");
    EXPECT_EQ(qvtest::BankCallbackProbe::PendingCount(g_pBankMgr->Callbacks(), &cancelled), 0u);
    ASSERT_EQ(SoundEngine::UnloadBank(77), SX_Success);
}

struct Chained {
    std::atomic<int> calls{0};
    Completion inner;
};
void QueueMoreFromCallback(SxBankID, SXRESULT, SxMemPoolId, void* cookie) {
    auto* chained = static_cast<Chained*>(cookie);
    SoundEngine::CancelBankCallbackCookie(&chained->inner);  // takes the callback list's lock
    SoundEngine::UnloadBank(9, Record, &chained->inner);     // and the queue's
    ++chained->calls;
}

TEST_F(BankLoad, ACallbackMayQueueMoreBankWork) {
    Chained chained;
    ASSERT_EQ(SoundEngine::UnloadBank(8, QueueMoreFromCallback, &chained), SX_Success);
    EXPECT_TRUE(RunUntil([&] { return chained.inner.calls == 1; }));
    EXPECT_EQ(chained.calls, 1);
    EXPECT_EQ(chained.inner.bankID, 9u);
}

TEST_F(BankLoad, SettingsAndEnvironmentCurvesReachTheirManagers) {
    bw::BankFile file;
    file.id = 40;
    file.withSettings = true;
    file.settings.volumeThreshold = -40.0f;
    file.settings.maxVoices = 33;
    file.settings.stateGroups = {{500, 250, {{1, 2, 80}}}};
    file.settings.switchMappings = {{600, 601, {{0.0f, 7, SxCurve_Constant}, {50.0f, 8, SxCurve_Constant}}}};
    file.settings.gameParameterDefaults = {{601, 75.0f}, {602, 3.0f}};
    file.withEnvironment = true;
    file.environment[2] = {true, 0, {{0.0f, 0.0f, SxCurve_Linear}, {100.0f, -20.0f, SxCurve_Linear}}};
    const AlignedBank bank(bw::WriteBank(file));
    SxBankID id;
    ASSERT_EQ(SoundEngine::LoadBank(bank.Data(), bank.Size(), id), SX_Success);
    EXPECT_TRUE(g_pStateMgr->IsStateGroupRegistered(500));
    EXPECT_FLOAT_EQ(g_pRTPCMgr->GetRTPCValue(602, nullptr), 3.0f);
    EXPECT_FLOAT_EQ(g_fVolumeThresholdDB, -40.0f);
    EXPECT_EQ(g_u16MaxNumVoices, 33);
    EXPECT_FLOAT_EQ(g_pEnvironmentsMgr->GetCurveValue(SxCurve_Occlusion, SxCurveTarget_Volume, 50.0f), -10.0f);
    ASSERT_EQ(SoundEngine::UnloadBank(40), SX_Success);
}

// A bank whose header says it carries feedback data ends every node record with a motion bus
// ID: the mixer keeps its child and its motion bus, and a bank without the flag read after it
// is read without one. A motion bus that is not loaded fails the bank.
TEST_F(BankLoad, ABankWithFeedbackDataReadsTheMotionBusOfEveryNode) {
    auto feedbackBank = [](uint32_t bankID, uint32_t motionBus) {
        bw::BankFile file;
        file.id = bankID;
        file.feedback = 1;
        bw::Bus bus;
        bus.withFeedbackBus = true;
        bw::NodeBase sound, mixer;
        sound.parentID = 21;
        sound.withFeedbackBus = mixer.withFeedbackBus = true;
        mixer.feedbackBusID = motionBus;
        file.records = {bw::Record(SxHirc_FeedbackBus, bw::BusBody(22, bus)),
                        bw::Record(SxHirc_Sound, bw::SoundBody(20, bw::Source(), sound)),
                        bw::Record(SxHirc_ActorMixer, bw::ActorMixerBody(21, mixer, {20}))};
        return bw::WriteBank(file);
    };
    SxBankID id;
    {
        const AlignedBank bank(feedbackBank(42, 22));
        ASSERT_EQ(SoundEngine::LoadBank(bank.Data(), bank.Size(), id), SX_Success);
        CSxIndexable* mixer = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, 21);
        CSxIndexable* sound = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, 20);
        ASSERT_TRUE(mixer && sound);
        EXPECT_EQ(static_cast<CSxParentNode*>(mixer)->ChildCount(), 1u);
        EXPECT_EQ(static_cast<CSxParameterNodeBase*>(sound)->Parent(), mixer);
        EXPECT_EQ(static_cast<CSxParameterNodeBase*>(mixer)->FeedbackBusID(), 22u);
        EXPECT_EQ(static_cast<CSxParameterNodeBase*>(sound)->FeedbackBusID(), 0u);
        mixer->Release();
        sound->Release();
    }
    {
        const AlignedBank plain(bw::WriteBank(sxtest::PlayableBank(43)));
        ASSERT_EQ(SoundEngine::LoadBank(plain.Data(), plain.Size(), id), SX_Success);
        CSxIndexable* mixer = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, 13);
        ASSERT_TRUE(mixer);
        EXPECT_EQ(static_cast<CSxParentNode*>(mixer)->ChildCount(), 1u);
        mixer->Release();
    }
    ASSERT_EQ(SoundEngine::UnloadBank(42), SX_Success);
    ASSERT_EQ(SoundEngine::UnloadBank(43), SX_Success);
    const AlignedBank unknownBus(feedbackBank(44, 99));
    EXPECT_EQ(SoundEngine::LoadBank(unknownBus.Data(), unknownBus.Size(), id), SX_Fail);
    EXPECT_EQ(ObjectCount(), 0u);
}

// The game's own threshold is not overridden by a bank.
TEST_F(BankLoad, AThresholdTheGameSetWinsOverTheBanks) {
    ASSERT_EQ(SoundEngine::SetVolumeThreshold(-30.0f), SX_Success);
    bw::BankFile file;
    file.id = 41;
    file.withSettings = true;
    file.settings.volumeThreshold = -60.0f;
    const AlignedBank bank(bw::WriteBank(file));
    SxBankID id;
    ASSERT_EQ(SoundEngine::LoadBank(bank.Data(), bank.Size(), id), SX_Success);
    EXPECT_FLOAT_EQ(g_fVolumeThresholdDB, -30.0f);
    ASSERT_EQ(SoundEngine::UnloadBank(41), SX_Success);
}

// Preparing an event reads the structure of the bank its play action names and copies the
// media it plays; two preparations need two unpreparations.
TEST_F(BankLoad, PreparedEventsLoadTheirBankAndMediaUntilUnprepared) {
    qvtest::TempTree tree;
    const SxBankID media = SoundEngine::GetIDFromString("Media");
    bw::BankFile mediaBank;
    mediaBank.id = media;
    // Sound 10 plays media 310 from memory, sound 13 streams file 321 with its head, media 320,
    // in the bank.
    mediaBank.media = {{310, bw::Bytes(64, 9)}, {320, bw::Bytes(64, 3)}, {999, bw::Bytes(64, 1)}};
    bw::Source source;
    source.mediaID = 310;
    bw::Source prefetched;
    prefetched.streamType = 2;
    prefetched.mediaID = 320;
    prefetched.fileID = 321;
    mediaBank.records = {bw::Record(SxHirc_Sound, bw::SoundBody(10, source, bw::NodeBase())),
                         bw::Record(SxHirc_Sound, bw::SoundBody(13, prefetched, bw::NodeBase()))};
    sxtest::WriteBankFile(tree, "Media.bnk", bw::WriteBank(mediaBank));
    bw::BankFile events;
    events.id = 50;
    events.bankNames = {{media, "Media"}};
    events.records = {bw::Record(SxHirc_Action, bw::ActionBody(11, 0x0403, 10, {}, {}, bw::PlayParams(4, media))),
                      bw::Record(SxHirc_Action, bw::ActionBody(14, 0x0403, 13, {}, {}, bw::PlayParams(4, media))),
                      bw::Record(SxHirc_Event, bw::EventBody(12, {11, 14}))};
    const AlignedBank eventBank(bw::WriteBank(events));
    SxBankID id;
    ASSERT_EQ(SoundEngine::LoadBank(eventBank.Data(), eventBank.Size(), id), SX_Success);

    const uint32_t before = PoolUsed();
    const SxUniqueID event = 12;
    ASSERT_EQ(SoundEngine::PrepareEvent(SxPreparation_Load, &event, 1), SX_Success);
    EXPECT_TRUE(qvtest::BankProbe::HasMedia(*g_pBankMgr, 310));
    EXPECT_TRUE(qvtest::BankProbe::HasMedia(*g_pBankMgr, 320)) << "the streamed sound's head";
    EXPECT_FALSE(qvtest::BankProbe::HasMedia(*g_pBankMgr, 999));  // only what the event plays
    EXPECT_FALSE(qvtest::BankProbe::IsBankLoaded(*g_pBankMgr, media));
    EXPECT_EQ(ObjectCount(), 5u);
    ASSERT_EQ(SoundEngine::PrepareEvent(SxPreparation_Load, &event, 1), SX_Success);
    EXPECT_EQ(qvtest::BankProbe::EventPreparationCount(*g_pBankMgr, 12), 2u);

    ASSERT_EQ(SoundEngine::PrepareEvent(SxPreparation_Unload, &event, 1), SX_Success);
    EXPECT_TRUE(qvtest::BankProbe::HasMedia(*g_pBankMgr, 310));
    ASSERT_EQ(SoundEngine::PrepareEvent(SxPreparation_Unload, &event, 1), SX_Success);
    EXPECT_FALSE(qvtest::BankProbe::HasMedia(*g_pBankMgr, 310));
    EXPECT_FALSE(qvtest::BankProbe::HasMedia(*g_pBankMgr, 320));
    EXPECT_EQ(ObjectCount(), 3u);
    EXPECT_EQ(PoolUsed(), before);

    const SxUniqueID unknown = 4040;
    EXPECT_EQ(SoundEngine::PrepareEvent(SxPreparation_Load, &unknown, 1), SX_IDNotFound);
    EXPECT_EQ(SoundEngine::PrepareEvent(SxPreparation_Load, &event, 0), SX_InvalidParameter);
    ASSERT_EQ(SoundEngine::UnloadBank(50), SX_Success);
}

TEST_F(BankLoad, APreparedBankKeepsItsStructureAndMediaUntilUnprepared) {
    qvtest::TempTree tree;
    const SxBankID game = SoundEngine::GetIDFromString("Game");
    sxtest::WriteBankFile(tree, "Game.bnk", bw::WriteBank(sxtest::PlayableBank(game)));
    g_pBankMgr->BankIDFromName("Game.bnk");
    ASSERT_EQ(SoundEngine::PrepareBank(SxPreparation_Load, game), SX_Success);
    EXPECT_EQ(ObjectCount(), 4u);
    EXPECT_TRUE(qvtest::BankProbe::HasMedia(*g_pBankMgr, 310));
    ASSERT_EQ(SoundEngine::PrepareBank(SxPreparation_Unload, game), SX_Success);
    EXPECT_EQ(ObjectCount(), 0u);
    EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 0u);
    EXPECT_EQ(qvtest::BankProbe::BankCount(*g_pBankMgr), 0u);
}

TEST_F(BankLoad, ClearBanksReturnsWhenEveryBankIsGone) {
    const AlignedBank first(bw::WriteBank(sxtest::PlayableBank(1, 10)));
    const AlignedBank second(bw::WriteBank(sxtest::PlayableBank(2, 20)));
    SxBankID id;
    ASSERT_EQ(SoundEngine::LoadBank(first.Data(), first.Size(), id), SX_Success);
    ASSERT_EQ(SoundEngine::LoadBank(second.Data(), second.Size(), id), SX_Success);
    ASSERT_EQ(SoundEngine::ClearBanks(), SX_Success);
    EXPECT_EQ(qvtest::BankProbe::BankCount(*g_pBankMgr), 0u);
    EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 0u);
    EXPECT_TRUE(RunUntil([] { return ObjectCount() == 0; }));
}

TEST_F(BankLoad, GameSyncPreparationNeedsAList) {
    EXPECT_EQ(SoundEngine::PrepareGameSyncs(SxPreparation_Load, 1, 5, nullptr, 0), SX_InvalidParameter);
    const uint32_t state = 6;
    EXPECT_EQ(SoundEngine::PrepareGameSyncs(SxPreparation_Load, 1, 5, &state, 1), SX_Success);
    EXPECT_EQ(SoundEngine::PrepareGameSyncs(SxPreparation_Unload, 1, 5, &state, 1), SX_Success);
}

}  // namespace

namespace {

using namespace SX;

class SampleBanks : public sxtest::BankEngine {
protected:
    void TearDown() override {
        sxtest::BankEngine::TearDown();
        SxSetBankFolder("");
    }
};

// The sample banks of Assets/Sound, as the tool writes them: Init brings the settings and
// names Game, whose event plays once Game is prepared.
TEST_F(SampleBanks, InitAndGameLoadAndTheirEventPlays) {
    SxSetBankFolder(qvtest::SourceDir() + "/Assets/Sound");
    SxBankID init = 0;
    ASSERT_EQ(SoundEngine::LoadBank("Init.bnk", SxInvalidPoolId, init), SX_Success);
    // The audio season's group, by the ID the game sets it with.
    EXPECT_TRUE(g_pStateMgr->IsStateGroupRegistered(0xA1F25A7F));
    EXPECT_EQ(g_u16MaxNumVoices, 64);
    // By ID a bank file is "<ID>.bnk"; a preparation opens it by the name Init's string table gave.
    const SxBankID game = SoundEngine::GetIDFromString("Game");
    EXPECT_EQ(SoundEngine::LoadBank(game, SxInvalidPoolId), SX_FileNotFound);
    ASSERT_EQ(SoundEngine::PrepareBank(SxPreparation_Load, game), SX_Success);
    EXPECT_TRUE(qvtest::BankProbe::HasMedia(*g_pBankMgr, SoundEngine::GetIDFromString("Chime")));
    SoundEngine::RegisterGameObj(100);
    g_ended = 0;
    EXPECT_NE(SoundEngine::PostEvent("Play_Chime", 100, SxCallback_EndOfEvent, CountEnd), 0u);
    EXPECT_TRUE(RunUntil([] { return g_ended == 1; }));
    ASSERT_EQ(SoundEngine::PrepareBank(SxPreparation_Unload, game), SX_Success);
    ASSERT_EQ(SoundEngine::UnloadBank("Init.bnk"), SX_Success);
    EXPECT_EQ(qvtest::BankProbe::BankCount(*g_pBankMgr), 0u);
}

}  // namespace

namespace {

using namespace SX;
namespace bw = bankwriter;

class BankPreparation : public sxtest::BankEngine {
protected:
    void TearDown() override {
        sxtest::BankEngine::TearDown();
        SxSetBankFolder("");
    }
    // Media.bnk on disk with sounds 10 and 20 (media 310, 320); an events bank in memory whose
    // events 12 and 22 play them, and event 32, which plays sound 30 of a bank that is missing.
    void SetUpBanks() {
        const SxBankID media = SoundEngine::GetIDFromString("Media");
        bw::BankFile mediaBank;
        mediaBank.id = media;
        mediaBank.media = {{310, bw::Bytes(64, 9)}, {320, bw::Bytes(32, 8)}};
        for (uint32_t sound : {10u, 20u}) {
            bw::Source source;
            source.mediaID = 300 + sound;
            mediaBank.records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(sound, source, bw::NodeBase())));
        }
        sxtest::WriteBankFile(tree, "Media.bnk", bw::WriteBank(mediaBank));
        bw::Source missingSource;
        missingSource.mediaID = 330;
        bw::BankFile events;
        events.id = 50;
        events.bankNames = {{media, "Media"}, {777, "Missing"}};
        events.records = {
            bw::Record(SxHirc_Sound, bw::SoundBody(30, missingSource, bw::NodeBase())),
            bw::Record(SxHirc_Action, bw::ActionBody(11, 0x0403, 10, {}, {}, bw::PlayParams(4, media))),
            bw::Record(SxHirc_Event, bw::EventBody(12, {11})),
            bw::Record(SxHirc_Action, bw::ActionBody(21, 0x0403, 20, {}, {}, bw::PlayParams(4, media))),
            bw::Record(SxHirc_Action, bw::ActionBody(23, 0x0403, 10, {}, {}, bw::PlayParams(4, media))),
            bw::Record(SxHirc_Event, bw::EventBody(22, {21, 23})),
            bw::Record(SxHirc_Action, bw::ActionBody(31, 0x0403, 30, {}, {}, bw::PlayParams(4, 777))),
            bw::Record(SxHirc_Event, bw::EventBody(32, {31})),
        };
        eventBank = std::make_unique<sxtest::AlignedBank>(bw::WriteBank(events));
        SxBankID id;
        ASSERT_EQ(SoundEngine::LoadBank(eventBank->Data(), eventBank->Size(), id), SX_Success);
    }
    qvtest::TempTree tree;
    std::unique_ptr<sxtest::AlignedBank> eventBank;
};

// Events sharing media in one preparation each hold them: the media go with the last one.
TEST_F(BankPreparation, EventsSharingMediaHoldThemUntilTheLastIsUnprepared) {
    SetUpBanks();
    const uint32_t before = PoolUsed();
    const SxUniqueID both[] = {12, 22};
    ASSERT_EQ(SoundEngine::PrepareEvent(SxPreparation_Load, both, 2), SX_Success);
    EXPECT_TRUE(qvtest::BankProbe::HasMedia(*g_pBankMgr, 310));
    EXPECT_TRUE(qvtest::BankProbe::HasMedia(*g_pBankMgr, 320));
    ASSERT_EQ(SoundEngine::PrepareEvent(SxPreparation_Unload, &both[0], 1), SX_Success);
    EXPECT_TRUE(qvtest::BankProbe::HasMedia(*g_pBankMgr, 310));
    ASSERT_EQ(SoundEngine::PrepareEvent(SxPreparation_Unload, &both[1], 1), SX_Success);
    EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 0u);
    EXPECT_EQ(PoolUsed(), before);
    ASSERT_EQ(SoundEngine::UnloadBank(50), SX_Success);
}

// A preparation that fails part way undoes the events it had prepared, and the callback hears
// the failure with the event's ID when only one was asked for.
TEST_F(BankPreparation, AFailedPreparationUndoesWhatItDid) {
    SetUpBanks();
    const uint32_t before = PoolUsed();
    const SxUniqueID some[] = {12, 22, 32};
    EXPECT_EQ(SoundEngine::PrepareEvent(SxPreparation_Load, some, 3), SX_FileNotFound);
    EXPECT_EQ(qvtest::BankProbe::EventPreparationCount(*g_pBankMgr, 12), 0u);
    EXPECT_EQ(qvtest::BankProbe::EventPreparationCount(*g_pBankMgr, 22), 0u);
    EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 0u);
    EXPECT_EQ(qvtest::BankProbe::BankCount(*g_pBankMgr), 1u);
    EXPECT_EQ(PoolUsed(), before);

    Completion done;
    ASSERT_EQ(SoundEngine::PrepareEvent(SxPreparation_Load, &some[2], 1, Record, &done), SX_Success);
    EXPECT_TRUE(RunUntil([&] { return done.calls == 1; }));
    EXPECT_EQ(done.bankID, 32u);
    EXPECT_EQ(done.result, SX_FileNotFound);
    ASSERT_EQ(SoundEngine::ClearPreparedEvents(), SX_Success);
    ASSERT_EQ(SoundEngine::UnloadBank(50), SX_Success);
}

}  // namespace

#include <gtest/gtest.h>

#include <thread>
#include <utility>
#include <vector>

#include "SxHierarchyFixture.h"
#include "SxTimedVoices.h"
#include "sound/engine/dialogue/CSxDynamicSequence.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "tests/sound/engine/SxNodeProbes.h"
#include "tests/sound/engine/SxRenderProbes.h"

using namespace SX;
namespace bw = bankwriter;
namespace DynSeq = SX::SoundEngine::DynamicSequence;

namespace {

constexpr SxGameObjectID kObject = 5;

// The item ends the game hears of: {audio node, custom value}.
std::vector<std::pair<SxUniqueID, void*>>* g_ends = nullptr;
void OnItemEnd(SxCallbackType type, SxCallbackInfo* info) {
    if (type != SxCallback_EndOfDynamicSequenceItem || !g_ends) return;
    auto* item = static_cast<SxDynamicSequenceItemCallbackInfo*>(info);
    g_ends->push_back({item->audioNodeID, item->pCustomInfo});
}

// Sounds 1 to 3 and a sequence opened on game object 5.
class DynamicSequence : public sxtest::HierarchyEngine {
protected:
    void SetUp() override {
        HierarchyEngine::SetUp();
        g_ends = &ends;
        CSxLEngineCmds::SetVoiceLayer(&voices);
        SoundEngine::RegisterGameObj(kObject);
        std::vector<bw::Bytes> records;
        for (uint32_t id = 1; id <= 3; ++id)
            records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(id, bw::Source(), bw::NodeBase())));
        ASSERT_EQ(Load(records), SX_Success);
        id = DynSeq::Open(kObject, SxCallback_EndOfDynamicSequenceItem, OnItemEnd, nullptr);
        ASSERT_NE(id, 0u);
        ApplyMessages();
    }
    void TearDown() override {
        SoundEngine::StopAll();
        RunFrame();
        RunFrame();
        CSxLEngineCmds::SetVoiceLayer(nullptr);
        g_ends = nullptr;
        HierarchyEngine::TearDown();
    }
    void Frames(uint32_t count) {
        for (uint32_t i = 0; i < count; ++i) {
            RunFrame();
            voices.Tick();
        }
    }
    void Enqueue(std::vector<std::pair<SxUniqueID, void*>> items) {
        SxDynSeqPlaylist* playlist = DynSeq::LockPlaylist(id);
        ASSERT_NE(playlist, nullptr);
        for (const auto& item : items) playlist->Enqueue(item.first, 0, item.second);
        EXPECT_EQ(DynSeq::UnlockPlaylist(id), SX_Success);
    }
    CSxDynamicSequence* Sequence() { return Find<CSxDynamicSequence>(SxIndex_DynamicSequence, id); }

    sxtest::TimedVoices voices;
    std::vector<std::pair<SxUniqueID, void*>> ends;
    SxPlayingID id = 0;
    int a = 0, b = 0, c = 0;  // custom values
};

TEST_F(DynamicSequence, AnEmptyPlaylistWaitsUntilItemsAreUnlocked) {
    EXPECT_EQ(DynSeq::Play(id), SX_Success);
    ApplyMessages();
    ASSERT_NE(Sequence(), nullptr);
    EXPECT_EQ(qvtest::DynamicSequenceProbe::CurrentState(*Sequence()), CSxDynamicSequence::State_Waiting);
    Enqueue({{1, &a}, {2, &b}});
    Frames(30);
    EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 2})) << "the unlock let the waiting sequence go on";
    EXPECT_EQ(ends, (std::vector<std::pair<SxUniqueID, void*>>{{1, &a}, {2, &b}}));
    EXPECT_GE(voices.voices[1].startFrame, voices.voices[0].endFrame) << "one item after the other";
    EXPECT_EQ(qvtest::DynamicSequenceProbe::CurrentState(*Sequence()), CSxDynamicSequence::State_Waiting);
    // More items later go on from there.
    Enqueue({{3, &c}});
    Frames(10);
    EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 2, 3}));
}

TEST_F(DynamicSequence, PlaylistEditsWhileAnItemPlaysDecideWhatFollows) {
    voices.lengths = {{1, 300.0f}};
    Enqueue({{1, &a}, {2, &b}});
    DynSeq::Play(id);
    Frames(2);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1}));
    // Cleared and refilled while item 1 plays: an item with no node is only reported.
    {
        SxDynSeqPlaylist* playlist = DynSeq::LockPlaylist(id);
        ASSERT_NE(playlist, nullptr);
        EXPECT_EQ(playlist->Length(), 1u) << "item 2 waits its turn";
        playlist->RemoveAll();
        playlist->Enqueue(0, 0, &c);
        playlist->Enqueue(3, 0, &b);
        EXPECT_EQ(DynSeq::UnlockPlaylist(id), SX_Success);
    }
    Frames(40);
    EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 3}));
    EXPECT_EQ(ends, (std::vector<std::pair<SxUniqueID, void*>>{{1, &a}, {0, &c}, {3, &b}}));
}

TEST_F(DynamicSequence, TheLockHoldsTheSequenceAndOnlyItsOwnerUnlocks) {
    EXPECT_EQ(DynSeq::UnlockPlaylist(id), SX_Fail) << "nothing to unlock";
    SxDynSeqPlaylist* playlist = DynSeq::LockPlaylist(id);
    ASSERT_NE(playlist, nullptr);
    SXRESULT fromOtherThread = SX_Success;
    std::thread other([&] { fromOtherThread = DynSeq::UnlockPlaylist(id); });
    other.join();
    EXPECT_EQ(fromOtherThread, SX_Fail) << "another thread cannot release the lock";
    // Closed while locked: the lock's reference keeps it until the unlock.
    EXPECT_EQ(DynSeq::Close(id), SX_Success);
    ApplyMessages();
    EXPECT_NE(Sequence(), nullptr);
    EXPECT_EQ(DynSeq::Play(id), SX_Fail) << "a closed sequence refuses calls";
    EXPECT_EQ(DynSeq::LockPlaylist(id), nullptr);
    playlist->Enqueue(1);
    EXPECT_EQ(DynSeq::UnlockPlaylist(id), SX_Success);
    EXPECT_EQ(Sequence(), nullptr) << "the unlock let the closed sequence go";
    EXPECT_EQ(DynSeq::UnlockPlaylist(id), SX_Fail);
    Frames(5);
    EXPECT_TRUE(voices.voices.empty());
}

TEST_F(DynamicSequence, PausesCountAndBreakLetsTheItemFinishAlone) {
    voices.lengths = {{1, 300.0f}};
    Enqueue({{1, &a}, {2, &b}});
    DynSeq::Play(id);
    Frames(2);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1}));
    CSxPBI* first = voices.voices[0].instance;
    DynSeq::Pause(id);
    DynSeq::Pause(id);
    Frames(2);
    EXPECT_TRUE(first->IsPaused());
    DynSeq::Resume(id);
    Frames(2);
    EXPECT_TRUE(first->IsPaused()) << "two pauses need two resumes";
    DynSeq::Resume(id);
    Frames(2);
    EXPECT_FALSE(first->IsPaused());
    DynSeq::Break(id);
    Frames(40);
    EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{1})) << "nothing follows a break";
    EXPECT_TRUE(voices.voices[0].finished) << "the item played to its end";
    EXPECT_EQ(qvtest::DynamicSequenceProbe::CurrentState(*Sequence()), CSxDynamicSequence::State_Stopped);
    // Played again, the sequence goes on with what is left.
    DynSeq::Play(id);
    Frames(10);
    EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 2}));
    DynSeq::Stop(id);
    Frames(2);
    EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), 0u);
}

TEST_F(DynamicSequence, ActionsOnEverythingReachTheSequence) {
    // Events 301 and 311 pause and resume everything on their game object.
    ASSERT_EQ(Load({bw::Record(SxHirc_Action, bw::ActionBody(300, 0x0205, 0, {}, {}, bw::ActiveParams(4, 1, {}))),
                    bw::Record(SxHirc_Event, bw::EventBody(301, {300})),
                    bw::Record(SxHirc_Action, bw::ActionBody(310, 0x0305, 0, {}, {}, bw::ActiveParams(4, 0, {}))),
                    bw::Record(SxHirc_Event, bw::EventBody(311, {310}))}),
              SX_Success);
    voices.lengths = {{1, 300.0f}, {2, 300.0f}};
    Enqueue({{1, &a}, {2, &b}, {3, &c}});
    DynSeq::Play(id);
    Frames(2);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1}));
    SoundEngine::PostEvent(301, kObject);
    Frames(30);
    EXPECT_EQ(Sequence()->PauseCount(), 1u);
    EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{1})) << "the paused item holds and nothing follows";
    SoundEngine::PostEvent(311, kObject);
    Frames(20);
    EXPECT_EQ(Sequence()->PauseCount(), 0u);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 2}));
    // Stopping everything stops the sequence: the item that plays ends and none follows.
    SoundEngine::StopAll();
    Frames(30);
    EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 2}));
    EXPECT_EQ(qvtest::DynamicSequenceProbe::CurrentState(*Sequence()), CSxDynamicSequence::State_Stopped);
    // Played again, it goes on with what is left.
    DynSeq::Play(id);
    Frames(2);
    EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 2, 3}));
}

}  // namespace

// A music switch container prepared through its event, with the engine's game-sync preparation
// on and off: with it, the media of a state's segment load when the state is prepared and go
// when it is unprepared, and those of its transition and stinger segments with the container;
// without it, the event loads every segment's media.
#include "SxMusicPlayFixture.h"
#include "sound/engine/bank/CSxBankMgr.h"
#include "sound/engine/bank/SxBankCalls.h"
#include "tests/sound/engine/SxBankFixture.h"
#include "tests/sound/engine/SxBankProbe.h"

namespace SX {
namespace {

namespace bw = bankwriter;

constexpr uint32_t kA = 100, kB = 200, kT = 400, kS = 800, kSwitch = 300, kEvent = 900;
constexpr uint32_t kStateGroup = 1, kGroup = 50, kStateA = 1, kStateB = 2;
constexpr SxUniqueID kMediaA = kA + 1000, kMediaB = kB + 1000, kMediaT = kT + 1000, kMediaS = kS + 1000;

class MusicSwitchPreparation : public sxtest::MusicPlayEngine {
protected:
    void SetUp() override {}
    void TearDown() override {
        MusicPlayEngine::TearDown();
        SxSetBankFolder("");
    }
    // Music.bnk on disk: the switch container plays segment A for state A and B for state B,
    // through transition segment T, and has a stinger playing segment S (no child of it); each a
    // track of media held in the bank. An events bank in memory plays the container.
    void Start(bool gameSyncPreparation) {
        initSettings.enableGameSyncPreparation = gameSyncPreparation;
        MusicPlayEngine::SetUp();
        const SxBankID music = SoundEngine::GetIDFromString("Music");
        bw::BankFile musicBank;
        musicBank.id = music;
        musicBank.records = Segment(kA, 0.2f, 500.0, {}, kSwitch);
        const std::vector<bw::Bytes> b = Segment(kB, 0.5f, 500.0, {}, kSwitch);
        musicBank.records.insert(musicBank.records.end(), b.begin(), b.end());
        for (const std::vector<bw::Bytes>& more :
             {Segment(kT, 0.8f, 500.0, {}, kSwitch), Segment(kS, 0.1f, 500.0, {}, 0)})
            musicBank.records.insert(musicBank.records.end(), more.begin(), more.end());
        bw::MusicNode node = Grid({kA, kB, kT});
        node.stingers = {{77, kS, 0, 0, 0}};
        bw::TransitionRule rule;
        rule.hasTransSegment = true;
        rule.transSegmentID = kT;
        musicBank.records.push_back(
            bw::Record(bw::Hirc_MusicSwitch, bw::MusicSwitchBody(kSwitch, node, {rule}, kStateGroup, kGroup, kStateA,
                                                                 false, {{kStateA, kA}, {kStateB, kB}})));
        // The media live in the bank only.
        for (SxUniqueID media : {kMediaA, kMediaB, kMediaT, kMediaS})
            musicBank.media.push_back({media, s_media[media]});
        s_media.clear();
        sxtest::WriteBankFile(tree, "Music.bnk", bw::WriteBank(musicBank));
        eventBank = sxtest::LoadPlayEventBank(60, kEvent, kSwitch, music, "Music");
    }
    static SXRESULT State(SxPreparationType type, uint32_t state) {
        return SoundEngine::PrepareGameSyncs(type, kStateGroup, kGroup, &state, 1);
    }
    static SXRESULT Event(SxPreparationType type) {
        const SxUniqueID event = kEvent;
        return SoundEngine::PrepareEvent(type, &event, 1);
    }
    static std::vector<bool> Loaded() {
        return {qvtest::BankProbe::HasMedia(*g_pBankMgr, kMediaA), qvtest::BankProbe::HasMedia(*g_pBankMgr, kMediaB),
                qvtest::BankProbe::HasMedia(*g_pBankMgr, kMediaT), qvtest::BankProbe::HasMedia(*g_pBankMgr, kMediaS)};
    }

    qvtest::TempTree tree;
    std::unique_ptr<sxtest::AlignedBank> eventBank;
};

TEST_F(MusicSwitchPreparation, AStatesSegmentLoadsWhileTheStateIsPrepared) {
    Start(true);
    ASSERT_EQ(Event(SxPreparation_Load), SX_Success);
    EXPECT_EQ(Loaded(), (std::vector<bool>{false, false, true, true}))
        << "transition and stinger come with the container";
    ASSERT_EQ(State(SxPreparation_Load, kStateB), SX_Success);
    EXPECT_EQ(Loaded(), (std::vector<bool>{false, true, true, true}));
    ASSERT_EQ(State(SxPreparation_Load, kStateA), SX_Success);
    EXPECT_EQ(Loaded(), (std::vector<bool>{true, true, true, true}));
    ASSERT_EQ(State(SxPreparation_Unload, kStateB), SX_Success);
    EXPECT_EQ(Loaded(), (std::vector<bool>{true, false, true, true}));
    ASSERT_EQ(Event(SxPreparation_Load), SX_Success);
    ASSERT_EQ(Event(SxPreparation_Unload), SX_Success);
    EXPECT_EQ(Loaded(), (std::vector<bool>{true, false, true, true})) << "one preparation is left";
    ASSERT_EQ(Event(SxPreparation_Unload), SX_Success);
    EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 0u);
    ASSERT_EQ(State(SxPreparation_Unload, kStateA), SX_Success);
}

TEST_F(MusicSwitchPreparation, WithoutItTheEventLoadsEverySegment) {
    Start(false);
    ASSERT_EQ(Event(SxPreparation_Load), SX_Success);
    EXPECT_EQ(Loaded(), (std::vector<bool>{true, true, true, true}));
    ASSERT_EQ(State(SxPreparation_Load, kStateA), SX_Success);
    ASSERT_EQ(State(SxPreparation_Unload, kStateA), SX_Success);
    EXPECT_EQ(Loaded(), (std::vector<bool>{true, true, true, true}));
    ASSERT_EQ(Event(SxPreparation_Unload), SX_Success);
    EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 0u);
}

}  // namespace
}  // namespace SX

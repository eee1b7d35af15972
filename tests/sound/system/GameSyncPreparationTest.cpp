// A switch container prepared through its event, with the engine's game-sync preparation on
// and off: the media of a value load when the value is prepared and go when it is unprepared,
// observed in the bank manager's media table, and the container plays, through the sound
// system's media hooks, what was loaded.
#include "sound/system/SxBankHooks.h"
#include "tests/sound/engine/SxBankFixture.h"
#include "tests/sound/engine/SxBankProbe.h"
#include "tests/sound/engine/SxVoiceFixture.h"
#include "sound/engine/bank/CSxBankMgr.h"
#include "sound/engine/bank/SxBankCalls.h"
#include "sound/engine/states/CSxStateMgr.h"

using namespace sxtest;

namespace {

constexpr uint32_t kSwitchGroup = 0, kGroup = 0x40, kLow = 0x41, kHigh = 0x42, kBoth = 0x43, kUnlisted = 0x44;
constexpr SxUniqueID kLowSound = 10, kHighSound = 20, kUnlistedSound = 30, kContainer = 40;
constexpr SxUniqueID kLowMedia = 310, kHighMedia = 320, kUnlistedMedia = 330;

class GameSyncPreparation : public VoiceFixture {
protected:
    void SetUp() override {}
    void TearDown() override {
        VoiceFixture::TearDown();
        SD::RemoveBankHooks();
        SxSetBankFolder("");
    }
    // Media.bnk on disk: switch container 40 on switch group 0x40 plays sound 10 (a 500 Hz
    // tone) for Low, sound 20 (1500 Hz) for High, both for Both, and, when asked, sound 30 for
    // Unlisted, whose media no bank lists. An events bank in memory plays the container.
    void Start(bool gameSyncPreparation, bool withUnlisted = false) {
        initSettings.enableGameSyncPreparation = gameSyncPreparation;
        VoiceFixture::SetUp();
        SxRemoveMediaProvider(&mediaMap);  // the fixture's media stand aside for the banks
        SD::InstallBankHooks();            // sources take their media from the banks, as in the game
        SxSetBankOpener(nullptr);          // bank files from the folder, without a stream manager
        const SxBankID media = SoundEngine::GetIDFromString("Media");
        bw::BankFile mediaBank;
        mediaBank.id = media;
        bw::Switch container;
        container.groupID = kGroup;
        container.defaultSwitch = kLow;
        container.children = {kLowSound, kHighSound};
        container.switches = {{kLow, {kLowSound}}, {kHigh, {kHighSound}}, {kBoth, {kLowSound, kHighSound}}};
        if (withUnlisted) {
            container.children.push_back(kUnlistedSound);
            container.switches.push_back({kUnlisted, {kUnlistedSound}});
        }
        for (const auto& [sound, id, hz] :
             {std::tuple{kLowSound, kLowMedia, 500.0}, std::tuple{kHighSound, kHighMedia, 1500.0},
              std::tuple{kUnlistedSound, kUnlistedMedia, 0.0}}) {
            bw::Bytes bytes =
                QV::media::Build(QV::media::Sine(hz, 0.5, 64 * 249, 48000, 0x4), QV::media::Encoding::Pcm16);
            bw::Source source;
            source.pluginID = 1 << 16 | 1;
            source.mediaID = id;
            source.size = static_cast<uint32_t>(bytes.size());
            mediaBank.records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(sound, source, bw::NodeBase())));
            if (id != kUnlistedMedia) mediaBank.media.push_back({id, bytes});
        }
        mediaBank.records.push_back(bw::Record(SxHirc_Switch, bw::SwitchBody(kContainer, bw::NodeBase(), container)));
        WriteBankFile(tree, "Media.bnk", bw::WriteBank(mediaBank));
        eventBank = LoadPlayEventBank(50, kEvent, kContainer, media, "Media");
        SoundEngine::RegisterGameObj(kGameObject);
    }
    static SXRESULT Values(SxPreparationType type, std::vector<uint32_t> values) {
        return SoundEngine::PrepareGameSyncs(type, kSwitchGroup, kGroup, values.data(),
                                             static_cast<uint32_t>(values.size()));
    }
    static SXRESULT Event(SxPreparationType type) {
        const SxUniqueID event = kEvent;
        return SoundEngine::PrepareEvent(type, &event, 1);
    }
    static std::vector<bool> Loaded() {
        return {qvtest::BankProbe::HasMedia(*g_pBankMgr, kLowMedia),
                qvtest::BankProbe::HasMedia(*g_pBankMgr, kHighMedia)};
    }
    static uint32_t PoolUsed() {
        SxPoolMemInfo info;
        MemoryMgr::GetPoolMemoryUsed(g_DefaultPoolId, info);
        return info.usedBytes;
    }
    // The tone the container plays for a value.
    double PlayedFrequency(uint32_t value) {
        SoundEngine::SetSwitch(kGroup, value, kGameObject);
        SxPlayingID id = 0;
        const std::vector<float> left = PlayAndCapture(id);
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
        g_ended.clear();
        return Measure(left).frequency;
    }

    qvtest::TempTree tree;
    std::unique_ptr<AlignedBank> eventBank;
};

TEST_F(GameSyncPreparation, AValuesMediaLoadWhileTheValueIsPrepared) {
    Start(true);
    // A value prepared before the event counts once the event prepares the container.
    ASSERT_EQ(Values(SxPreparation_Load, {kHigh}), SX_Success);
    EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 0u);
    ASSERT_EQ(Event(SxPreparation_Load), SX_Success);
    EXPECT_EQ(Loaded(), (std::vector<bool>{false, true}));
    EXPECT_FALSE(qvtest::BankProbe::IsBankLoaded(*g_pBankMgr, SoundEngine::GetIDFromString("Media")));

    ASSERT_EQ(Values(SxPreparation_Load, {kLow, kBoth}), SX_Success);
    EXPECT_EQ(Loaded(), (std::vector<bool>{true, true}));
    EXPECT_NEAR(PlayedFrequency(kLow), 500.0, 5.0);
    EXPECT_NEAR(PlayedFrequency(kHigh), 1500.0, 5.0);

    // Both holds the media of Low's sound as well: it goes with the last value that needs it.
    ASSERT_EQ(Values(SxPreparation_Unload, {kLow}), SX_Success);
    EXPECT_EQ(Loaded(), (std::vector<bool>{true, true}));
    ASSERT_EQ(Values(SxPreparation_Unload, {kBoth}), SX_Success);
    EXPECT_EQ(Loaded(), (std::vector<bool>{false, true}));
    SoundEngine::SetSwitch(kGroup, kLow, kGameObject);
    SxPlayingID silent = 0;
    EXPECT_EQ(Measure(PlayAndCapture(silent, 20)).peak, 0.0) << "Low's media are gone: nothing plays for it";
    g_ended.clear();

    // The event's last unpreparation lets every value's media go; High stays prepared.
    ASSERT_EQ(Event(SxPreparation_Load), SX_Success);
    ASSERT_EQ(Event(SxPreparation_Unload), SX_Success);
    EXPECT_EQ(Loaded(), (std::vector<bool>{false, true}));
    ASSERT_EQ(Event(SxPreparation_Unload), SX_Success);
    EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 0u);
    EXPECT_EQ(g_pStateMgr->GetPreparedContent(kGroup, SxGroupType_Switch), std::vector<uint32_t>{kHigh});
    ASSERT_EQ(Values(SxPreparation_Unload, {kHigh}), SX_Success);
    EXPECT_EQ(qvtest::BankProbe::BankCount(*g_pBankMgr), 1u) << "only the events bank is left";
}

TEST_F(GameSyncPreparation, WithoutItTheEventLoadsEveryValuesMedia) {
    Start(false);
    ASSERT_EQ(Event(SxPreparation_Load), SX_Success);
    EXPECT_EQ(Loaded(), (std::vector<bool>{true, true}));
    ASSERT_EQ(Values(SxPreparation_Load, {kLow}), SX_Success);
    ASSERT_EQ(Values(SxPreparation_Unload, {kLow}), SX_Success);
    EXPECT_EQ(Loaded(), (std::vector<bool>{true, true})) << "values do not matter";
    EXPECT_NEAR(PlayedFrequency(kHigh), 1500.0, 5.0);
    ASSERT_EQ(Event(SxPreparation_Unload), SX_Success);
    EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 0u);
}

// A value whose media cannot be found fails, is not left prepared and holds nothing; the values
// prepared with it in the same call are undone as well.
TEST_F(GameSyncPreparation, AValueWhoseMediaCannotBeFoundIsUndone) {
    Start(true, true);
    ASSERT_EQ(Event(SxPreparation_Load), SX_Success);
    const uint32_t before = PoolUsed();
    EXPECT_EQ(Values(SxPreparation_Load, {kHigh, kUnlisted}), SX_IDNotFound);
    EXPECT_TRUE(g_pStateMgr->GetPreparedContent(kGroup, SxGroupType_Switch).empty());
    EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 0u);
    EXPECT_EQ(PoolUsed(), before);
    ASSERT_EQ(Values(SxPreparation_Load, {kHigh}), SX_Success);
    EXPECT_EQ(Loaded(), (std::vector<bool>{false, true}));
    ASSERT_EQ(Event(SxPreparation_Unload), SX_Success);
    EXPECT_EQ(qvtest::BankProbe::MediaCount(*g_pBankMgr), 0u);
}

}  // namespace

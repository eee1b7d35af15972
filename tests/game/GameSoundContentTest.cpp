// Every sound the game asks for is in the banks the configuration loads: the event names written
// in the game's code and data, the events, state groups, states and game parameters it numbers,
// each found in the loaded banks. A state counts when some node or bus of the banks takes values
// in it; a game parameter when moving it changes a value of some node or bus.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "HeldSoundSystem.h"
#include "game/components/IslandLogic.h"
#include "game/components/SimpleTombstoneLogic.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/GameSoundLogic.h"
#include "game/systems/SowlarSystem.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/attenuations/CSxFxBase.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/hierarchy/CSxParameterNodeBase.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/music/CSxMusicNode.h"
#include "sound/system/SoundManager.h"
#include "support/TempTree.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxNodeProbes.h"

namespace {

namespace fs = std::filesystem;
using QV::AudioLogic_;
using QV::GameSoundLogic;

// The event names in the game's code and data: quoted names of posted events in the sources,
// and the event names of the phantoms and emitters in the object and level files.
std::set<std::string> EventNamesInTheGame() {
    const std::regex quoted("\"((Play|Stop|Pause|Resume)_[A-Za-z0-9_]+)\"");
    const std::regex field("<String name=\"(Event Name|Sound To Emit)\">([^<]+)</String>");
    std::set<std::string> names;
    const std::string root = qvtest::SourceDir();
    for (const char* folder :
         {"game", "graphics", "app", "sound/system", "Assets/Objects", "Assets/Levels", "Assets/LuaScripts"})
        for (const auto& entry : fs::recursive_directory_iterator(root + "/" + folder)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path());
            std::stringstream text;
            text << in.rdbuf();
            const std::string body = text.str();
            for (std::sregex_iterator it(body.begin(), body.end(), quoted), end; it != end; ++it)
                names.insert((*it)[1]);
            for (std::sregex_iterator it(body.begin(), body.end(), field), end; it != end; ++it) names.insert((*it)[2]);
        }
    return names;
}

uint32_t Id(const std::string& name) { return SX::SoundEngine::GetIDFromString(name.c_str()); }

std::vector<SX::CSxParameterNodeBase*> LoadedNodes() {
    std::vector<SX::CSxParameterNodeBase*> nodes;
    for (SX::CSxIndexable* item : SX::g_pObjectIndex->Table(SX::SxIndex_Node).Items())
        if (auto* node = dynamic_cast<SX::CSxParameterNodeBase*>(item)) nodes.push_back(node);
    return nodes;
}

bool StateDefined(uint32_t group, uint32_t state) {
    for (SX::CSxParameterNodeBase* node : LoadedNodes()) {
        float values[4];
        if (node->GetStateValues(group, state, values)) return true;
    }
    return false;
}

// The volume, pitch and low-pass values every node and bus takes from game parameters.
std::vector<float> DrivenValues() {
    std::vector<float> values;
    for (SX::CSxParameterNodeBase* node : LoadedNodes())
        for (uint32_t parameter : {SX::SxRTPC_Volume, SX::SxRTPC_Pitch, SX::SxRTPC_LPF})
            values.push_back(SX::g_pRTPCMgr->GetRTPCConvertedValueForSubscriber(node, parameter, nullptr));
    return values;
}

// An effect (a synthesised source's, or a bus effect's) with a curve that moves with the parameter.
bool ParameterDrivesAnEffect(uint32_t parameter) {
    for (SX::SxIndexTable table : {SX::SxIndex_FxShareSet, SX::SxIndex_FxCustom})
        for (SX::CSxIndexable* item : SX::g_pObjectIndex->Table(table).Items())
            if (auto* effect = dynamic_cast<SX::CSxFxBase*>(item))
                for (const SX::SxRTPCEntry& curve : qvtest::FxProbe::RTPCs(*effect))
                    if (curve.gameParameter == parameter &&
                        std::any_of(curve.points.begin(), curve.points.end(),
                                    [&curve](const SX::SxCurvePoint& p) { return p.y != curve.points[0].y; }))
                        return true;
    return false;
}

bool ParameterDrivesSomething(uint32_t parameter) {
    platform::Lock lock(SX::g_csMain);
    if (ParameterDrivesAnEffect(parameter)) return true;
    std::vector<std::vector<float>> seen;
    for (float value : {0.0f, 1.0f, 100.0f}) {
        SX::g_pRTPCMgr->SetRTPCInternal(parameter, value, nullptr, SX::SxRTPCTransitionParams());
        seen.push_back(DrivenValues());
    }
    return seen[0] != seen[1] || seen[1] != seen[2];
}

class GameSoundContent : public ::testing::Test {
protected:
    void SetUp() override {
        platform::audio::control::Reset();
        manager.Init();
        ASSERT_TRUE(manager.Started());
        // Nothing plays; the values are looked at with the audio thread still.
        SX::g_pAudioMgr->StopThread();
    }
    void TearDown() override {
        ASSERT_EQ(SX::g_pAudioMgr->Start(SX::SxThreadProperties()), SX::SX_Success);
        manager.Term();
        platform::audio::control::Reset();
    }
    SD::Manager manager{gametest::ConfiguredSoundSettings()};
};

TEST_F(GameSoundContent, EveryBankOfTheConfigurationLoads) {
    EXPECT_EQ(manager.Failures(), std::vector<std::string>{});
}

TEST_F(GameSoundContent, EveryEventTheGameNamesIsInTheBanks) {
    const std::set<std::string> names = EventNamesInTheGame();
    // The walk finds the game's posts, the phantoms' names and the pause menu's.
    for (const char* known : {"Play_Spring", "Play_Thunder", "Play_9_Until_they_became", "Play_Chime",
                              "Pause_Master_Audio_Bus", "Stop_Rain", "Play_Hatch"})
        EXPECT_EQ(names.count(known), 1u) << known;
    std::vector<uint32_t> ids = {QV::SimpleTombstoneLogic::kDefaultSound, QV::CrystalLogic::kChime};
    for (const std::string& name : names) ids.push_back(Id(name));
    for (size_t i = 0; i < ids.size(); ++i) {
        SX::CSxIndexable* event = SX::g_pObjectIndex->GetPtrAndAddRef(SX::SxIndex_Event, ids[i]);
        EXPECT_NE(event, nullptr) << (i < 2 ? "event " + std::to_string(ids[i]) : *std::next(names.begin(), i - 2));
        if (event) event->Release();
    }
}

TEST_F(GameSoundContent, EveryStateTheGameSetsIsTakenUpByTheBanks) {
    struct GroupState {
        uint32_t group, state;
    };
    std::vector<GroupState> states = {{AudioLogic_::kSecondGroup, AudioLogic_::kSecondGroupState}};
    for (uint32_t season = 0; season <= AudioLogic_::kLastSeason; ++season)
        states.push_back({AudioLogic_::kSeasonGroup, AudioLogic_::kFirstSeasonState + season});
    for (const GroupState& s : states) {
        EXPECT_TRUE(SX::g_pStateMgr->IsStateGroupRegistered(s.group)) << std::hex << s.group;
        EXPECT_TRUE(StateDefined(s.group, s.state)) << std::hex << s.group << " " << s.state;
    }
    EXPECT_FALSE(StateDefined(AudioLogic_::kSeasonGroup, Id("NoSuchState"))) << "a state no node takes";
}

TEST_F(GameSoundContent, EveryGameParameterTheGameSetsDrivesTheBanks) {
    for (uint32_t parameter :
         {GameSoundLogic::kRainParameter, GameSoundLogic::kSeasonParameter, GameSoundLogic::kHeightParameterA,
          GameSoundLogic::kHeightParameterB, GameSoundLogic::kHeightFadeParameter, GameSoundLogic::kSpeedParameter,
          GameSoundLogic::kDistanceParameter, GameSoundLogic::kEngineDistanceParameter, Id("GlobalVolume")})
        EXPECT_TRUE(ParameterDrivesSomething(parameter)) << std::hex << parameter;
    EXPECT_FALSE(ParameterDrivesSomething(Id("NoSuchParameter"))) << "a parameter nothing follows";
}

// The banks put the engine's effects and synthesised sources to use: each of them serves some
// share set or source of the loaded banks, whose parameters its plug-in has read from the bank.
TEST_F(GameSoundContent, EveryEffectAndSynthOfTheEngineIsUsedByTheBanksWithParametersItReads) {
    struct Plugin {
        const char* what;
        uint32_t type, company, id;
    };
    const Plugin kPlugins[] = {
        {"compressor", SX::SxPluginType_Effect, 0, 108},   {"expander", SX::SxPluginType_Effect, 0, 109},
        {"peak limiter", SX::SxPluginType_Effect, 0, 110}, {"parametric EQ", SX::SxPluginType_Effect, 0, 105},
        {"delay", SX::SxPluginType_Effect, 0, 106},        {"room reverb", SX::SxPluginType_Effect, 0, 118},
        {"FDN reverb", SX::SxPluginType_Effect, 0, 115},   {"modal synth", SX::SxPluginType_Effect, 0, 116},
        {"meter", SX::SxPluginType_Effect, 0, 129},        {"limiter", SX::SxPluginType_Effect, 256, 103},
        {"DeviceSim", SX::SxPluginType_Effect, 256, 110},  {"tone generator", SX::SxPluginType_Source, 0, 102},
        {"wind", SX::SxPluginType_Source, 0, 119},         {"whoosh", SX::SxPluginType_Source, 0, 120},
        {"silence", SX::SxPluginType_Source, 0, 101},
    };
    std::set<uint32_t> used;
    for (SX::SxIndexTable table : {SX::SxIndex_FxShareSet, SX::SxIndex_FxCustom})
        for (SX::CSxIndexable* item : SX::g_pObjectIndex->Table(table).Items())
            if (auto* effect = dynamic_cast<SX::CSxFxBase*>(item)) {
                EXPECT_NE(effect->Params(), nullptr)
                    << "effect " << effect->ID() << " of plug-in " << effect->PluginID();
                used.insert(effect->PluginID());
            }
    for (const Plugin& plugin : kPlugins)
        EXPECT_EQ(used.count(SX::SxPluginKey(plugin.type, plugin.company, plugin.id)), 1u) << plugin.what;
}

TEST_F(GameSoundContent, TheStoryTriggerHasAStingerAndTheZonesReverbIsAnEnvironment) {
    // The game's music answers the story's trigger with a stinger whose segment is loaded.
    const uint32_t trigger = Id(QV::SowlarSystem_::kStoryTrigger);
    std::vector<SX::SxStingerRecord> stingers;
    for (SX::CSxParameterNodeBase* node : LoadedNodes())
        if (auto* music = dynamic_cast<SX::CSxMusicNode*>(node))
            for (const SX::SxStingerRecord& stinger : music->GetStingers())
                if (stinger.triggerID == trigger) stingers.push_back(stinger);
    ASSERT_FALSE(stingers.empty()) << "no stinger for " << QV::SowlarSystem_::kStoryTrigger;
    for (const SX::SxStingerRecord& stinger : stingers) {
        SX::CSxIndexable* segment = SX::g_pObjectIndex->GetPtrAndAddRef(SX::SxIndex_Node, stinger.segmentID);
        EXPECT_NE(segment, nullptr);
        if (segment) segment->Release();
    }
    // The zones send to an effect share set, which the mixer runs as the environment.
    SX::CSxIndexable* reverb =
        SX::g_pObjectIndex->GetPtrAndAddRef(SX::SxIndex_FxShareSet, Id(GameSoundLogic::kZoneEnvironment));
    EXPECT_NE(reverb, nullptr) << GameSoundLogic::kZoneEnvironment;
    if (reverb) reverb->Release();
}

}  // namespace

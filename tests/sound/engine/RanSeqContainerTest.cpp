#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "SxHierarchyFixture.h"
#include "SxTestMemory.h"
#include "platform/os/Random.h"
#include "sound/engine/containers/CSxPlayList.h"
#include "sound/engine/containers/CSxRanSeqCntr.h"
#include "sound/engine/containers/SxContainerInfo.h"
#include "sound/engine/containers/SxContinueList.h"
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/registry/CSxRegistryMgr.h"
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "tests/sound/engine/SxNodeProbes.h"

using namespace SX;
namespace bw = bankwriter;

namespace {

class StartedVoices : public ISxVoiceLayer {
public:
    bool StartVoice(CSxPBI& instance, bool) override {
        instance.SetVoiceContext(this);
        instance.NotifyStarted(0.0f);
        return true;
    }
    void Command(CSxPBI& instance, SxLowerCommand command) override {
        if (command == SxLowerCmd_Stop) instance.Destroy(1);
    }
};

// Sounds 1 to n, and a random/sequence container 50 over them.
class RanSeqContainer : public sxtest::HierarchyEngine {
protected:
    static constexpr SxUniqueID kContainer = 50;

    void SetUp() override {
        HierarchyEngine::SetUp();
        platform::crt_srand(1234);
    }

    CSxRanSeqCntr* LoadContainer(uint32_t n, bw::RanSeq c, const std::vector<uint32_t>& weights = {}) {
        std::vector<bw::Bytes> records;
        for (uint32_t id = 1; id <= n; ++id) {
            records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(id, bw::Source(), bw::NodeBase())));
            c.children.push_back(id);
            c.playList.push_back({id, weights.empty() ? CSxPlayList::kDefaultWeight : weights[id - 1]});
        }
        records.push_back(bw::Record(SxHirc_RanSeq, bw::RanSeqBody(kContainer, bw::NodeBase(), c)));
        EXPECT_EQ(Load(records), SX_Success);
        return Find<CSxRanSeqCntr>(SxIndex_Node, kContainer);
    }

    // The positions the container chooses for a game object, play after play.
    static std::vector<int> Choices(CSxRanSeqCntr& container, uint32_t plays, CSxRegisteredObj* gameObj = nullptr) {
        std::vector<int> positions;
        for (uint32_t i = 0; i < plays; ++i) {
            uint16_t position;
            SxUniqueID id;
            CSxParameterNodeBase* child = container.SelectStepChild(gameObj, position, id);
            if (!child) {
                positions.push_back(-1);
                continue;
            }
            EXPECT_EQ(child->ID(), id);
            EXPECT_EQ(id, qvtest::RanSeqProbe::PlayList(container)->ID(position));
            child->Release();
            positions.push_back(position);
        }
        return positions;
    }

    CSxRegisteredObj* GameObject(SxGameObjectID id) {
        SoundEngine::RegisterGameObj(id);
        ApplyMessages();
        CSxRegisteredObj* object = g_pRegistryMgr->GetObjAndAddref(id);
        if (object) object->Release();  // the registry keeps it
        return object;
    }
};

TEST(SxPlayList, RandomAndSequenceListsKeepIDsAndWeights) {
    sxtest::TestMemory memory;
    CSxPlayListRandom* random = CSxPlayListRandom::Create();
    CSxPlayListSequence* sequence = CSxPlayListSequence::Create();
    ASSERT_TRUE(random && sequence);
    for (CSxPlayList* list : {static_cast<CSxPlayList*>(random), static_cast<CSxPlayList*>(sequence)}) {
        for (auto [id, weight] : {std::pair{7u, 10u}, {8u, 20u}, {7u, 30u}})
            ASSERT_EQ(list->Add(id, weight), SX_Success);
        uint16_t index = 99;
        EXPECT_FALSE(list->IndexOf(9, index));
        EXPECT_EQ(index, 99) << "an absent ID leaves the index alone";
        EXPECT_TRUE(list->IndexOf(8, index));
        EXPECT_EQ(index, 1);
    }
    EXPECT_EQ(random->TotalWeight(), 60u);
    EXPECT_EQ(random->GetWeight(2), 30u);
    EXPECT_EQ(sequence->GetWeight(2), CSxPlayList::kDefaultWeight) << "a sequence keeps no weights";
    EXPECT_EQ(random->Remove(7), SX_Success);
    EXPECT_EQ(random->Length(), 1u) << "every copy of the ID goes from a random list";
    EXPECT_EQ(sequence->Remove(7), SX_Success);
    ASSERT_EQ(sequence->Length(), 2u) << "only the first goes from a sequence";
    EXPECT_EQ(sequence->ID(0), 8u);
    EXPECT_EQ(sequence->ID(1), 7u);
    EXPECT_EQ(sequence->Remove(99), SX_Fail);
    random->Destroy();
    sequence->Destroy();
    EXPECT_EQ(memory.Used(), 0u);
}

TEST_F(RanSeqContainer, HandWrittenRecordGivesItsSettings) {
    // The same bytes the writer test checks, written by hand from the layout.
    const char* const hex =
        "05 00 00 00"
        "00 00  00 00 00 00  00 00 00 00  00 00  00  00  00"
        "00 00 00 00 00 01 00 00 00"
        "00 00 00 00  00 00"
        "02 00  00 00 7a 44  00 00 00 00  00 00 00 00  01 00"
        "00 01 00 00 01 00 00 00"
        "02 00 00 00  01 00 00 00  02 00 00 00"
        "02 00  01 00 00 00 50 c3 00 00  02 00 00 00 50 c3 00 00";
    ASSERT_EQ(Load({bw::Record(SxHirc_Sound, bw::SoundBody(1, bw::Source(), bw::NodeBase())),
                    bw::Record(SxHirc_Sound, bw::SoundBody(2, bw::Source(), bw::NodeBase())),
                    bw::Record(SxHirc_RanSeq, bw::FromHex(hex))}),
              SX_Success);
    auto* container = Find<CSxRanSeqCntr>(SxIndex_Node, 5);
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(container->NodeCategory(), SxNodeCategory_RanSeq);
    EXPECT_EQ(container->LoopCount(), 2);
    EXPECT_EQ(container->TransitionTime(), 1000.0f);
    EXPECT_EQ(qvtest::RanSeqProbe::AvoidRepeatCount(*container), 1);
    EXPECT_EQ(qvtest::RanSeqProbe::RandomType(*container), 1);
    EXPECT_EQ(container->PlayMode(), CSxRanSeqCntr::Mode_Random);
    EXPECT_EQ(container->ModeFlags() & ~CSxRanSeqCntr::kPlayModeMask, CSxRanSeqCntr::kResetAtEachPlay)
        << "unweighted, not continuous, not global, no backward restart";
    EXPECT_EQ(container->ChildCount(), 2u);
    ASSERT_EQ(qvtest::RanSeqProbe::PlayList(*container)->Length(), 2u);
    EXPECT_EQ(qvtest::RanSeqProbe::PlayList(*container)->ID(1), 2u);
    EXPECT_EQ(qvtest::RanSeqProbe::PlayList(*container)->GetWeight(1), CSxPlayList::kDefaultWeight);
}

TEST_F(RanSeqContainer, SequencesRestartOrTurnBack) {
    struct Case {
        bool backward;
        std::vector<int> cycle;
    } cases[] = {{false, {0, 1, 2}}, {true, {0, 1, 2, 1}}};
    for (const Case& c : cases) {
        bw::RanSeq settings;
        settings.playMode = 1;
        settings.restartBackward = c.backward;
        CSxRanSeqCntr* container = LoadContainer(3, settings);
        ASSERT_NE(container, nullptr);
        const std::vector<int> got = Choices(*container, 1000);
        for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], c.cycle[i % c.cycle.size()]) << "play " << i;
        Unload();
    }
}

TEST_F(RanSeqContainer, LoopRecordsEndChainsAfterTheirPasses) {
    // Loop count 2 over three children: two passes, then the chain ends where the third would start.
    struct Case {
        bool backward;
        std::vector<int> positions;
    } cases[] = {{false, {0, 1, 2, 0, 1, 2}}, {true, {0, 1, 2, 1, 0, 1, 2, 1, 0}}};
    for (const Case& c : cases) {
        bw::RanSeq settings;
        settings.playMode = 1;
        settings.restartBackward = c.backward;
        CSxRanSeqCntr* container = LoadContainer(3, settings);
        ASSERT_NE(container, nullptr);
        CSxSequenceInfo* state = CSxSequenceInfo::Create();
        SxLoopRecord loop{2, 1};
        std::vector<int> positions;
        for (bool cont = true; positions.size() < 20;) {
            const int32_t at = container->NextSequencePosition(*state, cont, &loop);
            if (!cont) break;
            positions.push_back(at);
        }
        EXPECT_EQ(positions, c.positions) << "backward " << c.backward;
        state->Destroy();
        Unload();
    }
    EXPECT_TRUE(CSxRanSeqCntr::LoopAgain(nullptr));
    SxLoopRecord once{1, 0}, forever{0, 3};
    EXPECT_FALSE(CSxRanSeqCntr::LoopAgain(&once));
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(CSxRanSeqCntr::LoopAgain(&forever));
}

// A child drawn is not drawn again during the next min(avoid, n - 1) draws, and every child
// that may be drawn is drawn about as often as the others.
TEST_F(RanSeqContainer, StandardRandomAvoidsTheLatestChoices) {
    struct Case {
        uint32_t n;
        uint16_t avoid;
    } cases[] = {{2, 1}, {5, 2}, {4, 10}, {6, 0}, {3, 1}};
    for (const Case& c : cases) {
        bw::RanSeq settings;
        settings.avoidRepeat = c.avoid;
        CSxRanSeqCntr* container = LoadContainer(c.n, settings);
        ASSERT_NE(container, nullptr);
        const std::vector<int> got = Choices(*container, 1000);
        const size_t kept = std::min<size_t>(c.avoid, c.n - 1);
        std::map<int, int> counts;
        for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_GE(got[i], 0);
            ++counts[got[i]];
            for (size_t back = 1; back <= kept && back <= i; ++back)
                ASSERT_NE(got[i], got[i - back]) << "n " << c.n << " avoid " << c.avoid << " play " << i;
        }
        ASSERT_EQ(counts.size(), c.n);
        for (auto [position, count] : counts) {
            EXPECT_GT(count, 1000 / int(c.n) * 6 / 10) << position;
            EXPECT_LT(count, 1000 / int(c.n) * 14 / 10) << position;
        }
        if (c.n == 2 && c.avoid == 1) {
            for (size_t i = 1; i < got.size(); ++i) ASSERT_NE(got[i], got[i - 1]) << "two children alternate";
        }
        Unload();
    }
}

// Every cycle of n draws plays each child once, and across the cycle boundary a child waits
// min(avoid or 1, n - 1) draws after its last.
TEST_F(RanSeqContainer, ShufflePlaysEveryChildOnceACycle) {
    struct Case {
        uint32_t n;
        uint16_t avoid;
    } cases[] = {{4, 0}, {5, 2}, {3, 5}, {2, 0}, {7, 1}};
    for (const Case& c : cases) {
        bw::RanSeq settings;
        settings.randomType = 1;
        settings.avoidRepeat = c.avoid;
        CSxRanSeqCntr* container = LoadContainer(c.n, settings);
        ASSERT_NE(container, nullptr);
        const std::vector<int> got = Choices(*container, 1000);
        const size_t kept = std::min<size_t>(c.avoid ? c.avoid : 1, c.n - 1);
        for (size_t start = 0; start + c.n <= got.size(); start += c.n) {
            const std::set<int> cycle(got.begin() + start, got.begin() + start + c.n);
            ASSERT_EQ(cycle.size(), c.n) << "n " << c.n << " avoid " << c.avoid << " cycle at " << start;
            ASSERT_EQ(*cycle.begin(), 0);
        }
        for (size_t i = 0; i < got.size(); ++i)
            for (size_t back = 1; back <= kept && back <= i; ++back) ASSERT_NE(got[i], got[i - back]) << i;
        Unload();
    }
}

// A chain's level draws from a state of its own and stops after its passes: a shuffle of n
// children with loop count k gives k permutations, then nothing.
TEST_F(RanSeqContainer, ContinuousChoicesFollowTheLoopRecord) {
    struct Case {
        uint8_t playMode, randomType;
        uint16_t avoid;
        uint32_t n;
        int16_t passes;  // 0: for ever
    } cases[] = {{0, 1, 0, 5, 200}, {0, 1, 2, 4, 3}, {0, 0, 2, 5, 0}, {1, 0, 0, 3, 333}, {1, 0, 0, 1, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << int(c.playMode) << " type " << int(c.randomType) << " n " << c.n);
        bw::RanSeq settings;
        settings.playMode = c.playMode;
        settings.randomType = c.randomType;
        settings.avoidRepeat = c.avoid;
        settings.continuous = true;
        settings.resetAtEachPlay = true;
        CSxRanSeqCntr* container = LoadContainer(c.n, settings);
        ASSERT_NE(container, nullptr);
        SxContinueListItem item;
        item.container = container;
        item.loop.flags = static_cast<uint8_t>(c.passes == 1 ? 0 : (c.passes == 0 ? 3 : 1));
        item.loop.counter = c.passes > 1 ? c.passes : 1;
        std::vector<int> got;
        for (int play = 0; play < 1001; ++play) {
            uint16_t position;
            SxUniqueID id;
            CSxParameterNodeBase* child = container->SelectContinuousChild(nullptr, position, id, item);
            if (!child) break;
            child->Release();
            got.push_back(position);
        }
        const size_t expected = c.passes == 0 ? 1001u : static_cast<size_t>(c.passes) * c.n;
        ASSERT_EQ(got.size(), std::min<size_t>(expected, 1001u));
        EXPECT_EQ(qvtest::RanSeqProbe::StateCount(*container), 0u) << "the chain's state is its own";
        if (c.playMode == 1) {
            for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], static_cast<int>(i % c.n));
        } else if (c.randomType == 1) {
            for (size_t start = 0; start + c.n <= got.size(); start += c.n)
                EXPECT_EQ(std::set<int>(got.begin() + start, got.begin() + start + c.n).size(), c.n) << start;
        }
        const size_t kept = c.playMode == 1 ? 0 : std::min<size_t>(c.avoid ? c.avoid : c.randomType, c.n - 1);
        for (size_t i = 0; i < got.size(); ++i)
            for (size_t back = 1; back <= kept && back <= i; ++back) ASSERT_NE(got[i], got[i - back]) << i;
        if (item.state) item.state->Destroy();
        Unload();
    }
}

TEST_F(RanSeqContainer, WeightsDecideHowOftenEachChildIsDrawn) {
    struct Case {
        std::vector<uint32_t> weights;
        std::vector<int> expected;  // per 1000 draws
    } cases[] = {
        {{100000, 50000, 50000}, {500, 250, 250}},
        {{10, 0, 30}, {250, 0, 750}},
        {{50000, 50000, 50000, 50000}, {250, 250, 250, 250}},
    };
    for (const Case& c : cases) {
        CSxRanSeqCntr* container = LoadContainer(static_cast<uint32_t>(c.weights.size()), bw::RanSeq(), c.weights);
        ASSERT_NE(container, nullptr);
        const bool allDefault = std::all_of(c.weights.begin(), c.weights.end(),
                                            [](uint32_t w) { return w == CSxPlayList::kDefaultWeight; });
        EXPECT_EQ((container->ModeFlags() & CSxRanSeqCntr::kWeighted) != 0, !allDefault);
        std::vector<int> counts(c.weights.size());
        for (int position : Choices(*container, 1000)) {
            ASSERT_GE(position, 0);
            ++counts[position];
        }
        for (size_t i = 0; i < counts.size(); ++i) {
            EXPECT_NEAR(counts[i], c.expected[i], 60) << "weight " << c.weights[i];
            if (c.expected[i] == 0) {
                EXPECT_EQ(counts[i], 0) << "a child of weight 0 is never drawn";
            }
        }
        Unload();
    }
}

TEST_F(RanSeqContainer, NothingToDrawChoosesNoChild) {
    // Every weight 0, and an empty list: no child, no division by zero.
    CSxRanSeqCntr* weightless = LoadContainer(3, bw::RanSeq(), {0, 0, 0});
    ASSERT_NE(weightless, nullptr);
    for (int position : Choices(*weightless, 10)) EXPECT_EQ(position, -1);
    SxPBIParams params;
    EXPECT_EQ(weightless->Play(params), SX_Fail);
    Unload();
    ASSERT_EQ(Load({bw::Record(SxHirc_RanSeq, bw::RanSeqBody(kContainer, bw::NodeBase(), bw::RanSeq()))}), SX_Success);
    CSxRanSeqCntr* empty = Find<CSxRanSeqCntr>(SxIndex_Node, kContainer);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(Choices(*empty, 1), std::vector<int>{-1});
    EXPECT_EQ(qvtest::RanSeqProbe::StateCount(*empty), 0u);
}

TEST_F(RanSeqContainer, ChildrenNotLoadedAreSkipped) {
    for (uint8_t mode : {0, 1}) {
        bw::RanSeq settings;
        settings.playMode = mode;
        settings.playList = {{900, 50000}, {901, 50000}};  // never loaded
        CSxRanSeqCntr* container = LoadContainer(2, settings);
        ASSERT_NE(container, nullptr);
        for (int position : Choices(*container, 200)) {
            ASSERT_GE(position, 2) << "mode " << int(mode);
            ASSERT_LT(position, 4);
        }
        Unload();
    }
}

TEST_F(RanSeqContainer, GameObjectsKeepTheirOwnSequenceUnlessGlobal) {
    CSxRegisteredObj* first = GameObject(5);
    CSxRegisteredObj* second = GameObject(6);
    ASSERT_TRUE(first && second);
    for (bool global : {false, true}) {
        bw::RanSeq settings;
        settings.playMode = 1;
        settings.global = global;
        CSxRanSeqCntr* container = LoadContainer(3, settings);
        ASSERT_NE(container, nullptr);
        std::vector<int> got;
        for (int i = 0; i < 3; ++i)
            for (CSxRegisteredObj* object : {first, second}) got.push_back(Choices(*container, 1, object)[0]);
        if (global) {
            EXPECT_EQ(got, (std::vector<int>{0, 1, 2, 0, 1, 2}));
            EXPECT_EQ(qvtest::RanSeqProbe::StateCount(*container), 0u);
        } else {
            EXPECT_EQ(got, (std::vector<int>{0, 0, 1, 1, 2, 2}));
            EXPECT_EQ(qvtest::RanSeqProbe::StateCount(*container), 2u);
            SoundEngine::UnregisterGameObj(5);
            ApplyMessages();
            EXPECT_EQ(qvtest::RanSeqProbe::StateCount(*container), 1u) << "an unregistered object's state goes";
            EXPECT_EQ(Choices(*container, 1, second)[0], 0);
            first = GameObject(5);
        }
        Unload();
    }
}

TEST_F(RanSeqContainer, APlayedEventPlaysTheChosenChild) {
    StartedVoices voices;
    CSxLEngineCmds::SetVoiceLayer(&voices);
    bw::RanSeq settings;
    settings.playMode = 1;
    ASSERT_NE(LoadContainer(3, settings), nullptr);
    ASSERT_EQ(Load({bw::Record(SxHirc_Action, bw::ActionBody(201, 0x0403, kContainer, {}, {}, bw::PlayParams(4, 0))),
                    bw::Record(SxHirc_Event, bw::EventBody(101, {201}))}),
              SX_Success);
    SoundEngine::RegisterGameObj(5);
    std::vector<SxUniqueID> played;
    for (int i = 0; i < 4; ++i) {
        const SxPlayingID id = SoundEngine::PostEvent(101, 5);
        RunFrame();
        for (CSxPBI* instance = CSxURenderer::FirstActive(); instance; instance = CSxURenderer::NextActive(instance))
            if (instance->PlayingID() == id) played.push_back(instance->Node()->ID());
    }
    EXPECT_EQ(played, (std::vector<SxUniqueID>{1, 2, 3, 1}));
    SoundEngine::StopAll();
    RunFrame();
    CSxLEngineCmds::SetVoiceLayer(nullptr);
}

TEST_F(RanSeqContainer, ChangedSettingsForgetWhatWasPlayedAndStopIt) {
    StartedVoices voices;
    CSxLEngineCmds::SetVoiceLayer(&voices);
    bw::RanSeq settings;
    settings.playMode = 1;
    CSxRanSeqCntr* container = LoadContainer(3, settings);
    ASSERT_NE(container, nullptr);
    ASSERT_EQ(Load({bw::Record(SxHirc_Action, bw::ActionBody(201, 0x0403, kContainer, {}, {}, bw::PlayParams(4, 0))),
                    bw::Record(SxHirc_Event, bw::EventBody(101, {201}))}),
              SX_Success);
    CSxRegisteredObj* object = GameObject(5);
    SoundEngine::PostEvent(101, 5);
    RunFrame();
    auto* sound = Find<CSxParameterNodeBase>(SxIndex_Node, 1);
    ASSERT_TRUE(sound->IsPlaying());
    // Setting the mode it has keeps the state; a new mode clears it and stops the play.
    {
        platform::Lock lock(g_csMain);
        container->SetMode(CSxRanSeqCntr::Mode_Sequence);
    }
    EXPECT_EQ(Choices(*container, 1, object)[0], 1) << "an unchanged mode keeps the sequence";
    EXPECT_TRUE(sound->IsPlaying());
    {
        platform::Lock lock(g_csMain);
        container->SetMode(CSxRanSeqCntr::Mode_Random);
    }
    EXPECT_EQ(qvtest::RanSeqProbe::StateCount(*container), 0u);
    RunFrame();
    EXPECT_FALSE(sound->IsPlaying()) << "a new mode stops what the container played";
    CSxLEngineCmds::SetVoiceLayer(nullptr);
}

TEST_F(RanSeqContainer, MalformedRecordsFailWithoutLeftovers) {
    ASSERT_EQ(Load({bw::Record(SxHirc_Sound, bw::SoundBody(1, bw::Source(), bw::NodeBase())),
                    bw::Record(SxHirc_Sound, bw::SoundBody(2, bw::Source(), bw::NodeBase()))}),
              SX_Success);
    bw::RanSeq settings;
    settings.children = {1, 2};
    settings.playList = {{1, 10}, {2, 20}};
    const bw::Bytes body = bw::RanSeqBody(kContainer, bw::NodeBase(), settings);
    for (size_t length = 0; length < body.size(); ++length) {
        CSxIndexable* object = nullptr;
        const bw::Bytes cut = bw::Cut(body, length);
        EXPECT_NE(SxReadHircObject(SxHirc_RanSeq, cut.data(), static_cast<uint32_t>(cut.size()), &object), SX_Success)
            << "cut at " << length;
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(g_pObjectIndex->Table(SxIndex_Node).Count(), 2u) << "only the two sounds are left";
    // A play-list count far beyond the bytes, and an ID twice in a random list.
    bw::Bytes impossible = body;
    impossible[body.size() - 18] = 0xFF;
    impossible[body.size() - 17] = 0xFF;
    bw::RanSeq twice = settings;
    twice.playList = {{1, 10}, {1, 20}};
    const bw::Bytes duplicate = bw::RanSeqBody(kContainer, bw::NodeBase(), twice);
    struct Case {
        const bw::Bytes* body;
        SXRESULT expected;
    } cases[] = {{&impossible, SX_Fail}, {&duplicate, SX_DuplicateID}};
    for (const Case& c : cases) {
        CSxIndexable* object = nullptr;
        EXPECT_EQ(SxReadHircObject(SxHirc_RanSeq, c.body->data(), static_cast<uint32_t>(c.body->size()), &object),
                  c.expected);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(g_pObjectIndex->Table(SxIndex_Node).Count(), 2u);
}

}  // namespace

#include <gtest/gtest.h>

#include <cstdint>

#include "SxHierarchyFixture.h"
#include "sound/engine/events/CSxAction.h"
#include "sound/engine/events/CSxEvent.h"
#include "sound/engine/hierarchy/CSxParentNode.h"
#include "sound/engine/hierarchy/CSxSound.h"
#include "sound/engine/hierarchy/CSxState.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "tests/sound/engine/SxRenderProbes.h"

using namespace SX;
namespace bw = bankwriter;

namespace {

// Written by hand from the record layouts, so that the writer and the reader cannot share a
// misreading. A sound (ID 1001) whose parent 2000 is not loaded.
const char* const kSoundHex =
    "e9 03 00 00"                                              // ID 1001
    "01 00 01 00  00 00 00 00  34 12 00 00"                    // codec plug-in 0x00010001, in the bank, media 0x1234
    "00 00 00 00  10 00 00 00  00 01 00 00  02"                // file 0, offset 0x10, size 0x100, LFE flag
    "00 00"                                                    // no effects: no bypass byte
    "00 00 00 00  d0 07 00 00"                                 // no bus, parent 2000
    "01 00"                                                    // priority override, no distance offset
    "02 00 06  00 00 c0 c0  03 00 00 00"                       // volume -6.0, loop count 3
    "01 02  00 00 c8 c2  00 00 c8 42"                          // pitch range -100..100
    "01 00 01"                                                 // overrides positioning: 2D, 2D flag set
    "01 01 00 04 00 00 02 01 01"                               // advanced settings
    "00 00 00 00"                                              // no state groups
    "01 00  55 00 00 00  00 00 00 00  07 00 00 00  00  02 00"  // game parameter 0x55 drives volume
    "00 00 00 00  00 00 20 c1  04 00 00 00"                    // (0, -10) linear
    "00 00 c8 42  00 00 00 00  04 00 00 00";                   // (100, 0)

// A play action (ID 3000) on the sound with a 10 ms delay, curve 9 and bank 0x11223344, and a
// state object (ID 5000) with volume -3 and pitch 200.
const char* const kPlayActionHex =
    "b8 0b 00 00  03 04  e9 03 00 00"  // ID 3000, type 0x0403, target 1001
    "01 0d  0a 00 00 00"               // delay 10 ms
    "00"                               // no ranges
    "09  44 33 22 11";                 // curve 9, bank ID
const char* const kStateHex = "88 13 00 00  02 00 02  00 00 40 c0  00 00 48 43";
const char* const kEventHex = "a0 0f 00 00  01 00 00 00  b8 0b 00 00";  // ID 4000: action 3000

class HierarchyRecords : public sxtest::HierarchyEngine {};

TEST_F(HierarchyRecords, HandWrittenRecordsGiveTheirFields) {
    ASSERT_EQ(Load({bw::Record(SxHirc_Sound, bw::FromHex(kSoundHex)), bw::Record(SxHirc_State, bw::FromHex(kStateHex)),
                    bw::Record(SxHirc_Action, bw::FromHex(kPlayActionHex)),
                    bw::Record(SxHirc_Event, bw::FromHex(kEventHex))}),
              SX_Success);
    auto* sound = Find<CSxSound>(SxIndex_Node, 1001);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->NodeCategory(), SxNodeCategory_Sound);
    EXPECT_EQ(sound->IndexableType(), 4u);
    EXPECT_EQ(sound->Parent(), nullptr) << "a parent not loaded yet is no error";
    const CSxSource& source = sound->Source();
    EXPECT_EQ(source.PluginID(), 0x00010001u);
    EXPECT_EQ(source.MediaID(), 0x1234u);
    EXPECT_EQ(source.Offset(), 0x10u);
    EXPECT_EQ(source.Size(), 0x100u);
    EXPECT_EQ(source.Kind(), CSxSource::kKindInMemory);
    EXPECT_TRUE(source.Flags() & CSxSource::kLFE);
    EXPECT_TRUE(source.Flags() & CSxSource::kFilled);
    EXPECT_FLOAT_EQ(sound->Props().GetFloat(SxProp_Volume), -6.0f);
    EXPECT_EQ(sound->Props().GetInt(SxProp_LoopCount), 3);
    ASSERT_NE(sound->Ranges().Find(SxProp_Pitch), nullptr);
    EXPECT_FLOAT_EQ(sound->Ranges().Find(SxProp_Pitch)->min.f, -100.0f);
    EXPECT_FLOAT_EQ(sound->Ranges().Find(SxProp_Pitch)->max.f, 100.0f);
    EXPECT_EQ(sound->FlagsA(), 0xCD) << "use states, priority, limit and virtual overrides, kill newest";
    EXPECT_EQ(sound->FlagsB(), 0x06) << "overrides positioning, 2D flag";
    EXPECT_EQ(sound->MaxInstances(), 4u);
    EXPECT_EQ(sound->VirtualQueueBehavior(), 1u);
    EXPECT_EQ(sound->BelowThresholdBehavior(), 2u);
    EXPECT_TRUE(sound->IsRTPCSubscribed(0));
    EXPECT_FLOAT_EQ(sound->RTPCValue(0, nullptr), -10.0f) << "the curve at the default 0";
    EXPECT_EQ(sound->Positioning(), nullptr);

    auto* state = Find<CSxState>(SxIndex_State, 5000);
    ASSERT_NE(state, nullptr);
    EXPECT_FLOAT_EQ(state->Props().GetFloat(SxProp_Volume), -3.0f);
    EXPECT_FLOAT_EQ(state->Props().GetFloat(SxProp_Pitch), 200.0f);

    auto* play = Find<CSxActionPlay>(SxIndex_Action, 3000);
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->ActionType(), 0x0403);
    EXPECT_EQ(play->TargetID(), 1001u);
    EXPECT_EQ(play->GetDelay(), 480) << "10 ms at 48000 Hz";
    EXPECT_EQ(play->FadeCurve(), SxCurve_Constant);
    EXPECT_EQ(play->BankID(), 0x11223344u);

    auto* event = Find<CSxEvent>(SxIndex_Event, 4000);
    ASSERT_NE(event, nullptr);
    ASSERT_EQ(event->ActionCount(), 1u);
    EXPECT_EQ(event->GetAction(0), play);
}

// An action's delay in the bank is milliseconds, with an optional range of offsets: whatever
// they hold, the delay scheduled is a sample count from 0 to the largest 32 bits hold.
TEST_F(HierarchyRecords, ActionDelaysStayWithinWhatTheSchedulerHolds) {
    constexpr int32_t kMax = INT32_MAX;
    struct Case {
        const char* what;
        int32_t ms;
        bool ranged;
        int32_t min, max;
        int32_t samples;
    } cases[] = {
        {"a second", 1000, false, 0, 0, 48000},
        {"27 hours", 100000000, false, 0, 0, kMax},
        {"the largest the bank holds", kMax, false, 0, 0, kMax},
        {"negative", -5, false, 0, 0, 0},
        {"the smallest the bank holds", INT32_MIN, false, 0, 0, 0},
        {"a range that takes it below 0", 0, true, -1000, -1000, 0},
        {"a range that adds to the largest", kMax, true, kMax, kMax, kMax},
        {"a range over the whole span", 0, true, INT32_MIN, kMax, -1},  // -1: any
    };
    uint32_t id = 3100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<bw::Range> ranges;
        if (c.ranged) ranges.push_back(bw::RangeI(SxProp_DelayTime, c.min, c.max));
        ASSERT_EQ(Load({bw::Record(SxHirc_Action, bw::ActionBody(id, 0x0403, 1001, {bw::PropI(SxProp_DelayTime, c.ms)},
                                                                 ranges, bw::PlayParams(4, 0)))}),
                  SX_Success);
        auto* play = Find<CSxActionPlay>(SxIndex_Action, id++);
        ASSERT_NE(play, nullptr);
        for (int draw = 0; draw < 20; ++draw) {
            const uint32_t delay = play->DelaySamples();  // drawn afresh each time when ranged
            EXPECT_LE(delay, uint32_t(kMax));
            if (c.samples >= 0) {
                EXPECT_EQ(delay, uint32_t(c.samples));
            }
        }
    }
}

TEST_F(HierarchyRecords, WriterAndHandWrittenBytesAgree) {
    bw::NodeBase node;
    node.parentID = 2000;
    node.overridePriority = true;
    node.props = {bw::PropF(SxProp_Volume, -6.0f), bw::PropI(SxProp_LoopCount, 3)};
    node.ranges = {bw::RangeF(SxProp_Pitch, -100.0f, 100.0f)};
    node.positioning.overrideParent = true;
    node.positioning.flag2D = true;
    node.advanced = {1, true, false, 4, false, 2, true, true};
    node.rtpcs = {{0x55, 0, 7, 0, {{0.0f, -10.0f, 4}, {100.0f, 0.0f, 4}}}};
    bw::Source source;
    source.pluginID = 0x00010001;
    source.mediaID = 0x1234;
    source.offset = 0x10;
    source.size = 0x100;
    source.flags = 2;
    EXPECT_EQ(bw::SoundBody(1001, source, node), bw::FromHex(kSoundHex));
    EXPECT_EQ(bw::ActionBody(3000, 0x0403, 1001, {bw::PropI(SxProp_DelayTime, 10)}, {}, bw::PlayParams(9, 0x11223344)),
              bw::FromHex(kPlayActionHex));
    EXPECT_EQ(bw::StateBody(5000, {bw::PropF(0, -3.0f), bw::PropF(2, 200.0f)}), bw::FromHex(kStateHex));
    EXPECT_EQ(bw::EventBody(4000, {3000}), bw::FromHex(kEventHex));
}

// Every record cut at every length fails cleanly and leaves no object behind; so does a count
// that cannot fit the bytes.
TEST_F(HierarchyRecords, CutRecordsAndImpossibleCountsFailWithoutLeftovers) {
    bw::NodeBase full;
    full.effects = {{0, 77, 1, 0}};
    full.props = {bw::PropF(SxProp_Volume, -1.0f)};
    full.positioning.overrideParent = true;
    full.positioning.is3D = true;
    full.positioning.type = 2;
    full.positioning.vertices = {{1, 2, 3, 100}, {4, 5, 6, 100}};
    full.positioning.items = {{0, 2, 1.0f, 1.0f}};
    full.stateGroups = {{0x100, 0, {{0x101, 5000}}}};
    full.rtpcs = {{0x55, 2, 0, 0, {{0, 0, 4}, {1, 100, 4}}}};
    struct Case {
        const char* what;
        uint8_t type;
        bw::Bytes body;
    } cases[] = {
        {"sound", SxHirc_Sound, bw::SoundBody(1, bw::Source(), full)},
        {"actor mixer", SxHirc_ActorMixer, bw::ActorMixerBody(2, full, {})},
        {"state", SxHirc_State, bw::StateBody(3, {bw::PropF(0, 1.0f)})},
        {"play action", SxHirc_Action, bw::ActionBody(7, 0x0403, 1, {}, {}, bw::PlayParams(4, 0))},
        {"stop action", SxHirc_Action, bw::ActionBody(5, 0x0103, 1, {}, {}, bw::ActiveParams(4, {1, 2}))},
        {"event", SxHirc_Event, bw::EventBody(6, {4})},
    };
    // What the records refer to: a state object and the event's action.
    ASSERT_EQ(Load({bw::Record(SxHirc_State, bw::StateBody(5000, {})),
                    bw::Record(SxHirc_Action, bw::ActionBody(4, 0x0403, 1, {}, {}, bw::PlayParams(4, 0)))}),
              SX_Success);
    for (const Case& c : cases) {
        for (size_t length = 0; length < c.body.size(); ++length) {
            CSxIndexable* object = nullptr;
            const bw::Bytes cut = bw::Cut(c.body, length);
            EXPECT_NE(SxReadHircObject(c.type, cut.data(), static_cast<uint32_t>(cut.size()), &object), SX_Success)
                << c.what << " cut at " << length;
            EXPECT_EQ(object, nullptr);
        }
        CSxIndexable* object = nullptr;
        EXPECT_EQ(SxReadHircObject(c.type, c.body.data(), static_cast<uint32_t>(c.body.size()), &object), SX_Success)
            << c.what << " whole";
        ASSERT_NE(object, nullptr);
        loaded.push_back(object);
    }
    Unload();
    EXPECT_EQ(g_pObjectIndex->Table(SxIndex_Node).Count(), 0u) << "nothing is left of the failed reads";
    EXPECT_EQ(g_pObjectIndex->Table(SxIndex_Action).Count(), 0u);
    EXPECT_EQ(g_pObjectIndex->Table(SxIndex_Event).Count(), 0u);
    EXPECT_EQ(g_pObjectIndex->Table(SxIndex_State).Count(), 0u);
    // Counts far beyond the bytes: event actions, children, exceptions, bundles.
    const bw::Bytes impossible[] = {
        bw::WithU32At(bw::EventBody(6, {4}), 4, 0x40000000),
        bw::WithU32At(bw::ActorMixerBody(2, bw::NodeBase(), {}), bw::ActorMixerBody(2, bw::NodeBase(), {}).size() - 4,
                      0xFFFFFFFF),
        bw::WithU32At(bw::ActionBody(5, 0x0103, 1, {}, {}, bw::ActiveParams(4, {})), 13, 0x10000000),
    };
    const uint8_t types[] = {SxHirc_Event, SxHirc_ActorMixer, SxHirc_Action};
    for (size_t i = 0; i < std::size(impossible); ++i) {
        CSxIndexable* object = nullptr;
        EXPECT_EQ(
            SxReadHircObject(types[i], impossible[i].data(), static_cast<uint32_t>(impossible[i].size()), &object),
            SX_Fail)
            << i;
        EXPECT_EQ(object, nullptr);
    }
    bw::Bytes bundle = bw::StateBody(3, {});
    bundle[4] = 200;  // 200 properties in a body of 5 bytes
    CSxIndexable* object = nullptr;
    EXPECT_EQ(SxReadHircObject(SxHirc_State, bundle.data(), static_cast<uint32_t>(bundle.size()), &object), SX_Fail);
}

TEST_F(HierarchyRecords, ChunkFramingFailuresStopTheLoadAndKeepWhatWasRead) {
    const bw::Bytes state = bw::Record(SxHirc_State, bw::StateBody(5000, {}));
    const bw::Bytes chunk = bw::HircChunk({state, state});
    struct Case {
        const char* what;
        bw::Bytes bytes;
        SXRESULT result;
        size_t loadedCount;
    } cases[] = {
        {"count beyond the bytes", bw::WithU32At(chunk, 0, 1000), SX_InvalidFile, 0},
        {"second header cut", bw::Cut(chunk, 4 + state.size() + 3), SX_InvalidFile, 1},
        {"second body cut", bw::Cut(chunk, chunk.size() - 1), SX_InvalidFile, 1},
        {"size past the end", bw::WithU32At(chunk, 5, 0xFFFFFFF0), SX_InvalidFile, 0},
        {"whole", chunk, SX_Success, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SxReadHircChunk(c.bytes.data(), static_cast<uint32_t>(c.bytes.size()), loaded), c.result) << c.what;
        EXPECT_EQ(loaded.size(), c.loadedCount) << c.what;
        Unload();
    }
    // Types this engine does not read are skipped whole.
    EXPECT_EQ(Load({bw::Record(20, bw::ActorMixerBody(9, bw::NodeBase(), {})), state}), SX_Success);
    EXPECT_EQ(loaded.size(), 1u);
}

std::vector<uint8_t> g_hookTypes;
class MusicHook final : public ISxHircObjectReader {
public:
    SXRESULT ReadHircObject(uint8_t type, const uint8_t*, uint32_t, SxBankID bank, CSxIndexable**) override {
        g_hookTypes.push_back(type);
        EXPECT_EQ(bank, 77u);
        return type == 99 ? SX_Refused : type == 12 ? SX_Fail : SX_Success;
    }
};

TEST_F(HierarchyRecords, TheMusicHookReadsTheTypesThisEngineDoesNot) {
    g_hookTypes.clear();
    MusicHook hook;
    SoundEngine::SetHircObjectHook(&hook);
    const bw::Bytes state = bw::Record(SxHirc_State, bw::StateBody(5000, {}));
    const bw::Bytes chunk = bw::HircChunk({bw::Record(10, {1, 0, 0, 0}), state, bw::Record(99, {2, 0, 0, 0}),
                                           bw::Record(12, {3, 0, 0, 0}), bw::Record(11, {4, 0, 0, 0})});
    EXPECT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded, 77), SX_Fail)
        << "the hook's failure stops the load";
    EXPECT_EQ(g_hookTypes, (std::vector<uint8_t>{10, 99, 12})) << "the state is read here; 11 is never reached";
    EXPECT_EQ(loaded.size(), 1u);
    SoundEngine::SetHircObjectHook(nullptr);
}

TEST_F(HierarchyRecords, EventsRefuseMissingActionsAndLinkARepeatedActionOnce) {
    const auto play = [](uint32_t id) {
        return bw::Record(SxHirc_Action, bw::ActionBody(id, 0x0403, 1, {}, {}, bw::PlayParams(4, 0)));
    };
    ASSERT_EQ(Load({play(10), play(11)}), SX_Success);
    struct Case {
        std::vector<uint32_t> actions;
        SXRESULT result;
        uint32_t linked;
    } cases[] = {
        {{}, SX_Success, 0},
        {{10, 0}, SX_InvalidID, 0},
        {{10, 99}, SX_Fail, 0},
        {{10, 10, 11}, SX_Success, 2},
    };
    for (const Case& c : cases) {
        const bw::Bytes body = bw::EventBody(20, c.actions);
        CSxIndexable* object = nullptr;
        EXPECT_EQ(SxReadHircObject(SxHirc_Event, body.data(), static_cast<uint32_t>(body.size()), &object), c.result);
        if (c.result != SX_Success) {
            EXPECT_EQ(object, nullptr);
            EXPECT_EQ(Find<CSxEvent>(SxIndex_Event, 20), nullptr) << "a failed event is not kept";
            continue;
        }
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(static_cast<CSxEvent*>(object)->ActionCount(), c.linked);
        platform::Lock lock(g_csMain);
        object->Release();
    }
    // Both actions are back to the bank's single reference.
    EXPECT_EQ(Find<CSxAction>(SxIndex_Action, 10)->RefCount(), 1u);
    EXPECT_EQ(Find<CSxAction>(SxIndex_Action, 11)->RefCount(), 1u);
}

TEST_F(HierarchyRecords, FadeTimesDrawWithinTheirRangeAndProbabilitiesDecideThePlay) {
    ASSERT_EQ(
        Load(
            {bw::Record(SxHirc_Sound, bw::SoundBody(1, bw::Source(), bw::NodeBase())),
             bw::Record(SxHirc_Action,
                        bw::ActionBody(40, 0x0403, 1, {bw::PropI(SxProp_TransitionTime, 100)},
                                       {bw::RangeI(SxProp_TransitionTime, -50, 50)}, bw::PlayParams(4, 0))),
             bw::Record(SxHirc_Action, bw::ActionBody(41, 0x0403, 1, {bw::PropI(SxProp_TransitionTime, 100)},
                                                      {bw::RangeI(SxProp_TransitionTime, 0, 0)}, bw::PlayParams(4, 0))),
             bw::Record(SxHirc_Action,
                        bw::ActionBody(42, 0x0403, 1, {bw::PropF(SxProp_Probability, 0.0f)}, {}, bw::PlayParams(4, 0))),
             bw::Record(SxHirc_Action, bw::ActionBody(43, 0x0403, 1, {bw::PropF(SxProp_Probability, 100.0f)}, {},
                                                      bw::PlayParams(4, 0))),
             bw::Record(SxHirc_Event, bw::EventBody(50, {42})), bw::Record(SxHirc_Event, bw::EventBody(51, {43})),
             bw::Record(SxHirc_Event, bw::EventBody(52, {41}))}),
        SX_Success);
    auto* ranged = Find<CSxAction>(SxIndex_Action, 40);
    int low = 1000, high = 0;
    for (int i = 0; i < 200; ++i) {
        const int32_t fade = ranged->GetFadeTime();
        low = std::min(low, fade);
        high = std::max(high, fade);
    }
    EXPECT_GE(low, 50);
    EXPECT_LE(high, 150);
    EXPECT_LT(low, high) << "the draws vary";
    EXPECT_EQ(Find<CSxAction>(SxIndex_Action, 41)->GetFadeTime(), 100) << "an empty range adds its minimum";

    SoundEngine::RegisterGameObj(5);
    struct Case {
        SxUniqueID event;
        uint32_t plays;
    } cases[] = {{50, 0}, {51, 20}, {52, 20}};
    for (const Case& c : cases) {
        for (int i = 0; i < 20; ++i) SoundEngine::PostEvent(c.event, 5);
        ApplyMessages();
        EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), c.plays) << "event " << c.event;
        RunFrame();
    }
}

TEST_F(HierarchyRecords, ActionTypesTheFactoryDoesNotMakeFail) {
    for (uint16_t type : {0x0000, 0x0500, 0x1500, 0x1F00, 0x0503}) {
        const bw::Bytes body = bw::ActionBody(30, type, 1, {}, {}, {});
        CSxIndexable* object = nullptr;
        EXPECT_EQ(SxReadHircObject(SxHirc_Action, body.data(), static_cast<uint32_t>(body.size()), &object), SX_Fail)
            << std::hex << type;
        EXPECT_EQ(Find<CSxAction>(SxIndex_Action, 30), nullptr);
    }
}

TEST_F(HierarchyRecords, ChildrenNeverMakeANodeItsOwnAncestor) {
    // 1 under 2 under 3; a second bank tries to put 3 under 1, and 2 under itself.
    ASSERT_EQ(Load({bw::Record(SxHirc_ActorMixer, bw::ActorMixerBody(1, bw::NodeBase(), {})),
                    bw::Record(SxHirc_ActorMixer, bw::ActorMixerBody(2, bw::NodeBase(), {1})),
                    bw::Record(SxHirc_ActorMixer, bw::ActorMixerBody(3, bw::NodeBase(), {2}))}),
              SX_Success);
    auto* top = Find<CSxActorMixer>(SxIndex_Node, 3);
    auto* middle = Find<CSxActorMixer>(SxIndex_Node, 2);
    auto* leaf = Find<CSxActorMixer>(SxIndex_Node, 1);
    platform::Lock lock(g_csMain);
    EXPECT_EQ(leaf->AddChild(3), SX_CannotBeOwnParent) << "the top would become its own ancestor";
    EXPECT_EQ(middle->AddChild(2), SX_ChildAlreadyHasParent);
    EXPECT_EQ(top->AddChild(2), SX_ChildAlreadyHasParent);
    EXPECT_EQ(top->AddChild(0), SX_InvalidID);
    EXPECT_EQ(top->AddChild(77), SX_IDNotFound);
    EXPECT_EQ(top->Parent(), nullptr);
    EXPECT_EQ(leaf->Parent(), middle);
    EXPECT_EQ(middle->Parent(), top);
    EXPECT_EQ(top->RefCount(), 2u) << "the bank's reference and its child's";
}

TEST_F(HierarchyRecords, AMixerWhoseChildListFailsLetsItsLinkedChildrenGo) {
    ASSERT_EQ(Load({bw::Record(SxHirc_Sound, bw::SoundBody(1, bw::Source(), bw::NodeBase()))}), SX_Success);
    // Child 1 is linked before the unknown child 77 fails the block.
    const bw::Bytes body = bw::ActorMixerBody(2, bw::NodeBase(), {1, 77});
    CSxIndexable* object = nullptr;
    EXPECT_NE(SxReadHircObject(SxHirc_ActorMixer, body.data(), static_cast<uint32_t>(body.size()), &object),
              SX_Success);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(Find<CSxActorMixer>(SxIndex_Node, 2), nullptr) << "no child keeps the mixer alive";
    auto* sound = Find<CSxSound>(SxIndex_Node, 1);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->Parent(), nullptr);
}

TEST_F(HierarchyRecords, AReleasedChildLeavesItsParent) {
    ASSERT_EQ(Load({bw::Record(SxHirc_Sound, bw::SoundBody(1, bw::Source(), bw::NodeBase())),
                    bw::Record(SxHirc_ActorMixer, bw::ActorMixerBody(2, bw::NodeBase(), {1}))}),
              SX_Success);
    auto* parent = Find<CSxActorMixer>(SxIndex_Node, 2);
    EXPECT_EQ(parent->ChildCount(), 1u);
    {
        platform::Lock lock(g_csMain);
        loaded[0]->Release();  // the sound's last reference
        loaded.erase(loaded.begin());
    }
    EXPECT_EQ(Find<CSxSound>(SxIndex_Node, 1), nullptr);
    EXPECT_EQ(parent->ChildCount(), 0u);
    EXPECT_EQ(parent->RefCount(), 1u);
}

TEST(SourceDescription, CloneCopiesTheNameItOwns) {
    SxMemoryMgrSettings settings;
    settings.maxPools = 4;
    ASSERT_EQ(MemoryMgr::Init(&settings), SX_Success);
    g_DefaultPoolId = MemoryMgr::CreatePool(nullptr, 1 << 20, 16, SxMemPool_Heap);
    {
        CSxSource original;
        ASSERT_EQ(original.SetSourceByName(7, 0x00040001, L"voice.med", true, false, false), SX_Success);
        CSxSource* copy = original.Clone();
        ASSERT_NE(copy, nullptr);
        EXPECT_NE(copy->FileName(), original.FileName()) << "each frees its own name";
        EXPECT_EQ(std::wstring(copy->FileName()), L"voice.med");
        EXPECT_EQ(copy->Flags(), original.Flags());
        SxDelete(g_DefaultPoolId, copy);
        EXPECT_EQ(std::wstring(original.FileName()), L"voice.med") << "still readable after the copy went";

        CSxSource plain;
        plain.SetSource(0x00010001, 5, 6, 7, 8, CSxSource::kKindInMemory << CSxSource::kKindShift);
        CSxSource* plainCopy = plain.Clone();
        EXPECT_EQ(plainCopy->MediaID(), 5u);
        EXPECT_EQ(plainCopy->Size(), 8u);
        EXPECT_EQ(plainCopy->FileName(), nullptr);
        SxDelete(g_DefaultPoolId, plainCopy);
    }
    MemoryMgr::Term();
    g_DefaultPoolId = SxInvalidPoolId;
}

}  // namespace

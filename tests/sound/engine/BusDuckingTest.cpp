#include <gtest/gtest.h>

#include <vector>

#include "SxHierarchyFixture.h"
#include "SxStopOnlyVoices.h"
#include "sound/engine/buses/CSxBus.h"
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "tests/sound/engine/SxRenderProbes.h"

using namespace SX;
namespace bw = bankwriter;

namespace {

// Master bus 1; buses 2 and 4 duck bus 3. Sound 10 plays through bus 2, 11 through bus 3 and
// 12 through bus 4; events 110, 111 and 112 play them, 120 and 122 stop 10 and 12.
class BusDucking : public sxtest::HierarchyEngine {
protected:
    void SetUp() override {
        HierarchyEngine::SetUp();
        CSxLEngineCmds::SetVoiceLayer(&voices);
        SoundEngine::RegisterGameObj(5);
    }
    void TearDown() override {
        SoundEngine::StopAll();
        RunFrame();
        CSxLEngineCmds::SetVoiceLayer(nullptr);
        HierarchyEngine::TearDown();
    }
    static bw::Bus Floor(float maxDuckVolume) {
        bw::Bus bus;
        bus.maxDuckVolume = maxDuckVolume;
        return bus;
    }
    void LoadBuses(const bw::Bus& ducker, const bw::Bus& second = bw::Bus(), const bw::Bus& ducked = Floor(-96.3f)) {
        bw::Bus child2 = ducker, child3 = ducked, child4 = second;
        child2.parentBusID = child3.parentBusID = child4.parentBusID = 1;
        std::vector<bw::Bytes> records = {
            bw::Record(SxHirc_Bus, bw::BusBody(1, bw::Bus())), bw::Record(SxHirc_Bus, bw::BusBody(3, child3)),
            bw::Record(SxHirc_Bus, bw::BusBody(2, child2)), bw::Record(SxHirc_Bus, bw::BusBody(4, child4))};
        for (uint32_t i = 0; i < 3; ++i) {
            bw::NodeBase node;
            node.busID = 2 + i;
            records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(10 + i, bw::Source(), node)));
            records.push_back(
                bw::Record(SxHirc_Action, bw::ActionBody(210 + i, 0x0403, 10 + i, {}, {}, bw::PlayParams(4, 0))));
            records.push_back(bw::Record(SxHirc_Event, bw::EventBody(110 + i, {210 + i})));
            records.push_back(
                bw::Record(SxHirc_Action, bw::ActionBody(220 + i, 0x0103, 10 + i, {}, {}, bw::ActiveParams(4, {}))));
            records.push_back(bw::Record(SxHirc_Event, bw::EventBody(120 + i, {220 + i})));
        }
        ASSERT_EQ(Load(records), SX_Success);
        ducked3 = Find<CSxBus>(SxIndex_Node, 3);
        ASSERT_NE(ducked3, nullptr);
    }
    void Post(SxUniqueID event) { SoundEngine::PostEvent(event, 5); }
    // Bus 3's total duck after each of n frames.
    std::vector<float> Frames(int n) {
        std::vector<float> values;
        for (int i = 0; i < n; ++i) {
            RunFrame();
            values.push_back(ducked3->TotalDuck());
        }
        return values;
    }
    static void ExpectCurve(const std::vector<float>& got, const std::vector<float>& expected) {
        ASSERT_EQ(got.size(), expected.size());
        for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], expected[i], 1e-4) << "frame " << i;
    }
    static bw::Bus Ducker(float volume, uint32_t fadeOutMs, uint32_t fadeInMs, uint32_t recoveryMs = 0) {
        bw::Bus bus;
        bus.recoveryMs = recoveryMs;
        bus.maxDuckVolume = -96.3f;
        bus.duckTargets = {{3, volume, fadeOutMs, fadeInMs, SxCurve_Linear}};
        return bus;
    }

    sxtest::EndlessVoices voices;
    CSxBus* ducked3 = nullptr;
};

TEST_F(BusDucking, HandWrittenRecordGivesItsSettings) {
    // The bytes the writer test checks, written by hand from the layout.
    const char* const hex =
        "08 00 00 00  00 00 00 00"
        "01 00  00 00 c0 c0"
        "01 00 03 00 01 03 00 00 00 00"
        "f4 01 00 00  00 00 40 c1  01 00 00 00"
        "09 00 00 00  00 00 c0 c0  64 00 00 00  c8 00 00 00  04"
        "00 00  00 00  00 00 00 00";
    ASSERT_EQ(Load({bw::Record(SxHirc_Bus, bw::FromHex(hex))}), SX_Success);
    auto* bus = Find<CSxBus>(SxIndex_Node, 8);
    ASSERT_NE(bus, nullptr);
    EXPECT_EQ(bus->NodeCategory(), SxNodeCategory_Bus);
    EXPECT_TRUE(bus->IsMasterBus()) << "the first bus is the master bus";
    EXPECT_EQ(qvtest::BusProbe::RecoveryTimeSamples(*bus), 500u * 48u);
    EXPECT_FLOAT_EQ(qvtest::BusProbe::MaxDuckVolume(*bus), -12.0f);
    EXPECT_EQ(qvtest::BusProbe::DuckTargetCount(*bus), 1u);
    Unload();
    EXPECT_EQ(CSxBus::GetMasterBusAndAddRef(), nullptr) << "destroying the master bus clears it";
}

TEST_F(BusDucking, ABusNeverBecomesItsOwnAncestor) {
    LoadBuses(bw::Bus());
    auto* master = Find<CSxBus>(SxIndex_Node, 1);
    auto* bus2 = Find<CSxBus>(SxIndex_Node, 2);
    ASSERT_TRUE(master && bus2);
    EXPECT_EQ(bus2->ParentBus(), master);
    EXPECT_EQ(master->AddChild(1), SX_CannotBeOwnParent);
    EXPECT_EQ(bus2->AddChild(1), SX_CannotBeOwnParent);
    EXPECT_EQ(Find<CSxParameterNodeBase>(SxIndex_Node, 10)->Parent(), nullptr) << "a sound routes to its bus";
    bw::Bus selfParent;
    selfParent.parentBusID = 7;
    const bw::Bytes body = bw::BusBody(7, selfParent);
    CSxIndexable* object = nullptr;
    EXPECT_NE(SxReadHircObject(SxHirc_Bus, body.data(), static_cast<uint32_t>(body.size()), &object), SX_Success);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(Find<CSxBus>(SxIndex_Node, 7), nullptr);
}

TEST_F(BusDucking, DuckingFollowsItsCurveFrameByFrame) {
    // -6 dB over 105 ms (5 frames of 21 ms), released over 210 ms (10 frames), linear.
    LoadBuses(Ducker(-6.0f, 105, 210));
    Post(111);
    RunFrame();
    CSxPBI* listener = CSxURenderer::FirstActive();
    ASSERT_NE(listener, nullptr);
    const float undisturbed = listener->EffectiveVolume();
    Post(110);
    ExpectCurve(Frames(7), {-1.2f, -2.4f, -3.6f, -4.8f, -6.0f, -6.0f, -6.0f});
    EXPECT_EQ(int(qvtest::BusProbe::DuckState(*Find<CSxBus>(SxIndex_Node, 2))), CSxBus::Duck_Ducking);
    listener->RefreshParameters();  // as its voice does when it next mixes
    EXPECT_NEAR(listener->EffectiveVolume(), undisturbed - 6.0f, 1e-4) << "what plays through bus 3 hears it";
    // The voice ends at the close of the frame that stops it, and the release is timed from
    // that frame's count: the next frame stands two tenths in.
    Post(120);
    ExpectCurve(Frames(11), {-6.0f, -4.8f, -4.2f, -3.6f, -3.0f, -2.4f, -1.8f, -1.2f, -0.6f, 0.0f, 0.0f});
    listener->RefreshParameters();
    EXPECT_NEAR(listener->EffectiveVolume(), undisturbed, 1e-4);
}

TEST_F(BusDucking, ARecoveryTimeHoldsTheLevelUntilTheDelayedRelease) {
    // Recovery 105 ms = 5040 samples: 4 whole frames of 1024.
    LoadBuses(Ducker(-6.0f, 0, 0, 105));
    auto* bus2 = Find<CSxBus>(SxIndex_Node, 2);
    Post(110);
    ExpectCurve(Frames(1), {-6.0f});
    // Timed like the release above: 4 whole frames from the count of the frame that stops the
    // voice, so the third frame after it releases.
    Post(120);
    ExpectCurve(Frames(1), {-6.0f});
    EXPECT_EQ(int(qvtest::BusProbe::DuckState(*bus2)), CSxBus::Duck_Recovering);
    ExpectCurve(Frames(4), {-6.0f, -6.0f, 0.0f, 0.0f});
    EXPECT_EQ(int(qvtest::BusProbe::DuckState(*bus2)), CSxBus::Duck_Idle);
    EXPECT_EQ(int(qvtest::BusProbe::DuckState(*bus2)), CSxBus::Duck_Idle);
    // A new sound during the recovery ducks again; the release that then runs changes nothing.
    Post(110);
    RunFrame();
    Post(120);
    RunFrame();
    Post(110);
    ExpectCurve(Frames(8), std::vector<float>(8, -6.0f));
    EXPECT_EQ(int(qvtest::BusProbe::DuckState(*bus2)), CSxBus::Duck_Ducking);
}

TEST_F(BusDucking, DucksAddUpDownToTheFloor) {
    struct Case {
        float floor;
        float expected;
    } cases[] = {{-96.3f, -16.0f}, {-12.0f, -12.0f}};
    for (const Case& c : cases) {
        LoadBuses(Ducker(-6.0f, 0, 0), Ducker(-10.0f, 0, 0), Floor(c.floor));
        Post(110);
        Post(112);
        ExpectCurve(Frames(1), {c.expected});
        Post(120);
        ExpectCurve(Frames(1), {std::max(c.floor, -10.0f)});
        Post(122);
        ExpectCurve(Frames(1), {0.0f});
        Unload();
    }
}

TEST_F(BusDucking, MalformedRecordsFailWithoutLeftovers) {
    bw::Bus full = Ducker(-6.0f, 10, 10);
    full.props = {bw::PropF(0, -3.0f)};
    full.effects = {{1, 77, 1, 0}};
    full.stateGroups = {{0x100, 0, {}}};
    full.rtpcs = {{0x55, 0, 0, 0, {{0, 0, 4}, {1, 10, 4}}}};
    const bw::Bytes body = bw::BusBody(5, full);
    for (size_t length = 0; length < body.size(); ++length) {
        CSxIndexable* object = nullptr;
        const bw::Bytes cut = bw::Cut(body, length);
        EXPECT_NE(SxReadHircObject(SxHirc_Bus, cut.data(), static_cast<uint32_t>(cut.size()), &object), SX_Success)
            << "cut at " << length;
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(g_pObjectIndex->Table(SxIndex_Node).Count(), 0u);
    bw::Bus tooMany;
    for (uint32_t i = 0; i < 101; ++i) tooMany.duckTargets.push_back({100 + i, -1.0f, 0, 0, 4});
    bw::Bus badSlot;
    badSlot.effects = {{4, 77, 0, 0}};
    const bw::Bytes bodies[] = {
        bw::WithU32At(bw::BusBody(5, bw::Bus()), 27, 0x10000000),  // duck targets beyond the bytes
        bw::BusBody(5, tooMany),
        bw::BusBody(5, badSlot),
    };
    for (const bw::Bytes& bad : bodies) {
        CSxIndexable* object = nullptr;
        EXPECT_NE(SxReadHircObject(SxHirc_Bus, bad.data(), static_cast<uint32_t>(bad.size()), &object), SX_Success);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(g_pObjectIndex->Table(SxIndex_Node).Count(), 0u);
}

}  // namespace

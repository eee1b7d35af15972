#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "SxHierarchyFixture.h"
#include "SxStopOnlyVoices.h"
#include "sound/engine/containers/CSxLayer.h"
#include "sound/engine/containers/CSxLayerCntr.h"
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "tests/sound/engine/SxNodeProbes.h"

using namespace SX;
namespace bw = bankwriter;

namespace {

// Layer container 60 over the given children; event 100 plays it.
class LayerContainer : public sxtest::HierarchyEngine {
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
    SXRESULT LoadContainer(std::vector<bw::Bytes> children, const std::vector<uint32_t>& ids,
                           const std::vector<bw::Layer>& layers) {
        children.push_back(bw::Record(SxHirc_Layer, bw::LayerContainerBody(60, bw::NodeBase(), ids, layers)));
        children.push_back(bw::Record(SxHirc_Action, bw::ActionBody(200, 0x0403, 60, {}, {}, bw::PlayParams(4, 0))));
        children.push_back(bw::Record(SxHirc_Event, bw::EventBody(100, {200})));
        return Load(children);
    }
    static bw::Bytes Sound(uint32_t id) {
        return bw::Record(SxHirc_Sound, bw::SoundBody(id, bw::Source(), bw::NodeBase()));
    }
    std::multiset<SxUniqueID> Playing() {
        std::multiset<SxUniqueID> ids;
        for (CSxPBI* i = CSxURenderer::FirstActive(); i; i = CSxURenderer::NextActive(i)) ids.insert(i->Node()->ID());
        return ids;
    }
    CSxPBI* InstanceOf(SxUniqueID node) {
        for (CSxPBI* i = CSxURenderer::FirstActive(); i; i = CSxURenderer::NextActive(i))
            if (i->Node()->ID() == node) return i;
        return nullptr;
    }

    sxtest::EndlessVoices voices;
};

TEST_F(LayerContainer, PlaysEveryChildUntilOneFails) {
    struct Case {
        std::vector<uint32_t> children;
        std::multiset<SxUniqueID> playing;
    } cases[] = {
        {{1, 3, 4}, {1, 3, 4}},
        {{1, 2, 3}, {1}},  // 2 is an empty random container: it cannot play, 3 is not tried
        {{}, {}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(LoadContainer({Sound(1), Sound(3), Sound(4),
                                 bw::Record(SxHirc_RanSeq, bw::RanSeqBody(2, bw::NodeBase(), bw::RanSeq()))},
                                c.children, {}),
                  SX_Success);
        SoundEngine::PostEvent(100, 5);
        RunFrame();
        EXPECT_EQ(Playing(), c.playing);
        SoundEngine::StopAll();
        RunFrame();
        Unload();
    }
}

TEST_F(LayerContainer, LayersBindAndCrossfadeTheirChildren) {
    // Child 1: volume -10 dB + game parameter 0x78 (0 -> -10, 100 -> 0), crossfaded by 0x77
    // over -96.3 dB at 0 to 0 dB at 100. Child 2 has no association.
    bw::Layer layer;
    layer.id = 70;
    layer.rtpcs = {{0x78, 0, 0, 0, {{0, -10, 4}, {100, 0, 4}}}};
    layer.crossfadeGameParameter = 0x77;
    layer.associations = {{1, {{0, -96.3f, 4}, {100, 0, 4}}}};
    ASSERT_EQ(LoadContainer({Sound(1), Sound(2)}, {1, 2}, {layer}), SX_Success);
    auto* container = Find<CSxLayerCntr>(SxIndex_Node, 60);
    ASSERT_EQ(qvtest::LayerCntrProbe::LayerCount(*container), 1u);
    EXPECT_EQ(container->Layer(0)->RemoveChildAssoc(99), SX_AssociationNotFound);
    SoundEngine::SetRTPCValue(0x77, 50.0f);
    SoundEngine::SetRTPCValue(0x78, 0.0f);
    SoundEngine::PostEvent(100, 5);
    RunFrame();
    CSxPBI* layered = InstanceOf(1);
    CSxPBI* plain = InstanceOf(2);
    ASSERT_TRUE(layered && plain);
    // Half of the crossfade curve is -48.15 dB: a ratio of 0.5 on what the child's -10 dB leaves.
    EXPECT_NEAR(layered->EffectiveVolume(), (-10.0f + 96.3f) * 0.5f - 96.3f, 1e-3);
    EXPECT_NEAR(plain->EffectiveVolume(), 0.0f, 1e-4);
    SoundEngine::SetRTPCValue(0x78, 100.0f);
    RunFrame();
    layered->RefreshParameters();
    EXPECT_NEAR(layered->EffectiveVolume(), 96.3f * 0.5f - 96.3f, 1e-3) << "the bound value follows its game parameter";
}

TEST_F(LayerContainer, ContainersTakeOnlySoundsAndContainers) {
    ASSERT_EQ(LoadContainer({Sound(1), bw::Record(SxHirc_ActorMixer, bw::ActorMixerBody(8, bw::NodeBase(), {})),
                             bw::Record(SxHirc_Bus, bw::BusBody(7, bw::Bus())),
                             bw::Record(SxHirc_RanSeq, bw::RanSeqBody(9, bw::NodeBase(), bw::RanSeq()))},
                            {}, {}),
              SX_Success);
    auto* container = Find<CSxLayerCntr>(SxIndex_Node, 60);
    struct Case {
        SxUniqueID child;
        SXRESULT expected;
    } cases[] = {{8, SX_WrongChildKind}, {7, SX_WrongChildKind},        {60, SX_CannotBeOwnParent},
                 {1, SX_Success},        {1, SX_ChildAlreadyHasParent}, {9, SX_Success}};
    for (const Case& c : cases) EXPECT_EQ(container->AddChild(c.child), c.expected) << c.child;
    EXPECT_EQ(Find<CSxParameterNodeBase>(SxIndex_Node, 9)->AddChild(60), SX_CannotBeOwnParent);
}

TEST_F(LayerContainer, MalformedRecordsFailWithoutLeftovers) {
    ASSERT_EQ(Load({Sound(1), Sound(2), bw::Record(SxHirc_ActorMixer, bw::ActorMixerBody(8, bw::NodeBase(), {2}))}),
              SX_Success);
    bw::Layer layer;
    layer.id = 70;
    layer.rtpcs = {{0x78, 0, 0, 0, {{0, -10, 4}, {100, 0, 4}}}};
    layer.crossfadeGameParameter = 0x77;
    layer.associations = {{1, {{0, -96.3f, 4}, {100, 0, 4}}}};
    const bw::Bytes body = bw::LayerContainerBody(60, bw::NodeBase(), {1}, {layer});
    for (size_t length = 0; length < body.size(); ++length) {
        CSxIndexable* object = nullptr;
        const bw::Bytes cut = bw::Cut(body, length);
        EXPECT_NE(SxReadHircObject(SxHirc_Layer, cut.data(), static_cast<uint32_t>(cut.size()), &object), SX_Success)
            << "cut at " << length;
        EXPECT_EQ(object, nullptr);
    }
    bw::Layer elsewhere = layer, wide = layer;
    elsewhere.associations = {{2, {}}};  // 2 belongs to the mixer
    wide.rtpcs[0].parameter = 64;        // past the mask
    const bw::Bytes bodies[] = {
        bw::LayerContainerBody(60, bw::NodeBase(), {1}, {elsewhere}),
        bw::LayerContainerBody(60, bw::NodeBase(), {1}, {wide}),
        bw::WithU32At(bw::LayerContainerBody(60, bw::NodeBase(), {1}, {}),
                      body.size() - bw::LayerBody(layer).size() - 4,
                      0x10000000),  // layers beyond the bytes
    };
    for (const bw::Bytes& bad : bodies) {
        CSxIndexable* object = nullptr;
        EXPECT_EQ(SxReadHircObject(SxHirc_Layer, bad.data(), static_cast<uint32_t>(bad.size()), &object), SX_Fail);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(g_pObjectIndex->Table(SxIndex_Node).Count(), 3u) << "only the sounds and the mixer are left";
    EXPECT_EQ(g_pObjectIndex->Table(SxIndex_Layer).Count(), 0u);
    EXPECT_EQ(Find<CSxParameterNodeBase>(SxIndex_Node, 1)->Parent(), nullptr);
}

}  // namespace

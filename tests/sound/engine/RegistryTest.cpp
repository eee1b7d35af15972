#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "SxHierarchyFixture.h"
#include "SxTestMemory.h"
#include "sound/engine/hierarchy/CSxParameterNodeBase.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/registry/CSxRegistryMgr.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "tests/sound/engine/SxStateProbes.h"

namespace {

using namespace SX;
namespace bw = bankwriter;

class Registry : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(registry.Init(), SX_Success); }
    void TearDown() override { registry.Term(); }

    sxtest::TestMemory memory;
    CSxRegistryMgr registry;
};

TEST_F(Registry, GlobalObjectExistsFromInitAndSurvivesUnregisterAll) {
    CSxRegisteredObj* global = registry.GetObjAndAddref(0);
    ASSERT_NE(global, nullptr);
    EXPECT_EQ(global->PositionCount(), 1);
    EXPECT_EQ(global->Positions()[0].position.x, 0.0f);
    global->Release();
    registry.RegisterObject(5);
    registry.RegisterObject(5 + 193);  // same bucket
    EXPECT_EQ(registry.Count(), 3u);
    registry.UnregisterAll();
    EXPECT_EQ(registry.Count(), 1u);
    global = registry.GetObjAndAddref(0);
    ASSERT_NE(global, nullptr);
    global->Release();
}

TEST_F(Registry, ObjectsLiveAsLongAsAHolderKeepsThem) {
    CSxRegisteredObj* a = registry.RegisterObject(42);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(registry.RegisterObject(42), a);  // kept as it is
    a->SetDryLevel(0.5f);
    EXPECT_EQ(registry.RegisterObject(42)->DryLevel(), 0.5f);

    CSxRegisteredObj* held = registry.GetObjAndAddref(42);
    registry.UnregisterObject(42);
    EXPECT_EQ(registry.GetObjAndAddref(42), nullptr);
    EXPECT_EQ(held->DryLevel(), 0.5f);  // still alive for its holder
    held->Release();

    std::set<SxGameObjectID> seen;
    for (SxGameObjectID id : {3u, 196u, 389u, 1000u}) registry.RegisterObject(id);
    CSxRegistryMgr::Iterator it;
    for (CSxRegisteredObj* o = registry.IteratorBegin(it); o; o = registry.IteratorNext(it)) seen.insert(o->ID());
    EXPECT_EQ(seen, (std::set<SxGameObjectID>{0, 3, 196, 389, 1000}));
}

TEST_F(Registry, SettersRefuseUnregisteredObjects) {
    SxSoundPosition pos;
    SxEnvironmentValue env{1, 0.5f};
    EXPECT_EQ(registry.SetPosition(9, &pos, 1, 0, 0), SX_Fail);
    EXPECT_EQ(registry.SetActiveListeners(9, 3), SX_Fail);
    EXPECT_EQ(registry.SetActiveListeners(0, 3), SX_Fail);  // not for the global object
    EXPECT_EQ(registry.SetGameObjectEnvironmentsValues(9, &env, 1), SX_Fail);
    EXPECT_EQ(registry.SetDryLevel(9, 1.0f), SX_Fail);
    EXPECT_EQ(registry.SetAttenuationScalingFactor(9, 1.0f), SX_Fail);
    EXPECT_EQ(registry.SetObstructionAndOcclusion(9, 0, 0.5f, 0.5f), SX_Fail);
}

TEST_F(Registry, PositionsListenersAndEnvironmentSends) {
    CSxRegisteredObj* o = registry.RegisterObject(7);
    EXPECT_EQ(o->ActiveListeners(), 1);
    EXPECT_EQ(qvtest::RegisteredObjProbe::PositionListener(*o), 31);
    SxSoundPosition two[2];
    two[1].position = {1.0f, 2.0f, 3.0f};
    EXPECT_EQ(registry.SetPosition(7, two, 2, 5, 3), SX_Success);
    EXPECT_EQ(o->PositionCount(), 2);
    EXPECT_EQ(o->Positions()[1].position.z, 3.0f);
    EXPECT_EQ(qvtest::RegisteredObjProbe::MultiPositionType(*o), 5);
    EXPECT_EQ(qvtest::RegisteredObjProbe::PositionListener(*o), 3);
    EXPECT_EQ(registry.SetActiveListeners(7, 6), SX_Success);
    EXPECT_EQ(o->ActiveListeners(), 6);

    SxEnvironmentValue sends[] = {{5, 0.0f}, {0, 0.7f}, {9, 0.4f}};
    EXPECT_EQ(registry.SetGameObjectEnvironmentsValues(7, sends, 3), SX_Success);
    EXPECT_EQ(o->EnvironmentValues()[0].environmentID, 9u);
    EXPECT_EQ(o->EnvironmentValues()[0].value, 0.4f);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(o->EnvironmentValues()[i].environmentID, 0u);
    SxEnvironmentValue five[5] = {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}};
    EXPECT_EQ(registry.SetGameObjectEnvironmentsValues(7, five, 5), SX_Fail);
    EXPECT_EQ(registry.SetGameObjectEnvironmentsValues(7, nullptr, 0), SX_Success);
    EXPECT_EQ(o->EnvironmentValues()[0].environmentID, 0u);
}

TEST_F(Registry, ObstructionAndOcclusionAreClampedBytes) {
    registry.RegisterObject(7);
    CSxRegisteredObj* o = registry.GetObjAndAddref(7);
    struct Case {
        float in;
        uint8_t stored;
    } cases[] = {{0.0f, 0}, {0.5f, 127}, {1.0f, 255}, {1.5f, 255}, {-0.5f, 0}, {NAN, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(registry.SetObstructionAndOcclusion(7, 2, c.in, c.in), SX_Success);
        EXPECT_EQ(o->Obstruction(2), c.stored) << c.in;
        EXPECT_EQ(o->Occlusion(2), c.stored) << c.in;
    }
    EXPECT_EQ(registry.SetObstructionAndOcclusion(7, 8, 0.5f, 0.5f), SX_Fail);
    o->Release();
}

TEST_F(Registry, SwitchEntriesPerObjectAndNode) {
    CSxRegisteredObj* a = registry.RegisterObject(1);
    CSxRegisteredObj* b = registry.RegisterObject(2);
    const uint32_t v1[2] = {11, 12}, v2[2] = {21, 22}, v3[2] = {31, 32};
    EXPECT_EQ(CSxRegisteredObj::SetSwitch(a, 100, v1), SX_Success);
    EXPECT_EQ(CSxRegisteredObj::SetSwitch(a, 200, v2), SX_Success);
    EXPECT_EQ(CSxRegisteredObj::SetSwitch(b, 100, v2), SX_Success);
    EXPECT_EQ(CSxRegisteredObj::SetSwitch(a, 100, v3), SX_Success);  // replaces
    EXPECT_EQ(CSxRegisteredObj::SetSwitch(nullptr, 100, v3), SX_Fail);
    uint32_t out[2];
    CSxRegisteredObj::FindSwitch(a, 100, out);
    EXPECT_EQ(out[0], 31u);
    CSxRegisteredObj::FindSwitch(nullptr, 100, out);
    EXPECT_EQ(out[0], 0u);
    registry.ClearSwitch(100, a);
    CSxRegisteredObj::FindSwitch(a, 100, out);
    EXPECT_EQ(out[1], 0u);
    CSxRegisteredObj::FindSwitch(a, 200, out);
    EXPECT_EQ(out[1], 22u);  // later entries move down
    registry.ClearSwitch(200, nullptr);
    registry.ClearSwitch(100, nullptr);
    CSxRegisteredObj::FindSwitch(a, 200, out);
    EXPECT_EQ(out[0], 0u);
    CSxRegisteredObj::FindSwitch(b, 100, out);
    EXPECT_EQ(out[0], 0u);
}

TEST_F(Registry, TermReturnsEveryByte) {
    for (SxGameObjectID id = 1; id < 500; ++id) {
        CSxRegisteredObj* o = registry.RegisterObject(id);
        SxSoundPosition p[3];
        o->SetPositions(p, 3, 0, 0);
        o->SetNodeAsModified(id);
        registry.AddModifiedNode(id);
    }
    registry.Term();
    EXPECT_EQ(memory.Used(), 0u);
}

// A game object's destruction reaches every node that holds values for it, and the
// game-parameter manager.
class GameObjectRelease : public sxtest::HierarchyEngine {};

TEST_F(GameObjectRelease, DestructionLeavesNodesAndGameParameters) {
    constexpr uint32_t kParam = 40;
    ASSERT_EQ(Load({bw::Record(SxHirc_Sound, bw::SoundBody(77, bw::Source(), bw::NodeBase()))}), SX_Success);
    auto* node = Find<CSxParameterNodeBase>(SxIndex_Node, 77);
    ASSERT_NE(node, nullptr);

    platform::Lock lock(g_csMain);
    CSxRegisteredObj* o = g_pRegistryMgr->RegisterObject(9);
    ASSERT_NE(node->GetSIS(o), nullptr);
    EXPECT_EQ(o->SetNodeAsModified(77), SX_Success);
    EXPECT_EQ(o->SetNodeAsModified(78), SX_Success);  // not loaded: skipped
    ASSERT_NE(o->ModifiedNodes(), nullptr);
    EXPECT_EQ(o->ModifiedNodes()->Length(), 2u);
    ASSERT_EQ(g_pRTPCMgr->SetRTPCInternal(kParam, 0.7f, o, {}), SX_Success);
    ASSERT_TRUE(qvtest::NodeProbe::HoldsValuesFor(*node, o));
    ASSERT_TRUE(qvtest::RTPCProbe::HasObjectValue(*g_pRTPCMgr, kParam, o));

    g_pRegistryMgr->UnregisterObject(9);
    // The pointer is only compared from here on.
    EXPECT_FALSE(qvtest::NodeProbe::HoldsValuesFor(*node, o));
    EXPECT_FALSE(qvtest::RTPCProbe::HasObjectValue(*g_pRTPCMgr, kParam, o));
    EXPECT_EQ(node->RefCount(), 1u);  // the look-up's reference was released
}

}  // namespace

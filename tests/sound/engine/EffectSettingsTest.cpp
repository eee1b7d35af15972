#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "SxHierarchyFixture.h"
#include "SxTestPlugins.h"
#include "sound/engine/attenuations/CSxFxBase.h"
#include "sound/engine/environments/CSxEnvironmentsMgr.h"
#include "tests/sound/engine/SxNodeProbes.h"

using namespace SX;
namespace bw = bankwriter;

namespace {

bw::Bytes GainBlock(float db) {
    bw::Bytes block(sizeof db);
    std::memcpy(block.data(), &db, sizeof db);
    return block;
}

bw::RTPCCurve Curve(uint32_t gameParameter, uint32_t property, uint32_t curveID, float top) {
    bw::RTPCCurve curve{gameParameter, property, curveID, 0, {}};
    curve.points = {{0, 0, 4}, {100, top, 4}};
    return curve;
}

class EffectSettings : public sxtest::HierarchyEngine {
protected:
    void SetUp() override {
        HierarchyEngine::SetUp();
        sxtest::RegisterTestPlugins();
    }
};

TEST_F(EffectSettings, ShareSetsAndCustomEffectsKeepTheirPluginMediaAndCurves) {
    bw::Effect gain;
    gain.pluginID = sxtest::kGainKey;
    gain.params = GainBlock(-6.0f);
    gain.media = {{2, 0x200}, {0, 0x100}};
    // The second curve for property 0 and curve 1 replaces the first.
    gain.rtpcs = {Curve(0x50, 0, 1, 6.0f), Curve(0x51, 3, 1, 2.0f), Curve(0x52, 0, 1, 12.0f)};
    bw::Effect none;
    ASSERT_EQ(Load({bw::Record(SxHirc_FxShareSet, bw::EffectBody(40, gain)),
                    bw::Record(SxHirc_FxCustom, bw::EffectBody(41, none))}),
              SX_Success);
    auto* shared = Find<CSxFxShareSet>(SxIndex_FxShareSet, 40);
    ASSERT_NE(shared, nullptr);
    auto* params = dynamic_cast<sxtest::TestGainParams*>(shared->Params());
    ASSERT_NE(params, nullptr) << "the plug-in's parameter object, made from the block";
    EXPECT_NEAR(params->gain, 0.501f, 0.001f);
    EXPECT_EQ(shared->Media(), (std::vector<std::pair<uint8_t, uint32_t>>{{0, 0x100}, {2, 0x200}}));
    ASSERT_EQ(qvtest::FxProbe::RTPCs(*shared).size(), 2u);
    EXPECT_EQ(qvtest::FxProbe::RTPCs(*shared)[0].gameParameter, 0x52u);
    EXPECT_EQ(qvtest::FxProbe::RTPCs(*shared)[1].gameParameter, 0x51u);
    auto* custom = Find<CSxFxCustom>(SxIndex_FxCustom, 41);
    ASSERT_NE(custom, nullptr);
    EXPECT_EQ(custom->Params(), nullptr) << "no plug-in, no parameter object";
    EXPECT_EQ(Find<CSxFxCustom>(SxIndex_FxCustom, 40), nullptr) << "each kind in its own table";
}

TEST_F(EffectSettings, BadRecordsFailWithoutLeftovers) {
    bw::Effect gain;
    gain.pluginID = sxtest::kGainKey;
    gain.params = GainBlock(-6.0f);
    gain.media = {{0, 0x100}};
    gain.rtpcs = {Curve(0x50, 0, 1, 6.0f)};
    const bw::Bytes body = bw::EffectBody(40, gain);
    for (size_t length = 0; length < body.size(); ++length) {
        CSxIndexable* object = nullptr;
        const bw::Bytes cut = bw::Cut(body, length);
        EXPECT_NE(SxReadHircObject(SxHirc_FxShareSet, cut.data(), static_cast<uint32_t>(cut.size()), &object),
                  SX_Success)
            << "cut at " << length;
        EXPECT_EQ(object, nullptr);
    }
    struct Case {
        const char* what;
        uint32_t pluginID;
        bw::Bytes params;
    };
    const Case cases[] = {
        {"an unknown plug-in", SxPluginKey(SxPluginType_Effect, 99, 99), GainBlock(0.0f)},
        {"a block the parameters refuse", sxtest::kFailingKey, bw::Bytes(3, 0)},
    };
    for (const Case& c : cases) {
        bw::Effect effect;
        effect.pluginID = c.pluginID;
        effect.params = c.params;
        const bw::Bytes record = bw::EffectBody(42, effect);
        CSxIndexable* object = nullptr;
        EXPECT_NE(SxReadHircObject(SxHirc_FxCustom, record.data(), static_cast<uint32_t>(record.size()), &object),
                  SX_Success)
            << c.what;
        EXPECT_EQ(object, nullptr) << c.what;
    }
    EXPECT_EQ(g_pObjectIndex->Table(SxIndex_FxShareSet).Count(), 0u);
    EXPECT_EQ(g_pObjectIndex->Table(SxIndex_FxCustom).Count(), 0u);
}

TEST_F(EffectSettings, EnvironmentVolumesAndBypassGoThroughTheirShareSet) {
    ASSERT_EQ(Load({bw::Record(SxHirc_FxShareSet, bw::EffectBody(60, bw::Effect()))}), SX_Success);
    float volumes[6];
    g_pEnvironmentsMgr->GetVolumes(60, volumes);
    for (float v : volumes) EXPECT_FLOAT_EQ(v, 1.0f);
    EXPECT_FALSE(g_pEnvironmentsMgr->IsBypassed(60));

    const float set[6] = {0.5f, 0.25f, 1.0f, 0.0f, 0.75f, 0.1f};
    EXPECT_EQ(SoundEngine::SetEnvironmentVolumes(60, set), SX_Success);
    EXPECT_EQ(SoundEngine::BypassEnvironment(60, true), SX_Success);
    // Unknown environments change nothing.
    EXPECT_EQ(SoundEngine::SetEnvironmentVolumes(61, set), SX_Success);
    EXPECT_EQ(SoundEngine::BypassEnvironment(61, false), SX_Success);
    ApplyMessages();
    g_pEnvironmentsMgr->GetVolumes(60, volumes);
    for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(volumes[i], set[i]);
    EXPECT_TRUE(g_pEnvironmentsMgr->IsBypassed(60));
    g_pEnvironmentsMgr->GetVolumes(61, volumes);
    for (float v : volumes) EXPECT_FLOAT_EQ(v, 0.0f);
    EXPECT_TRUE(g_pEnvironmentsMgr->IsBypassed(61)) << "an unknown environment counts as bypassed";
    EXPECT_EQ(g_pEnvironmentsMgr->SetVolumes(61, set), SX_Fail);
    EXPECT_EQ(g_pEnvironmentsMgr->Bypass(61, true), SX_Fail);

    SoundEngine::BypassEnvironment(60, false);
    ApplyMessages();
    EXPECT_FALSE(g_pEnvironmentsMgr->IsBypassed(60));
}

}  // namespace

// Every effect reached through the engine's plug-in table by its company and plug-in ID:
// created, given its defaults, run on stereo and 5.1, reset and terminated without leaks.
#include "sound/engine/SxBehavioralExtensions.h"
#include "sound/engine/SxTestMemory.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/plugins/effects/CSxMeterFX.h"
#include "sound/plugins/effects/SxEffectPluginsRegistry.h"
#include "SxFxTestSupport.h"

namespace fxtest {
namespace {

constexpr uint32_t kEffectIDs[] = {108, 109, 110, 105, 106, 118, 115, 116, 129};

class EffectPluginsRegistry : public ::testing::Test {
protected:
    void SetUp() override { SxPluginTable::Clear(); }
    void TearDown() override {
        SxMeterWriterFrame(false);
        SxBehavioralExtensions::Clear();
        SxPluginTable::Clear();
    }
    sxtest::TestMemory memory;  // the meters' shared writer lives in the default pool
};

TEST_F(EffectPluginsRegistry, RegistersOnceUnderCompanyZero) {
    EXPECT_EQ(RegisterEffectPlugins(), SX_Success);
    EXPECT_EQ(RegisterEffectPlugins(), SX_Fail) << "a second registration keeps the first";
    for (uint32_t id : kEffectIDs) {
        CountingAllocator allocator;
        ISxPluginParam* params = nullptr;
        ASSERT_EQ(SxPluginTable::CreateParam(SxPluginKey(SxPluginType_Effect, 0, id), &allocator, params), SX_Success)
            << id;
        params->Term(&allocator);
    }
    ISxPlugin* source = nullptr;
    CountingAllocator allocator;
    ASSERT_EQ(SxPluginTable::CreatePlugin(SxPluginKey(SxPluginType_Source, 0, 200), &allocator, source), SX_Success);
    SxPluginInfo info;
    source->GetPluginInfo(info);
    EXPECT_EQ(info.type, uint32_t(SxPluginType_Source));
    source->Term(&allocator);
}

TEST_F(EffectPluginsRegistry, EveryEffectRunsWithItsDefaults) {
    ASSERT_EQ(RegisterEffectPlugins(), SX_Success);
    for (uint32_t id : kEffectIDs) {
        for (uint32_t mask : {0x4u, 0x3u, SxChannelMask51}) {
            CountingAllocator allocator;
            const uint32_t key = SxPluginKey(SxPluginType_Effect, 0, id);
            ISxPlugin* plugin = nullptr;
            ISxPluginParam* params = nullptr;
            ASSERT_EQ(SxPluginTable::CreatePlugin(key, &allocator, plugin), SX_Success) << id;
            ASSERT_EQ(SxPluginTable::CreateParam(key, &allocator, params), SX_Success) << id;
            ASSERT_EQ(params->Init(&allocator, nullptr, 0), SX_Success) << id;
            auto* effect = static_cast<ISxInPlaceEffectPlugin*>(plugin);
            SxPluginInfo info;
            effect->GetPluginInfo(info);
            EXPECT_EQ(info.type, uint32_t(SxPluginType_Effect));
            EXPECT_EQ(info.inPlace, 1);
            TestEffectContext context;
            SxAudioFormat format = Format(48000, mask);
            const SXRESULT init = effect->Init(&allocator, &context, params, format);
            const bool monoOnly = id == 116 && mask != 0x4;
            EXPECT_EQ(init, monoOnly ? SX_UnsupportedChannelConfig : SX_Success) << id << " " << mask;
            if (init == SX_Success) {
                for (int i = 0; i < 3; ++i) {
                    Buffer b(mask);
                    b.Fill(0.25f);
                    effect->Execute(&b.buffer);
                    EXPECT_TRUE(SxBufferIsFinite(b.buffer)) << id;
                }
                // A reset leaves no history: silence in, silence out.
                EXPECT_EQ(effect->Reset(), SX_Success);
                Buffer silent(mask);
                effect->Execute(&silent.buffer);
                EXPECT_EQ(Peak(silent.samples.data(), silent.samples.size()), 0.0) << id << " " << mask;
                EXPECT_EQ(effect->TimeSkip(1024), SX_DataReady);
            }
            effect->Term(&allocator);
            params->Term(&allocator);
            EXPECT_EQ(allocator.live, 0) << id;
        }
    }
}

}  // namespace
}  // namespace fxtest

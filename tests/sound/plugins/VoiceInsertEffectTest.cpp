// A registered effect plug-in as an insert effect of a sound: an event posted, the delay's echo
// heard after the sound itself has ended.
#include "sound/engine/SxVoiceFixture.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/plugins/effects/CSxDelayFX.h"
#include "sound/plugins/effects/SxEffectPluginsRegistry.h"
#include "tests/sound/engine/SxRenderProbes.h"

using namespace sxtest;

namespace {

constexpr SxUniqueID kDelayEffect = 300;
constexpr uint32_t kDelayPluginID = 106;

// A delay of a quarter of a second, no feedback, half wet, 0 dB.
bw::Effect Delay() {
    const float fields[4] = {0.25f, 0.0f, 50.0f, 0.0f};
    bw::Bytes block(SxDelayFXParamsBlockSize, 0);
    std::memcpy(block.data(), fields, sizeof fields);
    return {SxPluginKey(SxPluginType_Effect, 0, kDelayPluginID), block, {}, {}};
}

class VoiceInsertEffect : public VoiceFixture {
protected:
    void SetUp() override {
        VoiceFixture::SetUp();
        ASSERT_EQ(RegisterEffectPlugins(), SX_Success);
        LoadRecords({bw::Record(SxHirc_FxCustom, bw::EffectBody(kDelayEffect, Delay()))});
    }
};

TEST_F(VoiceInsertEffect, DelayOnASoundEchoesItAfterItEndsAndTheEventEndsWithTheEcho) {
    constexpr size_t kTone = 4800, kDelay = 12000;
    g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, kTone, 48000, 0x4), QV::media::Encoding::Pcm16);
    bw::NodeBase node;
    node.overrideEffects = true;
    node.effects = {{0, kDelayEffect}};
    LoadSoundNode(node, 1);
    SxPlayingID id = 0;
    const std::vector<float> left = PlayAndCapture(id);
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
    EXPECT_EQ(qvtest::VoiceProbe::VoiceCount(), 0u);
    size_t start = 0;
    while (start < left.size() && left[start] == 0.0f) ++start;
    size_t end = left.size();
    while (end > start && left[end - 1] == 0.0f) --end;
    const double plain = 0.5 * LeftGain(0.0f);
    // Half dry, then silence, then the half-wet echo a quarter of a second later.
    EXPECT_NEAR(PeakOf(left, start, start + kTone), plain * 0.5, plain * 0.02);
    EXPECT_EQ(PeakOf(left, start + kTone + 8, start + kDelay - 8), 0.0);
    EXPECT_NEAR(PeakOf(left, start + kDelay, start + kDelay + kTone), plain * 0.5, plain * 0.02);
    EXPECT_NEAR(double(end - start), double(kDelay + kTone), 8.0);
}

}  // namespace

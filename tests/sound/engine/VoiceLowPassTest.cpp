// A sound's low-pass, heard on the device: a low and a high tone played together through an
// environmental bus, with the dry path and the environment send captured apart. The sound's own
// low-pass (its property or a game parameter's), its attenuation's and occlusion's muffle both
// paths; obstruction and the emitter's cone muffle the dry path only, so the reverb send of an
// obstructed sound, or of one turned away, keeps its highs.
#include "SxBankFixture.h"
#include "SxVoiceFixture.h"

#include <memory>
#include <utility>

using namespace sxtest;

namespace {

constexpr SxUniqueID kMaster = 1, kEnvBus = 11, kEnvSet = 610, kAttenuation = 40, kLowPassParameter = 0x72,
                     kConeLowPassParameter = 0x73;
constexpr double kLow = 200.0, kHigh = 9000.0;

// Amplitude of one frequency over the samples (a single-bin DFT).
double Amplitude(const std::vector<float>& x, size_t from, size_t to, double frequency) {
    double re = 0.0, im = 0.0;
    for (size_t i = from; i < to; ++i) {
        const double phase = 2.0 * kPi * frequency * double(i) / 48000.0;
        re += x[i] * std::cos(phase);
        im += x[i] * std::sin(phase);
    }
    return 2.0 * std::sqrt(re * re + im * im) / double(to - from);
}

struct Setting {
    float ownLowPass = 0.0f;       // the sound's low-pass property
    float distanceLowPass = 0.0f;  // its attenuation's low-pass at every distance
    float obstruction = 0.0f, occlusion = 0.0f;
    float gameParameter = 0.0f;  // drives the sound's low-pass one to one
    bool facingAway = false;     // the emitter's cone turned from the listener
    // Drives the low-pass value beyond the cone in place of the attenuation's 60 (none: the
    // attenuation's).
    float coneLowPassParameter = -1.0f;
};

class VoiceLowPass : public VoiceFixture {
protected:
    void SetUp() override {
        VoiceFixture::SetUp();
        QV::media::Signal both = QV::media::Sine(kLow, 0.3, 48000, 48000, 0x4);
        const QV::media::Signal high = QV::media::Sine(kHigh, 0.3, 48000, 48000, 0x4);
        for (size_t i = 0; i < both.samples.size(); ++i) both.samples[i] += high.samples[i];
        g_media = QV::media::Build(both, QV::media::Encoding::Pcm16);
    }
    // Obstruction and occlusion map to a low-pass value of 60 at full level (and leave the
    // volume alone), as a bank's environment settings give them.
    void LoadEnvironmentCurves() {
        bw::BankFile bank;
        bank.id = 900;
        bank.withEnvironment = true;
        bank.environment[1] = {true, 0, {{0, 0, 4}, {100, 60, 4}}};
        bank.environment[3] = {true, 0, {{0, 0, 4}, {100, 60, 4}}};
        // Loaded in place: the bytes stay while the engine runs.
        envBank = std::make_unique<AlignedBank>(bw::WriteBank(bank));
        SxBankID id = 0;
        ASSERT_EQ(SoundEngine::LoadBank(envBank->Data(), envBank->Size(), id), SX_Success);
    }
    std::unique_ptr<AlignedBank> envBank;
    void Load(const Setting& setting) {
        LoadEnvironmentCurves();
        bw::Bus master;
        bw::Bus env;
        env.parentBusID = kMaster;
        env.environmental = true;
        // Beyond the cone's outside angle: -6 dB and a low-pass value of 60.
        bw::Attenuation attenuation;
        attenuation.coneEnabled = true;
        attenuation.insideDegrees = 90.0f;
        attenuation.outsideDegrees = 180.0f;
        attenuation.coneValue1 = -6.0f;
        attenuation.coneValue2 = 60.0f;
        attenuation.curveUse[3] = 0;
        attenuation.curves = {{0, {{0, setting.distanceLowPass, 4}, {1000, setting.distanceLowPass, 4}}}};
        bw::NodeBase node;
        node.busID = kEnvBus;
        node.props = {bw::PropF(3, setting.ownLowPass)};
        node.rtpcs = {{kLowPassParameter, 3, 1, 0, {{0, 0, 4}, {100, 100, 4}}}};
        if (setting.coneLowPassParameter >= 0.0f)
            node.rtpcs.push_back({kConeLowPassParameter, SxRTPC_ConeOutsideLowPass, 2, 0, {{0, 0, 4}, {100, 100, 4}}});
        node.positioning.overrideParent = true;
        node.positioning.is3D = true;
        node.positioning.type = 3;
        node.positioning.attenuationID = kAttenuation;
        const bw::Bytes chunk = bw::HircChunk({
            bw::Record(SxHirc_FxShareSet, bw::EffectBody(kEnvSet, {})),
            bw::Record(SxHirc_Attenuation, bw::AttenuationBody(kAttenuation, attenuation)),
            bw::Record(SxHirc_Bus, bw::BusBody(kMaster, master)),
            bw::Record(SxHirc_Bus, bw::BusBody(kEnvBus, env)),
        });
        ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
        LoadSoundNode(node, 1);
        SxSoundPosition at;
        at.position.z = 1.0f;
        at.orientation.z = setting.facingAway ? 1.0f : -1.0f;
        ASSERT_EQ(SoundEngine::SetPosition(kGameObject, at), SX_Success);
        ASSERT_EQ(SoundEngine::SetObjectObstructionAndOcclusion(kGameObject, 0, setting.obstruction, setting.occlusion),
                  SX_Success);
        SoundEngine::SetRTPCValue(kLowPassParameter, setting.gameParameter);
        if (setting.coneLowPassParameter >= 0.0f)
            SoundEngine::SetRTPCValue(kConeLowPassParameter, setting.coneLowPassParameter);
    }
    // The levels (dB) of the low tone and of the high tone against it on one path, the other
    // path silent.
    std::pair<double, double> Levels(bool sendPath) {
        const SxEnvironmentValue send{kEnvSet, 1.0f};
        SoundEngine::SetGameObjectDryLevelValue(kGameObject, sendPath ? 0.0f : 1.0f);
        SoundEngine::SetGameObjectEnvironmentsValues(kGameObject, &send, sendPath ? 1 : 0);
        SxPlayingID id = 0;
        const std::vector<float> left = PlayAndCapture(id, 80);
        size_t at = 0;
        while (at < left.size() && left[at] == 0.0f) ++at;
        // Half a second inside the tone, past its start and any filter ramp.
        const size_t from = at + 8 * 1024, to = from + 24000;
        EXPECT_LT(to, left.size());
        if (to >= left.size()) return {0.0, 0.0};
        const double low = Amplitude(left, from, to, kLow);
        EXPECT_GT(low, 0.05) << "the low tone passes every path";
        return {20.0 * std::log10(low), 20.0 * std::log10(Amplitude(left, from, to, kHigh) / low)};
    }
};

TEST_F(VoiceLowPass, EachPathIsFilteredByWhatLiesOnIt) {
    struct Case {
        const char* what;
        Setting setting;
        bool sendPath;
        bool muffled;
        double lowDb = 0.0;  // the low tone against the clear dry path
    } cases[] = {
        {"dry, clear", {}, false, false},
        {"send, clear", {}, true, false},
        {"dry, the sound's own low-pass", {60.0f, 0, 0, 0}, false, true},
        {"send, the sound's own low-pass", {60.0f, 0, 0, 0}, true, true},
        {"dry, the attenuation's low-pass", {0, 60.0f, 0, 0}, false, true},
        {"send, the attenuation's low-pass", {0, 60.0f, 0, 0}, true, true},
        {"dry, obstructed", {0, 0, 1.0f, 0}, false, true},
        {"send, obstructed: the reverb keeps its highs", {0, 0, 1.0f, 0}, true, false},
        {"dry, occluded", {0, 0, 0, 1.0f}, false, true},
        {"send, occluded", {0, 0, 0, 1.0f}, true, true},
        {"dry, a game parameter's low-pass", {0, 0, 0, 0, 60.0f}, false, true},
        {"send, a game parameter's low-pass", {0, 0, 0, 0, 60.0f}, true, true},
        {"dry, facing away beyond the cone", {0, 0, 0, 0, 0, true}, false, true, -6.0},
        {"send, facing away: the reverb keeps its highs and level", {0, 0, 0, 0, 0, true}, true, false},
        {"dry, facing away, the cone's low-pass cleared by its game parameter",
         {0, 0, 0, 0, 0, true, 0.0f},
         false,
         false,
         -6.0},
        {"dry, facing the listener, the cone's game parameter at 60", {0, 0, 0, 0, 0, false, 60.0f}, false, false},
    };
    double clearDb = 0.0;
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        Load(c.setting);
        const auto [lowDb, ratio] = Levels(c.sendPath);
        if (&c == cases) clearDb = lowDb;
        EXPECT_NEAR(lowDb - clearDb, c.lowDb, 0.5) << c.what;
        // A low-pass value of 60 puts the cutoff near 530 Hz: second order, 9 kHz falls by
        // about 49 dB.
        if (c.muffled)
            EXPECT_LT(ratio, -40.0) << c.what;
        else
            EXPECT_NEAR(ratio, 0.0, 1.0) << c.what;
    }
}

}  // namespace

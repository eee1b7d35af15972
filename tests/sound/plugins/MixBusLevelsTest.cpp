// A mix bus's node runs the bus's effects on what plays through it and then applies the bus's
// own levels: a compressor hears the sound before the bus's volume, a delay's echo follows a
// later change of that volume, ducking moves the node's gain frame by frame, and the node
// mixes to the bus's speakers only. Heard at the captured output of the engine.
#include <cmath>
#include <tuple>

#include "SxFxTestSupport.h"
#include "sound/engine/SxTestPlugins.h"
#include "sound/engine/SxVoiceFixture.h"
#include "sound/engine/bus/CSxMixBusNode.h"
#include "sound/engine/buses/CSxBus.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/lower/SxDecibels.h"
#include "sound/plugins/effects/CSxDelayFX.h"
#include "sound/plugins/effects/SxEffectPluginsRegistry.h"

using namespace sxtest;

namespace {

constexpr SxUniqueID kMaster = 1, kBus = 10, kDucker = 11;
constexpr SxUniqueID kCompressor = 500, kDelay = 501, kUnity = 502;
constexpr SxUniqueID kDuckerSound = 101, kDuckerEvent = 1100, kSilence = 78;
constexpr uint32_t kVolumeParameter = 0x72;

double RmsDb(const std::vector<float>& x, size_t from, size_t to) {
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) sum += double(x[i]) * x[i];
    return 10.0 * std::log10(sum / double(to - from));
}

// Both channels of what the device captured; capture stops.
void TakeStereo(std::vector<float>& left, std::vector<float>& right) {
    const std::vector<uint8_t> bytes = control::Captured();
    const uint32_t channels = control::CapturedFormat().channels;
    control::StopCapture();
    ASSERT_EQ(channels, 2u);
    left.resize(bytes.size() / 4);
    right.resize(bytes.size() / 4);
    for (size_t i = 0; i < left.size(); ++i) {
        int16_t s[2];
        std::memcpy(s, &bytes[i * 4], 4);
        left[i] = s[0] / 32768.0f;
        right[i] = s[1] / 32768.0f;
    }
}

class MixBusLevels : public VoiceFixture {
protected:
    void SetUp() override {
        VoiceFixture::SetUp();
        ASSERT_EQ(RegisterEffectPlugins(), SX_Success);
        RegisterTestPlugins();
    }
    // The master bus, the bus under test below it and a plain bus that ducks it; the sound
    // plays through the bus, another (silent) one through the ducking bus.
    void Load(const bw::Bus& bus, float duckDb = 0.0f) {
        bw::Bus ducker;
        ducker.parentBusID = kMaster;
        ducker.maxDuckVolume = -96.3f;
        if (duckDb != 0.0f) ducker.duckTargets = {{kBus, duckDb, 200, 200, uint8_t(SxCurve_Linear)}};
        bw::Bus tested = bus;
        tested.parentBusID = kMaster;
        tested.maxDuckVolume = -96.3f;
        g_mediaByID[kSilence] =
            QV::media::Build(QV::media::Sine(1000.0, 0.0, 48000, 48000, 0x4), QV::media::Encoding::Pcm16);
        using fxtest::Block;
        const bw::Effect compressor{SxPluginKey(SxPluginType_Effect, 0, 108),
                                    Block().F32(-12.0f).F32(4.0f).F32(0.01f).F32(0.1f).F32(0.0f).U8(1).U8(1).bytes,
                                    {},
                                    {}};
        bw::Effect delay{
            SxPluginKey(SxPluginType_Effect, 0, 106), Block().F32(0.25f).F32(0.0f).F32(50.0f).F32(0.0f).bytes, {}, {}};
        delay.params.resize(SxDelayFXParamsBlockSize);
        const bw::Effect unity{kGainKey, Block().F32(0.0f).bytes, {}, {}};
        std::vector<bw::Bytes> records = {
            bw::Record(SxHirc_FxShareSet, bw::EffectBody(kCompressor, compressor)),
            bw::Record(SxHirc_FxShareSet, bw::EffectBody(kDelay, delay)),
            bw::Record(SxHirc_FxShareSet, bw::EffectBody(kUnity, unity)),
            bw::Record(SxHirc_Bus, bw::BusBody(kMaster, bw::Bus())),
            bw::Record(SxHirc_Bus, bw::BusBody(kBus, tested)),
            bw::Record(SxHirc_Bus, bw::BusBody(kDucker, ducker)),
        };
        for (const auto& [sound, bus, event, media] :
             {std::tuple{kSound, kBus, kEvent, kMedia}, std::tuple{kDuckerSound, kDucker, kDuckerEvent, kSilence}}) {
            bw::NodeBase node;
            node.busID = bus;
            bw::Source source;
            source.pluginID = 1 << 16 | 1;
            source.mediaID = media;
            source.size = static_cast<uint32_t>(g_mediaByID[media].size());
            records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(sound, source, node)));
            records.push_back(
                bw::Record(SxHirc_Action, bw::ActionBody(event + 1, 0x0403, sound, {}, {}, bw::PlayParams(4, 0))));
            records.push_back(bw::Record(SxHirc_Event, bw::EventBody(event, {event + 1})));
        }
        const bw::Bytes chunk = bw::HircChunk(records);
        ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
        SoundEngine::RegisterGameObj(kGameObject);
    }
    static bw::Bus WithEffect(SxUniqueID effect, float volumeDb = 0.0f) {
        bw::Bus bus;
        if (volumeDb != 0.0f) bus.props = {bw::PropF(0, volumeDb)};
        bus.effects = {{0, effect, 1}};
        return bus;
    }
    CSxBus* TestedBus() {
        for (CSxIndexable* object : loaded)
            if (object->ID() == kBus && object->Table() == SxIndex_Node) return static_cast<CSxBus*>(object);
        return nullptr;
    }
};

TEST_F(MixBusLevels, ACompressorOnABusHearsTheSoundBeforeTheBusVolume) {
    // A stereo tone at -3 dB RMS into a compressor at -12 dB, ratio 4: 9 dB above the
    // threshold come out as 2.25 dB above it, and the bus's volume follows.
    const double kTone = 20.0 * std::log10(0.999 / std::sqrt(2.0));
    struct Case {
        float busDb;
        double expectedDb;
    } cases[] = {
        {-12.0f, -12.0 + (kTone + 12.0) / 4.0 - 12.0},
        {0.0f, -12.0 + (kTone + 12.0) / 4.0},
        {-6.0f, -12.0 + (kTone + 12.0) / 4.0 - 6.0},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        g_media = QV::media::Build(QV::media::Sine(1000.0, 0.999, 48000, 48000, 0x3), QV::media::Encoding::Pcm16);
        Load(WithEffect(kCompressor, c.busDb));
        SxPlayingID id = 0;
        const std::vector<float> left = PlayAndCapture(id, 80);
        ASSERT_EQ(g_ended, std::vector<SxPlayingID>{id}) << c.busDb;
        size_t start = 0;
        while (start < left.size() && left[start] == 0.0f) ++start;
        ASSERT_GT(left.size(), start + 44000);
        // Past the attack: the detector's level and the gain have settled.
        EXPECT_NEAR(RmsDb(left, start + 12000, start + 44000), c.expectedDb, 0.25) << c.busDb;
    }
}

TEST_F(MixBusLevels, ADelaysEchoFollowsTheBusVolumeSetAfterTheSoundEnded) {
    // The bus's volume follows a game parameter: 0 dB at 0, -12 dB at 1. It is set once the
    // sound has ended and before its echo: globally the echo hears it; a bus takes no value of
    // one game object.
    constexpr size_t kTone = 4800, kDelayFrames = 12000;
    struct Case {
        const char* what;
        SxGameObjectID target;
        double echoGain;
    } cases[] = {
        {"set for all game objects", SxAllGameObjects, 0.2512},
        {"set on the sound's game object only", kGameObject, 1.0},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, kTone, 48000, 0x4), QV::media::Encoding::Pcm16);
        bw::Bus bus = WithEffect(kDelay);
        bus.rtpcs = {{kVolumeParameter, 0, 0, 0, {{0, 0, 4}, {1, -12, 4}}}};
        Load(bus);
        control::StartCapture();
        SoundEngine::PostEvent(kEvent, kGameObject);
        for (int frame = 0; frame < 30; ++frame) {
            if (frame == 8) SoundEngine::SetRTPCValue(kVolumeParameter, 1.0f, c.target);
            Frame();
        }
        const std::vector<float> left = TakeLeft();
        size_t start = 0;
        while (start < left.size() && left[start] == 0.0f) ++start;
        ASSERT_LT(start, 2048u) << c.what;
        const double plain = 0.5 * LeftGain(0.0f);
        EXPECT_NEAR(PeakOf(left, start, start + kTone), plain * 0.5, plain * 0.02) << c.what;
        EXPECT_NEAR(PeakOf(left, start + kDelayFrames + 8, start + kDelayFrames + kTone - 8), plain * 0.5 * c.echoGain,
                    plain * 0.02)
            << c.what;
    }
}

TEST_F(MixBusLevels, DuckingMovesTheBusNodesGainFrameByFrame) {
    // A plain bus ducks the mix bus by 12 dB over 200 ms while the tone plays on, and releases
    // it over 200 ms when its own sound ends. The tone's own level never moves: the node's
    // gain does, and each frame's output ends at the gain the node holds.
    g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, 48000 * 3, 48000, 0x4), QV::media::Encoding::Pcm16);
    Load(WithEffect(kUnity), -12.0f);
    CSxBus* bus = TestedBus();
    ASSERT_NE(bus, nullptr);
    control::StartCapture();
    SoundEngine::PostEvent(kEvent, kGameObject);
    std::vector<float> nodeGain, duck;
    for (int frame = 0; frame < 120; ++frame) {
        if (frame == 10) SoundEngine::PostEvent(kDuckerEvent, kGameObject);
        Frame();
        const CSxMixBusNode* node = CSxLEngine::FindBusNode(kBus);
        nodeGain.push_back(node ? node->Volume() : -1.0f);
        duck.push_back(bus->TotalDuck());
    }
    const std::vector<float> left = TakeLeft();
    ASSERT_EQ(left.size(), 120u * 1024u);
    const double plain = 0.5 * LeftGain(0.0f);
    int ramping = 0;
    for (size_t frame = 4; frame < 120; ++frame) {
        EXPECT_NEAR(nodeGain[frame], SxMath::DbToLinear(duck[frame]), 1e-4) << "frame " << frame;
        // The last period of the frame: the ramp towards the node's gain is nearly done.
        EXPECT_NEAR(PeakOf(left, frame * 1024 + 1024 - 48, frame * 1024 + 1024), plain * nodeGain[frame], plain * 0.02)
            << "frame " << frame;
        if (duck[frame] < -0.1f && duck[frame] > -11.9f) ++ramping;
    }
    EXPECT_FLOAT_EQ(*std::min_element(duck.begin(), duck.end()), -12.0f);
    EXPECT_FLOAT_EQ(duck.back(), 0.0f) << "released once the ducking sound ended";
    // Two fades of 200 ms at 21.3 ms a frame.
    EXPECT_GE(ramping, 14);
}

TEST_F(MixBusLevels, ABusMixesToItsOwnSpeakersOnly) {
    struct Case {
        uint16_t channels;
        bool left, right;
    } cases[] = {{0x1, true, false}, {0x2, false, true}, {0x3, true, true}, {0, true, true}};
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, 9600, 48000, 0x4), QV::media::Encoding::Pcm16);
        bw::Bus bus = WithEffect(kUnity);
        bus.channels = c.channels;
        Load(bus);
        control::StartCapture();
        SoundEngine::PostEvent(kEvent, kGameObject);
        for (int frame = 0; frame < 15; ++frame) Frame();
        std::vector<float> left, right;
        TakeStereo(left, right);
        const double plain = 0.5 * LeftGain(0.0f);
        EXPECT_NEAR(PeakOf(left, 0, left.size()), c.left ? plain : 0.0, plain * 0.02) << c.channels;
        EXPECT_NEAR(PeakOf(right, 0, right.size()), c.right ? plain : 0.0, plain * 0.02) << c.channels;
    }
}

}  // namespace

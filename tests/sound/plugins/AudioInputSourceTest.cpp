// Audio input source: the game's callbacks, the gain ramp on float and integer samples.
#include <limits>

#include "platform/audio/CaptureDevice.h"
#include "sound/plugins/effects/CSxFXSrcAudioInput.h"
#include "sound/plugins/effects/SxCaptureAudioInput.h"
#include "SxFxTestSupport.h"

namespace fxtest {
namespace {

class TestSourceContext final : public ISxSourcePluginContext {
public:
    uint16_t GetNumLoops() const override { return 0; }
    ISxStreamMgr* GetStreamMgr() const override { return nullptr; }
    SxPlayingID GetPlayingID() const override { return 31; }
    uint16_t GetMaxBufferLength() const override { return 1024; }
};

struct Game {
    static inline uint32_t lastVoice = 0;
    static inline float gain = 1.0f;
    static inline SxAudioFormat format;
    static inline bool integer16 = false;
    static void Execute(uint32_t voice, SxAudioBuffer* buffer) {
        lastVoice = voice;
        buffer->validFrames = buffer->maxFrames;
        buffer->state = SX_DataReady;
        if (integer16) {
            int16_t* s = reinterpret_cast<int16_t*>(buffer->data);
            for (uint32_t i = 0; i < 2u * buffer->maxFrames; ++i) s[i] = 10000;
        } else {
            for (uint32_t i = 0; i < buffer->Channels() * buffer->maxFrames; ++i) buffer->data[i] = 1.0f;
        }
    }
    static void Format(uint32_t, SxAudioFormat& f) {
        if (integer16) f = format;
    }
    static float Gain(uint32_t) { return gain; }
};

struct Source {
    Source(float gainDb = 0.0f) {
        params = static_cast<CSxFxSrcAudioInputParams*>(CreateAudioInputSourceParams(&allocator));
        Block b;
        b.F32(gainDb);
        params->Init(&allocator, b.Data(), b.Size());
        source = static_cast<CSxFXSrcAudioInput*>(CreateAudioInputSource(&allocator));
        format = fxtest::Format(48000, 0x3);
        EXPECT_EQ(source->Init(&allocator, &context, params, format), SX_Success);
    }
    ~Source() {
        source->Term(&allocator);
        params->Term(&allocator);
        EXPECT_EQ(allocator.live, 0);
    }
    CountingAllocator allocator;
    TestSourceContext context;
    CSxFxSrcAudioInputParams* params;
    CSxFXSrcAudioInput* source;
    SxAudioFormat format;
};

class AudioInputSource : public ::testing::Test {
protected:
    void SetUp() override {
        Game::gain = 1.0f;
        Game::integer16 = false;
        SetAudioInputCallbacks(Game::Execute, Game::Format, Game::Gain);
    }
    void TearDown() override { RemoveAudioInputCallbacks(Game::Execute); }
};

TEST_F(AudioInputSource, GameFillsTheBufferForItsVoiceWithTheCombinedGain) {
    Game::gain = 0.5f;
    Source s(-6.0f);
    Buffer b(0x3);
    s.source->Execute(&b.buffer);
    EXPECT_EQ(Game::lastVoice, 31u);
    EXPECT_NEAR(b.Channel(1)[500], 0.2506f, 1e-3f);
    EXPECT_EQ(s.source->GetDuration(), 0.0f);
    EXPECT_EQ(s.source->StopLooping(), SX_Fail);
}

TEST_F(AudioInputSource, AGainStepFadesOverATenthOfASecond) {
    Source s;
    Game::gain = 0.0f;
    std::vector<float> out;
    for (int i = 0; i < 6; ++i) {
        Buffer b(0x3);
        s.source->Execute(&b.buffer);
        out.insert(out.end(), b.Channel(0), b.Channel(0) + 1024);
        EXPECT_EQ(std::vector<float>(b.Channel(0), b.Channel(0) + 1024),
                  std::vector<float>(b.Channel(1), b.Channel(1) + 1024));
    }
    EXPECT_NEAR(out[2400], 0.5f, 0.002f);
    EXPECT_NEAR(out[4799], 0.0f, 0.001f);
    EXPECT_EQ(out[4900], 0.0f);
    for (size_t i = 1; i < 4800; ++i) ASSERT_LE(out[i], out[i - 1]);
}

TEST_F(AudioInputSource, SixteenBitInterleavedFramesShareOneGain) {
    Game::integer16 = true;
    Game::format = Format(48000, 0x3);
    Game::format.sampleType = 0;
    Game::format.bitsPerSample = 16;
    Game::format.blockAlign = 4;
    Game::gain = 0.5f;
    Source s;
    std::vector<int16_t> samples(2 * 1024);
    SxAudioBuffer buffer;
    buffer.data = reinterpret_cast<float*>(samples.data());
    buffer.channelMask = 0x3;
    buffer.maxFrames = 1024;
    s.source->Execute(&buffer);
    EXPECT_EQ(samples[0], 5000);
    EXPECT_EQ(samples[1], 5000);
    EXPECT_EQ(samples[2047], 5000);
}

TEST_F(AudioInputSource, CallbacksAreKeptUnlessBothRequiredOnesAreGiven) {
    SetAudioInputCallbacks(nullptr, Game::Format, Game::Gain);
    SetAudioInputCallbacks(Game::Execute, nullptr, nullptr);
    Game::gain = 0.25f;
    Source s;
    Buffer b(0x3);
    s.source->Execute(&b.buffer);
    EXPECT_FLOAT_EQ(b.Channel(0)[0], 0.25f) << "the earlier callbacks stay";
}

TEST_F(AudioInputSource, GameGainsAndBlocksThatAreNotNumbers) {
    for (float gain : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), -3.0f}) {
        Game::gain = gain;
        Source s;
        Buffer b(0x3);
        s.source->Execute(&b.buffer);
        EXPECT_TRUE(SxBufferIsFinite(b.buffer)) << gain;
    }
    CountingAllocator allocator;
    ISxPluginParam* params = CreateAudioInputSourceParams(&allocator);
    const uint8_t bytes[5] = {0, 0, 0x80, 0x7F, 0};
    EXPECT_EQ(params->Init(&allocator, bytes, 5), SX_InvalidParameter);
    EXPECT_EQ(static_cast<CSxFxSrcAudioInputParams*>(params)->gain, 0.0f);
    EXPECT_EQ(params->Init(&allocator, bytes, 4), SX_Success);  // +inf dB is held
    EXPECT_EQ(static_cast<CSxFxSrcAudioInputParams*>(params)->gain, 96.0f);
    const float v = 1.0f;
    EXPECT_EQ(params->SetParam(0, &v, 4), SX_InvalidParameter);
    EXPECT_EQ(params->SetParam(1, nullptr, 4), SX_InvalidParameter);
    params->Term(&allocator);
}

TEST_F(AudioInputSource, TheInputDeviceFeedsTheVoiceAtItsRateAndLayout) {
    platform::audio::PcmFormat pcm;
    pcm.sampleRate = 24000;
    pcm.channels = 2;
    platform::audio::CaptureDevice device(pcm, 4096);
    std::vector<int16_t> recorded;
    for (int i = 0; i < 1500; ++i) {
        recorded.push_back(static_cast<int16_t>(i * 10));
        recorded.push_back(static_cast<int16_t>(-i * 10));
    }
    device.Deliver(recorded.data(), 1500);
    SxFeedAudioInputFromCapture(&device);
    Source refused;
    EXPECT_EQ(refused.format.sampleRate, 48000u) << "the game's callbacks, installed first, stay";
    RemoveAudioInputCallbacks(Game::Execute);
    SxFeedAudioInputFromCapture(&device);
    Source s;
    EXPECT_EQ(s.format.sampleRate, 24000u);
    EXPECT_EQ(s.format.channelMask, 0x3u);
    Buffer first(0x3), second(0x3);
    s.source->Execute(&first.buffer);
    s.source->Execute(&second.buffer);
    EXPECT_FLOAT_EQ(first.Channel(0)[100], 1000.0f / 32768.0f);
    EXPECT_FLOAT_EQ(first.Channel(1)[100], -1000.0f / 32768.0f);
    EXPECT_FLOAT_EQ(second.Channel(0)[0], 10240.0f / 32768.0f) << "the second buffer goes on where the first ended";
    EXPECT_EQ(second.Channel(0)[1500 - 1024], 0.0f) << "what the device lacks is silence";
    EXPECT_EQ(second.buffer.validFrames, 1024);
    int16_t rest[2];
    EXPECT_EQ(device.Take(rest, 1), 0u) << "every frame delivered was taken";
    SxFeedAudioInputFromCapture(nullptr);
    Source silent;
    Buffer none(0x3);
    silent.source->Execute(&none.buffer);
    EXPECT_EQ(none.buffer.state, SX_Fail) << "without callbacks the source has nothing to play";
}

}  // namespace
}  // namespace fxtest

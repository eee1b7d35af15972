// A packed Vorbis sound posted as an event plays through a voice like PCM: its tone reaches
// the device at its pitch and for its length, once or looped.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "VorbisFixture.h"
#include "platform/audio/AudioTestControl.h"
#include "platform/os/Clock.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/hierarchy/SxPropBundle.h"
#include "sound/engine/index/CSxIndexable.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/playing/SxCallbackTypes.h"
#include "sound/engine/vorbis/CSxSrcBankVorbis.h"
#include "tests/sound/engine/SxMediaMap.h"
#include "tools/bankwriter/BankWriter.h"

namespace {

using namespace SX;
namespace bw = bankwriter;
namespace control = platform::audio::control;

constexpr SxUniqueID kSound = 100, kEvent = 1000, kMedia = 77;

sxtest::SxMediaMap::Media g_mediaByID;
std::vector<uint8_t>& g_media = g_mediaByID[kMedia];
std::vector<SxPlayingID> g_ended;

void OnEvent(SxCallbackType type, SxCallbackInfo* info) {
    if (type == SxCallback_EndOfEvent) g_ended.push_back(info->playingID);
}

class VorbisVoice : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset();
        SxMemoryMgrSettings settings;
        settings.maxPools = 8;
        ASSERT_EQ(MemoryMgr::Init(&settings), SX_Success);
        ASSERT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success);
        ASSERT_EQ(RegisterVorbisCodec(), SX_Success);
        g_pAudioMgr->StopThread();
        g_ended.clear();
    }
    void TearDown() override {
        {
            platform::Lock lock(g_csMain);
            for (CSxIndexable* object : loaded) object->Release();
            loaded.clear();
        }
        SoundEngine::Term();
        MemoryMgr::Term();
        g_media.clear();
        control::Reset();
    }
    void LoadSound(int loops) {
        bw::Source source;
        source.pluginID = 4u << 16 | 1;
        source.mediaID = kMedia;
        source.size = static_cast<uint32_t>(g_media.size());
        bw::NodeBase node;
        node.props = {bw::PropI(SxProp_LoopCount, loops)};
        const bw::Bytes chunk = bw::HircChunk({
            bw::Record(SxHirc_Sound, bw::SoundBody(kSound, source, node)),
            bw::Record(SxHirc_Action, bw::ActionBody(kEvent + 1, 0x0403, kSound, {}, {}, bw::PlayParams(4, 0))),
            bw::Record(SxHirc_Event, bw::EventBody(kEvent, {kEvent + 1})),
        });
        ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
        SoundEngine::RegisterGameObj(5);
    }
    // The device's left channel until the event ends and a few frames after.
    std::vector<float> PlayAndCapture(SxPlayingID& id) {
        control::StartCapture();
        id = SoundEngine::PostEvent(kEvent, 5, SxCallback_EndOfEvent, OnEvent, nullptr, 0, nullptr);
        for (uint32_t frame = 0, after = 0; frame < 300 && after < 3; ++frame) {
            SoundEngine::RenderAudio();
            clock.Advance(0.0214);
            g_pAudioMgr->Perform();
            if (!g_ended.empty()) ++after;
        }
        const std::vector<uint8_t> bytes = control::Captured();
        const uint32_t channels = control::CapturedFormat().channels;
        control::StopCapture();
        std::vector<float> left(bytes.size() / 2 / channels);
        for (size_t i = 0; i < left.size(); ++i) {
            int16_t s;
            std::memcpy(&s, &bytes[i * channels * 2], 2);
            left[i] = s / 32768.0f;
        }
        return left;
    }
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    std::vector<CSxIndexable*> loaded;
    sxtest::SxMediaMap mediaMap{g_mediaByID};
    qvtest::TempTree tree;
};

TEST_F(VorbisVoice, PostedEventPlaysThePackedToneForItsLengthAndLoops) {
    const uint32_t frames = 16000;  // a third of a second
    double lengths[2] = {};
    for (int loops : {1, 3}) {
        SCOPED_TRACE(loops);
        TearDown();
        SetUp();
        std::vector<int16_t> samples(frames);
        for (uint32_t i = 0; i < frames; ++i)
            samples[i] =
                static_cast<int16_t>(std::lrint(0.5 * 32767 * std::sin(2 * 3.14159265358979 * 1000.0 * i / 48000)));
        g_media = vorbistest::Pack(vorbistest::Encode(tree, samples, 1, 48000, 5), true);
        LoadSound(loops);
        SxPlayingID id = 0;
        const std::vector<float> left = PlayAndCapture(id);
        ASSERT_NE(id, 0u);
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
        // Where the tone is heard, and its pitch by its rising zero crossings.
        size_t first = left.size(), last = 0, crossings = 0;
        for (size_t i = 1; i < left.size(); ++i) {
            if (std::fabs(left[i]) > 0.1f) {
                first = std::min(first, i);
                last = i;
            }
            if (left[i - 1] < 0.0f && left[i] >= 0.0f && std::fabs(left[i] - left[i - 1]) > 0.01f) ++crossings;
        }
        ASSERT_LT(first, last);
        // The voice's first and last frames fade, as for PCM.
        EXPECT_NEAR(double(last - first), double(frames) * loops, 1000.0);
        lengths[loops == 3] = double(last - first);
        EXPECT_NEAR(crossings * 48000.0 / (last - first), 1000.0, 10.0);
    }
    // Each pass after the first adds exactly the file's frames: the loop neither drops nor
    // repeats a packet's worth.
    EXPECT_NEAR(lengths[1] - lengths[0], 2.0 * frames, 50.0);
}

}  // namespace

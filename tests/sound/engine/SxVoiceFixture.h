#pragma once
// A sound engine whose output is the captured device, sounds loaded from bank records written
// by the bank writer with media from the media writer, and the measures of a tone taken on what
// reached the device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/os/Clock.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/audio/SxExternalSources.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/hierarchy/SxPropBundle.h"
#include "sound/engine/index/CSxIndexable.h"
#include "sound/engine/listener/SxSpeakerVolumes.h"
#include "sound/engine/lower/SxMixKernels.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/playing/SxCallbackTypes.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "sound/engine/voice/CSxVoiceMgr.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tools/bankwriter/BankWriter.h"
#include "tests/sound/engine/SxMediaMap.h"
#include "tools/mediawriter/MediaWriter.h"

namespace sxtest {

using namespace SX;
namespace bw = bankwriter;
namespace control = platform::audio::control;

constexpr SxUniqueID kSound = 100, kEvent = 1000, kMedia = 77;
constexpr SxGameObjectID kGameObject = 5;
constexpr double kPi = 3.14159265358979323846;

// Media by ID for the sources; g_media is the media of kMedia.
inline std::map<SxUniqueID, std::vector<uint8_t>> g_mediaByID;
inline std::vector<uint8_t>& g_media = g_mediaByID[kMedia];
inline std::vector<SxPlayingID> g_ended;
inline std::vector<std::string> g_markers;

inline void OnEvent(SxCallbackType type, SxCallbackInfo* info) {
    if (type == SxCallback_EndOfEvent) g_ended.push_back(info->playingID);
    if (type == SxCallback_Marker) {
        const char* label = static_cast<SxMarkerCallbackInfo*>(info)->marker.strLabel;
        g_markers.push_back(label ? label : "");
    }
}

class VoiceFixture : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset();
        SxMemoryMgrSettings settings;
        settings.maxPools = 8;
        ASSERT_EQ(MemoryMgr::Init(&settings), SX_Success);
        ASSERT_EQ(SoundEngine::Init(&initSettings, platformSettings), SX_Success);
        g_pAudioMgr->StopThread();
        g_ended.clear();
        g_markers.clear();
    }
    void TearDown() override {
        {
            platform::Lock lock(g_csMain);
            for (CSxIndexable* object : loaded) object->Release();
            loaded.clear();
        }
        SoundEngine::Term();
        MemoryMgr::Term();
        for (auto& media : g_mediaByID) media.second.clear();
        control::Reset();
    }
    void LoadSound(const std::vector<bw::Prop>& props, uint32_t codec = 1, const bw::AdvancedSettings& advanced = {}) {
        bw::NodeBase node;
        node.props = props;
        node.advanced = advanced;
        LoadSoundNode(node, codec);
    }
    // The sound of an ID with its media of an ID, played by an event of an ID.
    void LoadSoundNode(const bw::NodeBase& node, uint32_t codec, SxUniqueID sound = kSound, SxUniqueID event = kEvent,
                       SxUniqueID media = kMedia) {
        bw::Source source;
        source.pluginID = codec << 16 | 1;
        source.mediaID = media;
        source.size = static_cast<uint32_t>(g_mediaByID[media].size());
        LoadSource(source, node, sound, event);
    }
    void LoadSource(const bw::Source& source, const std::vector<bw::Prop>& props,
                    const bw::AdvancedSettings& advanced = {}) {
        bw::NodeBase node;
        node.props = props;
        node.advanced = advanced;
        LoadSource(source, node, kSound, kEvent);
    }
    void LoadSource(const bw::Source& source, const bw::NodeBase& node, SxUniqueID sound, SxUniqueID event) {
        const bw::Bytes chunk = bw::HircChunk({
            bw::Record(SxHirc_Sound, bw::SoundBody(sound, source, node)),
            bw::Record(SxHirc_Action, bw::ActionBody(event + 1, 0x0403, sound, {}, {}, bw::PlayParams(4, 0))),
            bw::Record(SxHirc_Event, bw::EventBody(event, {event + 1})),
        });
        ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
        SoundEngine::RegisterGameObj(kGameObject);
    }
    // Records beside the sounds: buses, effects.
    void LoadRecords(const std::vector<bw::Bytes>& records) {
        const bw::Bytes chunk = bw::HircChunk(records);
        ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
    }
    // One audio frame: the batch is rendered and the clock moves on.
    void Frame() {
        SoundEngine::RenderAudio();
        clock.Advance(0.0214);
        g_pAudioMgr->Perform();
    }
    // The device's left channel captured so far, as floats; capture stops.
    std::vector<float> TakeLeft() {
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
    // Frames until the event ends and a few after, capturing the device's left channel.
    std::vector<float> PlayAndCapture(SxPlayingID& id, uint32_t maxFrames = 200,
                                      const SxExternalSourceInfo* external = nullptr) {
        control::StartCapture();
        id = SoundEngine::PostEvent(kEvent, kGameObject, SxCallback_EndOfEvent | SxCallback_Marker, OnEvent, nullptr,
                                    external ? 1 : 0, external);
        for (uint32_t frame = 0, after = 0; frame < maxFrames && after < 3; ++frame) {
            Frame();
            if (!g_ended.empty()) ++after;
        }
        return TakeLeft();
    }
    // The engine's settings: a test changes them before SetUp; null platform settings: the defaults.
    SxInitSettings initSettings;
    SxPlatformInitSettings* platformSettings = nullptr;
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    std::vector<CSxIndexable*> loaded;
    SxMediaMap mediaMap{g_mediaByID};
};

struct Tone {
    size_t first = 0, last = 0;  // frames where the envelope is above half its peak
    double frequency = 0.0, peak = 0.0, largestStep = 0.0;
};

inline Tone Measure(const std::vector<float>& x) {
    Tone t;
    for (float v : x) t.peak = std::max<double>(t.peak, std::fabs(v));
    const size_t window = 480;
    bool found = false;
    for (size_t w = 0; w + window <= x.size(); w += window) {
        double top = 0.0;
        for (size_t i = w; i < w + window; ++i) top = std::max<double>(top, std::fabs(x[i]));
        if (top > t.peak * 0.5) {
            if (!found) t.first = w;
            found = true;
            t.last = w + window;
        }
    }
    // Frequency and smoothness inside the tone, away from its fades.
    const size_t from = t.first + 2048, to = t.last > 2048 + from ? t.last - 2048 : from;
    double firstCross = -1, lastCross = -1;
    int crossings = 0;
    for (size_t i = from + 1; i < to; ++i) {
        if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
            const double c = (i - 1) + x[i - 1] / (x[i - 1] - x[i]);
            if (firstCross < 0)
                firstCross = c;
            else
                ++crossings;
            lastCross = c;
        }
        if (i + 1 < to) t.largestStep = std::max(t.largestStep, std::fabs(double(x[i + 1]) - 2.0 * x[i] + x[i - 1]));
    }
    t.frequency = crossings ? crossings * 48000.0 / (lastCross - firstCross) : 0.0;
    return t;
}

// The largest magnitude over [from, to) of the captured samples.
inline double PeakOf(const std::vector<float>& x, size_t from, size_t to) {
    double peak = 0.0;
    for (size_t i = from; i < std::min(to, x.size()); ++i) peak = std::max<double>(peak, std::fabs(x[i]));
    return peak;
}

// The device's left-channel gain of a centred mono voice at a volume: the speaker volumes and
// the stereo fold the mix applies.
inline double LeftGain(float volumeDb) {
    SxVoiceVolumeParams params;
    params.channelMask = 0x4;
    params.volumeDb = volumeDb;
    SxVoiceVolumes volumes;
    SxComputeSpeakerVolumes(params, volumes);
    SxSpeakerGains gains;
    for (int s = 0; s < 6; ++s) gains.current[s] = gains.previous[s] = volumes.dry[0][s];
    std::vector<float> one(1024, 1.0f), stereo(2048, 0.0f);
    SxMixKernels::MixIntoStereo(one.data(), stereo.data(), 1024, gains, 0);
    return stereo[512];
}

}  // namespace sxtest

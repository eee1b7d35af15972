#pragma once
// A sound engine stepped frame by frame by the test, with the music engine, its hierarchy read
// from music records, media of constant levels (so that each segment is told apart by its level
// on the device) and the device's left channel captured with every music callback's sample.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <vector>

#include "platform/os/Clock.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/index/CSxIndexable.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/playing/SxCallbackTypes.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/music/CSxMusicRenderer.h"
#include "sound/music/SxMusicEngine.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxMediaMap.h"
#include "tools/bankwriter/MusicRecords.h"
#include "tools/mediawriter/MediaWriter.h"

namespace sxtest {

namespace bw = bankwriter;

struct MusicCallback {
    int64_t sample;  // from the first captured sample
    uint32_t type;
    bool operator==(const MusicCallback& o) const { return sample == o.sample && type == o.type; }
    bool operator<(const MusicCallback& o) const { return sample != o.sample ? sample < o.sample : type < o.type; }
};

inline std::ostream& operator<<(std::ostream& os, const MusicCallback& c) {
    return os << "{" << c.sample << ", 0x" << std::hex << c.type << std::dec << "}";
}

class MusicPlayEngine : public ::testing::Test {
protected:
    static constexpr SX::SxGameObjectID kObject = 5;

    void SetUp() override {
        platform::audio::control::Reset();
        SX::SxMemoryMgrSettings settings;
        settings.maxPools = 8;
        ASSERT_EQ(SX::MemoryMgr::Init(&settings), SX::SX_Success);
        ASSERT_EQ(SX::SoundEngine::Init(&initSettings, nullptr), SX::SX_Success);
        SX::g_pAudioMgr->StopThread();
        SX::SxTimingSettings::SetSampleRate(48000);
        ASSERT_EQ(SX::MusicEngine::Init(nullptr), SX::SX_Success);
        SX::SoundEngine::RegisterGameObj(kObject);
        s_self = this;
    }
    void TearDown() override {
        // The music stops in the frames after a stop-all, so that Term has nothing to wait for.
        SX::SoundEngine::StopAll();
        for (int i = 0; i < 2; ++i) Frame();
        SX::MusicEngine::Term();
        {
            platform::Lock lock(SX::g_csMain);
            for (SX::CSxIndexable* object : loaded) object->Release();
            loaded.clear();
        }
        SX::SoundEngine::Term();
        SX::MemoryMgr::Term();
        s_media.clear();
        s_self = nullptr;
        platform::audio::control::Reset();
    }

    // Media of one constant level for ms milliseconds.
    static bw::Source Level(uint32_t mediaID, float level, double ms) {
        QV::media::Signal signal;
        signal.samples.assign(static_cast<size_t>(ms * 48.0), level);
        s_media[mediaID] = QV::media::Build(signal, QV::media::Encoding::Pcm16);
        bw::Source source;
        source.pluginID = 1 << 16 | 1;  // PCM
        source.mediaID = mediaID;
        source.size = static_cast<uint32_t>(s_media[mediaID].size());
        return source;
    }
    // A segment with one track holding one clip of the whole media, from the segment's start.
    std::vector<bw::Bytes> Segment(uint32_t id, float level, double durationMs, std::vector<bw::Cue> cues,
                                   uint32_t parent, bw::MusicNode node = {}) {
        bw::MusicTrack track;
        track.sources = {Level(id + 1000, level, durationMs)};
        track.clips = {{0, id + 1000, 0.0, 0.0, 0.0, durationMs}};
        track.node.parentID = id;
        node.node.parentID = parent;
        node.children = {id + 500};
        return {bw::Record(bw::Hirc_MusicTrack, bw::MusicTrackBody(id + 500, track)),
                bw::Record(bw::Hirc_MusicSegment, bw::MusicSegmentBody(id, node, durationMs, cues))};
    }
    // Node block at 120 beats per minute in 4/4 with a grid line every half second.
    static bw::MusicNode Grid(std::vector<uint32_t> children) {
        bw::MusicNode node;
        node.children = std::move(children);
        node.overrideGrid = true;
        node.tempo = 120.0f;
        node.gridPeriodMs = 500.0;
        return node;
    }
    void Load(std::vector<bw::Bytes> records, uint32_t eventID, uint32_t target) {
        records.push_back(
            bw::Record(SX::SxHirc_Action, bw::ActionBody(eventID + 1, 0x0403, target, {}, {}, bw::PlayParams(4, 0))));
        records.push_back(bw::Record(SX::SxHirc_Event, bw::EventBody(eventID, {eventID + 1})));
        const bw::Bytes chunk = bw::HircChunk(records);
        ASSERT_EQ(SX::SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX::SX_Success);
    }

    SX::SxPlayingID Post(uint32_t eventID, uint32_t flags) {
        platform::audio::control::StartCapture();
        callbacks.clear();
        ended = false;
        frames = 0;
        startFrame = SX::g_uSxAudioFrameCounter;
        return SX::SoundEngine::PostEvent(eventID, kObject, flags | SX::SxCallback_EndOfEvent, OnCallback, nullptr);
    }
    // One audio frame; the frame's posts and state changes reach the engine first.
    void Frame() {
        SX::SoundEngine::RenderAudio();
        clock.Advance(1024.0 / 48000.0);
        SX::g_pAudioMgr->Perform();
        ++frames;
    }
    // The sample of the capture at which the next frame starts.
    int64_t NextFrameSample() const { return static_cast<int64_t>(SX::g_uSxAudioFrameCounter - startFrame) * 1024; }
    // The left channel captured so far, full scale 1.
    static std::vector<float> Captured() {
        const std::vector<uint8_t> bytes = platform::audio::control::Captured();
        const uint32_t channels = platform::audio::control::CapturedFormat().channels;
        std::vector<float> left(channels ? bytes.size() / 2 / channels : 0);
        for (size_t i = 0; i < left.size(); ++i) {
            int16_t s;
            std::memcpy(&s, &bytes[i * channels * 2], 2);
            left[i] = s / 32768.0f;
        }
        return left;
    }

    static void OnCallback(SX::SxCallbackType type, SX::SxCallbackInfo* info) {
        if (!s_self) return;
        if (type == SX::SxCallback_EndOfEvent) {
            s_self->ended = true;
            return;
        }
        // Only the music sync types carry the sync information.
        if (!(type & 0xFF00)) return;
        const auto* sync = static_cast<SX::SxMusicSyncCallbackInfo*>(info);
        const int64_t frame = static_cast<int64_t>(SX::g_uSxAudioFrameCounter - s_self->startFrame);
        s_self->callbacks.push_back({frame * 1024 + sync->frameOffset, sync->syncType});
    }

    // The engine's settings: a test changes them before SetUp.
    SX::SxInitSettings initSettings;
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    std::vector<SX::CSxIndexable*> loaded;
    std::vector<MusicCallback> callbacks;
    bool ended = false;
    uint32_t frames = 0;
    uint32_t startFrame = 0;
    static inline std::map<uint32_t, std::vector<uint8_t>> s_media;
    static inline MusicPlayEngine* s_self = nullptr;
    SxMediaMap mediaMap{s_media};
};

// The first sample from `from` on whose level differs from `level` by more than a step of 16-bit
// rounding; -1 when none does.
inline int64_t FirstDeparture(const std::vector<float>& x, size_t from, float level) {
    for (size_t i = from; i < x.size(); ++i)
        if (std::fabs(x[i] - level) > 2.0f / 32768.0f) return static_cast<int64_t>(i);
    return -1;
}

}  // namespace sxtest

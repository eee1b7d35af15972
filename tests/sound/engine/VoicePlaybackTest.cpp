// Events posted to a sound engine whose output is the device, and the tone measured on what
// reached it.
#include "SxVoiceFixture.h"
#include "tests/sound/engine/SxRenderProbes.h"

using namespace sxtest;

namespace {

using VoicePlayback = VoiceFixture;

TEST_F(VoicePlayback, PostedEventPlaysItsToneAtThePitchLevelAndLengthOfItsSound) {
    struct Case {
        const char* what;
        QV::media::Encoding encoding;
        uint32_t mask;
        float cents, volumeDb;
        int loops;
    } cases[] = {
        {"16-bit mono", QV::media::Encoding::Pcm16, 0x4, 0.0f, 0.0f, 1},
        {"float stereo", QV::media::Encoding::Float32, 0x3, 0.0f, 0.0f, 1},
        {"ADPCM mono", QV::media::Encoding::Adpcm, 0x4, 0.0f, 0.0f, 1},
        {"an octave up", QV::media::Encoding::Pcm16, 0x4, 1200.0f, 0.0f, 1},
        {"a fifth down, quieter", QV::media::Encoding::Pcm16, 0x4, -700.0f, -6.0f, 1},
        {"three passes", QV::media::Encoding::Pcm16, 0x4, 0.0f, 0.0f, 3},
    };
    // A third of a second of whole cycles and whole blocks, so that it loops without a step.
    const uint32_t frames = 64 * 249;
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        QV::media::Signal signal = QV::media::Sine(1000.0, 0.5, frames, 48000, c.mask);
        signal.cues = {{1, 4800, "here"}};
        g_media = QV::media::Build(signal, c.encoding);
        LoadSound({bw::PropF(SxProp_Pitch, c.cents), bw::PropF(SxProp_Volume, c.volumeDb),
                   bw::PropI(SxProp_LoopCount, c.loops)},
                  c.encoding == QV::media::Encoding::Adpcm ? 2 : 1);
        SxPlayingID id = 0;
        const std::vector<float> left = PlayAndCapture(id);
        ASSERT_NE(id, 0u) << c.what;
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id}) << c.what << ": the end is notified once";
        EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), 0u) << c.what;
        EXPECT_EQ(qvtest::VoiceProbe::VoiceCount(), 0u) << c.what;
        EXPECT_EQ(g_markers, std::vector<std::string>(c.loops, "here")) << c.what;

        const Tone tone = Measure(left);
        const double ratio = std::pow(2.0, c.cents / 1200.0);
        EXPECT_NEAR(tone.frequency, 1000.0 * ratio, 1000.0 * ratio * 0.003) << c.what;
        const double length = frames * c.loops / ratio;
        EXPECT_NEAR(double(tone.last - tone.first), length, 1000.0) << c.what;
        // Stereo media put each channel on its own speaker at full gain.
        const double gain = c.mask == 0x3 ? 1.0 : LeftGain(c.volumeDb);
        EXPECT_NEAR(tone.peak, 0.5 * gain, 0.5 * gain * 0.03) << c.what;
        // ADPCM's own noise is rougher than any step the mix could add: its blocks are checked
        // against their decoder elsewhere.
        if (c.encoding == QV::media::Encoding::Adpcm) continue;
        const double w = 2 * kPi * 1000.0 * ratio / 48000.0;
        EXPECT_LT(tone.largestStep, 0.5 * gain * w * w * 1.5 + 4.0 / 32768) << c.what << ": no clicks";
    }
}

TEST_F(VoicePlayback, ExternalSourceInMemoryPlaysInPlaceOfItsPlaceholder) {
    bw::Source placeholder;
    placeholder.pluginID = 0x00080001;  // resolved at play time by its cookie
    placeholder.streamType = 1;
    placeholder.fileID = 42;
    LoadSource(placeholder, {});
    std::vector<uint8_t> media =
        QV::media::Build(QV::media::Sine(500.0, 0.5, 64 * 300, 48000, 0x3), QV::media::Encoding::Adpcm);
    const SxExternalSourceInfo entry{42, 2, nullptr, media.data(), static_cast<uint32_t>(media.size()), 0};
    SxPlayingID id = 0;
    const std::vector<float> left = PlayAndCapture(id, 200, &entry);
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
    const Tone tone = Measure(left);
    EXPECT_NEAR(tone.frequency, 500.0, 1.5);
    EXPECT_NEAR(double(tone.last - tone.first), 64.0 * 300, 1000.0);
    EXPECT_NEAR(tone.peak, 0.5, 0.03);
}

TEST_F(VoicePlayback, SeekMovesThePlayingSoundAndItEndsSoonerBySoMuch) {
    struct Case {
        const char* what;
        QV::media::Encoding encoding;
        bool byFraction;
    } cases[] = {{"PCM by time", QV::media::Encoding::Pcm16, false},
                 {"ADPCM by time", QV::media::Encoding::Adpcm, false},
                 {"PCM by fraction", QV::media::Encoding::Pcm16, true}};
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, 48000, 48000, 0x4), c.encoding);
        LoadSound({}, c.encoding == QV::media::Encoding::Adpcm ? 2 : 1);
        control::StartCapture();
        const SxPlayingID id = SoundEngine::PostEvent(kEvent, 5, SxCallback_EndOfEvent, OnEvent);
        for (int frame = 0; frame < 60; ++frame) {
            if (frame == 2) {
                // 0.6 s in: 28800 of the 48000 frames.
                if (c.byFraction)
                    SoundEngine::SeekOnEvent(kEvent, 5, 0.6f);
                else
                    SoundEngine::SeekOnEvent(kEvent, 5, int32_t(600));
            }
            SoundEngine::RenderAudio();
            clock.Advance(0.0214);
            g_pAudioMgr->Perform();
        }
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id}) << c.what;
        const std::vector<uint8_t> bytes = control::Captured();
        control::StopCapture();
        std::vector<float> left(bytes.size() / 4);
        for (size_t i = 0; i < left.size(); ++i) {
            int16_t v;
            std::memcpy(&v, &bytes[i * 4], 2);
            left[i] = v / 32768.0f;
        }
        const Tone tone = Measure(left);
        // A frame or two before the seek, then the last 19200 frames.
        EXPECT_NEAR(double(tone.last - tone.first), 19200.0 + 2048.0, 1600.0) << c.what;
    }
}

TEST_F(VoicePlayback, VoiceBelowTheThresholdKeepsPlayingStopsOrGoesVirtualAsItsNodeSays) {
    // A third of a second: 16 frames of output.
    struct Case {
        const char* what;
        uint8_t belowThreshold, resume;
        int endsAtFrame;  // -1: still playing after 40 frames
        bool virtualVoice;
        float cents = 0.0f;
    } cases[] = {
        {"keeps playing", 0, 0, 16, false},
        {"stops after one more frame", 1, 0, 2, false},
        {"virtual, time runs on", 2, 1, 16, true},
        {"virtual an octave up, time runs on twice as fast", 2, 1, 8, true, 1200.0f},
        {"virtual, resumes where it was", 2, 2, -1, true},
        {"virtual, restarts when heard", 2, 0, -1, true},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, 64 * 249, 48000, 0x4), QV::media::Encoding::Pcm16);
        bw::AdvancedSettings advanced;
        advanced.belowThresholdBehavior = c.belowThreshold;
        advanced.virtualQueueBehavior = c.resume;
        advanced.overrideVirtual = true;
        LoadSound({bw::PropF(SxProp_Volume, -120.0f), bw::PropF(SxProp_Pitch, c.cents)}, 1, advanced);
        const SxPlayingID id = SoundEngine::PostEvent(kEvent, 5, SxCallback_EndOfEvent, OnEvent);
        int endedAt = -1;
        bool sawVirtual = false;
        for (int frame = 0; frame < 40 && endedAt < 0; ++frame) {
            SoundEngine::RenderAudio();
            clock.Advance(0.0214);
            g_pAudioMgr->Perform();
            sawVirtual = sawVirtual || qvtest::URendererProbe::VirtualCount() == 1;
            if (!g_ended.empty()) endedAt = frame;
        }
        if (c.endsAtFrame < 0) {
            EXPECT_EQ(endedAt, -1) << c.what;
            EXPECT_EQ(qvtest::VoiceProbe::VoiceCount(), 1u) << c.what;
        } else {
            EXPECT_NEAR(endedAt, c.endsAtFrame, 1) << c.what;
            EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id}) << c.what;
        }
        EXPECT_EQ(sawVirtual, c.virtualVoice) << c.what;
    }
}

// The first sample that reached the device non-zero.
size_t FirstSound(const std::vector<float>& x) {
    for (size_t i = 0; i < x.size(); ++i)
        if (x[i] != 0.0f) return i;
    return x.size();
}

TEST_F(VoicePlayback, StartOffsetDelaysTheSoundByExactlyItsFrames) {
    // The offset is counted once: whole frames hold the voice back, the rest is silence
    // inside its first frame.
    g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, 4800, 48000, 0x4), QV::media::Encoding::Pcm16);
    LoadSound({});
    size_t first[2] = {};
    const uint32_t offsets[2] = {0, 2500};
    for (int run = 0; run < 2; ++run) {
        g_ended.clear();
        control::StartCapture();
        const SxPlayingID id = SoundEngine::PostEvent(kEvent, 5, SxCallback_EndOfEvent, OnEvent);
        SoundEngine::RenderAudio();
        g_pAudioMgr->Perform();  // the play action runs; its voice starts with the next frame
        ASSERT_EQ(qvtest::URendererProbe::ActiveCount(), 1u);
        CSxURenderer::FirstActive()->SetSampleOffset(offsets[run]);
        for (int frame = 0; frame < 20; ++frame) {
            SoundEngine::RenderAudio();
            clock.Advance(0.0214);
            g_pAudioMgr->Perform();
        }
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
        const std::vector<uint8_t> bytes = control::Captured();
        control::StopCapture();
        std::vector<float> left(bytes.size() / 4);
        for (size_t i = 0; i < left.size(); ++i) {
            int16_t v;
            std::memcpy(&v, &bytes[i * 4], 2);
            left[i] = v;
        }
        first[run] = FirstSound(left);
        ASSERT_LT(first[run], left.size());
    }
    EXPECT_NEAR(double(first[1]) - double(first[0]), 2500.0, 1.0);
}

TEST_F(VoicePlayback, MediaThatCannotPlayEndsTheEventInSilence) {
    QV::media::Signal signal = QV::media::Sine(1000.0, 0.5, 4800, 48000, 0x4);
    g_media = QV::media::Build(signal, QV::media::Encoding::Pcm16);
    g_media[20] = 1;  // a format tag no source plays
    LoadSound({});
    SxPlayingID id = 0;
    const std::vector<float> left = PlayAndCapture(id, 10);
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
    for (float v : left) ASSERT_EQ(v, 0.0f);
    EXPECT_EQ(qvtest::VoiceProbe::VoiceCount(), 0u);
}

}  // namespace

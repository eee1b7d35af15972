// A packed Vorbis sound posted as an event plays through a voice like PCM: its tone reaches
// the device at its pitch and for its length, once or looped.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "VorbisFixture.h"
#include "sound/engine/vorbis/CSxSrcBankVorbis.h"
#include "tests/sound/engine/SxVoiceFixture.h"

namespace {

using namespace SX;
namespace bw = bankwriter;
using sxtest::g_ended;
using sxtest::g_media;

// The voice fixture with the Vorbis codec registered, and a tree for the encoder's files.
class VorbisVoice : public sxtest::VoiceFixture {
protected:
    void SetUp() override {
        VoiceFixture::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(RegisterVorbisCodec(), SX_Success);
    }
    void LoadSound(int loops) { VoiceFixture::LoadSound({bw::PropI(SxProp_LoopCount, loops)}, 4); }
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
        const std::vector<float> left = PlayAndCapture(id, 300);
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

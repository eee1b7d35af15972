// Voices whose plays were queued in one frame start on one output sample, even when one of
// them streams its media and takes frames to fill: a layered sound does not flam.
#include "SxMemoryStreams.h"
#include "SxVoiceFixture.h"

using namespace sxtest;

namespace {

constexpr SxUniqueID kStreamed = 101, kFile = 88;
constexpr SxUniqueID kBoth = 2000, kInMemoryOnly = 2100, kStreamedOnly = 2200;

class GroupedStart : public VoiceFixture {
protected:
    void SetUp() override {
        VoiceFixture::SetUp();
        ISxStreamMgr::m_pStreamMgr = &streams;
    }
    void TearDown() override {
        VoiceFixture::TearDown();
        ISxStreamMgr::m_pStreamMgr = nullptr;
    }
    static std::vector<uint8_t> Level(float level) {
        QV::media::Signal signal;
        signal.samples.assign(48000, level);
        return QV::media::Build(signal, QV::media::Encoding::Pcm16);
    }
    // A level of 0.2 from memory, one of 0.3 streamed; an event plays both, one each alone.
    void Load(uint32_t notReady) {
        g_media = Level(0.2f);
        streams.files[kFile] = Level(0.3f);
        streams.notReady = notReady;
        bw::Source inMemory;
        inMemory.pluginID = 1 << 16 | 1;
        inMemory.mediaID = kMedia;
        inMemory.size = static_cast<uint32_t>(g_media.size());
        bw::Source streamed;
        streamed.pluginID = 1 << 16 | 1;
        streamed.streamType = 1;
        streamed.fileID = kFile;
        streamed.mediaID = kFile;
        auto play = [](SxUniqueID id, SxUniqueID sound) {
            return bw::Record(SxHirc_Action, bw::ActionBody(id, 0x0403, sound, {}, {}, bw::PlayParams(4, 0)));
        };
        const bw::Bytes chunk = bw::HircChunk({
            bw::Record(SxHirc_Sound, bw::SoundBody(kSound, inMemory, bw::NodeBase())),
            bw::Record(SxHirc_Sound, bw::SoundBody(kStreamed, streamed, bw::NodeBase())),
            play(kBoth + 1, kSound),
            play(kBoth + 2, kStreamed),
            bw::Record(SxHirc_Event, bw::EventBody(kBoth, {kBoth + 1, kBoth + 2})),
            bw::Record(SxHirc_Event, bw::EventBody(kInMemoryOnly, {kBoth + 1})),
            bw::Record(SxHirc_Event, bw::EventBody(kStreamedOnly, {kBoth + 2})),
        });
        ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
        SoundEngine::RegisterGameObj(kGameObject);
    }
    MemoryStreams streams;
};

TEST_F(GroupedStart, VoicesQueuedInOneFrameStartOnOneSample) {
    // Each voice rises from silence over its first frame: started together, the first frame
    // ends at the level of both.
    struct Case {
        const char* what;
        bool oneFrame;
        uint32_t notReady;
        bool together;
    } cases[] = {
        {"one event, the stream filling for three requests", true, 3, true},
        {"one event, the stream ready at once", true, 0, true},
        {"two events in two frames: two starts", false, 3, false},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        Load(c.notReady);
        control::StartCapture();
        if (c.oneFrame) {
            SoundEngine::PostEvent(kBoth, kGameObject);
        } else {
            SoundEngine::PostEvent(kInMemoryOnly, kGameObject);
            Frame();
            SoundEngine::PostEvent(kStreamedOnly, kGameObject);
        }
        for (int frame = 0; frame < 20; ++frame) Frame();
        const std::vector<float> left = TakeLeft();
        size_t start = 0;
        while (start < left.size() && left[start] == 0.0f) ++start;
        ASSERT_LT(start + 8000, left.size()) << c.what;
        const double both = 0.5 * LeftGain(0.0f);
        EXPECT_NEAR(left[start + 8000], both, both * 0.01) << c.what;
        const double endOfFirstFrame = c.together ? both : 0.2 * LeftGain(0.0f);
        EXPECT_NEAR(left[start + 1023], endOfFirstFrame, both * 0.01) << c.what;
    }
}

}  // namespace

// Sounds whose audio a source plug-in makes, loaded from a bank file and posted through the
// Manager: the sine heard at its frequency, level and length, only on its first channel; the
// silence playing for its length with nothing on any channel; the tone generator heard.
#include <gtest/gtest.h>

#include <atomic>

#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/plugins/effects/SxFxObject.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/system/SoundSystemFixture.h"

using namespace soundtest;
namespace control = platform::audio::control;
namespace bw = bankwriter;

namespace {

bw::Bytes Floats(std::initializer_list<float> values, uint32_t mask) {
    bw::Writer w;
    for (float v : values) w.F32(v);
    if (mask) w.U32(mask);
    return w.Take();
}

// A sound playing the plug-in with its block, and the event "Play_<name>" that plays it.
void AddPluginSound(bw::BankFile& bank, const std::string& name, uint32_t pluginID, bw::Bytes block,
                    SX::SxPluginType type = SX::SxPluginType_Source) {
    bw::Source source;
    source.pluginID = SX::SxPluginKey(type, 0, pluginID);
    source.pluginParams = std::move(block);
    const std::string sound = name + "_Sound", event = "Play_" + name;
    bank.records.push_back(bw::Record(SX::SxHirc_Sound, bw::SoundBody(ID(sound.c_str()), source, bw::NodeBase())));
    bank.records.push_back(bw::Record(
        SX::SxHirc_Action,
        bw::ActionBody(ID((event + ".play").c_str()), 0x0403, ID(sound.c_str()), {}, {}, bw::PlayParams(4, bank.id))));
    bank.records.push_back(
        bw::Record(SX::SxHirc_Event, bw::EventBody(ID(event.c_str()), {ID((event + ".play").c_str())})));
}

constexpr uint32_t kLayoutSourceID = 900;

std::string PluginBank() {
    bw::BankFile bank;
    bank.id = ID("Synths");
    AddPluginSound(bank, "Sine", 100, Floats({1000.0f, -6.0f, 0.5f}, 0x4));
    AddPluginSound(bank, "Left_Sine", 100, Floats({500.0f, -6.0f, 0.5f}, 0x3));
    AddPluginSound(bank, "Silence", 101, Floats({0.5f, 0.0f, 0.0f}, 0));
    AddPluginSound(bank, "ToneGen", 102, {});
    AddPluginSound(bank, "Cut_Sine", 100, {0, 0, 0x7A, 0x44, 0, 0, 0});
    AddPluginSound(bank, "Unknown_Plugin", 999, {});
    AddPluginSound(bank, "Layout_51", kLayoutSourceID, Floats({}, 0x3F));
    AddPluginSound(bank, "Layout_1F", kLayoutSourceID, Floats({}, 0x1F));
    AddPluginSound(bank, "Motion", kLayoutSourceID, Floats({}, 0x4), SX::SxPluginType_MotionSource);
    return BankBytes(bank);
}

// A source that asks for the channel layout its block names and plays a tenth of a second of
// 0.25 on every channel; it remembers the rate it was offered.
std::atomic<uint32_t> g_offeredRate{0};

struct LayoutParams final : SX::ISxPluginParam {
    SX::SXRESULT SetParam(int16_t, const void*, uint32_t) override { return SX::SX_Success; }
    SX::ISxPluginParam* Clone(SX::ISxPluginMemAlloc* allocator) override {
        LayoutParams* copy = SX::SxFxNew<LayoutParams>(allocator);
        if (copy) copy->mask = mask;
        return copy;
    }
    SX::SXRESULT Init(SX::ISxPluginMemAlloc*, const void* block, uint32_t size) override {
        return SetParamsBlock(block, size);
    }
    SX::SXRESULT Term(SX::ISxPluginMemAlloc* allocator) override { return SX::SxFxDelete(this, allocator); }
    SX::SXRESULT SetParamsBlock(const void* block, uint32_t size) override {
        if (size != 4) return SX::SX_InvalidParameter;
        std::memcpy(&mask, block, 4);
        return SX::SX_Success;
    }
    uint32_t mask = 0x4;
};

struct LayoutSource final : SX::ISxSourcePlugin {
    SX::SXRESULT Term(SX::ISxPluginMemAlloc* allocator) override { return SX::SxFxDelete(this, allocator); }
    SX::SXRESULT Reset() override {
        left = 4800;
        return SX::SX_Success;
    }
    SX::SXRESULT GetPluginInfo(SX::SxPluginInfo& info) override {
        info.type = SX::SxPluginType_Source;
        return SX::SX_Success;
    }
    SX::SXRESULT Init(SX::ISxPluginMemAlloc*, SX::ISxSourcePluginContext*, SX::ISxPluginParam* params,
                      SX::SxAudioFormat& format) override {
        g_offeredRate = format.sampleRate;
        format.channelMask = static_cast<LayoutParams*>(params)->mask;
        return SX::SX_Success;
    }
    float GetDuration() const override { return 100.0f; }
    SX::SXRESULT StopLooping() override { return SX::SX_Success; }
    SX::SXRESULT Seek() override { return SX::SX_Success; }
    SX::SXRESULT TimeSkip(uint32_t&) override { return static_cast<SX::SXRESULT>(0); }
    void Execute(SX::SxAudioBuffer* buffer) override {
        const uint32_t n = std::min<uint32_t>(left, buffer->maxFrames);
        for (uint32_t c = 0; c < buffer->Channels(); ++c) std::fill_n(buffer->Channel(c), n, 0.25f);
        left -= n;
        buffer->validFrames = uint16_t(n);
        buffer->state = left ? SX::SX_DataReady : SX::SX_NoMoreData;
    }
    uint32_t left = 4800;
};

SX::ISxPlugin* CreateLayoutSource(SX::ISxPluginMemAlloc* allocator) { return SX::SxFxNew<LayoutSource>(allocator); }
SX::ISxPluginParam* CreateLayoutParams(SX::ISxPluginMemAlloc* allocator) {
    return SX::SxFxNew<LayoutParams>(allocator);
}

class PluginSources : public ManagerFrames {
protected:
    void SetUp() override {
        ManagerFrames::SetUp();
        tree.Write("Audio/Synths.bnk", PluginBank());
    }
    void RegisterLayoutSource() {
        for (SX::SxPluginType type : {SX::SxPluginType_Source, SX::SxPluginType_MotionSource})
            ASSERT_EQ(SX::SoundEngine::RegisterPlugin(type, 0, kLayoutSourceID, CreateLayoutSource, CreateLayoutParams),
                      SX::SX_Success);
    }
    // Posts the event after a few quiet frames and captures the frames after it.
    Capture Play(SD::Manager& manager, const char* event, int frames, SX::SxPlayingID* id = nullptr) {
        SX::g_pAudioMgr->StopThread();
        control::StartCapture();
        RunFrames(manager, 3);
        const size_t before = control::CapturedBytes() / 2 / control::CapturedFormat().channels;
        const SX::SxPlayingID posted = manager.PostEvent(event, 0);
        EXPECT_NE(posted, 0u) << event;
        if (id) *id = posted;
        RunFrames(manager, frames);
        Capture capture = TakeCapture();
        control::StopCapture();
        capture.left.erase(capture.left.begin(), capture.left.begin() + long(before));
        capture.right.erase(capture.right.begin(), capture.right.begin() + long(before));
        return capture;
    }
};

TEST_F(PluginSources, TheSineIsHeardAtItsFrequencyLevelAndLength) {
    SD::Manager manager(Settings("Synths.bnk"));
    manager.Init();
    ASSERT_TRUE(manager.Failures().empty());
    const Capture capture = Play(manager, "Play_Sine", 40);
    const Heard heard = Listen(capture.left);
    EXPECT_LT(heard.first, 2u * 1024u);
    EXPECT_NEAR(double(heard.last - heard.first), 24000.0, 240.0);
    EXPECT_NEAR(heard.frequency, 1000.0, 5.0);
    // -6 dB on the centre reaches each front speaker at a further -3 dB.
    EXPECT_NEAR(heard.peak, std::pow(10.0, -6.0 / 20.0) * std::sqrt(0.5), 0.01);
    EXPECT_NEAR(Listen(capture.right).peak, heard.peak, 0.01);
    RestartAudioThread();
    manager.Term();
}

TEST_F(PluginSources, AStereoSineSoundsOnTheLeftAloneAndTheRightStaysSilent) {
    SD::Manager manager(Settings("Synths.bnk"));
    manager.Init();
    const Capture capture = Play(manager, "Play_Left_Sine", 40);
    const Heard left = Listen(capture.left);
    EXPECT_NEAR(left.frequency, 500.0, 5.0);
    EXPECT_NEAR(left.peak, std::pow(10.0, -6.0 / 20.0), 0.01);
    EXPECT_EQ(Listen(capture.right).peak, 0.0);
    RestartAudioThread();
    manager.Term();
}

TEST_F(PluginSources, TheSilencePlaysForItsLengthWithNothingOnAnyChannel) {
    SD::Manager manager(Settings("Synths.bnk"));
    manager.Init();
    SX::SxPlayingID id = 0;
    const Capture during = Play(manager, "Play_Silence", 20, &id);
    EXPECT_TRUE(SX::g_pPlayingMgr->IsActive(id)) << "a voice is still playing it after 0.43 s";
    EXPECT_EQ(Listen(during.left).peak, 0.0);
    EXPECT_EQ(Listen(during.right).peak, 0.0);
    RunFrames(manager, 10);
    EXPECT_FALSE(SX::g_pPlayingMgr->IsActive(id)) << "it ended after its half second";
    RestartAudioThread();
    manager.Term();
}

TEST_F(PluginSources, TheToneGeneratorsDefaultToneIsHeard) {
    SD::Manager manager(Settings("Synths.bnk"));
    manager.Init();
    const Capture capture = Play(manager, "Play_ToneGen", 60);
    const Heard heard = Listen(capture.left);
    EXPECT_NEAR(heard.frequency, 440.0, 5.0);
    EXPECT_NEAR(double(heard.last - heard.first), 48480.0, 600.0);
    EXPECT_NEAR(heard.peak, 0.98855 * std::sqrt(0.5), 0.02);
    RestartAudioThread();
    manager.Term();
}

TEST_F(PluginSources, APlugInAsking51Plays51AndOneAskingALayoutNotPlayedFailsToStart) {
    SD::Manager manager(Settings("Synths.bnk"));
    manager.Init();
    RegisterLayoutSource();
    SX::SxPlayingID id = 0;
    const Capture unplayable = Play(manager, "Play_Layout_1F", 3, &id);
    EXPECT_EQ(Listen(unplayable.left).peak, 0.0);
    EXPECT_FALSE(SX::g_pPlayingMgr->IsActive(id)) << "the voice that could not start is gone";
    const Capture surround = Play(manager, "Play_Layout_51", 10);
    const Heard heard = Listen(surround.left);
    EXPECT_GT(heard.peak, 0.25) << "left, centre and surround folded into the left speaker";
    EXPECT_NEAR(double(heard.last - heard.first), 4800.0, 240.0) << "less the fade-in";
    EXPECT_EQ(g_offeredRate.load(), 48000u);
    RestartAudioThread();
    manager.Term();
}

TEST_F(PluginSources, ACutParameterBlockOrAnUnregisteredPlugInPlaysNothingAndTheRestPlaysOn) {
    SD::Manager manager(Settings("Synths.bnk"));
    manager.Init();
    for (const char* event : {"Play_Cut_Sine", "Play_Unknown_Plugin"}) {
        SCOPED_TRACE(event);
        SX::SxPlayingID id = 0;
        const Capture capture = Play(manager, event, 3, &id);
        EXPECT_EQ(Listen(capture.left).peak, 0.0);
        EXPECT_FALSE(SX::g_pPlayingMgr->IsActive(id));
    }
    EXPECT_NEAR(Listen(Play(manager, "Play_Sine", 30).left).frequency, 1000.0, 5.0);
    RestartAudioThread();
    manager.Term();
}

TEST_F(PluginSources, AMotionSourceRunsAt375Hz) {
    SD::Manager manager(Settings("Synths.bnk"));
    manager.Init();
    RegisterLayoutSource();
    g_offeredRate = 0;
    Play(manager, "Play_Motion", 3);
    EXPECT_EQ(g_offeredRate.load(), 375u);
    RestartAudioThread();
    manager.Term();
}

}  // namespace

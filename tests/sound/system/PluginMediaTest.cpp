// An effect plug-in on a sound asks for the media its effect names: started as the game starts
// the sound system, the bank's media reaches it, and is let go with it; the plug-in is also
// handed the stream manager the sound system runs, to stream data of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "sound/engine/bank/SxBankCalls.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/engine/stream/ISxStreams.h"
#include "sound/plugins/effects/SxFxObject.h"
#include "tests/sound/system/SoundSystemFixture.h"

using namespace soundtest;
namespace bw = bankwriter;

namespace {

constexpr uint32_t kCompany = 64, kPluginID = 77, kMediaID = 4242;
constexpr uint32_t kEffectID = 5000;

std::mutex g_lock;
std::vector<uint8_t> g_seen;  // the media the plug-in was given, by Init
std::atomic<int> g_asked{0};
std::atomic<SX::ISxStreamMgr*> g_streams{nullptr};  // the stream manager the plug-in was given

struct MediaParams final : SX::ISxPluginParam {
    SX::SXRESULT SetParam(int16_t, const void*, uint32_t) override { return SX::SX_Success; }
    SX::ISxPluginParam* Clone(SX::ISxPluginMemAlloc* allocator) override { return SX::SxFxNew<MediaParams>(allocator); }
    SX::SXRESULT Init(SX::ISxPluginMemAlloc*, const void*, uint32_t) override { return SX::SX_Success; }
    SX::SXRESULT Term(SX::ISxPluginMemAlloc* allocator) override { return SX::SxFxDelete(this, allocator); }
    SX::SXRESULT SetParamsBlock(const void*, uint32_t) override { return SX::SX_Success; }
};

// Passes the sound through; at Init it takes its media and keeps a copy for the test.
struct MediaEffect final : SX::ISxInPlaceEffectPlugin {
    SX::SXRESULT Init(SX::ISxPluginMemAlloc*, SX::ISxEffectPluginContext* context, SX::ISxPluginParam*,
                      SX::SxAudioFormat&) override {
        const uint8_t* data = nullptr;
        uint32_t size = 0;
        context->GetPluginMedia(0, data, size);
        ++g_asked;
        g_streams = context->GetStreamMgr();
        std::lock_guard<std::mutex> lock(g_lock);
        g_seen.assign(data, data + size);
        return SX::SX_Success;
    }
    SX::SXRESULT Term(SX::ISxPluginMemAlloc* allocator) override { return SX::SxFxDelete(this, allocator); }
    SX::SXRESULT Reset() override { return SX::SX_Success; }
    SX::SXRESULT GetPluginInfo(SX::SxPluginInfo& info) override {
        info.type = SX::SxPluginType_Effect;
        info.inPlace = 1;
        return SX::SX_Success;
    }
    void Execute(SX::SxAudioBuffer*) override {}
    SX::SXRESULT TimeSkip(uint32_t) override { return SX::SX_DataReady; }
};

SX::ISxPlugin* CreateMediaEffect(SX::ISxPluginMemAlloc* allocator) { return SX::SxFxNew<MediaEffect>(allocator); }
SX::ISxPluginParam* CreateMediaParams(SX::ISxPluginMemAlloc* allocator) { return SX::SxFxNew<MediaParams>(allocator); }

bw::Bytes MediaBytes() {
    bw::Bytes bytes(1000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return bytes;
}

// A sine sound with the effect as its insert; the event "Play_Effected" plays it.
std::string EffectBank() {
    bw::BankFile bank;
    bank.id = ID("Effected");
    bank.media = {{kMediaID, MediaBytes()}};
    bw::Effect effect;
    effect.pluginID = SX::SxPluginKey(SX::SxPluginType_Effect, kCompany, kPluginID);
    effect.media = {{0, kMediaID}};
    bank.records.push_back(bw::Record(SX::SxHirc_FxCustom, bw::EffectBody(kEffectID, effect)));
    bw::Source source;
    source.pluginID = SX::SxPluginKey(SX::SxPluginType_Source, 0, 100);
    bw::Writer block;
    for (float v : {1000.0f, -6.0f, 0.2f}) block.F32(v);
    block.U32(0x4);
    source.pluginParams = block.Take();
    bw::NodeBase node;
    node.overrideEffects = true;
    node.effects = {{0, kEffectID}};
    bank.records.push_back(bw::Record(SX::SxHirc_Sound, bw::SoundBody(ID("Effected_Sound"), source, node)));
    bank.records.push_back(bw::Record(
        SX::SxHirc_Action,
        bw::ActionBody(ID("Play_Effected.play"), 0x0403, ID("Effected_Sound"), {}, {}, bw::PlayParams(4, bank.id))));
    bank.records.push_back(
        bw::Record(SX::SxHirc_Event, bw::EventBody(ID("Play_Effected"), {ID("Play_Effected.play")})));
    return BankBytes(bank);
}

class PluginMedia : public ManagerFrames {
protected:
    void SetUp() override {
        ManagerFrames::SetUp();
        tree.Write("Audio/Effected.bnk", EffectBank());
        g_asked = 0;
        g_streams = nullptr;
        g_seen.clear();
    }
};

TEST_F(PluginMedia, AnEffectOnASoundIsGivenTheMediaItsSettingNamesAndTheStreamManager) {
    // The game registers its own plug-in once the engine runs, then loads the bank that uses it.
    SD::Manager manager(Settings(""));
    manager.Init();
    ASSERT_EQ(SX::SoundEngine::RegisterPlugin(SX::SxPluginType_Effect, kCompany, kPluginID, CreateMediaEffect,
                                              CreateMediaParams),
              SX::SX_Success);
    SX::SxBankID bank = 0;
    ASSERT_EQ(SX::SoundEngine::LoadBank("Effected.bnk", SX::SxInvalidPoolId, bank), SX::SX_Success);
    SX::g_pAudioMgr->StopThread();
    EXPECT_NE(manager.PostEvent("Play_Effected", 0), 0u);
    RunFrames(manager, 30);
    EXPECT_EQ(g_asked.load(), 1);
    ASSERT_NE(SX::ISxStreamMgr::m_pStreamMgr, nullptr);
    EXPECT_EQ(g_streams.load(), SX::ISxStreamMgr::m_pStreamMgr);
    {
        std::lock_guard<std::mutex> lock(g_lock);
        EXPECT_EQ(g_seen, MediaBytes());
    }
    RestartAudioThread();
    EXPECT_EQ(SX::SoundEngine::UnloadBank("Effected.bnk"), SX::SX_Success) << "the media it held went with it";
    manager.Term();
}

}  // namespace

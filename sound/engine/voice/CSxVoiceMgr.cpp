#include "sound/engine/voice/CSxVoiceMgr.h"

#include <new>

#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/lower/SxInstanceHooks.h"
#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/voice/CSxVPLSrcCbxNode.h"

namespace SX {

namespace {

CSxVoiceMgr* s_manager = nullptr;

void InstallInstanceHooks() {
    g_InstanceHooks.playingID = [](const CSxPBI* instance) { return instance->PlayingID(); };
    g_InstanceHooks.loopCount = [](const CSxPBI* instance) { return instance->LoopCount(); };
    g_InstanceHooks.nodeID = [](const CSxPBI* instance) { return instance->Node() ? instance->Node()->ID() : 0u; };
    g_InstanceHooks.pitchCents = [](const CSxPBI* instance) { return instance->Pitch(); };
    g_InstanceHooks.refreshParameters = [](CSxPBI* instance) { instance->RefreshParameters(); };
    g_InstanceHooks.notifyStarted = [](CSxPBI* instance, float durationMs) { instance->NotifyStarted(durationMs); };
    g_InstanceHooks.notifyEnded = [](CSxPBI* instance, bool) { instance->Destroy(0); };
    g_InstanceHooks.notifyPaused = [](CSxPBI* instance) { instance->NotifyPaused(); };
    g_InstanceHooks.notifyResumed = [](CSxPBI* instance, float) { instance->NotifyResumed(); };
}

}  // namespace

void CSxVoiceMgr::Install() {
    if (!s_manager) s_manager = new CSxVoiceMgr();
    InstallInstanceHooks();
    CSxLEngineCmds::SetVoiceLayer(s_manager);
    CSxLEngine::SetVoiceRenderer([] {
        if (s_manager) s_manager->RenderVoices();
    });
}

void CSxVoiceMgr::Remove() {
    CSxLEngine::SetVoiceRenderer(nullptr);
    if (CSxLEngineCmds::VoiceLayer() == s_manager) CSxLEngineCmds::SetVoiceLayer(nullptr);
    delete s_manager;
    s_manager = nullptr;
    g_InstanceHooks = SxInstanceHooks();
}

CSxVoiceMgr* CSxVoiceMgr::Get() { return s_manager; }

CSxVoiceMgr::~CSxVoiceMgr() {
    while (!m_voices.empty()) DestroyVoice(m_voices.size() - 1);
    if (m_direct) {
        m_direct->Term();
        delete m_direct;
    }
}

bool CSxVoiceMgr::StartVoice(CSxPBI& instance, bool paused) {
    auto* voice = new (std::nothrow) CSxVPLSrcCbxNode(CSxLEngine::OutputSampleRate());
    if (!voice) return false;
    const SXRESULT result = voice->AddSrc(&instance);
    if (result != SX_Success && result != SX_NotReady) {
        delete voice;
        return false;
    }
    instance.SetVoiceContext(voice);
    m_voices.push_back(voice);
    m_startPaused.push_back(paused);
    return true;
}

void CSxVoiceMgr::Command(CSxPBI& instance, SxLowerCommand command) {
    auto* voice = static_cast<CSxVPLSrcCbxNode*>(instance.VoiceContext());
    if (!voice) return;
    switch (command) {
        case SxLowerCmd_Stop: voice->Stop(); break;
        case SxLowerCmd_Pause: voice->Pause(); break;
        case SxLowerCmd_Resume: voice->Resume(); break;
        case SxLowerCmd_EndOfLoop: voice->StopLooping(); break;
        case SxLowerCmd_Seek: voice->SeekVoice(); break;
        default: break;
    }
}

void CSxVoiceMgr::DestroyVoice(size_t index) {
    CSxVPLSrcCbxNode* voice = m_voices[index];
    voice->NotifyEnd();
    delete voice;
    m_voices.erase(m_voices.begin() + static_cast<std::ptrdiff_t>(index));
    m_startPaused.erase(m_startPaused.begin() + static_cast<std::ptrdiff_t>(index));
}

CSxMixBusNode* CSxVoiceMgr::Target() {
    if (g_BusHooks.masterBus)
        if (CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(g_BusHooks.masterBus())) return node;
    if (!m_direct) {
        m_direct = new (std::nothrow) CSxMixBusNode();
        if (m_direct && m_direct->Init(CSxLEngine::ChannelMask(), static_cast<uint16_t>(SxFrameLength), BusHandle()) !=
                            SX_Success) {
            delete m_direct;
            m_direct = nullptr;
        }
    }
    return m_direct;
}

void CSxVoiceMgr::RenderVoices() {
    for (size_t i = 0; i < m_voices.size();) {
        CSxVPLSrcCbxNode* voice = m_voices[i];
        if (voice->GetState() == CSxVPLSrcCbxNode::kCreated) {
            const SXRESULT ready = voice->IsReadyToPlay();
            if (ready == SX_Fail) voice->Stop();
            if (ready == SX_Success) {
                voice->Start();
                if (m_startPaused[i]) voice->Pause();
            }
        }
        if (voice->GetState() == CSxVPLSrcCbxNode::kStopped) {
            DestroyVoice(i);
            continue;
        }
        if (!voice->PrepareFrame()) {
            ++i;
            continue;
        }
        const SXRESULT result = voice->Render();
        CSxMixBusNode* target = result == SX_Fail ? nullptr : Target();
        if (target) target->MixVoice(voice->Buffer(), voice->Gains(), CSxLEngine::PanningRule());
        voice->FinishFrame();
        if (result == SX_Fail || result == SX_NoMoreData) {
            DestroyVoice(i);
            continue;
        }
        ++i;
    }
    if (m_direct && m_direct->GetOutput().validFrames) {
        m_direct->ProcessEffects();
        CSxLEngine::MixIntoMaster(m_direct->GetOutput(), m_direct->PreviousGains(), m_direct->CurrentGains());
        m_direct->Clear();
    }
}

}  // namespace SX

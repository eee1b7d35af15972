#include "sound/engine/voice/CSxVoiceMgr.h"

#include <algorithm>
#include <new>

#include "sound/engine/buses/CSxBusMixView.h"
#include "sound/engine/hierarchy/CSxFeedbackNode.h"
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/motion/CSxMotionDeviceMgr.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/voice/CSxSrcPhysModel.h"
#include "sound/engine/voice/CSxVPLSrcCbxNode.h"
#include "sound/engine/voice/SxInsertFx.h"

namespace SX {

namespace {

CSxVoiceMgr* s_manager = nullptr;

}  // namespace

void CSxVoiceMgr::Install() {
    if (!s_manager) s_manager = new CSxVoiceMgr();
    CSxLEngineCmds::SetVoiceLayer(s_manager);
    CSxLEngine::SetVoiceRenderer([] {
        if (s_manager) s_manager->RenderVoices();
    });
    CSxLEngine::SetVoiceFxVisitor([](const ISxEffectObject* effect, SxFxInstanceCallback callback, void* cookie) {
        if (s_manager)
            for (const CSxVPLSrcCbxNode* voice : s_manager->m_voices)
                voice->ForEachFxInstance(effect, callback, cookie);
    });
}

void CSxVoiceMgr::Remove() {
    CSxLEngine::SetVoiceRenderer(nullptr);
    CSxLEngine::SetVoiceFxVisitor(nullptr);
    if (CSxLEngineCmds::VoiceLayer() == s_manager) CSxLEngineCmds::SetVoiceLayer(nullptr);
    delete s_manager;
    s_manager = nullptr;
}

CSxVoiceMgr* CSxVoiceMgr::Get() { return s_manager; }

CSxVoiceMgr::~CSxVoiceMgr() {
    while (!m_voices.empty()) DestroyVoice(m_voices.size() - 1);
    if (m_direct) {
        m_direct->Term();
        delete m_direct;
    }
}

CSxVPLSrcCbxNode* CSxVoiceMgr::SequenceVoice(const CSxPBI& instance) const {
    const uint32_t sequence = instance.ContinuousSequence();
    if (sequence == 0) return nullptr;
    for (CSxVPLSrcCbxNode* voice : m_voices)
        if (voice->GetState() != CSxVPLSrcCbxNode::kStopped && !voice->HasNextSource() && voice->Instance() &&
            voice->Instance()->ContinuousSequence() == sequence)
            return voice;
    return nullptr;
}

bool CSxVoiceMgr::StartVoice(CSxPBI& instance, bool paused) {
    if (CSxVPLSrcCbxNode* voice = SequenceVoice(instance)) {
        const SXRESULT result = voice->AddNextSrc(&instance);
        if (result != SX_Success && result != SX_NotReady) return false;
        instance.SetVoiceContext(voice);
        return true;
    }
    const uint32_t rate = CSxLEngine::OutputSampleRate();
    auto* voice = instance.IsMotion()
                      ? new (std::nothrow)
                            CSxVPLSrcCbxNode(CSxSrcPhysModel::kMotionRate,
                                             static_cast<uint16_t>(CSxMotionDeviceMgr::MotionFrames(rate)), true)
                      : new (std::nothrow) CSxVPLSrcCbxNode(rate);
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
    if (voice->NextInstance() == &instance) {
        // Waiting behind another source: only a stop (or an end of its loop) reaches it.
        if (command == SxLowerCmd_Stop || command == SxLowerCmd_EndOfLoop) voice->DropNextSource();
        return;
    }
    if (voice->Instance() != &instance) return;
    if (voice->GetState() == CSxVPLSrcCbxNode::kCreated &&
        (command == SxLowerCmd_Pause || command == SxLowerCmd_Resume)) {
        // Not started yet: it starts as the last of these asks, paused or playing.
        const auto at = std::find(m_voices.begin(), m_voices.end(), voice);
        if (at != m_voices.end())
            m_startPaused[static_cast<size_t>(at - m_voices.begin())] = command == SxLowerCmd_Pause;
        return;
    }
    switch (command) {
        case SxLowerCmd_Stop:
            voice->Stop();
            break;
        case SxLowerCmd_Pause:
            voice->Pause();
            break;
        case SxLowerCmd_Resume:
            voice->Resume();
            break;
        case SxLowerCmd_EndOfLoop:
            voice->StopLooping();
            break;
        case SxLowerCmd_Seek:
            voice->SeekVoice();
            break;
        default:
            break;
    }
}

template <typename Fn>
void CSxVoiceMgr::ForVoicesOf(const CSxParameterNodeBase* node, Fn fn) {
    for (CSxVPLSrcCbxNode* voice : m_voices)
        if (voice->Instance() && voice->Instance()->Node() && voice->Instance()->Node()->IsSelfOrAncestor(node))
            fn(*voice);
}

void CSxVoiceMgr::BypassFx(const CSxParameterNodeBase* node, uint32_t bits, uint32_t mask) {
    ForVoicesOf(node, [&](CSxVPLSrcCbxNode& voice) { voice.BypassFx(bits, mask); });
}

void CSxVoiceMgr::RefreshFxBypass(const CSxParameterNodeBase* node, uint32_t slot) {
    ForVoicesOf(node, [&](CSxVPLSrcCbxNode& voice) { voice.RefreshFxBypass(slot); });
}

void CSxVoiceMgr::SetFx(const CSxParameterNodeBase* node, uint32_t slot) {
    ForVoicesOf(node, [&](CSxVPLSrcCbxNode& voice) { voice.SetFx(slot); });
}

void CSxVoiceMgr::EffectChanged(const CSxParameterNodeBase& node, uint32_t slot, bool effect) {
    if (effect)
        SetFx(&node, slot);
    else
        RefreshFxBypass(&node, slot);
}

void CSxVoiceMgr::DestroyVoice(size_t index) {
    CSxVPLSrcCbxNode* voice = m_voices[index];
    voice->NotifyEnd();
    delete voice;
    m_voices.erase(m_voices.begin() + static_cast<std::ptrdiff_t>(index));
    m_startPaused.erase(m_startPaused.begin() + static_cast<std::ptrdiff_t>(index));
}

CSxMixBusNode* CSxVoiceMgr::Target(const CSxVPLSrcCbxNode& voice) {
    const CSxParameterNodeBase* from = voice.Instance()->Node();
    for (const auto& known : m_targets)
        if (known.first == from) return known.second;
    CSxMixBusNode* target = FindTarget(from);
    m_targets.emplace_back(from, target);
    return target;
}

CSxMixBusNode* CSxVoiceMgr::FindTarget(const CSxParameterNodeBase* from) {
    // Without a mix bus below the master, the voice gathers in the master bus's node; without
    // any bus, in a node of its own at unity.
    ISxBusObject* bus = SxOutputMixBus(from);
    if (!bus) bus = SxMasterMixBus();
    if (bus)
        if (CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(bus)) return node;
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

void CSxVoiceMgr::MixIntoMotion(CSxVPLSrcCbxNode& voice) {
    CSxMotionDeviceMgr* motion = CSxMotionDeviceMgr::Active();
    const CSxPBI* instance = voice.Instance();
    if (!motion || !instance || !voice.Buffer().validFrames) return;
    const SxFeedbackParams feedback = SxGetFeedbackParams(*instance);
    if (!feedback.send) return;
    const CSxRegisteredObj* gameObj = instance->GameObj();
    const uint32_t players =
        motion->PlayersReached(gameObj ? gameObj->ActiveListeners() : 0xFFu, CSxLEngine::MotionListenerMask());
    if (!players) return;
    float gains[CSxMotionDeviceMgr::kMaxPlayers];
    for (uint8_t p = 0; p < CSxMotionDeviceMgr::kMaxPlayers; ++p)
        gains[p] = SxMotionPlayerGain(motion->PlayerVolumeDb(p), feedback.volumeDb, 0.0f);
    if (voice.IsMotion()) {
        motion->MixVoice(voice.Buffer(), true, players, gains);
        return;
    }
    // Audio sent to motion: a low-passed copy, so that only what a motor can follow remains.
    if (const SxAudioBuffer* copy = voice.MotionCopy(feedback.lowPass)) motion->MixVoice(*copy, false, players, gains);
}

void CSxVoiceMgr::RenderVoices() {
    // The voices started in one batch start on one sample: while one of them waits for its
    // source, the others of its batch wait too.
    m_waitingBatches.clear();
    m_targets.clear();
    for (CSxVPLSrcCbxNode* voice : m_voices) {
        if (voice->GetState() != CSxVPLSrcCbxNode::kCreated) continue;
        const SXRESULT ready = voice->IsReadyToPlay();
        if (ready == SX_Fail) voice->Stop();
        if (ready == SX_NotReady) m_waitingBatches.push_back(voice->StartBatch());
    }
    for (size_t i = 0; i < m_voices.size();) {
        CSxVPLSrcCbxNode* voice = m_voices[i];
        if (voice->GetState() == CSxVPLSrcCbxNode::kCreated && voice->SourceReady()) {
            if (std::find(m_waitingBatches.begin(), m_waitingBatches.end(), voice->StartBatch()) !=
                m_waitingBatches.end()) {
                voice->HoldStart();
            } else {
                voice->Start();
                if (m_startPaused[i]) voice->Pause();
                // A voice waiting again for its next source starts it playing.
                m_startPaused[i] = false;
            }
        }
        if (voice->GetState() == CSxVPLSrcCbxNode::kStopped) {
            DestroyVoice(i);
            continue;
        }
        if (voice->GetState() != CSxVPLSrcCbxNode::kPlaying) {
            ++i;
            continue;
        }
        // Motion voices reach the motion devices only.
        CSxMixBusNode* target = voice->IsMotion() ? nullptr : Target(*voice);
        voice->SetFeedsEnvironmental(target && target->Bus().FeedsEnvironmental());
        if (!voice->PrepareFrame()) {
            ++i;
            continue;
        }
        const SXRESULT result = voice->Render();
        if (result != SX_Fail) {
            if (!voice->IsMotion()) voice->MixEnvironmentSends();
            MixIntoMotion(*voice);
            if (target) {
                // Attaching reloads the volumes of a node that was idle.
                target->Connect();
                target->MixVoice(voice->Buffer(), voice->Gains(), CSxLEngine::PanningRule());
                target->Release();
            }
        }
        voice->FinishFrame();
        // A source that ended hands over to the voice's next source, if one waits.
        if (result == SX_Fail || (result == SX_NoMoreData && !voice->ContinueWithNextSource())) {
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

#include "sound/engine/lower/CSxLEngine.h"

#include <xmmintrin.h>

#include <cstring>

#include "sound/engine/bus/BusHandle.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/motion/CSxMotionDeviceMgr.h"
#include "sound/engine/plugin/SxFXMemAlloc.h"
#include "sound/engine/output/CSxSinkDevice.h"
#include "sound/engine/positions/CSxPositionRepository.h"
#include "sound/engine/output/CSxSinkDummy.h"
#include "sound/engine/transitions/SxTimingSettings.h"

namespace SX {

SxMemPoolId g_LEngineDefaultPoolId = SxInvalidPoolId;

SxPlatformInitSettings CSxLEngine::s_settings;
uint32_t CSxLEngine::s_sampleRate = 48000;
void (*CSxLEngine::s_voiceRenderer)() = nullptr;
CSxLEngine::SxVoiceFxVisitor CSxLEngine::s_voiceFxVisitor = nullptr;
uint32_t CSxLEngine::s_waitTimeMs = 10;
uint32_t CSxLEngine::s_channelMask = SxChannelMaskStereo;
uint32_t CSxLEngine::s_panningRule = 0;
CSxSink* CSxLEngine::s_sink = nullptr;
uint32_t CSxLEngine::s_retryCountdown = 0;
MasterMixNode CSxLEngine::s_master;
SxAudioBuffer CSxLEngine::s_output;

void CSxLEngine::GetDefaultPlatformInitSettings(SxPlatformInitSettings& settings) {
    settings = SxPlatformInitSettings();
}

CSxSink* CSxLEngine::CreateDeviceSink() {
    return CSxSinkDevice::Create(s_settings, s_sampleRate, s_waitTimeMs, g_LEngineDefaultPoolId);
}

CSxSink* CSxLEngine::CreateDummySink() {
    return SxNew<CSxSinkDummy>(g_LEngineDefaultPoolId, s_sampleRate, s_waitTimeMs);
}

void CSxLEngine::DestroySink(CSxSink* sink) {
    if (!sink) return;
    sink->Term();
    SxDelete(g_LEngineDefaultPoolId, sink);
}

bool CSxLEngine::UsingDeviceSink() { return dynamic_cast<CSxSinkDevice*>(s_sink) != nullptr; }

SXRESULT CSxLEngine::Init(const SxPlatformInitSettings& settings) {
    s_panningRule = 0;
    if (!MemoryMgr::IsInitialized()) return SX_Fail;
    s_settings = settings;
    s_sampleRate = settings.sampleRateMode == 1 ? 24000 : 48000;
    SxTimingSettings::SetSampleRate(s_sampleRate);
    s_waitTimeMs = SxTimingSettings::halfFrameMs;
    s_retryCountdown = 0;
    if (g_LEngineDefaultPoolId == SxInvalidPoolId) {
        const uint32_t size = settings.lowerEnginePoolSize > 64 ? settings.lowerEnginePoolSize : 0x1000000;
        g_LEngineDefaultPoolId = MemoryMgr::CreatePool(nullptr, size, 64, SxMemPool_Heap, 16);
        if (g_LEngineDefaultPoolId == SxInvalidPoolId) return SX_InsufficientMemory;
    }
    g_LEngineFxAllocator.SetPool(g_LEngineDefaultPoolId);
    if (!s_sink) {
        s_sink = CreateDeviceSink();
        // A device that opens but gives no buffer leaves the output to the silent sink.
        if (s_sink && s_sink->Init() != SX_Success) {
            DestroySink(s_sink);
            s_sink = nullptr;
        }
        if (!s_sink) {
            s_sink = CreateDummySink();
            if (!s_sink || s_sink->Init() != SX_Success) return SX_Fail;
        }
    }
    s_channelMask = s_sink->ChannelMask();
    InitListeners();
    const SXRESULT result = s_master.Init(s_channelMask, g_LEngineDefaultPoolId);
    if (result != SX_Success) return result;
    const uint32_t bytes = SxChannelCount(s_channelMask) * SxFrameLength * sizeof(float);
    s_output.data = static_cast<float*>(MemoryMgr::Malign(g_LEngineDefaultPoolId, bytes, SxMixBufferAlignment));
    if (!s_output.data) return SX_InsufficientMemory;
    std::memset(s_output.data, 0, bytes);
    s_output.channelMask = s_channelMask;
    s_output.state = SX_DataNeeded;
    s_output.maxFrames = SxFrameLength;
    s_output.validFrames = 0;
    return SX_Success;
}

void CSxLEngine::Stop() {
    DestroyBusNodes();
    s_master.DropEffects();
}

void CSxLEngine::Term() {
    DestroyBusNodes();
    CSxMotionDeviceMgr::Destroy();
    if (s_output.data) MemoryMgr::Free(g_LEngineDefaultPoolId, s_output.data);
    s_output.Clear();
    s_master.Term();
    FreeCachedAudioBuffers();
    DestroySink(s_sink);
    s_sink = nullptr;
    s_retryCountdown = 0;
    if (g_LEngineDefaultPoolId != SxInvalidPoolId) MemoryMgr::DestroyPool(g_LEngineDefaultPoolId);
    g_LEngineDefaultPoolId = SxInvalidPoolId;
}

void CSxLEngine::StartOutput() {
    if (s_sink) s_sink->Play();
}

uint32_t CSxLEngine::GetNumBuffersToRefill() {
    if (s_retryCountdown != 0) {
        --s_retryCountdown;
        CSxSink* device = CreateDeviceSink();
        if (device && device->Init() == SX_Success && device->Play() == SX_Success) {
            DestroySink(s_sink);
            s_sink = device;
            s_retryCountdown = 0;
        } else {
            DestroySink(device);
        }
    }
    uint32_t buffers = 0;
    if (!s_sink || s_sink->GetRefillSize(buffers) != SX_Success) {
        DestroySink(s_sink);
        s_sink = CreateDummySink();
        if (s_sink) {
            s_sink->Init();
            s_sink->Play();
        }
        s_retryCountdown = kSinkRetries;
        return 0;
    }
    return buffers;
}

SXRESULT CSxLEngine::MixIntoMaster(const SxAudioBuffer& busBuffer, const float* previous, const float* current) {
    // A master that was idle takes the master bus's levels and makes its effects afresh.
    if (busBuffer.validFrames && s_master.GetState() == MasterMixNode::kIdle && !s_master.HasData()) {
        if (const BusHandle master = MasterBusHandle()) {
            s_master.ReloadVolumes(master.VolumeDb(), master.LfeDb());
            for (uint32_t slot = 0; slot < MasterMixNode::kEffectSlots; ++slot) SetMasterBusFx(slot);
        }
    }
    return s_master.MixBuffer(busBuffer, previous, current);
}

void CSxLEngine::SetMasterBusVolume(float db) { s_master.SetVolumeDb(db); }
void CSxLEngine::SetMasterBusLFE(float db) { s_master.SetLfeDb(db); }

void CSxLEngine::Perform() {
    if (!s_sink) return;
    if (s_sink->IsStarved()) s_sink->ResetStarved();
    // Flush denormals to zero for the mix; only that bit is restored.
    const unsigned int csr = _mm_getcsr();
    _mm_setcsr(csr | 0x8000);
    s_output.validFrames = 0;
    if (g_pPositionRepository && g_pPositionRepository->HasEntries()) g_pPositionRepository->SetFrameTimeStamp();
    if (s_voiceRenderer) s_voiceRenderer();
    ProcessBusNodes();
    if (CSxMotionDeviceMgr* motion = CSxMotionDeviceMgr::Active()) motion->ProcessFrame();
    if (s_master.HasData()) s_master.ProcessFinalMix(s_output);
    if (s_output.validFrames)
        s_sink->PassData(s_output);
    else
        s_sink->PassSilence(SxFrameLength);
    s_master.ResetFrame();
    RemoveIdleBusNodes();
    _mm_setcsr((_mm_getcsr() & ~0x8000u) | (csr & 0x8000u));
}

}  // namespace SX

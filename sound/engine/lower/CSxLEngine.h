#pragma once
// The lower engine: owns the output sink, the master mix node and the master output buffer,
// and renders one 1024-frame audio frame at a time on the audio thread. Voices and buses mix
// into the master node through MixIntoMaster.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/SxInitSettings.h"
#include "sound/engine/SxTypes.h"
#include "sound/engine/listener/SxListener.h"
#include "sound/engine/lower/MasterMixNode.h"
#include "sound/engine/lower/SxEnvironmentSends.h"
#include "sound/engine/lower/SxMixKernels.h"
#include "sound/engine/output/CSxSink.h"

namespace SX {

class CSxMixBusNode;
class ISxBusObject;
class ISxEffectObject;
class ISxPlugin;

// Called for every live effect instance of an effect object (ForEachFxInstance).
using SxFxInstanceCallback = void (*)(ISxPlugin* plugin, SxGameObjectID gameObject, void* cookie);

// The pool every record of the lower engine comes from; -1 while the lower engine is down.
extern SxMemPoolId g_LEngineDefaultPoolId;

class CSxLEngine {
public:
    // Wakes on which the device sink is tried again after a failure.
    static constexpr uint32_t kSinkRetries = 10;

    static void GetDefaultPlatformInitSettings(SxPlatformInitSettings& settings);
    // Rate from the settings, its memory pool, sink (the device, else the silent one), master
    // node and output buffer. SX_Fail without the memory manager or any sink.
    static SXRESULT Init(const SxPlatformInitSettings& settings);
    // At engine termination, with the audio thread stopped: drops the master node's effects.
    static void Stop();
    static void Term();

    static void StartOutput();
    // Buffers the sink wants now; replaces a failed sink by the silent one, and while a retry
    // countdown runs tries the device again first.
    static uint32_t GetNumBuffersToRefill();
    static void Perform();
    // The voices, rendered into their buses at the start of each frame; installed by them.
    static void SetVoiceRenderer(void (*render)()) { s_voiceRenderer = render; }
    // The voices' own effect instances, visited by ForEachFxInstance; installed by the voices.
    using SxVoiceFxVisitor = void (*)(const ISxEffectObject* effect, SxFxInstanceCallback callback, void* cookie);
    static void SetVoiceFxVisitor(SxVoiceFxVisitor visitor) { s_voiceFxVisitor = visitor; }

    // Adds a bus's output to this frame's master mix.
    static SXRESULT MixIntoMaster(const SxAudioBuffer& busBuffer, const float* previous, const float* current);
    static void SetMasterBusVolume(float db);
    static void SetMasterBusLFE(float db);
    // Stores the rule and turns every listener's matrix for it.
    static void SetPanningRule(uint32_t rule);
    static uint32_t PanningRule() { return s_panningRule; }

    // Bus and environmental mix nodes below the master, and the bus commands of the hierarchy.
    // The node of a bus, made with its parents' on first use; null when one cannot be made.
    static CSxMixBusNode* GetVPLMixBus(ISxBusObject* bus, bool motion = false);
    static CSxMixBusNode* GetEnvMixBus(SxUniqueID environmentID);
    static CSxMixBusNode* FindBusNode(SxUniqueID busID);
    static CSxMixBusNode* FindEnvNode(SxUniqueID environmentID);
    static uint32_t BusNodeCount();
    static uint32_t EnvNodeCount();
    // A voice's auxiliary sends: each environment's node (made on first use) takes the voice
    // with its wet gains ramped from the send's previous level to its current one.
    static void MixEnvironmentSends(SxAudioBuffer& voice, const SxSpeakerGains* wetGains,
                                    const SxEnvironmentSend* sends, uint32_t count);
    // Mixes every bus node, last first, into its parent or the master; environmental nodes
    // follow the bus that feeds them.
    static void ProcessBusNodes();
    // Destroys nodes that received nothing this frame and that nothing references.
    static void RemoveIdleBusNodes();
    static void IncrMasterBusVolume(float db);
    static void IncrMasterBusLFE(float db);
    static void BypassMasterBusFx(uint32_t bits, uint32_t mask);
    static SXRESULT SetMasterBusFx(uint32_t slot);
    static void SetBusVolume(SxUniqueID busID, float db);
    static void IncrBusVolume(SxUniqueID busID, float db);
    static void SetBusLFE(SxUniqueID busID, float db);
    static void IncrBusLFE(SxUniqueID busID, float db);
    static void BypassBusFx(SxUniqueID busID, uint32_t bits, uint32_t mask);
    static void SetBusFx(SxUniqueID busID, uint32_t slot);
    static void BypassEnvFx(SxUniqueID environmentID, bool bypass);
    // The effect goes: every bus, environmental and master node that runs it drops its slots.
    static void StopMixBussesUsingFx(const ISxEffectObject* effect);
    // The effect was (re)loaded: every node that runs it, or whose bus or environment names
    // it, makes its effects afresh.
    static void ResetMixBussesUsingFx(const ISxEffectObject* effect);
    static void ForEachFxInstance(const ISxEffectObject* effect, SxFxInstanceCallback callback, void* cookie);

    // Listeners. Indexes of 8 and above give SX_InvalidParameter.
    static void InitListeners();
    static SXRESULT SetListenerPosition(uint32_t listener, const SxVector& front, const SxVector& top,
                                        const SxVector& position);
    // volumes (6 dB values) may be null: the listener keeps its own.
    static SXRESULT SetListenerSpatialization(uint32_t listener, bool spatialized, const float* volumes);
    static SXRESULT SetListenerScalingFactor(uint32_t listener, float factor);
    static float GetListenerScalingFactor(uint32_t listener);
    static SXRESULT SetListenerPipeline(uint32_t listener, bool audio, bool motion);
    static const SxListener& GetListener(uint32_t listener);
    static uint32_t AudioListenerMask();
    static uint32_t MotionListenerMask();

    // Sample buffers in 24 classes of 1 KB, two free buffers kept per class; larger sizes are
    // allocated and freed directly. Null when the pool is exhausted.
    static void* GetCachedAudioBuffer(uint32_t size);
    // size must be the size the buffer was asked with.
    static void ReleaseCachedAudioBuffer(uint32_t size, void* buffer);
    static void FreeCachedAudioBuffers();

    static uint32_t OutputSampleRate() { return s_sampleRate; }
    static uint32_t GetWaitTime() { return s_waitTimeMs; }
    static uint32_t ChannelMask() { return s_channelMask; }
    static CSxSink* Sink() { return s_sink; }
    static bool UsingDeviceSink();

private:
    friend struct platform::TestProbe<CSxLEngine>;

    static CSxSink* CreateDeviceSink();
    static CSxSink* CreateDummySink();
    static void DestroySink(CSxSink* sink);
    static void DestroyBusNodes();

    static SxPlatformInitSettings s_settings;
    static uint32_t s_sampleRate;
    static uint32_t s_waitTimeMs;
    static uint32_t s_channelMask;
    static uint32_t s_panningRule;
    static CSxSink* s_sink;
    static uint32_t s_retryCountdown;
    static MasterMixNode s_master;
    static SxAudioBuffer s_output;
    static void (*s_voiceRenderer)();
    static SxVoiceFxVisitor s_voiceFxVisitor;
};

}  // namespace SX

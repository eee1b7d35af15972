#pragma once
// A voice: the lower engine's rendering of one playback instance. It owns the source, the
// pitch node, up to four insert effects and the low-pass filter, computes its speaker volumes
// (and, when its bus feeds environments, its send volumes) each frame and hands the lower
// engine one planar buffer to mix. A second source may wait behind the first: the voice moves
// on to it where the first ends, inside the same buffer when both have the same channels.
#include <cstdint>
#include <vector>

#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/lower/CSxSrcLpFilter.h"
#include "sound/engine/lower/CSxSrcNotifier.h"
#include "sound/engine/lower/SxEnvironmentSends.h"
#include "sound/engine/lower/SxMixKernels.h"
#include "sound/engine/voice/CSxVPLFilterNode.h"
#include "sound/engine/voice/CSxVPLPitchNode.h"
#include "sound/engine/voice/SxInsertFx.h"
#include "sound/engine/voice/SxNodeBuffer.h"

namespace SX {

class CSxPBI;
class CSxVPLSrcNode;

class CSxVPLSrcCbxNode {
public:
    enum State : uint32_t { kCreated = 0, kPlaying = 1, kStopped = 2, kPaused = 3 };

    explicit CSxVPLSrcCbxNode(uint32_t outputRate) : m_outputRate(outputRate) {}
    // A motion voice runs at the motion rate, its frames a short slice of an audio frame.
    CSxVPLSrcCbxNode(uint32_t outputRate, uint16_t frameLength, bool motion)
        : m_outputRate(outputRate), m_frameLength(frameLength), m_motion(motion) {}
    bool IsMotion() const { return m_motion; }
    ~CSxVPLSrcCbxNode();
    CSxVPLSrcCbxNode(const CSxVPLSrcCbxNode&) = delete;
    CSxVPLSrcCbxNode& operator=(const CSxVPLSrcCbxNode&) = delete;

    // Makes the instance's source and starts it: 1 or 63 keep it; 2 when no source can be
    // made; any other result of the source (7, 78, 2) is returned and the source freed.
    SXRESULT AddSrc(CSxPBI* instance);
    // The same for the source that follows the current one (a continuous sequence); 2 when the
    // voice already has one.
    SXRESULT AddNextSrc(CSxPBI* instance);
    // 1 when the source is ready, 63 while it must wait, 2 on failure. Called once a frame until
    // the voice starts: each frame of waiting counts the start offset down by a frame, as
    // PrepareFrame does once the voice plays.
    SXRESULT IsReadyToPlay();
    // A ready voice held back for the others of its start batch: its start offset counts down
    // as while it waited for its source.
    void HoldStart();
    // The batch whose voices start together (the instance's play batch when the voice was made).
    uint32_t StartBatch() const { return m_startBatch; }
    bool SourceReady() const { return m_sourceReady; }

    void Start();
    void Stop();
    void Pause();
    void Resume();
    void StopLooping();
    // To the instance's requested position; a failure stops the voice.
    void SeekVoice();

    // The voice's bus mixes it into environments too: its send volumes are computed.
    void SetFeedsEnvironmental(bool feeds) { m_feedsEnv = feeds; }
    // The per-frame decision: false while stopped or paused, while the start offset spans
    // the whole frame (it then drops by one frame), when the chain cannot be built, and while
    // the voice is below the volume threshold past one more frame (it then keeps playing,
    // stops or goes virtual, as its node says).
    bool PrepareFrame();
    bool IsVirtual() const { return m_virtual; }
    // Renders one frame into the voice's buffer through the pitch node and the insert effects:
    // 45, or 17 for its last frame, 2 failure. After its source ended the voice renders its
    // effects' tails until they end.
    SXRESULT Render();
    // This frame's buffer, through the send path's own low-pass, into the environments of the
    // instance's game object, each at its send level (ramped from last frame's level).
    void MixEnvironmentSends();
    SxNodeBuffer& Buffer() { return m_buffer; }
    // A copy of this frame's output for the motion devices, low-passed by its own filter (value
    // 0 to 100); null without memory.
    const SxAudioBuffer* MotionCopy(float lowPass);
    const SxSpeakerGains* Gains() const { return m_gains; }
    // After mixing: this frame's volumes become the start of the next frame's ramp.
    void FinishFrame();

    // The source ended (17) and a next one waits: the next becomes the current source, with
    // its own chain from the next frame on (a stream still filling puts the voice back to
    // waiting for it). False when there is none or it fails to start.
    bool ContinueWithNextSource();
    // Asked by the pitch node where the current source ended, with the frames left in its
    // buffer: 1 when the next source took over (same channels, no start offset left), 17 when
    // it does not (yet), 2 when it failed.
    SXRESULT JoinNextSource(uint32_t framesLeft);
    bool HasNextSource() const { return m_next.source != nullptr; }
    CSxPBI* NextInstance() const { return m_next.instance; }
    // The instance of the next source is stopped: only that source goes.
    void DropNextSource();

    // Insert effects at run time: slot i's bypass takes bit i of bits where mask bit i is set
    // (bit 4: every effect); one slot's bypass (SxInsertFxSlots: the all-effects bit) read
    // again from the node; one slot's effect made again from the node.
    void BypassFx(uint32_t bits, uint32_t mask);
    void RefreshFxBypass(uint32_t slot);
    void SetFx(uint32_t slot);
    // Whether an insert effect of the voice was made from the effect.
    bool HoldsFx(const ISxEffectObject* effect) const;
    // The callback gets each insert effect made from the effect, with the voice's game object.
    void ForEachFxInstance(const ISxEffectObject* effect, SxFxInstanceCallback callback, void* cookie) const;

    State GetState() const { return m_state; }
    CSxPBI* Instance() const { return m_current.instance; }
    CSxVPLSrcNode* Source() const { return m_current.source; }
    // The end of the voice: its instances are told, once.
    void NotifyEnd();

    // What a voice below the volume threshold does, and how a virtual voice comes back.
    enum BelowThreshold : uint8_t { kKeepPlaying = 0, kStopVoice = 1, kGoVirtual = 2 };
    enum VirtualResume : uint8_t { kFromBeginning = 0, kFromElapsedTime = 1, kResume = 2 };

private:
    // Moves the current source to the instance's start position once, when it has one.
    SXRESULT SeekToStart();
    struct SourceSlot {
        CSxPBI* instance = nullptr;
        CSxVPLSrcNode* source = nullptr;
        CSxSrcNotifier* notifier = nullptr;
    };
    SXRESULT MakeSource(CSxPBI* instance, SourceSlot& out);
    static void FreeSource(SourceSlot& source);
    // The current source is told it ended and the next takes its place; started: it is told
    // it started.
    void SwitchToNextSrc(bool started);
    SXRESULT InitChain();
    void ReleaseEffects();
    SXRESULT MakeEffect(uint32_t slot);
    // False when the voice is inaudible.
    bool ComputeVolumes();
    // The game object sends to some environment this frame or did last frame.
    bool HasSends() const;
    // The send path's signal of this frame: the buffer before the dry path's low-pass, through
    // its own.
    void PrepareSendPath();
    void ReadVirtualBehavior();
    void EnterVirtual();
    void LeaveVirtual();
    // A virtual voice resuming from the elapsed time lets its source's time run on.
    void SkipVirtualFrame();

    uint32_t m_outputRate;
    uint32_t m_frameLength = SxFrameLength;
    bool m_motion = false;
    State m_state = kCreated;
    SourceSlot m_current;
    SourceSlot m_next;
    CSxVPLPitchNode m_pitch;
    CSxVPLFilterNode* m_fx[SxInsertFxSlots] = {};
    CSxSrcLpFilter m_lowPass;  // the dry path's
    SxNodeBuffer m_buffer;
    std::vector<float> m_samples;
    // The environmental sends' path, filtered apart from the dry path: an obstructed sound's
    // reverb is not muffled by the obstruction.
    CSxSrcLpFilter m_sendLowPass;
    std::vector<float> m_sendSamples;
    SxAudioBuffer m_send;
    // What the sends mix this frame: m_send, or the voice's own buffer when neither path
    // filters; null without sends.
    SxAudioBuffer* m_sendSource = nullptr;
    CSxSrcLpFilter m_motionCopyFilter;  // made with the first copy
    bool m_motionCopyFilterReady = false;
    std::vector<float> m_motionCopySamples;
    SxAudioBuffer m_motionCopy;
    SxSpeakerGains m_gains[6];
    SxSpeakerGains m_wet[6];
    SxEnvironmentValue m_kept[SxMaxEnvironmentSends];  // last frame's send levels
    uint32_t m_startOffset = 0;                        // frames of silence before the source, counted once, here
    uint32_t m_startBatch = 0;
    bool m_sourceReady = false;
    // The source's position at the start of this frame's buffer goes to the repository.
    void NotifyPosition();       // the source answered ready: it is not asked again
    bool m_seekPending = false;  // the instance's start position is still to be reached
    uint8_t m_belowThreshold = kKeepPlaying;
    uint8_t m_resume = kFromBeginning;
    bool m_audibleLast = true;
    bool m_virtual = false;
    bool m_chainBuilt = false;
    bool m_ended = false;
    bool m_sourceEnded = false;  // only the effects' tails are left
    bool m_bypassAll = false;
    bool m_feedsEnv = false;
};

}  // namespace SX

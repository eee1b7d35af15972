#pragma once
// A voice: the lower engine's rendering of one playback instance. It owns the source, the
// pitch node and the low-pass filter, computes its speaker volumes each frame and hands the
// lower engine one planar buffer to mix.
#include <cstdint>
#include <vector>

#include "sound/engine/lower/CSxSrcLpFilter.h"
#include "sound/engine/lower/CSxSrcNotifier.h"
#include "sound/engine/lower/SxMixKernels.h"
#include "sound/engine/voice/CSxVPLPitchNode.h"
#include "sound/engine/voice/SxNodeBuffer.h"

namespace SX {

class CSxPBI;
class CSxVPLSrcNode;

class CSxVPLSrcCbxNode {
public:
    enum State : uint32_t { kCreated = 0, kPlaying = 1, kStopped = 2, kPaused = 3 };

    explicit CSxVPLSrcCbxNode(uint32_t outputRate) : m_outputRate(outputRate) {}
    ~CSxVPLSrcCbxNode();
    CSxVPLSrcCbxNode(const CSxVPLSrcCbxNode&) = delete;
    CSxVPLSrcCbxNode& operator=(const CSxVPLSrcCbxNode&) = delete;

    // Makes the instance's source and starts it: 1 or 63 keep it; 2 when no source can be
    // made; any other result of the source (7, 78, 2) is returned and the source freed.
    SXRESULT AddSrc(CSxPBI* instance);
    // 1 when the source is ready, 63 while it must wait, 2 on failure. The start offset is
    // not looked at here: PrepareFrame alone counts it down.
    SXRESULT IsReadyToPlay();

    void Start();
    void Stop();
    void Pause();
    void Resume();
    void StopLooping();
    // To the instance's requested position; a failure stops the voice.
    void SeekVoice();

    // The per-frame decision: false while stopped or paused, while the start offset spans
    // the whole frame (it then drops by one frame), when the chain cannot be built, and while
    // the voice is below the volume threshold past one more frame (it then keeps playing,
    // stops or goes virtual, as its node says).
    bool PrepareFrame();
    bool IsVirtual() const { return m_virtual; }
    // Renders one frame into the voice's buffer: 45, or 17 for its last frame, 2 failure.
    SXRESULT Render();
    SxNodeBuffer& Buffer() { return m_buffer; }
    const SxSpeakerGains* Gains() const { return m_gains; }
    // After mixing: this frame's volumes become the start of the next frame's ramp.
    void FinishFrame();

    State GetState() const { return m_state; }
    CSxPBI* Instance() const { return m_instance; }
    CSxVPLSrcNode* Source() const { return m_source; }
    // The end of the voice: its instance is told, once.
    void NotifyEnd();

    // What a voice below the volume threshold does, and how a virtual voice comes back.
    enum BelowThreshold : uint8_t { kKeepPlaying = 0, kStopVoice = 1, kGoVirtual = 2 };
    enum VirtualResume : uint8_t { kFromBeginning = 0, kFromElapsedTime = 1, kResume = 2 };

private:
    SXRESULT InitChain();
    // False when the voice is inaudible.
    bool ComputeVolumes();
    void ReadVirtualBehavior();
    void EnterVirtual();
    void LeaveVirtual();
    // A virtual voice resuming from the elapsed time lets its source's time run on.
    void SkipVirtualFrame();

    uint32_t m_outputRate;
    State m_state = kCreated;
    CSxPBI* m_instance = nullptr;
    CSxVPLSrcNode* m_source = nullptr;
    CSxSrcNotifier* m_notifier = nullptr;
    CSxVPLPitchNode m_pitch;
    CSxSrcLpFilter m_lowPass;
    SxNodeBuffer m_buffer;
    std::vector<float> m_samples;
    SxSpeakerGains m_gains[6];
    uint32_t m_startOffset = 0;  // frames of silence before the source, counted once, here
    uint8_t m_belowThreshold = kKeepPlaying;
    uint8_t m_resume = kFromBeginning;
    bool m_audibleLast = true;
    bool m_virtual = false;
    bool m_chainBuilt = false;
    bool m_ended = false;
};

}  // namespace SX

#pragma once
// One sound of one leaf node playing on one game object: its parameters computed from the
// node tree, its fades, priority and positioning values, and its link to a voice of the lower
// engine, to which it posts transport commands. The lower engine reports back through the
// upper renderer's command list.
#include <cstdint>
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/hierarchy/CSxParameterNodeBase.h"
#include "sound/engine/paths/CSxPath.h"
#include "sound/engine/transitions/ITransitionable.h"
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/upper/SxPBIParams.h"
#include "sound/engine/upper/SxPathFollower.h"

namespace SX {

class CSxSoundBase;
class CSxSource;
class CSxTransition;

struct SxPriorityParams {
    float priority = 50.0f;
    float basePriority = 50.0f;
    float distanceOffset = 0.0f;
};

// What the instance hands the mixer about its position.
struct SxPositioningValues {
    uint32_t type = 0;  // 0 for a 2D sound
    bool is2D = true;
    float value1 = 0.0f;  // positioning values 1 and 2 (game parameters 20 and 21)
    float value2 = 0.0f;
    float value3 = 0.0f;  // a fraction
    SxUniqueID attenuationID = 0;
    uint8_t flags3D = 0;  // the 3D block's flags (bit 4: listener 0 only, and the cone of a path)
    // Beyond the cone's outside angle: the volume (dB) and the low-pass value (0 to 100),
    // copied from the attenuation unless game parameters 13 and 14 drive them.
    float coneOutsideVolume = 0.0f;
    float coneOutsideLowPass = 0.0f;
};

class CSxPBI : public ITransitionable, public ISxPathUser {
public:
    static constexpr int32_t kResumeFade = 0x8000000;
    static constexpr float kSilenceDb = -96.3f;

    // Takes references to the node and the game object and joins the node's instance list.
    CSxPBI(CSxSoundBase* node, CSxSource* source, const SxPBIParams& params, const SxPriorityParams& priority);
    virtual ~CSxPBI();
    CSxPBI(const CSxPBI&) = delete;
    CSxPBI& operator=(const CSxPBI&) = delete;

    // Registers with the playing manager, copies the positioning and takes the media. 2 for
    // playing ID 0 or an attenuation that is not loaded.
    virtual SXRESULT Init();
    // Undoes everything Init and the constructor took; initFailed only tells why.
    virtual void Term(bool initFailed);

    void PrepareToPlay();
    void PlayWithFade(const SxFadeParams& fade, bool paused);
    void StopWithFade(const SxFadeParams& fade, bool allowImmediate);
    // An instance limit made room: stops at once, remembering why (0 instance limit, 1 voice
    // limit, 2 memory).
    void StopByLimit(uint32_t reason);
    // Once: the lower engine is told to stop (a stop is never lost) and the fades end.
    void StopInstance();
    void Pause(bool quiet);
    void PauseWithFade(const SxFadeParams& fade);
    void Resume();
    void ResumeWithFade(const SxFadeParams& fade, bool masterResume);
    // Ends the loop so that the sound plays out; on behalf of the node with that ID.
    virtual void PlayToEnd(SxUniqueID breakerID);
    virtual void SeekTime(int32_t ms, bool snap);
    virtual void SeekPercent(float fraction, bool snap);
    // The voice ends at this sample of the frame it renders next (the earliest asked for wins).
    void SetStopOffset(uint32_t offset) {
        if (m_stopOffset < 0 || offset < static_cast<uint32_t>(m_stopOffset))
            m_stopOffset = static_cast<int32_t>(offset);
    }
    // -1 without one; read once by the voice.
    int32_t TakeStopOffset() {
        const int32_t offset = m_stopOffset;
        m_stopOffset = -1;
        return offset;
    }
    // Before the instance plays: its voice begins this many output samples into the source.
    void SetStartPosition(uint32_t samples) {
        m_seekSamples = samples;
        m_seekFraction = 0.0f;
    }

    // A volume factor kept under a key (flags bit 0 tells two of one key apart, bit 1 keeps it
    // across parameter refreshes); a factor of 1.0 removes it. With exclusive, one of the same
    // key and the other bit 0 gives way, unless the new one has bit 0 set.
    void SetVolumeModifier(float factor, const void* key, uint32_t flags, bool exclusive);

    // Recomputes from the tree unless the parameters are still valid.
    void RefreshParameters();
    void InvalidateParameters() { m_lifecycle &= ~kParamsValid; }

    // From the lower engine: each records the voice's state; start and end go through the
    // upper renderer's command list.
    void NotifyStarted(float timeLeftMs);
    void NotifyPaused() { SetSourceState(kSourcePaused); }
    void NotifyResumed() { SetSourceState(kSourcePlaying); }
    void Destroy(uint32_t argument);
    // The started report's time left before the end (0 when unknown).
    virtual void NotifyTimeLeft(float) {}
    void SetVoiceContext(void* voice) { m_voice = voice; }
    void* VoiceContext() const { return m_voice; }

    void TransUpdateValue(int32_t targetID, float value, bool done) override;
    // The node's position path moves the emitter.
    void SetPathPosition(const SxVector& position) override {
        m_pathPosition = position;
        m_hasPathPosition = true;
    }

    CSxSoundBase* Node() const { return m_node; }
    CSxSource* Source() const { return m_source; }
    // Plays on the motion devices rather than the loudspeakers.
    bool IsMotion() const { return m_motion; }
    CSxRegisteredObj* GameObj() const { return m_gameObj; }
    SxPlayingID PlayingID() const { return m_playingID; }
    const uint32_t* CustomData() const { return m_customData; }
    uint32_t SequenceNumber() const { return m_sequence; }
    // Instances of one continuous sequence share a non-zero ID: the lower engine plays each
    // next one as its voice's next source, joined to the end of the one before.
    uint32_t ContinuousSequence() const { return m_continuousSequence; }
    void SetContinuousSequence(uint32_t id) { m_continuousSequence = id; }
    float Priority() const { return m_priority.priority; }
    float EffectiveVolume() const { return m_effectiveVolume; }
    float EffectiveLFE() const { return m_effectiveLFE; }
    float Pitch() const { return m_pitch; }
    float LPF() const { return m_lpf; }
    uint16_t LoopCount() const { return m_loopCount; }
    const SxPositioningValues& Positioning() const { return m_positioning; }
    // Where its position path has taken it; false before the path's first step.
    bool PathPosition(SxVector& position) const {
        position = m_pathPosition;
        return m_hasPathPosition;
    }
    uint32_t SeekPosition() const { return m_seekSamples; }
    float SeekFraction() const { return m_seekFraction; }
    uint32_t SampleOffset() const { return m_sampleOffset; }
    void SetSampleOffset(uint32_t offset) { m_sampleOffset = offset; }
    bool IsPaused() const { return m_transport & kPaused; }
    bool IsStopping() const { return m_lifecycle & kStopping; }
    // The audio frame its play was queued in: voices of one batch start on one sample.
    uint32_t PlayBatch() const { return m_playBatch; }
    // Samples into the audio frame in which its voice started (told by the voice at its start).
    uint32_t StartFrameOffset() const { return m_startFrameOffset; }
    void SetStartFrameOffset(uint32_t offset) { m_startFrameOffset = offset; }
    // Its event was posted asking for its play position: the voice keeps it in the repository.
    bool TracksPosition() const { return m_tracksPosition; }
    bool IsStoppedByLimit() const { return m_transport & kStoppedByLimit; }
    // A limiter asked this frame for the voice to go virtual; the lower engine does it and
    // reports with MarkVirtual, and UnmarkVirtual when the voice comes back.
    bool IsSentVirtual() const { return m_sentVirtual; }
    bool IsVirtual() const { return m_virtual; }
    void MarkVirtual();
    void UnmarkVirtual();
    bool IsStarted() const { return m_lifecycle & kStarted; }
    bool IsFinished() const { return m_lifecycle & kFinished; }
    bool IsStopped() const { return m_lifecycle & kStopped; }
    bool IsStopRequested() const { return m_transport & kStopRequested; }
    uint32_t PauseCount() const { return m_pauseCount; }
    const uint8_t* Media() const { return m_media; }
    uint32_t MediaSize() const { return m_mediaSize; }

private:
    friend struct platform::TestProbe<CSxPBI>;

    friend class CSxURenderer;
    friend class CSxLEngineCmds;
    friend class CSxSoundBase;

    static constexpr uint8_t kSourcePaused = 1;
    static constexpr uint8_t kSourcePlaying = 3;
    // Lifecycle bits.
    static constexpr uint8_t kParamsValid = 1 << 0;
    static constexpr uint8_t kOffsetsDrawn = 1 << 2;
    static constexpr uint8_t kStarted = 1 << 3;
    static constexpr uint8_t kStopped = 1 << 5;
    static constexpr uint8_t kFinished = 1 << 6;
    static constexpr uint8_t kStopping = 1 << 7;
    // Transport bits.
    static constexpr uint8_t kStopRequested = 1 << 0;
    static constexpr uint8_t kPaused = 1 << 1;
    static constexpr uint8_t kStoppedByLimit = 1 << 3;
    static constexpr uint8_t kCountsReleased = 1 << 7;

    uint8_t SourceState() const { return (m_state >> 3) & 0xF; }
    void SetSourceState(uint8_t state) { m_state = static_cast<uint8_t>((m_state & ~0x78) | (state << 3)); }
    void ComputeEffectiveVolumes();
    // The 3D parameters of the first node with some, up to the node that overrides positioning.
    const SxPositioning* FindPositioning() const;
    // The attenuation's cone values, kept for the refreshes; false when it is not loaded.
    bool CopyAttenuationCone();
    void ReadPositioning();
    CSxTransition* StartFade(int32_t kind, float fromDb, float toDb, const SxFadeParams& fade);
    void ReleaseFades();
    SXRESULT PostLower(SxLowerCommand command);

    // Links: the renderer's active list and the node's instance list.
    CSxPBI* m_nextActive = nullptr;
    CSxPBI* m_prevActive = nullptr;
    CSxPBI* m_nextOfNode = nullptr;
    CSxPBI* m_prevOfNode = nullptr;
    // The renderer's entries for this instance's start and end, so that neither can be lost.
    struct RendererEntry {
        RendererEntry* next = nullptr;
        CSxPBI* instance = nullptr;
        uint32_t command = 0;
        float value = 0.0f;
        bool queued = false;
    };
    RendererEntry m_startedEntry;
    RendererEntry m_destroyEntry;
    // The lower engine's entry kept for this instance's stop.
    SxLowerCmdEntry m_stopEntry;
    uint32_t m_queuedPlay = 0;  // play or play-paused commands still queued
    uint32_t m_playBatch = 0;   // the batch of its last queued play
    bool m_tracksPosition = false;
    uint32_t m_startFrameOffset = 0;

    CSxSoundBase* m_node;
    CSxSource* m_source;
    CSxRegisteredObj* m_gameObj;
    SxPlayingID m_playingID;
    uint32_t m_customData[3];
    SxExternalSourceArray* m_externalSources;
    SxPlayHistory m_history;
    SxPriorityParams m_priority;
    uint32_t m_sequence;
    uint32_t m_continuousSequence = 0;
    bool m_motion = false;
    void* m_voice = nullptr;
    CSxTransition* m_playStopFade = nullptr;
    CSxTransition* m_pauseFade = nullptr;
    bool m_isStopFade = false;
    bool m_isPauseFade = false;
    SxAudioSums m_sums;
    SxAudioSums m_offsets;
    float m_effectiveVolume = 0.0f;
    float m_effectiveLFE = 0.0f;
    float m_pitch = 0.0f;
    float m_lpf = 0.0f;
    float m_volumeFactor = 1.0f;  // the mute ratios along the tree
    float m_playStopRatio = 1.0f;
    float m_pauseRatio = 1.0f;
    SxPositioningValues m_positioning;
    float m_attenuationCone[2] = {};  // outside volume and low-pass, copied at Init
    SxPathFollower m_path;
    SxVector m_pathPosition;
    bool m_hasPathPosition = false;
    uint32_t m_seekSamples = 0;
    float m_seekFraction = 0.0f;
    uint32_t m_pauseCount = 0;
    uint32_t m_sampleOffset = 0;
    int32_t m_stopOffset = -1;
    const uint8_t* m_media = nullptr;
    uint32_t m_mediaSize = 0;
    uint16_t m_loopCount = 1;
    uint8_t m_state = 0;
    uint8_t m_lifecycle = 0;
    uint8_t m_transport = 0;
    struct VolumeModifier {
        const void* key;
        uint32_t flags;
        float factor;
    };
    std::vector<VolumeModifier> m_modifiers;
    bool m_registered = false;  // holds an active count of its playing ID
    bool m_sentVirtual = false;
    bool m_wasLimited = false;  // sent virtual by a limiter last frame
    bool m_virtual = false;
};

}  // namespace SX

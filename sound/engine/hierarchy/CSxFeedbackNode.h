#pragma once
// The leaf that drives motion devices: one source per device kind (company and device ID).
// Playing it starts, at the motion rate, an instance for each source whose device some player
// uses; those instances become motion voices mixed into the players' devices.
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/upper/CSxSource.h"

namespace SX {

class CSxFeedbackNode : public CSxSoundBase {
public:
    struct SrcInfo {
        SxUniqueID sourceID = 0;
        uint16_t companyID = 0;
        uint16_t deviceID = 0;
        float volumeOffsetDb = 0.0f;
        CSxSource source;
    };

    // Constructed and entered in the node table; null when memory fails.
    static CSxFeedbackNode* Create(SxUniqueID id);
    using CSxSoundBase::CSxSoundBase;
    ~CSxFeedbackNode() override;

    // u32 ID, u32 source count, per source {u16 company, u16 device, f32 offset dB, source
    // description}, the common node block.
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size);

    SxNodeCategory NodeCategory() const override { return SxNodeCategory_FeedbackNode; }
    uint32_t IndexableType() const override { return 10; }
    SXRESULT Play(SxPBIParams& params) override;
    SXRESULT ExecuteAction(const SxActionParams& params) override;
    // Every source's media; a failure unprepares those before it.
    SXRESULT PrepareData() override;
    void UnPrepareData() override;

    // Sources are keyed by source and device, since plug-in sources of several devices share
    // their plug-in's ID. A key already present answers 1 and keeps its entry; 2 when no entry
    // can be made.
    SXRESULT AddSource(SxUniqueID sourceID, uint16_t companyID, uint16_t deviceID);
    // Takes effect at the next frame of the instances of that source only.
    void SetSourceVolumeOffset(SxUniqueID sourceID, float offsetDb);
    // The stored offset of one of this node's sources (0 for any other).
    float GetSourceVolumeOffset(const CSxSource* source) const;
    void ClearSources();

private:
    friend struct platform::TestProbe<CSxFeedbackNode>;

    SrcInfo* Find(SxUniqueID sourceID, uint16_t companyID, uint16_t deviceID);
    // Takes the entry; frees it and answers false without memory.
    bool Insert(SrcInfo* info);
    std::vector<SrcInfo*> m_sources;
};

class CSxPBI;

// What an instance gives the motion devices, summed along its node's tree: a feedback send
// (some node sets a feedback volume; motion instances always have one), its level in dB (the
// instance's volume, the feedback volumes and, for a feedback node's instance, its source's
// offset) and the low-pass value of the motion path.
struct SxFeedbackParams {
    bool send = false;
    float volumeDb = 0.0f;
    float lowPass = 0.0f;
};
SxFeedbackParams SxGetFeedbackParams(const CSxPBI& instance);

}  // namespace SX

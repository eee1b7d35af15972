#include "sound/engine/hierarchy/CSxFeedbackNode.h"

#include <algorithm>
#include <new>

#include "core/Logger.h"
#include "sound/engine/buses/CSxFeedbackBus.h"
#include "sound/engine/hierarchy/CSxSound.h"
#include "sound/engine/hierarchy/SxPrepareAll.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/motion/CSxMotionDeviceMgr.h"
#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/upper/CSxURenderer.h"

namespace SX {

namespace {

// More sources than device kinds exist is a corrupt record.
constexpr uint32_t kMaxSources = 64;

}  // namespace

CSxFeedbackNode* CSxFeedbackNode::Create(SxUniqueID id) {
    auto* node = SxNew<CSxFeedbackNode>(g_DefaultPoolId, id);
    if (node && g_pObjectIndex) g_pObjectIndex->AddToIndex(node);
    return node;
}

CSxFeedbackNode::~CSxFeedbackNode() { ClearSources(); }

SXRESULT CSxFeedbackNode::SetInitialValues(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    uint32_t id, count;
    if (!cursor.U32(id) || !cursor.U32(count)) return SX_Fail;
    if (count > kMaxSources) {
        SD_WARNING(Debug::kLogSevere, "feedback node %u: %u sources, at most %u; refused", id, count, kMaxSources);
        return SX_Fail;
    }
    for (uint32_t i = 0; i < count; ++i) {
        auto* info = new (std::nothrow) SrcInfo();
        if (!info) return SX_InsufficientMemory;
        SXRESULT result = SX_Fail;
        if (cursor.U16(info->companyID) && cursor.U16(info->deviceID) && cursor.F32(info->volumeOffsetDb))
            result = SxLoadSource(cursor, info->source);
        info->sourceID = info->source.MediaID();
        // A source already held keeps its first description.
        if (result != SX_Success || Find(info->sourceID, info->companyID, info->deviceID)) {
            delete info;
            if (result != SX_Success) return result;
            continue;
        }
        if (!Insert(info)) return SX_InsufficientMemory;
    }
    return SetNodeBaseParams(cursor, false);
}

bool CSxFeedbackNode::Insert(SrcInfo* info) {
    try {
        m_sources.push_back(info);
    } catch (const std::bad_alloc&) {
        delete info;
        return false;
    }
    return true;
}

CSxFeedbackNode::SrcInfo* CSxFeedbackNode::Find(SxUniqueID sourceID, uint16_t companyID, uint16_t deviceID) {
    for (SrcInfo* info : m_sources)
        if (info->sourceID == sourceID && info->companyID == companyID && info->deviceID == deviceID) return info;
    return nullptr;
}

SXRESULT CSxFeedbackNode::AddSource(SxUniqueID sourceID, uint16_t companyID, uint16_t deviceID) {
    if (Find(sourceID, companyID, deviceID)) return SX_Success;
    auto* info = new (std::nothrow) SrcInfo();
    if (!info) return SX_Fail;
    info->sourceID = sourceID;
    info->companyID = companyID;
    info->deviceID = deviceID;
    info->source.SetSourceByID(sourceID);
    return Insert(info) ? SX_Success : SX_Fail;
}

void CSxFeedbackNode::SetSourceVolumeOffset(SxUniqueID sourceID, float offsetDb) {
    // The voices read the offset each frame, so only the instances of this source change.
    for (SrcInfo* info : m_sources)
        if (info->sourceID == sourceID) info->volumeOffsetDb = offsetDb;
}

float CSxFeedbackNode::GetSourceVolumeOffset(const CSxSource* source) const {
    for (const SrcInfo* info : m_sources)
        if (&info->source == source) return info->volumeOffsetDb;
    return 0.0f;
}

void CSxFeedbackNode::ClearSources() {
    for (SrcInfo* info : m_sources) delete info;
    m_sources.clear();
}

SXRESULT CSxFeedbackNode::Play(SxPBIParams& params) {
    // A copy, so that siblings played with the same request (a layer's) stay audio.
    SxPBIParams motionParams = params;
    motionParams.forFeedback = 1;
    // The offset counts output frames; motion runs at 384000 / output rate frames per 1024.
    const uint32_t rate = CSxLEngine::OutputSampleRate();
    const auto step = static_cast<uint16_t>(rate ? 384000 / rate : 8);
    motionParams.sampleOffset = static_cast<uint32_t>((static_cast<uint64_t>(params.sampleOffset) * step) >> 10);
    const CSxMotionDeviceMgr* motion = CSxMotionDeviceMgr::Active();
    if (!motion) return SX_Success;
    for (SrcInfo* info : m_sources)
        if (motion->IsPlayerUsingDevice(info->companyID, info->deviceID))
            CSxURenderer::Play(this, &info->source, motionParams);
    return SX_Success;
}

SXRESULT CSxFeedbackNode::ExecuteAction(const SxActionParams& params) {
    SXRESULT result;
    if (BeginAction(params, result) || params.kind != SxActionKind_Break) return result;
    for (CSxPBI* instance = FirstInstance(); instance; instance = NextInstance(instance))
        if ((!params.gameObj || instance->GameObj() == params.gameObj) &&
            (!params.playingID || instance->PlayingID() == params.playingID))
            instance->PlayToEnd(params.targetID);
    return SX_Success;
}

namespace {

struct TreeSums {
    bool feedbackVolumeSet = false;
    bool feedbackBusNamed = false;
    float feedbackVolumeDb = 0.0f;
    float lowPass = 0.0f;
};

TreeSums SumTree(const CSxParameterNodeBase* node) {
    TreeSums sums;
    for (; node; node = node->Parent()) {
        const SxPropBundle& props = node->Props();
        if (props.Find(SxProp_FeedbackVolume)) sums.feedbackVolumeSet = true;
        if (node->FeedbackBusID()) sums.feedbackBusNamed = true;
        sums.feedbackVolumeDb += props.GetFloat(SxProp_FeedbackVolume);
        sums.lowPass += props.GetFloat(SxProp_FeedbackLPF);
    }
    return sums;
}

}  // namespace

SxFeedbackParams SxGetFeedbackParams(const CSxPBI& instance) {
    SxFeedbackParams params;
    const CSxSoundBase* node = instance.Node();
    if (!node) return params;
    const TreeSums sums = SumTree(node);
    params.send = instance.IsMotion() || sums.feedbackVolumeSet || sums.feedbackBusNamed;
    if (!params.send) return params;
    params.volumeDb = instance.EffectiveVolume() + sums.feedbackVolumeDb;
    if (node->NodeCategory() == SxNodeCategory_FeedbackNode)
        params.volumeDb += static_cast<const CSxFeedbackNode*>(node)->GetSourceVolumeOffset(instance.Source());
    // Every path to the motion devices goes through the node's motion bus and those above it.
    CSxFeedbackBus* bus = CSxFeedbackBus::OfNodeAndAddRef(node);
    params.volumeDb += CSxFeedbackBus::ChainLevels(bus).volumeDb;
    if (bus) bus->Release();
    params.lowPass = std::min(100.0f, std::max(0.0f, sums.lowPass));
    return params;
}

SXRESULT CSxFeedbackNode::PrepareData() {
    return SxPrepareAll(
        m_sources, [](SrcInfo* info) { return info->source.PrepareData(); },
        [](SrcInfo* info) { info->source.UnPrepareData(); });
}

void CSxFeedbackNode::UnPrepareData() {
    for (SrcInfo* info : m_sources) info->source.UnPrepareData();
}

}  // namespace SX

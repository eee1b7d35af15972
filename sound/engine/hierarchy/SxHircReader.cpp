#include "sound/engine/hierarchy/SxHircReader.h"

#include <atomic>
#include <new>

#include "core/Logger.h"
#include "platform/Seam.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/attenuations/CSxAttenuation.h"
#include "sound/engine/attenuations/CSxFxBase.h"
#include "sound/engine/buses/CSxBus.h"
#include "sound/engine/buses/CSxFeedbackBus.h"
#include "sound/engine/containers/CSxLayerCntr.h"
#include "sound/engine/containers/CSxRanSeqCntr.h"
#include "sound/engine/containers/CSxSwitchCntr.h"
#include "sound/engine/dialogue/CSxDialogueEvent.h"
#include "sound/engine/events/CSxAction.h"
#include "sound/engine/events/CSxEvent.h"
#include "sound/engine/hierarchy/CSxFeedbackNode.h"
#include "sound/engine/hierarchy/CSxParentNode.h"
#include "sound/engine/hierarchy/CSxSound.h"
#include "sound/engine/hierarchy/CSxState.h"
#include "sound/engine/hierarchy/SxReadCursor.h"
#include "sound/engine/index/CSxObjectIndex.h"

namespace SX {

namespace {

platform::Seam<ISxHircObjectReader> g_hircObjectHook{"SX::ISxHircObjectReader"};
std::atomic<bool> g_nodesCarryFeedbackBus{false};

bool ReadHere(uint8_t type) {
    return type == SxHirc_State || type == SxHirc_Sound || type == SxHirc_Action || type == SxHirc_Event ||
           type == SxHirc_ActorMixer || type == SxHirc_RanSeq || type == SxHirc_Bus || type == SxHirc_Switch ||
           type == SxHirc_Attenuation || type == SxHirc_Layer || type == SxHirc_Dialogue || type == SxHirc_FxShareSet ||
           type == SxHirc_FxCustom || type == SxHirc_FeedbackNode || type == SxHirc_FeedbackBus;
}

template <typename Object>
SXRESULT ReadNew(Object* object, const uint8_t* body, uint32_t size, CSxIndexable** out) {
    if (!object) return SX_Fail;
    SXRESULT result;
    // A record whose reading runs out of memory is refused like any other that fails.
    try {
        result = object->SetInitialValues(body, size);
    } catch (const std::bad_alloc&) {
        result = SX_InsufficientMemory;
    }
    if (result != SX_Success) {
        object->Release();
        return result;
    }
    *out = object;
    return SX_Success;
}

SxIndexTable TableOf(uint8_t type) {
    switch (type) {
        case SxHirc_State:
            return SxIndex_State;
        case SxHirc_Action:
            return SxIndex_Action;
        case SxHirc_Event:
            return SxIndex_Event;
        case SxHirc_Attenuation:
            return SxIndex_Attenuation;
        case SxHirc_Dialogue:
            return SxIndex_DialogueEvent;
        case SxHirc_FxShareSet:
            return SxIndex_FxShareSet;
        case SxHirc_FxCustom:
            return SxIndex_FxCustom;
        default:
            return SxIndex_Node;
    }
}

}  // namespace

void SxSetHircObjectHook(ISxHircObjectReader* reader) { g_hircObjectHook.Install(reader); }
void SxRemoveHircObjectHook(ISxHircObjectReader* reader) { g_hircObjectHook.Remove(reader); }

void SxSetNodesCarryFeedbackBus(bool carry) { g_nodesCarryFeedbackBus = carry; }
bool SxNodesCarryFeedbackBus() { return g_nodesCarryFeedbackBus; }

SXRESULT SxReadHircObject(uint8_t type, const uint8_t* body, uint32_t size, CSxIndexable** out) {
    *out = nullptr;
    SxReadCursor cursor(body, size);
    uint32_t id;
    if (!g_pObjectIndex || !cursor.U32(id)) return SX_Fail;
    if (!ReadHere(type)) {
        SD_WARNING(Debug::kLogSevere, "hierarchy record %u of type %u is not read by this engine; skipped", id, type);
        return SX_Success;
    }
    if (CSxIndexable* existing = g_pObjectIndex->GetPtrAndAddRef(TableOf(type), id)) {
        *out = existing;
        return SX_Success;
    }
    platform::Lock lock(g_csMain);
    switch (type) {
        case SxHirc_State:
            return ReadNew(CSxState::Create(id), body, size, out);
        case SxHirc_Sound:
            return ReadNew(CSxSound::Create(id), body, size, out);
        case SxHirc_FeedbackNode:
            return ReadNew(CSxFeedbackNode::Create(id), body, size, out);
        case SxHirc_ActorMixer:
            return ReadNew(CSxActorMixer::Create(id), body, size, out);
        case SxHirc_Attenuation:
            return ReadNew(CSxAttenuation::Create(id), body, size, out);
        case SxHirc_Dialogue:
            return ReadNew(CSxDialogueEvent::Create(id), body, size, out);
        case SxHirc_FxShareSet:
            return ReadNew(CSxFxShareSet::Create(id), body, size, out);
        case SxHirc_FxCustom:
            return ReadNew(CSxFxCustom::Create(id), body, size, out);
        case SxHirc_Layer:
            return ReadNew(CSxLayerCntr::Create(id), body, size, out);
        case SxHirc_Switch:
            return ReadNew(CSxSwitchCntr::Create(id), body, size, out);
        case SxHirc_Bus:
            return ReadNew(CSxBus::Create(id), body, size, out);
        case SxHirc_FeedbackBus:
            return ReadNew(CSxFeedbackBus::Create(id), body, size, out);
        case SxHirc_RanSeq:
            // Made as a sequence; the block sets the real mode.
            return ReadNew(CSxRanSeqCntr::Create(id, CSxRanSeqCntr::Mode_Sequence), body, size, out);
        case SxHirc_Action: {
            uint16_t actionType;
            if (!cursor.U16(actionType)) return SX_Fail;
            CSxAction* action = CSxAction::Create(actionType, id);
            if (!action) {
                SD_WARNING(Debug::kLogSevere, "action %u has the type 0x%04X, which makes no action", id, actionType);
                return SX_Fail;
            }
            return ReadNew(action, body, size, out);
        }
        default: {
            CSxEvent* event = CSxEvent::Create(id);
            const SXRESULT result = ReadNew(event, body, size, out);
            if (result == SX_Success) g_pObjectIndex->AddToIndex(event);
            return result;
        }
    }
}

SXRESULT SxReadHircChunk(const uint8_t* data, uint32_t size, std::vector<CSxIndexable*>& loaded, SxBankID bank,
                         SXRESULT cut) {
    SxReadCursor cursor(data, size);
    uint32_t count;
    if (!cursor.U32(count) || !cursor.HasRoomFor(count, 5)) {
        SD_WARNING(Debug::kLogSevere, "hierarchy chunk of %u bytes has no room for its object count", size);
        return cut;
    }
    loaded.reserve(loaded.size() + count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t offset = size - cursor.Left();
        uint8_t type;
        uint32_t bodySize;
        if (!cursor.U8(type) || !cursor.U32(bodySize) || bodySize > cursor.Left()) {
            SD_WARNING(Debug::kLogSevere, "hierarchy record %u at offset %u is cut short", i, offset);
            return cut;
        }
        CSxIndexable* object = nullptr;
        SXRESULT result = SX_Refused;
        ISxHircObjectReader* const hook = g_hircObjectHook.Installed();
        if (!ReadHere(type) && hook) result = hook->ReadHircObject(type, cursor.Data(), bodySize, bank, &object);
        if (result == SX_Refused) result = SxReadHircObject(type, cursor.Data(), bodySize, &object);
        if (result != SX_Success) {
            SD_WARNING(Debug::kLogSevere, "hierarchy record %u (type %u) at offset %u failed with %d", i, type, offset,
                       result);
            return result;
        }
        if (object) loaded.push_back(object);
        cursor.Skip(bodySize);
    }
    return SX_Success;
}

}  // namespace SX

#include "sound/engine/hierarchy/CSxSound.h"

#include <algorithm>

#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/upper/CSxURenderer.h"

namespace SX {

SXRESULT SxLoadSource(SxReadCursor& cursor, CSxSource& source) {
    uint32_t pluginID, streamType, mediaID, fileID, offset = 0, size = 0;
    uint8_t sourceFlags;
    if (!cursor.U32(pluginID) || !cursor.U32(streamType) || !cursor.U32(mediaID) || !cursor.U32(fileID)) return SX_Fail;
    const uint32_t type = pluginID & 0xF;
    if (type != 0 && type != 1 && type != 2 && type != 5) return SX_Fail;
    if (type == 1 && streamType > 2) return SX_Fail;
    if (streamType != 1 && (!cursor.U32(offset) || !cursor.U32(size))) return SX_Fail;
    if (!cursor.U8(sourceFlags)) return SX_Fail;
    if (type == 2 || type == 5) {
        uint32_t paramSize;
        if (!cursor.U32(paramSize) || !cursor.HasRoomFor(paramSize, 1)) return SX_Fail;
        source.SetSourceByID(pluginID);
        if (!source.SetPluginParams(cursor.Data(), paramSize)) return SX_InsufficientMemory;
        cursor.Skip(paramSize);
        return SX_Success;
    }
    uint32_t flags = (sourceFlags & 1) ? CSxSource::kFlag0 : 0;
    if (streamType == 2) flags |= CSxSource::kPrefetch;
    if (type == 1)
        flags |= (streamType == 0 ? CSxSource::kKindInMemory : CSxSource::kKindStreamed) << CSxSource::kKindShift;
    if (sourceFlags & 2) flags |= CSxSource::kLFE;
    if (sourceFlags & 4) flags |= CSxSource::kFlag2;
    source.SetSource(pluginID, mediaID, fileID, offset, size, flags);
    return SX_Success;
}

CSxSound* CSxSound::Create(SxUniqueID id) {
    auto* node = SxNew<CSxSound>(g_DefaultPoolId, id);
    if (node && g_pObjectIndex) g_pObjectIndex->AddToIndex(node);
    return node;
}

SXRESULT CSxSound::SetInitialValues(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    uint32_t id;
    if (!cursor.U32(id)) return SX_Fail;
    const SXRESULT result = SxLoadSource(cursor, m_source);
    if (result != SX_Success) return result;
    return SetNodeBaseParams(cursor, false);
}

SXRESULT CSxSound::Play(SxPBIParams& params) { return CSxURenderer::Play(this, &m_source, params); }

SXRESULT CSxSound::ExecuteAction(const SxActionParams& params) {
    SXRESULT result;
    if (BeginAction(params, result)) return result;
    if (params.kind > SxActionKind_Seek) return SX_Success;
    bool targetChecked = false;
    for (CSxPBI* instance = FirstInstance(); instance; instance = NextInstance(instance)) {
        if (params.gameObj && instance->GameObj() != params.gameObj) continue;
        if (params.playingID && instance->PlayingID() != params.playingID) continue;
        if (params.kind == SxActionKind_Break) {
            if (!targetChecked) {
                // The element that asked must still be loaded.
                CSxIndexable* target =
                    g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, params.targetID) : nullptr;
                if (!target) return SX_Success;
                target->Release();
                targetChecked = true;
            }
            instance->PlayToEnd(params.targetID);
        } else if (params.seekBits & 1) {
            instance->SeekPercent(std::clamp(params.seekValue, 0.0f, 1.0f), params.seekBits & 2);
        } else {
            const auto ms = static_cast<int32_t>(params.seekValue);
            instance->SeekTime(ms < 0 ? 0 : ms, params.seekBits & 2);
        }
    }
    return SX_Success;
}

}  // namespace SX

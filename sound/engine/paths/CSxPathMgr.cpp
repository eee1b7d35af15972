#include "sound/engine/paths/CSxPathMgr.h"

#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/transitions/SxTimingSettings.h"

namespace SX {

CSxPathMgr* g_pPathMgr = nullptr;

SXRESULT CSxPathMgr::Init(uint32_t maxPaths) {
    m_max = maxPaths ? maxPaths : 255;
    m_count = 0;
    m_paths = static_cast<CSxPath**>(MemoryMgr::Malloc(g_DefaultPoolId, sizeof(CSxPath*) * m_max));
    return m_paths ? SX_Success : SX_InsufficientMemory;
}

void CSxPathMgr::Term() {
    for (uint32_t i = 0; i < m_count; ++i) SxDelete(g_DefaultPoolId, m_paths[i]);
    m_count = 0;
    MemoryMgr::Free(g_DefaultPoolId, m_paths);
    m_paths = nullptr;
}

int32_t CSxPathMgr::IndexOf(const CSxPath* path) const {
    for (uint32_t i = 0; i < m_count; ++i)
        if (m_paths[i] == path) return static_cast<int32_t>(i);
    return -1;
}

CSxPath* CSxPathMgr::AddPathToList() {
    if (!m_paths || m_count >= m_max) return nullptr;
    CSxPath* path = SxNew<CSxPath>(g_DefaultPoolId);
    if (path) m_paths[m_count++] = path;
    return path;
}

SXRESULT CSxPathMgr::RemovePathFromList(CSxPath* path) {
    const int32_t at = IndexOf(path);
    if (at < 0) return SX_PathNotFound;
    m_paths[at] = m_paths[--m_count];
    SxDelete(g_DefaultPoolId, path);
    return SX_Success;
}

void CSxPathMgr::RemoveIfUnused(CSxPath* path) {
    if (path->UserCount() == 0 && path->InstanceCount() == 0) RemovePathFromList(path);
}

SXRESULT CSxPathMgr::AddPathUser(CSxPath* path) {
    path->AddUser();
    return SX_Success;
}

SXRESULT CSxPathMgr::RemovePathUser(CSxPath* path) {
    path->RemoveUser();
    RemoveIfUnused(path);
    return SX_Success;
}

SXRESULT CSxPathMgr::AddPBI(CSxPath* path, ISxPathUser* instance) { return path->AttachInstance(instance); }

SXRESULT CSxPathMgr::RemovePBI(CSxPath* path, ISxPathUser* instance) {
    const SXRESULT result = path->DetachInstance(instance);
    if (result == SX_Success) RemoveIfUnused(path);
    return result;
}

SXRESULT CSxPathMgr::SetPathsList(CSxPath* path, const SxPathListItem* list, uint16_t count, uint32_t mode,
                                  bool looping, const SxPathState* saved) {
    if (!list || count == 0) return SX_InvalidParameter;
    return path->SetPlayList(list, count, mode, looping, saved);
}

SXRESULT CSxPathMgr::Start(CSxPath* path, SxPathState* saved) {
    if (!path->IsIdle()) return SX_Fail;
    if (path->Started()) {
        path->UpdateUsersPosition();
        return SX_Fail;
    }
    if (saved) path->RestoreState(*saved);
    const SXRESULT result = path->Start(g_uSxAudioFrameCounter);
    if (!(path->Mode() & CSxPath::kModeContinuous)) {
        path->GetNextPathInList();
        if (saved) saved->index = path->PathIndex();
    }
    return result;
}

SXRESULT CSxPathMgr::Pause(CSxPath* path) { return path->Pause(g_uSxAudioFrameCounter); }

SXRESULT CSxPathMgr::Resume(CSxPath* path) {
    if (path->GetState() != CSxPath::State_Paused) return SX_PathNotPaused;
    path->Resume(g_uSxAudioFrameCounter);
    return SX_Success;
}

void CSxPathMgr::ProcessPathsList(uint32_t frame) {
    for (uint32_t i = 0; i < m_count; ++i)
        if (m_paths[i]->GetState() == CSxPath::State_Running) m_paths[i]->UpdatePosition(frame);
}

}  // namespace SX

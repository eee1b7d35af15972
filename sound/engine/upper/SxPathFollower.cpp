#include "sound/engine/upper/SxPathFollower.h"

#include <algorithm>

#include "sound/engine/hierarchy/CSxParameterNodeBase.h"
#include "sound/engine/paths/CSxPathMgr.h"

namespace SX {

namespace {
constexpr uint32_t kPathPositioning = 2;
constexpr uint8_t kPathLooping = 1 << 5;
}  // namespace

bool SxPathFollower::Start(const SxPositioning& positioning, ISxPathUser* user) {
    Stop();
    if (positioning.type != kPathPositioning || positioning.items.empty() || positioning.vertices.empty() ||
        !g_pPathMgr)
        return false;
    m_vertices.clear();
    for (const SxPositioning::Vertex& v : positioning.vertices)
        m_vertices.push_back(SxPathVertex{v.x, v.y, v.z, v.durationMs});
    m_list.clear();
    const auto total = static_cast<uint32_t>(m_vertices.size());
    // Each path keeps to the vertices the block holds.
    for (const SxPositioning::Item& item : positioning.items) {
        if (item.firstVertex >= total) continue;
        const uint32_t count = std::min(item.vertexCount, total - item.firstVertex);
        m_list.push_back(SxPathListItem{m_vertices.data() + item.firstVertex, count, item.rangeX, item.rangeZ});
        if (m_list.size() == UINT16_MAX) break;
    }
    if (m_list.empty()) return false;
    // The way from the last vertex of a path to the next path takes the transition time.
    for (const SxPathListItem& item : m_list) {
        if (item.vertexCount == 0) continue;
        const auto last = static_cast<size_t>(item.vertices - m_vertices.data()) + item.vertexCount - 1;
        m_vertices[last].durationMs = positioning.pathTransitionMs;
    }
    CSxPath* path = g_pPathMgr->AddPathToList();
    if (!path) return false;
    const bool looping = positioning.flags3D & kPathLooping;
    const uint32_t mode = positioning.pathMode & (CSxPath::kModeRandom | CSxPath::kModeContinuous);
    // One path per sound: the node's sounds take the paths of its play list in turn.
    const bool step = !(mode & CSxPath::kModeContinuous);
    if (step && positioning.pathsPlayed.size() != m_list.size()) {
        positioning.pathsPlayed.assign(m_list.size(), 0);
        positioning.nextPath = 0;
    }
    SxPathState saved{positioning.nextPath, positioning.pathsPlayed.data()};
    if (g_pPathMgr->SetPathsList(path, m_list.data(), static_cast<uint16_t>(m_list.size()), mode, looping,
                                 step ? &saved : nullptr) != SX_Success ||
        g_pPathMgr->AddPBI(path, user) != SX_Success) {
        g_pPathMgr->RemovePathFromList(path);
        return false;
    }
    m_path = path;
    m_user = user;
    g_pPathMgr->Start(path, step ? &saved : nullptr);
    if (step) positioning.nextPath = saved.index;
    return true;
}

void SxPathFollower::Pause() {
    if (m_path && g_pPathMgr) g_pPathMgr->Pause(m_path);
}

void SxPathFollower::Resume() {
    if (m_path && g_pPathMgr) g_pPathMgr->Resume(m_path);
}

void SxPathFollower::Stop() {
    if (m_path && g_pPathMgr) g_pPathMgr->RemovePBI(m_path, m_user);
    m_path = nullptr;
    m_user = nullptr;
}

}  // namespace SX

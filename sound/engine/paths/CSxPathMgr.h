#pragma once
// Owns every running position path: makes one when a sound with position automation starts,
// counts the sounds and playback instances on it, starts, pauses and resumes it, steps the
// running ones once per audio frame and frees a path nothing uses any more. Audio thread only.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/paths/CSxPath.h"

namespace SX {

class CSxPathMgr {
public:
    // 0 allows 255 paths. 52 when the array cannot be made.
    SXRESULT Init(uint32_t maxPaths);
    void Term();

    // A new idle path, or null when the manager is full or memory fails.
    CSxPath* AddPathToList();
    // 36 when the path is not the manager's.
    SXRESULT RemovePathFromList(CSxPath* path);

    SXRESULT AddPathUser(CSxPath* path);
    // The path goes once neither sounds nor instances are left on it.
    SXRESULT RemovePathUser(CSxPath* path);
    // 2 when eight are attached, 40 when this one already is.
    SXRESULT AddPBI(CSxPath* path, ISxPathUser* instance);
    // 41 when not attached; the path goes once nothing is left on it.
    SXRESULT RemovePBI(CSxPath* path, ISxPathUser* instance);

    // 31 without a play list or with no paths in it.
    SXRESULT SetPathsList(CSxPath* path, const SxPathListItem* list, uint16_t count, uint32_t mode, bool looping,
                          const SxPathState* saved);
    // 2 when not idle (a started path writes its start again into its instances). In step
    // mode the saved state moves on to the path the next sound takes.
    SXRESULT Start(CSxPath* path, SxPathState* saved);
    // 38 unless running; 39 unless paused.
    SXRESULT Pause(CSxPath* path);
    SXRESULT Resume(CSxPath* path);
    void ProcessPathsList(uint32_t frame);

private:
    friend struct platform::TestProbe<CSxPathMgr>;

    int32_t IndexOf(const CSxPath* path) const;
    void RemoveIfUnused(CSxPath* path);

    CSxPath** m_paths = nullptr;
    uint32_t m_count = 0;
    uint32_t m_max = 0;
};

extern CSxPathMgr* g_pPathMgr;

}  // namespace SX

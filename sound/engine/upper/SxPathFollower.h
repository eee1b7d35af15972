#pragma once
// A playback instance's run along the position path of its node: a path of the path manager
// with the node's play list, which writes each position it reaches into the instance.
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/paths/CSxPath.h"

namespace SX {

struct SxPositioning;

class SxPathFollower {
public:
    SxPathFollower() = default;
    SxPathFollower(const SxPathFollower&) = delete;
    SxPathFollower& operator=(const SxPathFollower&) = delete;
    ~SxPathFollower() { Stop(); }

    // With path positioning and vertices: a new path, started, that moves the user. False
    // (nothing follows) otherwise, or when the manager has no room.
    bool Start(const SxPositioning& positioning, ISxPathUser* user);
    // With the sound's own pause and resume.
    void Pause();
    void Resume();
    // The path lets the user go and, unused, leaves the manager.
    void Stop();

private:
    friend struct platform::TestProbe<SxPathFollower>;

    CSxPath* m_path = nullptr;
    ISxPathUser* m_user = nullptr;
    // The play list the path walks lives as long as the path.
    std::vector<SxPathVertex> m_vertices;
    std::vector<SxPathListItem> m_list;
};

}  // namespace SX

#pragma once
// What tests read of the sound system's private state: the game's subsystem installed in the
// engine's sound system, the banks the manager holds by name, and the playing IDs it still
// remembers to stop.
#include <cstddef>
#include <map>
#include <string>

#include "platform/TestProbe.h"
#include "sound/system/GhostEngine.h"
#include "sound/system/SoundManager.h"

template <>
struct platform::TestProbe<SD::GhostEngine_> {
    static SD::IGhostSubsystem* GameSubsystem(const SD::GhostEngine_& ghost) { return ghost.game_.get(); }
};

template <>
struct platform::TestProbe<SD::Manager> {
    static const std::map<std::string, SX::SxBankID>& LoadedBanks(const SD::Manager& manager) { return manager.banks_; }
    // Playing IDs still remembered for Term (those whose events ended are dropped each frame).
    static size_t RememberedPlayingIDs(const SD::Manager& manager) { return manager.toStop_.size(); }
};

namespace qvtest {
using GhostProbe = platform::TestProbe<SD::GhostEngine_>;
using SoundManagerProbe = platform::TestProbe<SD::Manager>;
}  // namespace qvtest

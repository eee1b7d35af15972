#pragma once
// What tests read of the motion device manager: the players that have devices and how many
// each has.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/motion/CSxMotionDeviceMgr.h"

template <>
struct platform::TestProbe<SX::CSxMotionDeviceMgr> {
    using Mgr = SX::CSxMotionDeviceMgr;

    static uint8_t PlayerMask(const Mgr& mgr) { return mgr.m_playerMask; }
    static uint8_t PlayerCount(const Mgr& mgr) { return mgr.m_playerCount; }
    static uint32_t DeviceCount(const Mgr& mgr, uint8_t player) {
        return player < Mgr::kMaxPlayers ? mgr.m_players[player].count : 0;
    }
};

namespace qvtest {
using MotionProbe = platform::TestProbe<SX::CSxMotionDeviceMgr>;
}  // namespace qvtest

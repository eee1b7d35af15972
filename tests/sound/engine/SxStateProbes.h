#pragma once
// What tests read of the sound engine's per-object state and its live posts: the values a node
// holds for a game object and how many play below it, a game object's own value of a game
// parameter and how its positions are used, and the posts whose events have not ended.
#include <algorithm>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/hierarchy/CSxParameterNodeBase.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"

template <>
struct platform::TestProbe<SX::CSxParameterNodeBase> {
    static bool HoldsValuesFor(const SX::CSxParameterNodeBase& node, SX::CSxRegisteredObj* gameObj) {
        return gameObj && node.FindSIS(gameObj);
    }
    static uint32_t PlayCount(const SX::CSxParameterNodeBase& node) { return node.m_playCount; }
};

template <>
struct platform::TestProbe<SX::CSxRTPCMgr> {
    // Whether the object has a value of its own for the game parameter.
    static bool HasObjectValue(const SX::CSxRTPCMgr& mgr, uint32_t paramID, SX::CSxRegisteredObj* gameObj) {
        const SX::CSxRTPCMgr::ParamRecord* record = mgr.FindRecord(paramID);
        return gameObj && record && SX::CSxRTPCMgr::HasOwnValue(*record, gameObj);
    }
};

template <>
struct platform::TestProbe<SX::CSxPlayingMgr> {
    // The posts whose events have not ended, oldest first (no callbacks).
    static std::vector<SX::SxPostInfo> LivePosts(SX::CSxPlayingMgr& mgr) {
        std::vector<SX::SxPostInfo> posts;
        {
            platform::Lock guard(mgr.m_lock);
            for (const auto& entry : mgr.m_records) {
                SX::SxPostInfo post;
                post.eventID = entry.second.eventID;
                post.playingID = entry.first;
                post.gameObj = entry.second.gameObj;
                posts.push_back(post);
            }
        }
        std::sort(posts.begin(), posts.end(),
                  [](const SX::SxPostInfo& a, const SX::SxPostInfo& b) { return a.playingID < b.playingID; });
        return posts;
    }
};

template <>
struct platform::TestProbe<SX::CSxRegisteredObj> {
    static uint8_t MultiPositionType(const SX::CSxRegisteredObj& obj) { return obj.m_positionBits & 7; }
    static uint8_t PositionListener(const SX::CSxRegisteredObj& obj) { return obj.m_positionBits >> 3; }
};

namespace qvtest {
using NodeProbe = platform::TestProbe<SX::CSxParameterNodeBase>;
using RTPCProbe = platform::TestProbe<SX::CSxRTPCMgr>;
using PlayingProbe = platform::TestProbe<SX::CSxPlayingMgr>;
using RegisteredObjProbe = platform::TestProbe<SX::CSxRegisteredObj>;
}  // namespace qvtest

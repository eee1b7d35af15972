#pragma once
// What tests read of the music nodes as banks built them: whether a node keeps a grid of its
// own, and how many sources a track holds.
#include <cstddef>

#include "platform/TestProbe.h"
#include "sound/music/CSxMusicNode.h"
#include "sound/music/CSxMusicTrack.h"

template <>
struct platform::TestProbe<SX::CSxMusicNode> {
    static bool OverridesGrid(const SX::CSxMusicNode& node) { return node.m_overrideGrid; }
};

template <>
struct platform::TestProbe<SX::CSxMusicTrack> {
    static size_t SourceCount(const SX::CSxMusicTrack& track) { return track.m_sources.size(); }
};

namespace qvtest {
using MusicNodeProbe = platform::TestProbe<SX::CSxMusicNode>;
using MusicTrackProbe = platform::TestProbe<SX::CSxMusicTrack>;
}  // namespace qvtest

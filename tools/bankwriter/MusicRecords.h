#pragma once
// Builds the music engine's hierarchy records: segments, tracks, switch and random/sequence
// containers with their transition rules and playlists.
#include <cstdint>
#include <vector>

#include "tools/bankwriter/BankWriter.h"

namespace bankwriter {

// HIRC types of the music records.
enum MusicHircType : uint8_t {
    Hirc_MusicSegment = 10,
    Hirc_MusicTrack = 11,
    Hirc_MusicSwitch = 12,
    Hirc_MusicRanSeq = 13,
};

struct Stinger {
    uint32_t triggerID = 0, segmentID = 0, syncType = 0, dontRepeatMs = 0, lookAheadCount = 0;
};

// The block every music node but the track starts with.
struct MusicNode {
    NodeBase node;
    std::vector<uint32_t> children;
    double gridPeriodMs = 1000.0;
    double gridOffsetMs = 0.0;
    float tempo = 120.0f;
    uint8_t beatsPerBar = 4;
    uint8_t beatValue = 4;
    bool overrideGrid = false;
    std::vector<Stinger> stingers;
};

struct Cue {
    uint32_t id = 0;
    double ms = 0.0;
};

struct Clip {
    uint32_t subTrack = 0, sourceID = 0;
    double playAtMs = 0.0, beginTrimMs = 0.0, endTrimMs = 0.0, sourceMs = 0.0;
};

struct MusicTrack {
    std::vector<Source> sources;
    std::vector<Clip> clips;
    uint32_t subTrackCount = 1;
    NodeBase node;
    uint32_t trackType = 0;
    int32_t lookAheadMs = 0;
};

struct Fade {
    uint32_t timeMs = 0, curve = 0;
    int32_t offsetMs = 0;
};

struct TransitionRule {
    uint32_t sourceID = 0xFFFFFFFFu, destinationID = 0xFFFFFFFFu;
    Fade sourceFade;
    uint32_t syncType = 0;
    bool playPostExit = false;
    Fade destinationFade;
    uint32_t destinationWord1 = 0, jumpToItem = 0;
    uint16_t entryType = 0;
    bool playPreEntry = false;
    bool hasTransSegment = false;
    uint32_t transSegmentID = 0;
    Fade fadeIn, fadeOut;
    bool segmentPreEntry = false, segmentPostExit = false;
};

// One playlist item, written in depth-first pre-order after its parent.
struct PlaylistItem {
    uint32_t segmentID = 0;  // 0: a sub-playlist
    uint32_t itemID = 0;
    uint32_t childCount = 0;
    uint32_t mode = 0;
    uint16_t loopCount = 1;
    uint32_t weight = 50000;
    uint16_t avoidRepeat = 0;
    bool shuffle = false;
};

struct SwitchPair {
    uint32_t switchID = 0, nodeID = 0;
};

Bytes MusicNodeBlock(uint32_t id, const MusicNode& node);
Bytes TransitionRules(const std::vector<TransitionRule>& rules);
Bytes Playlist(const std::vector<PlaylistItem>& items);
Bytes MusicSegmentBody(uint32_t id, const MusicNode& node, double durationMs, const std::vector<Cue>& cues);
Bytes MusicTrackBody(uint32_t id, const MusicTrack& track);
Bytes MusicSwitchBody(uint32_t id, const MusicNode& node, const std::vector<TransitionRule>& rules, uint32_t groupType,
                      uint32_t groupID, uint32_t defaultSwitch, bool continuePlayback,
                      const std::vector<SwitchPair>& pairs);
Bytes MusicRanSeqBody(uint32_t id, const MusicNode& node, const std::vector<TransitionRule>& rules,
                      const std::vector<PlaylistItem>& items);

}  // namespace bankwriter

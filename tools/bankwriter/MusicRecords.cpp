#include "tools/bankwriter/MusicRecords.h"

#include <cstring>

namespace bankwriter {
namespace {

void F64(Writer& w, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    w.U32(static_cast<uint32_t>(bits)).U32(static_cast<uint32_t>(bits >> 32));
}

void WriteFade(Writer& w, const Fade& fade) {
    w.U32(fade.timeMs).U32(fade.curve).U32(static_cast<uint32_t>(fade.offsetMs));
}

}  // namespace

Bytes MusicNodeBlock(uint32_t id, const MusicNode& node) {
    Writer w;
    w.U32(id).Raw(NodeBaseBlock(node.node)).Raw(Children(node.children));
    F64(w, node.gridPeriodMs);
    F64(w, node.gridOffsetMs);
    w.F32(node.tempo).U8(node.beatsPerBar).U8(node.beatValue).U8(node.overrideGrid ? 1 : 0);
    w.U32(static_cast<uint32_t>(node.stingers.size()));
    for (const Stinger& s : node.stingers)
        w.U32(s.triggerID).U32(s.segmentID).U32(s.syncType).U32(s.dontRepeatMs).U32(s.lookAheadCount);
    return w.Take();
}

Bytes TransitionRules(const std::vector<TransitionRule>& rules) {
    Writer w;
    w.U32(static_cast<uint32_t>(rules.size()));
    for (const TransitionRule& r : rules) {
        w.U32(r.sourceID).U32(r.destinationID);
        WriteFade(w, r.sourceFade);
        w.U32(r.syncType).U8(r.playPostExit ? 1 : 0);
        WriteFade(w, r.destinationFade);
        w.U32(r.destinationWord1).U32(r.jumpToItem).U16(r.entryType).U8(r.playPreEntry ? 1 : 0);
        w.U8(r.hasTransSegment ? 1 : 0).U32(r.transSegmentID);
        WriteFade(w, r.fadeIn);
        WriteFade(w, r.fadeOut);
        w.U8(r.segmentPreEntry ? 1 : 0).U8(r.segmentPostExit ? 1 : 0);
    }
    return w.Take();
}

Bytes Playlist(const std::vector<PlaylistItem>& items) {
    Writer w;
    w.U32(static_cast<uint32_t>(items.size()));
    for (const PlaylistItem& i : items) {
        w.U32(i.segmentID).U32(i.itemID).U32(i.childCount).U32(i.mode).U16(i.loopCount).U32(i.weight);
        w.U16(i.avoidRepeat).U8(0).U8(i.shuffle ? 1 : 0);
    }
    return w.Take();
}

Bytes MusicSegmentBody(uint32_t id, const MusicNode& node, double durationMs, const std::vector<Cue>& cues) {
    Writer w;
    w.Raw(MusicNodeBlock(id, node));
    F64(w, durationMs);
    w.U32(static_cast<uint32_t>(cues.size()));
    for (const Cue& cue : cues) {
        w.U32(cue.id);
        F64(w, cue.ms);
    }
    return w.Take();
}

Bytes MusicTrackBody(uint32_t id, const MusicTrack& track) {
    Writer w;
    w.U32(id).U32(static_cast<uint32_t>(track.sources.size()));
    for (const Source& source : track.sources) w.Raw(SourceBlock(source));
    w.U32(static_cast<uint32_t>(track.clips.size()));
    for (const Clip& clip : track.clips) {
        w.U32(clip.subTrack).U32(clip.sourceID);
        F64(w, clip.playAtMs);
        F64(w, clip.beginTrimMs);
        F64(w, clip.endTrimMs);
        F64(w, clip.sourceMs);
    }
    w.U32(track.subTrackCount).Raw(NodeBaseBlock(track.node)).U32(track.trackType);
    w.U32(static_cast<uint32_t>(track.lookAheadMs));
    return w.Take();
}

Bytes MusicSwitchBody(uint32_t id, const MusicNode& node, const std::vector<TransitionRule>& rules, uint32_t groupType,
                      uint32_t groupID, uint32_t defaultSwitch, bool continuePlayback,
                      const std::vector<SwitchPair>& pairs) {
    Writer w;
    w.Raw(MusicNodeBlock(id, node)).Raw(TransitionRules(rules));
    w.U32(groupType).U32(groupID).U32(defaultSwitch).U8(continuePlayback ? 1 : 0);
    w.U32(static_cast<uint32_t>(pairs.size()));
    for (const SwitchPair& pair : pairs) w.U32(pair.switchID).U32(pair.nodeID);
    return w.Take();
}

Bytes MusicRanSeqBody(uint32_t id, const MusicNode& node, const std::vector<TransitionRule>& rules,
                      const std::vector<PlaylistItem>& items) {
    Writer w;
    w.Raw(MusicNodeBlock(id, node)).Raw(TransitionRules(rules)).Raw(Playlist(items));
    return w.Take();
}

}  // namespace bankwriter

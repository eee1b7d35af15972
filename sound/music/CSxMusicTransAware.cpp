#include "sound/music/CSxMusicTransAware.h"

#include "core/Logger.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/music/SxMusicSync.h"
#include "sound/music/SxMusicRead.h"

namespace SX {
namespace {

// Offsets are stored in ms and kept in samples of whole samples-per-ms.
bool ReadFade(SxReadCursor& cursor, SxMusicFade& fade) {
    int32_t offsetMs;
    if (!cursor.U32(fade.timeMs) || !cursor.U32(fade.curve) || !SxReadI32(cursor, offsetMs)) return false;
    const int64_t samples = static_cast<int64_t>(SxTimingSettings::sampleRate / 1000) * offsetMs;
    if (samples < INT32_MIN || samples > INT32_MAX) return false;
    fade.offset = static_cast<int32_t>(samples);
    return true;
}

bool ReadRule(SxReadCursor& cursor, SxMusicTransitionRule& rule) {
    uint8_t postExit, preEntry, hasSegment, segPreEntry, segPostExit;
    uint16_t entry;
    const bool ok = cursor.U32(rule.sourceID) && cursor.U32(rule.destinationID) && ReadFade(cursor, rule.sourceFade) &&
                    cursor.U32(rule.syncType) && cursor.U8(postExit) && ReadFade(cursor, rule.destinationFade) &&
                    cursor.U32(rule.destinationWord1) && cursor.U32(rule.jumpToItem) && cursor.U16(entry) &&
                    cursor.U8(preEntry) && cursor.U8(hasSegment) && cursor.U32(rule.transSegment.segmentID) &&
                    ReadFade(cursor, rule.transSegment.fadeIn) && ReadFade(cursor, rule.transSegment.fadeOut) &&
                    cursor.U8(segPreEntry) && cursor.U8(segPostExit);
    if (!ok) return false;
    rule.syncType &= 0x1F;
    rule.playPostExit = postExit != 0;
    rule.entryType = entry & 7u;
    rule.playPreEntry = preEntry != 0;
    rule.hasTransSegment = hasSegment != 0;
    rule.transSegment.playPreEntry = segPreEntry != 0;
    rule.transSegment.playPostExit = segPostExit != 0;
    return true;
}

}  // namespace

SXRESULT CSxMusicTransAware::SetTransitionRules(SxReadCursor& cursor) {
    uint32_t count;
    if (!cursor.U32(count) || !cursor.HasRoomFor(count, SxTransitionRuleSize)) {
        SD_WARNING(Debug::kLogSevere, "music node %u: transition rules cut short", ID());
        return SX_InvalidFile;
    }
    std::vector<SxMusicTransitionRule> rules(count);
    for (SxMusicTransitionRule& rule : rules)
        if (!ReadRule(cursor, rule)) return SX_InvalidFile;
    m_rules = std::move(rules);
    return SX_Success;
}

std::vector<SxUniqueID> CSxMusicTransAware::MusicalDependencies() const {
    std::vector<SxUniqueID> segments = CSxMusicNode::MusicalDependencies();
    for (const SxMusicTransitionRule& rule : m_rules)
        if (rule.hasTransSegment && rule.transSegment.segmentID != 0) segments.push_back(rule.transSegment.segmentID);
    return segments;
}

const SxMusicTransitionRule* CSxMusicTransAware::GetTransitionRule(uint32_t sourceID, uint32_t destinationID) const {
    if (m_rules.empty()) return nullptr;
    for (size_t i = m_rules.size(); i-- > 0;) {
        const SxMusicTransitionRule& rule = m_rules[i];
        if ((rule.sourceID == SxMusicAnyID || rule.sourceID == sourceID) &&
            (rule.destinationID == SxMusicAnyID || rule.destinationID == destinationID))
            return &rule;
    }
    return &m_rules[0];
}

const SxMusicTransitionRule* CSxMusicTransAware::GetTransitionRule(uint32_t sourceID, uint32_t destinationID,
                                                                   uint32_t& lookups) const {
    if (++lookups > SxMaxRuleLookups) return &FallbackRule();
    return GetTransitionRule(sourceID, destinationID);
}

const SxMusicTransitionRule* CSxMusicTransAware::GetTransitionRule(const CSxParameterNodeBase* source,
                                                                   const CSxParameterNodeBase* destination,
                                                                   uint32_t& lookups, bool& toSequence) const {
    toSequence = false;
    if (++lookups > SxMaxRuleLookups) return &FallbackRule();
    if (m_rules.empty()) return nullptr;
    // The node of the ID among node and its ancestors below this container, or null.
    const auto matching = [this](uint32_t id, const CSxParameterNodeBase* node) -> const CSxParameterNodeBase* {
        for (; node && node != this; node = node->Parent())
            if (node->ID() == id) return node;
        return nullptr;
    };
    for (size_t i = m_rules.size(); i-- > 0;) {
        const SxMusicTransitionRule& rule = m_rules[i];
        if (rule.sourceID != SxMusicAnyID && !matching(rule.sourceID, source)) continue;
        if (rule.destinationID == SxMusicAnyID) return &rule;
        const CSxParameterNodeBase* matched = matching(rule.destinationID, destination);
        if (!matched) continue;
        toSequence = matched != destination && matched->NodeCategory() == SxNodeCategory_MusicRanSeq;
        return &rule;
    }
    return &m_rules[0];
}

const SxMusicTransitionRule& CSxMusicTransAware::FallbackRule() {
    static const SxMusicTransitionRule rule = [] {
        SxMusicTransitionRule r;
        r.syncType = SxSyncType_ExitMarker;
        r.playPostExit = true;
        return r;
    }();
    return rule;
}

}  // namespace SX

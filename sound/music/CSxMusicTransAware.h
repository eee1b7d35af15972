#pragma once
// Music nodes that change from one piece of music to another by transition rules: which
// source to which destination, with what fades, at which sync point, through which segment.
#include <cstdint>
#include <vector>

#include "sound/music/CSxMusicNode.h"

namespace SX {

constexpr uint32_t SxMusicAnyID = 0xFFFFFFFFu;
// Bytes of one rule in a bank record.
constexpr uint32_t SxTransitionRuleSize = 79;
// Rule lookups one change may make before the fallback rule is used.
constexpr uint32_t SxMaxRuleLookups = 64;

struct SxMusicFade {
    uint32_t timeMs = 0;
    uint32_t curve = 0;
    int32_t offset = 0;  // samples
};

struct SxMusicTransSegment {
    uint32_t segmentID = 0;
    SxMusicFade fadeIn;
    SxMusicFade fadeOut;
    bool playPreEntry = false;
    bool playPostExit = false;
};

struct SxMusicTransitionRule {
    uint32_t sourceID = SxMusicAnyID;
    uint32_t destinationID = SxMusicAnyID;
    SxMusicFade sourceFade;
    uint32_t syncType = 0;
    bool playPostExit = false;
    SxMusicFade destinationFade;
    uint32_t destinationWord1 = 0;
    uint32_t jumpToItem = 0;  // playlist item to start at in a random/sequence destination
    uint32_t entryType = 0;
    bool playPreEntry = false;
    bool hasTransSegment = false;
    SxMusicTransSegment transSegment;
};

class CSxMusicTransAware : public CSxMusicNode {
public:
    using CSxMusicNode::CSxMusicNode;

    // The rule for a change between two IDs: the last rule matching both (any matches all);
    // rule 0 when none does; null without rules.
    const SxMusicTransitionRule* GetTransitionRule(uint32_t sourceID, uint32_t destinationID) const;
    // The same, counting the lookups of one change in lookups: from the 65th on, the fallback
    // rule (any to any at the exit cue with its post-exit, no fades) ends the resolution.
    const SxMusicTransitionRule* GetTransitionRule(uint32_t sourceID, uint32_t destinationID, uint32_t& lookups) const;
    // The rule for a change between two nodes: an ID matches the node or one of its ancestors
    // below this container. toSequence tells that the destination matched through a
    // random/sequence container (the destination then starts at the rule's playlist item).
    const SxMusicTransitionRule* GetTransitionRule(const CSxParameterNodeBase* source,
                                                   const CSxParameterNodeBase* destination, uint32_t& lookups,
                                                   bool& toSequence) const;
    static const SxMusicTransitionRule& FallbackRule();
    const std::vector<SxMusicTransitionRule>& Rules() const { return m_rules; }

protected:
    // u32 count and the rules; they replace the previous ones.
    SXRESULT SetTransitionRules(SxReadCursor& cursor);
    // The stingers' segments and the transition segment of every rule that has one.
    std::vector<SxUniqueID> MusicalDependencies() const override;

private:
    std::vector<SxMusicTransitionRule> m_rules;
};

}  // namespace SX

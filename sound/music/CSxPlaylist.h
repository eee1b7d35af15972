#pragma once
// The playlist tree of a music random/sequence container: sub-playlists (sequence or random,
// continuous or step) over segment leaves, with loop counts and weights.
#include <cstdint>
#include <memory>
#include <vector>

#include "sound/engine/SxTypes.h"
#include "sound/engine/hierarchy/SxReadCursor.h"

namespace SX {

enum SxRSType : uint32_t {
    SxRSType_ContinuousSequence = 0,
    SxRSType_StepSequence = 1,
    SxRSType_ContinuousRandom = 2,
    SxRSType_StepRandom = 3,
};

constexpr uint32_t SxDefaultPlaylistWeight = 50000;
// Sub-playlists nest at most this deep below the root; a deeper tree is refused at load.
constexpr uint32_t SxMaxPlaylistDepth = 32;
// Bytes of one playlist item in a bank record.
constexpr uint32_t SxPlaylistItemSize = 26;

class CSxRSSub;

class CSxRSNode {
public:
    virtual ~CSxRSNode() = default;
    virtual bool IsSegment() const = 0;

    CSxRSSub* parent = nullptr;
    uint32_t itemID = 0;
    uint16_t loopCount = 1;  // 0 = infinite
    uint32_t weight = SxDefaultPlaylistWeight;
};

class CSxRSSegment : public CSxRSNode {
public:
    bool IsSegment() const override { return true; }
    uint32_t segmentID = 0;
};

// The play states of the playlists are their own, apart from those of the sound engine's
// random/sequence containers (a type of one name in both would be two definitions of it).
namespace music {

// The play state of a sequence level: the index last chosen.
struct CSxSequenceInfo {
    int16_t index = -1;
};

// The play state of a random level: what is left of the current cycle and the recent
// choices that avoid-repeat keeps out.
struct CSxRandomInfo {
    uint64_t totalWeight = 0;
    uint64_t remainingWeight = 0;
    uint32_t remainingCount = 0;  // eligible children left
    uint32_t remainingInCycle = 0;
    std::vector<bool> played;
    std::vector<bool> blocked;
    std::vector<uint16_t> history;  // oldest first

    void Init(const CSxRSSub& sub);
};

}  // namespace music

class CSxRSSub : public CSxRSNode {
public:
    bool IsSegment() const override { return false; }
    bool IsStep() const { return mode == SxRSType_StepSequence || mode == SxRSType_StepRandom; }
    bool IsRandom() const { return mode == SxRSType_ContinuousRandom || mode == SxRSType_StepRandom; }

    std::vector<std::unique_ptr<CSxRSNode>> children;
    uint32_t mode = SxRSType_ContinuousSequence;
    // The step modes keep their state on the node across plays (created on first use).
    std::unique_ptr<music::CSxSequenceInfo> stepSequence;
    std::unique_ptr<music::CSxRandomInfo> stepRandom;
    bool usesWeights = false;
    bool shuffle = false;
    bool hasSegment = false;  // a segment leaf lies below
    uint16_t avoidRepeat = 0;
};

// Reads u32 item count and the items in depth-first pre-order, the root first, into root.
// SX_InvalidFile (logged) for a record cut short, a child count beyond the items, an unknown
// mode or a tree deeper than SxMaxPlaylistDepth; root is then left empty.
SXRESULT SxReadPlaylist(SxReadCursor& cursor, CSxRSSub& root);

}  // namespace SX

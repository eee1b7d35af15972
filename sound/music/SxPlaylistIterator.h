#pragma once
// Walks a playlist tree segment by segment: a stack of the sub-playlists entered, each with
// its loops left and its play state. Continuous levels own their state; step levels use the
// state kept on the node, so a step container goes on where its previous play left it.
// While tentative, the first change of a node's step state saves a copy that Restore puts
// back (a context that is dropped before it plays leaves the nodes as they were).
#include <cstdint>
#include <memory>
#include <vector>

#include "sound/engine/SxTypes.h"
#include "sound/music/CSxPlaylist.h"

namespace SX {

class SxPlaylistIterator {
public:
    SxPlaylistIterator() = default;
    SxPlaylistIterator(const SxPlaylistIterator&) = delete;
    SxPlaylistIterator& operator=(const SxPlaylistIterator&) = delete;

    // Starts at the root in tentative mode; SX_Fail when the tree holds no playable segment.
    SXRESULT First(CSxRSSub& root);
    // Starts at the item of that ID (a segment leaf or a sub-playlist) as if the levels above it
    // had chosen it, a sequence level going on after it; SX_Fail when no such item leads to a
    // segment.
    SXRESULT FirstAt(CSxRSSub& root, uint32_t itemID);
    // Advances after the current segment has been scheduled; HasNext turns false at the end.
    void Next();

    bool HasNext() const { return m_segmentID != 0; }
    uint32_t SegmentID() const { return m_segmentID; }
    uint32_t ItemID() const { return m_itemID; }

    // Keeps the step states as they now are, or puts the saved ones back.
    void Commit();
    void Restore();

private:
    struct StackItem {
        CSxRSSub* sub;
        uint16_t loopsLeft;
        bool looping;
        bool infinite;
        std::unique_ptr<music::CSxSequenceInfo> ownSequence;
        std::unique_ptr<music::CSxRandomInfo> ownRandom;
        music::CSxSequenceInfo* sequence;
        music::CSxRandomInfo* random;
    };
    struct SavedState {
        CSxRSSub* sub;
        std::unique_ptr<music::CSxSequenceInfo> sequence;
        std::unique_ptr<music::CSxRandomInfo> random;
    };

    void Push(CSxRSSub& sub);
    // The index of the child chosen at the top level, or -1 when that level is done.
    int ChooseChild(StackItem& item);
    int ChooseSequence(StackItem& item);
    int ChooseRandom(StackItem& item);
    bool LoopDone(StackItem& item);
    // Goes down from node (or, with null, chooses again at the top level) to a segment.
    SXRESULT Descend(CSxRSNode* node);
    void SaveStepState(CSxRSSub& sub);
    void End();

    std::vector<StackItem> m_stack;
    uint32_t m_segmentID = 0;
    uint32_t m_itemID = 0;
    uint16_t m_segmentLoopsLeft = 0;
    bool m_tentative = false;
    std::vector<SavedState> m_saved;
};

}  // namespace SX

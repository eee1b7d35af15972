#pragma once
// A dialogue event: a list of argument state groups and a decision tree that resolves a list
// of argument values (state IDs) to one audio node, by best match or by weight, with a
// probability.
#include <cstdint>
#include <vector>

#include "sound/engine/index/CSxIndexable.h"

namespace SX {

class CSxDialogueEvent : public CSxIndexable {
public:
    enum Mode : uint8_t { Mode_BestMatch = 0, Mode_Weighted = 1 };
    // One node of the tree: a key (0: any) and, at the deepest level, an audio node, else the
    // index and count of its children.
    struct TreeNode {
        uint32_t key;
        uint32_t audioNodeID;  // deepest level
        uint16_t firstChild, childCount;
        uint16_t weight, probability;
    };

    // Constructed and entered in the dialogue-event table; null when memory fails.
    static CSxDialogueEvent* Create(SxUniqueID id);
    explicit CSxDialogueEvent(SxUniqueID id) : CSxIndexable(id, SxIndex_DialogueEvent) {}

    // u32 ID, u32 argument count and the arguments, u32 tree size, u8 probability, u8 mode,
    // the tree's 12-byte nodes.
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size);

    // The audio node for the values, or 0 when their count is not the event's, nothing
    // matches or the probability says no.
    SxUniqueID Resolve(const uint32_t* values, uint32_t count) const;
    uint32_t Depth() const { return static_cast<uint32_t>(m_arguments.size()); }

private:
    // The node among the children of parent with the key, or -1.
    int32_t FindChild(const TreeNode& parent, uint32_t key) const;
    // Bounds every step of a walk: children lie inside the tree.
    bool HasChildren(const TreeNode& node) const;
    // Both walks count the nodes they visit against budget (the tree's size): a well-formed
    // tree is walked whole within it, one whose children repeat or loop is cut short.
    int32_t BestMatch(uint32_t nodeIndex, const uint32_t* values, uint32_t level, uint32_t& budget) const;
    void Candidates(uint32_t nodeIndex, const uint32_t* values, uint32_t level, std::vector<uint32_t>& out,
                    uint32_t& budget) const;

    std::vector<uint32_t> m_arguments;
    std::vector<TreeNode> m_tree;
    uint8_t m_probability = 100;
    Mode m_mode = Mode_BestMatch;
};

namespace SoundEngine::DynamicDialogue {
// The audio node a dialogue event resolves to for the argument values; 0 when the event is
// unknown or nothing is chosen.
SxUniqueID ResolveDialogueEvent(SxUniqueID eventID, const uint32_t* values, uint32_t count);
}  // namespace SoundEngine::DynamicDialogue

}  // namespace SX

#include "sound/engine/dialogue/CSxDialogueEvent.h"

#include "platform/os/Random.h"
#include "sound/engine/hierarchy/SxReadCursor.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

CSxDialogueEvent* CSxDialogueEvent::Create(SxUniqueID id) {
    auto* event = SxNew<CSxDialogueEvent>(g_DefaultPoolId, id);
    if (event && g_pObjectIndex) g_pObjectIndex->AddToIndex(event);
    return event;
}

SXRESULT CSxDialogueEvent::SetInitialValues(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    uint32_t id, argumentCount, treeSize;
    uint8_t probability, mode;
    if (!cursor.U32(id) || !cursor.U32(argumentCount) || !cursor.HasRoomFor(argumentCount, 4)) return SX_Fail;
    m_arguments.assign(argumentCount, 0);
    for (uint32_t& argument : m_arguments) cursor.U32(argument);
    if (!cursor.U32(treeSize) || !cursor.U8(probability) || !cursor.U8(mode) || treeSize % 12 != 0 ||
        treeSize > cursor.Left())
        return SX_Fail;
    m_probability = probability;
    m_mode = mode == Mode_Weighted ? Mode_Weighted : Mode_BestMatch;
    m_tree.resize(treeSize / 12);
    for (TreeNode& node : m_tree) {
        uint32_t second = 0;
        cursor.U32(node.key);
        cursor.U32(second);
        cursor.U16(node.weight);
        cursor.U16(node.probability);
        node.audioNodeID = second;
        node.firstChild = static_cast<uint16_t>(second & 0xFFFF);
        node.childCount = static_cast<uint16_t>(second >> 16);
    }
    return SX_Success;
}

bool CSxDialogueEvent::HasChildren(const TreeNode& node) const {
    return node.childCount != 0 && uint32_t(node.firstChild) + node.childCount <= m_tree.size();
}

int32_t CSxDialogueEvent::FindChild(const TreeNode& parent, uint32_t key) const {
    if (!HasChildren(parent)) return -1;
    uint32_t lo = parent.firstChild, hi = uint32_t(parent.firstChild) + parent.childCount;
    while (lo < hi) {
        const uint32_t mid = (lo + hi) / 2;
        if (m_tree[mid].key == key) return static_cast<int32_t>(mid);
        if (m_tree[mid].key < key)
            lo = mid + 1;
        else
            hi = mid;
    }
    return -1;
}

// nodeIndex's children hold the keys of argument level; the leaf is the node found at the
// last argument.
int32_t CSxDialogueEvent::BestMatch(uint32_t nodeIndex, const uint32_t* values, uint32_t level,
                                    uint32_t& budget) const {
    if (budget == 0) return -1;
    --budget;
    const TreeNode& node = m_tree[nodeIndex];
    const bool last = level + 1 == m_arguments.size();
    const int32_t exact = FindChild(node, values[level]);
    if (exact >= 0) {
        const int32_t found = last ? exact : BestMatch(static_cast<uint32_t>(exact), values, level + 1, budget);
        if (found >= 0) return found;
    }
    if (values[level] != 0 && HasChildren(node) && m_tree[node.firstChild].key == 0)
        return last ? node.firstChild : BestMatch(node.firstChild, values, level + 1, budget);
    return -1;
}

void CSxDialogueEvent::Candidates(uint32_t nodeIndex, const uint32_t* values, uint32_t level,
                                  std::vector<uint32_t>& out, uint32_t& budget) const {
    if (budget == 0) return;
    --budget;
    const TreeNode& node = m_tree[nodeIndex];
    const bool last = level + 1 == m_arguments.size();
    auto follow = [&](int32_t child) {
        if (child < 0) return;
        if (last)
            out.push_back(static_cast<uint32_t>(child));
        else
            Candidates(static_cast<uint32_t>(child), values, level + 1, out, budget);
    };
    const int32_t exact = FindChild(node, values[level]);
    follow(exact);
    if (values[level] != 0 && HasChildren(node) && m_tree[node.firstChild].key == 0 &&
        exact != static_cast<int32_t>(node.firstChild))
        follow(node.firstChild);
}

SxUniqueID CSxDialogueEvent::Resolve(const uint32_t* values, uint32_t count) const {
    if (count != m_arguments.size() || count == 0 || m_tree.empty()) return 0;
    int32_t chosen = -1;
    uint32_t budget = static_cast<uint32_t>(m_tree.size());
    if (m_mode == Mode_BestMatch) {
        chosen = BestMatch(0, values, 0, budget);
    } else {
        std::vector<uint32_t> candidates;
        Candidates(0, values, 0, candidates, budget);
        std::vector<uint32_t> full, weightless;
        uint32_t sum = 0;
        for (uint32_t c : candidates) {
            const uint16_t weight = m_tree[c].weight;
            if (weight >= 100) full.push_back(c);
            if (weight == 0) weightless.push_back(c);
            sum += weight;
        }
        if (!full.empty()) {
            chosen = static_cast<int32_t>(full[static_cast<uint32_t>(platform::crt_rand()) % full.size()]);
        } else if (!candidates.empty() && weightless.size() == candidates.size()) {
            chosen = static_cast<int32_t>(weightless[static_cast<uint32_t>(platform::crt_rand()) % weightless.size()]);
        } else if (sum) {
            uint32_t r = static_cast<uint32_t>(platform::crt_rand()) % sum;
            for (uint32_t c : candidates) {
                if (m_tree[c].weight > r) {
                    chosen = static_cast<int32_t>(c);
                    break;
                }
                r -= m_tree[c].weight;
            }
        }
    }
    if (chosen < 0) return 0;
    const TreeNode& leaf = m_tree[static_cast<uint32_t>(chosen)];
    if (m_probability >= 100 && leaf.probability >= 100) return leaf.audioNodeID;
    const auto threshold = static_cast<uint16_t>(leaf.probability * m_probability);
    const auto draw = static_cast<uint16_t>(static_cast<uint32_t>(platform::crt_rand() * (1.0 / 32767.0) * 10000.0));
    return threshold > draw ? leaf.audioNodeID : 0;
}

SxUniqueID SoundEngine::DynamicDialogue::ResolveDialogueEvent(SxUniqueID eventID, const uint32_t* values,
                                                              uint32_t count) {
    CSxIndexable* found = g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_DialogueEvent, eventID) : nullptr;
    if (!found) return 0;
    const SxUniqueID node = static_cast<CSxDialogueEvent*>(found)->Resolve(values, count);
    found->Release();
    return node;
}

}  // namespace SX

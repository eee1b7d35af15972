#include "sound/music/SxPlaylistIterator.h"

#include <algorithm>

#include "platform/os/Random.h"

namespace SX {
namespace {

// A walk that visits this many levels without reaching a segment gives up: random levels
// over empty sub-playlists could otherwise keep choosing them.
constexpr uint32_t kMaxWalkSteps = 4096;

uint64_t ChildWeight(const CSxRSSub& sub, size_t i) {
    return sub.usesWeights ? sub.children[i]->weight : SxDefaultPlaylistWeight;
}

// A 30-bit draw from two 15-bit ones of the engine's per-thread generator.
uint32_t RandomValue30() {
    const uint32_t high = static_cast<uint32_t>(platform::crt_rand());
    return (high << 15) | static_cast<uint32_t>(platform::crt_rand());
}

// The item of the ID below sub, with the levels down to it and the child taken at each.
CSxRSNode* FindItem(CSxRSSub& sub, uint32_t itemID, std::vector<std::pair<CSxRSSub*, size_t>>& path, uint32_t depth) {
    if (depth > SxMaxPlaylistDepth) return nullptr;
    for (size_t i = 0; i < sub.children.size(); ++i) {
        CSxRSNode* child = sub.children[i].get();
        path.emplace_back(&sub, i);
        if (child->itemID == itemID) return child;
        if (!child->IsSegment())
            if (CSxRSNode* found = FindItem(static_cast<CSxRSSub&>(*child), itemID, path, depth + 1)) return found;
        path.pop_back();
    }
    return nullptr;
}

}  // namespace

SXRESULT SxPlaylistIterator::FirstAt(CSxRSSub& root, uint32_t itemID) {
    if (root.itemID == itemID) return First(root);
    std::vector<std::pair<CSxRSSub*, size_t>> path;
    CSxRSNode* item = FindItem(root, itemID, path, 0);
    if (!item) return SX_Fail;
    m_stack.clear();
    m_tentative = true;
    for (const auto& [sub, index] : path) {
        Push(*sub);
        if (music::CSxSequenceInfo* sequence = m_stack.back().sequence) sequence->index = static_cast<int16_t>(index);
    }
    const SXRESULT result = Descend(item);
    if (result != SX_Success) End();
    return result;
}

SXRESULT SxPlaylistIterator::First(CSxRSSub& root) {
    m_stack.clear();
    m_tentative = true;
    const SXRESULT result = Descend(&root);
    if (result != SX_Success) End();
    return result;
}

void SxPlaylistIterator::Next() {
    if (m_segmentID == 0) return;
    if (m_segmentLoopsLeft > 1) {
        --m_segmentLoopsLeft;
        return;
    }
    if (m_segmentLoopsLeft == 0) return;
    while (!m_stack.empty() && m_stack.back().sub->IsStep()) {
        StackItem& top = m_stack.back();
        if (top.loopsLeft > 1) {
            --top.loopsLeft;
            break;
        }
        if (top.loopsLeft == 0) break;
        m_stack.pop_back();
    }
    if (m_stack.empty() || Descend(nullptr) != SX_Success) End();
}

void SxPlaylistIterator::End() {
    m_stack.clear();
    m_segmentID = 0;
    m_itemID = 0;
}

SXRESULT SxPlaylistIterator::Descend(CSxRSNode* node) {
    for (uint32_t step = 0; step < kMaxWalkSteps; ++step) {
        if (node && node->IsSegment()) {
            const auto& segment = static_cast<const CSxRSSegment&>(*node);
            m_segmentID = segment.segmentID;
            m_itemID = segment.itemID;
            m_segmentLoopsLeft = segment.loopCount;
            return m_segmentID != 0 ? SX_Success : SX_Fail;
        }
        if (node) {
            auto& sub = static_cast<CSxRSSub&>(*node);
            if (!sub.children.empty() && sub.hasSegment) Push(sub);
        }
        node = nullptr;
        while (!m_stack.empty()) {
            const int index = ChooseChild(m_stack.back());
            if (index >= 0) {
                node = m_stack.back().sub->children[static_cast<size_t>(index)].get();
                break;
            }
            m_stack.pop_back();
        }
        if (!node) return SX_Fail;
    }
    return SX_Fail;
}

void SxPlaylistIterator::SaveStepState(CSxRSSub& sub) {
    if (!m_tentative) return;
    for (const SavedState& saved : m_saved)
        if (saved.sub == &sub) return;
    SavedState saved{&sub, nullptr, nullptr};
    if (sub.stepSequence) saved.sequence = std::make_unique<music::CSxSequenceInfo>(*sub.stepSequence);
    if (sub.stepRandom) saved.random = std::make_unique<music::CSxRandomInfo>(*sub.stepRandom);
    m_saved.push_back(std::move(saved));
}

void SxPlaylistIterator::Commit() {
    m_saved.clear();
    m_tentative = false;
}

void SxPlaylistIterator::Restore() {
    for (SavedState& saved : m_saved) {
        saved.sub->stepSequence = std::move(saved.sequence);
        saved.sub->stepRandom = std::move(saved.random);
    }
    m_saved.clear();
    m_tentative = false;
}

void SxPlaylistIterator::Push(CSxRSSub& sub) {
    StackItem item{&sub, sub.loopCount, true, sub.loopCount == 0, nullptr, nullptr, nullptr, nullptr};
    if (sub.IsStep()) {
        item.infinite = true;
        SaveStepState(sub);
        if (sub.mode == SxRSType_StepSequence) {
            if (!sub.stepSequence) sub.stepSequence = std::make_unique<music::CSxSequenceInfo>();
            item.sequence = sub.stepSequence.get();
        } else {
            if (!sub.stepRandom) {
                sub.stepRandom = std::make_unique<music::CSxRandomInfo>();
                sub.stepRandom->Init(sub);
            }
            item.random = sub.stepRandom.get();
        }
    } else if (sub.mode == SxRSType_ContinuousSequence) {
        item.ownSequence = std::make_unique<music::CSxSequenceInfo>();
        item.sequence = item.ownSequence.get();
    } else {
        item.ownRandom = std::make_unique<music::CSxRandomInfo>();
        item.ownRandom->Init(sub);
        item.random = item.ownRandom.get();
    }
    m_stack.push_back(std::move(item));
}

int SxPlaylistIterator::ChooseChild(StackItem& item) {
    return item.sequence ? ChooseSequence(item) : ChooseRandom(item);
}

bool SxPlaylistIterator::LoopDone(StackItem& item) {
    if (!item.looping) return true;
    if (item.infinite) return false;
    --item.loopsLeft;
    return item.loopsLeft == 0;
}

int SxPlaylistIterator::ChooseSequence(StackItem& item) {
    music::CSxSequenceInfo& state = *item.sequence;
    const int count = static_cast<int>(item.sub->children.size());
    if (state.index + 1 < count) return ++state.index;
    state.index = 0;
    return LoopDone(item) ? -1 : 0;
}

int SxPlaylistIterator::ChooseRandom(StackItem& item) {
    const CSxRSSub& sub = *item.sub;
    music::CSxRandomInfo& r = *item.random;
    const size_t count = sub.children.size();
    if (r.remainingInCycle == 0) {
        if (LoopDone(item)) return -1;
        r.remainingInCycle = static_cast<uint32_t>(count);
        std::fill(r.played.begin(), r.played.end(), false);
        // The children still held back by avoid-repeat stay out of the new cycle.
        r.remainingCount = static_cast<uint32_t>(count - r.history.size());
        r.remainingWeight = r.totalWeight;
        for (uint16_t h : r.history) r.remainingWeight -= ChildWeight(sub, h);
    }
    auto eligible = [&](size_t i) {
        if (sub.shuffle) return !r.played[i] && !r.blocked[i];
        return !(sub.avoidRepeat > 0 && r.blocked[i]);
    };
    size_t chosen = count;
    if (sub.usesWeights) {
        if (r.remainingWeight == 0) {
            r.remainingInCycle = 0;
            return 0;
        }
        const uint64_t v = RandomValue30() % r.remainingWeight;
        int64_t sum = -1;
        for (size_t i = 0; i < count && chosen == count; ++i)
            if (eligible(i) && (sum += static_cast<int64_t>(ChildWeight(sub, i))) >= static_cast<int64_t>(v))
                chosen = i;
    } else {
        if (r.remainingCount == 0) {
            r.remainingInCycle = 0;
            return 0;
        }
        const uint32_t v = static_cast<uint32_t>(platform::crt_rand()) % r.remainingCount;
        int64_t seen = -1;
        for (size_t i = 0; i < count && chosen == count; ++i)
            if (eligible(i) && ++seen == v) chosen = i;
    }
    if (chosen == count) chosen = 0;  // bookkeeping out of step: fall back to the first child

    const uint16_t c = static_cast<uint16_t>(chosen);
    auto dropOldest = [&](size_t limit) {
        if (r.history.size() <= limit) return;
        const uint16_t e = r.history.front();
        r.history.erase(r.history.begin());
        r.blocked[e] = false;
        if (!r.played[e] || !sub.shuffle) {
            r.remainingWeight += ChildWeight(sub, e);
            ++r.remainingCount;
        }
    };
    if (sub.shuffle) {
        r.remainingWeight -= ChildWeight(sub, c);
        --r.remainingCount;
        --r.remainingInCycle;
        r.played[c] = true;
        r.history.push_back(c);
        r.blocked[c] = true;
        dropOldest(std::min<size_t>(std::max<size_t>(sub.avoidRepeat, 1), count - 1));
    } else {
        if (!r.played[c]) {
            r.played[c] = true;
            --r.remainingInCycle;
        }
        if (sub.avoidRepeat > 0) {
            --r.remainingCount;
            r.history.push_back(c);
            r.blocked[c] = true;
            r.remainingWeight -= ChildWeight(sub, c);
            dropOldest(std::min<size_t>(sub.avoidRepeat, count - 1));
        }
    }
    return c;
}

}  // namespace SX

#include "sound/music/CSxPlaylist.h"

#include "core/Logger.h"

namespace SX {
namespace {

struct SxPlaylistItem {
    uint32_t segmentID, itemID, childCount, mode;
    uint16_t loopCount;
    uint32_t weight;
    uint16_t avoidRepeat;
    uint8_t unused, shuffle;
};

bool ReadItem(SxReadCursor& cursor, SxPlaylistItem& item) {
    return cursor.U32(item.segmentID) && cursor.U32(item.itemID) && cursor.U32(item.childCount) &&
           cursor.U32(item.mode) && cursor.U16(item.loopCount) && cursor.U32(item.weight) &&
           cursor.U16(item.avoidRepeat) && cursor.U8(item.unused) && cursor.U8(item.shuffle);
}

void InitSub(CSxRSSub& sub, const SxPlaylistItem& item) {
    sub.itemID = item.itemID;
    sub.mode = item.mode;
    sub.loopCount = item.loopCount;
    sub.weight = item.weight;
    sub.avoidRepeat = item.avoidRepeat;
    sub.shuffle = item.shuffle != 0;
}

class SxPlaylistLoader {
public:
    explicit SxPlaylistLoader(SxReadCursor& cursor, uint32_t items) : m_cursor(cursor), m_left(items) {}

    bool ReadChildren(CSxRSSub& sub, uint32_t count, uint32_t depth) {
        if (count > m_left) {
            SD_WARNING(Debug::kLogSevere, "music playlist item %u claims %u children, only %u items follow", sub.itemID,
                       count, m_left);
            return false;
        }
        if (count > 0 && depth > SxMaxPlaylistDepth) {
            SD_WARNING(Debug::kLogSevere, "music playlist nests deeper than %u levels", SxMaxPlaylistDepth);
            return false;
        }
        sub.children.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            // A sub-container before this item may have used up what its parent counted on.
            if (m_left == 0) {
                SD_WARNING(Debug::kLogSevere, "music playlist item %u claims %u children, the items run out at %u",
                           sub.itemID, count, i);
                return false;
            }
            SxPlaylistItem item;
            if (!ReadItem(m_cursor, item)) {
                SD_WARNING(Debug::kLogSevere, "music playlist is cut short");
                return false;
            }
            --m_left;
            if (item.segmentID == 0) {
                if (item.mode > SxRSType_StepRandom) {
                    SD_WARNING(Debug::kLogSevere, "music playlist item %u has unknown mode %u", item.itemID, item.mode);
                    return false;
                }
                auto child = std::make_unique<CSxRSSub>();
                InitSub(*child, item);
                child->parent = &sub;
                CSxRSSub& added = *child;
                sub.children.push_back(std::move(child));
                if (!ReadChildren(added, item.childCount, depth + 1)) return false;
            } else {
                auto child = std::make_unique<CSxRSSegment>();
                child->segmentID = item.segmentID;
                child->itemID = item.itemID;
                child->loopCount = item.loopCount;
                child->weight = item.weight;
                child->parent = &sub;
                for (CSxRSSub* up = &sub; up; up = up->parent) up->hasSegment = true;
                sub.children.push_back(std::move(child));
            }
            if (item.weight != SxDefaultPlaylistWeight) sub.usesWeights = true;
        }
        return true;
    }

private:
    SxReadCursor& m_cursor;
    uint32_t m_left;
};

}  // namespace

SXRESULT SxReadPlaylist(SxReadCursor& cursor, CSxRSSub& root) {
    uint32_t count;
    SxPlaylistItem item;
    if (!cursor.U32(count) || count == 0 || !cursor.HasRoomFor(count, SxPlaylistItemSize) || !ReadItem(cursor, item)) {
        SD_WARNING(Debug::kLogSevere, "music playlist has no root item or is cut short");
        return SX_InvalidFile;
    }
    if (item.mode > SxRSType_StepRandom) {
        SD_WARNING(Debug::kLogSevere, "music playlist root has unknown mode %u", item.mode);
        return SX_InvalidFile;
    }
    root = CSxRSSub();
    InitSub(root, item);
    SxPlaylistLoader loader(cursor, count - 1);
    if (!loader.ReadChildren(root, item.childCount, 1)) {
        root = CSxRSSub();
        return SX_InvalidFile;
    }
    return SX_Success;
}

void music::CSxRandomInfo::Init(const CSxRSSub& sub) {
    const uint32_t count = static_cast<uint32_t>(sub.children.size());
    totalWeight = 0;
    for (const auto& child : sub.children) totalWeight += sub.usesWeights ? child->weight : SxDefaultPlaylistWeight;
    remainingWeight = totalWeight;
    remainingCount = count;
    remainingInCycle = count;
    played.assign(count, false);
    blocked.assign(count, false);
    history.clear();
    history.reserve(sub.avoidRepeat < 4 ? sub.avoidRepeat : 4);
}

}  // namespace SX

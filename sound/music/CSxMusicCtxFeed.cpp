#include "sound/music/CSxMusicCtx.h"

#include "core/Logger.h"
#include "sound/music/CSxMusicContainers.h"
#include "sound/music/CSxMusicSegment.h"
#include "sound/music/SxMusicLookup.h"

namespace SX {
namespace {

// A switch whose child is a switch resolves down at most this many levels.
constexpr int kMaxSwitchDepth = 8;

}  // namespace

CSxMusicCtx::Feed::Feed(Feed&& other) noexcept { *this = std::move(other); }

CSxMusicCtx::Feed& CSxMusicCtx::Feed::operator=(Feed&& other) noexcept {
    if (this == &other) return *this;
    Reset();
    node = other.node;
    sequence = other.sequence;
    playlist = std::move(other.playlist);
    started = other.started;
    other.node = nullptr;
    other.sequence = nullptr;
    other.started = false;
    return *this;
}

CSxMusicCtx::Feed::~Feed() { Reset(); }

void CSxMusicCtx::Feed::Reset() {
    playlist.reset();
    if (node) node->Release();
    node = nullptr;
    sequence = nullptr;
    started = false;
}

SXRESULT CSxMusicCtx::MakeFeed(CSxMusicNode* node, CSxRegisteredObj* gameObj, Feed& out) {
    out.Reset();
    for (int depth = 0; node; ++depth) {
        auto* inner = dynamic_cast<CSxMusicSwitchCntr*>(node);
        if (!inner) break;
        if (depth >= kMaxSwitchDepth) {
            SD_WARNING(Debug::kLogSevere, "music switch %u: switches nest deeper than %d", inner->ID(),
                       kMaxSwitchDepth);
            if (depth > 0) inner->Release();
            return SX_Fail;
        }
        node = SxFindMusicNode(inner->NodeForSwitch(SxCurrentSwitchValue(*inner, gameObj)));
        if (depth > 0) inner->Release();
        if (!node) return SX_Success;
        if (dynamic_cast<CSxMusicSwitchCntr*>(node)) continue;
        out.node = node;
        out.sequence = dynamic_cast<CSxMusicRanSeqCntr*>(node);
        return SX_Success;
    }
    if (!node) return SX_Success;
    node->AddRef();
    out.node = node;
    out.sequence = dynamic_cast<CSxMusicRanSeqCntr*>(node);
    return SX_Success;
}

void CSxMusicCtx::Feed::Keep(bool keep) {
    if (!playlist) return;
    if (keep)
        playlist->Commit();
    else
        playlist->Restore();
}

CSxMusicCtx::Next CSxMusicCtx::NextOf(Feed& feed) {
    Next next;
    if (!feed.node) return next;
    uint32_t id = 0;
    if (feed.sequence) {
        if (!feed.playlist) {
            feed.playlist = std::make_unique<SxPlaylistIterator>();
            if (feed.playlist->First(feed.sequence->Playlist()) != SX_Success) return next;
        } else {
            feed.playlist->Next();
        }
        if (!feed.playlist->HasNext()) return next;
        id = feed.playlist->SegmentID();
        next.itemID = feed.playlist->ItemID();
    } else if (!feed.started) {
        id = feed.node->ID();
    }
    feed.started = true;
    next.segment = dynamic_cast<CSxMusicSegment*>(SxFindMusicNode(id));
    if (!next.segment && id) SD_WARNING(Debug::kLogSevere, "music: segment %u is not loaded; the music ends", id);
    return next;
}

CSxMusicCtx::Next CSxMusicCtx::NextAt(Feed& feed, uint32_t itemID) {
    Next next;
    if (!feed.sequence) return next;
    auto playlist = std::make_unique<SxPlaylistIterator>();
    if (playlist->FirstAt(feed.sequence->Playlist(), itemID) != SX_Success || !playlist->HasNext()) {
        playlist->Restore();
        return next;
    }
    if (feed.playlist) feed.playlist->Restore();
    feed.playlist = std::move(playlist);
    feed.started = true;
    next.itemID = feed.playlist->ItemID();
    next.segment = dynamic_cast<CSxMusicSegment*>(SxFindMusicNode(feed.playlist->SegmentID()));
    return next;
}

}  // namespace SX

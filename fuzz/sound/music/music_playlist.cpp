// Feeds arbitrary bytes to the playlist reader, then walks what it read a bounded number of
// segments (the walk must end or keep going without faults, whatever the tree).
#include <cstddef>
#include <cstdint>

#include "platform/os/Random.h"
#include "sound/music/SxPlaylistIterator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SX::SxReadCursor cursor(data, static_cast<uint32_t>(size));
    SX::CSxRSSub root;
    if (SX::SxReadPlaylist(cursor, root) != SX::SX_Success) return 0;
    platform::crt_srand(1);
    for (int play = 0; play < 3; ++play) {
        SX::SxPlaylistIterator it;
        if (it.First(root) != SX::SX_Success) continue;
        it.Commit();
        for (int i = 0; i < 256 && it.HasNext(); ++i) it.Next();
    }
    return 0;
}

// Feeds arbitrary bytes to the Vorbis packer as an Ogg file, re-encoding included when the
// bytes make a stream whose codebooks the library lacks; what it packs is parsed again as
// media.
#include <cstddef>
#include <cstdint>

#include "sound/engine/voice/SxMediaParser.h"
#include "tools/vorbispacker/VorbisPacker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 20) return 0;
    const QV::vorbis::Bytes file(data, data + size);
    QV::vorbis::Bytes media;
    bool reencoded = false;
    std::string error;
    if (!QV::vorbis::PackFile(file, SX::SxVorbisBuiltInLibrary(), {}, media, reencoded, error)) return 0;
    SX::SxMediaInfo info;
    SX::SxParseMedia(media.data(), static_cast<uint32_t>(media.size()), false, info);
    return 0;
}

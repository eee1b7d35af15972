#pragma once
// Turns a standard Ogg Vorbis file into the engine's packed Vorbis media: the identification
// header becomes the format chunk, the codebooks become indices into the codebook library,
// the rest of the setup is repacked without its type fields, the audio packets lose their
// packet-type bit and window flags, and a seek table is laid in front of them.
#include <cstdint>
#include <string>
#include <vector>

#include "sound/engine/vorbis/SxVorbisSetup.h"

namespace QV {
namespace vorbis {

using Bytes = std::vector<uint8_t>;

// The three headers and the audio packets of a logical stream, with the granule position of
// the page each packet ends (-1 when the page ends no packet there).
struct OggStream {
    std::vector<Bytes> packets;
    std::vector<int64_t> granules;
};

// Reads the first logical stream's packets. False, with why in error, for anything that is
// not a well-formed Ogg stream.
bool ReadOgg(const Bytes& file, OggStream& stream, std::string& error);

// The codebooks of a standard setup header, each in the library's packed form.
bool ExtractCodebooks(const OggStream& stream, std::vector<Bytes>& books, std::string& error);

// The packed codebooks of a library, in its order.
std::vector<Bytes> LibraryBooks(const SX::SxVorbisLibrary& library);

// A library source file holding the given packed codebooks, in order.
std::string LibrarySource(const std::vector<Bytes>& books);

struct PackOptions {
    uint32_t seekEveryFrames = 4096;  // frames between seek-table entries
    bool loop = false;                // loop region: the whole file
    float reencodeQuality = 0.4f;     // of a file re-encoded for the library (-0.1 to 1.0)
};

// The packed media. The codebooks must all be in the library; error says which is not, and
// missingCodebook (when given) tells that this was the failure.
bool Pack(const OggStream& stream, const SX::SxVorbisLibrary& library, const PackOptions& options, Bytes& media,
          std::string& error, bool* missingCodebook = nullptr);

// The first logical stream of an Ogg Vorbis file decoded and encoded again by the standard
// encoder (libvorbis) at a quality, as an Ogg Vorbis file whose codebooks are the encoder's.
bool Reencode(const Bytes& file, float quality, Bytes& reencoded, std::string& error);

// Packs an Ogg Vorbis file. When some codebook of it is not in the library, the file is
// re-encoded at the options' quality and that is packed: reencoded tells, and the re-encoded
// file is kept in reencodedFile when one is given.
bool PackFile(const Bytes& file, const SX::SxVorbisLibrary& library, const PackOptions& options, Bytes& media,
              bool& reencoded, std::string& error, Bytes* reencodedFile = nullptr);

// The setup ID of a packed setup: a hash of its bytes, its block sizes and channel count.
uint32_t SetupID(const uint8_t* setup, uint32_t size, uint32_t channels, uint32_t shortLog2, uint32_t longLog2);

}  // namespace vorbis
}  // namespace QV

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

// A library source file holding the given packed codebooks, in order.
std::string LibrarySource(const std::vector<Bytes>& books);

struct PackOptions {
    uint32_t seekEveryFrames = 4096;  // frames between seek-table entries
    bool loop = false;                // loop region: the whole file
};

// The packed media. The codebooks must all be in the library; error says which is not.
bool Pack(const OggStream& stream, const SX::SxVorbisLibrary& library, const PackOptions& options, Bytes& media,
          std::string& error);

// The setup ID of a packed setup: a hash of its bytes, its block sizes and channel count.
uint32_t SetupID(const uint8_t* setup, uint32_t size, uint32_t channels, uint32_t shortLog2, uint32_t longLog2);

}  // namespace vorbis
}  // namespace QV

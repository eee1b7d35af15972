#include "tools/vorbispacker/VorbisPacker.h"

#include <cstdio>
#include <cstring>
#include <map>

#include "sound/engine/vorbis/SxVorbisBits.h"

namespace QV {
namespace vorbis {

namespace {

using SX::SxVorbisBits;
using SX::SxVorbisILog;

class BitWriter {
public:
    void Write(uint32_t value, uint32_t bits) {
        for (uint32_t i = 0; i < bits; ++i) {
            if (m_bit == 0) m_bytes.push_back(0);
            m_bytes.back() |= static_cast<uint8_t>(((value >> i) & 1u) << m_bit);
            m_bit = (m_bit + 1) & 7;
        }
    }
    Bytes& bytes() { return m_bytes; }

private:
    Bytes m_bytes;
    uint32_t m_bit = 0;
};

// Copies bits fields from the reader to the writer.
void Copy(SxVorbisBits& in, BitWriter& out, uint32_t bits) { out.Write(in.Read(bits), bits); }

void Put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void PutTag(Bytes& b, const char* tag) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(tag[i]));
}

struct Identification {
    uint32_t channels = 0;
    uint32_t rate = 0;
    uint32_t shortLog2 = 0;
    uint32_t longLog2 = 0;
};

bool ReadIdentification(const Bytes& packet, Identification& id, std::string& error) {
    if (packet.size() < 30 || packet[0] != 1 || std::memcmp(&packet[1], "vorbis", 6) != 0) {
        error = "the first packet is not an identification header";
        return false;
    }
    id.channels = packet[11];
    id.rate = packet[12] | packet[13] << 8 | packet[14] << 16 | uint32_t(packet[15]) << 24;
    id.shortLog2 = packet[28] & 15;
    id.longLog2 = packet[28] >> 4;
    if (id.channels == 0 || id.rate == 0) {
        error = "no channel or no sample rate";
        return false;
    }
    return true;
}

// One standard codebook, rewritten in the library's form.
bool PackCodebook(SxVorbisBits& in, Bytes& packed, std::string& error) {
    if (in.Read(24) != 0x564342) {
        error = "a codebook without its sync pattern";
        return false;
    }
    const uint32_t dimensions = in.Read(16);
    const uint32_t entries = in.Read(24);
    if (dimensions == 0 || dimensions > 15 || entries == 0 || entries >= (1u << 14)) {
        error = "a codebook too large for the library's form";
        return false;
    }
    BitWriter out;
    out.Write(dimensions, 4);
    out.Write(entries, 14);
    const uint32_t ordered = in.Read(1);
    out.Write(ordered, 1);
    if (ordered) {
        Copy(in, out, 5);
        for (uint32_t entry = 0; entry < entries && !in.Overrun();) {
            const uint32_t width = SxVorbisILog(entries - entry);
            const uint32_t count = in.Read(width);
            out.Write(count, width);
            entry += count;
        }
    } else {
        const uint32_t sparse = in.Read(1);
        std::vector<int32_t> lengths(entries, -1);
        uint32_t widest = 0;
        for (uint32_t e = 0; e < entries; ++e) {
            if (sparse && !in.Read(1)) continue;
            lengths[e] = static_cast<int32_t>(in.Read(5));
            widest = std::max<uint32_t>(widest, uint32_t(lengths[e]));
        }
        const uint32_t width = SxVorbisILog(widest);
        out.Write(width, 3);
        out.Write(sparse, 1);
        for (uint32_t e = 0; e < entries; ++e) {
            if (sparse) out.Write(lengths[e] >= 0, 1);
            if (lengths[e] >= 0) out.Write(uint32_t(lengths[e]), width);
        }
    }
    const uint32_t lookup = in.Read(4);
    if (lookup > 1) {
        error = "a codebook of lookup type 2, which the library's form does not hold";
        return false;
    }
    out.Write(lookup, 1);
    if (lookup == 1) {
        Copy(in, out, 32);
        Copy(in, out, 32);
        const uint32_t valueBits = in.Read(4);
        out.Write(valueBits, 4);
        Copy(in, out, 1);
        const uint32_t values = SX::SxVorbisCodebook::Lookup1Values(entries, dimensions);
        for (uint32_t v = 0; v < values; ++v) Copy(in, out, valueBits + 1);
    }
    if (in.Overrun()) {
        error = "the setup ends inside a codebook";
        return false;
    }
    packed = std::move(out.bytes());
    return true;
}

bool SetupStart(const OggStream& stream, std::string& error) {
    if (stream.packets.size() < 3) {
        error = "fewer than three header packets";
        return false;
    }
    const Bytes& setup = stream.packets[2];
    if (setup.size() < 8 || setup[0] != 5 || std::memcmp(&setup[1], "vorbis", 6) != 0) {
        error = "the third packet is not a setup header";
        return false;
    }
    return true;
}

// Rewrites the setup after its codebooks: floors without their type, residues, mappings
// without their type, modes without window and transform types.
bool PackSetupRest(SxVorbisBits& in, BitWriter& out, uint32_t channels, std::vector<uint32_t>& modeFlags,
                   std::string& error) {
    const uint32_t times = in.Read(6) + 1;
    for (uint32_t t = 0; t < times; ++t)
        if (in.Read(16) != 0) {
            error = "a time-domain transform other than 0";
            return false;
        }
    const uint32_t floors = in.Read(6) + 1;
    out.Write(floors - 1, 6);
    for (uint32_t f = 0; f < floors; ++f) {
        if (in.Read(16) != 1) {
            error = "a floor of type 0, which packed media does not carry";
            return false;
        }
        const uint32_t partitions = in.Read(5);
        out.Write(partitions, 5);
        int32_t maxClass = -1;
        std::vector<uint32_t> classes(partitions);
        for (uint32_t& c : classes) {
            c = in.Read(4);
            out.Write(c, 4);
            maxClass = std::max<int32_t>(maxClass, int32_t(c));
        }
        std::vector<uint32_t> dims(size_t(maxClass + 1));
        for (int32_t c = 0; c <= maxClass; ++c) {
            dims[c] = in.Read(3) + 1;
            out.Write(dims[c] - 1, 3);
            const uint32_t subclasses = in.Read(2);
            out.Write(subclasses, 2);
            if (subclasses) Copy(in, out, 8);
            for (uint32_t s = 0; s < (1u << subclasses); ++s) Copy(in, out, 8);
        }
        Copy(in, out, 2);
        const uint32_t rangeBits = in.Read(4);
        out.Write(rangeBits, 4);
        for (uint32_t p = 0; p < partitions; ++p)
            for (uint32_t d = 0; d < dims[classes[p]]; ++d) Copy(in, out, rangeBits);
    }
    const uint32_t residues = in.Read(6) + 1;
    out.Write(residues - 1, 6);
    for (uint32_t r = 0; r < residues; ++r) {
        const uint32_t type = in.Read(16);
        if (type > 2) {
            error = "an unknown residue type";
            return false;
        }
        out.Write(type, 2);
        Copy(in, out, 24);
        Copy(in, out, 24);
        Copy(in, out, 24);
        const uint32_t classifications = in.Read(6) + 1;
        out.Write(classifications - 1, 6);
        Copy(in, out, 8);
        std::vector<uint32_t> cascade(classifications);
        for (uint32_t& c : cascade) {
            c = in.Read(3);
            out.Write(c, 3);
            const uint32_t flag = in.Read(1);
            out.Write(flag, 1);
            if (flag) {
                const uint32_t high = in.Read(5);
                out.Write(high, 5);
                c |= high << 3;
            }
        }
        for (uint32_t c : cascade)
            for (uint32_t pass = 0; pass < 8; ++pass)
                if (c & (1u << pass)) Copy(in, out, 8);
    }
    const uint32_t mappings = in.Read(6) + 1;
    out.Write(mappings - 1, 6);
    for (uint32_t m = 0; m < mappings; ++m) {
        if (in.Read(16) != 0) {
            error = "an unknown mapping type";
            return false;
        }
        const uint32_t submapFlag = in.Read(1);
        out.Write(submapFlag, 1);
        uint32_t submaps = 1;
        if (submapFlag) {
            submaps = in.Read(4) + 1;
            out.Write(submaps - 1, 4);
        }
        const uint32_t couplingFlag = in.Read(1);
        out.Write(couplingFlag, 1);
        if (couplingFlag) {
            const uint32_t steps = in.Read(8) + 1;
            out.Write(steps - 1, 8);
            const uint32_t width = SxVorbisILog(channels - 1);
            for (uint32_t s = 0; s < steps; ++s) {
                Copy(in, out, width);
                Copy(in, out, width);
            }
        }
        Copy(in, out, 2);
        if (submaps > 1)
            for (uint32_t c = 0; c < channels; ++c) Copy(in, out, 4);
        for (uint32_t s = 0; s < submaps; ++s) {
            Copy(in, out, 8);
            Copy(in, out, 8);
            Copy(in, out, 8);
        }
    }
    const uint32_t modes = in.Read(6) + 1;
    out.Write(modes - 1, 6);
    for (uint32_t m = 0; m < modes; ++m) {
        const uint32_t flag = in.Read(1);
        out.Write(flag, 1);
        if (in.Read(16) != 0 || in.Read(16) != 0) {
            error = "a mode with a window or transform type other than 0";
            return false;
        }
        Copy(in, out, 8);
        modeFlags.push_back(flag);
    }
    if (in.Overrun() || !in.Read(1)) {
        error = "the setup ends early or without its framing bit";
        return false;
    }
    return true;
}

}  // namespace

bool ReadOgg(const Bytes& file, OggStream& stream, std::string& error) {
    stream = OggStream();
    size_t at = 0;
    bool haveSerial = false;
    uint32_t serial = 0;
    Bytes partial;
    while (at + 27 <= file.size()) {
        if (std::memcmp(&file[at], "OggS", 4) != 0 || file[at + 4] != 0) {
            error = "not an Ogg page at byte " + std::to_string(at);
            return false;
        }
        int64_t granule = 0;
        for (int i = 7; i >= 0; --i) granule = granule << 8 | file[at + 6 + i];
        const uint32_t pageSerial =
            file[at + 14] | file[at + 15] << 8 | file[at + 16] << 16 | uint32_t(file[at + 17]) << 24;
        const uint32_t segments = file[at + 26];
        if (at + 27 + segments > file.size()) break;
        size_t body = at + 27 + segments;
        size_t bodySize = 0;
        for (uint32_t s = 0; s < segments; ++s) bodySize += file[at + 27 + s];
        if (body + bodySize > file.size()) {
            error = "a page cut short";
            return false;
        }
        if (!haveSerial) {
            serial = pageSerial;
            haveSerial = true;
        }
        if (pageSerial == serial) {
            int32_t lastEnded = -1;
            size_t offset = body;
            for (uint32_t s = 0; s < segments; ++s) {
                const uint32_t lace = file[at + 27 + s];
                partial.insert(partial.end(), file.begin() + offset, file.begin() + offset + lace);
                offset += lace;
                if (lace < 255) {
                    stream.packets.push_back(std::move(partial));
                    stream.granules.push_back(-1);
                    partial.clear();
                    lastEnded = static_cast<int32_t>(stream.packets.size() - 1);
                }
            }
            if (lastEnded >= 0) stream.granules[lastEnded] = granule;
        }
        at = body + bodySize;
    }
    if (stream.packets.size() < 3) {
        error = "no complete Vorbis headers";
        return false;
    }
    return true;
}

bool ExtractCodebooks(const OggStream& stream, std::vector<Bytes>& books, std::string& error) {
    if (!SetupStart(stream, error)) return false;
    const Bytes& setup = stream.packets[2];
    SxVorbisBits in(setup.data() + 7, uint32_t(setup.size() - 7));
    const uint32_t count = in.Read(8) + 1;
    for (uint32_t b = 0; b < count; ++b) {
        Bytes packed;
        if (!PackCodebook(in, packed, error)) return false;
        books.push_back(std::move(packed));
    }
    return true;
}

std::vector<Bytes> LibraryBooks(const SX::SxVorbisLibrary& library) {
    std::vector<Bytes> books;
    for (uint32_t i = 0; i < library.count; ++i)
        books.emplace_back(library.data + library.offsets[i], library.data + library.offsets[i + 1]);
    return books;
}

std::string LibrarySource(const std::vector<Bytes>& books) {
    std::string out =
        "// The built-in codebook library: every codebook packed media may index, in the packer's\n"
        "// form. Generated by tools/vorbispacker/make-library.sh; do not edit.\n"
        "#include \"sound/engine/vorbis/SxVorbisSetup.h\"\n\nnamespace SX {\n\nnamespace {\n\n"
        "const uint8_t kData[] = {";
    std::string offsets = "const uint32_t kOffsets[] = {0";
    size_t total = 0, column = 0;
    char number[16];
    for (const Bytes& book : books) {
        for (uint8_t byte : book) {
            std::snprintf(number, sizeof number, "%s%u,", column % 24 == 0 ? "\n    " : "", byte);
            out += number;
            ++column;
        }
        total += book.size();
        offsets += ", " + std::to_string(total);
    }
    out += "\n};\n\n" + offsets + "};\n\n}  // namespace\n\n";
    out +=
        "const SxVorbisLibrary& SxVorbisBuiltInLibrary() {\n    static const SxVorbisLibrary library{kData, "
        "kOffsets, " +
        std::to_string(books.size()) + "};\n    return library;\n}\n\n}  // namespace SX\n";
    return out;
}

uint32_t SetupID(const uint8_t* setup, uint32_t size, uint32_t channels, uint32_t shortLog2, uint32_t longLog2) {
    uint32_t hash = 2166136261u;
    auto mix = [&](uint8_t byte) { hash = (hash ^ byte) * 16777619u; };
    for (uint32_t i = 0; i < size; ++i) mix(setup[i]);
    mix(uint8_t(channels));
    mix(uint8_t(shortLog2));
    mix(uint8_t(longLog2));
    return hash;
}

bool Pack(const OggStream& stream, const SX::SxVorbisLibrary& library, const PackOptions& options, Bytes& media,
          std::string& error, bool* missingCodebook) {
    if (missingCodebook) *missingCodebook = false;
    Identification id;
    if (!ReadIdentification(stream.packets[0], id, error) || !SetupStart(stream, error)) return false;

    // Codebooks become library indices.
    std::map<Bytes, uint32_t> index;
    for (uint32_t i = 0; i < library.count; ++i)
        index.emplace(Bytes(library.data + library.offsets[i], library.data + library.offsets[i + 1]), i);
    const Bytes& header = stream.packets[2];
    SxVorbisBits in(header.data() + 7, uint32_t(header.size() - 7));
    BitWriter setup;
    const uint32_t books = in.Read(8) + 1;
    setup.Write(books - 1, 8);
    for (uint32_t b = 0; b < books; ++b) {
        Bytes packed;
        if (!PackCodebook(in, packed, error)) return false;
        const auto found = index.find(packed);
        if (found == index.end()) {
            error = "codebook " + std::to_string(b) + " is not in the codebook library";
            if (missingCodebook) *missingCodebook = true;
            return false;
        }
        setup.Write(found->second, 10);
    }
    std::vector<uint32_t> modeFlags;
    if (!PackSetupRest(in, setup, id.channels, modeFlags, error)) return false;
    const Bytes setupBytes = setup.bytes();
    SX::SxVorbisSetup check;
    if (!check.Parse(setupBytes.data(), uint32_t(setupBytes.size()), id.channels, id.shortLog2, id.longLog2, library)) {
        error = "the setup does not decode (block sizes without windows, or a malformed header)";
        return false;
    }

    // Audio packets: without the packet-type bit and the window flags.
    std::vector<Bytes> packets;
    std::vector<uint32_t> returned;
    uint64_t frames = 0;
    int64_t lastGranule = -1;
    uint32_t previousFlag = 0;
    bool first = true;
    const uint32_t modeBits = SxVorbisILog(uint32_t(modeFlags.size()) - 1);
    for (size_t p = 3; p < stream.packets.size(); ++p) {
        const Bytes& packet = stream.packets[p];
        if (stream.granules[p] >= 0) lastGranule = stream.granules[p];
        if (packet.empty()) continue;
        SxVorbisBits bits(packet.data(), uint32_t(packet.size()));
        if (bits.Read(1) != 0) continue;  // not audio
        const uint32_t mode = bits.Read(modeBits);
        if (mode >= modeFlags.size()) continue;
        const uint32_t flag = modeFlags[mode];
        if (flag) bits.Read(2);
        BitWriter out;
        out.Write(mode, modeBits);
        while (bits.BitsLeft() > 0) {
            const uint32_t take = std::min<uint32_t>(bits.BitsLeft(), 24);
            out.Write(bits.Read(take), take);
        }
        if (out.bytes().size() > 0xFFFF) {
            error = "a packet larger than 64 KB";
            return false;
        }
        const uint32_t frameCount = first ? 0
                                          : (1u << (previousFlag ? id.longLog2 : id.shortLog2)) / 4 +
                                                (1u << (flag ? id.longLog2 : id.shortLog2)) / 4;
        first = false;
        previousFlag = flag;
        returned.push_back(frameCount);
        frames += frameCount;
        packets.push_back(std::move(out.bytes()));
    }
    if (packets.empty()) {
        error = "no audio packet";
        return false;
    }
    const uint64_t total = lastGranule > 0 && uint64_t(lastGranule) < frames ? uint64_t(lastGranule) : frames;
    const uint32_t endDrop = static_cast<uint32_t>(frames - total);

    // Seek table: entries {frames, bytes} from the first audio packet; decoding from an
    // entry's packet gives its first frames with the packet after it.
    Bytes seek;
    uint32_t groupFrames = 0, groupBytes = 0;
    for (size_t p = 0; p + 1 < packets.size(); ++p) {
        const uint32_t record = uint32_t(packets[p].size()) + 2;
        const uint32_t frameCount = returned[p + 1];
        if (groupBytes + record > 0xFFFF || groupFrames + frameCount > 0xFFFF) break;
        groupBytes += record;
        groupFrames += frameCount;
        if (groupFrames >= options.seekEveryFrames) {
            Put16(seek, groupFrames);
            Put16(seek, groupBytes);
            groupFrames = groupBytes = 0;
        }
    }

    Bytes data = seek;
    Put16(data, uint32_t(setupBytes.size()));
    data.insert(data.end(), setupBytes.begin(), setupBytes.end());
    const uint32_t firstPacket = uint32_t(data.size());
    uint32_t maxPacket = 0;
    for (const Bytes& packet : packets) {
        Put16(data, uint32_t(packet.size()));
        data.insert(data.end(), packet.begin(), packet.end());
        maxPacket = std::max<uint32_t>(maxPacket, uint32_t(packet.size()));
    }

    // The speakers of the codec's channel orders: up to 5.1, then 6.1 (a rear centre and the
    // two sides) and 7.1 (the two sides added). The engine plays up to six and refuses more
    // with its result for an unsupported channel configuration, as for every codec.
    const uint32_t channelMasks[9] = {0, 0x4, 0x3, 0x7, 0x33, 0x37, 0x3F, 0x70F, 0x63F};
    Bytes fmt;
    Put16(fmt, 0xFFFF);
    Put16(fmt, id.channels);
    Put32(fmt, id.rate);
    Put32(fmt, total ? uint32_t(uint64_t(data.size()) * id.rate / total) : 0);
    Put16(fmt, 2 * id.channels);
    Put16(fmt, 16);
    Put16(fmt, 48);
    Put16(fmt, 0);
    Put32(fmt, id.channels <= 8 ? channelMasks[id.channels] : 0);
    Put32(fmt, uint32_t(total));
    Put32(fmt, firstPacket - uint32_t(seek.size()));  // loop start: the first audio packet
    Put32(fmt, uint32_t(data.size() - seek.size()));  // loop end: the end of the last packet
    Put16(fmt, 0);
    Put16(fmt, endDrop);
    Put32(fmt, uint32_t(seek.size()));
    Put32(fmt, firstPacket);
    Put16(fmt, maxPacket);
    Put16(fmt, endDrop);
    Put32(fmt, uint32_t(check.memoryUse));
    Put32(fmt, 0);
    Put32(fmt, SetupID(setupBytes.data(), uint32_t(setupBytes.size()), id.channels, id.shortLog2, id.longLog2));
    fmt.push_back(uint8_t(id.shortLog2));
    fmt.push_back(uint8_t(id.longLog2));

    media.clear();
    PutTag(media, "RIFF");
    Put32(media, 0);
    PutTag(media, "WAVE");
    PutTag(media, "fmt ");
    Put32(media, uint32_t(fmt.size()));
    media.insert(media.end(), fmt.begin(), fmt.end());
    if (options.loop) {
        PutTag(media, "smpl");
        Put32(media, 60);
        Bytes smpl(60, 0);
        smpl[28] = 1;  // one loop
        const uint32_t end = uint32_t(total - 1);
        std::memcpy(&smpl[36 + 12], &end, 4);
        media.insert(media.end(), smpl.begin(), smpl.end());
    }
    PutTag(media, "data");
    Put32(media, uint32_t(data.size()));
    media.insert(media.end(), data.begin(), data.end());
    const uint32_t riff = uint32_t(media.size() - 8);
    std::memcpy(&media[4], &riff, 4);
    return true;
}

}  // namespace vorbis
}  // namespace QV

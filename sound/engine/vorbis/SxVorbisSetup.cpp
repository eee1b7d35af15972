#include "sound/engine/vorbis/SxVorbisSetup.h"

#include <algorithm>
#include <cmath>

namespace SX {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

bool SxVorbisSetup::Parse(const uint8_t* packet, uint32_t size, uint32_t channelCount, uint32_t shortLog2,
                          uint32_t longLog2, const SxVorbisLibrary& library) {
    if (channelCount == 0 || channelCount > 255) return false;
    if (shortLog2 < SxVorbisMinBlockLog2 || longLog2 > SxVorbisMaxBlockLog2 || shortLog2 > longLog2) return false;
    channels = channelCount;
    blockSize[0] = 1u << shortLog2;
    blockSize[1] = 1u << longLog2;
    SxVorbisBits bits(packet, size);
    size_t memory = 0;

    const uint32_t bookCount = bits.Read(8) + 1;
    codebooks.resize(bookCount);
    for (SxVorbisCodebook& book : codebooks) {
        const uint32_t index = bits.Read(10);
        if (bits.Overrun() || index >= library.count) return false;
        const uint32_t begin = library.offsets[index], end = library.offsets[index + 1];
        if (end < begin) return false;
        SxVorbisBits entry(library.data + begin, end - begin);
        if (!book.Parse(entry)) return false;
        memory += book.MemoryUse();
        if (memory > kMaxMemory) return false;
    }
    memoryUse = memory;

    floors.resize(bits.Read(6) + 1);
    for (SxVorbisFloor1& floor : floors)
        if (!ParseFloor(bits, floor)) return false;
    residues.resize(bits.Read(6) + 1);
    for (SxVorbisResidue& residue : residues)
        if (!ParseResidue(bits, residue)) return false;
    mappings.resize(bits.Read(6) + 1);
    for (SxVorbisMapping& mapping : mappings)
        if (!ParseMapping(bits, mapping)) return false;
    modes.resize(bits.Read(6) + 1);
    for (SxVorbisMode& mode : modes) {
        mode.blockFlag = bits.Read(1);
        mode.mapping = bits.Read(8);
        if (mode.mapping >= mappings.size()) return false;
    }
    if (bits.Overrun()) return false;
    BuildTables(0);
    BuildTables(1);
    return true;
}

bool SxVorbisSetup::ParseFloor(SxVorbisBits& bits, SxVorbisFloor1& floor) const {
    const int32_t books = static_cast<int32_t>(codebooks.size());
    floor.partitions = bits.Read(5);
    int32_t maxClass = -1;
    for (uint32_t i = 0; i < floor.partitions; ++i) {
        floor.partitionClass[i] = static_cast<uint8_t>(bits.Read(4));
        maxClass = std::max<int32_t>(maxClass, floor.partitionClass[i]);
    }
    for (int32_t c = 0; c <= maxClass; ++c) {
        floor.classDimensions[c] = static_cast<uint8_t>(bits.Read(3) + 1);
        floor.classSubclasses[c] = static_cast<uint8_t>(bits.Read(2));
        floor.classMaster[c] = -1;
        if (floor.classSubclasses[c]) {
            floor.classMaster[c] = static_cast<int16_t>(bits.Read(8));
            if (floor.classMaster[c] >= books) return false;
        }
        for (uint32_t s = 0; s < (1u << floor.classSubclasses[c]); ++s) {
            floor.subclassBooks[c][s] = static_cast<int16_t>(int32_t(bits.Read(8)) - 1);
            if (floor.subclassBooks[c][s] >= books) return false;
        }
    }
    floor.multiplier = bits.Read(2) + 1;
    const uint32_t rangeBits = bits.Read(4);
    floor.x = {0, static_cast<uint16_t>(1u << rangeBits)};
    for (uint32_t i = 0; i < floor.partitions; ++i) {
        const uint32_t dims = floor.classDimensions[floor.partitionClass[i]];
        for (uint32_t d = 0; d < dims; ++d) {
            if (floor.x.size() >= SxVorbisFloor1::kMaxValues) return false;
            floor.x.push_back(static_cast<uint16_t>(bits.Read(rangeBits)));
        }
    }
    if (bits.Overrun()) return false;
    const size_t values = floor.x.size();
    floor.sorted.resize(values);
    for (size_t i = 0; i < values; ++i) floor.sorted[i] = static_cast<uint8_t>(i);
    std::stable_sort(floor.sorted.begin(), floor.sorted.end(),
                     [&](uint8_t a, uint8_t b) { return floor.x[a] < floor.x[b]; });
    for (size_t i = 1; i < values; ++i)
        if (floor.x[floor.sorted[i]] == floor.x[floor.sorted[i - 1]]) return false;  // the curve needs distinct points
    floor.lowNeighbor.assign(values, 0);
    floor.highNeighbor.assign(values, 1);
    for (size_t i = 2; i < values; ++i) {
        int32_t low = -1, high = -1;
        for (size_t j = 0; j < i; ++j) {
            if (floor.x[j] < floor.x[i] && (low < 0 || floor.x[j] > floor.x[low])) low = static_cast<int32_t>(j);
            if (floor.x[j] > floor.x[i] && (high < 0 || floor.x[j] < floor.x[high])) high = static_cast<int32_t>(j);
        }
        if (low < 0 || high < 0) return false;
        floor.lowNeighbor[i] = static_cast<uint8_t>(low);
        floor.highNeighbor[i] = static_cast<uint8_t>(high);
    }
    return true;
}

bool SxVorbisSetup::ParseResidue(SxVorbisBits& bits, SxVorbisResidue& residue) const {
    residue.type = bits.Read(2);
    residue.begin = bits.Read(24);
    residue.end = bits.Read(24);
    residue.partitionSize = bits.Read(24) + 1;
    residue.classifications = bits.Read(6) + 1;
    residue.classbook = bits.Read(8);
    if (residue.type > 2 || residue.classbook >= codebooks.size()) return false;
    std::vector<uint32_t> cascade(residue.classifications);
    for (uint32_t& c : cascade) {
        c = bits.Read(3);
        if (bits.Read(1)) c |= bits.Read(5) << 3;
    }
    residue.books.resize(residue.classifications);
    for (uint32_t c = 0; c < residue.classifications; ++c) {
        for (uint32_t pass = 0; pass < 8; ++pass) {
            residue.books[c][pass] = -1;
            if (!(cascade[c] & (1u << pass))) continue;
            const uint32_t book = bits.Read(8);
            if (book >= codebooks.size() || !codebooks[book].HasLookup()) return false;
            residue.books[c][pass] = static_cast<int16_t>(book);
        }
    }
    return !bits.Overrun();
}

bool SxVorbisSetup::ParseMapping(SxVorbisBits& bits, SxVorbisMapping& mapping) const {
    mapping.submaps = bits.Read(1) ? bits.Read(4) + 1 : 1;
    if (bits.Read(1)) {
        const uint32_t steps = bits.Read(8) + 1;
        const uint32_t width = SxVorbisILog(channels - 1);
        for (uint32_t s = 0; s < steps; ++s) {
            const uint32_t magnitude = bits.Read(width), angle = bits.Read(width);
            if (magnitude == angle || magnitude >= channels || angle >= channels) return false;
            mapping.coupling.push_back({static_cast<uint8_t>(magnitude), static_cast<uint8_t>(angle)});
        }
    }
    if (bits.Read(2) != 0) return false;
    mapping.mux.assign(channels, 0);
    if (mapping.submaps > 1)
        for (uint8_t& mux : mapping.mux) {
            mux = static_cast<uint8_t>(bits.Read(4));
            if (mux >= mapping.submaps) return false;
        }
    for (uint32_t s = 0; s < mapping.submaps; ++s) {
        bits.Read(8);
        mapping.submapFloor[s] = static_cast<uint8_t>(bits.Read(8));
        mapping.submapResidue[s] = static_cast<uint8_t>(bits.Read(8));
        if (mapping.submapFloor[s] >= floors.size() || mapping.submapResidue[s] >= residues.size()) return false;
    }
    return !bits.Overrun();
}

void SxVorbisSetup::BuildTables(uint32_t flag) {
    const uint32_t n = blockSize[flag];
    const uint32_t half = n / 2, quarter = n / 4;
    window[flag].resize(half);
    for (uint32_t j = 0; j < half; ++j) {
        const double s = std::sin((j + 0.5) / n * kPi);
        window[flag][j] = static_cast<float>(std::sin(kPi / 2 * s * s));
    }
    preTwiddle[flag].resize(quarter);
    postTwiddle[flag].resize(quarter);
    for (uint32_t j = 0; j < quarter; ++j) {
        preTwiddle[flag][j] = std::polar(1.0f, static_cast<float>(-kPi * (j + 0.25) / half));
        postTwiddle[flag][j] = std::polar(1.0f, static_cast<float>(-kPi * j / half));
    }
    stageTwiddleRe[flag].clear();
    stageTwiddleIm[flag].clear();
    for (uint32_t h = 4; h < quarter; h *= 2)
        for (uint32_t k = 0; k < h; ++k) {
            const std::complex<float> w = std::polar(1.0f, static_cast<float>(-kPi * k / h));
            stageTwiddleRe[flag].push_back(w.real());
            stageTwiddleIm[flag].push_back(w.imag());
        }
    const uint32_t bits = SxVorbisILog(quarter) - 1;
    bitReverse[flag].resize(quarter);
    for (uint32_t i = 0; i < quarter; ++i) {
        uint32_t r = 0;
        for (uint32_t b = 0; b < bits; ++b) r |= ((i >> b) & 1u) << (bits - 1 - b);
        bitReverse[flag][i] = r;
    }
}

}  // namespace SX

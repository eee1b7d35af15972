#pragma once
// One codebook: the entropy code of its entries and, when it has one, the vector of each
// entry. Read from the codebook library's packed form: dimensions (4 bits), entries (14),
// ordered flag; ordered lengths as runs, or a length width (3 bits), a sparse flag and per
// entry a present bit (sparse) and length - 1; then a lookup flag and, with it, the minimum
// and delta as packed floats, value bits - 1 (4), the sequence flag and the multiplicands.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/engine/vorbis/SxVorbisBits.h"

namespace SX {

class SxVorbisCodebook {
public:
    // False for anything impossible: no dimension or entry, lengths past 32, a code tree with
    // more codes than room, a lookup without entries to index.
    bool Parse(SxVorbisBits& bits);
    // Builds the codebook from entry lengths (0: unused) alone; the lookup stays empty.
    bool Build(uint32_t dimensions, std::vector<uint8_t> lengths);

    // The next entry, or -1 when the packet ends or the bits match no code.
    int32_t DecodeScalar(SxVorbisBits& bits) const;
    // The vector of the next entry, or null (no lookup, end of packet, no code).
    const float* DecodeVector(SxVorbisBits& bits) const {
        const int32_t entry = DecodeScalar(bits);
        return entry < 0 || m_values.empty() ? nullptr : &m_values[size_t(entry) * m_dimensions];
    }

    uint32_t Dimensions() const { return m_dimensions; }
    uint32_t Entries() const { return m_entries; }
    bool HasLookup() const { return !m_values.empty(); }
    // Bytes held, for the bound on a setup's memory.
    size_t MemoryUse() const;

    // Packed floats of the codebooks: 21-bit mantissa, sign, 10-bit exponent biased by 788.
    static float UnpackFloat(uint32_t packed);
    // The largest r with r^dimensions <= entries.
    static uint32_t Lookup1Values(uint32_t entries, uint32_t dimensions);

private:
    struct LongCode {
        uint32_t reversed;
        uint8_t length;
        uint32_t entry;
    };
    static constexpr uint32_t kFastBits = 10;

    bool AssignCodes();

    uint32_t m_dimensions = 0;
    uint32_t m_entries = 0;
    std::vector<uint8_t> m_lengths;
    std::vector<int32_t> m_fast;   // by the next kFastBits bits: entry << 8 | length, or -1
    std::vector<LongCode> m_long;  // codes longer than kFastBits
    std::vector<float> m_values;   // entries x dimensions
};

}  // namespace SX

#include "sound/engine/vorbis/SxVorbisCodebook.h"

#include <algorithm>
#include <cmath>

namespace SX {

namespace {

constexpr uint32_t kMaxLookupValues = 1u << 18;

uint32_t Reverse(uint32_t code, uint32_t length) {
    uint32_t out = 0;
    for (uint32_t i = 0; i < length; ++i) out |= ((code >> i) & 1u) << (length - 1 - i);
    return out;
}

}  // namespace

float SxVorbisCodebook::UnpackFloat(uint32_t packed) {
    const int32_t mantissa = static_cast<int32_t>(packed & 0x1FFFFF);
    const int32_t exponent = static_cast<int32_t>((packed & 0x7FE00000u) >> 21);
    const double value = std::ldexp(static_cast<double>(mantissa), exponent - 788);
    return static_cast<float>((packed & 0x80000000u) ? -value : value);
}

uint32_t SxVorbisCodebook::Lookup1Values(uint32_t entries, uint32_t dimensions) {
    if (dimensions == 0) return 0;
    uint32_t r = static_cast<uint32_t>(std::floor(std::pow(double(entries), 1.0 / dimensions)));
    auto fits = [&](uint64_t base) {
        uint64_t power = 1;
        for (uint32_t i = 0; i < dimensions; ++i) {
            power *= base;
            if (power > entries) return false;
        }
        return true;
    };
    while (r > 0 && !fits(r)) --r;
    while (fits(uint64_t(r) + 1)) ++r;
    return r;
}

bool SxVorbisCodebook::Parse(SxVorbisBits& bits) {
    const uint32_t dimensions = bits.Read(4);
    const uint32_t entries = bits.Read(14);
    if (dimensions == 0 || entries == 0) return false;
    std::vector<uint8_t> lengths(entries, 0);
    if (bits.Read(1)) {
        uint32_t entry = 0;
        uint32_t length = bits.Read(5) + 1;
        while (entry < entries) {
            if (length > 32) return false;
            const uint32_t count = bits.Read(SxVorbisILog(entries - entry));
            if (count > entries - entry || bits.Overrun()) return false;
            std::fill(lengths.begin() + entry, lengths.begin() + entry + count, static_cast<uint8_t>(length));
            entry += count;
            ++length;
        }
    } else {
        const uint32_t width = bits.Read(3);
        const bool sparse = bits.Read(1) != 0;
        for (uint32_t i = 0; i < entries; ++i) {
            if (sparse && !bits.Read(1)) continue;
            const uint32_t length = bits.Read(width) + 1;
            if (length > 32) return false;
            lengths[i] = static_cast<uint8_t>(length);
        }
    }
    if (bits.Overrun() || !Build(dimensions, std::move(lengths))) return false;
    if (!bits.Read(1)) return !bits.Overrun();
    const float minimum = UnpackFloat(bits.Read(32));
    const float delta = UnpackFloat(bits.Read(32));
    const uint32_t valueBits = bits.Read(4) + 1;
    const bool sequence = bits.Read(1) != 0;
    const uint32_t count = Lookup1Values(entries, dimensions);
    if (count == 0 || count > kMaxLookupValues || bits.BitsLeft() < uint64_t(count) * valueBits) return false;
    std::vector<uint32_t> multiplicands(count);
    for (uint32_t& m : multiplicands) m = bits.Read(valueBits);
    if (bits.Overrun()) return false;
    m_values.assign(size_t(entries) * dimensions, 0.0f);
    for (uint32_t e = 0; e < entries; ++e) {
        float last = 0.0f;
        uint32_t divisor = 1;
        for (uint32_t d = 0; d < dimensions; ++d) {
            const uint32_t offset = (e / divisor) % count;
            const float value = multiplicands[offset] * delta + minimum + last;
            if (sequence) last = value;
            m_values[size_t(e) * dimensions + d] = value;
            divisor *= count;
        }
    }
    return true;
}

bool SxVorbisCodebook::Build(uint32_t dimensions, std::vector<uint8_t> lengths) {
    m_dimensions = dimensions;
    m_entries = static_cast<uint32_t>(lengths.size());
    m_lengths = std::move(lengths);
    m_values.clear();
    return AssignCodes();
}

// Each used entry, in order, takes the lowest free codeword of its length (most significant
// bit first). The taken space is kept as merged intervals of a 2^32 range.
bool SxVorbisCodebook::AssignCodes() {
    struct Span {
        uint64_t begin, end;
    };
    std::vector<Span> taken;
    m_fast.assign(size_t(1) << kFastBits, -1);
    m_long.clear();
    for (uint32_t e = 0; e < m_entries; ++e) {
        const uint32_t length = m_lengths[e];
        if (length == 0) continue;
        const uint64_t unit = uint64_t(1) << (32 - length);
        uint64_t at = 0;
        size_t i = 0;
        for (; i < taken.size(); ++i) {
            if (at + unit <= taken[i].begin) break;
            if (taken[i].end > at) at = (taken[i].end + unit - 1) / unit * unit;
        }
        if (at + unit > (uint64_t(1) << 32)) return false;  // more codes than room
        // Insert and merge with the neighbours.
        taken.insert(taken.begin() + i, Span{at, at + unit});
        if (i + 1 < taken.size() && taken[i + 1].begin == taken[i].end) {
            taken[i].end = taken[i + 1].end;
            taken.erase(taken.begin() + i + 1);
        }
        if (i > 0 && taken[i - 1].end == taken[i].begin) {
            taken[i - 1].end = taken[i].end;
            taken.erase(taken.begin() + i);
        }
        const uint32_t code = static_cast<uint32_t>(at >> (32 - length));
        const uint32_t reversed = Reverse(code, length);
        if (length <= kFastBits) {
            for (uint32_t fill = 0; fill < (1u << (kFastBits - length)); ++fill)
                m_fast[reversed | (fill << length)] = static_cast<int32_t>(e << 8 | length);
        } else {
            m_long.push_back(LongCode{reversed, static_cast<uint8_t>(length), e});
        }
    }
    return true;
}

int32_t SxVorbisCodebook::DecodeScalar(SxVorbisBits& bits) const {
    if (m_fast.empty()) return -1;
    const uint32_t window = bits.Peek32();
    const int32_t fast = m_fast[window & ((1u << kFastBits) - 1)];
    if (fast >= 0) {
        const uint32_t length = static_cast<uint32_t>(fast) & 0xFF;
        if (length > bits.BitsLeft()) {
            bits.Skip(bits.BitsLeft() + 1);
            return -1;
        }
        bits.Skip(length);
        return fast >> 8;
    }
    for (const LongCode& code : m_long) {
        const uint32_t mask = code.length == 32 ? 0xFFFFFFFFu : (1u << code.length) - 1;
        if ((window & mask) == code.reversed) {
            if (code.length > bits.BitsLeft()) {
                bits.Skip(bits.BitsLeft() + 1);
                return -1;
            }
            bits.Skip(code.length);
            return static_cast<int32_t>(code.entry);
        }
    }
    bits.Skip(bits.BitsLeft() + 1);  // no code: the rest of the packet cannot be read
    return -1;
}

size_t SxVorbisCodebook::MemoryUse() const {
    return m_lengths.size() + m_fast.size() * sizeof(int32_t) + m_long.size() * sizeof(LongCode) +
           m_values.size() * sizeof(float);
}

}  // namespace SX

#pragma once
// Reads bit fields packed least-significant bit first. Reading past the end yields zeros and
// marks the reader: a packet that ends early is not an error in audio data, a setup that ends
// early is.
#include <cstdint>
#include <cstring>

namespace SX {

class SxVorbisBits {
public:
    SxVorbisBits(const uint8_t* data, uint32_t size) : m_data(data), m_size(size) {}

    // Up to 32 bits.
    uint32_t Read(uint32_t bits) {
        uint32_t value = 0;
        for (uint32_t got = 0; got < bits;) {
            if (m_byte >= m_size) {
                m_overrun = true;
                return value;
            }
            const uint32_t take = bits - got < 8 - m_bit ? bits - got : 8 - m_bit;
            const uint32_t part = (m_data[m_byte] >> m_bit) & ((1u << take) - 1);
            value |= part << got;
            got += take;
            m_bit += take;
            if (m_bit == 8) {
                m_bit = 0;
                ++m_byte;
            }
        }
        return value;
    }
    // The next 32 bits without consuming them (zeros past the end).
    uint32_t Peek32() const {
        uint64_t window = 0;
        if (m_byte + 8 <= m_size) {
            std::memcpy(&window, m_data + m_byte, 8);  // little-endian, as the bits are packed
            return static_cast<uint32_t>(window >> m_bit);
        }
        for (uint32_t i = 0; i < 5 && m_byte + i < m_size; ++i) window |= uint64_t(m_data[m_byte + i]) << (8 * i);
        return static_cast<uint32_t>(window >> m_bit);
    }
    uint32_t BitsLeft() const { return m_byte >= m_size ? 0 : (m_size - m_byte) * 8 - m_bit; }
    // Consumes bits known to be there (after a peek).
    void Skip(uint32_t bits) {
        if (bits > BitsLeft()) {
            m_overrun = true;
            m_byte = m_size;
            m_bit = 0;
            return;
        }
        const uint32_t total = m_bit + bits;
        m_byte += total / 8;
        m_bit = total % 8;
    }
    bool Overrun() const { return m_overrun; }

private:
    const uint8_t* m_data;
    uint32_t m_size;
    uint32_t m_byte = 0;
    uint32_t m_bit = 0;
    bool m_overrun = false;
};

// Bits needed for value: 0 for 0, 1 for 1, 2 for 2..3, ...
inline uint32_t SxVorbisILog(uint32_t value) {
    uint32_t bits = 0;
    while (value) {
        ++bits;
        value >>= 1;
    }
    return bits;
}

}  // namespace SX

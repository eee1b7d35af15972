#pragma once
// A bounded little-endian reader over a hierarchy record's body. Every read checks the bytes
// left first: a short read fails without moving and leaves the cursor marked as failed.
#include <cstdint>
#include <cstring>

namespace SX {

class SxReadCursor {
public:
    SxReadCursor(const uint8_t* data, uint32_t size) : m_data(data), m_left(size) {}

    bool U8(uint8_t& out) { return Take(&out, 1); }
    bool U16(uint16_t& out) {
        uint8_t b[2];
        if (!Take(b, 2)) return false;
        out = static_cast<uint16_t>(b[0] | (b[1] << 8));
        return true;
    }
    bool U32(uint32_t& out) {
        uint8_t b[4];
        if (!Take(b, 4)) return false;
        out = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        return true;
    }
    bool F32(float& out) {
        uint32_t bits;
        if (!U32(bits)) return false;
        std::memcpy(&out, &bits, 4);
        return true;
    }
    // Moves past count bytes, or fails when fewer are left.
    bool Skip(uint32_t count) {
        if (count > m_left) return Fail();
        m_data += count;
        m_left -= count;
        return true;
    }
    // True when at least count records of recordSize bytes are left: a count read from the
    // record is checked against it before anything is allocated for it.
    bool HasRoomFor(uint32_t count, uint32_t recordSize) const {
        return recordSize == 0 || count <= m_left / recordSize;
    }
    const uint8_t* Data() const { return m_data; }
    uint32_t Left() const { return m_left; }
    bool Failed() const { return m_failed; }

private:
    bool Take(void* out, uint32_t count) {
        if (count > m_left) return Fail();
        std::memcpy(out, m_data, count);
        m_data += count;
        m_left -= count;
        return true;
    }
    bool Fail() {
        m_failed = true;
        return false;
    }

    const uint8_t* m_data;
    uint32_t m_left;
    bool m_failed = false;
};

}  // namespace SX

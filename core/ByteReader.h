#pragma once
// A bounded little-endian reader over a byte array: every read checks what is left, and a read
// past the end fails without moving, so a truncated file is seen where it is cut.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace SD {

class ByteReader {
public:
    ByteReader(const unsigned char* data, size_t size, size_t offset = 0)
        : data_(data), size_(size), offset_(offset <= size ? offset : size) {}

    bool U8(uint8_t& out) { return Bytes(&out, 1); }
    bool U32(uint32_t& out) {
        unsigned char b[4];
        if (!Bytes(b, 4)) return false;
        out = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
              static_cast<uint32_t>(b[3]) << 24;
        return true;
    }
    bool F32(float& out) {
        uint32_t bits = 0;
        if (!U32(bits)) return false;
        std::memcpy(&out, &bits, sizeof out);
        return true;
    }
    bool Bytes(void* out, size_t count) {
        if (count > Left()) return false;
        if (count) std::memcpy(out, data_ + offset_, count);
        offset_ += count;
        return true;
    }
    bool Skip(size_t count) {
        if (count > Left()) return false;
        offset_ += count;
        return true;
    }
    size_t Left() const { return size_ - offset_; }
    size_t Offset() const { return offset_; }

private:
    const unsigned char* data_;
    size_t size_;
    size_t offset_;
};

}  // namespace SD

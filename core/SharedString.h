#pragma once
// The engine's immutable, reference-counted string. Copies share one counted buffer (a u32 use
// count, the characters and a NUL in a single allocation), so copying never allocates.
// The count is a plain integer: a string is shared across threads only by copies made on one.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "core/Hash.h"

namespace SD {

class SharedString {
public:
    // No buffer: differs from a string holding "", yet equals the C string "".
    SharedString() = default;
    SharedString(const char* text) { Assign(text); }
    SharedString(const std::string& text);
    SharedString(const SharedString& other);
    SharedString(SharedString&& other) noexcept;
    ~SharedString() { Release(); }

    // Keeps the own buffer when both texts are equal; otherwise shares the other's.
    SharedString& operator=(const SharedString& other);
    SharedString& operator=(SharedString&& other) noexcept;
    SharedString& operator=(const char* text) {
        Assign(text);
        return *this;
    }

    // Drops the current buffer and copies the text into a new one; null leaves no buffer.
    void Assign(const char* text);
    // Drops the current buffer, freeing it with its last user; leaves no buffer.
    void Release();

    bool operator==(const SharedString& other) const;
    bool operator!=(const SharedString& other) const { return !(*this == other); }
    // A null text equals exactly an empty string; no buffer equals exactly "".
    bool operator==(const char* text) const;
    bool operator!=(const char* text) const { return !(*this == text); }
    // Bytes compare unsigned; no buffer sorts first; a prefix sorts before the longer text.
    bool operator<(const SharedString& other) const;

    uint32_t Length() const { return length_; }
    bool HasBuffer() const { return buffer_ != nullptr; }
    // The characters; "" when there is no buffer.
    const char* c_str() const { return text_ ? text_ : ""; }
    // The number of strings sharing the buffer; 0 without one.
    uint32_t UseCount() const { return count_ ? *count_ : 0; }
    uint32_t Hash() const { return MurmurHash2A(c_str(), static_cast<int32_t>(length_)); }

private:
    void Allocate(const char* text, size_t length);

    uint32_t length_ = 0;
    char* buffer_ = nullptr;
    uint32_t* count_ = nullptr;
    char* text_ = nullptr;
};

// The engine's name type: the key of its name-to-value tables.
using Name = SharedString;

// Hash of the name-keyed tables, for shared-string and std::string keys alike.
struct NameHash {
    size_t operator()(const SharedString& name) const { return name.Hash(); }
    size_t operator()(const std::string& name) const { return HashName(name); }
};

}  // namespace SD

namespace std {
template <>
struct hash<SD::SharedString> {
    size_t operator()(const SD::SharedString& name) const { return name.Hash(); }
};
}  // namespace std

#include "core/SharedString.h"

#include <cstring>
#include <new>
#include <utility>

namespace SD {

SharedString::SharedString(const std::string& text) { Allocate(text.data(), text.size()); }

SharedString::SharedString(const SharedString& other)
    : length_(other.length_), buffer_(other.buffer_), count_(other.count_), text_(other.text_) {
    if (count_) ++*count_;
}

SharedString::SharedString(SharedString&& other) noexcept
    : length_(other.length_), buffer_(other.buffer_), count_(other.count_), text_(other.text_) {
    other.length_ = 0;
    other.buffer_ = other.text_ = nullptr;
    other.count_ = nullptr;
}

SharedString& SharedString::operator=(const SharedString& other) {
    if (buffer_ == other.buffer_) return *this;
    if (buffer_ && other.buffer_ && *this == other) return *this;
    Release();
    length_ = other.length_;
    buffer_ = other.buffer_;
    count_ = other.count_;
    text_ = other.text_;
    if (count_) ++*count_;
    return *this;
}

SharedString& SharedString::operator=(SharedString&& other) noexcept {
    if (this != &other) {
        Release();
        std::swap(length_, other.length_);
        std::swap(buffer_, other.buffer_);
        std::swap(count_, other.count_);
        std::swap(text_, other.text_);
    }
    return *this;
}

void SharedString::Assign(const char* text) {
    Release();
    if (text) Allocate(text, std::strlen(text));
}

void SharedString::Release() {
    if (count_ && --*count_ == 0) delete[] buffer_;
    length_ = 0;
    buffer_ = nullptr;
    count_ = nullptr;
    text_ = nullptr;
}

void SharedString::Allocate(const char* text, size_t length) {
    Release();
    buffer_ = new char[length + 5];
    count_ = new (buffer_) uint32_t(1);
    text_ = buffer_ + 4;
    std::memcpy(text_, text, length);
    text_[length] = '\0';
    length_ = static_cast<uint32_t>(length);
}

bool SharedString::operator==(const SharedString& other) const {
    if (buffer_ == other.buffer_) return true;
    if (!buffer_ || !other.buffer_) return false;
    // Lengths first: equal strings must hash equally, even with NULs inside.
    return length_ == other.length_ && std::memcmp(text_, other.text_, length_) == 0;
}

bool SharedString::operator==(const char* text) const {
    if (text_ == text) return true;
    if (!text_) return *text == '\0';
    if (!text) return length_ == 0;
    return std::strcmp(text_, text) == 0;
}

bool SharedString::operator<(const SharedString& other) const {
    if (text_ == other.text_) return false;
    if (!text_) return true;
    if (!other.text_) return false;
    int order = std::memcmp(text_, other.text_, length_ < other.length_ ? length_ : other.length_);
    return order != 0 ? order < 0 : length_ < other.length_;
}

}  // namespace SD

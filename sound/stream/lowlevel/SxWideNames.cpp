#include "sound/stream/lowlevel/SxWideNames.h"

#include <cwchar>

#include "sound/engine/SxSoundEngine.h"

namespace SX::StreamMgr {

std::u16string ToCodeUnits(const wchar_t* name) {
    std::u16string units;
    for (; name && *name; ++name) {
        uint32_t c = static_cast<uint32_t>(*name);
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            units += char16_t(0xD800 + (c >> 10));
            units += char16_t(0xDC00 + (c & 0x3FF));
        } else {
            units += char16_t(c > 0xFFFF ? 0xFFFD : c);
        }
    }
    return units;
}

std::string ToUtf8(const wchar_t* name) {
    std::string out;
    for (; name && *name; ++name) {
        uint32_t c = static_cast<uint32_t>(*name);
        if (c > 0x10FFFF) c = 0xFFFD;
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

namespace {

uint32_t Hash32(const std::u16string& units, size_t length) {
    std::string narrow;
    for (size_t i = 0; i < length; ++i) narrow += static_cast<char>(static_cast<uint8_t>(units[i]));
    // A code unit whose low byte is 0 ends the name early, as a copy into 8-bit characters does.
    return SoundEngine::GetIDFromString(narrow.c_str());
}

}  // namespace

uint32_t NameID32(const wchar_t* name) {
    if (!name) return 0;
    const std::u16string units = ToCodeUnits(name);
    return Hash32(units, units.size());
}

uint32_t NameID32WithoutExtension(const wchar_t* name) {
    if (!name) return 0;
    const std::u16string units = ToCodeUnits(name);
    const size_t dot = units.find(u'.');
    return Hash32(units, dot == std::u16string::npos ? units.size() : dot);
}

uint64_t NameID64(const std::u16string& name) {
    uint64_t hash = 14695981039346656037ull;
    for (char16_t unit : name) {
        hash *= 1099511628211ull;
        hash ^= ToAnsi(LowerAscii(unit));
    }
    return hash;
}

uint64_t NameID64(const wchar_t* name) { return NameID64(ToCodeUnits(name)); }

}  // namespace SX::StreamMgr

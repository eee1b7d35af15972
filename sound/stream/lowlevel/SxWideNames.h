#pragma once
// Wide names as the data holds them: 16-bit code units. Names reach us as wchar_t (32-bit
// here); characters beyond 16 bits become surrogate pairs before any comparison or hash.
#include <cstdint>
#include <string>

namespace SX::StreamMgr {

std::u16string ToCodeUnits(const wchar_t* name);
// For the platform's file calls.
std::string ToUtf8(const wchar_t* name);
// The code unit in the system's 8-bit code page: itself below 256, else '?'.
inline uint8_t ToAnsi(char16_t unit) { return unit < 0x100 ? static_cast<uint8_t>(unit) : uint8_t('?'); }
// A to Z only: the package's names are lowered so.
inline char16_t LowerAscii(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? char16_t(unit + 32) : unit; }

// The sound engine's 32-bit ID of a wide name: each code unit cut to 8 bits, then hashed.
uint32_t NameID32(const wchar_t* name);
// The ID of a wide name up to its first full stop (bank names given with their extension).
uint32_t NameID32WithoutExtension(const wchar_t* name);
// 64-bit FNV-1 over the name in the 8-bit code page, lower-cased, extension included.
uint64_t NameID64(const wchar_t* name);
uint64_t NameID64(const std::u16string& name);

}  // namespace SX::StreamMgr

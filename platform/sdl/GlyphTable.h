#pragma once
// The bitmap font the real device draws text with: every character is 5 columns by 9 rows,
// rows 7 and 8 below the baseline, one byte per row with the leftmost column in bit 4.
#include <cstdint>

namespace platform::sdl {

constexpr int kGlyphColumns = 5;
constexpr int kGlyphRows = 9;
// The printable characters ' '..'~' and, last, the box drawn for any other character.
constexpr int kGlyphCount = 96;

// The glyph index of a character: its place in ' '..'~', or the box's.
int GlyphIndex(unsigned char c);
// The kGlyphRows rows of a glyph, top first.
const uint8_t* GlyphRows(int index);

}  // namespace platform::sdl

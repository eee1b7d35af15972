#pragma once
// Draws the text the graphics device records (kDrawText) on OpenGL 3.3 core: our own bitmap
// font scaled to the font's cell, in the text's colour, clipped to the text's rectangle.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/Types.h"

namespace platform::sdl {

class GlText {
public:
    GlText() = default;
    GlText(const GlText&) = delete;
    GlText& operator=(const GlText&) = delete;

    // Builds the program, vertex array and glyph texture in the current context; false with the
    // compiler's or linker's message.
    bool Create(std::string* error);
    // Frees what Create built; the context it was built in must be current. Nothing is freed on
    // destruction, as the context may be gone by then.
    void Release();
    // Draws a recorded text into the bound framebuffer of targetWidth x targetHeight pixels, the
    // window's when window is set, with row 0 at the top, blending by the colour's alpha. Every character takes one cellWidth-wide
    // cell, every line lineHeight rows; a newline starts the next line. Control characters take
    // their cell and show nothing, characters beyond '~' show a box. The format is not read: the
    // fonts record text only at the top left of the rectangle they measured. The OpenGL state it
    // changes is put back.
    void Draw(const gfx::Command& text, uint32_t cellWidth, uint32_t lineHeight, int targetWidth, int targetHeight,
              bool window);

private:
    unsigned program_ = 0, vertexArray_ = 0, buffer_ = 0, texture_ = 0;
    int targetLocation_ = -1, colourLocation_ = -1, clipLocation_ = -1, windowLocation_ = -1;
    std::vector<float> vertices_;
};

}  // namespace platform::sdl

#include "platform/sdl/GlText.h"

#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include <array>

#include "platform/sdl/GlProgram.h"
#include "platform/sdl/GlyphTable.h"

namespace platform::sdl {
namespace {

// Each glyph sits in a cell of the texture with a blank column to its right, two blank rows
// above and one below, so that neighbouring characters and lines stay apart when scaled.
constexpr int kCellColumns = kGlyphColumns + 1;
constexpr int kCellRows = kGlyphRows + 3;
constexpr int kGlyphTop = 2;
constexpr int kFloatsPerVertex = 5;  // pixel x, y; cell texel x, y; glyph index

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec2 pixel;
layout(location = 1) in vec2 cellTexel;
layout(location = 2) in float glyph;
uniform vec2 target;
uniform bool window;
out vec2 texel;
flat out int glyphIndex;
void main() {
    texel = cellTexel;
    glyphIndex = int(glyph);
    // Pixel row 0 is the top: the first row of a framebuffer object, the last of the window.
    vec2 at = pixel / target * 2.0 - 1.0;
    gl_Position = vec4(at.x, window ? -at.y : at.y, 0.0, 1.0);
}
)";

const char* const kFragmentShader = R"(#version 330 core
in vec2 texel;
flat in int glyphIndex;
uniform sampler2D glyphs;
uniform vec4 colour;
uniform vec4 clip;  // left, top, right, bottom in pixels
uniform vec2 target;
uniform bool window;
layout(location = 0) out vec4 result;
void main() {
    vec2 pixel = vec2(gl_FragCoord.x, window ? target.y - gl_FragCoord.y : gl_FragCoord.y);
    if (pixel.x < clip.x || pixel.x >= clip.z || pixel.y < clip.y || pixel.y >= clip.w) discard;
    ivec2 at = clamp(ivec2(floor(texel)), ivec2(0), ivec2(CELL_COLUMNS - 1, CELL_ROWS - 1));
    if (texelFetch(glyphs, ivec2(glyphIndex * CELL_COLUMNS + at.x, at.y), 0).r < 0.5) discard;
    result = colour;
}
)";

// What Draw and Create change, read before and put back after.
class SavedState {
public:
    SavedState() {
        glGetIntegerv(GL_CURRENT_PROGRAM, &program_);
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray_);
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer_);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture_);
        glActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture0_);
        glGetIntegerv(GL_SAMPLER_BINDING, &sampler0_);
        glGetIntegerv(GL_VIEWPORT, viewport_);
        glGetIntegerv(GL_BLEND_SRC_RGB, &blend_[0]);
        glGetIntegerv(GL_BLEND_DST_RGB, &blend_[1]);
        glGetIntegerv(GL_BLEND_SRC_ALPHA, &blend_[2]);
        glGetIntegerv(GL_BLEND_DST_ALPHA, &blend_[3]);
        glGetIntegerv(GL_BLEND_EQUATION_RGB, &blend_[4]);
        glGetIntegerv(GL_BLEND_EQUATION_ALPHA, &blend_[5]);
        glGetBooleanv(GL_COLOR_WRITEMASK, colourMask_);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment_);
        for (size_t i = 0; i < kCapabilities.size(); ++i) enabled_[i] = glIsEnabled(kCapabilities[i]);
    }
    ~SavedState() {
        for (size_t i = 0; i < kCapabilities.size(); ++i) {
            if (enabled_[i])
                glEnable(kCapabilities[i]);
            else
                glDisable(kCapabilities[i]);
        }
        glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment_);
        glColorMask(colourMask_[0], colourMask_[1], colourMask_[2], colourMask_[3]);
        glBlendEquationSeparate(blend_[4], blend_[5]);
        glBlendFuncSeparate(blend_[0], blend_[1], blend_[2], blend_[3]);
        glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
        glActiveTexture(GL_TEXTURE0);
        glBindSampler(0, sampler0_);
        glBindTexture(GL_TEXTURE_2D, texture0_);
        glActiveTexture(activeTexture_);
        glBindBuffer(GL_ARRAY_BUFFER, arrayBuffer_);
        glBindVertexArray(vertexArray_);
        glUseProgram(program_);
    }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

    // Everything that could hide the text or shape it otherwise; the engine's clip planes among them.
    static constexpr std::array<GLenum, 11> kCapabilities = {
        GL_BLEND,          GL_DEPTH_TEST,     GL_STENCIL_TEST,   GL_CULL_FACE,      GL_SCISSOR_TEST,  GL_CLIP_DISTANCE0,
        GL_CLIP_DISTANCE1, GL_CLIP_DISTANCE2, GL_CLIP_DISTANCE3, GL_CLIP_DISTANCE4, GL_CLIP_DISTANCE5};

private:
    GLint program_ = 0, vertexArray_ = 0, arrayBuffer_ = 0, activeTexture_ = 0, texture0_ = 0, sampler0_ = 0;
    GLint viewport_[4] = {}, blend_[6] = {}, unpackAlignment_ = 4;
    GLboolean colourMask_[4] = {};
    GLboolean enabled_[kCapabilities.size()] = {};
};

std::string WithCellSize(const char* source) {
    const std::string defines = "#define CELL_COLUMNS " + std::to_string(kCellColumns) + "\n#define CELL_ROWS " +
                                std::to_string(kCellRows) + "\n";
    std::string text = source;
    const size_t afterVersion = text.find('\n') + 1;
    return text.insert(afterVersion, defines);
}

}  // namespace

bool GlText::Create(std::string* error) {
    Release();
    SavedState saved;
    program_ = LinkProgram(kVertexShader, WithCellSize(kFragmentShader).c_str(), error);
    if (!program_) return false;
    targetLocation_ = glGetUniformLocation(program_, "target");
    colourLocation_ = glGetUniformLocation(program_, "colour");
    clipLocation_ = glGetUniformLocation(program_, "clip");
    windowLocation_ = glGetUniformLocation(program_, "window");
    glUseProgram(program_);
    glUniform1i(glGetUniformLocation(program_, "glyphs"), 0);

    glGenVertexArrays(1, &vertexArray_);
    glGenBuffers(1, &buffer_);
    glBindVertexArray(vertexArray_);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    const GLsizei stride = kFloatsPerVertex * sizeof(float);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(2 * sizeof(float)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 1, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(4 * sizeof(float)));

    // One row of cells, a byte per texel: 255 where the glyph is lit.
    const int width = kGlyphCount * kCellColumns;
    std::vector<uint8_t> texels(static_cast<size_t>(width) * kCellRows, 0);
    for (int glyph = 0; glyph < kGlyphCount; ++glyph) {
        const uint8_t* rows = GlyphRows(glyph);
        for (int row = 0; row < kGlyphRows; ++row)
            for (int column = 0; column < kGlyphColumns; ++column)
                if (rows[row] & (0x10 >> column))
                    texels[static_cast<size_t>(kGlyphTop + row) * width + glyph * kCellColumns + column] = 255;
    }
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    // Read with texelFetch; a single level without mipmaps keeps the texture complete.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, width, kCellRows, 0, GL_RED, GL_UNSIGNED_BYTE, texels.data());
    return true;
}

void GlText::Release() {
    if (program_) glDeleteProgram(program_);
    if (vertexArray_) glDeleteVertexArrays(1, &vertexArray_);
    if (buffer_) glDeleteBuffers(1, &buffer_);
    if (texture_) glDeleteTextures(1, &texture_);
    program_ = vertexArray_ = buffer_ = texture_ = 0;
}

void GlText::Draw(const gfx::Command& text, uint32_t cellWidth, uint32_t lineHeight, int targetWidth, int targetHeight,
                  bool window) {
    if (!program_ || cellWidth == 0 || lineHeight == 0 || targetWidth <= 0 || targetHeight <= 0) return;
    const float left = static_cast<float>(static_cast<int32_t>(text.a[0]));
    const float top = static_cast<float>(static_cast<int32_t>(text.a[1]));
    const float right = static_cast<float>(static_cast<int32_t>(text.a[2]));
    const float bottom = static_cast<float>(static_cast<int32_t>(text.a[3]));
    const float width = static_cast<float>(cellWidth), height = static_cast<float>(lineHeight);

    vertices_.clear();
    float x = left, y = top;
    for (const char ch : text.name) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\n') {
            x = left;
            y += height;
            continue;
        }
        const int glyph = GlyphIndex(c);
        const bool shown = c > ' ' && x < right && x + width > left && y < bottom && y + height > top;
        if (shown) {
            const float g = static_cast<float>(glyph);
            const float corners[4][4] = {{x, y, 0, 0},
                                         {x + width, y, kCellColumns, 0},
                                         {x, y + height, 0, kCellRows},
                                         {x + width, y + height, kCellColumns, kCellRows}};
            for (const int corner : {0, 1, 2, 2, 1, 3}) {
                vertices_.insert(vertices_.end(), corners[corner], corners[corner] + 4);
                vertices_.push_back(g);
            }
        }
        x += width;
    }
    if (vertices_.empty()) return;

    SavedState saved;
    for (const GLenum capability : SavedState::kCapabilities) glDisable(capability);
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glViewport(0, 0, targetWidth, targetHeight);

    glUseProgram(program_);
    glUniform2f(targetLocation_, static_cast<float>(targetWidth), static_cast<float>(targetHeight));
    glUniform1i(windowLocation_, window ? 1 : 0);
    const uint32_t colour = text.a[4];
    glUniform4f(colourLocation_, ((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f,
                (colour & 0xFF) / 255.0f, (colour >> 24) / 255.0f);
    glUniform4f(clipLocation_, left, top, right, bottom);
    glActiveTexture(GL_TEXTURE0);
    glBindSampler(0, 0);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glBindVertexArray(vertexArray_);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices_.size() * sizeof(float)), vertices_.data(),
                 GL_STREAM_DRAW);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices_.size() / kFloatsPerVertex));
}

}  // namespace platform::sdl

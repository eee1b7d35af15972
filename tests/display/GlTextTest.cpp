// The device's recorded text drawn with OpenGL into a framebuffer object, as the OpenGL
// executor draws it, and read back (run by tools/window-check.sh with the software renderer).
#include <gtest/gtest.h>

#include <SDL.h>
#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/GfxTestSupport.h"
#include "platform/gfx/Font.h"
#include "platform/sdl/GlProgram.h"
#include "platform/sdl/GlText.h"

namespace {

using platform::gfx::Command;
using platform::gfx::Op;

constexpr int kWidth = 320, kHeight = 64;
constexpr uint32_t kBackground = 0xFF0000FFu;  // opaque blue, 0xAARRGGBB

Command Text(const std::string& text, int left, int top, int right, int bottom, uint32_t colour = 0xFF20C040u) {
    Command c;
    c.op = Op::kDrawText;
    c.name = text;
    c.a[0] = static_cast<uint32_t>(left);
    c.a[1] = static_cast<uint32_t>(top);
    c.a[2] = static_cast<uint32_t>(right);
    c.a[3] = static_cast<uint32_t>(bottom);
    c.a[4] = colour;
    return c;
}

// Pixels as 0xAARRGGBB, row 0 the top of the target.
struct Image {
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * kWidth + x]; }
    bool Lit(int x, int y) const { return At(x, y) != kBackground; }
    bool operator==(const Image& o) const { return pixels == o.pixels; }
};

class GlTextDisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            error_ = SDL_GetError();
            return;
        }
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        window_ = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 16, 16,
                                   SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        context_ = window_ ? SDL_GL_CreateContext(window_) : nullptr;
        if (!context_) {
            error_ = SDL_GetError();
            return;
        }
        glGenTextures(1, &colour_);
        glBindTexture(GL_TEXTURE_2D, colour_);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kWidth, kHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glGenFramebuffers(1, &framebuffer_);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_, 0);
        glBindTexture(GL_TEXTURE_2D, 0);
        if (!text_.Create(&error_)) context_ = nullptr;
    }
    static void TearDownTestSuite() {
        if (context_) {
            text_.Release();
            glDeleteFramebuffers(1, &framebuffer_);
            glDeleteTextures(1, &colour_);
            SDL_GL_DeleteContext(context_);
        }
        if (window_) SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        context_ = nullptr;
        window_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(context_) << error_;
        Clear();
    }

    static void Clear() {
        glClearColor(0, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    static void Draw(const Command& text, uint32_t cellWidth, uint32_t lineHeight) {
        text_.Draw(text, cellWidth, lineHeight, kWidth, kHeight, false);
    }
    static Image Read() {
        std::vector<uint8_t> rgba(static_cast<size_t>(kWidth) * kHeight * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        Image image;
        for (size_t i = 0; i < rgba.size(); i += 4)
            image.pixels.push_back(uint32_t{rgba[i + 3]} << 24 | uint32_t{rgba[i]} << 16 | uint32_t{rgba[i + 1]} << 8 |
                                   rgba[i + 2]);
        return image;
    }
    // The lit pixels of a cell as a string of '#' and '.', rows top first.
    static std::string Picture(const Image& image, int left, int top, int width, int height) {
        std::string picture;
        for (int y = top; y < top + height; ++y)
            for (int x = left; x < left + width; ++x) picture += image.Lit(x, y) ? '#' : '.';
        return picture;
    }

    static inline std::string error_;
    static inline SDL_Window* window_ = nullptr;
    static inline SDL_GLContext context_ = nullptr;
    static inline GLuint colour_ = 0, framebuffer_ = 0;
    static inline platform::sdl::GlText text_;
};

TEST_F(GlTextDisplay, ALetterLightsItsCellTopFirstInTheTextsColour) {
    // Cells of 12 x 24 pixels are the glyph texture's cells at twice their size: the 'L' has its
    // stroke in the cell's first two columns from row 4 down and its foot in rows 16 and 17.
    Draw(Text("L", 20, 10, 200, 60), 12, 24);
    const Image image = Read();
    int lit = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (!image.Lit(x, y)) continue;
            ++lit;
            EXPECT_EQ(image.At(x, y), 0xFF20C040u) << x << "," << y;
            const bool stroke = x >= 20 && x < 22 && y >= 14 && y < 28;
            const bool foot = x >= 20 && x < 30 && y >= 26 && y < 28;
            EXPECT_TRUE(stroke || foot) << "stray pixel at " << x << "," << y;
        }
    }
    EXPECT_EQ(lit, 2 * 14 + 8 * 2);
}

TEST_F(GlTextDisplay, TranslucentTextBlendsWithWhatIsBelow) {
    Draw(Text("L", 0, 0, 100, 50, 0x80FF0000u), 12, 24);
    const Image image = Read();
    const uint32_t p = image.At(0, 10);
    EXPECT_NEAR((p >> 16) & 0xFF, 128, 1);
    EXPECT_EQ((p >> 8) & 0xFF, 0u);
    EXPECT_NEAR(p & 0xFF, 127, 1);
}

// The text drawn at once looks like its characters drawn one by one where the layout puts them.
TEST_F(GlTextDisplay, CharactersFollowInCellsAndLinesFollowOneLineHeightLower) {
    struct Piece {
        std::string text;
        int column, line;
    };
    struct Case {
        std::string text;
        std::vector<Piece> pieces;
    };
    const Case cases[] = {
        {"AB", {{"A", 0, 0}, {"B", 1, 0}}},
        {"A\nB", {{"A", 0, 0}, {"B", 0, 1}}},
        {"gq\n\nJ", {{"g", 0, 0}, {"q", 1, 0}, {"J", 0, 2}}},
        {"a b\tc", {{"a", 0, 0}, {"b", 2, 0}, {"c", 4, 0}}},  // a control character keeps its cell blank
    };
    const int left = 7, top = 3;
    const uint32_t cell = 9, line = 17;
    for (const Case& c : cases) {
        Clear();
        Draw(Text(c.text, left, top, kWidth, kHeight), cell, line);
        const Image whole = Read();
        Clear();
        for (const Piece& p : c.pieces) {
            const int x = left + p.column * static_cast<int>(cell), y = top + p.line * static_cast<int>(line);
            Draw(Text(p.text, x, y, kWidth, kHeight), cell, line);
        }
        EXPECT_TRUE(whole == Read()) << c.text;
    }
}

TEST_F(GlTextDisplay, TextBeyondItsRectangleIsClipped) {
    // Two full cells and 5 columns of the third across, one full line and 7 rows of the next down.
    const int left = 10, top = 10, right = left + 2 * 12 + 5, bottom = top + 24 + 7;
    Draw(Text("LLLL\nLLLL", left, top, right, bottom), 12, 24);
    const Image image = Read();
    bool thirdCell = false, secondLine = false;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (!image.Lit(x, y)) continue;
            EXPECT_TRUE(x >= left && x < right && y >= top && y < bottom) << "lit outside at " << x << "," << y;
            thirdCell |= x >= left + 24;
            secondLine |= y >= top + 24;
        }
    }
    EXPECT_TRUE(thirdCell) << "the cut character is drawn up to the edge";
    EXPECT_TRUE(secondLine) << "the cut line is drawn up to the edge";
}

TEST_F(GlTextDisplay, EveryPrintableCharacterHasAPictureOfItsOwnAndOthersABox) {
    // At one pixel per texel every cell shows the glyph as designed.
    std::string all;
    for (int c = '!'; c <= '~'; ++c) all += static_cast<char>(c);
    all += '\x80';
    const int perLine = 48;
    std::string text = all.substr(0, perLine) + "\n" + all.substr(perLine);
    Draw(Text(text, 0, 0, kWidth, kHeight), 6, 12);
    const Image image = Read();
    std::set<std::string> pictures;
    for (size_t i = 0; i < all.size(); ++i) {
        const std::string picture =
            Picture(image, static_cast<int>(i % perLine) * 6, static_cast<int>(i / perLine) * 12, 6, 12);
        EXPECT_NE(picture.find('#'), std::string::npos) << "'" << all[i] << "' shows nothing";
        EXPECT_TRUE(pictures.insert(picture).second) << "'" << all[i] << "' looks like another character";
    }
    const std::string box = Picture(image, static_cast<int>((all.size() - 1) % perLine) * 6, 12, 6, 12);
    EXPECT_EQ(box.substr(2 * 6, 7 * 6),
              "#####."
              "#...#."
              "#...#."
              "#...#."
              "#...#."
              "#...#."
              "#####.");
}

TEST_F(GlTextDisplay, TheStateItChangesIsPutBackAndTheStateItFindsDoesNotHideTheText) {
    std::string error;
    const GLuint program =
        platform::sdl::LinkProgram("#version 330 core\nvoid main() { gl_Position = vec4(0.0); }\n",
                                   "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n", &error);
    ASSERT_NE(program, 0u) << error;
    GLuint vertexArray = 0, texture = 0, sampler = 0;
    glGenVertexArrays(1, &vertexArray);
    glGenTextures(1, &texture);
    glGenSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glUseProgram(program);
    glBindVertexArray(vertexArray);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBindSampler(0, sampler);
    glActiveTexture(GL_TEXTURE3);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glBlendEquation(GL_FUNC_REVERSE_SUBTRACT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT_AND_BACK);
    glEnable(GL_CLIP_DISTANCE0);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
    glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE);
    glViewport(1, 2, 3, 4);

    Draw(Text("L", 0, 0, 100, 50), 12, 24);

    GLint value = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &value);
    EXPECT_EQ(value, static_cast<GLint>(program));
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &value);
    EXPECT_EQ(value, static_cast<GLint>(vertexArray));
    glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
    EXPECT_EQ(value, GL_TEXTURE3);
    glActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(value, static_cast<GLint>(texture));
    glGetIntegerv(GL_SAMPLER_BINDING, &value);
    EXPECT_EQ(value, static_cast<GLint>(sampler));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    glGetIntegerv(GL_BLEND_SRC_RGB, &value);
    EXPECT_EQ(value, GL_ONE);
    glGetIntegerv(GL_BLEND_DST_ALPHA, &value);
    EXPECT_EQ(value, GL_ZERO);
    glGetIntegerv(GL_BLEND_EQUATION_RGB, &value);
    EXPECT_EQ(value, GL_FUNC_REVERSE_SUBTRACT);
    for (const GLenum capability : {GL_DEPTH_TEST, GL_CULL_FACE, GL_CLIP_DISTANCE0, GL_SCISSOR_TEST})
        EXPECT_TRUE(glIsEnabled(capability)) << capability;
    GLboolean mask[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_FALSE(mask[1]);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 4);

    glUseProgram(0);
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindSampler(0, 0);
    glBlendEquation(GL_FUNC_ADD);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_CLIP_DISTANCE0);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glViewport(0, 0, kWidth, kHeight);
    glDeleteSamplers(1, &sampler);
    glDeleteTextures(1, &texture);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteProgram(program);
    EXPECT_EQ(Read().At(0, 10), 0xFF20C040u) << "the text was hidden by the state it found";
}

TEST_F(GlTextDisplay, AFontsRecordedTextCarriesTheMetricsItIsDrawnWith) {
    gfxtest::DeviceFixture f;
    platform::gfx::Font* font = nullptr;
    ASSERT_EQ(platform::gfx::CreateFont(f.device.get(), 20, 0, 700, "Arial", &font), platform::gfx::kOk);
    platform::gfx::Rect rect{5, 4, 0, 0};
    font->DrawText("Hi\nyo", -1, &rect, platform::gfx::kTextCalcRect, 0);
    font->DrawText("Hi\nyo", -1, &rect, platform::gfx::kTextTopLeft, 0xFFFFFFFFu);
    font->Release();
    ASSERT_EQ(f.device->CurrentFrame().size(), 1u);
    const Command& recorded = f.device->CurrentFrame()[0];
    Draw(recorded, static_cast<uint32_t>(recorded.v[0]), static_cast<uint32_t>(recorded.v[1]));
    const Image whole = Read();
    Clear();
    using Piece = std::tuple<const char*, int, int>;
    for (const auto& [text, x, y] : {Piece{"H", 5, 4}, Piece{"i", 15, 4}, Piece{"y", 5, 24}, Piece{"o", 15, 24}})
        Draw(Text(text, x, y, kWidth, kHeight, 0xFFFFFFFFu), 10, 20);
    EXPECT_TRUE(whole == Read()) << "not drawn in cells of 10 x 20";
}

}  // namespace

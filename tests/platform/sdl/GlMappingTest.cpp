#include <gtest/gtest.h>

#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include "platform/gfx/Types.h"
#include "platform/sdl/GlMapping.h"

namespace {

using namespace platform::sdl;

TEST(GlMapping, VertexElementsFindTheirPreludeLocationsAndFormats) {
    struct Location {
        uint8_t usage, index;
        int location;
    };
    const Location locations[] = {
        {0, 0, 0},  {0, 1, -1}, {3, 0, 1},  {10, 0, 2},  {10, 1, 3}, {10, 2, -1}, {6, 0, 4},  {7, 0, 5},   {5, 0, 6},
        {5, 7, 13}, {5, 8, 14}, {5, 9, 15}, {5, 10, -1}, {1, 0, -1}, {2, 0, -1},  {4, 0, -1}, {12, 0, -1},
    };
    for (const Location& l : locations)
        EXPECT_EQ(AttributeLocation(l.usage, l.index), l.location) << int{l.usage} << "/" << int{l.index};

    struct Format {
        uint8_t type;
        bool known;
        int size;
        unsigned glType;
        bool normalized;
    };
    const Format formats[] = {
        {0, true, 1, GL_FLOAT, false},
        {3, true, 4, GL_FLOAT, false},
        {4, true, GL_BGRA, GL_UNSIGNED_BYTE, true},
        {5, true, 4, GL_UNSIGNED_BYTE, false},
        {8, true, 4, GL_UNSIGNED_BYTE, true},
        {6, true, 2, GL_SHORT, false},
        {10, true, 4, GL_SHORT, true},
        {15, true, 2, GL_HALF_FLOAT, false},
        {16, true, 4, GL_HALF_FLOAT, false},
        {13, false, 0, 0, false},
        {17, false, 0, 0, false},
    };
    for (const Format& f : formats) {
        AttributeFormat out{};
        ASSERT_EQ(FormatOf(f.type, out), f.known) << int{f.type};
        if (!f.known) continue;
        EXPECT_EQ(out.size, f.size) << int{f.type};
        EXPECT_EQ(out.type, f.glType) << int{f.type};
        EXPECT_EQ(out.normalized, f.normalized) << int{f.type};
    }
}

TEST(GlMapping, PrimitiveCountsBecomeVertexCounts) {
    struct Case {
        uint32_t type, primitives;
        bool known;
        unsigned mode;
        int count;
    };
    const Case cases[] = {
        {platform::gfx::kPointList, 5, true, GL_POINTS, 5},
        {platform::gfx::kLineList, 5, true, GL_LINES, 10},
        {3, 5, true, GL_LINE_STRIP, 6},
        {platform::gfx::kTriangleList, 5, true, GL_TRIANGLES, 15},
        {platform::gfx::kTriangleStrip, 5, true, GL_TRIANGLE_STRIP, 7},
        {6, 5, true, GL_TRIANGLE_FAN, 7},
        {0, 5, false, 0, 0},
        {7, 5, false, 0, 0},
    };
    for (const Case& c : cases) {
        unsigned mode = 0;
        int count = 0;
        ASSERT_EQ(PrimitiveOf(c.type, c.primitives, mode, count), c.known) << c.type;
        if (!c.known) continue;
        EXPECT_EQ(mode, c.mode) << c.type;
        EXPECT_EQ(count, c.count) << c.type;
    }
}

TEST(GlMapping, StateValuesAndFormatsReadAsTheirGlCounterparts) {
    using namespace platform::gfx;
    EXPECT_EQ(CompareOf(kCmpNever), unsigned{GL_NEVER});
    EXPECT_EQ(CompareOf(kCmpLessEqual), unsigned{GL_LEQUAL});
    EXPECT_EQ(CompareOf(kCmpAlways), unsigned{GL_ALWAYS});
    EXPECT_EQ(CompareOf(0), unsigned{GL_LEQUAL}) << "an unknown value reads as the default";
    EXPECT_EQ(BlendOf(kBlendZero, GL_ONE), unsigned{GL_ZERO});
    EXPECT_EQ(BlendOf(kBlendInvSrcAlpha, GL_ONE), unsigned{GL_ONE_MINUS_SRC_ALPHA});
    EXPECT_EQ(BlendOf(kBlendInvDestColor, GL_ONE), unsigned{GL_ONE_MINUS_DST_COLOR});
    EXPECT_EQ(BlendOf(11, GL_ZERO), unsigned{GL_ZERO});
    EXPECT_EQ(BlendEquationOf(kBlendOpRevSubtract), unsigned{GL_FUNC_REVERSE_SUBTRACT});
    EXPECT_EQ(BlendEquationOf(kBlendOpMax), unsigned{GL_MAX});

    struct Case {
        uint32_t format;
        bool known;
        int internal;
        unsigned glFormat;
        bool opaque;
    };
    const Case cases[] = {
        {kFormatA8R8G8B8, true, GL_RGBA8, GL_BGRA, false},
        {kFormatX8R8G8B8, true, GL_RGBA8, GL_BGRA, true},
        {kFormatA16B16G16R16F, true, GL_RGBA16F, GL_RGBA, false},
        {kFormatR32F, true, GL_R32F, GL_RED, false},
        {kFormatG32R32F, true, GL_RG32F, GL_RG, false},
        {kFormatD24S8, false, 0, 0, false},
        {kFormatIndex16, false, 0, 0, false},
    };
    for (const Case& c : cases) {
        PixelFormat out{};
        ASSERT_EQ(PixelFormatOf(c.format, out), c.known) << c.format;
        if (!c.known) continue;
        EXPECT_EQ(out.internal, c.internal) << c.format;
        EXPECT_EQ(out.format, c.glFormat) << c.format;
        EXPECT_EQ(out.opaque, c.opaque) << c.format;
    }
}

}  // namespace

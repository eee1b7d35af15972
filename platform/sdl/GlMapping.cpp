#include "platform/sdl/GlMapping.h"

#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include "platform/gfx/Types.h"

namespace platform::sdl {
namespace {

// Vertex element types and usages as declarations give them.
enum ElementType : uint8_t {
    kFloat1 = 0,
    kFloat2 = 1,
    kFloat3 = 2,
    kFloat4 = 3,
    kColor = 4,
    kUByte4 = 5,
    kShort2 = 6,
    kShort4 = 7,
    kUByte4N = 8,
    kShort2N = 9,
    kShort4N = 10,
    kUShort2N = 11,
    kUShort4N = 12,
    kFloat16x2 = 15,
    kFloat16x4 = 16,
};
enum ElementUsage : uint8_t {
    kPosition = 0,
    kNormal = 3,
    kTexCoord = 5,
    kTangent = 6,
    kBinormal = 7,
    kColour = 10,
};

}  // namespace

int AttributeLocation(uint8_t usage, uint8_t index) {
    switch (usage) {
        case kPosition:
            return index == 0 ? 0 : -1;
        case kNormal:
            return index == 0 ? 1 : -1;
        case kColour:
            return index < 2 ? 2 + index : -1;
        case kTangent:
            return index == 0 ? 4 : -1;
        case kBinormal:
            return index == 0 ? 5 : -1;
        // The engine's records use up to ten texture coordinates and no blend weights, so those
        // take the last two locations.
        case kTexCoord:
            return index < 10 ? 6 + index : -1;
        default:
            return -1;
    }
}

bool FormatOf(uint8_t type, AttributeFormat& out) {
    switch (type) {
        case kFloat1:
        case kFloat2:
        case kFloat3:
        case kFloat4:
            out = {type + 1, GL_FLOAT, false};
            return true;
        case kColor:
            out = {GL_BGRA, GL_UNSIGNED_BYTE, true};
            return true;
        case kUByte4:
            out = {4, GL_UNSIGNED_BYTE, false};
            return true;
        case kUByte4N:
            out = {4, GL_UNSIGNED_BYTE, true};
            return true;
        case kShort2:
            out = {2, GL_SHORT, false};
            return true;
        case kShort4:
            out = {4, GL_SHORT, false};
            return true;
        case kShort2N:
            out = {2, GL_SHORT, true};
            return true;
        case kShort4N:
            out = {4, GL_SHORT, true};
            return true;
        case kUShort2N:
            out = {2, GL_UNSIGNED_SHORT, true};
            return true;
        case kUShort4N:
            out = {4, GL_UNSIGNED_SHORT, true};
            return true;
        case kFloat16x2:
            out = {2, GL_HALF_FLOAT, false};
            return true;
        case kFloat16x4:
            out = {4, GL_HALF_FLOAT, false};
            return true;
        default:
            return false;
    }
}

bool PixelFormatOf(uint32_t format, PixelFormat& out) {
    switch (format) {
        case gfx::kFormatA8R8G8B8:
            out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, false};
            return true;
        case gfx::kFormatX8R8G8B8:
            out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, true};
            return true;
        case gfx::kFormatA16B16G16R16F:
            out = {GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, false};
            return true;
        case gfx::kFormatR32F:
            out = {GL_R32F, GL_RED, GL_FLOAT, false};
            return true;
        case gfx::kFormatG32R32F:
            out = {GL_RG32F, GL_RG, GL_FLOAT, false};
            return true;
        default:
            return false;
    }
}

unsigned CompareOf(uint32_t value) {
    static const unsigned kFunctions[] = {GL_NEVER,   GL_LESS,     GL_EQUAL,  GL_LEQUAL,
                                          GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return value >= gfx::kCmpNever && value <= gfx::kCmpAlways ? kFunctions[value - 1] : GL_LEQUAL;
}

unsigned BlendOf(uint32_t value, unsigned fallback) {
    static const unsigned kFactors[] = {GL_ZERO,      GL_ONE,
                                        GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR,
                                        GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA,
                                        GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA,
                                        GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR};
    return value >= gfx::kBlendZero && value <= gfx::kBlendInvDestColor ? kFactors[value - 1] : fallback;
}

unsigned BlendEquationOf(uint32_t value) {
    static const unsigned kEquations[] = {GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT, GL_MIN, GL_MAX};
    return value >= gfx::kBlendOpAdd && value <= gfx::kBlendOpMax ? kEquations[value - 1] : GL_FUNC_ADD;
}

bool PrimitiveOf(uint32_t type, uint32_t primitives, unsigned& mode, int& count) {
    switch (type) {
        case 1:
            mode = GL_POINTS;
            count = static_cast<int>(primitives);
            return true;
        case 2:
            mode = GL_LINES;
            count = static_cast<int>(primitives * 2);
            return true;
        case 3:
            mode = GL_LINE_STRIP;
            count = static_cast<int>(primitives + 1);
            return true;
        case 4:
            mode = GL_TRIANGLES;
            count = static_cast<int>(primitives * 3);
            return true;
        case 5:
            mode = GL_TRIANGLE_STRIP;
            count = static_cast<int>(primitives + 2);
            return true;
        case 6:
            mode = GL_TRIANGLE_FAN;
            count = static_cast<int>(primitives + 2);
            return true;
        default:
            return false;
    }
}

}  // namespace platform::sdl

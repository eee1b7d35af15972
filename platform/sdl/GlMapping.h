#pragma once
// How the graphics device's numbers read in OpenGL: vertex elements, pixel formats, render
// state values and primitive types.
#include <cstdint>

namespace platform::sdl {

// The attribute location of a vertex element's usage and usage index, as the GLSL prelude
// numbers them; -1 for one without a location.
int AttributeLocation(uint8_t usage, uint8_t index);

struct AttributeFormat {
    int size;  // components, or GL_BGRA for a packed colour
    unsigned type;
    bool normalized;
};
// False for an element type with no attribute format.
bool FormatOf(uint8_t type, AttributeFormat& out);

struct PixelFormat {
    int internal;
    unsigned format;  // of the device's bytes
    unsigned type;
    bool opaque;  // alpha reads 1
};
// False for a format that is no colour texture.
bool PixelFormatOf(uint32_t format, PixelFormat& out);

// The GL values of ZFunc, SrcBlend/DestBlend and BlendOp settings (an unknown value gives the
// device's default, or the fallback for blend factors).
unsigned CompareOf(uint32_t value);
unsigned BlendOf(uint32_t value, unsigned fallback);
unsigned BlendEquationOf(uint32_t value);

// The GL primitive of a primitive type and the vertices or indices a primitive count draws;
// false for an unknown type.
bool PrimitiveOf(uint32_t type, uint32_t primitives, unsigned& mode, int& count);

}  // namespace platform::sdl

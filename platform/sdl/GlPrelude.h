#pragma once
// What every pass program starts with after its version and stage lines: the attribute
// locations of the vertex declaration's usages, the clip-space conversion and the outputs.
// Effect files are written against this text; it changes only together with them.
namespace platform::sdl {

inline constexpr const char* kGlslPrelude = R"(#define QV_POSITION 0
#define QV_NORMAL 1
#define QV_COLOR0 2
#define QV_COLOR1 3
#define QV_TANGENT 4
#define QV_BINORMAL 5
#define QV_TEXCOORD0 6
#define QV_TEXCOORD1 7
#define QV_TEXCOORD2 8
#define QV_TEXCOORD3 9
#define QV_TEXCOORD4 10
#define QV_TEXCOORD5 11
#define QV_TEXCOORD6 12
#define QV_TEXCOORD7 13
#define QV_TEXCOORD8 14
#define QV_TEXCOORD9 15
#ifdef QV_VERTEX
uniform vec4 qv_clip_planes[6];
// -1 where the target keeps row 0 first in memory (the executor's own targets), 1 for the
// window, whose top row is OpenGL's last.
uniform float qv_y_sign;
out float gl_ClipDistance[6];
// A clip-space position in the engine's convention (z from 0 to w, row 0 of every target at
// the top) as OpenGL wants it; also feeds the enabled clip planes.
vec4 qv_position(vec4 p) {
    for (int i = 0; i < 6; ++i) gl_ClipDistance[i] = dot(qv_clip_planes[i], p);
    return vec4(p.x, qv_y_sign * p.y, 2.0 * p.z - p.w, p.w);
}
#endif
#ifdef QV_FRAGMENT
layout(location = 0) out vec4 qv_target0;
layout(location = 1) out vec4 qv_target1;
layout(location = 2) out vec4 qv_target2;
layout(location = 3) out vec4 qv_target3;
#endif
)";

}  // namespace platform::sdl

# Quarter-size downscale of a buffer.
param texture txtr
param float halfPixW
param float halfPixH
param float4 half_texel_offset

sampler txtr linear clamp

glsl
uniform sampler2D txtr;
uniform float halfPixW;
uniform float halfPixH;

#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec3 in_position;
layout(location = QV_TEXCOORD0) in vec2 in_uv;
out vec2 uv;

void ScreenVS() {
    uv = in_uv;
    gl_Position = qv_position(vec4(in_position, 1.0));
}
#endif

#ifdef QV_FRAGMENT
in vec2 uv;

// halfPixW and halfPixH are half a destination pixel. Four filtered taps half-way to its edges
// average the source texels it covers evenly when it is 2 or 4 source texels wide.
void DownScalePS() {
    vec2 d = 0.5 * vec2(halfPixW, halfPixH);
    qv_target0 = 0.25 * (texture(txtr, uv + vec2(-d.x, -d.y)) + texture(txtr, uv + vec2(d.x, -d.y)) +
                         texture(txtr, uv + vec2(-d.x, d.y)) + texture(txtr, uv + vec2(d.x, d.y)));
}
#endif
end

technique DownScaleQuarter
pass p0
program ScreenVS DownScalePS
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15

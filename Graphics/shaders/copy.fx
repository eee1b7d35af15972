# Quarter-size downscale of a buffer, and the glow captured from the scene at a quarter of its size
# (with the wide point sprites that wait for the bloom, or without them).
param shared float glow_intensity
param texture txtr
param float halfPixW
param float halfPixH
param texture particles
param float4 half_texel_offset

sampler txtr linear clamp
sampler particles point clamp

glsl
uniform float glow_intensity;
uniform sampler2D txtr;
uniform float halfPixW;
uniform float halfPixH;
uniform sampler2D particles;

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
vec2 Tap(int i) {
    vec2 d = 0.5 * vec2(halfPixW, halfPixH);
    return uv + vec2((i & 1) == 0 ? -d.x : d.x, i < 2 ? -d.y : d.y);
}

void DownScalePS() {
    vec4 sum = vec4(0.0);
    for (int i = 0; i < 4; ++i) sum += texture(txtr, Tap(i));
    qv_target0 = 0.25 * sum;
}

// Only what is brighter than white glows, so a picture within the displayable range passes
// through the bloom unchanged. The glow of each 2 x 2 block of scene pixels (one filtered tap),
// averaged over the four blocks a pixel 4 scene pixels wide covers. The bloom adds its quarter
// and its sixteenth level of the glow, hence half of it here. Alpha stays 0 so that adding the
// bloom leaves the scene's alpha.
vec4 Glow(vec3 sprites) {
    vec3 excess = vec3(0.0);
    for (int i = 0; i < 4; ++i) excess += max(texture(txtr, Tap(i)).rgb + sprites - vec3(1.0), vec3(0.0));
    return vec4(0.125 * glow_intensity * excess, 0.0);
}

void CaptureGlowPS() { qv_target0 = Glow(vec3(0.0)); }

// The wide point sprites waiting in the particle target (of this target's size) glow with the
// scene under them.
void CaptureGlowAndSpritesPS() { qv_target0 = Glow(texelFetch(particles, ivec2(gl_FragCoord.xy), 0).rgb); }
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
technique CaptureGlow
pass p0
program ScreenVS CaptureGlowPS
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15
technique CaptureGlowAndSprites
pass p0
program ScreenVS CaptureGlowAndSpritesPS
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15

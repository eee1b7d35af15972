# Mixes the sharp scene and its blur by depth around the focal distance, and adds the bloom.
param shared float cFar
param shared float g_fog_far
param texture image1
param texture image2
param texture image3
param texture depthImage
param float cFocal
param float bloomAmount
param float4 half_texel_offset

sampler image1 point clamp
sampler image2 point clamp
sampler image3 linear clamp
sampler depthImage point clamp

glsl
uniform float cFar;
uniform float g_fog_far;
uniform sampler2D image1;
uniform sampler2D image2;
uniform sampler2D image3;
uniform sampler2D depthImage;
uniform float cFocal;
uniform float bloomAmount;

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

// The scene is sharp at the focal distance and turns into its blur linearly with the distance
// from it, fully blurred at the fog's far distance away (the sky, at the far plane, is blurred).
// This frame's bloom ("image3", alpha 0) is added times bloomAmount: 0 with bloom switched
// off, when that buffer holds a stale frame.
void LinearInterpolatePS() {
    float depth = texture(depthImage, uv).a * cFar;
    float t = clamp(abs(depth - cFocal) / max(g_fog_far, 1.0), 0.0, 1.0);
    vec4 bloom = bloomAmount > 0.0 ? bloomAmount * texture(image3, uv) : vec4(0.0);
    qv_target0 = mix(texture(image1, uv), texture(image2, uv), t) + bloom;
}
#endif
end

technique LinearInterpolate
pass p0
program ScreenVS LinearInterpolatePS
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15

# Mixes the sharp scene and its blur by depth around the focal distance, and adds the bloom; the
# second technique blends a UI sprite over the whole of the finished scene in the same pass.
param shared float cFar
param shared float g_fog_far
param texture image1
param texture image2
param texture image3
param texture depthImage
param float cFocal
param float bloomAmount
param texture overlay
param float4 overlayColor
param float4 overlayPlace
param float4 half_texel_offset

sampler image1 point clamp
sampler image2 point clamp
sampler image3 linear clamp
sampler depthImage point clamp
sampler overlay linear clamp

glsl
uniform float cFar;
uniform float g_fog_far;
uniform sampler2D image1;
uniform sampler2D image2;
uniform sampler2D image3;
uniform sampler2D depthImage;
uniform float cFocal;
uniform float bloomAmount;
uniform sampler2D overlay;
uniform vec4 overlayColor;
uniform vec4 overlayPlace;

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
vec4 Mixed() {
    float depth = texture(depthImage, uv).a * cFar;
    float t = clamp(abs(depth - cFocal) / max(g_fog_far, 1.0), 0.0, 1.0);
    vec4 bloom = bloomAmount > 0.0 ? bloomAmount * texture(image3, uv) : vec4(0.0);
    return mix(texture(image1, uv), texture(image2, uv), t) + bloom;
}

void LinearInterpolatePS() { qv_target0 = Mixed(); }

// The sprite ("overlay" times its tint and opacity, overlayColor) blended by its alpha over the
// scene as the sprite pass blends it over the 8-bit target this pass writes: the scene clipped to
// the displayable range first. overlayPlace maps the scene's texture coordinates to the sprite's
// (scale in xy, offset in zw).
void LinearInterpolateOverlayPS() {
    vec4 scene = clamp(Mixed(), 0.0, 1.0);
    vec4 sprite = texture(overlay, uv * overlayPlace.xy + overlayPlace.zw) * overlayColor;
    qv_target0 = sprite * sprite.a + scene * (1.0 - sprite.a);
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
technique LinearInterpolateOverlay
pass p0
program ScreenVS LinearInterpolateOverlayPS
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15

# Mixes the sharp scene and its far field (the blur weighed by depth around the focal distance,
# with the bloom added, see blur.fx); the second technique blends a UI sprite over the whole of the
# finished scene in the same pass.
param texture image1
param texture image2
param texture overlay
param float4 overlayColor
param float4 overlayPlace
param float4 half_texel_offset

sampler image1 point clamp
sampler image2 linear clamp
sampler overlay linear clamp

glsl
uniform sampler2D image1;
uniform sampler2D image2;
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

// The scene ("image1") times 1 - t beside the far field ("image2", of half the size, filtered up:
// the blur times t with the bloom added, t in its alpha); two reads a pixel.
vec4 Mixed() {
    vec4 scene = texture(image1, uv);
    vec4 far = texture(image2, uv);
    return vec4(scene.rgb * (1.0 - far.a) + far.rgb, scene.a);
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

# The blur of the depth of field and of the glow's levels: one pass in both directions. The depth of
# field's blur also weighs itself by depth and adds the bloom, so that its mix reads two textures.
param shared float cFar
param shared float g_fog_far
param texture image
param texture added
param float4 offsets 3
param float weights 3
param texture particles
param texture depthImage
param float cFocal
param texture bloom
param float bloomAmount
param float4 half_texel_offset

sampler image linear clamp
sampler added linear clamp
sampler particles point clamp
sampler depthImage point clamp
sampler bloom linear clamp

glsl
uniform float cFar;
uniform float g_fog_far;
uniform sampler2D image;
uniform sampler2D added;
uniform vec4 offsets[3];
uniform float weights[3];
uniform sampler2D particles;
uniform sampler2D depthImage;
uniform float cFocal;
uniform sampler2D bloom;
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

// Three filtered taps each way, at offsets[i].x across and offsets[j].y down, weighed by
// weights[i] * weights[j] (the weights of one direction sum to one): each tap between two texel
// centres weighs them as the kernel does, so nine taps give the kernel of two directions in one
// pass and one write.
vec4 Blur(sampler2D picture) {
    vec4 sum = vec4(0.0);
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i)
            sum += weights[i] * weights[j] * texture(picture, uv + vec2(offsets[i].x, offsets[j].y));
    return sum;
}

void BlurPS() { qv_target0 = Blur(image); }

// The depth of field's far field, at half the scene's size: the scene is sharp at the focal
// distance and turns into its blur linearly with the distance from it, fully blurred at the fog's
// far distance away (the sky, at the far plane, is blurred). Written: the blur times that share t
// with this frame's bloom added (times bloomAmount: 0 with the bloom off, when that buffer holds a
// stale frame), and t as alpha; the mix adds the scene times 1 - t.
void BlurFarFieldPS() {
    float depth = texture(depthImage, uv).a * cFar;
    float t = clamp(abs(depth - cFocal) / max(g_fog_far, 1.0), 0.0, 1.0);
    vec3 glow = bloomAmount > 0.0 ? bloomAmount * texture(bloom, uv).rgb : vec3(0.0);
    qv_target0 = vec4(t * Blur(image).rgb + glow, t);
}

// The glow's quarter level with its blurred sixteenth ("added", filtered up) blurred over it.
void BlurAddedPS() { qv_target0 = Blur(image) + Blur(added); }

// The same with the wide point sprites of the particle target (a target of this one's size)
// added unblurred: they wait there for the bloom, which carries them to the scene.
void BlurAddedAndSpritesPS() {
    qv_target0 = Blur(image) + Blur(added) + texelFetch(particles, ivec2(gl_FragCoord.xy), 0);
}
#endif
end

technique Blur
pass p0
program ScreenVS BlurPS
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15
technique BlurAdded
pass p0
program ScreenVS BlurAddedPS
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15
technique BlurAddedAndSprites
pass p0
program ScreenVS BlurAddedAndSpritesPS
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15
technique BlurFarField
pass p0
program ScreenVS BlurFarFieldPS
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15

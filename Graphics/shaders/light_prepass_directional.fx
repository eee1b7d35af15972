# The sun: a full-screen quad over the geometry buffer, shadowed through the three cascades. The
# quad lies on the far plane and is drawn where the view's depth is nearer: only over surfaces,
# never over the sky, which is the most costly pass of the frame's pixels otherwise.
param shared float4x4 projection
param shared float cFar
param texture geometry
param texture shadowDepth
param texture shadowDepth2
param texture shadowDepth3
param float4x4 shadow_view
param float4x4 shadow_projection
param float4x4 shadow_projection2
param float4x4 shadow_projection3
param float ortho_near1
param float ortho_far1
param float ortho_near2
param float ortho_far2
param float ortho_near3
param float ortho_far3
param float4 dir_light_direction
param float4 dir_light_color
param float4x4 view_inv
param float4 half_texel_offset

sampler geometry point clamp
sampler shadowDepth point clamp
sampler shadowDepth2 point clamp
sampler shadowDepth3 point clamp

glsl
uniform mat4 projection;
uniform float cFar;
uniform sampler2D geometry;
uniform sampler2D shadowDepth;
uniform sampler2D shadowDepth2;
uniform sampler2D shadowDepth3;
uniform mat4 shadow_view;
uniform mat4 shadow_projection;
uniform mat4 shadow_projection2;
uniform mat4 shadow_projection3;
uniform float ortho_near1;
uniform float ortho_far1;
uniform float ortho_near2;
uniform float ortho_far2;
uniform float ortho_near3;
uniform float ortho_far3;
uniform vec4 dir_light_direction;
uniform vec4 dir_light_color;
uniform mat4 view_inv;

#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec3 in_position;
layout(location = QV_TEXCOORD0) in vec2 in_uv;
out vec2 uv;

void ScreenVS() {
    uv = in_uv;
    gl_Position = qv_position(vec4(in_position.xy, 1.0, 1.0));
}
#endif

#ifdef QV_FRAGMENT
in vec2 uv;

const float kSpecularPower = 16.0;
// The materials add the specular term as white light on any surface: a soft highlight.
const float kSpecularStrength = 0.25;
// How far behind the stored depth a surface may lie and still be lit, in shadow-map texels
// (against the acne of a surface shadowing itself): more where the sun grazes the surface, as
// its depth changes faster across a texel there.
const float kShadowBias = 1.5;
const float kMaxSlopeBias = 4.0;

// 1 where the sun reaches the world position, 0 where a cascade's map holds something nearer the
// sun. The first cascade whose box holds the point decides; beyond all three nothing shadows.
float CascadeShadow(sampler2D map, mat4 cascade, float orthoNear, float orthoFar, vec4 lightSpace,
                    float biasTexels, out bool inside) {
    vec4 clip = cascade * lightSpace;
    inside = all(lessThanEqual(abs(clip.xy), vec2(1.0))) && clip.z >= 0.0 && clip.z <= 1.0;
    if (!inside) return 1.0;
    ivec2 size = textureSize(map, 0);
    // The texel nearest sampling picks, read directly: the box's far edges belong to the last one.
    ivec2 texel = min(ivec2(vec2(0.5 + 0.5 * clip.x, 0.5 - 0.5 * clip.y) * vec2(size)), size - 1);
    float depth = (lightSpace.z - orthoNear) / max(orthoFar - orthoNear, 1e-4);
    // A texel's world width, turned into the map's depth units.
    float texelWorld = 2.0 / (cascade[0][0] * float(size.x));
    float bias = biasTexels * texelWorld / max(orthoFar - orthoNear, 1e-4);
    return depth <= texelFetch(map, texel, 0).r + bias ? 1.0 : 0.0;
}

float Shadow(vec3 viewPosition, float nDotL) {
    vec4 lightSpace = shadow_view * (view_inv * vec4(viewPosition, 1.0));
    float slope = sqrt(max(1.0 - nDotL * nDotL, 0.0)) / max(nDotL, 1e-4);
    float bias = kShadowBias + min(slope, kMaxSlopeBias);
    bool inside;
    float lit = CascadeShadow(shadowDepth, shadow_projection, ortho_near1, ortho_far1, lightSpace, bias, inside);
    if (inside) return lit;
    lit = CascadeShadow(shadowDepth2, shadow_projection2, ortho_near2, ortho_far2, lightSpace, bias, inside);
    if (inside) return lit;
    return CascadeShadow(shadowDepth3, shadow_projection3, ortho_near3, ortho_far3, lightSpace, bias, inside);
}

// The sun's diffuse light in rgb and its specular term in alpha, from the geometry buffer's
// view-space normal and depth; nothing where no surface was drawn.
vec4 Sun(bool shadowed) {
    vec4 g = texelFetch(geometry, ivec2(gl_FragCoord.xy), 0);
    if (dot(g.xyz, g.xyz) < 0.25) return vec4(0.0);
    vec3 n = normalize(g.xyz);
    vec2 ndc = vec2(2.0 * uv.x - 1.0, 1.0 - 2.0 * uv.y);
    vec3 position = vec3(ndc.x / projection[0][0], ndc.y / projection[1][1], 1.0) * (g.a * cFar);
    // A sun standing on the point it faces has no direction and lights nothing.
    if (dot(dir_light_direction.xyz, dir_light_direction.xyz) <= 0.0) return vec4(0.0);
    vec3 l = normalize(dir_light_direction.xyz);
    float nDotL = max(dot(n, l), 0.0);
    if (nDotL <= 0.0) return vec4(0.0);
    float lit = shadowed ? Shadow(position, nDotL) : 1.0;
    vec3 h = normalize(l - normalize(position));
    float specular = pow(max(dot(n, h), 0.0), kSpecularPower) * kSpecularStrength * dot(dir_light_color.rgb, vec3(0.299, 0.587, 0.114));
    return vec4(dir_light_color.rgb * nDotL, specular) * lit;
}

void SunShadowedPS() { qv_target0 = Sun(true); }
void SunPS() { qv_target0 = Sun(false); }
#endif
end

# The sun is the first light drawn into the buffer, which starts cleared: it writes without
# blending, and the point and spot lights add to it.
technique RenderLightBuffer
pass p0
program ScreenVS SunShadowedPS
state ZEnable on
state ZWriteEnable off
state ZFunc greater
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15
technique RenderLightBufferNoShadows
pass p0
program ScreenVS SunPS
state ZEnable on
state ZWriteEnable off
state ZFunc greater
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15

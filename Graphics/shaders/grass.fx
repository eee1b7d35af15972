# Instanced grass blades: depth into the geometry buffer, colour into the view's target.
param shared float4x4 view
param shared float4x4 projection
param shared float cFar
param shared float4 globalAmbient
param shared float4 g_fog_color
param shared float g_fog_near
param shared float g_fog_far
param shared texture lightBuffer
param shared float4x4 shadow_view
param shared float4x4 shadow_projection
param shared float4x4 shadow_projection2
param shared float4x4 shadow_projection3
param shared texture shadowDepth
param shared texture shadowDepth2
param shared texture shadowDepth3
param shared float4 sun_direction
param shared float4 sun_color
param shared float sun_shadows
param texture texture_0
param float grass_paint_scalar
param float grass_blend_scalar
param float grass_color_scalar
param float4 half_texel_offset
sampler texture_0 linear clamp
sampler lightBuffer point clamp
sampler shadowDepth point clamp
sampler shadowDepth2 point clamp
sampler shadowDepth3 point clamp
glsl
uniform mat4 view;
uniform mat4 projection;
uniform float cFar;
uniform vec4 globalAmbient;
uniform vec4 g_fog_color;
uniform float g_fog_near;
uniform float g_fog_far;
uniform sampler2D lightBuffer;
uniform sampler2D texture_0;
uniform float grass_paint_scalar;
uniform float grass_blend_scalar;
uniform float grass_color_scalar;
// The sun, shared by the effects that it lights: its view-space direction towards it and its
// colour (black where the view has no sun), and its three shadow cascades, nearest band first.
uniform vec4 sun_direction;
uniform vec4 sun_color;
uniform float sun_shadows;
uniform mat4 shadow_view;
uniform mat4 shadow_projection;
uniform mat4 shadow_projection2;
uniform mat4 shadow_projection3;
uniform sampler2D shadowDepth;
uniform sampler2D shadowDepth2;
uniform sampler2D shadowDepth3;

// How far behind the stored depth a surface may lie and still be lit, in shadow-map texels
// (against the acne of a surface shadowing itself): more where the sun grazes the surface, as
// its depth changes faster across a texel there.
const float kShadowBias = 1.5;
const float kMaxSlopeBias = 4.0;

// A world position in each cascade's clip space: x and y from -1 to 1 across the map, z the
// map's depth (0 at the cascade's near end, 1 at its far end). Affine, so it interpolates
// exactly across a triangle.
void SunCascades(vec4 world_position, out vec3 c1, out vec3 c2, out vec3 c3) {
    vec4 sun_space = shadow_view * world_position;
    c1 = (shadow_projection * sun_space).xyz;
    c2 = (shadow_projection2 * sun_space).xyz;
    c3 = (shadow_projection3 * sun_space).xyz;
}

bool InCascade(vec3 clip) {
    return all(lessThanEqual(abs(clip.xy), vec2(1.0))) && clip.z >= 0.0 && clip.z <= 1.0;
}

// 1 where the cascade's map holds nothing nearer the sun than the point, else 0. The texel
// nearest sampling picks, read directly: the box's far edges belong to the last one.
float CascadeLit(sampler2D map, mat4 cascade, vec3 clip, float biasTexels) {
    ivec2 size = textureSize(map, 0);
    ivec2 texel = min(ivec2(vec2(0.5 + 0.5 * clip.x, 0.5 - 0.5 * clip.y) * vec2(size)), size - 1);
    // A texel's world width (the box is 2 / cascade[0][0] wide) in the map's depth units.
    float bias = biasTexels * 2.0 / (cascade[0][0] * float(size.x)) * cascade[2][2];
    return clip.z <= texelFetch(map, texel, 0).r + bias ? 1.0 : 0.0;
}

// 1 where the sun reaches the point, 0 where it is shadowed. The first cascade whose box holds
// the point decides; beyond all three nothing shadows.
float SunShadow(vec3 c1, vec3 c2, vec3 c3, float nDotL) {
    if (sun_shadows == 0.0) return 1.0;
    float slope = sqrt(max(1.0 - nDotL * nDotL, 0.0)) / max(nDotL, 1e-4);
    float bias = kShadowBias + min(slope, kMaxSlopeBias);
    if (InCascade(c1)) return CascadeLit(shadowDepth, shadow_projection, c1, bias);
    if (InCascade(c2)) return CascadeLit(shadowDepth2, shadow_projection2, c2, bias);
    if (InCascade(c3)) return CascadeLit(shadowDepth3, shadow_projection3, c3, bias);
    return 1.0;
}

const float kSpecularPower = 16.0;
// The specular term is added as white light on any surface: a soft highlight.
const float kSpecularStrength = 0.25;

// The sun's diffuse light in rgb and its specular term in alpha on a unit normal (none on a
// surface without one), shadowed.
vec4 SunLight(vec3 normal, vec3 view_position, vec3 c1, vec3 c2, vec3 c3) {
    float nDotL = dot(normal, sun_direction.xyz);
    if (nDotL <= 0.0) return vec4(0.0);
    vec3 h = normalize(sun_direction.xyz - normalize(view_position));
    float specular = pow(max(dot(normal, h), 0.0), kSpecularPower) * kSpecularStrength *
                     dot(sun_color.rgb, vec3(0.299, 0.587, 0.114));
    return vec4(sun_color.rgb * nDotL, specular) * SunShadow(c1, c2, c3, nDotL);
}

vec3 UnitOrZero(vec3 v) {
    float l = length(v);
    return l > 0.0 ? v / l : vec3(0.0);
}

#ifdef QV_VERTEX
// The blade: x from -0.5 to 0.5 across, y from 0 at the root to 1 at the tip.
layout(location = QV_POSITION) in vec3 corner;
layout(location = QV_TEXCOORD0) in vec2 texcoord;
// The record: the root's world position, the ground's normal as (n + 1) / 2, then the wave
// byte, a byte not read here, the size in world units and another byte not read here.
layout(location = QV_TEXCOORD1) in vec3 root;
layout(location = QV_TEXCOORD2) in vec4 groundNormal;
layout(location = QV_TEXCOORD3) in vec4 bytes;
out vec2 uv;
out vec3 eyePosition;
out vec3 eyeNormal;
out vec3 sunLight;

void GrassVertex() {
    // A record without a size stands one unit tall; new grass grows in with the paint.
    float size = max(bytes.z, 1.0);
    float height = size * grass_paint_scalar;
    float sway = (bytes.x / 255.0 - 0.5) * 0.6;
    // Upright in the world, turned across the view so that every blade shows its face.
    vec4 eye = view * vec4(root, 1.0);
    eye.x += corner.x * 0.5 * size;
    eye.xyz += mat3(view) * vec3(sway, 1.0, 0.0) * (height * corner.y);
    gl_Position = qv_position(projection * eye);
    uv = vec2(texcoord.x, 1.0 - texcoord.y);
    eyePosition = eye.xyz;
    eyeNormal = mat3(view) * (groundNormal.xyz * 2.0 - 1.0);
}

// The sun on the ground at the root, once a corner instead of once a pixel of the blades, which
// overdraw each other.
void GrassLitVertex() {
    GrassVertex();
    vec3 c1, c2, c3;
    SunCascades(vec4(root, 1.0), c1, c2, c3);
    sunLight = SunLight(UnitOrZero(eyeNormal), (view * vec4(root, 1.0)).xyz, c1, c2, c3).rgb;
}
#endif

#ifdef QV_FRAGMENT
in vec2 uv;
in vec3 eyePosition;
in vec3 eyeNormal;
in vec3 sunLight;

vec4 BladeTexel() {
    vec4 texel = texture(texture_0, uv);
    if (texel.a < 0.5) discard;
    return texel;
}

void GrassGeometryFragment() {
    BladeTexel();
    qv_target0 = vec4(normalize(eyeNormal), eyePosition.z / cFar);
}

// Lit by the sun on the ground at the root and the point and spot lights that reach the ground
// behind the blade (up to 1, the sun's colour), fogged like the materials.
void GrassColorFragment() {
    vec3 albedo = BladeTexel().rgb * grass_color_scalar;
    vec3 points = texture(lightBuffer, gl_FragCoord.xy / vec2(textureSize(lightBuffer, 0))).rgb;
    vec3 light = min(sunLight + points, vec3(1.0));
    vec3 lit = albedo * (globalAmbient.rgb + light);
    float fog = clamp((length(eyePosition) - g_fog_near) / max(g_fog_far - g_fog_near, 0.0001), 0.0, 1.0);
    qv_target0 = vec4(mix(lit, g_fog_color.rgb, fog), grass_blend_scalar);
}
#endif
end
# The geometry buffer holds depth in its alpha, which must not be blended.
technique GrassGeometry
pass p0
program GrassVertex GrassGeometryFragment
state ZEnable on
state ZWriteEnable on
state ZFunc lessequal
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15
# Blending is left to the grass pass, which turns it on while new grass fades in.
technique InstancedGrass
pass p0
program GrassLitVertex GrassColorFragment
state ZEnable on
state ZWriteEnable on
state ZFunc lessequal
state CullMode none
state ColorWriteEnable 15

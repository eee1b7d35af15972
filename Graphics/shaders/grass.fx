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
include sun_light.glsl
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
    vec3 points = texelFetch(lightBuffer, ivec2(gl_FragCoord.xy), 0).rgb;
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

# Opaque surfaces: the material and reflection passes of a textured, tinted material.
# The geometry pass of a material goes through geo_buffer. Every pass of a material sets
# "reflection": 0 in its Material pass; in its Reflective pass the share of the water
# reflection in the surface's colour, the item colour then coming from geometry_color, whose
# alpha blends the surface over what lies behind it. Every pass sets "sunlit" too: 1 where the
# sun lights the surface, 0 on a light's own bulb.
param shared float4x4 view
param shared float4x4 projection
param shared float4 globalAmbient
param shared float4 g_fog_color
param shared float g_fog_near
param shared float g_fog_far
param shared texture lightBuffer
param shared texture waterReflection
param shared float4x4 shadow_view
param shared float4x4 shadow_projection
param shared float4x4 shadow_projection2
param shared float4x4 shadow_projection3
param shared texture shadowDepth
param shared float4 sun_direction
param shared float4 sun_color
param shared float sun_shadows
param float4x4 world
param float4x4 local_world
param float4 color
param float4 geometry_color
param texture diffuse
param float4 tint
param float shininess
param int use_texture
param float reflection
param float sunlit
sampler lightBuffer point clamp
sampler waterReflection linear clamp
sampler shadowDepth point clamp
glsl
uniform mat4 view;
uniform mat4 projection;
uniform vec4 globalAmbient;
uniform vec4 g_fog_color;
uniform float g_fog_near;
uniform float g_fog_far;
uniform sampler2D lightBuffer;
uniform sampler2D waterReflection;
uniform mat4 local_world;
uniform vec4 color;
uniform vec4 geometry_color;
uniform sampler2D diffuse;
uniform vec4 tint;
uniform int use_texture;
uniform float reflection;
uniform float sunlit;
include sun_light.glsl
#ifdef QV_VERTEX
#define QV_VARYING out
#else
#define QV_VARYING in
#endif
QV_VARYING vec3 surface_view_position;
QV_VARYING vec3 surface_view_normal;
QV_VARYING vec3 surface_sun1;
QV_VARYING vec3 surface_sun2;
QV_VARYING vec3 surface_sun3;
QV_VARYING vec2 surface_uv;
QV_VARYING vec4 surface_color;

#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec4 in_position;
layout(location = QV_NORMAL) in vec3 in_normal;
layout(location = QV_TEXCOORD0) in vec2 in_uv;
// The instance record: the rows of the world matrix as stored, then the item colour.
layout(location = QV_TEXCOORD1) in vec4 in_world0;
layout(location = QV_TEXCOORD2) in vec4 in_world1;
layout(location = QV_TEXCOORD3) in vec4 in_world2;
layout(location = QV_TEXCOORD4) in vec4 in_world3;
layout(location = QV_COLOR0) in vec4 in_color;

// The position as the geometry pass computes it: the Material pass draws over that pass's depth.
invariant gl_Position;

include surface_normal.glsl

void surface(mat4 world_matrix, vec4 item_color) {
    vec4 world_position = world_matrix * vec4(in_position.xyz, 1.0);
    vec4 view_position = view * world_position;
    surface_view_position = view_position.xyz;
    surface_view_normal = mat3(view) * WorldNormal(mat3(world_matrix), in_normal);
    SunCascades(world_position, surface_sun1, surface_sun2, surface_sun3);
    surface_uv = in_uv;
    surface_color = item_color;
    gl_Position = qv_position(projection * view_position);
}

// A reflective draw hands its item colour over as geometry_color.
void single_vertex() { surface(local_world, reflection > 0.0 ? geometry_color : color); }
void multi_vertex() { surface(mat4(in_world0, in_world1, in_world2, in_world3), in_color); }
#endif

#ifdef QV_FRAGMENT
// The surface lit and fogged.
vec3 material_color() {
    // The light buffer holds the point and spot lights and is the size of the target: the
    // pixel's own texel. Light adds up to 1 at most, the sun's colour.
    vec4 sun = sunlit * SunLight(UnitOrZero(surface_view_normal), surface_view_position, surface_sun1, surface_sun2,
                                 surface_sun3);
    vec4 light = min(sun + texelFetch(lightBuffer, ivec2(gl_FragCoord.xy), 0), vec4(1.0));
    vec4 albedo = tint * surface_color;
    if (use_texture != 0) albedo *= texture(diffuse, surface_uv);
    vec3 lit = albedo.rgb * (globalAmbient.rgb + light.rgb) + vec3(light.a);
    float fog = clamp((length(surface_view_position) - g_fog_near) / max(g_fog_far - g_fog_near, 0.0001), 0.0, 1.0);
    return mix(lit, g_fog_color.rgb, fog);
}

// The opaque surfaces: the reflection is no part of them. The renderer runs both sides of a
// branch, so the reflection's read would cost every opaque pixel even where it is skipped.
void material_fragment() { qv_target0 = vec4(material_color(), 1.0); }

void reflective_fragment() {
    vec3 result = material_color();
    if (reflection > 0.0) {
        vec2 screen_uv = gl_FragCoord.xy / vec2(textureSize(lightBuffer, 0));
        result = mix(result, texture(waterReflection, screen_uv).rgb, clamp(reflection, 0.0, 1.0));
        qv_target0 = vec4(result, surface_color.a);
    } else {
        qv_target0 = vec4(result, 1.0);
    }
}
#endif
end
# The Material pass writes alpha 1 over the background: opaque, nothing to blend with what the
# target holds. The Reflective pass (SingleInstanceBlended) mixes in the water's reflection and
# blends by the item colour's alpha.
technique SingleInstance
pass p0
program single_vertex material_fragment
state ZEnable on
state ZWriteEnable on
state ZFunc lessequal
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15
technique MultiInstance
pass p0
program multi_vertex material_fragment
state ZEnable on
state ZWriteEnable on
state ZFunc lessequal
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15
technique SingleInstanceBlended
pass p0
program single_vertex reflective_fragment
state ZEnable on
state ZWriteEnable on
state ZFunc lessequal
state AlphaBlendEnable on
state SrcBlend srcalpha
state DestBlend invsrcalpha
state BlendOp add
state CullMode none
state ColorWriteEnable 15

# Blended surfaces drawn back to front after the opaque passes: tint times the item colour,
# lit by the sun and through the light buffer when "lit" is set, with the opacity "alpha".
param shared float4x4 view
param shared float4x4 projection
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
param shared float4 sun_direction
param shared float4 sun_color
param shared float sun_shadows
param float4x4 world
param float4x4 local_world
param float4 color
param float4 geometry_color
param float4 tint
param float alpha
param int lit
sampler lightBuffer point clamp
sampler shadowDepth point clamp
glsl
uniform mat4 view;
uniform mat4 projection;
uniform vec4 globalAmbient;
uniform vec4 g_fog_color;
uniform float g_fog_near;
uniform float g_fog_far;
uniform sampler2D lightBuffer;
uniform mat4 local_world;
uniform vec4 geometry_color;
uniform vec4 tint;
uniform float alpha;
uniform int lit;
include sun_light.glsl
#ifdef QV_VERTEX
#define QV_VARYING out
#else
#define QV_VARYING in
#endif
QV_VARYING vec3 surface_view_position;
QV_VARYING vec4 surface_sun;
QV_VARYING vec4 surface_color;

#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec4 in_position;
layout(location = QV_NORMAL) in vec3 in_normal;
// The instance record: the rows of the world matrix as stored, then the item colour.
layout(location = QV_TEXCOORD1) in vec4 in_world0;
layout(location = QV_TEXCOORD2) in vec4 in_world1;
layout(location = QV_TEXCOORD3) in vec4 in_world2;
layout(location = QV_TEXCOORD4) in vec4 in_world3;
layout(location = QV_COLOR0) in vec4 in_color;

include surface_normal.glsl

void surface(mat4 world_matrix, vec4 item_color) {
    vec4 world_position = world_matrix * vec4(in_position.xyz, 1.0);
    vec4 view_position = view * world_position;
    surface_view_position = view_position.xyz;
    // The sun at the corners: the many unlit surfaces (the fireflies' glow) pay nothing for it
    // per pixel.
    vec3 c1, c2, c3;
    SunCascades(world_position, c1, c2, c3);
    vec3 normal = UnitOrZero(mat3(view) * WorldNormal(mat3(world_matrix), in_normal));
    surface_sun = lit != 0 ? SunLight(normal, view_position.xyz, c1, c2, c3) : vec4(0.0);
    surface_color = item_color;
    gl_Position = qv_position(projection * view_position);
}

// The transparent pass hands the item colour over as geometry_color.
void single_vertex() { surface(local_world, geometry_color); }
void multi_vertex() { surface(mat4(in_world0, in_world1, in_world2, in_world3), in_color); }
#endif

#ifdef QV_FRAGMENT
void transparent_fragment() {
    vec3 result = tint.rgb * surface_color.rgb;
    if (lit != 0) {
        // The sun on the surface itself, the point and spot lights on the opaque surface behind
        // it (up to 1, the sun's colour).
        vec4 points = texture(lightBuffer, gl_FragCoord.xy / vec2(textureSize(lightBuffer, 0)));
        vec4 light = min(surface_sun + points, vec4(1.0));
        result = result * (globalAmbient.rgb + light.rgb) + vec3(light.a);
    }
    float fog = clamp((length(surface_view_position) - g_fog_near) / max(g_fog_far - g_fog_near, 0.0001), 0.0, 1.0);
    qv_target0 = vec4(mix(result, g_fog_color.rgb, fog), clamp(alpha * tint.a * surface_color.a, 0.0, 1.0));
}
#endif
end
# Front faces only (the primitives wind them clockwise), blended over what is drawn, testing
# the depth of the opaque surfaces without writing their own.
technique SingleInstance
pass p0
program single_vertex transparent_fragment
state ZEnable on
state ZWriteEnable off
state ZFunc lessequal
state AlphaBlendEnable on
state SrcBlend srcalpha
state DestBlend invsrcalpha
state BlendOp add
state CullMode ccw
state ColorWriteEnable 15
technique MultiInstance
pass p0
program multi_vertex transparent_fragment
state ZEnable on
state ZWriteEnable off
state ZFunc lessequal
state AlphaBlendEnable on
state SrcBlend srcalpha
state DestBlend invsrcalpha
state BlendOp add
state CullMode ccw
state ColorWriteEnable 15

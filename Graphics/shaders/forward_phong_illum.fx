# The shared scene effect: every per-frame constant is declared shared here, so a value set
# once on this effect reaches every effect of the pool. As a material it draws the item colour
# lit through the light buffer (SingleInstance, MultiInstance) and, through "Geometry", the
# surface's view-space normal and depth over the far distance into the geometry buffer.
# The sun is no light of the light buffer: the surfaces that it lights compute it themselves
# from the sun's view-space direction and colour and, where sun_shadows is 1, its cascades.
param shared float4x4 view
param shared float4x4 projection
param shared float cNear
param shared float cFar
param shared float time
param shared float4 globalAmbient
param shared float4 g_fog_color
param shared float g_fog_near
param shared float g_fog_far
param shared float spring_to_summer_transition_value
param shared float summer_to_fall_transition_value
param shared float fall_to_winter_transition_value
param shared float4 playerPos
param shared float glow_intensity
param shared float glow_spread
param shared float4x4 light_info 8
param shared texture lightBuffer
param shared texture waterReflection
param shared float4x4 shadow_view
param shared float ortho_near
param shared float ortho_far
param shared texture shadowDepth
param shared float4x4 shadow_projection
param shared float4x4 shadow_projection2
param shared float4x4 shadow_projection3
param shared float4 sun_direction
param shared float4 sun_color
param shared float sun_shadows
param float4x4 world
param float4x4 local_world
param float4 color
param float4 geometry_color
param float4 half_texel_offset
sampler lightBuffer point clamp
glsl
uniform mat4 view;
uniform mat4 projection;
uniform float cFar;
uniform vec4 globalAmbient;
uniform vec4 g_fog_color;
uniform float g_fog_near;
uniform float g_fog_far;
uniform sampler2D lightBuffer;
uniform mat4 local_world;
uniform vec4 color;

#ifdef QV_VERTEX
#define QV_VARYING out
#else
#define QV_VARYING in
#endif
QV_VARYING vec3 surface_view_position;
QV_VARYING vec3 surface_view_normal;
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
    vec4 view_position = view * (world_matrix * vec4(in_position.xyz, 1.0));
    surface_view_position = view_position.xyz;
    surface_view_normal = mat3(view) * WorldNormal(mat3(world_matrix), in_normal);
    surface_color = item_color;
    gl_Position = qv_position(projection * view_position);
}

void single_vertex() { surface(local_world, color); }
void multi_vertex() { surface(mat4(in_world0, in_world1, in_world2, in_world3), in_color); }
#endif

#ifdef QV_FRAGMENT
void material_fragment() {
    vec4 light = texture(lightBuffer, gl_FragCoord.xy / vec2(textureSize(lightBuffer, 0)));
    vec3 lit = surface_color.rgb * (globalAmbient.rgb + light.rgb) + vec3(light.a);
    float fog = clamp((length(surface_view_position) - g_fog_near) / max(g_fog_far - g_fog_near, 0.0001), 0.0, 1.0);
    qv_target0 = vec4(mix(lit, g_fog_color.rgb, fog), 1.0);
}

void geometry_fragment() {
    float length_of_normal = length(surface_view_normal);
    vec3 normal = length_of_normal > 0.0 ? surface_view_normal / length_of_normal : vec3(0.0);
    qv_target0 = vec4(normal, surface_view_position.z / cFar);
}
#endif
end
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
technique Geometry
pass p0
program single_vertex geometry_fragment
state ZEnable on
state ZWriteEnable on
state ZFunc lessequal
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15

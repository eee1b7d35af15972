# Shadow depth of alpha-tested surfaces: texels under the cut-off cast no shadow.
# A map texel holds the depth from the sun, 0 at the cascade's ortho_near and 1 at its
# ortho_far, in one float channel; the cascade pass sets the sun's view as shadow_view and the
# cascade's box as projection (light_view_projection is not set by the frame).
param shared float4x4 projection
param shared float4x4 shadow_view
param shared float ortho_near
param shared float ortho_far
param float4x4 world
param float4x4 local_world
param float4x4 light_view_projection
param texture diffuse
param float alpha_cutoff
glsl
uniform mat4 projection;
uniform mat4 shadow_view;
uniform float ortho_near;
uniform float ortho_far;
uniform mat4 local_world;
uniform sampler2D diffuse;
uniform float alpha_cutoff;

#ifdef QV_VERTEX
#define QV_VARYING out
#else
#define QV_VARYING in
#endif
QV_VARYING float light_depth;
QV_VARYING vec2 surface_uv;

#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec4 in_position;
layout(location = QV_TEXCOORD0) in vec2 in_uv;
// The instance record: the rows of the world matrix as stored, then the item colour.
layout(location = QV_TEXCOORD1) in vec4 in_world0;
layout(location = QV_TEXCOORD2) in vec4 in_world1;
layout(location = QV_TEXCOORD3) in vec4 in_world2;
layout(location = QV_TEXCOORD4) in vec4 in_world3;

void caster(mat4 world_matrix) {
    vec4 light_position = shadow_view * (world_matrix * vec4(in_position.xyz, 1.0));
    light_depth = (light_position.z - ortho_near) / (ortho_far - ortho_near);
    surface_uv = in_uv;
    gl_Position = qv_position(projection * light_position);
}

void single_vertex() { caster(local_world); }
void multi_vertex() { caster(mat4(in_world0, in_world1, in_world2, in_world3)); }
#endif

#ifdef QV_FRAGMENT
// The depth alone: the look-up compares it with the shaded point's.
void depth_fragment() {
    if (texture(diffuse, surface_uv).a < alpha_cutoff) discard;
    qv_target0 = vec4(light_depth, 0.0, 0.0, 1.0);
}
#endif
end
technique SingleInstance
pass p0
program single_vertex depth_fragment
state ZEnable on
state ZWriteEnable on
state ZFunc lessequal
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15
technique MultiInstance
pass p0
program multi_vertex depth_fragment
state ZEnable on
state ZWriteEnable on
state ZFunc lessequal
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15

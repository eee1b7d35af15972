# Normals and depth of opaque surfaces into the geometry buffer: the geometry pass of the
# materials. rgb is the unit view-space normal, a the view depth over the far distance.
param shared float4x4 view
param shared float4x4 projection
param shared float cFar
param float4x4 world
param float4x4 local_world
param float4 color
glsl
uniform mat4 view;
uniform mat4 projection;
uniform float cFar;
uniform mat4 local_world;

#ifdef QV_VERTEX
#define QV_VARYING out
#else
#define QV_VARYING in
#endif
QV_VARYING vec3 surface_view_normal;
QV_VARYING float surface_view_depth;

#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec4 in_position;
layout(location = QV_NORMAL) in vec3 in_normal;
// The instance record: the rows of the world matrix as stored, then the item colour.
layout(location = QV_TEXCOORD1) in vec4 in_world0;
layout(location = QV_TEXCOORD2) in vec4 in_world1;
layout(location = QV_TEXCOORD3) in vec4 in_world2;
layout(location = QV_TEXCOORD4) in vec4 in_world3;

// The materials draw the same surfaces over this pass's depth and test it for equality: both
// compute the position alike, and invariant keeps the compiler from computing it differently.
invariant gl_Position;

include surface_normal.glsl

void surface(mat4 world_matrix) {
    vec4 world_position = world_matrix * vec4(in_position.xyz, 1.0);
    vec4 view_position = view * world_position;
    surface_view_normal = mat3(view) * WorldNormal(mat3(world_matrix), in_normal);
    surface_view_depth = view_position.z;
    gl_Position = qv_position(projection * view_position);
}

void single_vertex() { surface(local_world); }
void multi_vertex() { surface(mat4(in_world0, in_world1, in_world2, in_world3)); }
#endif

#ifdef QV_FRAGMENT
void geometry_fragment() {
    float length_of_normal = length(surface_view_normal);
    vec3 normal = length_of_normal > 0.0 ? surface_view_normal / length_of_normal : vec3(0.0);
    qv_target0 = vec4(normal, surface_view_depth / cFar);
}
#endif
end
technique SingleInstance
pass p0
program single_vertex geometry_fragment
state ZEnable on
state ZWriteEnable on
state ZFunc lessequal
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15
technique MultiInstance
pass p0
program multi_vertex geometry_fragment
state ZEnable on
state ZWriteEnable on
state ZFunc lessequal
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15

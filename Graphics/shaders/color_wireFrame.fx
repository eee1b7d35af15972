# Wire frames in one colour: "color" for single draws, the instance colour for instanced ones.
param shared float4x4 view
param shared float4x4 projection
param float4x4 world
param float4 color
glsl
uniform mat4 view;
uniform mat4 projection;
uniform mat4 world;
uniform vec4 color;

#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec4 in_position;
// The instance record: the rows of the world matrix as stored, then the item colour.
layout(location = QV_TEXCOORD1) in vec4 in_world0;
layout(location = QV_TEXCOORD2) in vec4 in_world1;
layout(location = QV_TEXCOORD3) in vec4 in_world2;
layout(location = QV_TEXCOORD4) in vec4 in_world3;
layout(location = QV_COLOR0) in vec4 in_color;
out vec4 wire_color;

void wire(mat4 world_matrix, vec4 item_color) {
    wire_color = item_color;
    gl_Position = qv_position(projection * (view * (world_matrix * vec4(in_position.xyz, 1.0))));
}

void single_vertex() { wire(world, color); }
void multi_vertex() { wire(mat4(in_world0, in_world1, in_world2, in_world3), in_color); }
#endif

#ifdef QV_FRAGMENT
in vec4 wire_color;

void wire_fragment() { qv_target0 = wire_color; }
#endif
end
technique SingleInstance
pass p0
program single_vertex wire_fragment
state ZEnable on
state ZWriteEnable on
state ZFunc lessequal
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15
technique MultiInstance
pass p0
program multi_vertex wire_fragment
state ZEnable on
state ZWriteEnable on
state ZFunc lessequal
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15

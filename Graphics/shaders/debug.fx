# Lines and boxes of the debug drawing in one colour, over the scene's depth.
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

void debug_vertex() { gl_Position = qv_position(projection * (view * (world * vec4(in_position.xyz, 1.0)))); }
#endif

#ifdef QV_FRAGMENT
void debug_fragment() { qv_target0 = color; }
#endif
end
technique SingleInstance
pass p0
program debug_vertex debug_fragment
state ZEnable on
state ZWriteEnable off
state ZFunc lessequal
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15

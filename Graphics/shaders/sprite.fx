# Screen-space quads of the user interface, and the final copy of the scene.
param float4x4 view
param float4x4 projection
param float4x4 world
param float4 modColor
param texture txtr
param float4 half_texel_offset
sampler txtr linear clamp
glsl
uniform mat4 view;
uniform mat4 projection;
uniform mat4 world;
uniform vec4 modColor;
uniform sampler2D txtr;

#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec3 position;
layout(location = QV_TEXCOORD0) in vec2 texcoord;
out vec2 uv;

void SpriteVertex() {
    gl_Position = qv_position(projection * (view * (world * vec4(position, 1.0))));
    // The quad's v grows upwards on the screen while a texture's row 0 is its top row.
    uv = vec2(texcoord.x, 1.0 - texcoord.y);
}
#endif

#ifdef QV_FRAGMENT
in vec2 uv;

void SpriteFragment() {
    qv_target0 = texture(txtr, uv) * modColor;
}
#endif
end
technique SimpleDraw
pass p0
program SpriteVertex SpriteFragment
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable on
state SrcBlend srcalpha
state DestBlend invsrcalpha
state BlendOp add
state CullMode none
state ColorWriteEnable 15

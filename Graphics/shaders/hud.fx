# Sprites and texts of the user interface.
param texture sprite
param float4 color
param float4 half_texel_offset
sampler sprite linear clamp
glsl
uniform sampler2D sprite;
uniform vec4 color;

#ifdef QV_VERTEX
// The quad arrives in clip space, its texture coordinates as the picture is laid out.
layout(location = QV_POSITION) in vec3 position;
layout(location = QV_TEXCOORD0) in vec2 texcoord;
out vec2 uv;

void HudVertex() {
    gl_Position = qv_position(vec4(position.xy, 0.0, 1.0));
    uv = texcoord;
}
#endif

#ifdef QV_FRAGMENT
in vec2 uv;

void HudFragment() {
    qv_target0 = texture(sprite, uv) * color;
}
#endif
end
technique Sprite
pass p0
program HudVertex HudFragment
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable on
state SrcBlend srcalpha
state DestBlend invsrcalpha
state BlendOp add
state CullMode none
state ColorWriteEnable 15

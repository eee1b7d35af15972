# Adds a buffer onto the bound target.
param texture image
param float4 half_texel_offset

sampler image linear clamp

glsl
uniform sampler2D image;

#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec3 in_position;
layout(location = QV_TEXCOORD0) in vec2 in_uv;
out vec2 uv;

void ScreenVS() {
    uv = in_uv;
    gl_Position = qv_position(vec4(in_position, 1.0));
}
#endif

#ifdef QV_FRAGMENT
in vec2 uv;

void AdditivePS() { qv_target0 = texture(image, uv); }
#endif
end

technique Additive
pass p0
program ScreenVS AdditivePS
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable on
state SrcBlend one
state DestBlend one
state BlendOp add
state CullMode none
state ColorWriteEnable 15

# The clear effect: fills the bound target with color_value. Its alpha is divided by cFar: the
# geometry buffer is filled with the far distance there and keeps depth over cFar (1 at the far
# plane); the light buffer's zero stays zero.
param shared float cFar
param float4 color_value
param float4 half_texel_offset

glsl
uniform float cFar;
uniform vec4 color_value;

#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec3 in_position;

void ScreenVS() { gl_Position = qv_position(vec4(in_position, 1.0)); }
#endif

#ifdef QV_FRAGMENT
void FillPS() {
    float depthScale = cFar > 0.0 ? 1.0 / cFar : 1.0;
    qv_target0 = vec4(color_value.rgb, color_value.a * depthScale);
}
#endif
end

technique Fill
pass p0
program ScreenVS FillPS
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15

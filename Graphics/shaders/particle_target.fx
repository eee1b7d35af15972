# The half-size target the large point sprites are drawn into, made ready for them: colour
# cleared and the depth of the view's surfaces written from the geometry buffer, so that the
# sprites are hidden behind surfaces as they are in the full-size scene.
param shared float4x4 projection
param shared float cFar
param texture geometry
param float step
param float4 half_texel_offset

sampler geometry point clamp

glsl
uniform mat4 projection;
uniform float cFar;
uniform sampler2D geometry;
uniform float step;

#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec3 in_position;

void ScreenVS() { gl_Position = qv_position(vec4(in_position, 1.0)); }
#endif

#ifdef QV_FRAGMENT
// A pixel of this target covers `step` x `step` texels of the geometry buffer; it takes the
// depth of the first.
// The buffer holds the view depth over the far distance (1 where no surface is); the projection
// turns a view depth z into the depth test's z' = p22 + p32 / z, which is 1 at the far distance.
void PrepareFromGeometryPS() {
    float z = max(texelFetch(geometry, ivec2(floor(gl_FragCoord.xy) * step), 0).a * cFar, 1e-4);
    gl_FragDepth = clamp(projection[2][2] + projection[3][2] / z, 0.0, 1.0);
    qv_target0 = vec4(0.0);
}
#endif
end

technique PrepareFromGeometry
pass p0
program ScreenVS PrepareFromGeometryPS
state ZEnable on
state ZWriteEnable on
state ZFunc always
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15

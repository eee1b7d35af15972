# Quad particles: one oriented, scaled quad per instance record.
param shared float4x4 view
param shared float4x4 projection
param texture particle_texture
param float viewport_width
sampler particle_texture linear clamp
glsl
uniform mat4 view;
uniform mat4 projection;
uniform sampler2DArray particle_texture;

#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec3 corner;
layout(location = QV_TEXCOORD0) in vec2 texcoord;
// The quad's world transform, row by row, then its colour and the depth of its image.
layout(location = QV_TEXCOORD1) in vec4 row0;
layout(location = QV_TEXCOORD2) in vec4 row1;
layout(location = QV_TEXCOORD3) in vec4 row2;
layout(location = QV_TEXCOORD4) in vec4 row3;
layout(location = QV_COLOR0) in vec4 tint;
layout(location = QV_TEXCOORD5) in float slice;
out vec3 uvw;
out vec4 colour;

void QuadVertex() {
    vec4 world = mat4(row0, row1, row2, row3) * vec4(corner, 1.0);
    gl_Position = qv_position(projection * (view * world));
    // The image is given as a volume's w, at the middle of its slice: the layer of that slice.
    uvw = vec3(texcoord, slice * float(textureSize(particle_texture, 0).z) - 0.5);
    colour = tint;
}
#endif

#ifdef QV_FRAGMENT
in vec3 uvw;
in vec4 colour;

void QuadFragment() {
    qv_target0 = texture(particle_texture, uvw) * colour;
}
#endif
end
technique QuadParticleTest0
pass p0
program QuadVertex QuadFragment
state ZEnable on
state ZWriteEnable off
state ZFunc lessequal
state AlphaBlendEnable on
state SrcBlend srcalpha
state DestBlend one
state BlendOp add
state CullMode none
state ColorWriteEnable 15

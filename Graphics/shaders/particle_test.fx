# Point-sprite particles: one camera-facing quad per instance record.
param shared float4x4 view
param shared float4x4 projection
param texture particle_texture
param float viewport_width
param float4 size_band
sampler particle_texture linear clamp
glsl
uniform mat4 view;
uniform mat4 projection;
uniform sampler2DArray particle_texture;
uniform float viewport_width;
// The widths in pixels, before the cap, of the sprites this draw keeps: from x up to y (no upper
// end while y is 0). The frame draws the large sprites into a smaller target than the small ones.
uniform vec4 size_band;

#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec3 corner;
layout(location = QV_TEXCOORD0) in vec2 texcoord;
layout(location = QV_TEXCOORD1) in vec3 centre;
layout(location = QV_COLOR0) in vec4 tint;
// Image (the texture's layer), rotation (0..255 for 0..359 degrees), whole size and size in 255ths.
layout(location = QV_TEXCOORD2) in vec4 bytes;
out vec3 uvw;
out vec4 colour;

void ParticleVertex() {
    float size = bytes.z + bytes.w / 255.0;
    float angle = radians(bytes.y * 359.0 / 255.0);
    float c = cos(angle), s = sin(angle);
    vec4 eye = view * vec4(centre, 1.0);
    // A sprite is `size` world units wide at its depth up to a tenth of the view's width (128
    // pixels of a 1280-pixel-wide view). Past that it keeps that width and fades as it would grow
    // on, so a light nearing the eye stays a point of light that thins away, and the big puffs of
    // mist and dust near the eye stay faint puffs, instead of washing the view with colour.
    float depth = max((projection * eye).w, 1e-4);
    float pixels = size * projection[0][0] * 0.5 * viewport_width / depth;
    if (pixels < size_band.x || (size_band.y > 0.0 && pixels >= size_band.y)) {
        // Every corner at one point outside the view: nothing to draw.
        gl_Position = qv_position(vec4(2.0, 2.0, 2.0, 1.0));
        uvw = vec3(0.0);
        colour = vec4(0.0);
        return;
    }
    float widest = viewport_width / 10.0;
    float fade = 1.0;
    if (pixels > widest) {
        fade = widest / pixels;
        size *= fade;
    }
    // The quad is spread in view space, so it always faces the camera.
    eye.xy += mat2(c, s, -s, c) * corner.xy * size;
    gl_Position = qv_position(projection * eye);
    uvw = vec3(texcoord, bytes.x);
    colour = tint * fade;
}
#endif

#ifdef QV_FRAGMENT
in vec3 uvw;
in vec4 colour;

void ParticleFragment() {
    qv_target0 = texture(particle_texture, uvw) * colour;
}
#endif
end
technique ParticleTest0
pass p0
program ParticleVertex ParticleFragment
state ZEnable on
state ZWriteEnable off
state ZFunc lessequal
state AlphaBlendEnable on
state SrcBlend srcalpha
state DestBlend one
state BlendOp add
state CullMode none
state ColorWriteEnable 15

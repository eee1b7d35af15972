# The sky sphere around the viewer: two of the seasons' sky textures mixed, the two that the
# season's transitions weigh most (the renderer chooses them), or in a season its one texture. The sphere turns with the view but never moves with
# the eye; it is drawn behind everything, without depth.
param shared float4x4 view
param shared float4x4 projection
param float4x4 world
param float4x4 translate_view
param texture sky_from
param texture sky_to
param float sky_mix
param float4 half_texel_offset
glsl
uniform mat4 view;
uniform mat4 projection;
uniform mat4 world;
uniform mat4 translate_view;
uniform sampler2D sky_from;
uniform sampler2D sky_to;
uniform float sky_mix;

#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec4 in_position;
layout(location = QV_TEXCOORD0) in vec2 in_uv;
out vec2 sky_uv;

void sky_vertex() {
    vec3 around_eye = mat3(view) * (world * vec4(in_position.xyz, 1.0)).xyz;
    sky_uv = in_uv;
    // On the far plane: drawn after the opaque surfaces, the sky fills only what they left.
    gl_Position = qv_position((projection * (translate_view * vec4(around_eye, 1.0))).xyww);
}
#endif

#ifdef QV_FRAGMENT
in vec2 sky_uv;

void sky_fragment() {
    // Every pixel reads both: the renderer runs both sides of a branch.
    vec4 sky = mix(texture(sky_from, sky_uv), texture(sky_to, sky_uv), sky_mix);
    // Alpha 0 like the background the sky pass clears to.
    qv_target0 = vec4(sky.rgb, 0.0);
}

// No transition under way: one season's texture is the whole sky.
void season_sky_fragment() { qv_target0 = vec4(texture(sky_from, sky_uv).rgb, 0.0); }
#endif
end
technique draw_transition_sky
pass p0
program sky_vertex sky_fragment
state ZEnable on
state ZWriteEnable off
state ZFunc lessequal
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15
technique draw_sky
pass p0
program sky_vertex season_sky_fragment
state ZEnable on
state ZWriteEnable off
state ZFunc lessequal
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15

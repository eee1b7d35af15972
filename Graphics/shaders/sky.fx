# The sky sphere around the viewer, blending the four seasonal sky textures in the order of the
# seasons by the three transition values. The sphere turns with the view but never moves with
# the eye; it is drawn behind everything, without depth.
param shared float4x4 view
param shared float4x4 projection
param shared float spring_to_summer_transition_value
param shared float summer_to_fall_transition_value
param shared float fall_to_winter_transition_value
param float4x4 world
param float4x4 translate_view
param texture texture0
param texture texture1
param texture texture2
param texture texture3
param float4 half_texel_offset
glsl
uniform mat4 view;
uniform mat4 projection;
uniform float spring_to_summer_transition_value;
uniform float summer_to_fall_transition_value;
uniform float fall_to_winter_transition_value;
uniform mat4 world;
uniform mat4 translate_view;
uniform sampler2D texture0;
uniform sampler2D texture1;
uniform sampler2D texture2;
uniform sampler2D texture3;

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
    vec4 sky = texture(texture0, sky_uv);
    sky = mix(sky, texture(texture1, sky_uv), clamp(spring_to_summer_transition_value, 0.0, 1.0));
    sky = mix(sky, texture(texture2, sky_uv), clamp(summer_to_fall_transition_value, 0.0, 1.0));
    sky = mix(sky, texture(texture3, sky_uv), clamp(fall_to_winter_transition_value, 0.0, 1.0));
    // Alpha 0 like the background the sky pass clears to.
    qv_target0 = vec4(sky.rgb, 0.0);
}
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

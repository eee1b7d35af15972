# Blurs the frame along the camera's motion.
param shared float4x4 view
param shared float4x4 projection
param texture frame
param float4x4 previous_view_projection
param float4 half_texel_offset

sampler frame linear clamp

glsl
uniform mat4 view;
uniform mat4 projection;
uniform sampler2D frame;
uniform mat4 previous_view_projection;

#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec3 in_position;
layout(location = QV_TEXCOORD0) in vec2 in_uv;
out vec2 uv;
out vec3 ray;

// The world direction seen through this corner of the screen; it varies linearly over the quad.
void ScreenVS() {
    uv = in_uv;
    vec3 viewRay = vec3(in_position.x / projection[0][0], in_position.y / projection[1][1], 1.0);
    ray = (inverse(view) * vec4(viewRay, 0.0)).xyz;
    gl_Position = qv_position(vec4(in_position, 1.0));
}
#endif

#ifdef QV_FRAGMENT
in vec2 uv;
in vec3 ray;

const int kTaps = 8;
// The longest streak, as a share of the screen.
const float kMaxStreak = 0.05;

// Where the pixel's direction was on the screen a frame ago gives the camera's motion there
// (its turning; the scene is taken as distant). A still camera leaves the frame as it is.
void BlurPS() {
    vec4 previous = previous_view_projection * vec4(ray, 0.0);
    vec4 sharp = texture(frame, uv);
    if (previous.w <= 0.0) {
        qv_target0 = sharp;
        return;
    }
    vec2 previousUv = vec2(0.5 + 0.5 * previous.x / previous.w, 0.5 - 0.5 * previous.y / previous.w);
    vec2 motion = uv - previousUv;
    float streak = length(motion);
    if (streak > kMaxStreak) motion *= kMaxStreak / streak;
    vec4 sum = vec4(0.0);
    for (int i = 0; i < kTaps; ++i) sum += texture(frame, uv - motion * (float(i) / float(kTaps)));
    qv_target0 = sum / float(kTaps);
}
#endif
end

technique Blur
pass p0
program ScreenVS BlurPS
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15

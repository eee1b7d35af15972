# Glow capture and the two directions of the separable blur.
param shared float glow_intensity
param texture image
param float4 offsets 5
param float weights 5
param float4 half_texel_offset

sampler image linear clamp

glsl
uniform float glow_intensity;
uniform sampler2D image;
uniform vec4 offsets[5];
uniform float weights[5];

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

// Only what is brighter than white glows, so a picture within the displayable range passes
// through the bloom unchanged. The bloom chain adds its quarter and its sixteenth level of the
// glow, hence half of it here. Alpha stays 0 so that adding the bloom leaves the scene's alpha.
void CaptureGlowPS() {
    vec3 excess = max(texture(image, uv).rgb - vec3(1.0), vec3(0.0));
    qv_target0 = vec4(0.5 * glow_intensity * excess, 0.0);
}

// The weights are divided by their sum: the engine's five taps of the Gaussian sum to less than
// one, and a blur that darkened would darken the depth of field's far field with it.
vec4 Blur(vec2 direction) {
    vec4 sum = vec4(0.0);
    float total = 0.0;
    for (int i = 0; i < 5; ++i) {
        sum += weights[i] * texture(image, uv + offsets[i].xy * direction);
        total += weights[i];
    }
    return total > 0.0 ? sum / total : texture(image, uv);
}

void BlurHorizontalPS() { qv_target0 = Blur(vec2(1.0, 0.0)); }
void BlurVerticalPS() { qv_target0 = Blur(vec2(0.0, 1.0)); }
#endif
end

technique CaptureGlow
pass p0
program ScreenVS CaptureGlowPS
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15
technique BlurHorizontal
pass p0
program ScreenVS BlurHorizontalPS
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15
technique BlurVertical
pass p0
program ScreenVS BlurVerticalPS
state ZEnable off
state ZWriteEnable off
state AlphaBlendEnable off
state CullMode none
state ColorWriteEnable 15

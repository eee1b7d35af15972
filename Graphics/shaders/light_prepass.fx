# Point lights: instanced sphere volumes accumulated into the light buffer from the geometry
# buffer.
param shared float4x4 view
param shared float4x4 projection
param shared float cFar
param texture geometry
param float4 half_texel_offset

sampler geometry point clamp

glsl
uniform mat4 view;
uniform mat4 projection;
uniform float cFar;
uniform sampler2D geometry;

#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec3 in_position;
// The instance record: the volume's world matrix, the colour, the world position with the near
// attenuation, then the near and far attenuation.
layout(location = QV_TEXCOORD1) in vec4 in_world0;
layout(location = QV_TEXCOORD2) in vec4 in_world1;
layout(location = QV_TEXCOORD3) in vec4 in_world2;
layout(location = QV_TEXCOORD4) in vec4 in_world3;
layout(location = QV_COLOR0) in vec4 in_color;
layout(location = QV_TEXCOORD5) in vec4 in_position_near;
layout(location = QV_TEXCOORD6) in vec2 in_attenuation;
flat out vec3 light_color;
flat out vec3 light_position;
flat out vec2 attenuation;
out vec3 volume_position;

void VolumeVS() {
    vec4 world = mat4(in_world0, in_world1, in_world2, in_world3) * vec4(in_position, 1.0);
    light_color = in_color.rgb;
    light_position = (view * vec4(in_position_near.xyz, 1.0)).xyz;
    attenuation = in_attenuation;
    vec4 viewPosition = view * world;
    volume_position = viewPosition.xyz;
    gl_Position = qv_position(projection * viewPosition);
}
#endif

#ifdef QV_FRAGMENT
flat in vec3 light_color;
flat in vec3 light_position;
flat in vec2 attenuation;
in vec3 volume_position;

const float kSpecularPower = 16.0;
// The materials add the specular term as white light on any surface: a soft highlight.
const float kSpecularStrength = 0.25;

// Both sides of the volume are drawn and only the faces through which the ray of the pixel leaves
// the volume count: each covered pixel is lit once, with the eye inside the volume or not and
// however the view turns the faces (the water's mirrored view does). The face's normal comes from
// the screen, turned outward by a point inside the volume.
bool LeavingFace(vec3 inside) {
    vec3 n = cross(dFdx(volume_position), dFdy(volume_position));
    if (dot(n, volume_position - inside) < 0.0) n = -n;
    return dot(n, volume_position) > 0.0;
}

// The light's diffuse colour in rgb and its specular term in alpha at the surface behind this
// pixel, fading linearly from the near to the far attenuation distance.
void PointPS() {
    if (!LeavingFace(light_position)) discard;
    vec2 uv = gl_FragCoord.xy / vec2(textureSize(geometry, 0));
    vec4 g = texelFetch(geometry, ivec2(gl_FragCoord.xy), 0);
    if (dot(g.xyz, g.xyz) < 0.25) {
        qv_target0 = vec4(0.0);
        return;
    }
    vec3 n = normalize(g.xyz);
    vec2 ndc = vec2(2.0 * uv.x - 1.0, 1.0 - 2.0 * uv.y);
    vec3 position = vec3(ndc.x / projection[0][0], ndc.y / projection[1][1], 1.0) * (g.a * cFar);
    vec3 toLight = light_position - position;
    float distance = length(toLight);
    // Beyond the far distance the light adds nothing.
    if (distance >= attenuation.y) discard;
    vec3 l = toLight / max(distance, 1e-4);
    float fade = clamp((attenuation.y - distance) / max(attenuation.y - attenuation.x, 1e-4), 0.0, 1.0);
    float nDotL = max(dot(n, l), 0.0) * fade;
    vec3 h = normalize(l - normalize(position));
    float specular = nDotL > 0.0 ? pow(max(dot(n, h), 0.0), kSpecularPower) * fade : 0.0;
    qv_target0 = vec4(light_color * nDotL, specular * kSpecularStrength * dot(light_color, vec3(0.299, 0.587, 0.114)));
}
#endif
end

# A leaving face nearer than the view's surface lies in front of it: the surface is beyond the
# volume, out of the light's reach (the sky, on the far plane, always is).
technique RenderLightBuffer
pass p0
program VolumeVS PointPS
state ZEnable on
state ZWriteEnable off
state ZFunc greaterequal
state AlphaBlendEnable on
state SrcBlend one
state DestBlend one
state BlendOp add
state CullMode none
state ColorWriteEnable 15

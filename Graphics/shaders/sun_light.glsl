// The sun, shared by the effects that it lights: its view-space direction towards it and its
// colour (black where the view has no sun), and its three shadow cascades, nearest band first,
// whose maps stand side by side in one atlas, the first on the left.
uniform vec4 sun_direction;
uniform vec4 sun_color;
uniform float sun_shadows;
uniform mat4 shadow_view;
uniform mat4 shadow_projection;
uniform mat4 shadow_projection2;
uniform mat4 shadow_projection3;
uniform sampler2D shadowDepth;

// How far behind the stored depth a surface may lie and still be lit, in shadow-map texels
// (against the acne of a surface shadowing itself): more where the sun grazes the surface, as
// its depth changes faster across a texel there.
const float kShadowBias = 1.5;
const float kMaxSlopeBias = 4.0;

// A world position in each cascade's clip space: x and y from -1 to 1 across the map, z the
// map's depth (0 at the cascade's near end, 1 at its far end). Affine, so it interpolates
// exactly across a triangle.
void SunCascades(vec4 world_position, out vec3 c1, out vec3 c2, out vec3 c3) {
    vec4 sun_space = shadow_view * world_position;
    c1 = (shadow_projection * sun_space).xyz;
    c2 = (shadow_projection2 * sun_space).xyz;
    c3 = (shadow_projection3 * sun_space).xyz;
}

bool InCascade(vec3 clip) {
    return all(lessThanEqual(abs(clip.xy), vec2(1.0))) && clip.z >= 0.0 && clip.z <= 1.0;
}

// 1 where the sun reaches the point, 0 where it is shadowed. The first cascade whose box holds
// the point decides; beyond all three nothing shadows. The cascade is chosen by selects and its
// map read with one fetch: the renderer runs every branch of an if for all pixels.
float SunShadow(vec3 c1, vec3 c2, vec3 c3, float nDotL) {
    if (sun_shadows == 0.0) return 1.0;
    float slope = sqrt(max(1.0 - nDotL * nDotL, 0.0)) / max(nDotL, 1e-4);
    float biasTexels = kShadowBias + min(slope, kMaxSlopeBias);
    bool in1 = InCascade(c1), in2 = InCascade(c2), in3 = InCascade(c3);
    vec3 clip = in1 ? c1 : (in2 ? c2 : c3);
    // The cascade's box width (2 / its [0][0]) and depth scale ([2][2]).
    vec2 box = in1 ? vec2(shadow_projection[0][0], shadow_projection[2][2])
                   : (in2 ? vec2(shadow_projection2[0][0], shadow_projection2[2][2])
                          : vec2(shadow_projection3[0][0], shadow_projection3[2][2]));
    int side = textureSize(shadowDepth, 0).y;
    // The texel nearest sampling picks, read directly: the box's far edges belong to the last one.
    ivec2 texel = clamp(ivec2(vec2(0.5 + 0.5 * clip.x, 0.5 - 0.5 * clip.y) * float(side)), ivec2(0), ivec2(side - 1));
    texel.x += (in1 ? 0 : (in2 ? 1 : 2)) * side;
    // A texel's world width in the map's depth units.
    float bias = biasTexels * 2.0 / (box.x * float(side)) * box.y;
    float lit = clip.z <= texelFetch(shadowDepth, texel, 0).r + bias ? 1.0 : 0.0;
    return in1 || in2 || in3 ? lit : 1.0;
}

const float kSpecularPower = 16.0;
// The specular term is added as white light on any surface: a soft highlight.
const float kSpecularStrength = 0.25;

// The sun's diffuse light in rgb and its specular term in alpha on a unit normal (none on a
// surface without one), shadowed.
vec4 SunLight(vec3 normal, vec3 view_position, vec3 c1, vec3 c2, vec3 c3) {
    float nDotL = dot(normal, sun_direction.xyz);
    if (nDotL <= 0.0) return vec4(0.0);
    vec3 h = normalize(sun_direction.xyz - normalize(view_position));
    float specular = pow(max(dot(normal, h), 0.0), kSpecularPower) * kSpecularStrength *
                     dot(sun_color.rgb, vec3(0.299, 0.587, 0.114));
    return vec4(sun_color.rgb * nDotL, specular) * SunShadow(c1, c2, c3, nDotL);
}

vec3 UnitOrZero(vec3 v) {
    float l = length(v);
    return l > 0.0 ? v / l : vec3(0.0);
}


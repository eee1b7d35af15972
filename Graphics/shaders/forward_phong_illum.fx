# The shared scene effect: every per-frame constant is declared shared here, so a value set
# once on this effect reaches every effect of the pool.
param shared float4x4 view
param shared float4x4 projection
param shared float cNear
param shared float cFar
param shared float time
param shared float4 globalAmbient
param shared float4 g_fog_color
param shared float g_fog_near
param shared float g_fog_far
param shared float spring_to_summer_transition_value
param shared float summer_to_fall_transition_value
param shared float fall_to_winter_transition_value
param shared float4 playerPos
param shared float glow_intensity
param shared float glow_spread
param shared float4x4 light_info 8
param shared texture lightBuffer
param shared texture waterReflection
param shared float4x4 shadow_view
param shared float ortho_near
param shared float ortho_far
param float4x4 world
param float4x4 local_world
param float4 color
param float4 geometry_color
param float4 half_texel_offset
technique SingleInstance
pass p0
technique MultiInstance
pass p0
technique Geometry
pass p0

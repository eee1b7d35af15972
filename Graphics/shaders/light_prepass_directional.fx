# The sun: a full-screen quad over the geometry buffer, shadowed through the three cascades.
param texture geometry
param texture shadowDepth
param texture shadowDepth2
param texture shadowDepth3
param float4x4 shadow_view
param float4x4 shadow_projection
param float4x4 shadow_projection2
param float4x4 shadow_projection3
param float ortho_near1
param float ortho_far1
param float ortho_near2
param float ortho_far2
param float ortho_near3
param float ortho_far3
param float4 dir_light_direction
param float4 dir_light_color
param float4x4 view_inv
param float4 half_texel_offset
technique RenderLightBuffer
pass p0
technique RenderLightBufferNoShadows
pass p0

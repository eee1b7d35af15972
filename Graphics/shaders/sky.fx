# The sky sphere around the viewer, blending the four seasonal sky textures.
param float4x4 world
param float4x4 translate_view
param texture texture0
param texture texture1
param texture texture2
param texture texture3
param float4 half_texel_offset
technique draw_transition_sky
pass p0

# Glow capture and the two directions of the separable blur.
param texture image
param float4 offsets 5
param float weights 5
param float4 half_texel_offset
technique CaptureGlow
pass p0
technique BlurHorizontal
pass p0
technique BlurVertical
pass p0

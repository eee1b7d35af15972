# Adds a buffer onto the bound target.
param texture image
param float4 half_texel_offset
technique Additive
pass p0

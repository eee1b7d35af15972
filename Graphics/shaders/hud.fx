# Sprites and texts of the user interface.
param texture sprite
param float4 color
param float4 half_texel_offset
technique Sprite
pass p0

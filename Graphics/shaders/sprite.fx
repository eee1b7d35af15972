# Screen-space quads of the user interface, and the final copy of the scene.
param float4x4 view
param float4x4 projection
param float4x4 world
param float4 modColor
param texture txtr
param float4 half_texel_offset
technique SimpleDraw
pass p0

# Quarter-size downscale of a buffer.
param texture txtr
param float halfPixW
param float halfPixH
param float4 half_texel_offset
technique DownScaleQuarter
pass p0

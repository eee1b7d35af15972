# The clear effect: fills the bound target with color_value.
param shared float cFar
param float4 color_value
param float4 half_texel_offset
technique Fill
pass p0

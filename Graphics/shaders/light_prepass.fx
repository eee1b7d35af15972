# Light volumes accumulated into the light buffer from the geometry buffer.
param texture geometryBuffer
param float4 half_texel_offset
technique MultiInstance
pass p0

# Spot lights: instanced cone volumes accumulated into the light buffer from the geometry buffer.
param texture geometry
param float4 half_texel_offset
technique RenderLightBuffer
pass p0

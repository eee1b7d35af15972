# Instanced grass blades: depth into the geometry buffer, colour into the view's target.
param texture texture_0
param float grass_paint_scalar
param float grass_blend_scalar
param float grass_color_scalar
param float4 half_texel_offset
technique GrassGeometry
pass p0
technique InstancedGrass
pass p0

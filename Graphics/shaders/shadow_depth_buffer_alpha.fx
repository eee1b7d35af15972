# Shadow depth of alpha-tested surfaces: texels under the cut-off cast no shadow.
param float4x4 world
param float4x4 light_view_projection
param texture diffuse
param float alpha_cutoff
technique SingleInstance
pass p0
technique MultiInstance
pass p0

# Opaque surfaces: the geometry, material and reflection passes of a textured, tinted material.
param float4x4 world
param float4x4 local_world
param float4 color
param float4 geometry_color
param texture diffuse
param float4 tint
param float shininess
param int use_texture
technique SingleInstance
pass p0
technique MultiInstance
pass p0

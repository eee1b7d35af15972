# Blended surfaces drawn back to front after the opaque passes.
param float4x4 world
param float4x4 local_world
param float4 color
param float4 geometry_color
param float4 tint
param float alpha
param int lit
technique SingleInstance
pass p0
technique MultiInstance
pass p0

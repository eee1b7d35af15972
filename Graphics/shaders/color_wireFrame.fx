# Wire frames in one colour.
param float4x4 world
param float4 color
technique SingleInstance
pass p0
technique MultiInstance
pass p0

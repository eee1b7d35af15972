# Normals and depth of opaque surfaces into the geometry buffer.
param float4x4 world
technique SingleInstance
pass p0
technique MultiInstance
pass p0

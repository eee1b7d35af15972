# Depth from the light's view for the shadow cascades.
param float4x4 world
param float4x4 light_view_projection
technique SingleInstance
pass p0
technique MultiInstance
pass p0

# Blurs the frame along the camera's motion.
param texture frame
param float4x4 previous_view_projection
param float4 half_texel_offset
technique Blur
pass p0

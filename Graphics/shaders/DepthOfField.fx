# Mixes the sharp scene, its blur and the bloom by depth around the focal distance.
param texture image1
param texture image2
param texture image3
param texture depthImage
param float cFocal
param float4 half_texel_offset
technique LinearInterpolate
pass p0

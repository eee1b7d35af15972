# Quad particles: one oriented, scaled quad per instance record.
param texture particle_texture
param float viewport_width
technique QuadParticleTest0
pass p0

# Point-sprite particles: one camera-facing quad per instance record.
param texture particle_texture
param float viewport_width
technique ParticleTest0
pass p0

#pragma once
// The particle effects' sounds played through the sound system: the graphics layer cannot
// reach it, so the executable, which holds both, installs the bridge at start-up.
namespace QV {

void InstallParticleSounds();

}  // namespace QV

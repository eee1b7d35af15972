#pragma once
// Hands the lower engine the effects the banks loaded: a node's insert effects and an
// environment's effect, speaker volumes and bypass, all from the effect tables of the index.
namespace SX {

void SxInstallEffectHooks();
void SxRemoveEffectHooks();

}  // namespace SX

#pragma once
// The "PlayerSuperTrail" script class, through which the player's script re-emits the super
// trail's motes, and the method-less "VertexData" class of the handles it hands out.
namespace SD {
struct ScriptClass;
}

namespace Aperture::Photon {

const SD::ScriptClass& PlayerSuperTrailScriptClass();
const SD::ScriptClass& VertexDataScriptClass();

}  // namespace Aperture::Photon

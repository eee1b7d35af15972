#include "game/components/ShaderWind.h"

#include "core/MessageIds.h"
#include "core/MessageSystem.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "game/components/Wind.h"
#include "graphics/components/Geometry.h"

namespace QV {

ShaderWind::~ShaderWind() {
    if (!listening_) return;
    if (SD::Message_System* messages = SD::Message_System::GetInstance())
        messages->RemoveHandlersOf28(listenIndex_, this);
}

void ShaderWind::VSerialize(SD::IStream& stream, int) { stream.Serialize(temp_, "Temp", "Float"); }

void ShaderWind::VInitialize(bool) {
    SD::GameObject* owner = GetOwner();
    SD::Message_System* messages = SD::Message_System::GetInstance();
    if (!owner || !messages || listening_) return;
    listenIndex_ = owner->GetHandle().GetIndex();
    messages->RegisterObjectHandler(SD::MessageIds::WindMessage, listenIndex_, this, &ShaderWind::OnWind);
    listening_ = true;
}

void ShaderWind::OnWind(SD::IMessage* message) {
    auto* wind = static_cast<WindMessage*>(message);
    // The message names the object the wind touched; one for another object is not ours.
    if (!GetOwner() || wind->GetTarget() != GetOwner()->GetHandle() || !wind->GetWind()) return;
    if (auto* geometry = static_cast<Aperture::Geometry*>(GetOwner()->GetComponent(SD::CID_Geometry)))
        geometry->SetWind(wind->GetWind()->GetDirection(), kStrengthScale * wind->GetWind()->GetStrength());
}

}  // namespace QV

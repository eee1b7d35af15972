#pragma once
// The base of the world logic components that scripts and the level editor reach through their
// getters and setters: it gives the component its kind's number and hands out Kind's bound
// description, so each kind writes only its data, its updates and its list of accessors.
#include "core/RTTI.h"
#include "engine/ComponentID.h"
#include "engine/UpdateComponent.h"

namespace QV {

template <typename Kind, SD::ComponentID kID>
class ReflectedLogic : public SD::IUpdateComponent, public RTTIUser<Kind> {
public:
    ReflectedLogic() { SetID(kID); }
    SD::ComponentID VGetID() const override { return kID; }
    IRTTIUser::ClassInfo GetBoundClassInfo() override { return this->BindClassInfo(static_cast<Kind*>(this)); }
};

}  // namespace QV

#pragma once
// Names its game object from data: the name is the component's only field and becomes the
// object's name in the factory's name map when the component is initialised, so that code and
// scripts can find the object by it.
#include <string>

#include "core/RTTI.h"
#include "engine/Component.h"

class Name : public SD::Component, public RTTIUser<Name> {
public:
    Name() { SetID(SD::kNameID); }

    SD::ComponentID VGetID() const override { return SD::kNameID; }
    int VGetVersion() const override { return 0; }
    void VSerialize(SD::IStream& stream, int version) override;
    void VInitialize(bool fromScript) override;
    void VRegister() override {}
    void VUnregister() override {}
    void RegisterFunctions() override;
    ClassInfo GetBoundClassInfo() override { return BindClassInfo(this); }

    const std::string& GetName() const { return name_; }
    // Only the field: the object keeps its registered name until the next initialisation.
    void SetName(const std::string& name) { name_ = name; }

private:
    std::string name_;
};

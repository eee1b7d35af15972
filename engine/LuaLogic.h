#pragma once
// A component whose per-frame work runs on the script side: while registered, its object's
// handle sits in the script table ActiveLuaGameObjects.objects with its update function, and
// the Lua component manager updates that table once a frame.
#include <string>

#include "engine/Component.h"
#include "engine/GameObjectHandle.h"

namespace SD {

class LuaLogic : public Component {
public:
    // A reference number that names no entry of the script table.
    static constexpr int kNoReference = -2;

    // Leaves the script table when destroyed while still registered.
    ~LuaLogic() override;

    ComponentID VGetID() const override { return CID_LuaLogic; }
    int VGetVersion() const override { return 1; }
    // Version 0 holds the update function only (the initialise function becomes "nil"),
    // version 1 the initialise and then the update function.
    void VReadData(Data::IDataStream& stream, int version) override;
    void VWriteData(Data::IDataStream& stream) override;
    // "Initialize Function" and "Update Function" as "String" values.
    void VWriteSuperial(SuperialValue* node, int flags) override;
    // By name, or by position (initialise first) when `byName` is false.
    void VReadSuperial(SuperialValue* node, bool byName) override;
    void VInitialize(bool fromScript) override;
    void VSerialize(IStream& stream, int version) override;
    void VRegister() override;
    void VUnregister() override;
    // Calls the update function with the object and the frame time.
    virtual void VUpdate(float dt);

    std::string& InitializeFunction() { return initializeFunction_; }
    std::string& UpdateFunction() { return updateFunction_; }
    const GameObjectHandle& GetObjectHandle() const { return handle_; }
    int GetReference() const { return reference_; }
    void SetReference(int reference) { reference_ = reference; }

    // Frame time handed to the update functions of Lua logics so far.
    static double GetScriptTime();

private:
    GameObjectHandle handle_;
    std::string initializeFunction_;
    std::string updateFunction_;
    int reference_ = kNoReference;
};

}  // namespace SD

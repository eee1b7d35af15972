#pragma once
// The base of every component a game object carries. It keeps the owner, the handle block
// shared by the components of one class on one object, the links of the serving system's list
// and the activation state that decides, with the play state and sleep, when the component
// is registered with that system.
#include <cstddef>
#include <cstdint>

#include "engine/ComponentID.h"
#include "engine/IntrusiveList.h"
#include "engine/PlayState.h"

namespace Data {
class IDataStream;
}

namespace SD {

class GameObject;
class IStream;
class SuperialValue;
class IFieldVisitor;

class Component {
public:
    // Shared by every component of one chain: the oldest, the newest and how many share it.
    struct HandleBlock {
        Component* first;
        Component* current;
        uint32_t count;
    };

    enum Activity : uint32_t { kActive = 0, kInactive = 1, kNeverStarted = 2 };

    Component() { listLink_.element = this; }
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    // Components come from a pool of their own, so the components of one size made one after
    // another lie together in memory and the per-frame passes over them stream.
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size);

    virtual ComponentID VGetID() const = 0;
    virtual int VGetVersion() const = 0;
    // Whether VSerialize reads data stored with `version`. Data of another version is reported
    // once by file and read as VGetVersion().
    virtual bool VReadsVersion(int version) const { return version >= 0 && version <= VGetVersion(); }
    virtual void VReadData(Data::IDataStream& stream, int mode);
    virtual void VWriteData(Data::IDataStream& stream);
    virtual void VWriteSuperial(SuperialValue* node, int flags);
    virtual void VReadSuperial(SuperialValue* node, bool byName);
    // Writes every field through a level-layer save stream on `out`.
    virtual void VSaveToLevelLayerFile(SuperialValue* out, SuperialValue* blueprintComponent);
    virtual void VVisitFields(IFieldVisitor& visitor);
    // Releases the handle block.
    virtual ~Component();
    virtual void VInitialize(bool fromScript);
    virtual void VSerialize(IStream& stream, int version);
    virtual void VRegister() = 0;
    virtual void VUnregister() = 0;
    virtual void VOnSleep();
    virtual void VOnAwake();

    // Handle chains.
    void CreateHandle();
    void ShareHandle(Component* other);
    const HandleBlock* GetHandle() const { return handle_; }
    Component* GetNext() const { return next_; }

    // For every component of the chain (this one alone without a block): owner copied, then
    // VInitialize.
    void Initialize(bool fromScript);
    // Activates and registers every component of the chain unless it sleeps outside DevPause.
    void Start();
    void ApplyPlayState(uint32_t state);
    void ApplyPlayStateToChain(uint32_t state);
    void Sleep();
    void Awake();

    // The component of this class on the owner's parent object.
    Component* GetParentComponent() const;

    // The header every component is read and written with: a group tagged `name` carrying
    // "version", "Play", "Pause", "DevPause", then the class's own fields.
    void SerializeWithHeader(IStream& stream, const char* name);

    GameObject* GetOwner() const { return owner_; }
    void SetOwner(GameObject* owner) { owner_ = owner; }
    ComponentID GetID() const { return id_; }
    void SetID(ComponentID id) { id_ = id; }
    uint32_t GetPlayState() const { return playState_; }
    // Whether the component is active in play state 0, 1 or 2 ("Play", "Pause", "DevPause").
    bool IsActiveIn(uint32_t state) const;
    void SetActiveIn(uint32_t state, bool active);
    bool IsRegistered() const { return registered_; }
    Activity GetActivity() const { return activity_; }
    bool IsAsleep() const { return asleep_; }

    IntrusiveLink<Component> listLink_;

private:
    void Deactivate();
    void Reactivate();
    void Reevaluate();
    void ReleaseHandle();

    GameObject* owner_ = nullptr;
    Component* next_ = nullptr;
    HandleBlock* handle_ = nullptr;
    uint32_t playState_ = kPlayStatePlay;
    bool play_ = true;
    bool pause_ = true;
    bool devPause_ = true;
    bool registered_ = false;
    Activity activity_ = kNeverStarted;
    bool asleep_ = false;
    ComponentID id_ = kUnsetComponentID;
};

// The system's list of its registered components.
using ComponentList = IntrusiveList<Component, &Component::listLink_>;

}  // namespace SD

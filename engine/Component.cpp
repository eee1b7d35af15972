#include "engine/Component.h"

#include "core/SizeClassPool.h"
#include "engine/GameObject.h"

namespace SD {

namespace {
// Never destroyed: components may be deleted by other objects' exit-time destructors.
SizeClassPool& ComponentStorage() {
    static SizeClassPool* pool = new SizeClassPool;
    return *pool;
}
}  // namespace

void* Component::operator new(std::size_t size) { return ComponentStorage().Allocate(size); }

void Component::operator delete(void* block, std::size_t size) { ComponentStorage().Free(block, size); }

void Component::VReadData(Data::IDataStream&, int) {}
void Component::VWriteData(Data::IDataStream&) {}
void Component::VWriteSuperial(SuperialValue*, int) {}
void Component::VReadSuperial(SuperialValue*, bool) {}
void Component::VVisitFields(IFieldVisitor&) {}
void Component::VInitialize(bool) {}
void Component::VSerialize(IStream&, int) {}
void Component::VOnSleep() {}
void Component::VOnAwake() {}

Component::~Component() { ReleaseHandle(); }

void Component::CreateHandle() {
    ReleaseHandle();
    handle_ = new HandleBlock{this, this, 1};
}

void Component::ShareHandle(Component* other) {
    ReleaseHandle();
    handle_ = other->handle_;
    if (!handle_) return;
    ++handle_->count;
    handle_->current->next_ = this;
    handle_->current = this;
}

void Component::ReleaseHandle() {
    HandleBlock* block = handle_;
    if (!block) return;
    handle_ = nullptr;
    if (block->first == this) {
        block->first = next_;
        if (block->current == this) block->current = next_;
    } else {
        Component* before = block->first;
        while (before && before->next_ != this) before = before->next_;
        if (before) {
            before->next_ = next_;
            if (block->current == this) block->current = before;
        }
    }
    next_ = nullptr;
    if (--block->count == 0) delete block;
}

void Component::Initialize(bool fromScript) {
    if (!handle_) {
        VInitialize(fromScript);
        return;
    }
    for (Component* c = handle_->first; c; c = c->next_) {
        c->owner_ = owner_;
        c->VInitialize(fromScript);
    }
}

void Component::Start() {
    Component* c = handle_ ? handle_->first : this;
    for (; c; c = c->next_) {
        c->activity_ = kInactive;
        if (c->asleep_ && c->playState_ != kPlayStateDevPause) continue;
        c->activity_ = kActive;
        if (!c->registered_) {
            c->VRegister();
            c->registered_ = true;
        }
    }
}

void Component::Deactivate() {
    if (activity_ != kActive) return;
    activity_ = kInactive;
    if (registered_) {
        VUnregister();
        registered_ = false;
    }
}

void Component::Reactivate() {
    if (activity_ != kInactive) return;
    activity_ = kActive;
    if (!registered_) {
        VRegister();
        registered_ = true;
    }
}

void Component::Reevaluate() {
    if (asleep_ && playState_ != kPlayStateDevPause)
        Deactivate();
    else
        Reactivate();
}

bool Component::IsActiveIn(uint32_t state) const {
    switch (state) {
        case kPlayStatePlay:
            return play_;
        case kPlayStatePause:
            return pause_;
        case kPlayStateDevPause:
            return devPause_;
        default:
            return false;
    }
}

void Component::SetActiveIn(uint32_t state, bool active) {
    switch (state) {
        case kPlayStatePlay:
            play_ = active;
            break;
        case kPlayStatePause:
            pause_ = active;
            break;
        case kPlayStateDevPause:
            devPause_ = active;
            break;
        default:
            break;
    }
}

void Component::ApplyPlayState(uint32_t state) {
    playState_ = state;
    if (state > kPlayStateDevPause) return;
    if (IsActiveIn(state))
        Reevaluate();
    else
        Deactivate();
}

void Component::ApplyPlayStateToChain(uint32_t state) {
    if (!handle_) {
        ApplyPlayState(state);
        return;
    }
    for (Component* c = handle_->first; c; c = c->next_) c->ApplyPlayState(state);
}

void Component::Sleep() {
    if (asleep_) return;
    asleep_ = true;
    Deactivate();
    VOnSleep();
}

void Component::Awake() {
    if (!asleep_) return;
    asleep_ = false;
    ApplyPlayState(playState_);
    VOnAwake();
}

Component* Component::GetParentComponent() const {
    if (!owner_ || !owner_->GetParent()) return nullptr;
    return owner_->GetParent()->GetComponent(id_);
}

}  // namespace SD

#include "engine/GameObject.h"

#include <algorithm>

#include "core/SizeClassPool.h"
#include "engine/Factory.h"
#include "engine/PlayStateQuery.h"

namespace SD {

namespace {
uint32_t g_nextObjectId = 1;

template <class Fn>
void ForEachInChain(Component* head, Fn&& fn) {
    const Component::HandleBlock* block = head->GetHandle();
    for (Component* c = block ? block->first : head; c; c = c->GetNext()) fn(c);
}

// Never destroyed: objects may be deleted by other objects' exit-time destructors.
SizeClassPool& ObjectStorage() {
    static SizeClassPool* pool = new SizeClassPool;
    return *pool;
}
}  // namespace

void* GameObject::operator new(std::size_t size) { return ObjectStorage().Allocate(size); }

void GameObject::operator delete(void* block, std::size_t size) { ObjectStorage().Free(block, size); }

GameObject::GameObject() : objectId_(g_nextObjectId++) {}

GameObject::~GameObject() {
    ClearName();
    if (transform_.IsRegistered()) transform_.VUnregister();
    Factory_* factory = Factory_::GetInstance();
    for (Component* head : components_) {
        std::vector<Component*> chain;
        ForEachInChain(head, [&chain](Component* c) { chain.push_back(c); });
        for (Component* c : chain) {
            if (c->IsRegistered()) c->VUnregister();
            if (factory)
                factory->DestroyComponent(c);
            else
                delete c;
        }
    }
    components_.clear();
    // Children still attached (never destroyed through the factory) are left to the pool;
    // they only lose their link to this object.
    while (GameObject* child = children_.First()) {
        children_.Remove(child);
        child->parent_ = nullptr;
        child->transform_.ForgetFrameRole();
    }
    if (parent_) {
        parent_->children_.Remove(this);
        parent_->transform_.ForgetFrameRole();
    }
}

Component* GameObject::GetComponent(ComponentID id) {
    if (id == CID_Transform) return &transform_;
    for (Component* c : components_)
        if (c->GetID() == id) return c;
    return nullptr;
}

Component* GameObject::AddComponent(ComponentID id) {
    if (id == CID_Transform) return &transform_;
    Factory_* factory = Factory_::GetInstance();
    Component* component = factory ? factory->CreateComponent(id) : nullptr;
    if (!component) return nullptr;
    if (Component* existing = GetComponent(id)) {
        component->ShareHandle(existing);
    } else {
        component->CreateHandle();
        components_.push_back(component);
    }
    return component;
}

void GameObject::RemoveComponent(Component* component) {
    auto it = std::find(components_.begin(), components_.end(), component);
    if (it == components_.end()) return;
    // The next member of its chain, if any, takes its place so the rest stay reachable.
    if (Component* successor = component->GetNext())
        *it = successor;
    else
        components_.erase(it);
    if (component->IsRegistered()) component->VUnregister();
    if (Factory_* factory = Factory_::GetInstance())
        factory->DestroyComponent(component);
    else
        delete component;
}

void GameObject::AttachChild(GameObject* child) {
    if (!child || child == this) return;
    // Its links serve one list at a time: it leaves its previous parent first.
    if (child->parent_) {
        child->parent_->children_.Remove(child);
        child->parent_->transform_.ForgetFrameRole();
    }
    child->parent_ = this;
    children_.PushBack(child);
    child->transform_.ForgetFrameRole();
    transform_.ForgetFrameRole();
}

void GameObject::Initialize(bool fromScript) {
    if (transform_.GetOwner()) return;
    state_ = kCreated;
    transform_.SetOwner(this);
    transform_.Initialize(fromScript);
    // By index: a component may add others to its object while it initialises or starts.
    for (size_t i = 0; i < components_.size(); ++i) {
        components_[i]->SetOwner(this);
        components_[i]->Initialize(fromScript);
    }
    transform_.Start();
    for (size_t i = 0; i < components_.size(); ++i) components_[i]->Start();
    children_.ForEach([fromScript](GameObject* child) { child->Initialize(fromScript); });
    const uint32_t remembered = state_;
    state_ = kInitialized;
    if (remembered == kSleepRequested) Sleep();
    ChangeActiveState(GetCurrentPlayState());
}

void GameObject::Sleep() {
    if (state_ == kCreated) {
        state_ = kSleepRequested;
        return;
    }
    if (state_ == kSleepRequested || asleep_) return;
    children_.ForEach([](GameObject* child) { child->Sleep(); });
    transform_.Sleep();
    for (Component* head : components_) ForEachInChain(head, [](Component* c) { c->Sleep(); });
    asleep_ = true;
}

void GameObject::Awake() {
    if (!asleep_) return;
    transform_.Awake();
    for (Component* head : components_) ForEachInChain(head, [](Component* c) { c->Awake(); });
    children_.ForEach([](GameObject* child) { child->Awake(); });
    asleep_ = false;
}

void GameObject::ChangeActiveState(uint32_t playState) {
    playState_ = playState;
    transform_.ApplyPlayState(playState);
    for (Component* c : components_) c->ApplyPlayStateToChain(playState);
}

void GameObject::NameObject(const std::string& name) {
    Factory_* factory = Factory_::GetInstance();
    if (!factory) return;
    if (!name_.empty()) factory->RemoveGameObjectName(name_);
    name_ = name;
    factory->AssignGameObjectName(name, this);
}

void GameObject::UnnameObject() { ClearName(); }

void GameObject::ClearName() {
    if (name_.empty()) return;
    if (Factory_* factory = Factory_::GetInstance()) factory->RemoveGameObjectName(name_);
    name_.clear();
}

void GameObject::Destroy() {
    if (Factory_* factory = Factory_::GetInstance()) factory->DestroyGameObject(this);
}

void GameObject::DestroyEntity() {
    GameObject* root = this;
    while (root->parent_) root = root->parent_;
    root->Destroy();
}

void GameObject::DestroyChildren() {
    Factory_* factory = Factory_::GetInstance();
    while (GameObject* child = children_.First()) {
        children_.Remove(child);
        if (factory) factory->DestroyGameObject(child);
        child->parent_ = nullptr;
        child->transform_.ForgetFrameRole();
    }
    transform_.ForgetFrameRole();
}

void GameObject::UpdateBlueprints() {
    if (Factory_* factory = Factory_::GetInstance()) factory->UpdateBlueprint(blueprintName_.c_str());
    children_.ForEach([](GameObject* child) { child->UpdateBlueprints(); });
}

}  // namespace SD

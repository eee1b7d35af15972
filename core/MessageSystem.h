#pragma once
// The engine's event bus. Handlers (member functions taking an IMessage*) are registered per
// message type id, optionally also under one game object's slot index. A message is
// delivered at once to the handlers of its type, or kept and delivered once the engine clock
// reaches its due time (the clock runs on through a pause).
#include <cstdint>
#include <map>
#include <memory>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/Delegate.h"
#include "core/Message.h"
#include "core/Singleton.h"
#include "core/System.h"

namespace SD {

class Message_System : public ISystem {
public:
    // A queued delivery, due at a time of the engine clock.
    class Event {
    public:
        explicit Event(float dueTime) : dueTime_(dueTime) {}
        virtual ~Event() = default;
        virtual void Fire() = 0;
        float GetDueTime() const { return dueTime_; }

    private:
        float dueTime_;
    };

    // Keeps a copy of a message of type T and broadcasts it when fired.
    template <class T> class MsgType_Event : public Event {
    public:
        MsgType_Event(const T& message, float dueTime) : Event(dueTime), message_(message) {}
        void Fire() override { Message_System::GetInstance()->SendMessage(message_); }

    private:
        T message_;
    };

    // Created on first use; an exit-time destroyer deletes it.
    static Message_System* GetInstance();
    // Deletes the instance (the next GetInstance makes a fresh one); for the exit and tests.
    static void DestroyInstance();

    ~Message_System() override;
    Message_System(const Message_System&) = delete;
    Message_System& operator=(const Message_System&) = delete;

    const char* GetName() const override { return "MessageSystem"; }
    void Initialize() override;
    // Delivers every queued message whose due time has come, earliest first.
    void Update(float dt) override;

    // Every handler of the message's type, in registration order. A handler added during the
    // delivery is called in it; one removed during it is not called afterwards.
    void SendMessage(IMessage& message);
    // Only the handlers registered under the object for the message's type.
    void SendMessageToObject(uint32_t objectIndex, IMessage& message);
    template <class Handle, class = decltype(std::declval<const Handle&>().GetIndex())>
    void SendMessageToObject(const Handle& handle, IMessage& message) {
        SendMessageToObject(static_cast<uint32_t>(handle.GetIndex()), message);
    }

    // A delay of 0 sends at once; otherwise a copy is delivered by the first Update at or
    // after engine clock + delay.
    template <class T> void PostMessage(const T& message, float delay) {
        static_assert(std::is_base_of_v<IMessage, T>, "only messages can be posted");
        RefreshClock();
        if (delay == 0.0f) {
            T copy(message);
            SendMessage(copy);
            return;
        }
        PushEvent(std::make_unique<MsgType_Event<T>>(message, clock_ + delay));
    }

    template <class T> void RegisterHandler(int type, T* object, void (T::*method)(IMessage*)) {
        Append(handlers_[type], object, method);
    }
    // As RegisterHandler, and a second handler under the object for SendMessageToObject.
    template <class T>
    void RegisterObjectHandler(int type, uint32_t objectIndex, T* object, void (T::*method)(IMessage*)) {
        RegisterHandler(type, object, method);
        Append(objectHandlers_[objectIndex][type], object, method);
    }
    template <class Handle, class T, class = decltype(std::declval<const Handle&>().GetIndex())>
    void RegisterObjectHandler(int type, const Handle& handle, T* object, void (T::*method)(IMessage*)) {
        RegisterObjectHandler(type, static_cast<uint32_t>(handle.GetIndex()), object, method);
    }

    // Removes the first handler of the type bound to the object.
    template <class T> void RemoveHandlerOf(int type, T* object) {
        RemoveFirst(handlers_[type], static_cast<void*>(object));
    }
    // Removes the first handler of the type bound to the object under the object's index.
    template <class T> void RemoveObjectHandlerOf(int type, uint32_t objectIndex, T* object) {
        RemoveFirst(objectHandlers_[objectIndex][type], static_cast<void*>(object));
    }
    template <class Handle, class T, class = decltype(std::declval<const Handle&>().GetIndex())>
    void RemoveObjectHandlerOf(int type, const Handle& handle, T* object) {
        RemoveObjectHandlerOf(type, static_cast<uint32_t>(handle.GetIndex()), object);
    }

    // The engine clock as last read (at Initialize, a post, or an Update with work queued).
    float GetClock() const { return clock_; }
    size_t QueuedCount() const { return queue_.size(); }

private:
    struct HandlerSlot {
        std::unique_ptr<MFCore::BoundFunction> delegate;
        bool removed = false;
    };
    // Removal during a delivery only marks the slot, so that indices stay put and the running
    // delegate stays alive; marked slots go once no delivery of the list is running.
    struct HandlerList {
        std::vector<HandlerSlot> slots;
        int deliveries = 0;
        bool hasRemoved = false;
    };
    using HandlerTable = std::unordered_map<int, HandlerList>;

    friend class Singleton<Message_System>;
    Message_System();

    template <class T> static void Append(HandlerList& list, T* object, void (T::*method)(IMessage*)) {
        list.slots.push_back(
            HandlerSlot{std::make_unique<MFCore::Delegate_1Parameters<void, T, IMessage*>>(object, method)});
    }
    static void RemoveFirst(HandlerList& list, void* object);
    static void Deliver(HandlerList& list, IMessage& message);
    void RefreshClock();
    void PushEvent(std::unique_ptr<Event> event);
    std::unique_ptr<Event> PopEvent();

    float clock_ = 0.0f;
    HandlerTable handlers_;
    std::map<uint32_t, HandlerTable> objectHandlers_;
    std::vector<std::unique_ptr<Event>> queue_;  // binary min-heap on due time
};

}  // namespace SD

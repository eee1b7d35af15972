#pragma once
// The engine's event bus. Handlers (member functions taking an IMessage*) are registered per
// message type id, optionally also under one game object's slot index. A message is
// delivered at once to the handlers of its type, or kept and delivered once the engine clock
// reaches its due time (the clock runs on through a pause).
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/Delegate.h"
#include "core/Message.h"
#include "core/MessageIds.h"
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

        // Events come and go with every post and delivery: their storage is recycled.
        static void* operator new(std::size_t size);
        static void operator delete(void* block, std::size_t size);

    private:
        float dueTime_;
    };

    // Keeps a copy of a message of type T and broadcasts it when fired.
    template <class T>
    class MsgType_Event : public Event {
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
    void SendMessage(IMessage& message) { Deliver(ListFor(message.GetType()), message); }
    // Only the handlers registered under the object for the message's type.
    void SendMessageToObject(uint32_t objectIndex, IMessage& message);
    template <class Handle, class = decltype(std::declval<const Handle&>().GetIndex())>
    void SendMessageToObject(const Handle& handle, IMessage& message) {
        SendMessageToObject(static_cast<uint32_t>(handle.GetIndex()), message);
    }

    // A delay of 0 sends at once; otherwise a copy is delivered by the first Update at or
    // after engine clock + delay.
    template <class T>
    void PostMessage(const T& message, float delay) {
        static_assert(std::is_base_of_v<IMessage, T>, "only messages can be posted");
        RefreshClock();
        if (delay == 0.0f) {
            T copy(message);
            SendMessage(copy);
            return;
        }
        PushEvent(new MsgType_Event<T>(message, clock_ + delay));
    }

    template <class T>
    void RegisterHandler(int type, T* object, void (T::*method)(IMessage*)) {
        Append(ListFor(type), object, method);
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
    template <class T>
    void RemoveHandlerOf(int type, T* object) {
        RemoveFirst(ListFor(type), static_cast<void*>(object));
    }
    // Removes the first handler of the type bound to the object under the object's index.
    template <class T>
    void RemoveObjectHandlerOf(int type, uint32_t objectIndex, T* object) {
        RemoveFirst(objectHandlers_[objectIndex][type], static_cast<void*>(object));
    }
    template <class Handle, class T, class = decltype(std::declval<const Handle&>().GetIndex())>
    void RemoveObjectHandlerOf(int type, const Handle& handle, T* object) {
        RemoveObjectHandlerOf(type, static_cast<uint32_t>(handle.GetIndex()), object);
    }

    // Removes every wind-message handler bound to the object: from the global list, then from
    // the list under the object's index. Components that subscribe to the wind in both call it
    // when they go; one that never subscribed changes nothing.
    template <class T>
    void RemoveHandlersOf28(uint32_t objectIndex, T* object) {
        RemoveEveryHandlerOf(MessageIds::WindMessage, objectIndex, static_cast<void*>(object));
    }
    template <class Handle, class T, class = decltype(std::declval<const Handle&>().GetIndex())>
    void RemoveHandlersOf28(const Handle& handle, T* object) {
        RemoveHandlersOf28(static_cast<uint32_t>(handle.GetIndex()), object);
    }

    // The engine clock as last read (at Initialize, a post, or an Update with work queued).
    float GetClock() const { return clock_; }
    size_t QueuedCount() const { return queue_.size(); }

private:
    // The slot owns the delegate; `call` is a call through it typed for its class, so a
    // delivery builds no argument list.
    struct HandlerSlot {
        std::unique_ptr<MFCore::BoundFunction> delegate;
        void (*call)(MFCore::BoundFunction* delegate, IMessage* message);
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
    // The ids in use are small: their lists sit in a fixed table, the others in a hash map.
    // Neither moves a list once made, so a delivery may hold on to its list.
    static constexpr int kDirectTypes = 64;

    friend class Singleton<Message_System>;
    Message_System();

    template <class T>
    static void CallAs(MFCore::BoundFunction* delegate, IMessage* message) {
        static_cast<MFCore::Delegate_1Parameters<void, T, IMessage*>*>(delegate)->Call(message);
    }
    template <class T>
    static void Append(HandlerList& list, T* object, void (T::*method)(IMessage*)) {
        list.slots.push_back(HandlerSlot{
            std::make_unique<MFCore::Delegate_1Parameters<void, T, IMessage*>>(object, method), &CallAs<T>});
    }
    HandlerList& ListFor(int type) {
        return static_cast<unsigned>(type) < static_cast<unsigned>(kDirectTypes) ? directHandlers_[type]
                                                                                 : OtherList(type);
    }
    HandlerList& OtherList(int type);
    static void RemoveFirst(HandlerList& list, void* object);
    static void RemoveEvery(HandlerList& list, void* object);
    void RemoveEveryHandlerOf(int type, uint32_t objectIndex, void* object);
    // Inline, so that a send to a short list costs little more than the calls themselves.
    static void Deliver(HandlerList& list, IMessage& message) {
        // Each handler gets this delivery's message itself, so a nested send cannot change what
        // the remaining handlers of this one receive.
        struct DeliveryScope {
            HandlerList& list;
            explicit DeliveryScope(HandlerList& l) : list(l) { ++list.deliveries; }
            ~DeliveryScope() {
                if (--list.deliveries == 0 && list.hasRemoved) DropRemoved(list);
            }
        } scope(list);
        // The length is read at every step: handlers appended meanwhile are called too.
        for (size_t i = 0; i < list.slots.size(); ++i) {
            const HandlerSlot& slot = list.slots[i];
            if (slot.removed) continue;
            slot.call(slot.delegate.get(), &message);
        }
    }
    // Takes out the slots marked during deliveries, once none runs.
    static void DropRemoved(HandlerList& list);
    void RefreshClock();
    // The queue takes the event over; the event taken off is the caller's.
    void PushEvent(Event* event);
    Event* PopEvent();
    // Frees every queued delivery unsent and empties the queue.
    void DropQueued();

    float clock_ = 0.0f;
    HandlerList directHandlers_[kDirectTypes];
    HandlerTable handlers_;
    std::map<uint32_t, HandlerTable> objectHandlers_;
    // An entry of the delayed queue keeps its event's due time beside it, so that ordering the
    // heap reads no event; entries are plain values, moved by copying, and the queue owns the
    // events they point to.
    struct Queued {
        float dueTime;
        Event* event;
    };
    std::vector<Queued> queue_;  // binary min-heap on due time
};

}  // namespace SD

#include "core/MessageSystem.h"

#include <algorithm>

#include "core/EngineCore.h"
#include "core/LogInWindowMessage.h"
#include "core/Logger.h"
#include "core/Singleton.h"

namespace SD {
namespace {

}  // namespace

Message_System* Message_System::GetInstance() { return Singleton<Message_System>::Get(); }

void Message_System::DestroyInstance() { Singleton<Message_System>::Destroy(); }

Message_System::Message_System() { Debug::SetWindowLogHook(&BroadcastLogInWindow); }

Message_System::~Message_System() { Debug::SetWindowLogHook(nullptr); }

void Message_System::Initialize() { RefreshClock(); }

void Message_System::RefreshClock() { clock_ = static_cast<float>(Core::GetTime()); }

void Message_System::Update(float) {
    if (queue_.empty()) return;
    RefreshClock();
    while (!queue_.empty() && !(queue_.front()->GetDueTime() > clock_)) PopEvent()->Fire();
}

void Message_System::SendMessage(IMessage& message) { Deliver(handlers_[message.GetType()], message); }

void Message_System::SendMessageToObject(uint32_t objectIndex, IMessage& message) {
    Deliver(objectHandlers_[objectIndex][message.GetType()], message);
}

void Message_System::Deliver(HandlerList& list, IMessage& message) {
    // Each delivery has its own arguments, so a nested send cannot change what the remaining
    // handlers of this one receive.
    std::vector<MFCore::Any> args;
    args.emplace_back(&message);
    struct DeliveryScope {
        HandlerList& list;
        explicit DeliveryScope(HandlerList& l) : list(l) { ++list.deliveries; }
        ~DeliveryScope() {
            if (--list.deliveries > 0 || !list.hasRemoved) return;
            list.slots.erase(std::remove_if(list.slots.begin(), list.slots.end(),
                                            [](const HandlerSlot& slot) { return slot.removed; }),
                             list.slots.end());
            list.hasRemoved = false;
        }
    } scope(list);
    // The length is read at every step: handlers appended meanwhile are called too.
    for (size_t i = 0; i < list.slots.size(); ++i) {
        if (list.slots[i].removed) continue;
        MFCore::BoundFunction* delegate = list.slots[i].delegate.get();
        delegate->Invoke(args);
    }
}

void Message_System::RemoveFirst(HandlerList& list, void* object) {
    auto it = std::find_if(list.slots.begin(), list.slots.end(), [object](const HandlerSlot& slot) {
        return !slot.removed && slot.delegate->GetObject() == object;
    });
    if (it == list.slots.end()) return;
    if (list.deliveries > 0) {
        it->removed = true;
        list.hasRemoved = true;
    } else {
        list.slots.erase(it);
    }
}

// Push sifts up while the parent is due later.
void Message_System::PushEvent(std::unique_ptr<Event> event) {
    queue_.push_back(std::move(event));
    size_t i = queue_.size() - 1;
    while (i > 0) {
        const size_t parent = (i - 1) / 2;
        if (!(queue_[parent]->GetDueTime() > queue_[i]->GetDueTime())) break;
        std::swap(queue_[parent], queue_[i]);
        i = parent;
    }
}

// Taking the top moves the last event into the hole and sifts it down, preferring the right
// child unless it is due later than the left one.
std::unique_ptr<Message_System::Event> Message_System::PopEvent() {
    std::unique_ptr<Event> top = std::move(queue_.front());
    std::unique_ptr<Event> last = std::move(queue_.back());
    queue_.pop_back();
    if (queue_.empty()) return top;
    queue_.front() = std::move(last);
    const size_t n = queue_.size();
    size_t i = 0;
    for (;;) {
        const size_t left = 2 * i + 1;
        if (left >= n) break;
        const size_t right = left + 1;
        const size_t child =
            right < n && !(queue_[right]->GetDueTime() > queue_[left]->GetDueTime()) ? right : left;
        if (!(queue_[i]->GetDueTime() > queue_[child]->GetDueTime())) break;
        std::swap(queue_[i], queue_[child]);
        i = child;
    }
    return top;
}

}  // namespace SD

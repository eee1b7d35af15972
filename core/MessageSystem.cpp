#include "core/MessageSystem.h"

#include <algorithm>

#include "core/EngineCore.h"
#include "core/Singleton.h"

namespace SD {
namespace {

// Free lists of event storage by size in steps of 16 bytes; larger events use the heap as is.
// Events live on the main thread only, as the whole message system does.
constexpr std::size_t kEventGrain = 16;
constexpr std::size_t kEventClasses = 16;
struct FreeEventBlock {
    FreeEventBlock* next;
};
FreeEventBlock* freeEventBlocks[kEventClasses];

std::size_t EventClass(std::size_t size) { return (size + kEventGrain - 1) / kEventGrain - 1; }

}  // namespace

void* Message_System::Event::operator new(std::size_t size) {
    const std::size_t c = EventClass(size);
    if (c >= kEventClasses) return ::operator new(size);
    if (FreeEventBlock* block = freeEventBlocks[c]) {
        freeEventBlocks[c] = block->next;
        return block;
    }
    return ::operator new((c + 1) * kEventGrain);
}

void Message_System::Event::operator delete(void* block, std::size_t size) {
    const std::size_t c = EventClass(size);
    if (c >= kEventClasses) {
        ::operator delete(block);
        return;
    }
    auto* free = static_cast<FreeEventBlock*>(block);
    free->next = freeEventBlocks[c];
    freeEventBlocks[c] = free;
}

Message_System* Message_System::GetInstance() { return Singleton<Message_System>::Get(); }

void Message_System::DestroyInstance() { Singleton<Message_System>::Destroy(); }

Message_System::Message_System() = default;

Message_System::~Message_System() { DropQueued(); }

void Message_System::Initialize() {
    // The system outlives a run of the program: deliveries still queued when the run before
    // ended name that run's objects and go unsent.
    DropQueued();
    RefreshClock();
}

void Message_System::DropQueued() {
    for (const Queued& entry : queue_) delete entry.event;
    queue_.clear();
}

void Message_System::RefreshClock() { clock_ = static_cast<float>(Core::GetTime()); }

void Message_System::Update(float) {
    if (queue_.empty()) return;
    RefreshClock();
    while (!queue_.empty() && !(queue_.front().dueTime > clock_)) std::unique_ptr<Event>(PopEvent())->Fire();
}

Message_System::HandlerList& Message_System::OtherList(int type) { return handlers_[type]; }

void Message_System::SendMessageToObject(uint32_t objectIndex, IMessage& message) {
    Deliver(objectHandlers_[objectIndex][message.GetType()], message);
}

void Message_System::DropRemoved(HandlerList& list) {
    list.slots.erase(
        std::remove_if(list.slots.begin(), list.slots.end(), [](const HandlerSlot& slot) { return slot.removed; }),
        list.slots.end());
    list.hasRemoved = false;
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

void Message_System::RemoveEvery(HandlerList& list, void* object) {
    for (auto it = list.slots.begin(); it != list.slots.end();) {
        if (it->removed || it->delegate->GetObject() != object) {
            ++it;
        } else if (list.deliveries > 0) {
            it->removed = true;
            list.hasRemoved = true;
            ++it;
        } else {
            it = list.slots.erase(it);
        }
    }
}

void Message_System::RemoveEveryHandlerOf(int type, uint32_t objectIndex, void* object) {
    RemoveEvery(ListFor(type), object);
    // Looked up without inserting: an object that never subscribed leaves no empty table behind.
    auto perObject = objectHandlers_.find(objectIndex);
    if (perObject == objectHandlers_.end()) return;
    auto list = perObject->second.find(type);
    if (list != perObject->second.end()) RemoveEvery(list->second, object);
}

// Push sifts up while the parent is due later. Both directions carry a hole instead of
// swapping: entries move into it one step each, and the moving entry is written once at the end.
void Message_System::PushEvent(Event* event) {
    const Queued entry{event->GetDueTime(), event};
    queue_.push_back(entry);
    Queued* heap = queue_.data();
    size_t i = queue_.size() - 1;
    while (i > 0) {
        const size_t parent = (i - 1) / 2;
        if (!(heap[parent].dueTime > entry.dueTime)) break;
        heap[i] = heap[parent];
        i = parent;
    }
    heap[i] = entry;
}

// Taking the top moves the last event into the hole and sifts it down, preferring the right
// child unless it is due later than the left one.
Message_System::Event* Message_System::PopEvent() {
    Event* const top = queue_.front().event;
    const Queued last = queue_.back();
    queue_.pop_back();
    const size_t n = queue_.size();
    if (n == 0) return top;
    Queued* heap = queue_.data();
    size_t i = 0;
    // Nodes with two children; the choice between them is a sum, not a branch.
    for (size_t left = 1; left + 1 < n; left = 2 * i + 1) {
        const size_t child = left + static_cast<size_t>(!(heap[left + 1].dueTime > heap[left].dueTime));
        if (!(last.dueTime > heap[child].dueTime)) {
            heap[i] = last;
            return top;
        }
        heap[i] = heap[child];
        i = child;
    }
    // At most one node has a left child alone: the last one.
    const size_t left = 2 * i + 1;
    if (left < n && last.dueTime > heap[left].dueTime) {
        heap[i] = heap[left];
        i = left;
    }
    heap[i] = last;
    return top;
}

}  // namespace SD

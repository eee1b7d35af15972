#pragma once
// Where a lower layer finds the one implementation of an interface it declares and a higher
// layer implements (docs/seams.md). The first installer wins: while one implementation is
// installed another is refused, so a test that installs its double before start-up keeps it.
// Null empties the slot, and the lower layer falls back to its default.
#include <atomic>

namespace platform {

template <class Interface>
class SeamSlot {
public:
    // Installs `implementation` if the slot is empty (null empties it); returns whether
    // `implementation` is now the one installed.
    bool Install(Interface* implementation) {
        if (!implementation) {
            installed_.store(nullptr);
            return true;
        }
        Interface* expected = nullptr;
        return installed_.compare_exchange_strong(expected, implementation) || expected == implementation;
    }
    // Empties the slot only if `implementation` is the one installed: an owner leaving never
    // removes another's.
    void Remove(Interface* implementation) { installed_.compare_exchange_strong(implementation, nullptr); }
    Interface* Installed() const { return installed_.load(); }

private:
    // Installed on the main thread, read on any thread that calls through the seam.
    std::atomic<Interface*> installed_{nullptr};
};

}  // namespace platform

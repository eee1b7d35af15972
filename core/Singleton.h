#pragma once
// A process-wide object created on first use and deleted by an exit-time destroyer. Destroying
// it earlier (tests do) is allowed: the next use creates it afresh.
#include <cstdlib>

namespace SD {

template <class T>
class Singleton {
public:
    static T* Get() {
        if (!instance_) {
            instance_ = new T();
            static const bool registered = (std::atexit(&Destroy), true);
            (void)registered;
        }
        return instance_;
    }
    // The object if it exists; never creates it.
    static T* Peek() { return instance_; }
    static void Destroy() {
        delete instance_;
        instance_ = nullptr;
    }

private:
    static inline T* instance_ = nullptr;
};

}  // namespace SD

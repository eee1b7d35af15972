#pragma once
// The one mechanism by which a lower layer finds the implementation of an interface it declares
// and a higher layer supplies (docs/seams.md lists every seam). One rule for all of them: the
// first installer wins. While one implementation is installed another is refused with one log
// line naming the seam, so a test that installs its double before start-up keeps it and the
// program's own wiring cannot silently replace it. Null empties the seam (the lower layer falls
// back to its default); an owner that leaves removes only itself.
//
// `Interface` is an abstract class, or a function type for a seam that is one plain callback.
#include <atomic>

namespace platform {

// Writes the one line a refused installation leaves on standard error.
void ReportRefusedInstall(const char* seam);

template <class Interface>
class Seam {
public:
    // `name` is how the refusal line names the seam; it must outlive the seam (a literal).
    explicit constexpr Seam(const char* name) : name_(name) {}
    Seam(const Seam&) = delete;
    Seam& operator=(const Seam&) = delete;

    // Installs `implementation` if the seam is empty (null empties it); returns whether
    // `implementation` is now the one installed. Installing the one installed again is no change.
    bool Install(Interface* implementation) {
        if (!implementation) {
            installed_.store(nullptr);
            return true;
        }
        Interface* expected = nullptr;
        if (installed_.compare_exchange_strong(expected, implementation) || expected == implementation) return true;
        ReportRefusedInstall(name_);
        return false;
    }
    // Empties the seam only if `implementation` is the one installed.
    void Remove(Interface* implementation) { installed_.compare_exchange_strong(implementation, nullptr); }
    Interface* Installed() const { return installed_.load(); }

private:
    const char* name_;
    // Installed on the main thread, read on any thread that calls through the seam.
    std::atomic<Interface*> installed_{nullptr};
};

}  // namespace platform

#include "platform/crash/FaultHandler.h"

#include <execinfo.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace platform::crash {
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kSignalCount = sizeof(kFatalSignals) / sizeof(kFatalSignals[0]);
constexpr int kMaxFrames = 64;

FaultFilter g_filter = nullptr;
struct sigaction g_previous[kSignalCount];
bool g_installed = false;
volatile sig_atomic_t g_handling = 0;
thread_local void* t_faultStack = nullptr;

// A fixed buffer that text and numbers are appended to without allocating.
class Line {
public:
    void Text(const char* text) {
        while (*text && length_ < sizeof(buffer_)) buffer_[length_++] = *text++;
    }
    void Decimal(long value) {
        char digits[24];
        int n = 0;
        unsigned long v = value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
        do digits[n++] = char('0' + v % 10);
        while ((v /= 10) != 0);
        if (value < 0) digits[n++] = '-';
        while (n > 0 && length_ < sizeof(buffer_)) buffer_[length_++] = digits[--n];
    }
    void Hex(uintptr_t value) {
        Text("0x");
        char digits[2 * sizeof(uintptr_t)];
        int n = 0;
        do digits[n++] = "0123456789abcdef"[value & 15];
        while ((value >>= 4) != 0);
        while (n > 0 && length_ < sizeof(buffer_)) buffer_[length_++] = digits[--n];
    }
    bool WriteTo(int fd) const {
        size_t done = 0;
        while (done < length_) {
            ssize_t n = write(fd, buffer_ + done, length_ - done);
            if (n <= 0) return false;
            done += size_t(n);
        }
        return true;
    }

private:
    char buffer_[256];
    size_t length_ = 0;
};

void OnFatalSignal(int signal, siginfo_t* info, void*) {
    // A fault inside the filter goes straight to the default action.
    if (!g_handling && g_filter) {
        g_handling = 1;
        FaultInfo fault;
        fault.signal = signal;
        fault.code = info ? info->si_code : 0;
        fault.address = info ? info->si_addr : nullptr;
        g_filter(fault);
    }
    // The re-raised signal stays blocked until this handler returns, then kills the process.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    raise(signal);
}

}  // namespace

bool InstallFaultFilter(FaultFilter filter) {
    // The first backtrace loads the unwinder, which allocates: do it now, not in a handler.
    void* frames[1];
    backtrace(frames, 1);
    if (g_installed) RemoveFaultFilter();
    g_filter = filter;
    g_handling = 0;
    struct sigaction action {};
    action.sa_sigaction = &OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kSignalCount; ++i) {
        if (sigaction(kFatalSignals[i], &action, &g_previous[i]) != 0) {
            for (int j = 0; j < i; ++j) sigaction(kFatalSignals[j], &g_previous[j], nullptr);
            g_filter = nullptr;
            return false;
        }
    }
    g_installed = true;
    return true;
}

void RemoveFaultFilter() {
    if (!g_installed) return;
    for (int i = 0; i < kSignalCount; ++i) sigaction(kFatalSignals[i], &g_previous[i], nullptr);
    g_installed = false;
    g_filter = nullptr;
}

bool ReserveFaultStack(size_t bytes) {
    if (t_faultStack) return true;
    const size_t size = std::max<size_t>(bytes, size_t(SIGSTKSZ));
    // Mapped rather than allocated: the stack lives as long as its thread.
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return false;
    stack_t stack{};
    stack.ss_sp = memory;
    stack.ss_size = size;
    if (sigaltstack(&stack, nullptr) != 0) {
        munmap(memory, size);
        return false;
    }
    t_faultStack = memory;
    return true;
}

const char* SignalName(int signal) {
    switch (signal) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGBUS:
            return "SIGBUS";
        case SIGFPE:
            return "SIGFPE";
        case SIGILL:
            return "SIGILL";
        case SIGABRT:
            return "SIGABRT";
        default:
            return "signal";
    }
}

bool WriteFaultReport(int fd, const FaultInfo& fault) {
    Line head;
    head.Text("Fatal signal ");
    head.Decimal(fault.signal);
    head.Text(" (");
    head.Text(SignalName(fault.signal));
    head.Text("), code ");
    head.Decimal(fault.code);
    head.Text("\nAddress: ");
    head.Hex(reinterpret_cast<uintptr_t>(fault.address));
    head.Text("\nBacktrace:\n");
    bool ok = head.WriteTo(fd);
    void* frames[kMaxFrames];
    const int count = backtrace(frames, kMaxFrames);
    backtrace_symbols_fd(frames, count, fd);
    return ok;
}

}  // namespace platform::crash

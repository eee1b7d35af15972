#pragma once
// Fatal signals (a bad memory access, an illegal instruction, an arithmetic fault, an abort)
// are handed to one filter installed by the program, which writes its report; the signal's
// default action then follows, so the process still dies of it.
#include <csignal>
#include <cstddef>

namespace platform::crash {

struct FaultInfo {
    int signal = 0;
    int code = 0;                   // si_code: why the signal was raised
    const void* address = nullptr;  // the faulting address, where the signal has one
};

// Runs on the faulting thread, on its fault stack when it has one; it must keep to
// async-signal-safe calls.
using FaultFilter = void (*)(const FaultInfo& fault);

// Installs the filter for every fatal signal; false when a handler could not be installed.
bool InstallFaultFilter(FaultFilter filter);
// Restores the handlers that were in place before InstallFaultFilter.
void RemoveFaultFilter();

// Gives the calling thread a separate stack of at least this many bytes for the filter, so
// that a stack overflow can still be reported.
bool ReserveFaultStack(size_t bytes);

// Writes the plain-text report of a fault to a file descriptor: the signal, the address and
// the backtrace of the calling thread. Async-signal-safe; false when a write failed.
bool WriteFaultReport(int fd, const FaultInfo& fault);

// "SIGSEGV" and so on; "signal" for one that is not fatal here.
const char* SignalName(int signal);

}  // namespace platform::crash

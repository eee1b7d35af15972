#include "platform/crash/FaultHandler.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdio>

namespace {

void ReportToStderr(const platform::crash::FaultInfo& fault) { platform::crash::WriteFaultReport(2, fault); }

TEST(FaultHandler, ReportNamesSignalAddressAndBacktrace) {
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    platform::crash::FaultInfo fault;
    fault.signal = SIGBUS;
    fault.code = 2;
    fault.address = reinterpret_cast<const void*>(uintptr_t(0xdead0));
    ASSERT_TRUE(platform::crash::WriteFaultReport(fileno(file), fault));
    std::rewind(file);
    char text[4096] = {};
    size_t n = std::fread(text, 1, sizeof(text) - 1, file);
    std::fclose(file);
    const std::string report(text, n);
    EXPECT_EQ(report.rfind("Fatal signal 7 (SIGBUS), code 2\nAddress: 0xdead0\nBacktrace:\n", 0), 0u) << report;
    EXPECT_GT(report.size(), 60u) << "frames follow";
}

TEST(FaultHandlerDeathTest, FilterRunsThenTheSignalStillKills) {
    struct Case {
        int signal;
        const char* name;
    };
    for (Case c : {Case{SIGFPE, "SIGFPE"}, Case{SIGILL, "SIGILL"}, Case{SIGABRT, "SIGABRT"}}) {
        EXPECT_EXIT((platform::crash::ReserveFaultStack(16384), platform::crash::InstallFaultFilter(&ReportToStderr),
                     raise(c.signal)),
                    testing::KilledBySignal(c.signal), std::string("\\(") + c.name + "\\)");
    }
}

TEST(FaultHandler, RemoveRestoresThePreviousHandler) {
    struct sigaction before {};
    sigaction(SIGSEGV, nullptr, &before);
    ASSERT_TRUE(platform::crash::InstallFaultFilter(&ReportToStderr));
    platform::crash::RemoveFaultFilter();
    struct sigaction after {};
    sigaction(SIGSEGV, nullptr, &after);
    EXPECT_EQ(after.sa_sigaction, before.sa_sigaction);
}

}  // namespace

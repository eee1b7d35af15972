#include "core/CrashHandler.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "core/FolderMap.h"
#include "platform/os/VirtualMemory.h"
#include "support/TempTree.h"

namespace {

// Sets or unsets an environment variable for the life of a scope.
class EnvScope {
public:
    EnvScope(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvScope() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::string Hex(const void* p) {
    char text[32];
    std::snprintf(text, sizeof(text), "0x%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(p)));
    return text;
}

void FaultOnGuardPage(void* page) {
    SD::InstallCrashHandler();
    *static_cast<volatile char*>(page) = 1;
}

TEST(CrashHandlerDeathTest, FaultWritesTheReportIntoTheGameFolderAndDies) {
    qvtest::TempTree tree;
    EnvScope data("XDG_DATA_HOME", tree.Root().c_str());
    void* page = platform::ReserveMemory(platform::PageSize());
    ASSERT_NE(page, nullptr);

    EXPECT_EXIT(FaultOnGuardPage(page), testing::KilledBySignal(SIGSEGV), "Vernholm/MiniDump.dmp created\\.");
    const std::string report = tree.Read("Vernholm/MiniDump.dmp");
    EXPECT_NE(report.find("(SIGSEGV)"), std::string::npos) << report;
    EXPECT_NE(report.find("Address: " + Hex(page)), std::string::npos) << report;
    EXPECT_NE(report.find("Backtrace:\n"), std::string::npos) << report;
    EXPECT_GT(report.size(), report.find("Backtrace:\n") + 11) << "the backtrace has frames";

    // A second crash replaces the first report.
    EXPECT_EXIT((SD::InstallCrashHandler(), std::abort()), testing::KilledBySignal(SIGABRT), "created");
    const std::string second = tree.Read("Vernholm/MiniDump.dmp");
    EXPECT_NE(second.find("(SIGABRT)"), std::string::npos) << second;
    EXPECT_EQ(second.find("SIGSEGV"), std::string::npos) << second;
    platform::ReleaseMemory(page, platform::PageSize());
}

TEST(CrashHandlerDeathTest, DumpFileThatCannotBeCreatedIsReported) {
    qvtest::TempTree tree;
    const std::string path = tree.Path("missing/MiniDump.dmp");
    EXPECT_EXIT((SD::CrashHandler::GetInstance().Install(path), std::abort()), testing::KilledBySignal(SIGABRT),
                "Error attempt to create the minidump file .*missing/MiniDump\\.dmp\\.\nError: No such file");
}

TEST(CrashHandler, InstallRecordsTheGameFolderWhenThereIsOne) {
    qvtest::TempTree tree;
    tree.Write("home/.local/share/Vernholm/keep", "");
    tree.Write("file", "not a folder");
    struct Case {
        const char* name;
        std::optional<std::string> xdg, home;
        bool installed;
        std::optional<std::string> appData;
    };
    const std::string root = tree.Root();
    const Case cases[] = {
        {"folder made", root, std::nullopt, true, root + "/Vernholm"},
        {"folder exists", std::nullopt, root + "/home", true, root + "/home/.local/share/Vernholm"},
        {"no data directory", std::nullopt, std::nullopt, false, std::nullopt},
        {"folder cannot be made", root + "/file", std::nullopt, false, root + "/file/Vernholm"},
    };
    for (const Case& c : cases) {
        EnvScope xdg("XDG_DATA_HOME", c.xdg ? c.xdg->c_str() : nullptr);
        EnvScope home("HOME", c.home ? c.home->c_str() : nullptr);
        SD::FolderMap::GetInstance().Clear();
        EXPECT_EQ(SD::InstallCrashHandler(), c.installed) << c.name;
        SD::CrashHandler::GetInstance().Uninstall();
        const char* appData = SD::FolderMap::GetInstance().Get("AppData");
        EXPECT_EQ(appData ? std::optional<std::string>(appData) : std::nullopt, c.appData) << c.name;
        if (c.installed) {
            EXPECT_EQ(SD::CrashHandler::GetInstance().DumpPath(), *c.appData + "/MiniDump.dmp") << c.name;
            struct stat st;
            EXPECT_TRUE(stat(c.appData->c_str(), &st) == 0 && S_ISDIR(st.st_mode)) << c.name;
        }
    }
    SD::FolderMap::GetInstance().Clear();
}

TEST(FolderMap, SetReplacesAndMissingNamesGiveNull) {
    SD::FolderMap map;
    EXPECT_EQ(map.Get("AppData"), nullptr);
    map.Set("AppData", "/a");
    map.Set("AppData", "/b");
    EXPECT_STREQ(map.Get("AppData"), "/b");
    EXPECT_EQ(map.Get("appdata"), nullptr);
}

}  // namespace

// The main function of every test program. Besides running the tests, it can note which tests
// ran code on more than one thread: with QV_THREADED_TESTS naming a folder, each such test's
// full name and source file are appended to <folder>/<program>.txt. The ThreadSanitizer pass of
// ./test builds and runs only the tests listed there (tests/CMakeLists.txt, cmake/QvTestSuites.cmake),
// since only they can race.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace {

std::atomic<unsigned long> g_threadsStarted{0};
// Threads alive before the first test: the sanitizer's own may run beside the program.
int g_baselineThreads = 1;

using ThreadStart = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

// Threads alive in the process now, this one included.
int LiveThreads() {
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks) return 1;
    int count = 0;
    while (const dirent* entry = readdir(tasks))
        if (entry->d_name[0] != '.') ++count;
    closedir(tasks);
    return count;
}

// A test is threaded when another thread was alive as it began or ended, or when one was
// started while it ran (and perhaps joined before it ended).
class ThreadedTestRecorder : public testing::EmptyTestEventListener {
public:
    explicit ThreadedTestRecorder(std::string path) : path_(std::move(path)) {}

    void OnTestStart(const testing::TestInfo&) override {
        startedBefore_ = g_threadsStarted.load();
        othersAtStart_ = LiveThreads() > g_baselineThreads;
    }
    void OnTestEnd(const testing::TestInfo& test) override {
        if (!othersAtStart_ && g_threadsStarted.load() == startedBefore_ && LiveThreads() <= g_baselineThreads) return;
        // "Suite.Test File.cpp": the ThreadSanitizer build compiles only the files named.
        const std::string source = test.file() ? test.file() : "";
        const std::string line = std::string(test.test_suite_name()) + "." + test.name() + " " +
                                 source.substr(source.find_last_of('/') + 1) + "\n";
        // One append per line: test programs running side by side never interleave their lines.
        const int list = open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (list < 0) return;
        if (write(list, line.data(), line.size()) < 0) perror(path_.c_str());
        close(list);
    }

private:
    std::string path_;
    unsigned long startedBefore_ = 0;
    bool othersAtStart_ = false;
};

}  // namespace

// Every thread of a test program, its libraries' included, starts here first: the count of
// threads started is what the recorder compares.
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*), void* arg) {
    static const auto next = reinterpret_cast<ThreadStart>(dlsym(RTLD_NEXT, "pthread_create"));
    if (!next) return EAGAIN;
    g_threadsStarted.fetch_add(1);
    return next(thread, attr, start, arg);
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (const char* folder = std::getenv("QV_THREADED_TESTS")) {
        g_baselineThreads = LiveThreads();
        const std::string path = std::string(folder) + "/" + program_invocation_short_name + ".txt";
        testing::UnitTest::GetInstance()->listeners().Append(new ThreadedTestRecorder(path));
    }
    return RUN_ALL_TESTS();
}

#include "support/TempTree.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace qvtest {

TempTree::TempTree() {
    std::string pattern = (fs::temp_directory_path() / "qvtest-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    fs::create_directories(root_ + "/bin");
    fs::create_directories(root_ + "/Assets");
    fs::create_directories(root_ + "/Graphics");
    previousDir_ = fs::current_path().string();
    fs::current_path(root_ + "/bin");
    if (const char* home = std::getenv("XDG_DATA_HOME")) {
        hadDataHome_ = true;
        previousDataHome_ = home;
    }
    setenv("XDG_DATA_HOME", (root_ + "/AppData").c_str(), 1);
}

TempTree::~TempTree() {
    std::error_code ec;
    if (hadDataHome_)
        setenv("XDG_DATA_HOME", previousDataHome_.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    fs::current_path(previousDir_, ec);
    fs::remove_all(root_, ec);
}

void TempTree::Write(const std::string& relative, const std::string& contents) const {
    fs::path p = fs::path(root_) / relative;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << contents;
}

std::string TempTree::Read(const std::string& relative) const {
    std::ifstream in(fs::path(root_) / relative, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool TempTree::Exists(const std::string& relative) const { return fs::exists(fs::path(root_) / relative); }

std::string SourceDir() {
    const char* dir = std::getenv("QV_SOURCE_DIR");
    return dir ? dir : QV_DEFAULT_SOURCE_DIR;
}

StderrCapture::StderrCapture() {
    std::fflush(stderr);
    path_ = (fs::temp_directory_path() /
             ("qvtest-stderr-" + std::to_string(getpid()) + "-" + std::to_string(reinterpret_cast<uintptr_t>(this))))
                .string();
    savedFd_ = dup(2);
    FILE* f = std::fopen(path_.c_str(), "w");
    dup2(fileno(f), 2);
    std::fclose(f);
}

std::string StderrCapture::Text() {
    if (!done_) {
        std::fflush(stderr);
        dup2(savedFd_, 2);
        close(savedFd_);
        done_ = true;
    }
    std::ifstream in(path_, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

StderrCapture::~StderrCapture() {
    Text();
    std::remove(path_.c_str());
}

}  // namespace qvtest

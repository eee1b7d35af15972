#pragma once
// A temporary folder shaped like the game's install (<tmp>/bin, <tmp>/Assets, <tmp>/Graphics),
// entered at <tmp>/bin for the life of the object so that "../Assets/..." paths resolve into it.
// The application-data folder points at <tmp>/AppData meanwhile, so nothing reaches the home.
#include <string>

namespace qvtest {

class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& Root() const { return root_; }
    // Path of a file relative to the root ("Assets/Config/config.ini").
    std::string Path(const std::string& relative) const { return root_ + "/" + relative; }
    // Writes a file relative to the root, creating its folders.
    void Write(const std::string& relative, const std::string& contents) const;
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;

private:
    std::string root_;
    std::string previousDir_;
    std::string previousDataHome_;
    bool hadDataHome_ = false;
};

// The source tree (for sample data), from QV_SOURCE_DIR or the compiled-in path.
std::string SourceDir();
// Captures what is written to standard error while it lives.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    std::string Text();

private:
    int savedFd_ = -1;
    std::string path_;
    bool done_ = false;
};

}  // namespace qvtest

#pragma once
// Open files read and written at explicit positions, as the sound engine's streaming needs:
// several threads may read one open file at once without sharing a file pointer.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The four ways a file is opened for streaming.
enum class FileAccess {
    Read,            // read, the file must exist
    Write,           // write, created when missing
    WriteOverwrite,  // write, created or emptied
    ReadWrite,       // read and write, created when missing
};

enum class FileOpenStatus { Ok, NotFound, Failed };

class File {
public:
    // Opens the file the path names, resolved as ResolvePath does. NotFound when the file or a
    // folder on its way does not exist; Failed for anything else (rights, a folder, ...).
    static std::unique_ptr<File> Open(const std::string& path, FileAccess access, FileOpenStatus& status);
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Reads up to size bytes at the offset; done is what was read (short only at the end of
    // the file). False on an error of the system.
    bool ReadAt(uint64_t offset, void* buffer, size_t size, size_t& done);
    bool WriteAt(uint64_t offset, const void* buffer, size_t size, size_t& done);
    // The file's size in bytes, or -1 when the system cannot tell.
    int64_t Size() const;

private:
    explicit File(int fd) : fd_(fd) {}
    int fd_;
};

// The game's data writes either slash and any letter case in its paths. Each component of the
// path is matched as written first, else against the folder's entries without regard to case;
// components that match nothing are kept as written (so new files get the caller's spelling).
std::string ResolvePath(const std::string& path);

}  // namespace platform

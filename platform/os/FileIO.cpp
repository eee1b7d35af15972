#include "platform/os/FileIO.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace platform {

namespace {

bool SameIgnoringCase(const std::string& a, const char* b) {
    size_t n = a.size();
    if (std::strlen(b) != n) return false;
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The entry of the folder that matches the name without regard to case; the smallest such
// name when several do, so that the choice does not depend on the folder's order.
bool FindIgnoringCase(const std::string& folder, const std::string& name, std::string& found) {
    DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir) return false;
    bool any = false;
    while (dirent* entry = readdir(dir)) {
        if (!SameIgnoringCase(name, entry->d_name)) continue;
        if (!any || found > entry->d_name) found = entry->d_name;
        any = true;
    }
    closedir(dir);
    return any;
}

}  // namespace

std::string ResolvePath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '/' || c == '\\') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);

    const bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\');
    std::string resolved = absolute ? "" : ".";
    std::string out;  // what is returned: without the "./" added to relative paths
    bool matching = true;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& name = parts[i];
        if (i == 0 && absolute) continue;  // the empty part before the leading slash
        std::string next = name;
        if (matching && !name.empty() && name != "." && name != ".." && !Exists(resolved + "/" + name)) {
            std::string found;
            if (FindIgnoringCase(resolved, name, found))
                next = found;
            else
                matching = false;
        }
        resolved += "/" + next;
        if (!out.empty() || absolute) out += "/";
        out += next;
    }
    return out;
}

std::unique_ptr<File> File::Open(const std::string& path, FileAccess access, FileOpenStatus& status) {
    int flags = 0;
    switch (access) {
        case FileAccess::Read:
            flags = O_RDONLY;
            break;
        case FileAccess::Write:
            flags = O_WRONLY | O_CREAT;
            break;
        case FileAccess::WriteOverwrite:
            flags = O_WRONLY | O_CREAT | O_TRUNC;
            break;
        case FileAccess::ReadWrite:
            flags = O_RDWR | O_CREAT;
            break;
    }
    const std::string resolved = ResolvePath(path);
    int fd = ::open(resolved.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        status = (errno == ENOENT || errno == ENOTDIR) ? FileOpenStatus::NotFound : FileOpenStatus::Failed;
        return nullptr;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        status = FileOpenStatus::Failed;
        return nullptr;
    }
    status = FileOpenStatus::Ok;
    return std::unique_ptr<File>(new File(fd));
}

File::~File() { ::close(fd_); }

bool File::ReadAt(uint64_t offset, void* buffer, size_t size, size_t& done) {
    done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < size) {
        ssize_t n = ::pread(fd_, out + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool File::WriteAt(uint64_t offset, const void* buffer, size_t size, size_t& done) {
    done = 0;
    const auto* in = static_cast<const char*>(buffer);
    while (done < size) {
        ssize_t n = ::pwrite(fd_, in + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

int64_t File::Size() const {
    struct stat st;
    if (fstat(fd_, &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

}  // namespace platform

#pragma once
// Reading profile (INI) files: sections and keys match without
// regard to case, the first of duplicate sections or keys wins, lines starting with ';' are
// comments, white space around names and values is dropped, and a value in matching quotes
// loses them. The file is opened on every read and never held.
#include <cstddef>
#include <string>

namespace platform {

struct ProfileString {
    std::string value;
    bool found = false;      // false: the default was returned
    bool truncated = false;  // the value was longer than the buffer and was cut
};

// bufferSize counts the terminating NUL of the caller's buffer: at most bufferSize - 1
// characters come back.
ProfileString GetProfileString(const std::string& section, const std::string& key, const std::string& defaultValue,
                               size_t bufferSize, const std::string& path);

// The leading decimal integer of the value (an optional sign, then digits; anything after is
// ignored; no digits gives 0); the default when the file, section or key is missing.
int GetProfileInt(const std::string& section, const std::string& key, int defaultValue, const std::string& path);

}  // namespace platform

#include "platform/os/Profile.h"

#include <cctype>
#include <fstream>

namespace platform {
namespace {

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Finds the raw value of section/key; false when the file, section or key is missing.
bool FindValue(const std::string& section, const std::string& key, const std::string& path, std::string* value) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    bool inSection = false;
    bool sectionSeen = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string t = Trim(line);
        if (t.empty() || t[0] == ';') continue;
        if (t[0] == '[') {
            size_t close = t.find(']');
            std::string name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            // The first section of a name is the one that counts.
            if (inSection) return false;
            inSection = !sectionSeen && SameName(name, section);
            if (inSection) sectionSeen = true;
            continue;
        }
        if (!inSection) continue;
        size_t eq = t.find('=');
        std::string name = Trim(eq == std::string::npos ? t : t.substr(0, eq));
        if (!SameName(name, key)) continue;
        std::string v = eq == std::string::npos ? std::string() : Trim(t.substr(eq + 1));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        *value = v;
        return true;
    }
    return false;
}

}  // namespace

ProfileString GetProfileString(const std::string& section, const std::string& key, const std::string& defaultValue,
                               size_t bufferSize, const std::string& path) {
    ProfileString result;
    std::string value;
    result.found = FindValue(section, key, path, &value);
    if (!result.found) value = defaultValue;
    size_t limit = bufferSize == 0 ? 0 : bufferSize - 1;
    if (value.size() > limit) {
        value.resize(limit);
        result.truncated = true;
    }
    result.value = value;
    return result;
}

int GetProfileInt(const std::string& section, const std::string& key, int defaultValue, const std::string& path) {
    std::string value;
    if (!FindValue(section, key, path, &value)) return defaultValue;
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
    uint32_t n = 0;
    for (; i < value.size() && std::isdigit(static_cast<unsigned char>(value[i])); ++i)
        n = n * 10u + static_cast<uint32_t>(value[i] - '0');
    return static_cast<int>(negative ? 0u - n : n);
}

}  // namespace platform

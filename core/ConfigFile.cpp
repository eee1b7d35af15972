#include "core/ConfigFile.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "core/Logger.h"
#include "platform/os/Profile.h"

namespace SD {

ConfigFile::ConfigFile() : fullPath_(FilePath("../Assets/Config", "config", "ini").fullPath) {}

ConfigFile::ConfigFile(const std::string& fullPath) : fullPath_(fullPath) {}

bool ConfigFile::IsReadable() const {
    std::FILE* file = std::fopen(fullPath_.c_str(), "rb");
    if (!file) return false;
    std::fgetc(file);
    const bool readable = std::ferror(file) == 0;
    std::fclose(file);
    return readable;
}

std::string ConfigFile::ReadText(const std::string& key, const std::string& defaultValue) const {
    platform::ProfileString s = platform::GetProfileString(section_, key, defaultValue, kBufferSize, fullPath_);
    if (s.truncated)
        SD_WARNING(Debug::kLogData, "value of [%s] %s in %s is longer than %zu characters and was cut",
                   section_.c_str(), key.c_str(), fullPath_.c_str(), kBufferSize - 1);
    return s.value;
}

std::string ConfigFile::GetString(const std::string& key, const std::string& defaultValue) const {
    return ReadText(key, defaultValue);
}

int ConfigFile::GetInt(const std::string& key, int defaultValue) const {
    return platform::GetProfileInt(section_, key, defaultValue, fullPath_);
}

float ConfigFile::GetFloat(const std::string& key, float defaultValue) const {
    char text[64];
    std::snprintf(text, sizeof text, "%f", defaultValue);
    return static_cast<float>(std::atof(ReadText(key, text).c_str()));
}

bool ConfigFile::GetBool(const std::string& key, bool defaultValue) const {
    std::string value = ReadText(key, defaultValue ? "true" : "false");
    for (char& c : value) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return value == "true";
}

}  // namespace SD

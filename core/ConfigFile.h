#pragma once
// The reader of ../Assets/Config/config.ini: typed reads from the current section.
#include <string>

#include "core/FilePath.h"

namespace SD {

class ConfigFile {
public:
    static constexpr size_t kBufferSize = 255;

    ConfigFile();
    // A reader of another file (tests, tools).
    explicit ConfigFile(const std::string& fullPath);

    void SetSection(const std::string& section) { section_ = section; }
    const std::string& GetSection() const { return section_; }
    const std::string& GetFullPath() const { return fullPath_; }
    // False when the file is missing or cannot be read (a folder, no permission): every read
    // then gives its default.
    bool IsReadable() const;

    std::string GetString(const std::string& key, const std::string& defaultValue) const;
    int GetInt(const std::string& key, int defaultValue) const;
    float GetFloat(const std::string& key, float defaultValue) const;
    bool GetBool(const std::string& key, bool defaultValue) const;

private:
    std::string ReadText(const std::string& key, const std::string& defaultValue) const;
    std::string section_;
    std::string fullPath_;
};

}  // namespace SD

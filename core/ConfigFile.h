#pragma once
// The reader of ../Assets/Config/config.ini: typed reads from the current section. A value that
// does not read as its type is told once; ReportDamage tells, on one line naming the file, what
// the reads could not: lines that are no setting, names nothing reads, an empty or cut file.
#include <set>
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

    // Once every setting has been read: one line when a readable file is damaged (a line that
    // is no setting, section or comment; a section or setting nothing read; no setting at all;
    // a last line without its end), naming the file and the first such line. False when it is
    // sound or unreadable (told apart by IsReadable).
    bool ReportDamage() const;

private:
    std::string ReadText(const std::string& key, const std::string& defaultValue) const;
    // The value's text as the file holds it; false when the key is absent.
    bool FindText(const std::string& key, std::string& text) const;
    // Once for each key: its value does not read as `what`; `used` says what is taken.
    void ReportValue(const std::string& key, const std::string& text, const char* what, const std::string& used) const;
    std::string section_;
    std::string fullPath_;
    // "section\nkey", lower case: every setting asked for, for ReportDamage.
    mutable std::set<std::string> asked_;
    mutable std::set<std::string> reportedValues_;
};

}  // namespace SD

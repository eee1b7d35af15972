#pragma once
// The persisted variable store: named text values kept between runs in "config.var" in the
// program's application-data folder. The file is a sequence of records, each the name and the
// value text as NUL-terminated byte strings, with no header, count or padding.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace SD {

struct ConfigVar {
    enum Flags : uint32_t {
        kSaved = 1,  // written back to the file
        kReadOnly = 2,
        kNeedsUnlock = 4,    // writable only while the store is unlocked
        kNoInitialText = 8,  // the initial text is not taken at creation
    };

    std::string name;
    uint32_t flags = 0;
    int32_t intValue = 0;
    float floatValue = 0.0f;
    std::string value;
    std::string initialValue;  // the value text when the variable was created
};

class ConfigVars {
public:
    static constexpr const char* kFileName = "config.var";

    static ConfigVars& GetInstance();

    // Reads records until the end of the file and closes it. A record whose value is not
    // NUL-terminated before the end is dropped. A name already present keeps its value.
    void Load(FILE* file);
    // False when the file does not open (the store is left as it is).
    bool Load(const std::string& path);
    // Writes every saved variable in the order they were created, then closes the file.
    // False when a write failed.
    bool Save(FILE* file);
    // Replaces the file only once the new contents are written in full.
    bool Save(const std::string& path);

    // The variable of that name; created from the text when absent. Flagged saved either way.
    ConfigVar& FindOrCreate(const std::string& name, const std::string& text);
    ConfigVar* Find(const std::string& name);
    bool IsWritable(const ConfigVar& var) const;
    // Sets the value text and its integer and float readings when the variable is writable.
    void SetValue(ConfigVar& var, const std::string& text) const;

    size_t Size() const { return vars_.size(); }
    void Clear();

private:
    // Name, NUL, value text, NUL for every variable flagged saved, in creation order.
    std::string SavedRecords() const;

    // Kept in creation order so that the saved file is stable.
    std::vector<std::unique_ptr<ConfigVar>> vars_;
    std::unordered_map<std::string, ConfigVar*> byName_;
    bool unlocked_ = false;
};

// The path of "config.var" in the program's application-data folder, or nothing when that
// folder is unknown.
std::optional<std::string> ConfigVarsPath();

}  // namespace SD

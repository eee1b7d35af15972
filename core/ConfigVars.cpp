#include "core/ConfigVars.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "core/FileUtil.h"
#include "core/FolderMap.h"
#include "core/Logger.h"

namespace SD {
namespace {

// Reads bytes up to a NUL; false when the file ended first (what was read is in text).
bool ReadString(FILE* file, std::string& text) {
    text.clear();
    for (int c; (c = std::fgetc(file)) != EOF;) {
        if (c == '\0') return true;
        text.push_back(char(c));
    }
    return false;
}

// The C library's integer and float readings, saturated where they would not fit.
int32_t ToInt(const std::string& text) {
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    return int32_t(std::clamp<long long>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

float ToFloat(const std::string& text) {
    const double v = std::strtod(text.c_str(), nullptr);
    const double limit = std::numeric_limits<float>::max();
    if (v > limit) return std::numeric_limits<float>::infinity();
    if (v < -limit) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

}  // namespace

ConfigVars& ConfigVars::GetInstance() {
    static ConfigVars instance;
    return instance;
}

void ConfigVars::Load(FILE* file) {
    if (!file) return;
    std::string name, value;
    for (;;) {
        if (!ReadString(file, name)) {
            if (!name.empty()) SD_WARNING(Debug::kLogData, "Dropped the unterminated variable name %s", name.c_str());
            break;
        }
        if (!ReadString(file, value)) {
            SD_WARNING(Debug::kLogData, "Dropped the variable %s: its value is not terminated", name.c_str());
            break;
        }
        FindOrCreate(name, value);
    }
    std::fclose(file);
}

bool ConfigVars::Load(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    Load(file);
    return true;
}

std::string ConfigVars::SavedRecords() const {
    std::string records;
    for (const auto& var : vars_) {
        if (!(var->flags & ConfigVar::kSaved)) continue;
        records += var->name;
        records.push_back('\0');
        records += var->value;
        records.push_back('\0');
    }
    return records;
}

bool ConfigVars::Save(FILE* file) {
    if (!file) return false;
    const std::string records = SavedRecords();
    const bool ok = records.empty() || std::fwrite(records.data(), 1, records.size(), file) == records.size();
    return std::fclose(file) == 0 && ok;
}

bool ConfigVars::Save(const std::string& path) {
    const std::string records = SavedRecords();
    return WriteWholeFile(path, nullptr, 0, records.data(), records.size());
}

ConfigVar& ConfigVars::FindOrCreate(const std::string& name, const std::string& text) {
    ConfigVar* var = Find(name);
    if (!var) {
        vars_.push_back(std::make_unique<ConfigVar>());
        var = vars_.back().get();
        var->name = name;
        SetValue(*var, text);
        if (!(var->flags & ConfigVar::kNoInitialText) && IsWritable(*var)) var->initialValue = var->value;
        byName_[name] = var;
    }
    var->flags |= ConfigVar::kSaved;
    return *var;
}

ConfigVar* ConfigVars::Find(const std::string& name) {
    auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
}

bool ConfigVars::IsWritable(const ConfigVar& var) const {
    if (var.flags & ConfigVar::kReadOnly) return false;
    return unlocked_ || !(var.flags & ConfigVar::kNeedsUnlock);
}

void ConfigVars::SetValue(ConfigVar& var, const std::string& text) const {
    if (!IsWritable(var)) return;
    var.value = text;
    var.intValue = ToInt(text);
    var.floatValue = ToFloat(text);
}

void ConfigVars::Clear() {
    byName_.clear();
    vars_.clear();
}

std::optional<std::string> ConfigVarsPath() {
    const char* folder = FolderMap::GetInstance().Get("AppData");
    if (!folder) return std::nullopt;
    return std::string(folder) + "/" + ConfigVars::kFileName;
}

}  // namespace SD

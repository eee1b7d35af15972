#include "core/ConfigFile.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "core/Logger.h"
#include "platform/os/Profile.h"

namespace SD {
namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::string Key(const std::string& section, const std::string& key) { return Lower(section) + "\n" + Lower(key); }

// Bytes no text editor writes into a setting: control characters other than tab, and bytes
// that cannot be the start or middle of UTF-8.
bool HasStrayBytes(const std::string& line) {
    for (unsigned char c : line)
        if ((c < 0x20 && c != '\t') || c == 0x7f || c == 0xc0 || c == 0xc1 || c >= 0xf5) return true;
    return false;
}

bool IsWholeNumber(const std::string& text) {
    size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

bool IsNumber(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0';
}

}  // namespace

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
    asked_.insert(Key(section_, key));
    platform::ProfileString s = platform::GetProfileString(section_, key, defaultValue, kBufferSize, fullPath_);
    if (s.truncated)
        SD_WARNING(Debug::kLogData, "value of [%s] %s in %s is longer than %zu characters and was cut",
                   section_.c_str(), key.c_str(), fullPath_.c_str(), kBufferSize - 1);
    return s.value;
}

bool ConfigFile::FindText(const std::string& key, std::string& text) const {
    asked_.insert(Key(section_, key));
    platform::ProfileString s = platform::GetProfileString(section_, key, std::string(), kBufferSize, fullPath_);
    text = s.value;
    return s.found;
}

void ConfigFile::ReportValue(const std::string& key, const std::string& text, const char* what,
                             const std::string& used) const {
    if (!reportedValues_.insert(Key(section_, key)).second) return;
    SD_WARNING(Debug::kLogData, "%s: [%s] %s=%s is not %s; %s is used", fullPath_.c_str(), section_.c_str(),
               key.c_str(), text.c_str(), what, used.c_str());
}

std::string ConfigFile::GetString(const std::string& key, const std::string& defaultValue) const {
    return ReadText(key, defaultValue);
}

int ConfigFile::GetInt(const std::string& key, int defaultValue) const {
    const int value = platform::GetProfileInt(section_, key, defaultValue, fullPath_);
    std::string text;
    if (FindText(key, text) && !IsWholeNumber(text)) ReportValue(key, text, "a whole number", std::to_string(value));
    return value;
}

float ConfigFile::GetFloat(const std::string& key, float defaultValue) const {
    char text[64];
    std::snprintf(text, sizeof text, "%f", defaultValue);
    const std::string read = ReadText(key, text);
    const float value = static_cast<float>(std::atof(read.c_str()));
    if (!IsNumber(read)) ReportValue(key, read, "a number", std::to_string(value));
    return value;
}

bool ConfigFile::GetBool(const std::string& key, bool defaultValue) const {
    const std::string read = ReadText(key, defaultValue ? "true" : "false");
    const std::string value = Lower(read);
    if (value != "true" && value != "false") ReportValue(key, read, "true or false", "false");
    return value == "true";
}

bool ConfigFile::ReportDamage() const {
    std::ifstream in(fullPath_, std::ios::binary);
    if (!in || !IsReadable()) return false;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    int first = 0, count = 0, settings = 0, number = 0;
    const char* fault = nullptr;
    int lastDamaged = 0;
    auto damaged = [&](const char* what) {
        if (lastDamaged == number) return;
        lastDamaged = number;
        if (count++ == 0) first = number, fault = what;
    };
    std::string section;
    bool inSection = false, sectionRead = false;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        const bool ended = end != std::string::npos;
        if (!ended) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string t = Trim(line);
        if (!ended) damaged("ends the file in the middle of a line");
        if (t.empty() || t[0] == ';') continue;
        if (HasStrayBytes(t)) {
            damaged("holds bytes no setting has");
        } else if (t[0] == '[') {
            const size_t close = t.find(']');
            section = Lower(Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
            inSection = true;
            sectionRead = false;
            for (const std::string& asked : asked_) sectionRead = sectionRead || asked.rfind(section + "\n", 0) == 0;
            if (close == std::string::npos || Trim(t.substr(close + 1)).size() > 0)
                damaged("is not a section name in brackets");
            else if (!sectionRead)
                damaged("names a section nothing reads");
        } else if (t.find('=') == std::string::npos || Trim(t.substr(0, t.find('='))).empty()) {
            damaged("is not a setting, a section or a comment");
        } else if (!inSection) {
            damaged("comes before any section");
        } else {
            ++settings;
            if (sectionRead && !asked_.count(section + "\n" + Lower(Trim(t.substr(0, t.find('='))))))
                damaged("names a setting nothing reads");
        }
    }
    if (count == 0 && settings > 0) return false;
    if (count == 0)
        SD_WARNING(Debug::kLogError, "%s holds no settings: every setting takes its default", fullPath_.c_str());
    else
        SD_WARNING(Debug::kLogError, "%s is damaged: line %d %s (%d line%s in all); what it held takes its default",
                   fullPath_.c_str(), first, fault, count, count == 1 ? "" : "s");
    return true;
}

}  // namespace SD

#include "platform/tweak/TweakDefinition.h"

#include <cctype>

namespace platform::tweak {
namespace {

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

void SkipBlanks(const std::string& text, size_t* at) {
    while (*at < text.size() && IsBlank(text[*at])) ++*at;
}

// A quoted token (without its quotes) or a bare one running to the next blank or `stop`.
bool ReadToken(const std::string& text, size_t* at, char stop, std::string* token) {
    token->clear();
    if (*at < text.size() && (text[*at] == '\'' || text[*at] == '"')) {
        const char quote = text[*at];
        const size_t close = text.find(quote, *at + 1);
        if (close == std::string::npos) return false;
        *token = text.substr(*at + 1, close - *at - 1);
        *at = close + 1;
        return true;
    }
    while (*at < text.size() && !IsBlank(text[*at]) && text[*at] != stop) token->push_back(text[(*at)++]);
    return true;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

bool ParseParams(const std::string& text, Params* params) {
    Params found;
    size_t at = 0;
    for (;;) {
        SkipBlanks(text, &at);
        if (at >= text.size()) break;
        std::string key;
        if (text[at] == '=' || !ReadToken(text, &at, '=', &key) || key.empty()) return false;
        SkipBlanks(text, &at);
        std::string value = "true";
        if (at < text.size() && text[at] == '=') {
            ++at;
            SkipBlanks(text, &at);
            if (!ReadToken(text, &at, '\0', &value)) return false;
        }
        found[Lower(key)] = value;
    }
    for (auto& [key, value] : found) (*params)[key] = value;
    return true;
}

bool ParseDefinition(const std::string& text, std::string* target, Params* params) {
    size_t at = 0;
    SkipBlanks(text, &at);
    if (at >= text.size() || !ReadToken(text, &at, '\0', target) || target->empty()) return false;
    return ParseParams(text.substr(at), params);
}

}  // namespace platform::tweak

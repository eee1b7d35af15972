#include "game/editor/NameText.h"

namespace QV {

std::string CleanName(const char* text, bool forDefinitions) {
    std::string clean;
    for (const char* c = text ? text : ""; *c; ++c) {
        const unsigned char u = static_cast<unsigned char>(*c);
        if (u < 0x20 || u == 0x7F) continue;
        if (forDefinitions && (u == '\'' || u == '"')) continue;
        clean.push_back(*c);
    }
    return clean;
}

}  // namespace QV

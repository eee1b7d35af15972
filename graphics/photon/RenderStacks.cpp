#include "graphics/photon/RenderStacks.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "core/Logger.h"

namespace Aperture::Photon {
namespace {

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

bool ReadUnsigned(const std::string& text, uint32_t& out) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
    if (*end != '\0' || v > 0xFFFFFFFFull) return false;
    out = static_cast<uint32_t>(v);
    return true;
}

// The value after an exact key, trimmed; false when the line does not start with the key.
bool ValueAfter(const std::string& line, const char* key, std::string& value) {
    const std::string k(key);
    if (line.compare(0, k.size(), k) != 0) return false;
    value = Trim(line.substr(k.size()));
    return true;
}

struct Line {
    std::string text;
    size_t number;
};

}  // namespace

size_t ParseRenderStacks(const std::string& text, RenderStackTable& table) {
    std::vector<Line> lines;
    {
        std::istringstream in(text);
        std::string raw;
        size_t number = 0;
        while (std::getline(in, raw)) {
            ++number;
            std::string t = Trim(raw);
            if (!t.empty()) lines.push_back({t, number});
        }
    }
    if (lines.empty()) return 0;
    uint32_t declared = 0;
    bool counted = ReadUnsigned(lines[0].text, declared);
    size_t i = 1;
    if (!counted) {
        SD_WARNING(2, "layers.txt line %zu: the stack count \"%s\" is not a number", lines[0].number,
                   lines[0].text.c_str());
        // The first line may already be a record.
        if (lines[0].text.compare(0, 11, "Stack Name:") == 0) i = 0;
    }
    size_t entered = 0;
    while (i < lines.size() && (!counted || entered < declared)) {
        std::string name, start, end;
        uint32_t startLayer = 0, endLayer = 0;
        const char* fault = nullptr;
        size_t faultLine = lines[i].number;
        if (!ValueAfter(lines[i].text, "Stack Name:", name) || name.empty() ||
            name.find_first_of(" \t") != std::string::npos) {
            fault = "expected \"Stack Name: <name>\"";
        } else if (name.size() > kMaxStackNameLength) {
            fault = "stack name too long";
        } else if (i + 2 >= lines.size()) {
            fault = "record cut short";
        } else if (!ValueAfter(lines[i + 1].text, "Start Layer:", start) || !ReadUnsigned(start, startLayer)) {
            fault = "expected \"Start Layer: <number>\"";
            faultLine = lines[i + 1].number;
        } else if (!ValueAfter(lines[i + 2].text, "End Layer:", end) || !ReadUnsigned(end, endLayer)) {
            fault = "expected \"End Layer: <number>\"";
            faultLine = lines[i + 2].number;
        }
        if (fault) {
            SD_WARNING(2, "layers.txt line %zu: %s; the record is skipped", faultLine, fault);
            // Go on at the next record.
            ++i;
            while (i < lines.size() && lines[i].text.compare(0, 11, "Stack Name:") != 0) ++i;
            continue;
        }
        RenderStack& stack = table[name];
        stack.StartLayer = startLayer;
        stack.EndLayer = endLayer;
        ++entered;
        i += 3;
    }
    return entered;
}

size_t LoadRenderStacks(const std::string& path, RenderStackTable& table) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return 0;
    std::ostringstream text;
    text << file.rdbuf();
    return ParseRenderStacks(text.str(), table);
}

}  // namespace Aperture::Photon

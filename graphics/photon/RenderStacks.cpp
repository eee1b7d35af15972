#include "graphics/photon/RenderStacks.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "core/Logger.h"

namespace Aperture::Photon {
namespace {

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// A read position in the text. A white-space character of a pattern matches any run of white
// space, including none; names and numbers start after any white space.
struct Cursor {
    const std::string& text;
    size_t pos = 0;
    size_t linePos = 0;
    size_t line = 1;

    bool AtEnd() const { return pos >= text.size(); }
    void SkipSpace() {
        while (!AtEnd() && IsSpace(text[pos])) ++pos;
    }
    // The line number at pos, counted from the last place asked so that reports stay cheap.
    size_t Line() {
        const auto from = text.begin() + static_cast<std::ptrdiff_t>(std::min(pos, linePos));
        const auto to = text.begin() + static_cast<std::ptrdiff_t>(std::max(pos, linePos));
        const size_t between = static_cast<size_t>(std::count(from, to, '\n'));
        line = pos >= linePos ? line + between : line - between;
        linePos = pos;
        return line;
    }

    bool Match(const char* pattern) {
        for (const char* p = pattern; *p; ++p) {
            if (IsSpace(*p)) {
                SkipSpace();
                continue;
            }
            if (AtEnd() || text[pos] != *p) return false;
            ++pos;
        }
        return true;
    }
    std::string Token() {
        SkipSpace();
        const size_t begin = pos;
        while (!AtEnd() && !IsSpace(text[pos])) ++pos;
        return text.substr(begin, pos - begin);
    }
    bool Unsigned(uint32_t& out) {
        SkipSpace();
        uint64_t value = 0;
        const size_t begin = pos;
        while (!AtEnd() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
            value = value * 10 + static_cast<uint64_t>(text[pos] - '0');
            if (value > 0xFFFFFFFFull) return false;
            ++pos;
        }
        out = static_cast<uint32_t>(value);
        return pos > begin;
    }
    // Moves to the next place at or after from where a record starts; false when none is left.
    bool FindRecord(size_t from) {
        for (size_t start = from; start < text.size(); ++start) {
            pos = start;
            if (Match(kRecordStart)) {
                pos = start;
                return true;
            }
        }
        pos = text.size();
        return false;
    }
    static constexpr const char* kRecordStart = "Stack Name:";
};

// Reads one record at the cursor into name and layers; the fault when it does not read.
const char* ReadRecord(Cursor& in, std::string& name, RenderStack& layers, size_t& faultLine) {
    auto fail = [&](const char* fault) {
        in.SkipSpace();
        faultLine = in.Line();
        return in.AtEnd() ? "record cut short" : fault;
    };
    if (!in.Match(Cursor::kRecordStart)) return fail("expected \"Stack Name: <name>\"");
    name = in.Token();
    if (name.empty()) return fail("expected \"Stack Name: <name>\"");
    if (name.size() > kMaxStackNameLength) return fail("stack name too long");
    if (!in.Match(" Start Layer:") || !in.Unsigned(layers.StartLayer))
        return fail("expected \"Start Layer: <number>\"");
    if (!in.Match(" End Layer:") || !in.Unsigned(layers.EndLayer)) return fail("expected \"End Layer: <number>\"");
    return nullptr;
}

}  // namespace

size_t ParseRenderStacks(const std::string& text, RenderStackTable& table, const std::string& source) {
    Cursor in{text};
    in.SkipSpace();
    if (in.AtEnd()) {
        SD_WARNING(Debug::kLogError, "%s is empty: no particle render stacks are loaded", source.c_str());
        return 0;
    }
    uint32_t declared = 0;
    const size_t countStart = in.pos;
    const bool counted = in.Unsigned(declared);
    if (!counted) {
        in.pos = countStart;
        const size_t line = in.Line();
        const std::string shown = in.Token().substr(0, 32);
        SD_WARNING(Debug::kLogError,
                   "%s line %zu: the stack count \"%s\" is not a number; every record present is read", source.c_str(),
                   line, shown.c_str());
        // The first line may already be a record.
        if (!in.FindRecord(countStart)) return 0;
    }
    size_t entered = 0;
    bool faulted = false;
    while (!counted || entered < declared) {
        in.SkipSpace();
        if (in.AtEnd()) break;
        const size_t recordStart = in.pos;
        std::string name;
        RenderStack layers;
        size_t faultLine = 0;
        if (const char* fault = ReadRecord(in, name, layers, faultLine)) {
            SD_WARNING(Debug::kLogError, "%s line %zu: %s; the record is skipped", source.c_str(), faultLine, fault);
            faulted = true;
            if (!in.FindRecord(recordStart + 1)) break;
            continue;
        }
        table[name] = layers;
        ++entered;
    }
    // A skipped record has been told already; otherwise the file ended early.
    if (counted && !faulted && entered < declared)
        SD_WARNING(Debug::kLogError, "%s: %u render stacks declared, %zu read", source.c_str(), declared, entered);
    return entered;
}

size_t LoadRenderStacks(const std::string& path, RenderStackTable& table) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        SD_WARNING(Debug::kLogError, "%s cannot be opened: no particle render stacks are loaded", path.c_str());
        return 0;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return ParseRenderStacks(text.str(), table, path);
}

}  // namespace Aperture::Photon

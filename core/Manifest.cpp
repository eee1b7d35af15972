#include "core/Manifest.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/FilePath.h"
#include "core/Logger.h"
#include "platform/os/Files.h"

namespace SD {

bool IsTab(char c) { return c == '\t'; }

namespace {
bool IsBlank(char c) { return c == ' ' || IsTab(c); }

// Reads one line into line (at most kManifestLineLength - 1 characters kept, the rest of a
// longer line dropped). False at end of file with nothing read.
bool ReadLine(std::FILE* file, char (&line)[kManifestLineLength], bool& cut) {
    size_t length = 0;
    int c;
    cut = false;
    bool any = false;
    while ((c = std::getc(file)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (length < kManifestLineLength - 1)
            line[length++] = static_cast<char>(c);
        else
            cut = true;
    }
    if (length > 0 && line[length - 1] == '\r') --length;
    line[length] = '\0';
    return any;
}

bool IsBlankLine(const char* line) {
    for (; *line; ++line)
        if (!IsBlank(*line) && *line != '\r') return false;
    return true;
}
}  // namespace

size_t StripLineComment(char* line) {
    for (size_t i = 0; i + 1 < kManifestLineLength && line[i]; ++i) {
        if (line[i] == '/' && line[i + 1] == '/') {
            line[i] = '\0';
            return i;
        }
    }
    return std::strlen(line);
}

ManifestLineKind ParseManifestLine(char* line, char*& valueStart) {
    char* open = std::strchr(line, '"');
    if (!open) return kManifestInvalid;
    char* close = std::strchr(open + 1, '"');
    if (!close) return kManifestInvalid;
    for (const char* p = close + 1; *p; ++p)
        if (!IsBlank(*p)) return kManifestInvalid;

    char* equals = nullptr;
    for (char* p = line; p < close; ++p) {
        if (*p != '=') continue;
        if (equals) return kManifestInvalid;
        equals = p;
    }
    bool wildcard = false;
    for (char* p = open + 1; p < close; ++p) {
        if (*p == '\\')
            *p = '/';
        else if (*p == '*')
            wildcard = true;
    }
    *close = '\0';
    valueStart = open + 1;
    if (!equals) return wildcard ? kManifestWildcard : kManifestName;

    const char* key = line;
    while (IsBlank(*key)) ++key;
    if (key >= equals) return kManifestInvalid;
    switch (std::toupper(static_cast<unsigned char>(*key))) {
        case 'P':
            return kManifestPath;
        case 'E':
            return close - valueStart <= static_cast<long>(kManifestExtensionLength) ? kManifestExt : kManifestInvalid;
        default:
            return kManifestInvalid;
    }
}

bool ReadManifest(const std::string& fileName, std::vector<std::string>& out) {
    std::FILE* file = std::fopen(platform::NativePath(fileName).c_str(), "r");
    if (!file) {
        SD_WARNING(Debug::kLogData, "Could not open manifest \"%s\": %s", fileName.c_str(), std::strerror(errno));
        return false;
    }
    out.clear();
    std::string folder;
    std::string extension;
    char line[kManifestLineLength];
    bool cut = false;
    for (int number = 1; ReadLine(file, line, cut); ++number) {
        if (cut)
            SD_WARNING(Debug::kLogData,
                       "Manifest \"%s\" line %d is longer than %d characters; the rest of it was dropped.",
                       fileName.c_str(), number, static_cast<int>(kManifestLineLength - 1));
        StripLineComment(line);
        char* value = nullptr;
        switch (ParseManifestLine(line, value)) {
            case kManifestName:
                out.push_back(folder + "/" + value + extension);
                break;
            case kManifestWildcard: {
                const char* slash = std::strrchr(value, '/');
                const std::string valueFolder(value, slash ? slash + 1 - value : 0);
                FileFinder finder;
                finder.SetPattern(folder + "/" + value);
                finder.Find();
                for (const std::string& name : finder.names) out.push_back(folder + "/" + valueFolder + name);
                break;
            }
            case kManifestPath: {
                folder = value;
                if (!folder.empty() && folder.back() == '/') folder.pop_back();
                break;
            }
            case kManifestExt:
                extension = value[0] == '.' ? value : std::string(".") + value;
                break;
            case kManifestInvalid:
                if (!IsBlankLine(line))
                    SD_WARNING(Debug::kLogData, "Manifest \"%s\" line %d was not understood and was skipped: %s",
                               fileName.c_str(), number, line);
                break;
        }
    }
    std::fclose(file);
    // Every load that goes through the list would fail by name instead, none naming the list.
    if (out.empty())
        SD_WARNING(Debug::kLogData, "Manifest \"%s\" lists no files; nothing is loaded through it", fileName.c_str());
    return true;
}

}  // namespace SD

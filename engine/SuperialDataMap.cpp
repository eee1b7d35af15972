#include "engine/SuperialDataMap.h"

#include <cstring>
#include <tinyxml.h>

#include "core/FileUtil.h"
#include "core/Logger.h"
#include "engine/SuperialValue.h"
#include "engine/SuperialXml.h"
#include "platform/os/Files.h"

namespace SD {

namespace {
// The whole file as text; false, without a report, when it cannot be opened or read.
bool ReadText(const char* path, std::string& out) {
    std::FILE* file = std::fopen(platform::NativePath(path).c_str(), "rb");
    if (!file) return false;
    char chunk[16384];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) out.append(chunk, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

// The deepest element nesting of the text, counted without parsing (comments, CDATA and
// quoted attribute values skipped); the counting stops once it passes limit.
int NestingDepth(const char* p, int limit) {
    int depth = 0;
    int deepest = 0;
    while (*p && deepest <= limit) {
        if (*p != '<') {
            ++p;
        } else if (std::strncmp(p, "<!--", 4) == 0 || std::strncmp(p, "<![CDATA[", 9) == 0) {
            p = std::strstr(p + 4, p[2] == '-' ? "-->" : "]]>");
            if (!p) break;
            p += 3;
        } else if (p[1] == '/') {
            --depth;
            p += 2;
        } else if (p[1] == '!' || p[1] == '?') {
            ++p;
        } else {
            if (++depth > deepest) deepest = depth;
            char quote = 0;
            for (++p; *p && (quote || *p != '>'); ++p) {
                if (quote) {
                    if (*p == quote) quote = 0;
                } else if (*p == '"' || *p == '\'') {
                    quote = *p;
                }
            }
            if (*p == '>' && p[-1] == '/') --depth;
        }
    }
    return deepest;
}
}  // namespace

SuperialDataMap::SuperialDataMap() : top_(new SuperialValue), topLast_(top_) { top_->owner_ = this; }

SuperialDataMap::~SuperialDataMap() { SuperialValue::DestroyList(top_); }

std::unique_ptr<SuperialDataMap> SuperialDataMap::createFromFile(const char* path) {
    if (!path) {
        SD_WARNING(Debug::kLogData,
                   "SuperialDataMap was told to load a file, but given a NULLfilename.  Have a NULL pointer back :)");
        return nullptr;
    }
    std::string text;
    if (!ReadText(path, text)) return nullptr;
    std::unique_ptr<SuperialDataMap> map = parseXmlFromBuffer(text.c_str());
    // The parser's messages speak of the text only; this one names the file.
    if (!map) SD_WARNING(Debug::kLogData, "XML file [%s] is not readable XML data; nothing in it is loaded.", path);
    return map;
}

std::unique_ptr<SuperialDataMap> SuperialDataMap::parseXmlFromBuffer(const char* text) {
    if (!text) text = "";
    // Text is taken byte for byte (a UTF-8 mark in front is dropped), so that every name and
    // text the writer puts out, valid UTF-8 or not, reads back as it was.
    if (std::strncmp(text, "\xEF\xBB\xBF", 3) == 0) text += 3;
    // The parser recurses once per level; refuse nesting that could exhaust the stack.
    if (NestingDepth(text, kMaxNesting) > kMaxNesting) {
        SD_WARNING(Debug::kLogData, "XML data nests elements deeper than %d levels; refused.", kMaxNesting);
        return nullptr;
    }
    // Element text is read with its white space condensed, so hand-edited, indented files
    // read as they mean; the writer protects white space that must survive.
    TiXmlBase::SetCondenseWhiteSpace(true);
    TiXmlDocument document;
    document.Parse(text, nullptr, TIXML_ENCODING_LEGACY);
    if (document.Error() && document.ErrorId() != TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY) {
        SD_WARNING(Debug::kLogData,
                   "SuperialDataMap encountered an error while parsing XML data.  TinyXML is reporting it at (row %d, "
                   "column %d) as: %s\n\n",
                   document.ErrorRow(), document.ErrorCol(), document.ErrorDesc());
        SD_WARNING(Debug::kLogData, "%s", text);
        SD_WARNING(Debug::kLogData,
                   "Again, in case that buffer was too long: SuperialDataMap encountered an error while parsing XML "
                   "data.  TinyXML is reporting it at (row %d, column %d) as: %s\n",
                   document.ErrorRow(), document.ErrorCol(), document.ErrorDesc());
        return nullptr;
    }
    const TiXmlElement* element = document.Error() ? nullptr : document.FirstChildElement();
    if (!element) {
        SD_WARNING(Debug::kLogData, "XML data didn't have a root element.  Weird.");
        return nullptr;
    }
    auto map = std::make_unique<SuperialDataMap>();
    SuperialValue* node = map->top_;
    SuperialXml::FillFromElement(*node, *element);
    for (element = element->NextSiblingElement(); element; element = element->NextSiblingElement()) {
        node = SuperialValue::InsertAfter(node, kSuperialSameType);
        SuperialXml::FillFromElement(*node, *element);
    }
    return map;
}

std::string SuperialDataMap::WriteToString(const SuperialDataMap& map) {
    std::string out = "<?xml version=\"1.0\" ?>\n";
    SuperialXml::WriteNodeList(out, map.top_, 0);
    out += '\n';
    return out;
}

size_t SuperialDataMap::WriteDocument(const SuperialDataMap& map, std::FILE* stream) {
    if (!stream) return 0;
    const std::string text = WriteToString(map);
    return std::fwrite(text.data(), 1, text.size(), stream);
}

size_t SuperialDataMap::WriteToFile(const char* path, const SuperialDataMap& map) {
    if (!path) return 0;
    const std::string text = WriteToString(map);
    return WriteWholeFile(path, nullptr, 0, text.data(), text.size()) ? text.size() : 0;
}

}  // namespace SD

#pragma once
// A loaded data document: the slot that owns a value tree's top-level list, with the XML
// reader (TinyXML parses) and the engine's own writer.
#include <cstdio>
#include <memory>
#include <string>

namespace SD {

class SuperialValue;

class SuperialDataMap {
public:
    // Deepest element nesting accepted from text.
    static constexpr int kMaxNesting = 1024;

    // The top-level slot holds a fresh Null node owned by this map.
    SuperialDataMap();
    ~SuperialDataMap();
    SuperialDataMap(const SuperialDataMap&) = delete;
    SuperialDataMap& operator=(const SuperialDataMap&) = delete;

    // The first node of the top-level list (null once every top-level node was removed).
    SuperialValue* Top() const { return top_; }

    // Null for a null path (logged), a file that cannot be read (not logged) or text that
    // does not parse or has no element (logged).
    static std::unique_ptr<SuperialDataMap> createFromFile(const char* path);
    static std::unique_ptr<SuperialDataMap> parseXmlFromBuffer(const char* text);

    // Writes through a temporary file beside path, renamed over it once complete. Returns the
    // number of characters written, 0 when nothing could be written.
    static size_t WriteToFile(const char* path, const SuperialDataMap& map);
    // The declaration, the top-level list and a final newline; returns the characters written.
    static size_t WriteDocument(const SuperialDataMap& map, std::FILE* stream);
    static std::string WriteToString(const SuperialDataMap& map);

private:
    friend class SuperialValue;
    SuperialValue* top_;
    SuperialValue* topLast_;
};

}  // namespace SD

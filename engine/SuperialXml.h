#pragma once
// Conversion between XML elements and value-tree nodes (used by SuperialDataMap).
#include <string>

class TiXmlElement;

namespace SD {

class SuperialValue;

struct SuperialXml {
    // Fills a fresh node from an element: tag, type, value, name, attributes and children.
    static void FillFromElement(SuperialValue& node, const TiXmlElement& element);
    // Appends the node and the siblings after it, at the given depth, in the engine's layout.
    static void WriteNodeList(std::string& out, const SuperialValue* node, int depth);
    // The text with &, <, >, and double quotes replaced by their entities.
    static void AppendEscaped(std::string& out, const std::string& text);
    // Element text: escaped, or in a CDATA section when it is only white space.
    static void AppendText(std::string& out, const std::string& text);
    // Whole-text classification of an attribute's text: 6 Integer, 7 Float or 4 String.
    static unsigned ClassifyAttributeText(const char* text, long long& integer, double& real);
};

}  // namespace SD

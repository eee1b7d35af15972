#include "engine/SuperialXml.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <tinyxml.h>

#include "core/Logger.h"
#include "engine/SuperialValue.h"

namespace SD {

namespace {

// A leading decimal integer as a 32-bit word (0 when there is none), as the value of a
// Boolean or Integer element.
uint32_t LeadingInteger(const char* text) {
    if (!text) return 0;
    return static_cast<uint32_t>(std::strtoll(text, nullptr, 10));
}

bool IsWholeInteger(const char* text, long long& out) {
    const char* p = text;
    if (*p == '+' || *p == '-') ++p;
    if (!*p) return false;
    for (; *p; ++p)
        if (*p < '0' || *p > '9') return false;
    errno = 0;
    out = std::strtoll(text, nullptr, 10);
    return errno == 0 && out >= INT32_MIN && out <= static_cast<long long>(UINT32_MAX);
}

bool IsWholeReal(const char* text, double& out) {
    if (!*text || std::strspn(text, "0123456789+-.eE") != std::strlen(text)) return false;
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end && *end == '\0';
}

void AppendFormatted(std::string& out, const char* format, double value) {
    char buffer[512];
    const int n = std::snprintf(buffer, sizeof buffer, format, value);
    if (n > 0) out.append(buffer, static_cast<size_t>(n) < sizeof buffer ? n : sizeof buffer - 1);
}

void AppendInteger(std::string& out, int value) { out += std::to_string(value); }

void AppendEscapedChar(std::string& out, char c) {
    switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
            break;
    }
}

// White space as the parser sees it.
bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

bool IsAllWhiteSpace(const std::string& text) {
    for (char c : text)
        if (!IsSpace(c)) return false;
    return true;
}

}  // namespace

unsigned SuperialXml::ClassifyAttributeText(const char* text, long long& integer, double& real) {
    if (IsWholeInteger(text, integer)) return kSuperialInteger;
    if (IsWholeReal(text, real)) return kSuperialFloat;
    return kSuperialString;
}

void SuperialXml::FillFromElement(SuperialValue& node, const TiXmlElement& element) {
    node.tag_ = element.Value();
    node.SetType(SuperialValue::TypeCodeFromTag(node.tag_));
    const char* value = element.Attribute("value");
    switch (node.type_) {
        case kSuperialBoolean:
        case kSuperialInteger:
            node.value_.u = LeadingInteger(value);
            break;
        case kSuperialFloat:
            node.value_.f = value ? static_cast<float>(std::strtod(value, nullptr)) : 0.0f;
            break;
        case kSuperialString: {
            const TiXmlNode* first = element.FirstChild();
            node.text_ = first && first->ToText() ? first->Value() : "";
            break;
        }
        default:
            break;
    }
    for (const TiXmlAttribute* a = element.FirstAttribute(); a; a = a->Next()) {
        const std::string name = a->Name();
        if (name == "value") continue;
        if (name == "name") {
            node.name_ = a->Value();
            continue;
        }
        long long integer = 0;
        double real = 0;
        switch (ClassifyAttributeText(a->Value(), integer, real)) {
            case kSuperialInteger:
                if (integer < 0)
                    SuperialValue::AddIntegerAttribute(&node, name, static_cast<int>(integer));
                else
                    SuperialValue::AddIntegerAttribute(&node, name, static_cast<unsigned>(integer));
                break;
            case kSuperialFloat:
                SuperialValue::AddFloatAttribute(&node, name, real);
                break;
            default:
                SuperialValue::AddStringAttribute(&node, name, a->Value());
                break;
        }
    }
    const TiXmlElement* child = element.FirstChildElement();
    if (!child) return;
    node.MakeObject();
    for (; child; child = child->NextSiblingElement())
        FillFromElement(*SuperialValue::AppendChild(&node, kSuperialNull), *child);
}

void SuperialXml::AppendEscaped(std::string& out, const std::string& text) {
    for (char c : text) AppendEscapedChar(out, c);
}

void SuperialXml::AppendText(std::string& out, const std::string& text) {
    // The reader condenses white space in element text (the ends trimmed, every run made one
    // space) and drops text that is only white space. Such text goes in a CDATA section, which
    // is read as it stands; in other text, each white-space character that condensing would
    // change is written as a character reference, which condensing leaves alone.
    if (!text.empty() && IsAllWhiteSpace(text)) {
        out += "<![CDATA[";
        out += text;
        out += "]]>";
        return;
    }
    bool afterSpace = true;  // a space written as it stands; at the start one would be trimmed
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!IsSpace(c)) {
            AppendEscapedChar(out, c);
            afterSpace = false;
        } else if (c == ' ' && !afterSpace && i + 1 < text.size()) {
            out += ' ';
            afterSpace = true;
        } else {
            out += "&#" + std::to_string(static_cast<unsigned char>(c)) + ';';
            afterSpace = false;
        }
    }
}

void SuperialXml::WriteNodeList(std::string& out, const SuperialValue* node, int depth) {
    for (; node; node = node->Next()) {
        if (node->Tag().empty()) {
            SD_WARNING(Debug::kLogData, "Skipped a node without a tag (name \"%s\") and everything below it.",
                       node->Name().c_str());
            continue;
        }
        out.append(2 * depth, ' ');
        out += '<';
        out += node->Tag();
        out += ' ';
        const bool arrayItem = node->Parent() && node->Parent()->Type() == kSuperialArray;
        if (node->Name() != SuperialValue::kUnnamed && !arrayItem) {
            out += "name=\"";
            AppendEscaped(out, node->Name());
            out += "\" ";
        }
        if (node->Type() == kSuperialFloat) {
            out += "value=\"";
            AppendFormatted(out, "%f", node->GetFloat());
            out += "\" ";
        } else if (node->Type() == kSuperialInteger || node->Type() == kSuperialBoolean) {
            out += "value=\"";
            AppendInteger(out, node->GetInteger());
            out += "\" ";
        }
        for (const SuperialValue* a = node->FirstAttribute(); a; a = a->Next()) {
            out += a->Name();
            out += "=\"";
            if (a->Type() == kSuperialString || a->Type() == kSuperialText)
                AppendEscaped(out, a->GetText());
            else if (a->Type() == kSuperialFloat)
                AppendFormatted(out, "%f", a->GetFloat());
            else
                AppendInteger(out, a->GetInteger());
            out += "\" ";
        }
        if (node->IsContainer()) {
            out += ">\n";
            WriteNodeList(out, node->FirstChild(), depth + 1);
            out.append(2 * depth, ' ');
            out += "</";
            out += node->Tag();
            out += ">\n";
        } else if (node->Type() == kSuperialString || node->Type() == kSuperialText) {
            out += '>';
            AppendText(out, node->GetText());
            out += "</";
            out += node->Tag();
            out += ">\n";
        } else {
            out += "/>\n";
        }
    }
}

}  // namespace SD

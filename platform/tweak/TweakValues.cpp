#include "platform/tweak/TweakValues.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sstream>

#include "platform/tweak/TweakBar.h"

namespace platform::tweak {
namespace {

template <class T>
bool StoreInteger(const std::string& text, void* bytes) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    if constexpr (std::is_signed_v<T>) {
        const long long v = std::strtoll(text.c_str(), &end, 10);
        if (errno || *end || v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max()) return false;
        const T value = static_cast<T>(v);
        std::memcpy(bytes, &value, sizeof value);
    } else {
        if (text[0] == '-') return false;
        const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
        if (errno || *end || v > std::numeric_limits<T>::max()) return false;
        const T value = static_cast<T>(v);
        std::memcpy(bytes, &value, sizeof value);
    }
    return true;
}

bool ParseDouble(const std::string& text, double* value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return !errno && !*end && std::isfinite(*value);
}

template <class T>
T Load(const void* bytes) {
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

std::vector<std::string> SplitBlanks(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> tokens;
    for (std::string token; in >> token;) tokens.push_back(token);
    return tokens;
}

}  // namespace

bool IsBasicType(uint32_t type) { return BasicSize(type) != 0; }

size_t BasicSize(uint32_t type) {
    switch (type) {
        case kTypeBool:
        case kTypeInt8:
        case kTypeUInt8:
            return 1;
        case kTypeInt16:
        case kTypeUInt16:
            return 2;
        case kTypeInt32:
        case kTypeUInt32:
        case kTypeFloat:
            return 4;
        case kTypeDouble:
            return 8;
        case kTypeQuaternion:
            return 16;
        default:
            return 0;
    }
}

std::string FormatFloating(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string FormatBasic(uint32_t type, const void* bytes) {
    switch (type) {
        case kTypeBool:
            return Load<bool>(bytes) ? "true" : "false";
        case kTypeInt8:
            return std::to_string(Load<int8_t>(bytes));
        case kTypeUInt8:
            return std::to_string(Load<uint8_t>(bytes));
        case kTypeInt16:
            return std::to_string(Load<int16_t>(bytes));
        case kTypeUInt16:
            return std::to_string(Load<uint16_t>(bytes));
        case kTypeInt32:
            return std::to_string(Load<int32_t>(bytes));
        case kTypeUInt32:
            return std::to_string(Load<uint32_t>(bytes));
        case kTypeFloat:
            return FormatFloating(Load<float>(bytes));
        case kTypeDouble:
            return FormatFloating(Load<double>(bytes));
        case kTypeQuaternion: {
            const auto* q = static_cast<const unsigned char*>(bytes);
            std::string text;
            for (int i = 0; i < 4; ++i) text += (i ? " " : "") + FormatFloating(Load<float>(q + 4 * i));
            return text;
        }
        default:
            return std::string();
    }
}

bool ParseBasic(uint32_t type, const std::string& text, void* bytes) {
    switch (type) {
        case kTypeBool: {
            bool value;
            if (text == "true" || text == "1")
                value = true;
            else if (text == "false" || text == "0")
                value = false;
            else
                return false;
            std::memcpy(bytes, &value, sizeof value);
            return true;
        }
        case kTypeInt8:
            return StoreInteger<int8_t>(text, bytes);
        case kTypeUInt8:
            return StoreInteger<uint8_t>(text, bytes);
        case kTypeInt16:
            return StoreInteger<int16_t>(text, bytes);
        case kTypeUInt16:
            return StoreInteger<uint16_t>(text, bytes);
        case kTypeInt32:
            return StoreInteger<int32_t>(text, bytes);
        case kTypeUInt32:
            return StoreInteger<uint32_t>(text, bytes);
        case kTypeFloat: {
            double value;
            if (!ParseDouble(text, &value) || std::fabs(value) > std::numeric_limits<float>::max()) return false;
            const float f = static_cast<float>(value);
            std::memcpy(bytes, &f, sizeof f);
            return true;
        }
        case kTypeDouble: {
            double value;
            if (!ParseDouble(text, &value)) return false;
            std::memcpy(bytes, &value, sizeof value);
            return true;
        }
        case kTypeQuaternion: {
            const std::vector<std::string> tokens = SplitBlanks(text);
            if (tokens.size() != 4) return false;
            float q[4];
            for (int i = 0; i < 4; ++i)
                if (!ParseBasic(kTypeFloat, tokens[i], &q[i])) return false;
            std::memcpy(bytes, q, sizeof q);
            return true;
        }
        default:
            return false;
    }
}

std::string FormatStruct(const StructType& type, const void* bytes) {
    std::string text;
    for (size_t i = 0; i < type.members.size(); ++i) {
        const StructType::Member& m = type.members[i];
        if (i) text += ' ';
        text += FormatBasic(m.type, static_cast<const unsigned char*>(bytes) + m.offset);
    }
    return text;
}

bool ParseStruct(const StructType& type, const std::string& text, void* bytes) {
    const std::vector<std::string> tokens = SplitBlanks(text);
    if (tokens.size() != type.members.size()) return false;
    std::vector<unsigned char> parsed(type.size, 0);
    std::memcpy(parsed.data(), bytes, type.size);
    for (size_t i = 0; i < tokens.size(); ++i) {
        const StructType::Member& m = type.members[i];
        if (!ParseBasic(m.type, tokens[i], parsed.data() + m.offset)) return false;
    }
    std::memcpy(bytes, parsed.data(), type.size);
    return true;
}

}  // namespace platform::tweak

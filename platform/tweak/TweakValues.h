#pragma once
// Converting tweak-bar values between their stored bytes and text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/tweak/TweakDefinition.h"

namespace platform::tweak {

struct StructType {
    struct Member {
        std::string name;
        uint32_t type;
        size_t offset;
        Params params;
    };
    std::string name;
    std::vector<Member> members;
    size_t size = 0;
};

// The fixed-size types: bool, the integers, float, double and the quaternion.
bool IsBasicType(uint32_t type);
size_t BasicSize(uint32_t type);
std::string FormatFloating(double value);
std::string FormatBasic(uint32_t type, const void* bytes);
// False (bytes untouched) when the text is not a value of the type or out of its range.
bool ParseBasic(uint32_t type, const std::string& text, void* bytes);
// Members separated by one blank, in member order.
std::string FormatStruct(const StructType& type, const void* bytes);
// Exactly one value per member, separated by blanks.
bool ParseStruct(const StructType& type, const std::string& text, void* bytes);

}  // namespace platform::tweak

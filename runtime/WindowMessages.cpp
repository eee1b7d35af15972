#include "runtime/WindowMessages.h"

#include "platform/window/MessageIds.h"

namespace SD {

const char* const FileDrop::kExtensions[kExtensionCount] = {"txt", "xml", "hie", "lua", "fbx", "bin", "obj", "png"};

uint32_t FileDrop::ExtensionIndexOf(const std::string& path) {
    // A dot in the first character does not start an extension.
    const size_t dot = path.size() > 1 ? path.find_last_of('.') : std::string::npos;
    if (dot == std::string::npos || dot == 0) return kNoExtension;
    const std::string extension = path.substr(dot + 1);
    for (uint32_t i = 0; i < kExtensionCount; ++i)
        if (extension == kExtensions[i]) return i;
    return kNoExtension;
}

std::string FileDrop::GetFileName() const {
    const size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

uint32_t DeviceChange::KindOf(uint64_t wParam) {
    switch (wParam) {
        case platform::devchange::kArrival:
            return kArrival;
        case platform::devchange::kRemoveComplete:
            return kRemoveComplete;
        case platform::devchange::kNodesChanged:
            return kNodesChanged;
        default:
            return kOther;
    }
}

}  // namespace SD

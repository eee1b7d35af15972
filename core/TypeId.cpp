#include "core/TypeId.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <mutex>

namespace MFCore {
namespace {

constexpr uint32_t kFirstCounterId = 18;
uint32_t g_nextCounterId = kFirstCounterId;
std::mutex g_counterMutex;

}  // namespace

bool IsFixedTypeId(uint32_t id) {
    switch (id) {
        case 1:
        case 6:
        case 7:
        case 8:
        case 9:
        case 10:
        case 11:
        case 12:
        case 13:
        case 17:
        case 19:
        case 0x2FFF001Cu:
            return true;
        default:
            return false;
    }
}

uint32_t NextCounterTypeId() {
    std::lock_guard<std::mutex> lock(g_counterMutex);
    while (IsFixedTypeId(g_nextCounterId)) ++g_nextCounterId;
    return g_nextCounterId++;
}

std::string ClassTypeName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                     std::free);
    return std::string("class ") + (status == 0 && demangled ? demangled.get() : type.name());
}

}  // namespace MFCore

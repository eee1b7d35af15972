#include "core/RTTI.h"

#include "core/Logger.h"

namespace {
RTTIClassRegistry* g_registry = nullptr;
}

std::string IRTTIUser::ClassNameFromTypeName(const std::string& typeName) {
    if (typeName == "void" || typeName == "undefined") return typeName;
    const size_t blank = typeName.find(' ');
    return blank == std::string::npos ? typeName : typeName.substr(blank + 1);
}

std::string IRTTIUser::AccessorNameFromText(const std::string& text) {
    const size_t colon = text.rfind(':');
    const size_t start = colon == std::string::npos ? 0 : colon + 1;
    const size_t end = text.find_first_of(" )", start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

IRTTIUser::FunctionEntry* IRTTIUser::FindFunction(ClassInfo& info, const std::string& name) {
    for (FunctionEntry& entry : info.functions)
        if (entry.name == name) return &entry;
    SD_WARNING(Debug::kLogError, "Class %s has no reflected function \"%s\"", info.name.c_str(), name.c_str());
    return nullptr;
}

RTTIClassRegistry* RTTIClassRegistry::Create() {
    if (!g_registry) g_registry = new RTTIClassRegistry();
    return g_registry;
}

RTTIClassRegistry* RTTIClassRegistry::GetInstance() { return g_registry; }

void RTTIClassRegistry::Destroy() {
    delete g_registry;
    g_registry = nullptr;
}

RTTIClassRegistry::~RTTIClassRegistry() {
    for (auto& [name, entry] : entries_) {
        // The class builds its description again if it is asked for one later.
        if (entry.owner && *entry.owner == entry.info) *entry.owner = nullptr;
        delete entry.info;
    }
}

void RTTIClassRegistry::Enter(const std::string& name, IRTTIUser::ClassInfo* info, IRTTIUser::ClassInfo** owner) {
    Entry& entry = Create()->entries_[name];
    entry.info = info;
    entry.owner = owner;
}

IRTTIUser::ClassInfo* RTTIClassRegistry::Find(const std::string& name) const {
    auto it = entries_.find(name);
    return it == entries_.end() ? nullptr : it->second.info;
}

#include "platform/tweak/TweakBar.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/tweak/TweakDefinition.h"
#include "platform/tweak/TweakInspect.h"
#include "platform/tweak/TweakValues.h"

namespace platform::tweak {

struct Item {
    std::string name;
    ItemKind kind = ItemKind::kVariable;
    uint32_t type = 0;
    bool readOnly = false;
    void* storage = nullptr;
    SetCallback set = nullptr;
    GetCallback get = nullptr;
    ButtonCallback button = nullptr;
    void* clientData = nullptr;
    std::string definition;
    Params params;
};

class Bar {
public:
    std::string name;
    std::vector<std::unique_ptr<Item>> items;
    Params params;
    std::map<std::string, Params> groups;
};

namespace {

struct Library {
    std::vector<std::unique_ptr<Bar>> bars;
    std::vector<StructType> structs;  // type kFirstStructType + i
    CopyCStringFunction copy = nullptr;
    int width = 0;
    int height = 0;
    std::vector<std::string> errors;
    // Bars and items removed while a callback runs wait here until the outermost one returns.
    int callbackDepth = 0;
    std::vector<std::unique_ptr<Bar>> deadBars;
    std::vector<std::unique_ptr<Item>> deadItems;
};

Library& Lib() {
    static Library library;
    return library;
}

// The errors kept for tests: the latest ones, so a program that keeps failing stays bounded.
constexpr size_t kKeptErrors = 256;

bool Fail(const std::string& message) {
    auto& errors = Lib().errors;
    if (errors.size() == kKeptErrors) errors.erase(errors.begin());
    errors.push_back(message);
    return false;
}

std::string Text(const char* s) { return s ? s : ""; }

class CallbackScope {
public:
    CallbackScope() { ++Lib().callbackDepth; }
    ~CallbackScope() {
        Library& lib = Lib();
        if (--lib.callbackDepth == 0) {
            lib.deadItems.clear();
            lib.deadBars.clear();
        }
    }
    CallbackScope(const CallbackScope&) = delete;
    CallbackScope& operator=(const CallbackScope&) = delete;
};

std::vector<std::unique_ptr<Bar>>::iterator FindLive(const Bar* bar) {
    auto& bars = Lib().bars;
    return std::find_if(bars.begin(), bars.end(), [bar](const std::unique_ptr<Bar>& b) { return b.get() == bar; });
}

bool IsLive(const Bar* bar) { return bar && FindLive(bar) != Lib().bars.end(); }

Item* FindItemIn(const Bar* bar, const std::string& name) {
    if (name.empty()) return nullptr;
    for (const auto& item : bar->items)
        if (item->name == name) return item.get();
    return nullptr;
}

bool IsGroupOf(const Bar* bar, const std::string& name) {
    if (bar->groups.count(name)) return true;
    for (const auto& item : bar->items) {
        auto group = item->params.find("group");
        if (group != item->params.end() && group->second == name) return true;
    }
    return false;
}

const StructType* Struct(uint32_t type) {
    const auto& structs = Lib().structs;
    if (type < kFirstStructType || type - kFirstStructType >= structs.size()) return nullptr;
    return &structs[type - kFirstStructType];
}

bool KnownType(uint32_t type) {
    return IsBasicType(type) || type == kTypeCString || type == kTypeStdString || Struct(type) != nullptr;
}

void Bury(std::unique_ptr<Item> item) {
    if (Lib().callbackDepth > 0) Lib().deadItems.push_back(std::move(item));
}

bool AddItem(Bar* bar, std::unique_ptr<Item> item, const char* definition) {
    if (!IsLive(bar)) return Fail("no such bar for item \"" + item->name + "\"");
    if (item->kind != ItemKind::kSeparator || !item->name.empty()) {
        if (item->name.empty()) return Fail("an item needs a name");
        if (FindItemIn(bar, item->name)) return Fail("bar \"" + bar->name + "\" already has \"" + item->name + "\"");
    }
    item->definition = Text(definition);
    if (!ParseParams(item->definition, &item->params))
        return Fail("bad definition \"" + item->definition + "\" for \"" + item->name + "\"");
    bar->items.push_back(std::move(item));
    return true;
}

bool AddVariable(Bar* bar, const char* name, uint32_t type, void* storage, bool readOnly, SetCallback set,
                 GetCallback get, void* clientData, const char* definition) {
    if (!KnownType(type)) return Fail("unknown type " + std::to_string(type) + " for \"" + Text(name) + "\"");
    if (!storage && !get) return Fail("variable \"" + Text(name) + "\" has neither storage nor a get callback");
    auto item = std::make_unique<Item>();
    item->name = Text(name);
    item->type = type;
    item->readOnly = readOnly;
    item->storage = storage;
    item->set = set;
    item->get = get;
    item->clientData = clientData;
    return AddItem(bar, std::move(item), definition);
}

// The value of a fixed-size variable (basic or struct) in `bytes`.
void ReadBytes(const Item& item, size_t size, std::vector<unsigned char>* bytes) {
    bytes->assign(size, 0);
    if (item.get) {
        CallbackScope scope;
        item.get(bytes->data(), item.clientData);
    } else {
        std::memcpy(bytes->data(), item.storage, size);
    }
}

void WriteBytes(Item& item, const std::vector<unsigned char>& bytes) {
    if (item.set) {
        CallbackScope scope;
        item.set(bytes.data(), item.clientData);
    } else {
        std::memcpy(item.storage, bytes.data(), bytes.size());
    }
}

}  // namespace

Bar* NewBar(const char* name) {
    if (!name || !*name) {
        Fail("a bar needs a name");
        return nullptr;
    }
    if (FindBar(name)) {
        Fail(std::string("bar \"") + name + "\" already exists");
        return nullptr;
    }
    Lib().bars.push_back(std::make_unique<Bar>());
    Lib().bars.back()->name = name;
    return Lib().bars.back().get();
}

bool DeleteBar(Bar* bar) {
    auto it = FindLive(bar);
    if (it == Lib().bars.end()) return Fail("no such bar to delete");
    std::unique_ptr<Bar> owned = std::move(*it);
    Lib().bars.erase(it);
    if (Lib().callbackDepth > 0) Lib().deadBars.push_back(std::move(owned));
    return true;
}

bool DeleteAllBars() {
    while (!Lib().bars.empty()) DeleteBar(Lib().bars.back().get());
    return true;
}

bool AddVarRW(Bar* bar, const char* name, uint32_t type, void* var, const char* definition) {
    if (!var) return Fail("variable \"" + Text(name) + "\" has no storage");
    return AddVariable(bar, name, type, var, false, nullptr, nullptr, nullptr, definition);
}

bool AddVarCB(Bar* bar, const char* name, uint32_t type, SetCallback set, GetCallback get, void* clientData,
              const char* definition) {
    if (!get) return Fail("variable \"" + Text(name) + "\" has no get callback");
    return AddVariable(bar, name, type, nullptr, set == nullptr, set, get, clientData, definition);
}

bool AddButton(Bar* bar, const char* name, ButtonCallback callback, void* clientData, const char* definition) {
    if (!callback) return Fail("button \"" + Text(name) + "\" has no callback");
    auto item = std::make_unique<Item>();
    item->name = Text(name);
    item->kind = ItemKind::kButton;
    item->button = callback;
    item->clientData = clientData;
    return AddItem(bar, std::move(item), definition);
}

bool AddSeparator(Bar* bar, const char* name, const char* definition) {
    auto item = std::make_unique<Item>();
    item->name = Text(name);
    item->kind = ItemKind::kSeparator;
    return AddItem(bar, std::move(item), definition);
}

bool RemoveVar(Bar* bar, const char* name) {
    if (!IsLive(bar)) return Fail("no such bar to remove \"" + Text(name) + "\" from");
    auto& items = bar->items;
    auto it = std::find_if(items.begin(), items.end(),
                           [&](const std::unique_ptr<Item>& i) { return !i->name.empty() && i->name == Text(name); });
    if (it == items.end()) return Fail("bar \"" + bar->name + "\" has no \"" + Text(name) + "\"");
    std::unique_ptr<Item> owned = std::move(*it);
    items.erase(it);
    Bury(std::move(owned));
    return true;
}

bool RemoveAllVars(Bar* bar) {
    if (!IsLive(bar)) return Fail("no such bar to empty");
    for (auto& item : bar->items) Bury(std::move(item));
    bar->items.clear();
    return true;
}

bool Define(const char* definition) {
    std::string target;
    Params params;
    if (!definition || !ParseDefinition(definition, &target, &params))
        return Fail("bad definition \"" + Text(definition) + "\"");
    if (Bar* bar = FindBar(target)) {
        for (auto& [key, value] : params) bar->params[key] = value;
        return true;
    }
    const size_t slash = target.rfind('/');
    Bar* bar = slash == std::string::npos ? nullptr : FindBar(target.substr(0, slash));
    Item* item = bar ? FindItemIn(bar, target.substr(slash + 1)) : nullptr;
    if (!item) return Fail("definition for unknown \"" + target + "\"");
    for (auto& [key, value] : params) item->params[key] = value;
    return true;
}

uint32_t DefineStruct(const char* name, const StructMember* members, size_t memberCount, size_t structSize, void*,
                      void*) {
    if (!name || !*name || !members || memberCount == 0 || structSize == 0) {
        Fail("bad struct definition \"" + Text(name) + "\"");
        return 0;
    }
    StructType type;
    type.name = name;
    type.size = structSize;
    for (size_t i = 0; i < memberCount; ++i) {
        const StructMember& m = members[i];
        if (!m.name || !IsBasicType(m.type) || m.type == kTypeQuaternion || m.offset + BasicSize(m.type) > structSize) {
            Fail("bad member " + std::to_string(i) + " of struct \"" + type.name + "\"");
            return 0;
        }
        StructType::Member member{m.name, m.type, m.offset, Params()};
        ParseParams(Text(m.definition), &member.params);
        type.members.push_back(std::move(member));
    }
    Lib().structs.push_back(std::move(type));
    return kFirstStructType + static_cast<uint32_t>(Lib().structs.size() - 1);
}

bool SetParam(Bar* bar, const char* itemName, const char* paramName, ParamType type, int count, const void* values) {
    if (!IsLive(bar) || !paramName || !*paramName || count < 1 || !values) return Fail("bad parameter request");
    std::string value;
    for (int i = 0; i < count; ++i) {
        if (i) value += ' ';
        switch (type) {
            case kParamInt32:
                value += std::to_string(static_cast<const int32_t*>(values)[i]);
                break;
            case kParamFloat:
                value += FormatFloating(static_cast<const float*>(values)[i]);
                break;
            case kParamDouble:
                value += FormatFloating(static_cast<const double*>(values)[i]);
                break;
            case kParamCString:
                if (count != 1) return Fail("a text parameter has one value");
                value = static_cast<const char*>(values);
                break;
            default:
                return Fail("unknown parameter type");
        }
    }
    std::string key = paramName;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // A name that items use as their group names the group, even when an item has it too.
    if (!itemName || !*itemName)
        bar->params[key] = value;
    else if (IsGroupOf(bar, itemName))
        bar->groups[itemName][key] = value;
    else if (Item* item = FindItemIn(bar, itemName))
        item->params[key] = value;
    else
        bar->groups[itemName][key] = value;
    return true;
}

bool WindowSize(int width, int height) {
    if (width < 0 || height < 0) return Fail("bad window size");
    Lib().width = width;
    Lib().height = height;
    return true;
}

int EventWin(void*, uint32_t, uint64_t, int64_t) { return 0; }

void CopyCDStringToClientFunc(CopyCStringFunction copy) { Lib().copy = copy; }

// ---- Test-facing side --------------------------------------------------------------------

std::vector<std::string> BarNames() {
    std::vector<std::string> names;
    for (const auto& bar : Lib().bars) names.push_back(bar->name);
    return names;
}

Bar* FindBar(const std::string& name) {
    for (const auto& bar : Lib().bars)
        if (bar->name == name) return bar.get();
    return nullptr;
}

std::map<std::string, std::string> BarParams(const Bar* bar) { return IsLive(bar) ? bar->params : Params(); }

std::map<std::string, std::string> GroupParams(const Bar* bar, const std::string& group) {
    if (!IsLive(bar)) return {};
    auto it = bar->groups.find(group);
    return it == bar->groups.end() ? Params() : it->second;
}

namespace {

ItemInfo Describe(const Item& item) {
    ItemInfo info;
    info.name = item.name;
    info.kind = item.kind;
    info.type = item.type;
    info.readOnly = item.readOnly;
    info.definition = item.definition;
    info.params = item.params;
    return info;
}

Item* FindVariable(Bar* bar, const std::string& name) {
    Item* item = IsLive(bar) ? FindItemIn(bar, name) : nullptr;
    return item && item->kind == ItemKind::kVariable ? item : nullptr;
}

}  // namespace

std::vector<ItemInfo> Items(const Bar* bar) {
    std::vector<ItemInfo> items;
    if (!IsLive(bar)) return items;
    for (const auto& item : bar->items) items.push_back(Describe(*item));
    return items;
}

bool FindItem(const Bar* bar, const std::string& name, ItemInfo* out) {
    const Item* item = IsLive(bar) ? FindItemIn(bar, name) : nullptr;
    if (!item) return false;
    if (out) *out = Describe(*item);
    return true;
}

bool ReadValue(Bar* bar, const std::string& name, std::string* text) {
    Item* item = FindVariable(bar, name);
    if (!item || !text) return false;
    if (item->type == kTypeCString) {
        const char* value = nullptr;
        if (item->get) {
            CallbackScope scope;
            item->get(&value, item->clientData);
        } else {
            value = *static_cast<char* const*>(item->storage);
        }
        *text = Text(value);
        return true;
    }
    if (item->type == kTypeStdString) {
        if (item->get) {
            std::string value;
            CallbackScope scope;
            item->get(&value, item->clientData);
            *text = value;
        } else {
            *text = *static_cast<const std::string*>(item->storage);
        }
        return true;
    }
    std::vector<unsigned char> bytes;
    if (const StructType* type = Struct(item->type)) {
        ReadBytes(*item, type->size, &bytes);
        *text = FormatStruct(*type, bytes.data());
    } else {
        ReadBytes(*item, BasicSize(item->type), &bytes);
        *text = FormatBasic(item->type, bytes.data());
    }
    return true;
}

bool WriteValue(Bar* bar, const std::string& name, const std::string& text) {
    Item* item = FindVariable(bar, name);
    if (!item || item->readOnly) return false;
    if (item->type == kTypeCString) {
        if (item->set) {
            const char* value = text.c_str();
            CallbackScope scope;
            item->set(&value, item->clientData);
            return true;
        }
        if (!Lib().copy) return Fail("no copy function for C string \"" + name + "\"");
        Lib().copy(static_cast<char**>(item->storage), text.c_str());
        return true;
    }
    if (item->type == kTypeStdString) {
        if (item->set) {
            const std::string value = text;
            CallbackScope scope;
            item->set(&value, item->clientData);
        } else {
            *static_cast<std::string*>(item->storage) = text;
        }
        return true;
    }
    std::vector<unsigned char> bytes;
    if (const StructType* type = Struct(item->type)) {
        bytes.assign(type->size, 0);
        if (!ParseStruct(*type, text, bytes.data())) return false;
    } else {
        bytes.assign(BasicSize(item->type), 0);
        if (!ParseBasic(item->type, text, bytes.data())) return false;
    }
    WriteBytes(*item, bytes);
    return true;
}

bool PressButton(Bar* bar, const std::string& name) {
    Item* item = IsLive(bar) ? FindItemIn(bar, name) : nullptr;
    if (!item || item->kind != ItemKind::kButton) return false;
    CallbackScope scope;
    item->button(item->clientData);
    return true;
}

int WindowWidth() { return Lib().width; }
int WindowHeight() { return Lib().height; }
const std::vector<std::string>& Errors() { return Lib().errors; }

void ResetForTests() {
    Library& lib = Lib();
    lib.bars.clear();
    lib.structs.clear();
    lib.copy = nullptr;
    lib.width = lib.height = 0;
    lib.errors.clear();
}

}  // namespace platform::tweak

#pragma once
// Debug tweak bars held in memory: named bars of variables (read through callbacks or straight
// from the program's storage), buttons and separators, arranged in groups and described by
// definition strings ("'Bar' visible=true size='200 300'"). Nothing is drawn; tests read and
// drive the bars through platform/tweak/TweakInspect.h. Main thread only.
#include <cstddef>
#include <cstdint>

namespace platform::tweak {

// Variable type codes. Struct types made by DefineStruct are numbered from kFirstStructType
// upwards, above every basic code and far above the small ids the core hands out to other types.
enum Type : uint32_t {
    kTypeUndefined = 0,
    kTypeBool = 1,  // a one-byte bool
    kTypeInt8 = 6,
    kTypeUInt8 = 7,
    kTypeInt16 = 8,
    kTypeUInt16 = 9,
    kTypeInt32 = 10,
    kTypeUInt32 = 11,
    kTypeFloat = 12,
    kTypeDouble = 13,
    kTypeCString = 17,     // a char* the program allocates; written through the copy function
    kTypeQuaternion = 19,  // four floats
    kTypeStdString = 0x2FFF001Cu,
};
constexpr uint32_t kFirstStructType = 0x30000000u;

// Value types of SetParam.
enum ParamType : int { kParamInt32 = 0, kParamFloat = 1, kParamDouble = 2, kParamCString = 3 };

class Bar;

// The library writes a variable's value into `value` (get) or reads the new one from it (set):
// a pointer to the type's storage (a const char* for C strings, a std::string for strings).
using SetCallback = void (*)(const void* value, void* clientData);
using GetCallback = void (*)(void* value, void* clientData);
using ButtonCallback = void (*)(void* clientData);
// Replaces *destination (null, or allocated with malloc) by a copy of source.
using CopyCStringFunction = void (*)(char** destination, const char* source);

struct StructMember {
    const char* name;
    uint32_t type;  // a basic numeric type
    size_t offset;
    const char* definition;  // may be null
};

// A new bar; null (an error recorded) for an empty name or one already in use.
Bar* NewBar(const char* name);
// Removing a bar, or an item of a bar, from inside one of that bar's callbacks takes effect at
// once for every lookup; its memory goes when the outermost callback returns.
bool DeleteBar(Bar* bar);
bool DeleteAllBars();

// Each adds an item at the end of the bar; false (an error recorded) for a missing bar, an
// empty or used name, an unknown type or a missing storage or callback.
bool AddVarRW(Bar* bar, const char* name, uint32_t type, void* var, const char* definition);
// A variable without a set callback is read-only.
bool AddVarCB(Bar* bar, const char* name, uint32_t type, SetCallback set, GetCallback get, void* clientData,
              const char* definition);
bool AddButton(Bar* bar, const char* name, ButtonCallback callback, void* clientData, const char* definition);
// A separator's name may be null; unnamed separators never clash.
bool AddSeparator(Bar* bar, const char* name, const char* definition);
bool RemoveVar(Bar* bar, const char* name);
bool RemoveAllVars(Bar* bar);

// "'<bar>' key=value ..." sets parameters of a bar; "'<bar>/<item>' key=value ..." of an item.
// Values may be quoted with ' or ", and blanks may surround '='; a key without '=' reads "true".
bool Define(const char* definition);
// Returns the new type, or 0 (an error recorded) for a bad name, member list or size.
uint32_t DefineStruct(const char* name, const StructMember* members, size_t memberCount, size_t structSize,
                      void* summaryCallback, void* clientData);
// Sets a parameter of a bar (item name null), an item or a group of the bar.
bool SetParam(Bar* bar, const char* itemName, const char* paramName, ParamType type, int count, const void* values);

bool WindowSize(int width, int height);
// The bars take no input from the window: nothing is ever handled (0).
int EventWin(void* window, uint32_t message, uint64_t wParam, int64_t lParam);
void CopyCDStringToClientFunc(CopyCStringFunction copy);

}  // namespace platform::tweak

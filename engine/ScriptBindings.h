#pragma once
// The tables through which scripts reach the engine: script classes (a global class table and a
// registry metatable of named C functions each), global functions and integer constants. The
// engine's own are built in; higher layers add theirs before the state is set up.
#include <lua.hpp>

#include <cstddef>
#include <string>
#include <utility>

namespace SD {

// Registry keys of the sets of metatables made for script classes (all, and component classes).
extern const char* const kClassMetatablesKey;
extern const char* const kComponentMetatablesKey;

struct ScriptMethod {
    const char* name;
    lua_CFunction function;
};

// Entry 0 is "__gc" and entry 1 "__call"/"new": both set for value classes (which scripts may
// construct), both null for engine classes. The methods follow. A method whose name is one of
// the arithmetic, comparison, call, length or text metamethods goes into the metatable, every
// other into the class table.
struct ScriptClass {
    const char* name;
    const ScriptMethod* methods;
    size_t count;
    // Components handed to scripts under this class answer the "Component" methods too.
    bool component;
};

// A named integer constant registered as a global number.
class IConstantType {
public:
    IConstantType(std::string name, int value) : name_(std::move(name)), value_(value) {}
    virtual ~IConstantType() = default;
    virtual void Register(lua_State* L) const;
    const std::string& GetName() const { return name_; }
    int GetValue() const { return value_; }

private:
    std::string name_;
    int value_;
};

template <class T>
class ConstantType : public IConstantType {
public:
    ConstantType(const char* name, T value) : IConstantType(name, static_cast<int>(value)) {}
};

// Adds to the lists that RegisterScriptBindings walks. The class record must outlive the lists.
void AddScriptClass(const ScriptClass& record);
void AddScriptFunction(const char* name, lua_CFunction function);
void AddScriptConstant(const std::string& name, int value);

// Registers every constant (the component IDs and those added), every global function, then
// every class, into the state.
void RegisterScriptBindings(lua_State* L);
// Registers one class record into the state.
void RegisterScriptClass(lua_State* L, const ScriptClass& record);

}  // namespace SD

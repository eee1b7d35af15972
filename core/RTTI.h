#pragma once
// Reflection: a class publishes its named getters and setters once per run in a class
// description; callers copy the description and call the accessors by name.
#include <map>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "core/BoundFunction.h"

class IRTTIUser {
public:
    struct FunctionEntry {
        std::string name;
        // Copies of a description share the bound functions; the last one deletes it.
        std::shared_ptr<MFCore::BoundFunction> function;
    };

    struct ClassInfo {
        std::string name;
        std::vector<FunctionEntry> functions;
    };

    virtual ~IRTTIUser() = default;
    // A class that registers nothing is "undefined" with no entries.
    virtual ClassInfo GetClassInfo() { return ClassInfo{"undefined", {}}; }
    virtual ClassInfo GetBoundClassInfo() { return GetClassInfo(); }

    // The description name of a type name: "void" and "undefined" stay, otherwise everything
    // up to and including the first blank goes ("class SD::Transform" gives "SD::Transform").
    static std::string ClassNameFromTypeName(const std::string& typeName);
    // The entry of that name in a description, or null: a name the class does not publish is
    // logged and nothing is added to the description.
    static FunctionEntry* FindFunction(ClassInfo& info, const std::string& name);

    // The accessor name in a member-pointer text: after the last ':' and up to the next blank
    // or ')' ("&Transform::GetPosX" gives "GetPosX").
    static std::string AccessorNameFromText(const std::string& text);
};

// The process-wide owner of every class description, by class name.
class RTTIClassRegistry {
public:
    static RTTIClassRegistry* Create();
    // Null before Create and after Destroy.
    static RTTIClassRegistry* GetInstance();
    // Deletes every description held, in name order, and clears the owners' pointers to them.
    static void Destroy();

    // Stores the description under the name; `owner` is the class's pointer to it, cleared
    // when the registry deletes the description. Creates the registry if there is none.
    static void Enter(const std::string& name, IRTTIUser::ClassInfo* info, IRTTIUser::ClassInfo** owner);

    IRTTIUser::ClassInfo* Find(const std::string& name) const;
    size_t Size() const { return entries_.size(); }

private:
    struct Entry {
        IRTTIUser::ClassInfo* info = nullptr;
        IRTTIUser::ClassInfo** owner = nullptr;
    };
    RTTIClassRegistry() = default;
    ~RTTIClassRegistry();

    std::map<std::string, Entry> entries_;
};

// Second base of a reflected class T; T supplies RegisterFunctions, which calls the
// registrations below (usually through the RTTI_GETTER / RTTI_SETTER macros).
template <class T>
class RTTIUser : public virtual IRTTIUser {
public:
    virtual void RegisterFunctions() = 0;

    // The first call on any object of T builds T's description; every call returns a copy.
    ClassInfo GetClassInfo() override {
        if (!s_classInfo) {
            EnsureClassInfo();
            RegisterFunctions();
        }
        return *s_classInfo;
    }

protected:
    // What a reflected class's GetBoundClassInfo returns: a copy of the description in which
    // every member function is replaced by its twin tied to `object` (under a count of its own).
    ClassInfo BindClassInfo(T* object) {
        ClassInfo info = GetClassInfo();
        const MFCore::Any self(object);
        for (FunctionEntry& entry : info.functions)
            if (MFCore::BoundFunction* bound = entry.function->BindTo(self)) entry.function.reset(bound);
        return info;
    }

    template <class R>
    void RegisterGetter(R (T::*getter)(), const char* text) {
        Add(text, new MFCore::MemberFunction_0Parameters<R, T>(getter));
    }
    template <class R>
    void RegisterGetter(R (T::*getter)() const, const char* text) {
        Add(text, new MFCore::ConstMemberFunction_0Parameters<R, T>(getter));
    }
    template <class A>
    void RegisterSetter(void (T::*setter)(A), const char* text) {
        Add(text, new MFCore::MemberFunction_1Parameters<void, T, A>(setter));
    }

private:
    void EnsureClassInfo() {
        if (s_classInfo) return;
        const std::string name = ClassNameFromTypeName(MFCore::ClassTypeName(typeid(*this)));
        s_classInfo = new ClassInfo{name, {}};
        RTTIClassRegistry::Enter(name, s_classInfo, &s_classInfo);
    }

    void Add(const char* text, MFCore::BoundFunction* function) {
        std::shared_ptr<MFCore::BoundFunction> shared(function);
        EnsureClassInfo();
        s_classInfo->functions.push_back(FunctionEntry{AccessorNameFromText(text), std::move(shared)});
        RTTIClassRegistry::Enter(s_classInfo->name, s_classInfo, &s_classInfo);
    }

    static inline ClassInfo* s_classInfo = nullptr;
};

#define RTTI_GETTER(getter) this->RegisterGetter(getter, #getter)
#define RTTI_SETTER(setter) this->RegisterSetter(setter, #setter)

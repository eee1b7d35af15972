#pragma once
// Where engine objects offer their editable values to the game's tweak bars.
#include <string>

namespace SD {

class SharedString;

class TweakVariableTarget {
public:
    virtual ~TweakVariableTarget() = default;
    // Shows the string as an editable field named `name`; `definition` is in the tweak bars'
    // own syntax (" label='Name' ").
    virtual void AddStringVariable(std::string* value, const SharedString& name, const char* definition) = 0;
};

}  // namespace SD

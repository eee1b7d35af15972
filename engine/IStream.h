#pragma once
// The typed visitor through which a component reads and writes its fields. Groups nest
// (the component itself, then vectors and matrices inside it); values are visited either as
// children (Serialize, with a label or, for the members of a vector, without) or as
// attributes of the current group (SerializeNamed).
#include <string>

#include "engine/SuperialType.h"

namespace SD {

class SharedString;
class SuperialValue;

class IStream {
public:
    enum Direction { kRead = 0, kWrite = 1 };

    virtual ~IStream() = default;

    virtual int GetDirection() const = 0;
    virtual bool IsUpdate() const = 0;
    virtual SuperialValue* GetCurrentNode() const = 0;

    // label and tag may be null; typeCode is a SuperialType (Object for a component, Array
    // for a vector or matrix). Every BeginGroup is paired with one EndGroup, whose arguments
    // are ignored.
    virtual void BeginGroup(const char* label, const char* tag, unsigned typeCode) = 0;
    virtual void EndGroup(const char* label, const char* tag, unsigned typeCode) = 0;

    // Values kept as attributes of the current group.
    virtual void SerializeNamed(SharedString& value, const char* name) = 0;
    virtual void SerializeNamed(std::string& value, const char* name) = 0;
    virtual void SerializeNamed(bool& value, const char* name) = 0;
    virtual void SerializeNamed(double& value, const char* name) = 0;
    virtual void SerializeNamed(float& value, const char* name) = 0;
    virtual void SerializeNamed(unsigned int& value, const char* name) = 0;
    virtual void SerializeNamed(int& value, const char* name) = 0;

    // Values kept as child nodes. label is null for the members of a vector or matrix;
    // typeName is the element name in a file: "String", "Boolean", "Float" or "Integer".
    virtual void Serialize(SharedString& value, const char* label, const char* typeName) = 0;
    virtual void Serialize(std::string& value, const char* label, const char* typeName) = 0;
    virtual void Serialize(bool& value, const char* label, const char* typeName) = 0;
    virtual void Serialize(double& value, const char* label, const char* typeName) = 0;
    virtual void Serialize(float& value, const char* label, const char* typeName) = 0;
    virtual void Serialize(unsigned int& value, const char* label, const char* typeName) = 0;
    virtual void Serialize(int& value, const char* label, const char* typeName) = 0;
};

}  // namespace SD

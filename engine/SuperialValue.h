#pragma once
// A node of a value tree: the in-memory form of a data file. Each node has a type, a name, a
// tag (its element name in XML), a scalar value or a child list, and an attribute list.
// Sibling lists are doubly linked; each list also keeps its last node so that appending
// does not walk it.
#include <cstdint>
#include <string>

#include "engine/SuperialType.h"
#include "platform/TestProbe.h"

namespace SD {

class SharedString;
class SuperialDataMap;

class SuperialValue {
public:
    static constexpr const char* kUnnamed = "(Unnamed)";

    SuperialValue();
    ~SuperialValue();
    SuperialValue(const SuperialValue&) = delete;
    SuperialValue& operator=(const SuperialValue&) = delete;

    // Links.
    SuperialValue* Next() const { return next_; }
    SuperialValue* Previous() const { return previous_; }
    SuperialValue* Parent() const { return parent_; }
    SuperialValue* FirstChild() const { return firstChild_; }
    SuperialValue* FirstAttribute() const { return firstAttribute_; }
    SuperialValue* LastAttribute() const { return lastAttribute_; }

    unsigned Type() const { return type_; }
    bool IsContainer() const { return IsContainerType(type_); }
    bool IsAttribute() const { return isAttribute_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    const std::string& Tag() const { return tag_; }
    void SetTag(const std::string& tag) { tag_ = tag; }

    // The value as each scalar type, converted by value: a Float read as an integer is
    // rounded toward zero and held to the integer's range (not a number reads 0), and an
    // Integer or Boolean read as a float is its number. A container's value reads 0.
    bool GetBoolean() const;
    int GetInteger() const;
    unsigned GetUnsigned() const;
    float GetFloat() const;
    const std::string& GetText() const { return text_; }

    // Type changes: false when refused (a container with children cannot become a scalar,
    // an attribute cannot become a container).
    bool SetType(unsigned code);
    // Tag = typeName and the type from it: the scalar type names and "Array" give their
    // types, any other name gives Object.
    bool SetTypeName(const std::string& typeName);
    bool MakeObject();

    // Typed setters: refused (nothing changes) on a container with children; otherwise the
    // type and tag become the setter's type and the value is stored.
    bool SetBoolean(bool value);
    bool SetInteger(int value);
    bool SetInteger(unsigned value);
    bool SetFloat(double value);
    bool SetString(const std::string& value);
    bool SetString(const SharedString& value);
    // The setter, then name = label and tag = typeName whatever the setter did.
    void Assign(bool value, const std::string& label, const std::string& typeName);
    void Assign(double value, const std::string& label, const std::string& typeName);
    void Assign(float value, const std::string& label, const std::string& typeName);
    void Assign(unsigned value, const std::string& label, const std::string& typeName);
    void Assign(int value, const std::string& label, const std::string& typeName);
    void Assign(const std::string& value, const std::string& label, const std::string& typeName);

    // Lookups along a sibling list starting at start (start included); null when none.
    static SuperialValue* FindByName(SuperialValue* start, const std::string& name);
    static SuperialValue* FindByTag(SuperialValue* start, const std::string& tag);
    static SuperialValue* FindChildByName(const SuperialValue* node, const std::string& name);
    static SuperialValue* FindChildByTag(const SuperialValue* node, const std::string& tag);

    // Copy the value of the attribute called name; out is untouched (false) when missing.
    bool GetAttribute(const std::string& name, bool& out) const;
    bool GetAttribute(const std::string& name, double& out) const;
    bool GetAttribute(const std::string& name, float& out) const;
    bool GetAttribute(const std::string& name, unsigned& out) const;
    bool GetAttribute(const std::string& name, int& out) const;
    bool GetAttribute(const std::string& name, std::string& out) const;
    bool GetAttribute(const std::string& name, SharedString& out) const;
    // The same over the sibling list that starts at start.
    static bool GetFromList(const SuperialValue* start, const std::string& name, bool& out);
    static bool GetFromList(const SuperialValue* start, const std::string& name, double& out);
    static bool GetFromList(const SuperialValue* start, const std::string& name, float& out);
    static bool GetFromList(const SuperialValue* start, const std::string& name, unsigned& out);
    static bool GetFromList(const SuperialValue* start, const std::string& name, int& out);
    static bool GetFromList(const SuperialValue* start, const std::string& name, std::string& out);
    static bool GetFromList(const SuperialValue* start, const std::string& name, SharedString& out);
    // Copy a node's own value out as the given type.
    static void CopyValue(const SuperialValue& node, bool& out) { out = node.GetBoolean(); }
    static void CopyValue(const SuperialValue& node, double& out) { out = node.GetFloat(); }
    static void CopyValue(const SuperialValue& node, float& out) { out = node.GetFloat(); }
    static void CopyValue(const SuperialValue& node, unsigned& out) { out = node.GetUnsigned(); }
    static void CopyValue(const SuperialValue& node, int& out) { out = node.GetInteger(); }
    static void CopyValue(const SuperialValue& node, std::string& out) { out = node.GetText(); }
    static void CopyValue(const SuperialValue& node, SharedString& out);

    // Creation; each returns the new node or null when refused. Codes above 7 leave the new
    // node Null (except kSuperialSameType for InsertAfter).
    static SuperialValue* AddChild(SuperialValue* parent, unsigned code);     // at the head
    static SuperialValue* AppendChild(SuperialValue* parent, unsigned code);  // at the end
    static SuperialValue* InsertAfter(SuperialValue* node, unsigned code);
    static SuperialValue* AddAttribute(SuperialValue* node, unsigned code);  // at the head
    // Typed attribute adders append, so attributes keep the order they were added in.
    static SuperialValue* AddBooleanAttribute(SuperialValue* node, const std::string& name, bool value);
    static SuperialValue* AddFloatAttribute(SuperialValue* node, const std::string& name, double value);
    static SuperialValue* AddFloatAttribute(SuperialValue* node, const std::string& name, float value);
    static SuperialValue* AddIntegerAttribute(SuperialValue* node, const std::string& name, int value);
    static SuperialValue* AddIntegerAttribute(SuperialValue* node, const std::string& name, unsigned value);
    static SuperialValue* AddStringAttribute(SuperialValue* node, const std::string& name, const std::string& value);
    static SuperialValue* AddNameAttribute(SuperialValue* node, const std::string& name, const SharedString& value);
    static SuperialValue* AddChildWithTypeName(SuperialValue* node, const std::string& typeName);
    // A Null node is first made an empty Object; null for a node that is not a container.
    static SuperialValue* AppendChildWithTypeName(SuperialValue* node, const std::string& typeName);
    // A copy of source (its tag, name, type, value, attributes and whole subtree) appended to
    // parent's children; null when parent is not a container.
    static SuperialValue* AppendCopy(SuperialValue* parent, const SuperialValue& source);

    // Unlinks and frees one node; the children of a container take its place.
    static void Remove(SuperialValue* node);
    // Unlinks start and every sibling after it and frees them with their subtrees.
    static void DestroyList(SuperialValue* start);
    // An attribute is removed; any other node is destroyed with the siblings after it.
    static void Destroy(SuperialValue* node);
    // Frees a container's children; clears a scalar's value word.
    static void ClearChildren(SuperialValue* node);

    // The type an element name gives when read from a file: the scalar type names give their
    // types, every other name gives Object.
    static unsigned TypeCodeFromTag(const std::string& tag);
    // Same tag, name, type, value and, recursively, attributes and children.
    static bool SameContent(const SuperialValue* a, const SuperialValue* b);

private:
    friend class SuperialDataMap;
    friend struct SuperialXml;
    friend struct platform::TestProbe<SuperialValue>;

    static SuperialValue* NewNode(SuperialValue* parent, SuperialDataMap* owner, bool isAttribute, unsigned code);
    static void FreeTree(SuperialValue* node);
    // Tag, name, type and value of source; not its attributes or children.
    void CopyOwnContent(const SuperialValue& source);
    // The list head and tail slots that hold node (child list, attribute list or map slot).
    static void ListSlots(SuperialValue* node, SuperialValue**& first, SuperialValue**& last);
    template <class T>
    static bool SetScalar(SuperialValue* node, const char* typeName, T value);

    SuperialValue* next_ = nullptr;
    SuperialValue* previous_ = nullptr;
    SuperialValue* parent_ = nullptr;
    unsigned type_ = kSuperialNull;
    std::string name_;
    union {
        int32_t i;
        uint32_t u;
        float f;
    } value_;
    SuperialValue* firstChild_ = nullptr;
    SuperialValue* lastChild_ = nullptr;
    std::string text_;
    bool isAttribute_ = false;
    SuperialValue* firstAttribute_ = nullptr;
    SuperialValue* lastAttribute_ = nullptr;
    SuperialDataMap* owner_ = nullptr;
    std::string tag_;
};

}  // namespace SD

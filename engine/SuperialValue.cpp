#include "engine/SuperialValue.h"

#include <limits>
#include <type_traits>

#include "engine/SuperialDataMap.h"

namespace SD {

SuperialValue::SuperialValue() : name_(kUnnamed) { value_.u = 0; }

SuperialValue::~SuperialValue() {
    DestroyList(firstChild_);
    DestroyList(firstAttribute_);
}

bool SuperialValue::SetType(unsigned code) {
    if (code > kSuperialFloat) return false;
    if (IsContainerType(code)) {
        if (isAttribute_) return false;
        if (!IsContainer()) {
            value_.u = 0;
            firstChild_ = lastChild_ = nullptr;
        }
    } else if (IsContainer() && firstChild_) {
        return false;
    }
    type_ = code;
    return true;
}

namespace {
// A float held to the range of an integer type and rounded toward zero; not a number is 0.
template <class T>
T FloatToInteger(float f) {
    if (!(f == f)) return 0;
    if (f <= static_cast<float>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
    if (f >= static_cast<float>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
    return static_cast<T>(f);
}
}  // namespace

bool SuperialValue::GetBoolean() const { return type_ == kSuperialFloat ? value_.f != 0.0f : value_.u != 0; }

int SuperialValue::GetInteger() const { return type_ == kSuperialFloat ? FloatToInteger<int32_t>(value_.f) : value_.i; }

unsigned SuperialValue::GetUnsigned() const {
    return type_ == kSuperialFloat ? FloatToInteger<uint32_t>(value_.f) : value_.u;
}

float SuperialValue::GetFloat() const {
    if (type_ == kSuperialInteger || type_ == kSuperialBoolean) return static_cast<float>(value_.i);
    return value_.f;
}

unsigned SuperialValue::TypeCodeFromTag(const std::string& tag) {
    if (tag == "Float") return kSuperialFloat;
    if (tag == "Integer") return kSuperialInteger;
    if (tag == "String") return kSuperialString;
    if (tag == "Boolean") return kSuperialBoolean;
    if (tag == "Null") return kSuperialNull;
    return kSuperialObject;
}

bool SuperialValue::SetTypeName(const std::string& typeName) {
    tag_ = typeName;
    return SetType(typeName == "Array" ? unsigned(kSuperialArray) : TypeCodeFromTag(typeName));
}

bool SuperialValue::MakeObject() {
    if (isAttribute_) return false;
    return SetType(kSuperialObject);
}

template <class T>
bool SuperialValue::SetScalar(SuperialValue* node, const char* typeName, T value) {
    if (node->IsContainer() && node->firstChild_) return false;
    node->SetTypeName(typeName);
    if constexpr (std::is_same_v<T, bool>)
        node->value_.u = value ? 1 : 0;
    else if constexpr (std::is_same_v<T, int>)
        node->value_.i = value;
    else if constexpr (std::is_same_v<T, unsigned>)
        node->value_.u = value;
    else if constexpr (std::is_same_v<T, double>)
        node->value_.f = static_cast<float>(value);
    else
        node->text_ = value;
    return true;
}

bool SuperialValue::SetBoolean(bool value) { return SetScalar(this, "Boolean", value); }
bool SuperialValue::SetInteger(int value) { return SetScalar(this, "Integer", value); }
bool SuperialValue::SetInteger(unsigned value) { return SetScalar(this, "Integer", value); }
bool SuperialValue::SetFloat(double value) { return SetScalar(this, "Float", value); }
bool SuperialValue::SetString(const std::string& value) { return SetScalar(this, "String", value); }

void SuperialValue::Assign(bool value, const std::string& label, const std::string& typeName) {
    SetBoolean(value);
    name_ = label;
    tag_ = typeName;
}
void SuperialValue::Assign(double value, const std::string& label, const std::string& typeName) {
    SetFloat(value);
    name_ = label;
    tag_ = typeName;
}
void SuperialValue::Assign(float value, const std::string& label, const std::string& typeName) {
    Assign(static_cast<double>(value), label, typeName);
}
void SuperialValue::Assign(unsigned value, const std::string& label, const std::string& typeName) {
    SetInteger(value);
    name_ = label;
    tag_ = typeName;
}
void SuperialValue::Assign(int value, const std::string& label, const std::string& typeName) {
    SetInteger(value);
    name_ = label;
    tag_ = typeName;
}
void SuperialValue::Assign(const std::string& value, const std::string& label, const std::string& typeName) {
    SetString(value);
    name_ = label;
    tag_ = typeName;
}

SuperialValue* SuperialValue::FindByName(SuperialValue* start, const std::string& name) {
    for (SuperialValue* n = start; n; n = n->next_)
        if (n->name_ == name) return n;
    return nullptr;
}

SuperialValue* SuperialValue::FindByTag(SuperialValue* start, const std::string& tag) {
    for (SuperialValue* n = start; n; n = n->next_)
        if (n->tag_ == tag) return n;
    return nullptr;
}

SuperialValue* SuperialValue::FindChildByName(const SuperialValue* node, const std::string& name) {
    return node && node->IsContainer() ? FindByName(node->firstChild_, name) : nullptr;
}

SuperialValue* SuperialValue::FindChildByTag(const SuperialValue* node, const std::string& tag) {
    return node && node->IsContainer() ? FindByTag(node->firstChild_, tag) : nullptr;
}

#define SD_SUPERIAL_GETTERS(T)                                                                     \
    bool SuperialValue::GetAttribute(const std::string& name, T& out) const {                      \
        return GetFromList(firstAttribute_, name, out);                                            \
    }                                                                                              \
    bool SuperialValue::GetFromList(const SuperialValue* start, const std::string& name, T& out) { \
        const SuperialValue* found = FindByName(const_cast<SuperialValue*>(start), name);          \
        if (!found) return false;                                                                  \
        CopyValue(*found, out);                                                                    \
        return true;                                                                               \
    }
SD_SUPERIAL_GETTERS(bool)
SD_SUPERIAL_GETTERS(double)
SD_SUPERIAL_GETTERS(float)
SD_SUPERIAL_GETTERS(unsigned)
SD_SUPERIAL_GETTERS(int)
SD_SUPERIAL_GETTERS(std::string)
#undef SD_SUPERIAL_GETTERS

SuperialValue* SuperialValue::NewNode(SuperialValue* parent, SuperialDataMap* owner, bool isAttribute, unsigned code) {
    SuperialValue* node = new SuperialValue;
    node->parent_ = parent;
    node->owner_ = owner;
    node->isAttribute_ = isAttribute;
    if (code <= kSuperialFloat) node->SetType(code);
    return node;
}

void SuperialValue::ListSlots(SuperialValue* node, SuperialValue**& first, SuperialValue**& last) {
    first = last = nullptr;
    if (node->isAttribute_) {
        if (!node->parent_) return;
        first = &node->parent_->firstAttribute_;
        last = &node->parent_->lastAttribute_;
    } else if (node->parent_) {
        first = &node->parent_->firstChild_;
        last = &node->parent_->lastChild_;
    } else if (node->owner_) {
        first = &node->owner_->top_;
        last = &node->owner_->topLast_;
    }
}

SuperialValue* SuperialValue::AddChild(SuperialValue* parent, unsigned code) {
    if (!parent || !parent->IsContainer()) return nullptr;
    SuperialValue* node = NewNode(parent, parent->owner_, false, code);
    node->next_ = parent->firstChild_;
    if (parent->firstChild_)
        parent->firstChild_->previous_ = node;
    else
        parent->lastChild_ = node;
    parent->firstChild_ = node;
    return node;
}

SuperialValue* SuperialValue::AppendChild(SuperialValue* parent, unsigned code) {
    if (!parent || !parent->IsContainer()) return nullptr;
    if (!parent->lastChild_) return AddChild(parent, code);
    return InsertAfter(parent->lastChild_, code == kSuperialSameType ? kSuperialNull : code);
}

SuperialValue* SuperialValue::InsertAfter(SuperialValue* node, unsigned code) {
    if (!node) return nullptr;
    if (code == kSuperialSameType) code = node->type_;
    SuperialValue* added = NewNode(node->parent_, node->owner_, node->isAttribute_, code);
    SuperialValue** first;
    SuperialValue** last;
    ListSlots(node, first, last);
    added->previous_ = node;
    added->next_ = node->next_;
    if (node->next_)
        node->next_->previous_ = added;
    else if (last)
        *last = added;
    node->next_ = added;
    return added;
}

SuperialValue* SuperialValue::AddAttribute(SuperialValue* node, unsigned code) {
    if (!node) return nullptr;
    SuperialValue* added = NewNode(node, node->owner_, true, code);
    added->next_ = node->firstAttribute_;
    if (node->firstAttribute_)
        node->firstAttribute_->previous_ = added;
    else
        node->lastAttribute_ = added;
    node->firstAttribute_ = added;
    return added;
}

namespace {
SuperialValue* AppendAttribute(SuperialValue* node, const std::string& name) {
    if (!node) return nullptr;
    SuperialValue* added = node->LastAttribute() ? SuperialValue::InsertAfter(node->LastAttribute(), kSuperialNull)
                                                 : SuperialValue::AddAttribute(node, kSuperialNull);
    added->SetName(name);
    return added;
}
}  // namespace

SuperialValue* SuperialValue::AddBooleanAttribute(SuperialValue* node, const std::string& name, bool value) {
    SuperialValue* a = AppendAttribute(node, name);
    if (a) a->SetBoolean(value);
    return a;
}
SuperialValue* SuperialValue::AddFloatAttribute(SuperialValue* node, const std::string& name, double value) {
    SuperialValue* a = AppendAttribute(node, name);
    if (a) a->SetFloat(value);
    return a;
}
SuperialValue* SuperialValue::AddFloatAttribute(SuperialValue* node, const std::string& name, float value) {
    return AddFloatAttribute(node, name, static_cast<double>(value));
}
SuperialValue* SuperialValue::AddIntegerAttribute(SuperialValue* node, const std::string& name, int value) {
    SuperialValue* a = AppendAttribute(node, name);
    if (a) a->SetInteger(value);
    return a;
}
SuperialValue* SuperialValue::AddIntegerAttribute(SuperialValue* node, const std::string& name, unsigned value) {
    SuperialValue* a = AppendAttribute(node, name);
    if (a) a->SetInteger(value);
    return a;
}
SuperialValue* SuperialValue::AddStringAttribute(SuperialValue* node, const std::string& name,
                                                 const std::string& value) {
    SuperialValue* a = AppendAttribute(node, name);
    if (a) a->SetString(value);
    return a;
}

SuperialValue* SuperialValue::AddChildWithTypeName(SuperialValue* node, const std::string& typeName) {
    SuperialValue* child = AddChild(node, kSuperialNull);
    if (child) child->SetTypeName(typeName);
    return child;
}

SuperialValue* SuperialValue::AppendChildWithTypeName(SuperialValue* node, const std::string& typeName) {
    if (!node) return nullptr;
    if (node->type_ == kSuperialNull && !node->isAttribute_) node->MakeObject();
    SuperialValue* child = AppendChild(node, kSuperialNull);
    if (child) child->SetTypeName(typeName);
    return child;
}

void SuperialValue::Remove(SuperialValue* node) {
    if (!node) return;
    SuperialValue** first;
    SuperialValue** last;
    ListSlots(node, first, last);
    SuperialValue* before = node->previous_;
    SuperialValue* after = node->next_;
    SuperialValue* runFirst = after;
    SuperialValue* runLast = before;
    if (node->IsContainer() && node->firstChild_) {
        // The children take the node's place among its siblings.
        for (SuperialValue* c = node->firstChild_; c; c = c->next_) c->parent_ = node->parent_;
        runFirst = node->firstChild_;
        runLast = node->lastChild_;
        runFirst->previous_ = before;
        runLast->next_ = after;
        node->firstChild_ = node->lastChild_ = nullptr;
    }
    if (before)
        before->next_ = runFirst;
    else if (first)
        *first = runFirst;
    if (after)
        after->previous_ = runLast;
    else if (last)
        *last = runLast;
    node->next_ = node->previous_ = nullptr;
    delete node;
}

void SuperialValue::DestroyList(SuperialValue* start) {
    if (!start) return;
    SuperialValue** first;
    SuperialValue** last;
    ListSlots(start, first, last);
    SuperialValue* before = start->previous_;
    if (before)
        before->next_ = nullptr;
    else if (first)
        *first = nullptr;
    if (last) *last = before;
    while (start) {
        SuperialValue* next = start->next_;
        delete start;
        start = next;
    }
}

void SuperialValue::Destroy(SuperialValue* node) {
    if (!node) return;
    if (node->isAttribute_)
        Remove(node);
    else
        DestroyList(node);
}

void SuperialValue::ClearChildren(SuperialValue* node) {
    if (!node) return;
    if (node->IsContainer()) DestroyList(node->firstChild_);
    node->value_.u = 0;
}

void SuperialValue::CopyOwnContent(const SuperialValue& source) {
    SetType(source.type_);
    tag_ = source.tag_;
    name_ = source.name_;
    value_ = source.value_;
    text_ = source.text_;
}

SuperialValue* SuperialValue::AppendCopy(SuperialValue* parent, const SuperialValue& source) {
    SuperialValue* copy = AppendChild(parent, kSuperialNull);
    if (!copy) return nullptr;
    copy->CopyOwnContent(source);
    for (const SuperialValue* a = source.firstAttribute_; a; a = a->next_)
        if (SuperialValue* attribute = AppendAttribute(copy, a->name_)) attribute->CopyOwnContent(*a);
    for (const SuperialValue* child = source.firstChild_; child; child = child->next_) AppendCopy(copy, *child);
    return copy;
}

bool SuperialValue::SameContent(const SuperialValue* a, const SuperialValue* b) {
    if (!a || !b) return a == b;
    if (a->type_ != b->type_ || a->tag_ != b->tag_ || a->name_ != b->name_) return false;
    if (a->type_ == kSuperialString || a->type_ == kSuperialText) {
        if (a->text_ != b->text_) return false;
    } else if (!a->IsContainer() && a->value_.u != b->value_.u) {
        return false;
    }
    const SuperialValue* x = a->firstAttribute_;
    const SuperialValue* y = b->firstAttribute_;
    for (; x && y; x = x->next_, y = y->next_)
        if (!SameContent(x, y)) return false;
    if (x || y) return false;
    for (x = a->firstChild_, y = b->firstChild_; x && y; x = x->next_, y = y->next_)
        if (!SameContent(x, y)) return false;
    return !x && !y;
}

}  // namespace SD

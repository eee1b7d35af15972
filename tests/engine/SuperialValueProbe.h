#pragma once
// What tests read of a tree node's private links: the tail of its child list and the document
// that owns it.
#include "engine/SuperialValue.h"
#include "platform/TestProbe.h"

template <>
struct platform::TestProbe<SD::SuperialValue> {
    static SD::SuperialValue* LastChild(const SD::SuperialValue& node) { return node.lastChild_; }
    static SD::SuperialDataMap* Owner(const SD::SuperialValue& node) { return node.owner_; }
};

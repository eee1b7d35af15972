#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "engine/SuperialDataMap.h"
#include "engine/SuperialValue.h"
#include "tests/engine/SuperialValueProbe.h"

namespace {

using NodeProbe = platform::TestProbe<SD::SuperialValue>;

using SD::SuperialValue;

std::string Names(const SuperialValue* first) {
    std::string out;
    for (const SuperialValue* n = first; n; n = n->Next()) {
        if (!out.empty()) out += ',';
        out += n->Name();
    }
    return out;
}

// Checks that the links of a list agree both ways and with the list's recorded last node.
void ExpectLinked(const SuperialValue* first, const SuperialValue* last) {
    const SuperialValue* previous = nullptr;
    for (const SuperialValue* n = first; n; n = n->Next()) {
        EXPECT_EQ(n->Previous(), previous);
        previous = n;
    }
    EXPECT_EQ(previous, last);
}

SuperialValue* Named(SuperialValue* node, const char* name) {
    node->SetName(name);
    return node;
}

struct TreeCase {
    const char* what;
    std::function<void(SuperialValue& root)> act;
    const char* children;
    const char* attributes;
};

TEST(SuperialValue, InsertAndRemoveRules) {
    const TreeCase cases[] = {
        {"AddChild puts each new child first",
         [](SuperialValue& r) {
             Named(SuperialValue::AddChild(&r, 7), "a");
             Named(SuperialValue::AddChild(&r, 7), "b");
         },
         "b,a", ""},
        {"AppendChild keeps call order",
         [](SuperialValue& r) {
             Named(SuperialValue::AppendChild(&r, 7), "a");
             Named(SuperialValue::AppendChild(&r, 7), "b");
             Named(SuperialValue::AppendChild(&r, 7), "c");
         },
         "a,b,c", ""},
        {"InsertAfter links directly after the node",
         [](SuperialValue& r) {
             SuperialValue* a = Named(SuperialValue::AppendChild(&r, 7), "a");
             Named(SuperialValue::AppendChild(&r, 7), "c");
             Named(SuperialValue::InsertAfter(a, SD::kSuperialSameType), "b");
             Named(SuperialValue::AppendChild(&r, 7), "d");
         },
         "a,b,c,d", ""},
        {"removing the first child makes the second first",
         [](SuperialValue& r) {
             SuperialValue* a = Named(SuperialValue::AppendChild(&r, 7), "a");
             Named(SuperialValue::AppendChild(&r, 7), "b");
             SuperialValue::Remove(a);
         },
         "b", ""},
        {"removing the only child leaves an empty object",
         [](SuperialValue& r) { SuperialValue::Remove(SuperialValue::AppendChild(&r, 7)); }, "", ""},
        {"removing the last child keeps appends working",
         [](SuperialValue& r) {
             Named(SuperialValue::AppendChild(&r, 7), "a");
             SuperialValue::Remove(Named(SuperialValue::AppendChild(&r, 7), "b"));
             Named(SuperialValue::AppendChild(&r, 7), "c");
         },
         "a,c", ""},
        {"a removed container's children take its place",
         [](SuperialValue& r) {
             Named(SuperialValue::AppendChild(&r, 7), "a");
             SuperialValue* box = Named(SuperialValue::AppendChild(&r, 2), "box");
             Named(SuperialValue::AppendChild(box, 7), "x");
             Named(SuperialValue::AppendChild(box, 7), "y");
             Named(SuperialValue::AppendChild(&r, 7), "b");
             SuperialValue::Remove(box);
             Named(SuperialValue::AppendChild(&r, 7), "c");
         },
         "a,x,y,b,c", ""},
        {"Destroy frees a node with the siblings after it",
         [](SuperialValue& r) {
             Named(SuperialValue::AppendChild(&r, 7), "a");
             SuperialValue* b = Named(SuperialValue::AppendChild(&r, 7), "b");
             Named(SuperialValue::AppendChild(&r, 7), "c");
             SuperialValue::Destroy(b);
             Named(SuperialValue::AppendChild(&r, 7), "d");
         },
         "a,d", ""},
        {"ClearChildren empties the list",
         [](SuperialValue& r) {
             Named(SuperialValue::AppendChild(&r, 2), "a");
             SuperialValue::ClearChildren(&r);
             Named(SuperialValue::AppendChild(&r, 7), "b");
         },
         "b", ""},
        {"AddAttribute puts each new attribute first",
         [](SuperialValue& r) {
             Named(SuperialValue::AddAttribute(&r, 6), "a");
             Named(SuperialValue::AddAttribute(&r, 6), "b");
         },
         "", "b,a"},
        {"typed attribute adders keep call order",
         [](SuperialValue& r) {
             SuperialValue::AddIntegerAttribute(&r, "version", 1);
             SuperialValue::AddBooleanAttribute(&r, "Play", true);
             SuperialValue::AddFloatAttribute(&r, "Scale", 2.0);
             SuperialValue::AddStringAttribute(&r, "Label", "x");
         },
         "", "version,Play,Scale,Label"},
        {"removing an attribute relinks the attribute list",
         [](SuperialValue& r) {
             SuperialValue::AddIntegerAttribute(&r, "a", 1);
             SuperialValue* b = SuperialValue::AddIntegerAttribute(&r, "b", 2);
             SuperialValue::AddIntegerAttribute(&r, "c", 3);
             SuperialValue::Destroy(b);
             SuperialValue::AddIntegerAttribute(&r, "d", 4);
         },
         "", "a,c,d"},
        {"InsertAfter on an attribute makes an attribute of its type",
         [](SuperialValue& r) {
             SuperialValue* a = SuperialValue::AddFloatAttribute(&r, "a", 1.0);
             SuperialValue* b = Named(SuperialValue::InsertAfter(a, SD::kSuperialSameType), "b");
             EXPECT_TRUE(b->IsAttribute());
             EXPECT_EQ(b->Type(), SD::kSuperialFloat);
             SuperialValue::AddFloatAttribute(&r, "c", 1.0);
         },
         "", "a,b,c"},
    };
    for (const TreeCase& c : cases) {
        SCOPED_TRACE(c.what);
        SuperialValue root;
        root.MakeObject();
        c.act(root);
        EXPECT_EQ(Names(root.FirstChild()), c.children);
        EXPECT_EQ(Names(root.FirstAttribute()), c.attributes);
        ExpectLinked(root.FirstChild(), NodeProbe::LastChild(root));
        ExpectLinked(root.FirstAttribute(), root.LastAttribute());
        for (const SuperialValue* n = root.FirstChild(); n; n = n->Next()) EXPECT_EQ(n->Parent(), &root);
    }
}

TEST(SuperialValue, TypeChangesAndSettersAreRefusedWhereTheyWouldLoseData) {
    SuperialValue object;
    object.MakeObject();
    SuperialValue::AppendChild(&object, SD::kSuperialFloat);
    EXPECT_FALSE(object.SetInteger(3));
    EXPECT_FALSE(object.SetType(SD::kSuperialString));
    EXPECT_EQ(object.Type(), SD::kSuperialObject);
    EXPECT_NE(object.FirstChild(), nullptr);

    SuperialValue empty;
    empty.MakeObject();
    EXPECT_TRUE(empty.SetInteger(3));
    EXPECT_EQ(empty.Type(), SD::kSuperialInteger);
    EXPECT_EQ(empty.Tag(), "Integer");
    EXPECT_EQ(empty.GetInteger(), 3);

    SuperialValue holder;
    SuperialValue* attribute = SuperialValue::AddAttribute(&holder, SD::kSuperialNull);
    EXPECT_FALSE(attribute->SetType(SD::kSuperialObject));
    EXPECT_TRUE(attribute->SetType(SD::kSuperialInteger));
    EXPECT_EQ(SuperialValue::AddChild(attribute, SD::kSuperialNull), nullptr);
    EXPECT_EQ(SuperialValue::AppendChildWithTypeName(attribute, "Float"), nullptr);

    SuperialValue scalar;
    scalar.SetFloat(1.5);
    EXPECT_EQ(SuperialValue::AddChild(&scalar, SD::kSuperialNull), nullptr);
    EXPECT_EQ(SuperialValue::AppendChild(&scalar, SD::kSuperialNull), nullptr);

    SuperialValue fresh;
    SuperialValue* made = SuperialValue::AppendChildWithTypeName(&fresh, "Transform");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(fresh.Type(), SD::kSuperialObject);
    EXPECT_EQ(made->Type(), SD::kSuperialObject);
    EXPECT_EQ(made->Tag(), "Transform");
    SuperialValue array;
    EXPECT_TRUE(array.SetTypeName("Array"));
    EXPECT_EQ(array.Type(), SD::kSuperialArray);
}

TEST(SuperialValue, AssignKeepsTheCallersLabelAndTypeName) {
    SuperialValue node;
    node.Assign(2.5f, "Speed", "Real");
    EXPECT_EQ(node.Type(), SD::kSuperialFloat);
    EXPECT_EQ(node.Name(), "Speed");
    EXPECT_EQ(node.Tag(), "Real");
    EXPECT_FLOAT_EQ(node.GetFloat(), 2.5f);
}

TEST(SuperialValue, LookupsAndAttributeReaders) {
    SuperialValue root;
    root.MakeObject();
    Named(SuperialValue::AppendChild(&root, 7), "Blueprint")->SetTag("Float");
    Named(SuperialValue::AppendChild(&root, 6), "Other")->SetTag("Integer");
    EXPECT_EQ(SuperialValue::FindByName(nullptr, "x"), nullptr);
    EXPECT_EQ(SuperialValue::FindChildByName(&root, "blueprint"), nullptr);
    EXPECT_EQ(SuperialValue::FindChildByName(&root, "Other"), NodeProbe::LastChild(root));
    EXPECT_EQ(SuperialValue::FindChildByTag(&root, "Float"), root.FirstChild());

    SuperialValue::AddFloatAttribute(&root, "f", 0.25);
    SuperialValue::AddIntegerAttribute(&root, "i", -4);
    SuperialValue::AddStringAttribute(&root, "s", "text");
    double d = 0;
    int i = 0;
    std::string s;
    bool b = false;
    EXPECT_TRUE(root.GetAttribute("f", d));
    EXPECT_TRUE(root.GetAttribute("i", i));
    EXPECT_TRUE(root.GetAttribute("s", s));
    EXPECT_TRUE(root.GetAttribute("i", b));
    EXPECT_EQ(d, 0.25);
    EXPECT_EQ(i, -4);
    EXPECT_EQ(s, "text");
    EXPECT_TRUE(b);
    int untouched = 77;
    EXPECT_FALSE(root.GetAttribute("missing", untouched));
    EXPECT_EQ(untouched, 77);
}

// A number stored as one type and read as another keeps its value, not its bits.
TEST(SuperialValue, NumbersReadAsAnotherTypeAreConvertedByValue) {
    const float kNaN = std::numeric_limits<float>::quiet_NaN();
    const float kInf = std::numeric_limits<float>::infinity();
    struct FloatCase {
        float stored;
        int asInt;
        unsigned asUnsigned;
        bool asBool;
    } floats[] = {
        {1.0f, 1, 1u, true},
        {2.75f, 2, 2u, true},
        {-2.75f, -2, 0u, true},
        {0.0f, 0, 0u, false},
        {-0.0f, 0, 0u, false},
        {3e9f, 2147483647, 3000000000u, true},
        {-3e9f, -2147483647 - 1, 0u, true},
        {1e20f, 2147483647, 4294967295u, true},
        {kInf, 2147483647, 4294967295u, true},
        {-kInf, -2147483647 - 1, 0u, true},
        {kNaN, 0, 0u, true},
    };
    for (const FloatCase& c : floats) {
        SCOPED_TRACE(c.stored);
        SuperialValue node;
        node.SetFloat(c.stored);
        EXPECT_EQ(node.GetInteger(), c.asInt);
        EXPECT_EQ(node.GetUnsigned(), c.asUnsigned);
        EXPECT_EQ(node.GetBoolean(), c.asBool);
        int i = 5;
        unsigned u = 5;
        SuperialValue::CopyValue(node, i);
        SuperialValue::CopyValue(node, u);
        EXPECT_EQ(i, c.asInt);
        EXPECT_EQ(u, c.asUnsigned);
    }

    SuperialValue integer;
    integer.SetInteger(-7);
    EXPECT_EQ(integer.GetFloat(), -7.0f);
    double d = 0;
    SuperialValue::CopyValue(integer, d);
    EXPECT_EQ(d, -7.0);
    SuperialValue boolean;
    boolean.SetBoolean(true);
    EXPECT_EQ(boolean.GetFloat(), 1.0f);
    SuperialValue object;
    object.MakeObject();
    EXPECT_EQ(object.GetFloat(), 0.0f);
    EXPECT_EQ(object.GetInteger(), 0);

    // Attributes typed by their text: "1.0" is a Float and still reads as the integer 1.
    auto map = SD::SuperialDataMap::parseXmlFromBuffer("<Mover version=\"1.0\" Play=\"0.0\" speed=\"3\" />");
    ASSERT_NE(map, nullptr);
    int version = 0;
    bool play = true;
    float speed = 0;
    EXPECT_TRUE(map->Top()->GetAttribute("version", version));
    EXPECT_TRUE(map->Top()->GetAttribute("Play", play));
    EXPECT_TRUE(map->Top()->GetAttribute("speed", speed));
    EXPECT_EQ(version, 1);
    EXPECT_FALSE(play);
    EXPECT_EQ(speed, 3.0f);
}

// A copy into another document holds the whole subtree, attributes and values of every type
// included, belongs to its new document and lives on its own.
TEST(SuperialValue, ACopyAppendedElsewhereIsWholeAndIndependent) {
    auto source = SD::SuperialDataMap::parseXmlFromBuffer(
        "<GameObject blueprint=\"A/B\" weight=\"2.5\" count=\"-3\"><Components><Float name=\"x\" value=\"1.25\"/>"
        "<Integer value=\"7\"/><Boolean name=\"on\" value=\"1\"/><String name=\"s\">a &lt; b</String>"
        "<Array><Float value=\"2\"/></Array><String name=\"empty\"></String></Components></GameObject>");
    ASSERT_TRUE(source);
    SD::SuperialDataMap target;
    SuperialValue* parent = target.Top();
    ASSERT_TRUE(parent->MakeObject());
    SuperialValue* copy = SuperialValue::AppendCopy(parent, *source->Top());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Parent(), parent);
    EXPECT_EQ(NodeProbe::Owner(*copy), &target);
    EXPECT_TRUE(SuperialValue::SameContent(copy, source->Top()));
    SuperialValue* components = SuperialValue::FindChildByTag(copy, "Components");
    ASSERT_NE(components, nullptr);
    EXPECT_EQ(NodeProbe::Owner(*components), &target);
    EXPECT_EQ(SuperialValue::FindChildByName(components, "s")->GetText(), "a < b");

    SuperialValue::FindChildByName(components, "x")->SetFloat(9.0);
    EXPECT_FALSE(SuperialValue::SameContent(copy, source->Top()));
    source.reset();
    EXPECT_EQ(components->FirstChild()->GetFloat(), 9.0f);
    EXPECT_EQ(SuperialValue::AppendCopy(components->FirstChild(), *copy), nullptr) << "a scalar holds no copy";
}

TEST(SuperialDataMap, TopLevelListIsKeptByTheMap) {
    SD::SuperialDataMap map;
    SuperialValue* first = map.Top();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(NodeProbe::Owner(*first), &map);
    EXPECT_EQ(first->Name(), "(Unnamed)");
    SuperialValue* second = SuperialValue::InsertAfter(first, SD::kSuperialSameType);
    EXPECT_EQ(NodeProbe::Owner(*second), &map);
    SuperialValue::Remove(first);
    EXPECT_EQ(map.Top(), second);
    SuperialValue::Destroy(second);
    EXPECT_EQ(map.Top(), nullptr);
}

}  // namespace

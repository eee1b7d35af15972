#include <gtest/gtest.h>

#include <string>

#include "core/Logger.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialValue.h"
#include "support/TempTree.h"

namespace {

using SD::SuperialDataMap;
using SD::SuperialValue;

// Every value type, an array of unnamed items, extra attributes of each type, text that needs
// escaping and white space that must survive.
const char* const kGolden =
    "<?xml version=\"1.0\" ?>\n"
    "<Object name=\"Root\" >\n"
    "  <Float name=\"Speed\" value=\"2.000000\" />\n"
    "  <Integer name=\"Count\" value=\"-7\" />\n"
    "  <Boolean name=\"On\" value=\"1\" />\n"
    "  <String name=\"Title\" >&#32; two &#32;spaces &amp; &lt;tag&gt; &quot;q&quot;&#32;</String>\n"
    "  <String name=\"Empty\" ></String>\n"
    "  <Null name=\"Nothing\" />\n"
    "  <Integer value=\"4\" />\n"
    "  <Vector3 name=\"Position\" >\n"
    "    <Float value=\"1.000000\" />\n"
    "    <Float value=\"2.500000\" />\n"
    "    <Float value=\"-3.000000\" />\n"
    "  </Vector3>\n"
    "  <Transform name=\"A &amp; &lt;B&gt;\" version=\"3\" scale=\"1.500000\" label=\"a&amp;b\" >\n"
    "  </Transform>\n"
    "</Object>\n"
    "<Object name=\"Second\" >\n"
    "</Object>\n"
    "\n";

std::unique_ptr<SuperialDataMap> BuildGoldenTree() {
    auto map = std::make_unique<SuperialDataMap>();
    SuperialValue* root = map->Top();
    root->SetTypeName("Object");
    root->SetName("Root");
    SuperialValue::AppendChild(root, 0)->Assign(2.0, "Speed", "Float");
    SuperialValue::AppendChild(root, 0)->Assign(-7, "Count", "Integer");
    SuperialValue::AppendChild(root, 0)->Assign(true, "On", "Boolean");
    SuperialValue::AppendChild(root, 0)->Assign(std::string("  two  spaces & <tag> \"q\" "), "Title", "String");
    SuperialValue::AppendChild(root, 0)->Assign(std::string(), "Empty", "String");
    SuperialValue* nothing = SuperialValue::AppendChild(root, 0);
    nothing->SetTypeName("Null");
    nothing->SetName("Nothing");
    SuperialValue::AppendChild(root, 0)->SetInteger(4);
    SuperialValue* vector = SuperialValue::AppendChild(root, SD::kSuperialArray);
    vector->SetName("Position");
    vector->SetTag("Vector3");
    for (double v : {1.0, 2.5, -3.0}) SuperialValue::AppendChild(vector, 0)->Assign(v, "ignored", "Float");
    SuperialValue* transform = SuperialValue::AppendChildWithTypeName(root, "Transform");
    transform->SetName("A & <B>");
    SuperialValue::AddIntegerAttribute(transform, "version", 3);
    SuperialValue::AddFloatAttribute(transform, "scale", 1.5);
    SuperialValue::AddStringAttribute(transform, "label", "a&b");
    SuperialValue* second = SuperialValue::InsertAfter(root, SD::kSuperialObject);
    second->SetTag("Object");
    second->SetName("Second");
    return map;
}

TEST(SuperialXml, WritesEveryValueTypeInTheEngineLayout) {
    EXPECT_EQ(SuperialDataMap::WriteToString(*BuildGoldenTree()), kGolden);
}

TEST(SuperialXml, ReadingTheGoldenDocumentAndWritingItAgainGivesTheSameBytes) {
    auto map = SuperialDataMap::parseXmlFromBuffer(kGolden);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(SuperialDataMap::WriteToString(*map), kGolden);

    SuperialValue* root = map->Top();
    EXPECT_EQ(root->Tag(), "Object");
    EXPECT_EQ(root->Next()->Name(), "Second");
    SuperialValue* title = SuperialValue::FindChildByName(root, "Title");
    EXPECT_EQ(title->Type(), SD::kSuperialString);
    EXPECT_EQ(title->GetText(), "  two  spaces & <tag> \"q\" ");
    EXPECT_FLOAT_EQ(SuperialValue::FindChildByName(root, "Speed")->GetFloat(), 2.0f);
    EXPECT_EQ(SuperialValue::FindChildByName(root, "Count")->GetInteger(), -7);
    EXPECT_TRUE(SuperialValue::FindChildByName(root, "On")->GetBoolean());
    SuperialValue* position = SuperialValue::FindChildByName(root, "Position");
    EXPECT_EQ(position->Type(), SD::kSuperialObject);  // a read element never becomes an Array
    EXPECT_EQ(position->FirstChild()->Name(), "(Unnamed)");
    EXPECT_FLOAT_EQ(position->FirstChild()->Next()->GetFloat(), 2.5f);
    SuperialValue* transform = SuperialValue::FindChildByTag(root, "Transform");
    EXPECT_EQ(transform->Name(), "A & <B>");
    std::string label;
    EXPECT_TRUE(transform->GetAttribute("label", label));
    EXPECT_EQ(label, "a&b");
}

TEST(SuperialXml, FileRoundTripCountsTheCharactersAndReplacesTheOldFile) {
    qvtest::TempTree tree;
    tree.Write("Assets/level.xml", "old contents");
    const std::string path = tree.Path("Assets/level.xml");
    EXPECT_EQ(SuperialDataMap::WriteToFile(path.c_str(), *BuildGoldenTree()), std::string(kGolden).size());
    EXPECT_EQ(tree.Read("Assets/level.xml"), kGolden);
    auto map = SuperialDataMap::createFromFile(path.c_str());
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(SuperialDataMap::WriteToString(*map), kGolden);
    EXPECT_EQ(SuperialDataMap::WriteToFile(tree.Path("Assets/no/such/folder.xml").c_str(), *map), 0u);
    EXPECT_EQ(tree.Read("Assets/level.xml"), kGolden);
}

TEST(SuperialXml, StringsOfOnlyWhiteSpaceSurviveARoundTrip) {
    for (const std::string text : {" ", "  \n\t ", "\r\n"}) {
        SuperialDataMap map;
        map.Top()->Assign(text, "Blank", "String");
        auto back = SuperialDataMap::parseXmlFromBuffer(SuperialDataMap::WriteToString(map).c_str());
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->Top()->GetText(), text);
    }
}

// Hand-edited files are indented: element text reads with its white space condensed.
TEST(SuperialXml, IndentedTextReadsCondensed) {
    auto map = SuperialDataMap::parseXmlFromBuffer(
        "<Child>\n"
        "  <String name=\"Blueprint Name\">\n"
        "    Car\n"
        "  </String>\n"
        "  <String name=\"Title\">  A\t\tfast\n   car  </String>\n"
        "  <String name=\"Blank\">   </String>\n"
        "</Child>");
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(SuperialValue::FindChildByName(map->Top(), "Blueprint Name")->GetText(), "Car");
    EXPECT_EQ(SuperialValue::FindChildByName(map->Top(), "Title")->GetText(), "A fast car");
    EXPECT_EQ(SuperialValue::FindChildByName(map->Top(), "Blank")->GetText(), "");
}

// Text whose white space condensing would change is written so that it reads back as it was.
TEST(SuperialXml, TextWithAwkwardWhiteSpaceSurvivesARoundTrip) {
    for (const std::string text : {"  lead", "trail  ", "in  side", "tab\there", "line\nbreak", "a \n b", " a & ]]> b ",
                                   "\r\nx\r\n", "plain words", "x", ""}) {
        SCOPED_TRACE(text);
        SuperialDataMap map;
        map.Top()->Assign(text, "Text", "String");
        const std::string written = SuperialDataMap::WriteToString(map);
        auto back = SuperialDataMap::parseXmlFromBuffer(written.c_str());
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->Top()->GetText(), text) << written;
    }
    SuperialDataMap map;
    map.Top()->Assign(std::string("plain words"), "Text", "String");
    EXPECT_EQ(SuperialDataMap::WriteToString(map),
              "<?xml version=\"1.0\" ?>\n<String name=\"Text\" >plain words</String>\n\n")
        << "ordinary text is written as it stands";
}

TEST(SuperialXml, ExtraAttributesAreTypedByTheirWholeText) {
    auto map = SuperialDataMap::parseXmlFromBuffer(
        "<Thing a=\"2\" b=\"2.5\" c=\"1e3\" d=\"abc\" e=\"-4\" f=\"4000000000\" g=\"99999999999\" h=\"\" i=\"Nan\" "
        "j=\"2x\" />");
    ASSERT_NE(map, nullptr);
    struct Expect {
        const char* name;
        unsigned type;
        double number;
        const char* text;
    };
    const Expect expected[] = {
        {"a", SD::kSuperialInteger, 2, ""},           {"b", SD::kSuperialFloat, 2.5, ""},
        {"c", SD::kSuperialFloat, 1000, ""},          {"d", SD::kSuperialString, 0, "abc"},
        {"e", SD::kSuperialInteger, -4, ""},          {"f", SD::kSuperialInteger, 4000000000.0, ""},
        {"g", SD::kSuperialFloat, 99999999999.0, ""}, {"h", SD::kSuperialString, 0, ""},
        {"i", SD::kSuperialString, 0, "Nan"},         {"j", SD::kSuperialString, 0, "2x"},
    };
    const SuperialValue* a = map->Top()->FirstAttribute();
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->Name(), e.name);
        EXPECT_EQ(a->Type(), e.type);
        if (e.type == SD::kSuperialInteger) {
            EXPECT_EQ(e.number < 0 ? double(a->GetInteger()) : double(a->GetUnsigned()), e.number);
        } else if (e.type == SD::kSuperialFloat) {
            EXPECT_FLOAT_EQ(a->GetFloat(), float(e.number));
        } else {
            EXPECT_EQ(a->GetText(), e.text);
        }
        a = a->Next();
    }
    EXPECT_EQ(a, nullptr);
}

TEST(SuperialXml, ElementMapping) {
    auto map = SuperialDataMap::parseXmlFromBuffer(
        "<Object>\n"
        "  <Float name=\"x\" value=\"1.5\" />\n"
        "  <Integer value=\"12abc\" />\n"
        "  <Boolean name=\"b\" />\n"
        "  <String name=\"s\">text<Float value=\"1\"/></String>\n"
        "  <!-- a comment between elements -->\n"
        "  <Array><Float name=\"keep\" value=\"1\"/></Array>\n"
        "</Object>");
    ASSERT_NE(map, nullptr);
    const SuperialValue* n = map->Top()->FirstChild();
    EXPECT_EQ(n->Type(), SD::kSuperialFloat);
    EXPECT_FLOAT_EQ(n->GetFloat(), 1.5f);
    n = n->Next();
    EXPECT_EQ(n->GetInteger(), 12);
    n = n->Next();
    EXPECT_EQ(n->Type(), SD::kSuperialBoolean);
    EXPECT_FALSE(n->GetBoolean());
    n = n->Next();
    EXPECT_EQ(n->Type(), SD::kSuperialObject);  // a String with child elements
    EXPECT_EQ(n->Tag(), "String");
    n = n->Next();
    EXPECT_EQ(n->Type(), SD::kSuperialObject);
    EXPECT_EQ(n->FirstChild()->Name(), "keep");
    EXPECT_EQ(n->Next(), nullptr);
    EXPECT_NE(SuperialDataMap::WriteToString(*map).find("<Float name=\"keep\" value=\"1.000000\" />"),
              std::string::npos);
}

TEST(SuperialXml, MalformedEmptyAndRootlessTextGivesNullAndTheWarnings) {
    struct Case {
        const char* text;
        bool parseError;
    };
    const Case cases[] = {
        {"<a>", true},
        {"<a></b>", true},
        {"<a b=\"1></a>", true},
        {"<a><b></a>", true},
        {"<", false},
        {"", false},
        {"   \n\t", false},
        {"<!-- only a comment -->", false},
        {"<?xml version=\"1.0\" ?>", false},
    };
    Debug::GlobalLogger logger;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        qvtest::StderrCapture err;
        EXPECT_EQ(SuperialDataMap::parseXmlFromBuffer(c.text), nullptr);
        const std::string text = err.Text();
        if (c.parseError) {
            EXPECT_NE(
                text.find(
                    "SuperialDataMap encountered an error while parsing XML data.  TinyXML is reporting it at (row "),
                std::string::npos);
            EXPECT_NE(text.find("Again, in case that buffer was too long"), std::string::npos);
            EXPECT_EQ(text.find("root element"), std::string::npos);
        } else {
            EXPECT_NE(text.find("XML data didn't have a root element.  Weird."), std::string::npos);
            EXPECT_EQ(text.find("error while parsing"), std::string::npos);
        }
    }
}

TEST(SuperialXml, NestingIsLimited) {
    Debug::GlobalLogger logger;
    auto nested = [](int depth, const char* open, const char* close) {
        std::string text;
        for (int i = 0; i < depth; ++i) text += open;
        for (int i = 0; i < depth; ++i) text += close;
        return text;
    };
    const int limit = SuperialDataMap::kMaxNesting;
    // Self-closed siblings, comments and quoted '>' do not count as nesting.
    const std::string flat = "<a>" + nested(5000, "<b x='>'/><!-- <c> -->", "") + "</a>";
    EXPECT_NE(SuperialDataMap::parseXmlFromBuffer(flat.c_str()), nullptr);
    EXPECT_NE(SuperialDataMap::parseXmlFromBuffer(nested(limit, "<a>", "</a>").c_str()), nullptr);
    qvtest::StderrCapture err;
    EXPECT_EQ(SuperialDataMap::parseXmlFromBuffer(nested(100000, "<a>", "</a>").c_str()), nullptr);
    EXPECT_EQ(SuperialDataMap::parseXmlFromBuffer(nested(limit + 1, "<a b=\"1\">", "</a>").c_str()), nullptr);
    EXPECT_NE(err.Text().find("deeper than 1024 levels; refused."), std::string::npos);
}

TEST(SuperialXml, FilesThatCannotBeReadGiveNull) {
    Debug::GlobalLogger logger;
    qvtest::TempTree tree;
    {
        qvtest::StderrCapture err;
        EXPECT_EQ(SuperialDataMap::createFromFile(nullptr), nullptr);
        EXPECT_NE(err.Text().find("given a NULLfilename"), std::string::npos);
    }
    qvtest::StderrCapture err;
    EXPECT_EQ(SuperialDataMap::createFromFile(tree.Path("Assets/missing.xml").c_str()), nullptr);
    EXPECT_EQ(SuperialDataMap::createFromFile(tree.Path("Assets").c_str()), nullptr);
    EXPECT_EQ(err.Text(), "");
}

TEST(SuperialXml, ANodeWithoutATagIsSkippedWithAWarningAndItsSiblingsAreWritten) {
    Debug::GlobalLogger logger;
    SuperialDataMap map;
    SuperialValue* root = map.Top();
    root->SetTypeName("Object");
    SuperialValue::AppendChild(root, 0)->Assign(1, "a", "Integer");
    SuperialValue* untagged = SuperialValue::AppendChild(root, SD::kSuperialObject);
    untagged->SetName("lost");
    SuperialValue::AppendChild(untagged, 0)->Assign(2, "inner", "Integer");
    SuperialValue::AppendChild(root, 0)->Assign(3, "b", "Integer");
    qvtest::StderrCapture err;
    EXPECT_EQ(SuperialDataMap::WriteToString(map),
              "<?xml version=\"1.0\" ?>\n"
              "<Object >\n"
              "  <Integer name=\"a\" value=\"1\" />\n"
              "  <Integer name=\"b\" value=\"3\" />\n"
              "</Object>\n"
              "\n");
    EXPECT_NE(err.Text().find("without a tag (name \"lost\")"), std::string::npos);
}

}  // namespace

namespace {

// Inputs the loader once mishandled; each must load, and what is written must load again
// and be written the same way.
TEST(SuperialXml, TextIsTakenByteForByte) {
    const std::string cases[] = {
        // Bytes that are not UTF-8 in front of an entity once swallowed it on the second read.
        std::string("<valu veion=\"%\" />\n  <String>t \xF0&amp;  name=\"a\"|</String>\n"
                    "</me=\"x\" value=\xE3\xCD.5\" />\n  <String>t &amp\x1B\xE2u</String>\n</Object>\n"),
        std::string("\xEF\xBB\xBF<String name=\"caf\xC3\xA9\">\xE2\x82\xAC 5</String>"),
    };
    for (const std::string& text : cases) {
        auto map = SuperialDataMap::parseXmlFromBuffer(text.c_str());
        ASSERT_NE(map, nullptr);
        const std::string written = SuperialDataMap::WriteToString(*map);
        auto again = SuperialDataMap::parseXmlFromBuffer(written.c_str());
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(SuperialDataMap::WriteToString(*again), written);
    }
    auto utf8 = SuperialDataMap::parseXmlFromBuffer(cases[1].c_str());
    ASSERT_NE(utf8, nullptr);
    EXPECT_EQ(utf8->Top()->Name(), "caf\xC3\xA9");
    EXPECT_EQ(utf8->Top()->GetText(), "\xE2\x82\xAC 5");
}

}  // namespace

namespace {

TEST(SuperialXml, EveryByteInNamesTextsAndAttributesSurvivesARoundTrip) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    SuperialDataMap map;
    SuperialValue* root = map.Top();
    root->SetTypeName("Object");
    root->SetName(all);
    SuperialValue::AppendChild(root, 0)->Assign(all, all, "String");
    SuperialValue::AddStringAttribute(root, "text", all);
    auto back = SuperialDataMap::parseXmlFromBuffer(SuperialDataMap::WriteToString(map).c_str());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Top()->Name(), all);
    EXPECT_EQ(back->Top()->FirstChild()->Name(), all);
    EXPECT_EQ(back->Top()->FirstChild()->GetText(), all);
    std::string text;
    EXPECT_TRUE(back->Top()->GetAttribute("text", text));
    EXPECT_EQ(text, all);
}

}  // namespace

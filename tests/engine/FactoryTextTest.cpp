// Object text files and object hierarchy files: the factory's text mode.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "core/Logger.h"
#include "engine/TextFileDataStream.h"
#include "support/TempTree.h"

namespace {

using enginetest::EngineFixture;
using enginetest::kMoverID;
using enginetest::kTagID;

// Position x y z, unit scale and identity orientation as a transform's text record.
std::string TransformText(int x, int y, int z) {
    return "0 " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(z) + " 1 1 1 1 0 0 0 1 0 0 0 1\n";
}

class TextModeTest : public EngineFixture {
protected:
    TextModeTest() {
        factory.SetObjectPath("../Assets/Objects");
        tree.Write("Assets/Objects/Crate.txt", "Transform " + TransformText(1, 2, 3) +
                                                   "Mover 3\n"
                                                   "//Transform " +
                                                   TransformText(9, 9, 9) +
                                                   ";Mover 3\n"
                                                   "Bogus 7\n"
                                                   "Game::Tag 1\n");
        tree.Write("Assets/Objects/Scene.hie", "Crate " + TransformText(0, 0, 0) + ">Crate " + TransformText(1, 0, 0) +
                                                   ">>Crate " + TransformText(2, 0, 0) + ">Missing " +
                                                   TransformText(4, 0, 0) + ">Crate " + TransformText(5, 0, 0) +
                                                   ">>>>Crate " + TransformText(3, 0, 0));
        tree.Write("Assets/Objects/Self.hie", "Self " + TransformText(0, 0, 0));
        tree.Write("Assets/Objects/Cut.txt", "Mover three Transform");
    }

    qvtest::TempTree tree;
    Debug::GlobalLogger logger;
};

TEST_F(TextModeTest, ObjectTextFileAddsListedComponentsAndSkipsTheRest) {
    SD::GameObject* crate = factory.CreateObject("Crate", nullptr);
    ASSERT_NE(crate, nullptr);
    EXPECT_EQ(crate->GetBlueprintName(), "Crate");
    EXPECT_EQ(crate->GetTransform().GetLocalPos(), SD::Vec3(1, 2, 3));
    // The commented entries, the unknown word and the namespaced name add nothing.
    ASSERT_EQ(crate->GetComponents().size(), 1u);
    EXPECT_NE(crate->GetComponent(kMoverID), nullptr);
    EXPECT_EQ(crate->GetComponent(kTagID), nullptr);
    EXPECT_EQ(factory.CreateObject("Absent", nullptr), nullptr);
}

TEST_F(TextModeTest, HierarchyFileBuildsTheTreeAndSkipsLinesItCannotCreate) {
    qvtest::StderrCapture capture;
    SD::GameObject* root = factory.CreateObject("Scene", nullptr);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetBlueprintName(), "Scene");
    ASSERT_EQ(root->GetChildren().Size(), 2u);
    SD::GameObject* first = root->GetChildren().First();
    SD::GameObject* last = root->GetChildren().Last();
    EXPECT_EQ(first->GetTransform().GetLocalPos(), SD::Vec3(1, 0, 0));
    EXPECT_EQ(last->GetTransform().GetLocalPos(), SD::Vec3(5, 0, 0));
    ASSERT_EQ(first->GetChildren().Size(), 1u);
    EXPECT_EQ(first->GetChildren().First()->GetTransform().GetLocalPos(), SD::Vec3(2, 0, 0));
    // Two levels deeper than the object before still makes a child of that object.
    ASSERT_EQ(last->GetChildren().Size(), 1u);
    EXPECT_EQ(last->GetChildren().First()->GetTransform().GetLocalPos(), SD::Vec3(3, 0, 0));
    EXPECT_NE(capture.Text().find("Couldn't create [Missing]"), std::string::npos);
}

TEST_F(TextModeTest, MalformedFilesEndTheReadWithoutHarm) {
    qvtest::StderrCapture capture;
    SD::GameObject* cut = factory.CreateObject("Cut", nullptr);
    ASSERT_NE(cut, nullptr);
    EXPECT_TRUE(cut->GetComponents().empty());
    // A hierarchy whose root is itself, with no object file of that name.
    EXPECT_EQ(factory.CreateObject("Self", nullptr), nullptr);
    const std::string log = capture.Text();
    EXPECT_NE(log.find("has no version"), std::string::npos);
    EXPECT_NE(log.find("Blueprint [Self] contains itself"), std::string::npos);
}

TEST_F(TextModeTest, SavedObjectTextReadsBack) {
    SD::GameObject* crate = factory.CreateObject("Crate", nullptr);
    crate->GetTransform().SetScale(SD::Vec3(2, 3, 4));
    ASSERT_TRUE(factory.SaveObject(crate, "Copy"));
    EXPECT_EQ(tree.Read("Assets/Objects/Copy.txt").rfind("Transform 0 ", 0), 0u);
    SD::GameObject* copy = factory.CreateObject("Copy", nullptr);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetTransform().GetLocalPos(), SD::Vec3(1, 2, 3));
    EXPECT_EQ(copy->GetTransform().GetScale(), SD::Vec3(2, 3, 4));
    EXPECT_NE(copy->GetComponent(kMoverID), nullptr);
    factory.SetObjectPath("../Assets/NoSuchFolder");
    EXPECT_FALSE(factory.SaveObject(crate, "Copy"));
}

}  // namespace

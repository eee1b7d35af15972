#include <gtest/gtest.h>

#include "HudTestSupport.h"
#include "core/MessageIds.h"
#include "graphics/GraphicsMessages.h"

namespace {

using hudtest::Blueprint;

// Root, layer and entry blueprints of their own, so the trees read are easy to tell apart.
const std::string kShapes = Blueprint("T/R") + Blueprint("T/A") + Blueprint("T/L") + Blueprint("T/B") +
                            Blueprint("Hud/Res_1920x1080") + Blueprint("Hud/Res_12x");

class HudFiles : public hudtest::HudFixture {
protected:
    void SetUp() override { Start(kShapes); }
    SD::GameObject* Read(const std::string& contents) {
        tree.Write("Assets/HudFiles/Case.hud", contents);
        return hud.CreateHud("Case");
    }
    uint32_t Alive() {
        factory.Update(0.0f);
        return factory.GetPool().GetLiveCount();
    }
};

TEST_F(HudFiles, RootLayersAndEntriesNestInFileOrder) {
    SD::GameObject* root = Read("T/R\n T/A 0 0 0\n[NextLayer]\tT/L\n  T/B 1 2 3\n");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetBlueprintName(), "T/R");
    auto children = Children(root);
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0]->GetBlueprintName(), "T/A");
    EXPECT_EQ(children[1]->GetBlueprintName(), "T/L");
    auto nested = Children(children[1]);
    ASSERT_EQ(nested.size(), 1u);
    EXPECT_EQ(nested[0]->GetBlueprintName(), "T/B");
    const SD::Vec3 p = nested[0]->GetTransform().GetLocalPos();
    EXPECT_FLOAT_EQ(p.x, 1.0f);
    EXPECT_FLOAT_EQ(p.y, 2.0f);
    EXPECT_FLOAT_EQ(p.z, 3.0f);
}

TEST_F(HudFiles, ARootAloneHasNoChildren) {
    SD::GameObject* root = Read("T/R");
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(Children(root).empty());
}

// Each bad entry costs only itself: what the file holds around it is still built.
TEST_F(HudFiles, MalformedEntriesAreReportedAndTheRestIsLoaded) {
    struct Case {
        const char* what;
        const char* contents;
        std::vector<std::string> children;
    };
    const Case cases[] = {
        {"unknown widget", "T/R\nT/A 0 0 0\nNoSuchWidget 1 1 1\nT/B 0 0 0\n", {"T/A", "T/B"}},
        {"cut short", "T/R\nT/A 0 0 0\nT/B 1 2", {"T/A"}},
        {"number missing before the next entry", "T/R\nT/A 0 0 x\nT/B 0 0 0\n", {}},
        {"no numbers at all", "T/R\nT/A", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        qvtest::StderrCapture errors;
        SD::GameObject* root = Read(c.contents);
        ASSERT_NE(root, nullptr);
        std::vector<std::string> names;
        for (SD::GameObject* child : Children(root)) names.push_back(child->GetBlueprintName());
        EXPECT_EQ(names, c.children);
        EXPECT_NE(errors.Text().find("Case.hud"), std::string::npos) << "logged";
        factory.DestroyGameObject(root);
    }
}

// A file whose root or layer cannot be made gives no HUD and leaves no objects behind.
TEST_F(HudFiles, AnUnbuildableTreeYieldsNothingAndLeavesNothing) {
    const uint32_t before = Alive();
    for (const char* contents : {"T/R\nT/A 0 0 0\n[NextLayer] NoSuchLayer\nT/B 0 0 0\n", "T/R\n[NextLayer]",
                                 "NoSuchRoot\nT/A 0 0 0\n", "", "   \n\t"}) {
        SCOPED_TRACE(contents);
        EXPECT_EQ(Read(contents), nullptr);
        EXPECT_EQ(Alive(), before);
    }
    EXPECT_EQ(hud.CreateHud("NotThere"), nullptr);
}

struct ResolutionSink {
    void OnChange(SD::IMessage* message) {
        auto* change = static_cast<SD::ResolutionChange*>(message);
        sizes.push_back({change->width, change->height});
    }
    std::vector<std::pair<uint32_t, uint32_t>> sizes;
};

TEST_F(HudFiles, ChangeResSendsTheSizeOfAResolutionEntryOnly) {
    ResolutionSink sink;
    SD::Message_System* messages = SD::Message_System::GetInstance();
    messages->RegisterHandler(SD::MessageIds::ResolutionChange, &sink, &ResolutionSink::OnChange);
    hud.ChangeRes(factory.CreateObject("Hud/Res_1920x1080", nullptr));
    hud.ChangeRes(factory.CreateObject("T/A", nullptr));
    hud.ChangeRes(factory.CreateObject("Hud/Res_12x", nullptr));  // the height is missing
    hud.ChangeRes(nullptr);
    messages->RemoveHandlerOf(SD::MessageIds::ResolutionChange, &sink);
    ASSERT_EQ(sink.sizes.size(), 1u);
    EXPECT_EQ(sink.sizes[0], std::make_pair(1920u, 1080u));
}

TEST_F(HudFiles, TheDeveloperReloadRebuildsOpenHudsFromTheirFiles) {
    SD::GameObject* root = Read("T/R\nT/A 0 0 0\n");
    ASSERT_NE(root, nullptr);
    root->Initialize(false);
    tree.Write("Assets/HudFiles/Case.hud", "T/R\nT/A 0 0 0\nT/B 0 0 0\n");
    keys.insert(SD::key_F3);
    Frame();  // developer keys off: nothing
    EXPECT_EQ(Children(root).size(), 1u);
    input.SetDevKeysEnabled(true);
    Frame();
    keys.clear();
    Frame();
    std::vector<SD::GameObject*> roots;
    for (const SD::ObjectPool::Slot& slot : factory.GetPool().GetSlots())
        if (slot.object && slot.object->GetBlueprintName() == "T/R") roots.push_back(slot.object);
    ASSERT_EQ(roots.size(), 1u);
    EXPECT_EQ(Children(roots[0]).size(), 2u);
}

TEST_F(HudFiles, TheSampleHudsLoadWithTheirWidgets) {
    struct Case {
        const char* name;
        size_t widgets;
    };
    for (const Case& c : {Case{"MainMenu", 6}, Case{"PauseMenu", 2}, Case{"PromptToQuit", 2}}) {
        SCOPED_TRACE(c.name);
        qvtest::StderrCapture errors;
        SD::GameObject* root = OpenHud(c.name);
        ASSERT_NE(root, nullptr);
        ASSERT_NE(hud.FrontCollector(), nullptr);
        EXPECT_EQ(hud.FrontCollector()->Items().size(), c.widgets);
        EXPECT_EQ(errors.Text(), "");
        factory.DestroyGameObject(root);
        factory.Update(0.0f);
        EXPECT_EQ(hud.FrontCollector(), nullptr);
    }
}

}  // namespace

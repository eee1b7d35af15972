#include <gtest/gtest.h>

#include "ResourceTestSupport.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/ResourceManager.h"
#include "platform/os/Dialogs.h"

namespace {

using Aperture::Resource::Effect;
using gfxtest::kGoodEffect;
using gfxtest::ResourceFixture;

TEST(EffectResource, MalformedFilesAreLoggedAndLeaveOnlyThatEffectUnloaded) {
    struct Case {
        const char* name;
        const char* text;
        const char* logged;
    };
    const Case cases[] = {
        {"empty", "", "line 0: no technique"},
        {"unknown_keyword", "technique T\npass p\nvertexshader s\n", "line 3: unknown keyword 'vertexshader'"},
        {"bad_type", "param float5 x\ntechnique T\npass p\n", "line 1: unknown parameter type 'float5'"},
        {"shared_clash", "param shared float4 time\ntechnique T\npass p\n", "shared parameter 'time' is float[1]"},
        {"binary", "\x89PNG\r\n\x1a\n\x01\x02", "line 1: unknown keyword"},
    };
    ResourceFixture f;
    Effect* good = f.manager->CreateEffect(f.File("Graphics/shaders/good.fx", kGoodEffect));
    ASSERT_TRUE(good->IsCreated());
    for (const Case& c : cases) {
        std::string relative = std::string("Graphics/shaders/") + c.name + ".fx";
        Effect* bad = f.manager->CreateEffect(f.File(relative, c.text));
        EXPECT_FALSE(bad->IsLoaded()) << c.name;
        EXPECT_FALSE(bad->IsCreated()) << c.name;
        EXPECT_EQ(bad->GetEffect(), nullptr) << c.name;
        std::string log = f.logger.Buffer();
        EXPECT_NE(log.find(f.tree.Path(relative)), std::string::npos) << log;
        EXPECT_NE(log.find(c.logged), std::string::npos) << c.name << ": " << log;
    }
    EXPECT_EQ(f.manager->GetEffects().size(), 1 + std::size(cases)) << "failed effects stay listed";
    EXPECT_TRUE(good->IsCreated());
    good->SetFloat("time", 3.0f);
    EXPECT_FLOAT_EQ(good->GetEffect()->GetValue("time")->floats[0], 3.0f);
}

TEST(EffectResource, AFailedEffectIsReadAgainAtTheNextReset) {
    ResourceFixture f;
    SD::FilePath path = f.File("Graphics/shaders/blur.fx", "technique T\n");
    Effect* effect = f.manager->CreateEffect(path);
    EXPECT_EQ(effect->GetName(), "blur");
    EXPECT_FALSE(effect->IsCreated());
    f.File("Graphics/shaders/blur.fx", kGoodEffect);
    ASSERT_TRUE(f.LoseAndReset());
    EXPECT_TRUE(effect->IsCreated());
    EXPECT_EQ(effect->Begin(), 1u);
    effect->End();
}

TEST(EffectResource, ReloadKeepsThePreviousEffectWhenTheFileNoLongerReads) {
    ResourceFixture f;
    SD::FilePath path = f.File("Graphics/shaders/e.fx", kGoodEffect);
    Effect* effect = f.manager->CreateEffect(path);
    platform::gfx::Effect* before = effect->GetEffect();
    f.File("Graphics/shaders/e.fx", "broken\n");
    effect->Reload();
    EXPECT_EQ(effect->GetEffect(), before);
    f.File("Graphics/shaders/e.fx", "param float extra\ntechnique T\npass p\npass q\n");
    effect->Reload();
    EXPECT_NE(effect->GetEffect(), nullptr);
    EXPECT_TRUE(effect->GetEffect()->HasParameter("extra"));
    EXPECT_TRUE(effect->IsLoaded());
}

// Every effect holds the pool for its whole life, so one that fails now and compiles at a
// later reset still finds it.
TEST(EffectResource, ThePoolLivesUntilTheLastEffectIsGone) {
    ResourceFixture f;
    EXPECT_EQ(Effect::GetPool(), nullptr);
    Effect* good = f.manager->CreateEffect(f.File("Graphics/shaders/a.fx", kGoodEffect));
    platform::gfx::EffectPool* pool = Effect::GetPool();
    ASSERT_NE(pool, nullptr);
    Effect* late = f.manager->CreateEffect(f.File("Graphics/shaders/b.fx", "not yet"));
    EXPECT_EQ(Effect::GetPoolCount(), 2u);
    f.manager->RemoveEffect(good);
    EXPECT_EQ(Effect::GetPool(), pool);
    f.File("Graphics/shaders/b.fx", kGoodEffect);
    ASSERT_TRUE(f.LoseAndReset());
    ASSERT_TRUE(late->IsCreated());
    late->SetFloat("time", 2.0f);
    EXPECT_FLOAT_EQ(pool->Find("time")->floats[0], 2.0f);
    f.manager->RemoveEffect(late);
    EXPECT_EQ(Effect::GetPool(), nullptr);
    EXPECT_EQ(Effect::GetPoolCount(), 0u);
}

TEST(EffectResource, RemovingAnEffectNotListedChangesNothing) {
    ResourceFixture f;
    Effect* e = f.manager->CreateEffect(f.File("Graphics/shaders/a.fx", kGoodEffect));
    ResourceFixture other;
    Effect* foreign = other.manager->CreateEffect(other.File("Graphics/shaders/a.fx", kGoodEffect));
    f.manager->RemoveEffect(foreign);
    f.manager->RemoveEffect(nullptr);
    EXPECT_EQ(f.manager->GetEffects().size(), 1u);
    EXPECT_TRUE(e->IsCreated());
    EXPECT_TRUE(foreign->IsLoaded());
}

TEST(EffectResource, MissingLightInfoIsReported) {
    ResourceFixture f;
    Effect* e = f.manager->CreateEffect(f.File("Graphics/shaders/nolights.fx", kGoodEffect));
    SD::Mtx44 lights[2];
    platform::ClearRecordedMessageBoxes();
    e->SetLightInfo(lights, 2);
    std::vector<platform::RecordedMessageBox> boxes = platform::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Error!");
    EXPECT_NE(boxes[0].text.find("Failed finding a matrix array light_info in effect nolights"), std::string::npos)
        << boxes[0].text;
}

}  // namespace

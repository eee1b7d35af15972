#include <gtest/gtest.h>

#include "GfxTestSupport.h"
#include "platform/gfx/Effect.h"

namespace {

using namespace platform::gfx;

TEST(GfxParameterBlock, SettingsAreKeptUntilTheBlockIsApplied) {
    gfxtest::DeviceFixture f;
    Effect* effect = nullptr;
    std::string errors;
    ASSERT_EQ(
        CreateEffect(f.device.get(), "param float a\nparam float4 c\ntechnique T\npass p\n", nullptr, &effect, &errors),
        kOk)
        << errors;
    EXPECT_EQ(effect->EndParameterBlock(), 0u) << "no block open";
    ASSERT_EQ(effect->BeginParameterBlock(), kOk);
    EXPECT_EQ(effect->BeginParameterBlock(), kInvalidCall) << "blocks do not nest";
    EXPECT_EQ(effect->SetFloat("a", 2.0f), kOk);
    EXPECT_EQ(effect->SetVector("c", {1, 2, 3, 4}), kOk);
    EXPECT_EQ(effect->SetFloat("missing", 1.0f), kInvalidCall) << "still checked while recording";
    EXPECT_EQ(effect->GetValue("a")->floats[0], 0.0f);
    const uint32_t first = effect->EndParameterBlock();
    ASSERT_EQ(effect->BeginParameterBlock(), kOk);
    effect->SetFloat("a", 5.0f);
    const uint32_t second = effect->EndParameterBlock();
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);

    EXPECT_EQ(effect->ApplyParameterBlock(first), kOk);
    EXPECT_EQ(effect->GetValue("a")->floats[0], 2.0f);
    EXPECT_EQ(effect->GetValue("c")->floats, (std::vector<float>{1, 2, 3, 4}));
    EXPECT_EQ(effect->ApplyParameterBlock(second), kOk);
    EXPECT_EQ(effect->GetValue("a")->floats[0], 5.0f);
    EXPECT_EQ(effect->ApplyParameterBlock(0), kInvalidCall);
    EXPECT_EQ(effect->ApplyParameterBlock(3), kInvalidCall);
    effect->Release();
}

}  // namespace

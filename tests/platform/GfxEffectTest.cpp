#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "GfxTestSupport.h"
#include "platform/gfx/Effect.h"

namespace {

using namespace platform::gfx;

const char* const kScene =
    "# scene\n"
    "param shared float time\n"
    "param shared float4x4 view\n"
    "param shared texture lightBuffer\n"
    "param float4 half_texel_offset\n"
    "param float4x4 light_info 8\n"
    "technique Geometry\n"
    "pass p0\n"
    "technique Material\n"
    "pass first\n"
    "pass second\n";

struct Malformed {
    const char* text;
    const char* error;
};

// Each text is refused with its error, and a failed read leaves the output alone.
void ExpectRefused(const std::vector<Malformed>& cases) {
    for (const Malformed& c : cases) {
        EffectDescription d;
        d.techniques.push_back({"kept", {"p"}});
        std::string error;
        EXPECT_FALSE(ParseEffectDescription(c.text, d, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_EQ(d.techniques[0].name, "kept") << "a failed read leaves the output alone";
    }
}

TEST(GfxEffectFile, MalformedDescriptionsNameTheLine) {
    ExpectRefused({
        {"", "line 0: no technique"},
        {"param float x\n", "line 1: no technique"},
        {"technique T\n", "line 1: technique 'T' has no pass"},
        {"technique T\ntechnique U\npass p\n", "line 2: technique 'T' has no pass"},
        {"pass p\n", "line 1: pass 'p' outside a technique"},
        {"param float3 x\ntechnique T\npass p\n", "line 1: unknown parameter type 'float3'"},
        {"param float\n", "line 1: param needs a type, a name and an optional count"},
        {"param float x 0\n", "line 1: parameter count '0' is not 1 to 256"},
        {"param float x 99999\n", "line 1: parameter count '99999' is not 1 to 256"},
        {"param float x\nparam int x\n", "line 2: parameter 'x' declared twice"},
        {"param float a-b\n", "line 1: bad parameter name 'a-b'"},
        {"technique T\npass p\ntechnique T\n", "line 3: technique 'T' declared twice"},
        {"shader main\n", "line 1: unknown keyword 'shader'"},
        {"technique T extra\n", "line 1: technique needs one name"},
    });
    std::string big(kMaxEffectFileSize + 1, '#');
    EffectDescription d;
    std::string error;
    EXPECT_FALSE(ParseEffectDescription(big, d, error));
}

TEST(GfxEffectFile, ReadsParametersTechniquesAndPasses) {
    EffectDescription d;
    std::string error;
    ASSERT_TRUE(ParseEffectDescription(kScene, d, error)) << error;
    ASSERT_EQ(d.params.size(), 5u);
    EXPECT_TRUE(d.params[0].shared);
    EXPECT_FALSE(d.params[3].shared);
    EXPECT_EQ(d.params[4].type, ParamType::kFloat4x4);
    EXPECT_EQ(d.params[4].count, 8u);
    ASSERT_EQ(d.techniques.size(), 2u);
    EXPECT_EQ(d.techniques[1].passes, (std::vector<std::string>{"first", "second"}));
}

TEST(GfxEffectFile, MalformedGlslLinesNameTheLine) {
    ExpectRefused({
        {"technique T\npass p\nglsl\nvoid f() {}\n", "line 3: glsl without its end line"},
        {"glsl\nend \ntechnique T\npass p\n", "line 1: glsl without its end line"},
        {"glsl now\nend\n", "line 1: glsl takes nothing after it"},
        {"program vs fs\ntechnique T\npass p\n", "line 1: program outside a pass"},
        {"technique T\nprogram vs fs\npass p\n", "line 2: program outside a pass"},
        {"technique T\npass p\nprogram vs\n", "line 3: program needs a vertex and a fragment function name"},
        {"technique T\npass p\nprogram a b c\n", "line 3: program needs a vertex and a fragment function name"},
        {"technique T\npass p\nprogram a b\nprogram a b\n", "line 4: pass 'p' has two programs"},
        {"technique T\npass p\nstate Fog on\n", "line 3: unknown state 'Fog'"},
        {"technique T\npass p\nstate ZEnable yes\n", "line 3: state ZEnable cannot be 'yes'"},
        {"technique T\npass p\nstate ZFunc lequal\n", "line 3: state ZFunc cannot be 'lequal'"},
        {"technique T\npass p\nstate CullMode CCW\n", "line 3: state CullMode cannot be 'CCW'"},
        {"technique T\npass p\nstate ColorWriteEnable 16\n", "line 3: state ColorWriteEnable cannot be '16'"},
        {"technique T\npass p\nstate ColorWriteEnable -1\n", "line 3: state ColorWriteEnable cannot be '-1'"},
        {"technique T\npass p\nstate ZEnable\n", "line 3: state needs a name and a value"},
        {"state ZEnable on\ntechnique T\npass p\n", "line 1: state outside a pass"},
        {"param float t\nsampler t point wrap\ntechnique T\npass p\n",
         "line 2: sampler names no texture parameter 't'"},
        {"sampler u point wrap\ntechnique T\npass p\n", "line 1: sampler names no texture parameter 'u'"},
        {"param texture t\nsampler t nearest wrap\n", "line 2: sampler filter 'nearest' is not point or linear"},
        {"param texture t\nsampler t point mirror\n", "line 2: sampler address 'mirror' is not wrap or clamp"},
        {"param texture t\nsampler t point\n",
         "line 2: sampler needs a texture parameter, a filter and an address mode"},
        {"param texture t\nsampler t point wrap\nsampler t linear clamp\n", "line 3: sampler for 't' given twice"},
    });
}

// Includes splice a file of the folder in where they stand, a GLSL block's lines among them;
// anything else that names a file is refused with its line.
TEST(GfxEffectFile, IncludesSpliceTheirFileWhereTheyStand) {
    const std::map<std::string, std::string> files = {
        {"sun.glsl", "float Sun() { return 1.0; }"},
        {"nested.glsl", "include sun.glsl\n"},
        {"big.glsl", std::string(kMaxEffectFileSize, '/')},
    };
    const EffectIncludeReader read = [&](const std::string& name, std::string& text) {
        auto it = files.find(name);
        if (it == files.end()) return false;
        text = it->second;
        return true;
    };
    std::string out, error;
    ASSERT_TRUE(ExpandEffectIncludes("glsl\ninclude sun.glsl  \r\nend\ntechnique T\npass p\n", read, out, error))
        << error;
    EXPECT_EQ(out, "glsl\nfloat Sun() { return 1.0; }\nend\ntechnique T\npass p\n");
    EffectDescription d;
    ASSERT_TRUE(ParseEffectDescription(out, d, error)) << error;
    EXPECT_EQ(d.glsl, "float Sun() { return 1.0; }\n");

    struct Refused {
        std::string text, error;
    };
    const std::vector<Refused> refused = {
        {"\ninclude missing.glsl\n", "line 2: cannot read include 'missing.glsl'"},
        {"include ../sun.glsl\n", "line 1: bad include name '../sun.glsl'"},
        {"include shaders/sun.glsl\n", "line 1: bad include name 'shaders/sun.glsl'"},
        {"include .hidden\n", "line 1: bad include name '.hidden'"},
        {"include \n", "line 1: bad include name ''"},
        {"include nested.glsl\n", "line 1: 'nested.glsl' includes a file itself"},
        {"technique T\ninclude big.glsl\n",
         "line 2: larger than " + std::to_string(kMaxEffectFileSize) + " bytes with 'big.glsl'"},
    };
    for (const Refused& c : refused) {
        out = "kept";
        EXPECT_FALSE(ExpandEffectIncludes(c.text, read, out, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_EQ(out, "kept") << "a failed expansion leaves the output alone";
    }
}

TEST(GfxEffectFile, ReadsGlslSamplersProgramsAndStates) {
    const char* text =
        "# lit\n"
        "glsl\n"
        "#ifdef QV_VERTEX\n"
        "  uniform mat4 world;   # not a comment here\n"
        "#endif\n"
        "end\n"
        "sampler diffuse point clamp\n"
        "param texture diffuse\n"
        "param texture normals\n"
        "technique T\n"
        "pass bare\n"
        "pass lit\n"
        "program vs_lit fs_lit  # trailing comment\n"
        "state ZEnable off\n"
        "state ZFunc greaterequal\n"
        "state SrcBlend invdestcolor\n"
        "state BlendOp revsubtract\n"
        "state CullMode cw\n"
        "state ColorWriteEnable 7\n"
        "glsl\r\n"
        "void vs_lit() {}\r\n"
        "end\r\n";
    EffectDescription d;
    std::string error;
    ASSERT_TRUE(ParseEffectDescription(text, d, error)) << error;
    EXPECT_EQ(d.glsl, "#ifdef QV_VERTEX\n  uniform mat4 world;   # not a comment here\n#endif\nvoid vs_lit() {}\n");
    ASSERT_EQ(d.techniques[0].programs.size(), 2u);
    EXPECT_FALSE(d.techniques[0].programs[0].HasProgram());
    const PassProgram& lit = d.techniques[0].programs[1];
    EXPECT_EQ(lit.vertexFunction, "vs_lit");
    EXPECT_EQ(lit.fragmentFunction, "fs_lit");
    const std::vector<PassState> states = {
        {kRsZEnable, 0},
        {kRsZFunc, kCmpGreaterEqual},
        {kRsSrcBlend, kBlendInvDestColor},
        {kRsBlendOp, kBlendOpRevSubtract},
        {kRsCullMode, kCullCw},
        {kRsColorWriteEnable, 7},
    };
    EXPECT_EQ(lit.states, states);
    EXPECT_FALSE(d.SamplerFor("diffuse").linear);
    EXPECT_FALSE(d.SamplerFor("diffuse").wrap);
    EXPECT_TRUE(d.SamplerFor("normals").linear) << "linear wrap unless the file says otherwise";
    EXPECT_TRUE(d.SamplerFor("normals").wrap);
}

struct GfxEffect : ::testing::Test, gfxtest::DeviceFixture {
    EffectPool* pool = EffectPool::Create();
    Effect* a = nullptr;
    Effect* b = nullptr;
    void SetUp() override {
        std::string errors;
        ASSERT_EQ(CreateEffect(device.get(), kScene, pool, &a, &errors), kOk) << errors;
        ASSERT_EQ(CreateEffect(device.get(), "param shared float time\ntechnique T\npass p\n", pool, &b, &errors), kOk);
    }
    void TearDown() override {
        a->Release();
        b->Release();
        pool->Release();
    }
};

TEST_F(GfxEffect, SharedParametersHoldOneValueForThePool) {
    EXPECT_EQ(a->SetFloat("time", 2.5f), kOk);
    EXPECT_FLOAT_EQ(b->GetValue("time")->floats[0], 2.5f);
    EXPECT_FLOAT_EQ(pool->Find("time")->floats[0], 2.5f);
    EXPECT_EQ(b->SetFloat("half_texel_offset", 1.0f), kInvalidCall) << "not offered by b";
    EXPECT_EQ(a->SetFloat("half_texel_offset", 1.0f), kInvalidCall) << "a vector, not a float";
    EXPECT_EQ(a->SetVector("half_texel_offset", {0.25f, 0.5f, 0, 0}), kOk);
    Matrix lights[9];
    EXPECT_EQ(a->SetMatrixArray("light_info", lights, 9), kInvalidCall);
    EXPECT_EQ(a->SetMatrixArray("light_info", lights, 8), kOk);
    // A pool whose shared name has another shape refuses the effect with the reason.
    Effect* c = nullptr;
    std::string errors;
    EXPECT_EQ(CreateEffect(device.get(), "param shared float4 time\ntechnique T\npass p\n", pool, &c, &errors),
              kInvalidCall);
    EXPECT_EQ(errors, "shared parameter 'time' is float[1] in the pool");
    EXPECT_EQ(pool->RefCount(), 3u);
}

TEST_F(GfxEffect, DrawingSequenceIsEnforcedAndRecorded) {
    uint32_t passes = 0;
    EXPECT_EQ(a->SetTechnique("Nope"), kInvalidCall);
    ASSERT_EQ(a->SetTechnique("Material"), kOk);
    ASSERT_EQ(a->Begin(&passes), kOk);
    EXPECT_EQ(passes, 2u);
    EXPECT_EQ(a->Begin(&passes), kInvalidCall);
    EXPECT_EQ(a->SetTechnique("Geometry"), kInvalidCall) << "not while begun";
    EXPECT_EQ(a->BeginPass(2), kInvalidCall);
    EXPECT_EQ(a->BeginPass(1), kOk);
    EXPECT_EQ(a->End(), kInvalidCall) << "a pass is open";
    EXPECT_EQ(a->EndPass(), kOk);
    EXPECT_EQ(a->EndPass(), kInvalidCall);
    EXPECT_EQ(a->End(), kOk);
    std::vector<Op> ops;
    for (const Command& c : device->CurrentFrame()) ops.push_back(c.op);
    EXPECT_EQ(ops,
              (std::vector<Op>{Op::kSetTechnique, Op::kBeginEffect, Op::kBeginPass, Op::kEndPass, Op::kEndEffect}));
    EXPECT_EQ(device->CurrentFrame()[2].name, "second");
}

TEST_F(GfxEffect, BeginningAPassSetsItsStatesWithoutRecordingThem) {
    Effect* e = nullptr;
    std::string errors;
    ASSERT_EQ(CreateEffect(device.get(),
                           "technique Plain\npass p\ntechnique Blended\npass first\npass second\n"
                           "state AlphaBlendEnable on\nstate SrcBlend srcalpha\nstate DestBlend invsrcalpha\n"
                           "state ZWriteEnable off\nstate CullMode none\n",
                           pool, &e, &errors),
              kOk)
        << errors;
    const std::map<uint32_t, uint32_t> defaults = {
        {kRsZEnable, 1},           {kRsZWriteEnable, 1},     {kRsZFunc, kCmpLessEqual},
        {kRsAlphaBlendEnable, 0},  {kRsSrcBlend, kBlendOne}, {kRsDestBlend, kBlendZero},
        {kRsBlendOp, kBlendOpAdd}, {kRsCullMode, kCullCcw},  {kRsColorWriteEnable, 15},
    };
    auto states = [&] {
        std::map<uint32_t, uint32_t> now;
        for (const auto& [state, value] : defaults) now[state] = device->GetRenderState(state);
        return now;
    };
    EXPECT_EQ(states(), defaults);
    EXPECT_EQ(device->ActiveEffectPass().effect, nullptr);

    ASSERT_EQ(e->SetTechnique("Blended"), kOk);
    ASSERT_EQ(e->Begin(nullptr), kOk);
    ASSERT_EQ(e->BeginPass(1), kOk);
    EXPECT_EQ(device->ActiveEffectPass().effect, e);
    EXPECT_EQ(device->ActiveEffectPass().technique, 1u);
    EXPECT_EQ(device->ActiveEffectPass().pass, 1u);
    std::map<uint32_t, uint32_t> blended = defaults;
    blended[kRsAlphaBlendEnable] = 1;
    blended[kRsSrcBlend] = kBlendSrcAlpha;
    blended[kRsDestBlend] = kBlendInvSrcAlpha;
    blended[kRsZWriteEnable] = 0;
    blended[kRsCullMode] = kCullNone;
    EXPECT_EQ(states(), blended);
    ASSERT_EQ(device->SetRenderState(kRsZWriteEnable, 1), kOk);
    EXPECT_EQ(device->GetRenderState(kRsZWriteEnable), 1u) << "a later setting wins until the next pass";
    ASSERT_EQ(e->EndPass(), kOk);
    EXPECT_EQ(device->ActiveEffectPass().effect, nullptr);
    ASSERT_EQ(e->BeginPass(0), kOk);
    EXPECT_EQ(device->GetRenderState(kRsZWriteEnable), 1u) << "a pass without states leaves them be";
    ASSERT_EQ(e->EndPass(), kOk);
    ASSERT_EQ(e->End(), kOk);
    for (const Command& c : device->CurrentFrame()) {
        if (c.op == Op::kSetRenderState) {
            EXPECT_EQ(c.a[0], static_cast<uint32_t>(kRsZWriteEnable)) << "only the call";
        }
    }

    ASSERT_EQ(device->Reset(device->GetPresentParameters()), kOk);
    EXPECT_EQ(states(), defaults) << "a reset brings the defaults back";
    e->Release();
}

TEST_F(GfxEffect, BoundTexturesDoNotHoldOffAReset) {
    Texture* t = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, kUsageRenderTarget, kFormatA8R8G8B8, Pool::kDefault, &t), kOk);
    EXPECT_EQ(b->SetTexture("lightBuffer", t), kInvalidCall);
    EXPECT_EQ(a->SetTexture("lightBuffer", t), kOk);
    EXPECT_EQ(pool->Find("lightBuffer")->texture, t);
    t->Release();
    EXPECT_EQ(device->Reset(device->GetPresentParameters()), kOk);
    EXPECT_EQ(a->SetTexture("lightBuffer", nullptr), kOk);
}

TEST_F(GfxEffect, EffectsKeepTheirPoolAlive) {
    pool->AddRef();
    pool->Release();
    EffectPool* p = EffectPool::Create();
    Effect* e = nullptr;
    ASSERT_EQ(CreateEffect(device.get(), "param shared float x\ntechnique T\npass p\n", p, &e, nullptr), kOk);
    EXPECT_EQ(p->Release(), 1u);
    EXPECT_EQ(e->SetFloat("x", 1.0f), kOk);
    e->Release();
}

}  // namespace

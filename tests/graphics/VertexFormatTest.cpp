#include <gtest/gtest.h>

#include "ResourceTestSupport.h"
#include "graphics/resources/ResourceManager.h"
#include "graphics/resources/Vertex.h"

namespace {

using namespace Aperture::Resource;

struct Row {
    uint16_t stream, offset;
    uint8_t type, usage, index;
};

// The five stream-0 elements every format but the debug one begins with.
const std::vector<Row> kMesh = {{0, 0, kDeclFloat3, kUsagePosition, 0},
                                {0, 12, kDeclFloat3, kUsageNormal, 0},
                                {0, 24, kDeclFloat2, kUsageTexCoord, 0},
                                {0, 32, kDeclFloat3, kUsageTangent, 0},
                                {0, 44, kDeclFloat3, kUsageBinormal, 0}};

std::vector<Row> Mesh(std::vector<Row> instance) {
    std::vector<Row> all = kMesh;
    all.insert(all.end(), instance.begin(), instance.end());
    return all;
}

const std::vector<Row> kTransform = {{1, 0, kDeclFloat4, kUsageTexCoord, 1},
                                     {1, 16, kDeclFloat4, kUsageTexCoord, 2},
                                     {1, 32, kDeclFloat4, kUsageTexCoord, 3},
                                     {1, 48, kDeclFloat4, kUsageTexCoord, 4},
                                     {1, 64, kDeclFloat4, kUsageColor, 0}};

std::vector<Row> Plus(std::vector<Row> a, std::vector<Row> b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

template <class T>
void ExpectLayout(const char* name, const std::vector<Row>& want, uint32_t stride) {
    const auto& got = TemplateVertex<T>::Elements();
    ASSERT_EQ(got.size(), want.size()) << name;
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].stream, want[i].stream) << name << " element " << i;
        EXPECT_EQ(got[i].offset, want[i].offset) << name << " element " << i;
        EXPECT_EQ(got[i].type, want[i].type) << name << " element " << i;
        EXPECT_EQ(got[i].usage, want[i].usage) << name << " element " << i;
        EXPECT_EQ(got[i].usageIndex, want[i].index) << name << " element " << i;
        EXPECT_EQ(got[i].method, 0) << name << " element " << i;
    }
    EXPECT_EQ(TemplateVertex<T>::InstanceStride(), stride) << name;
}

TEST(VertexFormat, DeclarationLayoutsAndInstanceStrides) {
    ExpectLayout<MeshVertex>("MeshVertex", kMesh, 0);
    ExpectLayout<DefaultVertex>("DefaultVertex", kMesh, 0);
    ExpectLayout<DebugVertex>("DebugVertex", {{0, 0, kDeclFloat3, kUsagePosition, 0}}, 0);
    ExpectLayout<MeshVertexInst>("MeshVertexInst", Mesh(kTransform), 80);
    ExpectLayout<GrassVertex>("GrassVertex",
                              Mesh({{1, 0, kDeclFloat3, kUsageTexCoord, 1},
                                    {1, 12, kDeclUByte4N, kUsageTexCoord, 2},
                                    {1, 16, kDeclUByte4, kUsageTexCoord, 3}}),
                              20);
    ExpectLayout<LightVertex>("LightVertex",
                              Mesh(Plus(kTransform, {{1, 80, kDeclFloat4, kUsageTexCoord, 5},
                                                     {1, 92, kDeclFloat2, kUsageTexCoord, 6},
                                                     {1, 100, kDeclFloat3, kUsageTexCoord, 7},
                                                     {1, 112, kDeclFloat2, kUsageTexCoord, 8}})),
                              120);
    ExpectLayout<ParticleVertex>("ParticleVertex",
                                 Mesh({{1, 0, kDeclFloat3, kUsageTexCoord, 1},
                                       {1, 12, kDeclFloat4, kUsageColor, 0},
                                       {1, 28, kDeclUByte4, kUsageTexCoord, 2}}),
                                 32);
    ExpectLayout<QuadParticleVertex>("QuadParticleVertex",
                                     Mesh(Plus(kTransform, {{1, 80, kDeclFloat1, kUsageTexCoord, 5}})), 84);
    EXPECT_EQ(sizeof(MeshVertexData), kMeshVertexSize);
}

TEST(VertexFormat, FormatsShareOneDeclarationPerClassAndLoadAgainAfterUnload) {
    gfxtest::ResourceFixture f;
    MeshVertex* mesh = f.manager->CreateVertexFormat<MeshVertex>();
    MeshVertex* second = f.manager->CreateVertexFormat<MeshVertex>();
    DefaultVertex* plain = f.manager->CreateVertexFormat<DefaultVertex>();
    ASSERT_NE(MeshVertex::GetDeclaration(), nullptr);
    ASSERT_NE(DefaultVertex::GetDeclaration(), nullptr);
    EXPECT_NE(static_cast<void*>(MeshVertex::GetDeclaration()), static_cast<void*>(DefaultVertex::GetDeclaration()));
    EXPECT_EQ(MeshVertex::GetDeclaration()->Elements().size(), DefaultVertex::GetDeclaration()->Elements().size());
    EXPECT_TRUE(mesh->IsLoaded() && second->IsLoaded() && plain->IsLoaded());

    ASSERT_TRUE(mesh->Unload());
    EXPECT_EQ(MeshVertex::GetDeclaration(), nullptr);
    ASSERT_TRUE(mesh->Load());
    ASSERT_NE(MeshVertex::GetDeclaration(), nullptr);
    EXPECT_EQ(MeshVertex::GetDeclaration()->Elements().size(), 5u);
    EXPECT_EQ(MeshVertex::GetDeclaration()->Elements()[4].offset, 44);
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <string>

#include "ResourceTestSupport.h"
#include "core/FileUtil.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Model.h"
#include "graphics/resources/ModelFile.h"
#include "graphics/resources/ResourceManager.h"
#include "support/CapturedLog.h"
#include "tools/modelwriter/ModelWriter.h"

namespace {

using Aperture::Resource::Mesh;
using Aperture::Resource::Model;
using Aperture::Resource::ModelFileContents;
using Aperture::Resource::ParseModelFile;
using modelwriter::MeshDescription;

constexpr const char* kTwoMeshes = R"(# a quad and a triangle
mesh bricks
v 0 0 0  0 0 -1  0 0
v 1 0 0  0 0 -1  1 0
v 1 1 0  0 0 -1  1 1
v 0 1 0  0 0 -1  0 1
f 0 1 2
f 0 2 3
end
mesh wood
v -2 0 5  0 1 0  0 0
v  2 0 5  0 1 0  1 0
v  0 4 -3 0 1 0  0 1
f 0 1 2
end
)";

std::vector<MeshDescription> Describe(const std::string& text) {
    std::vector<MeshDescription> meshes;
    std::string error;
    EXPECT_TRUE(modelwriter::ParseDescription(text, meshes, error)) << error;
    return meshes;
}

std::string AsText(const std::vector<unsigned char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

ModelFileContents Parse(const std::vector<unsigned char>& bytes) { return ParseModelFile(bytes.data(), bytes.size()); }

MeshDescription Triangle(const std::string& name = "bricks") {
    return Describe("mesh " + name + "\nv 0 0 0 0 0 1 0 0\nv 1 0 0 0 0 1 1 0\nv 0 1 0 0 0 1 0 1\nf 0 1 2\nend\n")[0];
}

TEST(ModelFile, ToolFileLoadsIntoMeshesWithTheSameVerticesIndicesBoundsAndMaterials) {
    gfxtest::ResourceFixture f;
    const std::vector<MeshDescription> described = Describe(kTwoMeshes);
    const SD::FilePath path = f.File("Assets/Models/bin/Pair.bin", AsText(modelwriter::ModelFileBytes(described)));
    std::map<std::string, Aperture::Resource::Material*> table = {{"bricks", nullptr}, {"wood", nullptr}};
    std::vector<std::string> asked;
    Model* model = f.manager->CreateModel(path, [&](const std::string& name) {
        asked.push_back(name);
        return nullptr;
    });
    ASSERT_EQ(model->GetMeshes().size(), 2u);
    EXPECT_EQ(asked, (std::vector<std::string>{"bricks", "wood"}));
    for (size_t m = 0; m < described.size(); ++m) {
        const Mesh& mesh = *model->GetMeshes()[m];
        const MeshDescription& d = described[m];
        EXPECT_EQ(mesh.GetName(), d.name);
        ASSERT_EQ(mesh.GetVertexCount(), d.vertices.size() / 8);
        ASSERT_EQ(mesh.GetIndexCount(), d.indices.size());
        for (size_t i = 0; i < d.indices.size(); ++i) EXPECT_EQ(mesh.GetIndices()[i], d.indices[i]);
        for (size_t v = 0; v < mesh.GetVertexCount(); ++v) {
            const auto& got = mesh.GetVertices()[v];
            const float* want = &d.vertices[v * 8];
            EXPECT_EQ(got.position, (SD::Vec3{want[0], want[1], want[2]}));
            EXPECT_EQ(got.normal, (SD::Vec3{want[3], want[4], want[5]}));
            EXPECT_EQ(got.u, want[6]);
            EXPECT_EQ(got.v, want[7]);
        }
        // The device buffers hold the same bytes.
        ASSERT_NE(mesh.GetVertexBuffer()->GetBuffer(), nullptr);
        EXPECT_EQ(mesh.GetVertexBuffer()->GetSizeBytes(), mesh.GetVertexCount() * 56);
        EXPECT_EQ(0, std::memcmp(mesh.GetVertexBuffer()->GetBuffer()->Bytes(), mesh.GetVertices().data(),
                                 mesh.GetVertexCount() * 56));
        EXPECT_EQ(0, std::memcmp(mesh.GetIndexBuffer()->GetBuffer()->Bytes(), mesh.GetIndices().data(),
                                 mesh.GetIndexCount() * 2));
        EXPECT_EQ(mesh.GetMaterial(), nullptr);
    }
    const Mesh& wood = *model->GetMeshes()[1];
    EXPECT_EQ(wood.GetBoundsMin(), (SD::Vec3{-2, 0, -3}));
    EXPECT_EQ(wood.GetBoundsMax(), (SD::Vec3{2, 4, 5}));
    EXPECT_NEAR(wood.GetCentroid().y, 4.0f / 3.0f, 1e-6f);
    EXPECT_NE(std::string(f.logger.Buffer()).find("names no loaded material"), std::string::npos)
        << "a mesh without a material is logged";
}

TEST(ModelFile, TangentsAreTheMeanOverTheTrianglesOfAVertex) {
    const ModelFileContents one = Parse(modelwriter::ModelFileBytes({Triangle()}));
    ASSERT_EQ(one.meshes.size(), 1u);
    for (const auto& v : one.meshes[0].vertices) {
        EXPECT_EQ(v.tangent, (SD::Vec3{1, 0, 0}));
        EXPECT_EQ(v.binormal, (SD::Vec3{0, 1, 0}));
    }
    // Vertex 0 is shared by a triangle with tangent (1,0,0) and one with tangent (0,0,2);
    // a triangle without uv area adds nothing, and an unused vertex keeps zero.
    const ModelFileContents shared = Parse(modelwriter::ModelFileBytes(Describe(R"(mesh m
v 0 0 0 0 0 1 0 0
v 1 0 0 0 0 1 1 0
v 0 1 0 0 0 1 0 1
v 0 0 2 0 0 1 1 0
v 5 5 5 0 0 1 0 0
f 0 1 2
f 0 3 2
f 0 1 0
end
)")));
    ASSERT_EQ(shared.meshes.size(), 1u);
    const auto& v = shared.meshes[0].vertices;
    EXPECT_EQ(v[0].tangent, (SD::Vec3{0.5f, 0, 1}));
    EXPECT_EQ(v[0].binormal, (SD::Vec3{0, 1, 0}));
    EXPECT_EQ(v[3].tangent, (SD::Vec3{0, 0, 2}));
    EXPECT_EQ(v[4].tangent, (SD::Vec3{0, 0, 0}));
    for (float c : {v[0].tangent.x, v[0].tangent.y, v[0].tangent.z}) EXPECT_FALSE(std::isnan(c));
}

TEST(ModelFile, ForeignChunksAreSkippedAndMeshesKeepFileOrder) {
    std::vector<unsigned char> bytes;
    modelwriter::AppendChunk(bytes, 0x12345678, {1, 2, 3, 4, 5});
    modelwriter::AppendChunk(bytes, modelwriter::kMeshTag, modelwriter::MeshPayload(Triangle("first")));
    modelwriter::AppendChunk(bytes, 0x61626364, {});
    modelwriter::AppendChunk(bytes, modelwriter::kMeshTag, modelwriter::MeshPayload(Triangle("second")));
    const ModelFileContents read = Parse(bytes);
    ASSERT_EQ(read.meshes.size(), 2u);
    EXPECT_EQ(read.meshes[0].name, "first");
    EXPECT_EQ(read.meshes[1].name, "second");
    EXPECT_TRUE(read.errors.empty());

    std::vector<unsigned char> onlyForeign;
    modelwriter::AppendChunk(onlyForeign, 0x12345678, {9, 9});
    EXPECT_TRUE(Parse(onlyForeign).meshes.empty());
    EXPECT_TRUE(Parse(onlyForeign).errors.empty());
}

TEST(ModelFile, EveryCutOfAMeshChunkIsReportedAndKeepsTheMeshesBeforeIt) {
    std::vector<unsigned char> bytes;
    modelwriter::AppendChunk(bytes, modelwriter::kMeshTag, modelwriter::MeshPayload(Triangle("whole")));
    const size_t secondStart = bytes.size();
    modelwriter::AppendChunk(bytes, modelwriter::kMeshTag, modelwriter::MeshPayload(Triangle("cut")));
    for (size_t cut = secondStart + 1; cut < bytes.size(); ++cut) {
        const ModelFileContents read = Parse(std::vector<unsigned char>(bytes.begin(), bytes.begin() + cut));
        ASSERT_EQ(read.meshes.size(), 1u) << "cut at " << cut;
        EXPECT_EQ(read.meshes[0].name, "whole");
        ASSERT_EQ(read.errors.size(), 1u) << "cut at " << cut;
        EXPECT_NE(read.errors[0].find("cut short"), std::string::npos) << read.errors[0];
    }
    std::vector<unsigned char> foreignCut;
    modelwriter::AppendChunk(foreignCut, 0x12345678, {1, 2, 3, 4});
    foreignCut.pop_back();
    EXPECT_NE(Parse(foreignCut).errors.at(0).find("cut short"), std::string::npos);
}

TEST(ModelFile, MalformedMeshesAreLeftOutWithAReasonAndTheNextMeshStillLoads) {
    struct Case {
        const char* name;
        MeshDescription mesh;
        uint32_t indexCount, vertexCount;
        const char* reason;
    };
    MeshDescription big = Triangle("big");
    big.indices.assign(65538, 0);
    MeshDescription bigVertices = Triangle("many");
    bigVertices.vertices.resize(8 * 65536, 0.0f);
    MeshDescription pastEnd = Triangle("past");
    pastEnd.indices[2] = 3;
    MeshDescription twoVertices = Describe("mesh two\nv 0 0 0 0 0 1 0 0\nv 1 0 0 0 0 1 1 0\nf 0 1 1\nend\n")[0];
    MeshDescription noVertices = Describe("mesh none\nend\n")[0];
    MeshDescription noTriangle = Triangle("open");
    noTriangle.indices.resize(2);
    const Case cases[] = {
        {"index count over 16 bits", big, 65538, 3, "at most 65535"},
        {"vertex count over 16 bits", bigVertices, 3, 65536, "at most 65535"},
        {"index past the vertices", pastEnd, 3, 3, "index 3 past its 3 vertices"},
        {"two vertices", twoVertices, 3, 2, "fewer than three vertices"},
        {"no vertices", noVertices, 0, 0, "fewer than three vertices"},
        {"two indices", noTriangle, 2, 3, "fewer than three indices"},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> bytes;
        modelwriter::AppendChunk(bytes, modelwriter::kMeshTag,
                                 modelwriter::MeshPayload(c.mesh, c.indexCount, c.vertexCount));
        modelwriter::AppendChunk(bytes, modelwriter::kMeshTag, modelwriter::MeshPayload(Triangle("after")));
        const ModelFileContents read = Parse(bytes);
        ASSERT_EQ(read.meshes.size(), 1u) << c.name;
        EXPECT_EQ(read.meshes[0].name, "after") << c.name;
        ASSERT_EQ(read.errors.size(), 1u) << c.name;
        EXPECT_NE(read.errors[0].find(c.reason), std::string::npos) << c.name << ": " << read.errors[0];
    }
    // A count that claims more than the file holds is a cut, not an allocation.
    std::vector<unsigned char> huge;
    modelwriter::AppendChunk(huge, modelwriter::kMeshTag, modelwriter::MeshPayload(Triangle(), 0xFFFFFFFFu, 3));
    EXPECT_TRUE(Parse(huge).meshes.empty());
    EXPECT_NE(Parse(huge).errors.at(0).find("cut short"), std::string::npos);
}

// A model that draws nothing says so by its file: missing, empty, or only a foreign chunk.
TEST(ModelFile, AFileWithoutMeshesGivesAModelWithoutMeshesAndALogLine) {
    gfxtest::ResourceFixture f;
    std::vector<unsigned char> foreign;
    modelwriter::AppendChunk(foreign, 0x4E474F46u, {1, 2, 3, 4});
    const struct {
        const char* name;
        std::optional<std::string> bytes;
        const char* said;
    } cases[] = {{"missing.bin", std::nullopt, "could not be read"},
                 {"empty.bin", std::string(), "holds no meshes"},
                 {"foreign.bin", AsText(foreign), "holds no meshes"}};
    for (const auto& c : cases) {
        const std::string path = c.bytes ? f.File(c.name, *c.bytes).fullPath : f.tree.Path(c.name);
        qvtest::CapturedLog log;
        Model* model = f.manager->CreateModel(SD::FilePath(path.c_str()), nullptr);
        EXPECT_TRUE(model->GetMeshes().empty()) << c.name;
        EXPECT_EQ(qvtest::Occurrences(log.Text(), "Model file \"" + path + "\" " + c.said), 1u) << log.Text();
    }
}

TEST(ModelFile, TheSampleModelsAndThePhysicsSampleHillRead) {
    for (const char* file :
         {"/Graphics/Models/UnitCube.bin", "/Graphics/Models/Teapot.bin", "/Assets/Models/fin/SampleHill.bin"}) {
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(SD::ReadWholeFile(qvtest::SourceDir() + file, bytes)) << file;
        const ModelFileContents read = Parse(bytes);
        EXPECT_FALSE(read.meshes.empty()) << file;
        EXPECT_TRUE(read.errors.empty()) << file << ": " << (read.errors.empty() ? "" : read.errors[0]);
    }
}

TEST(ModelFile, DescriptionErrorsNameTheirLine) {
    std::vector<MeshDescription> meshes;
    std::string error;
    EXPECT_FALSE(modelwriter::ParseDescription("mesh a\nv 1 2 3\nend\n", meshes, error));
    EXPECT_EQ(error, "line 2: a vertex needs 8 numbers");
    meshes.clear();
    EXPECT_FALSE(modelwriter::ParseDescription("mesh a\n", meshes, error));
    EXPECT_EQ(error, "line 1: mesh a is not ended");
    meshes.clear();
    EXPECT_FALSE(modelwriter::ParseDescription("mesh a\nv 0 0 0 0 0 1 0 0\nf 0 0 1\nend\n", meshes, error));
    EXPECT_EQ(error, "line 4: mesh a has a face past its vertices");
    std::string many = "mesh big\n";
    for (int i = 0; i < 65536; ++i) many += "v 0 0 0 0 0 1 0 0\n";
    meshes.clear();
    EXPECT_FALSE(modelwriter::ParseDescription(many + "end\n", meshes, error));
    EXPECT_EQ(error, "line 65538: mesh big has more than 65535 vertices or indices");
}

}  // namespace

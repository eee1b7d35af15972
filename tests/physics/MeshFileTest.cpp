// Physics mesh data: built from model files, written and read back through the data files,
// cached by name; malformed files are logged and give meshes without triangles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <set>

#include "PhysicsTestSupport.h"
#include "engine/LuaTestSupport.h"
#include "physics/MeshFile.h"
#include "physics/PairTests.h"

namespace {

using namespace physicstest;
using namespace Gedankenexperiment;

void PutU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(char(v >> (8 * i)));
}

void PutF32(std::string& out, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    PutU32(out, bits);
}

std::string Chunk(uint32_t tag, const std::string& payload) {
    std::string out;
    PutU32(out, tag);
    PutU32(out, uint32_t(payload.size()));
    return out + payload;
}

// The mesh chunk of a model file: an unused word, the indices, the vertices (position, normal,
// uv) and the mesh's name.
std::string ModelMesh(const std::vector<uint32_t>& indices, const std::vector<SD::Vec3>& points) {
    std::string payload;
    PutU32(payload, 7);
    PutU32(payload, uint32_t(indices.size()));
    for (uint32_t i : indices) PutU32(payload, i);
    PutU32(payload, uint32_t(points.size()));
    for (const SD::Vec3& p : points) {
        for (float f : {p.x, p.y, p.z, 0.0f, 1.0f, 0.0f, 0.5f, 0.5f}) PutF32(payload, f);
    }
    payload.push_back(4);
    payload += "Hill";
    return Chunk(kMeshChunkTag, payload);
}

// A square of two triangles 20 wide at height 0.
const std::vector<SD::Vec3> kSquare = {{-10, 0, -10}, {10, 0, -10}, {10, 0, 10}, {-10, 0, 10}};
const std::vector<uint32_t> kSquareIndices = {0, 3, 2, 0, 2, 1};

class MeshFileTest : public PhysicsWorld {
protected:
    MeshFileTest() { std::filesystem::create_directories(tree.Path("Assets/PhysicsMeshData")); }
    void Model(const std::string& name, const std::string& bytes) { tree.Write("Assets/Models/fin/" + name, bytes); }
    void Data(const std::string& name, const std::string& bytes) {
        tree.Write("Assets/PhysicsMeshData/" + name, bytes);
    }
    std::string DataFile(const MeshData& mesh) {
        std::vector<unsigned char> bytes = WriteMeshDataFile(mesh);
        return std::string(bytes.begin(), bytes.end());
    }
    // A fresh cache, as in the next run of the game.
    void NextRun() { Physics_System::DestroyInstance(); }
};

TEST_F(MeshFileTest, AMissingDataFileIsBuiltFromTheModelSavedAndReadNextRun) {
    Model("Hill", Chunk(0x1234, "other") + ModelMesh(kSquareIndices, kSquare));
    auto built = LoadPhysicsMesh("Hill");
    ASSERT_EQ(built->triangles.size(), 2u);
    EXPECT_EQ(built->extents, SD::Vec3(10, 0, 10));
    for (const MeshVertex& v : built->vertices) EXPECT_EQ(v.normal, SD::Vec3(0, 1, 0));
    EXPECT_EQ(built->quadrants[0], std::vector<uint32_t>{0});
    EXPECT_EQ(built->quadrants[1], (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(built->quadrants[2], (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(built->quadrants[3], std::vector<uint32_t>{1});
    ASSERT_TRUE(tree.Exists("Assets/PhysicsMeshData/Hill"));
    const std::string file = tree.Read("Assets/PhysicsMeshData/Hill");
    // Tag, chunk size counting its 8 header bytes, 4 vertices, 2 triangles, extents.
    ASSERT_EQ(file.size(), 8u + 4 + 4 * 24 + 4 + 2 * 12 + 12);
    EXPECT_EQ(file.substr(0, 4), "hsem");
    EXPECT_EQ(uint8_t(file[4]), file.size());

    // The same name again comes from the cache, even with both files gone.
    std::filesystem::remove(tree.Path("Assets/PhysicsMeshData/Hill"));
    std::filesystem::remove(tree.Path("Assets/Models/fin/Hill"));
    EXPECT_EQ(LoadPhysicsMesh("Hill"), built);

    Data("Hill", file);
    NextRun();
    auto read = LoadPhysicsMesh("Hill");
    ASSERT_EQ(read->vertices.size(), built->vertices.size());
    for (size_t i = 0; i < read->vertices.size(); ++i) {
        EXPECT_EQ(read->vertices[i].position, built->vertices[i].position);
        EXPECT_EQ(read->vertices[i].normal, built->vertices[i].normal);
    }
    EXPECT_EQ(read->quadrants, built->quadrants);
    EXPECT_FALSE(tree.Exists("Assets/Models/fin/Hill"));
}

TEST_F(MeshFileTest, AFileWithoutAMeshChunkIsRebuiltAndOneAfterAForeignChunkIsRead) {
    Model("Hill", ModelMesh(kSquareIndices, kSquare));
    Data("Hill", Chunk(0x77777777, "not a mesh"));
    EXPECT_EQ(LoadPhysicsMesh("Hill")->triangles.size(), 2u);
    EXPECT_EQ(tree.Read("Assets/PhysicsMeshData/Hill").substr(0, 4), "hsem");  // overwritten

    MeshData one = BuildMeshData({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{{0, 2, 1}}});
    Data("Tri", Chunk(0x77777777, "skip me") + DataFile(one));
    EXPECT_EQ(LoadPhysicsMesh("Tri")->triangles.size(), 1u);
}

TEST_F(MeshFileTest, MalformedDataFilesAreLoggedAndGiveNoContact) {
    const MeshData square = BuildMeshData(kSquare, {{{0, 3, 2}}, {{0, 2, 1}}});
    const std::string good = DataFile(square);
    auto patched = [&](size_t at, const std::string& bytes) {
        return good.substr(0, at) + bytes + good.substr(at + bytes.size());
    };
    std::string huge, nan, far, negative;
    PutU32(huge, 0xFFFFFFF0u);
    PutF32(nan, std::nanf(""));
    PutU32(far, 4);
    PutF32(negative, -1.0f);
    const size_t triangles = 12 + 4 * 24;
    struct Case {
        const char* name;
        std::string bytes;
        const char* error;
    };
    const Case cases[] = {
        {"Header", good.substr(0, 8), "vertex count past the end of the file at offset 8"},
        {"HugeVertexCount", patched(8, huge), "vertex count past the end of the file at offset 12"},
        {"CutVertices", good.substr(0, 12 + 30), "vertex count past the end of the file at offset 12"},
        {"NanVertex", patched(12 + 24 + 4, nan), "vertex that is not a finite number at offset 36"},
        {"HugeTriangleCount", patched(triangles, huge), "triangle count past the end of the file at offset 112"},
        {"CutTriangles", good.substr(0, triangles + 4 + 12), "triangle count past the end of the file at offset 112"},
        {"FarIndex", patched(triangles + 4 + 12 + 8, far),
         "triangle naming a vertex beyond the vertex count at offset 124"},
        {"CutExtents", good.substr(0, good.size() - 4), "extents cut short at offset 136"},
        {"NegativeExtents", patched(good.size() - 8, negative), "extents that are not finite sizes at offset 136"},
    };
    for (const Case& c : cases) {
        Model(c.name, ModelMesh(kSquareIndices, kSquare));  // never used: the file exists
        Data(c.name, c.bytes);
    }
    Data("Good", good);
    qvtest::StderrCapture err;
    for (const Case& c : cases) EXPECT_TRUE(LoadPhysicsMesh(c.name)->triangles.empty()) << c.name;
    EXPECT_EQ(LoadPhysicsMesh("Good")->triangles.size(), 2u);
    const std::string log = err.Text();
    for (const Case& c : cases) {
        EXPECT_NE(log.find(std::string("Physics mesh file ../Assets/PhysicsMeshData/") + c.name + ": " + c.error),
                  std::string::npos)
            << c.name << "\n"
            << log;
        EXPECT_EQ(tree.Read(std::string("Assets/PhysicsMeshData/") + c.name), c.bytes) << c.name << " was replaced";
    }

    // A sphere falling onto such a mesh meets nothing.
    SD::GameObject* object = factory.NewGameObject();
    auto* collider = static_cast<Collider*>(object->AddComponent(SD::CID_Collider));
    auto mesh = std::make_unique<Mesh>();
    mesh->data = LoadPhysicsMesh("FarIndex");
    collider->SetShape(std::move(mesh));
    object->Initialize(false);
    SD::GameObject* ballObject = factory.NewGameObject();
    auto* ball = static_cast<Collider*>(ballObject->AddComponent(SD::CID_Collider));
    auto sphere = std::make_unique<Sphere>();
    sphere->radius = 1;
    ball->SetShape(std::move(sphere));
    ballObject->Initialize(false);
    ball->position = {2, 0.8f, 3};
    ball->previousPosition = {2, 1.0f, 3};
    ContactTable contacts;
    EXPECT_FALSE(SphereMesh(*ball->GetShape(), ball->position, *collider->GetShape(), collider->position, contacts));
}

TEST_F(MeshFileTest, MalformedModelsAreLoggedGiveNoTrianglesAndAreNotSaved) {
    std::string hugeCount;
    PutU32(hugeCount, 7);
    PutU32(hugeCount, 0xFFFFFFF0u);
    struct Case {
        const char* name;
        std::string bytes;
        const char* error;
    };
    const Case cases[] = {
        {"Empty", "", "no mesh chunk"},
        {"Foreign", Chunk(0x55, "abc"), "no mesh chunk"},
        {"Overrun", Chunk(0x55, "abc").substr(0, 6) + "\xff\xff\xff\x7f", "no mesh chunk"},
        {"HugeIndexCount", Chunk(kMeshChunkTag, hugeCount), "index count past the end of the file at offset 16"},
        {"BadIndex", ModelMesh({0, 1, 9}, kSquare), "triangle 0 names vertex 9 of 4"},
        {"NanVertex", ModelMesh(kSquareIndices, {{0, 0, 0}, {std::nanf(""), 0, 0}, {1, 0, 1}, {0, 0, 1}}),
         "vertex that is not a finite number at offset 76"},
        {"CutVertices", ModelMesh(kSquareIndices, kSquare).substr(0, 60), "vertex count past the end of the file"},
    };
    for (const Case& c : cases) Model(c.name, c.bytes);
    qvtest::StderrCapture err;
    for (const Case& c : cases) EXPECT_TRUE(LoadPhysicsMesh(c.name)->triangles.empty()) << c.name;
    EXPECT_TRUE(LoadPhysicsMesh("NoModelAtAll")->triangles.empty());
    const std::string log = err.Text();
    for (const Case& c : cases) {
        EXPECT_NE(log.find(std::string("Model file ../Assets/Models/fin/") + c.name + ": " + c.error),
                  std::string::npos)
            << c.name << "\n"
            << log;
        EXPECT_FALSE(tree.Exists(std::string("Assets/PhysicsMeshData/") + c.name)) << c.name;
    }
    EXPECT_NE(log.find("Physics mesh NoModelAtAll has no model file ../Assets/Models/fin/NoModelAtAll"),
              std::string::npos);
}

TEST_F(MeshFileTest, AnIndexCountThatIsNoMultipleOfThreeKeepsTheVerticesInPlace) {
    Model("Odd", ModelMesh({0, 3, 2, 0, 2, 1, 3}, kSquare));
    auto mesh = LoadPhysicsMesh("Odd");
    EXPECT_EQ(mesh->triangles.size(), 2u);
    ASSERT_EQ(mesh->vertices.size(), 4u);
    EXPECT_EQ(mesh->vertices[2].position, SD::Vec3(10, 0, 10));
}

TEST_F(MeshFileTest, WithoutTheDataFolderTheMeshIsUsedAndTheFailureShown) {
    std::filesystem::remove_all(tree.Path("Assets/PhysicsMeshData"));
    Model("Hill", ModelMesh(kSquareIndices, kSquare));
    luatest::StdoutCapture out;
    auto mesh = LoadPhysicsMesh("Hill");
    const std::string text = out.Text();
    EXPECT_EQ(mesh->triangles.size(), 2u);
    EXPECT_NE(text.find("ERROR SAVING OUT PHYSICS MESH DATA: Hill\nMake sure there is a folder labeled "
                        "PhysicsMeshData in Assets.\n"),
              std::string::npos)
        << text;
}

TEST(MeshWeld, VerticesWithinTheToleranceBecomeOne) {
    struct Case {
        float apart;
        size_t merged;
        uint32_t corner;
    };
    for (const Case& c : {Case{0.00005f, 1, 0}, Case{0.0002f, 0, 3}}) {
        std::vector<SD::Vec3> points = {{1, 2, 3}, {5, 0, 0}, {0, 5, 0}, {1 + c.apart, 2, 3 - c.apart}};
        std::vector<MeshTriangle> triangles = {{{0, 1, 2}}, {{3, 2, 1}}};
        EXPECT_EQ(WeldVertices(points, triangles), c.merged) << c.apart;
        EXPECT_EQ(triangles[1].index[0], c.corner) << c.apart;
    }
    // Only the first corner naming the merged vertex moves.
    std::vector<SD::Vec3> points = {{0, 0, 0}, {0, 0, 0}, {1, 1, 1}};
    std::vector<MeshTriangle> triangles = {{{1, 2, 1}}};
    WeldVertices(points, triangles);
    EXPECT_EQ(triangles[0].index[0], 0u);
    EXPECT_EQ(triangles[0].index[2], 1u);
}

// The weld as its rule reads: each unmerged vertex against every later one.
void WeldByScan(const std::vector<SD::Vec3>& points, std::vector<MeshTriangle>& triangles) {
    std::vector<bool> merged(points.size());
    for (uint32_t i = 0; i < points.size(); ++i) {
        if (merged[i]) continue;
        for (uint32_t j = i + 1; j < points.size(); ++j) {
            const SD::Vec3 d = points[i] - points[j];
            if (std::fabs(d.x) > kWeldTolerance || std::fabs(d.y) > kWeldTolerance || std::fabs(d.z) > kWeldTolerance)
                continue;
            merged[j] = true;
            for (MeshTriangle& t : triangles)
                for (uint32_t& corner : t.index)
                    if (corner == j) {
                        corner = i;
                        break;
                    }
        }
    }
}

TEST(MeshWeld, TheGridWeldAgreesWithAScanOfEveryPair) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> cell(0, 12);
    std::uniform_real_distribution<float> jitter(-0.00012f, 0.00012f);
    std::vector<SD::Vec3> points;
    for (int i = 0; i < 3000; ++i)
        points.push_back({cell(rng) * 0.001f + jitter(rng), cell(rng) * 0.001f + jitter(rng), 0.25f + jitter(rng)});
    std::uniform_int_distribution<uint32_t> pick(0, uint32_t(points.size() - 1));
    std::vector<MeshTriangle> triangles(4000);
    for (MeshTriangle& t : triangles) t = {{pick(rng), pick(rng), pick(rng)}};
    std::vector<MeshTriangle> expected = triangles;
    WeldByScan(points, expected);
    WeldVertices(points, triangles);
    for (size_t t = 0; t < triangles.size(); ++t)
        for (int c = 0; c < 3; ++c) ASSERT_EQ(triangles[t].index[c], expected[t].index[c]) << t << "," << c;
}

TEST(MeshNormals, EachDistinctFaceNormalCountsOncePerVertex) {
    // A corner of a cube: three faces meet at the origin, the top face made of two triangles.
    const std::vector<SD::Vec3> points = {{0, 0, 0},  {0, 0, -1},  {-1, 0, -1}, {-1, 0, 0},
                                          {0, -1, 0}, {-1, -1, 0}, {0, -1, -1}, {5, 5, 5}};
    const std::vector<MeshTriangle> triangles = {
        {{0, 1, 2}}, {{0, 2, 3}},  // top, +y
        {{0, 3, 5}}, {{0, 5, 4}},  // front, +z
        {{0, 4, 6}}, {{0, 6, 1}},  // side, +x
        {{7, 7, 7}},               // no area
    };
    const std::vector<SD::Vec3> normals = VertexNormals(points, triangles);
    const float k = 1.0f / std::sqrt(3.0f);
    EXPECT_NEAR(normals[0].x, k, 1e-6f);
    EXPECT_NEAR(normals[0].y, k, 1e-6f);
    EXPECT_NEAR(normals[0].z, k, 1e-6f);
    EXPECT_EQ(normals[2], SD::Vec3(0, 1, 0));
    EXPECT_EQ(normals[7], SD::Vec3());  // only a triangle without area uses it
}

TEST(MeshTree, FiftyTrianglesAreOneNodeAndMoreAreSplitInQuarters) {
    auto strip = [](int count) {
        std::vector<SD::Vec3> points;
        std::vector<MeshTriangle> triangles;
        for (int i = 0; i < count; ++i) {
            const float x = -50.0f + 100.0f * (i + 0.5f) / count;
            const uint32_t base = uint32_t(points.size());
            points.insert(points.end(), {{x, 0, -1}, {x + 0.1f, 0, 1}, {x + 0.2f, 0, -1}});
            triangles.push_back({{base, base + 1, base + 2}});
        }
        return BuildMeshData(points, triangles);
    };
    const MeshData fifty = strip(50);
    ASSERT_TRUE(fifty.tree);
    EXPECT_FALSE(fifty.tree->children[0]);
    EXPECT_EQ(fifty.tree->triangles.size(), 50u);

    const MeshData many = strip(400);
    ASSERT_TRUE(many.tree->children[0]);
    EXPECT_TRUE(many.tree->triangles.empty());
    for (const auto& child : many.tree->children) EXPECT_EQ(child->extents.x, many.extents.x / 2);
    // Every triangle is held by a leaf.
    std::set<uint32_t> held;
    std::function<void(const TriangleNode&)> collect = [&](const TriangleNode& node) {
        held.insert(node.triangles.begin(), node.triangles.end());
        for (const auto& child : node.children)
            if (child) collect(*child);
    };
    collect(*many.tree);
    EXPECT_EQ(held.size(), 400u);
}

}  // namespace

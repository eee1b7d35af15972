// The face tree of a mesh: every triangle whose placed, buffered corners come into a query's box
// is handed out, in ascending order and once, for any placement a collider can give; and a small
// query over a large mesh hands out few.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "physics/FaceTree.h"
#include "physics/MeshFile.h"
#include "physics/PairSupport.h"

namespace Gedankenexperiment {
namespace {

// A bumpy sheet of n x n cells, two triangles a cell, 1 unit apart, with a few stray triangles
// across it so that boxes overlap.
MeshData BumpySheet(int n, std::mt19937& random) {
    std::uniform_real_distribution<float> bump(-0.4f, 0.4f);
    std::vector<SD::Vec3> points;
    std::vector<MeshTriangle> triangles;
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= n; ++j) points.emplace_back(i - n * 0.5f, bump(random), j - n * 0.5f);
    auto at = [n](int i, int j) { return static_cast<uint32_t>(i * (n + 1) + j); };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            triangles.push_back({{at(i, j), at(i, j + 1), at(i + 1, j + 1)}});
            triangles.push_back({{at(i, j), at(i + 1, j + 1), at(i + 1, j)}});
        }
    for (int k = 0; k < n; ++k) triangles.push_back({{at(k, 0), at(n - k, n), at(n / 2, k)}});
    return BuildMeshData(points, triangles);
}

// The world box of a triangle's corners as a collider lays them out.
void PlacedBox(const MeshData& mesh, uint32_t t, const FacePlacement& p, SD::Vec3* lo, SD::Vec3* hi) {
    for (int k = 0; k < 3; ++k) {
        const MeshVertex& v = mesh.vertices[mesh.triangles[t].index[k]];
        const SD::Vec3 c = p.position + p.orient * (Multiply(v.position, p.scale) + v.normal * p.thickness);
        *lo = k == 0 ? c : SD::Vec3(std::min(lo->x, c.x), std::min(lo->y, c.y), std::min(lo->z, c.z));
        *hi = k == 0 ? c : SD::Vec3(std::max(hi->x, c.x), std::max(hi->y, c.y), std::max(hi->z, c.z));
    }
}

struct PlacementCase {
    const char* name;
    FacePlacement placement;
};

TEST(FaceTree, HandsOutEveryTriangleInTheBoxOnceInOrderForAnyPlacement) {
    std::mt19937 random(7);
    const MeshData mesh = BumpySheet(24, random);
    ASSERT_EQ(mesh.faces.TriangleCount(), mesh.triangles.size());
    const PlacementCase cases[] = {
        {"as loaded", {SD::Mtx33::Identity(), SD::Vec3(), SD::Vec3(1, 1, 1), 0.0f}},
        {"moved far and buffered", {SD::Mtx33::Identity(), SD::Vec3(3000, -20, 41000), SD::Vec3(1, 1, 1), 0.5f}},
        {"scaled unevenly", {SD::Mtx33::Identity(), SD::Vec3(5, 0, 0), SD::Vec3(3, 0.5f, 7), 0.25f}},
        {"mirrored", {SD::Mtx33::Identity(), SD::Vec3(), SD::Vec3(-2, 1, -1), 0.5f}},
        {"a negative buffer", {SD::Mtx33::Identity(), SD::Vec3(), SD::Vec3(1, 1, 1), -0.5f}},
        {"turned",
         {SD::Mtx33::RotationAxisAngle(0.7f, SD::Vec3(1, 2, 3).GetNormalized()), SD::Vec3(-8, 3, 2),
          SD::Vec3(1.5f, 1, 1), 0.5f}},
        {"flattened", {SD::Mtx33::Identity(), SD::Vec3(), SD::Vec3(1, 0, 1), 0.5f}},
    };
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (const PlacementCase& c : cases) {
        const FacePlacement& p = c.placement;
        for (int query = 0; query < 200; ++query) {
            const float span = 40.0f * std::max({std::fabs(p.scale.x), std::fabs(p.scale.z), 1.0f});
            const SD::Vec3 centre = p.position + SD::Vec3(unit(random), unit(random) * 0.1f, unit(random)) * span;
            const float size = query % 4 == 0 ? 0.0f : std::fabs(unit(random)) * 4.0f;
            const SD::Vec3 half(size, size * 0.5f, size);
            std::vector<uint32_t> found{12345u};  // what is there already stays first
            mesh.faces.Collect(
                p, [&](const SD::Vec3& c2, const SD::Vec3& h2) { return BoxesOverlap(c2, h2, centre, half); }, found);
            ASSERT_EQ(found.front(), 12345u) << c.name;
            found.erase(found.begin());
            ASSERT_TRUE(std::is_sorted(found.begin(), found.end())) << c.name;
            ASSERT_TRUE(std::adjacent_find(found.begin(), found.end()) == found.end()) << c.name;
            for (uint32_t t = 0; t < mesh.triangles.size(); ++t) {
                SD::Vec3 lo, hi;
                PlacedBox(mesh, t, p, &lo, &hi);
                if (!BoxesOverlap((lo + hi) * 0.5f, (hi - lo) * 0.5f, centre, half)) continue;
                ASSERT_TRUE(std::binary_search(found.begin(), found.end(), t))
                    << c.name << ": triangle " << t << " in the box was missed";
            }
        }
    }
}

TEST(FaceTree, ASmallBoxOverALargeMeshVisitsFewTriangles) {
    std::mt19937 random(3);
    const MeshData mesh = BumpySheet(64, random);
    const FacePlacement p{SD::Mtx33::Identity(), SD::Vec3(), SD::Vec3(1, 1, 1), 0.5f};
    std::vector<uint32_t> found;
    mesh.faces.Collect(
        p,
        [](const SD::Vec3& c, const SD::Vec3& h) {
            return BoxesOverlap(c, h, SD::Vec3(10.2f, 0, -5.7f), SD::Vec3(1, 1, 1));
        },
        found);
    EXPECT_GT(found.size(), 0u);
    // The cells the box and the buffer reach, and the stray triangles crossing the sheet.
    EXPECT_LT(found.size(), mesh.triangles.size() / 20);

    const MeshData empty = BuildMeshData({}, {});
    found.clear();
    empty.faces.Collect(
        p, [](const SD::Vec3&, const SD::Vec3&) { return true; }, found);
    EXPECT_TRUE(found.empty());
}

TEST(FaceTree, SegmentsTouchBoxesAtTheirEdges) {
    struct Case {
        const char* name;
        SD::Vec3 from, way;
        float tEnd;
        bool touches;
    };
    const SD::Vec3 centre(0, 0, 0), half(1, 1, 1);
    const Case cases[] = {
        {"through the middle", {-5, 0, 0}, {10, 0, 0}, 1.0f, true},
        {"stopping short", {-5, 0, 0}, {3.9f, 0, 0}, 1.0f, false},
        {"ending on the face", {-5, 0, 0}, {4, 0, 0}, 1.0f, true},
        {"starting inside", {0.5f, 0.5f, 0.5f}, {0, 0, 0}, 1.0f, true},
        {"pointing away", {-5, 0, 0}, {-1, 0, 0}, 100.0f, false},
        {"parallel beside it", {-5, 1.01f, 0}, {10, 0, 0}, 1.0f, false},
        {"parallel along a face", {-5, 1, 0}, {10, 0, 0}, 1.0f, true},
        {"a ray straight up from under it", {0.9f, -1000, -0.9f}, {0, 1, 0}, 3.0e38f, true},
        {"diagonal past a corner", {-3, 0, 0}, {3, 3.1f, 0}, 1.0f, false},
    };
    for (const Case& c : cases) EXPECT_EQ(SegmentTouchesBox(c.from, c.way, c.tEnd, centre, half), c.touches) << c.name;
}

}  // namespace
}  // namespace Gedankenexperiment

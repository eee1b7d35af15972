// The physics at game sizes, each beside an anchor in the same binary: a substep of dynamic
// bodies against the same substep in plain code with a sort and sweep, tree queries against a scan of every static, tree builds against a sort
// of the colliders, sphere-mesh tests against every triangle, and the mesh weld against a scan
// of every vertex pair.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "engine/ComponentCreator.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "physics/AxisABoxTree.h"
#include "physics/Body.h"
#include "physics/Collider.h"
#include "physics/Geometry.h"
#include "physics/MeshFile.h"
#include "physics/PairTests.h"
#include "physics/PhysicsSystem.h"
#include "physics/StaticProbe.h"

namespace {

using namespace Gedankenexperiment;

// A factory that makes Body and Collider components, and colliders placed at random.
class World {
public:
    explicit World(uint32_t objects) : factory_(objects) {
        factory_.RegisterComponentCreator("Body", SD::CID_Body, new SD::ComponentCreator<Body>);
        factory_.RegisterComponentCreator("Collider", SD::CID_Collider, new SD::ComponentCreator<Collider>);
    }
    ~World() {
        factory_.DestroyAllGameObjects();
        factory_.Update(0);
        factory_.Shutdown();
        Physics_System::DestroyInstance();
    }
    Collider* Make(std::unique_ptr<Shape> shape, SD::Vec3 position, bool body) {
        SD::GameObject* object = factory_.NewGameObject();
        object->GetTransform().SetPos(position);
        if (body) {
            auto* b = static_cast<Body*>(object->AddComponent(SD::CID_Body));
            b->SetMass(10);
            b->SetAppliedGravity({0, 50, 0});
        }
        auto* collider = static_cast<Collider*>(object->AddComponent(SD::CID_Collider));
        collider->SetShape(std::move(shape));
        object->Initialize(false);
        return collider;
    }
    Collider* Ball(SD::Vec3 position, float radius, bool body) {
        auto sphere = std::make_unique<Sphere>();
        sphere->radius = radius;
        return Make(std::move(sphere), position, body);
    }
    // Statics spread over a square, a third each spheres, boxes and turned boxes.
    std::vector<Collider*> Statics(int count, float across, std::mt19937& rng) {
        std::uniform_real_distribution<float> where(-across, across), size(0.5f, 40.0f), height(-40, 40);
        std::vector<Collider*> out;
        for (int i = 0; i < count; ++i) {
            const SD::Vec3 p(where(rng), height(rng), where(rng));
            if (i % 3 == 0) {
                out.push_back(Ball(p, size(rng), false));
            } else {
                auto box = i % 3 == 1 ? std::unique_ptr<Shape>(new AxisABox) : std::unique_ptr<Shape>(new OrientedBox);
                (i % 3 == 1 ? static_cast<AxisABox&>(*box).extents : static_cast<OrientedBox&>(*box).extents) =
                    SD::Vec3(size(rng), size(rng), size(rng));
                out.push_back(Make(std::move(box), p, false));
            }
        }
        return out;
    }

private:
    SD::Factory_ factory_;
};

// ---- Dynamic pairs ------------------------------------------------------------------------

// Balls of radius 3 spread over a cube whose side grows with the count, so that each ball has
// about as many neighbours at every size: the cost per body should stay flat.
float Across(int count) { return 200.0f * std::cbrt(count / 1000.0f); }

void BM_DynamicPairsSubstep(benchmark::State& state) {
    const int count = int(state.range(0));
    World world(uint32_t(count + 8));
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> where(-Across(count), Across(count));
    for (int i = 0; i < count; ++i) world.Ball({where(rng), where(rng), where(rng)}, 3, true);
    Physics_System& physics = *Physics_System::GetInstance();
    for (auto _ : state) physics.Substep(0.008f);
    state.counters["contacts"] = physics.GetContacts().Count();
    state.counters["per_body"] =
        benchmark::Counter(count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DynamicPairsSubstep)->Arg(100)->Arg(300)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// Anchor: the same substep in plain code on an array of balls: integration with gravity, decay
// and the speed limit, a sort and sweep along x, the sphere test of each overlapping pair,
// position correction and the velocity impulse of each contact, and the write-back: each
// ball's place copied into a record of its own elsewhere and marked for the next refresh, as the
// path writes its objects' transforms, and kept as the place it starts the next substep from.
void BM_DynamicPairsAnchorPlainSortAndSweep(benchmark::State& state) {
    struct Ball {
        SD::Vec3 position, previousPosition, velocity, acceleration, force;
        float mass = 10.0f, inverseMass = 0.1f;
    };
    struct Placed {
        SD::Vec3 position;
        bool invalid = false;
    };
    struct Touch {
        uint32_t a, b;
        SD::Vec3 normal;
        float depth;
    };
    const int count = int(state.range(0));
    constexpr float kRadius = 3.0f, h = 0.008f;
    const SD::Vec3 gravity = Body::kGravity + SD::Vec3(0, 50, 0);  // the bodies' applied gravity
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> where(-Across(count), Across(count));
    std::vector<Ball> balls(count);
    for (Ball& b : balls) b.position = {where(rng), where(rng), where(rng)};
    std::vector<Placed> placed(count);
    std::vector<std::pair<float, uint32_t>> order(count);
    std::vector<Touch> touches;
    const float decay = std::pow(Body::kDecayPerSecond, h);
    for (auto _ : state) {
        for (Ball& b : balls) {
            b.position += b.velocity * h;
            b.acceleration = gravity;
            b.force = b.acceleration + b.force * b.inverseMass;
            b.velocity += b.force * h;
            b.velocity *= decay;
            if (b.velocity.LengthSq() > Body::kSpeedLimit * Body::kSpeedLimit)
                b.velocity = b.velocity.GetNormalized() * Body::kCutSpeed;
        }
        for (uint32_t i = 0; i < uint32_t(count); ++i) order[i] = {balls[i].position.x - kRadius, i};
        std::sort(order.begin(), order.end());
        touches.clear();
        for (size_t s = 0; s < order.size(); ++s) {
            const Ball& a = balls[order[s].second];
            for (size_t t = s + 1; t < order.size() && order[t].first <= a.position.x + kRadius; ++t) {
                const Ball& b = balls[order[t].second];
                const SD::Vec3 d = a.position - b.position;
                const float distSq = d.LengthSq();
                if (!(distSq < 4 * kRadius * kRadius)) continue;
                const float dist = std::sqrt(distSq);
                touches.push_back({order[s].second, order[t].second, dist > 0 ? d * (1.0f / dist) : SD::Vec3(0, 1, 0),
                                   2 * kRadius - dist});
            }
        }
        for (const Touch& t : touches) {
            Ball& a = balls[t.a];
            Ball& b = balls[t.b];
            const float s = t.depth / (a.inverseMass + b.inverseMass);
            a.position += t.normal * (s * a.inverseMass);
            b.position -= t.normal * (s * b.inverseMass);
        }
        for (const Touch& t : touches) {
            Ball& a = balls[t.a];
            Ball& b = balls[t.b];
            const float vs = t.normal.Dot(a.velocity - b.velocity);
            if (vs > 0.0f) continue;
            const float j = (a.mass + b.mass) * (-kSphereRestitution * vs - vs);
            a.velocity += t.normal * (j * a.inverseMass);
            b.velocity -= t.normal * (j * b.inverseMass);
        }
        for (uint32_t i = 0; i < uint32_t(count); ++i) {
            placed[i].position = balls[i].position;
            placed[i].invalid = true;
            balls[i].previousPosition = balls[i].position;
        }
        benchmark::DoNotOptimize(balls.data());
        benchmark::DoNotOptimize(placed.data());
    }
    state.counters["contacts"] = double(touches.size());
    state.counters["per_body"] =
        benchmark::Counter(count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DynamicPairsAnchorPlainSortAndSweep)
    ->Arg(100)
    ->Arg(300)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond);

// ---- Static queries -----------------------------------------------------------------------

struct StaticScene {
    StaticScene() : world(10100) {
        std::mt19937 rng(2);
        statics = world.Statics(10000, 3000, rng);
        tree.Build(statics);
        probe = world.Ball({}, 5, true);
        std::uniform_real_distribution<float> where(-3000, 3000);
        for (SD::Vec3& p : probes) p = {where(rng), 0, where(rng)};
    }
    World world;
    std::vector<Collider*> statics;
    AxisABoxTree tree;
    Collider* probe;
    SD::Vec3 probes[256];
};

void BM_StaticQueryThroughTree(benchmark::State& state) {
    StaticScene scene;
    ContactTable contacts;
    std::vector<const std::vector<Collider*>*> found;
    size_t i = 0;
    for (auto _ : state) {
        scene.probe->position = scene.probes[i++ % 256];
        contacts.Reset();
        found.clear();
        scene.tree.Query(*scene.probe, found);
        for (const auto* list : found)
            for (Collider* s : *list)
                GetPairTest(kShapeSphere, s->GetShape()->GetType())(*scene.probe->GetShape(), scene.probe->position,
                                                                    *s->GetShape(), s->position, contacts);
        benchmark::DoNotOptimize(contacts.Count());
    }
}
BENCHMARK(BM_StaticQueryThroughTree)->Unit(benchmark::kMicrosecond);

// Anchor: the same sphere tested against every one of the 10,000 statics.
void BM_StaticQueryScanningAll(benchmark::State& state) {
    StaticScene scene;
    ContactTable contacts;
    size_t i = 0;
    for (auto _ : state) {
        scene.probe->position = scene.probes[i++ % 256];
        contacts.Reset();
        for (Collider* s : scene.statics)
            GetPairTest(kShapeSphere, s->GetShape()->GetType())(*scene.probe->GetShape(), scene.probe->position,
                                                                *s->GetShape(), s->position, contacts);
        benchmark::DoNotOptimize(contacts.Count());
    }
}
BENCHMARK(BM_StaticQueryScanningAll)->Unit(benchmark::kMicrosecond);

// ---- Tree builds --------------------------------------------------------------------------

void BM_TreeBuild(benchmark::State& state) {
    const int count = int(state.range(0));
    World world(uint32_t(count + 8));
    std::mt19937 rng(3);
    const std::vector<Collider*> statics = world.Statics(count, 3000, rng);
    AxisABoxTree tree;
    for (auto _ : state) {
        tree.Build(statics);
        benchmark::DoNotOptimize(tree.GetRoot());
    }
}
BENCHMARK(BM_TreeBuild)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

// Anchor: one sort of the colliders by x, the first thing every split does.
void BM_TreeBuildAnchorSortOnce(benchmark::State& state) {
    const int count = int(state.range(0));
    World world(uint32_t(count + 8));
    std::mt19937 rng(3);
    const std::vector<Collider*> statics = world.Statics(count, 3000, rng);
    for (auto _ : state) {
        std::vector<Collider*> sorted = statics;
        std::sort(sorted.begin(), sorted.end(),
                  [](const Collider* l, const Collider* r) { return l->position.x < r->position.x; });
        benchmark::DoNotOptimize(sorted.data());
    }
}
BENCHMARK(BM_TreeBuildAnchorSortOnce)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

// ---- Sphere against meshes ----------------------------------------------------------------

// A wavy square terrain of about `triangles` triangles, 400 across.
MeshData Terrain(int triangles) {
    const int side = std::max(1, int(std::sqrt(triangles / 2.0)));
    std::vector<SD::Vec3> points;
    std::vector<MeshTriangle> tris;
    for (int i = 0; i <= side; ++i)
        for (int j = 0; j <= side; ++j) {
            const float x = -200 + 400.0f * i / side, z = -200 + 400.0f * j / side;
            points.push_back({x, 5 * std::sin(x * 0.05f) * std::cos(z * 0.05f), z});
        }
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            const uint32_t a = uint32_t(i * (side + 1) + j), b = a + 1, c = a + uint32_t(side + 1), d = c + 1;
            tris.push_back({{a, b, d}});
            tris.push_back({{a, d, c}});
        }
    return BuildMeshData(points, std::move(tris));
}

struct MeshScene {
    explicit MeshScene(int triangles) : world(8) {
        auto shape = std::make_unique<Mesh>();
        shape->data = std::make_shared<const MeshData>(Terrain(triangles));
        shape->bufferThickness = 0.5f;
        mesh = world.Make(std::move(shape), {}, false);
        ball = world.Ball({}, 1, true);
    }
    World world;
    Collider* mesh;
    Collider* ball;
};

void BM_SphereAgainstMesh(benchmark::State& state) {
    MeshScene scene(int(state.range(0)));
    ContactTable contacts;
    std::mt19937 rng(4);
    std::uniform_real_distribution<float> where(-190, 190);
    for (auto _ : state) {
        const SD::Vec3 p(where(rng), 1.5f, where(rng));
        scene.ball->position = p;
        scene.ball->previousPosition = p + SD::Vec3(0, 0.3f, 0);
        contacts.Reset();
        benchmark::DoNotOptimize(
            SphereMesh(*scene.ball->GetShape(), p, *scene.mesh->GetShape(), scene.mesh->position, contacts));
    }
}
BENCHMARK(BM_SphereAgainstMesh)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Anchor: the nearest point of every triangle of the mesh.
void BM_SphereAgainstEveryTriangle(benchmark::State& state) {
    const MeshData data = Terrain(int(state.range(0)));
    std::mt19937 rng(4);
    std::uniform_real_distribution<float> where(-190, 190);
    for (auto _ : state) {
        const SD::Vec3 p(where(rng), 1.5f, where(rng));
        int near = 0;
        for (const MeshTriangle& t : data.triangles)
            near += (ClosestPointOnTriangle(p, data.vertices[t.index[0]].position, data.vertices[t.index[1]].position,
                                            data.vertices[t.index[2]].position)
                         .point -
                     p)
                        .LengthSq() < 1.0f;
        benchmark::DoNotOptimize(near);
    }
}
BENCHMARK(BM_SphereAgainstEveryTriangle)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// A camera's probes about a mesh: whether a point near the surface is inside, the point pushed
// out and the clear part of the way down to it from above. The anchor is the nearest point of
// every triangle, once a probe (BM_SphereAgainstEveryTriangle).
void BM_ProbesAgainstMesh(benchmark::State& state) {
    MeshScene scene(int(state.range(0)));
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> where(-190, 190), height(-2, 8);
    for (auto _ : state) {
        const SD::Vec3 p(where(rng), height(rng), where(rng));
        const SD::Vec3 eye = p + SD::Vec3(0, 10, 4);
        benchmark::DoNotOptimize(PointInside(*scene.mesh, p, 1.0f));
        benchmark::DoNotOptimize(PushOutside(*scene.mesh, p, 1.0f, eye));
        benchmark::DoNotOptimize(ClearPart(*scene.mesh, eye, p, 1.0f));
    }
}
BENCHMARK(BM_ProbesAgainstMesh)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// ---- Welding and normals ------------------------------------------------------------------

// A grid whose cells each have their own four corners, as a model with hard edges has.
void SplitGrid(int vertices, std::vector<SD::Vec3>& points, std::vector<MeshTriangle>& tris) {
    const int cells = std::max(1, int(std::sqrt(vertices / 4.0)));
    for (int i = 0; i < cells; ++i)
        for (int j = 0; j < cells; ++j) {
            const uint32_t base = uint32_t(points.size());
            for (int c = 0; c < 4; ++c)
                points.push_back(
                    {float(i + (c == 1 || c == 2)), std::sin(i * 0.3f) * std::cos(j * 0.2f), float(j + (c >= 2))});
            tris.push_back({{base, base + 3, base + 2}});
            tris.push_back({{base, base + 2, base + 1}});
        }
}

void BM_WeldAndNormals(benchmark::State& state) {
    std::vector<SD::Vec3> points;
    std::vector<MeshTriangle> tris;
    SplitGrid(int(state.range(0)), points, tris);
    for (auto _ : state) {
        std::vector<MeshTriangle> work = tris;
        WeldVertices(points, work);
        benchmark::DoNotOptimize(VertexNormals(points, work).data());
    }
}
BENCHMARK(BM_WeldAndNormals)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

// Anchor: the weld as a scan of every later vertex for every vertex.
void BM_WeldByScanningEveryPair(benchmark::State& state) {
    std::vector<SD::Vec3> points;
    std::vector<MeshTriangle> tris;
    SplitGrid(int(state.range(0)), points, tris);
    for (auto _ : state) {
        std::vector<bool> merged(points.size());
        int count = 0;
        for (size_t i = 0; i < points.size(); ++i) {
            if (merged[i]) continue;
            for (size_t j = i + 1; j < points.size(); ++j) {
                const SD::Vec3 d = points[i] - points[j];
                if (std::fabs(d.x) <= kWeldTolerance && std::fabs(d.y) <= kWeldTolerance &&
                    std::fabs(d.z) <= kWeldTolerance) {
                    merged[j] = true;
                    ++count;
                }
            }
        }
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(BM_WeldByScanningEveryPair)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

// The dynamic colliders' broad phase against the loop over every pair it replaces: on random
// crowded scenes of every shape kind, the same contacts, in the same order, with the same
// callbacks.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "PhysicsTestSupport.h"
#include "physics/DynamicPairs.h"
#include "physics/PairTests.h"

namespace {

using namespace physicstest;
using namespace Gedankenexperiment;

class DynamicPairsTest : public PhysicsWorld {
protected:
    Collider* Dynamic(std::unique_ptr<Shape> shape, SD::Vec3 position, const std::string& name) {
        SD::GameObject* object = factory.NewGameObject();
        object->NameObject(name);
        object->GetTransform().SetPos(position);
        object->AddComponent(SD::CID_Body);
        auto* collider = static_cast<Collider*>(object->AddComponent(SD::CID_Collider));
        collider->SetShape(std::move(shape));
        object->Initialize(false);
        log.Bind(object);
        return collider;
    }

    // Moves the scene's colliders for 40 calls and checks the kept pairs against every pair.
    void FollowMovingBoxes(float across);

    // A shape of each kind in turn, sized and placed at random; every fifth one just touches
    // the one before it, where rounding decides.
    void Scene(uint32_t seed, int count, float across) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> where(-across, across), size(0.2f, 4.0f), unit(-1.0f, 1.0f);
        Collider* previous = nullptr;
        for (int i = 0; i < count; ++i) {
            SD::Vec3 p(where(rng), where(rng), where(rng));
            const std::string name = "D" + std::to_string(i);
            std::unique_ptr<Shape> shape;
            switch (i % 7) {
                case 0:
                case 1: {
                    auto sphere = std::make_unique<Sphere>();
                    sphere->radius = size(rng);
                    if (previous && i % 5 == 0 && previous->GetShape()->GetType() == kShapeSphere) {
                        const float reach = sphere->radius + static_cast<Sphere*>(previous->GetShape())->radius;
                        const SD::Vec3 d = SD::Vec3(unit(rng), unit(rng), unit(rng));
                        p = previous->position + d * (reach / std::sqrt(d.LengthSq()));
                    }
                    shape = std::move(sphere);
                    break;
                }
                case 2: {
                    auto field = std::make_unique<SphereFF>();
                    field->radius = size(rng);
                    field->fieldThickness = size(rng);
                    shape = std::move(field);
                    break;
                }
                case 3: {
                    auto box = std::make_unique<AxisABox>();
                    box->extents = SD::Vec3(size(rng), size(rng), size(rng));
                    shape = std::move(box);
                    break;
                }
                case 4: {
                    auto box = std::make_unique<OrientedBox>();
                    box->extents = SD::Vec3(size(rng), size(rng), size(rng));
                    shape = std::move(box);
                    break;
                }
                case 5: {
                    auto cylinder = std::make_unique<Cylinder>();
                    cylinder->point1 = SD::Vec3(unit(rng), unit(rng), unit(rng)) * 3.0f;
                    cylinder->point2 = SD::Vec3(unit(rng), unit(rng), unit(rng)) * 3.0f;
                    cylinder->radius = size(rng);
                    shape = std::move(cylinder);
                    break;
                }
                default: {
                    // A height map has no box: it is paired with everything.
                    auto map = std::make_unique<HeightMap>();
                    map->width = map->height = 4;
                    map->pixels.resize(3 * 16);
                    for (unsigned char& b : map->pixels) b = static_cast<unsigned char>(rng() % 256);
                    map->sizeX = map->sizeZ = 12.0f;
                    map->heightScale = 0.02f;
                    shape = std::move(map);
                    break;
                }
            }
            Collider* collider = Dynamic(std::move(shape), p, name);
            SD::Transform& t = collider->GetOwner()->GetTransform();
            if (i % 3 == 0) {
                collider->positionOffset = SD::Vec3(unit(rng), unit(rng), unit(rng)) * 2.0f;
                t.SetScale(SD::Vec3(1.0f + unit(rng) * 0.5f, 1.0f, 1.0f + unit(rng) * 0.5f));
            }
            if (i % 4 == 1) t.SetOrient(SD::Mtx33::RotationAxisAngle(3.0f * unit(rng), SD::Vec3(0.3f, 1.0f, -0.2f)));
            previous = collider;
        }
    }

    // The contacts of the loop over every pair, first index outer, both in list order, as
    // "<first>:<second>" callbacks and records.
    void EveryPair(std::vector<std::string>& calls, std::vector<Contact>& records) {
        const std::vector<Collider*> dynamic = Physics().GetDynamicColliders();
        ContactTable table;
        for (size_t i = 0; i < dynamic.size(); ++i)
            for (size_t j = i + 1; j < dynamic.size(); ++j) {
                Shape* a = dynamic[i]->GetShape();
                Shape* b = dynamic[j]->GetShape();
                if (a && b)
                    GetPairTest(a->GetType(), b->GetType())(*a, dynamic[i]->position, *b, dynamic[j]->position, table);
            }
        for (uint32_t k = 0; k < table.Count(); ++k) {
            const Contact& c = table[k];
            calls.push_back(c.first->GetOwner()->GetName() + ":" + c.second->GetOwner()->GetName());
            calls.push_back(c.second->GetOwner()->GetName() + ":" + c.first->GetOwner()->GetName());
            records.push_back(c);
        }
    }

    ContactLog log;
};

TEST_F(DynamicPairsTest, RandomScenesGiveTheContactsOfEveryPairInTheSameOrder) {
    const struct {
        uint32_t seed;
        int count;
        float across;
    } scenes[] = {{1, 60, 6.0f}, {2, 200, 15.0f}, {3, 400, 40.0f}, {4, 120, 3.0f}};
    for (const auto& scene : scenes) {
        SCOPED_TRACE(testing::Message() << "seed " << scene.seed);
        factory.DestroyAllGameObjects();
        factory.Update(0);
        log.calls.clear();
        Scene(scene.seed, scene.count, scene.across);
        // One collider loses its shape after joining: it takes part in nothing.
        Physics().GetDynamicColliders()[3]->SetShape(nullptr);

        std::vector<std::string> expectedCalls;
        std::vector<Contact> expected;
        EveryPair(expectedCalls, expected);
        ASSERT_GT(expected.size(), 20u);  // crowded enough to mean something

        Physics().CheckCollisionsNow();
        EXPECT_EQ(log.calls, expectedCalls);
        ContactTable& found = Physics().GetContacts();
        ASSERT_EQ(found.Count(), expected.size());
        for (uint32_t k = 0; k < found.Count(); ++k) {
            // The callbacks consumed `first`; the rest of each record stays.
            EXPECT_EQ(found[k].second, expected[k].second) << k;
            EXPECT_EQ(found[k].normal, expected[k].normal) << k;
            EXPECT_EQ(found[k].depth, expected[k].depth) << k;
            EXPECT_EQ(found[k].restitution, expected[k].restitution) << k;
        }
    }
}

// Far apart, a thousand spheres are paired with none; every height map is still paired with
// every other collider.
TEST_F(DynamicPairsTest, OnlyOverlappingBoxesArePairedAndUnboundedShapesPairWithAll) {
    std::vector<Collider*> colliders;
    for (int i = 0; i < 1000; ++i) {
        auto sphere = std::make_unique<Sphere>();
        sphere->radius = 1.0f;
        colliders.push_back(Dynamic(std::move(sphere), {i * 3.0f, 0, 0}, "S" + std::to_string(i)));
    }
    DynamicPairs pairs;
    EXPECT_TRUE(pairs.Find(colliders).empty());
    colliders[500]->position = colliders[10]->position + SD::Vec3(0, 1.5f, 0);
    colliders.push_back(Dynamic(std::make_unique<HeightMap>(), {1e6f, 0, 0}, "Map"));
    const auto& found = pairs.Find(colliders);
    ASSERT_EQ(found.size(), 1001u);
    EXPECT_EQ(found[0], std::make_pair(0u, 1000u));
    EXPECT_EQ(found[9], std::make_pair(9u, 1000u));
    EXPECT_EQ(found[10], std::make_pair(10u, 500u));
    EXPECT_EQ(found[11], std::make_pair(10u, 1000u));
}

// The pairs kept from one call to the next, as bodies drift, jump across columns, lose and
// regain their shapes and grow, are those of every two overlapping boxes at each call: among
// many colliders in a grid of columns, and among few in one column.
TEST_F(DynamicPairsTest, KeptPairsFollowMovingBoxes) {
    const struct {
        uint32_t seed;
        int count;
        float across;
    } scenes[] = {{5, 300, 20.0f}, {7, 80, 12.0f}};
    for (const auto& scene : scenes) {
        SCOPED_TRACE(testing::Message() << "seed " << scene.seed);
        factory.DestroyAllGameObjects();
        factory.Update(0);
        Scene(scene.seed, scene.count, scene.across);
        FollowMovingBoxes(scene.across);
    }
}

void DynamicPairsTest::FollowMovingBoxes(float across) {
    const std::vector<Collider*> colliders = Physics().GetDynamicColliders();
    std::mt19937 rng(6);
    std::uniform_real_distribution<float> step(-0.4f, 0.4f), where(-across, across);
    DynamicPairs pairs;
    std::vector<WorldBox> boxes(colliders.size());
    int crowded = 0;
    for (int call = 0; call < 40; ++call) {
        SCOPED_TRACE(testing::Message() << "call " << call);
        for (size_t i = 0; i < colliders.size(); ++i) {
            SD::Vec3& p = colliders[i]->position;
            p += i % 17 == static_cast<size_t>(call) % 17 ? SD::Vec3(where(rng), where(rng), where(rng)) - p
                                                          : SD::Vec3(step(rng), step(rng), step(rng));
        }
        if (call == 10) colliders[8]->SetShape(nullptr);
        if (call == 20) colliders[8]->SetShape(std::make_unique<Sphere>());
        // Every sphere grows: the columns' size follows.
        if (call == 30)
            for (Collider* c : colliders)
                if (c->GetShape() && c->GetShape()->GetType() == kShapeSphere) c->SetRadius(c->GetRadius() * 3.0f);
        std::vector<std::pair<uint32_t, uint32_t>> expected;
        for (size_t i = 0; i < colliders.size(); ++i) DynamicWorldBox(*colliders[i], boxes[i]);
        for (uint32_t i = 0; i < colliders.size(); ++i)
            for (uint32_t j = i + 1; j < colliders.size(); ++j) {
                const WorldBox& a = boxes[i];
                const WorldBox& b = boxes[j];
                if (a.empty || b.empty) continue;
                if (!a.bounded || !b.bounded ||
                    !(b.lo.x > a.hi.x || a.lo.x > b.hi.x || b.lo.y > a.hi.y || a.lo.y > b.hi.y || b.lo.z > a.hi.z ||
                      a.lo.z > b.hi.z))
                    expected.emplace_back(i, j);
            }
        ASSERT_EQ(pairs.Find(colliders), expected);
        crowded += expected.size() > 20 ? 1 : 0;
    }
    EXPECT_GT(crowded, 30);  // crowded enough to mean something
}

}  // namespace

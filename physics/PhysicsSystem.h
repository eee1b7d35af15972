#pragma once
// The engine system that moves every physics body, finds the contacts between colliders,
// resolves them and tells the colliders' owners. It moves on the simulation's fixed clock,
// before the component manager in each step, so the forces game logic adds in a step act in the
// next one.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/System.h"
#include "engine/Component.h"
#include "physics/AxisABoxTree.h"
#include "physics/Contact.h"
#include "physics/DynamicPairs.h"

namespace Gedankenexperiment {

class Body;
class Collider;
struct MeshData;

class Physics_System : public SD::ISystem {
public:
    // Steps and remainders this short run no substep.
    static constexpr float kShortestStep = 0.0001f;

    // Created on first use; destroyed at exit (or earlier by tests, after which the next use
    // makes a fresh one).
    static Physics_System* GetInstance();
    // The system if it exists; never creates it.
    static Physics_System* Peek();
    static void DestroyInstance();

    Physics_System() = default;
    ~Physics_System() override;

    const char* GetName() const override { return "Physics"; }
    const char* GetTypeName() const { return "Physics_System"; }
    // The bodies move only in the fixed steps; the frame itself has nothing to do.
    void Update(float) override {}
    bool TakesFixedSteps() const override { return true; }
    void FixedUpdate(float step) override { Step(step); }

    // Two substeps of half the time each; a remainder too short for a substep is dropped.
    void Step(float time);
    // One substep of the given length.
    void Substep(float h);
    // Detection and notification without integration or resolution; whether anything touched.
    bool CheckCollisionsNow();
    // Sorts the static colliders into the broad-phase tree, replacing the previous tree.
    void BuildTree();

    void AddBody(Body* body);
    void RemoveBody(Body* body);
    // To the dynamic list when the collider has a Body, else to the static list.
    void AddCollider(Collider* collider);
    void RemoveCollider(Collider* collider);

    // What the cameras ask of the solid static colliders (physics/StaticProbe.h), on the nodes of
    // the broad-phase tree that the box about the points, grown by `reach`, touches (every static
    // collider before the tree is built).
    const std::vector<Collider*>& SolidStaticsNear(const SD::Vec3& a, const SD::Vec3& b, float reach);
    // Whether the point is within `clearance` of the inside of a solid static collider.
    bool InsideStatic(const SD::Vec3& point, float clearance);
    // Where a camera that wants to stand at `wanted` and look at `from` may: pushed out of every
    // solid static it is within `clearance` of, then drawn towards `from` as far as one stands
    // between them.
    SD::Vec3 ClearView(const SD::Vec3& from, const SD::Vec3& wanted, float clearance);
    // The part of the way from `from` to `to` (0 to 1) before it comes within `clearance` of a
    // solid static collider.
    float ClearWay(const SD::Vec3& from, const SD::Vec3& to, float clearance);

    std::vector<Body*> GetBodies();
    std::vector<Collider*> GetDynamicColliders();
    std::vector<Collider*> GetStaticColliders();
    const AxisABoxTree& GetTree() const { return tree_; }
    ContactTable& GetContacts() { return contacts_; }
    std::map<std::string, std::shared_ptr<const MeshData>>& GetMeshCache() { return meshCache_; }

private:
    void Integrate(float h);
    void Detect();
    void CorrectPositions();
    void ResolveVelocities(float h);
    void Notify();
    void WriteBack();
    // The lists as arrays, in list order, remade after any change.
    const std::vector<Body*>& BodyArray();
    const std::vector<Collider*>& DynamicArray();

    SD::ComponentList bodies_;
    SD::ComponentList dynamic_;
    SD::ComponentList static_;
    AxisABoxTree tree_;
    std::vector<const std::vector<Collider*>*> found_;
    std::vector<Collider*> near_;  // the last answer of SolidStaticsNear
    // The walks of every substep go through these arrays, not the lists: an element's address
    // does not wait on the element before it, so the loads of several overlap.
    std::vector<Body*> bodyArray_;
    std::vector<Collider*> dynamicArray_;
    bool bodiesChanged_ = true;
    bool dynamicChanged_ = true;
    DynamicPairs pairs_;
    std::map<std::string, std::shared_ptr<const MeshData>> meshCache_;
    ContactTable contacts_;
};

}  // namespace Gedankenexperiment

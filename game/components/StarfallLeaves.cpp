#include "game/components/StarfallLeaves.h"

#include <cmath>
#include <string>

#include "core/MathUtil.h"
#include "core/Random.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/components/ObjectLooks.h"
#include "game/components/WorldLogic.h"
#include "game/systems/SowlarSystem.h"

namespace QV {

void StarfallLeaves::VInitialize(bool) {
    SD::GameObject* tree = GetOwner();
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (!tree || !factory) return;
    const Shape& shape = GetShape();
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 8; ++j) {
            const float theta = 45.0f * static_cast<float>(j);
            SD::GameObject* leaf = factory->CreateObject(Blueprint(), tree);
            if (!leaf) continue;
            leaf->Initialize(false);
            const float a = static_cast<float>(std::fmod(SD::RandomRaw(), shape.spread)) + shape.spreadBase;
            const float b = static_cast<float>(std::fmod(SD::RandomRaw(), shape.drop)) + shape.dropBase;
            const float c = static_cast<float>(std::fmod(SD::RandomRaw(), shape.spread)) + shape.spreadBase;
            SD::Transform& transform = leaf->GetTransform();
            transform.SetScale(SD::Vec3(shape.scale, shape.scale, shape.scale));
            const float ring = static_cast<float>(i);
            // The angle goes to sin and cos as it stands, in degrees taken for radians.
            const SD::Vec3 at(c * ring * std::sin(theta), shape.height - b * ring, a * ring * std::cos(theta));
            transform.SetPos(at);
            rest_[j + 8 * i] = at;
            transform.RotateLocalXRad(a);
            transform.RotateLocalYRad(static_cast<float>(std::fmod(SD::RandomRaw(), 360.0)) * SD::kDegrees - SD::kPi);
            transform.RotateLocalZRad(theta * SD::kDegrees);
        }
    }
}

void StarfallLeaves::VUpdate(float) {
    SD::GameObject* tree = GetOwner();
    if (!tree) return;
    const Shape& shape = GetShape();
    const float bob = shape.bob * std::sin(shape.bobRate * CoreSeconds());
    SD::Vec4 colour;
    if (shape.colour == 1) {
        const SD::Vec3& at = tree->GetTransform().GetLocalPos();
        colour = SD::Vec4(at.x, at.y, at.z, 1.0f);
    } else if (shape.colour == 2) {
        const SD::Vec3& at = tree->GetTransform().GetPos();
        colour = SD::Vec4(at.x, at.y, at.z, 1.0f);
    }
    // Only the leaves it made have a rest place: other children past those are left alone.
    int i = 0;
    for (SD::GameObject* leaf : tree->GetChildren()) {
        if (i == kLeaves) break;
        leaf->GetTransform().SetPos(rest_[i++] + SD::Vec3(bob, bob, bob));
    }
    if (shape.colour != 0 && i > 0) looks::SetGeometryColor(tree, colour);
}

const char* StarfallTreeLeafLogic::Blueprint() const {
    const bool summer = SowlarSystem_::GetInstance().GetSeasonAtPlayer() == SD::Season::kSummer;
    return summer ? "World/SummerLeaves" : "World/SpringLeaves";
}

const StarfallLeaves::Shape& StarfallTreeLeafLogic::GetShape() const {
    static const Shape shape{2.0f, 1.0f, 1.5f, 1.0f, 53.0f, 47.5f, 0.8f, 0.4f, 0};
    return shape;
}

const StarfallLeaves::Shape& SummerStarfallTreeLeafLogic::GetShape() const {
    static const Shape shape{0.02f, 0.01f, 0.015f, 0.01f, 0.9f, 1.0f, 0.01f, 1.0f, 1};
    return shape;
}

const StarfallLeaves::Shape& SpringStarfallTreeLeafLogic::GetShape() const {
    static const Shape shape{0.02f, 0.01f, 0.015f, 0.01f, 0.9f, 1.0f, 0.0125f, 1.0f, 2};
    return shape;
}

}  // namespace QV

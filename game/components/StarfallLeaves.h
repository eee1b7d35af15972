#pragma once
// The leaves spilled about the starfall trees, one kind for each look: the tree that follows the
// season at the player, and the summer and spring trees.
#include "core/Vector.h"
#include "engine/UpdateComponent.h"

namespace QV {

// The leaves about a starfall tree: eight rings of eight, made at initialisation and bobbing
// about where they were put.
class StarfallLeaves : public SD::IUpdateComponent {
public:
    static constexpr int kLeaves = 64;

    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VUpdate(float dt) override;

    const SD::Vec3& GetRest(int i) const { return rest_[i]; }

protected:
    struct Shape {
        float spread;  // fmod range of the ring factors a and c
        float spreadBase;
        float drop;  // fmod range of the fall factor b
        float dropBase;
        float height;
        float scale;
        float bob;  // of the leaves about their rest
        float bobRate;
        int colour;  // 0 none, 1 the tree's position, 2 its world position
    };
    virtual const char* Blueprint() const = 0;
    virtual const Shape& GetShape() const = 0;

private:
    SD::Vec3 rest_[kLeaves];
};

class StarfallTreeLeafLogic : public StarfallLeaves {
public:
    StarfallTreeLeafLogic() { SetID(SD::CID_StarfallTreeLeafLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_StarfallTreeLeafLogic; }

protected:
    const char* Blueprint() const override;
    const Shape& GetShape() const override;
};

class SummerStarfallTreeLeafLogic : public StarfallLeaves {
public:
    SummerStarfallTreeLeafLogic() { SetID(SD::CID_SummerStarfallTreeLeafLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_SummerStarfallTreeLeafLogic; }

protected:
    const char* Blueprint() const override { return "World/SummerLeaves"; }
    const Shape& GetShape() const override;
};

class SpringStarfallTreeLeafLogic : public StarfallLeaves {
public:
    SpringStarfallTreeLeafLogic() { SetID(SD::CID_SpringStarfallTreeLeafLogic); }
    SD::ComponentID VGetID() const override { return SD::CID_SpringStarfallTreeLeafLogic; }

protected:
    const char* Blueprint() const override { return "World/SpringLeaves"; }
    const Shape& GetShape() const override;
};

}  // namespace QV

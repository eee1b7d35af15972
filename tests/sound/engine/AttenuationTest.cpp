#include <gtest/gtest.h>

#include "SxHierarchyFixture.h"
#include "sound/engine/attenuations/CSxAttenuation.h"
#include "tests/sound/engine/SxNodeProbes.h"

using namespace SX;
namespace bw = bankwriter;

namespace {

class Attenuations : public sxtest::HierarchyEngine {
protected:
    // Cone of 90 and 180 degrees; volume and the second volume on curve 0 (0 dB at 0 to -40 dB
    // at 100, linear), low-pass on curve 1; two game-parameter curves on one property and
    // curve, and one on another.
    static bw::Attenuation Full() {
        bw::Attenuation a;
        a.coneEnabled = true;
        a.insideDegrees = 90.0f;
        a.outsideDegrees = 180.0f;
        a.curveUse[0] = 0;
        a.curveUse[1] = 0;
        a.curveUse[3] = 1;
        a.curves = {{0, {{0, 0, 4}, {100, -40, 4}}}, {0, {{0, 0, 4}, {50, 60, 4}}}};
        a.rtpcs = {{7, 3, 1, 0, {{0, 0, 4}, {1, 1, 4}}},
                   {8, 3, 1, 0, {{0, 2, 4}, {1, 3, 4}}},
                   {9, 4, 1, 0, {{0, 0, 4}, {1, 5, 4}}}};
        return a;
    }
};

TEST_F(Attenuations, CurvesConeAndGameParametersAreRead) {
    for (bool cone : {true, false}) {
        bw::Attenuation a = Full();
        a.coneEnabled = cone;
        ASSERT_EQ(Load({bw::Record(SxHirc_Attenuation, bw::AttenuationBody(40, a))}), SX_Success) << cone;
        auto* attenuation = Find<CSxAttenuation>(SxIndex_Attenuation, 40);
        ASSERT_NE(attenuation, nullptr);
        EXPECT_EQ(attenuation->ConeEnabled(), cone);
        if (cone) {
            EXPECT_NEAR(attenuation->InsideHalfAngle(), 3.14159265f / 4, 1e-5);
            EXPECT_NEAR(attenuation->OutsideHalfAngle(), 3.14159265f / 2, 1e-5);
        }
        // Without a cone, the curve-use bytes follow the flag at once: the curves still read right.
        EXPECT_FLOAT_EQ(attenuation->Evaluate(CSxAttenuation::Use_Volume, 50.0f), -20.0f);
        EXPECT_FLOAT_EQ(attenuation->Evaluate(CSxAttenuation::Use_AuxVolume, 100.0f), -40.0f);
        EXPECT_FLOAT_EQ(attenuation->Evaluate(CSxAttenuation::Use_LPF, 25.0f), 30.0f);
        EXPECT_EQ(attenuation->CurveFor(CSxAttenuation::Use_Spread), nullptr);
        EXPECT_FLOAT_EQ(attenuation->Evaluate(CSxAttenuation::Use_Focus, 10.0f), 0.0f);
        ASSERT_EQ(qvtest::AttenuationProbe::RTPCs(*attenuation).size(), 2u)
            << "the second entry on one property and curve replaces the first";
        EXPECT_EQ(qvtest::AttenuationProbe::RTPCs(*attenuation)[0].gameParameter, 8u);
        EXPECT_EQ(qvtest::AttenuationProbe::RTPCs(*attenuation)[1].propertyID, 4u);
        Unload();
    }
}

TEST_F(Attenuations, MalformedRecordsFailWithoutLeftovers) {
    const bw::Bytes body = bw::AttenuationBody(40, Full());
    for (size_t length = 0; length < body.size(); ++length) {
        CSxIndexable* object = nullptr;
        const bw::Bytes cut = bw::Cut(body, length);
        EXPECT_NE(SxReadHircObject(SxHirc_Attenuation, cut.data(), static_cast<uint32_t>(cut.size()), &object),
                  SX_Success)
            << "cut at " << length;
        EXPECT_EQ(object, nullptr);
    }
    bw::Attenuation sixCurves = Full(), badUse = Full(), empty;
    sixCurves.curves.resize(6, sixCurves.curves[0]);
    badUse.curveUse[2] = 7;
    bw::Bytes manyPoints = bw::AttenuationBody(40, Full());
    manyPoints[4 + 1 + 16 + 5 + 1 + 1] = 0xFF;  // the first curve's point count, far beyond the bytes
    manyPoints[4 + 1 + 16 + 5 + 1 + 2] = 0xFF;
    const bw::Bytes bodies[] = {bw::AttenuationBody(40, sixCurves), bw::AttenuationBody(40, badUse), manyPoints,
                                bw::AttenuationBody(40, empty)};
    for (const bw::Bytes& bad : bodies) {
        CSxIndexable* object = nullptr;
        EXPECT_EQ(SxReadHircObject(SxHirc_Attenuation, bad.data(), static_cast<uint32_t>(bad.size()), &object),
                  SX_Fail);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(g_pObjectIndex->Table(SxIndex_Attenuation).Count(), 0u);
}

}  // namespace

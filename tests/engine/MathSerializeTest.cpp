#include <gtest/gtest.h>

#include "engine/MathSerialize.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialInStream.h"
#include "engine/SuperialOutStream.h"
#include "engine/SuperialUpdateStream.h"
#include "engine/SuperialValue.h"

namespace {

struct Placement {
    SD::Vec2 uv{0.5f, -1};
    SD::Vec3 position{1, 2, 3};
    SD::Vec4 color{0.25f, 0.5f, 0.75f, 1};
    SD::Quaternion rotation{1, 0, 0.5f, 0};
    SD::Mtx33 orientation{1, 2, 3, 4, 5, 6, 7, 8, 9};

    void Serialize(SD::IStream& s) {
        s.BeginGroup(nullptr, "Placement", SD::kSuperialObject);
        SD::SerializeVec2(s, "uv", uv);
        SD::SerializeVec3(s, "position", position);
        SD::SerializeFloat4(s, color, "color", "Vector4");
        SD::SerializeFloat4(s, rotation, "rotation", "Quaternion");
        SD::SerializeMtx33(s, "orientation", orientation);
        s.EndGroup(nullptr, "Placement", SD::kSuperialObject);
    }
};

TEST(MathSerialize, MathValuesRoundTripAsGroupsOfFloats) {
    Placement written;
    SD::SuperialDataMap map;
    map.Top()->SetTypeName("Objects");
    SD::SuperialOutStream out(map.Top());
    written.Serialize(out);
    const std::string xml = SD::SuperialDataMap::WriteToString(map);
    EXPECT_NE(xml.find("    <Quaternion name=\"rotation\" >\n"
                       "      <Float value=\"1.000000\" />\n"
                       "      <Float value=\"0.000000\" />\n"
                       "      <Float value=\"0.500000\" />\n"),
              std::string::npos);
    auto loaded = SD::SuperialDataMap::parseXmlFromBuffer(xml.c_str());
    ASSERT_NE(loaded, nullptr);

    for (bool update : {false, true}) {
        Placement read;
        read.uv = {};
        read.position = {};
        read.color = {};
        read.rotation = {};
        read.orientation = SD::Mtx33{};
        SD::SuperialValue* node = loaded->Top()->FirstChild();
        if (update) {
            SD::SuperialUpdateStream s(node);
            read.Serialize(s);
        } else {
            SD::SuperialInStream s(node);
            read.Serialize(s);
        }
        EXPECT_EQ(read.uv.y, -1);
        EXPECT_EQ(read.position.z, 3);
        EXPECT_EQ(read.color.x, 0.25f);
        EXPECT_EQ(read.rotation.y, 0.5f);
        for (int i = 0; i < 9; ++i) EXPECT_EQ(read.orientation.m[i], i + 1);
    }
}

TEST(MathSerialize, FloatsWrittenIntoAndReadFromANode) {
    SD::SuperialValue node;
    const float values[3] = {1, 2, 3};
    ASSERT_TRUE(SD::WriteFloats(&node, "Scale", values, 3));
    EXPECT_EQ(node.Name(), "Scale");
    EXPECT_EQ(node.FirstChild()->Type(), SD::kSuperialFloat);
    float back[4] = {0, 0, 0, 9};
    EXPECT_TRUE(SD::ReadFloats(&node, back, 3));
    EXPECT_EQ(back[2], 3);
    EXPECT_FALSE(SD::ReadFloats(&node, back, 4));
    EXPECT_EQ(back[3], 9);
    SD::SuperialValue scalar;
    scalar.SetFloat(1);
    EXPECT_FALSE(SD::WriteFloats(&scalar, "x", values, 3));
    EXPECT_FALSE(SD::ReadFloats(&scalar, back, 1));
}

}  // namespace

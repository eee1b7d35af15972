#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/Logger.h"
#include "core/RTTI.h"
#include "engine/ComponentManager.h"
#include "engine/ComponentTextSupport.h"
#include "engine/Factory.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialInStream.h"
#include "engine/SuperialOutStream.h"
#include "engine/SuperialValue.h"
#include "graphics/GraphicsStartup.h"
#include "graphics/components/Geometry.h"
#include "runtime/Registration.h"

namespace {

using Aperture::Geometry;

TEST(GeometryData, DefaultsAndTheComponentTextReadBack) {
    Geometry fresh;
    EXPECT_EQ(fresh.GetColor(), SD::Vec4(1, 1, 1, 1));
    EXPECT_EQ(fresh.GetModelName(), "");
    EXPECT_EQ(fresh.VGetVersion(), 2);
    EXPECT_EQ(fresh.VGetID(), SD::CID_Geometry);

    Geometry source;
    source.SetModelName("rock");
    source.SetColor({0.25f, 0.5f, 0.75f, 1.0f});
    const std::string xml = enginetest::WriteComponentText(source, "Geometry");
    EXPECT_NE(xml.find("<String name=\"Model Name\" >rock</String>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<Color name=\"color\" >"), std::string::npos) << xml;
    auto copy = enginetest::ReadComponentText<Geometry>(xml, "Geometry");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetModelName(), "rock");
    EXPECT_EQ(copy->GetColor(), source.GetColor());
}

TEST(GeometryData, MalformedComponentTextDoesNoHarm) {
    Debug::GlobalLogger logger;
    const std::string header = "<?xml version=\"1.0\" ?>\n<Components >\n<Geometry version=\"2\" >\n";
    const std::string cases[] = {
        header + "</Geometry>\n</Components>\n",                                               // no fields
        header + "<Integer name=\"Model Name\" value=\"5\" />\n</Geometry>\n</Components>\n",  // wrong kind
        header +
            "<String name=\"Model Name\" >rock</String>\n<Color name=\"color\" >\n"
            "<Float value=\"0.5\" />\n</Color>\n</Geometry>\n</Components>\n",             // one channel of four
        header + "<String name=\"Model Name\" >rock</String>\n<Color name=\"color\" >\n",  // cut off
        header + "<String name=\"Model Name\" >" + std::string(5000, 'x') + "</String>\n</Geometry>\n</Components>\n",
    };
    for (const std::string& xml : cases) {
        auto g = enginetest::ReadComponentText<Geometry>(xml, "Geometry");
        if (!g) continue;  // refused by the parser
        for (float channel : {g->GetColor().x, g->GetColor().y, g->GetColor().z, g->GetColor().w})
            EXPECT_TRUE(channel == channel) << xml;
        EXPECT_LE(g->GetModelName().size(), 5000u);
    }
}

TEST(GeometryData, ColourChannelsAreReflected) {
    Geometry g;
    g.RegisterFunctions();
    g.SetColorG(0.5f);
    EXPECT_EQ(g.GetColorG(), 0.5f);
    EXPECT_EQ(g.GetColor().y, 0.5f);
    RTTIClassRegistry::Destroy();
}

TEST(GeometryData, RegistersWithTheFactoryUnderItsNameAndNumber) {
    SD::Registrations registrations;
    Aperture::InstallGraphics(registrations);
    SD::ComponentManager_ components;
    SD::Factory_ factory(16);
    const std::vector<std::string> registered = registrations.RegisterComponents(factory);
    EXPECT_NE(std::find(registered.begin(), registered.end(), "Geometry"), registered.end());
    SD::ComponentID id;
    ASSERT_TRUE(factory.FindComponentID("Geometry", &id));
    EXPECT_EQ(id, SD::CID_Geometry);
    factory.Shutdown();
}

}  // namespace

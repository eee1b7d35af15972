// Feeds arbitrary bytes to the HUD system as a HUD file, with blueprints for a root, a layer
// and a widget whose slider creates a track and a knob, then destroys whatever was built.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/ComponentCreator.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/hud/Button.h"
#include "game/hud/HudCollector.h"
#include "game/hud/HudSystem.h"
#include "game/hud/Slider.h"

namespace {

void WriteFile(const std::string& path, const void* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
}

// A temporary install entered at its bin folder, with the blueprints the input may name.
struct Hud {
    Hud() : factory(4096) {
        char pattern[] = "/tmp/qv_fuzz_hud_XXXXXX";
        const std::string root = mkdtemp(pattern) ? pattern : "/tmp";
        for (const char* folder : {"/bin", "/Assets", "/Assets/HudFiles"}) mkdir((root + folder).c_str(), 0755);
        if (chdir((root + "/bin").c_str()) != 0) return;
        const std::string transform = "<Transform version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"/>";
        const std::string blueprints =
            "<GameObjectBlueprints>"
            "<GameObjectBlueprint name=\"R\"><Components>" +
            transform +
            "<HudCollector version=\"1\" Play=\"1\" Pause=\"1\" DevPause=\"1\"/></Components></GameObjectBlueprint>"
            "<GameObjectBlueprint name=\"L\"><Components>" +
            transform +
            "</Components></GameObjectBlueprint>"
            "<GameObjectBlueprint name=\"B\"><Components>" +
            transform +
            "<Button version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"/></Components></GameObjectBlueprint>"
            "<GameObjectBlueprint name=\"S\"><Components>" +
            transform +
            "<Slider version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><String name=\"Slider Object Name\">L"
            "</String><String name=\"Slider Bar Object Name\">L</String></Slider></Components></GameObjectBlueprint>"
            "<GameObjectBlueprint name=\"Hud/Res_640x480\"><Components>" +
            transform + "</Components></GameObjectBlueprint></GameObjectBlueprints>";
        WriteFile("../Assets/blueprints.xml", blueprints.data(), blueprints.size());
        factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
        factory.RegisterComponentCreator("HudCollector", SD::CID_HudCollector,
                                         new SD::ComponentCreator<QV::HudCollector>);
        factory.RegisterComponentCreator("Button", SD::CID_Button, new SD::ComponentCreator<QV::Button>);
        factory.RegisterComponentCreator("Slider", SD::CID_Slider, new SD::ComponentCreator<QV::Slider>);
        factory.SetObjectInFormat("xml");
        factory.AddBlueprint("../Assets/blueprints.xml");
    }
    SD::Factory_ factory;
    QV::HudSystem hud;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Hud world;
    WriteFile("../Assets/HudFiles/F.hud", data, size);
    if (SD::GameObject* root = world.hud.CreateHud("F")) {
        root->Initialize(false);
        world.hud.Update(0.016f);
        world.factory.DestroyGameObject(root);
    }
    world.factory.Update(0.0f);
    return 0;
}

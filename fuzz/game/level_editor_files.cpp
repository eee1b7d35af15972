// Feeds arbitrary bytes to the level editor's loader as a level's "LevelData.ld" and
// "objects.xml" (the input split at its first zero byte), saves what loaded under another
// name, loads that and saves it once more (the two saves must be the same file), and clears
// the level again.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/ComponentCreator.h"
#include "engine/Factory.h"
#include "engine/LevelLayerManager.h"
#include "engine/Transform.h"
#include "game/editor/LevelEditor.h"

namespace {

void WriteFile(const std::string& path, const void* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A temporary install entered at its bin folder, with a template and one blueprint.
struct World {
    World() : factory(256) {
        char pattern[] = "/tmp/qv_fuzz_editor_XXXXXX";
        const std::string root = mkdtemp(pattern) ? pattern : "/tmp";
        for (const char* folder : {"/bin", "/Assets", "/Assets/Levels", "/Assets/Levels/F"})
            mkdir((root + folder).c_str(), 0755);
        if (chdir((root + "/bin").c_str()) != 0) return;
        const char kBlueprint[] =
            "<GameObjectBlueprints><GameObjectBlueprint name=\"A\"><Components>"
            "<Transform version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"/></Components></GameObjectBlueprint>"
            "</GameObjectBlueprints>";
        WriteFile("../Assets/blueprints.xml", kBlueprint, sizeof kBlueprint - 1);
        const char kTemplate[] = "<LevelLayers><LevelLayer name=\"T\"><GameObjects/></LevelLayer></LevelLayers>";
        WriteFile("../Assets/Levels/template.xml", kTemplate, sizeof kTemplate - 1);
        factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
        factory.SetObjectInFormat("xml");
        factory.AddBlueprint("../Assets/blueprints.xml");
        layers.Initialize();
    }
    SD::Factory_ factory;
    SD::LevelLayerManager layers;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World world;
    const void* zero = std::memchr(data, 0, size);
    const size_t split = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - data) : size / 2;
    WriteFile("../Assets/Levels/F/LevelData.ld", data, split);
    const size_t rest = split < size ? split + 1 : size;
    WriteFile("../Assets/Levels/F/objects.xml", data + rest, size - rest);
    QV::LevelEditor& editor = QV::LevelEditor::GetInstance();
    // A saved level, loaded and saved again, is the same file.
    if (editor.LoadLevel("F") && editor.SaveLevel("G") && editor.LoadLevel("G") && editor.SaveLevel("H") &&
        ReadFile("../Assets/Levels/G/objects.xml") != ReadFile("../Assets/Levels/H/objects.xml"))
        std::abort();
    editor.ClearLevel();
    world.layers.Shutdown();
    world.factory.Update(0.0f);
    return 0;
}

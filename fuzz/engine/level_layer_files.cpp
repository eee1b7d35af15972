// Feeds arbitrary bytes to the level-file loader over a small set of blueprints, saves what
// loaded, loads the saved file again, and destroys every object.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/ComponentCreator.h"
#include "engine/Factory.h"
#include "engine/LevelLayerFile.h"
#include "engine/Transform.h"

namespace {

std::string Folder() {
    static std::string folder = [] {
        char pattern[] = "/tmp/qv_fuzz_levels_XXXXXX";
        return std::string(mkdtemp(pattern) ? pattern : "/tmp");
    }();
    return folder;
}

void WriteFile(const std::string& path, const void* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
}

const char kBlueprints[] =
    "<GameObjectBlueprints><GameObjectBlueprint name=\"A\"><Components>"
    "<Transform version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"/></Components>"
    "<Children><Child><String name=\"Blueprint Name\">B</String></Child></Children></GameObjectBlueprint>"
    "<GameObjectBlueprint name=\"B\"><Components/></GameObjectBlueprint></GameObjectBlueprints>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string folder = Folder();
    SD::Factory_ factory(64);
    factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
    factory.SetObjectInFormat("xml");
    WriteFile(folder + "/blueprints.xml", kBlueprints, sizeof kBlueprints - 1);
    factory.AddBlueprint((folder + "/blueprints.xml").c_str());

    WriteFile(folder + "/level.xml", data, size);
    SD::LevelLayerFile file;
    if (file.LoadFromFile(folder + "/level.xml")) {
        file.SaveAs(folder + "/saved.xml");
        file.LoadFromFile(folder + "/saved.xml");
        file.Unload();
    }
    factory.Update(0.0f);
    factory.Shutdown();
    return 0;
}

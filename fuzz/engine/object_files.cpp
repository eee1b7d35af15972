// Feeds arbitrary bytes to the factory as a blueprint file, an object text file and an object
// hierarchy file, and creates every object they name.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/ComponentCreator.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"

namespace {

std::string Folder() {
    static std::string folder = [] {
        char pattern[] = "/tmp/qv_fuzz_objects_XXXXXX";
        return std::string(mkdtemp(pattern) ? pattern : "/tmp");
    }();
    return folder;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string folder = Folder();
    SD::Factory_ factory(64);
    factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
    factory.SetObjectPath(folder);

    // As a blueprint file: every blueprint it lists is created and destroyed.
    WriteFile(folder + "/blueprints.xml", data, size);
    factory.SetObjectInFormat("xml");
    factory.AddBlueprint((folder + "/blueprints.xml").c_str());
    for (const char* name : {"Fuzz", "Child", "A"}) {
        if (SD::GameObject* object = factory.CreateObject(name, nullptr)) object->Destroy();
    }
    factory.Update(0.0f);

    // As an object text file, then as a hierarchy file naming text objects.
    factory.SetObjectInFormat("txt");
    WriteFile(folder + "/Fuzz.txt", data, size);
    if (SD::GameObject* object = factory.CreateObject("Fuzz", nullptr)) object->Initialize(false);
    std::remove((folder + "/Fuzz.txt").c_str());
    WriteFile(folder + "/Tree.hie", data, size);
    if (SD::GameObject* object = factory.CreateObject("Tree", nullptr)) object->Initialize(false);
    factory.Shutdown();
    return 0;
}

// Feeds arbitrary text to the particle render-stack reader, as text and as the file the
// particle manager loads at start-up. Every entered stack must have a name within the bound,
// the table can hold no more stacks than records were entered, and both ways read alike.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "graphics/photon/RenderStacks.h"

namespace {

void Check(const Aperture::Photon::RenderStackTable& table, size_t entered) {
    if (table.size() > entered) std::abort();
    for (const auto& [name, stack] : table)
        if (name.empty() || name.size() > Aperture::Photon::kMaxStackNameLength) std::abort();
}

std::string FilePath() {
    static const std::string path = [] {
        char pattern[] = "/tmp/qv_fuzz_stacks_XXXXXX";
        return std::string(mkdtemp(pattern) ? pattern : "/tmp") + "/layers.txt";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Aperture::Photon::RenderStackTable table;
    const size_t entered = Aperture::Photon::ParseRenderStacks(text, table);
    Check(table, entered);

    const std::string path = FilePath();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    Aperture::Photon::RenderStackTable loaded;
    const size_t loadedCount = Aperture::Photon::LoadRenderStacks(path, loaded);
    Check(loaded, loadedCount);
    if (loadedCount != entered || loaded.size() != table.size()) std::abort();
    return 0;
}

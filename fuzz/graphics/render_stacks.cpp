// Feeds arbitrary text to the particle render-stack reader. Every entered stack must have a
// name within the bound, and no more records than the text has lines can be entered.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "graphics/photon/RenderStacks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Aperture::Photon::RenderStackTable table;
    const size_t entered = Aperture::Photon::ParseRenderStacks(text, table);
    if (table.size() > entered) std::abort();
    for (const auto& [name, stack] : table)
        if (name.empty() || name.size() > Aperture::Photon::kMaxStackNameLength) std::abort();
    return 0;
}

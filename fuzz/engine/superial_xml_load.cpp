// Feeds arbitrary text to the XML data-file loader and writes back whatever loads; the
// written text must load again and be written the same way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/SuperialDataMap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    auto map = SD::SuperialDataMap::parseXmlFromBuffer(text.c_str());
    if (!map) return 0;
    const std::string written = SD::SuperialDataMap::WriteToString(*map);
    auto again = SD::SuperialDataMap::parseXmlFromBuffer(written.c_str());
    if (!again || SD::SuperialDataMap::WriteToString(*again) != written) std::abort();
    return 0;
}

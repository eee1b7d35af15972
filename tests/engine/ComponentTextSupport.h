#pragma once
// A component written as the component text of an object file, and read back from such text.
#include <memory>
#include <string>

#include "engine/Component.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialInStream.h"
#include "engine/SuperialOutStream.h"

namespace enginetest {

// The component under a fresh document, with its header (tag and version).
inline std::string WriteComponentText(SD::Component& c, const char* tag) {
    SD::SuperialDataMap map;
    map.Top()->SetTypeName("Components");
    SD::SuperialOutStream out(map.Top());
    c.SerializeWithHeader(out, tag);
    return SD::SuperialDataMap::WriteToString(map);
}

// A component read from the first record of the text; null when the text does not parse.
template <class T>
std::unique_ptr<T> ReadComponentText(const std::string& xml, const char* tag) {
    auto map = SD::SuperialDataMap::parseXmlFromBuffer(xml.c_str());
    if (!map || !map->Top()->FirstChild()) return nullptr;
    auto c = std::make_unique<T>();
    SD::SuperialInStream in(map->Top()->FirstChild());
    c->SerializeWithHeader(in, tag);
    return c;
}

}  // namespace enginetest

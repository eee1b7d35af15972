#pragma once
// The named particle render stacks of "layers.txt": a count line, then per stack the lines
// "Stack Name: <name>", "Start Layer: <n>", "End Layer: <n>". Line ends may be LF or CRLF.
#include <cstdint>
#include <string>
#include <unordered_map>

namespace Aperture::Photon {

struct RenderStack {
    uint32_t StartLayer = 0;
    uint32_t EndLayer = 0;
};

using RenderStackTable = std::unordered_map<std::string, RenderStack>;

// Names longer than this are refused rather than cut.
constexpr size_t kMaxStackNameLength = 63;

// Enters the stacks of the text into the table; a name given twice keeps its last layers. A
// malformed line is logged with its line number and its record skipped, the records after it
// are still read; a count that does not read is logged and every record present is read.
// Returns the number of records entered.
size_t ParseRenderStacks(const std::string& text, RenderStackTable& table);
// A file that cannot be opened leaves the table as it is, silently.
size_t LoadRenderStacks(const std::string& path, RenderStackTable& table);

}  // namespace Aperture::Photon

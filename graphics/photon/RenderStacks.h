#pragma once
// The named particle render stacks of "layers.txt": a count line, then per stack the lines
// "Stack Name: <name>", "Start Layer: <n>", "End Layer: <n>". A white-space character of these
// patterns matches any run of white space, including none: line ends may be LF or CRLF, and a
// record may stand on one line.
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
// malformed record is logged with its line number and skipped, the records after it are still
// read; a count that does not read is logged and every record present is read; an empty text
// and a text that ends before its counted records are logged. Messages name source. Returns the number of
// records entered.
size_t ParseRenderStacks(const std::string& text, RenderStackTable& table, const std::string& source = "layers.txt");
// A file that cannot be opened is logged and leaves the table as it is.
size_t LoadRenderStacks(const std::string& path, RenderStackTable& table);

}  // namespace Aperture::Photon

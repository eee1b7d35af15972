#pragma once
// The source file and line of a code address, read from the debug information of the loaded
// module that holds it (through the system's addr2line tool). Nothing is found for a module
// built without line tables or when the tool is missing.
#include <string>

namespace platform {

bool LookUpSourceLine(const void* address, std::string& file, unsigned& line);

}  // namespace platform

#pragma once
// Whole-file reads and writes of text.
#include <string>

namespace SD {

// False (and out untouched) when the file cannot be opened or read.
bool ReadWholeFile(const char* path, std::string& out);
// Writes a temporary file beside path and renames it over path once it is complete, so a
// failed write never leaves a half-written file in place of a good one.
bool WriteFileReplacing(const char* path, const std::string& text);
// The temporary name used beside path while it is written.
std::string TemporaryPathBeside(const char* path);

}  // namespace SD

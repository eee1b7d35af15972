#pragma once
// Names typed into the editor's bars become layer names, tweak-bar definitions and lines of
// the spline file: control characters (a newline would split a record) are dropped, and for
// names used inside definitions the quote characters too.
#include <string>

namespace QV {

std::string CleanName(const char* text, bool forDefinitions);

}  // namespace QV

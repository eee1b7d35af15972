#pragma once
// Builds an OpenGL program from the sources of its two stages, in the current context.
#include <string>

namespace platform::sdl {

// The linked program, or 0 with the compiler's or linker's message.
unsigned LinkProgram(const char* vertexSource, const char* fragmentSource, std::string* error);

}  // namespace platform::sdl

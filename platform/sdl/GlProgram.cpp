#include "platform/sdl/GlProgram.h"

#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

namespace platform::sdl {
namespace {

GLuint Compile(GLenum type, const char* source, std::string* error) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        *error = log;
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

unsigned LinkProgram(const char* vertexSource, const char* fragmentSource, std::string* error) {
    const GLuint vs = Compile(GL_VERTEX_SHADER, vertexSource, error);
    const GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, fragmentSource, error) : 0;
    if (!fs) {
        if (vs) glDeleteShader(vs);
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[512] = {};
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        *error = log;
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

}  // namespace platform::sdl

// The least an OpenGL program does before its first picture, for the start-up
// figure to stand beside: a window the size of the game's, a 3.3 core
// context (WebGL 2 in the browser), one shader pair compiled and linked, one
// picture drawn and presented. It stays up until killed, as the game does.
#include <SDL.h>

#if defined(__EMSCRIPTEN__)
#include <GLES3/gl3.h>
#include <emscripten/emscripten.h>

namespace {
constexpr int kMinorVersion = 0, kProfile = SDL_GL_CONTEXT_PROFILE_ES;
constexpr const char* kShaderVersion = "#version 300 es\nprecision highp float;\n";
// The page keeps the picture; nothing is left to wait for, and nothing polls.
void StayUp() { emscripten_exit_with_live_runtime(); }
}  // namespace
#else
#include <epoxy/gl.h>

namespace {
constexpr int kMinorVersion = 3, kProfile = SDL_GL_CONTEXT_PROFILE_CORE;
constexpr const char* kShaderVersion = "#version 330 core\n";
void StayUp() {
    for (;;) {
        SDL_Event event;
        if (SDL_WaitEvent(&event) && event.type == SDL_QUIT) break;
    }
}
}  // namespace
#endif

namespace {

const char* kVertexShader = R"(
const vec2 corners[3] = vec2[3](vec2(-1.0, -1.0), vec2(3.0, -1.0), vec2(-1.0, 3.0));
void main() { gl_Position = vec4(corners[gl_VertexID], 0.0, 1.0); }
)";

const char* kFragmentShader = R"(
out vec4 fragColor;
void main() { fragColor = vec4(0.8, 0.2, 0.2, 1.0); }
)";

// No C++ runtime: the native program loads no more libraries than it must.
GLuint Compile(GLenum type, const char* body) {
    const char* parts[2] = {kShaderVersion, body};
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 2, parts, nullptr);
    glCompileShader(shader);
    return shader;
}

}  // namespace

int main(int, char**) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, kMinorVersion);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, kProfile);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_Window* window = SDL_CreateWindow("minimal OpenGL", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 1280, 720,
                                          SDL_WINDOW_OPENGL);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) return 1;
    GLuint program = glCreateProgram();
    GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader), fs = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) return 1;
    GLuint vao = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glUseProgram(program);
    glClearColor(0.0f, 0.5f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    SDL_GL_SwapWindow(window);
    StayUp();
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}

#include "bench/bare_scene.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <initializer_list>

#include "bench/brick_lattice.h"
#include "game/game_view.h"
#include "platform/gl/gl_context.h"

namespace bench {
namespace {

struct Vertex {
    float x, y, z;
    float nx, ny, nz;
    std::uint8_t r, g, b, a;
    float u, v;
};

using P3 = std::array<float, 3>;
using UV = std::array<float, 2>;

// The game's start camera: at (0, -300, 0) looking along +y with +z up, so
// the camera's x axis (up x dir) is world -x. Field 0.5, front 1, back 2000.
constexpr float kEyeY = -300.0f, kFront = 1.0f, kBack = 2000.0f, kField = 0.5f;

// Two directional lights and an ambient one, as the game hangs them.
struct Light {
    float level;
    P3 dir;
};
constexpr Light kLights[2] = {{0.5f, {0.5f, 0.7f, -0.5f}}, {1.0f, {-0.5f, -0.5f, -0.5f}}};
constexpr float kAmbient = 0.5f;

P3 Normalised(P3 v) {
    const float l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / l, v[1] / l, v[2] / l};
}

struct Builder {
    std::vector<Vertex> coloured, textured;

    static Vertex Make(P3 p, P3 n, std::uint32_t argb, UV uv) {
        return {p[0], p[1], p[2], n[0], n[1], n[2], static_cast<std::uint8_t>(argb >> 16),
                static_cast<std::uint8_t>(argb >> 8), static_cast<std::uint8_t>(argb), 255, uv[0], uv[1]};
    }

    // A flat polygon, fanned into triangles; its normal points out of the side
    // from which the corners run clockwise.
    void Face(std::vector<Vertex>& out, std::initializer_list<P3> corners, std::uint32_t argb,
              std::initializer_list<UV> uv = {}) {
        std::vector<P3> c(corners);
        std::vector<UV> t(uv);
        t.resize(c.size(), UV{0, 0});
        const P3 a{c[1][0] - c[0][0], c[1][1] - c[0][1], c[1][2] - c[0][2]};
        const P3 b{c[2][0] - c[0][0], c[2][1] - c[0][1], c[2][2] - c[0][2]};
        const P3 n = Normalised({a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]});
        for (std::size_t i = 1; i + 1 < c.size(); ++i) {
            for (std::size_t k : {std::size_t{0}, i, i + 1}) out.push_back(Make(c[k], n, argb, t[k]));
        }
    }

    void Cube(P3 at, float a, std::uint32_t argb) {
        auto p = [&](float x, float y, float z) { return P3{at[0] + x, at[1] + y, at[2] + z}; };
        Face(coloured, {p(-a, -a, a), p(a, -a, a), p(a, a, a), p(-a, a, a)}, argb);
        Face(coloured, {p(-a, -a, -a), p(-a, a, -a), p(a, a, -a), p(a, -a, -a)}, argb);
        Face(coloured, {p(-a, -a, -a), p(-a, -a, a), p(-a, a, a), p(-a, a, -a)}, argb);
        Face(coloured, {p(a, -a, -a), p(a, a, -a), p(a, a, a), p(a, -a, a)}, argb);
        Face(coloured, {p(-a, -a, -a), p(a, -a, -a), p(a, -a, a), p(-a, -a, a)}, argb);
        Face(coloured, {p(-a, a, -a), p(-a, a, a), p(a, a, a), p(a, a, -a)}, argb);
    }

    // Pole to pole one strip at a time, smooth: every vertex's normal points
    // away from the centre.
    void Sphere(P3 at, float r, int n, std::uint32_t argb) {
        const float step = 3.1415927f / n;
        auto p = [&](int j, int i) {
            return P3{r * std::sin(j * step) * std::cos(2 * i * step), r * std::sin(j * step) * std::sin(2 * i * step),
                      r * std::cos(j * step)};
        };
        auto put = [&](P3 local) {
            coloured.push_back(Make({at[0] + local[0], at[1] + local[1], at[2] + local[2]}, Normalised(local), argb,
                                    {0, 0}));
        };
        for (int i = 0; i < n; ++i) {
            for (const P3& v : {P3{0, 0, r}, p(1, i), p(1, i + 1)}) put(v);
            for (int j = 1; j <= n - 2; ++j) {
                const P3 q[4] = {p(j, i + 1), p(j, i), p(j + 1, i), p(j + 1, i + 1)};
                for (int k : {0, 1, 2, 0, 2, 3}) put(q[k]);
            }
            for (const P3& v : {p(n - 1, i + 1), p(n - 1, i), P3{0, 0, -r}}) put(v);
        }
    }

    // The court's walls, reaching forward to y = -150, and the strip along
    // the floor's near edge.
    void Court() {
        const float x1 = -50, x2 = 50, y0 = -150, y1 = -50, y2 = 50, z1 = -50, z2 = 50;
        const std::uint32_t white = 0xFFFFFFFF;
        const std::initializer_list<UV> ceiling = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
        const std::initializer_list<UV> floor = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
        Face(textured, {{x1, y0, z2}, {x1, y2, z2}, {x2, y2, z2}, {x2, y0, z2}}, white, ceiling);
        Face(textured, {{x1, y0, z1}, {x2, y0, z1}, {x2, y2, z1}, {x1, y2, z1}}, white, floor);
        Face(textured, {{x1, y0, z1}, {x1, y2, z1}, {x1, y2, z2}, {x1, y0, z2}}, white, ceiling);
        Face(textured, {{x2, y0, z1}, {x2, y0, z2}, {x2, y2, z2}, {x2, y2, z1}}, white, floor);
        Face(textured, {{x1, y2, z1}, {x2, y2, z1}, {x2, y2, z2}, {x1, y2, z2}}, white,
             {{0.1f, 0.5f}, {0.1f, 0.5f}, {0, 0.1f}, {0, 0.1f}});
        Face(textured, {{x1, y1, z1}, {x2, y1, z1}, {x2, y1, z1 + 2}, {x1, y1, z1 + 2}}, white);
    }

    // Level 2: a hollow shell of cubes around the court's middle cell, in
    // the game's order, so the same seed gives the same colours.
    int Shell(unsigned colourSeed) {
        std::srand(colourSeed);
        int count = 0;
        for (int cx = 0; cx < 10; ++cx) {
            for (int cy = 0; cy < 10; ++cy) {
                for (int cz = 0; cz < 10; ++cz) {
                    const int d2 = (cx - 5) * (cx - 5) + (cy - 5) * (cy - 5) + (cz - 5) * (cz - 5);
                    if (d2 <= 12 || d2 >= 25) continue;
                    const int r1 = std::rand();
                    const int r2 = std::rand();
                    Cube({cx * 10 + 5 - 50.0f, cy * 10 + 5 - 50.0f, cz * 10 + 5 - 50.0f}, 3.0f, BrickColor(r1, r2));
                    count += 1;
                }
            }
        }
        return count;
    }

    // `count` bricks where GameWindow::FillWithBricks puts them.
    int Lattice(int count, unsigned colourSeed) {
        std::srand(colourSeed);
        if (count <= 0) return 0;
        const BrickLattice lattice(count);
        for (int i = 0; i < count; ++i) {
            const int r1 = std::rand();
            const int r2 = std::rand();
            Cube(lattice.At(i), 3.0f, BrickColor(r1, r2));
        }
        return count;
    }
};

const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec4 color;
layout(location = 3) in vec2 uv;
uniform mat4 clip;
uniform vec3 lightDir[2];
uniform float lightLevel[2];
uniform float ambient;
out vec4 vColor;
out vec2 vUv;
void main() {
    float light = ambient;
    for (int i = 0; i < 2; ++i) light += max(0.0, dot(normal, -lightDir[i])) * lightLevel[i];
    vColor = vec4(clamp(color.rgb * light, 0.0, 1.0), 1.0);
    vUv = uv;
    gl_Position = clip * vec4(position, 1.0);
}
)";

const char* kFragmentShader = R"(#version 330 core
in vec4 vColor;
in vec2 vUv;
uniform sampler2D tex;
uniform bool useTexture;
out vec4 fragColor;
void main() {
    vec4 c = vColor;
    if (useTexture) c *= texture(tex, vUv);
    fragColor = vec4(c.rgb, 1.0);
}
)";

GLuint Compile(GLenum type, const char* source) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        SDL_Log("bare scene shader: %s", log);
    }
    return shader;
}

// World to clip space, row-major: the camera's axes, then the perspective
// whose field spans the longer side of the window.
void ClipMatrix(int width, int height, float m[16]) {
    const double s = kFront / kField * std::max(width, height) * 0.5;
    const double kx = 2.0 * s / width, ky = 2.0 * s / height;
    const double a = (kBack + kFront) / (kBack - kFront), b = -2.0 * kBack * kFront / (kBack - kFront);
    const double rows[3][4] = {{-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, -kEyeY}};
    for (int c = 0; c < 4; ++c) {
        m[0 + c] = static_cast<float>(kx * rows[0][c]);
        m[4 + c] = static_cast<float>(ky * rows[1][c]);
        m[8 + c] = static_cast<float>(a * rows[2][c] + (c == 3 ? b : 0.0));
        m[12 + c] = static_cast<float>(rows[2][c]);
    }
}

}  // namespace

bool BareScene::Open(int width, int height, int x, int y, unsigned colourSeed, int latticeBricks) {
    Close();
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    window_ = SDL_CreateWindow("bare OpenGL", x, y, width, height, SDL_WINDOW_OPENGL);
    context_ = window_ ? SDL_GL_CreateContext(window_) : nullptr;
    // Back to what the platform asks of its windows.
    SDL_GL_ResetAttributes();
    plat::gl::PrepareForWindows();
    if (!context_) {
        Close();
        return false;
    }
    SDL_GL_SetSwapInterval(0);
    SDL_GL_GetDrawableSize(window_, &width_, &height_);

    Builder scene;
    brickCount_ = latticeBricks >= 0 ? scene.Lattice(latticeBricks, colourSeed) : scene.Shell(colourSeed);
    scene.Sphere({0, -100, 0}, 2.0f, 10, 0xFFFF0000);
    scene.Court();
    colouredCount_ = static_cast<unsigned>(scene.coloured.size());
    texturedCount_ = static_cast<unsigned>(scene.textured.size());
    std::vector<Vertex> all = scene.coloured;
    all.insert(all.end(), scene.textured.begin(), scene.textured.end());

    GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader), fs = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
    program_ = glCreateProgram();
    glAttachShader(program_, vs);
    glAttachShader(program_, fs);
    glLinkProgram(program_);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint linked = 0;
    glGetProgramiv(program_, GL_LINK_STATUS, &linked);
    if (!linked) {
        Close();
        return false;
    }
    glUseProgram(program_);
    float clip[16];
    ClipMatrix(width_, height_, clip);
    glUniformMatrix4fv(glGetUniformLocation(program_, "clip"), 1, GL_TRUE, clip);
    float dirs[6], levels[2];
    for (int i = 0; i < 2; ++i) {
        const P3 d = Normalised(kLights[i].dir);
        std::copy(d.begin(), d.end(), dirs + 3 * i);
        levels[i] = kLights[i].level;
    }
    glUniform3fv(glGetUniformLocation(program_, "lightDir"), 2, dirs);
    glUniform1fv(glGetUniformLocation(program_, "lightLevel"), 2, levels);
    glUniform1f(glGetUniformLocation(program_, "ambient"), kAmbient);
    glUniform1i(glGetUniformLocation(program_, "tex"), 0);
    useTextureLocation_ = glGetUniformLocation(program_, "useTexture");

    glGenVertexArrays(1, &vao_);
    glBindVertexArray(vao_);
    glGenBuffers(1, &vbo_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(all.size() * sizeof(Vertex)), all.data(), GL_STATIC_DRAW);
    const GLsizei stride = sizeof(Vertex);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, x)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, nx)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(offsetof(Vertex, r)));
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, u)));

    // 128 x 128 near white with a green line across the middle.
    std::vector<std::uint32_t> texels(128 * 128);
    for (int row = 0; row < 128; ++row) {
        for (int col = 0; col < 128; ++col) texels[row * 128 + col] = (row == 63 || row == 64) ? 0x00FA00 : 0xFAFAFA;
    }
    glGenTextures(1, &texture_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 128, 128, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

    glViewport(0, 0, width_, height_);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    // Retained Mode's fronts run clockwise; seen through this camera they stay clockwise.
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    glClearColor(0.0f, 0.5f, 0.0f, 1.0f);
    return true;
}

void BareScene::Close() {
    if (context_) {
        SDL_GL_MakeCurrent(window_, static_cast<SDL_GLContext>(context_));
        if (texture_) glDeleteTextures(1, &texture_);
        if (vbo_) glDeleteBuffers(1, &vbo_);
        if (vao_) glDeleteVertexArrays(1, &vao_);
        if (program_) glDeleteProgram(program_);
        SDL_GL_MakeCurrent(window_, nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
    }
    if (window_) SDL_DestroyWindow(window_);
    window_ = nullptr;
    context_ = nullptr;
    program_ = vao_ = vbo_ = texture_ = 0;
    colouredCount_ = texturedCount_ = 0;
    brickCount_ = 0;
}

void BareScene::Draw() {
    SDL_GL_MakeCurrent(window_, static_cast<SDL_GLContext>(context_));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUniform1i(useTextureLocation_, 0);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(colouredCount_));
    glUniform1i(useTextureLocation_, 1);
    glDrawArrays(GL_TRIANGLES, static_cast<GLint>(colouredCount_), static_cast<GLsizei>(texturedCount_));
}

void BareScene::DrawFrame() {
    if (!context_) return;
    Draw();
    SDL_GL_SwapWindow(window_);
    glFinish();
}

bool BareScene::ReadPicture(std::vector<std::uint32_t>& pixels) {
    if (!context_) return false;
    Draw();
    std::vector<unsigned char> rgba(static_cast<std::size_t>(width_) * height_ * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    pixels.resize(static_cast<std::size_t>(width_) * height_);
    for (int y = 0; y < height_; ++y) {
        const unsigned char* row = &rgba[static_cast<std::size_t>(height_ - 1 - y) * width_ * 4];
        for (int x = 0; x < width_; ++x) {
            pixels[static_cast<std::size_t>(y) * width_ + x] =
                (static_cast<std::uint32_t>(row[x * 4]) << 16) | (static_cast<std::uint32_t>(row[x * 4 + 1]) << 8) |
                row[x * 4 + 2];
        }
    }
    return glGetError() == GL_NO_ERROR;
}

}  // namespace bench

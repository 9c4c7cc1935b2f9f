#include "bench/bare_scene.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>

#include "bench/brick_lattice.h"
#include "bench/frame_finish.h"
#include "bench/pictures.h"
#include "game/game_view.h"
#include "platform/gl/gl_context.h"
#include "scene/ball.h"
#include "scene/digit_display.h"

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
// the camera's x axis (up x dir) is world -x. Field 0.5, front 1.
constexpr float kEyeY = -300.0f, kFront = 1.0f, kBack = kBackPlane, kField = 0.5f;

// Two directional lights and an ambient one, as the game hangs them.
struct Light {
    float level;
    P3 dir;
};
constexpr Light kLights[2] = {{0.5f, {0.5f, 0.7f, -0.5f}}, {1.0f, {-0.5f, -0.5f, -0.5f}}};
constexpr float kAmbient = 0.5f;

// The shapes as GameView builds them.
constexpr float kBallRadius = 2.0f, kRacketHalfSize = 10.0f, kBrickHalfSize = 3.0f;
constexpr float kSegmentLength = 5.0f, kSegmentHalfWidth = 0.5f, kSegmentEndGap = 0.1f;

P3 Normalised(P3 v) {
    const float l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / l, v[1] / l, v[2] / l};
}

P3 Cross(P3 a, P3 b) { return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}; }

// A frame's axes and origin in the world, applied in Retained Mode's order of
// operations, so the same local corners land on the same world coordinates
// and the two pictures are rasterised alike.
struct Place {
    P3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1}, origin{0, 0, 0};

    static Place At(P3 origin) { return {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, origin}; }
    // z along `dir` and y along `up`, both unit and at right angles.
    static Place Turned(P3 origin, P3 dir, P3 up) { return {Cross(up, dir), up, dir, origin}; }

    P3 Apply(P3 p) const {
        P3 out;
        for (int i = 0; i < 3; ++i) out[i] = x[i] * p[0] + y[i] * p[1] + z[i] * p[2] + origin[i];
        return out;
    }
};

// Whether segment s of a seven-segment digit is lit for v; values outside
// 0..9 (remainders of a negative number) show the pattern of 9, as the
// game's displays do.
bool SegmentLit(int s, int v) {
    switch (s) {
    case 0: return v != 1 && v != 4;
    case 1: return v != 1 && v != 2 && v != 3 && v != 7;
    case 2: return v != 5 && v != 6;
    case 3: return v != 0 && v != 1 && v != 7;
    case 4: return v == 0 || v == 2 || v == 6 || v == 8;
    case 5: return v != 2;
    default: return v != 1 && v != 4 && v != 7;
    }
}

struct Builder {
    std::vector<Vertex> coloured, textured, lines;

    static Vertex Make(P3 p, P3 n, std::uint32_t argb, UV uv) {
        return {p[0], p[1], p[2], n[0], n[1], n[2], static_cast<std::uint8_t>(argb >> 16),
                static_cast<std::uint8_t>(argb >> 8), static_cast<std::uint8_t>(argb), 255, uv[0], uv[1]};
    }

    // The normal of a flat polygon: out of the side from which its corners
    // run clockwise.
    static P3 NormalOf(const std::vector<P3>& c) {
        const P3 a{c[1][0] - c[0][0], c[1][1] - c[0][1], c[1][2] - c[0][2]};
        const P3 b{c[2][0] - c[0][0], c[2][1] - c[0][1], c[2][2] - c[0][2]};
        return Normalised(Cross(a, b));
    }

    // A flat polygon, fanned into triangles.
    void Face(std::vector<Vertex>& out, const std::vector<P3>& c, std::uint32_t argb, std::vector<UV> t = {}) {
        t.resize(c.size(), UV{0, 0});
        const P3 n = NormalOf(c);
        for (std::size_t i = 1; i + 1 < c.size(); ++i) {
            for (std::size_t k : {std::size_t{0}, i, i + 1}) out.push_back(Make(c[k], n, argb, t[k]));
        }
    }

    // A polygon's edges as lines, unlit, and only when its front is towards
    // the eye: the game leaves out faces seen from behind in wireframe too.
    // The camera never moves, so that is decided once, here.
    void Edges(const std::vector<P3>& c, std::uint32_t argb) {
        const P3 n = NormalOf(c);
        const float d = n[0] * c[0][0] + n[1] * c[0][1] + n[2] * c[0][2];
        if (n[1] * kEyeY - d <= 0) return;  // the eye is at (0, kEyeY, 0)
        for (std::size_t i = 0; i < c.size(); ++i) {
            for (const P3& p : {c[i], c[(i + 1) % c.size()]}) lines.push_back(Make(p, n, argb, {0, 0}));
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

    // Five red discs of the ball's radius half a unit inside the walls, each
    // where the ball's centre projects onto its wall.
    void Shadows(P3 ball, float r) {
        const float theta = 0.62831855f;  // a tenth of a turn
        std::vector<P3> left, right, back, floor, ceiling;
        for (int m = 1; m <= 10; ++m) {
            const float c = r * std::cos(m * theta), s = r * std::sin(m * theta);
            left.push_back({-kShadowPlane, s, -c});
            right.push_back({kShadowPlane, s, c});
            back.push_back({c, kShadowPlane, s});
            floor.push_back({c, s, -kShadowPlane});
            ceiling.push_back({c, -s, kShadowPlane});
        }
        const Place sides = Place::At({0, ball[1], ball[2]}), behind = Place::At({ball[0], 0, ball[2]}),
                    across = Place::At({ball[0], ball[1], 0});
        const std::pair<const Place*, std::vector<P3>*> discs[] = {
            {&sides, &left}, {&sides, &right}, {&behind, &back}, {&across, &floor}, {&across, &ceiling}};
        for (const auto& [place, corners] : discs) {
            for (P3& p : *corners) p = place->Apply(p);
            Face(coloured, *corners, 0xFFFF0000);
        }
    }

    // The walls, reaching forward to y = -150, and the strip along the
    // floor's near edge; the outline's faces are drawn as lines where they
    // face the eye (from the start camera they turn away).
    void Court() {
        const float x1 = -50, x2 = 50, y0 = -150, y1 = -50, y2 = 50, z1 = -50, z2 = 50;
        const std::uint32_t white = 0xFFFFFFFF;
        const std::vector<UV> ceiling = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
        const std::vector<UV> floor = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
        Face(textured, {{x1, y0, z2}, {x1, y2, z2}, {x2, y2, z2}, {x2, y0, z2}}, white, ceiling);
        Face(textured, {{x1, y0, z1}, {x2, y0, z1}, {x2, y2, z1}, {x1, y2, z1}}, white, floor);
        Face(textured, {{x1, y0, z1}, {x1, y2, z1}, {x1, y2, z2}, {x1, y0, z2}}, white, ceiling);
        Face(textured, {{x2, y0, z1}, {x2, y0, z2}, {x2, y2, z2}, {x2, y2, z1}}, white, floor);
        Face(textured, {{x1, y2, z1}, {x2, y2, z1}, {x2, y2, z2}, {x1, y2, z2}}, white,
             {{0.1f, 0.5f}, {0.1f, 0.5f}, {0, 0.1f}, {0, 0.1f}});
        Face(textured, {{x1, y1, z1}, {x2, y1, z1}, {x2, y1, z1 + 2}, {x1, y1, z1 + 2}}, white);
        Edges({{x1, y0, z1}, {x1, y0, z2}, {x1, y2, z2}, {x1, y2, z1}}, white);
        Edges({{x2, y0, z1}, {x2, y2, z1}, {x2, y2, z2}, {x2, y0, z2}}, white);
        Edges({{x1, y2, z1}, {x1, y2, z2}, {x2, y2, z2}, {x2, y2, z1}}, white);
    }

    // A black square outline in the x-z plane of the racket's frame.
    void Racket(const Place& at) {
        const float h = kRacketHalfSize;
        Edges({at.Apply({-h, 0, -h}), at.Apply({h, 0, -h}), at.Apply({h, 0, h}), at.Apply({-h, 0, h})}, 0xFF000000);
    }

    // `value` in `digitCount` seven-segment digits of flat hexagons, every
    // segment drawn, lit or not; the display's x runs to the right of the
    // screen and its y downwards.
    void Display(const Place& at, int digitCount, float spacing, int value) {
        const float L = kSegmentLength, T = kSegmentHalfWidth, G = kSegmentEndGap;
        for (int d = 0; d < digitCount; ++d, value /= 10) {
            const float x = static_cast<float>(digitCount - 1 - d) * (spacing + L);
            const struct {
                bool horizontal;
                float ox, oy;
            } layout[kSegmentsPerDigit] = {{true, x, 0},      {false, x, 0}, {false, x + L, 0}, {true, x, L},
                                           {false, x, L},     {false, x + L, L}, {true, x, 2 * L}};
            for (int s = 0; s < kSegmentsPerDigit; ++s) {
                const float ox = layout[s].ox, oy = layout[s].oy;
                const std::vector<P3> hexagon =
                    layout[s].horizontal
                        ? std::vector<P3>{{ox + G + T, oy + T, 0},     {ox + G + 2 * T, oy, 0},
                                          {ox + L - G, oy, 0},         {ox + L - G + T, oy + T, 0},
                                          {ox + L - G, oy + 2 * T, 0}, {ox + G + 2 * T, oy + 2 * T, 0}}
                        : std::vector<P3>{{ox + T, oy + G + T, 0},     {ox + 2 * T, oy + G + 2 * T, 0},
                                          {ox + 2 * T, oy + L - G, 0}, {ox + T, oy + L - G + T, 0},
                                          {ox, oy + L - G, 0},         {ox, oy + G + 2 * T, 0}};
                std::vector<P3> corners;
                for (const P3& p : hexagon) corners.push_back(at.Apply(p));
                Face(coloured, corners, SegmentLit(s, value % 10) ? kSegmentLit : kSegmentUnlit);
            }
        }
    }

    // The score beyond the wall x = 50 on the left of the screen and the
    // lives beyond x = -50 on the right, both in the racket plane, facing
    // the camera.
    void Displays(int score, int lives) {
        const P3 towardsCamera{0, -1, 0}, down{0, 0, -1};
        Display(Place::Turned({70, kRacketPlaneY, 50}, towardsCamera, down), 3, 2.0f, score);
        Display(Place::Turned({-50, kRacketPlaneY, 50}, towardsCamera, down), 2, 2.5f, lives);
    }

    // Level 2: a hollow shell of cubes around the court's middle cell, in
    // the game's order, so the same seed gives the same colours.
    int Shell(unsigned colourSeed) {
        std::srand(colourSeed);
        int count = 0;
        for (int cx = 0; cx < kCellsPerAxis; ++cx) {
            for (int cy = 0; cy < kCellsPerAxis; ++cy) {
                for (int cz = 0; cz < kCellsPerAxis; ++cz) {
                    const int d2 = (cx - 5) * (cx - 5) + (cy - 5) * (cy - 5) + (cz - 5) * (cz - 5);
                    if (d2 <= 12 || d2 >= 25) continue;
                    const int r1 = std::rand();
                    const int r2 = std::rand();
                    Cube({cx * 10 + 5 - 50.0f, cy * 10 + 5 - 50.0f, cz * 10 + 5 - 50.0f}, kBrickHalfSize,
                         BrickColor(r1, r2));
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
            Cube(lattice.At(i), kBrickHalfSize, BrickColor(r1, r2));
        }
        return count;
    }
};

// The version line is the platform's (plat::gl::kShaderVersion): OpenGL 3.3
// core, or WebGL 2's OpenGL ES 3.0.
const char* kVertexShader = R"(
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec4 color;
layout(location = 3) in vec2 uv;
uniform mat4 clip;
uniform vec3 lightDir[2];
uniform float lightLevel[2];
uniform float ambient;
uniform bool lighting;
out vec4 vColor;
out vec2 vUv;
void main() {
    float light = 1.0;
    if (lighting) {
        light = ambient;
        for (int i = 0; i < 2; ++i) light += max(0.0, dot(normal, -lightDir[i])) * lightLevel[i];
    }
    // The light is held at full before it scales the colour, as Retained Mode does.
    vColor = vec4(color.rgb * min(light, 1.0), 1.0);
    vUv = uv;
    gl_Position = clip * vec4(position, 1.0);
}
)";

const char* kFragmentShader = R"(
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

GLuint Compile(GLenum type, const char* body) {
    const std::string source = std::string(plat::gl::kShaderVersion) + body;
    const char* text = source.c_str();
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "bare scene shader: %s\n", log);
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

bool BareScene::Open(int width, int height, int x, int y, const SceneState& state, unsigned colourSeed,
                     int latticeBricks) {
    Close();
    if (!window_.Open(width, height, x, y)) return false;
    window_.DrawableSize(width_, height_);

    Builder scene;
    brickCount_ = latticeBricks >= 0 ? scene.Lattice(latticeBricks, colourSeed) : scene.Shell(colourSeed);
    scene.Sphere(state.ball, kBallRadius, 10, 0xFFFF0000);
    scene.Shadows(state.ball, kBallRadius);
    scene.Displays(state.score, state.lives);
    scene.Court();
    scene.Racket(Place::Turned(state.racket, state.racketZ, state.racketY));
    colouredCount_ = static_cast<unsigned>(scene.coloured.size());
    texturedCount_ = static_cast<unsigned>(scene.textured.size());
    lineCount_ = static_cast<unsigned>(scene.lines.size());
    std::vector<Vertex> all = scene.coloured;
    all.insert(all.end(), scene.textured.begin(), scene.textured.end());
    all.insert(all.end(), scene.lines.begin(), scene.lines.end());

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
    lightingLocation_ = glGetUniformLocation(program_, "lighting");

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

    // 128 x 128 near white with a green line across the middle, two rows
    // thick, as a pen two pixels wide draws it from column 0 up to 127.
    std::vector<std::uint32_t> texels(128 * 128);
    for (int row = 0; row < 128; ++row) {
        for (int col = 0; col < 128; ++col) {
            texels[row * 128 + col] = (row == 63 || row == 64) && col < 127 ? 0x00FA00 : 0xFAFAFA;
        }
    }
    glGenTextures(1, &texture_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture_);
    plat::gl::TexImageXrgb(128, 128, texels);
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
    if (window_.IsOpen()) {
        window_.MakeCurrent();
        if (texture_) glDeleteTextures(1, &texture_);
        if (vbo_) glDeleteBuffers(1, &vbo_);
        if (vao_) glDeleteVertexArrays(1, &vao_);
        if (program_) glDeleteProgram(program_);
    }
    window_.Close();
    program_ = vao_ = vbo_ = texture_ = 0;
    colouredCount_ = texturedCount_ = lineCount_ = 0;
    brickCount_ = 0;
}

void BareScene::Draw() {
    window_.MakeCurrent();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUniform1i(lightingLocation_, 1);
    glUniform1i(useTextureLocation_, 0);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(colouredCount_));
    glUniform1i(useTextureLocation_, 1);
    glDrawArrays(GL_TRIANGLES, static_cast<GLint>(colouredCount_), static_cast<GLsizei>(texturedCount_));
    // Lines are drawn unlit, in their own colour.
    glUniform1i(lightingLocation_, 0);
    glUniform1i(useTextureLocation_, 0);
    glDrawArrays(GL_LINES, static_cast<GLint>(colouredCount_ + texturedCount_), static_cast<GLsizei>(lineCount_));
}

void BareScene::DrawFrame() {
    if (!window_.IsOpen()) return;
    Draw();
    window_.Present();
    FinishFrame();
}

bool BareScene::ReadPicture(std::vector<std::uint32_t>& pixels) {
    if (!window_.IsOpen()) return false;
    Draw();
    pixels = ReadBackBuffer(width_, height_);
    return glGetError() == GL_NO_ERROR;
}

}  // namespace bench

// A frame of a scene like level 2 (306 cubes in a spherical shell, the
// Gouraud ball, the textured court) at 1280 x 720: through Retained Mode, and
// as a bare OpenGL program drawing the same triangles from one prepared buffer.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <array>
#include <cmath>
#include <initializer_list>
#include <string>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/d3drm/d3drm.h"
#include "platform/d3drm/d3drm_testing.h"
#include "platform/d3drm/objects.h"
#include "platform/d3drm/scene_collect.h"
#include "platform/ddraw/ddraw.h"
#include "platform/gl/gl_context.h"

using namespace plat;

namespace {

constexpr int kWidth = 1280, kHeight = 720;

void AddFace(IDirect3DRMMeshBuilder* mesh, std::initializer_list<std::array<float, 3>> corners,
             std::initializer_list<std::array<float, 2>> uv = {}) {
    IDirect3DRMFace* face = nullptr;
    mesh->CreateFace(&face);
    for (const auto& c : corners) face->AddVertex(c[0], c[1], c[2]);
    DWORD i = 0;
    for (const auto& t : uv) face->SetTextureCoordinates(i++, t[0], t[1]);
    face->Release();
}

IDirect3DRMFrame* Hang(IDirect3DRM* rm, IDirect3DRMFrame* parent, IDirect3DRMVisual* visual, float x, float y,
                       float z) {
    IDirect3DRMFrame* f = nullptr;
    rm->CreateFrame(parent, &f);
    f->SetPosition(parent, x, y, z);
    if (visual) f->AddVisual(visual);
    return f;
}

// The scene, its device and viewport on one offscreen window.
struct Level2Scene {
    SDL_Window* window = nullptr;
    IDirect3DRM* rm = nullptr;
    IDirect3DRMFrame* scene = nullptr;
    IDirect3DRMFrame* camera = nullptr;
    IDirect3DRMDevice* device = nullptr;
    IDirect3DRMViewport* viewport = nullptr;
    IDirectDraw* dd = nullptr;

    bool Build() {
        if (SDL_Init(SDL_INIT_VIDEO) != 0 || !gl::PrepareForWindows()) return false;
        window = SDL_CreateWindow("bench", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!window || FAILED(Direct3DRMCreate(&rm))) return false;
        rm->CreateFrame(nullptr, &scene);
        scene->SetSceneBackgroundRGB(0, 0.5f, 0);
        IDirect3DRMFrame* world = Hang(rm, scene, nullptr, 0, 0, 0);
        rm->CreateFrame(scene, &camera);
        camera->SetPosition(scene, 0, -300, 0);
        camera->SetOrientation(scene, 0, 1, 0, 0, 0, 1);
        if (FAILED(CreateDeviceOnNativeWindow(rm, window, kWidth, kHeight, &device))) return false;
        rm->CreateViewport(device, camera, 0, 0, kWidth, kHeight, &viewport);
        viewport->SetBack(2000);
        device->SetQuality(D3DRMRENDER_GOURAUD);
        device->SetTextureQuality(D3DRMTEXTURE_LINEAR);

        AddLights(world);
        AddBricks(world);
        AddBall(world);
        AddCourt(world);
        world->Release();
        return true;
    }

    void AddLights(IDirect3DRMFrame* world) {
        const float lights[2][7] = {{0.5f, 0, -100, 100, 0.5f, 0.7f, -0.5f}, {1.0f, 0, 100, 100, -0.5f, -0.5f, -0.5f}};
        for (const auto& l : lights) {
            IDirect3DRMFrame* f = Hang(rm, world, nullptr, l[1], l[2], l[3]);
            f->SetOrientation(scene, l[4], l[5], l[6], 1, 1, 1);
            IDirect3DRMLight* light = nullptr;
            rm->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, l[0], l[0], l[0], &light);
            f->AddLight(light);
            light->Release();
            f->Release();
        }
        IDirect3DRMLight* ambient = nullptr;
        rm->CreateLightRGB(D3DRMLIGHT_AMBIENT, 0.5f, 0.5f, 0.5f, &ambient);
        world->AddLight(ambient);
        ambient->Release();
    }

    void AddBricks(IDirect3DRMFrame* world) {
        const float a = 3;
        unsigned seed = 12345;
        for (int cx = 0; cx < 10; ++cx) {
            for (int cy = 0; cy < 10; ++cy) {
                for (int cz = 0; cz < 10; ++cz) {
                    int d2 = (cx - 5) * (cx - 5) + (cy - 5) * (cy - 5) + (cz - 5) * (cz - 5);
                    if (d2 <= 12 || d2 >= 25) continue;
                    IDirect3DRMMeshBuilder* cube = nullptr;
                    rm->CreateMeshBuilder(&cube);
                    AddFace(cube, {{-a, -a, a}, {a, -a, a}, {a, a, a}, {-a, a, a}});
                    AddFace(cube, {{-a, -a, -a}, {-a, a, -a}, {a, a, -a}, {a, -a, -a}});
                    AddFace(cube, {{-a, -a, -a}, {-a, -a, a}, {-a, a, a}, {-a, a, -a}});
                    AddFace(cube, {{a, -a, -a}, {a, a, -a}, {a, a, a}, {a, -a, a}});
                    AddFace(cube, {{-a, -a, -a}, {a, -a, -a}, {a, -a, a}, {-a, -a, a}});
                    AddFace(cube, {{-a, a, -a}, {-a, a, a}, {a, a, a}, {a, a, -a}});
                    seed = seed * 1103515245u + 12345u;
                    cube->SetColor(0xFF000000u | (seed >> 8));
                    IDirect3DRMFrame* f = Hang(rm, world, cube, cx * 10 + 5 - 50.0f, cy * 10 + 5 - 50.0f,
                                               cz * 10 + 5 - 50.0f);
                    f->Release();
                    cube->Release();
                }
            }
        }
    }

    void AddBall(IDirect3DRMFrame* world) {
        IDirect3DRMMeshBuilder* ball = nullptr;
        rm->CreateMeshBuilder(&ball);
        const int n = 10;
        const float r = 2, step = 3.1415927f / n;
        auto p = [&](int j, int i) {
            return std::array<float, 3>{r * std::sin(j * step) * std::cos(2 * i * step),
                                        r * std::sin(j * step) * std::sin(2 * i * step), r * std::cos(j * step)};
        };
        for (int i = 0; i < n; ++i) {
            AddFace(ball, {{0, 0, r}, p(1, i), p(1, i + 1)});
            for (int j = 1; j <= n - 2; ++j) AddFace(ball, {p(j, i + 1), p(j, i), p(j + 1, i), p(j + 1, i + 1)});
            AddFace(ball, {p(n - 1, i + 1), p(n - 1, i), {0, 0, -r}});
        }
        ball->GenerateNormals();
        ball->SetColor(0xFFFF0000);
        IDirect3DRMFrame* f = Hang(rm, world, ball, 0, -100, 0);
        f->Release();
        ball->Release();
    }

    void AddCourt(IDirect3DRMFrame* world) {
        if (FAILED(DirectDrawCreate(nullptr, &dd, nullptr))) return;
        DDSURFACEDESC desc;
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
        desc.dwWidth = desc.dwHeight = 128;
        desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
        IDirectDrawSurface* surface = nullptr;
        if (FAILED(dd->CreateSurface(&desc, &surface, nullptr))) return;
        if (SUCCEEDED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) {
            for (DWORD y = 0; y < 128; ++y) {
                auto* row = reinterpret_cast<std::uint32_t*>(static_cast<unsigned char*>(desc.lpSurface) +
                                                             y * desc.lPitch);
                for (DWORD x = 0; x < 128; ++x) row[x] = (y == 63 || y == 64) ? 0x00FA00 : 0xFAFAFA;
            }
            surface->Unlock(desc.lpSurface);
        }
        IDirect3DRMTexture* texture = nullptr;
        rm->CreateTextureFromSurface(surface, &texture);
        surface->Release();

        IDirect3DRMMeshBuilder* walls = nullptr;
        rm->CreateMeshBuilder(&walls);
        const float x1 = -50, x2 = 50, y1 = -50, y2 = 50, z1 = -50, z2 = 50, y0 = -150;
        AddFace(walls, {{x1, y0, z2}, {x1, y2, z2}, {x2, y2, z2}, {x2, y0, z2}}, {{0, 0}, {0, 1}, {1, 1}, {1, 0}});
        AddFace(walls, {{x1, y0, z1}, {x2, y0, z1}, {x2, y2, z1}, {x1, y2, z1}}, {{0, 1}, {1, 1}, {1, 0}, {0, 0}});
        AddFace(walls, {{x1, y0, z1}, {x1, y2, z1}, {x1, y2, z2}, {x1, y0, z2}}, {{0, 0}, {0, 1}, {1, 1}, {1, 0}});
        AddFace(walls, {{x2, y0, z1}, {x2, y0, z2}, {x2, y2, z2}, {x2, y2, z1}}, {{0, 1}, {1, 1}, {1, 0}, {0, 0}});
        AddFace(walls, {{x1, y2, z1}, {x2, y2, z1}, {x2, y2, z2}, {x1, y2, z2}},
                {{0.1f, 0.5f}, {0.1f, 0.5f}, {0, 0.1f}, {0, 0.1f}});
        AddFace(walls, {{x1, y1, z1}, {x2, y1, z1}, {x2, y1, z1 + 2}, {x1, y1, z1 + 2}});
        walls->SetTexture(texture);
        walls->SetPerspective(TRUE);
        texture->Release();
        IDirect3DRMFrame* f = Hang(rm, world, walls, 0, 0, 0);
        f->Release();
        walls->Release();
    }

    ~Level2Scene() {
        if (viewport) viewport->Release();
        if (device) device->Release();
        if (camera) camera->Release();
        if (scene) scene->Release();
        if (rm) rm->Release();
        if (dd) dd->Release();
        if (window) {
            gl::ReleaseWindow(window);
            SDL_DestroyWindow(window);
        }
    }
};

Level2Scene& Scene() {
    static Level2Scene scene;
    static bool built = scene.Build();
    if (!built) std::fprintf(stderr, "no OpenGL window for the benchmark\n");
    return scene;
}

void BM_RetainedModeTick(benchmark::State& state) {
    Level2Scene& s = Scene();
    if (!s.viewport) return state.SkipWithError("no device");
    for (auto _ : state) {
        s.rm->Tick(0.0f);
        glFinish();  // count the rasterising, not just the queueing
    }
}
BENCHMARK(BM_RetainedModeTick)->Unit(benchmark::kMillisecond);

void BM_RetainedModeCollectOnly(benchmark::State& state) {
    Level2Scene& s = Scene();
    if (!s.viewport) return state.SkipWithError("no device");
    rm::SceneCollector collector;
    rm::DrawList list;
    rm::Frame* scene = rm::AsFrame(s.scene);
    D3DVECTOR eye;
    s.camera->GetPosition(nullptr, &eye);
    for (auto _ : state) {
        collector.Collect(scene, rm::ToVec(eye), D3DRMRENDER_GOURAUD, list);
        benchmark::DoNotOptimize(list.vertices.data());
    }
    state.counters["vertices"] = static_cast<double>(list.vertices.size());
}
BENCHMARK(BM_RetainedModeCollectOnly)->Unit(benchmark::kMillisecond);

const char* kVs = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 color;
layout(location = 2) in vec2 uv;
uniform mat4 clip;
out vec4 vColor;
out vec2 vUv;
void main() { gl_Position = clip * vec4(position, 1.0); vColor = color; vUv = uv; }
)";
const char* kFs = R"(#version 330 core
in vec4 vColor;
in vec2 vUv;
uniform sampler2D tex;
uniform bool useTexture;
out vec4 fragColor;
void main() { vec4 c = vColor; if (useTexture) c *= texture(tex, vUv); fragColor = vec4(c.rgb, 1.0); }
)";

// The same triangles, prepared once, drawn by plain OpenGL calls into a
// framebuffer of the same size, blitted and presented the same way.
void BM_BareOpenGL(benchmark::State& state) {
    Level2Scene& s = Scene();
    if (!s.viewport) return state.SkipWithError("no device");
    rm::SceneCollector collector;
    rm::DrawList list;
    D3DVECTOR eye;
    s.camera->GetPosition(nullptr, &eye);
    collector.Collect(rm::AsFrame(s.scene), rm::ToVec(eye), D3DRMRENDER_GOURAUD, list);
    float clip[16];
    static_cast<rm::Viewport*>(s.viewport)->CurrentProjection().ClipMatrix(clip);

    gl::MakeCurrent(s.window);
    auto compile = [](GLenum type, const char* src) {
        GLuint sh = glCreateShader(type);
        glShaderSource(sh, 1, &src, nullptr);
        glCompileShader(sh);
        return sh;
    };
    GLuint program = glCreateProgram();
    GLuint vs = compile(GL_VERTEX_SHADER, kVs), fs = compile(GL_FRAGMENT_SHADER, kFs);
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLuint vao, vbo, fbo, rb[2], tex = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, list.vertices.size() * sizeof(rm::DrawVertex), list.vertices.data(),
                 GL_STATIC_DRAW);
    const GLsizei stride = sizeof(rm::DrawVertex);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(0));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(12));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(16));
    glGenRenderbuffers(2, rb);
    glBindRenderbuffer(GL_RENDERBUFFER, rb[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kWidth, kHeight);
    glBindRenderbuffer(GL_RENDERBUFFER, rb[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kWidth, kHeight);
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rb[0]);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rb[1]);
    for (const auto& b : list.batches) {
        if (!b.texture || tex) continue;
        std::vector<std::uint32_t> texels;
        int w = 0, h = 0;
        b.texture->CopyPixels(texels, w, h);
        glGenTextures(1, &tex);
        glBindTexture(GL_TEXTURE_2D, tex);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
    glUseProgram(program);
    glUniformMatrix4fv(glGetUniformLocation(program, "clip"), 1, GL_TRUE, clip);
    glUniform1i(glGetUniformLocation(program, "tex"), 0);
    GLint useTexture = glGetUniformLocation(program, "useTexture");
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0, 0.5f, 0, 1);

    for (auto _ : state) {
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (const auto& b : list.batches) {
            glUniform1i(useTexture, b.texture ? 1 : 0);
            GLenum mode = b.primitive == rm::Primitive::Triangles ? GL_TRIANGLES : GL_LINES;
            glDrawArrays(mode, static_cast<GLint>(b.first), static_cast<GLsizei>(b.count));
        }
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBlitFramebuffer(0, 0, kWidth, kHeight, 0, 0, kWidth, kHeight, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        SDL_GL_SwapWindow(s.window);
        glFinish();
    }
    state.counters["vertices"] = static_cast<double>(list.vertices.size());

    glDeleteFramebuffers(1, &fbo);
    glDeleteRenderbuffers(2, rb);
    glDeleteBuffers(1, &vbo);
    glDeleteVertexArrays(1, &vao);
    if (tex) glDeleteTextures(1, &tex);
    glDeleteProgram(program);
}
BENCHMARK(BM_BareOpenGL)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::AddCustomContext("renderer", [] {
        Level2Scene& s = Scene();
        if (!s.window || !gl::MakeCurrent(s.window)) return std::string("none");
        return std::string(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    }());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Shared set-up for the Retained Mode tests: owned references, simple meshes
// and an offscreen OpenGL window with a device and viewport on it.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "platform/d3drm/d3drm.h"
#include "platform/d3drm/d3drm_testing.h"
#include "platform/ddraw/ddraw.h"
#include "platform/gl/gl_context.h"
#include "platform/gl/gl_probe.h"
#include "tests/support/gl_required.h"
#include "tests/support/test_window.h"

namespace rmtest {

using namespace plat;

// Releases its object at the end of a scope.
template <class T>
struct Ref {
    T* p = nullptr;
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { reset(); }
    void reset() {
        if (p) p->Release();
        p = nullptr;
    }
    T** out() {
        reset();
        return &p;
    }
    T* operator->() const { return p; }
    operator T*() const { return p; }
};

struct Point {
    float x, y, z;
};

// A face with the given corners, in order.
inline void AddFace(IDirect3DRMMeshBuilder* mesh, std::initializer_list<Point> corners) {
    Ref<IDirect3DRMFace> face;
    ASSERT_EQ(mesh->CreateFace(face.out()), D3DRM_OK);
    for (const Point& c : corners) ASSERT_EQ(face->AddVertex(c.x, c.y, c.z), D3DRM_OK);
}

// A square of half-size h in the plane z = 0, its front towards -z.
inline void AddSquareFacingMinusZ(IDirect3DRMMeshBuilder* mesh, float h) {
    AddFace(mesh, {{-h, -h, 0}, {-h, h, 0}, {h, h, 0}, {h, -h, 0}});
}

// A cube of half-size a, every face's front outwards.
inline void AddCube(IDirect3DRMMeshBuilder* mesh, float a) {
    AddFace(mesh, {{-a, -a, a}, {a, -a, a}, {a, a, a}, {-a, a, a}});
    AddFace(mesh, {{-a, -a, -a}, {-a, a, -a}, {a, a, -a}, {a, -a, -a}});
    AddFace(mesh, {{-a, -a, -a}, {-a, -a, a}, {-a, a, a}, {-a, a, -a}});
    AddFace(mesh, {{a, -a, -a}, {a, a, -a}, {a, a, a}, {a, -a, a}});
    AddFace(mesh, {{-a, -a, -a}, {a, -a, -a}, {a, -a, a}, {-a, -a, a}});
    AddFace(mesh, {{-a, a, -a}, {-a, a, a}, {a, a, a}, {a, a, -a}});
}

// A sphere of n x n facets the way the game builds its ball: separate faces,
// the seam computed at 2 pi rather than shared.
inline void AddSphere(IDirect3DRMMeshBuilder* mesh, float r, int n) {
    const float step = 3.1415927f / n;
    auto p = [&](int j, int i) {
        return Point{r * std::sin(j * step) * std::cos(2 * i * step), r * std::sin(j * step) * std::sin(2 * i * step),
                     r * std::cos(j * step)};
    };
    for (int i = 0; i < n; ++i) {
        AddFace(mesh, {{0, 0, r}, p(1, i), p(1, i + 1)});
        for (int j = 1; j <= n - 2; ++j) AddFace(mesh, {p(j, i + 1), p(j, i), p(j + 1, i), p(j + 1, i + 1)});
        AddFace(mesh, {p(n - 1, i + 1), p(n - 1, i), {0, 0, -r}});
    }
}

inline int Channel(std::uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

inline ::testing::AssertionResult ColorNear(std::uint32_t actual, std::uint32_t expected, int tolerance) {
    for (int shift : {16, 8, 0}) {
        if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > tolerance) {
            char text[64];
            std::snprintf(text, sizeof text, "colour 0x%06X is not near 0x%06X", static_cast<unsigned>(actual),
                          static_cast<unsigned>(expected));
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

// A square-cornered texture surface of the given size.
inline HRESULT CreateTextureSurface(IDirectDraw* dd, DWORD width, DWORD height, IDirectDrawSurface** out) {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = width;
    desc.dwHeight = height;
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    return dd->CreateSurface(&desc, out, nullptr);
}

// Writes every texel of a locked surface: texel(x, y) gives 0x00RRGGBB.
template <typename TexelAt>
::testing::AssertionResult FillSurface(IDirectDrawSurface* surface, TexelAt texel) {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) {
        return ::testing::AssertionFailure() << "the surface did not lock";
    }
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<unsigned char*>(desc.lpSurface) + y * desc.lPitch);
        for (DWORD x = 0; x < desc.dwWidth; ++x) row[x] = texel(x, y);
    }
    surface->Unlock(desc.lpSurface);
    return ::testing::AssertionSuccess();
}

// A hidden OpenGL window with a scene, a camera at
// the origin looking along +z, a device and a viewport covering it.
class RenderFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 320, kHeight = 240;

    void SetUp() override {
        KESTROVA_REQUIRE_GL(gl::ProbeRenderer().available);
        window_ = testsupport::CreateHiddenGlWindow(kWidth, kHeight);
        ASSERT_NE(window_, nullptr);
        ASSERT_EQ(Direct3DRMCreate(rm.out()), D3DRM_OK);
        ASSERT_EQ(rm->CreateFrame(nullptr, scene.out()), D3DRM_OK);
        ASSERT_EQ(rm->CreateFrame(scene, camera.out()), D3DRM_OK);
        MakeDevice(kWidth, kHeight);
    }

    void TearDown() override {
        viewport.reset();
        device.reset();
        camera.reset();
        scene.reset();
        rm.reset();
        testsupport::DestroyHiddenGlWindow(window_);
    }

    void MakeDevice(int width, int height) {
        viewport.reset();
        device.reset();
        ASSERT_EQ(CreateDeviceOnNativeWindow(rm, window_, width, height, device.out()), D3DRM_OK);
        ASSERT_EQ(rm->CreateViewport(device, camera, 0, 0, width, height, viewport.out()), D3DRM_OK);
    }

    // A mesh on a new child frame of the scene at the given place.
    void Place(IDirect3DRMMeshBuilder* mesh, float x, float y, float z) {
        Ref<IDirect3DRMFrame> frame;
        ASSERT_EQ(rm->CreateFrame(scene, frame.out()), D3DRM_OK);
        ASSERT_EQ(frame->SetPosition(scene, x, y, z), D3DRM_OK);
        ASSERT_EQ(frame->AddVisual(mesh), D3DRM_OK);
    }

    void AddLight(D3DRMLIGHTTYPE type, float level, Point direction = {0, 0, 1}) {
        Ref<IDirect3DRMFrame> frame;
        Ref<IDirect3DRMLight> light;
        ASSERT_EQ(rm->CreateFrame(scene, frame.out()), D3DRM_OK);
        ASSERT_EQ(frame->SetOrientation(scene, direction.x, direction.y, direction.z, 0, 1, 0.01f), D3DRM_OK);
        ASSERT_EQ(rm->CreateLightRGB(type, level, level, level, light.out()), D3DRM_OK);
        ASSERT_EQ(frame->AddLight(light), D3DRM_OK);
    }

    void Draw() {
        ASSERT_EQ(viewport->Clear(), D3DRM_OK);
        ASSERT_EQ(viewport->Render(scene), D3DRM_OK);
        ASSERT_EQ(device->Update(), D3DRM_OK);
    }

    std::uint32_t Pixel(int x, int y) {
        std::uint32_t rgb = 0xDEADBEEF;
        EXPECT_TRUE(ReadDevicePixels(device, x, y, rgb)) << "pixel " << x << ", " << y;
        return rgb;
    }

    // The pixel where a world point appears.
    std::uint32_t PixelAt(Point world) {
        D3DVECTOR in{world.x, world.y, world.z};
        D3DRMVECTOR4D s{};
        EXPECT_EQ(viewport->Transform(&s, &in), D3DRM_OK);
        return Pixel(static_cast<int>(s.x / s.w), static_cast<int>(s.y / s.w));
    }

    gl::NativeWindow window_ = nullptr;
    Ref<IDirect3DRM> rm;
    Ref<IDirect3DRMFrame> scene, camera;
    Ref<IDirect3DRMDevice> device;
    Ref<IDirect3DRMViewport> viewport;
};

}  // namespace rmtest

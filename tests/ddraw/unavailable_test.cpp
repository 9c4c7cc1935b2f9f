// What the game sees on a machine without a display or without OpenGL: a
// failed DirectDrawCreate, or a DirectDraw whose Direct3D finds no device.
// Each case changes the process environment before SDL first looks at it.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "platform/ddraw/ddraw.h"

using namespace plat;

namespace {

HRESULT Count(GUID*, char*, char*, D3DDEVICEDESC*, D3DDEVICEDESC*, void* context) {
    ++*static_cast<int*>(context);
    return D3DENUMRET_OK;
}

int DevicesFound() {
    IDirectDraw* dd = nullptr;
    EXPECT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    if (!dd) return -1;
    IDirect3D* d3d = nullptr;
    EXPECT_EQ(dd->QueryInterface(IID_IDirect3D, reinterpret_cast<void**>(&d3d)), S_OK);
    int calls = 0;
    if (d3d) {
        EXPECT_EQ(d3d->EnumDevices(Count, &calls), D3D_OK);
        d3d->Release();
    }
    // Surfaces need no OpenGL and still work.
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = desc.dwHeight = 4;
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    IDirectDrawSurface* surface = nullptr;
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
    if (surface) surface->Release();
    EXPECT_EQ(dd->Release(), 0u);
    return calls;
}

TEST(DDrawUnavailable, NoDisplayMeansNoDirectDraw) {
    if (SDL_WasInit(SDL_INIT_VIDEO)) GTEST_SKIP() << "video already up in this process";
    setenv("SDL_VIDEODRIVER", "no-such-video-driver", 1);
    IDirectDraw* dd = reinterpret_cast<IDirectDraw*>(&dd);
    EXPECT_TRUE(FAILED(DirectDrawCreate(nullptr, &dd, nullptr)));
    EXPECT_EQ(dd, nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);  // nothing left half started
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
}

TEST(DDrawUnavailable, NoOpenGlLibraryMeansNoDevice) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_VIDEO_EGL_DRIVER", "/nonexistent/libEGL.so.1", 1);
    EXPECT_EQ(DevicesFound(), 0);
}

TEST(DDrawUnavailable, NoCoreContextMeansNoDevice) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    // The library loads, but the driver will not make a 3.3 core context.
    setenv("MESA_GL_VERSION_OVERRIDE", "2.1", 1);
    EXPECT_EQ(DevicesFound(), 0);
}

TEST(DDrawUnavailable, OtherDriversAndAggregationAreRefused) {
    IDirectDraw* dd = nullptr;
    GUID other = IID_IDirect3D;
    EXPECT_EQ(DirectDrawCreate(&other, &dd, nullptr), DDERR_INVALIDDIRECTDRAWGUID);
    EXPECT_EQ(dd, nullptr);
    EXPECT_EQ(DirectDrawCreate(nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS);
    IUnknown* outer = reinterpret_cast<IUnknown*>(&other);  // never called
    EXPECT_EQ(DirectDrawCreate(nullptr, &dd, outer), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd, nullptr);
}

}  // namespace

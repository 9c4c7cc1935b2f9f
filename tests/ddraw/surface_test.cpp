// Off-screen surfaces: creation rules, Lock/Unlock, and painting through the
// surface's device context the way the court paints its wall texture.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/ddraw/ddraw.h"
#include "platform/gdi/gdi.h"

using namespace plat;

namespace {

DDSURFACEDESC TextureDesc(DWORD width, DWORD height) {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(DDSURFACEDESC);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = width;
    desc.dwHeight = height;
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    return desc;
}

class DDrawSurface : public ::testing::Test {
protected:
    void SetUp() override {
        IDirectDraw* first = nullptr;
        ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
        ASSERT_EQ(first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&dd)), S_OK);
        first->Release();
    }
    void TearDown() override {
        if (surface) {
            EXPECT_EQ(surface->Release(), 0u);
        }
        if (dd) {
            EXPECT_EQ(dd->Release(), 0u);
        }
    }

    void Create(DWORD width, DWORD height) {
        DDSURFACEDESC desc = TextureDesc(width, height);
        ASSERT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
        ASSERT_NE(surface, nullptr);
    }

    // A copy of the surface's pixels, taken through a lock.
    std::uint32_t Pixel(int x, int y) {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof(desc);
        EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        auto* row = reinterpret_cast<const std::uint8_t*>(desc.lpSurface) + static_cast<std::ptrdiff_t>(y) * desc.lPitch;
        std::uint32_t value = reinterpret_cast<const std::uint32_t*>(row)[x];
        EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
        return value & 0x00FFFFFFu;
    }

    IDirectDraw2* dd = nullptr;
    IDirectDrawSurface* surface = nullptr;
};

TEST_F(DDrawSurface, LockGivesWritableDisplayFormatMemory) {
    Create(128, 128);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    ASSERT_NE(desc.lpSurface, nullptr);
    EXPECT_EQ(desc.dwWidth, 128u);
    EXPECT_EQ(desc.dwHeight, 128u);
    EXPECT_GE(desc.lPitch, 512);
    EXPECT_TRUE(desc.dwFlags & DDSD_LPSURFACE);
    EXPECT_TRUE(desc.ddsCaps.dwCaps & DDSCAPS_TEXTURE);
    EXPECT_TRUE(desc.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0x00FF0000u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, 0x0000FF00u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwBBitMask, 0x000000FFu);
    // Every byte of every row is ours (AddressSanitizer watches the edges).
    auto* bytes = static_cast<std::uint8_t*>(desc.lpSurface);
    for (int y = 0; y < 128; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(bytes + y * desc.lPitch);
        for (int x = 0; x < 128; ++x) row[x] = static_cast<std::uint32_t>(y * 128 + x);
    }
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
    EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);
    // The memory keeps what was written between locks.
    EXPECT_EQ(Pixel(5, 7), 7u * 128 + 5);
    EXPECT_EQ(Pixel(127, 127), 127u * 128 + 127);
}

TEST_F(DDrawSurface, LockOfARectanglePointsAtItsCorner) {
    Create(64, 32);
    DDSURFACEDESC whole{}, part{};
    whole.dwSize = part.dwSize = sizeof(DDSURFACEDESC);
    ASSERT_EQ(surface->Lock(nullptr, &whole, DDLOCK_WAIT, nullptr), DD_OK);
    ASSERT_EQ(surface->Unlock(whole.lpSurface), DD_OK);
    RECT rect{10, 4, 20, 8};
    ASSERT_EQ(surface->Lock(&rect, &part, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(static_cast<std::uint8_t*>(part.lpSurface) - static_cast<std::uint8_t*>(whole.lpSurface),
              4 * whole.lPitch + 10 * 4);
    EXPECT_EQ(surface->Unlock(whole.lpSurface), DDERR_INVALIDPARAMS);  // not what this lock gave
    EXPECT_EQ(surface->Unlock(part.lpSurface), DD_OK);

    for (RECT bad : {RECT{-1, 0, 4, 4}, RECT{0, 0, 65, 4}, RECT{0, 0, 4, 33}, RECT{8, 0, 8, 4}, RECT{8, 4, 2, 1}}) {
        EXPECT_EQ(surface->Lock(&bad, &part, DDLOCK_WAIT, nullptr), DDERR_INVALIDRECT)
            << bad.left << "," << bad.top << "," << bad.right << "," << bad.bottom;
    }
    DDSURFACEDESC wrongSize{};
    wrongSize.dwSize = 108;  // the 32-bit layout's size is not this host's
    EXPECT_EQ(surface->Lock(nullptr, &wrongSize, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface->Lock(nullptr, nullptr, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DDrawSurface, BadDescriptionsAreRefused) {
    struct Case {
        const char* what;
        void (*spoil)(DDSURFACEDESC&);
        HRESULT expected;
    };
    const Case cases[] = {
        {"size of the 32-bit layout", [](DDSURFACEDESC& d) { d.dwSize = 108; }, DDERR_INVALIDPARAMS},
        {"size zero", [](DDSURFACEDESC& d) { d.dwSize = 0; }, DDERR_INVALIDPARAMS},
        {"no caps flag", [](DDSURFACEDESC& d) { d.dwFlags &= ~DDSD_CAPS; }, DDERR_INVALIDPARAMS},
        {"no width flag", [](DDSURFACEDESC& d) { d.dwFlags &= ~DDSD_WIDTH; }, DDERR_INVALIDPARAMS},
        {"no height flag", [](DDSURFACEDESC& d) { d.dwFlags &= ~DDSD_HEIGHT; }, DDERR_INVALIDPARAMS},
        {"client memory", [](DDSURFACEDESC& d) { d.dwFlags |= DDSD_LPSURFACE; }, DDERR_INVALIDPARAMS},
        {"zero width", [](DDSURFACEDESC& d) { d.dwWidth = 0; }, DDERR_INVALIDPARAMS},
        {"zero height", [](DDSURFACEDESC& d) { d.dwHeight = 0; }, DDERR_INVALIDPARAMS},
        {"negative width", [](DDSURFACEDESC& d) { d.dwWidth = static_cast<DWORD>(-128); }, DDERR_TOOBIGWIDTH},
        {"negative height", [](DDSURFACEDESC& d) { d.dwHeight = static_cast<DWORD>(-1); }, DDERR_TOOBIGHEIGHT},
        {"huge width", [](DDSURFACEDESC& d) { d.dwWidth = 1u << 20; }, DDERR_TOOBIGWIDTH},
        {"huge height", [](DDSURFACEDESC& d) { d.dwHeight = 65536; }, DDERR_TOOBIGHEIGHT},
        {"primary surface", [](DDSURFACEDESC& d) { d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE; }, DDERR_INVALIDCAPS},
        {"video memory", [](DDSURFACEDESC& d) { d.ddsCaps.dwCaps |= DDSCAPS_VIDEOMEMORY; }, DDERR_INVALIDCAPS},
        {"16-bit format",
         [](DDSURFACEDESC& d) {
             d.dwFlags |= DDSD_PIXELFORMAT;
             d.ddpfPixelFormat = DDPIXELFORMAT{};
             d.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
             d.ddpfPixelFormat.dwFlags = DDPF_RGB;
             d.ddpfPixelFormat.dwRGBBitCount = 16;
             d.ddpfPixelFormat.dwRBitMask = 0xF800;
             d.ddpfPixelFormat.dwGBitMask = 0x07E0;
             d.ddpfPixelFormat.dwBBitMask = 0x001F;
         },
         DDERR_INVALIDPIXELFORMAT},
    };
    for (const Case& c : cases) {
        DDSURFACEDESC desc = TextureDesc(128, 128);
        c.spoil(desc);
        IDirectDrawSurface* made = reinterpret_cast<IDirectDrawSurface*>(&desc);  // must be overwritten
        EXPECT_EQ(dd->CreateSurface(&desc, &made, nullptr), c.expected) << c.what;
        EXPECT_EQ(made, nullptr) << c.what;
    }
    DDSURFACEDESC desc = TextureDesc(16, 16);
    EXPECT_TRUE(FAILED(dd->CreateSurface(nullptr, &surface, nullptr)));
    EXPECT_TRUE(FAILED(dd->CreateSurface(&desc, nullptr, nullptr)));
    EXPECT_TRUE(FAILED(dd->CreateSurface(&desc, &surface, dd)));  // no aggregation
    EXPECT_EQ(surface, nullptr);

    // The display's own format, asked for explicitly, is fine.
    desc.dwFlags |= DDSD_PIXELFORMAT;
    desc.ddpfPixelFormat = DDPIXELFORMAT{};
    desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    desc.ddpfPixelFormat.dwFlags = DDPF_RGB;
    desc.ddpfPixelFormat.dwRGBBitCount = 32;
    desc.ddpfPixelFormat.dwRBitMask = 0x00FF0000;
    desc.ddpfPixelFormat.dwGBitMask = 0x0000FF00;
    desc.ddpfPixelFormat.dwBBitMask = 0x000000FF;
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
}

TEST_F(DDrawSurface, LockAndDeviceContextExcludeEachOther) {
    Create(32, 32);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    HDC dc = nullptr;
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(surface->GetDC(&dc), DDERR_SURFACEBUSY);
    EXPECT_EQ(dc, nullptr);
    ASSERT_EQ(surface->Unlock(nullptr), DD_OK);

    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    ASSERT_NE(dc, nullptr);
    HDC second = nullptr;
    EXPECT_EQ(surface->GetDC(&second), DDERR_DCALREADYCREATED);
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    HDC desktop = GetDC(nullptr);
    EXPECT_EQ(surface->ReleaseDC(desktop), DDERR_INVALIDPARAMS);  // not this surface's
    EXPECT_EQ(ReleaseDC(nullptr, desktop), 1);
    EXPECT_EQ(surface->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(surface->ReleaseDC(dc), DDERR_NODC);
    // The handed-back context is gone: drawing calls on it fail quietly.
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
    EXPECT_EQ(LineTo(dc, 5, 5), FALSE);
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
}

TEST_F(DDrawSurface, ReleasingWithTheContextOutRetiresTheContext) {
    Create(16, 16);
    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HGDIOBJ old = SelectObject(dc, brush);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(surface->Release(), 0u);
    surface = nullptr;
    // The pixels are freed; the stale context must not reach them.
    EXPECT_EQ(FloodFill(dc, 1, 1, RGB(0, 255, 0)), FALSE);
    EXPECT_EQ(GetPixel(dc, 1, 1), CLR_INVALID);
    // The brush outlived the context and is still ours to delete.
    COLORREF color = 0;
    EXPECT_TRUE(gdi::BrushColor(brush, &color));
    EXPECT_EQ(color, RGB(1, 2, 3));
    EXPECT_EQ(DeleteObject(brush), TRUE);
    EXPECT_FALSE(gdi::BrushColor(brush, &color));
}

// The wall texture exactly as the court paints it.
TEST_F(DDrawSurface, CourtTexturePaintsThroughTheDeviceContext) {
    Create(128, 128);
    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    HBRUSH brush = CreateSolidBrush(RGB(250, 250, 250));
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 250, 0));
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    ASSERT_NE(oldBrush, nullptr);
    ASSERT_NE(SelectObject(dc, pen), nullptr);
    EXPECT_EQ(FloodFill(dc, 10, 10, RGB(0, 255, 0)), TRUE);
    EXPECT_EQ(MoveToEx(dc, 0, 64, nullptr), TRUE);
    EXPECT_EQ(LineTo(dc, 127, 64), TRUE);
    EXPECT_EQ(SelectObject(dc, oldBrush), brush);
    ASSERT_EQ(surface->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(DeleteObject(brush), TRUE);
    EXPECT_EQ(DeleteObject(pen), TRUE);

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    auto* bytes = static_cast<const std::uint8_t*>(desc.lpSurface);
    auto at = [&](int x, int y) {
        return reinterpret_cast<const std::uint32_t*>(bytes + y * desc.lPitch)[x] & 0x00FFFFFFu;
    };
    const std::uint32_t white = 0x00FAFAFA, green = 0x0000FA00;
    int wrong = 0;
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            // Two rows straddling row 64's top edge (texture v = 0.5); the end point is left out.
            bool onLine = (y == 63 || y == 64) && x < 127;
            if (at(x, y) != (onLine ? green : white)) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(at(0, 64), green);
    EXPECT_EQ(at(126, 63), green);
    EXPECT_EQ(at(127, 64), white);
    EXPECT_EQ(at(64, 62), white);
    EXPECT_EQ(at(64, 65), white);
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
}

TEST_F(DDrawSurface, ColorrefBecomesDisplayPixelOrder) {
    Create(8, 8);
    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    HBRUSH brush = CreateSolidBrush(RGB(0x12, 0x34, 0x56));  // COLORREF 0x00563412
    HGDIOBJ old = SelectObject(dc, brush);
    EXPECT_EQ(FloodFill(dc, 0, 0, RGB(255, 255, 255)), TRUE);
    EXPECT_EQ(GetPixel(dc, 7, 7), RGB(0x12, 0x34, 0x56));
    SelectObject(dc, old);
    ASSERT_EQ(surface->ReleaseDC(dc), DD_OK);
    DeleteObject(brush);
    EXPECT_EQ(Pixel(3, 3), 0x00123456u);
}

}  // namespace

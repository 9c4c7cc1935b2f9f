// Devices made the game's way: on a window from the window system, through a
// DirectDraw clipper, for either kind of device GUID.
#include "platform/ddraw/ddraw.h"
#include "platform/win/window_system.h"
#include "tests/d3drm/rm_helpers.h"
#include "tests/support/gl_required.h"

namespace rmtest {
namespace {

HWND MakeWindow() {
    WNDCLASSA wc{};
    if (!GetClassInfoA(GetModuleHandleA(nullptr), "RmClipperTest", &wc)) {
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "RmClipperTest";
        if (!RegisterClassA(&wc)) return nullptr;
    }
    return CreateWindowExA(0, "RmClipperTest", "rm", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

TEST(ClipperDevice, EveryDeviceKindDrawsIntoTheClippersWindow) {
    KESTROVA_REQUIRE_GL(gl::ProbeRenderer().available);
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    RECT client{};
    GetClientRect(window, &client);
    ASSERT_GT(client.right, 0);
    Ref<IDirectDrawClipper> clipper;
    ASSERT_EQ(DirectDrawCreateClipper(0, clipper.out(), nullptr), DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
    Ref<IDirect3DRM> rm;
    Ref<IDirect3DRMFrame> scene, camera;
    ASSERT_EQ(Direct3DRMCreate(rm.out()), D3DRM_OK);
    rm->CreateFrame(nullptr, scene.out());
    rm->CreateFrame(scene, camera.out());
    scene->SetSceneBackground(RGB_MAKE(200, 30, 40));

    GUID hal = IID_IDirect3DHALDevice, rgb = IID_IDirect3DRGBDevice;
    for (GUID* guid : {&hal, &rgb, static_cast<GUID*>(nullptr)}) {
        Ref<IDirect3DRMDevice> device;
        HRESULT made = rm->CreateDeviceFromClipper(clipper, guid, client.right, client.bottom, device.out());
        ASSERT_EQ(made, D3DRM_OK);
        EXPECT_EQ(device->GetWidth(), static_cast<DWORD>(client.right));
        Ref<IDirect3DRMViewport> viewport;
        ASSERT_EQ(rm->CreateViewport(device, camera, 0, 0, device->GetWidth(), device->GetHeight(), viewport.out()),
                  D3DRM_OK);
        ASSERT_EQ(rm->Tick(0.066f), D3DRM_OK);
        std::uint32_t pixel = 0;
        ASSERT_TRUE(ReadDevicePixels(device, 10, 10, pixel));
        EXPECT_EQ(pixel, 0xC81E28u);
    }

    // A window that goes away leaves its device unable to draw, not broken.
    Ref<IDirect3DRMDevice> device;
    ASSERT_EQ(rm->CreateDeviceFromClipper(clipper, nullptr, 64, 64, device.out()), D3DRM_OK);
    Ref<IDirect3DRMViewport> viewport;
    rm->CreateViewport(device, camera, 0, 0, 64, 64, viewport.out());
    DestroyWindow(window);
    EXPECT_EQ(device->Update(), D3DRMERR_BADDEVICE);
    EXPECT_EQ(rm->Tick(0.066f), D3DRMERR_BADDEVICE);
    std::uint32_t pixel = 0;
    EXPECT_FALSE(ReadDevicePixels(device, 1, 1, pixel));
    Ref<IDirect3DRMDevice> none;
    EXPECT_EQ(rm->CreateDeviceFromClipper(clipper, nullptr, 64, 64, none.out()), D3DRMERR_BADOBJECT);
}

// The clipper's reference count, read without changing it.
ULONG Refs(IDirectDrawClipper* clipper) {
    clipper->AddRef();
    return clipper->Release();
}

TEST(ClipperDevice, TheDeviceHoldsItsClipperAndRefusesNonsense) {
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    KESTROVA_REQUIRE_GL(gl::PrepareForWindows());
    Ref<IDirectDrawClipper> clipper;
    ASSERT_EQ(DirectDrawCreateClipper(0, clipper.out(), nullptr), DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
    Ref<IDirect3DRM> rm;
    ASSERT_EQ(Direct3DRMCreate(rm.out()), D3DRM_OK);
    const ULONG alone = Refs(clipper);

    Ref<IDirect3DRMDevice> device;
    EXPECT_EQ(rm->CreateDeviceFromClipper(nullptr, nullptr, 64, 64, device.out()), D3DRMERR_BADVALUE);
    EXPECT_EQ(rm->CreateDeviceFromClipper(clipper, nullptr, 64, 64, nullptr), D3DRMERR_BADVALUE);
    EXPECT_EQ(rm->CreateDeviceFromClipper(clipper, nullptr, 0, 0, device.out()), D3DRMERR_BADVALUE);
    EXPECT_EQ(device.p, nullptr);
    EXPECT_EQ(Refs(clipper), alone);

    ASSERT_EQ(rm->CreateDeviceFromClipper(clipper, nullptr, 64, 64, device.out()), D3DRM_OK);
    EXPECT_EQ(Refs(clipper), alone + 1);
    {
        Ref<IDirect3DRMDevice> second;
        ASSERT_EQ(rm->CreateDeviceFromClipper(clipper, nullptr, 32, 32, second.out()), D3DRM_OK);
        EXPECT_EQ(Refs(clipper), alone + 2);
    }
    EXPECT_EQ(Refs(clipper), alone + 1);
    device.reset();
    EXPECT_EQ(Refs(clipper), alone);
    DestroyWindow(window);
}

}  // namespace
}  // namespace rmtest

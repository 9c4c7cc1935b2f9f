// A scene built with Retained Mode calls, drawn by a render view into a real X
// window (under Xvfb), checked both in the device and on the window itself.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/view_manager.h"
#include "platform/d3drm/d3drm_testing.h"
#include "platform/gl/gl_probe.h"
#include "render/camera_rig.h"
#include "render/graphics_startup.h"
#include "render/render_view.h"
#include "tests/app/recording_view.h"
#include "tests/e2e/program_runner.h"
#include "tests/support/gl_required.h"
#include "tests/support/window_capture.h"

namespace {

// What the X server shows of the window: the proof that the picture was presented.
capture::Image Screenshot(const char* title) {
    capture::Image image;
    std::string id = e2e::Shell(std::string("xdotool search --name '^") + title + "$' | head -1");
    EXPECT_FALSE(id.empty());
    EXPECT_TRUE(capture::CaptureWindow(id, image));
    return image;
}

TEST(WindowPicture, ALitCubeOnTheBackgroundAppearsInTheWindow) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "this test needs an X display";
    ResetViewManager();
    KESTROVA_REQUIRE_GL(plat::gl::ProbeRenderer().available);
    ASSERT_TRUE(viewManager.StartGraphics(nullptr));

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "WindowPictureTest";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "WindowPictureTest", "picture", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);

    auto* view = new RenderView;
    view->AttachWindow(window);
    ASSERT_TRUE(view->deviceReady);
    view->SetBackgroundRGB(0.0f, 0.5f, 0.0f);
    view->cameraRig->SetPosition(0, -30, 0);
    view->cameraRig->SetDirection(0, 1, 0);
    view->cameraRig->SetUp(0, 0, 1);

    IDirect3DRMMeshBuilder* cube = nullptr;
    retainedMode->CreateMeshBuilder(&cube);
    const float a = 5;
    const D3DVECTOR faces[6][4] = {
        {{-a, -a, a}, {a, -a, a}, {a, a, a}, {-a, a, a}},     {{-a, -a, -a}, {-a, a, -a}, {a, a, -a}, {a, -a, -a}},
        {{-a, -a, -a}, {-a, -a, a}, {-a, a, a}, {-a, a, -a}}, {{a, -a, -a}, {a, a, -a}, {a, a, a}, {a, -a, a}},
        {{-a, -a, -a}, {a, -a, -a}, {a, -a, a}, {-a, -a, a}}, {{-a, a, -a}, {-a, a, a}, {a, a, a}, {a, a, -a}}};
    for (const auto& corners : faces) {
        IDirect3DRMFace* face = nullptr;
        cube->CreateFace(&face);
        for (const D3DVECTOR& c : corners) face->AddVertex(c.x, c.y, c.z);
        face->Release();
    }
    cube->SetColor(0xFFFF0000);
    IDirect3DRMFrame* holder = nullptr;
    retainedMode->CreateFrame(view->world, &holder);
    holder->AddVisual(cube);
    IDirect3DRMLight* ambient = nullptr;
    retainedMode->CreateLightRGB(D3DRMLIGHT_AMBIENT, 1, 1, 1, &ambient);
    view->world->AddLight(ambient);

    // Let the window be mapped and painted once, as it would be before the game draws.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);

    // The device covers the window, so it draws into the window's back
    // buffer: its picture is read there before Update presents it.
    EXPECT_TRUE(DeviceDrawsToWindow(view->device));
    ASSERT_EQ(view->viewport->Clear(), D3DRM_OK);
    ASSERT_EQ(view->viewport->Render(view->scene), D3DRM_OK);
    std::uint32_t device = 0;
    ASSERT_TRUE(ReadDevicePixels(view->device, 160, 120, device));
    EXPECT_EQ(device, 0xFF0000u) << std::hex << device;
    ASSERT_TRUE(ReadDevicePixels(view->device, 5, 5, device));
    EXPECT_EQ(device & 0xFF00FFu, 0u);
    EXPECT_NEAR(static_cast<int>((device >> 8) & 0xFF), 128, 2);
    ASSERT_EQ(view->device->Update(), D3DRM_OK);

    capture::Image shown = Screenshot("picture");
    ASSERT_EQ(shown.width, 320);
    ASSERT_EQ(shown.height, 240);
    EXPECT_EQ(shown.At(160, 120), 0xFF0000u) << "the picture must reach the window";
    std::uint32_t corner = shown.At(5, 5);
    EXPECT_EQ(corner & 0xFF00FFu, 0u) << std::hex << corner;
    EXPECT_NEAR(static_cast<int>((corner >> 8) & 0xFF), 128, 2);

    ambient->Release();
    holder->Release();
    cube->Release();
    viewManager.ShutdownGraphics();
    DestroyWindow(window);
}

}  // namespace

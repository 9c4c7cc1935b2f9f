// A render view on a real (offscreen) window with the real graphics stack.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "platform/d3drm/d3drm_testing.h"
#include "platform/gl/gl_probe.h"
#include "render/camera_rig.h"
#include "render/graphics_startup.h"
#include "tests/app/recording_view.h"
#include "tests/support/gl_required.h"

namespace {

constexpr char kTestClass[] = "RenderViewTestWindow";

class RenderViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetViewManager();
        KESTROVA_REQUIRE_GL(plat::gl::ProbeRenderer().available);
        ASSERT_TRUE(viewManager.StartGraphics(nullptr));
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = kTestClass;
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, kTestClass, "test", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOW);
    }
    void TearDown() override {
        viewManager.ShutdownGraphics();
        if (window) DestroyWindow(window);
        ResetViewManager();
    }

    std::uint32_t Pixel(RenderView* view, int x, int y) {
        std::uint32_t rgb = 0xDEADBEEF;
        EXPECT_TRUE(ReadDevicePixels(view->device, x, y, rgb));
        return rgb;
    }

    HWND window = nullptr;
};

TEST_F(RenderViewTest, ASecondStartChangesNothing) {
    IDirect3DRM* first = retainedMode;
    int devices = deviceCount;
    EXPECT_TRUE(viewManager.StartGraphics(nullptr));
    EXPECT_EQ(retainedMode, first);
    EXPECT_EQ(deviceCount, devices);
    EXPECT_GE(deviceCount, 1);
    EXPECT_EQ(screenBitDepth, 32) << "a true-colour desktop reports 32 bits";
}

TEST_F(RenderViewTest, DrawBeforeAttachingFails) {
    auto* view = new RenderView;
    EXPECT_FALSE(view->Draw());
}

TEST_F(RenderViewTest, AttachingBuildsADeviceAndViewportTheSizeOfTheClientArea) {
    RECT client{};
    GetClientRect(window, &client);
    ASSERT_EQ(client.right, 640);
    ASSERT_EQ(client.bottom, 480);

    auto* view = new RenderView;
    view->AttachWindow(window);
    ASSERT_TRUE(view->deviceReady);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(view));
    EXPECT_EQ(view->device->GetWidth(), 640u);
    EXPECT_EQ(view->device->GetHeight(), 480u);
    EXPECT_EQ(view->viewport->GetX(), 0);
    EXPECT_EQ(view->viewport->GetY(), 0);
    EXPECT_EQ(view->viewport->GetWidth(), 640u);
    EXPECT_EQ(view->viewport->GetHeight(), 480u);
    EXPECT_FLOAT_EQ(view->viewport->GetBack(), 2000.0f);
    EXPECT_EQ(view->device->GetQuality(), static_cast<D3DRMRENDERQUALITY>(D3DRMRENDER_GOURAUD));

    IDirect3DRMFrame* camera = nullptr;
    view->viewport->GetCamera(&camera);
    EXPECT_EQ(camera, view->cameraRig->cameraFrame);
    if (camera) camera->Release();

    view->SetBackgroundRGB(0.0f, 0.5f, 0.0f);
    ASSERT_TRUE(view->Draw());
    std::uint32_t green = Pixel(view, 320, 240);
    EXPECT_EQ(green & 0xFF00FFu, 0u);
    EXPECT_NEAR(static_cast<int>((green >> 8) & 0xFF), 128, 2);
}

TEST_F(RenderViewTest, QualityFollowsTheDesktopDepth) {
    auto* view = new RenderView;
    view->AttachWindow(window);
    ASSERT_TRUE(view->deviceReady);
    struct Case {
        int depth;
        DWORD shades, textureColors, textureShades;
    } cases[] = {{16, 32, 128, 256}, {24, 256, 64, 256}, {32, 256, 64, 256}, {1, 4, 64, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depth);
        retainedMode->SetDefaultTextureColors(64);
        screenBitDepth = c.depth;
        EXPECT_TRUE(view->ApplyQuality());
        EXPECT_EQ(view->device->GetShades(), c.shades);
        EXPECT_EQ(DefaultTextureColors(retainedMode), c.textureColors);
        EXPECT_EQ(DefaultTextureShades(retainedMode), c.textureShades);
    }

    // At 8 bits none of the three is set.
    view->device->SetShades(7);
    retainedMode->SetDefaultTextureColors(9);
    retainedMode->SetDefaultTextureShades(11);
    screenBitDepth = 8;
    EXPECT_TRUE(view->ApplyQuality());
    EXPECT_EQ(view->device->GetShades(), 7u);
    EXPECT_EQ(DefaultTextureColors(retainedMode), 9u);
    EXPECT_EQ(DefaultTextureShades(retainedMode), 11u);
    screenBitDepth = 32;
}

TEST_F(RenderViewTest, AMinimisedWindowHasNoDeviceUntilItIsRestored) {
    auto* view = new RenderView;
    view->AttachWindow(window);
    ASSERT_TRUE(view->Draw());

    ShowWindow(window, SW_MINIMIZE);
    view->Resize(window);
    EXPECT_FALSE(view->deviceReady);
    EXPECT_EQ(view->device, nullptr);
    EXPECT_FALSE(view->Draw());

    ShowWindow(window, SW_RESTORE);
    view->Resize(window);
    ASSERT_TRUE(view->deviceReady);
    EXPECT_EQ(view->device->GetWidth(), 640u);
    EXPECT_TRUE(view->Draw());
}

TEST_F(RenderViewTest, TwoTimerTicksMoveTheSceneByTheirSumInOneIdlePass) {
    auto* view = new RecordingView;
    view->AttachWindow(window);
    IDirect3DRMFrame* mover = nullptr;
    retainedMode->CreateFrame(view->world, &mover);
    ASSERT_NE(mover, nullptr);
    mover->SetVelocity(view->scene, 10.0f, 0.0f, -5.0f, FALSE);

    viewManager.TimerTick();
    viewManager.TimerTick();
    EXPECT_EQ(view->ticks, 2);
    viewManager.IdleRender();
    EXPECT_EQ(viewManager.tickTime, 0.0f);

    D3DVECTOR at{};
    mover->GetPosition(view->scene, &at);
    EXPECT_NEAR(at.x, 1.32f, 1e-4f);
    EXPECT_NEAR(at.z, -0.66f, 1e-4f);

    // Nothing pending and nothing changed: no step at all.
    viewManager.IdleRender();
    mover->GetPosition(view->scene, &at);
    EXPECT_NEAR(at.x, 1.32f, 1e-4f);
    mover->Release();
}

TEST_F(RenderViewTest, AnIdlePassWithNothingToDoNeitherMovesNorDraws) {
    auto* view = new RenderView;
    view->AttachWindow(window);
    ASSERT_TRUE(view->deviceReady);
    IDirect3DRMFrame* mover = nullptr;
    retainedMode->CreateFrame(view->world, &mover);
    ASSERT_NE(mover, nullptr);
    mover->SetVelocity(view->scene, 10.0f, 0.0f, -5.0f, FALSE);
    view->SetBackgroundRGB(1.0f, 0.0f, 0.0f);
    ASSERT_TRUE(view->Draw());
    ASSERT_EQ(Pixel(view, 320, 240), 0xFF0000u);
    // Only a new picture would show this.
    view->SetBackgroundRGB(0.0f, 0.0f, 1.0f);

    viewManager.sceneChanged = false;
    viewManager.tickTime = 0.0f;
    viewManager.IdleRender();
    D3DVECTOR at{1, 1, 1};
    mover->GetPosition(view->scene, &at);
    EXPECT_EQ(at.x, 0.0f);
    EXPECT_EQ(at.z, 0.0f);
    EXPECT_EQ(Pixel(view, 320, 240), 0xFF0000u) << "nothing to do, yet the device was drawn";

    viewManager.tickTime = 0.5f;
    viewManager.IdleRender();
    mover->GetPosition(view->scene, &at);
    EXPECT_NEAR(at.x, 5.0f, 1e-5f);
    EXPECT_NEAR(at.z, -2.5f, 1e-5f);
    EXPECT_EQ(Pixel(view, 320, 240), 0x0000FFu);
    EXPECT_EQ(viewManager.tickTime, 0.0f);
    mover->Release();
}

}  // namespace

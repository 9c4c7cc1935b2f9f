// A device covering its whole window draws straight into the window's back
// buffer. What the X server shows of it must be, pixel for pixel, the picture
// the same scene gets through a framebuffer object.
#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ddraw/ddraw.h"
#include "tests/d3drm/rm_helpers.h"
#include "tests/e2e/program_runner.h"
#include "tests/support/window_capture.h"

namespace rmtest {
namespace {

constexpr int kWidth = 320, kHeight = 240;

// Pixels that differ between two pictures of the same size.
int Differences(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    if (a.size() != b.size()) return -1;
    int count = 0;
    for (std::size_t i = 0; i < a.size(); ++i) count += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
    return count;
}

// The top-left kWidth x kHeight of what the X server shows of the window.
std::vector<std::uint32_t> Shown(const char* title) {
    std::string id = e2e::Shell(std::string("xdotool search --name '^") + title + "$' | head -1");
    capture::Image image;
    EXPECT_FALSE(id.empty());
    if (!capture::CaptureWindow(id, image) || image.width < kWidth || image.height < kHeight) {
        ADD_FAILURE() << "no screenshot of " << title;
        return {};
    }
    std::vector<std::uint32_t> top;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) top.push_back(image.At(x, y));
    }
    return top;
}

void Pump(int milliseconds) {
    Uint32 end = SDL_GetTicks() + milliseconds;
    while (!SDL_TICKS_PASSED(SDL_GetTicks(), end)) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
        }
        SDL_Delay(10);
    }
}

class DirectPictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "this test needs an X display";
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        KESTROVA_REQUIRE_GL(gl::ProbeRenderer().available && gl::PrepareForWindows());
        // One window exactly the device's size, one larger, where the device
        // covers only a part and so keeps a framebuffer object.
        whole_ = SDL_CreateWindow("direct", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE);
        larger_ = SDL_CreateWindow("through", 400, 0, kWidth + 40, kHeight + 30, SDL_WINDOW_OPENGL);
        ASSERT_TRUE(whole_ && larger_) << SDL_GetError();
        Pump(300);  // mapped and placed by the window manager

        ASSERT_EQ(Direct3DRMCreate(rm.out()), D3DRM_OK);
        ASSERT_EQ(rm->CreateFrame(nullptr, scene.out()), D3DRM_OK);
        ASSERT_EQ(rm->CreateFrame(scene, camera.out()), D3DRM_OK);
        ASSERT_EQ(CreateDeviceOnNativeWindow(rm, whole_, kWidth, kHeight, direct.out()), D3DRM_OK);
        ASSERT_EQ(CreateDeviceOnNativeWindow(rm, larger_, kWidth, kHeight, through.out()), D3DRM_OK);
        for (IDirect3DRMDevice* d : {direct.p, through.p}) {
            d->SetQuality(D3DRMRENDER_GOURAUD);
            d->SetTextureQuality(D3DRMTEXTURE_LINEAR);
        }
        ASSERT_EQ(rm->CreateViewport(direct, camera, 0, 0, kWidth, kHeight, directView.out()), D3DRM_OK);
        ASSERT_EQ(rm->CreateViewport(through, camera, 0, 0, kWidth, kHeight, throughView.out()), D3DRM_OK);
        BuildScene();
    }

    void TearDown() override {
        directView.reset();
        throughView.reset();
        direct.reset();
        through.reset();
        camera.reset();
        scene.reset();
        rm.reset();
        for (SDL_Window* w : {whole_, larger_}) {
            if (!w) continue;
            gl::ReleaseWindow(w);
            SDL_DestroyWindow(w);
        }
    }

    // Asymmetric on purpose: a near square partly over a far one, a lit
    // smooth ball, a textured wall, and the camera rolled.
    void BuildScene() {
        scene->SetSceneBackgroundRGB(0, 0.5f, 0);
        camera->SetOrientation(scene, 0, 0, 1, 0.3f, 1, 0);
        Ref<IDirect3DRMMeshBuilder> near, far, ball, wall;
        for (auto* m : {&near, &far, &ball, &wall}) ASSERT_EQ(rm->CreateMeshBuilder(m->out()), D3DRM_OK);
        AddSquareFacingMinusZ(near, 1.5f);
        near->SetColor(RGB_MAKE(250, 20, 20));
        AddSquareFacingMinusZ(far, 3);
        far->SetColor(RGB_MAKE(20, 20, 250));
        AddSphere(ball, 1.2f, 12);
        ball->GenerateNormals();
        ball->SetColor(RGB_MAKE(240, 200, 40));
        Place(near, -1, 0.5f, 8);
        Place(far, 0, 0, 14);
        Place(ball, 2.5f, -1.5f, 9);

        Ref<IDirectDraw> dd;
        ASSERT_EQ(DirectDrawCreate(nullptr, dd.out(), nullptr), DD_OK);
        Ref<IDirectDrawSurface> surface;
        ASSERT_EQ(CreateTextureSurface(dd, 16, 16, surface.out()), DD_OK);
        ASSERT_TRUE(FillSurface(surface, [](DWORD x, DWORD y) { return ((x / 4 + y / 4) % 2) ? 0xF0F0F0u : 0x402080u; }));
        Ref<IDirect3DRMTexture> texture;
        ASSERT_EQ(rm->CreateTextureFromSurface(surface, texture.out()), D3DRM_OK);
        Ref<IDirect3DRMFace> face;
        ASSERT_EQ(wall->CreateFace(face.out()), D3DRM_OK);
        const float corners[4][4] = {{-6, -5, 0, 0}, {-6, -2, 0, 1}, {-2, -2, 1, 1}, {-2, -5, 1, 0}};
        for (int i = 0; i < 4; ++i) {
            face->AddVertex(corners[i][0], corners[i][1], 12 + corners[i][0]);
            face->SetTextureCoordinates(i, corners[i][2], corners[i][3]);
        }
        wall->SetTexture(texture);
        wall->SetPerspective(TRUE);
        Place(wall, 0, 0, 0);

        Ref<IDirect3DRMFrame> lightFrame;
        Ref<IDirect3DRMLight> sun, ambient;
        ASSERT_EQ(rm->CreateFrame(scene, lightFrame.out()), D3DRM_OK);
        lightFrame->SetOrientation(scene, 0.5f, -0.4f, 1, 0, 1, 0);
        rm->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, 0.7f, 0.7f, 0.7f, sun.out());
        rm->CreateLightRGB(D3DRMLIGHT_AMBIENT, 0.3f, 0.3f, 0.3f, ambient.out());
        lightFrame->AddLight(sun);
        scene->AddLight(ambient);
    }

    void Place(IDirect3DRMMeshBuilder* mesh, float x, float y, float z) {
        Ref<IDirect3DRMFrame> frame;
        ASSERT_EQ(rm->CreateFrame(scene, frame.out()), D3DRM_OK);
        frame->SetPosition(scene, x, y, z);
        frame->AddVisual(mesh);
    }

    // The picture through the framebuffer object: the reference.
    std::vector<std::uint32_t> Reference() {
        std::vector<std::uint32_t> image;
        EXPECT_TRUE(ReadDeviceImage(through, image));
        return image;
    }

    SDL_Window* whole_ = nullptr;
    SDL_Window* larger_ = nullptr;
    Ref<IDirect3DRM> rm;
    Ref<IDirect3DRMFrame> scene, camera;
    Ref<IDirect3DRMDevice> direct, through;
    Ref<IDirect3DRMViewport> directView, throughView;
};

TEST_F(DirectPictureTest, TheWindowShowsWhatTheFramebufferPathDraws) {
    ASSERT_TRUE(DeviceDrawsToWindow(direct));
    ASSERT_FALSE(DeviceDrawsToWindow(through));
    ASSERT_EQ(rm->Tick(0), D3DRM_OK);
    std::vector<std::uint32_t> reference = Reference();
    ASSERT_EQ(reference.size(), std::size_t{kWidth} * kHeight);
    EXPECT_EQ(Differences(Shown("direct"), reference), 0);
    EXPECT_EQ(Differences(Shown("through"), reference), 0);
    // Nothing to compare if the scene drew nothing but background.
    EXPECT_NE(reference[std::size_t{kHeight / 2} * kWidth + kWidth / 2 - 20], reference[0]);
}

TEST_F(DirectPictureTest, AWindowDeviceIsReadBeforeItsPictureIsPresentedAndAfterwardsKeepsAFramebuffer) {
    ASSERT_TRUE(DeviceDrawsToWindow(direct));
    ASSERT_EQ(rm->Tick(0), D3DRM_OK);
    std::vector<std::uint32_t> reference = Reference();

    std::vector<std::uint32_t> image;
    ASSERT_EQ(directView->Clear(), D3DRM_OK);
    ASSERT_EQ(directView->Render(scene), D3DRM_OK);
    ASSERT_TRUE(ReadDeviceImage(direct, image));
    EXPECT_EQ(Differences(image, reference), 0);
    ASSERT_EQ(direct->Update(), D3DRM_OK);
    EXPECT_EQ(Differences(Shown("direct"), reference), 0);

    // Presented, the back buffer no longer holds the picture: no read, and
    // the device keeps its later pictures where they can be read.
    EXPECT_FALSE(ReadDeviceImage(direct, image));
    EXPECT_FALSE(DeviceDrawsToWindow(direct));
    ASSERT_EQ(directView->Clear(), D3DRM_OK);
    ASSERT_EQ(directView->Render(scene), D3DRM_OK);
    ASSERT_EQ(direct->Update(), D3DRM_OK);
    ASSERT_TRUE(ReadDeviceImage(direct, image));
    EXPECT_EQ(Differences(image, reference), 0);
    EXPECT_EQ(Differences(Shown("direct"), reference), 0);
}

TEST_F(DirectPictureTest, AfterTheWindowGrowsTheOldDeviceStillShowsAtItsTopLeft) {
    ASSERT_TRUE(DeviceDrawsToWindow(direct));
    ASSERT_EQ(rm->Tick(0), D3DRM_OK);
    std::vector<std::uint32_t> reference = Reference();
    SDL_SetWindowSize(whole_, kWidth + 60, kHeight + 50);
    for (int i = 0; i < 100; ++i) {
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(whole_, &w, &h);
        if (w == kWidth + 60 && h == kHeight + 50) break;
        Pump(20);
    }
    // A picture drawn into the larger back buffer with the old height would
    // sit 50 rows low.
    ASSERT_EQ(directView->Clear(), D3DRM_OK);
    ASSERT_EQ(directView->Render(scene), D3DRM_OK);
    ASSERT_EQ(direct->Update(), D3DRM_OK);
    EXPECT_FALSE(DeviceDrawsToWindow(direct));
    EXPECT_EQ(Differences(Shown("direct"), reference), 0);
}

TEST_F(DirectPictureTest, ASecondDeviceOnTheWindowTurnsTheFirstToAFramebufferThatTickFills) {
    ASSERT_EQ(rm->Tick(0), D3DRM_OK);
    std::vector<std::uint32_t> reference = Reference();
    const std::uint64_t drawn = TickPictureCount(direct);
    Ref<IDirect3DRMDevice> corner;
    ASSERT_EQ(CreateDeviceOnNativeWindow(rm, whole_, kWidth / 2, kHeight / 2, corner.out()), D3DRM_OK);
    EXPECT_FALSE(DeviceDrawsToWindow(direct));
    EXPECT_FALSE(DeviceDrawsToWindow(corner));
    ASSERT_EQ(rm->Tick(0), D3DRM_OK);
    EXPECT_EQ(TickPictureCount(direct), drawn + 1);
    std::vector<std::uint32_t> image;
    ASSERT_TRUE(ReadDeviceImage(direct, image));
    EXPECT_EQ(Differences(image, reference), 0);
}

}  // namespace
}  // namespace rmtest

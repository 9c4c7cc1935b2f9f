// Tick draws a device again only when something it shows has changed, and the
// picture then left on it, made from what the device kept of earlier pictures,
// is always the one a full draw from scratch makes.
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/ddraw/ddraw.h"
#include "tests/d3drm/rm_helpers.h"

namespace rmtest {
namespace {

class TickRedrawTest : public RenderFixture {
protected:
    void SetUp() override {
        RenderFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        device->SetQuality(D3DRMRENDER_GOURAUD);
        device->SetTextureQuality(D3DRMTEXTURE_LINEAR);
        // The reference: a second device on the same camera, drawn in full on demand.
        ASSERT_EQ(CreateDeviceOnNativeWindow(rm, window_, kWidth, kHeight, fresh.out()), D3DRM_OK);
        ASSERT_EQ(rm->CreateViewport(fresh, camera, 0, 0, kWidth, kHeight, freshView.out()), D3DRM_OK);
        fresh->SetQuality(D3DRMRENDER_GOURAUD);
        fresh->SetTextureQuality(D3DRMTEXTURE_LINEAR);

        scene->SetSceneBackgroundRGB(0, 0.5f, 0);
        for (auto* m : {&cube, &wall, &ball}) ASSERT_EQ(rm->CreateMeshBuilder(m->out()), D3DRM_OK);
        AddCube(cube, 1.5f);
        cube->SetColor(RGB_MAKE(200, 60, 60));
        AddSphere(ball, 1, 8);
        ball->SetColor(RGB_MAKE(240, 240, 0));
        ASSERT_EQ(rm->CreateFrame(scene, box.out()), D3DRM_OK);
        box->SetPosition(scene, -1.5f, 0, 10);
        box->AddVisual(cube);
        ASSERT_EQ(rm->CreateFrame(nullptr, extra.out()), D3DRM_OK);  // hung in later
        extra->SetPosition(nullptr, 1, -2.5f, 9);
        extra->AddVisual(ball);
        MakeTexturedWall();

        Ref<IDirect3DRMLight> ambient;
        ASSERT_EQ(rm->CreateFrame(scene, lightFrame.out()), D3DRM_OK);
        lightFrame->SetOrientation(scene, 0.6f, -0.3f, 1, 0, 1, 0);
        rm->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, 0.7f, 0.7f, 0.7f, sun.out());
        rm->CreateLightRGB(D3DRMLIGHT_AMBIENT, 0.3f, 0.3f, 0.3f, ambient.out());
        lightFrame->AddLight(sun);
        scene->AddLight(ambient);
        ASSERT_EQ(rm->Tick(0), D3DRM_OK);
        ASSERT_TRUE(ReadDeviceImage(device, shown));
    }

    void MakeTexturedWall() {
        ASSERT_EQ(DirectDrawCreate(nullptr, dd.out(), nullptr), DD_OK);
        ASSERT_EQ(CreateTextureSurface(dd, 8, 8, surface.out()), DD_OK);
        Paint(0xF0F0F0, 0x3050A0);
        ASSERT_EQ(rm->CreateTextureFromSurface(surface, texture.out()), D3DRM_OK);
        ASSERT_EQ(wall->CreateFace(face.out()), D3DRM_OK);
        const float corners[4][4] = {{1, -2, 0, 1}, {1, 2, 0, 0}, {4, 2, 1, 0}, {4, -2, 1, 1}};
        for (int i = 0; i < 4; ++i) {
            face->AddVertex(corners[i][0], corners[i][1], 12);
            face->SetTextureCoordinates(i, corners[i][2], corners[i][3]);
        }
        wall->SetTexture(texture);
        Ref<IDirect3DRMFrame> holder;
        ASSERT_EQ(rm->CreateFrame(scene, holder.out()), D3DRM_OK);
        holder->AddVisual(wall);
    }

    // A checkerboard of 2 x 2 texels.
    void Paint(std::uint32_t a, std::uint32_t b) {
        ASSERT_TRUE(FillSurface(surface, [&](DWORD x, DWORD y) { return ((x / 2 + y / 2) % 2) ? a : b; }));
    }

    // Does `act`, ticks, and checks whether Tick drew and that the device shows
    // what a full draw of the scene as it now is shows.
    void Step(const char* what, bool changes, const std::function<void()>& act, float seconds = 0) {
        SCOPED_TRACE(what);
        const std::uint64_t before = TickPictureCount(device);
        std::vector<std::uint32_t> previous = shown;
        act();
        ASSERT_EQ(rm->Tick(seconds), D3DRM_OK);
        EXPECT_EQ(TickPictureCount(device) - before, changes ? 1u : 0u);
        ASSERT_TRUE(ReadDeviceImage(device, shown));
        ForgetKeptScene(fresh);
        ASSERT_EQ(freshView->Clear(), D3DRM_OK);
        ASSERT_EQ(freshView->Render(scene), D3DRM_OK);
        std::vector<std::uint32_t> reference;
        ASSERT_TRUE(ReadDeviceImage(fresh, reference));
        EXPECT_TRUE(shown == reference) << "the device does not show the scene as it is";
        // A change the picture would not show could hide a missed one.
        if (changes) {
            EXPECT_FALSE(shown == previous) << "the step changes nothing visible";
        }
    }

    // A setting that each viewport or device has for itself, given to both.
    void Both(const std::function<void(IDirect3DRMViewport*, IDirect3DRMDevice*)>& set) {
        set(viewport, device);
        set(freshView, fresh);
    }

    Ref<IDirect3DRMDevice> fresh;
    Ref<IDirect3DRMViewport> freshView;
    Ref<IDirect3DRMMeshBuilder> cube, wall, ball;
    Ref<IDirect3DRMFrame> box, extra, lightFrame;
    Ref<IDirect3DRMLight> sun;
    Ref<IDirectDraw> dd;
    Ref<IDirectDrawSurface> surface;
    Ref<IDirect3DRMTexture> texture;
    Ref<IDirect3DRMFace> face;
    std::vector<std::uint32_t> shown;
};

TEST_F(TickRedrawTest, EveryKindOfChangeIsDrawnByTheNextTick) {
    Step("frame moved", true, [&] { box->SetPosition(scene, -2, 0, 10); });
    Step("frame turned", true, [&] { box->SetOrientation(scene, 0.4f, 0, 1, 0, 1, 0); });
    Step("frame added", true, [&] { scene->AddChild(extra); });
    Step("visual removed", true, [&] { extra->DeleteVisual(ball); });
    Step("visual added", true, [&] { extra->AddVisual(ball); });
    Step("moving frame", true, [&] { box->SetVelocity(scene, 1, 0, 0, FALSE); }, 0.5f);
    box->SetVelocity(scene, 0, 0, 0, FALSE);
    Step("frame removed", true, [&] { scene->DeleteChild(extra); });
    Step("device quality", true, [&] { Both([](auto*, auto* d) { d->SetQuality(D3DRMRENDER_UNLITFLAT); }); });
    Both([](auto*, auto* d) { d->SetQuality(D3DRMRENDER_GOURAUD); });
    Step("mesh colour", true, [&] { cube->SetColor(RGB_MAKE(60, 60, 200)); });
    Step("mesh quality", true, [&] { cube->SetQuality(D3DRMRENDER_WIREFRAME); });
    Step("mesh scaled", true, [&] { cube->Scale(1.3f, 1.3f, 1.3f); });
    Step("mesh moved", true, [&] { cube->Translate(0.5f, 0, 0); });
    Step("face colour", true, [&] { face->SetColor(RGB_MAKE(255, 128, 128)); });
    Step("texture coordinates", true, [&] { face->SetTextureCoordinates(2, 2, 0); });
    Step("texture painted", true, [&] {
        Paint(0xFF0000, 0x0000FF);
        texture->Changed(TRUE, FALSE);
    });
    Step("texture filter", true, [&] { Both([](auto*, auto* d) { d->SetTextureQuality(D3DRMTEXTURE_NEAREST); }); });
    Step("texture removed", true, [&] { wall->SetTexture(nullptr); });
    Step("light colour", true, [&] { sun->SetColorRGB(0.7f, 0.7f, 0.2f); });
    Step("light type", true, [&] { sun->SetType(D3DRMLIGHT_AMBIENT); });
    Step("light removed", true, [&] { lightFrame->DeleteLight(sun); });
    Step("light added", true, [&] { box->AddLight(sun); });
    Step("background", true, [&] { scene->SetSceneBackgroundRGB(0.2f, 0.2f, 0.6f); });
    Step("camera moved", true, [&] { camera->SetPosition(scene, 0.5f, 0.5f, 0); });
    Step("field", true, [&] { Both([](auto* v, auto*) { v->SetField(0.7f); }); });
    Step("back plane", true, [&] { Both([](auto* v, auto*) { v->SetBack(11); }); });
}

// What a device keeps between pictures is redone where the scene changed: a
// row of bricks, each its own mesh, and a ball on a child frame go through
// moves, turns about each axis, removals, new faces and colours, textures,
// lights and camera turns, each picture held against one made from scratch.
TEST_F(TickRedrawTest, ALongRunOfChangesShowsWhatAFreshDrawShows) {
    constexpr int kBricks = 6;
    Ref<IDirect3DRMMeshBuilder> bricks[kBricks];
    Ref<IDirect3DRMFrame> brickFrames[kBricks], arm, hand;
    for (int i = 0; i < kBricks; ++i) {
        ASSERT_EQ(rm->CreateMeshBuilder(bricks[i].out()), D3DRM_OK);
        AddCube(bricks[i], 0.4f);
        bricks[i]->SetColor(RGB_MAKE(40 * i, 200 - 30 * i, 120));
        ASSERT_EQ(rm->CreateFrame(scene, brickFrames[i].out()), D3DRM_OK);
        brickFrames[i]->SetPosition(scene, -3.5f + 1.3f * i, 2.5f, 9);
        brickFrames[i]->AddVisual(bricks[i]);
    }
    ASSERT_EQ(rm->CreateFrame(scene, arm.out()), D3DRM_OK);
    arm->SetPosition(scene, 2.5f, -1.5f, 9);
    ASSERT_EQ(rm->CreateFrame(arm, hand.out()), D3DRM_OK);
    hand->SetPosition(arm, 0, 0, 0);
    hand->AddVisual(ball);
    ASSERT_EQ(rm->Tick(0), D3DRM_OK);
    ASSERT_TRUE(ReadDeviceImage(device, shown));

    const float c = std::cos(0.5f), s = std::sin(0.5f);
    Step("brick moved", true, [&] { brickFrames[2]->SetPosition(scene, -0.9f, 2.0f, 9); });
    Step("turned about x", true, [&] { brickFrames[0]->SetOrientation(scene, 0, -s, c, 0, c, s); });
    Step("turned about y", true, [&] { brickFrames[1]->SetOrientation(scene, s, 0, c, 0, 1, 0); });
    Step("rolled about z alone", true, [&] { brickFrames[3]->SetOrientation(scene, 0, 0, 1, -s, c, 0); });
    Step("parent moved", true, [&] { arm->SetPosition(scene, 2.0f, -1.0f, 9); });
    Step("parent rolled", true, [&] { hand->SetPosition(arm, 0.6f, 0, 0); arm->SetOrientation(scene, 0, 0, 1, s, c, 0); });
    Step("brick removed", true, [&] { scene->DeleteChild(brickFrames[4]); });
    Step("moved after a removal", true, [&] { brickFrames[5]->SetPosition(scene, 3.0f, 1.5f, 9); });
    Step("brick colour", true, [&] { bricks[5]->SetColor(RGB_MAKE(250, 250, 250)); });
    Step("face colour", true, [&] {
        Ref<IDirect3DRMFace> front;
        ASSERT_EQ(GetMeshFace(bricks[2], 1, front.out()), D3DRM_OK);
        front->SetColor(RGB_MAKE(0, 0, 0));
    });
    Step("face added", true, [&] { AddFace(bricks[2], {{-0.2f, -0.2f, -0.6f}, {-0.2f, 0.2f, -0.6f}, {0.2f, 0.2f, -0.6f}}); });
    Step("brick textured", true, [&] { bricks[0]->SetTexture(texture); });
    Step("texture painted", true, [&] {
        Paint(0xFF0000, 0x00FF00);
        texture->Changed(TRUE, FALSE);
    });
    Step("brick put back", true, [&] { scene->AddChild(brickFrames[4]); });
    Step("most removed", true, [&] {
        for (int i : {1, 3, 4, 5}) scene->DeleteChild(brickFrames[i]);
        scene->DeleteChild(arm);
    });
    Step("light turned", true, [&] { lightFrame->SetOrientation(scene, -0.5f, 0.4f, 1, 0, 1, 0); });
    Step("all back", true, [&] {
        for (int i : {1, 3, 4, 5}) scene->AddChild(brickFrames[i]);
        scene->AddChild(arm);
    });
    Step("camera turned", true, [&] { camera->SetOrientation(scene, 0.15f, 0, 1, 0, 1, 0); });
    Step("camera rolled", true, [&] { camera->SetOrientation(scene, 0, 0, 1, s, c, 0); });
    // Each slide along one axis alone turns some face to the eye that was not.
    Step("camera slid along x alone", true, [&] { camera->SetPosition(scene, 3, 0, 0); });
    Step("camera slid along y alone", true, [&] { camera->SetPosition(scene, 3, 3.5f, 0); });
    Step("camera looking along +x", true, [&] {
        camera->SetPosition(scene, -7, 2.5f, 9);
        camera->SetOrientation(scene, 1, 0, 0, 0, 1, 0);
    });
    Step("camera slid along z alone", true, [&] { camera->SetPosition(scene, -7, 2.5f, 10.5f); });
    Step("wireframe from aside", true, [&] { Both([](auto*, auto* d) { d->SetQuality(D3DRMRENDER_WIREFRAME); }); });
    Step("camera back", true, [&] {
        camera->SetPosition(scene, 0, 0, 0);
        camera->SetOrientation(scene, 0, 0, 1, 0, 1, 0);
    });
}

TEST_F(TickRedrawTest, SettingWhatIsAlreadyThereDrawsNothing) {
    Step("a tick with nothing moving", false, [] {}, 0.5f);
    box->SetVelocity(scene, 1, 0, 0, FALSE);
    Step("a moving frame in a tick of no time", false, [] {});
    box->SetVelocity(scene, 0, 0, 0, FALSE);
    Step("frame", false, [&] {
        box->SetPosition(scene, -1.5f, 0, 10);
        box->SetOrientation(scene, 0, 0, 1, 0, 1, 0);
        box->AddVisual(cube);
        scene->AddChild(box);
        lightFrame->AddLight(sun);
        scene->SetSceneBackgroundRGB(0, 0.5f, 0);
    });
    Step("mesh and face", false, [&] {
        cube->SetColor(RGB_MAKE(200, 60, 60));
        cube->SetQuality(D3DRMRENDER_GOURAUD);
        cube->Scale(1, 1, 1);
        cube->Translate(0, 0, 0);
        wall->SetTexture(texture);
        face->SetTextureCoordinates(0, 0, 1);
    });
    Step("light, camera, viewport, device", false, [&] {
        sun->SetColorRGB(0.7f, 0.7f, 0.7f);
        sun->SetType(D3DRMLIGHT_DIRECTIONAL);
        camera->SetPosition(scene, 0, 0, 0);
        viewport->SetCamera(camera);
        viewport->SetField(0.5f);
        viewport->SetBack(100);
        device->SetQuality(D3DRMRENDER_GOURAUD);
        device->SetTextureQuality(D3DRMTEXTURE_LINEAR);
    });
}

TEST_F(TickRedrawTest, ANewViewportOrAPictureDrawnByOtherHandsIsFollowedByAFullTick) {
    const std::uint64_t before = TickPictureCount(device);
    Ref<IDirect3DRMViewport> corner;
    ASSERT_EQ(rm->CreateViewport(device, camera, 0, 0, kWidth / 2, kHeight / 2, corner.out()), D3DRM_OK);
    ASSERT_EQ(rm->Tick(0), D3DRM_OK);
    EXPECT_EQ(TickPictureCount(device), before + 1);
    std::vector<std::uint32_t> whole, image;
    ASSERT_TRUE(ReadDeviceImage(device, whole));
    EXPECT_FALSE(whole == shown) << "the corner viewport shows nothing of its own";

    ASSERT_EQ(corner->Clear(), D3DRM_OK);  // no change to the scene, but to the picture
    ASSERT_EQ(rm->Tick(0), D3DRM_OK);
    EXPECT_EQ(TickPictureCount(device), before + 2);
    ASSERT_TRUE(ReadDeviceImage(device, image));
    EXPECT_TRUE(image == whole);
    ASSERT_EQ(rm->Tick(0), D3DRM_OK);
    EXPECT_EQ(TickPictureCount(device), before + 2);
}

}  // namespace
}  // namespace rmtest

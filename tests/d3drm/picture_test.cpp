// Pictures drawn offscreen through the OpenGL renderer and checked by pixel.
#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/ddraw/ddraw.h"
#include "tests/d3drm/rm_helpers.h"

namespace rmtest {
namespace {

class PictureTest : public RenderFixture {
protected:
    void SetUp() override {
        RenderFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        scene->SetSceneBackgroundRGB(0, 0.5f, 0);
        ASSERT_EQ(rm->CreateMeshBuilder(mesh.out()), D3DRM_OK);
    }

    // Largest step between neighbouring pixels along row y from x0 to x1.
    int RoughestStep(int y, int x0, int x1) {
        int worst = 0;
        std::uint32_t prev = Pixel(x0, y);
        for (int x = x0 + 1; x <= x1; ++x) {
            std::uint32_t p = Pixel(x, y);
            worst = std::max(worst, std::abs(Channel(p, 16) - Channel(prev, 16)));
            prev = p;
        }
        return worst;
    }

    static constexpr std::uint32_t kBackground = 0x007F00;
    Ref<IDirect3DRMMeshBuilder> mesh;
};

TEST_F(PictureTest, ClearShowsTheSceneBackground) {
    Draw();
    EXPECT_TRUE(ColorNear(Pixel(0, 0), kBackground, 0));
    EXPECT_TRUE(ColorNear(Pixel(kWidth - 1, kHeight - 1), kBackground, 0));
    scene->SetSceneBackground(RGB_MAKE(10, 20, 250));
    Draw();
    EXPECT_TRUE(ColorNear(Pixel(kWidth / 2, kHeight / 2), 0x0A14FA, 0));
}

TEST_F(PictureTest, AFaceShowsItsFrontAndNeverItsBack) {
    AddSquareFacingMinusZ(mesh, 2);
    mesh->SetColor(RGB_MAKE(255, 0, 0));
    Ref<IDirect3DRMFrame> frame;
    ASSERT_EQ(rm->CreateFrame(scene, frame.out()), D3DRM_OK);
    frame->SetPosition(scene, 0, 0, 10);
    frame->AddVisual(mesh);
    device->SetQuality(D3DRMRENDER_UNLITFLAT);
    Draw();
    EXPECT_TRUE(ColorNear(Pixel(kWidth / 2, kHeight / 2), 0xFF0000, 0));

    // Turned round, the square shows its back: nothing, in every quality.
    frame->SetOrientation(scene, 0, 0, -1, 0, 1, 0);
    for (D3DRMRENDERQUALITY q : {D3DRMRENDER_UNLITFLAT, D3DRMRENDER_GOURAUD, D3DRMRENDER_WIREFRAME}) {
        mesh->SetQuality(q);
        device->SetQuality(D3DRMRENDER_GOURAUD);
        Draw();
        EXPECT_TRUE(ColorNear(Pixel(kWidth / 2, kHeight / 2), kBackground, 0)) << std::hex << q;
        EXPECT_TRUE(ColorNear(PixelAt({-2, 0, 10}), kBackground, 0)) << std::hex << q;
    }
}

TEST_F(PictureTest, TheNearerFaceHidesTheFartherWhicheverIsDrawnFirst) {
    Ref<IDirect3DRMMeshBuilder> farMesh;
    ASSERT_EQ(rm->CreateMeshBuilder(farMesh.out()), D3DRM_OK);
    AddSquareFacingMinusZ(mesh, 1);
    mesh->SetColor(RGB_MAKE(255, 0, 0));
    AddSquareFacingMinusZ(farMesh, 3);
    farMesh->SetColor(RGB_MAKE(0, 0, 255));
    device->SetQuality(D3DRMRENDER_UNLITFLAT);
    const Point nearAt{1, 0.5f, 5}, farAt{0, 0, 10};

    for (bool nearFirst : {true, false}) {
        SCOPED_TRACE(nearFirst ? "near added first" : "far added first");
        Ref<IDirect3DRMFrame> group, first, second;
        ASSERT_EQ(rm->CreateFrame(scene, group.out()), D3DRM_OK);
        ASSERT_EQ(rm->CreateFrame(group, first.out()), D3DRM_OK);
        ASSERT_EQ(rm->CreateFrame(group, second.out()), D3DRM_OK);
        IDirect3DRMFrame* nearFrame = nearFirst ? first : second;
        IDirect3DRMFrame* farFrame = nearFirst ? second : first;
        nearFrame->SetPosition(scene, nearAt.x, nearAt.y, nearAt.z);
        nearFrame->AddVisual(mesh);
        farFrame->SetPosition(scene, farAt.x, farAt.y, farAt.z);
        farFrame->AddVisual(farMesh);
        Draw();
        // Off-centre, so the overlap lies in one quadrant of the far square.
        EXPECT_TRUE(ColorNear(PixelAt({nearAt.x, nearAt.y, nearAt.z}), 0xFF0000, 0));
        EXPECT_TRUE(ColorNear(PixelAt({-2, -2, 10}), 0x0000FF, 0));
        EXPECT_TRUE(ColorNear(PixelAt({-4, 0, 10}), kBackground, 0));
        scene->DeleteChild(group);
    }
}

TEST_F(PictureTest, WireframeDrawsEdgesInTheMeshColourUnlit) {
    AddSquareFacingMinusZ(mesh, 2);
    mesh->SetColor(RGB_MAKE(0, 0, 0));
    mesh->SetQuality(D3DRMRENDER_WIREFRAME);
    Place(mesh, 0, 0, 10);
    AddLight(D3DRMLIGHT_AMBIENT, 0.3f);
    device->SetQuality(D3DRMRENDER_GOURAUD);
    Draw();
    // Inside the square: background. Along its left edge: the black line.
    EXPECT_TRUE(ColorNear(Pixel(kWidth / 2, kHeight / 2), kBackground, 0));
    D3DVECTOR edge{-2, 0, 10};
    D3DRMVECTOR4D s;
    viewport->Transform(&s, &edge);
    int ex = static_cast<int>(s.x / s.w), ey = static_cast<int>(s.y / s.w);
    int blackOnRow = 0;
    for (int x = ex - 2; x <= ex + 2; ++x) blackOnRow += Pixel(x, ey) == 0x000000 ? 1 : 0;
    EXPECT_GE(blackOnRow, 1);
    EXPECT_LE(blackOnRow, 2);  // a line, not a filled face
}

TEST_F(PictureTest, ACubesFacesDifferByTheirLight) {
    AddCube(mesh, 1);
    mesh->SetColor(RGB_MAKE(255, 255, 255));
    Place(mesh, 0, 0, 6);
    AddLight(D3DRMLIGHT_AMBIENT, 0.2f);
    AddLight(D3DRMLIGHT_DIRECTIONAL, 0.6f, {1, -2, 3});  // from upper left, behind the camera
    camera->SetPosition(scene, 3, 3, 0);
    camera->SetOrientation(scene, -3, -3, 6, 0, 1, 0);
    Draw();
    // Three faces in view: the front (-z), the right (+x) and the top (+y).
    const float l = 1 / std::sqrt(14.0f);
    struct Face {
        Point centre;
        float nDotMinusL;
    } faces[] = {
        {{0, 0, 5}, 3 * l},    // n = (0, 0, -1), -L = (-1, 2, -3) / sqrt 14
        {{1, 0, 6}, 0},        // n = (1, 0, 0): facing away from the light
        {{0, 1, 6}, 2 * l},    // n = (0, 1, 0)
    };
    std::uint32_t seen[3];
    for (int i = 0; i < 3; ++i) {
        seen[i] = PixelAt(faces[i].centre);
        int level = static_cast<int>(255 * (0.2f + 0.6f * faces[i].nDotMinusL) + 0.5f);
        EXPECT_TRUE(ColorNear(seen[i], (level << 16) | (level << 8) | level, 2)) << "face " << i;
    }
    EXPECT_NE(seen[0], seen[1]);
    EXPECT_NE(seen[1], seen[2]);
    EXPECT_NE(seen[0], seen[2]);
}

TEST_F(PictureTest, GouraudSphereIsSmoothWhereFlatIsFaceted) {
    AddSphere(mesh, 2, 10);
    mesh->GenerateNormals();
    mesh->SetColor(RGB_MAKE(255, 255, 255));
    Place(mesh, 0, 0, 8);
    AddLight(D3DRMLIGHT_DIRECTIONAL, 1.0f, {1, 0, 1});
    device->SetQuality(D3DRMRENDER_GOURAUD);
    Draw();
    D3DVECTOR left{-1.6f, 0, 8}, right{1.6f, 0, 8};
    D3DRMVECTOR4D a, b;
    viewport->Transform(&a, &left);
    viewport->Transform(&b, &right);
    int y = static_cast<int>(a.y / a.w) + 3;  // off the equator's facet edge
    int x0 = static_cast<int>(a.x / a.w), x1 = static_cast<int>(b.x / b.w);
    int smooth = RoughestStep(y, x0, x1);

    device->SetQuality(D3DRMRENDER_FLAT);
    Draw();
    int faceted = RoughestStep(y, x0, x1);
    EXPECT_LE(smooth, 12);
    EXPECT_GE(faceted, 3 * smooth);
    EXPECT_GE(faceted, 20);
}

TEST_F(PictureTest, TextureIsModulatedByLight) {
    Ref<IDirectDraw> dd;
    ASSERT_EQ(DirectDrawCreate(nullptr, dd.out(), nullptr), DD_OK);
    Ref<IDirectDrawSurface> surface;
    ASSERT_EQ(CreateTextureSurface(dd, 64, 64, surface.out()), DD_OK);
    // Left half yellow, right half cyan.
    ASSERT_TRUE(FillSurface(surface, [](DWORD x, DWORD) { return x < 32 ? 0xFFFF00u : 0x00FFFFu; }));
    Ref<IDirect3DRMTexture> texture;
    ASSERT_EQ(rm->CreateTextureFromSurface(surface, texture.out()), D3DRM_OK);

    Ref<IDirect3DRMFace> face;
    mesh->CreateFace(face.out());
    face->AddVertex(-2, -2, 0);
    face->AddVertex(-2, 2, 0);
    face->AddVertex(2, 2, 0);
    face->AddVertex(2, -2, 0);
    face->SetTextureCoordinates(0, 0, 1);
    face->SetTextureCoordinates(1, 0, 0);
    face->SetTextureCoordinates(2, 1, 0);
    face->SetTextureCoordinates(3, 1, 1);
    mesh->SetTexture(texture);
    mesh->SetPerspective(TRUE);
    texture.reset();  // the mesh keeps it
    Place(mesh, 0, 0, 10);
    AddLight(D3DRMLIGHT_AMBIENT, 0.5f);
    device->SetTextureQuality(D3DRMTEXTURE_LINEAR);
    Draw();
    EXPECT_TRUE(ColorNear(PixelAt({-1, 0, 10}), 0x808000, 2));
    EXPECT_TRUE(ColorNear(PixelAt({1, 0, 10}), 0x008080, 2));

    // Painted again and marked changed, the texture shows the new pixels.
    ASSERT_TRUE(FillSurface(surface, [](DWORD, DWORD) { return 0xFFFFFFu; }));
    Ref<IDirect3DRMTexture> again;
    mesh->GetTexture(again.out());
    again->Changed(TRUE, FALSE);
    Draw();
    EXPECT_TRUE(ColorNear(PixelAt({-1, 0, 10}), 0x808080, 2));
}

TEST_F(PictureTest, ARebuiltDeviceDrawsAtItsNewSize) {
    AddSquareFacingMinusZ(mesh, 1);
    mesh->SetColor(RGB_MAKE(0, 0, 255));
    Place(mesh, 0, 0, 10);
    device->SetQuality(D3DRMRENDER_UNLITFLAT);
    Draw();
    EXPECT_TRUE(ColorNear(Pixel(kWidth / 2, kHeight / 2), 0x0000FF, 0));

    testsupport::ResizeHiddenGlWindow(window_, 200, 100);
    MakeDevice(200, 100);
    device->SetQuality(D3DRMRENDER_UNLITFLAT);
    Draw();
    EXPECT_EQ(device->GetWidth(), 200u);
    EXPECT_EQ(device->GetHeight(), 100u);
    EXPECT_TRUE(ColorNear(Pixel(100, 50), 0x0000FF, 0));
    EXPECT_TRUE(ColorNear(Pixel(5, 5), kBackground, 0));
    // The square's projection scales with the new larger side.
    EXPECT_TRUE(ColorNear(PixelAt({0.9f, 0.9f, 10}), 0x0000FF, 0));
    EXPECT_TRUE(ColorNear(PixelAt({1.1f, 0, 10}), kBackground, 0));
    std::uint32_t rgb;
    EXPECT_FALSE(ReadDevicePixels(device, 250, 50, rgb));

    // Only the width changes: the picture still fills the new size.
    testsupport::ResizeHiddenGlWindow(window_, 300, 100);
    MakeDevice(300, 100);
    device->SetQuality(D3DRMRENDER_UNLITFLAT);
    Draw();
    EXPECT_TRUE(ColorNear(Pixel(150, 50), 0x0000FF, 0));
    EXPECT_TRUE(ColorNear(Pixel(290, 50), kBackground, 0));
}

TEST_F(PictureTest, AViewportOnPartOfTheDeviceDrawsOnlyThereWithRowsFromItsTop) {
    // A small red square up and to the right of the camera's axis, and a
    // wide green wall behind it that would fill the whole device.
    AddSquareFacingMinusZ(mesh, 0.5f);
    mesh->SetColor(RGB_MAKE(255, 0, 0));
    Place(mesh, 2, 2, 10);
    Ref<IDirect3DRMMeshBuilder> wall;
    ASSERT_EQ(rm->CreateMeshBuilder(wall.out()), D3DRM_OK);
    AddSquareFacingMinusZ(wall, 100);
    wall->SetColor(RGB_MAKE(0, 255, 0));
    Place(wall, 0, 0, 50);
    device->SetQuality(D3DRMRENDER_UNLITFLAT);

    const int left = 200, top = 20, width = 100, height = 80;
    Ref<IDirect3DRMViewport> part;
    ASSERT_EQ(rm->CreateViewport(device, camera, left, top, width, height, part.out()), D3DRM_OK);
    constexpr std::uint32_t kOutside = 0x204060, kWall = 0x00FF00, kRed = 0xFF0000;
    scene->SetSceneBackground(RGB_MAKE(0x20, 0x40, 0x60));
    ASSERT_EQ(viewport->Clear(), D3DRM_OK);
    scene->SetSceneBackground(RGB_MAKE(0, 0, 0));
    ASSERT_EQ(part->Clear(), D3DRM_OK);
    ASSERT_EQ(part->Render(scene), D3DRM_OK);
    ASSERT_EQ(device->Update(), D3DRM_OK);

    // 100 pixels per unit of x/z: the square's centre is 20 pixels right of
    // and 20 above the viewport's centre (250, 60).
    D3DVECTOR centre{2, 2, 10};
    D3DRMVECTOR4D s;
    part->Transform(&s, &centre);
    EXPECT_NEAR(s.x / s.w, 270, 1e-3);
    EXPECT_NEAR(s.y / s.w, 40, 1e-3);
    EXPECT_TRUE(ColorNear(Pixel(270, 40), kRed, 0));
    EXPECT_TRUE(ColorNear(Pixel(270, 80), kWall, 0)) << "mirrored up and down";
    EXPECT_TRUE(ColorNear(Pixel(230, 40), kWall, 0)) << "mirrored left and right";
    for (auto [x, y] : {std::pair{left, top}, {left + width - 1, top}, {left, top + height - 1},
                        {left + width - 1, top + height - 1}}) {
        EXPECT_TRUE(ColorNear(Pixel(x, y), kWall, 0)) << x << ", " << y;
    }
    for (auto [x, y] : {std::pair{left - 1, top}, {left, top - 1}, {left + width, top + 10}, {left + 10, top + height},
                        {0, 0}, {kWidth - 1, kHeight - 1}, {250, 180}, {100, 60}}) {
        EXPECT_TRUE(ColorNear(Pixel(x, y), kOutside, 0)) << x << ", " << y;
    }
}

TEST_F(PictureTest, TickMovesFramesAndDrawsEveryViewport) {
    AddSquareFacingMinusZ(mesh, 1);
    mesh->SetColor(RGB_MAKE(255, 255, 255));
    Ref<IDirect3DRMFrame> frame;
    rm->CreateFrame(scene, frame.out());
    frame->AddVisual(mesh);
    frame->SetPosition(scene, -20, 0, 10);
    frame->SetVelocity(scene, 10, 0, 0, FALSE);
    device->SetQuality(D3DRMRENDER_UNLITFLAT);
    ASSERT_EQ(rm->Tick(1.0f), D3DRM_OK);
    EXPECT_TRUE(ColorNear(Pixel(kWidth / 2, kHeight / 2), kBackground, 0));
    ASSERT_EQ(rm->Tick(1.0f), D3DRM_OK);
    EXPECT_TRUE(ColorNear(Pixel(kWidth / 2, kHeight / 2), 0xFFFFFF, 0));
}

}  // namespace
}  // namespace rmtest

// Viewports: defaults, the homogeneous screen transform and its inverse, and
// the devices they sit on.
#include <cmath>

#include "platform/ddraw/ddraw.h"
#include "tests/d3drm/rm_helpers.h"

namespace rmtest {
namespace {

class ViewportTest : public RenderFixture {
protected:
    void SetUp() override {
        RenderFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        testsupport::ResizeHiddenGlWindow(window_, 640, 480);
        MakeDevice(640, 480);
    }
};

TEST_F(ViewportTest, DefaultsAndSizes) {
    EXPECT_EQ(device->GetWidth(), 640u);
    EXPECT_EQ(device->GetHeight(), 480u);
    EXPECT_EQ(device->GetQuality(), D3DRMRENDER_FLAT);
    EXPECT_EQ(viewport->GetWidth(), 640u);
    EXPECT_EQ(viewport->GetHeight(), 480u);
    EXPECT_EQ(viewport->GetX(), 0);
    EXPECT_EQ(viewport->GetY(), 0);
    EXPECT_FLOAT_EQ(viewport->GetField(), 0.5f);
    EXPECT_FLOAT_EQ(viewport->GetFront(), 1.0f);
    EXPECT_FLOAT_EQ(viewport->GetBack(), 100.0f);
    ASSERT_EQ(viewport->SetBack(2000), D3DRM_OK);
    EXPECT_FLOAT_EQ(viewport->GetBack(), 2000.0f);
    EXPECT_EQ(viewport->SetBack(0.5f), D3DRMERR_BADVALUE);  // behind the front plane
    EXPECT_EQ(viewport->SetField(0), D3DRMERR_BADVALUE);
    EXPECT_EQ(viewport->SetFront(-1), D3DRMERR_BADVALUE);
    Ref<IDirect3DRMFrame> cam;
    ASSERT_EQ(viewport->GetCamera(cam.out()), D3DRM_OK);
    EXPECT_EQ(cam.p, camera.p);
}

TEST_F(ViewportTest, TransformPlacesFieldDepthAndAxes) {
    D3DRMVECTOR4D s;
    // At the front plane the field spans half the larger side.
    D3DVECTOR edge{0.5f, 0, 1};
    viewport->Transform(&s, &edge);
    EXPECT_NEAR(s.x / s.w, 640, 1e-3);
    EXPECT_NEAR(s.y / s.w, 240, 1e-3);
    EXPECT_NEAR(s.z / s.w, 0, 1e-6);
    D3DVECTOR up{0, 10, 100};  // on the back plane, up the screen
    viewport->Transform(&s, &up);
    EXPECT_NEAR(s.y / s.w, 240 - 64, 1e-3);
    EXPECT_NEAR(s.z / s.w, 1, 1e-6);
}

TEST_F(ViewportTest, InverseTransformUndoesTransformAtAnyDepth) {
    camera->SetPosition(nullptr, 0, -300, 0);
    camera->SetOrientation(nullptr, 0, 1, 0, 0, 0, 1);
    viewport->SetBack(2000);
    const D3DVECTOR points[] = {{0, 0, 0}, {10, -20, 30}, {-49, 50, 49}, {3, -299, 0.25f}, {700, 1500, -400}};
    for (D3DVECTOR p : points) {
        D3DRMVECTOR4D s;
        D3DVECTOR back;
        ASSERT_EQ(viewport->Transform(&s, &p), D3DRM_OK);
        ASSERT_EQ(viewport->InverseTransform(&back, &s), D3DRM_OK);
        // A float depth near 1 carries less precision the farther the point.
        float d = std::hypot(p.x, p.y + 300, p.z);
        float tolerance = 1e-3f + 2e-7f * d * d;
        EXPECT_NEAR(back.x, p.x, tolerance);
        EXPECT_NEAR(back.y, p.y, tolerance);
        EXPECT_NEAR(back.z, p.z, tolerance);
    }
    // Screen vectors with depths outside 0..1 and w other than 1 come back.
    // (At the origin, so points just beside the camera keep their precision.)
    camera->SetPosition(nullptr, 0, 0, 0);
    const D3DRMVECTOR4D screens[] = {
        {100, 50, 1.0f, 1}, {100, 50, 100.0f, 1}, {800, -60, -3.0f, 2}, {320, 240, 0.5f, 1}, {10, 470, 7.0f, 0.5f}};
    for (D3DRMVECTOR4D s : screens) {
        D3DVECTOR world;
        D3DRMVECTOR4D again;
        ASSERT_EQ(viewport->InverseTransform(&world, &s), D3DRM_OK);
        ASSERT_EQ(viewport->Transform(&again, &world), D3DRM_OK);
        EXPECT_NEAR(again.x / again.w, s.x / s.w, 1e-2);
        EXPECT_NEAR(again.y / again.w, s.y / s.w, 1e-2);
        EXPECT_NEAR(again.z / again.w, s.z / s.w, 1e-3 * (1 + std::fabs(s.z / s.w)));
    }
    D3DRMVECTOR4D bad{1, 1, 1, 0};
    D3DVECTOR out;
    EXPECT_EQ(viewport->InverseTransform(&out, &bad), D3DRMERR_BADVALUE);
}

TEST_F(ViewportTest, PixelRaysRunThroughTheCamera) {
    camera->SetPosition(nullptr, 0, -300, 0);
    camera->SetOrientation(nullptr, 0, 1, 0, 0, 0, 1);
    viewport->SetBack(2000);
    // The centre pixel lies on the camera's axis at every depth.
    D3DRMVECTOR4D atFront{320, 240, 1.0f, 1}, atBack{320, 240, 100.0f, 1};
    D3DVECTOR a, b;
    viewport->InverseTransform(&a, &atFront);
    viewport->InverseTransform(&b, &atBack);
    EXPECT_NEAR(a.x, 0, 1e-3);
    EXPECT_NEAR(a.z, 0, 1e-3);
    EXPECT_NEAR(b.x, 0, 1e-3);
    EXPECT_NEAR(b.z, 0, 1e-3);

    // Another pixel: its two points and the camera are on one line, which
    // the game intersects with the plane y = -150.
    D3DRMVECTOR4D p1{100, 400, 1.0f, 1}, p2{100, 400, 100.0f, 1};
    viewport->InverseTransform(&a, &p1);
    viewport->InverseTransform(&b, &p2);
    float s = (-150 - a.y) / (b.y - a.y);
    D3DVECTOR hit{a.x + s * (b.x - a.x), -150, a.z + s * (b.z - a.z)};
    D3DRMVECTOR4D seen;
    viewport->Transform(&seen, &hit);
    EXPECT_NEAR(seen.x / seen.w, 100, 0.05);
    EXPECT_NEAR(seen.y / seen.w, 400, 0.05);
    // Left of the centre on screen is world +x for this camera; below is -z.
    EXPECT_GT(hit.x, 0);
    EXPECT_LT(hit.z, 0);
}

TEST_F(ViewportTest, DevicesAndViewportsRefuseBadRequests) {
    Ref<IDirect3DRMDevice> none;
    EXPECT_EQ(CreateDeviceOnNativeWindow(rm, window_, 0, 480, none.out()), D3DRMERR_BADVALUE);
    EXPECT_EQ(none.p, nullptr);
    Ref<IDirect3DRMViewport> vp;
    EXPECT_EQ(rm->CreateViewport(device, camera, 600, 0, 100, 100, vp.out()), D3DRMERR_BADVALUE);
    EXPECT_EQ(rm->CreateViewport(device, nullptr, 0, 0, 10, 10, vp.out()), D3DRMERR_BADOBJECT);
    EXPECT_EQ(rm->CreateViewport(nullptr, camera, 0, 0, 10, 10, vp.out()), D3DRMERR_BADOBJECT);
    EXPECT_EQ(viewport->SetCamera(nullptr), D3DRMERR_BADOBJECT);
    Ref<IDirect3DRMFrame> second;
    ASSERT_EQ(rm->CreateFrame(nullptr, second.out()), D3DRM_OK);
    ASSERT_EQ(viewport->SetCamera(second), D3DRM_OK);
    Ref<IDirect3DRMFrame> shown;
    ASSERT_EQ(viewport->GetCamera(shown.out()), D3DRM_OK);
    EXPECT_EQ(shown.p, second.p);

    // A clipper that names no window gives no device, whatever the GUID.
    Ref<IDirectDrawClipper> clipper;
    ASSERT_EQ(DirectDrawCreateClipper(0, clipper.out(), nullptr), DD_OK);
    GUID hal = IID_IDirect3DHALDevice, other = IID_IDirect3D;
    EXPECT_FALSE(SUCCEEDED(rm->CreateDeviceFromClipper(clipper, &hal, 640, 480, none.out())));
    EXPECT_EQ(rm->CreateDeviceFromClipper(clipper, &other, 640, 480, none.out()), D3DRMERR_BADDEVICE);
    EXPECT_EQ(rm->CreateDeviceFromClipper(nullptr, nullptr, 640, 480, none.out()), D3DRMERR_BADVALUE);
    EXPECT_EQ(none.p, nullptr);

    // The device outlives a caller's release while its viewport holds it.
    IDirect3DRMDevice* raw = device.p;
    device.p = nullptr;
    raw->Release();
    Ref<IDirect3DRMDevice> held;
    ASSERT_EQ(viewport->GetDevice(held.out()), D3DRM_OK);
    EXPECT_EQ(held->GetWidth(), 640u);
}

}  // namespace
}  // namespace rmtest

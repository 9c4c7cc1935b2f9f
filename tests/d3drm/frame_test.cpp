// Frames: placement relative to reference frames, degenerate orientations,
// velocity carried by Tick, the tree's hold on its objects, names.
#include <cmath>
#include <cstring>

#include "tests/d3drm/rm_helpers.h"

namespace rmtest {
namespace {

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Direct3DRMCreate(rm.out()), D3DRM_OK); }

    IDirect3DRMFrame* NewFrame(IDirect3DRMFrame* parent, Ref<IDirect3DRMFrame>& into) {
        EXPECT_EQ(rm->CreateFrame(parent, into.out()), D3DRM_OK);
        return into;
    }

    static void ExpectVec(const D3DVECTOR& v, float x, float y, float z, float tol = 1e-4f) {
        EXPECT_NEAR(v.x, x, tol);
        EXPECT_NEAR(v.y, y, tol);
        EXPECT_NEAR(v.z, z, tol);
    }

    Ref<IDirect3DRM> rm;
};

TEST_F(FrameTest, OrientationIsLeftHandedWithUpMadePerpendicular) {
    Ref<IDirect3DRMFrame> f;
    NewFrame(nullptr, f);
    ASSERT_EQ(f->SetPosition(nullptr, 1, 2, 3), D3DRM_OK);
    // The game's camera: looking along +y with +z up.
    ASSERT_EQ(f->SetOrientation(nullptr, 0, 1, 0, 0, 0, 1), D3DRM_OK);
    D3DVECTOR out, in{1, 0, 0};
    f->Transform(&out, &in);
    ExpectVec(out, 1 - 1, 2, 3);  // frame x = up x dir = -world x
    in = {0, 0, 1};
    f->Transform(&out, &in);
    ExpectVec(out, 1, 3, 3);
    D3DVECTOR back;
    f->InverseTransform(&back, &out);
    ExpectVec(back, 0, 0, 1);

    // An up vector that leans along the direction keeps only its
    // perpendicular part.
    ASSERT_EQ(f->SetOrientation(nullptr, 0, 0, 2, 0, 3, 3), D3DRM_OK);
    D3DVECTOR dir, up;
    ASSERT_EQ(f->GetOrientation(nullptr, &dir, &up), D3DRM_OK);
    ExpectVec(dir, 0, 0, 1);
    ExpectVec(up, 0, 1, 0);
}

TEST_F(FrameTest, PositionAndOrientationFollowTheReferenceFrame) {
    Ref<IDirect3DRMFrame> ref, holder, f;
    NewFrame(nullptr, ref);
    NewFrame(nullptr, holder);
    NewFrame(holder, f);
    ref->SetPosition(nullptr, 10, 0, 0);
    ref->SetOrientation(nullptr, 1, 0, 0, 0, 1, 0);  // ref z = world x, ref x = world -z
    holder->SetPosition(nullptr, 0, 3, 0);

    ASSERT_EQ(f->SetPosition(ref, 2, 0, 5), D3DRM_OK);
    D3DVECTOR p;
    f->GetPosition(nullptr, &p);
    ExpectVec(p, 15, 0, -2);
    f->GetPosition(holder, &p);
    ExpectVec(p, 15, -3, -2);
    f->GetPosition(ref, &p);
    ExpectVec(p, 2, 0, 5);

    ASSERT_EQ(f->SetOrientation(ref, 0, 0, 1, 0, 1, 0), D3DRM_OK);
    D3DVECTOR dir, up;
    f->GetOrientation(nullptr, &dir, &up);
    ExpectVec(dir, 1, 0, 0);
    ExpectVec(up, 0, 1, 0);

    // Moving the holder carries the frame; its place relative to the holder stays.
    holder->SetPosition(nullptr, 0, 0, 7);
    f->GetPosition(nullptr, &p);
    ExpectVec(p, 15, -3, 5);
}

TEST_F(FrameTest, DegenerateOrientationsStayFiniteAndOrthonormal) {
    Ref<IDirect3DRMFrame> f;
    NewFrame(nullptr, f);
    struct Case {
        float d[3], u[3];
    } cases[] = {
        {{0, 0, 1}, {0, 0, 5}},   // up along the direction
        {{0, 1, 0}, {0, -1, 0}},  // up against it
        {{1, 2, 3}, {0, 0, 0}},   // no up at all
        {{0, 0, 0}, {0, 1, 0}},   // no direction
        {{0, 0, 0}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(f->SetOrientation(nullptr, c.d[0], c.d[1], c.d[2], c.u[0], c.u[1], c.u[2]), D3DRM_OK);
        D3DVECTOR dir, up;
        f->GetOrientation(nullptr, &dir, &up);
        for (float v : {dir.x, dir.y, dir.z, up.x, up.y, up.z}) ASSERT_TRUE(std::isfinite(v));
        EXPECT_NEAR(D3DRMVectorModulus(&dir), 1, 1e-5);
        EXPECT_NEAR(D3DRMVectorModulus(&up), 1, 1e-5);
        EXPECT_NEAR(D3DRMVectorDotProduct(&dir, &up), 0, 1e-5);
        float len = std::sqrt(c.d[0] * c.d[0] + c.d[1] * c.d[1] + c.d[2] * c.d[2]);
        if (len > 0) {
            EXPECT_NEAR(dir.x, c.d[0] / len, 1e-5);
            EXPECT_NEAR(dir.y, c.d[1] / len, 1e-5);
            EXPECT_NEAR(dir.z, c.d[2] / len, 1e-5);
        }
    }
    EXPECT_EQ(f->SetOrientation(nullptr, NAN, 0, 1, 0, 1, 0), D3DRMERR_BADVALUE);
    EXPECT_EQ(f->SetPosition(nullptr, INFINITY, 0, 0), D3DRMERR_BADVALUE);
}

TEST_F(FrameTest, TickCarriesVelocityGivenRelativeToAReference) {
    Ref<IDirect3DRMFrame> ref, parent, moving, still;
    NewFrame(nullptr, ref);
    NewFrame(nullptr, parent);
    NewFrame(parent, moving);
    NewFrame(parent, still);
    ref->SetOrientation(nullptr, 1, 0, 0, 0, 1, 0);  // ref z = world x
    parent->SetOrientation(nullptr, 0, 1, 0, 0, 0, 1);
    moving->SetPosition(nullptr, 1, 1, 1);
    still->SetPosition(nullptr, 4, 5, 6);

    ASSERT_EQ(moving->SetVelocity(ref, 0, 0, 2, FALSE), D3DRM_OK);
    D3DVECTOR v;
    moving->GetVelocity(ref, &v, FALSE);
    ExpectVec(v, 0, 0, 2);
    moving->GetVelocity(nullptr, &v, FALSE);
    ExpectVec(v, 2, 0, 0);

    ASSERT_EQ(rm->Tick(0.5f), D3DRM_OK);
    ASSERT_EQ(rm->Tick(0.25f), D3DRM_OK);
    D3DVECTOR p;
    moving->GetPosition(nullptr, &p);
    ExpectVec(p, 2.5f, 1, 1);
    still->GetPosition(nullptr, &p);
    ExpectVec(p, 4, 5, 6);

    moving->SetVelocity(nullptr, 0, 0, 0, FALSE);
    rm->Tick(1.0f);
    moving->GetPosition(nullptr, &p);
    ExpectVec(p, 2.5f, 1, 1);
    EXPECT_EQ(rm->Tick(NAN), D3DRMERR_BADVALUE);
}

TEST_F(FrameTest, TheTreeKeepsWhatTheCallerReleased) {
    Ref<IDirect3DRMFrame> parent;
    NewFrame(nullptr, parent);
    {
        IDirect3DRMFrame* child = nullptr;
        ASSERT_EQ(rm->CreateFrame(parent, &child), D3DRM_OK);
        IDirect3DRMMeshBuilder* mesh = nullptr;
        ASSERT_EQ(rm->CreateMeshBuilder(&mesh), D3DRM_OK);
        mesh->SetAppData(0x5eed);
        child->AddVisual(mesh);
        child->SetAppData(reinterpret_cast<D3DRMAPPDATA>(&parent));  // an address fits
        mesh->Release();
        child->Release();
    }
    Ref<IDirect3DRMFrameArray> children;
    ASSERT_EQ(parent->GetChildren(children.out()), D3DRM_OK);
    ASSERT_EQ(children->GetSize(), 1u);
    Ref<IDirect3DRMFrame> child;
    ASSERT_EQ(children->GetElement(0, child.out()), D3DRM_OK);
    EXPECT_EQ(children->GetElement(1, child.out()), D3DRMERR_BADVALUE);
    EXPECT_EQ(child.p, nullptr);
    ASSERT_EQ(children->GetElement(0, child.out()), D3DRM_OK);
    EXPECT_EQ(child->GetAppData(), reinterpret_cast<D3DRMAPPDATA>(&parent));

    Ref<IDirect3DRMVisualArray> visuals;
    ASSERT_EQ(child->GetVisuals(visuals.out()), D3DRM_OK);
    ASSERT_EQ(visuals->GetSize(), 1u);
    Ref<IDirect3DRMVisual> visual;
    ASSERT_EQ(visuals->GetElement(0, visual.out()), D3DRM_OK);
    Ref<IDirect3DRMMeshBuilder> mesh;
    ASSERT_EQ(visual->QueryInterface(IID_IDirect3DRMMeshBuilder, reinterpret_cast<void**>(mesh.out())), S_OK);
    EXPECT_EQ(mesh->GetAppData(), 0x5eedu);
    Ref<IDirect3DRMFrame> notFrame;
    EXPECT_EQ(visual->QueryInterface(IID_IDirect3DRMFrame, reinterpret_cast<void**>(notFrame.out())), E_NOINTERFACE);

    // Nothing is no object; a real one the frame does not hold is not found.
    EXPECT_EQ(child->AddVisual(nullptr), D3DRMERR_BADOBJECT);
    EXPECT_EQ(child->DeleteVisual(nullptr), D3DRMERR_BADOBJECT);
    EXPECT_EQ(child->AddLight(nullptr), D3DRMERR_BADOBJECT);
    EXPECT_EQ(child->DeleteLight(nullptr), D3DRMERR_BADOBJECT);
    Ref<IDirect3DRMLight> light;
    ASSERT_EQ(rm->CreateLightRGB(D3DRMLIGHT_AMBIENT, 1, 1, 1, light.out()), D3DRM_OK);
    EXPECT_EQ(child->DeleteLight(light), D3DRMERR_NOTFOUND);
    visuals.reset();
    ASSERT_EQ(child->GetVisuals(visuals.out()), D3DRM_OK);
    EXPECT_EQ(visuals->GetSize(), 1u);

    // Taken out of the tree, the child lives on through our reference only.
    ASSERT_EQ(parent->DeleteChild(child), D3DRM_OK);
    EXPECT_EQ(parent->DeleteChild(child), D3DRMERR_NOTFOUND);
    children.reset();
    ASSERT_EQ(parent->GetChildren(children.out()), D3DRM_OK);
    EXPECT_EQ(children->GetSize(), 0u);
    Ref<IDirect3DRMFrame> none;
    ASSERT_EQ(child->GetParent(none.out()), D3DRM_OK);
    EXPECT_EQ(none.p, nullptr);
    EXPECT_EQ(child->GetAppData(), reinterpret_cast<D3DRMAPPDATA>(&parent));
}

TEST_F(FrameTest, ReparentingMovesAndCyclesAreRefused) {
    Ref<IDirect3DRMFrame> a, b, c;
    NewFrame(nullptr, a);
    NewFrame(a, b);
    NewFrame(b, c);
    EXPECT_EQ(c->AddChild(a), D3DRMERR_BADVALUE);
    EXPECT_EQ(c->AddChild(c), D3DRMERR_BADVALUE);
    ASSERT_EQ(a->AddChild(c), D3DRM_OK);
    ASSERT_EQ(a->AddChild(c), D3DRM_OK);  // again: no second entry
    Ref<IDirect3DRMFrameArray> list;
    a->GetChildren(list.out());
    EXPECT_EQ(list->GetSize(), 2u);
    list.reset();
    b->GetChildren(list.out());
    EXPECT_EQ(list->GetSize(), 0u);

    // A parent that goes away leaves a child someone still holds parentless.
    b.reset();
    a.reset();
    Ref<IDirect3DRMFrame> parent, scene;
    ASSERT_EQ(c->GetParent(parent.out()), D3DRM_OK);
    EXPECT_EQ(parent.p, nullptr);
    ASSERT_EQ(c->GetScene(scene.out()), D3DRM_OK);
    EXPECT_EQ(scene.p, c.p);
}

TEST_F(FrameTest, NamesFollowTheSizeProtocol) {
    Ref<IDirect3DRMFrame> f;
    NewFrame(nullptr, f);
    DWORD size = 99;
    ASSERT_EQ(f->GetName(&size, nullptr), D3DRM_OK);
    EXPECT_EQ(size, 0u);

    f->SetName("Ball");
    ASSERT_EQ(f->GetName(&size, nullptr), D3DRM_OK);
    EXPECT_EQ(size, 5u);
    char buffer[80];
    size = sizeof buffer;
    ASSERT_EQ(f->GetName(&size, buffer), D3DRM_OK);
    EXPECT_STREQ(buffer, "Ball");
    EXPECT_EQ(size, 5u);
    // Too small a buffer, or no size at all: refused, nothing written.
    std::memcpy(buffer, "xxxxx", 6);
    size = 3;
    EXPECT_EQ(f->GetName(&size, buffer), E_INVALIDARG);
    EXPECT_EQ(size, 3u);
    EXPECT_STREQ(buffer, "xxxxx");
    EXPECT_EQ(f->GetName(nullptr, buffer), E_INVALIDARG);
    EXPECT_STREQ(buffer, "xxxxx");

    size = 2;
    EXPECT_EQ(f->GetClassName(&size, buffer), E_INVALIDARG);
    EXPECT_EQ(size, 2u);
    EXPECT_STREQ(buffer, "xxxxx");
    EXPECT_EQ(f->GetClassName(nullptr, nullptr), E_INVALIDARG);
    size = sizeof buffer;
    ASSERT_EQ(f->GetClassName(&size, buffer), D3DRM_OK);
    EXPECT_STREQ(buffer, "Frame");
    EXPECT_EQ(size, 6u);
}

TEST_F(FrameTest, BackgroundAndColourAreKeptPerFrame) {
    Ref<IDirect3DRMFrame> f;
    NewFrame(nullptr, f);
    f->SetSceneBackgroundRGB(0, 0.5f, 0);
    EXPECT_EQ(f->GetSceneBackground(), 0xFF007F00u);
    f->SetColorRGB(0.3f, 0.3f, 0.3f);
    EXPECT_EQ(f->GetColor(), D3DRGB(0.3f, 0.3f, 0.3f));
    EXPECT_EQ(f->Load(nullptr, nullptr, D3DRMLOAD_FIRST, nullptr, nullptr), D3DRMERR_BADVALUE);
}

TEST_F(FrameTest, TextureDefaultsAreKeptOnTheRoot) {
    EXPECT_EQ(DefaultTextureColors(rm), 64u);
    ASSERT_EQ(rm->SetDefaultTextureColors(128), D3DRM_OK);
    ASSERT_EQ(rm->SetDefaultTextureShades(32), D3DRM_OK);
    EXPECT_EQ(rm->SetDefaultTextureColors(0), D3DRMERR_BADVALUE);
    EXPECT_EQ(DefaultTextureColors(rm), 128u);
    EXPECT_EQ(DefaultTextureShades(rm), 32u);
}

}  // namespace
}  // namespace rmtest

// Mesh data and the CPU side of drawing: quality resolution, culling, the
// lighting formula and generated normals, checked by arithmetic.
#include <cmath>
#include <limits>

#include "platform/d3drm/objects.h"
#include "platform/d3drm/scene_collect.h"
#include "tests/d3drm/rm_helpers.h"

namespace rmtest {
namespace {

using rm::DrawList;
using rm::Primitive;

TEST(RenderQuality, EachFieldIsTheLesserOfMeshAndDevice) {
    EXPECT_EQ(rm::EffectiveQuality(D3DRMRENDER_GOURAUD, D3DRMRENDER_FLAT), D3DRMRENDER_FLAT);
    EXPECT_EQ(rm::EffectiveQuality(D3DRMRENDER_FLAT, D3DRMRENDER_GOURAUD), D3DRMRENDER_FLAT);
    EXPECT_EQ(rm::EffectiveQuality(D3DRMRENDER_WIREFRAME, D3DRMRENDER_GOURAUD), D3DRMRENDER_WIREFRAME);
    EXPECT_EQ(rm::EffectiveQuality(D3DRMRENDER_GOURAUD, D3DRMRENDER_UNLITFLAT), D3DRMRENDER_UNLITFLAT);
    // Fields mix: Gouraud but unlit from the mesh, lit points from the device.
    EXPECT_EQ(rm::EffectiveQuality(D3DRMSHADE_GOURAUD | D3DRMFILL_SOLID, D3DRMSHADE_GOURAUD | D3DRMLIGHT_ON),
              D3DRMSHADE_GOURAUD | D3DRMLIGHT_OFF | D3DRMFILL_POINTS);
}

class CollectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Direct3DRMCreate(root.out()), D3DRM_OK);
        ASSERT_EQ(root->CreateFrame(nullptr, scene.out()), D3DRM_OK);
        ASSERT_EQ(root->CreateMeshBuilder(mesh.out()), D3DRM_OK);
    }

    void Hang(float x, float y, float z) {
        Ref<IDirect3DRMFrame> f;
        ASSERT_EQ(root->CreateFrame(scene, f.out()), D3DRM_OK);
        f->SetPosition(scene, x, y, z);
        f->AddVisual(mesh);
    }

    void Light(D3DRMLIGHTTYPE type, float level, float dx = 0, float dy = 0, float dz = 1) {
        Ref<IDirect3DRMFrame> f;
        Ref<IDirect3DRMLight> light;
        ASSERT_EQ(root->CreateFrame(scene, f.out()), D3DRM_OK);
        f->SetOrientation(scene, dx, dy, dz, 0.3f, 1, 0.2f);
        root->CreateLightRGB(type, level, level, level, light.out());
        f->AddLight(light);
    }

    // Collects, and lists the vertices drawn in the order drawn: those the
    // indices name, less any the vertex shader would drop.
    void Collect(float ex, float ey, float ez, D3DRMRENDERQUALITY device = D3DRMRENDER_FLAT) {
        collector.Collect(rm::AsFrame(scene), {ex, ey, ez}, device, list);
        drawn.clear();
        for (const auto& b : list.batches) {
            for (std::uint32_t i = b.first; i < b.first + b.count; ++i) {
                const rm::DrawVertex& v = list.vertices[list.indices[i]];
                if (rm::FacesEye(v, ex, ey, ez)) drawn.push_back(v);
            }
        }
    }

    std::size_t Count(Primitive p) const {
        std::size_t n = 0;
        for (const auto& b : list.batches) {
            for (std::uint32_t i = b.first; i < b.first + b.count; ++i) {
                n += b.primitive == p && list.indices[i] != 0 ? 1 : 0;
            }
        }
        return n;
    }

    Ref<IDirect3DRM> root;
    Ref<IDirect3DRMFrame> scene;
    Ref<IDirect3DRMMeshBuilder> mesh;
    rm::SceneCollector collector;
    DrawList list;
    std::vector<rm::DrawVertex> drawn;
};

TEST_F(CollectTest, BackFacesAreDroppedInEveryQuality) {
    AddCube(mesh, 1);
    Hang(0, 0, 0);
    Collect(0, 0, -10);
    EXPECT_EQ(Count(Primitive::Triangles), 6u);  // one face, two triangles
    Collect(10, 10, -10);
    EXPECT_EQ(Count(Primitive::Triangles), 18u);  // three faces

    mesh->SetQuality(D3DRMRENDER_WIREFRAME);
    Collect(10, 10, -10, D3DRMRENDER_GOURAUD);
    EXPECT_EQ(Count(Primitive::Triangles), 0u);
    EXPECT_EQ(Count(Primitive::Lines), 3u * 4 * 2);
    mesh->SetQuality(D3DRMSHADE_FLAT | D3DRMFILL_POINTS);
    Collect(0, 0, -10, D3DRMRENDER_GOURAUD);
    EXPECT_EQ(Count(Primitive::Points), 4u);
}

TEST_F(CollectTest, FlatLightingFollowsTheFormula) {
    AddSquareFacingMinusZ(mesh, 1);  // normal (0, 0, -1)
    mesh->SetColor(RGB_MAKE(200, 100, 40));
    mesh->SetQuality(D3DRMRENDER_FLAT);
    Hang(0, 0, 5);
    Light(D3DRMLIGHT_AMBIENT, 0.2f);
    Light(D3DRMLIGHT_DIRECTIONAL, 0.5f, 0, 0, 1);   // straight onto the front: n . -L = 1
    Light(D3DRMLIGHT_DIRECTIONAL, 0.4f, 0, 0, -1);  // from behind: contributes nothing
    Light(D3DRMLIGHT_DIRECTIONAL, 0.2f, std::sqrt(3.0f), 0, 1);  // 60 degrees: half of it
    Collect(0, 0, 0);
    ASSERT_EQ(Count(Primitive::Triangles), 6u);
    const rm::DrawVertex& v = drawn[0];
    const float k = 0.2f + 0.5f + 0.1f;
    EXPECT_NEAR(v.r, 200 * k, 1.0);
    EXPECT_NEAR(v.g, 100 * k, 1.0);
    EXPECT_NEAR(v.b, 40 * k, 1.0);
    for (const auto& w : drawn) EXPECT_EQ(w.r, v.r);  // flat: one colour per face

    // Too much light clamps at the mesh's own colour; the frame's colour
    // never reaches the mesh.
    Light(D3DRMLIGHT_AMBIENT, 0.9f);
    scene->SetColor(RGB_MAKE(0, 255, 0));
    Collect(0, 0, 0);
    EXPECT_EQ(drawn[0].r, 200);
    EXPECT_EQ(drawn[0].g, 100);
    EXPECT_EQ(drawn[0].b, 40);
}

// Colours that are no number, or endless, light nothing and give no NaN to
// the byte casts of the lit colour, on creation and when set later.
TEST_F(CollectTest, LightsOfNoNumberGiveNoLight) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    AddSquareFacingMinusZ(mesh, 1);
    mesh->SetColorRGB(nan, 0.5f, inf);
    mesh->SetQuality(D3DRMRENDER_FLAT);
    Hang(0, 0, 5);
    Light(D3DRMLIGHT_AMBIENT, 0.5f);
    Light(D3DRMLIGHT_AMBIENT, nan);
    Light(D3DRMLIGHT_DIRECTIONAL, -inf, 0, 0, 1);
    Ref<IDirect3DRMLight> later;
    ASSERT_EQ(root->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, 0, 0, 0, later.out()), D3DRM_OK);
    later->SetColorRGB(inf, nan, inf);
    EXPECT_EQ(later->GetColor(), RGB_MAKE(0, 0, 0));
    Collect(0, 0, 0);
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn[0].r, 0);
    EXPECT_NEAR(drawn[0].g, 127 * 0.5, 1.0);
    EXPECT_NEAR(drawn[0].b, 255 * 0.5, 1.0);
}

TEST_F(CollectTest, WireframeIsUnlitInTheMeshColour) {
    AddSquareFacingMinusZ(mesh, 1);
    mesh->SetColor(RGB_MAKE(10, 20, 30));
    mesh->SetQuality(D3DRMRENDER_WIREFRAME);
    Hang(0, 0, 5);
    Light(D3DRMLIGHT_AMBIENT, 0.5f);
    Collect(0, 0, 0, D3DRMRENDER_GOURAUD);
    ASSERT_EQ(Count(Primitive::Lines), 8u);
    for (const auto& v : drawn) {
        EXPECT_EQ(v.r, 10);
        EXPECT_EQ(v.g, 20);
        EXPECT_EQ(v.b, 30);
    }
    // A face colour of its own wins over the mesh colour given before.
    Ref<IDirect3DRMFace> face;
    mesh->CreateFace(face.out());
    face->SetColor(RGB_MAKE(1, 2, 3));
    EXPECT_EQ(face->GetColor(), RGB_MAKE(1, 2, 3));
    mesh->SetColor(RGB_MAKE(4, 5, 6));
    EXPECT_EQ(face->GetColor(), RGB_MAKE(4, 5, 6));  // until the mesh colours all faces
}

TEST_F(CollectTest, GouraudLightsEachVertexByItsNormal) {
    AddSphere(mesh, 2, 10);
    ASSERT_EQ(mesh->GenerateNormals(), D3DRM_OK);
    Hang(0, 0, 10);
    Light(D3DRMLIGHT_DIRECTIONAL, 1.0f, 1, 0, 1);
    Collect(0, 0, 0, D3DRMRENDER_GOURAUD);
    // Every vertex is lit by its own normal: those turned to the light are
    // near full white, those turned away black, and colours vary within a face.
    int brightest = 0, darkest = 255;
    for (const auto& v : drawn) {
        brightest = std::max<int>(brightest, v.r);
        darkest = std::min<int>(darkest, v.r);
    }
    EXPECT_GE(brightest, 245);
    EXPECT_LE(darkest, 10);
    bool variesWithinAFace = false;
    for (std::size_t i = 0; i + 2 < drawn.size(); i += 3) {
        if (drawn[i].r != drawn[i + 1].r) variesWithinAFace = true;
    }
    EXPECT_TRUE(variesWithinAFace);
}

TEST(MeshBuilder, GeneratedNormalsAreSharedAcrossTheSeam) {
    Ref<IDirect3DRM> root;
    Ref<IDirect3DRMMeshBuilder> mesh;
    ASSERT_EQ(Direct3DRMCreate(root.out()), D3DRM_OK);
    root->CreateMeshBuilder(mesh.out());
    AddSphere(mesh, 2, 10);
    EXPECT_EQ(mesh->GetFaceCount(), 100);
    EXPECT_EQ(mesh->GetVertexCount(), 10 * 2 * 3 + 80 * 4);
    ASSERT_EQ(mesh->GenerateNormals(), D3DRM_OK);

    auto* builder = static_cast<rm::MeshBuilder*>(mesh.p);
    // Positions within a hair of each other carry the same normal, and every
    // normal of a sphere points straight out.
    std::vector<rm::FaceVertex> all;
    for (rm::Face* f : builder->faces_) all.insert(all.end(), f->vertices_.begin(), f->vertices_.end());
    int seamPairs = 0;
    for (const auto& a : all) {
        rm::Vec3 out = a.position * 0.5f;
        EXPECT_GT(rm::Dot(a.normal, out), 0.98f);
        EXPECT_NEAR(rm::Length(a.normal), 1.0f, 1e-5f);
        for (const auto& b : all) {
            rm::Vec3 d = a.position - b.position;
            if (rm::Dot(d, d) < 1e-10f) {
                EXPECT_NEAR(rm::Length(a.normal - b.normal), 0.0f, 1e-6f);
                if (a.position.x != b.position.x || a.position.y != b.position.y) ++seamPairs;
            }
        }
    }
    EXPECT_GT(seamPairs, 0) << "the sphere should have a seam of unequal but near positions";
}

TEST(MeshBuilder, CubeCornersAverageTheirFaces) {
    Ref<IDirect3DRM> root;
    Ref<IDirect3DRMMeshBuilder> mesh;
    ASSERT_EQ(Direct3DRMCreate(root.out()), D3DRM_OK);
    root->CreateMeshBuilder(mesh.out());
    AddCube(mesh, 3);
    mesh->GenerateNormals();
    Ref<IDirect3DRMFace> faceless;
    mesh->CreateFace(faceless.out());  // an empty face changes nothing
    ASSERT_EQ(mesh->GenerateNormals(), D3DRM_OK);
    auto* builder = static_cast<rm::MeshBuilder*>(mesh.p);
    const float k = 1.0f / std::sqrt(3.0f);
    for (rm::Face* f : builder->faces_) {
        for (const auto& v : f->vertices_) {
            EXPECT_NEAR(v.normal.x, v.position.x > 0 ? k : -k, 1e-5f);
            EXPECT_NEAR(v.normal.z, v.position.z > 0 ? k : -k, 1e-5f);
        }
    }
    EXPECT_EQ(faceless->SetTextureCoordinates(0, 0, 0), D3DRMERR_BADVALUE);
}

TEST(MeshBuilder, FacesBelongToOneMeshAndScaleWithIt) {
    Ref<IDirect3DRM> root;
    Ref<IDirect3DRMMeshBuilder> a, b;
    Ref<IDirect3DRMFace> face;
    ASSERT_EQ(Direct3DRMCreate(root.out()), D3DRM_OK);
    root->CreateMeshBuilder(a.out());
    root->CreateMeshBuilder(b.out());
    root->CreateFace(face.out());
    face->AddVertex(1, 2, 3);
    face->AddVertex(0, 0, 0);
    face->AddVertex(1, 0, 0);
    ASSERT_EQ(a->AddFace(face), D3DRM_OK);
    EXPECT_EQ(b->AddFace(face), D3DRMERR_FACEUSED);
    a->Scale(2, 2, 2);
    a->Translate(1, 0, 0);
    D3DVECTOR p;
    face->GetVertex(0, &p, nullptr);
    EXPECT_FLOAT_EQ(p.x, 3);
    EXPECT_FLOAT_EQ(p.y, 4);
    EXPECT_FLOAT_EQ(p.z, 6);
    EXPECT_EQ(a->GetQuality(), D3DRMRENDER_GOURAUD);
    EXPECT_EQ(a->SetQuality(0x1000), D3DRMERR_BADVALUE);
    a.reset();  // the face outlives its mesh through our reference
    EXPECT_EQ(face->GetVertexCount(), 3);
}

}  // namespace
}  // namespace rmtest

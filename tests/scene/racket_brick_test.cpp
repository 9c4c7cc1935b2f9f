#include "scene/brick.h"
#include "scene/racket.h"
#include "tests/scene/scene_helpers.h"

namespace {

using namespace scenetest;

class RacketBrickTest : public SceneTest {};

TEST_F(RacketBrickTest, TheRacketIsABlackWireframeSquareFacingMinusY) {
    Racket racket(10.0f);
    EXPECT_EQ(racket.color, 0xFF000000u);
    EXPECT_EQ(racket.parentFrame, nullptr);
    Ref<IDirect3DRMMeshBuilder> mesh;
    mesh.p = MeshOf(racket.frame);
    ASSERT_NE(mesh.p, nullptr);
    EXPECT_EQ(mesh->GetQuality(), static_cast<DWORD>(D3DRMRENDER_WIREFRAME));
    std::vector<FaceData> faces = FacesOf(mesh);
    ASSERT_EQ(faces.size(), 1u);
    ASSERT_EQ(faces[0].vertices.size(), 4u);
    EXPECT_TRUE(Near(faces[0].vertices[0], -10, 0, -10));
    EXPECT_TRUE(Near(faces[0].vertices[1], 10, 0, -10));
    EXPECT_TRUE(Near(faces[0].vertices[2], 10, 0, 10));
    EXPECT_TRUE(Near(faces[0].vertices[3], -10, 0, 10));
    EXPECT_TRUE(Near(faces[0].normal, 0, -1, 0));
    EXPECT_EQ(faces[0].color, 0xFF000000u);
}

TEST_F(RacketBrickTest, ABrickIsAnUnplacedCubeInItsColourFacingOutwards) {
    SceneObject* brick = CreateBrick(3.0f, 0xFF4080C0);
    EXPECT_EQ(brick->color, 0x00FFFFFFu) << "the colour is the mesh's, not the object's";
    EXPECT_EQ(brick->parentFrame, nullptr);
    Ref<IDirect3DRMMeshBuilder> mesh;
    mesh.p = MeshOf(brick->frame);
    std::vector<FaceData> faces = FacesOf(mesh);
    ASSERT_EQ(faces.size(), 6u);
    const D3DVECTOR outwards[6] = {{0, 0, 1}, {0, 0, -1}, {-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}};
    for (int f = 0; f < 6; ++f) {
        EXPECT_EQ(faces[f].color, 0xFF4080C0u);
        EXPECT_TRUE(Near(faces[f].normal, outwards[f].x, outwards[f].y, outwards[f].z)) << "face " << f;
        D3DVECTOR c = faces[f].Centre();
        EXPECT_TRUE(Near(c, 3 * outwards[f].x, 3 * outwards[f].y, 3 * outwards[f].z)) << "face " << f;
    }
    IDirect3DRMMeshBuilder* cube = mesh.p;
    mesh.p = nullptr;
    delete brick;
    EXPECT_EQ(cube->Release(), 0u) << "the brick's frame held the only other reference";
}

}  // namespace

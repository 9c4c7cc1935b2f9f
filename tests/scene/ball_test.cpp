#include "scene/ball.h"
#include "tests/scene/scene_helpers.h"

namespace {

using namespace scenetest;

class BallTest : public SceneTest {};

// The centre of the disc faces a shadow frame carries, in world coordinates.
std::vector<D3DVECTOR> DiscCentres(IDirect3DRMFrame* shadow) {
    std::vector<D3DVECTOR> centres;
    Ref<IDirect3DRMMeshBuilder> mesh;
    mesh.p = MeshOf(shadow);
    for (const FaceData& face : FacesOf(mesh)) {
        if (face.vertices.empty()) continue;
        D3DVECTOR local = face.Centre(), world{};
        shadow->Transform(&world, &local);
        centres.push_back(world);
    }
    return centres;
}

TEST_F(BallTest, ShadowDiscsSitWhereTheCentreProjectsOntoTheWallsAndMoveWithTheBall) {
    Ball ball(D3DVECTOR{0, 0, 0}, 2.0f);
    ball.SetParentFrame(world);
    ball.SetPosition(10, -20, 30);

    D3DVECTOR p{};
    ball.shadowFrames[0]->GetPosition(world, &p);
    EXPECT_TRUE(Near(p, 0, -20, 30));
    ball.shadowFrames[1]->GetPosition(world, &p);
    EXPECT_TRUE(Near(p, 10, 0, 30));
    ball.shadowFrames[2]->GetPosition(world, &p);
    EXPECT_TRUE(Near(p, 10, -20, 0));

    auto sides = DiscCentres(ball.shadowFrames[0]);
    ASSERT_EQ(sides.size(), 2u);
    EXPECT_TRUE(Near(sides[0], -49.5f, -20, 30));
    EXPECT_TRUE(Near(sides[1], 49.5f, -20, 30));
    auto back = DiscCentres(ball.shadowFrames[1]);
    ASSERT_EQ(back.size(), 1u) << "the open front has no disc";
    EXPECT_TRUE(Near(back[0], 10, 49.5f, 30));
    auto floorAndCeiling = DiscCentres(ball.shadowFrames[2]);
    ASSERT_EQ(floorAndCeiling.size(), 2u);
    EXPECT_TRUE(Near(floorAndCeiling[0], 10, -20, -49.5f));
    EXPECT_TRUE(Near(floorAndCeiling[1], 10, -20, 49.5f));

    ball.SetVelocity(1, 2, 3);
    EXPECT_TRUE(Near(ball.velocity, 1, 2, 3));
    ball.frame->GetVelocity(world, &p, FALSE);
    EXPECT_TRUE(Near(p, 1, 2, 3));
    ball.shadowFrames[0]->GetVelocity(world, &p, FALSE);
    EXPECT_TRUE(Near(p, 0, 2, 3));
    ball.shadowFrames[1]->GetVelocity(world, &p, FALSE);
    EXPECT_TRUE(Near(p, 1, 0, 3));
    ball.shadowFrames[2]->GetVelocity(world, &p, FALSE);
    EXPECT_TRUE(Near(p, 1, 2, 0));
}

TEST_F(BallTest, DiscsAreRedTenSidedPolygonsFacingTheInsideOfTheCourt) {
    Ball ball(D3DVECTOR{0, 0, 0}, 2.0f);
    for (IDirect3DRMFrame* shadow : ball.shadowFrames) {
        Ref<IDirect3DRMMeshBuilder> mesh;
        mesh.p = MeshOf(shadow);
        for (const FaceData& face : FacesOf(mesh)) {
            if (face.vertices.empty()) continue;
            EXPECT_EQ(face.vertices.size(), 10u);
            EXPECT_EQ(face.color, 0xFFFF0000u);
            D3DVECTOR c = face.Centre();
            D3DVECTOR inwards{-c.x, -c.y, -c.z};  // the court's centre from the disc
            float length = std::sqrt(Dot(inwards, inwards));
            EXPECT_GT(Dot(face.normal, inwards) / length, 0.99f) << "disc at " << c.x << ", " << c.y << ", " << c.z;
            for (const D3DVECTOR& v : face.vertices) {
                D3DVECTOR r = Minus(v, c);
                EXPECT_NEAR(std::sqrt(Dot(r, r)), 2.0f, 1e-4f);
            }
        }
    }
}

TEST_F(BallTest, SphereHasAHundredFacesSeenFromOutsideAndIsSmoothAcrossItsSeam) {
    Ball ball(D3DVECTOR{5, 6, 7}, 2.0f);
    Ref<IDirect3DRMMeshBuilder> mesh;
    mesh.p = MeshOf(ball.frame);
    ASSERT_NE(mesh.p, nullptr);
    EXPECT_EQ(mesh->GetQuality(), static_cast<DWORD>(D3DRMRENDER_GOURAUD));
    std::vector<FaceData> faces = FacesOf(mesh);
    ASSERT_EQ(faces.size(), 100u);
    for (std::size_t f = 0; f < faces.size(); ++f) {
        std::size_t expected = (f % 10 == 0 || f % 10 == 9) ? 3 : 4;  // pole triangles close every strip
        EXPECT_EQ(faces[f].vertices.size(), expected) << "face " << f;
        D3DVECTOR c = faces[f].Centre();
        EXPECT_GT(Dot(faces[f].normal, c), 0) << "face " << f << " turns its front inwards";
        // Every corner's normal points straight out: the smooth shading has no
        // crease, at the seam where the last strip ends at 2 pi neither.
        for (std::size_t v = 0; v < faces[f].vertices.size(); ++v) {
            D3DVECTOR p = faces[f].vertices[v];
            EXPECT_NEAR(std::sqrt(Dot(p, p)), 2.0f, 1e-4f);
            EXPECT_GT(Dot(faces[f].normals[v], p) / 2.0f, 0.999f) << "face " << f << " corner " << v;
        }
    }
    EXPECT_EQ(ball.frame->GetAppData(), reinterpret_cast<D3DRMAPPDATA>(&ball));
    D3DVECTOR p{};
    ball.frame->GetPosition(nullptr, &p);
    EXPECT_TRUE(Near(p, 5, 6, 7));
}

TEST_F(BallTest, DestroyingTheBallTakesItAndItsShadowsOutOfTheScene) {
    auto* ball = new Ball(D3DVECTOR{0, 0, 0}, 2.0f);
    ball->SetParentFrame(world);
    Ref<IDirect3DRMFrameArray> children;
    world->GetChildren(children.out());
    EXPECT_EQ(children->GetSize(), 4u);

    // Detached first: the shadows stay where they hang, and still go with the ball.
    ball->SetParentFrame(nullptr);
    world->GetChildren(children.out());
    EXPECT_EQ(children->GetSize(), 3u);
    delete ball;
    world->GetChildren(children.out());
    EXPECT_EQ(children->GetSize(), 0u);
}

}  // namespace

#include "scene/court.h"
#include "scene/surface_texture.h"
#include "scene/texture_ref.h"
#include "tests/scene/scene_helpers.h"

namespace {

using namespace scenetest;

// DirectDraw surfaces need no OpenGL, so the court is built here without it.
class CourtTest : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        Ref<IDirectDraw> first;
        ASSERT_EQ(DirectDrawCreate(nullptr, first.out(), nullptr), DD_OK);
        ASSERT_EQ(first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&viewManager.directDraw)), DD_OK);
        viewManager.directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
    }
    void TearDown() override {
        viewManager.directDraw->Release();
        viewManager.directDraw = nullptr;
        SceneTest::TearDown();
    }
};

TEST_F(CourtTest, SurfaceTexturesAreCreatedWhereThereIsDirectDrawAndRememberTheirSizeRegardless) {
    SurfaceTexture texture;
    ASSERT_TRUE(texture.Create(128, 128));
    EXPECT_NE(texture.surface, nullptr);
    EXPECT_TRUE(texture.locked);
    EXPECT_NE(texture.bits, nullptr);
    EXPECT_EQ(texture.Lock(), texture.bits);
    EXPECT_TRUE(texture.Unlock());

    TextureRef ref;
    ref.CreateFromSurface(&texture);
    IDirect3DRMTexture* first = ref.texture;
    ASSERT_NE(first, nullptr);
    first->AddRef();
    ref.CreateFromSurface(&texture);
    EXPECT_NE(ref.texture, first);
    EXPECT_EQ(first->Release(), 0u) << "the first texture was let go before the second was made";

    IDirectDraw2* directDraw = viewManager.directDraw;
    viewManager.directDraw = nullptr;
    SurfaceTexture orphan;
    EXPECT_FALSE(orphan.Create(64, 32));
    EXPECT_EQ(orphan.surface, nullptr);
    EXPECT_EQ(orphan.width, 64);
    EXPECT_EQ(orphan.height, 32);
    EXPECT_EQ(orphan.Lock(), nullptr);
    EXPECT_FALSE(orphan.Unlock());
    viewManager.directDraw = directDraw;
}

TEST_F(CourtTest, TheWallTextureIsNearWhiteWithAGreenLineAcrossRowSixtyFour) {
    Court court(D3DVECTOR{-50, -50, -50}, D3DVECTOR{50, 50, 50});
    Ref<IDirect3DRMMeshBuilder> walls;
    walls.p = MeshOf(court.frame, 0);
    ASSERT_NE(walls.p, nullptr);
    Ref<IDirect3DRMTexture> texture;
    walls->GetTexture(texture.out());
    ASSERT_NE(texture.p, nullptr) << "the mesh keeps the texture after the holders are gone";
    EXPECT_TRUE(walls->GetPerspective());

    std::vector<std::uint32_t> texels;
    int width = 0, height = 0;
    ASSERT_TRUE(ReadTexturePixels(texture, texels, width, height));
    ASSERT_EQ(width, 128);
    ASSERT_EQ(height, 128);
    int greenRows = 0;
    for (int y = 0; y < 128; ++y) {
        bool lineRow = texels[y * 128 + 60] == 0x00FA00u;
        greenRows += lineRow;
        for (int x = 0; x < 127; ++x) {
            EXPECT_EQ(texels[y * 128 + x], lineRow ? 0x00FA00u : 0xFAFAFAu) << x << ", " << y;
            if (::testing::Test::HasFailure()) return;
        }
    }
    EXPECT_EQ(greenRows, 2) << "a pen two pixels wide";
    EXPECT_EQ(texels[64 * 128 + 0], 0x00FA00u) << "the line lies on row 64, from the left edge";
}

TEST_F(CourtTest, NineFacesInTheirPlacesWithTheLineAtTheBoxesNearEdge) {
    Court court(D3DVECTOR{-50, -50, -50}, D3DVECTOR{50, 50, 50});
    Ref<IDirect3DRMMeshBuilder> walls, outline;
    walls.p = MeshOf(court.frame, 0);
    outline.p = MeshOf(court.frame, 1);
    ASSERT_TRUE(walls.p && outline.p);
    EXPECT_EQ(outline->GetQuality(), static_cast<DWORD>(D3DRMRENDER_WIREFRAME));
    EXPECT_EQ(walls->GetQuality(), static_cast<DWORD>(D3DRMRENDER_GOURAUD)) << "the platform's default";
    std::vector<FaceData> w = FacesOf(walls), o = FacesOf(outline);
    ASSERT_EQ(w.size(), 6u);
    ASSERT_EQ(o.size(), 3u);

    // Ceiling, floor and side walls run from y = -150 to 50, with texture v
    // running along y so that v = 0.5 falls on y = -50.
    for (int f = 0; f < 4; ++f) {
        for (std::size_t v = 0; v < 4; ++v) {
            float y = w[f].vertices[v].y;
            EXPECT_TRUE(y == -150 || y == 50) << "face " << f;
            float expectedV = (y == 50) == (f == 0 || f == 2) ? 1.0f : 0.0f;
            EXPECT_EQ(w[f].uv[v].second, expectedV) << "face " << f << " vertex " << v;
        }
    }
    const std::pair<float, float> backUv[4] = {{0.1f, 0.5f}, {0.1f, 0.5f}, {0, 0.1f}, {0, 0.1f}};
    for (int v = 0; v < 4; ++v) {
        EXPECT_EQ(w[4].vertices[v].y, 50) << "the back wall";
        EXPECT_EQ(w[4].uv[v], backUv[v]);
        EXPECT_EQ(w[5].vertices[v].y, -50) << "the lip";
        EXPECT_TRUE(w[5].vertices[v].z == -50 || w[5].vertices[v].z == -48);
    }

    // From the game's camera the walls show their fronts, the outline its backs.
    const D3DVECTOR camera{0, -300, 0};
    for (const FaceData& face : w) EXPECT_GT(Dot(face.normal, Minus(camera, face.vertices[0])), 0);
    for (const FaceData& face : o) EXPECT_LT(Dot(face.normal, Minus(camera, face.vertices[0])), 0);

    court.SetColor(0xFF808080);
    EXPECT_EQ(FacesOf(walls)[0].color, 0xFF808080u);
    EXPECT_EQ(FacesOf(outline)[0].color, 0xFFFFFFFFu) << "the outline keeps its white";
    EXPECT_TRUE(Near(court.minCorner, -50, -50, -50));
    EXPECT_TRUE(Near(court.maxCorner, 50, 50, 50));
}

}  // namespace

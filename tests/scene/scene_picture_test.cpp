// The game's objects drawn by the real renderer from the game's camera, and
// checked where a player would look.
#include <SDL.h>

#include <cstdlib>

#include "render/camera_rig.h"
#include "render/render_view.h"
#include "scene/ball.h"
#include "scene/brick.h"
#include "scene/court.h"
#include "scene/digit_display.h"
#include "scene/racket.h"
#include "tests/app/recording_view.h"
#include "tests/scene/scene_helpers.h"
#include "tests/support/gl_required.h"

namespace {

using namespace scenetest;

constexpr char kTestClass[] = "ScenePictureWindow";

class ScenePictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetViewManager();
        KESTROVA_REQUIRE_GL(viewManager.StartGraphics(nullptr));
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = kTestClass;
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, kTestClass, "scene", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOW);
        view = new RenderView;
        view->AttachWindow(window);
        ASSERT_TRUE(view->deviceReady);
        view->cameraRig->SetPosition(0, -300, 0);
        view->cameraRig->SetDirection(0, 1, 0);
        view->cameraRig->SetUp(0, 0, 1);
        view->SetBackgroundRGB(0, 0.5f, 0);
        AddLights();
    }
    void TearDown() override {
        for (SceneObject* object : objects) delete object;
        viewManager.ShutdownGraphics();
        if (window) DestroyWindow(window);
        ResetViewManager();
    }

    // The game's lights: two directional, one ambient.
    void AddLights() {
        struct {
            float level, px, py, pz, dx, dy, dz, ux, uy, uz;
        } lights[2] = {{0.5f, 0, -100, 100, 0.5f, 0.7f, -0.5f, 1, 1, 1}, {1.0f, 0, 100, 100, -0.5f, -0.5f, -0.5f, -1, -1, 1}};
        for (const auto& l : lights) {
            Ref<IDirect3DRMFrame> frame;
            Ref<IDirect3DRMLight> light;
            retainedMode->CreateFrame(view->world, frame.out());
            retainedMode->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, l.level, l.level, l.level, light.out());
            frame->AddLight(light);
            frame->SetPosition(view->scene, l.px, l.py, l.pz);
            frame->SetOrientation(view->scene, l.dx, l.dy, l.dz, l.ux, l.uy, l.uz);
        }
        Ref<IDirect3DRMLight> ambient;
        retainedMode->CreateLightRGB(D3DRMLIGHT_AMBIENT, 0.5f, 0.5f, 0.5f, ambient.out());
        view->world->AddLight(ambient);
    }

    template <class T>
    T* Add(T* object) {
        objects.push_back(object);
        object->SetParentFrame(view->world);
        return object;
    }

    void Draw() {
        ASSERT_TRUE(view->Draw());
        // KESTROVA_SAVE_PICTURE=dir keeps each test's picture for a person to look at.
        if (const char* dir = std::getenv("KESTROVA_SAVE_PICTURE")) {
            std::vector<std::uint32_t> pixels;
            ASSERT_TRUE(ReadDeviceImage(view->device, pixels));
            SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), 640, 480, 32, 640 * 4,
                                                                SDL_PIXELFORMAT_RGB888);
            std::string name = std::string(dir) + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".bmp";
            SDL_SaveBMP(s, name.c_str());
            SDL_FreeSurface(s);
        }
    }

    // Where a world point appears on the device.
    void ScreenOf(D3DVECTOR world, int& x, int& y) {
        D3DRMVECTOR4D s{};
        view->viewport->Transform(&s, &world);
        x = static_cast<int>(s.x / s.w);
        y = static_cast<int>(s.y / s.w);
    }
    std::uint32_t At(D3DVECTOR world) {
        int x = 0, y = 0;
        ScreenOf(world, x, y);
        std::uint32_t rgb = 0xDEADBEEF;
        EXPECT_TRUE(ReadDevicePixels(view->device, x, y, rgb)) << x << ", " << y;
        return rgb;
    }

    HWND window = nullptr;
    RenderView* view = nullptr;
    std::vector<SceneObject*> objects;
};

int R(std::uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
int G(std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
int B(std::uint32_t c) { return static_cast<int>(c & 0xFF); }
bool Reddish(std::uint32_t c) { return R(c) > 120 && G(c) < 60 && B(c) < 60; }
bool Greenish(std::uint32_t c) { return G(c) > 100 && R(c) < 60 && B(c) < 60; }
bool Whitish(std::uint32_t c) { return R(c) > 100 && std::abs(R(c) - G(c)) < 12 && std::abs(R(c) - B(c)) < 12; }

::testing::AssertionResult Is(bool (*test)(std::uint32_t), const char* what, std::uint32_t c) {
    if (test(c)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << std::hex << "0x" << c << " is not " << what;
}
#define EXPECT_COLOUR(kind, c) EXPECT_TRUE(Is(kind, #kind, c))

const D3DVECTOR kLow{-50, -50, -50}, kHigh{50, 50, 50};

TEST_F(ScenePictureTest, TheWallsShowTheGreenLineAtTheBoxesNearEdge) {
    Add(new Court(kLow, kHigh));
    Draw();
    // Ceiling and both side walls, at y = -50 and away from it.
    for (D3DVECTOR onLine : {D3DVECTOR{0, -50, 50}, D3DVECTOR{-50, -50, 0}, D3DVECTOR{50, -50, 0}}) {
        EXPECT_COLOUR(Greenish, At(onLine));
        EXPECT_COLOUR(Whitish, At(D3DVECTOR{onLine.x, -90, onLine.z}));
        EXPECT_COLOUR(Whitish, At(D3DVECTOR{onLine.x, 0, onLine.z}));
    }
    EXPECT_COLOUR(Whitish, At(D3DVECTOR{20, 50, 20})) << "the back wall";
    EXPECT_COLOUR(Whitish, At(D3DVECTOR{0, -50, -49})) << "the lip on the floor";
    // Beyond the near ends of the side walls the background shows.
    EXPECT_EQ(At(D3DVECTOR{-70, -150, 0}) & 0xFF00FFu, 0u);
}

// The outline is drawn in its own colour here so it cannot hide in the walls'.
TEST_F(ScenePictureTest, TheOutlineIsSeenOnlyFromOutsideTheBoxAndThenAsLines) {
    Court* court = Add(new Court(kLow, kHigh));
    Ref<IDirect3DRMMeshBuilder> outline;
    outline.p = MeshOf(court->frame, 1);
    ASSERT_NE(outline.p, nullptr);
    outline->SetColor(0xFF0000FF);
    auto bluePixels = [&] {
        std::vector<std::uint32_t> pixels;
        EXPECT_TRUE(ReadDeviceImage(view->device, pixels));
        int count = 0;
        for (std::uint32_t c : pixels) count += B(c) > 150 && R(c) < 80 && G(c) < 80;
        return count;
    };
    Draw();
    EXPECT_EQ(bluePixels(), 0) << "from inside the outline faces turn their backs";

    // From the left of the court (world -x), looking at the outside of its wall.
    view->cameraRig->SetPosition(-300, -50, 0);
    view->cameraRig->SetDirection(1, 0, 0);
    view->cameraRig->SetUp(0, 0, 1);
    Draw();
    int blue = bluePixels();
    EXPECT_GT(blue, 300) << "the outside wall's outline is drawn";
    EXPECT_LT(blue, 640 * 480 / 20) << "as lines, not filled";
    // Its top edge runs along z = 50.
    int x = 0, y = 0;
    ScreenOf(D3DVECTOR{-50, -50, 50}, x, y);
    bool found = false;
    for (int dy = -1; dy <= 1; ++dy) {
        std::uint32_t c = 0;
        ReadDevicePixels(view->device, x, y + dy, c);
        found = found || (B(c) > 150 && R(c) < 80);
    }
    EXPECT_TRUE(found) << "no line at the top edge";
}

TEST_F(ScenePictureTest, ARedBallWithRedDiscsOnTheWalls) {
    Add(new Court(kLow, kHigh));
    Ball* ball = Add(new Ball(D3DVECTOR{0, 0, 0}, 2.0f));
    ball->SetPosition(30, -100, 20);
    ball->SetColor(0xFFFF0000);
    Draw();
    EXPECT_COLOUR(Reddish, At(D3DVECTOR{30, -102, 20})) << "the ball";
    EXPECT_COLOUR(Reddish, At(D3DVECTOR{30, 49.5f, 20})) << "its disc on the back wall";
    EXPECT_COLOUR(Reddish, At(D3DVECTOR{-49.5f, -100, 20})) << "on the right side wall";
    EXPECT_COLOUR(Reddish, At(D3DVECTOR{49.5f, -100, 20})) << "on the left side wall";
    EXPECT_COLOUR(Reddish, At(D3DVECTOR{30, -100, -49.5f})) << "on the floor";
    EXPECT_COLOUR(Reddish, At(D3DVECTOR{30, -100, 49.5f})) << "on the ceiling";
    EXPECT_COLOUR(Whitish, At(D3DVECTOR{-30, 49.5f, -20})) << "the back wall away from the disc";
    EXPECT_COLOUR(Whitish, At(D3DVECTOR{30, 49.5f, 26})) << "just above the disc";
}

TEST_F(ScenePictureTest, TheLivesDisplayShowsFiveWithLeadingZero) {
    DigitDisplay* lives = Add(new DigitDisplay(2, 5.0f, 0.5f, 0.1f, 2.5f));
    lives->SetPosition(-50, -150, 50);
    lives->SetOrientation(0, -1, 0, 0, 0, -1);
    lives->ShowNumber(5);
    Draw();
    // The display's x runs along world -x and its y downwards along -z.
    auto segmentCentre = [](float x, float y) { return D3DVECTOR{-50 - x, -150, 50 - y}; };
    const std::uint32_t top0 = At(segmentCentre(3, 0.5f));      // "0": top lit
    const std::uint32_t middle0 = At(segmentCentre(3, 5.5f));   // "0": middle unlit
    const std::uint32_t upperLeft5 = At(segmentCentre(8, 3));   // "5": upper left lit
    const std::uint32_t upperRight5 = At(segmentCentre(13, 3)); // "5": upper right unlit
    EXPECT_COLOUR(Reddish, top0);
    EXPECT_COLOUR(Reddish, upperLeft5);
    for (std::uint32_t unlit : {middle0, upperRight5}) {
        EXPECT_LT(R(unlit), 30);
        EXPECT_GT(G(unlit), 50);
        EXPECT_LT(G(unlit), 115) << "dark green, darker than the background";
    }
    // The number reads from left to right: the most significant digit first.
    int x0 = 0, x1 = 0, y = 0;
    ScreenOf(segmentCentre(3, 0.5f), x1, y);
    ScreenOf(segmentCentre(10.5f, 0.5f), x0, y);
    EXPECT_LT(x1, x0);
}

TEST_F(ScenePictureTest, ABrickShowsItsFrontFaceAndHidesTheBackWall) {
    Add(new Court(kLow, kHigh));
    SceneObject* brick = Add(CreateBrick(3.0f, 0xFF2060E0));
    brick->SetPosition(-15, 5, 15);
    Racket* racket = Add(new Racket(10.0f));
    racket->SetPosition(0, -50.1f, 0);
    Draw();
    std::uint32_t front = At(D3DVECTOR{-15, 2, 15});
    EXPECT_LT(R(front), G(front));
    EXPECT_LT(G(front), B(front));
    EXPECT_GT(B(front), 120) << std::hex << front;
    EXPECT_COLOUR(Whitish, At(D3DVECTOR{-15, 50, 25})) << "the back wall beside the brick";

    // The racket: black lines along its edges, nothing filled inside.
    int x = 0, y = 0;
    ScreenOf(D3DVECTOR{10, -50.1f, 0}, x, y);
    bool dark = false;
    for (int dx = -1; dx <= 1; ++dx) {
        std::uint32_t c = 0xFFFFFF;
        ReadDevicePixels(view->device, x + dx, y, c);
        dark = dark || (R(c) < 40 && G(c) < 40 && B(c) < 40);
    }
    EXPECT_TRUE(dark) << "the racket's edge";
    EXPECT_COLOUR(Whitish, At(D3DVECTOR{3, 50, 3})) << "seen through the racket";
}

// The scene as the player first sees it: court, displays, the waiting ball,
// the racket at the box's mouth and a wall of bricks across the middle.
TEST_F(ScenePictureTest, TheWholeSceneAsThePlayerFirstSeesIt) {
    Add(new Court(kLow, kHigh));
    DigitDisplay* score = Add(new DigitDisplay(3, 5.0f, 0.5f, 0.1f, 2.0f));
    DigitDisplay* lives = Add(new DigitDisplay(2, 5.0f, 0.5f, 0.1f, 2.5f));
    Ball* ball = Add(new Ball(D3DVECTOR{0, 0, 0}, 2.0f));
    Racket* racket = Add(new Racket(10.0f));
    racket->SetPosition(0, -50.1f, 0);
    for (int cx = 0; cx < 10; ++cx) {
        for (int cz = 0; cz < 10; ++cz) {
            D3DCOLOR colour = 0xFF000000u | (static_cast<DWORD>(40 + 20 * cx) << 16) | (80u << 8) |
                              static_cast<DWORD>(40 + 20 * cz);
            SceneObject* brick = Add(CreateBrick(3.0f, colour));
            brick->SetPosition(cx * 10 + 5 - 50.0f, 5.0f, cz * 10 + 5 - 50.0f);
        }
    }
    score->SetPosition(70, -150, 50);
    score->SetOrientation(0, -1, 0, 0, 0, -1);
    score->ShowNumber(0);
    lives->SetPosition(-50, -150, 50);
    lives->SetOrientation(0, -1, 0, 0, 0, -1);
    lives->ShowNumber(5);
    ball->SetPosition(0, -100, 0);
    ball->SetColor(0xFFFF0000);
    Draw();

    EXPECT_COLOUR(Reddish, At(D3DVECTOR{0, -102, 0})) << "the waiting ball";
    EXPECT_COLOUR(Reddish, At(D3DVECTOR{67, -150, 49.5f})) << "the score's top segments";
    EXPECT_COLOUR(Reddish, At(D3DVECTOR{-53, -150, 49.5f})) << "the lives' top segments";
    // Brick (cx 7, cz 2) shows its own colour; through the gaps between the
    // bricks the back wall shows.
    std::uint32_t brick = At(D3DVECTOR{25, 2, -25});
    EXPECT_GT(R(brick), B(brick)) << std::hex << brick;
    EXPECT_COLOUR(Whitish, At(D3DVECTOR{0, 50, 10}));
}

}  // namespace

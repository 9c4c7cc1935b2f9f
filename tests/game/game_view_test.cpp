#include "platform/d3drm/d3drm_testing.h"
#include "tests/game/game_fixture.h"

namespace {

using namespace gametest;

class GameViewTest : public GameTest {};

TEST_F(GameViewTest, BindingBuildsLevelOneAndTheWaitingBall) {
    EXPECT_EQ(game->level, 1);
    EXPECT_EQ(game->lives, 5);
    EXPECT_EQ(game->score, 0);
    EXPECT_EQ(game->bricksLeft, 100);
    EXPECT_EQ(BricksStanding(), 100);
    for (int cx = 0; cx < 10; ++cx) {
        for (int cz = 0; cz < 10; ++cz) {
            SceneObject* brick = game->bricks[100 * cx + 50 + cz];
            ASSERT_NE(brick, nullptr) << cx << ", " << cz;
            EXPECT_TRUE(Near(brick->position, cx * 10 - 45.0f, 5, cz * 10 - 45.0f));
            EXPECT_EQ(brick->parentFrame, game->world);
        }
    }
    EXPECT_EQ(Shown(game->scoreDisplay), "000");
    EXPECT_EQ(Shown(game->livesDisplay), "05");
    EXPECT_TRUE(Near(game->ball->position, 0, -100, 0));
    EXPECT_TRUE(Near(game->ball->velocity, 0, 0, 0));
    EXPECT_EQ(game->ball->color, 0xFFFF0000u);
    EXPECT_FALSE(game->inPlay);
    EXPECT_TRUE(Near(game->racket->position, 0, -50.1f, 0));
    EXPECT_TRUE(Near(game->cameraRig->position, 0, -300, 0));
    EXPECT_TRUE(Near(game->court->maxCorner, 50, 50, 50));
    EXPECT_EQ(game->scene->GetSceneBackground() & 0xFFFFFFu, 0x007F00u);
    EXPECT_TRUE(Near(game->scoreDisplay->position, 70, -150, 50));
    EXPECT_TRUE(Near(game->livesDisplay->position, -50, -150, 50));

    // A view not yet bound holds no game.
    auto* fresh = new GameView;  // the view list owns it from here
    EXPECT_FALSE(fresh->inPlay);
    EXPECT_EQ(fresh->level, 0);
    EXPECT_EQ(fresh->lives, 5);
    EXPECT_EQ(fresh->bricksLeft, 0);
    EXPECT_EQ(fresh->ball, nullptr);
}

// The lights as a player sees them: the back wall, facing the camera, takes
// the ambient light and the first directional one; the floor, facing up, is
// lit to full by the second.
TEST_F(GameViewTest, TheLightsLightTheCourtAsDesigned) {
    for (SceneObject*& brick : game->bricks) {
        delete brick;
        brick = nullptr;
    }
    ASSERT_TRUE(game->Draw());
    auto pixel = [&](D3DVECTOR world) {
        unsigned x = 0, y = 0;
        PixelOf(world, x, y);
        std::uint32_t rgb = 0;
        EXPECT_TRUE(ReadDevicePixels(game->device, static_cast<int>(x), static_cast<int>(y), rgb));
        return static_cast<int>((rgb >> 16) & 0xFF);
    };
    const int backWall = pixel(D3DVECTOR{-30, 50, -30});  // 250 x (0.5 ambient + 0.5 x 0.70)
    EXPECT_NEAR(backWall, 213, 8);
    const int floor = pixel(D3DVECTOR{-30, 0, -50});  // ambient and both lights: full
    EXPECT_GE(floor, 240);
}

TEST_F(GameViewTest, LevelTwoIsAShellOfThreeHundredAndSixAndLevelThreeIsNothing) {
    for (int slot = 0; slot < kBrickSlots; ++slot) {
        delete game->bricks[slot];
        game->bricks[slot] = nullptr;
    }
    game->bricksLeft = 0;
    game->BuildLevel(2);
    EXPECT_EQ(BricksStanding(), 306);
    EXPECT_EQ(game->bricksLeft, 306);
    EXPECT_NE(game->bricks[551], nullptr) << "(5, 5, 1): d2 = 16";
    EXPECT_EQ(game->bricks[550], nullptr) << "(5, 5, 0): d2 = 25";
    EXPECT_EQ(game->bricks[555], nullptr) << "the centre";
    EXPECT_EQ(game->bricks[552], nullptr) << "(5, 5, 2): d2 = 9";
    for (int slot = 0; slot < kBrickSlots; ++slot) {
        if (!game->bricks[slot]) continue;
        const int c[3] = {slot / 100, slot / 10 % 10, slot % 10};
        EXPECT_TRUE(Near(game->bricks[slot]->position, c[0] * 10 - 45.0f, c[1] * 10 - 45.0f, c[2] * 10 - 45.0f));
        for (int axis : c) EXPECT_GE(axis, 1) << "no brick in layer 0";
    }

    std::srand(99);
    const int first = std::rand();
    std::srand(99);
    game->BuildLevel(3);
    EXPECT_EQ(BricksStanding(), 306);
    EXPECT_EQ(std::rand(), first) << "level 3 drew no number";
}

TEST_F(GameViewTest, EachBrickTakesTwoDrawsRedFromTheFirst) {
    EXPECT_EQ(BrickColor(0x1234, 0x5678), 0xFF345678u);
    for (int slot = 0; slot < kBrickSlots; ++slot) {
        delete game->bricks[slot];
        game->bricks[slot] = nullptr;
    }
    std::srand(7);
    const int r1 = std::rand(), r2 = std::rand(), r3 = std::rand(), r4 = std::rand();
    std::srand(7);
    game->BuildLevel(1);
    auto meshColour = [](SceneObject* brick) {
        IDirect3DRMVisualArray* visuals = nullptr;
        brick->frame->GetVisuals(&visuals);
        IDirect3DRMVisual* visual = nullptr;
        visuals->GetElement(0, &visual);
        IDirect3DRMMeshBuilder* mesh = nullptr;
        visual->QueryInterface(IID_IDirect3DRMMeshBuilder, reinterpret_cast<void**>(&mesh));
        IDirect3DRMFace* face = nullptr;
        mesh->CreateFace(&face);  // a new face takes the mesh's colour
        D3DCOLOR c = face->GetColor();
        face->Release();
        mesh->Release();
        visual->Release();
        visuals->Release();
        return c;
    };
    EXPECT_EQ(meshColour(game->bricks[50]), BrickColor(r1, r2)) << "the first brick, cell (0, 5, 0)";
    EXPECT_EQ(meshColour(game->bricks[51]), BrickColor(r3, r4)) << "then (0, 5, 1)";
}

TEST_F(GameViewTest, EndGameKeepsTheScoreShowsTheBoxThenAsksToClose) {
    game->score = 42;
    int boxes = 0;
    testsupport::OnModalBox([&](HWND box) {
        ++boxes;
        testsupport::PressEnter(box);
    });
    game->EndGame();
    EXPECT_EQ(finalScore, 42);
    EXPECT_EQ(boxes, 1);
    MSG msg;
    bool closing = false;
    // The box's own loop has already painted; the close request waits for the game's loop.
    while (PeekMessageA(&msg, mainWindow, 0, 0, PM_REMOVE)) {
        closing = closing || msg.message == WM_CLOSE;
        if (msg.message == WM_PAINT) DispatchMessageA(&msg);
    }
    EXPECT_TRUE(closing);
}

// While the ball waits and nobody touches anything the game still ticks, and
// places its racket each time, but no picture is drawn; a mouse move is.
TEST_F(GameViewTest, AWaitingBallDrawsNothingUntilTheMouseMovesTheRacket) {
    auto tick = [&] {
        PostMessageA(mainWindow, WM_TIMER, 0, 0);
        DrainQueue();
        IdleStep();
    };
    for (int i = 0; i < 3; ++i) tick();  // the first picture, and the one after painting
    const std::uint64_t settled = TickPictureCount(game->device);
    for (int i = 0; i < 30; ++i) tick();
    EXPECT_EQ(TickPictureCount(game->device), settled);
    EXPECT_FALSE(game->inPlay);

    std::vector<std::uint32_t> before, after, full;
    ASSERT_TRUE(ReadDeviceImage(game->device, before));
    PostMessageA(mainWindow, WM_MOUSEMOVE, 0, static_cast<LPARAM>(200 | 300 << 16));
    tick();
    EXPECT_EQ(TickPictureCount(game->device), settled + 1);
    ASSERT_TRUE(ReadDeviceImage(game->device, after));
    EXPECT_FALSE(after == before) << "the racket did not move on screen";
    ASSERT_TRUE(game->Draw());
    ASSERT_TRUE(ReadDeviceImage(game->device, full));
    EXPECT_TRUE(after == full);
}

}  // namespace

#include "tests/game/game_fixture.h"

namespace {

using namespace gametest;

constexpr float kDt = 0.066f;
constexpr float kG = -9.81f;

class BallFlightTest : public GameTest {
protected:
    // Only one brick, in the far corner cell (9, 9, 9), so the flight alone
    // is seen and the level does not end.
    void ClearBricks(bool keepOne = true) {
        for (SceneObject*& brick : game->bricks) {
            delete brick;
            brick = nullptr;
        }
        game->bricksLeft = 0;
        if (keepOne) Put(999);
    }
    void Put(int slot) {
        game->bricks[slot] = game->CreateBrick(3.0f, 0xFF808080);
        game->bricks[slot]->SetParentFrame(game->world);
        game->bricksLeft += 1;
    }
    void Tick() { game->OnTick(kDt); }
};

TEST_F(BallFlightTest, TheBallFollowsItsParabolaAndChangesColourAtTheOpenFront) {
    // Every component follows the same law, whichever way gravity pulls.
    gravity = D3DVECTOR{0.5f, -2.0f, kG};
    Fly({1, -52, 3}, {10, 40, -5});
    Tick();
    const float t = kDt;
    EXPECT_TRUE(Near(game->ball->position, 1 + 10 * t + 0.25f * t * t, -52 + 40 * t - t * t,
                     3 - 5 * t + 0.5f * kG * t * t, 1e-4f));
    EXPECT_TRUE(Near(game->ball->velocity, 10 + 0.5f * t, 40 - 2 * t, -5 + kG * t, 1e-4f));
    gravity = D3DVECTOR{0, 0, kG};
    EXPECT_EQ(game->ball->color, 0xFFFFFFFFu) << "white inside the box";
    Tick();
    EXPECT_EQ(game->ball->color, 0xFFFFFFFFu);
    EXPECT_EQ(Claps(), 0);

    Fly({0, -49, 0}, {0, -40, 0});
    Tick();
    EXPECT_EQ(game->ball->color, 0xFFFF0000u) << "red again in front of it";
}

TEST_F(BallFlightTest, WallsFloorAndCeilingReflectInTwoGroupsOfOneBounceEach) {
    ClearBricks();
    struct Case {
        const char* what;
        D3DVECTOR p, v;
        D3DVECTOR expectP, expectV;  // NaN: not checked
        int claps;
    };
    const float t = kDt, fall = 0.5f * kG * t * t;
    const Case cases[] = {
        {"left wall x = -50", {-47.5f, 0, 0}, {-20, 0, 0}, {-48 * 2 - (-47.5f - 20 * t), 0, fall}, {20, 0, kG * t}, 1},
        {"right wall x = 50", {47.5f, 0, 0}, {20, 0, 0}, {48 * 2 - (47.5f + 20 * t), 0, fall}, {-20, 0, kG * t}, 1},
        {"back wall", {0, 47.5f, 0}, {0, 20, 0}, {0, 48 * 2 - (47.5f + 20 * t), fall}, {0, -20, kG * t}, 1},
        {"floor", {0, 0, -47.5f}, {0, 0, -20}, {0, 0, 2 * -48 - (-47.5f) - (-20) * t}, {0, 0, 20}, 1},
        {"ceiling", {0, 0, 47.5f}, {0, 0, 20}, {0, 0, 2 * 48 - 47.5f - 20 * t}, {0, 0, -20}, 1},
        // Group 1 takes the left wall, not the floor; group 2 the right wall, not the back or ceiling.
        {"left wall before floor", {-47.5f, 0, -47.5f}, {-20, 0, -20}, {-48 * 2 - (-47.5f - 20 * t), 0, -47.5f - 20 * t + fall}, {20, 0, -20 + kG * t}, 1},
        {"right wall before back wall", {47.5f, 47.5f, 0}, {20, 20, 0}, {48 * 2 - (47.5f + 20 * t), 47.5f + 20 * t, fall}, {-20, 20, kG * t}, 1},
        {"left wall and back wall", {-47.5f, 47.5f, 0}, {-20, 20, 0}, {-48 * 2 - (-47.5f - 20 * t), 48 * 2 - (47.5f + 20 * t), fall}, {20, -20, kG * t}, 2},
        {"no wall just inside", {-47.5f, 0, 0}, {-1, 0, 0}, {-47.5f - t, 0, fall}, {-1, 0, kG * t}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sink.Clear();
        Fly(c.p, c.v);
        Tick();
        EXPECT_TRUE(Near(game->ball->position, c.expectP.x, c.expectP.y, c.expectP.z, 1e-3f));
        EXPECT_TRUE(Near(game->ball->velocity, c.expectV.x, c.expectV.y, c.expectV.z, 1e-3f));
        EXPECT_EQ(Claps(), c.claps);
    }
}

TEST_F(BallFlightTest, ABallBelowMinusTwoHundredIsLostAndTheFifthEndsTheGame) {
    gravity = D3DVECTOR{0, 0, 0};  // so the ball lands exactly where it is sent
    Fly({0, -200 + 60 * kDt, 0}, {0, -60, 0});
    Tick();
    EXPECT_TRUE(game->inPlay) << "exactly -200 is not lost";
    EXPECT_EQ(game->lives, 5);
    Tick();
    EXPECT_FALSE(game->inPlay);
    EXPECT_EQ(game->lives, 4);
    EXPECT_EQ(Shown(game->livesDisplay), "04");
    EXPECT_TRUE(Near(game->ball->position, 0, -100, 0));
    EXPECT_EQ(game->ball->color, 0xFFFF0000u);
    EXPECT_EQ(prevCell.y, -1);

    int boxes = 0;
    testsupport::OnModalBox([&](HWND box) {
        ++boxes;
        testsupport::PressEnter(box);
    });
    game->lives = 1;
    game->score = 17;
    Fly({0, -199, 0}, {0, -60, 0});
    Tick();
    gravity = D3DVECTOR{0, 0, -9.81f};
    EXPECT_EQ(game->lives, 0);
    EXPECT_EQ(Shown(game->livesDisplay), "00");
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(finalScore, 17);
}

TEST_F(BallFlightTest, CellsTruncateTowardsZeroAndOnlyTheFirstAxisOutsideIsMarked) {
    ClearBricks();
    gravity = D3DVECTOR{0, 0, 0};
    prevCell = CellIndex{3, 3, 3};
    Fly({-55, -55, 5}, {0, 0, 0});
    Tick();
    EXPECT_EQ(prevCell.x, 0) << "-55 is in cell 0 by truncation";
    EXPECT_EQ(prevCell.y, 0);
    EXPECT_EQ(prevCell.z, 5);
    Fly({5, -61, 70}, {0, 0, 0});
    Tick();
    EXPECT_EQ(prevCell.x, 0) << "checking stopped at y";
    EXPECT_EQ(prevCell.y, -1) << "-61 is outside";
    EXPECT_EQ(prevCell.z, 5);
    prevCell = CellIndex{3, 3, 3};
    Fly({5, -60, 5}, {0, 0, 0});
    Tick();
    EXPECT_EQ(prevCell.y, -1) << "-60 is exactly one cell short of the grid";
    gravity = D3DVECTOR{0, 0, -9.81f};
}

TEST_F(BallFlightTest, BricksScoreInOrderAndTheBallBouncesOnEveryAxisWhoseCellChanged) {
    ClearBricks();
    gravity = D3DVECTOR{0, 0, 0};
    // From the cell in front along y: only VY turns.
    Put(555);
    Put(556);
    prevCell = CellIndex{5, 4, 5};
    game->hitCount = 2;
    game->score = 10;
    Fly({5, 5, 5}, {3, 4, 5});
    Tick();
    EXPECT_EQ(game->bricks[555], nullptr);
    EXPECT_EQ(game->score, 13) << "the third brick since the click scores 3";
    EXPECT_EQ(Shown(game->scoreDisplay), "013");
    EXPECT_TRUE(Near(game->ball->velocity, 3, -4, 5));
    EXPECT_EQ(game->bricksLeft, 2);
    ASSERT_EQ(sink.Messages().size(), 1u) << "one note";
    EXPECT_EQ(sink.Messages()[0] & 0xFF, 0x90u);

    // Diagonally, from (5, 4, 5) into (5, 5, 6): VY and VZ turn.
    prevCell = CellIndex{5, 4, 5};
    Fly({5, 5, 15}, {3, 4, 5});
    Tick();
    EXPECT_EQ(game->score, 17);
    EXPECT_TRUE(Near(game->ball->velocity, 3, -4, -5)) << "y and z changed";

    // From the corner cell (0, 0, 0) the ball is still inside: all three turn.
    Put(111);
    prevCell = CellIndex{0, 0, 0};
    Fly({-35, -35, -35}, {3, 4, 5});
    Tick();
    EXPECT_EQ(game->bricks[111], nullptr);
    EXPECT_TRUE(Near(game->ball->velocity, -3, -4, -5)) << "cell 0 is a cell of the grid";

    // From outside the grid the brick goes but the ball flies on.
    Put(555);
    prevCell = CellIndex{-1, 4, 5};
    Fly({5, 5, 5}, {3, 4, 5});
    Tick();
    EXPECT_EQ(game->bricks[555], nullptr);
    EXPECT_TRUE(Near(game->ball->velocity, 3, 4, 5));
    gravity = D3DVECTOR{0, 0, -9.81f};
}

TEST_F(BallFlightTest, AJumpOverACellTakesItsBrickForTheSameScore) {
    ClearBricks();
    gravity = D3DVECTOR{0, 0, 0};
    Put(555);
    Put(545);
    prevCell = CellIndex{5, 3, 5};
    game->hitCount = 0;
    game->score = 0;
    Fly({5, 5, 5}, {0, 1, 0});
    Tick();
    EXPECT_EQ(game->bricks[555], nullptr);
    EXPECT_EQ(game->bricks[545], nullptr) << "the cell jumped over";
    EXPECT_EQ(game->score, 2) << "both score 1";
    EXPECT_EQ(game->bricksLeft, 1) << "the corner brick";
    EXPECT_EQ(prevCell.y, 4) << "the midpoint is remembered";
    gravity = D3DVECTOR{0, 0, -9.81f};
}

TEST_F(BallFlightTest, TheLastBrickOfLevelOneBuildsLevelTwoAndOfLevelTwoEndsTheGame) {
    ClearBricks(false);
    gravity = D3DVECTOR{0, 0, 0};
    Put(55);
    prevCell = CellIndex{0, 4, 5};
    Fly({-45, 5, 5}, {0, 10, 0});
    Tick();
    EXPECT_EQ(game->level, 2);
    EXPECT_EQ(BricksStanding(), 306);
    EXPECT_FALSE(game->inPlay);
    EXPECT_TRUE(Near(game->ball->position, 0, -100, 0));
    EXPECT_EQ(game->lives, 5);

    int boxes = 0;
    testsupport::OnModalBox([&](HWND box) {
        ++boxes;
        testsupport::PressEnter(box);
    });
    ClearBricks(false);
    Put(55);
    prevCell = CellIndex{0, 4, 5};
    Fly({-45, 5, 5}, {0, 10, 0});
    Tick();
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(game->level, 3);
    EXPECT_TRUE(game->inPlay) << "the game ends with the ball in flight";
    EXPECT_EQ(BricksStanding(), 0);
    gravity = D3DVECTOR{0, 0, -9.81f};
}

TEST_F(BallFlightTest, WhileTheBallWaitsTicksMoveOnlyTheRacketCameraAndNotes) {
    game->cameraRig->moveSpeed = 100;
    const D3DVECTOR before = game->ball->position;
    Tick();
    EXPECT_TRUE(Near(game->ball->position, before.x, before.y, before.z));
    EXPECT_FALSE(game->inPlay);
    EXPECT_FLOAT_EQ(game->racket->position.y, -150) << "placed on its plane";
    EXPECT_TRUE(Near(game->cameraRig->position, 0, -300 + 100 * kDt, 0, 1e-3f));
    EXPECT_EQ(game->accumulatedTime, 0.0f);
}

}  // namespace

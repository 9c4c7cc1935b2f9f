#include "tests/game/game_fixture.h"

namespace {

using namespace gametest;

class RacketControlTest : public GameTest {
protected:
    // The pixel whose ray meets the racket plane at (x, -150, z).
    void Aim(float x, float z, unsigned& px, unsigned& py) { PixelOf(D3DVECTOR{x, -150, z}, px, py); }
    bool Finite(D3DVECTOR v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
};

TEST_F(RacketControlTest, OnlyALeftClickAloneWithTheBallInTheBandHits) {
    unsigned px = 0, py = 0;
    Aim(0, 0, px, py);
    for (WPARAM keys : {WPARAM{MK_LBUTTON | MK_SHIFT}, WPARAM{MK_RBUTTON}, WPARAM{MK_MBUTTON}}) {
        game->OnMouseDown(px, py, keys);
        EXPECT_FALSE(game->inPlay) << "keys " << keys;
    }
    struct {
        float y;
        bool accepted;
    } band[] = {{-49.9f, false}, {-50.0f, true}, {-150.0f, true}, {-150.1f, false}};
    for (const auto& b : band) {
        game->ResetBall();
        game->ball->SetPosition(0, b.y, 0);
        game->OnMouseDown(px, py, MK_LBUTTON);
        EXPECT_EQ(game->inPlay, b.accepted) << "ball at y = " << b.y;
    }
}

TEST_F(RacketControlTest, TheWaitingBallLeavesAtFortyAwayFromTheMousePointWithAClap) {
    unsigned px = 0, py = 0;
    Aim(-20, -30, px, py);  // below and to the right of the ball on the screen
    game->hitCount = 9;
    game->OnMouseDown(px, py, MK_LBUTTON);
    ASSERT_TRUE(game->inPlay);
    EXPECT_EQ(game->hitCount, 0);
    const D3DVECTOR v = game->ball->velocity;
    EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 40.0f, 1e-3f);
    // Along the line from (-20, -150, -30) through the ball at (0, -100, 0).
    const float len = std::sqrt(20.0f * 20 + 50 * 50 + 30 * 30);
    EXPECT_TRUE(Near(v, 40 * 20 / len, 40 * 50 / len, 40 * 30 / len, 0.3f));
    EXPECT_TRUE(Near(game->racket->position, 0, -100, 0)) << "the racket jumps to the ball";
    EXPECT_EQ(Claps(), 1);
    EXPECT_EQ(lastMouseX, static_cast<int>(px));
}

TEST_F(RacketControlTest, HeadOnAtOneHundredLeavesAtOneHundredAndAwayMovingBallsAreNotHit) {
    unsigned px = 0, py = 0;
    Aim(0, 0, px, py);
    game->ball->SetPosition(0, -100, 0);
    game->ball->SetVelocity(0, -100, 0);
    game->OnMouseDown(px, py, MK_LBUTTON);
    EXPECT_TRUE(Near(game->ball->velocity, 0, 100, 0, 0.5f));

    // d > 0: the click still counts, but nothing is hit.
    sink.Clear();
    game->inPlay = false;
    game->hitCount = 4;
    game->ball->SetVelocity(0, 30, 0);
    game->racket->SetPosition(1, 2, 3);
    game->OnMouseDown(px, py, MK_LBUTTON);
    EXPECT_TRUE(game->inPlay);
    EXPECT_EQ(game->hitCount, 0);
    EXPECT_TRUE(Near(game->ball->velocity, 0, 30, 0));
    EXPECT_TRUE(Near(game->racket->position, 1, 2, 3));
    EXPECT_EQ(Claps(), 0);
}

TEST_F(RacketControlTest, TheRacketStaysInsideTheCourtButTheHitAimsWhereThePlayerPointed) {
    unsigned px = 0, py = 0;
    Aim(-147, 0, px, py);  // beyond the side wall on the right of the screen
    game->OnMouseMove(px, py, 0);
    EXPECT_FLOAT_EQ(game->racket->position.x, -140.0f);
    EXPECT_FLOAT_EQ(game->racket->position.y, -150.0f);
    // The racket faces the ball from its clamped place.
    D3DVECTOR dir{}, up{};
    game->racket->frame->GetOrientation(game->world, &dir, &up);
    EXPECT_TRUE(Finite(dir) && Finite(up));
    EXPECT_NEAR(racketNormal.x, 140 / std::sqrt(140.0f * 140 + 50 * 50), 0.01f);

    game->OnMouseDown(px, py, MK_LBUTTON);
    EXPECT_NEAR(racketNormal.x, 147 / std::sqrt(147.0f * 147 + 50 * 50), 0.01f) << "unclamped for the hit";
}

TEST_F(RacketControlTest, RightDragTurnsAndMovesTheCameraOtherDragsDoNot) {
    game->OnMouseMove(100, 200, 0);
    game->OnMouseMove(200, 200, MK_RBUTTON | MK_LBUTTON);
    EXPECT_TRUE(Near(game->cameraRig->position, 0, -300, 0)) << "two buttons: no camera move";
    game->OnMouseMove(300, 200, MK_RBUTTON);
    // 100 pixels right: one radian about z; from (0, -300, 0) that is towards +x.
    EXPECT_TRUE(Near(game->cameraRig->position, 300 * std::sin(1.0f), -300 * std::cos(1.0f), 0, 0.05f));
    viewManager.sceneChanged = false;
    game->OnMouseMove(300, 230, MK_RBUTTON);  // 30 down: 30 units forwards
    const D3DVECTOR p = game->cameraRig->position;
    EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 270, 0.05f);
    EXPECT_TRUE(viewManager.sceneChanged);
}

TEST_F(RacketControlTest, ArrowKeysSetCameraSpeedsAndTheirReleaseClearsThem) {
    CameraRig* rig = game->cameraRig;
    game->OnKeyDown(VK_UP);
    EXPECT_EQ(rig->moveSpeed, 100.0f);
    game->OnKeyDown(VK_DOWN);
    EXPECT_EQ(rig->moveSpeed, -100.0f);
    game->OnKeyUp(VK_UP);
    EXPECT_EQ(rig->moveSpeed, 0.0f);
    game->OnKeyDown(VK_LEFT);
    EXPECT_EQ(rig->turnSpeed, 0.5f);
    game->OnKeyDown(VK_RIGHT);
    EXPECT_EQ(rig->turnSpeed, -0.5f);
    game->OnKeyUp(VK_LEFT);
    EXPECT_EQ(rig->turnSpeed, 0.0f) << "right is still held, but the release stops the turn";
    viewManager.sceneChanged = false;
    game->OnKeyDown('A');
    game->OnKeyUp('A');
    EXPECT_FALSE(viewManager.sceneChanged) << "other keys are ignored";
    game->OnKeyDown(VK_LEFT);
    EXPECT_TRUE(viewManager.sceneChanged);
}

TEST_F(RacketControlTest, DegeneratePlacesNeverPutNanIntoTheBallOrTheRacket) {
    // A ray along the racket plane: the camera looks along x, beside it.
    game->cameraRig->SetPosition(-300, -300, 0);
    game->cameraRig->SetDirection(1, 0, 0);
    game->cameraRig->SetUp(0, 0, 1);
    float hx = 7, hz = 7;
    ASSERT_FALSE(game->RacketPoint(320, 240, hx, hz)) << "the centre ray runs along the plane";
    EXPECT_EQ(hx, 7.0f);
    const D3DVECTOR racketBefore = game->racket->position;
    const D3DVECTOR normalBefore = racketNormal;
    game->OnMouseMove(320, 240, 0);
    EXPECT_TRUE(Near(game->racket->position, racketBefore.x, racketBefore.y, racketBefore.z));
    game->OnMouseDown(320, 240, MK_LBUTTON);
    EXPECT_TRUE(Near(racketNormal, normalBefore.x, normalBefore.y, normalBefore.z)) << "the last normal aims";
    EXPECT_TRUE(Finite(game->ball->velocity));

    // The ball right on the racket point: the last normal stays.
    game->ResetBall();
    racketNormal = D3DVECTOR{0, 1, 0};
    game->ball->SetPosition(5, -150, 7);
    game->PlaceRacket(5, 7);
    EXPECT_TRUE(Near(racketNormal, 0, 1, 0));
    EXPECT_TRUE(Finite(game->racket->position));

    // A normal along x: direction and up coincide; the orientation stays.
    game->PlaceRacket(0, 0);
    D3DVECTOR dir0{}, up0{}, dir1{}, up1{};
    game->racket->frame->GetOrientation(game->world, &dir0, &up0);
    game->ball->SetPosition(50, -150, 0);
    game->PlaceRacket(0, 0);
    EXPECT_TRUE(Near(racketNormal, 1, 0, 0));
    game->racket->frame->GetOrientation(game->world, &dir1, &up1);
    EXPECT_TRUE(Near(dir1, dir0.x, dir0.y, dir0.z));
    EXPECT_TRUE(Near(up1, up0.x, up0.y, up0.z));
    game->ball->SetVelocity(0, 0, 0);
    game->OnMouseDown(320, 240, MK_LBUTTON);
    EXPECT_TRUE(Finite(game->ball->velocity));
}

}  // namespace

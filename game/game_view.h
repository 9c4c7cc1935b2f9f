// The game itself: the one view of the program, with its scene, the brick
// grid, the level, the score and the lives.
#pragma once

#include "render/render_view.h"
#include "game/game_state.h"

class Ball;
class Court;
class DigitDisplay;
class Racket;
class SceneObject;

class GameView : public RenderView {
public:
    GameView();
    ~GameView() override;

    void AttachWindow(HWND window) override;
    void OnKeyDown(WPARAM key) override;
    void OnKeyUp(WPARAM key) override;
    void OnMouseDown(unsigned x, unsigned y, WPARAM keys) override;
    void OnMouseMove(unsigned x, unsigned y, WPARAM keys) override;
    void OnTick(float dt) override;

    void BuildLights();
    void BuildCourtAndDisplays();
    void BuildBallAndRacket();
    void BuildLevel(int number);
    SceneObject* CreateBrick(float halfSize, D3DCOLOR color);
    void ResetView();
    void ResetBall();
    void EndGame();

    // The mouse ray's point on the racket plane; false when the ray runs along it.
    bool RacketPoint(unsigned x, unsigned y, float& hx, float& hz);
    void AimRacketNormal(float hx, float hz);
    void PlaceRacket(float hx, float hz);

    SceneObject* bricks[kBrickSlots];
    bool inPlay;
    int bricksLeft;
    int level;
    int lives;
    Ball* ball;
    Court* court;
    DigitDisplay* scoreDisplay;
    DigitDisplay* livesDisplay;
    int score;
    int hitCount;
    Racket* racket;

private:
    void PlaceBrick(int slot, float x, float y, float z);
    void RemoveBrick(int slot);
};

constexpr int kStartLives = 5;

// A brick's colour from two draws of rand: opaque, red from the first.
constexpr D3DCOLOR BrickColor(int r1, int r2) {
    return 0xFF000000u | ((static_cast<DWORD>(r1) & 0xFF) << 16) | static_cast<DWORD>(r2);
}

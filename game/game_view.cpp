#include "game/game_view.h"

#include <cstdlib>

#include "app/main_window.h"
#include "render/camera_rig.h"
#include "render/graphics_startup.h"
#include "scene/ball.h"
#include "scene/brick.h"
#include "scene/court.h"
#include "scene/digit_display.h"
#include "scene/racket.h"

float kickSpeed = 20.0f;
CellIndex prevCell = {-1, -1, -1};
int lastMouseX = 0;
int lastMouseY = 0;
int finalScore = 0;

GameView::GameView()
    : bricks{},
      inPlay(false),
      bricksLeft(0),
      level(0),
      lives(kStartLives),
      ball(nullptr),
      court(nullptr),
      scoreDisplay(nullptr),
      livesDisplay(nullptr),
      score(0),
      hitCount(0),
      racket(nullptr) {}

// The game's objects hang under the render view's world frame, so they go
// before the render view lets its frames go.
GameView::~GameView() {
    for (SceneObject*& brick : bricks) {
        delete brick;
        brick = nullptr;
    }
    delete racket;
    delete ball;
    delete livesDisplay;
    delete scoreDisplay;
    delete court;
}

void GameView::AttachWindow(HWND target) {
    RenderView::AttachWindow(target);
    // Without Retained Mode the base built no world; there is nothing to hang a game on.
    if (!world) return;
    BuildLights();
    BuildCourtAndDisplays();
    BuildBallAndRacket();
    SetBackgroundRGB(0.0f, 0.5f, 0.0f);
    level += 1;
    BuildLevel(level);
    ResetView();
}

void GameView::BuildLights() {
    const struct {
        float level, px, py, pz, dx, dy, dz, ux, uy, uz;
    } directional[2] = {
        {0.5f, 0, -100, 100, 0.5f, 0.7f, -0.5f, 1, 1, 1},
        {1.0f, 0, 100, 100, -0.5f, -0.5f, -0.5f, -1, -1, 1},
    };
    for (const auto& d : directional) {
        IDirect3DRMFrame* frame = nullptr;
        IDirect3DRMLight* light = nullptr;
        retainedMode->CreateFrame(world, &frame);
        retainedMode->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, d.level, d.level, d.level, &light);
        if (frame && light) frame->AddLight(light);
        if (frame) {
            frame->SetPosition(scene, d.px, d.py, d.pz);
            frame->SetOrientation(scene, d.dx, d.dy, d.dz, d.ux, d.uy, d.uz);
            frame->Release();
        }
        if (light) light->Release();
    }
    IDirect3DRMLight* ambient = nullptr;
    retainedMode->CreateLightRGB(D3DRMLIGHT_AMBIENT, 0.5f, 0.5f, 0.5f, &ambient);
    if (ambient) {
        world->AddLight(ambient);
        ambient->Release();
    }
}

void GameView::BuildCourtAndDisplays() {
    court = new Court(D3DVECTOR{-50, -50, -50}, D3DVECTOR{50, 50, 50});
    court->SetParentFrame(world);
    scoreDisplay = new DigitDisplay(3, 5.0f, 0.5f, 0.1f, 2.0f);
    scoreDisplay->SetParentFrame(world);
    livesDisplay = new DigitDisplay(2, 5.0f, 0.5f, 0.1f, 2.5f);
    livesDisplay->SetParentFrame(world);
}

void GameView::BuildBallAndRacket() {
    ball = new Ball(D3DVECTOR{0, 0, 0}, 2.0f);
    ball->SetParentFrame(world);
    racket = new Racket(10.0f);
    racket->SetParentFrame(world);
    racket->SetPosition(0, -50.1f, 0);
}

SceneObject* GameView::CreateBrick(float halfSize, D3DCOLOR color) { return ::CreateBrick(halfSize, color); }

// Two draws a brick, red from the first; the colour comes before the brick.
void GameView::PlaceBrick(int slot, float x, float y, float z) {
    const int r1 = std::rand();
    const int r2 = std::rand();
    SceneObject* brick = CreateBrick(3.0f, BrickColor(r1, r2));
    bricks[slot] = brick;
    bricksLeft += 1;
    brick->SetParentFrame(world);
    brick->SetPosition(x, y, z);
}

namespace {

float CellCentre(int i) { return static_cast<float>(i * 10 + 5 - 50); }

}  // namespace

void GameView::BuildLevel(int number) {
    if (number == 1) {
        // A wall across the middle of the box, in the layer cy = 5.
        for (int cx = 0; cx < kCellsPerAxis; ++cx) {
            for (int cz = 0; cz < kCellsPerAxis; ++cz) {
                PlaceBrick(100 * cx + 50 + cz, CellCentre(cx), 5.0f, CellCentre(cz));
            }
        }
    } else if (number == 2) {
        // A hollow shell around cell (5, 5, 5).
        for (int cx = 0; cx < kCellsPerAxis; ++cx) {
            for (int cy = 0; cy < kCellsPerAxis; ++cy) {
                for (int cz = 0; cz < kCellsPerAxis; ++cz) {
                    const int d2 = (cx - 5) * (cx - 5) + (cy - 5) * (cy - 5) + (cz - 5) * (cz - 5);
                    if (d2 > 12 && d2 < 25) {
                        PlaceBrick(100 * cx + 10 * cy + cz, CellCentre(cx), CellCentre(cy), CellCentre(cz));
                    }
                }
            }
        }
    }
}

// Both displays stand in the racket plane facing the camera, read with their
// x to the right and y downwards: the score beyond the wall x = 50 on the
// left of the screen, the lives beyond x = -50 on the right.
void GameView::ResetView() {
    cameraRig->SetPosition(0, -300, 0);
    cameraRig->SetDirection(0, 1, 0);
    cameraRig->SetUp(0, 0, 1);
    scoreDisplay->SetPosition(70, -150, 50);
    scoreDisplay->SetOrientation(0, -1, 0, 0, 0, -1);
    scoreDisplay->ShowNumber(0);
    livesDisplay->SetPosition(-50, -150, 50);
    livesDisplay->SetOrientation(0, -1, 0, 0, 0, -1);
    livesDisplay->ShowNumber(lives);
    ResetBall();
}

void GameView::ResetBall() {
    ball->SetPosition(0, -100, 0);
    ball->SetVelocity(0, 0, 0);
    ball->SetColor(0xFFFF0000);
    inPlay = false;
}

// The box takes the focus, which pauses the timer: nothing moves behind it.
void GameView::EndGame() {
    finalScore = score;
    PostMessageA(mainWindow, WM_PAINT, 0, 0);
    MessageBoxA(mainWindow, "Game Over!", "", MB_OK);
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
}

void GameView::RemoveBrick(int slot) {
    delete bricks[slot];
    bricks[slot] = nullptr;
    bricksLeft -= 1;
}

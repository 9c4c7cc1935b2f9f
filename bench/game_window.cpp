#include "bench/game_window.h"

#include <cstdlib>

#include "app/main_window.h"
#include "app/view_manager.h"
#include "bench/brick_lattice.h"
#include "bench/frame_finish.h"
#include "render/graphics_startup.h"
#include "scene/ball.h"
#include "scene/racket.h"
#include "scene/scene_object.h"

namespace bench {

bool GameWindow::Open(int width, int height, int x, int y) {
    Close();
    instance = GetModuleHandleA(nullptr);
    if (!viewManager.StartGraphics(nullptr)) return false;
    RegisterMainClass();
    mainWindow = CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, x, y, width, height, nullptr,
                                 nullptr, instance, nullptr);
    if (!mainWindow) return false;
    ShowWindow(mainWindow, SW_SHOW);
    CreateGameView(mainWindow);
    view = gameView;
    Pump();
    // A window manager may have cut the window down to the screen: a figure
    // for a size the picture does not have would be a false one.
    RECT client{};
    GetClientRect(mainWindow, &client);
    if (!view || !view->deviceReady || client.right - client.left != width || client.bottom - client.top != height) {
        Close();
        return false;
    }
    return true;
}

void GameWindow::Close() {
    for (SceneObject* brick : extraBricks_) delete brick;
    extraBricks_.clear();
    if (mainWindow && IsWindow(mainWindow)) DestroyWindow(mainWindow);
    Pump();
    mainWindow = nullptr;
    gameView = nullptr;
    view = nullptr;
    windowDestroyed = false;
    viewManager.tickTime = 0.0f;
    viewManager.ticksSinceInput = 0;
    viewManager.idle = true;
    viewManager.sceneChanged = false;
}

void GameWindow::ClearBricks() {
    for (SceneObject*& brick : view->bricks) {
        if (!brick) continue;
        delete brick;
        brick = nullptr;
        view->bricksLeft -= 1;
    }
}

void GameWindow::ToLevel2() {
    ClearBricks();
    view->level = 2;
    view->BuildLevel(2);
    view->ResetBall();
}

void GameWindow::FillWithBricks(int count) {
    ClearBricks();
    for (SceneObject* brick : extraBricks_) delete brick;
    extraBricks_.clear();
    const BrickLattice lattice(count);
    for (int i = 0; i < count; ++i) {
        const int r1 = std::rand();
        const int r2 = std::rand();
        SceneObject* brick = view->CreateBrick(3.0f, BrickColor(r1, r2));
        extraBricks_.push_back(brick);
        brick->SetParentFrame(view->world);
        const auto at = lattice.At(i);
        brick->SetPosition(at[0], at[1], at[2]);
    }
}

bool GameWindow::DrawFrame() {
    const bool drew = view->Draw();
    FinishFrame();
    return drew;
}

void GameWindow::Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

SceneState GameWindow::State() const {
    D3DVECTOR at{}, dir{}, up{};
    view->racket->frame->GetPosition(nullptr, &at);
    view->racket->frame->GetOrientation(nullptr, &dir, &up);
    const D3DVECTOR& ball = view->ball->position;
    return {{ball.x, ball.y, ball.z}, {at.x, at.y, at.z}, {dir.x, dir.y, dir.z}, {up.x, up.y, up.z},
            view->score, view->lives};
}

}  // namespace bench

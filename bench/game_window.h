// The real game on a main window of a chosen size: the GameView built as the
// program builds it, without the timer, so a benchmark decides when the game
// ticks and when it draws.
#pragma once

#include <vector>

#include "bench/bare_scene.h"
#include "game/game_view.h"

namespace bench {

class GameWindow {
public:
    GameWindow() = default;
    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;
    ~GameWindow() { Close(); }

    // Client area width x height at (x, y); false when the game cannot draw there.
    bool Open(int width, int height, int x, int y);
    void Close();

    // Level 1 cleared: level 2 built as the tick builds it on a level-up.
    void ToLevel2();
    // No level at all, then `count` bricks of the game's kind on a lattice
    // filling the court; they stand beside the game's own brick slots.
    void FillWithBricks(int count);
    // One picture of the scene as it stands (what a paint does), finished.
    bool DrawFrame();
    // Whatever the window system has queued, handled; no timer is running.
    void Pump();
    // What the bare program needs to show the game's picture as it stands.
    SceneState State() const;

    GameView* view = nullptr;

private:
    void ClearBricks();

    std::vector<SceneObject*> extraBricks_;
};

}  // namespace bench

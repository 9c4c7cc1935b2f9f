// The game's tick: the racket keeps facing the ball, the notes and the camera
// move on, and a ball in flight takes one step of its parabola, bounces off
// the court, is lost behind the racket or destroys the brick whose cell it enters.
#include <cstdlib>

#include "game/game_view.h"
#include "render/camera_rig.h"
#include "scene/ball.h"
#include "scene/court.h"
#include "scene/digit_display.h"
#include "sound/note_effects.h"

namespace {

// The cell of a coordinate, truncated towards zero: -60 < c < -50 still falls
// in cell 0. Returns false outside the grid.
bool CellOf(float c, int& cell) {
    const float scaled = (c + 50.0f) * 0.1f;
    // Checked before the conversion, which is undefined for a float far out of range.
    if (!(scaled > -1.0f && scaled < static_cast<float>(kCellsPerAxis))) return false;
    cell = static_cast<int>(scaled);
    return true;
}

int Slot(int cx, int cy, int cz) { return 100 * cx + 10 * cy + cz; }

}  // namespace

void GameView::OnTick(float dt) {
    if (!ball || !court) return;
    OnMouseMove(static_cast<unsigned>(lastMouseX), static_cast<unsigned>(lastMouseY), 0);
    AdvanceNotes();
    if (cameraRig) cameraRig->Step(dt);
    if (!inPlay) return;

    const float t = accumulatedTime + dt;
    accumulatedTime = t;
    const D3DVECTOR p = ball->position;
    const D3DVECTOR v = ball->velocity;
    const D3DVECTOR g = gravity;
    const float r = ball->radius;
    const D3DVECTOR lo = court->minCorner, hi = court->maxCorner;
    float X = p.x + v.x * t + 0.5f * g.x * t * t;
    float Y = p.y + v.y * t + 0.5f * g.y * t * t;
    float Z = p.z + v.z * t + 0.5f * g.z * t * t;
    float VX = v.x + g.x * t;
    float VY = v.y + g.y * t;
    float VZ = v.z + g.z * t;

    // White inside the box, red in front of it.
    if (Y > -50.0f && p.y <= -50.0f) {
        ball->SetColor(0xFFFFFFFF);
    } else if (Y <= -50.0f && p.y > -50.0f) {
        ball->SetColor(0xFFFF0000);
    }

    // Two groups, one bounce each at most; the floor and the ceiling also
    // take back this tick's fall, so the ball leaves them as fast as it came.
    if (lo.x + r > X) {
        PlayClap();
        X = 2 * (lo.x + r) - X;
        VX = -VX;
    } else if (Z - r < lo.z) {
        PlayClap();
        Z = 2 * (lo.z + r) - Z + 0.5f * g.z * t * t;
        VZ = -(VZ - g.z * t);
    }
    if (X + r > hi.x) {
        PlayClap();
        X = 2 * (hi.x - r) - X;
        VX = -VX;
    } else if (Y + r > hi.y) {
        PlayClap();
        Y = 2 * (hi.y - r) - Y;
        VY = -VY;
    } else if (Z + r > hi.z) {
        PlayClap();
        Z = 2 * (hi.z - r) - Z + 0.5f * g.z * t * t;
        VZ = -(VZ - g.z * t);
    }

    accumulatedTime = 0.0f;
    ball->SetPosition(X, Y, Z);
    ball->SetVelocity(VX, VY, VZ);

    if (Y < -200.0f) {
        ResetBall();
        lives -= 1;
        livesDisplay->ShowNumber(lives);
        if (lives == 0) EndGame();
    }

    int cx = 0, cy = 0, cz = 0;
    if (!CellOf(X, cx)) {
        prevCell.x = -1;
        return;
    }
    if (!CellOf(Y, cy)) {
        prevCell.y = -1;
        return;
    }
    if (!CellOf(Z, cz)) {
        prevCell.z = -1;
        return;
    }

    const int slot = Slot(cx, cy, cz);
    if (bricks[slot]) {
        RemoveBrick(slot);
        hitCount += 1;
        score += hitCount;
        PlayBrickNote();
        // Coming from inside the grid, the ball bounces off the brick on every
        // axis whose cell changed, and takes the brick of a cell it jumped over.
        if (prevCell.x >= 0 && prevCell.y >= 0 && prevCell.z >= 0) {
            if (cx != prevCell.x) VX = -VX;
            if (cy != prevCell.y) VY = -VY;
            if (cz != prevCell.z) VZ = -VZ;
            ball->SetVelocity(VX, VY, VZ);
            if (std::abs(cx - prevCell.x) > 1 || std::abs(cy - prevCell.y) > 1 || std::abs(cz - prevCell.z) > 1) {
                cx = (prevCell.x + cx) / 2;
                cy = (prevCell.y + cy) / 2;
                cz = (prevCell.z + cz) / 2;
                const int between = Slot(cx, cy, cz);
                if (bricks[between]) {
                    RemoveBrick(between);
                    score += hitCount;
                }
            }
        }
        scoreDisplay->ShowNumber(score);
    }
    prevCell = CellIndex{cx, cy, cz};

    if (bricksLeft != 0) return;
    level += 1;
    if (level > 2) {
        EndGame();
        return;
    }
    BuildLevel(level);
    ResetBall();
}

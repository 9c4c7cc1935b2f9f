// The state of the one game a process plays, kept at file scope so the tick,
// the input handlers and the best-results flow share it.
#pragma once

#include "app/platform_calls.h"

struct CellIndex {
    int x, y, z;
};

extern D3DVECTOR gravity;
extern D3DVECTOR racketNormal;
extern float kickSpeed;
extern CellIndex prevCell;
extern int lastMouseX;
extern int lastMouseY;
extern int finalScore;

// The court's cells: 10 per axis, 10 units each, from -50.
constexpr int kCellsPerAxis = 10;
constexpr int kBrickSlots = kCellsPerAxis * kCellsPerAxis * kCellsPerAxis;
constexpr float kRacketPlaneY = -150.0f;

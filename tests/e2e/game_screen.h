// Reads the game's window as a player would: the score and lives from their
// seven-segment displays, the bricks of the wall, the ball's place. Places are
// found by projecting the game's layout through the starting camera: at
// (0, -300, 0) looking along +y with +z up, so the world's -x runs to the right,
// and a field of 0.5 across the window's larger side.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "tests/support/window_capture.h"

namespace e2e {

struct Pixel {
    int x;
    int y;
};

// Colours as the game lights them: the displays face the camera, so they
// take the ambient light and one of the two directional lights.
bool IsBackground(std::uint32_t colour);
bool IsLitSegment(std::uint32_t colour);
bool IsUnlitSegment(std::uint32_t colour);
bool IsBallRed(std::uint32_t colour);
bool IsCourtLine(std::uint32_t colour);
bool IsWall(std::uint32_t colour);
bool SameColour(std::uint32_t a, std::uint32_t b);

constexpr int kBrickColumns = 10;
constexpr int kBricks = kBrickColumns * kBrickColumns;

class GameScreen {
public:
    GameScreen(int width, int height);

    Pixel Project(float x, float y, float z) const;

    // The number shown, or -1 when some segment is neither lit nor unlit
    // (covered, or the display is not where it belongs).
    int ReadScore(const capture::Image& image) const;
    int ReadLives(const capture::Image& image) const;

    // The wall of level 1 stands in the layer y = 0..10: brick `i` is column
    // i % 10 and row i / 10 of the cells, counted from -x and -z.
    Pixel BrickFront(int brick) const;
    // Where the back of the court shows between brick `brick` and the next row.
    Pixel GapBeside(int brick) const;
    // Bricks whose front differs from the court seen beside them.
    std::vector<bool> BricksShown(const capture::Image& image) const;
    // Bricks whose front changed since `start` and now looks like the court beside it.
    int BricksGoneSince(const capture::Image& start, const capture::Image& now) const;

    // The ball waiting to be hit, in the middle of the window.
    Pixel BallAtRest() const;
    // The ball's disc on the wall at the right of the screen, which follows the
    // ball's depth and height; nothing when no disc is seen.
    std::optional<Pixel> BallMarkOnRightWall(const capture::Image& image) const;

private:
    int ReadDisplay(const capture::Image& image, float x, float y, float z, int digits, float spacing) const;

    int width_;
    int height_;
    float scale_;  // pixels per unit of x / depth
};

}  // namespace e2e

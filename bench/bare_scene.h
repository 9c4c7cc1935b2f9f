// What the level 2 picture costs a program that owes nothing to Retained Mode:
// its own vertices of everything the game shows (bricks, court, ball and its
// shadows, racket, the two number displays) in one static buffer, lit in the
// vertex shader as Retained Mode lights them, drawn straight into its own
// window's back buffer and swapped.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "bench/bare_window.h"

namespace bench {

// What of the picture moves as the game plays; the court, the lights, the
// camera and where the displays stand do not.
struct SceneState {
    std::array<float, 3> ball;
    // The racket's frame in the world: its centre, and its z and y axes
    // (unit and at right angles, as Retained Mode keeps them).
    std::array<float, 3> racket, racketZ, racketY;
    int score, lives;

    bool operator==(const SceneState&) const = default;
};

class BareScene {
public:
    BareScene() = default;
    BareScene(const BareScene&) = delete;
    BareScene& operator=(const BareScene&) = delete;
    ~BareScene() { Close(); }

    // A window of this client size at (x, y) with its own context
    // (bench/bare_window.h), showing `state`. The bricks take
    // their colours as the game does, from rand seeded with `colourSeed`.
    // With `latticeBricks` at 0 or more, the bricks are that many on the
    // benchmark's lattice (GameWindow::FillWithBricks) instead of level 2.
    bool Open(int width, int height, int x, int y, const SceneState& state, unsigned colourSeed = 1,
              int latticeBricks = -1);
    void Close();

    // One whole frame: clear, draw, swap, and wait for the rasteriser.
    void DrawFrame();
    // The picture one frame draws, 0x00RRGGBB rows from the top, read from the
    // back buffer before any swap.
    bool ReadPicture(std::vector<std::uint32_t>& pixels);

    int vertexCount() const { return static_cast<int>(colouredCount_ + texturedCount_ + lineCount_); }
    int brickCount() const { return brickCount_; }

private:
    void Draw();

    BareWindow window_;
    int width_ = 0, height_ = 0;
    unsigned program_ = 0, vao_ = 0, vbo_ = 0, texture_ = 0;
    int useTextureLocation_ = -1, lightingLocation_ = -1;
    unsigned colouredCount_ = 0, texturedCount_ = 0, lineCount_ = 0;
    int brickCount_ = 0;
};

}  // namespace bench

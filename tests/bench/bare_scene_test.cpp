// The bare OpenGL program is the yardstick for the game's frame: it must draw
// the picture the game draws (same bricks, camera, culling, lighting and
// texture), or the ratio between the two compares different work.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "bench/bare_scene.h"
#include "bench/game_window.h"
#include "platform/d3drm/d3drm_testing.h"
#include "tests/support/gl_required.h"

namespace {

constexpr int kWidth = 320, kHeight = 240;
constexpr unsigned kSeed = 7;

int Channel(std::uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

bool Close(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(Channel(a, shift) - Channel(b, shift)) > tolerance) return false;
    }
    return true;
}

class BareSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        KESTROVA_REQUIRE_GL(game.Open(kWidth, kHeight, 0, 0));
        std::srand(kSeed);
        game.ToLevel2();
        ASSERT_TRUE(game.DrawFrame());
        ASSERT_TRUE(plat::ReadDeviceImage(game.view->device, gamePicture));
        ASSERT_TRUE(bare.Open(kWidth, kHeight, 0, 0, kSeed));
        ASSERT_TRUE(bare.ReadPicture(barePicture));
        ASSERT_EQ(gamePicture.size(), barePicture.size());
    }

    std::uint32_t At(const std::vector<std::uint32_t>& picture, D3DVECTOR world) {
        D3DRMVECTOR4D s{};
        game.view->viewport->Transform(&s, &world);
        const long x = std::lround(s.x / s.w), y = std::lround(s.y / s.w);
        EXPECT_TRUE(x >= 0 && x < kWidth && y >= 0 && y < kHeight);
        return picture[static_cast<std::size_t>(y * kWidth + x)];
    }

    bench::GameWindow game;
    bench::BareScene bare;
    std::vector<std::uint32_t> gamePicture, barePicture;
};

TEST_F(BareSceneTest, DrawsTheGamesLevel2Picture) {
    int bricks = 0;
    for (SceneObject* brick : game.view->bricks) bricks += brick != nullptr;
    EXPECT_EQ(game.view->bricksLeft, bricks);
    EXPECT_EQ(bare.brickCount(), bricks);
    // Inside the court only the game's ball shadows and racket outline are
    // missing from the bare picture; everything else matches. (The digit
    // displays stand outside, beside the near walls.)
    D3DRMVECTOR4D low{}, high{};
    D3DVECTOR nearLow{50, -150, -50}, nearHigh{-50, -150, 50};
    game.view->viewport->Transform(&low, &nearLow);
    game.view->viewport->Transform(&high, &nearHigh);
    const int x0 = std::max(0, static_cast<int>(low.x / low.w)), x1 = std::min(kWidth, static_cast<int>(high.x / high.w));
    const int y0 = std::max(0, static_cast<int>(high.y / high.w)), y1 = std::min(kHeight, static_cast<int>(low.y / low.w));
    int differ = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) differ += !Close(gamePicture[y * kWidth + x], barePicture[y * kWidth + x], 8);
    }
    EXPECT_LT(differ, (x1 - x0) * (y1 - y0) * 3 / 100);
}

TEST_F(BareSceneTest, WallsAndBallAreLitAsTheGameLightsThem) {
    // One point on each of the four walls in front of the bricks, each lit
    // differently, away from the green line and the edges.
    const D3DVECTOR walls[] = {{20, -100, 50}, {20, -100, -50}, {-50, -100, 20}, {50, -100, 20}};
    for (const D3DVECTOR& p : walls) {
        const std::uint32_t g = At(gamePicture, p), b = At(barePicture, p);
        EXPECT_TRUE(Close(g, b, 4)) << std::hex << "game " << g << " bare " << b << " at " << std::dec << p.x
                                    << ", " << p.z;
    }
    const std::uint32_t ball = At(barePicture, D3DVECTOR{0, -100, 0});
    EXPECT_TRUE(Close(At(gamePicture, D3DVECTOR{0, -100, 0}), ball, 8)) << std::hex << ball;
    EXPECT_GT(Channel(ball, 16), 100);
}

}  // namespace

// The bare OpenGL program is the yardstick for the game's frame: it must draw
// the picture the game draws (bricks, court, ball and its shadows, racket, the
// two displays; same camera, culling, lighting and texture), or the ratio
// between the two compares different work.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bare_scene.h"
#include "bench/game_window.h"
#include "bench/pictures.h"
#include "platform/d3drm/d3drm_testing.h"
#include "scene/ball.h"
#include "scene/digit_display.h"
#include "tests/support/gl_required.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr unsigned kSeed = 7;
// Levels a channel may differ by: the game lights on the processor, the bare
// program in its shader, and the two round differently.
constexpr int kRounding = 4;

using bench::WithinRounding;

int Channel(std::uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

// Pixels of two pictures that differ beyond rounding, and the largest patch
// of them touching one another: rounding scatters single pixels, a missing
// or misplaced object leaves a patch.
struct Difference {
    int pixels = 0, largestPatch = 0;
};

Difference Compare(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int tolerance) {
    std::vector<char> differs(a.size());
    Difference d;
    for (std::size_t i = 0; i < a.size(); ++i) d.pixels += differs[i] = !WithinRounding(a[i], b[i], tolerance);
    std::vector<int> stack;
    for (std::size_t start = 0; start < a.size(); ++start) {
        if (!differs[start]) continue;
        int patch = 0;
        differs[start] = 0;
        stack.assign(1, static_cast<int>(start));
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            ++patch;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int x = at % kWidth + dx, y = at / kWidth + dy;
                    if (x < 0 || x >= kWidth || y < 0 || y >= kHeight || !differs[y * kWidth + x]) continue;
                    differs[y * kWidth + x] = 0;
                    stack.push_back(y * kWidth + x);
                }
            }
        }
        d.largestPatch = std::max(d.largestPatch, patch);
    }
    return d;
}

// KESTROVA_BARE_PICTURES=prefix keeps each case's game and bare pictures
// side by side, with their differences on the right, as prefix-<case>.ppm.
void Keep(const std::vector<std::uint32_t>& game, const std::vector<std::uint32_t>& bare) {
    const char* prefix = std::getenv("KESTROVA_BARE_PICTURES");
    if (!prefix) return;
    const std::string name =
        std::string(prefix) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ppm";
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "P6\n%d %d\n255\n", 3 * kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < 3 * kWidth; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * kWidth + x % kWidth;
            std::uint32_t rgb = x < kWidth ? game[i] : bare[i];
            if (x >= 2 * kWidth) rgb = WithinRounding(game[i], bare[i], kRounding) ? 0 : 0xFFFFFF;
            const unsigned char px[3] = {static_cast<unsigned char>(rgb >> 16), static_cast<unsigned char>(rgb >> 8),
                                         static_cast<unsigned char>(rgb)};
            std::fwrite(px, 1, 3, f);
        }
    }
    std::fclose(f);
}

class BareSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        KESTROVA_REQUIRE_GL(game.Open(kWidth, kHeight, 0, 0));
        std::srand(kSeed);
        game.ToLevel2();
    }

    // The game's picture as it stands and the bare program's of the same
    // state, each read before it is presented: a window's back buffer holds
    // nothing defined after the swap.
    void DrawBoth() {
        GameView* view = game.view;
        ASSERT_TRUE(SUCCEEDED(view->viewport->Clear()) && SUCCEEDED(view->viewport->Render(view->scene)));
        ASSERT_TRUE(plat::ReadDeviceImage(view->device, gamePicture));
        ASSERT_TRUE(bare.Open(kWidth, kHeight, 0, 0, game.State(), kSeed));
        ASSERT_TRUE(bare.ReadPicture(barePicture));
        ASSERT_EQ(gamePicture.size(), barePicture.size());
        Keep(gamePicture, barePicture);
    }

    // Every pixel within rounding of the game's but a few scattered ones.
    void ExpectSamePicture() {
        const Difference d = Compare(gamePicture, barePicture, kRounding);
        EXPECT_LT(d.pixels, kWidth * kHeight / 2000);
        EXPECT_LE(d.largestPatch, 4) << d.pixels << " pixels differ";
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
    ASSERT_NO_FATAL_FAILURE(DrawBoth());
    int bricks = 0;
    for (SceneObject* brick : game.view->bricks) bricks += brick != nullptr;
    EXPECT_EQ(game.view->bricksLeft, bricks);
    EXPECT_EQ(bare.brickCount(), bricks);
    ExpectSamePicture();
}

// The ball off the middle (its shadows on four walls at different places), the
// racket where the pointer put it and turned to the ball, numbers that light
// most segments.
TEST_F(BareSceneTest, DrawsTheGamesPictureInPlay) {
    GameView* view = game.view;
    view->ball->SetPosition(14, -95, -21);
    view->PlaceRacket(-30, 18);
    view->score = 408;
    view->scoreDisplay->ShowNumber(view->score);
    view->lives = 3;
    view->livesDisplay->ShowNumber(view->lives);
    ASSERT_NO_FATAL_FAILURE(DrawBoth());
    ExpectSamePicture();
}

TEST_F(BareSceneTest, WallsAndBallAreLitAsTheGameLightsThem) {
    ASSERT_NO_FATAL_FAILURE(DrawBoth());
    // One point on each of the four walls in front of the bricks, each lit
    // differently, away from the green line and the edges.
    const D3DVECTOR walls[] = {{20, -100, 50}, {20, -100, -50}, {-50, -100, 20}, {50, -100, 20}};
    for (const D3DVECTOR& p : walls) {
        const std::uint32_t g = At(gamePicture, p), b = At(barePicture, p);
        EXPECT_TRUE(WithinRounding(g, b, 4)) << std::hex << "game " << g << " bare " << b << " at " << std::dec << p.x
                                    << ", " << p.z;
    }
    const std::uint32_t ball = At(barePicture, D3DVECTOR{0, -100, 0});
    EXPECT_TRUE(WithinRounding(At(gamePicture, D3DVECTOR{0, -100, 0}), ball, 8)) << std::hex << ball;
    EXPECT_GT(Channel(ball, 16), 100);
}

}  // namespace

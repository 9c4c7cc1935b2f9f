// The benchmarks' own tools: a wrong one would print a ratio of unlike work
// or a misread picture, and the table would still look plausible.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/bare_window.h"
#include "bench/pictures.h"
#include "bench/report.h"
#include "platform/gl/gl_context.h"
#include "tests/support/gl_required.h"

namespace {

TEST(BenchPictures, PixelsDifferOnlyBeyondTheRoundingOfAnyOneChannel) {
    const std::vector<std::uint32_t> game = {0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0x000000};
    const std::vector<std::uint32_t> bare = {0x848484, 0x858080, 0x808580, 0x808085, 0x7B7B7B, 0xFFFFFF};
    EXPECT_TRUE(bench::WithinRounding(game[0], bare[0], 4));
    for (std::size_t i = 1; i < game.size(); ++i) EXPECT_FALSE(bench::WithinRounding(game[i], bare[i], 4)) << i;
    // A pixel counts once however many of its channels differ.
    EXPECT_EQ(bench::CountDiffering(game, bare, 4), 5);
    EXPECT_EQ(bench::CountDiffering(game, bare, 255), 0);
    EXPECT_EQ(bench::CountDiffering(game, game, 0), 0);
    // A picture cut short differs by what it lacks, whichever side it is.
    const std::vector<std::uint32_t> cut(game.begin(), game.begin() + 2);
    EXPECT_EQ(bench::CountDiffering(game, cut, 4), 4);
    EXPECT_EQ(bench::CountDiffering(cut, game, 4), 4);
}

TEST(BenchReport, AFrameRowGivesBothMeansAndTheGameOverTheBare) {
    testing::internal::CaptureStdout();
    bench::FrameResults(640, 480, 3.0, 2.0, 100);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "RESULT frame_640x480_game_ms 30.0000\n"
              "RESULT frame_640x480_bare_ms 20.0000\n"
              "RESULT frame_640x480_ratio 1.5000\n"
              "RESULT frame_640x480_frames 100.0000\n");
}

class BareWindowTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError(); }
    void TearDown() override {
        window.Close();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    bench::BareWindow window;
};

// The picture read back is the one drawn, the right way up and in its own
// colours: a corner of a distinct colour lands in the same corner.
TEST_F(BareWindowTest, ThePictureReadBackIsTheOneDrawnUprightAndInItsColours) {
    const int w = 64, h = 48;
    KESTROVA_REQUIRE_GL(window.Open(w, h, 0, 0));
    int dw = 0, dh = 0;
    window.DrawableSize(dw, dh);
    ASSERT_EQ(dw, w);
    ASSERT_EQ(dh, h);
    glViewport(0, 0, w, h);
    glClearColor(0x20 / 255.0f, 0x40 / 255.0f, 0x80 / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    // The top left 16 x 8 pixels (OpenGL counts rows from the bottom).
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, h - 8, 16, 8);
    glClearColor(1, 0x80 / 255.0f, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    const std::vector<std::uint32_t> picture = bench::ReadBackBuffer(w, h);
    ASSERT_EQ(picture.size(), static_cast<std::size_t>(w * h));
    auto at = [&](int x, int y) { return picture[static_cast<std::size_t>(y * w + x)]; };
    EXPECT_EQ(at(0, 0), 0xFF8000u);
    EXPECT_EQ(at(15, 7), 0xFF8000u);
    EXPECT_EQ(at(16, 7), 0x204080u);
    EXPECT_EQ(at(15, 8), 0x204080u);
    EXPECT_EQ(at(w - 1, h - 1), 0x204080u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(BareWindowTest, ItClosesAndOpensAgainAtAnotherSize) {
    KESTROVA_REQUIRE_GL(window.Open(32, 24, 0, 0));
    window.Close();
    EXPECT_FALSE(window.IsOpen());
    window.Close();  // twice is harmless
    ASSERT_TRUE(window.Open(40, 30, 10, 10));
    EXPECT_TRUE(window.IsOpen());
    int dw = 0, dh = 0;
    window.DrawableSize(dw, dh);
    EXPECT_EQ(dw, 40);
    EXPECT_EQ(dh, 30);
    window.Close();
    // No window left behind: a benchmark opens one a size.
    for (Uint32 id = 1; id < 64; ++id) EXPECT_EQ(SDL_GetWindowFromID(id), nullptr) << "window " << id;
}

}  // namespace

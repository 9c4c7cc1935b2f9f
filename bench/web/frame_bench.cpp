// The level 2 frame in the browser: the real game on the page's canvas
// against the bare program on a canvas beside it, drawing the same picture,
// frame about frame as kestrova_bench_game frame does on the desktop. Both
// frames end with one pixel read back (bench/frame_finish.h), which waits for
// the GPU process to draw them. Neither gives the browser its turn inside the
// timed frame (SDL_HINT_EMSCRIPTEN_ASYNCIFY off); it has it after each frame,
// and shows that frame's canvas then, while the other program's frame is
// timed: each frame meets the showing of the one before it. Prints
// "RESULT <name> <value>" lines for bench/web/bench.mjs, which serves this
// program on bench/web/frame_page.html.
//
//   ?--smoke in the page's address: each size very briefly
#include <SDL.h>
#include <emscripten/emscripten.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bare_scene.h"
#include "bench/game_window.h"
#include "bench/pictures.h"
#include "bench/report.h"
#include "platform/gl/gl_context.h"

namespace {

using bench::FrameResults;
using bench::Result;
using bench::SizeName;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

constexpr unsigned kColourSeed = 12345;
// The bare canvas stands this far right of the game's, as the desktop's windows do.
constexpr int kGap = 40;
// Channel levels the two pictures may differ by (tests/bench/bare_scene_test.cpp),
// and the share of pixels allowed beyond that.
constexpr int kRounding = 4;
constexpr int kStrayPixelsPer = 2000;


bool Fail(const std::string& what) {
    std::fprintf(stderr, "kestrova_web_frame_bench: %s\n", what.c_str());
    return false;
}

// The game's window is the page's canvas: it takes the canvas's size when it
// is made, so the canvas is given the size first.
EM_JS(void, KestrovaSizeGameCanvas, (int width, int height), {
    var canvas = Module.canvas;
    canvas.style.position = 'absolute';
    canvas.style.left = '0px';
    canvas.style.top = '0px';
    canvas.style.width = width + 'px';
    canvas.style.height = height + 'px';
});

// Whether the browser shows a picture at each swap of either program.
void GiveTurnsAtSwaps(bool give) { SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, give ? "1" : "0"); }

bool MeasureFrame(bool smoke) {
    const int sizes[3][2] = {{640, 480}, {1280, 720}, {1920, 1080}};
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        KestrovaSizeGameCanvas(w, h);
        bench::GameWindow game;
        if (!game.Open(w, h, 0, 0)) return Fail("no game window of " + SizeName(w, h));
        std::srand(kColourSeed);
        game.ToLevel2();
        const bench::SceneState state = game.State();
        bench::BareScene bare;
        if (!bare.Open(w, h, w + kGap, 0, state, kColourSeed)) return Fail("no bare canvas of " + SizeName(w, h));
        GiveTurnsAtSwaps(false);
        // A ratio of two different pictures would compare different work.
        if (!game.DrawFrame()) return Fail("the game did not draw");
        const std::vector<std::uint32_t> gamePicture = bench::ReadBackBuffer(w, h);
        std::vector<std::uint32_t> barePicture;
        if (!bare.ReadPicture(barePicture) || barePicture.size() != gamePicture.size()) {
            return Fail("no bare picture of " + SizeName(w, h));
        }
        const int differing = bench::CountDiffering(gamePicture, barePicture, kRounding);
        Result("frame_" + SizeName(w, h) + "_pixels_differing", differing);
        if (differing * kStrayPixelsPer >= w * h) {
            return Fail(std::to_string(differing) + " pixels of the bare picture differ from the game's at " +
                        SizeName(w, h));
        }
        for (int i = 0; i < 5; ++i) {
            game.DrawFrame();
            emscripten_sleep(0);
            bare.DrawFrame();
            emscripten_sleep(0);
        }
        double gameTotal = 0, bareTotal = 0;
        int frames = 0;
        const Clock::time_point start = Clock::now();
        while (frames < 5 || Seconds(start, Clock::now()) < (smoke ? 0.3 : 8.0)) {
            const Clock::time_point t0 = Clock::now();
            game.DrawFrame();
            gameTotal += Seconds(t0, Clock::now());
            // The browser shows each picture, outside the timed frames.
            emscripten_sleep(0);
            const Clock::time_point t1 = Clock::now();
            bare.DrawFrame();
            bareTotal += Seconds(t1, Clock::now());
            emscripten_sleep(0);
            if (++frames % 10 == 0) game.Pump();
        }
        GiveTurnsAtSwaps(true);
        if (!(game.State() == state)) return Fail("the game's picture changed while it was measured");
        FrameResults(w, h, gameTotal, bareTotal, frames);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    bool smoke = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) smoke = true;
    }
    const bool ok = MeasureFrame(smoke);
    std::fflush(stdout);
    std::fflush(stderr);
    // Once the program has slept (Asyncify), main's return value reaches no
    // one: the status is handed over here.
    emscripten_force_exit(ok ? 0 : 1);
    return ok ? 0 : 1;
}

// Frame and tick costs of the real game, each measured by a timed loop in a
// real window. Every timed frame ends when the rasteriser is done with it.
// Prints "RESULT <name> <value>" and "INFO <name> <text>" lines for bench/run.sh.
//
//   kestrova_bench_game frame|play|bricks|tick|all [--smoke]
#include <SDL.h>
#include <epoxy/gl.h>

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/main_window.h"
#include "app/view_manager.h"
#include "bench/bare_scene.h"
#include "bench/game_window.h"
#include "bench/report.h"
#include "game/game_state.h"
#include "platform/d3drm/scene_collect.h"
#include "scene/ball.h"
#include "sound/midi_player.h"

namespace {

using bench::FrameResults;
using bench::Info;
using bench::Result;
using bench::SizeName;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// Processor time of this thread, which runs the game and issues every OpenGL call.
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

bool smoke = false;
constexpr unsigned kColourSeed = 12345;

// How long each measured quantity runs.
double Budget(double full) { return smoke ? 0.3 : full; }


bool Fail(const std::string& what) {
    std::fprintf(stderr, "kestrova_bench_game: %s\n", what.c_str());
    return false;
}

void NoteRenderer() {
    static bool noted = false;
    if (noted) return;
    noted = true;
    const GLubyte* renderer = glGetString(GL_RENDERER);
    Info("renderer", renderer ? reinterpret_cast<const char*>(renderer) : "unknown");
    Info("video_driver", SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "none");
}

// The ball in flight in front of the bricks, bouncing between the side walls
// and the floor: it never leaves the court and never reaches a brick.
void FlyInFront(GameView* view) {
    view->ball->SetPosition(0, -100, 0);
    view->ball->SetVelocity(15, 0, 10);
    view->inPlay = true;
    prevCell = CellIndex{-1, -1, -1};
}

// Where the game's viewport sees from.
plat::rm::Vec3 EyeOf(GameView* view) {
    IDirect3DRMFrame* camera = nullptr;
    D3DVECTOR at{};
    if (SUCCEEDED(view->viewport->GetCamera(&camera))) {
        camera->GetPosition(nullptr, &at);
        camera->Release();
    }
    return {at.x, at.y, at.z};
}

// The level 2 picture through the game against the bare program, frame about
// frame, so a change of load on the machine hits both alike.
bool MeasureFrame() {
    const int sizes[3][2] = {{640, 480}, {1280, 720}, {1920, 1080}};
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        bench::GameWindow game;
        if (!game.Open(w, h, 0, 0)) return Fail("no game window of " + SizeName(w, h) + " (is the screen big enough?)");
        // The same seed gives both programs the same brick colours.
        std::srand(kColourSeed);
        game.ToLevel2();
        NoteRenderer();
        // The bare program draws what the game shows now: ball, racket and numbers.
        const bench::SceneState state = game.State();
        bench::BareScene bare;
        if (!bare.Open(w, h, w + 40, 0, state, kColourSeed)) return Fail("no bare OpenGL window of " + SizeName(w, h));
        Info("bare_vertices", std::to_string(bare.vertexCount()));
        for (int i = 0; i < 5; ++i) {
            if (!game.DrawFrame()) return Fail("the game did not draw");
            bare.DrawFrame();
        }
        double gameTotal = 0, bareTotal = 0;
        int frames = 0;
        const Clock::time_point start = Clock::now();
        while (frames < 5 || Seconds(start, Clock::now()) < Budget(8.0)) {
            const Clock::time_point t0 = Clock::now();
            game.DrawFrame();
            const Clock::time_point t1 = Clock::now();
            bare.DrawFrame();
            const Clock::time_point t2 = Clock::now();
            gameTotal += Seconds(t0, t1);
            bareTotal += Seconds(t1, t2);
            if (++frames % 10 == 0) game.Pump();
        }
        // Input arriving meanwhile (the pointer) would make the two pictures differ.
        if (!(game.State() == state)) return Fail("the game's picture changed while it was measured");
        FrameResults(w, h, gameTotal, bareTotal, frames);
    }
    return true;
}

// Frames as the message loop makes them in play: a timer tick (the racket
// follows the moving mouse, the ball flies), then the idle pass that draws.
// Every tenth frame the ball is put into a brick's cell, and that tick
// destroys the brick the way a hit does.
bool MeasurePlay() {
    const int w = 1280, h = 720;
    bench::GameWindow game;
    if (!game.Open(w, h, 0, 0)) return Fail("no game window of " + SizeName(w, h));
    game.ToLevel2();
    NoteRenderer();
    GameView* view = game.view;
    FlyInFront(view);
    const int startBricks = view->bricksLeft;
    int slot = 0, bricksHit = 0, frames = 0;
    double total = 0, processor = 0, collecting = 0;
    // A second collector on the game's scene does what the device's does for
    // each picture (walk, redo what changed), timed alone.
    plat::rm::SceneCollector collector;
    plat::rm::DrawList list;
    plat::rm::Frame* scene = plat::rm::AsFrame(view->scene);
    collector.Collect(scene, EyeOf(view), view->device->GetQuality(), list);
    const int maxFrames = smoke ? 40 : 1500;
    const Clock::time_point start = Clock::now();
    while (frames < maxFrames && (frames < 20 || Seconds(start, Clock::now()) < Budget(15.0))) {
        const bool hit = frames % 10 == 9;
        D3DVECTOR keptPosition{}, keptVelocity{};
        if (hit) {
            while (slot < kBrickSlots && !view->bricks[slot]) ++slot;
            if (slot == kBrickSlots) return Fail("ran out of bricks");
            keptPosition = view->ball->position;
            keptVelocity = view->ball->velocity;
            const D3DVECTOR at = view->bricks[slot]->position;
            view->ball->SetPosition(at.x, at.y, at.z);
            prevCell = CellIndex{-1, -1, -1};
        }
        const double angle = frames * 0.1;
        const unsigned mx = static_cast<unsigned>(w / 2 + w / 5 * std::cos(angle));
        const unsigned my = static_cast<unsigned>(h / 2 + h / 5 * std::sin(angle));
        const Clock::time_point t0 = Clock::now();
        const double c0 = ThreadSeconds();
        viewManager.RouteMouseMove(mainWindow, mx, my, 0);
        viewManager.TimerTick();
        viewManager.IdleRender();
        processor += ThreadSeconds() - c0;
        glFinish();
        total += Seconds(t0, Clock::now());
        const Clock::time_point k0 = Clock::now();
        collector.Collect(scene, EyeOf(view), view->device->GetQuality(), list);
        collecting += Seconds(k0, Clock::now());
        list.Taken();
        if (hit) {
            bricksHit += 1;
            view->ball->SetPosition(keptPosition.x, keptPosition.y, keptPosition.z);
            view->ball->SetVelocity(keptVelocity.x, keptVelocity.y, keptVelocity.z);
            view->ball->SetColor(0xFFFF0000);
            prevCell = CellIndex{-1, -1, -1};
        }
        if (++frames % 10 == 0) game.Pump();
    }
    // A figure for frames in which nothing was destroyed would be another figure.
    if (startBricks - view->bricksLeft != bricksHit || !view->inPlay) return Fail("the bricks did not go as planned");
    Result("play_frame_ms", 1000 * total / frames);
    Result("play_cpu_ms", 1000 * processor / frames);
    Result("play_collect_us", 1e6 * collecting / frames);
    Result("play_frames", frames);
    Result("play_bricks_destroyed", bricksHit);
    return true;
}

// The same picture with more and more bricks: how the cost grows, beside a
// bare program drawing the same cubes from one static buffer, frame about frame.
bool MeasureBricks() {
    const int w = 1280, h = 720;
    bench::GameWindow game;
    if (!game.Open(w, h, 0, 0)) return Fail("no game window of " + SizeName(w, h));
    NoteRenderer();
    for (int count : {100, 306, 1000, 3000, 10000}) {
        std::srand(kColourSeed);
        game.FillWithBricks(count);
        const bench::SceneState state = game.State();
        bench::BareScene bare;
        if (!bare.Open(w, h, w + 40, 0, state, kColourSeed, count)) return Fail("no bare OpenGL window");
        for (int i = 0; i < 3; ++i) {
            if (!game.DrawFrame()) return Fail("the game did not draw");
            bare.DrawFrame();
        }
        double gameTotal = 0, bareTotal = 0;
        int frames = 0;
        const Clock::time_point start = Clock::now();
        while (frames < 3 || Seconds(start, Clock::now()) < Budget(6.0)) {
            const Clock::time_point t0 = Clock::now();
            game.DrawFrame();
            const Clock::time_point t1 = Clock::now();
            bare.DrawFrame();
            const Clock::time_point t2 = Clock::now();
            gameTotal += Seconds(t0, t1);
            bareTotal += Seconds(t1, t2);
            if (++frames % 10 == 0) game.Pump();
        }
        if (!(game.State() == state)) return Fail("the game's picture changed while it was measured");
        const std::string name = "bricks_" + std::to_string(count);
        Result(name + "_ms", 1000 * gameTotal / frames);
        Result(name + "_bare_ms", 1000 * bareTotal / frames);
        Result(name + "_ratio", gameTotal / bareTotal);
    }
    return true;
}

// GameView::OnTick alone, the ball in flight, nothing drawn.
bool MeasureTick() {
    bench::GameWindow game;
    if (!game.Open(640, 480, 0, 0)) return Fail("no game window");
    game.ToLevel2();
    GameView* view = game.view;
    FlyInFront(view);
    const int batch = 10000;
    for (int i = 0; i < 1000; ++i) view->OnTick(kTickSeconds);
    double total = 0;
    long ticks = 0;
    const Clock::time_point start = Clock::now();
    while (ticks < batch || Seconds(start, Clock::now()) < Budget(3.0)) {
        const Clock::time_point t0 = Clock::now();
        for (int i = 0; i < batch; ++i) view->OnTick(kTickSeconds);
        total += Seconds(t0, Clock::now());
        ticks += batch;
    }
    if (!view->inPlay) return Fail("the ball left play during the ticks");
    Result("tick_us", 1e6 * total / static_cast<double>(ticks));
    Result("tick_count", static_cast<double>(ticks));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "all";
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) smoke = true;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::srand(kColourSeed);
    // As the program starts: the synthesiser if there is one, celesta on channel 0.
    const bool sound = midiPlayer.Open();
    if (sound) midiPlayer.SendShortMessage(0xC0, 8, 0);
    Info("sound", sound ? "on" : "off");

    bool ok = true;
    bool known = false;
    if (mode == "frame" || mode == "all") known = true, ok = MeasureFrame() && ok;
    if (mode == "play" || mode == "all") known = true, ok = MeasurePlay() && ok;
    if (mode == "bricks" || mode == "all") known = true, ok = MeasureBricks() && ok;
    if (mode == "tick" || mode == "all") known = true, ok = MeasureTick() && ok;
    if (!known) {
        std::fprintf(stderr, "usage: %s frame|play|bricks|tick|all [--smoke]\n", argv[0]);
        return 2;
    }
    midiPlayer.Close();
    return ok ? 0 : 1;
}

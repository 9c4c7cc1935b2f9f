// The real game in a real (offscreen) main window: the GameView bound to a
// window of the main class, driven through the main window procedure, with
// the MIDI player writing to a recording sink.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/main_window.h"
#include "game/game_view.h"
#include "render/camera_rig.h"
#include "render/graphics_startup.h"
#include "scene/ball.h"
#include "scene/court.h"
#include "scene/digit_display.h"
#include "scene/racket.h"
#include "sound/midi_player.h"
#include "sound/note_effects.h"
#include "tests/app/recording_view.h"
#include "tests/support/drain_queue.h"
#include "tests/support/gl_required.h"
#include "tests/support/modal_boxes.h"
#include "tests/support/test_window.h"
#include "tests/support/vector_near.h"
#if !defined(_WIN32)
#include "tests/support/recording_midi_sink.h"
#endif

namespace gametest {

constexpr DWORD kClap = 0x99u | 39u << 8 | 127u << 16;


class GameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetViewManager();
        instance = GetModuleHandleA(nullptr);
        paused = false;
        windowDestroyed = false;
        timerId = 0;
        prevCell = CellIndex{-1, -1, -1};
        gravity = D3DVECTOR{0.0f, 0.0f, -9.81f};
        lastMouseX = lastMouseY = 0;
        finalScore = 0;
        racketNormal = D3DVECTOR{0.0f, 0.70710677f, 0.70710677f};
        std::memset(noteSlots, 0, sizeof noteSlots);
#if !defined(_WIN32)
        SetMidiSinkForTesting(&sink);
#endif
        midiPlayer.Open();
        KESTROVA_REQUIRE_GL(viewManager.StartGraphics(nullptr));
        RegisterMainClass();
        mainWindow = CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr,
                                     nullptr, instance, nullptr);
        ASSERT_NE(mainWindow, nullptr);
        testsupport::ShowForTest(mainWindow);
        std::srand(12345);
        CreateGameView(mainWindow);
        game = gameView;
        ASSERT_NE(game, nullptr);
        ASSERT_TRUE(game->deviceReady);
#if !defined(_WIN32)
        sink.Clear();
#endif
    }
    void TearDown() override {
        testsupport::OnModalBox(nullptr);
        if (mainWindow && IsWindow(mainWindow)) DestroyWindow(mainWindow);
        DrainQueue();
        mainWindow = nullptr;
        gameView = nullptr;
        ResetViewManager();
        midiPlayer.Close();
#if !defined(_WIN32)
        SetMidiSinkForTesting(nullptr);
#endif
        paused = false;
    }

#if !defined(_WIN32)
    // What the MIDI stand-in was sent; Windows' own MIDI has no way in for a test.
    int Claps() {
        int n = 0;
        for (DWORD m : sink.Messages()) n += m == kClap;
        return n;
    }
#endif
    int BricksStanding() const {
        int n = 0;
        for (SceneObject* brick : game->bricks) n += brick != nullptr;
        return n;
    }
    // Puts the ball in flight at p with velocity v, as a hit would.
    void Fly(D3DVECTOR p, D3DVECTOR v) {
        game->ball->SetPosition(p.x, p.y, p.z);
        game->ball->SetVelocity(v.x, v.y, v.z);
        game->inPlay = true;
    }
    // The client pixel where a world point appears.
    void PixelOf(D3DVECTOR world, unsigned& x, unsigned& y) {
        D3DRMVECTOR4D s{};
        game->viewport->Transform(&s, &world);
        x = static_cast<unsigned>(std::lround(s.x / s.w));
        y = static_cast<unsigned>(std::lround(s.y / s.w));
    }
    // What digit display shows, read off its segments as digits, most
    // significant first; '?' for a pattern that is no digit.
    static std::string Shown(DigitDisplay* display) {
        static const char* const patterns[10] = {"1110111", "0010010", "1011101", "1011011", "0111010",
                                                 "1101011", "1101111", "1010010", "1111111", "1111011"};
        std::string digits;
        for (int d = display->digitCount - 1; d >= 0; --d) {
            std::string pattern;
            for (int s = 0; s < kSegmentsPerDigit; ++s) pattern += display->digits[d][s]->color == kSegmentLit ? '1' : '0';
            char shown = '?';
            for (int v = 0; v < 10; ++v) {
                if (pattern == patterns[v]) shown = static_cast<char>('0' + v);
            }
            digits += shown;
        }
        return digits;
    }

    GameView* game = nullptr;
#if !defined(_WIN32)
    RecordingMidiSink sink;
#endif
};

using testsupport::Near;

}  // namespace gametest

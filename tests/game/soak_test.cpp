// The real game under a long run of random input: posted messages and real
// SDL events at its main window, resizes down to an empty client area, focus
// lost and regained, minimise and restore, and timer ticks. After every
// message the game must still add up. Each "Game Over!" is answered, the best
// results are entered, and a new game starts in a new main window, as the
// next run of the program would.
//
// KESTROVA_SOAK_SEED repeats a run; KESTROVA_SOAK_MESSAGES changes its length.
#include <filesystem>
#include <random>
#include <sstream>
#include <string>

#include "app/view_manager.h"
#include "platform/win/native_window.h"
#include "scores/high_score_table.h"
#include "tests/game/game_fixture.h"
#include "tests/support/scratch_dir.h"
#include "tests/win/win_test_support.h"

namespace {

using namespace gametest;
using namespace wintest;

constexpr unsigned kDefaultSeed = 20240611u;
constexpr long kDefaultMessages = 100000;
constexpr int kDrawEvery = 89;  // an idle pass (a picture) after this many messages

unsigned long EnvNumber(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoul(text, nullptr, 0) : fallback;
}

bool Finite(const D3DVECTOR& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

std::string Show(const D3DVECTOR& v) {
    std::ostringstream out;
    out << "(" << v.x << ", " << v.y << ", " << v.z << ")";
    return out.str();
}

class SoakTest : public GameTest {
protected:
    void SetUp() override {
        // The best results of the games played go to a directory of the test's own.
        scratch.Enter("soak");
        seed = static_cast<unsigned>(EnvNumber("KESTROVA_SOAK_SEED", kDefaultSeed));
        std::printf("soak seed %u (set KESTROVA_SOAK_SEED to repeat another)\n", seed);
        RecordProperty("seed", std::to_string(seed));
        rng.seed(seed);
        GameTest::SetUp();
        if (HasFatalFailure() || IsSkipped()) return;
        std::srand(seed);
        SetModalHook([this](HWND box) {
            if (GetDlgItem(box, 1000)) {
                ++nameDialogs;
                PushText(box, "soak");
                Tap(box, rng() % 4 ? SDLK_RETURN : SDLK_ESCAPE);
                return;
            }
            if (!GetDlgItem(box, 1001)) ++gameOvers;  // not the results dialog: the box
            Tap(box, SDLK_RETURN);
        });
    }
    void TearDown() override {
        GameTest::TearDown();
        scratch.Leave();
    }

    static void Tap(HWND window, SDL_Keycode key) {
        PushKey(window, key, true);
        PushKey(window, key, false);
    }

    // The next program run: fresh graphics, a new main window and game.
    void NewGame() {
        DrainQueue();
        ResetViewManager();
        paused = false;
        windowDestroyed = false;
        prevCell = CellIndex{-1, -1, -1};
        lastMouseX = lastMouseY = 0;
        finalScore = 0;
        ASSERT_TRUE(viewManager.StartGraphics(nullptr));
        mainWindow = CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr,
                                     nullptr, instance, nullptr);
        ASSERT_NE(mainWindow, nullptr);
        ShowWindow(mainWindow, SW_SHOW);
        CreateGameView(mainWindow);
        game = gameView;
        ASSERT_NE(game, nullptr);
        lastScore = 0;
        lastLives = kStartLives;
        ++games;
    }

    unsigned Below(unsigned n) { return static_cast<unsigned>(rng() % n); }
    bool Chance(unsigned percent) { return Below(100) < percent; }

    // A point in the client area most of the time, anywhere a 16-bit
    // coordinate reaches otherwise.
    LPARAM Where() {
        RECT client{};
        GetClientRect(mainWindow, &client);
        if (Chance(70) && client.right > 0 && client.bottom > 0) {
            return MAKELPARAM(static_cast<WORD>(Below(static_cast<unsigned>(client.right))),
                              static_cast<WORD>(Below(static_cast<unsigned>(client.bottom))));
        }
        return MAKELPARAM(static_cast<WORD>(rng()), static_cast<WORD>(rng()));
    }
    WPARAM Keys() {
        static const WPARAM common[] = {0, MK_LBUTTON, MK_RBUTTON, MK_MBUTTON, MK_LBUTTON | MK_SHIFT};
        return Chance(70) ? common[Below(5)] : static_cast<WPARAM>(rng() & 0x1F);
    }
    WPARAM Key() {
        return Chance(70) ? static_cast<WPARAM>(VK_LEFT + Below(4)) : static_cast<WPARAM>(Below(256));
    }
    SDL_Keycode SdlKey() {
        static const SDL_Keycode keys[] = {SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN, SDLK_a,
                                           SDLK_SPACE, SDLK_RETURN, SDLK_ESCAPE, SDLK_F1, SDLK_TAB};
        return keys[Below(10)];
    }
    int Coordinate() { return Chance(80) ? static_cast<int>(Below(700)) - 30 : static_cast<int>(rng()) / 4; }

    void SendRandom() {
        const unsigned kind = Below(100);
        if (kind < 38) {
            PostMessageA(mainWindow, WM_TIMER, 0, 0);
        } else if (kind < 56) {
            if (Chance(60)) {
                PostMessageA(mainWindow, WM_MOUSEMOVE, Keys(), Where());
            } else {
                PushMotion(mainWindow, Coordinate(), Coordinate(), static_cast<Uint32>(Below(8)));
            }
        } else if (kind < 70) {
            static const UINT buttons[] = {WM_LBUTTONDOWN, WM_LBUTTONUP,   WM_LBUTTONDBLCLK,
                                           WM_RBUTTONDOWN, WM_RBUTTONUP,   WM_RBUTTONDBLCLK,
                                           WM_MBUTTONDOWN, WM_MBUTTONUP,   WM_MBUTTONDBLCLK};
            if (Chance(60)) {
                PostMessageA(mainWindow, buttons[Below(9)], Keys(), Where());
            } else {
                PushButton(mainWindow, static_cast<Uint8>(1 + Below(3)), Chance(50), Coordinate(), Coordinate(),
                           static_cast<Uint8>(1 + Below(2)));
            }
        } else if (kind < 84) {
            if (Chance(60)) {
                PostMessageA(mainWindow, Chance(50) ? WM_KEYDOWN : WM_KEYUP, Key(), 1);
            } else {
                PushKey(mainWindow, SdlKey(), Chance(50), KMOD_NONE, Chance(10));
            }
        } else if (kind < 85) {
            // SDL refuses an empty window; the empty client area comes with minimising.
            static const int sizes[][2] = {{1, 1}, {640, 480}, {1, 600}, {800, 1}};
            int w = 1 + static_cast<int>(Below(800)), h = 1 + static_cast<int>(Below(600));
            if (Chance(40)) w = sizes[Below(4)][0], h = sizes[Below(4)][1];
            SDL_SetWindowSize(NativeWindowOf(mainWindow), w, h);
        } else if (kind < 91) {
            // Returns outnumber losses, so the game plays most of the time.
            switch (Below(6)) {
            case 0: SetFocus(nullptr); break;
            case 1: PushWindowEvent(mainWindow, SDL_WINDOWEVENT_FOCUS_LOST); break;
            case 2:
            case 3: SetFocus(mainWindow); break;
            default: PushWindowEvent(mainWindow, SDL_WINDOWEVENT_FOCUS_GAINED); break;
            }
        } else if (kind < 95) {
            switch (Below(8)) {
            case 0: ShowWindow(mainWindow, SW_MINIMIZE); break;
            case 1: PushWindowEvent(mainWindow, SDL_WINDOWEVENT_MINIMIZED); break;
            case 2:
            case 3:
            case 4: ShowWindow(mainWindow, SW_RESTORE); break;
            default: PushWindowEvent(mainWindow, SDL_WINDOWEVENT_RESTORED); break;
            }
        } else if (kind < 96) {
            InvalidateRect(mainWindow, nullptr, TRUE);
        } else {
            static const UINT others[] = {WM_CHAR, WM_COMMAND, WM_ACTIVATE, WM_ENTERIDLE, WM_SIZE};
            const UINT message = others[Below(5)];
            // An idle report names the window it comes from.
            const LPARAM lParam = message == WM_ENTERIDLE ? reinterpret_cast<LPARAM>(mainWindow) : Where();
            PostMessageA(mainWindow, message, rng() & 0xFFFF, lParam);
        }
    }

    // Everything waiting, as the message loop takes it; a game whose window
    // closed (after "Game Over!" and the best results) is followed by a new one.
    void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (!IsWindow(mainWindow)) return;
        }
    }

    // The game's account after a message; false (with the failure reported) at the first fault.
    bool Holds(long step) {
        const auto where = [&] { return " after message " + std::to_string(step) + ", seed " + std::to_string(seed); };
        const int standing = BricksStanding();
        if (game->bricksLeft != standing) {
            ADD_FAILURE() << "bricksLeft " << game->bricksLeft << " but " << standing << " standing" << where();
            return false;
        }
        if (game->lives < 0 || game->lives > lastLives) {
            ADD_FAILURE() << "lives " << game->lives << " after " << lastLives << where();
            return false;
        }
        lastLives = game->lives;
        if (game->score < lastScore) {
            ADD_FAILURE() << "score fell from " << lastScore << " to " << game->score << where();
            return false;
        }
        lastScore = game->score;
        const CameraRig* rig = game->cameraRig;
        const D3DVECTOR vectors[] = {game->ball->position,  game->ball->velocity, game->racket->position,
                                     racketNormal,          rig->position,        rig->direction,
                                     rig->up};
        static const char* const names[] = {"ball position",  "ball velocity",    "racket position", "racket normal",
                                            "camera position", "camera direction", "camera up"};
        for (int i = 0; i < 7; ++i) {
            if (!Finite(vectors[i])) {
                ADD_FAILURE() << names[i] << " " << Show(vectors[i]) << where();
                return false;
            }
        }
        return true;
    }

    testsupport::ScratchDir scratch;
    unsigned seed = 0;
    std::mt19937 rng;
    int lastScore = 0, lastLives = kStartLives;
    int games = 1;
    int gameOvers = 0, nameDialogs = 0, draws = 0;
};

TEST_F(SoakTest, RandomInputNeverBreaksTheGamesAccount) {
    const long messages = static_cast<long>(EnvNumber("KESTROVA_SOAK_MESSAGES", kDefaultMessages));
    long step = 0;
    for (; step < messages; ++step) {
        SendRandom();
        Pump();
        if (!IsWindow(mainWindow)) {
            game = nullptr;
            NewGame();
            ASSERT_FALSE(HasFatalFailure());
        }
        if (!Holds(step)) break;
        // The loop draws when it finds its queue empty and the game is not paused.
        if (step % kDrawEvery == 0 && !paused) {
            MSG msg;
            if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
                IdleStep();
                ++draws;
            }
        }
    }
    EXPECT_EQ(step, messages);
    RecordProperty("games", games);
    RecordProperty("draws", draws);
    RecordProperty("name_dialogs", nameDialogs);
    std::printf("soak: %ld messages, %d games, %d name dialogs, %d idle passes\n", step, games, nameDialogs, draws);
    // Every "Game Over!" closed its game and the next one started; the last is still on.
    EXPECT_EQ(gameOvers, games - 1);
    // A run that never reached the end of a game or never drew left half the program untested.
    EXPECT_GT(gameOvers, 0);
    EXPECT_GT(draws, 0);
    EXPECT_TRUE(std::filesystem::exists(kScoreFileName)) << "no game ever entered the best results";
}

}  // namespace

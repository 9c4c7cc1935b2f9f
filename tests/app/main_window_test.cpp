#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "tests/support/drain_queue.h"
#include "platform/gl/gl_probe.h"
#include "platform/win/native_window.h"
#include "sound/midi_player.h"
#include "tests/app/recording_view.h"
#include "tests/support/recording_midi_sink.h"
#include "tests/support/gl_required.h"

namespace {

void SetArguments(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    SetCommandLine(static_cast<int>(argv.size()), argv.data());
}


void PushKey(HWND window, SDL_Keycode key, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = SDL_GetWindowID(NativeWindowOf(window));
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    SDL_PushEvent(&event);
}

class ProgramDirectoryTest : public ::testing::Test {
protected:
    void TearDown() override { SetArguments({"/usr/games/kestrova"}); }
};

TEST_F(ProgramDirectoryTest, IsTheExecutablesDirectoryWithItsSeparator) {
    SetArguments({"/games/Kestrova Folder/kestrova"});
    std::string line = GetCommandLineA();
    EXPECT_EQ(line.front(), '"') << "the program's path comes quoted, as the old loader gave it";
    FindProgramDirectory();
    EXPECT_STREQ(programDirectory, "/games/Kestrova Folder/");

    SetArguments({"/games/kestrova"});
    FindProgramDirectory();
    EXPECT_STREQ(programDirectory, "/games/");
}

TEST_F(ProgramDirectoryTest, RelativePathsResolveAgainstTheCurrentDirectory) {
    SetArguments({"./bin/../bin/kestrova"});
    FindProgramDirectory();
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    std::string expected = std::string(cwd) + "/bin/";
    if (expected.size() < MAX_PATH) {
        EXPECT_EQ(std::string(programDirectory), expected);
    } else {
        EXPECT_STREQ(programDirectory, "");
    }
}

TEST_F(ProgramDirectoryTest, AnOverlongCommandLineIsCutNotOverrun) {
    std::string deep;
    while (deep.size() < 700) deep += "/level";
    SetArguments({deep + "/kestrova", std::string(3000, 'x')});
    std::memset(programDirectory, 'z', sizeof programDirectory);
    FindProgramDirectory();
    std::size_t length = strnlen(programDirectory, sizeof programDirectory);
    ASSERT_LT(length, sizeof programDirectory) << "must stay terminated inside its buffer";
    EXPECT_EQ(deep.compare(0, length, programDirectory), 0) << programDirectory;
    if (length > 0) {
        EXPECT_EQ(programDirectory[length - 1], '/');
    }
}

LRESULT OtherProcedure(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetViewManager();
        instance = GetModuleHandleA(nullptr);
        paused = false;
        windowDestroyed = false;
        timerId = 0;
        mainWindow = nullptr;
    }
    void TearDown() override {
        if (mainWindow && IsWindow(mainWindow)) DestroyWindow(mainWindow);
        DrainQueue();
        ResetViewManager();
        paused = false;
    }
};

TEST_F(MainWindowTest, ClassRegisteredBySameProcedureIsKeptAndAForeignOneReplaced) {
    WNDCLASSA foreign{};
    foreign.lpfnWndProc = OtherProcedure;
    foreign.hInstance = instance;
    foreign.lpszClassName = kWindowClass;
    UnregisterClassA(kWindowClass, instance);
    ASSERT_NE(RegisterClassA(&foreign), 0);

    RegisterMainClass();
    WNDCLASSA found{};
    ASSERT_TRUE(GetClassInfoA(instance, kWindowClass, &found));
    EXPECT_EQ(found.lpfnWndProc, &MainWindowProc);

    RegisterMainClass();  // already ours: nothing registered again
    ASSERT_TRUE(GetClassInfoA(instance, kWindowClass, &found));
    EXPECT_EQ(found.lpfnWndProc, &MainWindowProc);
    EXPECT_EQ(found.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW)) << "no double clicks for this window";

    ASSERT_NE(CreateMainWindow(), nullptr);
    EXPECT_TRUE(IsWindow(mainWindow));
}

TEST_F(MainWindowTest, StartingBringsUpGraphicsAndTheTimerAndACloseEndsTheLoop) {
    // Without OpenGL the start waits on the player to close "DirectX not found".
    KESTROVA_REQUIRE_GL(plat::gl::ProbeRenderer().available);
    ASSERT_TRUE(InitInstance());
    EXPECT_TRUE(viewManager.started);
    EXPECT_NE(timerId, 0u);
    RECT client{};
    GetClientRect(mainWindow, &client);
    EXPECT_GT(client.right, 0);
    EXPECT_GT(client.bottom, 0);

    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_FALSE(IsWindow(mainWindow));
    EXPECT_TRUE(windowDestroyed);
    EXPECT_FALSE(viewManager.started) << "graphics are shut down with the window";
}

TEST_F(MainWindowTest, AStartedGameOpensTheMidiPlayerOnCelestaAndLeavesItNoSong) {
    KESTROVA_REQUIRE_GL(plat::gl::ProbeRenderer().available);
    RecordingMidiSink sink;
    SetMidiSinkForTesting(&sink);
    SetArguments({"/usr/games/kestrova"});
    PostQuitMessage(0);  // the loop ends at its first message
    EXPECT_EQ(WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOW), 0);
    EXPECT_NE(midiPlayer.stream, nullptr) << "opened, and left for the static destructor to close";
    EXPECT_EQ(sink.Messages(), std::vector<DWORD>{0x08C0}) << "program 8 on channel 0";
    EXPECT_EQ(midiPlayer.song, nullptr);
    EXPECT_EQ(midiPlayer.chunkLength, 0u);
    midiPlayer.Close();
    SetMidiSinkForTesting(nullptr);
}

TEST_F(MainWindowTest, WhilePausedTimerMessagesAreDroppedAndTheGameGoesOnAfterwards) {
    RegisterMainClass();
    CreateMainWindow();
    auto* view = new RecordingView(mainWindow);

    SendMessageA(mainWindow, WM_TIMER, 0, 0);
    EXPECT_EQ(view->ticks, 1);

    SendMessageA(mainWindow, WM_KILLFOCUS, 0, 0);
    EXPECT_TRUE(paused);
    SendMessageA(mainWindow, WM_TIMER, 0, 0);
    SendMessageA(mainWindow, WM_TIMER, 0, 0);
    EXPECT_EQ(view->ticks, 1);
    EXPECT_FLOAT_EQ(viewManager.tickTime, 0.066f);

    // Input is still routed while paused.
    SendMessageA(mainWindow, WM_KEYDOWN, VK_LEFT, 1);
    EXPECT_EQ(view->log.back(), "keydown 37");

    SendMessageA(mainWindow, WM_SETFOCUS, 0, 0);
    EXPECT_FALSE(paused);
    SendMessageA(mainWindow, WM_TIMER, 0, 0);
    EXPECT_EQ(view->ticks, 2);
    EXPECT_FLOAT_EQ(view->accumulatedTime, 0.066f + 0.066f);
}

TEST_F(MainWindowTest, TheIdleStepRunsOnlyWhileTheWindowHasTheFocus) {
    RegisterMainClass();
    CreateMainWindow();
    ShowWindow(mainWindow, SW_SHOW);
    HWND window = mainWindow;
    auto closeSoon = [window] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        PostMessageA(window, WM_CLOSE, 0, 0);
    };

    paused = true;
    viewManager.tickTime = 0.5f;
    std::thread closer(closeSoon);
    RunMessageLoop();
    closer.join();
    EXPECT_FLOAT_EQ(viewManager.tickTime, 0.5f) << "no idle pass may consume game time while paused";

    DrainQueue();
    paused = false;
    windowDestroyed = false;
    CreateMainWindow();
    ShowWindow(mainWindow, SW_SHOW);
    window = mainWindow;
    viewManager.tickTime = 0.5f;
    // On a loaded machine the loop may need a while to find its queue empty;
    // the window closes once the pending time is gone, or after ten seconds.
    // (The watch only polls a word-sized value that the loop writes.)
    std::thread closer2([window] {
        const volatile float& pending = viewManager.tickTime;
        for (int i = 0; i < 500 && pending != 0.0f; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PostMessageA(window, WM_CLOSE, 0, 0);
    });
    RunMessageLoop();
    closer2.join();
    EXPECT_EQ(viewManager.tickTime, 0.0f) << "the idle pass hands pending time on";
}

TEST_F(MainWindowTest, F1HeldInAMenuIdlePostsEnter) {
    RegisterMainClass();
    CreateMainWindow();
    ShowWindow(mainWindow, SW_SHOW);
    DrainQueue();
    MSG msg;

    SendMessageA(mainWindow, WM_ENTERIDLE, MSGF_MENU, reinterpret_cast<LPARAM>(mainWindow));
    EXPECT_FALSE(PeekMessageA(&msg, mainWindow, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) << "F1 is up";

    PushKey(mainWindow, SDLK_F1, true);
    DrainQueue();
    ASSERT_LT(GetKeyState(VK_F1), 0);

    SendMessageA(mainWindow, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(mainWindow));
    EXPECT_FALSE(PeekMessageA(&msg, mainWindow, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) << "only menus count";

    SendMessageA(mainWindow, WM_ENTERIDLE, MSGF_MENU, reinterpret_cast<LPARAM>(mainWindow));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, mainWindow);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_RETURN));
    EXPECT_EQ(msg.lParam, 1);

    PushKey(mainWindow, SDLK_F1, false);
    DrainQueue();
}

TEST_F(MainWindowTest, CommandsChangeNothingAndFocusLossAfterDestructionDoesNotPause) {
    RegisterMainClass();
    CreateMainWindow();
    auto* view = new RecordingView(mainWindow);
    viewManager.sceneChanged = true;
    EXPECT_EQ(SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(1, 0), 0), 0);
    EXPECT_EQ(SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(2, 1), 0), 0);
    EXPECT_TRUE(view->log.empty());
    EXPECT_FALSE(paused);
    EXPECT_TRUE(viewManager.sceneChanged);
    EXPECT_TRUE(IsWindow(mainWindow));

    windowDestroyed = true;
    MainWindowProc(mainWindow, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(paused);
}

TEST(MessageLoopTest, AFailedGetMessageEndsTheProgramAsAFailure) {
    // A fresh process, so the window system starts here, on a video driver that is not there.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("SDL_VIDEODRIVER", "kestrova-no-such-driver", 1);
            paused = true;  // no idle pass: only GetMessageA is asked
            std::exit(RunMessageLoop());
        },
        ::testing::ExitedWithCode(1), "");
}

TEST_F(MainWindowTest, WithoutARenderingDeviceTheStartFailsAfterTellingThePlayer) {
    setenv("KESTROVA_DESKTOP_BPP", "15", 1);  // a depth no device renders at
    std::vector<std::string> captions;
    SetModalHook([&](HWND box) {
        char title[64] = {};
        SDL_Window* native = NativeWindowOf(box);
        if (native) std::snprintf(title, sizeof title, "%s", SDL_GetWindowTitle(native));
        captions.push_back(title);
        PushKey(box, SDLK_RETURN, true);
        PushKey(box, SDLK_RETURN, false);
    });
    SetArguments({"/usr/games/kestrova"});
    int exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOW);
    SetModalHook(nullptr);
    unsetenv("KESTROVA_DESKTOP_BPP");

    EXPECT_EQ(exitCode, 1) << "a failed start must not look like success";
    EXPECT_EQ(captions, std::vector<std::string>{"Error"});
    EXPECT_FALSE(viewManager.started);
}

}  // namespace

#include "app/main_window.h"

#include <cstdlib>
#include <ctime>
#include <new>

#include "app/view_manager.h"
#include "game/game_view.h"
#include "render/graphics_startup.h"
#include "scores/best_results_dialogs.h"
#include "sound/midi_player.h"

HINSTANCE instance = nullptr;
HWND mainWindow = nullptr;
GameView* gameView = nullptr;
char programDirectory[MAX_PATH] = {};
bool paused = false;
bool windowDestroyed = false;
UINT_PTR timerId = 0;

const char kWindowTitle[] = "Kestrova";
const char kWindowClass[] = "KestrovaWin";


int WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    FindProgramDirectory();
    instance = hInstance;
    // A start that failed is reported to whoever started us, not hidden behind 0.
    if (!InitInstance()) return 1;
    // Celesta on channel 0 for the brick notes; a silent game is still a game.
    midiPlayer.Open();
    midiPlayer.SendShortMessage(0xC0, 8, 0);
    const int exitCode = RunMessageLoop();
    midiPlayer.SetSong(nullptr);
    return exitCode;
}

int RunMessageLoop() {
    MSG msg{};
    for (;;) {
        if (!paused) IdleStep();
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        // An error is no quit: msg holds the last message, not an exit code.
        if (got == -1) return 1;
        if (got == 0) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void IdleStep() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) viewManager.IdleRender();
}

void FindProgramDirectory() {
    // The copy and the full path both live in MAX_PATH buffers; a longer
    // command line is cut rather than allowed to overrun either of them.
    const char* line = GetCommandLineA();
    char copy[MAX_PATH];
    std::size_t length = 0;
    for (; line && *line && length < MAX_PATH - 1; ++line) {
        if (*line != '"') copy[length++] = *line;
    }
    copy[length] = '\0';

    char* filePart = nullptr;
    DWORD full = GetFullPathNameA(copy, MAX_PATH, programDirectory, &filePart);
    if (full == 0 || full >= MAX_PATH || !filePart) {
        programDirectory[0] = '\0';
        return;
    }
    *filePart = '\0';
}

void RegisterMainClass() {
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(RGB(0, 127, 0));
    windowClass.lpszClassName = kWindowClass;

    WNDCLASSA existing{};
    if (GetClassInfoA(instance, kWindowClass, &existing)) {
        if (existing.lpfnWndProc == MainWindowProc) {
            DeleteObject(windowClass.hbrBackground);
            return;
        }
        UnregisterClassA(kWindowClass, existing.hInstance);
    }
    RegisterClassA(&windowClass);
}

HWND CreateMainWindow() {
    mainWindow = CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                                 nullptr);
    return mainWindow;
}

bool InitInstance() {
    RegisterMainClass();
    CreateMainWindow();
    return StartGame(mainWindow);
}

bool StartGame(HWND) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    ShowWindow(mainWindow, SW_SHOW);
    if (!viewManager.StartGraphics(mainWindow)) {
        MessageBoxA(nullptr, "DirectX not found", "Error", MB_ICONERROR);
        return false;
    }
    // No Retained Mode object means no view can be built: a failed start, quietly.
    if (!retainedMode) return false;
    try {
        CreateGameView(mainWindow);
        if (timerId == 0) timerId = SetTimer(mainWindow, 0, kTickMilliseconds, nullptr);
        ShowWindow(mainWindow, SW_SHOW);
        return true;
    } catch (const std::bad_alloc&) {
        // Out of memory while the game is set up: end quietly, as a failed start.
        return false;
    }
}

// The view list owns the view; the graphics shutdown deletes it.
void CreateGameView(HWND window) {
    gameView = new GameView;
    gameView->AttachWindow(window);
}

void OnEnterIdle(WPARAM source, HWND idleWindow) {
    if (source == MSGF_MENU && GetKeyState(VK_F1) < 0) {
        PostMessageA(idleWindow, WM_KEYDOWN, VK_RETURN, 1);
    }
}

void OnDestroy(HWND window) {
    if (viewManager.started) viewManager.ShutdownGraphics();
    gameView = nullptr;  // deleted with the other views
    KillTimer(window, 0);
    PostQuitMessage(0);
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    viewManager.RoutePaint(window);
    EndPaint(window, &paint);
}

LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const unsigned x = LOWORD(static_cast<std::uintptr_t>(lParam));
    const unsigned y = HIWORD(static_cast<std::uintptr_t>(lParam));
    switch (message) {
    case WM_DESTROY:
        windowDestroyed = true;
        OnDestroy(window);
        return 0;
    case WM_SIZE:
        viewManager.RouteResize(window);
        return 0;
    case WM_SETFOCUS:
        paused = false;
        return 0;
    case WM_KILLFOCUS:
        if (!windowDestroyed) paused = true;
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_CLOSE:
        ShowBestResults();
        DestroyWindow(window);
        return 0;
    case WM_KEYDOWN:
        viewManager.RouteKeyDown(window, wParam);
        return 0;
    case WM_KEYUP:
        viewManager.RouteKeyUp(window, wParam);
        return 0;
    case WM_CHAR:
        viewManager.RouteChar(window, wParam);
        return 0;
    case WM_COMMAND:
        return 0;
    case WM_TIMER:
        if (!paused) viewManager.TimerTick();
        return 0;
    case WM_ENTERIDLE:
        OnEnterIdle(wParam, reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_MOUSEMOVE:
        viewManager.RouteMouseMove(window, x, y, wParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        viewManager.RouteMouseDown(window, x, y, wParam);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        viewManager.RouteMouseUp(window, x, y, wParam);
        return 0;
    case WM_LBUTTONDBLCLK:
        viewManager.RouteDoubleClick(window, x, y, wParam);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

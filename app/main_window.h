// The process itself: start-up, the one main window, the message loop that
// renders whenever the queue is empty, and the window procedure.
#pragma once

#include "app/platform_calls.h"

class GameView;

extern HINSTANCE instance;
extern HWND mainWindow;
extern GameView* gameView;
extern char programDirectory[MAX_PATH];
extern bool paused;
extern bool windowDestroyed;
extern UINT_PTR timerId;

extern const char kWindowTitle[];
extern const char kWindowClass[];

int WinMain(HINSTANCE hInstance, HINSTANCE previous, LPSTR commandLine, int showCommand);
void FindProgramDirectory();
void RegisterMainClass();
HWND CreateMainWindow();
bool InitInstance();
bool StartGame(HWND window);
void CreateGameView(HWND window);
int RunMessageLoop();
void IdleStep();
LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void OnEnterIdle(WPARAM source, HWND idleWindow);
void OnDestroy(HWND window);
void OnPaint(HWND window);

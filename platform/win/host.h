// What the host program and the modal windows need of the window system beyond
// the old platform's own calls.
#pragma once

#include <functional>

#include "platform/win/win_types.h"

namespace plat {

// main() hands its arguments over so GetCommandLineA can return them.
void SetCommandLine(int argc, char** argv);

// main() returns what this returns: the code itself, except in the browser,
// where main's return reaches no one once the program has slept. There the
// program ends here, leaving nothing of it running in the page (listeners,
// sound), and the page hears of it and offers the next game.
int EndProgram(int exitCode);

// Called each time a modal loop has shown its window and is about to run;
// tests answer boxes and dialogs from here with real input events.
void SetModalHook(std::function<void(HWND box)> hook);

// A top-level window that never carries OpenGL: it is drawn on its SDL
// surface (message boxes and dialogs, which must work without OpenGL).
HWND CreatePlainWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                          int width, int height, HWND owner, HMENU menu, HINSTANCE instance, LPVOID param);

// Centres a hidden box over its owner, or over the desktop without a visible
// one, kept on the desktop: where message boxes open. Dialogs place themselves.
void CentreOverOwner(HWND owner, HWND box);

// One modal window over its owner: Begin takes the focus from the owner and
// disables it, shows the box where it was placed and gives it the focus; Run
// dispatches messages (the owner's timers and paint included) until done()
// says so, the box is gone or WM_QUIT arrives (which is posted again for the
// outer loop); End enables the owner and gives it the focus back. Call End
// before destroying the box so the focus goes straight back to the owner.
// done() is checked after each message dispatched: a sent message (the close
// box) that ends the box should post one, WM_NULL will do, so the waiting
// loop wakes.
struct ModalSession {
    HWND owner = nullptr;
    HWND box = nullptr;
    bool ownerWasEnabled = false;
};
ModalSession BeginModal(HWND owner, HWND box);
void RunModalLoop(const ModalSession& session, const std::function<bool()>& done);
void EndModal(const ModalSession& session);

}  // namespace plat

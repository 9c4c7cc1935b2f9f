// The HTML dialogs over the canvas in which the browser shows the program's
// dialogs and message boxes (page_dialog_web.js). The program lays each one
// out itself, in the page's CSS pixels, from its template or its layout; the
// page shows it, keeps its keys and clicks from the game and says what the
// player did.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/dialogs/dialog_core.h"
#include "platform/dialogs/dialog_placement.h"
#include "platform/win/window_system.h"

namespace plat::dialogs::page {

enum class Part { Edit = 0, Button = 1, Static = 2, ErrorIcon = 3 };

// What the player did, told to a Listener while the program waits in its
// modal loop: it may post messages and move the focus, never wait itself.
enum Event { kClicked = 1, kKey = 2, kCloseBox = 3, kFocused = 4 };
using Listener = void (*)(int token, int event, int value);

// A hidden dialog; its window box, frame included, in the page's pixels.
int Open(std::string_view caption, const std::string& fontFamily, int fontPixels, const Box& window, bool closeBox,
         Listener listener);
// A part at its box in the client area. An edit takes at most limit bytes of
// UTF-8 from typing and pasting, in whole characters.
void Add(int token, Part part, int id, std::string_view text, const Box& box, bool isDefault,
         std::size_t limit = 0);
void Show(int token, bool shown);
// The focus to the part of that id, or to the dialog itself for 0.
void Focus(int token, int id);
void SetText(int token, int id, std::string_view utf8);
std::string Text(int token, int id);
// Gone from the page; the canvas takes the keys again once no dialog is left.
void Close(int token);

// How far the page's frame reaches past a dialog's client area.
FrameInsets Frame();

struct Area {
    Box viewport;  // the browser's window: the work area
    Box canvas;    // the game's window
    bool canvasShown = false;
};
Area PageArea();

// Text as the page draws it in that font.
class Measure : public TextMeasure {
public:
    Measure(std::string family, int pixels) : family_(std::move(family)), pixels_(pixels) {}
    int TextWidth(std::string_view utf8) const override;
    int LineHeight() const override;

private:
    std::string family_;
    int pixels_;
};

// The window record of a box the page draws: top-level and owned by owner,
// with no SDL window of its own (the browser has one, the canvas). It is
// made as the owner's child and then made top-level, as the window system
// makes only SDL windows top-level; null without an owner.
HWND CreatePageWindow(const char* className, const std::string& caption, DWORD style, int clientWidth,
                      int clientHeight, HWND owner);

// WM_PAINT of a window the page draws: only validated.
LRESULT PaintedByThePage(HWND window);

}  // namespace plat::dialogs::page

// Answering the game's modal boxes and dialogs from a test, with the input a
// player would give: through our window system's modal hook and SDL input on
// Linux, through a CBT hook and posted keys on Windows, through the same hook
// and the page's key events in the browser.
#pragma once

#include <functional>

#include "app/platform_calls.h"

namespace testsupport {

// Calls `onBox` with each box or dialog this thread opens, once it is shown
// and before its own message loop runs; an empty function stops it.
void OnModalBox(std::function<void(HWND box)> onBox);

// Presses Enter in the box: its default button.
void PressEnter(HWND box);

}  // namespace testsupport

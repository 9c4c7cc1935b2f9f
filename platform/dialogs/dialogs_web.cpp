// Dialogs and message boxes in the browser, until they are HTML dialogs over
// the canvas: none can be made yet, and each call says so the way the old
// platform does when it cannot create the box (0 from MessageBoxA, -1 from
// DialogBoxParamA), so the game goes on without what the box would have asked.
#include "platform/win/window_system.h"

namespace plat {

int MessageBoxA(HWND, LPCSTR, LPCSTR, UINT) { return 0; }

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) { return -1; }

BOOL EndDialog(HWND, INT_PTR) { return FALSE; }

HWND GetDlgItem(HWND, int) { return nullptr; }

int GetDlgCtrlID(HWND control) { return static_cast<int>(GetWindowLongPtrA(control, GWLP_ID)); }

LRESULT SendDlgItemMessageA(HWND, int, UINT, WPARAM, LPARAM) { return 0; }

}  // namespace plat

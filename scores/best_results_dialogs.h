// The name dialog (101), the results dialog (102) and the flow that shows them.
#pragma once

#include "app/platform_calls.h"

INT_PTR NameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR ResultsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Run when the main window is asked to close, before it is destroyed.
void ShowBestResults();

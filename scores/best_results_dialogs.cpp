// The two dialogs of the best results and the flow that shows them when the
// main window closes.
#include "scores/best_results_dialogs.h"

#include "app/main_window.h"
#include "scores/best_results.h"
#include "scores/high_score_table.h"
#include "scores/result_line.h"

namespace {

constexpr int kNameEdit = 1000;
constexpr int kFirstResultLine = 1001;
constexpr int kNameDialog = 101;
constexpr int kResultsDialog = 102;

INT_PTR AskName() {
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(kNameDialog), mainWindow, NameDialogProc, 0);
}

void ShowResults() {
    DialogBoxParamA(instance, MAKEINTRESOURCEA(kResultsDialog), mainWindow, ResultsDialogProc, 0);
}

void Tell(const char* text) {
    MessageBoxA(mainWindow, text, "Best results", MB_OK | MB_ICONERROR);
}

}  // namespace

INT_PTR NameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, kNameEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(highScoreTable.enteredName));
        SetFocus(GetDlgItem(dialog, kNameEdit));
        return FALSE;
    case WM_COMMAND:
        if (wParam == IDOK) {
            SendDlgItemMessageA(dialog, kNameEdit, WM_GETTEXT, kEnteredNameSize,
                                reinterpret_cast<LPARAM>(highScoreTable.enteredName));
            EndDialog(dialog, IDOK);
        } else if (wParam == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR ResultsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        for (int k = 0; k < highScoreTable.count && k < kMaxRecords; ++k) {
            char line[kResultLineSize];
            FormatResultLine(highScoreTable.records[k], line);
            SendDlgItemMessageA(dialog, kFirstResultLine + k, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(line));
        }
        return FALSE;
    case WM_COMMAND:
        if (wParam == IDOK || wParam == IDCANCEL) EndDialog(dialog, static_cast<INT_PTR>(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

void ShowBestResults() { RunBestResults(BestResultsDialogs{AskName, ShowResults, Tell}); }

// The best-results flow run when the main window closes, apart from its two dialogs.
#pragma once

#include <cstdint>

// ShowBestResults passes the modal boxes in: askName shows dialog 101 with
// NameDialogProc and returns how it ended (1 for OK, with enteredName filled);
// showResults shows dialog 102 with ResultsDialogProc over highScoreTable's
// count and records, each line made by FormatResultLine; tell shows a message
// box owned by the main window.
struct BestResultsDialogs {
    intptr_t (*askName)();  // the dialog's result
    void (*showResults)();
    void (*tell)(const char* text);
};

void RunBestResults(const BestResultsDialogs& dialogs);

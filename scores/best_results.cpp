#include "scores/best_results.h"

#include <string>

#include "app/platform_calls.h"
#include "game/game_state.h"
#include "scores/high_score_table.h"

namespace {

// The file's full name, so that the player can find it: it lives wherever the
// game was started.
std::string WhereTheFileIs() {
    char path[1024];
    const DWORD length = GetFullPathNameA(kScoreFileName, sizeof path, path, nullptr);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string(kScoreFileName);
}

}  // namespace

void RunBestResults(const BestResultsDialogs& dialogs) {
    if (finalScore == 0) return;
    const bool placed = LoadAndPlace();
    if (highScoreTable.unreadable) {
        // With the table unknown, neither a place nor a list could be true.
        const std::string text = "The best results could not be read from\n" + WhereTheFileIs() + "\n(" +
                                 ScoreFileFailure() + ").\n\nThe file was left as it is.";
        dialogs.tell(text.c_str());
        return;
    }
    if (placed) {
        if (dialogs.askName() == 1) {
            // A failed save keeps the score, so that it is not taken as stored.
            if (SaveScores()) {
                finalScore = 0;
            } else {
                const std::string text = "Your result could not be saved in\n" + WhereTheFileIs() + "\n(" +
                                         ScoreFileFailure() + ").\n\nThe best results there were left as they are.";
                ForgetPlace();
                dialogs.tell(text.c_str());
            }
        } else {
            ForgetPlace();
        }
    }
    dialogs.showResults();
}

#include "scores/best_results.h"

#include "game/game_state.h"
#include "scores/high_score_table.h"

void RunBestResults(const BestResultsDialogs& dialogs) {
    if (finalScore == 0) return;
    if (LoadAndPlace()) {
        if (dialogs.askName() == 1) {
            // A failed save keeps the score, so that it is not taken as stored.
            if (SaveScores()) finalScore = 0;
        } else {
            ForgetPlace();
        }
    }
    dialogs.showResults();
}

// Leaves in the working folder the "Kestrova.res" the Linux build writes when
// `name` is entered for `score` over the table found there (none: an empty
// one), through the game's own code. The page's file must be this one, byte
// for byte.
//
//   expected_score_file NAME SCORE
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/game_state.h"
#include "scores/high_score_table.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s NAME SCORE\n", argv[0]);
        return 2;
    }
    finalScore = std::atoi(argv[2]);
    if (!LoadAndPlace()) {
        std::fprintf(stderr, "the table could not be read: %s\n", ScoreFileFailure());
        return 1;
    }
    std::snprintf(highScoreTable.enteredName, sizeof highScoreTable.enteredName, "%s", argv[1]);
    if (!SaveScores()) {
        std::fprintf(stderr, "the table could not be saved: %s\n", ScoreFileFailure());
        return 1;
    }
    return 0;
}

// One line of the results dialog: the name padded to 40 characters, a blank, the score.
#pragma once

#include "scores/high_score_table.h"

// The static shows 47 columns. A name is at most 20 bytes (a field without its NUL),
// shown with at most 20 characters; the padding is at most 40 blanks, the score 11 characters.
constexpr int kResultColumns = 47;
constexpr int kResultLineSize = kNameFieldSize + 40 + 1 + 11 + 1;

// Writes the NUL-terminated line for the static 1001 + k of dialog 102.
void FormatResultLine(const ScoreRecord& record, char (&line)[kResultLineSize]);

// The ten best results and their file "Kestrova.res".
#pragma once

#include <cstdint>

constexpr int kMaxRecords = 10;
constexpr int kNameFieldSize = 20;    // 19 bytes and the NUL
constexpr int kEnteredNameSize = 40;  // the name dialog's buffer
constexpr const char* kScoreFileName = "Kestrova.res";

// Exactly as in the file: 24 bytes, the score little-endian.
struct ScoreRecord {
    char name[kNameFieldSize];
    int32_t score;
};
static_assert(sizeof(ScoreRecord) == 24);

struct HighScoreTable {
    int32_t insertPos;
    int32_t count;
    ScoreRecord records[kMaxRecords];
    char enteredName[kEnteredNameSize];
    // The table as read, so that the results shown after Cancel hold no empty place.
    int32_t loadedCount;
    ScoreRecord loadedRecords[kMaxRecords];
    // Set by LoadAndPlace when the file is there but could not be read: the
    // table is then unknown, and nothing may be written over it.
    int32_t unreadable;
};

extern HighScoreTable highScoreTable;

// Reads the file and, when finalScore earns a place, makes room at insertPos.
// Only a missing file is an empty table; any other failure to read it sets
// unreadable and returns false.
bool LoadAndPlace();
// Fills the record at insertPos from enteredName and finalScore and replaces the file.
// Returns false, with the old file left as it was, when the file could not be written.
bool SaveScores();
// Why the last LoadAndPlace or SaveScores failed, in the system's words.
const char* ScoreFileFailure();
// Gives the table back the records as read, dropping the room LoadAndPlace made.
void ForgetPlace();

#include "scores/high_score_table.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/platform_calls.h"
#include "game/game_state.h"

HighScoreTable highScoreTable = {};

namespace {

constexpr int kRecordSize = static_cast<int>(sizeof(ScoreRecord));
// A virus scanner or a sync tool holds a file it has just seen for a moment;
// a second of retries outlasts it, and a player barely notices the wait.
constexpr int kReplaceAttempts = 20;
constexpr DWORD kReplaceRetryMs = 50;

char failure[160];

void NoteFailure(const char* text) {
    std::snprintf(failure, sizeof failure, "%s", text);
}

// Windows answers so while another program has the file open.
bool FileIsHeld(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
}

bool ReplaceFile(const char* replacement, const char* name) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExA(replacement, name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        if (!FileIsHeld(error) || attempt == kReplaceAttempts) {
            if (FileIsHeld(error)) {
                NoteFailure("the file is in use by another program, or may not be replaced");
            } else {
                std::snprintf(failure, sizeof failure, "the file could not be replaced (system error %lu)",
                              static_cast<unsigned long>(error));
            }
            return false;
        }
        Sleep(kReplaceRetryMs);
    }
}

// A regular file delivers everything at once; the loop covers reads cut short anyway.
int ReadFully(int fd, void* buffer, int size) {
    char* bytes = static_cast<char*>(buffer);
    int done = 0;
    while (done < size) {
        const int n = _read(fd, bytes + done, static_cast<unsigned>(size - done));
        if (n < 0) return -1;
        if (n == 0) break;
        done += n;
    }
    return done;
}

bool WriteFully(int fd, const unsigned char* bytes, int size) {
    int done = 0;
    while (done < size) {
        const int n = _write(fd, bytes + done, static_cast<unsigned>(size - done));
        if (n == 0) errno = ENOSPC;  // no progress and no error: nothing more fits
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

int32_t FromLittleEndian(const unsigned char* bytes) {
    return static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                                static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
}

void ToLittleEndian(int32_t value, unsigned char* bytes) {
    const uint32_t bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
}

// At most 19 bytes, cut where a UTF-8 character begins.
size_t NameLength(const char* name) {
    const size_t length = strnlen(name, kEnteredNameSize);
    size_t cut = length < kNameFieldSize - 1 ? length : kNameFieldSize - 1;
    while (cut > 0 && cut < length && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

}  // namespace

bool LoadAndPlace() {
    HighScoreTable& table = highScoreTable;
    // Records the file lacks are empty names with score 0.
    std::memset(table.records, 0, sizeof table.records);
    table.count = 0;
    table.unreadable = 0;

    // Only a missing file is an empty table. One the player may not read, one
    // another program holds, or a disk error hides a table that the next save
    // would wipe out.
    const int fd = _open(kScoreFileName, _O_RDONLY | _O_BINARY | _O_SEQUENTIAL);
    if (fd < 0 && errno != ENOENT) {
        NoteFailure(std::strerror(errno));
        table.unreadable = 1;
        return false;
    }
    unsigned char countBytes[4];
    // A count field cut short is damage, not a count.
    const int gotCount = fd < 0 ? 0 : ReadFully(fd, countBytes, 4);
    if (gotCount == 4) table.count = FromLittleEndian(countBytes);
    if (table.count < 0 || table.count > kMaxRecords) table.count = 0;
    const int got = fd < 0 ? 0 : ReadFully(fd, table.records, table.count * kRecordSize);
    const int readError = errno;
    if (fd >= 0) _close(fd);
    if (gotCount < 0 || got < 0) {
        NoteFailure(std::strerror(readError));
        table.count = 0;
        table.unreadable = 1;
        return false;
    }
    if (got % kRecordSize != 0) {
        table.count = 0;
        std::memset(table.records, 0, sizeof table.records);
    }

    table.loadedCount = table.count;
    std::memcpy(table.loadedRecords, table.records, sizeof table.records);

    table.insertPos = 0;
    while (table.insertPos < table.count && table.records[table.insertPos].score >= finalScore) ++table.insertPos;
    if (table.insertPos == kMaxRecords) return false;
    if (table.count < kMaxRecords) ++table.count;
    for (int k = table.count - 2; k >= table.insertPos; --k) table.records[k + 1] = table.records[k];
    return true;
}

bool SaveScores() {
    HighScoreTable& table = highScoreTable;
    if (table.unreadable || table.count < 1 || table.count > kMaxRecords || table.insertPos < 0 ||
        table.insertPos >= table.count) {
        NoteFailure("the best results were not read first");
        return false;
    }
    ScoreRecord& record = table.records[table.insertPos];
    // Bytes after the NUL carry no meaning; zeros keep an earlier name out of the file.
    std::memset(record.name, 0, sizeof record.name);
    std::memcpy(record.name, table.enteredName, NameLength(table.enteredName));
    record.score = finalScore;

    unsigned char bytes[4 + kMaxRecords * kRecordSize];
    ToLittleEndian(table.count, bytes);
    for (int k = 0; k < table.count; ++k) {
        unsigned char* out = bytes + 4 + k * kRecordSize;
        std::memcpy(out, table.records[k].name, kNameFieldSize);
        ToLittleEndian(table.records[k].score, out + kNameFieldSize);
    }
    const int size = 4 + table.count * kRecordSize;

    // Truncating the file in place would lose every result to a failure half way;
    // the new table goes to a file of its own that replaces the old one only when whole.
    const std::string temporary = std::string(kScoreFileName) + "." + std::to_string(_getpid()) + ".tmp";
    const int fd = _open(temporary.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_SEQUENTIAL,
                         _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        NoteFailure(std::strerror(errno));
        return false;
    }
    bool written = WriteFully(fd, bytes, size) && _commit(fd) == 0;
    if (!written) NoteFailure(std::strerror(errno));
    if (_close(fd) != 0 && written) {
        NoteFailure(std::strerror(errno));
        written = false;
    }
    // std::rename will not replace a file on Windows, so the system's own
    // call does it, and returns once the new name is on the disk.
    if (!written || !ReplaceFile(temporary.c_str(), kScoreFileName)) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

const char* ScoreFileFailure() {
    return failure;
}

void ForgetPlace() {
    HighScoreTable& table = highScoreTable;
    table.count = table.loadedCount;
    std::memcpy(table.records, table.loadedRecords, sizeof table.records);
}

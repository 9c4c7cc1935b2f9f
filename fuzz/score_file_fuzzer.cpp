// libFuzzer target for the best-results file: the input becomes a score, a
// typed name and the bytes of "Kestrova.res" in a working directory of the
// fuzzer's own, and goes through the game's own LoadAndPlace, the results
// lines and SaveScores. Beyond "no crash" it checks what the loader promises:
// a count of 0..10, the records kept in the file's order with room made
// where the score belongs, every line shown terminated, and a saved file
// that reads back as the table in memory.
//
// Input: 4 bytes score (little-endian), 1 byte name length (mod 40), the
// name, then the file.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "game/game_state.h"
#include "scores/high_score_table.h"
#include "scores/result_line.h"

// Replacing a file that another program holds is retried after a sleep, which
// the game takes from its window system; the fuzzer links none, so it sleeps here.
namespace plat {
void Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
}  // namespace plat

// The game leaves its final score here when it ends; in the fuzzer the input does.
int finalScore = 0;

namespace {

void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "score file fuzzer: %s\n", what);
    std::abort();
}

int32_t Int32At(const uint8_t* bytes) {
    return static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                                static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
}

void WriteFile(const char* name, const uint8_t* bytes, size_t size) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
}

std::vector<uint8_t> ReadFile(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool SameRecord(const ScoreRecord& a, const ScoreRecord& b) {
    return std::memcmp(a.name, b.name, kNameFieldSize) == 0 && a.score == b.score;
}

bool NonIncreasing(const ScoreRecord* records, int count) {
    for (int k = 1; k < count; ++k) {
        if (records[k].score > records[k - 1].score) return false;
    }
    return true;
}

// What the loader takes from a file: the count, 0..10, and how many records
// the file really fills (a file ending early at a record boundary keeps its
// count, the missing records empty); a file cut inside a record or inside its
// count holds nothing.
struct FileTable {
    int count = 0;
    int filled = 0;
};

FileTable TableInFile(const uint8_t* file, size_t size) {
    if (size < 4) return {};
    const int32_t count = Int32At(file);
    if (count < 0 || count > kMaxRecords) return {};
    const size_t body = size - 4;
    const size_t wanted = static_cast<size_t>(count) * sizeof(ScoreRecord);
    if (body >= wanted) return {count, count};
    if (body % sizeof(ScoreRecord) != 0) return {};
    return {count, static_cast<int>(body / sizeof(ScoreRecord))};
}

void CheckLine(const ScoreRecord& record) {
    char line[kResultLineSize];
    std::memset(line, 0x5A, sizeof line);
    FormatResultLine(record, line);
    Require(std::memchr(line, '\0', sizeof line) != nullptr, "a results line runs past its buffer");
    Require(std::strlen(line) <= static_cast<size_t>(kResultLineSize - 1), "a results line is too long");
}

void RunOne(const uint8_t* data, size_t size) {
    if (size < 5) return;
    finalScore = Int32At(data);
    const size_t nameLength = std::min<size_t>(data[4] % kEnteredNameSize, size - 5);
    const uint8_t* name = data + 5;
    const uint8_t* file = name + nameLength;
    const size_t fileSize = size - 5 - nameLength;

    highScoreTable = {};
    std::memcpy(highScoreTable.enteredName, name, nameLength);
    WriteFile(kScoreFileName, file, fileSize);

    const bool placed = LoadAndPlace();
    const HighScoreTable& t = highScoreTable;
    const FileTable read = TableInFile(file, fileSize);
    Require(!t.unreadable, "a file that reads was taken as unreadable");
    const int held = read.count;
    Require(t.loadedCount == held, "the loaded count is not the file's");
    Require(t.count >= 0 && t.count <= kMaxRecords, "count outside 0..10");
    for (int k = 0; k < kMaxRecords; ++k) {
        ScoreRecord fromFile{};
        if (k < read.filled) {
            std::memcpy(fromFile.name, file + 4 + k * sizeof(ScoreRecord), kNameFieldSize);
            fromFile.score = Int32At(file + 4 + k * sizeof(ScoreRecord) + kNameFieldSize);
        }
        Require(SameRecord(t.loadedRecords[k], fromFile), "a loaded record differs from the file");
        CheckLine(t.loadedRecords[k]);
    }

    // Room for the new score behind every record at least as high, before the first lower one.
    Require(t.insertPos >= 0 && t.insertPos <= held, "insertPos outside the table");
    for (int k = 0; k < t.insertPos; ++k) Require(t.loadedRecords[k].score >= finalScore, "placed above a better score");
    if (t.insertPos < held) Require(t.loadedRecords[t.insertPos].score < finalScore, "placed below a lower score");
    Require(placed == (t.insertPos < kMaxRecords), "placed disagrees with insertPos");
    if (!placed) {
        Require(t.count == held, "an unplaced score changed the count");
        for (int k = 0; k < kMaxRecords; ++k) Require(SameRecord(t.records[k], t.loadedRecords[k]), "an unplaced score moved records");
        return;
    }
    Require(t.count == std::min(held + 1, kMaxRecords), "the count did not grow by the new place");
    for (int k = 0; k < t.count; ++k) {
        if (k < t.insertPos) Require(SameRecord(t.records[k], t.loadedRecords[k]), "a record above the place moved");
        if (k > t.insertPos) Require(SameRecord(t.records[k], t.loadedRecords[k - 1]), "a record below the place was not moved down");
    }

    Require(SaveScores(), "the table could not be saved");
    const ScoreRecord& entered = t.records[t.insertPos];
    const size_t stored = strnlen(entered.name, kNameFieldSize);
    Require(stored < kNameFieldSize, "the entered name is not terminated");
    Require(std::memcmp(entered.name, name, stored) == 0, "the entered name is not the one typed");
    Require(entered.score == finalScore, "the entered score is not the final score");
    CheckLine(entered);

    const std::vector<uint8_t> saved = ReadFile(kScoreFileName);
    Require(saved.size() == 4 + t.count * sizeof(ScoreRecord), "the saved file has the wrong size");
    Require(Int32At(saved.data()) == t.count, "the saved count differs");
    for (int k = 0; k < t.count; ++k) {
        ScoreRecord back{};
        std::memcpy(back.name, saved.data() + 4 + k * sizeof(ScoreRecord), kNameFieldSize);
        back.score = Int32At(saved.data() + 4 + k * sizeof(ScoreRecord) + kNameFieldSize);
        Require(SameRecord(back, t.records[k]), "a saved record differs from the table");
    }
    if (NonIncreasing(t.loadedRecords, held)) Require(NonIncreasing(t.records, t.count), "a sorted table lost its order");
}

std::string workDir;
int startDir = -1;

void RemoveWorkDir() {
    if (chdir(workDir.c_str()) == 0) std::remove(kScoreFileName);
    rmdir(workDir.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The file is always "Kestrova.res" in the current directory: one of our own,
    // entered for each input only, so that the fuzzer's own paths keep their meaning.
    const char* base = std::getenv("TMPDIR");
    workDir = std::string(base && *base ? base : "/tmp") + "/kestrova-fuzz-XXXXXX";
    Require(mkdtemp(workDir.data()) != nullptr, "no working directory");
    startDir = open(".", O_RDONLY | O_DIRECTORY);
    Require(startDir >= 0, "the starting directory cannot be kept");
    std::atexit(RemoveWorkDir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Require(chdir(workDir.c_str()) == 0, "the working directory is gone");
    RunOne(data, size);
    Require(fchdir(startDir) == 0, "the starting directory is gone");
    return 0;
}

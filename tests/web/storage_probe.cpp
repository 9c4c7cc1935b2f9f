// Saves one result through the game's own table code, as the name dialog's OK
// does, and says on the console what it found and how the save went; the page
// test (storage_test.mjs) loads it over and over, with IndexedDB working or not.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/platform_calls.h"
#include "game/game_state.h"
#include "scores/high_score_table.h"

namespace {

// The file as the runtime finds it: its bytes in hex, "none" or "error <why>".
void SayFile(const char* when) {
    const int fd = _open(kScoreFileName, _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        if (errno == ENOENT) std::printf("%s: none\n", when);
        else std::printf("%s: error %s\n", when, std::strerror(errno));
        return;
    }
    std::string hex;
    unsigned char byte;
    while (_read(fd, &byte, 1) == 1) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", byte);
        hex += two;
    }
    _close(fd);
    std::printf("%s: %s\n", when, hex.c_str());
}

}  // namespace

int main() {
    SayFile("before");
    finalScore = 500;
    const bool placed = LoadAndPlace();
    if (highScoreTable.unreadable) std::printf("unreadable: %s\n", ScoreFileFailure());
    std::snprintf(highScoreTable.enteredName, sizeof highScoreTable.enteredName, "%s", "Zo\xc3\xab Kova\xc4\x8d");
    if (placed && SaveScores()) std::printf("save: done\n");
    else std::printf("save: failed, %s\n", ScoreFileFailure());
    SayFile("after");
    std::printf("done\n");
    return 0;
}

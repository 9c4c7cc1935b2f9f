#include <cstring>
#include <random>
#include <sys/stat.h>
#if defined(_WIN32)
#include <thread>
#else
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include "scores/best_results.h"
#include "scores/result_line.h"
#include "tests/scores/score_dir.h"

namespace {

// The dialogs' outcomes, as the player would choose them.
int nameAsked = 0;
int resultsShown = 0;
intptr_t nameAnswer = 1;
const char* nameTyped = "";
HighScoreTable tableShown;
std::string told;

intptr_t AskName() {
    ++nameAsked;
    std::strncpy(highScoreTable.enteredName, nameTyped, kEnteredNameSize - 1);
    return nameAnswer;
}

void ShowResults() {
    ++resultsShown;
    tableShown = highScoreTable;
}

void Tell(const char* text) {
    told += text;
}

class ScoreFileTest : public ScoreDir {
protected:
    void SetUp() override {
        ScoreDir::SetUp();
        nameAsked = resultsShown = 0;
        nameAnswer = 1;
        nameTyped = "";
        tableShown = {};
        told.clear();
    }
    // One close of the game, its boxes counted afresh.
    void Run(int score, const char* name, intptr_t answer = 1) {
        nameAsked = resultsShown = 0;
        told.clear();
        finalScore = score;
        nameTyped = name;
        nameAnswer = answer;
        RunBestResults({AskName, ShowResults, Tell});
    }
    // What a player met whose table could not be read: told where it is, no
    // place offered, nothing listed, the score kept.
    static bool ToldUnreadable(int score) {
        return told.find("could not be read") != std::string::npos && told.find(kScoreFileName) != std::string::npos &&
               nameAsked == 0 && resultsShown == 0 && finalScore == score;
    }
    // ...whose save failed: told so, then shown the table without the result.
    static bool ToldNotSaved(int score, int count) {
        return told.find("could not be saved") != std::string::npos && told.find(kScoreFileName) != std::string::npos &&
               nameAsked == 1 && resultsShown == 1 && finalScore == score && tableShown.count == count &&
               tableShown.records[0].score != score;
    }
    static std::vector<std::pair<std::string, int32_t>> FullTable() {
        std::vector<std::pair<std::string, int32_t>> records;
        for (int k = 0; k < kMaxRecords; ++k) records.push_back({"player" + std::to_string(k), 1000 - 100 * k});
        return records;
    }
};

TEST_F(ScoreFileTest, ZeroFinalScoreTouchesNeitherFileNorTableNorDialogs) {
    const auto bytes = TableBytes({{"kept", 5}});
    WriteScoreFile(bytes);
    highScoreTable.count = 7;
    Run(0, "abc");
    EXPECT_EQ(nameAsked + resultsShown, 0);
    EXPECT_EQ(highScoreTable.count, 7);
    EXPECT_EQ(ReadScoreFile(), bytes);
}

TEST_F(ScoreFileTest, EmptyTableGivesThe28BytesOfTheNewEntry) {
    Run(1234, "abc");
    const std::vector<unsigned char> expected = {0x01, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0, 0, 0, 0,
                                                 0,    0, 0, 0, 0,   0,   0,   0, 0, 0, 0xD2, 0x04, 0, 0};
    EXPECT_EQ(ReadScoreFile(), expected);
    EXPECT_EQ(finalScore, 0);
    EXPECT_EQ(resultsShown, 1);
    EXPECT_EQ(tableShown.count, 1);
    struct stat info {};
    ASSERT_EQ(stat(kScoreFileName, &info), 0);
#if defined(_WIN32)
    // Windows keeps no owner, group and others apart: the file is simply writable.
    EXPECT_EQ(info.st_mode & (_S_IREAD | _S_IWRITE), _S_IREAD | _S_IWRITE);
#else
    EXPECT_EQ(info.st_mode & 0777, 0600u);
#endif
    EXPECT_EQ(DirEntries(), std::vector<std::string>{kScoreFileName});
}

TEST_F(ScoreFileTest, EqualScoreGoesBehindAllItsEquals) {
    WriteScoreFile(TableBytes({{"a", 500}, {"b", 300}, {"c", 300}, {"d", 100}}));
    Run(300, "new");
    EXPECT_EQ(ReadScoreFile(), TableBytes({{"a", 500}, {"b", 300}, {"c", 300}, {"new", 300}, {"d", 100}}));
}

TEST_F(ScoreFileTest, FullTableNotBeatenLeavesFileAsItWasAndShowsTheTen) {
    auto bytes = TableBytes(FullTable());
    bytes[4 + 3 * 24 + 10] = 'z';  // a byte after a NUL, kept as it was
    WriteScoreFile(bytes);
    Run(100, "late");
    EXPECT_EQ(nameAsked, 0);
    EXPECT_EQ(ReadScoreFile(), bytes);
    EXPECT_EQ(finalScore, 100);
    EXPECT_EQ(tableShown.count, 10);
    EXPECT_EQ(tableShown.records[9].score, 100);
}

// The place made for the new entry held a longer name; none of it reaches the file.
TEST_F(ScoreFileTest, BeatingTheTenthDropsIt) {
    WriteScoreFile(TableBytes(FullTable()));
    Run(550, "mid");
    auto expected = FullTable();
    expected.insert(expected.begin() + 5, {"mid", 550});
    expected.pop_back();
    EXPECT_EQ(ReadScoreFile(), TableBytes(expected));
}

TEST_F(ScoreFileTest, LongNamesAreCutTo19BytesWithoutSplittingACharacter) {
    Run(10, "abcdefghijklmnopqrstuvwxyz0123456789ABC");
    EXPECT_EQ(ReadScoreFile(), TableBytes({{"abcdefghijklmnopqrs", 10}}));
    // enteredName keeps all 39.
    EXPECT_EQ(std::strlen(highScoreTable.enteredName), 39u);

    // 18 ASCII bytes then a two-byte character: the character goes whole.
    Run(9, "aaaaaaaaaaaaaaaaaa\xD0\xB6");
    EXPECT_EQ(ReadScoreFile(), TableBytes({{"abcdefghijklmnopqrs", 10}, {"aaaaaaaaaaaaaaaaaa", 9}}));
    // Six three-byte characters fill 18 bytes; the seventh does not fit.
    Run(8, "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC");
    EXPECT_EQ(highScoreTable.records[2].name,
              std::string("\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"));
}

TEST_F(ScoreFileTest, ACountBeyondTheRecordsPresentKeepsEmptyRecords) {
    std::vector<unsigned char> bytes;
    PutInt(bytes, 4);
    PutRecord(bytes, "a", 50);
    PutRecord(bytes, "b", 40);
    WriteScoreFile(bytes);
    finalScore = 45;
    ASSERT_TRUE(LoadAndPlace());
    EXPECT_EQ(highScoreTable.insertPos, 1);
    EXPECT_EQ(highScoreTable.count, 5);
    EXPECT_STREQ(highScoreTable.records[2].name, "b");
    EXPECT_EQ(highScoreTable.records[4].score, 0);
    EXPECT_STREQ(highScoreTable.records[4].name, "");
}

TEST_F(ScoreFileTest, RecordBytesNotWholeRecordsGiveAnEmptyTable) {
    std::vector<unsigned char> bytes;
    PutInt(bytes, 3);
    bytes.resize(4 + 50, 'x');
    WriteScoreFile(bytes);
    finalScore = 1;
    ASSERT_TRUE(LoadAndPlace());
    EXPECT_EQ(highScoreTable.count, 1);
    EXPECT_EQ(highScoreTable.insertPos, 0);
}

TEST_F(ScoreFileTest, BytesBeyondTheCountedRecordsAreNeverRead) {
    auto bytes = TableBytes({{"a", 50}, {"b", 40}});
    PutRecord(bytes, "hidden", 30);
    WriteScoreFile(bytes);
    finalScore = 10;
    ASSERT_TRUE(LoadAndPlace());
    EXPECT_EQ(highScoreTable.count, 3);
    EXPECT_STREQ(highScoreTable.records[2].name, "");
    EXPECT_EQ(highScoreTable.loadedCount, 2);
    EXPECT_EQ(highScoreTable.loadedRecords[2].score, 0);
}

TEST_F(ScoreFileTest, DamagedCountFieldsGiveAnEmptyTable) {
    for (int32_t count : {-1, 11, 2147483647, static_cast<int32_t>(0x80000000)}) {
        auto bytes = TableBytes(FullTable());
        for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(static_cast<uint32_t>(count) >> (8 * i));
        WriteScoreFile(bytes);
        finalScore = 1;
        ASSERT_TRUE(LoadAndPlace()) << count;
        EXPECT_EQ(highScoreTable.count, 1) << count;
        EXPECT_EQ(highScoreTable.insertPos, 0) << count;
    }
    // One byte is no count, even one that reads as 5.
    WriteScoreFile({5});
    ASSERT_TRUE(LoadAndPlace());
    EXPECT_EQ(highScoreTable.count, 1);
}

TEST_F(ScoreFileTest, RandomBytesKeepTheTableWithinItsBounds) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 300; ++round) {
        std::vector<unsigned char> bytes(random() % 260);
        for (auto& byte : bytes) byte = static_cast<unsigned char>(random());
        // Half the files get a plausible count, so that the record checks are reached.
        if (bytes.size() >= 4 && round % 2 == 0) {
            bytes[0] = static_cast<unsigned char>(random() % 11);
            bytes[1] = bytes[2] = bytes[3] = 0;
        }
        WriteScoreFile(bytes);
        highScoreTable = {};
        finalScore = static_cast<int>(random());
        const bool placed = LoadAndPlace();
        const HighScoreTable& t = highScoreTable;
        ASSERT_GE(t.count, placed ? 1 : 10);
        ASSERT_LE(t.count, kMaxRecords);
        ASSERT_LE(t.insertPos, placed ? t.count - 1 : kMaxRecords);
        for (int k = 0; k < t.count; ++k) {
            char line[kResultLineSize];
            FormatResultLine(t.records[k], line);
            ASSERT_LT(std::strlen(line), sizeof line);
        }
    }
}

TEST_F(ScoreFileTest, CancelSavesNothingAndShowsTheTableAsLoaded) {
    const auto bytes = TableBytes({{"a", 50}, {"b", 40}});
    WriteScoreFile(bytes);
    Run(45, "nobody", 2);
    EXPECT_EQ(ReadScoreFile(), bytes);
    EXPECT_EQ(finalScore, 45);
    ASSERT_EQ(resultsShown, 1);
    EXPECT_EQ(tableShown.count, 2);
    EXPECT_STREQ(tableShown.records[1].name, "b");
    EXPECT_EQ(tableShown.records[1].score, 40);

    // A full table whose tenth entry the cancelled score would have dropped
    // shows all ten as they were.
    const auto full = TableBytes(FullTable());
    WriteScoreFile(full);
    Run(5000, "nobody", 2);
    EXPECT_EQ(ReadScoreFile(), full);
    EXPECT_EQ(tableShown.count, 10);
    for (int k = 0; k < kMaxRecords; ++k) EXPECT_EQ(tableShown.records[k].score, 1000 - 100 * k) << k;
}

// A file that is there but is no file of records hides nothing to be rewritten:
// a directory reads with an error on Linux and does not open on Windows.
TEST_F(ScoreFileTest, AnUnreadableTableIsLeftAloneAndThePlayerIsTold) {
    std::filesystem::create_directory(kScoreFileName);
    Run(500, "abc");
    EXPECT_TRUE(ToldUnreadable(500)) << told;
    EXPECT_TRUE(std::filesystem::is_directory(kScoreFileName));
    EXPECT_EQ(DirEntries(), std::vector<std::string>{kScoreFileName});

    // A table never read is never written, even with a place made by mistake
    // and nothing in the way.
    std::filesystem::remove(kScoreFileName);
    highScoreTable.count = 1;
    highScoreTable.insertPos = 0;
    EXPECT_FALSE(SaveScores());
    EXPECT_TRUE(DirEntries().empty());

    // The next close with the file readable again goes on as ever.
    Run(500, "abc");
    EXPECT_EQ(told, "");
    EXPECT_EQ(ReadScoreFile(), TableBytes({{"abc", 500}}));
}

#if defined(_WIN32)
// A scanner or sync tool holds the file open, sharing what it chooses.
class HeldFile {
public:
    explicit HeldFile(DWORD share)
        : handle_(CreateFileA(kScoreFileName, GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldFile() { Release(); }
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Release() {
        if (held()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

TEST_F(ScoreFileTest, AFileHeldWithoutSharingIsNeitherReadNorWiped) {
    const auto bytes = TableBytes(FullTable());
    WriteScoreFile(bytes);
    HeldFile held(0);
    ASSERT_TRUE(held.held());
    Run(5000, "best");
    held.Release();
    EXPECT_TRUE(ToldUnreadable(5000)) << told;
    EXPECT_EQ(ReadScoreFile(), bytes);
}

TEST_F(ScoreFileTest, ReplacingAHeldFileWaitsForItBriefly) {
    const auto bytes = TableBytes({{"a", 50}});
    WriteScoreFile(bytes);
    // Readable, but not to be replaced while it is open.
    HeldFile briefly(FILE_SHARE_READ);
    ASSERT_TRUE(briefly.held());
    std::thread scanner([&] {
        Sleep(200);
        briefly.Release();
    });
    Run(60, "new");
    scanner.join();
    EXPECT_EQ(told, "");
    EXPECT_EQ(ReadScoreFile(), TableBytes({{"new", 60}, {"a", 50}}));

    HeldFile forGood(FILE_SHARE_READ);
    ASSERT_TRUE(forGood.held());
    Run(70, "lost");
    forGood.Release();
    EXPECT_TRUE(ToldNotSaved(70, 2)) << told;
    EXPECT_EQ(ReadScoreFile(), TableBytes({{"new", 60}, {"a", 50}}));
    EXPECT_EQ(DirEntries(), std::vector<std::string>{kScoreFileName});
}
#else
// Runs `act` as a player who is not root, for whom permissions hold: as root,
// in a child process that has given root up. Returns act's result.
template <typename Act>
bool AsPlayer(Act act) {
    if (geteuid() != 0) return act();
    const pid_t child = fork();
    if (child == 0) {
        constexpr gid_t kNobody = 65534;
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(2);
        _exit(act() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Left owned by root after one start with sudo, say.
TEST_F(ScoreFileTest, ATableThePlayerMayNotReadIsNeitherReadNorWiped) {
    const auto bytes = TableBytes(FullTable());
    WriteScoreFile(bytes);
    ASSERT_EQ(chmod(kScoreFileName, 0), 0);
    EXPECT_TRUE(AsPlayer([&] {
        Run(5000, "best");
        return ToldUnreadable(5000);
    })) << told;
    chmod(kScoreFileName, 0600);
    EXPECT_EQ(ReadScoreFile(), bytes);
}

TEST_F(ScoreFileTest, AFolderThePlayerMayNotWriteKeepsItsTableAndThePlayerIsTold) {
    const auto bytes = TableBytes({{"a", 50}, {"b", 40}});
    WriteScoreFile(bytes);
    ASSERT_EQ(chmod(".", 0555), 0);
    EXPECT_TRUE(AsPlayer([&] {
        Run(45, "new");
        return ToldNotSaved(45, 2) && tableShown.records[1].score == 40;
    })) << told;
    chmod(".", 0755);
    EXPECT_EQ(ReadScoreFile(), bytes);
    EXPECT_EQ(DirEntries(), std::vector<std::string>{kScoreFileName});
}
#endif

// Failures injected through POSIX resource limits; Windows has no such limits
// for a process to set on itself.
#if !defined(_WIN32)
// Descriptors stop at the lowest free one: the next open of any file fails.
class NoMoreFiles {
public:
    NoMoreFiles() {
        getrlimit(RLIMIT_NOFILE, &saved_);
        const int next = dup(0);
        close(next);
        rlimit limit = saved_;
        limit.rlim_cur = static_cast<rlim_t>(next);
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    ~NoMoreFiles() { setrlimit(RLIMIT_NOFILE, &saved_); }

private:
    rlimit saved_{};
};

// Files cannot grow past a few bytes; the write fails rather than the process.
class FilesLimitedTo {
public:
    explicit FilesLimitedTo(rlim_t bytes) {
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FilesLimitedTo() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST_F(ScoreFileTest, ASaveThatCannotCreateItsFileLeavesTheOldOne) {
    const auto bytes = TableBytes(FullTable());
    WriteScoreFile(bytes);
    finalScore = 2000;
    ASSERT_TRUE(LoadAndPlace());
    std::strcpy(highScoreTable.enteredName, "best");
    bool saved;
    {
        NoMoreFiles limit;
        saved = SaveScores();
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadScoreFile(), bytes);
    EXPECT_STREQ(highScoreTable.records[0].name, "best");
}

TEST_F(ScoreFileTest, ASaveFailingHalfWayLeavesTheOldFileAndKeepsTheScore) {
    const auto bytes = TableBytes(FullTable());
    WriteScoreFile(bytes);
    {
        FilesLimitedTo limit(100);
        Run(2000, "best");
    }
    EXPECT_EQ(ReadScoreFile(), bytes);
    EXPECT_EQ(DirEntries(), std::vector<std::string>{kScoreFileName});
    EXPECT_TRUE(ToldNotSaved(2000, 10)) << told;
    EXPECT_EQ(tableShown.records[9].score, 100) << "the tenth entry, which the lost result would have dropped";
}

#endif

}  // namespace

// The close of a game: the name dialog and the results dialog answered with
// real input, and what reaches the file.
#include <cstring>

#include "app/main_window.h"
#include "scores/best_results_dialogs.h"
#include "scores/result_line.h"
#include "tests/scores/score_dir.h"
#include "tests/win/win_test_support.h"

namespace {

using namespace wintest;

void Tap(HWND box, SDL_Keycode key) {
    PushKey(box, key, true);
    PushKey(box, key, false);
}

std::string TextOf(HWND dialog, int id) {
    char buffer[128] = {};
    LRESULT n = SendDlgItemMessageA(dialog, id, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return std::string(buffer, static_cast<std::size_t>(n > 0 ? n : 0));
}

class BestResultsDialogsTest : public ScoreDir {
protected:
    void SetUp() override {
        ScoreDir::SetUp();
        mainWindow = MakeWindow("BestResultsOwner", 320, 240, WS_OVERLAPPEDWINDOW);
        ASSERT_NE(mainWindow, nullptr);
        ShowWindow(mainWindow, SW_SHOW);
        Drain();
    }
    void TearDown() override {
        SetModalHook(nullptr);
        DestroyWindow(mainWindow);
        mainWindow = nullptr;
        Drain();
        ScoreDir::TearDown();
    }
    // Answers the name dialog with `typed` and Enter (or Esc), and notes the
    // results dialog's first two lines before pressing Enter on it.
    void Answer(const char* typed, bool cancel) {
        SetModalHook([this, typed, cancel](HWND box) {
            ++dialogs;
            if (GetDlgItem(box, 1000)) {
                PushText(box, typed);
                PushKey(box, SDLK_BACKSPACE, true);
                PushKey(box, SDLK_BACKSPACE, false);
                Tap(box, cancel ? SDLK_ESCAPE : SDLK_RETURN);
            } else {
                lines[0] = TextOf(box, 1001);
                lines[1] = TextOf(box, 1002);
                Tap(box, SDLK_RETURN);
            }
        });
    }
    static std::string Line(const char* name, int score) {
        ScoreRecord r{};
        std::strncpy(r.name, name, sizeof r.name - 1);
        r.score = score;
        char line[kResultLineSize];
        FormatResultLine(r, line);
        return line;
    }
    int dialogs = 0;
    std::string lines[2];
};

TEST_F(BestResultsDialogsTest, AFinishedGameAsksForTheNameStoresItAndShowsTheTable) {
    finalScore = 1234;
    Answer("abcd", false);  // the Backspace takes the d
    ShowBestResults();
    EXPECT_EQ(dialogs, 2);
    const std::vector<unsigned char> file = ReadScoreFile();
    ASSERT_EQ(file.size(), 28u);
    const unsigned char expected[12] = {1, 0, 0, 0, 'a', 'b', 'c', 0};
    EXPECT_EQ(std::memcmp(file.data(), expected, 8), 0);
    EXPECT_EQ(file[24], 0xD2);
    EXPECT_EQ(file[25], 0x04);
    EXPECT_EQ(finalScore, 0);
    EXPECT_EQ(lines[0], Line("abc", 1234));
    EXPECT_EQ(lines[1], "");

    // A second, lower score cancelled: nothing written, the table shown as it was.
    finalScore = 7;
    Answer("zz", true);
    ShowBestResults();
    EXPECT_EQ(dialogs, 4);
    EXPECT_EQ(ReadScoreFile().size(), 28u);
    EXPECT_EQ(finalScore, 7);
    EXPECT_EQ(lines[0], Line("abc", 1234));
    EXPECT_EQ(lines[1], "") << "no empty place for the cancelled entry";
}

// A message box, owned by the main window, and neither dialog.
TEST_F(BestResultsDialogsTest, ATableThatCannotBeReadIsToldInABoxOverTheMainWindow) {
    std::filesystem::create_directory(kScoreFileName);
    finalScore = 300;
    bool ownerDisabled = false, isDialog = true;
    SetModalHook([&](HWND box) {
        ++dialogs;
        ownerDisabled = !IsWindowEnabled(mainWindow);
        isDialog = GetDlgItem(box, 1000) || GetDlgItem(box, 1001);
        Tap(box, SDLK_RETURN);
    });
    ShowBestResults();
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_FALSE(isDialog);
    EXPECT_TRUE(std::filesystem::is_directory(kScoreFileName));
    EXPECT_EQ(finalScore, 300);
}

TEST_F(BestResultsDialogsTest, AWindowClosedBeforeTheEndShowsNothing) {
    Answer("x", false);
    ShowBestResults();
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(ReadScoreFile().empty());
}

}  // namespace

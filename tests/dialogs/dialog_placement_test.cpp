// Where a dialog opens: its template's place, from the owner's client area or
// the screen, or the middle of the work area; and always on the work area.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/dialogs/dialog_placement.h"

namespace plat::dialogs {
namespace {

// A dialog unit is 2 pixels across (8 / 4) and 2 down (16 / 8).
constexpr BaseUnits kBase{8, 16};
constexpr FrameInsets kFrame{3, 22, 4, 5};
constexpr Box kWorkArea{0, 0, 1280, 992};  // a task bar below
constexpr int kWidth = 3 + 200 + 4, kHeight = 22 + 100 + 5;

// A dialog at 10, 20 dialog units, 100 x 50 of them.
DialogTemplate At10And20(const std::string& style) {
    return *FindDialogTemplate("7 DIALOG 10, 20, 100, 50\nSTYLE " + style + "\nBEGIN\nEND\n", 7);
}

std::tuple<int, int, int, int> Of(const Box& b) { return {b.x, b.y, b.w, b.h}; }

TEST(DialogPlacementTest, TheTemplatePlacesTheClientAreaInDialogUnitsFromTheOwnersClientArea) {
    const Box window = DialogWindowBox(At10And20("WS_POPUP | WS_CAPTION"), kBase, kFrame, POINT{300, 200}, kWorkArea);
    EXPECT_EQ(Of(window), std::make_tuple(300 + 20 - 3, 200 + 40 - 22, kWidth, kHeight));
}

TEST(DialogPlacementTest, WithAbsAlignOrWithoutAnOwnerTheScreensOriginIsTheStart) {
    const Box absolute =
        DialogWindowBox(At10And20("WS_POPUP | DS_ABSALIGN"), kBase, kFrame, POINT{300, 200}, kWorkArea);
    const Box unowned = DialogWindowBox(At10And20("WS_POPUP"), kBase, kFrame, std::nullopt, kWorkArea);
    EXPECT_EQ(Of(absolute), std::make_tuple(20 - 3, 40 - 22, kWidth, kHeight));
    EXPECT_EQ(Of(unowned), Of(absolute));
}

TEST(DialogPlacementTest, CenterPutsTheWholeWindowInTheMiddleOfTheOwnersWorkArea) {
    const Box secondMonitor{1280, 0, 1024, 768};
    const Box window = DialogWindowBox(At10And20("WS_POPUP | DS_CENTER | DS_ABSALIGN"), kBase, kFrame,
                                       POINT{300, 200}, secondMonitor);
    EXPECT_EQ(Of(window), std::make_tuple(1280 + (1024 - kWidth) / 2, (768 - kHeight) / 2, kWidth, kHeight));
}

TEST(DialogPlacementTest, AWindowStickingOutOfTheWorkAreaIsMovedBackWholeCaptionFirst) {
    // Past the right and bottom edges, over the task bar.
    EXPECT_EQ(Of(KeepInWorkArea({1200, 950, kWidth, kHeight}, kWorkArea)),
              std::make_tuple(1280 - kWidth, 992 - kHeight, kWidth, kHeight));
    // A 0, 0 template under an owner at the screen's top: the frame comes down onto it.
    EXPECT_EQ(Of(KeepInWorkArea({-3, -22, kWidth, kHeight}, kWorkArea)), std::make_tuple(0, 0, kWidth, kHeight));
    // Larger than the work area: its top-left stays on it.
    EXPECT_EQ(Of(KeepInWorkArea({200, 100, 1400, 1100}, kWorkArea)), std::make_tuple(0, 0, 1400, 1100));
    EXPECT_EQ(Of(KeepInWorkArea({40, 30, kWidth, kHeight}, kWorkArea)), std::make_tuple(40, 30, kWidth, kHeight));
}

}  // namespace
}  // namespace plat::dialogs

// DialogBoxParamA answered with real input from the modal hook.
#include "platform/dialogs/dialog_template.h"
#include "platform/dialogs/surface_painter.h"
#include "tests/win/win_test_support.h"

namespace wintest {
namespace {

constexpr int kNameDialog = 101, kResultsDialog = 102, kNameEdit = 1000;

// What the procedures saw, for the test to look at afterwards.
struct Seen {
    LPARAM initParam = 0;
    std::string name;
    char shortCopy[10] = {};
    LRESULT shortLength = -1;
    bool setFocusItself = true;
};
Seen seen;

// The name dialog's procedure as the game writes it.
INT_PTR NameProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        seen.initParam = lParam;
        SendDlgItemMessageA(dialog, kNameEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("old"));
        if (!seen.setFocusItself) return TRUE;
        SetFocus(GetDlgItem(dialog, kNameEdit));
        return FALSE;
    }
    if (message != WM_COMMAND) return FALSE;
    if (wParam == IDOK) {
        char buffer[40];
        LRESULT n = SendDlgItemMessageA(dialog, kNameEdit, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
        seen.name.assign(buffer, static_cast<std::size_t>(n));
        seen.shortLength = SendDlgItemMessageA(dialog, kNameEdit, WM_GETTEXT, sizeof seen.shortCopy,
                                               reinterpret_cast<LPARAM>(seen.shortCopy));
        EndDialog(dialog, IDOK);
    } else if (wParam == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
    }
    return TRUE;
}

void Tap(HWND box, SDL_Keycode key, Uint16 mod = KMOD_NONE) {
    PushKey(box, key, true, mod);
    PushKey(box, key, false, mod);
}

// A control's place in the dialog, from its template and the dialog's font.
plat::dialogs::Box PixelsOf(int dialogId, int controlId) {
    auto t = plat::dialogs::FindDialogTemplate(plat::dialogs::ProgramResourceScript(), dialogId);
    auto font = plat::dialogs::Font::Open(t->fontFamily, plat::dialogs::PointsToPixels(t->fontPoints));
    plat::dialogs::FixedMeasure fallback(6, 13);
    plat::dialogs::BaseUnits base =
        plat::dialogs::BaseUnitsOf(font ? static_cast<const plat::dialogs::TextMeasure&>(*font) : fallback);
    for (const auto& c : t->controls)
        if (c.id == controlId) return plat::dialogs::DialogUnitsToPixels(c.x, c.y, c.cx, c.cy, base);
    if (controlId == 0) return plat::dialogs::DialogUnitsToPixels(0, 0, t->cx, t->cy, base);
    return {};
}

class DialogBoxTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        seen = Seen{};
        owner_ = Make("DialogOwner");
        ShowWindow(owner_, SW_SHOW);
        Drain();
        Log().clear();
    }
    INT_PTR Run(int id, DLGPROC proc = NameProc) {
        return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(static_cast<WORD>(id)), owner_, proc, 77);
    }
    HWND owner_ = nullptr;
};

TEST_F(DialogBoxTest, ANameTypedWithBackspaceAndEnterComesBackWholeAndTheOwnerHasTheFocus) {
    HWND dialog = nullptr;
    bool sizesRight = false, focusOnEdit = false, ownerDisabled = false;
    SetModalHook([&](HWND box) {
        dialog = box;
        ownerDisabled = !IsWindowEnabled(owner_);
        focusOnEdit = GetFocus() == GetDlgItem(box, kNameEdit);
        RECT client{}, edit{};
        GetClientRect(box, &client);
        GetClientRect(GetDlgItem(box, kNameEdit), &edit);
        plat::dialogs::Box whole = PixelsOf(kNameDialog, 0), editBox = PixelsOf(kNameDialog, kNameEdit);
        sizesRight = client.right == whole.w && client.bottom == whole.h && edit.right == editBox.w &&
                     edit.bottom == editBox.h && whole.w > 186 && whole.h > 52;
        Tap(box, SDLK_END);
        for (int i = 0; i < 3; ++i) Tap(box, SDLK_BACKSPACE);  // "old" goes
        PushText(box, "\xC5\xBDofiex");
        Tap(box, SDLK_BACKSPACE);
        PushText(box, " \xF0\x9F\x98\x80");
        Tap(box, SDLK_RETURN);
    });
    EXPECT_EQ(Run(kNameDialog), IDOK);
    EXPECT_EQ(seen.initParam, 77);
    EXPECT_TRUE(sizesRight);
    EXPECT_TRUE(focusOnEdit) << "the procedure set the focus and returned FALSE";
    EXPECT_TRUE(ownerDisabled);
    EXPECT_EQ(seen.name, "\xC5\xBDofie \xF0\x9F\x98\x80");
    EXPECT_EQ(seen.shortLength, 7) << "9 bytes of room, but the emoji needs 4 after the first 7";
    EXPECT_STREQ(seen.shortCopy, "\xC5\xBDofie ");
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(GetFocus(), owner_);
    EXPECT_GT(IndexSeen(owner_, WM_SETFOCUS), IndexSeen(owner_, WM_KILLFOCUS));
}

TEST_F(DialogBoxTest, CaretKeysEditWhereTheCaretIs) {
    SetModalHook([](HWND box) {
        Tap(box, SDLK_DELETE);  // the caret starts before "old"
        Tap(box, SDLK_RIGHT);
        PushText(box, "\xC3\xA9");  // é after the l
        Tap(box, SDLK_END);
        Tap(box, SDLK_LEFT);
        Tap(box, SDLK_BACKSPACE);  // the é goes; the d stays
        Tap(box, SDLK_HOME);
        PushText(box, "X");
        Tap(box, SDLK_RETURN);
    });
    EXPECT_EQ(Run(kNameDialog), IDOK);
    EXPECT_EQ(seen.name, "Xld");
}

TEST_F(DialogBoxTest, EscapeAndTheCloseBoxCancel) {
    SetModalHook([](HWND box) {
        PushText(box, "abc");
        Tap(box, SDLK_ESCAPE);
    });
    EXPECT_EQ(Run(kNameDialog), IDCANCEL);
    EXPECT_EQ(seen.name, "") << "Cancel reads nothing";
    SetModalHook([](HWND box) { PushWindowEvent(box, SDL_WINDOWEVENT_CLOSE); });
    EXPECT_EQ(Run(kNameDialog), IDCANCEL);
    EXPECT_TRUE(IsWindow(owner_));
    EXPECT_EQ(GetFocus(), owner_);
}

TEST_F(DialogBoxTest, TabAndShiftTabMoveTheFocusAndEnterPressesTheFocusedButton) {
    seen.setFocusItself = false;  // TRUE from WM_INITDIALOG: the first tab stop, the edit
    bool editFocused = false;
    SetModalHook([&](HWND box) {
        editFocused = GetFocus() == GetDlgItem(box, kNameEdit);
        Tap(box, SDLK_TAB);
        Tap(box, SDLK_TAB);  // edit, OK, Cancel
        Tap(box, SDLK_RETURN);
    });
    EXPECT_EQ(Run(kNameDialog), IDCANCEL);
    SetModalHook([](HWND box) {
        Tap(box, SDLK_TAB);  // OK
        Tap(box, SDLK_RETURN);
    });
    EXPECT_EQ(Run(kNameDialog), IDOK);
    SetModalHook([](HWND box) {
        PushKey(box, SDLK_LSHIFT, true, KMOD_LSHIFT);
        Tap(box, SDLK_TAB, KMOD_LSHIFT);  // back from the edit round to Cancel
        PushKey(box, SDLK_LSHIFT, false);
        Tap(box, SDLK_RETURN);
    });
    EXPECT_EQ(Run(kNameDialog), IDCANCEL);
    EXPECT_TRUE(editFocused);
}

TEST_F(DialogBoxTest, AClickOnCancelCancelsAndAClickBesideTheButtonsDoesNothing) {
    SetModalHook([](HWND box) {
        plat::dialogs::Box cancel = PixelsOf(kNameDialog, IDCANCEL);
        plat::dialogs::Box ok = PixelsOf(kNameDialog, IDOK);
        int gapX = (ok.x + ok.w + cancel.x) / 2, gapY = cancel.y + cancel.h / 2;
        PushButton(box, SDL_BUTTON_LEFT, true, gapX, gapY);
        PushButton(box, SDL_BUTTON_LEFT, false, gapX, gapY);
        int x = cancel.x + cancel.w / 2, y = cancel.y + cancel.h / 2;
        PushMotion(box, x, y);
        PushButton(box, SDL_BUTTON_LEFT, true, x, y);
        PushButton(box, SDL_BUTTON_LEFT, false, x, y);
    });
    EXPECT_EQ(Run(kNameDialog), IDCANCEL);
}

TEST_F(DialogBoxTest, AMissingTemplateOrProcedureShowsNoWindow) {
    bool shown = false;
    SetModalHook([&](HWND) { shown = true; });
    EXPECT_EQ(Run(103), -1);
    EXPECT_EQ(Run(kNameDialog, nullptr), -1);
    EXPECT_FALSE(shown);
    EXPECT_EQ(GetFocus(), owner_);
}

// The results dialog: the static lines filled in WM_INITDIALOG, no focus set.
INT_PTR ResultsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        SendDlgItemMessageA(dialog, 1001, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("|iiiiiiii|"));
        SendDlgItemMessageA(dialog, 1002, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("|WWWWWWWW|"));
        return FALSE;
    }
    if (message == WM_COMMAND && (wParam == IDOK || wParam == IDCANCEL)) EndDialog(dialog, static_cast<INT_PTR>(wParam));
    return message == WM_COMMAND;
}

// From the first to the last dark pixel in the rows of a box.
int InkWidth(SDL_Surface* s, const plat::dialogs::Box& box) {
    int left = s->w, right = -1;
    SDL_LockSurface(s);
    for (int y = box.y; y < box.y + box.h && y < s->h; ++y)
        for (int x = box.x; x < box.x + box.w && x < s->w; ++x) {
            Uint32 pixel = 0;
            std::memcpy(&pixel, static_cast<Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel,
                        s->format->BytesPerPixel);
            Uint8 r, g, b;
            SDL_GetRGB(pixel, s->format, &r, &g, &b);
            if (r < 96 && g < 96 && b < 96) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    SDL_UnlockSurface(s);
    return right - left;
}

TEST_F(DialogBoxTest, TheResultLinesAreDrawnInAFixedPitchFont) {
    if (!plat::dialogs::Font::Open("Courier New", 11)) GTEST_SKIP() << "no scalable fonts installed";
    int narrow = -1, wide = -1;
    SetModalHook([&](HWND box) {
        InvalidateRect(box, nullptr, FALSE);
        UpdateWindow(box);
        SDL_Surface* s = SDL_GetWindowSurface(NativeWindowOf(box));
        narrow = InkWidth(s, PixelsOf(kResultsDialog, 1001));
        wide = InkWidth(s, PixelsOf(kResultsDialog, 1002));
        Tap(box, SDLK_RETURN);  // nothing has the focus: Enter still presses OK
    });
    EXPECT_EQ(Run(kResultsDialog, ResultsProc), IDOK);
    EXPECT_GT(narrow, 40);
    EXPECT_NEAR(narrow, wide, 1) << "ten characters take the same room whatever they are";
    EXPECT_EQ(GetFocus(), owner_);
}

// Without a window manager there is no frame: the window's place is its client area's.
TEST_F(DialogBoxTest, TheResultsOpenAtTheOwnersClientAreaAndStayOnTheScreen) {
    SDL_Rect screen{}, seen{};
    ASSERT_EQ(SDL_GetDisplayUsableBounds(0, &screen), 0);
    SetModalHook([&](HWND box) {
        SDL_GetWindowPosition(NativeWindowOf(box), &seen.x, &seen.y);
        SDL_GetWindowSize(NativeWindowOf(box), &seen.w, &seen.h);
        Tap(box, SDLK_RETURN);
    });
    SDL_SetWindowPosition(NativeWindowOf(owner_), screen.x + 40, screen.y + 30);
    ASSERT_EQ(Run(kResultsDialog, ResultsProc), IDOK);
    EXPECT_EQ(std::make_pair(seen.x, seen.y), std::make_pair(screen.x + 40, screen.y + 30)) << "the template says 0, 0";

    // Near the bottom-right corner, the dialog would hang off the screen.
    SDL_SetWindowPosition(NativeWindowOf(owner_), screen.x + screen.w - 60, screen.y + screen.h - 50);
    ASSERT_EQ(Run(kResultsDialog, ResultsProc), IDOK);
    EXPECT_EQ(std::make_pair(seen.x, seen.y),
              std::make_pair(screen.x + screen.w - seen.w, screen.y + screen.h - seen.h));
}

}  // namespace
}  // namespace wintest

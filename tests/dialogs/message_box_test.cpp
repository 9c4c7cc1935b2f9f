// MessageBoxA answered with real input from the modal hook.
#include "platform/dialogs/surface_painter.h"
#include "tests/win/win_test_support.h"

namespace wintest {
namespace {

class MessageBoxTest : public WindowTest {
protected:
    HWND Owner() {
        HWND owner = Make("BoxOwner");
        ShowWindow(owner, SW_SHOW);
        Drain();
        Log().clear();
        return owner;
    }
};

// The OK button sits centred at the bottom of the box.
void ClickOk(HWND box) {
    RECT r{};
    GetClientRect(box, &r);
    int x = r.right / 2, y = r.bottom - 26;
    PushMotion(box, x, y);
    PushButton(box, SDL_BUTTON_LEFT, true, x, y);
    PushButton(box, SDL_BUTTON_LEFT, false, x, y);
}

TEST_F(MessageBoxTest, EnterAnswersAndTheOwnerGetsItsFocusBack) {
    HWND owner = Owner();
    HWND seenBox = nullptr;
    bool ownerEnabledDuring = true;
    HWND focusDuring = nullptr;
    SetModalHook([&](HWND box) {
        seenBox = box;
        ownerEnabledDuring = IsWindowEnabled(owner);
        focusDuring = GetFocus();
        PushKey(box, SDLK_RETURN, true);
    });
    EXPECT_EQ(MessageBoxA(owner, "Game Over!", "Kestrova", MB_OK), IDOK);
    ASSERT_NE(seenBox, nullptr);
    EXPECT_FALSE(IsWindow(seenBox));
    EXPECT_FALSE(ownerEnabledDuring);
    EXPECT_EQ(focusDuring, seenBox);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetFocus(), owner);
    int lost = IndexSeen(owner, WM_KILLFOCUS);
    int back = IndexSeen(owner, WM_SETFOCUS);
    ASSERT_GE(lost, 0);
    EXPECT_GT(back, lost);
}

TEST_F(MessageBoxTest, TheBoxOpensCentredOverItsOwner) {
    HWND owner = Owner();
    SDL_SetWindowPosition(NativeWindowOf(owner), 100, 90);
    SDL_Rect box{}, over{100, 90, 0, 0};
    SDL_GetWindowSize(NativeWindowOf(owner), &over.w, &over.h);
    SetModalHook([&](HWND b) {
        SDL_GetWindowPosition(NativeWindowOf(b), &box.x, &box.y);
        SDL_GetWindowSize(NativeWindowOf(b), &box.w, &box.h);
        PushKey(b, SDLK_RETURN, true);
    });
    EXPECT_EQ(MessageBoxA(owner, "Game Over!", "", MB_OK), IDOK);
    EXPECT_NEAR(box.x + box.w / 2.0, over.x + over.w / 2.0, 1.0);
    EXPECT_NEAR(box.y + box.h / 2.0, over.y + over.h / 2.0, 1.0);
}

TEST_F(MessageBoxTest, EscapeAnswersToo) {
    HWND owner = Owner();
    SetModalHook([](HWND box) { PushKey(box, SDLK_ESCAPE, true); });
    EXPECT_EQ(MessageBoxA(owner, "text", "caption", MB_OK), IDOK);
    EXPECT_EQ(GetFocus(), owner);
}

HWND clickBox = nullptr;
bool survivedStrayClick = false;

void ClickOkLater(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    survivedStrayClick = IsWindow(clickBox);
    if (survivedStrayClick) ClickOk(clickBox);
}

TEST_F(MessageBoxTest, AClickOnOkAnswersButAClickBesideItDoesNot) {
    HWND owner = Owner();
    survivedStrayClick = false;
    SetModalHook([](HWND box) {
        clickBox = box;
        PushButton(box, SDL_BUTTON_LEFT, true, 2, 2);  // on the text, not the button
        PushButton(box, SDL_BUTTON_LEFT, false, 2, 2);
        SetTimer(nullptr, 0, 50, ClickOkLater);
    });
    EXPECT_EQ(MessageBoxA(owner, "Click me", "caption", MB_OK), IDOK);
    EXPECT_TRUE(survivedStrayClick);
    EXPECT_FALSE(IsWindow(clickBox));
}

TEST_F(MessageBoxTest, TheCloseBoxAnswers) {
    HWND owner = Owner();
    SetModalHook([](HWND box) { PushWindowEvent(box, SDL_WINDOWEVENT_CLOSE); });
    EXPECT_EQ(MessageBoxA(owner, "text", "caption", MB_OK), IDOK);
    EXPECT_TRUE(IsWindow(owner)) << "closing the box leaves its owner alone";
}

TEST_F(MessageBoxTest, WithoutOwnerAndWithAVeryLongTextItStillFitsAndCloses) {
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "DirectX not found ";
    bool plain = false, fits = false;
    SetModalHook([&](HWND box) {
        SDL_Window* native = NativeWindowOf(box);
        plain = native && !(SDL_GetWindowFlags(native) & SDL_WINDOW_OPENGL);
        SDL_Rect desktop{};
        SDL_GetDisplayUsableBounds(0, &desktop);
        RECT r{};
        GetClientRect(box, &r);
        fits = r.right > 0 && r.bottom > 0 && r.right <= desktop.w && r.bottom <= desktop.h;
        PushKey(box, SDLK_RETURN, true);
    });
    EXPECT_EQ(MessageBoxA(nullptr, text.c_str(), "Error", MB_ICONERROR), IDOK);
    EXPECT_TRUE(plain) << "a box must never need OpenGL";
    EXPECT_TRUE(fits);
}

// The owner keeps its timers while the box is up, but not its input.
HWND activeBox = nullptr;
int ownerTicks = 0;
bool textDrawn = false;

LRESULT TickingOwner(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Log().push_back({window, message, wParam, lParam});
    if (message == WM_TIMER && IsWindow(activeBox) && ++ownerTicks == 3) {
        // By now the box has painted itself: dark text on the grey face.
        SDL_Surface* s = SDL_GetWindowSurface(NativeWindowOf(activeBox));
        int dark = 0;
        if (s) {
            SDL_LockSurface(s);
            // Above the button: only the text can be dark there.
            for (int y = 0; y < s->h - 45; ++y)
                for (int x = 0; x < s->w; ++x) {
                    Uint32 pixel = 0;
                    std::memcpy(&pixel, static_cast<Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel,
                                s->format->BytesPerPixel);
                    Uint8 r, g, b;
                    SDL_GetRGB(pixel, s->format, &r, &g, &b);
                    if (r < 64 && g < 64 && b < 64) ++dark;
                }
            SDL_UnlockSurface(s);
        }
        textDrawn = dark > 20;
        PushKey(activeBox, SDLK_RETURN, true);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(MessageBoxTest, OwnerTimersRunButOwnerInputIsDropped) {
    EnsureClass("TickingOwner", TickingOwner);
    HWND owner = Make("TickingOwner");
    ShowWindow(owner, SW_SHOW);
    Drain();
    Log().clear();
    ownerTicks = 0;
    SetTimer(owner, 1, 20, nullptr);
    SetModalHook([owner](HWND box) {
        activeBox = box;
        PushKey(owner, SDLK_a, true);
        PushButton(owner, SDL_BUTTON_LEFT, true, 5, 5);
    });
    EXPECT_EQ(MessageBoxA(owner, "Best results", "Kestrova", MB_OK), IDOK);
    KillTimer(owner, 1);
    EXPECT_GE(ownerTicks, 3);
    EXPECT_EQ(CountSeen(owner, WM_KEYDOWN), 0);
    EXPECT_EQ(CountSeen(owner, WM_LBUTTONDOWN), 0);
    EXPECT_GE(CountSeen(owner, WM_ENTERIDLE), 1);
    if (plat::dialogs::Font::Open("MS Sans Serif", 13)) {
        EXPECT_TRUE(textDrawn);
    }
}

}  // namespace
}  // namespace wintest

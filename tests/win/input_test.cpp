// SDL input becomes the old platform's key, character and mouse messages.
#include <tuple>

#include "tests/win/win_test_support.h"

namespace wintest {
namespace {

class InputTest : public WindowTest {
protected:
    HWND Shown(const char* cls) {
        HWND w = Make(cls);
        ShowWindow(w, SW_SHOW);
        Drain();
        Log().clear();
        return w;
    }
    // The input messages among what the queue hands out.
    static std::vector<MSG> Input(const std::vector<MSG>& all) {
        std::vector<MSG> out;
        for (const MSG& m : all)
            if (m.message != WM_PAINT && m.message != WM_TIMER) out.push_back(m);
        return out;
    }
};

TEST_F(InputTest, KeysBecomeVirtualKeysWithTheirStateBits) {
    HWND w = Shown("InputKeys");
    PushKey(w, SDLK_a, true);
    PushKey(w, SDLK_a, true, KMOD_NONE, true);
    PushKey(w, SDLK_a, false);
    auto got = Input(Drain());
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].message, WM_KEYDOWN);
    EXPECT_EQ(got[0].wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(got[0].lParam & 0xFFFF, 1);        // repeat count
    EXPECT_EQ(got[0].lParam & (1 << 30), 0);     // was up before
    EXPECT_NE(got[1].lParam & (1 << 30), 0);     // auto-repeat: was already down
    EXPECT_EQ(got[2].message, WM_KEYUP);
    EXPECT_NE(got[2].lParam & (1u << 31), 0);
    EXPECT_EQ(got[0].hwnd, w);

    const std::pair<SDL_Keycode, int> keys[] = {
        {SDLK_LEFT, 0x25}, {SDLK_UP, 0x26},     {SDLK_RIGHT, 0x27}, {SDLK_DOWN, 0x28},  {SDLK_RETURN, 0x0D},
        {SDLK_ESCAPE, 0x1B}, {SDLK_F1, 0x70},   {SDLK_F12, 0x7B},   {SDLK_7, '7'},      {SDLK_HOME, 0x24},
        {SDLK_END, 0x23},  {SDLK_DELETE, 0x2E}, {SDLK_SPACE, 0x20}, {SDLK_LSHIFT, 0x10}, {SDLK_RCTRL, 0x11},
    };
    for (auto [key, vk] : keys) {
        PushKey(w, key, true);
        PushKey(w, key, false);
    }
    got.clear();
    for (const MSG& m : Input(Drain()))
        if (m.message == WM_KEYDOWN) got.push_back(m);
    ASSERT_EQ(got.size(), std::size(keys));
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].wParam, static_cast<WPARAM>(keys[i].second));
}

TEST_F(InputTest, GetKeyStateFollowsTheMessagesTaken) {
    HWND w = Shown("InputKeyState");
    PushKey(w, SDLK_F1, true);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_GE(GetKeyState(VK_F1), 0) << "not down before the message is taken";
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_LT(GetKeyState(VK_F1), 0);
    PushKey(w, SDLK_F1, false);
    Drain();
    EXPECT_GE(GetKeyState(VK_F1), 0);
}

TEST_F(InputTest, TextAndControlKeysBecomeCharacters) {
    HWND w = Shown("InputChars");
    PushText(w, "a\xC3\xA9\xE2\x82\xAC");  // a, e acute, euro sign
    PushKey(w, SDLK_RETURN, true);
    PushKey(w, SDLK_BACKSPACE, true);
    std::vector<WPARAM> chars;
    for (const MSG& m : Drain())
        if (m.message == WM_CHAR) chars.push_back(m.wParam);
    EXPECT_EQ(chars, (std::vector<WPARAM>{'a', 0xE9, 0x20AC, '\r', 0x08}));
}

TEST_F(InputTest, MouseMessagesCarryClientPointAndFlags) {
    HWND w = Shown("InputMouse");
    PushKey(w, SDLK_LSHIFT, true);
    PushButton(w, SDL_BUTTON_LEFT, true, 10, 20);
    PushMotion(w, 30, 40, SDL_BUTTON_LMASK | SDL_BUTTON_RMASK);
    PushButton(w, SDL_BUTTON_LEFT, false, 31, 41);
    PushKey(w, SDLK_LSHIFT, false);
    PushButton(w, SDL_BUTTON_RIGHT, true, 0, 0);
    PushButton(w, SDL_BUTTON_RIGHT, false, 319, 239);
    std::vector<MSG> mouse;
    for (const MSG& m : Drain())
        if (m.message >= WM_MOUSEMOVE && m.message <= WM_MBUTTONDBLCLK) mouse.push_back(m);
    ASSERT_EQ(mouse.size(), 5u);
    EXPECT_EQ(mouse[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(mouse[0].lParam, MAKELPARAM(10, 20));
    EXPECT_EQ(mouse[0].wParam, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(mouse[1].message, WM_MOUSEMOVE);
    EXPECT_EQ(mouse[1].wParam, MK_LBUTTON | MK_RBUTTON | MK_SHIFT);
    EXPECT_EQ(mouse[2].message, WM_LBUTTONUP);
    EXPECT_EQ(mouse[2].wParam, MK_SHIFT);
    EXPECT_EQ(mouse[3].message, WM_RBUTTONDOWN);
    EXPECT_EQ(mouse[3].wParam, MK_RBUTTON);
    EXPECT_EQ(mouse[4].message, WM_RBUTTONUP);
    EXPECT_EQ(mouse[4].lParam, MAKELPARAM(319, 239));
}

// One finger is the pointer and clicks where it lifts; two are a right-button
// drag at the point between them, and never click; the finger left after that
// does nothing.
TEST_F(InputTest, FingersBecomeTheMouse) {
    HWND w = Shown("InputTouch");  // 320 x 240
    auto finger = [&](Uint32 type, SDL_FingerID id, float x, float y) {
        SDL_Event e{};
        e.type = type;
        e.tfinger.windowID = IdOf(w);
        e.tfinger.touchId = 1;
        e.tfinger.fingerId = id;
        e.tfinger.x = x;
        e.tfinger.y = y;
        SDL_PushEvent(&e);
    };
    using Got = std::vector<std::tuple<UINT, WPARAM, int, int>>;
    auto mouse = [&] {
        Got out;
        for (const MSG& m : Drain())
            if (m.message >= WM_MOUSEMOVE && m.message <= WM_MBUTTONDBLCLK)
                out.emplace_back(m.message, m.wParam, static_cast<int>(LOWORD(m.lParam)),
                                 static_cast<int>(HIWORD(m.lParam)));
        return out;
    };

    finger(SDL_FINGERDOWN, 7, 0.5f, 0.5f);
    EXPECT_EQ(mouse(), (Got{{WM_MOUSEMOVE, 0, 160, 120}}));
    finger(SDL_FINGERMOTION, 7, 0.25f, 0.5f);
    finger(SDL_FINGERUP, 7, 0.25f, 0.5f);
    EXPECT_EQ(mouse(), (Got{{WM_MOUSEMOVE, 0, 80, 120}, {WM_LBUTTONDOWN, MK_LBUTTON, 80, 120},
                            {WM_LBUTTONUP, 0, 80, 120}}));

    finger(SDL_FINGERDOWN, 1, 0.75f, 0.25f);
    Drain();
    finger(SDL_FINGERDOWN, 2, 0.25f, 0.75f);
    finger(SDL_FINGERDOWN, 3, 0.0f, 0.0f);      // a third finger: ignored
    finger(SDL_FINGERMOTION, 2, 0.75f, 0.75f);  // the point between them moves
    finger(SDL_FINGERMOTION, 3, 0.9f, 0.9f);
    finger(SDL_FINGERUP, 1, 0.75f, 0.25f);
    finger(SDL_FINGERMOTION, 2, 0.1f, 0.1f);    // left behind: nothing
    finger(SDL_FINGERUP, 2, 0.1f, 0.1f);
    finger(SDL_FINGERUP, 3, 0.9f, 0.9f);
    EXPECT_EQ(mouse(), (Got{{WM_RBUTTONDOWN, MK_RBUTTON, 160, 120}, {WM_MOUSEMOVE, MK_RBUTTON, 240, 120},
                            {WM_RBUTTONUP, 0, 240, 120}}));

    // Once every finger is lifted, one finger points again; a point at the
    // very edge stays inside the window.
    finger(SDL_FINGERDOWN, 4, 1.0f, 1.0f);
    finger(SDL_FINGERUP, 4, 1.0f, 1.0f);
    EXPECT_EQ(mouse(), (Got{{WM_MOUSEMOVE, 0, 319, 239}, {WM_LBUTTONDOWN, MK_LBUTTON, 319, 239},
                            {WM_LBUTTONUP, 0, 319, 239}}));
}

TEST_F(InputTest, MouseOutsideTheClientAreaIsDropped) {
    HWND w = Shown("InputOutside");
    PushMotion(w, -1, 10);
    PushMotion(w, 320, 10);   // one past the right edge of a 320 wide client
    PushButton(w, SDL_BUTTON_LEFT, true, 10, 240);
    PushButton(w, SDL_BUTTON_LEFT, false, 10, -3);
    for (const MSG& m : Drain()) EXPECT_FALSE(m.message >= WM_MOUSEMOVE && m.message <= WM_MBUTTONDBLCLK);
}

TEST_F(InputTest, DoubleClicksOnlyForClassesThatAskForThem) {
    HWND plain = Shown("InputNoDbl");
    EnsureClass("InputDbl", RecordingProc, CS_DBLCLKS);
    HWND dbl = Shown("InputDbl");
    PushButton(plain, SDL_BUTTON_LEFT, true, 5, 5, 2);
    PushButton(dbl, SDL_BUTTON_LEFT, true, 5, 5, 2);
    std::vector<UINT> seen;
    for (const MSG& m : Drain())
        if (m.message == WM_LBUTTONDOWN || m.message == WM_LBUTTONDBLCLK) seen.push_back(m.message);
    EXPECT_EQ(seen, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}));
}

TEST_F(InputTest, AltF4EndsInCloseAndTheDefaultProcedureDestroys) {
    HWND w = MakeWindow("InputAltF4");
    ShowWindow(w, SW_SHOW);
    Drain();
    Log().clear();
    PushKey(w, SDLK_LALT, true, KMOD_LALT);
    PushKey(w, SDLK_F4, true, KMOD_LALT);
    Drain();
    EXPECT_EQ(CountSeen(w, WM_SYSKEYDOWN), 2);
    EXPECT_EQ(CountSeen(w, WM_KEYDOWN), 0);
    int command = IndexSeen(w, WM_SYSCOMMAND);
    ASSERT_GE(command, 0);
    EXPECT_EQ(Log()[command].wParam, SC_CLOSE);
    EXPECT_LT(command, IndexSeen(w, WM_CLOSE));
    EXPECT_LT(IndexSeen(w, WM_CLOSE), IndexSeen(w, WM_DESTROY));
    EXPECT_FALSE(IsWindow(w));
    PushKey(w, SDLK_F4, false);  // key-ups for a window gone are simply lost
    PushKey(w, SDLK_LALT, false);
    Drain();
}

TEST_F(InputTest, F10AndKeysHeldWithAltAreSystemKeys) {
    HWND w = Shown("InputSysKeys");
    PushKey(w, SDLK_F10, true);
    PushKey(w, SDLK_F10, false);
    PushKey(w, SDLK_LALT, true, KMOD_LALT);
    PushKey(w, SDLK_x, true, KMOD_LALT);
    PushKey(w, SDLK_x, false, KMOD_LALT);
    PushKey(w, SDLK_LALT, false);
    auto got = Input(Drain());
    ASSERT_GE(got.size(), 5u);
    EXPECT_EQ(got[0].message, WM_SYSKEYDOWN);
    EXPECT_EQ(got[0].wParam, static_cast<WPARAM>(VK_F10));
    EXPECT_EQ(got[0].lParam & (1 << 29), 0) << "Alt was not down";
    EXPECT_EQ(got[1].message, WM_SYSKEYUP);
    EXPECT_EQ(got[1].wParam, static_cast<WPARAM>(VK_F10));
    EXPECT_EQ(got[2].message, WM_SYSKEYDOWN);
    EXPECT_EQ(got[2].wParam, static_cast<WPARAM>(VK_MENU));
    EXPECT_EQ(got[3].message, WM_SYSKEYDOWN);
    EXPECT_EQ(got[3].wParam, static_cast<WPARAM>('X'));
    EXPECT_NE(got[3].lParam & (1 << 29), 0);
    EXPECT_EQ(got[4].message, WM_SYSKEYUP);
    EXPECT_EQ(got[4].wParam, static_cast<WPARAM>('X'));
    for (const MSG& m : got) EXPECT_NE(m.message, WM_KEYDOWN) << "key " << m.wParam;
}

TEST_F(InputTest, TheCloseBoxSendsClose) {
    HWND w = MakeWindow("InputCloseBox");
    ShowWindow(w, SW_SHOW);
    Drain();
    PushWindowEvent(w, SDL_WINDOWEVENT_CLOSE);
    Drain();
    EXPECT_EQ(CountSeen(w, WM_CLOSE), 1);
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(InputTest, ADisabledWindowGetsNoInput) {
    HWND w = Shown("InputDisabled");
    EnableWindow(w, FALSE);
    PushKey(w, SDLK_a, true);
    PushButton(w, SDL_BUTTON_LEFT, true, 5, 5);
    PushWindowEvent(w, SDL_WINDOWEVENT_CLOSE);
    Drain();
    EXPECT_EQ(CountSeen(w, WM_KEYDOWN), 0);
    EXPECT_EQ(CountSeen(w, WM_LBUTTONDOWN), 0);
    EXPECT_EQ(CountSeen(w, WM_CLOSE), 0);
    EnableWindow(w, TRUE);
    PushKey(w, SDLK_a, true);
    Drain();
    EXPECT_EQ(CountSeen(w, WM_KEYDOWN), 1);
}

TEST_F(InputTest, FocusFollowsActivationAndTheSystem) {
    HWND first = Shown("InputFocus");
    EXPECT_EQ(GetFocus(), first);
    Log().clear();
    HWND second = Make("InputFocus");
    ShowWindow(second, SW_SHOW);
    EXPECT_EQ(GetFocus(), second);
    EXPECT_EQ(CountSeen(first, WM_KILLFOCUS), 1);
    EXPECT_LT(IndexSeen(first, WM_KILLFOCUS), IndexSeen(second, WM_SETFOCUS));

    Log().clear();
    PushWindowEvent(second, SDL_WINDOWEVENT_FOCUS_LOST);
    Drain();
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(CountSeen(second, WM_KILLFOCUS), 1);
    PushWindowEvent(first, SDL_WINDOWEVENT_FOCUS_GAINED);
    Drain();
    EXPECT_EQ(GetFocus(), first);
    EXPECT_EQ(CountSeen(first, WM_SETFOCUS), 1);
    // Keys go where the focus is.
    PushKey(first, SDLK_b, true);
    Drain();
    EXPECT_EQ(CountSeen(first, WM_KEYDOWN), 1);
}

TEST_F(InputTest, AMinimisedWindowGetsTheFocusOnlyWhenRestored) {
    HWND w = Shown("InputMinimised");
    ASSERT_EQ(GetFocus(), w);
    ShowWindow(w, SW_MINIMIZE);
    Drain();
    EXPECT_EQ(GetFocus(), nullptr);
    Log().clear();

    ShowWindow(w, SW_SHOW);
    EXPECT_EQ(GetFocus(), nullptr) << "shown, still minimised";
    // A box over it, answered and gone: the game behind it stays paused.
    EnsureClass("InputMinimisedBox");
    HWND box = CreatePlainWindowExA(0, "InputMinimisedBox", "", WS_POPUP | WS_CAPTION, 0, 0, 120, 60, w, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(box, nullptr);
    ModalSession session = BeginModal(w, box);
    EXPECT_EQ(GetFocus(), box);
    PushWindowEvent(w, SDL_WINDOWEVENT_FOCUS_GAINED);  // the disabled owner clicked
    Drain();
    EXPECT_EQ(GetFocus(), box);
    EndModal(session);
    DestroyWindow(box);
    EXPECT_EQ(GetFocus(), nullptr);
    PushWindowEvent(w, SDL_WINDOWEVENT_FOCUS_GAINED);
    Drain();
    EXPECT_EQ(GetFocus(), nullptr) << "activated by the system, still minimised";
    EXPECT_EQ(CountSeen(w, WM_SETFOCUS), 0);

    ShowWindow(w, SW_RESTORE);
    EXPECT_EQ(GetFocus(), w);
    EXPECT_EQ(CountSeen(w, WM_SETFOCUS), 1);

    // The same when the system minimises and restores it.
    PushWindowEvent(w, SDL_WINDOWEVENT_MINIMIZED);
    Drain();
    EXPECT_EQ(GetFocus(), nullptr);
    PushWindowEvent(w, SDL_WINDOWEVENT_RESTORED);
    Drain();
    EXPECT_EQ(GetFocus(), w);
    EXPECT_EQ(CountSeen(w, WM_SETFOCUS), 2);

    // Restored after the system made another program active: the focus waits for the activation.
    PushWindowEvent(w, SDL_WINDOWEVENT_MINIMIZED);
    PushWindowEvent(w, SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(w, SDL_WINDOWEVENT_RESTORED);
    Drain();
    EXPECT_EQ(GetFocus(), nullptr);
    PushWindowEvent(w, SDL_WINDOWEVENT_FOCUS_GAINED);
    Drain();
    EXPECT_EQ(GetFocus(), w);
}

}  // namespace
}  // namespace wintest

// The message queue's order and its rules for timers, waiting and posting.
#include <sys/resource.h>

#include <chrono>
#include <thread>

#include "tests/win/win_test_support.h"

namespace wintest {
namespace {

class QueueTest : public WindowTest {};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST_F(QueueTest, PostedThenInputThenPaintThenTimer) {
    HWND w = Make("QueueOrder");
    ASSERT_NE(w, nullptr);
    ShowWindow(w, SW_SHOW);
    Drain();

    SetTimer(w, 1, 10, nullptr);
    Sleep(40);                       // the timer is due
    InvalidateRect(w, nullptr, TRUE);  // paint is due
    PushKey(w, SDLK_a, true);        // input waits
    PostMessageA(w, WM_USER + 1, 0, 0);
    PostMessageA(w, WM_USER + 2, 0, 0);

    std::vector<UINT> order;
    for (const MSG& m : Drain(6)) order.push_back(m.message);
    ASSERT_GE(order.size(), 5u);
    EXPECT_EQ(order[0], WM_USER + 1);
    EXPECT_EQ(order[1], WM_USER + 2);
    EXPECT_EQ(order[2], WM_KEYDOWN);
    EXPECT_EQ(order[3], WM_PAINT);
    EXPECT_EQ(order[4], WM_TIMER);
}

TEST_F(QueueTest, QuitComesAfterPostedButBeforeInput) {
    HWND w = Make("QueueQuit");
    Drain();
    PushKey(w, SDLK_b, true);
    PostQuitMessage(3);
    PostMessageA(w, WM_USER, 0, 0);

    MSG m;
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, WM_USER);
    EXPECT_FALSE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 3u);
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, WM_KEYDOWN);
}

TEST_F(QueueTest, ABlockedProgramFindsOneTimerMessageNotABacklog) {
    HWND w = Make("QueueBacklog");
    Drain();
    ASSERT_NE(SetTimer(w, 7, 66, nullptr), 0u);
    Sleep(500);  // seven intervals pass unserved

    int ticks = 0;
    for (const MSG& m : Drain())
        if (m.message == WM_TIMER && m.wParam == 7) ++ticks;
    EXPECT_EQ(ticks, 1);
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_TRUE(KillTimer(w, 7));
    EXPECT_FALSE(KillTimer(w, 7));
}

TEST_F(QueueTest, TimerIdZeroOnAWindowStillSucceeds) {
    HWND w = Make("QueueTimerZero");
    EXPECT_NE(SetTimer(w, 0, 66, nullptr), 0u);
    EXPECT_TRUE(KillTimer(w, 0));
    EXPECT_EQ(SetTimer(reinterpret_cast<HWND>(0x12340), 1, 66, nullptr), 0u);  // no such window
}

TEST_F(QueueTest, PeekWithNoRemoveLeavesTheMessage) {
    HWND w = Make("QueuePeek");
    Drain();
    PostMessageA(w, WM_USER + 5, 42, 0);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_USER + 5);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_USER + 5);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.wParam, 42u);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));

    // A due timer seen without removing is still there, and still due.
    SetTimer(w, 2, 10, nullptr);
    Sleep(30);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_TIMER);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_EQ(m.wParam, 2u);
}

TEST_F(QueueTest, GetMessageSleepsUntilTheTimerIsDue) {
    HWND w = Make("QueueWait");
    Drain();
    SetTimer(w, 9, 300, nullptr);
    auto wallStart = std::chrono::steady_clock::now();
    double cpuStart = CpuSeconds();
    MSG m;
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    double cpu = CpuSeconds() - cpuStart;
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_EQ(m.wParam, 9u);
    // Only a busy loop could burn half of the waiting time.
    EXPECT_LT(cpu, wall * 0.5) << "cpu " << cpu << " s over " << wall << " s";
}

TEST_F(QueueTest, PostFromAnotherThreadWakesGetMessage) {
    HWND w = Make("QueueThread");
    Drain();
    SetTimer(w, 99, 10000, nullptr);  // only there so a lost wake cannot hang the test
    std::thread poster([w] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        PostMessageA(w, WM_USER + 9, 1, 2);
    });
    MSG m;
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    poster.join();
    EXPECT_EQ(m.message, WM_USER + 9);
    EXPECT_EQ(m.hwnd, w);
}

TEST_F(QueueTest, MouseMovesCoalesceIntoTheLatest) {
    HWND w = Make("QueueMoves");
    ShowWindow(w, SW_SHOW);
    Drain();
    for (int i = 0; i < 2000; ++i) PushMotion(w, i % 300, 5);
    PushMotion(w, 17, 23);
    int moves = 0;
    LPARAM last = 0;
    for (const MSG& m : Drain()) {
        if (m.message != WM_MOUSEMOVE) continue;
        ++moves;
        last = m.lParam;
    }
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(last, MAKELPARAM(17, 23));
}

TEST_F(QueueTest, DestroyingAWindowDropsItsMessagesAndTimers) {
    HWND w = MakeWindow("QueueDestroy");
    HWND other = Make("QueueDestroy");
    Drain();
    PostMessageA(w, WM_USER, 0, 0);
    PostMessageA(other, WM_USER + 1, 0, 0);
    SetTimer(w, 1, 10, nullptr);
    ASSERT_TRUE(DestroyWindow(w));
    Sleep(30);

    auto got = Drain();
    for (const MSG& m : got) EXPECT_NE(m.hwnd, w) << "message " << m.message;
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, WM_USER + 1u);

    // The dead handle fails safely everywhere and is never handed out again.
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(PostMessageA(w, WM_USER, 0, 0));
    EXPECT_FALSE(DestroyWindow(w));
    EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 0);
    EXPECT_EQ(NativeWindowOf(w), nullptr);
    RECT r{1, 1, 1, 1};
    EXPECT_FALSE(GetClientRect(w, &r));
    HWND again = Make("QueueDestroy");
    EXPECT_NE(again, w);
}

TEST_F(QueueTest, TheFirstQuitPostedToAWindowOutlivesIt) {
    HWND w = MakeWindow("QueueQuitWindow");
    Drain();
    PostMessageA(w, WM_QUIT, 7, 0);
    PostMessageA(w, WM_QUIT, 8, 0);
    PostMessageA(w, WM_USER, 0, 0);
    ASSERT_TRUE(DestroyWindow(w));
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.hwnd, nullptr);
    EXPECT_EQ(m.wParam, 7u);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << "the later quit went with the window";
}

TEST_F(QueueTest, ATimerSeenWithoutRemovingStaysAheadOfLaterPosts) {
    HWND w = Make("QueueTimerAhead");
    Drain();
    SetTimer(w, 3, 200, nullptr);
    Sleep(250);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_EQ(m.message, WM_TIMER);
    PostMessageA(w, WM_USER + 3, 0, 0);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_EQ(m.wParam, 3u);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER + 3u);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << "one tick, not a second one";
}

TEST_F(QueueTest, DestroySendsDestroyThenNcDestroyAndTakesChildrenAlong) {
    HWND parent = MakeWindow("QueueFamily");
    EnsureClass("QueueFamilyChild");
    HWND child = CreateWindowExA(0, "QueueFamilyChild", "", WS_CHILD | WS_VISIBLE, 5, 5, 50, 20, parent,
                                 reinterpret_cast<HMENU>(100), nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(NativeWindowOf(child), nullptr);  // children are records without an SDL window
    EXPECT_EQ(GetWindowLongPtrA(child, GWLP_ID), 100);
    Log().clear();
    ASSERT_TRUE(DestroyWindow(parent));
    int parentDestroy = IndexSeen(parent, WM_DESTROY);
    int childDestroy = IndexSeen(child, WM_DESTROY);
    int childNc = IndexSeen(child, WM_NCDESTROY);
    int parentNc = IndexSeen(parent, WM_NCDESTROY);
    ASSERT_GE(parentDestroy, 0);
    EXPECT_LT(parentDestroy, childDestroy);
    EXPECT_LT(childDestroy, childNc);
    EXPECT_LT(childNc, parentNc);
    EXPECT_FALSE(IsWindow(child));
}

}  // namespace
}  // namespace wintest

// The message queue with the old platform's order: posted messages, WM_QUIT,
// input, WM_PAINT, then WM_TIMER. Paint and timer messages are made when they
// are asked for, so they never pile up.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/win/event_wait.h"
#include "platform/win/message_queue.h"
#include "platform/win/window_table.h"

namespace plat {
namespace win {
namespace {

// The old platform's limit on one queue; past it PostMessageA fails.
constexpr std::size_t kQueueLimit = 10000;

std::mutex postedMutex;
std::deque<MSG> posted;
std::atomic<bool> wakePending{false};

std::deque<MSG> input;

bool quitPending = false;
int quitCode = 0;

struct Timer {
    HWND window;
    UINT_PTR id;
    Uint64 interval;
    TIMERPROC proc;
    Uint64 due;
    bool queued = false;  // a tick seen with PM_NOREMOVE waits among the posted messages
};
std::vector<Timer> timers;
UINT_PTR nextThreadTimerId = 0x7FFF;

bool InRange(UINT message, UINT min, UINT max) {
    return (min == 0 && max == 0) || (message >= min && message <= max);
}

bool Matches(const MSG& m, HWND filter, UINT min, UINT max) {
    if (filter && m.hwnd != filter && !IsChild(filter, m.hwnd)) return false;
    return InRange(m.message, min, max);
}

void PumpAll() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) TranslateSdlEvent(event);
}

// A queued tick has been taken: the timer runs again from now.
void TickTaken(const MSG& tick) {
    for (Timer& t : timers) {
        if (t.queued && t.window == tick.hwnd && t.id == tick.wParam) {
            t.queued = false;
            t.due = SDL_GetTicks64() + t.interval;
        }
    }
}

bool FetchPosted(MSG* out, HWND filter, UINT min, UINT max, bool remove) {
    {
        std::lock_guard<std::mutex> lock(postedMutex);
        auto it = std::find_if(posted.begin(), posted.end(),
                               [&](const MSG& m) { return Matches(m, filter, min, max); });
        if (it == posted.end()) return false;
        *out = *it;
        if (!remove) return true;
        posted.erase(it);
    }
    if (out->message == WM_TIMER) TickTaken(*out);
    return true;
}

bool NeedsPaint(const Window& w) {
    if (!w.visible || !w.needsPaint || w.destroying) return false;
    Window* top = Find(TopLevelOf(w.handle));
    return top && top->visible && top->shown != Shown::Minimized;
}

bool Fetch(MSG* out, HWND filter, UINT min, UINT max, bool remove) {
    if (FetchPosted(out, filter, min, max, remove)) return true;

    if (quitPending && !filter && InRange(WM_QUIT, min, max)) {
        *out = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(quitCode), 0);
        if (remove) quitPending = false;
        return true;
    }

    for (auto it = input.begin(); it != input.end(); ++it) {
        if (!Matches(*it, filter, min, max)) continue;
        *out = *it;
        if (remove) {
            input.erase(it);
            NoteRetrievedKey(*out);
        }
        return true;
    }

    // WM_PAINT stays until BeginPaint validates the window.
    for (auto& [id, w] : AllWindows()) {
        MSG paint = MakeMessage(w->handle, WM_PAINT, 0, 0);
        if (NeedsPaint(*w) && Matches(paint, filter, min, max)) {
            *out = paint;
            return true;
        }
    }

    Uint64 now = SDL_GetTicks64();
    for (Timer& t : timers) {
        MSG tick = MakeMessage(t.window, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc));
        if (t.queued || t.due > now || !Matches(tick, filter, min, max)) continue;
        *out = tick;
        if (remove) {
            // The next tick is one interval after this one is taken, not after it
            // was due: a program that was blocked finds one tick, never a backlog.
            t.due = now + t.interval;
        } else {
            // Once seen, the tick is in the queue: what is posted later comes after it.
            t.queued = true;
            std::lock_guard<std::mutex> lock(postedMutex);
            posted.push_back(tick);
        }
        return true;
    }
    return false;
}

// Milliseconds until the next timer the caller could receive is due, or -1.
int TimeToNextTimer(HWND filter, UINT min, UINT max) {
    Uint64 now = SDL_GetTicks64();
    Uint64 best = ~Uint64{0};
    for (const Timer& t : timers) {
        if (t.queued || !Matches(MakeMessage(t.window, WM_TIMER, 0, 0), filter, min, max)) continue;
        best = std::min(best, t.due > now ? t.due - now : 0);
    }
    if (best == ~Uint64{0}) return -1;
    return static_cast<int>(std::clamp<Uint64>(best, 1, 0x7FFFFFFF));
}

}  // namespace

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m{};
    m.hwnd = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = GetTickCount();
    return m;
}

void QueueInput(const MSG& msg) {
    if (msg.message == WM_MOUSEMOVE && !input.empty() && input.back().message == WM_MOUSEMOVE &&
        input.back().hwnd == msg.hwnd) {
        input.back() = msg;
        return;
    }
    if (input.size() >= kQueueLimit) return;  // a program that stopped reading loses input
    input.push_back(msg);
}

void ForgetQueued(HWND handle) {
    {
        std::lock_guard<std::mutex> lock(postedMutex);
        // The first WM_QUIT posted to the window outlives it as the queue's quit.
        for (const MSG& m : posted) {
            if (m.hwnd == handle && m.message == WM_QUIT && !quitPending) {
                quitPending = true;
                quitCode = static_cast<int>(m.wParam);
            }
        }
        posted.erase(std::remove_if(posted.begin(), posted.end(), [&](const MSG& m) { return m.hwnd == handle; }),
                     posted.end());
    }
    input.erase(std::remove_if(input.begin(), input.end(), [&](const MSG& m) { return m.hwnd == handle; }),
                input.end());
    timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.window == handle; }),
                 timers.end());
}

void NoteWoken() { wakePending = false; }

}  // namespace win

BOOL GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax) {
    if (!msg || !win::EnsureSdl()) return -1;
    if (window && !win::Find(window)) return -1;
    for (;;) {
        win::PumpAll();
        if (win::Fetch(msg, window, filterMin, filterMax, true)) return msg->message == WM_QUIT ? FALSE : TRUE;
        if (window && !win::Find(window)) return -1;
        SDL_Event event;
        if (win::WaitForEvent(&event, win::TimeToNextTimer(window, filterMin, filterMax)))
            win::TranslateSdlEvent(event);
    }
}

BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!msg || !win::EnsureSdl()) return FALSE;
    win::PumpAll();
    return win::Fetch(msg, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window && !win::IsLiveHandle(window)) return FALSE;
    {
        std::lock_guard<std::mutex> lock(win::postedMutex);
        if (win::posted.size() >= win::kQueueLimit) return FALSE;
        win::posted.push_back(win::MakeMessage(window, message, wParam, lParam));
    }
    // Wake a GetMessageA waiting in SDL; one wake event is enough for any number of posts.
    if (SDL_WasInit(SDL_INIT_EVENTS) && !win::wakePending.exchange(true)) {
        SDL_Event wake{};
        wake.type = win::WakeEventType();
        if (SDL_PushEvent(&wake) != 1) win::wakePending = false;
    }
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    win::Window* w = win::Find(window);
    if (!w || !w->proc) return 0;
    return w->proc(window, message, wParam, lParam);
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, static_cast<UINT_PTR>(msg->wParam), GetTickCount());
        return 0;
    }
    if (!msg->hwnd) return 0;
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || msg->message != WM_KEYDOWN) return FALSE;
    // Printable characters come from SDL's text input; these control keys
    // produce no text there, so their WM_CHAR is made here.
    WPARAM ch = 0;
    switch (msg->wParam) {
        case VK_RETURN: ch = '\r'; break;
        case VK_BACK: ch = 0x08; break;
        case VK_TAB: ch = '\t'; break;
        case VK_ESCAPE: ch = 0x1B; break;
        default: return FALSE;
    }
    PostMessageA(msg->hwnd, WM_CHAR, ch, msg->lParam);
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    win::quitPending = true;
    win::quitCode = exitCode;
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
    if (window && !win::Find(window)) return 0;
    if (!win::EnsureSdl()) return 0;
    // The old platform's bounds: at least 10 ms, at most 0x7FFFFFFF.
    Uint64 interval = std::clamp<Uint64>(elapseMs, 10, 0x7FFFFFFF);
    Uint64 due = SDL_GetTicks64() + interval;
    if (!window) {
        auto same = std::find_if(win::timers.begin(), win::timers.end(),
                                 [&](const win::Timer& t) { return !t.window && t.id == id && id != 0; });
        if (same == win::timers.end()) id = win::nextThreadTimerId++;
    }
    for (win::Timer& t : win::timers) {
        if (t.window == window && t.id == id) {
            t.interval = interval;
            t.proc = proc;
            t.due = due;
            return id ? id : 1;
        }
    }
    win::timers.push_back({window, id, interval, proc, due});
    return id ? id : 1;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
    auto it = std::find_if(win::timers.begin(), win::timers.end(),
                           [&](const win::Timer& t) { return t.window == window && t.id == id; });
    if (it == win::timers.end()) return FALSE;
    win::timers.erase(it);
    return TRUE;
}

}  // namespace plat

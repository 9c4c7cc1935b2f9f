#include "platform/win/first_picture.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace plat {
namespace {

std::atomic<bool> shown{false};
std::mutex lock;
std::condition_variable changed;

}  // namespace

void NoteFirstPicture() {
    if (shown.load(std::memory_order_relaxed)) return;
    {
        std::lock_guard<std::mutex> guard(lock);
        shown = true;
    }
    changed.notify_all();
}

bool WaitForFirstPicture(std::chrono::milliseconds atMost, const std::function<bool()>& stop) {
    std::unique_lock<std::mutex> held(lock);
    changed.wait_for(held, atMost, [&] { return shown.load() || stop(); });
    return shown.load();
}

void WakeFirstPictureWaiters() {
    { std::lock_guard<std::mutex> guard(lock); }
    changed.notify_all();
}

}  // namespace plat

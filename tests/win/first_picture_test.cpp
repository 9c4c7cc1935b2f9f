// Work that waits for the first picture waits for it, and no longer than asked.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/win/first_picture.h"

namespace {

using namespace std::chrono_literals;

TEST(FirstPicture, AWaitEndsWithThePictureOrWhenToldToStop) {
    // Told to stop before any picture: the wait ends, without a picture.
    std::atomic<bool> stop{false};
    std::thread stopper([&] {
        std::this_thread::sleep_for(50ms);
        stop = true;
        plat::WakeFirstPictureWaiters();
    });
    EXPECT_FALSE(plat::WaitForFirstPicture(60s, [&] { return stop.load(); }));
    EXPECT_TRUE(stop);
    stopper.join();

    // The picture ends the wait, and only the picture.
    std::atomic<bool> presented{false};
    std::thread painter([&] {
        std::this_thread::sleep_for(50ms);
        presented = true;
        plat::NoteFirstPicture();
    });
    EXPECT_TRUE(plat::WaitForFirstPicture(60s, [] { return false; }));
    EXPECT_TRUE(presented) << "the wait ended before the picture";
    painter.join();

    // Once shown, nobody waits again.
    EXPECT_TRUE(plat::WaitForFirstPicture(60s, [] { return false; }));
}

}  // namespace

// The message loop's wait for SDL's next event: it sleeps, and an event pushed
// meanwhile (here by an SDL timer, as the browser's handlers push theirs)
// ends the sleep at once. A wait that never woke would freeze the game; one
// that did not sleep would spin it.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/win/event_wait.h"

namespace {

constexpr Uint32 kPokeEvent = SDL_USEREVENT + 7;

Uint32 PushPoke(Uint32, void*) {
    SDL_Event poke{};
    poke.type = kPokeEvent;
    SDL_PushEvent(&poke);
    return 0;
}

class EventWaitTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS | SDL_INIT_TIMER), 0) << SDL_GetError();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override { SDL_QuitSubSystem(SDL_INIT_EVENTS | SDL_INIT_TIMER); }

    // Milliseconds the wait took, and whether it gave the poke.
    static std::pair<Uint64, bool> Wait(int timeout) {
        SDL_Event event{};
        Uint64 start = SDL_GetTicks64();
        bool got = plat::win::WaitForEvent(&event, timeout);
        return {SDL_GetTicks64() - start, got && event.type == kPokeEvent};
    }
};

TEST_F(EventWaitTest, WithNothingComingItSleepsTheWholeTimeout) {
    auto [took, got] = Wait(120);
    EXPECT_FALSE(got);
    EXPECT_GE(took, 110u);
    SDL_Event event{};
    EXPECT_FALSE(plat::win::WaitForEvent(&event, 0));
}

TEST_F(EventWaitTest, AnEventPushedWhileItSleepsWakesIt) {
    // Twice, and again after the event loop was stopped and started, as a
    // program that ends and starts its windows again does.
    for (int round = 0; round < 3; ++round) {
        if (round == 2) {
            SDL_QuitSubSystem(SDL_INIT_EVENTS);
            ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
        }
        ASSERT_NE(SDL_AddTimer(30, PushPoke, nullptr), 0) << SDL_GetError();
        auto [took, got] = Wait(round == 1 ? -1 : 20000);
        EXPECT_TRUE(got) << "round " << round;
        EXPECT_LT(took, 10000u) << "round " << round;
    }
}

TEST_F(EventWaitTest, AnEventAlreadyWaitingIsGivenAtOnce) {
    PushPoke(0, nullptr);
    auto [took, got] = Wait(20000);
    EXPECT_TRUE(got);
    EXPECT_LT(took, 10000u);
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/app/recording_view.h"

namespace {

HWND FakeWindow(std::uintptr_t n) { return reinterpret_cast<HWND>(n); }

class ViewManagerTest : public ::testing::Test {
protected:
    void SetUp() override { ResetViewManager(); }
    void TearDown() override { ResetViewManager(); }
};

TEST_F(ViewManagerTest, RoutesEachEventToTheViewOfItsWindowOnly) {
    auto* first = new RecordingView(FakeWindow(1));
    auto* second = new RecordingView(FakeWindow(2));
    ASSERT_EQ(viewManager.views, second) << "newest view comes first";
    ASSERT_EQ(second->next, first);

    viewManager.RouteKeyDown(FakeWindow(1), VK_LEFT);
    viewManager.RouteKeyUp(FakeWindow(1), VK_LEFT);
    viewManager.RouteChar(FakeWindow(2), 'a');
    viewManager.RouteMouseDown(FakeWindow(2), 10, 20, MK_LBUTTON);
    viewManager.RouteMouseUp(FakeWindow(2), 11, 21, 0);
    viewManager.RouteDoubleClick(FakeWindow(2), 12, 22, MK_LBUTTON);
    viewManager.RouteMouseMove(FakeWindow(1), 65535, 0, MK_RBUTTON);
    viewManager.RouteResize(FakeWindow(1));

    EXPECT_EQ(first->log, (std::vector<std::string>{"wake", "keydown 37", "keyup 37", "move 65535,0 2",
                                                    "resize"}));
    EXPECT_EQ(second->log, (std::vector<std::string>{"wake", "char 97", "down 10,20 1", "up 11,21 0",
                                                     "dblclk 12,22 1"}));
}

TEST_F(ViewManagerTest, InputForAWindowWithoutViewStillWakesTheViews) {
    auto* view = new RecordingView(FakeWindow(1));
    viewManager.RouteKeyDown(FakeWindow(99), VK_RETURN);
    EXPECT_EQ(view->log, (std::vector<std::string>{"wake"}));
    EXPECT_FALSE(viewManager.idle);
    EXPECT_EQ(viewManager.FindView(FakeWindow(99)), nullptr);
    EXPECT_EQ(viewManager.FindView(FakeWindow(1)), view);
}

TEST_F(ViewManagerTest, OnlyTheFirstInputAfterIdlenessWakes) {
    auto* view = new RecordingView(FakeWindow(1));
    viewManager.RouteMouseDown(FakeWindow(1), 1, 1, MK_LBUTTON);
    viewManager.RouteKeyDown(FakeWindow(1), 'A');
    EXPECT_EQ(std::count(view->log.begin(), view->log.end(), "wake"), 1);
}

TEST_F(ViewManagerTest, NineHundredTicksWithOnlyMouseMovementMakeThePlayerIdle) {
    auto* view = new RecordingView(FakeWindow(1));
    viewManager.RouteKeyDown(FakeWindow(1), 'A');
    for (int i = 0; i < 899; ++i) {
        viewManager.TimerTick();
        viewManager.RouteMouseMove(FakeWindow(1), 5, 5, 0);
    }
    EXPECT_FALSE(viewManager.idle);
    EXPECT_EQ(viewManager.ticksSinceInput, 899) << "mouse moves must not count as input";

    viewManager.TimerTick();
    EXPECT_TRUE(viewManager.idle);
    EXPECT_EQ(viewManager.ticksSinceInput, 0) << "the count restarts when idleness begins";

    viewManager.TimerTick();
    viewManager.TimerTick();
    EXPECT_TRUE(viewManager.idle);
    EXPECT_EQ(viewManager.ticksSinceInput, 2) << "while idle the count keeps rising";

    view->log.clear();
    viewManager.RouteMouseUp(FakeWindow(1), 5, 5, 0);
    EXPECT_EQ(view->log.front(), "wake");
    EXPECT_EQ(viewManager.ticksSinceInput, 0);
}

TEST_F(ViewManagerTest, EveryTimerTickReachesEveryViewAndAddsGameTime) {
    auto* first = new RecordingView(FakeWindow(1));
    auto* second = new RecordingView(FakeWindow(2));
    viewManager.TimerTick();
    viewManager.TimerTick();
    viewManager.TimerTick();
    EXPECT_EQ(first->ticks, 3);
    EXPECT_EQ(second->ticks, 3);
    EXPECT_FLOAT_EQ(first->accumulatedTime, 0.066f + 0.066f + 0.066f);
    EXPECT_FLOAT_EQ(viewManager.tickTime, 0.198f);
}

TEST_F(ViewManagerTest, PaintClearsSceneChangedWhetherOrNotAViewDrew) {
    auto* view = new RecordingView(FakeWindow(1));
    viewManager.sceneChanged = true;
    EXPECT_FALSE(viewManager.RoutePaint(FakeWindow(7)));
    EXPECT_FALSE(viewManager.sceneChanged);

    viewManager.sceneChanged = true;
    view->drawResult = false;
    EXPECT_FALSE(viewManager.RoutePaint(FakeWindow(1)));
    EXPECT_FALSE(viewManager.sceneChanged);

    view->drawResult = true;
    EXPECT_TRUE(viewManager.RoutePaint(FakeWindow(1)));
    EXPECT_EQ(std::count(view->log.begin(), view->log.end(), "draw"), 2);
}

TEST_F(ViewManagerTest, IdleRenderConsumesPendingTimeAndChanges) {
    viewManager.TimerTick();
    viewManager.TimerTick();
    EXPECT_FLOAT_EQ(viewManager.tickTime, 0.132f);
    viewManager.sceneChanged = true;
    viewManager.IdleRender();
    EXPECT_EQ(viewManager.tickTime, 0.0f);
    EXPECT_FALSE(viewManager.sceneChanged);
}

}  // namespace

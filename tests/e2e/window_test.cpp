// The built program in a real X window under Xvfb with a window manager.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/gl/gl_probe.h"
#include "tests/e2e/program_runner.h"
#include "tests/support/gl_required.h"
#include "tests/support/window_capture.h"

namespace {

using e2e::Program;
using e2e::Shell;

TEST(EndToEnd, WindowTitledKestrovaOpensAndAltF4EndsTheProgramCleanly) {
    KESTROVA_REQUIRE_GL(plat::gl::ProbeRenderer().available);
    Program game;
    std::string id = game.WaitForWindow("Kestrova", 30);
    ASSERT_FALSE(id.empty()) << "no window titled Kestrova appeared";
    EXPECT_EQ(Shell("xdotool getwindowname " + id), "Kestrova");
    // Docks group the running game with its menu entry by the entry's StartupWMClass.
    const std::string startupClass = Shell("sed -n 's/^StartupWMClass=//p' " KESTROVA_DESKTOP_ENTRY);
    ASSERT_FALSE(startupClass.empty()) << "the menu entry names no window class";
    EXPECT_EQ(Shell("xprop -id " + id + " WM_CLASS"), "WM_CLASS(STRING) = \"kestrova\", \"" + startupClass + "\"");

    ASSERT_TRUE(game.WaitForManaged(id, 30));
    ASSERT_TRUE(game.Activate(id, 30)) << "the window never got the keyboard focus";
    Shell("xdotool key alt+F4");
    EXPECT_EQ(game.WaitForExit(30), 0);
}

TEST(EndToEnd, TheCloseBoxEndsTheProgramCleanly) {
    KESTROVA_REQUIRE_GL(plat::gl::ProbeRenderer().available);
    Program game;
    std::string id = game.WaitForWindow("Kestrova", 30);
    ASSERT_FALSE(id.empty());
    // The window manager must have taken the window on before it can close it.
    ASSERT_TRUE(game.WaitForManaged(id, 30));
    // What the window manager does for a click on the close box.
    Shell("wmctrl -i -c " + id);
    EXPECT_EQ(game.WaitForExit(30), 0);
}

TEST(EndToEnd, TheProgramSleepsBetweenMessages) {
    // Without OpenGL the program would only wait on its error box, which proves nothing.
    KESTROVA_REQUIRE_GL(plat::gl::ProbeRenderer().available);
    Program game;
    ASSERT_FALSE(game.WaitForWindow("Kestrova", 30).empty());
    std::this_thread::sleep_for(std::chrono::seconds(1));
    double before = game.CpuSeconds();
    auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    double used = game.CpuSeconds() - before;
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Only a guard against a busy loop, which would use a whole core; the real
    // figure is measured by the benchmarks.
    EXPECT_LT(used / wall, 0.5) << "the program used " << used << " s of processor time in " << wall << " s";
}

TEST(EndToEnd, WithoutOpenGlThePlayerIsToldAndTheProgramFails) {
    // No OpenGL library can be loaded, so no Direct3D device exists.
    Program game({"SDL_OPENGL_LIBRARY=/nonexistent/libGL.so.1"});
    std::string box = game.WaitForWindow("Error", 30);
    ASSERT_FALSE(box.empty()) << "the message box did not appear";
    ASSERT_TRUE(game.WaitForManaged(box, 30));

    capture::Image shown;
    ASSERT_TRUE(capture::CaptureWindow(box, shown));
    int dark = 0;
    for (std::uint32_t p : shown.pixels) dark += (p & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60;
    EXPECT_GT(dark, 20) << "the box shows no text";

    ASSERT_TRUE(game.Activate(box, 30)) << "the box never got the keyboard focus";
    Shell("xdotool key Return");
    EXPECT_EQ(game.WaitForExit(30), 1);
}

}  // namespace

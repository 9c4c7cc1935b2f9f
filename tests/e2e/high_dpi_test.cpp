// The Windows build under Wine with the desktop at 144 DPI (150 %) beside the
// same at 96: the picture is drawn at the display's own pixels, the window
// takes the same share of the screen, and the boxes' text grows with the scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/gl/gl_probe.h"
#include "tests/e2e/game_screen.h"
#include "tests/e2e/program_runner.h"
#include "tests/support/gl_required.h"
#include "tests/support/window_capture.h"

namespace {

using capture::Image;
using e2e::GameScreen;
using e2e::Pixel;

constexpr int kLives = 5;

void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }

// Takes pictures of a window until `fault` finds nothing wrong with one ("")
// or the time is up; the last picture and complaint stay for the report.
template <typename Fault>
bool WaitForPicture(const std::string& id, double seconds, Image& image, std::string& complaint, Fault fault) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        complaint = capture::CaptureWindow(id, image) ? fault(image) : "no picture of the window";
        if (complaint.empty()) return true;
        Pause();
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

// A copy of the Windows build's Wine prefix, so that the desktop's scale can
// change here while other programs under Wine keep theirs.
class ScaledPrefix {
public:
    ScaledPrefix() {
        char pattern[] = "/tmp/kestrova-dpi-XXXXXX";
        if (mkdtemp(pattern)) path_ = std::string(pattern) + "/prefix";
        e2e::Shell("cp -a \"${WINEPREFIX:-${KESTROVA_WINDOWS_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/kestrova/"
                   "windows-deps}/wineprefix}\" '" + path_ + "'");
    }
    ~ScaledPrefix() {
        Wine("wineserver -k");
        e2e::Shell("rm -rf '" + path_.substr(0, path_.rfind('/')) + "'");
    }
    bool Ready() const { return !path_.empty() && !e2e::Shell("ls '" + path_ + "/user.reg'").empty(); }
    std::string Setting() const { return "WINEPREFIX=" + path_; }
    // Where Wine reads the scale of the desktop, as Windows does: the user's own setting.
    void SetDpi(int dpi) const {
        Wine("wine64 reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels /t REG_DWORD /d " + std::to_string(dpi) +
             " /f >/dev/null 2>&1");
    }

private:
    void Wine(const std::string& command) const {
        e2e::Shell(Setting() + " WINEDEBUG=-all /usr/lib/wine/" + command);
    }

    std::string path_;
};

int ScreenWidth() { return std::atoi(e2e::Shell("xwininfo -root | sed -n 's/.*Width: *//p'").c_str()); }

// Pixels of two pictures of one size further apart than a rounding in some
// channel, outside the wall of bricks, whose colours are random.
int Different(const GameScreen& screen, const Image& a, const Image& b) {
    const Pixel corner1 = screen.Project(48, 2, 48), corner2 = screen.Project(-48, 2, -48);
    int different = 0;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (x >= corner1.x - 2 && x <= corner2.x + 2 && y >= corner1.y - 2 && y <= corner2.y + 2) continue;
            different += !e2e::SameColour(a.At(x, y), b.At(x, y));
        }
    }
    return different;
}

int Brightest(std::uint32_t p) { return static_cast<int>(std::max({(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF})); }

// The "Game Over!" line: the rows with dark pixels from the top of the box down
// to the first row without any (the button lies further down), and how many
// of its pixels are the greys that text drawn small and stretched smears into.
struct TextLine {
    int height = 0, dark = 0, grey = 0;
};

TextLine ReadTextLine(const Image& box) {
    TextLine line;
    for (int y = 0; y < box.height; ++y) {
        int dark = 0, grey = 0;
        for (int x = 0; x < box.width; ++x) {
            dark += Brightest(box.At(x, y)) < 0x60;
            grey += Brightest(box.At(x, y)) >= 0x60 && Brightest(box.At(x, y)) < 0xC0;
        }
        if (dark == 0 && line.height > 0) break;
        line.height += dark > 0;
        line.dark += dark;
        line.grey += dark > 0 ? grey : 0;
    }
    return line;
}

struct Seen {
    double share = 0;  // of the screen's width, the window's client area
    Image start;
    TextLine text;
    int boxWidth = 0;
};

// Starts the game in the prefix at `dpi` and loses the five balls, each hit
// once, until the "Game Over!" box is up. Given the pictures `at96`, the window
// takes the size of that one's first and must show the same picture.
void PlayToGameOver(const ScaledPrefix& prefix, int dpi, const Seen* at96, Seen& seen) {
    const std::string tag = "dpi-" + std::to_string(dpi);
    SCOPED_TRACE(tag);
    prefix.SetDpi(dpi);
    e2e::Program game({prefix.Setting()});
    const std::string id = game.WaitForWindow("Kestrova", 60);
    ASSERT_FALSE(id.empty()) << "no window titled Kestrova appeared";
    ASSERT_TRUE(game.WaitForManaged(id, 30));
    ASSERT_TRUE(game.Activate(id, 30));
    Image image;
    ASSERT_TRUE(capture::CaptureWindow(id, image));
    seen.share = static_cast<double>(image.width) / ScreenWidth();
    // A program still placing its new window may undo a size set too early: asked again until it holds.
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         at96 && (image.width != at96->start.width || image.height != at96->start.height) &&
         std::chrono::steady_clock::now() < end;) {
        e2e::Shell("xdotool windowsize " + id + " " + std::to_string(at96->start.width) + " " +
                   std::to_string(at96->start.height));
        Pause();
        ASSERT_TRUE(capture::CaptureWindow(id, image));
    }
    const GameScreen screen(image.width, image.height);
    const Pixel park{4, image.height - 4}, rest = screen.BallAtRest();
    e2e::MoveMouse(id, park.x, park.y);
    std::string fault;
    const bool started = WaitForPicture(id, 30, image, fault, [&](const Image& i) -> std::string {
        if (screen.ReadLives(i) != kLives || !e2e::IsBallRed(i.At(rest.x, rest.y))) return "the game has not started";
        if (!at96) return "";
        if (i.width != at96->start.width || i.height != at96->start.height) return "the window is not the size at 96 DPI";
        // A picture drawn smaller and stretched to the window differs along every edge.
        const int different = Different(screen, at96->start, i);
        return different <= i.width * i.height / 1000 ? "" : std::to_string(different) + " pixels differ from 96 DPI's";
    });
    capture::SaveForViewing(image, tag + "-start");
    ASSERT_TRUE(started) << fault;
    seen.start = image;

    for (int lost = 1; lost < kLives; ++lost) {
        e2e::Click(id, rest.x, rest.y);
        e2e::MoveMouse(id, park.x, park.y);
        ASSERT_TRUE(WaitForPicture(id, 90, image, fault, [&](const Image& i) {
            return screen.ReadLives(i) == kLives - lost && e2e::IsBallRed(i.At(rest.x, rest.y)) ? "" : "the ball is not back";
        })) << fault;
    }
    e2e::Click(id, rest.x, rest.y);
    e2e::MoveMouse(id, park.x, park.y);
    const std::string box = game.WaitForWindowOtherThan(id, 90);
    ASSERT_FALSE(box.empty()) << "no box after the last ball was lost";
    ASSERT_TRUE(WaitForPicture(box, 30, image, fault, [](const Image& i) {
        return ReadTextLine(i).height > 0 ? "" : "the box shows no text";
    })) << fault;
    capture::SaveForViewing(image, tag + "-game-over");
    seen.text = ReadTextLine(image);
    seen.boxWidth = image.width;
}

TEST(HighDpi, AtOneAndAHalfTimesTheScaleThePictureKeepsItsPixelsAndTheTextGrows) {
    KESTROVA_REQUIRE_GL(plat::gl::ProbeRenderer().available);
    const ScaledPrefix prefix;
    ASSERT_TRUE(prefix.Ready()) << "the Wine prefix could not be copied";
    Seen normal, scaled;
    ASSERT_NO_FATAL_FAILURE(PlayToGameOver(prefix, 96, nullptr, normal));
    ASSERT_NO_FATAL_FAILURE(PlayToGameOver(prefix, 144, &normal, scaled));
    EXPECT_NEAR(scaled.share, normal.share, 0.03) << "the window's share of the screen changed with the scale";
    EXPECT_GE(scaled.text.height * 4, normal.text.height * 5)
        << "text " << scaled.text.height << " pixels high at 144 DPI, " << normal.text.height << " at 96";
    EXPECT_GE(scaled.boxWidth * 4, normal.boxWidth * 5)
        << "box " << scaled.boxWidth << " pixels wide at 144 DPI, " << normal.boxWidth << " at 96";
    EXPECT_LE(scaled.text.grey, 2 * normal.text.grey + scaled.text.dark / 10)
        << "the text is blurred at 144 DPI: " << scaled.text.grey << " grey pixels beside " << scaled.text.dark << " dark";
}

}  // namespace

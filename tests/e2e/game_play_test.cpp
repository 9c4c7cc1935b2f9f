// Whole games of the built program, played with XTEST mouse and keys under
// Xvfb and openbox, and judged by what the window shows, what the sound card
// got and what the score file holds.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/gl/gl_probe.h"
#include "tests/e2e/game_screen.h"
#include "tests/e2e/program_runner.h"
#include "tests/support/gl_required.h"
#include "tests/support/window_capture.h"

namespace {

using capture::Image;
using e2e::GameScreen;
using e2e::Pixel;
using e2e::Program;

constexpr int kStartLives = 5;
constexpr int kTableSize = 10;
constexpr int kNameField = 20;
constexpr int kRecordBytes = kNameField + 4;
// The sound as SDL's disk driver writes it: 48 kHz, two channels of 32-bit floats.
constexpr long kSoundBytesPerSecond = 48000L * 2 * 4;
const char kSoundFile[] = "sound.raw";

#if defined(KESTROVA_UNDER_WINE)
// The same games, played by the Windows build under Wine. Wine here has no MIDI
// device, so the game plays silently, as it does on any machine without one.
constexpr bool kSoundHeard = false;
// Wine tells the window manager about its windows itself.
constexpr bool kOurWindowSystem = false;
#else
constexpr bool kSoundHeard = true;
constexpr bool kOurWindowSystem = true;
#endif

using Clock = std::chrono::steady_clock;

Clock::time_point After(double seconds) {
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }

// Takes pictures of a window until `fault` finds nothing wrong with one ("")
// or the time is up. The last picture and complaint stay for the report.
bool WaitForPicture(const std::string& id, double seconds, Image& image, std::string& complaint,
                    const std::function<std::string(const Image&)>& fault) {
    const auto end = After(seconds);
    do {
        if (capture::CaptureWindow(id, image)) {
            complaint = fault(image);
            if (complaint.empty()) return true;
        } else {
            complaint = "no picture of the window";
        }
        Pause();
    } while (Clock::now() < end);
    return false;
}

long FileSize(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

bool WaitForFileSize(const std::string& path, long size, double seconds) {
    const auto end = After(seconds);
    while (FileSize(path) < size) {
        if (Clock::now() >= end) return false;
        Pause();
    }
    return true;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The loudest sample between two byte offsets of the recorded sound.
float Loudest(const std::string& sound, long from, long to) {
    float loudest = 0.0f;
    for (long at = from & ~7L; at + 4 <= to && at + 4 <= static_cast<long>(sound.size()); at += 4) {
        float sample;
        std::memcpy(&sample, sound.data() + at, 4);
        loudest = std::max(loudest, std::fabs(sample));
    }
    return loudest;
}

void PutInt32(std::string& out, std::int32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(static_cast<std::uint32_t>(value) >> (8 * i)));
}

std::int32_t GetInt32(const std::string& in, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= std::uint32_t{static_cast<unsigned char>(in[at + i])} << (8 * i);
    return static_cast<std::int32_t>(value);
}

std::string ScoreFile(const std::vector<std::pair<std::string, int>>& records) {
    std::string bytes;
    PutInt32(bytes, static_cast<std::int32_t>(records.size()));
    for (const auto& [name, score] : records) {
        std::string field = name;
        field.resize(kNameField, '\0');
        bytes += field;
        PutInt32(bytes, score);
    }
    return bytes;
}

// Which of the results dialog's ten lines show any text. The dialog is laid
// out in dialog units on a 199 x 171 client area; line k spans 7 + 14k to 18 + 14k.
std::vector<bool> LinesWithText(const Image& dialog) {
    std::vector<bool> lines(kTableSize, false);
    const float sx = dialog.width / 199.0f, sy = dialog.height / 171.0f;
    for (int k = 0; k < kTableSize; ++k) {
        int dark = 0;
        for (int y = static_cast<int>((7 + 14 * k) * sy); y < static_cast<int>((18 + 14 * k) * sy); ++y) {
            for (int x = static_cast<int>(7 * sx); x < static_cast<int>(192 * sx); ++x) {
                const std::uint32_t p = dialog.At(x, y);
                dark += ((p >> 16) & 0xFF) < 100 && ((p >> 8) & 0xFF) < 100 && (p & 0xFF) < 100;
            }
        }
        lines[k] = dark >= 10;
    }
    return lines;
}

int DarkPixels(const Image& image) {
    int dark = 0;
    for (std::uint32_t p : image.pixels) dark += ((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60;
    return dark;
}

bool Near(Pixel a, Pixel b, int distance) { return std::abs(a.x - b.x) <= distance && std::abs(a.y - b.y) <= distance; }

int Count(const std::vector<bool>& flags) { return static_cast<int>(std::count(flags.begin(), flags.end(), true)); }

// The value xprop prints for one property of a window ("NAME(TYPE) = value",
// or "NAME(TYPE): value" for some types), "" when it has none.
std::string XProperty(const std::string& id, const std::string& name) {
    const std::string line = e2e::Shell("xprop -id " + id + " " + name);
    if (line.rfind(name + "(", 0) != 0) return "";
    const auto type = line.find(')');
    for (const char* between : {" = ", ": "}) {
        if (line.compare(type + 1, std::strlen(between), between) == 0) return line.substr(type + 1 + std::strlen(between));
    }
    return "";
}

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

// A window's client area on the screen, as the X server has it (xdotool's
// place of a framed window counts the frame's offset twice).
Geometry GeometryOf(const std::string& id) {
    Geometry g;
    std::istringstream lines(e2e::Shell("xwininfo -id " + id));
    for (std::string line; std::getline(lines, line);) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string key = line.substr(line.find_first_not_of(' '), colon - line.find_first_not_of(' '));
        const int value = std::atoi(line.c_str() + colon + 1);
        if (key == "Absolute upper-left X") g.x = value;
        if (key == "Absolute upper-left Y") g.y = value;
        if (key == "Width") g.width = value;
        if (key == "Height") g.height = value;
    }
    return g;
}

// The first numbers of a list such as "1, 1, 20, 5", missing ones 0.
std::vector<int> Numbers(const std::string& list, std::size_t count) {
    std::vector<int> numbers(count, 0);
    std::istringstream in(list);
    std::string item;
    for (std::size_t i = 0; i < count && std::getline(in, item, ','); ++i) numbers[i] = std::atoi(item.c_str());
    return numbers;
}

// The window with its frame, as the window manager draws it around the client area.
Geometry FramedGeometryOf(const std::string& id) {
    const Geometry client = GeometryOf(id);
    const std::vector<int> frame = Numbers(XProperty(id, "_NET_FRAME_EXTENTS"), 4);  // left, right, top, bottom
    return {client.x - frame[0], client.y - frame[2], frame[0] + client.width + frame[1],
            frame[2] + client.height + frame[3]};
}

Geometry WorkArea() {
    const std::string line = e2e::Shell("xprop -root _NET_WORKAREA");
    const std::vector<int> area = Numbers(line.substr(line.find('=') + 1), 4);
    return {area[0], area[1], area[2], area[3]};
}

std::string RootWindow() { return e2e::Shell("xwininfo -root | sed -n 's/.*Window id: \\(0x[0-9a-f]*\\).*/\\1/p'"); }

// A box or dialog as the desktop sees it, read from outside with xprop:
// transient for the main window and a dialog, so the window manager keeps it
// above; no task-bar entry; the frame offers neither minimise nor maximise
// (openbox keeps minimise for every dialog, which then takes its owner along,
// so only what the program asks for is checked there). With
// KESTROVA_SAVE_PICTURE set, the whole screen is kept as well.
void ExpectADialogOf(const std::string& mainWindow, const std::string& id, const std::string& tag) {
    SCOPED_TRACE(tag);
    char owner[32];
    std::snprintf(owner, sizeof owner, "%#lx", std::stoul(mainWindow));
    EXPECT_EQ(XProperty(id, "WM_TRANSIENT_FOR"), std::string("window id # ") + owner);
    EXPECT_EQ(XProperty(id, "_NET_WM_WINDOW_TYPE"), "_NET_WM_WINDOW_TYPE_DIALOG");
    EXPECT_NE(XProperty(id, "_NET_WM_STATE").find("_NET_WM_STATE_SKIP_TASKBAR"), std::string::npos);
    EXPECT_EQ(XProperty(mainWindow, "_NET_WM_STATE").find("_NET_WM_STATE_SKIP_TASKBAR"), std::string::npos);
    // Motif's flags, functions (move 4, close 32) and decorations (border 2,
    // title 8, menu 16): no resize handle, no minimise or maximise button.
    EXPECT_EQ(XProperty(id, "_MOTIF_WM_HINTS").rfind("0x3, 0x24, 0x1a,", 0), 0u) << XProperty(id, "_MOTIF_WM_HINTS");
    const std::string allowed = XProperty(id, "_NET_WM_ALLOWED_ACTIONS");
    EXPECT_NE(allowed.find("_NET_WM_ACTION_CLOSE"), std::string::npos) << allowed;
    EXPECT_EQ(allowed.find("_NET_WM_ACTION_MAXIMIZE"), std::string::npos) << allowed;
    EXPECT_EQ(allowed.find("_NET_WM_ACTION_RESIZE"), std::string::npos) << allowed;

    if (std::getenv("KESTROVA_SAVE_PICTURE")) {
        Image screen;
        if (capture::CaptureWindow(RootWindow(), screen)) capture::SaveForViewing(screen, tag + "-desktop");
    }
}

// A message box opens centred over the main window.
void ExpectCentredOver(const std::string& mainWindow, const std::string& id) {
    const Geometry box = GeometryOf(id), main = GeometryOf(mainWindow);
    EXPECT_NEAR(box.x + box.width / 2.0, main.x + main.width / 2.0, 2.0) << "the box is not centred across";
    EXPECT_NEAR(box.y + box.height / 2.0, main.y + main.height / 2.0, 2.0) << "the box is not centred down";
}

// Both templates say 0, 0: a dialog's client area opens at the top-left of
// the main window's client area, and the dialog manager then moves the whole
// window, frame and all, into the work area where it would stick out.
void ExpectWhereItsTemplatePutsIt(const std::string& mainWindow, const std::string& id, const std::string& tag) {
    SCOPED_TRACE(tag);
    const Geometry client = GeometryOf(id), framed = FramedGeometryOf(id), main = GeometryOf(mainWindow);
    const Geometry work = WorkArea();
    const int left = client.x - framed.x, top = client.y - framed.y;
    const int x = std::max(work.x, std::min(main.x - left, work.x + work.width - framed.width)) + left;
    const int y = std::max(work.y, std::min(main.y - top, work.y + work.height - framed.height)) + top;
    const std::string mainAt = "; the main window's client area is at " + std::to_string(main.x) + ", " +
                               std::to_string(main.y);
    EXPECT_EQ(client.x, x) << "the dialog is not where its template puts it across" << mainAt;
    EXPECT_EQ(client.y, y) << "the dialog is not where its template puts it down" << mainAt;
}

// The game's last picture stays beside the results dialog: where the dialog,
// frame and all, leaves the main window uncovered, the wall's bricks show.
std::string BricksBesideFault(const Image& screen, const Geometry& main, const Geometry& dialog) {
    Image picture;
    picture.width = main.width;
    picture.height = main.height;
    for (int y = 0; y < main.height; ++y) {
        for (int x = 0; x < main.width; ++x) {
            const int sx = main.x + x, sy = main.y + y;
            const bool on = sx >= 0 && sy >= 0 && sx < screen.width && sy < screen.height;
            picture.pixels.push_back(on ? screen.At(sx, sy) : 0);
        }
    }
    const GameScreen game(main.width, main.height);
    const std::vector<bool> shown = game.BricksShown(picture);
    const auto covered = [&](Pixel p) {
        const int sx = main.x + p.x, sy = main.y + p.y;
        return sx >= dialog.x - 2 && sy >= dialog.y - 2 && sx < dialog.x + dialog.width + 2 &&
               sy < dialog.y + dialog.height + 2;
    };
    int beside = 0, showing = 0;
    for (int i = 0; i < e2e::kBricks; ++i) {
        if (covered(game.BrickFront(i)) || covered(game.GapBeside(i))) continue;
        ++beside;
        showing += shown[i];
    }
    if (beside < e2e::kBricks / 4) {
        return "the dialog covers the wall: " + std::to_string(beside) + " bricks are beside it";
    }
    // A few were hit, and a few look like the court behind them.
    if (showing * 2 < beside) {
        return "only " + std::to_string(showing) + " of the " + std::to_string(beside) + " bricks beside it show";
    }
    return "";
}

// What the first picture must show.
std::string StartFault(const GameScreen& screen, const Image& image) {
    const int w = image.width, h = image.height;
    for (Pixel corner : {Pixel{3, 3}, Pixel{w - 4, 3}, Pixel{w - 4, h - 4}}) {
        if (!e2e::IsBackground(image.At(corner.x, corner.y))) return "the background is not green";
    }
    const Pixel ball = screen.BallAtRest();
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            if (!e2e::IsBallRed(image.At(ball.x + dx, ball.y + dy))) return "no red ball in the middle";
        }
    }
    const int score = screen.ReadScore(image), lives = screen.ReadLives(image);
    if (score != 0 || lives != kStartLives) {
        return "the displays read score " + std::to_string(score) + " and lives " + std::to_string(lives);
    }
    // The walls reach forward from the box; a green line marks where the box begins.
    for (float x : {50.0f, -50.0f}) {
        const Pixel wall = screen.Project(x, -130, 0);
        if (!e2e::IsWall(image.At(wall.x, wall.y))) return "no wall at the side of the court";
        for (float z : {-30.0f, 0.0f, 30.0f}) {
            const Pixel line = screen.Project(x, -50, z);
            bool found = false;
            for (int dx = -3; dx <= 3; ++dx) found = found || e2e::IsCourtLine(image.At(line.x + dx, line.y));
            if (!found) return "no green line on the side wall";
        }
    }
    // Colours are random, so a few bricks may look like the court behind them.
    const int bricks = Count(screen.BricksShown(image));
    if (bricks < 90) return std::to_string(bricks) + " of the wall's 100 bricks are seen";
    const auto mark = screen.BallMarkOnRightWall(image);
    if (!mark || !Near(*mark, screen.Project(-49.5f, -100, 0), 3)) return "the ball's disc is not on the right wall";
    return "";
}

// The ball waits in the middle again, with `lives` shown.
std::string AtRestFault(const GameScreen& screen, const Image& image, int lives) {
    const int shown = screen.ReadLives(image);
    if (shown != lives) return "lives read " + std::to_string(shown);
    const Pixel ball = screen.BallAtRest();
    if (!e2e::IsBallRed(image.At(ball.x, ball.y))) return "no red ball in the middle";
    if (screen.ReadScore(image) < 0) return "the score cannot be read";
    return "";
}

// Finds the main window, gives it the focus, parks the mouse in a lower
// corner (the racket follows it there and hides nothing that is checked) and
// waits for the first picture. `size`, when given, is the client size to set first.
void WaitForStart(Program& game, const std::string& tag, std::string& id, Image& image,
                  const std::optional<Pixel>& size = std::nullopt) {
    id = game.WaitForWindow("Kestrova", 30);
    ASSERT_FALSE(id.empty()) << "no window titled Kestrova appeared";
    ASSERT_TRUE(game.WaitForManaged(id, 30));
    ASSERT_TRUE(game.Activate(id, 30)) << "the window never got the keyboard focus";
    ASSERT_TRUE(capture::CaptureWindow(id, image));
    // A program still placing its new window may undo a size set too early: asked again until it holds.
    for (auto end = After(20); size && (image.width != size->x || image.height != size->y) && Clock::now() < end;) {
        e2e::Shell("xdotool windowsize " + id + " " + std::to_string(size->x) + " " + std::to_string(size->y));
        Pause();
        Pause();
        ASSERT_TRUE(capture::CaptureWindow(id, image));
    }
    if (size) {
        ASSERT_EQ(image.width, size->x);
        ASSERT_EQ(image.height, size->y);
    }
    const GameScreen screen(image.width, image.height);
    e2e::MoveMouse(id, 4, image.height - 4);
    std::string fault;
    const bool started = WaitForPicture(id, 30, image, fault, [&](const Image& i) { return StartFault(screen, i); });
    capture::SaveForViewing(image, tag + "-start");
    ASSERT_TRUE(started) << fault;
}

struct GameResult {
    int shownScore = -1;
    std::string mainWindow;
    std::string box;
};

// Plays one game from the first picture to "Game Over!": five balls, each hit
// once with a click beside the ball so that it goes for a brick of its own and
// comes back past the racket. With `sound`, the run's sound file is checked
// around the first click.
void PlayUntilGameOver(Program& game, bool sound, const std::string& tag, GameResult& result) {
    std::string id;
    Image image;
    ASSERT_NO_FATAL_FAILURE(WaitForStart(game, tag, id, image));
    result.mainWindow = id;
    const GameScreen screen(image.width, image.height);
    const Pixel park{4, image.height - 4};
    std::string fault;
    const Image atStart = image;

    const std::string soundPath = game.directory() + "/" + kSoundFile;
    long silentUntil = 0;
    if (sound) {
        ASSERT_TRUE(WaitForFileSize(soundPath, kSoundBytesPerSecond / 4, 30)) << "no sound is being written";
        silentUntil = FileSize(soundPath);
        EXPECT_LT(Loudest(ReadFile(soundPath), 0, silentUntil), 1e-4f) << "sound before anything was hit";
    }

    // A click dx pixels right of the ball sends it 300 dx / width units towards +x at
    // the wall, which is the middle of a column of bricks for these places.
    const float columns[kStartLives] = {5, -5, 15, -15, 25};
    const float scale = static_cast<float>(std::max(image.width, image.height));
    int score = 0;
    for (int ball = 0; ball < kStartLives; ++ball) {
        SCOPED_TRACE("ball " + std::to_string(ball + 1));
        const int dx = static_cast<int>(std::lround(columns[ball] * scale / 300.0f));
        const Pixel rest = screen.BallAtRest();
        const long soundAtClick = sound ? FileSize(soundPath) : 0;
        e2e::Click(id, rest.x + dx, rest.y);
        e2e::MoveMouse(id, park.x, park.y);

        if (ball == 0) {
            // The ball's disc on the wall follows it: it leaves its place, then keeps moving.
            const Pixel restMark = screen.Project(-49.5f, -100, 0);
            Pixel first{};
            bool moved = WaitForPicture(id, 20, image, fault, [&](const Image& i) -> std::string {
                const auto mark = screen.BallMarkOnRightWall(i);
                if (!mark || Near(*mark, restMark, 8)) return "the ball did not leave its place";
                first = *mark;
                return "";
            });
            capture::SaveForViewing(image, tag + "-launched");
            ASSERT_TRUE(moved) << fault;
            moved = WaitForPicture(id, 20, image, fault, [&](const Image& i) -> std::string {
                const auto mark = screen.BallMarkOnRightWall(i);
                // Gone from the wall in front of the bricks is moving on too.
                if (mark && Near(*mark, first, 3)) return "the ball stopped";
                return "";
            });
            ASSERT_TRUE(moved) << fault;

            if (sound) {
                ASSERT_TRUE(WaitForFileSize(soundPath, soundAtClick + kSoundBytesPerSecond, 30));
                EXPECT_GT(Loudest(ReadFile(soundPath), silentUntil, soundAtClick + kSoundBytesPerSecond), 0.02f)
                    << "no clap when the racket hit the ball";
            }
        }

        if (ball + 1 == kStartLives) break;
        const bool lost = WaitForPicture(id, 90, image, fault, [&](const Image& i) {
            return AtRestFault(screen, i, kStartLives - 1 - ball);
        });
        capture::SaveForViewing(image, tag + "-lost-" + std::to_string(ball + 1));
        ASSERT_TRUE(lost) << fault;
        const int now = screen.ReadScore(image);
        // The first brick of a hit is worth one point.
        if (ball == 0) {
            EXPECT_EQ(now, 1);
        }
        EXPECT_GT(now, score) << "no brick was hit";
        score = now;

        EXPECT_GE(screen.BricksGoneSince(atStart, image), ball + 1) << "a hit brick is still on the screen";
    }

    result.box = game.WaitForWindowOtherThan(id, 90);
    ASSERT_FALSE(result.box.empty()) << "no box after the last ball was lost";
    EXPECT_EQ(e2e::Shell("xdotool getwindowname " + result.box), "");
    ASSERT_TRUE(game.WaitForManaged(result.box, 30));
    // The empty caption is shown empty, not as the window manager's "Unnamed Window".
    if (kOurWindowSystem) {
        EXPECT_EQ(e2e::Shell("xprop -id " + result.box + " _NET_WM_VISIBLE_NAME"), "_NET_WM_VISIBLE_NAME(UTF8_STRING) = ");
    }
    Image box;
    ASSERT_TRUE(WaitForPicture(result.box, 30, box, fault, [](const Image& i) {
        return DarkPixels(i) > 20 ? "" : "the box shows no text";
    })) << fault;
    capture::SaveForViewing(box, tag + "-game-over");

    const bool shown = WaitForPicture(id, 30, image, fault, [&](const Image& i) -> std::string {
        if (screen.ReadLives(i) != 0) return "lives read " + std::to_string(screen.ReadLives(i));
        return screen.ReadScore(i) < 0 ? "the score cannot be read" : "";
    });
    capture::SaveForViewing(image, tag + "-end");
    ASSERT_TRUE(shown) << fault;
    result.shownScore = screen.ReadScore(image);
    EXPECT_GT(result.shownScore, score);
}

std::vector<std::string> SoundEnvironment() {
    // A buffer every 10 ms, so the file grows with the game's time.
    return {"SDL_AUDIODRIVER=disk", std::string("SDL_DISKAUDIOFILE=") + kSoundFile, "SDL_DISKAUDIODELAY=10"};
}

void CloseBox(Program& game, const std::string& box) {
    ASSERT_TRUE(game.Activate(box, 30)) << "the box never got the keyboard focus";
    e2e::PressKey("Return");
}

// Waits for the results dialog, checks where it is and which lines hold text,
// sees the bricks left beside it and closes it.
void ReadAndCloseResults(Program& game, const std::string& mainWindow, const std::string& tag,
                         std::vector<bool>& lines) {
    const std::string results = game.WaitForWindow("Best results", 30);
    ASSERT_FALSE(results.empty()) << "the results did not appear";
    ASSERT_TRUE(game.WaitForManaged(results, 30));
    ExpectWhereItsTemplatePutsIt(mainWindow, results, tag + "-results");
    Image image;
    std::string fault;
    const Geometry main = GeometryOf(mainWindow), dialog = FramedGeometryOf(results);
    const bool beside = WaitForPicture(RootWindow(), 30, image, fault, [&](const Image& i) {
        return BricksBesideFault(i, main, dialog);
    });
    capture::SaveForViewing(image, tag + "-results-desktop");
    EXPECT_TRUE(beside) << fault;
    const bool filled = WaitForPicture(results, 30, image, fault, [](const Image& i) {
        return LinesWithText(i)[0] ? "" : "the first line is empty";
    });
    capture::SaveForViewing(image, tag + "-results");
    ASSERT_TRUE(filled) << fault;
    lines = LinesWithText(image);
    ASSERT_TRUE(game.Activate(results, 30));
    e2e::PressKey("Return");
}

TEST(GamePlay, AWholeGameEndsWithTheNameTypedInTheTableAndItsFile) {
    KESTROVA_REQUIRE_GL(plat::gl::ProbeRenderer().available);
    Program game(SoundEnvironment());
    GameResult result;
    ASSERT_NO_FATAL_FAILURE(PlayUntilGameOver(game, kSoundHeard, "first", result));
    if (kOurWindowSystem) {
        ExpectADialogOf(result.mainWindow, result.box, "game-over");
        ExpectCentredOver(result.mainWindow, result.box);
    }
    ASSERT_NO_FATAL_FAILURE(CloseBox(game, result.box));

    const std::string dialog = game.WaitForWindow("Enter your name", 30);
    ASSERT_FALSE(dialog.empty()) << "no name was asked for";
    ASSERT_TRUE(game.WaitForManaged(dialog, 30));
    if (kOurWindowSystem) ExpectADialogOf(result.mainWindow, dialog, "name");
    ExpectWhereItsTemplatePutsIt(result.mainWindow, dialog, "name");
    ASSERT_TRUE(game.Activate(dialog, 30));
    const std::string name = "Zoë Kovač";
    ASSERT_TRUE(e2e::TypeText(name));
    e2e::PressKey("Return");

    const std::string results = game.WaitForWindow("Best results", 30);
    ASSERT_FALSE(results.empty()) << "the results did not appear";
    ASSERT_TRUE(game.WaitForManaged(results, 30));
    if (kOurWindowSystem) ExpectADialogOf(result.mainWindow, results, "results");
    std::vector<bool> lines;
    ASSERT_NO_FATAL_FAILURE(ReadAndCloseResults(game, result.mainWindow, "first", lines));
    EXPECT_EQ(Count(lines), 1) << "one result, on the first line";
    EXPECT_EQ(game.WaitForExit(60), 0);

    const std::string file = ReadFile(game.directory() + "/Kestrova.res");
    ASSERT_EQ(file.size(), 4u + kRecordBytes);
    EXPECT_EQ(GetInt32(file, 0), 1);
    std::string field = name;
    field.resize(kNameField, '\0');
    EXPECT_EQ(file.substr(4, kNameField), field);
    EXPECT_EQ(GetInt32(file, 4 + kNameField), result.shownScore);
}

TEST(GamePlay, AGameBelowAFullTableGoesStraightToTheResultsAndLeavesTheFileAlone) {
    KESTROVA_REQUIRE_GL(plat::gl::ProbeRenderer().available);
    std::vector<std::pair<std::string, int>> records;
    for (int k = 0; k < kTableSize; ++k) records.emplace_back("Champion " + std::to_string(k + 1), 99000 - 1000 * k);
    const std::string table = ScoreFile(records);
    Program game(SoundEnvironment(), {{"Kestrova.res", table}});
    GameResult result;
    ASSERT_NO_FATAL_FAILURE(PlayUntilGameOver(game, false, "full", result));
    ASSERT_NO_FATAL_FAILURE(CloseBox(game, result.box));

    ASSERT_FALSE(game.WaitForWindow("Best results", 30).empty()) << "the results did not appear";
    EXPECT_FALSE(game.HasWindow("Enter your name"));
    std::vector<bool> lines;
    ASSERT_NO_FATAL_FAILURE(ReadAndCloseResults(game, result.mainWindow, "full", lines));
    EXPECT_EQ(Count(lines), kTableSize);
    EXPECT_EQ(game.WaitForExit(60), 0);
    EXPECT_EQ(ReadFile(game.directory() + "/Kestrova.res"), table);
}

#if defined(KESTROVA_UNDER_WINE)
// Pixels of two pictures of one size further apart than `tolerance` in some
// channel, outside the wall of bricks, whose colours are random.
int DifferentOutsideTheBricks(const GameScreen& screen, const Image& a, const Image& b, int tolerance) {
    const Pixel corner1 = screen.Project(48, 2, 48), corner2 = screen.Project(-48, 2, -48);
    const int left = std::min(corner1.x, corner2.x) - 2, right = std::max(corner1.x, corner2.x) + 2;
    const int top = std::min(corner1.y, corner2.y) - 2, bottom = std::max(corner1.y, corner2.y) + 2;
    int different = 0;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (x >= left && x <= right && y >= top && y <= bottom) continue;
            const std::uint32_t p = a.At(x, y), q = b.At(x, y);
            for (int shift : {16, 8, 0}) {
                if (std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((q >> shift) & 0xFF)) > tolerance) {
                    ++different;
                    break;
                }
            }
        }
    }
    return different;
}

// One renderer on one Mesa: the Windows build's first picture is the Linux
// build's at the same client size, court, displays, ball, shadows and racket.
TEST(GamePlay, TheFirstPictureIsTheLinuxBuildsAtTheSameSize) {
    KESTROVA_REQUIRE_GL(plat::gl::ProbeRenderer().available);
    std::string id;
    Image onLinux;
    {
        Program game({}, {}, KESTROVA_LINUX_EXE);
        ASSERT_NO_FATAL_FAILURE(WaitForStart(game, "linux", id, onLinux));
        e2e::PressKey("alt+F4");
        EXPECT_EQ(game.WaitForExit(30), 0);
    }
    Program game;
    Image onWindows;
    ASSERT_NO_FATAL_FAILURE(WaitForStart(game, "windows", id, onWindows, Pixel{onLinux.width, onLinux.height}));
    const GameScreen screen(onLinux.width, onLinux.height);
    // A few edge pixels may fall either way; anything more is a different picture.
    const int allowed = onLinux.width * onLinux.height / 1000;
    std::string fault;
    const bool same = WaitForPicture(id, 30, onWindows, fault, [&](const Image& i) -> std::string {
        if (i.width != onLinux.width || i.height != onLinux.height) return "the window changed its size";
        const int different = DifferentOutsideTheBricks(screen, onLinux, i, 8);
        return different <= allowed ? "" : std::to_string(different) + " pixels differ from the Linux build's";
    });
    capture::SaveForViewing(onWindows, "windows-compared");
    EXPECT_TRUE(same) << fault;
    e2e::PressKey("alt+F4");
    EXPECT_EQ(game.WaitForExit(30), 0);
}
#endif

}  // namespace

// Nothing moves while the ball waits, so no timer tick draws; a window that was
// covered or minimised must still come back with its picture.
TEST(GamePlay, ACoveredOrMinimisedWindowComesBackWithTheSamePicture) {
    KESTROVA_REQUIRE_GL(plat::gl::ProbeRenderer().available);
    Program game;
    const std::string id = game.WaitForWindow("Kestrova", 30);
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(game.WaitForManaged(id, 30));
    ASSERT_TRUE(game.Activate(id, 30));
    Image before;
    ASSERT_TRUE(capture::CaptureWindow(id, before));
    const GameScreen screen(before.width, before.height);
    e2e::MoveMouse(id, 4, before.height - 4);
    std::string fault;
    ASSERT_TRUE(WaitForPicture(id, 30, before, fault, [&](const Image& i) { return StartFault(screen, i); })) << fault;
    // Two equal pictures in a row: the racket has settled where the mouse is.
    Image again;
    ASSERT_TRUE(WaitForPicture(id, 30, again, fault, [&](const Image& i) -> std::string {
        const bool same = i.pixels == before.pixels;
        before = i;
        return same ? "" : "the picture is still changing";
    })) << fault;

    // Covered by another window and uncovered: only the paint brings the picture back.
    e2e::Shell("xmessage -geometry 4000x4000+0+0 cover >/dev/null 2>&1 & echo $! > " + game.directory() + "/cover");
    e2e::Shell("xdotool search --sync --onlyvisible --name '^xmessage$' >/dev/null");
    e2e::Shell("kill $(cat " + game.directory() + "/cover)");
    Image after;
    const bool uncovered = WaitForPicture(id, 30, after, fault, [&](const Image& i) {
        return i.pixels == before.pixels ? "" : "the picture differs from the one before";
    });
    capture::SaveForViewing(after, "uncovered");
    EXPECT_TRUE(uncovered) << fault;

    e2e::Shell("xdotool windowminimize --sync " + id);
    ASSERT_TRUE(game.Activate(id, 30)) << "the window did not come back";
    const bool restored = WaitForPicture(id, 30, after, fault, [&](const Image& i) {
        return i.pixels == before.pixels ? "" : "the picture differs from the one before";
    });
    capture::SaveForViewing(after, "restored");
    EXPECT_TRUE(restored) << fault;
    e2e::Shell("xdotool key alt+F4");
    EXPECT_EQ(game.WaitForExit(30), 0);
}

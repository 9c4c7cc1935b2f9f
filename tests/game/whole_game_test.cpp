// Whole games played only through the main window's messages: mouse moves,
// left clicks and timer ticks, pumped as the message loop would, without
// rendering. A scripted player aims by predicting the flight; the test keeps
// its own account of the score from the bricks it sees disappear.
#include <algorithm>
#include <cstdio>
#include <string>

#include "app/view_manager.h"
#include "tests/game/game_fixture.h"

namespace {

using namespace gametest;

constexpr int kFlightTicks = 150;  // how far ahead a shot is predicted

class WholeGameTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        if (HasFatalFailure() || IsSkipped()) return;
        RECT client{};
        GetClientRect(mainWindow, &client);
        width = client.right;
        height = client.bottom;
        ASSERT_GT(width, 0);
        ASSERT_GT(height, 0);
        testsupport::OnModalBox([this](HWND box) {
            ++boxes;
            inPlayAtBox = game->inPlay;
            livesAtBox = game->lives;
            levelAtBox = game->level;
            testsupport::PressEnter(box);
        });
    }

    // Dispatches what is queued; stops once the game is over, so that the
    // close request it leaves stays in the queue.
    void Pump() {
        MSG msg;
        while (boxes == 0 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) DispatchMessageA(&msg);
        }
    }

    // One timer tick, and the account of the bricks it removed.
    void Tick() {
        SceneObject* before[kBrickSlots];
        std::memcpy(before, game->bricks, sizeof before);
        const int levelBefore = game->level;
        const int standingBefore = BricksStanding();
        PostMessageA(mainWindow, WM_TIMER, 0, 0);
        Pump();
        ++ticks;
        int removed = 0;
        if (game->level != levelBefore) {
            removed = standingBefore;  // the level was cleared; its slots may hold new bricks
            if (game->level == 2) {
                EXPECT_EQ(BricksStanding(), 306);
                EXPECT_FALSE(game->inPlay);
                EXPECT_TRUE(Near(game->ball->position, 0, -100, 0));
            }
        } else {
            for (int slot = 0; slot < kBrickSlots; ++slot) removed += before[slot] && !game->bricks[slot];
        }
        EXPECT_LE(removed, 2) << "tick " << ticks;
        if (removed > 0) {
            ++sinceClick;
            expectedScore += sinceClick * removed;  // a jumped-over brick scores as the one hit
        }
        EXPECT_EQ(game->bricksLeft, BricksStanding()) << "tick " << ticks;
        EXPECT_EQ(Shown(game->scoreDisplay), ThreeDigits(expectedScore)) << "tick " << ticks;
    }

    static std::string ThreeDigits(int score) {
        char text[8];
        std::snprintf(text, sizeof text, "%03d", score % 1000);
        return text;
    }

    void Click(unsigned x, unsigned y) {
        const float ballY = game->ball->position.y;
        ASSERT_TRUE(ballY >= -150.0f && ballY <= -50.0f) << "a click the game would ignore";
        PostMessageA(mainWindow, WM_MOUSEMOVE, 0, static_cast<LPARAM>(x | y << 16));
        PostMessageA(mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, static_cast<LPARAM>(x | y << 16));
        Pump();
        EXPECT_TRUE(game->inPlay);
        sinceClick = 0;
        ++clicks;
    }

    // Where the mouse ray of a pixel meets the racket plane, as the game's
    // hit finds it.
    bool RayPoint(unsigned x, unsigned y, float& hx, float& hz) {
        D3DRMVECTOR4D nearScreen{static_cast<float>(x), static_cast<float>(y), 1.0f, 1.0f};
        D3DRMVECTOR4D farScreen{static_cast<float>(x), static_cast<float>(y), 100.0f, 1.0f};
        D3DVECTOR a{}, b{};
        game->viewport->InverseTransform(&a, &nearScreen);
        game->viewport->InverseTransform(&b, &farScreen);
        if (b.y == a.y) return false;
        const float s = (kRacketPlaneY - a.y) / (b.y - a.y);
        hx = a.x + s * (b.x - a.x);
        hz = a.z + s * (b.z - a.z);
        return true;
    }

    // The velocity a hit from the racket point gives the ball:
    // v' = v - 1.6 (v.n) n + 40 n, none when the ball already moves away.
    D3DVECTOR HitVelocity(float hx, float hz) const {
        const D3DVECTOR b = game->ball->position, v = game->ball->velocity;
        const float nx = b.x - hx, ny = b.y - kRacketPlaneY, nz = b.z - hz;
        const float length = std::sqrt(nz * nz + ny * ny + nx * nx);
        const D3DVECTOR n{nx / length, ny / length, nz / length};
        const float d = v.z * n.z + v.y * n.y + v.x * n.x;
        if (d > 0) return v;
        const float k = 1.6f * d;
        return D3DVECTOR{v.x - k * n.x + 40.0f * n.x, v.y - k * n.y + 40.0f * n.y, v.z - k * n.z + 40.0f * n.z};
    }

    static bool CellOf(float c, int& cell) {
        const float scaled = (c + 50.0f) * 0.1f;
        if (!(scaled > -1.0f && scaled < 10.0f)) return false;
        cell = static_cast<int>(scaled);
        return true;
    }

    // Flies the ball from its position with velocity v, tick by tick as the
    // game does (parabola per 0.066 s step, court walls, floor and ceiling),
    // until it enters the cell of a standing brick (returned), is lost or
    // the prediction runs out (-1). miss: its closest approach to the target.
    int Predict(D3DVECTOR v, int target, float& miss) const {
        const D3DVECTOR g = gravity, lo = game->court->minCorner, hi = game->court->maxCorner;
        const float r = game->ball->radius, t = kTickSeconds;
        const D3DVECTOR goal{(target / 100) * 10 - 45.0f, (target / 10 % 10) * 10 - 45.0f, (target % 10) * 10 - 45.0f};
        D3DVECTOR p = game->ball->position;
        miss = 1e9f;
        for (int tick = 0; tick < kFlightTicks; ++tick) {
            float X = p.x + v.x * t + 0.5f * g.x * t * t;
            float Y = p.y + v.y * t + 0.5f * g.y * t * t;
            float Z = p.z + v.z * t + 0.5f * g.z * t * t;
            float VX = v.x + g.x * t, VY = v.y + g.y * t, VZ = v.z + g.z * t;
            if (lo.x + r > X) {
                X = 2 * (lo.x + r) - X;
                VX = -VX;
            } else if (Z - r < lo.z) {
                Z = 2 * (lo.z + r) - Z + 0.5f * g.z * t * t;
                VZ = -(VZ - g.z * t);
            }
            if (X + r > hi.x) {
                X = 2 * (hi.x - r) - X;
                VX = -VX;
            } else if (Y + r > hi.y) {
                Y = 2 * (hi.y - r) - Y;
                VY = -VY;
            } else if (Z + r > hi.z) {
                Z = 2 * (hi.z - r) - Z + 0.5f * g.z * t * t;
                VZ = -(VZ - g.z * t);
            }
            p = D3DVECTOR{X, Y, Z};
            v = D3DVECTOR{VX, VY, VZ};
            const float dx = X - goal.x, dy = Y - goal.y, dz = Z - goal.z;
            miss = std::min(miss, std::sqrt(dx * dx + dy * dy + dz * dz));
            if (Y < -200.0f) return -1;
            int cx, cy, cz;
            if (CellOf(X, cx) && CellOf(Y, cy) && CellOf(Z, cz) && game->bricks[100 * cx + 10 * cy + cz]) {
                return 100 * cx + 10 * cy + cz;
            }
        }
        return -1;
    }

    // Lower is better: the target hit centrally, then any brick hit, then
    // the nearest miss.
    float Cost(float hx, float hz, int target) const {
        float miss = 0;
        const int hit = Predict(HitVelocity(hx, hz), target, miss);
        if (hit == target) return miss;
        if (hit >= 0) return 100.0f + miss;
        return 1000.0f + miss;
    }

    // The standing brick nearest to the ball.
    int PickTarget() const {
        const D3DVECTOR b = game->ball->position;
        int best = -1;
        float bestDistance = 0;
        for (int slot = 0; slot < kBrickSlots; ++slot) {
            if (!game->bricks[slot]) continue;
            const D3DVECTOR c = game->bricks[slot]->position;
            const float d = (c.x - b.x) * (c.x - b.x) + (c.y - b.y) * (c.y - b.y) + (c.z - b.z) * (c.z - b.z);
            if (best < 0 || d < bestDistance) best = slot, bestDistance = d;
        }
        return best;
    }

    // Searches the racket plane, coarse then fine, for the point whose hit
    // sends the ball into the target; then the pixels around that point's
    // own pixel, with the points their rays really meet.
    void Aim(unsigned& px, unsigned& py) {
        const int target = PickTarget();
        float x0 = 0, z0 = 0, x1 = 0, z1 = 0;
        ASSERT_TRUE(RayPoint(0, 0, x0, z0));
        ASSERT_TRUE(RayPoint(width - 1, height - 1, x1, z1));
        const float loX = std::min(x0, x1), hiX = std::max(x0, x1), loZ = std::min(z0, z1), hiZ = std::max(z0, z1);
        constexpr int kCoarse = 40, kFine = 10;
        const float stepX = (hiX - loX) / kCoarse, stepZ = (hiZ - loZ) / kCoarse;
        float bestX = 0, bestZ = 0, best = 1e30f;
        for (int i = 0; i <= kCoarse; ++i) {
            for (int j = 0; j <= kCoarse; ++j) {
                const float hx = loX + i * stepX, hz = loZ + j * stepZ;
                const float c = Cost(hx, hz, target);
                if (c < best) best = c, bestX = hx, bestZ = hz;
            }
        }
        const float centreX = bestX, centreZ = bestZ;
        for (int i = -kFine; i <= kFine; ++i) {
            for (int j = -kFine; j <= kFine; ++j) {
                const float hx = centreX + i * stepX / kFine, hz = centreZ + j * stepZ / kFine;
                if (hx < loX || hx > hiX || hz < loZ || hz > hiZ) continue;  // off the window
                const float c = Cost(hx, hz, target);
                if (c < best) best = c, bestX = hx, bestZ = hz;
            }
        }
        unsigned cx = 0, cy = 0;
        PixelOf(D3DVECTOR{bestX, kRacketPlaneY, bestZ}, cx, cy);
        float bestPixel = 1e30f;
        for (int dx = -3; dx <= 3; ++dx) {
            for (int dy = -3; dy <= 3; ++dy) {
                const int x = std::clamp(static_cast<int>(cx), 0, width - 1) + dx;
                const int y = std::clamp(static_cast<int>(cy), 0, height - 1) + dy;
                if (x < 0 || y < 0 || x >= width || y >= height) continue;
                float hx = 0, hz = 0;
                if (!RayPoint(x, y, hx, hz)) continue;
                const float c = Cost(hx, hz, target);
                if (c < bestPixel) bestPixel = c, px = x, py = y;
            }
        }
        ASSERT_LT(bestPixel, 1e30f) << "no pixel in the window near " << bestX << ", " << bestZ;
    }

    // After the box: the game asked to close the main window.
    bool CloseQueued() {
        MSG msg;
        bool closing = false;
        while (PeekMessageA(&msg, mainWindow, 0, 0, PM_REMOVE)) {
            closing = closing || msg.message == WM_CLOSE;
            if (msg.message == WM_PAINT) DispatchMessageA(&msg);
        }
        return closing;
    }

    int width = 0, height = 0;
    int boxes = 0, livesAtBox = -1, levelAtBox = -1;
    bool inPlayAtBox = false;
    int ticks = 0, clicks = 0;
    int sinceClick = 0, expectedScore = 0;
};

TEST_F(WholeGameTest, APlayerWhoAimsClearsBothLevels) {
    std::srand(2024);
    constexpr int kBudget = 40000;
    while (boxes == 0 && ticks < kBudget && !HasFailure()) {
        const D3DVECTOR p = game->ball->position, v = game->ball->velocity;
        if (!game->inPlay || (p.y >= -150.0f && p.y <= -50.0f && v.y < 0)) {
            unsigned x = 0, y = 0;
            Aim(x, y);
            float hx = 0, hz = 0;
            ASSERT_TRUE(RayPoint(x, y, hx, hz));
            const D3DVECTOR expected = HitVelocity(hx, hz);
            Click(x, y);
            EXPECT_TRUE(Near(game->ball->velocity, expected.x, expected.y, expected.z, 1e-3f));
        }
        Tick();
    }
    ASSERT_EQ(boxes, 1) << "not cleared in " << ticks << " ticks; level " << game->level << ", "
                        << game->bricksLeft << " bricks left, " << clicks << " clicks";
    EXPECT_EQ(levelAtBox, 3);
    EXPECT_TRUE(inPlayAtBox) << "level 2 cleared with the ball in flight";
    EXPECT_GT(livesAtBox, 0);
    EXPECT_EQ(game->bricksLeft, 0);
    EXPECT_EQ(BricksStanding(), 0);
    EXPECT_EQ(finalScore, expectedScore);
    EXPECT_EQ(Shown(game->scoreDisplay), ThreeDigits(finalScore));
    EXPECT_TRUE(CloseQueued());
    RecordProperty("ticks", ticks);
    RecordProperty("clicks", clicks);
    RecordProperty("score", finalScore);
}

TEST_F(WholeGameTest, APlayerWhoNeverReturnsTheBallLosesFive) {
    std::srand(77);
    constexpr int kBudget = 5000;
    int launches = 0;
    while (boxes == 0 && ticks < kBudget && !HasFailure()) {
        if (!game->inPlay) {
            // Launched anywhere in the middle of the window, never met again.
            const unsigned x = width / 4 + std::rand() % (width / 2), y = height / 4 + std::rand() % (height / 2);
            Click(x, y);
            ++launches;
        }
        const int livesBefore = game->lives;
        Tick();
        if (game->lives != livesBefore) {
            EXPECT_EQ(game->lives, livesBefore - 1);
            EXPECT_EQ(game->lives, kStartLives - launches);
            char shown[4];
            std::snprintf(shown, sizeof shown, "%02d", game->lives);
            EXPECT_EQ(Shown(game->livesDisplay), shown);
            EXPECT_FALSE(game->inPlay);
        }
    }
    ASSERT_EQ(boxes, 1) << "not over in " << ticks << " ticks; " << game->lives << " lives left";
    EXPECT_EQ(launches, 5);
    EXPECT_EQ(livesAtBox, 0);
    EXPECT_FALSE(inPlayAtBox);
    EXPECT_EQ(game->lives, 0);
    EXPECT_EQ(Shown(game->livesDisplay), "00");
    EXPECT_GT(expectedScore, 0) << "five flights through the wall hit something";
    EXPECT_EQ(finalScore, expectedScore);
    EXPECT_EQ(Shown(game->scoreDisplay), ThreeDigits(finalScore));
    EXPECT_TRUE(CloseQueued());
}

}  // namespace

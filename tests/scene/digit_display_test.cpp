#include <string>
#include <utility>

#include "scene/digit_display.h"
#include "tests/scene/scene_helpers.h"

namespace {

using namespace scenetest;

class DigitDisplayTest : public SceneTest {};

// Lit segments of 0..9 in segment order top, upper left, upper right, middle,
// lower left, lower right, bottom.
const char* const kPatterns[10] = {"1110111", "0010010", "1011101", "1011011", "0111010",
                                   "1101011", "1101111", "1010010", "1111111", "1111011"};

// What digit d shows, read off its segments' meshes.
std::string Shown(DigitDisplay& display, int d) {
    std::string pattern;
    for (int s = 0; s < kSegmentsPerDigit; ++s) {
        Ref<IDirect3DRMMeshBuilder> mesh;
        mesh.p = MeshOf(display.digits[d][s]->frame);
        std::vector<FaceData> faces = FacesOf(mesh);
        if (faces.size() != 1) return "no single face";
        pattern += faces[0].color == kSegmentLit ? '1' : faces[0].color == kSegmentUnlit ? '0' : '?';
    }
    return pattern;
}

TEST_F(DigitDisplayTest, NumbersShowTheirLastDigitsWithLeadingZeros) {
    DigitDisplay score(3, 5.0f, 0.5f, 0.1f, 2.0f);
    for (int value = 0; value <= 9; ++value) {
        score.ShowNumber(value);
        EXPECT_EQ(Shown(score, 0), kPatterns[value]) << value;
    }
    score.ShowNumber(7);
    EXPECT_EQ(Shown(score, 2), kPatterns[0]);
    EXPECT_EQ(Shown(score, 1), kPatterns[0]);
    EXPECT_EQ(Shown(score, 0), kPatterns[7]);
    score.ShowNumber(1234);
    EXPECT_EQ(Shown(score, 2), kPatterns[2]);
    EXPECT_EQ(Shown(score, 1), kPatterns[3]);
    EXPECT_EQ(Shown(score, 0), kPatterns[4]);

    DigitDisplay lives(2, 5.0f, 0.5f, 0.1f, 2.5f);
    lives.ShowNumber(5);
    EXPECT_EQ(Shown(lives, 1), kPatterns[0]);
    EXPECT_EQ(Shown(lives, 0), kPatterns[5]);
    lives.ShowNumber(-12);  // remainders -2 and -1 fall through to the pattern of 9
    EXPECT_EQ(Shown(lives, 1), kPatterns[9]);
    EXPECT_EQ(Shown(lives, 0), kPatterns[9]);

    DigitDisplay single(1, 5.0f, 0.5f, 0.1f, 2.0f);
    single.ShowNumber(42);
    EXPECT_EQ(Shown(single, 0), kPatterns[2]);
}

// A segment that notes every colour it is given.
struct RecordingSegment : SceneObject {
    RecordingSegment(std::vector<std::pair<int, int>>& log, int d, int s) : log(log), d(d), s(s) {}
    ~RecordingSegment() override { log.push_back({-1, -1}); }
    void SetColor(D3DCOLOR c) override {
        log.push_back({d, s});
        SceneObject::SetColor(c);
    }
    std::vector<std::pair<int, int>>& log;
    int d, s;
};

TEST_F(DigitDisplayTest, EveryDigitGetsExactlySevenColoursInSegmentOrder) {
    std::vector<std::pair<int, int>> log;
    auto* display = new DigitDisplay(3, 5.0f, 0.5f, 0.1f, 2.0f);
    for (int d = 0; d < 3; ++d) {
        for (int s = 0; s < kSegmentsPerDigit; ++s) {
            display->frame->DeleteChild(display->digits[d][s]->frame);
            delete display->digits[d][s];
            display->digits[d][s] = new RecordingSegment(log, d, s);
        }
    }
    display->ShowNumber(7);
    std::vector<std::pair<int, int>> expected;
    for (int d = 0; d < 3; ++d) {
        for (int s = 0; s < kSegmentsPerDigit; ++s) expected.push_back({d, s});
    }
    EXPECT_EQ(log, expected);
    log.clear();
    delete display;
    EXPECT_EQ(log.size(), 21u) << "the display deletes every segment";
}

TEST_F(DigitDisplayTest, SegmentsAreHexagonsOnTheDigitGridFacingPlusZ) {
    auto* score = new DigitDisplay(3, 5.0f, 0.5f, 0.1f, 2.0f);
    score->SetParentFrame(world);
    auto span = [&](int d, int s) {
        Ref<IDirect3DRMMeshBuilder> mesh;
        mesh.p = MeshOf(score->digits[d][s]->frame);
        FaceData face = FacesOf(mesh).at(0);
        EXPECT_EQ(face.vertices.size(), 6u);
        EXPECT_TRUE(Near(face.normal, 0, 0, 1)) << "digit " << d << " segment " << s;
        float lo[2] = {1e9f, 1e9f}, hi[2] = {-1e9f, -1e9f};
        for (const D3DVECTOR& v : face.vertices) {
            EXPECT_EQ(v.z, 0.0f);
            lo[0] = std::min(lo[0], v.x), hi[0] = std::max(hi[0], v.x);
            lo[1] = std::min(lo[1], v.y), hi[1] = std::max(hi[1], v.y);
        }
        return std::vector<float>{lo[0], hi[0], lo[1], hi[1]};
    };
    auto expectSpan = [](std::vector<float> got, float x0, float x1, float y0, float y1) {
        EXPECT_NEAR(got[0], x0, 1e-4f);
        EXPECT_NEAR(got[1], x1, 1e-4f);
        EXPECT_NEAR(got[2], y0, 1e-4f);
        EXPECT_NEAR(got[3], y1, 1e-4f);
    };
    expectSpan(span(2, 0), 0.6f, 5.4f, 0, 1);       // top of the most significant digit
    expectSpan(span(2, 6), 0.6f, 5.4f, 10, 11);     // its bottom
    expectSpan(span(2, 5), 5, 6, 5.6f, 10.4f);      // its lower right
    expectSpan(span(0, 1), 14, 15, 0.6f, 5.4f);     // upper left of the least significant digit, 2 cells on
    expectSpan(span(1, 3), 7.6f, 12.4f, 5, 6);      // middle of the digit between

    IDirect3DRMFrame* segment = score->digits[0][0]->frame;
    segment->AddRef();
    IDirect3DRMFrame* parent = nullptr;
    segment->GetParent(&parent);
    EXPECT_EQ(parent, score->frame) << "segments hang under the display";
    if (parent) parent->Release();
    delete score;
    segment->GetParent(&parent);
    EXPECT_EQ(parent, nullptr) << "a destroyed display takes its segments out";
    segment->Release();
}

}  // namespace

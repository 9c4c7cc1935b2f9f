#include "scene/digit_display.h"

#include "render/graphics_startup.h"

namespace {

enum Segment { kTop, kUpperLeft, kUpperRight, kMiddle, kLowerLeft, kLowerRight, kBottom };

// Whether segment s is lit for v. Values outside 0..9 (the negative remainders
// of a negative number) fall through every rule and show the pattern of 9.
bool Lit(int s, int v) {
    switch (s) {
    case kTop: return v != 1 && v != 4;
    case kUpperLeft: return v != 1 && v != 2 && v != 3 && v != 7;
    case kUpperRight: return v != 5 && v != 6;
    case kMiddle: return v != 0 && v != 1 && v != 7;
    case kLowerLeft: return v == 0 || v == 2 || v == 6 || v == 8;
    case kLowerRight: return v != 2;
    default: return v != 1 && v != 4 && v != 7;
    }
}

}  // namespace

DigitDisplay::DigitDisplay(int count, float length, float width, float gap, float spacing)
    : digits(nullptr),
      digitCount(count > 0 ? count : 0),
      digitSpacing(spacing),
      segmentLength(length),
      halfWidth(width),
      endGap(gap) {
    digits = new SceneObject**[digitCount > 0 ? digitCount : 1];
    for (int d = 0; d < digitCount; ++d) {
        digits[d] = new SceneObject*[kSegmentsPerDigit];
        for (int s = 0; s < kSegmentsPerDigit; ++s) digits[d][s] = new SceneObject;
        BuildDigit(d);
    }
}

DigitDisplay::~DigitDisplay() {
    for (int d = 0; d < digitCount; ++d) {
        for (int s = 0; s < kSegmentsPerDigit; ++s) {
            if (frame && digits[d][s]->frame) frame->DeleteChild(digits[d][s]->frame);
            delete digits[d][s];
        }
        delete[] digits[d];
    }
    delete[] digits;
}

// Each segment is a hexagon 2T thick, offset by (T, T) from the digit's
// nominal corners, its pointed ends stopping G short of the segments it meets;
// every face shows its front towards +z.
void DigitDisplay::BuildDigit(int d) {
    const float L = segmentLength, T = halfWidth, G = endGap;
    const float x = static_cast<float>(digitCount - 1 - d) * (digitSpacing + segmentLength);
    const struct {
        bool horizontal;
        float ox, oy;
    } layout[kSegmentsPerDigit] = {
        {true, x, 0}, {false, x, 0}, {false, x + L, 0}, {true, x, L}, {false, x, L}, {false, x + L, L}, {true, x, 2 * L},
    };
    for (int s = 0; s < kSegmentsPerDigit; ++s) {
        SceneObject* segment = digits[d][s];
        const float ox = layout[s].ox, oy = layout[s].oy;
        IDirect3DRMMeshBuilder* mesh = nullptr;
        if (!retainedMode || FAILED(retainedMode->CreateMeshBuilder(&mesh))) continue;
        IDirect3DRMFace* face = nullptr;
        if (SUCCEEDED(mesh->CreateFace(&face))) {
            if (layout[s].horizontal) {
                face->AddVertex(ox + G + T, oy + T, 0);
                face->AddVertex(ox + G + 2 * T, oy, 0);
                face->AddVertex(ox + L - G, oy, 0);
                face->AddVertex(ox + L - G + T, oy + T, 0);
                face->AddVertex(ox + L - G, oy + 2 * T, 0);
                face->AddVertex(ox + G + 2 * T, oy + 2 * T, 0);
            } else {
                face->AddVertex(ox + T, oy + G + T, 0);
                face->AddVertex(ox + 2 * T, oy + G + 2 * T, 0);
                face->AddVertex(ox + 2 * T, oy + L - G, 0);
                face->AddVertex(ox + T, oy + L - G + T, 0);
                face->AddVertex(ox, oy + L - G, 0);
                face->AddVertex(ox, oy + G + 2 * T, 0);
            }
        }
        if (segment->frame) segment->frame->AddVisual(mesh);
        if (face) face->Release();
        mesh->Release();
        segment->AttachTo(this);
    }
}

// Digits beyond the display are dropped; leading places show 0.
void DigitDisplay::ShowNumber(int value) {
    for (int i = 0; i < digitCount; ++i) {
        SetDigit(i, value % 10);
        value /= 10;
    }
}

void DigitDisplay::SetDigit(int index, int digitValue) {
    if (index < 0 || index >= digitCount) return;
    for (int s = 0; s < kSegmentsPerDigit; ++s) {
        digits[index][s]->SetColor(Lit(s, digitValue) ? kSegmentLit : kSegmentUnlit);
    }
}

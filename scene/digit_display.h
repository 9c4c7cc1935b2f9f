// A row of seven-segment digits made of flat hexagons; every segment is always
// drawn, red when lit and dark green when not.
#pragma once

#include "scene/scene_object.h"

class DigitDisplay : public SceneObject {
public:
    DigitDisplay(int digitCount, float segmentLength, float halfWidth, float endGap, float digitSpacing);
    ~DigitDisplay() override;

    void ShowNumber(int value);
    void SetDigit(int index, int digitValue);

    // digits[0] is the least significant digit; each holds its 7 segments.
    SceneObject*** digits;
    int digitCount;
    float digitSpacing;
    float segmentLength;
    float halfWidth;
    float endGap;

private:
    void BuildDigit(int d);
};

constexpr int kSegmentsPerDigit = 7;
constexpr D3DCOLOR kSegmentLit = 0xFFFF0000;
constexpr D3DCOLOR kSegmentUnlit = 0xFF006600;

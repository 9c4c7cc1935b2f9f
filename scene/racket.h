// The racket: a black square outline in the x-z plane of its own frame, which
// the game view moves and turns with the mouse.
#pragma once

#include "scene/scene_object.h"

class Racket : public SceneObject {
public:
    explicit Racket(float halfSize);

    float halfSize;
};

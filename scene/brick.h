// A brick is a plain scene object carrying one coloured cube.
#pragma once

#include "scene/scene_object.h"

// A new brick, owned by the caller, neither attached nor placed. Its own
// colour field keeps its first value; the cube carries `color`.
SceneObject* CreateBrick(float halfSize, D3DCOLOR color);

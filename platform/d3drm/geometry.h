// Vector, frame-placement and projection arithmetic of Retained Mode, free of
// any platform so it can be checked by plain numbers.
#pragma once

#include <algorithm>
#include <cmath>

#include "platform/d3drm/d3drm_types.h"

namespace plat::rm {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
// The usual cross formula; in the left-handed system y x z = x.
inline Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
inline Vec3 ToVec(const D3DVECTOR& v) { return {v.x, v.y, v.z}; }
inline D3DVECTOR ToD3D(Vec3 v) { return {v.x, v.y, v.z}; }

// A rigid placement: the axes and origin of a frame, given in the coordinates
// of the space it is placed in. Axes stay orthonormal.
struct Placement {
    Vec3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
    Vec3 origin;

    Vec3 Rotate(Vec3 v) const { return x * v.x + y * v.y + z * v.z; }
    Vec3 Apply(Vec3 p) const { return Rotate(p) + origin; }
    Vec3 InverseRotate(Vec3 v) const { return {Dot(v, x), Dot(v, y), Dot(v, z)}; }
    Vec3 InverseApply(Vec3 p) const { return InverseRotate(p - origin); }
    // This placement seen from outside `outer`, i.e. outer ∘ this.
    Placement Within(const Placement& outer) const {
        return {outer.Rotate(x), outer.Rotate(y), outer.Rotate(z), outer.Apply(origin)};
    }
};

// Axes for a direction and an up vector: z = dir, y = up's part perpendicular
// to z, x = y x z. Degenerate input falls back on `current` (or any
// perpendicular axis) so the result is always a valid orthonormal basis.
void OrientAxes(Vec3 dir, Vec3 up, const Placement& current, Vec3& x, Vec3& y, Vec3& z);

// The viewport's perspective: a camera placement in world space and the
// viewport's rectangle in device pixels.
struct Projection {
    Placement camera;
    double left = 0, top = 0, width = 1, height = 1;
    double front = 1, back = 100, field = 0.5;

    // Pixels per unit of x/z (and y/z) in camera space.
    double Scale() const { return front / field * std::max(width, height) * 0.5; }
    D3DRMVECTOR4D Transform(Vec3 world) const;
    // False only for w == 0, which names no point.
    bool InverseTransform(const D3DRMVECTOR4D& screen, Vec3& world) const;
    // World to OpenGL clip space for the viewport's own rectangle, row-major.
    void ClipMatrix(float out[16]) const;
};

}  // namespace plat::rm

#include "platform/d3drm/geometry.h"

#include <algorithm>

namespace plat::rm {
namespace {

constexpr float kTiny = 1e-12f;

Vec3 Normalized(Vec3 v, bool& ok) {
    float len = Length(v);
    ok = len > kTiny && std::isfinite(len);
    return ok ? v * (1.0f / len) : v;
}

// Any unit vector perpendicular to unit vector z.
Vec3 AnyPerpendicular(Vec3 z) {
    Vec3 other = std::fabs(z.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    bool ok = false;
    Vec3 p = Normalized(other - z * Dot(other, z), ok);
    return p;
}

}  // namespace

void OrientAxes(Vec3 dir, Vec3 up, const Placement& current, Vec3& x, Vec3& y, Vec3& z) {
    // The outputs may alias `current`, so read it all before writing.
    bool ok = false;
    Vec3 newZ = Normalized(dir, ok);
    if (!ok) newZ = current.z;
    Vec3 newY = Normalized(up - newZ * Dot(up, newZ), ok);
    if (!ok) {
        // Up along the direction (or zero): keep the old up as far as it
        // still fits, else take any axis across the direction.
        newY = Normalized(current.y - newZ * Dot(current.y, newZ), ok);
        if (!ok) newY = AnyPerpendicular(newZ);
    }
    z = newZ;
    y = newY;
    x = Cross(newY, newZ);
}

D3DRMVECTOR4D Projection::Transform(Vec3 world) const {
    Vec3 v = camera.InverseApply(world);
    double w = v.z;
    double s = Scale();
    double x = (left + width * 0.5) * w + v.x * s;
    double y = (top + height * 0.5) * w - v.y * s;
    double z = back * (v.z - front) / (back - front);
    return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), static_cast<float>(w)};
}

bool Projection::InverseTransform(const D3DRMVECTOR4D& screen, Vec3& world) const {
    if (screen.w == 0.0f || !std::isfinite(screen.w)) return false;
    double px = static_cast<double>(screen.x) / screen.w;
    double py = static_cast<double>(screen.y) / screen.w;
    double depth = static_cast<double>(screen.z) / screen.w;
    // depth = back / (back - front) * (1 - front / zv), solved for zv. The
    // depth of the point at infinity has no inverse; step just beside it.
    double denom = 1.0 - depth * (back - front) / back;
    if (std::fabs(denom) < 1e-12) denom = denom < 0 ? -1e-12 : 1e-12;
    double zv = front / denom;
    double s = Scale();
    double xv = (px - left - width * 0.5) * zv / s;
    double yv = -(py - top - height * 0.5) * zv / s;
    world = camera.Apply({static_cast<float>(xv), static_cast<float>(yv), static_cast<float>(zv)});
    return true;
}

void Projection::ClipMatrix(float m[16]) const {
    double s = Scale();
    double kx = 2.0 * s / width, ky = 2.0 * s / height;
    double a = (back + front) / (back - front), b = -2.0 * back * front / (back - front);
    const Vec3 axes[3] = {camera.x, camera.y, camera.z};
    double rows[3][4];
    for (int i = 0; i < 3; ++i) {
        rows[i][0] = axes[i].x;
        rows[i][1] = axes[i].y;
        rows[i][2] = axes[i].z;
        rows[i][3] = -Dot(axes[i], camera.origin);
    }
    for (int c = 0; c < 4; ++c) {
        m[0 + c] = static_cast<float>(kx * rows[0][c]);
        m[4 + c] = static_cast<float>(ky * rows[1][c]);
        m[8 + c] = static_cast<float>(a * rows[2][c] + (c == 3 ? b : 0.0));
        m[12 + c] = static_cast<float>(rows[2][c]);
    }
}

}  // namespace plat::rm

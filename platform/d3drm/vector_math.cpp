// The SDK's vector helpers. Each writes its result through the first argument
// and returns it, so calls can be chained as in the old headers.
#include <cmath>

#include "platform/d3drm/d3drm.h"

namespace plat {

D3DVECTOR* D3DRMVectorAdd(D3DVECTOR* d, D3DVECTOR* s1, D3DVECTOR* s2) {
    *d = {s1->x + s2->x, s1->y + s2->y, s1->z + s2->z};
    return d;
}

D3DVECTOR* D3DRMVectorSubtract(D3DVECTOR* d, D3DVECTOR* s1, D3DVECTOR* s2) {
    *d = {s1->x - s2->x, s1->y - s2->y, s1->z - s2->z};
    return d;
}

D3DVECTOR* D3DRMVectorCrossProduct(D3DVECTOR* d, D3DVECTOR* s1, D3DVECTOR* s2) {
    D3DVECTOR r = {s1->y * s2->z - s1->z * s2->y, s1->z * s2->x - s1->x * s2->z, s1->x * s2->y - s1->y * s2->x};
    *d = r;  // d may alias an input
    return d;
}

D3DVALUE D3DRMVectorDotProduct(D3DVECTOR* s1, D3DVECTOR* s2) {
    return s1->x * s2->x + s1->y * s2->y + s1->z * s2->z;
}

D3DVALUE D3DRMVectorModulus(D3DVECTOR* v) { return std::sqrt(D3DRMVectorDotProduct(v, v)); }

D3DVECTOR* D3DRMVectorNormalize(D3DVECTOR* v) {
    D3DVALUE len = D3DRMVectorModulus(v);
    if (len > 0.0f && std::isfinite(len)) {
        *v = {v->x / len, v->y / len, v->z / len};
    } else {
        *v = {1.0f, 0.0f, 0.0f};
    }
    return v;
}

D3DVECTOR* D3DRMVectorScale(D3DVECTOR* d, D3DVECTOR* s, D3DVALUE factor) {
    *d = {s->x * factor, s->y * factor, s->z * factor};
    return d;
}

D3DVECTOR* D3DRMVectorRotate(D3DVECTOR* r, D3DVECTOR* v, D3DVECTOR* axis, D3DVALUE theta) {
    D3DVECTOR n = *axis;
    D3DRMVectorNormalize(&n);
    D3DVECTOR in = *v;
    double c = std::cos(theta), s = std::sin(theta);
    double dot = static_cast<double>(n.x) * in.x + static_cast<double>(n.y) * in.y + static_cast<double>(n.z) * in.z;
    double cx = static_cast<double>(n.y) * in.z - static_cast<double>(n.z) * in.y;
    double cy = static_cast<double>(n.z) * in.x - static_cast<double>(n.x) * in.z;
    double cz = static_cast<double>(n.x) * in.y - static_cast<double>(n.y) * in.x;
    D3DVECTOR out = {static_cast<D3DVALUE>(in.x * c + cx * s + n.x * dot * (1 - c)),
                     static_cast<D3DVALUE>(in.y * c + cy * s + n.y * dot * (1 - c)),
                     static_cast<D3DVALUE>(in.z * c + cz * s + n.z * dot * (1 - c))};
    *r = out;
    return D3DRMVectorNormalize(r);
}

}  // namespace plat

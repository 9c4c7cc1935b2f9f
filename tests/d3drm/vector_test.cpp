// The SDK's vector helpers.
#include <cmath>

#include "tests/d3drm/rm_helpers.h"

namespace rmtest {
namespace {

TEST(Vectors, RotateTurnsAboutTheAxisAndNormalises) {
    D3DVECTOR v{2, 0, 0}, z{0, 0, 5}, r;
    D3DRMVectorRotate(&r, &v, &z, 3.14159265f / 2);
    EXPECT_NEAR(r.x, 0, 1e-6);
    EXPECT_NEAR(r.y, 1, 1e-6);
    EXPECT_NEAR(r.z, 0, 1e-6);

    // A full turn about a slanted axis returns the (normalised) start.
    D3DVECTOR w{0, -300, 0}, axis{1, 0, 0};
    D3DRMVectorRotate(&r, &w, &axis, 2 * 3.14159265f);
    EXPECT_NEAR(r.y, -1, 1e-5);
    D3DVECTOR slanted{1, 1, 1}, p{1, 0, 0};
    D3DRMVectorRotate(&r, &p, &slanted, 2.0943951f);  // a third of a turn: x -> y
    EXPECT_NEAR(r.x, 0, 1e-5);
    EXPECT_NEAR(r.y, 1, 1e-5);
    EXPECT_NEAR(D3DRMVectorModulus(&r), 1, 1e-6);
}

TEST(Vectors, ArithmeticHelpers) {
    D3DVECTOR a{1, 2, 3}, b{4, 5, 6}, d;
    EXPECT_FLOAT_EQ(D3DRMVectorDotProduct(&a, &b), 32);
    D3DRMVectorAdd(&d, &a, &b);
    EXPECT_FLOAT_EQ(d.z, 9);
    D3DRMVectorSubtract(&d, &a, &b);
    EXPECT_FLOAT_EQ(d.x, -3);
    D3DRMVectorScale(&d, &a, -2);
    EXPECT_FLOAT_EQ(d.y, -4);
    EXPECT_FLOAT_EQ(D3DRMVectorModulus(&b), std::sqrt(77.0f));

    D3DVECTOR y{0, 1, 0}, z{0, 0, 1};
    D3DRMVectorCrossProduct(&d, &y, &z);
    EXPECT_FLOAT_EQ(d.x, 1);
    // The result may overwrite an input.
    D3DRMVectorCrossProduct(&y, &y, &z);
    EXPECT_FLOAT_EQ(y.x, 1);
    EXPECT_FLOAT_EQ(y.y, 0);

    D3DVECTOR zero{0, 0, 0};
    D3DRMVectorNormalize(&zero);
    EXPECT_FLOAT_EQ(D3DRMVectorModulus(&zero), 1);
    D3DVECTOR n{0, 3, 4};
    D3DRMVectorNormalize(&n);
    EXPECT_FLOAT_EQ(n.z, 0.8f);
}

TEST(Colors, HelpersPackArgb) {
    EXPECT_EQ(D3DRGB(1, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(D3DRGBA(0, 0, 1, 0), 0x000000FFu);
    EXPECT_EQ(D3DRGB(2, -1, 0.5f), 0xFFFF007Fu);  // out of range clamps
    EXPECT_EQ(RGBA_GETGREEN(0x12345678), 0x56u);
    EXPECT_FLOAT_EQ(D3DRMColorGetRed(0xFF800000), 128 / 255.0f);
    EXPECT_EQ(D3DRMRENDER_GOURAUD, 0x89u);
    EXPECT_EQ(D3DRMRENDER_WIREFRAME, 0x40u);
    EXPECT_EQ(D3DRMERR_BADVALUE, static_cast<HRESULT>(0x88760316u));
}

}  // namespace
}  // namespace rmtest

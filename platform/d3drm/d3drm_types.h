// The plain types, constants and colour helpers of Retained Mode, with the
// documented values of the old SDK.
#pragma once

#include <cstdint>

#include "platform/com/com.h"

namespace plat {

using D3DVALUE = float;
using D3DCOLOR = DWORD;  // 0xAARRGGBB

struct D3DVECTOR {
    D3DVALUE x, y, z;
};
using LPD3DVECTOR = D3DVECTOR*;

struct D3DRMVECTOR4D {
    D3DVALUE x, y, z, w;
};
using LPD3DRMVECTOR4D = D3DRMVECTOR4D*;

// Render quality: shade | lighting | fill.
using D3DRMRENDERQUALITY = DWORD;
constexpr DWORD D3DRMSHADE_FLAT = 0;
constexpr DWORD D3DRMSHADE_GOURAUD = 1;
constexpr DWORD D3DRMSHADE_PHONG = 2;
constexpr DWORD D3DRMSHADE_MASK = 7;
constexpr DWORD D3DRMSHADE_MAX = 8;
constexpr DWORD D3DRMLIGHT_OFF = 0 * D3DRMSHADE_MAX;
constexpr DWORD D3DRMLIGHT_ON = 1 * D3DRMSHADE_MAX;
constexpr DWORD D3DRMLIGHT_MASK = 7 * D3DRMSHADE_MAX;
constexpr DWORD D3DRMLIGHT_MAX = 8 * D3DRMSHADE_MAX;
constexpr DWORD D3DRMFILL_POINTS = 0 * D3DRMLIGHT_MAX;
constexpr DWORD D3DRMFILL_WIREFRAME = 1 * D3DRMLIGHT_MAX;
constexpr DWORD D3DRMFILL_SOLID = 2 * D3DRMLIGHT_MAX;
constexpr DWORD D3DRMFILL_MASK = 7 * D3DRMLIGHT_MAX;
constexpr DWORD D3DRMFILL_MAX = 8 * D3DRMLIGHT_MAX;

constexpr D3DRMRENDERQUALITY D3DRMRENDER_WIREFRAME = D3DRMSHADE_FLAT | D3DRMLIGHT_OFF | D3DRMFILL_WIREFRAME;  // 0x40
constexpr D3DRMRENDERQUALITY D3DRMRENDER_UNLITFLAT = D3DRMSHADE_FLAT | D3DRMLIGHT_OFF | D3DRMFILL_SOLID;      // 0x80
constexpr D3DRMRENDERQUALITY D3DRMRENDER_FLAT = D3DRMSHADE_FLAT | D3DRMLIGHT_ON | D3DRMFILL_SOLID;            // 0x88
constexpr D3DRMRENDERQUALITY D3DRMRENDER_GOURAUD = D3DRMSHADE_GOURAUD | D3DRMLIGHT_ON | D3DRMFILL_SOLID;      // 0x89
constexpr D3DRMRENDERQUALITY D3DRMRENDER_PHONG = D3DRMSHADE_PHONG | D3DRMLIGHT_ON | D3DRMFILL_SOLID;          // 0x8A

enum D3DRMLIGHTTYPE : DWORD {
    D3DRMLIGHT_AMBIENT = 0,
    D3DRMLIGHT_POINT = 1,
    D3DRMLIGHT_SPOT = 2,
    D3DRMLIGHT_DIRECTIONAL = 3,
    D3DRMLIGHT_PARALLELPOINT = 4,
};

enum D3DRMTEXTUREQUALITY : DWORD {
    D3DRMTEXTURE_NEAREST = 0,
    D3DRMTEXTURE_LINEAR = 1,
    D3DRMTEXTURE_MIPNEAREST = 2,
    D3DRMTEXTURE_MIPLINEAR = 3,
    D3DRMTEXTURE_LINEARMIPNEAREST = 4,
    D3DRMTEXTURE_LINEARMIPLINEAR = 5,
};

using D3DRMLOADOPTIONS = DWORD;
constexpr DWORD D3DRMLOAD_FROMFILE = 0x00;
constexpr DWORD D3DRMLOAD_FROMRESOURCE = 0x01;
constexpr DWORD D3DRMLOAD_FROMMEMORY = 0x02;
constexpr DWORD D3DRMLOAD_FROMSTREAM = 0x04;
constexpr DWORD D3DRMLOAD_BYNAME = 0x10;
constexpr DWORD D3DRMLOAD_BYPOSITION = 0x20;
constexpr DWORD D3DRMLOAD_BYGUID = 0x40;
constexpr DWORD D3DRMLOAD_FIRST = 0x80;
constexpr DWORD D3DRMLOAD_INSTANCEBYREFERENCE = 0x100;
constexpr DWORD D3DRMLOAD_INSTANCEBYCOPYING = 0x200;

// Results: the DirectX facility, 0x8876xxxx.
constexpr HRESULT D3DRMResult(DWORD code) { return static_cast<HRESULT>(0x88760000u | code); }
constexpr HRESULT D3DRM_OK = 0;
constexpr HRESULT D3DRMERR_BADOBJECT = D3DRMResult(781);
constexpr HRESULT D3DRMERR_BADTYPE = D3DRMResult(782);
constexpr HRESULT D3DRMERR_BADALLOC = D3DRMResult(783);
constexpr HRESULT D3DRMERR_FACEUSED = D3DRMResult(784);
constexpr HRESULT D3DRMERR_NOTFOUND = D3DRMResult(785);
constexpr HRESULT D3DRMERR_NOTDONEYET = D3DRMResult(786);
constexpr HRESULT D3DRMERR_FILENOTFOUND = D3DRMResult(787);
constexpr HRESULT D3DRMERR_BADFILE = D3DRMResult(788);
constexpr HRESULT D3DRMERR_BADDEVICE = D3DRMResult(789);
constexpr HRESULT D3DRMERR_BADVALUE = D3DRMResult(790);

// Colours.
constexpr D3DCOLOR RGBA_MAKE(DWORD r, DWORD g, DWORD b, DWORD a) {
    return ((a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}
constexpr D3DCOLOR RGB_MAKE(DWORD r, DWORD g, DWORD b) { return RGBA_MAKE(r, g, b, 0xFF); }
constexpr DWORD RGBA_GETALPHA(D3DCOLOR c) { return c >> 24; }
constexpr DWORD RGBA_GETRED(D3DCOLOR c) { return (c >> 16) & 0xFF; }
constexpr DWORD RGBA_GETGREEN(D3DCOLOR c) { return (c >> 8) & 0xFF; }
constexpr DWORD RGBA_GETBLUE(D3DCOLOR c) { return c & 0xFF; }

// Float components from 0 to 1, as the SDK's D3DRGB macros take them
// (out-of-range values are clamped rather than wrapped; NaN, which has no
// place in the range, is 0).
constexpr DWORD ColorByte(D3DVALUE v) {
    return !(v > 0.0f) ? 0u : v >= 1.0f ? 255u : static_cast<DWORD>(v * 255.0f);
}
constexpr D3DCOLOR D3DRGBA(D3DVALUE r, D3DVALUE g, D3DVALUE b, D3DVALUE a) {
    return RGBA_MAKE(ColorByte(r), ColorByte(g), ColorByte(b), ColorByte(a));
}
constexpr D3DCOLOR D3DRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b) { return D3DRGBA(r, g, b, 1.0f); }
constexpr D3DCOLOR D3DRMCreateColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b) { return D3DRGB(r, g, b); }
constexpr D3DCOLOR D3DRMCreateColorRGBA(D3DVALUE r, D3DVALUE g, D3DVALUE b, D3DVALUE a) {
    return D3DRGBA(r, g, b, a);
}
constexpr D3DVALUE D3DRMColorGetRed(D3DCOLOR c) { return static_cast<D3DVALUE>(RGBA_GETRED(c)) / 255.0f; }
constexpr D3DVALUE D3DRMColorGetGreen(D3DCOLOR c) { return static_cast<D3DVALUE>(RGBA_GETGREEN(c)) / 255.0f; }
constexpr D3DVALUE D3DRMColorGetBlue(D3DCOLOR c) { return static_cast<D3DVALUE>(RGBA_GETBLUE(c)) / 255.0f; }
constexpr D3DVALUE D3DRMColorGetAlpha(D3DCOLOR c) { return static_cast<D3DVALUE>(RGBA_GETALPHA(c)) / 255.0f; }

// Interface identifiers.
constexpr IID IID_IDirect3DRM = {0x2bc49361, 0x8327, 0x11cf, {0xac, 0x4a, 0x00, 0x00, 0xc0, 0x38, 0x25, 0xa1}};
constexpr IID IID_IDirect3DRMObject = {0xeb16cb00, 0xd271, 0x11ce, {0xac, 0x48, 0x00, 0x00, 0xc0, 0x38, 0x25, 0xa1}};
constexpr IID IID_IDirect3DRMDevice = {0xe9e19280, 0x6e05, 0x11cf, {0xac, 0x4a, 0x00, 0x00, 0xc0, 0x38, 0x25, 0xa1}};
constexpr IID IID_IDirect3DRMViewport = {0xeb16cb02, 0xd271, 0x11ce, {0xac, 0x48, 0x00, 0x00, 0xc0, 0x38, 0x25, 0xa1}};
constexpr IID IID_IDirect3DRMFrame = {0xeb16cb03, 0xd271, 0x11ce, {0xac, 0x48, 0x00, 0x00, 0xc0, 0x38, 0x25, 0xa1}};
constexpr IID IID_IDirect3DRMVisual = {0xeb16cb04, 0xd271, 0x11ce, {0xac, 0x48, 0x00, 0x00, 0xc0, 0x38, 0x25, 0xa1}};
constexpr IID IID_IDirect3DRMMeshBuilder = {0xa3a80d02, 0x6e12, 0x11cf, {0xac, 0x4a, 0x00, 0x00, 0xc0, 0x38, 0x25, 0xa1}};
constexpr IID IID_IDirect3DRMFace = {0xeb16cb07, 0xd271, 0x11ce, {0xac, 0x48, 0x00, 0x00, 0xc0, 0x38, 0x25, 0xa1}};
constexpr IID IID_IDirect3DRMLight = {0xeb16cb08, 0xd271, 0x11ce, {0xac, 0x48, 0x00, 0x00, 0xc0, 0x38, 0x25, 0xa1}};
constexpr IID IID_IDirect3DRMTexture = {0xeb16cb09, 0xd271, 0x11ce, {0xac, 0x48, 0x00, 0x00, 0xc0, 0x38, 0x25, 0xa1}};

}  // namespace plat

#include "scene/court.h"

#include "render/graphics_startup.h"
#include "scene/surface_texture.h"
#include "scene/texture_ref.h"

namespace {

struct Corner {
    float x, y, z;
};
struct TexCoord {
    float u, v;
};

// One face of four corners; texture coordinates, where given, are set in the
// index order listed in `order`.
void AddFace(IDirect3DRMMeshBuilder* mesh, const Corner (&corners)[4], const TexCoord* coords = nullptr,
             const int (&order)[4] = {0, 1, 2, 3}) {
    IDirect3DRMFace* face = nullptr;
    if (!mesh || FAILED(mesh->CreateFace(&face))) return;
    for (const Corner& c : corners) face->AddVertex(c.x, c.y, c.z);
    if (coords) {
        for (int index : order) face->SetTextureCoordinates(index, coords[index].u, coords[index].v);
    }
    face->Release();
}

constexpr int kRotated[4] = {3, 0, 1, 2};

}  // namespace

// 128 x 128 of near white with a green line across the middle row, so that
// v = 0.5 on a wall marks the box's near edge.
IDirect3DRMTexture* Court::PaintWallTexture(TextureRef*& textureRef, SurfaceTexture*& surfaceTexture) {
    surfaceTexture = new SurfaceTexture;
    surfaceTexture->Create(128, 128);
    HDC dc = nullptr;
    if (surfaceTexture->surface && SUCCEEDED(surfaceTexture->surface->GetDC(&dc))) {
        HBRUSH brush = CreateSolidBrush(RGB(250, 250, 250));
        HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 250, 0));
        HGDIOBJ previousBrush = SelectObject(dc, brush);
        HGDIOBJ previousPen = SelectObject(dc, pen);
        FloodFill(dc, 10, 10, RGB(0, 255, 0));
        MoveToEx(dc, 0, 64, nullptr);
        LineTo(dc, 127, 64);
        SelectObject(dc, previousBrush);
        SelectObject(dc, previousPen);
        surfaceTexture->surface->ReleaseDC(dc);
        DeleteObject(brush);
        DeleteObject(pen);
    }
    textureRef = new TextureRef;
    textureRef->CreateFromSurface(surfaceTexture);
    return textureRef->texture;
}

Court::Court(const D3DVECTOR& low, const D3DVECTOR& high) : minCorner(low), maxCorner(high) {
    TextureRef* textureRef = nullptr;
    SurfaceTexture* surfaceTexture = nullptr;
    IDirect3DRMTexture* texture = PaintWallTexture(textureRef, surfaceTexture);

    IDirect3DRMMeshBuilder* wallMesh = nullptr;
    IDirect3DRMMeshBuilder* outlineMesh = nullptr;
    if (retainedMode) {
        retainedMode->CreateMeshBuilder(&wallMesh);
        retainedMode->CreateMeshBuilder(&outlineMesh);
    }

    const float x1 = low.x, y1 = low.y, z1 = low.z;
    const float x2 = high.x, y2 = high.y, z2 = high.z;
    const float y0 = y1 * 3;  // the near end of the walls that reach forward
    const TexCoord ceiling[4] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    const TexCoord floor[4] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    const TexCoord back[4] = {{0.1f, 0.5f}, {0.1f, 0.5f}, {0, 0.1f}, {0, 0.1f}};

    AddFace(wallMesh, {{x1, y0, z2}, {x1, y2, z2}, {x2, y2, z2}, {x2, y0, z2}}, ceiling);
    AddFace(wallMesh, {{x1, y0, z1}, {x2, y0, z1}, {x2, y2, z1}, {x1, y2, z1}}, floor, kRotated);
    AddFace(outlineMesh, {{x1, y0, z1}, {x1, y0, z2}, {x1, y2, z2}, {x1, y2, z1}});
    AddFace(wallMesh, {{x1, y0, z1}, {x1, y2, z1}, {x1, y2, z2}, {x1, y0, z2}}, ceiling);
    AddFace(wallMesh, {{x2, y0, z1}, {x2, y0, z2}, {x2, y2, z2}, {x2, y2, z1}}, floor, kRotated);
    AddFace(outlineMesh, {{x2, y0, z1}, {x2, y2, z1}, {x2, y2, z2}, {x2, y0, z2}});
    AddFace(outlineMesh, {{x1, y2, z1}, {x1, y2, z2}, {x2, y2, z2}, {x2, y2, z1}});
    AddFace(wallMesh, {{x1, y2, z1}, {x2, y2, z1}, {x2, y2, z2}, {x1, y2, z2}}, back, kRotated);
    AddFace(wallMesh, {{x1, y1, z1}, {x2, y1, z1}, {x2, y1, z1 + 2}, {x1, y1, z1 + 2}});

    if (frame && wallMesh) frame->AddVisual(wallMesh);
    if (outlineMesh) {
        outlineMesh->SetQuality(D3DRMRENDER_WIREFRAME);
        if (frame) frame->AddVisual(outlineMesh);
    }
    if (wallMesh) {
        wallMesh->SetTexture(texture);
        wallMesh->SetPerspective(TRUE);
        wallMesh->Release();
    }
    if (outlineMesh) outlineMesh->Release();
    SetColor(0xFFFFFFFF);
    delete textureRef;
    delete surfaceTexture;
}

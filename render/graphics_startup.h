// Bringing up DirectDraw, Direct3D and Retained Mode once per run, and the
// choice of the one Direct3D device every view renders with.
#pragma once

#include "app/platform_calls.h"

constexpr int kMaxDevices = 20;

extern int screenBitDepth;
extern int deviceCount;
extern GUID deviceGuids[kMaxDevices];
extern IDirect3DRM* retainedMode;

bool StartDirectDraw();
DWORD BitDepthFlag(int bits);
HRESULT EnumDeviceCallback(GUID* guid, char* description, char* name, D3DDEVICEDESC* hardware,
                           D3DDEVICEDESC* software, void* context);

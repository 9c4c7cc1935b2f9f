// The DirectDraw object: its interfaces and reference counts, the cooperative
// level, the clipper and device enumeration under the offscreen driver.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ddraw/ddraw.h"
#include "platform/gl/gl_context.h"
#include "platform/gl/gl_probe.h"
#include "tests/support/gl_required.h"
#include "tests/support/test_window.h"

using namespace plat;

namespace {

struct SeenDevice {
    GUID guid;
    std::string description;
    std::string name;
    D3DDEVICEDESC hardware;
    D3DDEVICEDESC software;
};

struct Enumeration {
    std::vector<SeenDevice> devices;
    HRESULT answer = D3DENUMRET_OK;
};

HRESULT Record(GUID* guid, char* description, char* name, D3DDEVICEDESC* hardware, D3DDEVICEDESC* software,
               void* context) {
    auto* enumeration = static_cast<Enumeration*>(context);
    enumeration->devices.push_back({*guid, description, name, *hardware, *software});
    return enumeration->answer;
}

class DDrawObject : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Mesa's software rasteriser, whatever GPU the machine running the tests has.
        static char software[] = "LIBGL_ALWAYS_SOFTWARE=1";
        putenv(software);
    }
    void SetUp() override { ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK); }
    void TearDown() override {
        if (dd) {
            EXPECT_EQ(dd->Release(), 0u);
        }
    }

    IDirect3D* Direct3D() {
        IDirect3D* d3d = nullptr;
        EXPECT_EQ(dd->QueryInterface(IID_IDirect3D, reinterpret_cast<void**>(&d3d)), S_OK);
        return d3d;
    }

    IDirectDraw* dd = nullptr;
};

TEST_F(DDrawObject, InterfacesShareOneReferenceCount) {
    IDirectDraw2* dd2 = nullptr;
    ASSERT_EQ(dd->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&dd2)), S_OK);
    ASSERT_NE(dd2, nullptr);
    IDirect3D* d3d = nullptr;
    ASSERT_EQ(dd2->QueryInterface(IID_IDirect3D, reinterpret_cast<void**>(&d3d)), S_OK);
    ASSERT_NE(d3d, nullptr);
    EXPECT_EQ(d3d->AddRef(), 4u);
    EXPECT_EQ(d3d->Release(), 3u);

    // From the Direct3D side back to DirectDraw: the same object.
    IDirectDraw* again = nullptr;
    ASSERT_EQ(d3d->QueryInterface(IID_IDirectDraw, reinterpret_cast<void**>(&again)), S_OK);
    EXPECT_EQ(again, dd);
    EXPECT_EQ(again->Release(), 3u);

    // The start-up order of the game: Direct3D and the first interface go, the
    // second version stays and is the last reference.
    EXPECT_EQ(d3d->Release(), 2u);
    EXPECT_EQ(dd->Release(), 1u);
    dd = nullptr;
    EXPECT_EQ(dd2->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(dd2->Release(), 0u);  // gone: a later call would be a use after free
}

TEST_F(DDrawObject, UnknownInterfacesAreRefused) {
    void* out = &out;
    EXPECT_EQ(dd->QueryInterface(IID_IDirectDrawSurface, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    out = &out;
    EXPECT_EQ(dd->QueryInterface(IID_IDirect3DHALDevice, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(dd->QueryInterface(IID_IDirectDraw2, nullptr), E_POINTER);
    // None of that took a reference.
    EXPECT_EQ(dd->AddRef(), 2u);
    EXPECT_EQ(dd->Release(), 1u);

    IDirect3D* d3d = Direct3D();
    ASSERT_NE(d3d, nullptr);
    out = &out;
    EXPECT_EQ(d3d->QueryInterface(IID_IDirectDrawClipper, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(d3d->Release(), 1u);
}

TEST_F(DDrawObject, CooperativeLevelIsWindowedOnly) {
    EXPECT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    EXPECT_TRUE(FAILED(dd->SetCooperativeLevel(nullptr, 0)));
    EXPECT_TRUE(FAILED(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL | DDSCL_EXCLUSIVE)));
    EXPECT_TRUE(FAILED(dd->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN)));
}

TEST_F(DDrawObject, DisplayModeIsTrueColour) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(dd->GetDisplayMode(&desc), DD_OK);
    EXPECT_GT(desc.dwWidth, 0u);
    EXPECT_GT(desc.dwHeight, 0u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0x00FF0000u);
    EXPECT_EQ(desc.lPitch, static_cast<LONG>(desc.dwWidth * 4));
    for (DWORD wrong : {DWORD{0}, DWORD{sizeof(desc) + 4}}) {
        desc.dwSize = wrong;
        EXPECT_EQ(dd->GetDisplayMode(&desc), DDERR_INVALIDPARAMS) << wrong;
    }
}

TEST_F(DDrawObject, ClipperRemembersItsWindow) {
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(DirectDrawCreateClipper(0, &clipper, nullptr), DD_OK);
    ASSERT_NE(clipper, nullptr);
    HWND window = reinterpret_cast<HWND>(0x1234);
    HWND seen = window;
    EXPECT_EQ(clipper->GetHWnd(&seen), DD_OK);
    EXPECT_EQ(seen, nullptr);
    EXPECT_EQ(clipper->SetHWnd(0, window), DD_OK);
    EXPECT_EQ(clipper->GetHWnd(&seen), DD_OK);
    EXPECT_EQ(seen, window);
    EXPECT_EQ(clipper->SetHWnd(1, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(clipper->GetHWnd(&seen), DD_OK);
    EXPECT_EQ(seen, window);  // the refused call changed nothing
    EXPECT_EQ(clipper->GetHWnd(nullptr), DDERR_INVALIDPARAMS);

    IDirectDrawClipper* same = nullptr;
    ASSERT_EQ(clipper->QueryInterface(IID_IDirectDrawClipper, reinterpret_cast<void**>(&same)), S_OK);
    EXPECT_EQ(same, clipper);
    EXPECT_EQ(same->Release(), 1u);
    EXPECT_EQ(clipper->Release(), 0u);

    IDirectDrawClipper* refused = clipper;
    EXPECT_EQ(DirectDrawCreateClipper(1, &refused, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(DirectDrawCreateClipper(0, nullptr, nullptr), DDERR_INVALIDPARAMS);

    // The DirectDraw object makes the same kind of clipper.
    ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
    EXPECT_EQ(clipper->SetHWnd(0, window), DD_OK);
    EXPECT_EQ(clipper->Release(), 0u);
}

TEST_F(DDrawObject, EnumeratesTheSoftwareRasteriserAsOneRgbDevice) {
    KESTROVA_REQUIRE_GL(gl::ProbeRenderer().available);
    IDirect3D* d3d = Direct3D();
    ASSERT_NE(d3d, nullptr);
    Enumeration seen;
    EXPECT_EQ(d3d->EnumDevices(Record, &seen), D3D_OK);
    d3d->Release();
    ASSERT_EQ(seen.devices.size(), 1u);
    const SeenDevice& device = seen.devices[0];
    // The machines tests run on draw in software: Mesa's, or the browser's.
    EXPECT_TRUE(gl::IsSoftwareRenderer(device.name)) << device.name;
    EXPECT_EQ(device.name, gl::ProbeRenderer().renderer);
    EXPECT_TRUE(device.guid == IID_IDirect3DRGBDevice);
    EXPECT_EQ(device.hardware.dcmColorModel, 0u);  // no hardware half: a software device
    EXPECT_EQ(device.software.dcmColorModel, D3DCOLOR_RGB);
    EXPECT_EQ(device.software.dwSize, sizeof(D3DDEVICEDESC));
    EXPECT_EQ(device.hardware.dwSize, sizeof(D3DDEVICEDESC));
    const DWORD depths = device.software.dwDeviceRenderBitDepth;
    EXPECT_TRUE(depths & DDBD_32);
    EXPECT_TRUE(depths & DDBD_24);
    EXPECT_TRUE(depths & DDBD_16);
    EXPECT_FALSE(depths & DDBD_8);
    EXPECT_TRUE(device.software.dwFlags & D3DDD_DEVICERENDERBITDEPTH);
}

TEST_F(DDrawObject, EnumerationStopsWhenTheCallbackCancels) {
    KESTROVA_REQUIRE_GL(gl::ProbeRenderer().available);
    IDirect3D* d3d = Direct3D();
    ASSERT_NE(d3d, nullptr);
    Enumeration cancelling;
    cancelling.answer = D3DENUMRET_CANCEL;
    EXPECT_EQ(d3d->EnumDevices(Record, &cancelling), D3D_OK);
    EXPECT_EQ(cancelling.devices.size(), 1u);
    // Asked again, the machine still has its device: probing happens once, the
    // answer stays.
    Enumeration again;
    EXPECT_EQ(d3d->EnumDevices(Record, &again), D3D_OK);
    ASSERT_EQ(again.devices.size(), 1u);
    EXPECT_EQ(again.devices[0].name, cancelling.devices[0].name);
    EXPECT_TRUE(FAILED(d3d->EnumDevices(nullptr, &again)));
    d3d->Release();
}

TEST_F(DDrawObject, ProbeLeavesTheCallersContextCurrent) {
    gl::NativeWindow window = testsupport::CreateHiddenGlWindow(8, 8);
    KESTROVA_REQUIRE_GL(window != nullptr && gl::MakeCurrent(window));
    void* mine = gl::CurrentContext();
    ASSERT_NE(mine, nullptr);
    // Probed only now, with the test's own context current; a probe that
    // made no context of its own proves nothing.
    const bool available = gl::ProbeRenderer().available;
    EXPECT_EQ(gl::CurrentContext(), mine);
    testsupport::DestroyHiddenGlWindow(window);
    KESTROVA_REQUIRE_GL(available);
}

TEST(GlProbe, TellsSoftwareRasterisersFromGpus) {
    EXPECT_TRUE(gl::IsSoftwareRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(gl::IsSoftwareRenderer("softpipe"));
    EXPECT_TRUE(gl::IsSoftwareRenderer("Mesa DRI swrast"));
    EXPECT_TRUE(gl::IsSoftwareRenderer("Software Rasterizer"));
    EXPECT_TRUE(gl::IsSoftwareRenderer(
        "ANGLE (Google, Vulkan 1.3.0 (SwiftShader Device (Subzero) (0x0000C0DE)), SwiftShader driver)"));
    EXPECT_FALSE(gl::IsSoftwareRenderer("ANGLE (NVIDIA, NVIDIA GeForce GTX 1080 (0x00001B80) Direct3D11 vs_5_0 ps_5_0)"));
    EXPECT_FALSE(gl::IsSoftwareRenderer("NVIDIA GeForce GTX 1080/PCIe/SSE2"));
    EXPECT_FALSE(gl::IsSoftwareRenderer("AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)"));
    EXPECT_FALSE(gl::IsSoftwareRenderer("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
    EXPECT_FALSE(gl::IsSoftwareRenderer(""));
}

}  // namespace

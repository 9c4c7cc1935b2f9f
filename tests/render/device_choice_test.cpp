#include <gtest/gtest.h>

#include <vector>

#include "app/view_manager.h"
#include "render/graphics_startup.h"

namespace {

enum Kind { kSoftware, kHardware };

struct FakeDevice {
    Kind kind;
    D3DCOLORMODEL model;
    DWORD depths = DDBD_16 | DDBD_24 | DDBD_32;
};

GUID GuidNumber(int n) {
    GUID guid{};
    guid.Data1 = static_cast<DWORD>(n + 1);
    return guid;
}

// Feeds descriptions to the callback as Direct3D would, one per device, and
// returns how many it looked at before being told to stop.
int Enumerate(const std::vector<FakeDevice>& devices) {
    deviceCount = 0;
    viewManager.chosenDevice = -1;
    viewManager.chosenIsHardware = false;
    viewManager.chosenIsMono = false;
    int seen = 0;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        D3DDEVICEDESC hardware{}, software{};
        hardware.dwSize = software.dwSize = sizeof(D3DDEVICEDESC);
        D3DDEVICEDESC& described = devices[i].kind == kHardware ? hardware : software;
        described.dcmColorModel = devices[i].model;
        described.dwDeviceRenderBitDepth = devices[i].depths;
        GUID guid = GuidNumber(static_cast<int>(i));
        ++seen;
        char name[] = "device";
        if (EnumDeviceCallback(&guid, name, name, &hardware, &software, &viewManager.chosenDevice) ==
            D3DENUMRET_CANCEL)
            break;
    }
    return seen;
}

class DeviceChoiceTest : public ::testing::Test {
protected:
    void SetUp() override { screenBitDepth = 32; }
};

TEST_F(DeviceChoiceTest, HardwareBeatsEverySoftwareDevice) {
    Enumerate({{kSoftware, D3DCOLOR_MONO}, {kSoftware, D3DCOLOR_RGB}, {kHardware, D3DCOLOR_RGB}});
    EXPECT_EQ(deviceCount, 3);
    EXPECT_EQ(viewManager.chosenDevice, 2);
    EXPECT_TRUE(viewManager.chosenIsHardware);
    EXPECT_EQ(deviceGuids[2], GuidNumber(2));
}

TEST_F(DeviceChoiceTest, AmongSoftwareDevicesTheFirstStays) {
    Enumerate({{kSoftware, D3DCOLOR_RGB}, {kSoftware, D3DCOLOR_MONO}});
    EXPECT_EQ(viewManager.chosenDevice, 0);
    EXPECT_FALSE(viewManager.chosenIsHardware);
}

TEST_F(DeviceChoiceTest, HardwareRgbChosenAfterSoftwareGivesWayToHardwareMono) {
    Enumerate({{kSoftware, D3DCOLOR_RGB}, {kHardware, D3DCOLOR_RGB}, {kHardware, D3DCOLOR_MONO}});
    EXPECT_EQ(viewManager.chosenDevice, 2);
    EXPECT_TRUE(viewManager.chosenIsMono);

    Enumerate({{kHardware, D3DCOLOR_RGB}, {kHardware, D3DCOLOR_MONO}});
    EXPECT_EQ(viewManager.chosenDevice, 0) << "a first hardware device counts as mono and stays";
}

TEST_F(DeviceChoiceTest, SoftwareAfterHardwareIsRecordedButNotChosen) {
    Enumerate({{kHardware, D3DCOLOR_MONO}, {kSoftware, D3DCOLOR_MONO}});
    EXPECT_EQ(deviceCount, 2);
    EXPECT_EQ(viewManager.chosenDevice, 0);
}

TEST_F(DeviceChoiceTest, DevicesThatCannotRenderAtTheDesktopDepthAreNotCounted) {
    screenBitDepth = 16;
    Enumerate({{kSoftware, D3DCOLOR_RGB, DDBD_24 | DDBD_32},
               {kSoftware, D3DCOLOR_MONO, DDBD_16},
               {kHardware, D3DCOLOR_RGB, DDBD_8}});
    EXPECT_EQ(deviceCount, 1);
    EXPECT_EQ(viewManager.chosenDevice, 0);
    EXPECT_EQ(deviceGuids[0], GuidNumber(1)) << "the table holds only the admitted device";

    screenBitDepth = 15;  // no such flag: nothing can render
    Enumerate({{kHardware, D3DCOLOR_RGB, 0xFFFFFFFF}});
    EXPECT_EQ(deviceCount, 0);
    EXPECT_EQ(viewManager.chosenDevice, -1);
}

TEST_F(DeviceChoiceTest, TheTwentiethRecordedDeviceEndsTheEnumeration) {
    std::vector<FakeDevice> many(25, FakeDevice{kSoftware, D3DCOLOR_RGB});
    many[2].depths = DDBD_8;  // skipped, so the twentieth recorded is the 21st seen
    many[22] = FakeDevice{kHardware, D3DCOLOR_RGB};
    EXPECT_EQ(Enumerate(many), 21);
    EXPECT_EQ(deviceCount, kMaxDevices);
    EXPECT_EQ(viewManager.chosenDevice, 0) << "the hardware device after the cap is never seen";
}

TEST(BitDepthFlag, MapsEveryDepthOfTheOldDisplays) {
    EXPECT_EQ(BitDepthFlag(1), 0x4000u);
    EXPECT_EQ(BitDepthFlag(2), 0x2000u);
    EXPECT_EQ(BitDepthFlag(4), 0x1000u);
    EXPECT_EQ(BitDepthFlag(8), 0x800u);
    EXPECT_EQ(BitDepthFlag(16), 0x400u);
    EXPECT_EQ(BitDepthFlag(24), 0x200u);
    EXPECT_EQ(BitDepthFlag(32), 0x100u);
    EXPECT_EQ(BitDepthFlag(15), 0u);
    EXPECT_EQ(BitDepthFlag(0), 0u);
    EXPECT_EQ(BitDepthFlag(-32), 0u);
}

}  // namespace

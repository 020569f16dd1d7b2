// Device creation per monitor: modes, step-down and its record, and device loss.
#include <cstring>
#include <ostream>
#include <string>

#include "platform/d3d9/recorder.h"
#include "platform/win32/surface.h"
#include "tests/host/host_fixture.h"

namespace {

struct ModeChoice {
  const char* name;
  std::vector<std::pair<uint32_t, uint32_t>> modes;
  bool hal;
  UINT desktopWidth, desktopHeight;
  UINT width, height;
};

void PrintTo(const ModeChoice& c, std::ostream* os) { *os << c.name; }

class ModeChoiceTest : public HostTest, public ::testing::WithParamInterface<ModeChoice> {};

TEST_P(ModeChoiceTest, PresentParameters) {
  const ModeChoice& c = GetParam();
  machine::Machine m;
  m.displays.push_back(MakeDisplay(0, (int)c.desktopWidth, (int)c.desktopHeight));
  m.adapters.push_back(MakeAdapter(0, c.modes));
  m.adapters[0].hal.available = c.hal;
  machine::Install(m);

  HostProbe saver;
  D3DPRESENT_PARAMETERS seen = {};
  D3DDEVTYPE type = D3DDEVTYPE_HAL;
  saver.onRender = [&](HostProbe& s, int frame, UINT) {
    if (frame != 1) return;
    seen = s.m_devices[0].presentParams;
    type = s.m_devices[0].deviceType;
    PostMessageW(s.m_mainWindow, WM_KEYDOWN, 'Q', 0);
  };
  saver.Start(u"s /s");
  ASSERT_FALSE(saver.m_errorMode);
  EXPECT_EQ(type, c.hal ? D3DDEVTYPE_HAL : D3DDEVTYPE_SW);
  EXPECT_EQ(seen.BackBufferWidth, c.width);
  EXPECT_EQ(seen.BackBufferHeight, c.height);
  EXPECT_EQ(seen.BackBufferFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(seen.BackBufferCount, 1u);
  EXPECT_EQ(seen.SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_FALSE(seen.Windowed);
  EXPECT_TRUE(seen.EnableAutoDepthStencil);
  EXPECT_EQ(seen.AutoDepthStencilFormat, D3DFMT_D16);
  EXPECT_EQ(seen.PresentationInterval, (UINT)D3DPRESENT_INTERVAL_ONE);
  EXPECT_EQ(seen.FullScreen_RefreshRateInHz, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, ModeChoiceTest,
    ::testing::Values(
        ModeChoice{"HalTakesTheDesktopMode", {{640, 480}, {1024, 768}, {1280, 1024}, {1600, 1200}}, true, 1280, 1024,
                   1280, 1024},
        ModeChoice{"HalWithoutTheDesktopSizeTakesTheLargest", {{640, 480}, {1024, 768}, {800, 600}}, true, 1152, 864,
                   1024, 768},
        ModeChoice{"SoftwareNeverTakes640By400", {{640, 400}, {640, 480}, {1024, 768}}, false, 1024, 768, 640, 480},
        ModeChoice{"SoftwareTakesTheLastOfTheSmallestHeight", {{800, 480}, {640, 480}, {1024, 768}, {640, 400}}, false,
                   1024, 768, 800, 480},
        ModeChoice{"ModesBelow640By400NeverAppear", {{320, 240}, {512, 384}, {640, 350}, {800, 600}}, false, 1024, 768,
                   800, 600}),
    [](const ::testing::TestParamInfo<ModeChoice>& info) { return std::string(info.param.name); });

DWORD ReadDword(HKEY key, const WCHAR* name) {
  DWORD value = 0xDEADBEEF, type = 0, size = sizeof(value);
  RegQueryValueExW(key, name, nullptr, &type, (BYTE*)&value, &size);
  return value;
}

struct StoredMode {
  const char* name;
  UINT width, height;
  bool refused;  // the stored mode and the next one down are refused
  UINT expectedWidth, expectedHeight;
};

void PrintTo(const StoredMode& c, std::ostream* os) { *os << c.name; }

class StoredModeTest : public HostTest, public ::testing::WithParamInterface<StoredMode> {};

TEST_P(StoredModeTest, UsedOrSteppedDownAndWrittenBack) {
  const StoredMode& c = GetParam();
  machine::Machine m = machine::DefaultMachine();
  if (c.refused) m.faults.createDeviceRefuses = {{c.width, c.height, 60, 32}, {1024, 768, 60, 32}};
  machine::Install(m);

  HostProbe saver;
  const std::u16string key = UniqueKeyPath();
  saver.onLoadSettings = [&](HostProbe& s) {
    std::copy(key.begin(), key.end(), s.m_registryKeyPath);
    s.m_registryKeyPath[key.size()] = 0;
    s.m_adapters[0]->chosenWidth = c.width;
    s.m_adapters[0]->chosenHeight = c.height;
    s.m_adapters[0]->chosenFormat = D3DFMT_X8R8G8B8;
  };
  D3DPRESENT_PARAMETERS seen = {};
  saver.onRender = [&](HostProbe& s, int, UINT) {
    seen = s.m_devices[0].presentParams;
    PostMessageW(s.m_mainWindow, WM_KEYDOWN, 'Q', 0);
  };
  saver.Start(u"s /s");
  ASSERT_FALSE(saver.m_errorMode);
  EXPECT_EQ(seen.BackBufferWidth, c.expectedWidth);
  EXPECT_EQ(seen.BackBufferHeight, c.expectedHeight);

  HKEY screen = nullptr;
  const std::u16string subkey = key + u"Screen 1";
  const LONG opened = RegOpenKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, &screen);
  if (!c.refused) {
    EXPECT_NE(opened, ERROR_SUCCESS) << "a stored mode that works is not written";
    return;
  }
  ASSERT_EQ(opened, ERROR_SUCCESS);
  EXPECT_EQ(ReadDword(screen, u"Width"), c.expectedWidth);
  EXPECT_EQ(ReadDword(screen, u"Height"), c.expectedHeight);
  EXPECT_EQ(ReadDword(screen, u"Format"), (DWORD)D3DFMT_X8R8G8B8);
  BYTE id[16] = {};
  DWORD type = 0, size = sizeof(id);
  ASSERT_EQ(RegQueryValueExW(screen, u"Adapter ID", nullptr, &type, id, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, (DWORD)REG_BINARY);
  EXPECT_EQ(size, 16u);
  EXPECT_EQ(std::memcmp(id, machine::Current().adapters[0].deviceIdentifier, 16), 0);
  RegCloseKey(screen);
  EXPECT_EQ(saver.m_adapters[0], nullptr);  // the records are gone after the run
}

INSTANTIATE_TEST_SUITE_P(Modes, StoredModeTest,
                         ::testing::Values(StoredMode{"RefusedStepsDownPastARefusedMode", 1280, 1024, true, 800, 600},
                                           StoredMode{"WorkingIsNotWritten", 800, 600, false, 800, 600}),
                         [](const ::testing::TestParamInfo<StoredMode>& info) { return std::string(info.param.name); });

TEST_F(HostTest, EveryModeRefusedEntersTheErrorMode) {
  machine::Machine m = machine::DefaultMachine();
  for (const auto& mode : m.adapters[0].modes) m.faults.createDeviceRefuses.push_back(mode);
  machine::Install(m);
  HostProbe saver;
  saver.maxTurns = 5;
  saver.Start(u"s /s");
  EXPECT_TRUE(saver.m_errorMode);
  EXPECT_EQ(saver.m_errorCode, (HRESULT)0x8200000e);
  EXPECT_EQ(std::u16string(saver.m_errorText), u"Could not create the Direct3D device.");
}

TEST_F(HostTest, AFailedWindowedDeviceIsNoPreviewInThePreviewAndACreateFailureInTheTestWindow) {
  machine::Machine m = machine::DefaultMachine();
  m.faults.createWindowedDeviceFails = true;
  machine::Install(m);
  {
    HostProbe saver;
    saver.maxTurns = 5;
    saver.Start(u"s /t");
    EXPECT_EQ(saver.m_errorCode, (HRESULT)0x8200000e);
  }
  {
    HostProbe saver;
    saver.maxTurns = 5;
    saver.Start(u"s /p " + PreviewParent(200, 150));
    EXPECT_EQ(saver.m_errorCode, (HRESULT)0x8200000f);
  }
}

TEST_F(HostTest, ALostFirstDeviceSkipsTheSecondUntilItIsResetWithItsOwnParameters) {
  machine::Machine m = MachineWithMonitors(2);
  m.faults.deviceLostFromFrame = 3;
  m.faults.deviceNotResetFromFrame = 6;
  machine::Install(m);

  HostProbe saver;
  saver.maxTurns = 40;
  D3DPRESENT_PARAMETERS created = {};
  IDirect3DDevice9* first = nullptr;
  int secondRendersAtReset = -1;
  std::vector<uint64_t> resetArgs;
  saver.onRender = [&](HostProbe& s, int frame, UINT device) {
    if (device != 0) return;
    if (frame == 1) {
      created = s.m_devices[0].presentParams;
      first = s.m_devices[0].device;
      d3d9::RecorderOf(first)->enabled = true;
    }
    if (secondRendersAtReset < 0 && s.deviceEvents.size() > 2) {
      secondRendersAtReset = s.renders[1];
      for (const auto& call : d3d9::RecorderOf(first)->calls)
        if (call.name == "Reset") resetArgs = call.args;
      EXPECT_EQ(std::memcmp(&created, &s.m_devices[0].presentParams, sizeof(created)), 0);
      ASSERT_EQ(resetArgs.size(), 1u);
      EXPECT_EQ(resetArgs[0], (uint64_t)(uintptr_t)&s.m_devices[0].presentParams);
      PostMessageW(s.m_mainWindow, WM_KEYDOWN, 'Q', 0);
    }
  };
  saver.Start(u"s /s");
  EXPECT_FALSE(saver.stoppedBySafety);
  EXPECT_FALSE(saver.m_errorMode);
  // Frames 1 to 3 drew both devices; while the first was lost the second was neither drawn nor
  // asked.
  EXPECT_EQ(secondRendersAtReset, 3);
  ASSERT_GE(saver.deviceEvents.size(), 4u);
  EXPECT_EQ(saver.deviceEvents[0], "restore 0");
  EXPECT_EQ(saver.deviceEvents[1], "restore 1");
  EXPECT_EQ(saver.deviceEvents[2], "release 0");
  EXPECT_EQ(saver.deviceEvents[3], "restore 0");
}

TEST_F(HostTest, AWindowedResetReadsTheDesktopModeAgain) {
  machine::Machine m = machine::DefaultMachine();
  m.faults.deviceNotResetFromFrame = 3;
  machine::Install(m);
  HostProbe saver;
  UINT widthAfterReset = 0;
  saver.onRender = [&](HostProbe& s, int frame, UINT) {
    if (frame == 2) machine::Current().displays[0].current.width = 1280;
    if (s.deviceEvents.size() == 3 && !widthAfterReset) {
      widthAfterReset = s.m_adapters[0]->desktopMode.Width;
      DestroyWindow(s.m_mainWindow);
    }
  };
  saver.Start(u"s /t");
  EXPECT_FALSE(saver.stoppedBySafety);
  EXPECT_EQ(widthAfterReset, 1280u);
}

TEST_F(HostTest, AFailedResetShowsTheUnspecifiedProblemWhenNoCodeWasStored) {
  machine::Machine m = machine::DefaultMachine();
  m.faults.deviceNotResetFromFrame = 3;
  machine::Install(m);
  HostProbe saver;
  saver.maxTurns = 20;
  IDirect3DTexture9* keptAlive = nullptr;
  saver.onRender = [&](HostProbe& s, int frame, UINT) {
    // A default-pool texture alive across the reset makes it fail.
    if (frame == 1)
      s.m_devices[0].device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                           &keptAlive, nullptr);
  };
  saver.onTurn = [&](HostProbe& s, int) {
    if (s.m_errorText[0]) PostMessageW(s.m_mainWindow, WM_KEYDOWN, 'Q', 0);
  };
  saver.Start(u"s /s");
  if (keptAlive) keptAlive->Release();
  EXPECT_FALSE(saver.stoppedBySafety);
  EXPECT_TRUE(saver.m_errorMode);
  EXPECT_EQ(saver.m_errorCode, 0);
  EXPECT_EQ(std::u16string(saver.m_errorText), u"There was an unspecified problem with this screen saver.");
}

}  // namespace

namespace {

TEST_F(HostTest, ALongAdapterDescriptionIsCutToTheDeviceText) {
  machine::Machine m = machine::DefaultMachine();
  m.adapters[0].description = std::string(500, 'x');
  machine::Install(m);
  HostProbe saver;
  std::u16string text;
  saver.onRender = [&](HostProbe& s, int, UINT) {
    text = s.m_devices[0].deviceStats;
    DestroyWindow(s.m_mainWindow);
  };
  saver.Start(u"s /t");
  EXPECT_EQ(text.size(), 89u);
  EXPECT_EQ(text.substr(0, 22), u"HAL (pure hw vp): xxxx");
}

TEST_F(HostTest, AdaptersBeyondTheNinthAndModesBeyondTheHundredthAreIgnored) {
  machine::Machine m;
  for (int i = 0; i < 10; ++i) {
    m.displays.push_back(MakeDisplay(i, 1024, 768, i * 1024, 0));
    m.adapters.push_back(MakeAdapter(i, {{1024, 768}}));
  }
  // 120 distinct modes on the first adapter; its desktop mode is among the ones past the hundredth.
  m.adapters[0].modes.clear();
  for (uint32_t i = 0; i < 120; ++i) m.adapters[0].modes.push_back({640 + 8 * i, 480, 60, 32});
  m.displays[0].current = {640 + 8 * 119, 480, 60, 32};
  machine::Install(m);

  HostProbe saver;
  UINT adapters = 0, devices = 0, modes = 0, width = 0;
  saver.onRender = [&](HostProbe& s, int, UINT) {
    adapters = s.m_adapterCount;
    devices = s.m_deviceCount;
    modes = s.m_adapters[0]->deviceTypes[0].modeCount;
    width = s.m_devices[0].presentParams.BackBufferWidth;
    PostMessageW(s.m_mainWindow, WM_KEYDOWN, 'Q', 0);
  };
  saver.Start(u"s /s");
  EXPECT_FALSE(saver.m_errorMode);
  EXPECT_EQ(adapters, 9u);
  EXPECT_EQ(devices, 9u);
  EXPECT_EQ(modes, 100u);
  // No mode of the desktop's size was kept: the largest one is taken.
  EXPECT_EQ(width, 640u + 8 * 99);
}

struct TypeChoice {
  const char* name;
  const char16_t* commandLine;
};

void PrintTo(const TypeChoice& c, std::ostream* os) { *os << c.name; }

class HalWithoutBumpMappingTest : public HostTest, public ::testing::WithParamInterface<TypeChoice> {};

// The help text promises a software renderer when the hardware cannot be used.
TEST_P(HalWithoutBumpMappingTest, GivesWayToTheSoftwareDevice) {
  machine::Machine m = machine::DefaultMachine();
  m.adapters[0].hal.bumpEnvMap = false;
  machine::Install(m);
  HostProbe saver;
  D3DDEVTYPE type = D3DDEVTYPE_HAL;
  saver.onRender = [&](HostProbe& s, int, UINT) {
    type = s.m_devices[0].deviceType;
    PostMessageW(s.m_mainWindow, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
  };
  saver.Start(GetParam().commandLine);
  EXPECT_FALSE(saver.m_errorMode);
  EXPECT_FALSE(saver.stoppedBySafety);
  EXPECT_EQ(type, D3DDEVTYPE_SW);
}

INSTANTIATE_TEST_SUITE_P(Modes, HalWithoutBumpMappingTest,
                         ::testing::Values(TypeChoice{"FullScreen", u"s /s"}, TypeChoice{"TestWindow", u"s /t"}),
                         [](const ::testing::TestParamInfo<TypeChoice>& info) { return std::string(info.param.name); });

}  // namespace

namespace {

TEST_F(HostTest, AMonitorWithHardwareDisabledAndNoSoftwareDeviceIsLeftBlack) {
  machine::Machine m = MachineWithMonitors(2);
  m.adapters[1].sw.available = false;
  machine::Install(m);
  HostProbe saver;
  saver.onLoadSettings = [](HostProbe& s) { s.m_adapters[1]->disableHardware = TRUE; };
  UINT devices = 0, monitor = 99;
  uint32_t secondScreen = 0xDEADBEEF;
  saver.onRender = [&](HostProbe& s, int frame, UINT) {
    if (frame != 3) return;
    devices = s.m_deviceCount;
    monitor = s.m_devices[0].monitorIndex;
    const win32::Surface* surface = win32::WindowSurface(s.Window(1));
    if (surface && !surface->pixels.empty()) secondScreen = surface->pixels[surface->pixels.size() / 2] & 0xFFFFFF;
    PostMessageW(s.m_mainWindow, WM_LBUTTONDOWN, 0, 0);
  };
  saver.Start(u"s /s");
  EXPECT_FALSE(saver.m_errorMode);
  EXPECT_EQ(devices, 1u);
  EXPECT_EQ(monitor, 0u);
  EXPECT_EQ(secondScreen, 0u);
}

}  // namespace

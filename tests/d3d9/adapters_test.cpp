// IDirect3D9 answers from the machine description: adapters, modes, monitors, caps and format checks.
#include <gtest/gtest.h>
#include <d3d9.h>
#include <windows.h>

#include <cstring>

#include "device_fixture.h"
#include "platform/machine/machine.h"

namespace {

// Two monitors side by side; the second adapter has only a software device without bump mapping.
machine::Machine TwoAdapters() {
  machine::Machine m = machine::DefaultMachine();
  machine::Display second = m.displays[0];
  second.name = u"\\\\.\\DISPLAY2";
  second.monitorName = u"\\\\.\\DISPLAY2\\Monitor0";
  second.primary = false;
  second.x = 1024;
  second.current = {1280, 1024, 75, 32};
  m.displays.push_back(second);
  machine::Adapter adapter = m.adapters[0];
  adapter.display = 1;
  adapter.description = "Second Adapter";
  adapter.deviceIdentifier[15] = 0x02;
  adapter.modes = {{800, 600, 60, 32}, {1280, 1024, 60, 32}, {1280, 1024, 75, 32}};
  adapter.hal.available = false;
  adapter.sw.bumpEnvMap = false;
  adapter.sw.v8u8 = false;
  adapter.sw.depthFormats = {80};
  m.adapters.push_back(adapter);
  return m;
}

class Adapters : public ::testing::Test {
 protected:
  void SetUp() override {
    machine::Install(TwoAdapters());
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
  }
  void TearDown() override {
    if (d3d_ != nullptr) d3d_->Release();
  }
  IDirect3D9* d3d_ = nullptr;
};

TEST_F(Adapters, AreEnumeratedWithTheirIdentifiersModesAndMonitors) {
  ASSERT_EQ(d3d_->GetAdapterCount(), 2u);
  D3DADAPTER_IDENTIFIER9 id{};
  ASSERT_EQ(d3d_->GetAdapterIdentifier(1, 0, &id), S_OK);
  EXPECT_STREQ(id.Description, "Second Adapter");
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(&id.DeviceIdentifier)[15], 0x02);
  D3DADAPTER_IDENTIFIER9 first{};
  ASSERT_EQ(d3d_->GetAdapterIdentifier(0, 0, &first), S_OK);
  EXPECT_NE(std::memcmp(&first.DeviceIdentifier, &id.DeviceIdentifier, sizeof(GUID)), 0);
  EXPECT_EQ(d3d_->GetAdapterIdentifier(2, 0, &id), D3DERR_INVALIDCALL);

  D3DDISPLAYMODE mode{};
  ASSERT_EQ(d3d_->GetAdapterDisplayMode(1, &mode), S_OK);
  EXPECT_EQ(mode.Width, 1280u);
  EXPECT_EQ(mode.Height, 1024u);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);

  ASSERT_EQ(d3d_->GetAdapterModeCount(1, D3DFMT_X8R8G8B8), 3u);
  EXPECT_EQ(d3d_->GetAdapterModeCount(1, D3DFMT_R5G6B5), 0u);
  ASSERT_EQ(d3d_->EnumAdapterModes(1, D3DFMT_X8R8G8B8, 2, &mode), S_OK);
  EXPECT_EQ(mode.Width, 1280u);
  EXPECT_EQ(mode.RefreshRate, 75u);
  EXPECT_EQ(d3d_->EnumAdapterModes(1, D3DFMT_X8R8G8B8, 3, &mode), D3DERR_INVALIDCALL);

  // The monitors are those Win32 finds at each display's place on the desktop.
  for (UINT a = 0; a < 2; ++a) {
    const machine::Display& display = machine::Current().displays[a];
    const RECT place{display.x, display.y, display.x + 10, display.y + 10};
    const HMONITOR monitor = d3d_->GetAdapterMonitor(a);
    EXPECT_NE(monitor, nullptr);
    EXPECT_EQ(monitor, MonitorFromRect(&place, MONITOR_DEFAULTTONULL)) << "adapter " << a;
  }
  EXPECT_NE(d3d_->GetAdapterMonitor(0), d3d_->GetAdapterMonitor(1));
  EXPECT_EQ(d3d_->GetAdapterMonitor(2), nullptr);
}

TEST_F(Adapters, AnswerCapsPerDeviceType) {
  D3DCAPS9 caps{};
  ASSERT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), S_OK);
  EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_HAL);
  EXPECT_EQ(caps.AdapterOrdinal, 0u);
  EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
  EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_PUREDEVICE);
  EXPECT_TRUE(caps.TextureOpCaps & D3DTEXOPCAPS_BUMPENVMAP);

  EXPECT_EQ(d3d_->GetDeviceCaps(1, D3DDEVTYPE_HAL, &caps), D3DERR_NOTAVAILABLE);
  ASSERT_EQ(d3d_->GetDeviceCaps(1, D3DDEVTYPE_SW, &caps), S_OK);
  EXPECT_EQ(caps.AdapterOrdinal, 1u);
  EXPECT_FALSE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
  EXPECT_FALSE(caps.TextureOpCaps & D3DTEXOPCAPS_BUMPENVMAP);
  EXPECT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps), D3DERR_NOTAVAILABLE) << "no REF by default";
}

struct FormatQuestion {
  const char* name;
  UINT adapter;
  D3DDEVTYPE type;
  DWORD usage;
  D3DRESOURCETYPE resource;
  D3DFORMAT format;
  HRESULT answer;
};

class FormatQuestions : public Adapters, public ::testing::WithParamInterface<FormatQuestion> {};

TEST_P(FormatQuestions, FollowTheDescription) {
  const FormatQuestion& q = GetParam();
  EXPECT_EQ(d3d_->CheckDeviceFormat(q.adapter, q.type, D3DFMT_X8R8G8B8, q.usage, q.resource, q.format), q.answer)
      << q.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatQuestions,
    ::testing::Values(
        FormatQuestion{"V8U8 on the HAL", 0, D3DDEVTYPE_HAL, 0, D3DRTYPE_TEXTURE, D3DFMT_V8U8, S_OK},
        FormatQuestion{"no V8U8 on the second", 1, D3DDEVTYPE_SW, 0, D3DRTYPE_TEXTURE, D3DFMT_V8U8,
                       D3DERR_NOTAVAILABLE},
        FormatQuestion{"A8 textures", 1, D3DDEVTYPE_SW, 0, D3DRTYPE_TEXTURE, D3DFMT_A8, S_OK},
        FormatQuestion{"D24S8 depth", 0, D3DDEVTYPE_HAL, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8, S_OK},
        FormatQuestion{"only D16 on the second", 1, D3DDEVTYPE_SW, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                       D3DFMT_D24S8, D3DERR_NOTAVAILABLE},
        FormatQuestion{"D16 on the second", 1, D3DDEVTYPE_SW, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D16,
                       S_OK},
        FormatQuestion{"a depth format is no texture", 0, D3DDEVTYPE_HAL, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_TEXTURE,
                       D3DFMT_D16, D3DERR_NOTAVAILABLE},
        FormatQuestion{"A8R8G8B8 render targets", 0, D3DDEVTYPE_HAL, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE,
                       D3DFMT_A8R8G8B8, S_OK},
        FormatQuestion{"no HAL on the second", 1, D3DDEVTYPE_HAL, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8,
                       D3DERR_NOTAVAILABLE},
        FormatQuestion{"no third adapter", 2, D3DDEVTYPE_HAL, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8,
                       D3DERR_INVALIDCALL}));

TEST_F(Adapters, CheckDeviceTypeAndDepthMatchFollowTheDescription) {
  EXPECT_EQ(d3d_->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, FALSE), S_OK);
  EXPECT_EQ(d3d_->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, TRUE), S_OK);
  EXPECT_EQ(d3d_->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, FALSE), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d_->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_R5G6B5, TRUE), D3DERR_NOTAVAILABLE)
      << "windowed needs the desktop's format";
  EXPECT_EQ(d3d_->CheckDeviceType(1, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, FALSE), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d_->CheckDeviceType(1, D3DDEVTYPE_SW, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, FALSE), S_OK);
  EXPECT_EQ(d3d_->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D24X8), S_OK);
  EXPECT_EQ(d3d_->CheckDepthStencilMatch(1, D3DDEVTYPE_SW, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D24X8),
            D3DERR_NOTAVAILABLE);
}

TEST_F(Adapters, ASixteenBitDesktopIsR5G6B5) {
  machine::Machine m = TwoAdapters();
  m.displays[0].current.bits = 16;
  machine::Install(m);
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(d3d_->GetAdapterDisplayMode(0, &mode), S_OK);
  EXPECT_EQ(mode.Format, D3DFMT_R5G6B5);
  EXPECT_EQ(d3d_->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_R5G6B5, TRUE), S_OK);
}

class DeviceCreation : public DeviceTest {
 protected:
  void SetUp() override {}
  HRESULT Create(UINT adapter, D3DDEVTYPE type, DWORD behavior, UINT width, UINT height, BOOL windowed) {
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = windowed ? 0 : width;
    p.BackBufferHeight = windowed ? 0 : height;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.BackBufferCount = 1;
    p.SwapEffect = windowed ? D3DSWAPEFFECT_COPY : D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = window_;
    p.Windowed = windowed;
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = D3DFMT_D16;
    p.PresentationInterval = windowed ? D3DPRESENT_INTERVAL_DEFAULT : D3DPRESENT_INTERVAL_ONE;
    IDirect3DDevice9* device = reinterpret_cast<IDirect3DDevice9*>(1);
    const HRESULT hr = d3d_->CreateDevice(adapter, type, window_, behavior, &p, &device);
    if (SUCCEEDED(hr)) {
      EXPECT_NE(device, nullptr);
      device->Release();
    } else {
      EXPECT_EQ(device, nullptr);
    }
    return hr;
  }
};

TEST_F(DeviceCreation, FollowsTheDescriptionsTypesModesAndRefusals) {
  machine::Machine m = TwoAdapters();
  m.faults.createDeviceRefuses = {{800, 600, 60, 32}};
  Open(64, 64, m);
  screen_.device.Release();
  device_ = nullptr;
  constexpr DWORD hw = D3DCREATE_HARDWARE_VERTEXPROCESSING;
  constexpr DWORD sw = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
  EXPECT_EQ(Create(0, D3DDEVTYPE_HAL, hw | D3DCREATE_PUREDEVICE, 1024, 768, FALSE), S_OK);
  EXPECT_EQ(Create(0, D3DDEVTYPE_HAL, D3DCREATE_MIXED_VERTEXPROCESSING, 640, 480, FALSE), S_OK);
  EXPECT_NE(Create(0, D3DDEVTYPE_HAL, hw, 800, 600, FALSE), S_OK) << "a refused mode";
  EXPECT_NE(Create(0, D3DDEVTYPE_HAL, hw, 1000, 700, FALSE), S_OK) << "a mode the adapter does not list";
  EXPECT_EQ(Create(0, D3DDEVTYPE_HAL, sw, 0, 0, TRUE), S_OK);
  EXPECT_NE(Create(1, D3DDEVTYPE_HAL, sw, 1280, 1024, FALSE), S_OK) << "no HAL";
  EXPECT_NE(Create(1, D3DDEVTYPE_SW, hw, 1280, 1024, FALSE), S_OK) << "no hardware transform on SW";
  EXPECT_EQ(Create(1, D3DDEVTYPE_SW, sw, 1280, 1024, FALSE), S_OK);
  EXPECT_NE(Create(0, D3DDEVTYPE_HAL, sw | hw, 1024, 768, FALSE), S_OK) << "two kinds of vertex processing";

  machine::Current().faults.createWindowedDeviceFails = true;
  EXPECT_NE(Create(0, D3DDEVTYPE_HAL, sw, 0, 0, TRUE), S_OK);
}

TEST(Direct3DCreate, GivesNothingWhenTheMachineHasNoDirect3D) {
  machine::Machine m = machine::DefaultMachine();
  m.faults.direct3dMissing = true;
  machine::Install(m);
  EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
  machine::Install(machine::DefaultMachine());
  EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION + 1), nullptr);
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(d3d, nullptr);
  d3d->Release();
}

}  // namespace
